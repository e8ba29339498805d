#pragma once

// The fonts of the windows, made once each at the screen's DPI and kept for the run.

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

namespace vantrelle::ui::win32 {

struct FontChoice {
    std::wstring family;
    double points;
    bool bold;
    BYTE charset;

    auto operator<=>(const FontChoice&) const = default;
};

// What a control gets where its window names no font: the dialog font the windows'
// sizes were drawn for.
FontChoice DialogFont();
// Tahoma 8.25 pt and Arial 12 pt bold, both with the Arabic character set (178), which
// makes the font mapper pick faces with Arabic letters.
FontChoice TahomaArabic();
FontChoice ArialBoldArabic();

LOGFONTW LogFontFor(const FontChoice& choice, int dpi);

class FontCache {
  public:
    FontCache() = default;
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The same handle for the same choice; valid until the cache goes.
    HFONT Get(const FontChoice& choice);

  private:
    std::map<FontChoice, HFONT> fonts_;
};

}  // namespace vantrelle::ui::win32
