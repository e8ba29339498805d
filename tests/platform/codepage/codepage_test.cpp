// The conversion of downloaded bytes to text through the system's code page.

#include "platform/codepage/codepage.h"

#include <gtest/gtest.h>

#include <string>
#ifndef _WIN32
#include "platform/codepage/posix/iconv_decoder.h"
#endif

namespace vantrelle::codepage {
namespace {

std::string AllAsciiBytes() {
    std::string bytes;
    for (int byte = 0; byte < 0x80; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

#ifndef _WIN32
// Counts UTF-8 sequences, failing the test on any that is malformed.
std::size_t CountCharacters(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        EXPECT_TRUE(lead < 0x80 || lead >= 0xC2) << "bad lead byte at " << i;
        EXPECT_LE(i + length, text.size()) << "truncated at " << i;
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            EXPECT_EQ(static_cast<unsigned char>(text[i + k]) & 0xC0, 0x80) << "at " << i + k;
        }
        i += length;
    }
    return count;
}
#endif

TEST(AnsiToUtf8, KeepsEveryAsciiByteIncludingNul) {
    EXPECT_EQ(AnsiToUtf8(AllAsciiBytes()), AllAsciiBytes());
    EXPECT_EQ(AnsiToUtf8(""), "");
}

#ifndef _WIN32
TEST(AnsiToUtf8, ReadsWindows1256WithOneCharacterPerByte) {
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        high += static_cast<char>(byte);
    }
    EXPECT_EQ(CountCharacters(AnsiToUtf8(high)), 128u);
    EXPECT_EQ(AnsiToUtf8(high).find("\xEF\xBF\xBD"), std::string::npos)
        << "every byte has a character in Windows-1256";
}

TEST(AnsiToUtf8, GivesThePersianLettersOfWindows1256) {
    struct Letter {
        char byte;
        const char* utf8;
    };
    for (const Letter& letter : {
             Letter{'\x80', "\u20AC"},  // EURO SIGN
             Letter{'\x81', "\u067E"},  // PEH
             Letter{'\x8D', "\u0686"},  // TCHEH
             Letter{'\x8E', "\u0698"},  // JEH
             Letter{'\x90', "\u06AF"},  // GAF
             Letter{'\x98', "\u06A9"},  // KEHEH
             Letter{'\xA1', "\u060C"},  // ARABIC COMMA
             Letter{'\xBF', "\u061F"},  // ARABIC QUESTION MARK
             Letter{'\xC7', "\u0627"},  // ALEF
             Letter{'\xED', "\u064A"},  // YEH
             Letter{'\xFF', "\u06D2"},  // YEH BARREE
         }) {
        EXPECT_EQ(AnsiToUtf8(std::string(1, letter.byte)), letter.utf8)
            << "byte " << static_cast<int>(static_cast<unsigned char>(letter.byte));
    }
}

TEST(DecodeWithIconv, StandsInForBytesACharacterSetCannotMap) {
    // US-ASCII maps nothing above 127: each such byte becomes one U+FFFD, and the
    // text goes on after it.
    EXPECT_EQ(DecodeWithIconv("a\xE9"
                              "b\xFF\xFE"
                              "c",
                              "US-ASCII"),
              "a\uFFFD"
              "b\uFFFD\uFFFD"
              "c");
}

TEST(DecodeWithIconv, KeepsAsciiWhenTheCharacterSetIsUnknown) {
    EXPECT_EQ(DecodeWithIconv("Update\xED;1.0", "NO-SUCH-CODE-PAGE"), "Update\uFFFD;1.0");
}
#endif

}  // namespace
}  // namespace vantrelle::codepage
