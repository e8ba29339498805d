#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include "platform/ui/win32/fonts.h"
#include "platform/ui/win32/picture.h"
#include "platform/ui/win32/twips.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui::win32 {
namespace {

TEST(WideText, EveryLineBreakIsShownAsCrLf) {
    EXPECT_EQ(ShownLines("one\rtwo\r\nthree\nfour\r\r\n"), L"one\r\ntwo\r\nthree\r\nfour\r\n\r\n");
}

TEST(Twips, FifteenTwipsAPixelAt96DpiAndScaledAbove) {
    EXPECT_EQ(TwipsToPixels(6135, 96), 409);
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(1440, 144), 144);
    EXPECT_EQ(TwipsToPixels(2535, 120), 211);  // 211.25, rounded
}

TEST(Fonts, SizesWeightsAndCharacterSetsAsTheWindowsAskForThem) {
    const LOGFONTW tahoma = LogFontFor(TahomaArabic(), 96);
    EXPECT_EQ(tahoma.lfHeight, -11);
    EXPECT_EQ(tahoma.lfCharSet, 178);
    EXPECT_STREQ(tahoma.lfFaceName, L"Tahoma");
    const LOGFONTW arial = LogFontFor(ArialBoldArabic(), 96);
    EXPECT_EQ(arial.lfHeight, -16);
    EXPECT_EQ(arial.lfWeight, FW_BOLD);
    EXPECT_EQ(arial.lfCharSet, 178);
    EXPECT_EQ(LogFontFor(DialogFont(), 120).lfHeight, -14);

    FontCache cache;
    HFONT made = cache.Get(TahomaArabic());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(cache.Get(TahomaArabic()), made);
    LOGFONTW back{};
    ASSERT_EQ(GetObjectW(made, sizeof back, &back), static_cast<int>(sizeof back));
    EXPECT_EQ(back.lfCharSet, ARABIC_CHARSET);
}

TEST(Picture, TheFarsiPictureIsDecodedFromTheResourcesAtItsOwnSize) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    HBITMAP bitmap = LoadPictureResource(GetModuleHandleW(nullptr), L"farsi");
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 469);
    EXPECT_EQ(info.bmHeight, 156);
    DeleteObject(bitmap);
    EXPECT_EQ(LoadPictureResource(GetModuleHandleW(nullptr), L"missing"), nullptr);
    CoUninitialize();
}

}  // namespace
}  // namespace vantrelle::ui::win32
