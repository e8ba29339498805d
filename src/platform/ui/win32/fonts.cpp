#include "platform/ui/win32/fonts.h"

#include <cmath>
#include <cwchar>

#include "platform/ui/win32/twips.h"

namespace vantrelle::ui::win32 {

FontChoice DialogFont() {
    return {L"MS Shell Dlg", 8.25, false, DEFAULT_CHARSET};
}

FontChoice TahomaArabic() {
    return {L"Tahoma", 8.25, false, ARABIC_CHARSET};
}

FontChoice ArialBoldArabic() {
    return {L"Arial", 12, true, ARABIC_CHARSET};
}

LOGFONTW LogFontFor(const FontChoice& choice, int dpi) {
    LOGFONTW font{};
    // A negative height asks for the character height, which is what a point size means.
    font.lfHeight = -static_cast<LONG>(std::lround(choice.points * dpi / 72.0));
    font.lfWeight = choice.bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = choice.charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(font.lfFaceName, choice.family.c_str(), LF_FACESIZE - 1);
    return font;
}

FontCache::~FontCache() {
    for (auto& [choice, font] : fonts_) {
        DeleteObject(font);
    }
}

HFONT FontCache::Get(const FontChoice& choice) {
    auto [found, added] = fonts_.try_emplace(choice, nullptr);
    if (added) {
        const LOGFONTW font = LogFontFor(choice, ScreenDpi());
        found->second = CreateFontIndirectW(&font);
    }
    return found->second;
}

}  // namespace vantrelle::ui::win32
