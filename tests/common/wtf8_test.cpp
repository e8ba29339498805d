#include "common/wtf8.h"

#include <gtest/gtest.h>

namespace vantrelle {
namespace {

TEST(Wtf8, EncodesUtf16AsUtf8WhereItIsValid) {
    EXPECT_EQ(Wtf8FromUtf16(u"readme.txt"), "readme.txt");
    EXPECT_EQ(Wtf8FromUtf16(u"فایل"), "فایل");
    EXPECT_EQ(Wtf8FromUtf16(u"caf\u00E9 \u20AC"), "caf\u00E9 \u20AC");
    EXPECT_EQ(Wtf8FromUtf16(u"\U0001F600.txt"), "\xF0\x9F\x98\x80.txt");  // a pair
    EXPECT_EQ(Wtf8FromUtf16(u""), "");
}

TEST(Wtf8, KeepsUnpairedSurrogatesAsThreeBytes) {
    const char16_t lone_lead[] = {u'a', 0xD83D, u'b', 0};
    const char16_t lone_trail[] = {0xDE00, u'x', 0};
    const char16_t reversed[] = {0xDE00, 0xD83D, 0};
    const char16_t lead_at_end[] = {u'n', 0xD800, 0};
    EXPECT_EQ(Wtf8FromUtf16(lone_lead),
              "a\xED\xA0\xBD"
              "b");
    EXPECT_EQ(Wtf8FromUtf16(lone_trail), "\xED\xB8\x80x");
    EXPECT_EQ(Wtf8FromUtf16(reversed), "\xED\xB8\x80\xED\xA0\xBD");
    EXPECT_EQ(Wtf8FromUtf16(lead_at_end), "n\xED\xA0\x80");
}

TEST(Wtf8, EveryUtf16SequenceRoundTrips) {
    // Every code unit alone, and every unit next to a lead and a trail surrogate.
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        for (const std::u16string& text :
             {std::u16string(1, static_cast<char16_t>(unit)),
              std::u16string{char16_t(0xD801), static_cast<char16_t>(unit)},
              std::u16string{static_cast<char16_t>(unit), char16_t(0xDC37)}}) {
            const std::optional<std::u16string> back = Utf16FromWtf8(Wtf8FromUtf16(text));
            ASSERT_TRUE(back.has_value()) << static_cast<unsigned>(unit);
            ASSERT_EQ(*back, text) << static_cast<unsigned>(unit);
        }
    }
}

TEST(Wtf8, RejectsBytesThatAreNotWtf8) {
    EXPECT_FALSE(Utf16FromWtf8("\x80"));   // stray continuation
    EXPECT_FALSE(Utf16FromWtf8("a\xC3"));  // cut short
    EXPECT_FALSE(
        Utf16FromWtf8("\xE2\x82"
                      "a"));                          // continuation missing
    EXPECT_FALSE(Utf16FromWtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(Utf16FromWtf8("\xE0\x80\xAF"));      // overlong "/"
    EXPECT_FALSE(Utf16FromWtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(Utf16FromWtf8("\xFF"));
    EXPECT_EQ(Utf16FromWtf8("\xF4\x8F\xBF\xBF"), (std::u16string{0xDBFF, 0xDFFF}));
}

TEST(Utf16StreamDecoder, CompletesSequencesCutBetweenPieces) {
    const std::string text = "a\u0641\u06A9\U0001F600z";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        for (std::size_t second = cut; second <= text.size(); ++second) {
            Utf16StreamDecoder decoder;
            std::u16string out = decoder.Decode(std::string_view(text).substr(0, cut));
            out += decoder.Decode(std::string_view(text).substr(cut, second - cut));
            out += decoder.Decode(std::string_view(text).substr(second));
            out += decoder.Finish();
            ASSERT_EQ(out, u"a\u0641\u06A9\U0001F600z") << cut << " " << second;
        }
    }
}

TEST(Utf16StreamDecoder, ReplacesWhatIsNotWtf8AndGoesOn) {
    Utf16StreamDecoder decoder;
    EXPECT_EQ(decoder.Decode("x\xFFy\xC0\xAFz"), u"x\uFFFDy\uFFFD\uFFFDz");
    EXPECT_EQ(decoder.Decode("\xED\xA0\x80"), std::u16string(1, char16_t(0xD800)));
    EXPECT_EQ(decoder.Decode("\xE2\x82"), u"");
    EXPECT_EQ(decoder.Finish(), u"\uFFFD\uFFFD");
    EXPECT_EQ(decoder.Decode("ok"), u"ok");
}

TEST(Widen, FarsiRoundTripsAndBrokenBytesBecomeReplacementCharacters) {
    const std::string farsi = "مسير: E:\\";
    EXPECT_EQ(Widen(farsi), L"\u0645\u0633\u064A\u0631: E:\\");
    EXPECT_EQ(Narrow(Widen(farsi)), farsi);
    EXPECT_EQ(Widen("a\xFF"
                    "b\xC3"),
              L"a\uFFFDb\uFFFD");
}

TEST(Widen, AnUnpairedSurrogateSurvivesTheWayBack) {
    const std::wstring lone_lead{L'n', wchar_t(0xD800)};
    EXPECT_EQ(Widen(Narrow(lone_lead)), lone_lead);
}

}  // namespace
}  // namespace vantrelle
