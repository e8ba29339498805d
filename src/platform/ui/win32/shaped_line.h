#pragma once

#include <windows.h>
#include <usp10.h>

#include <string>

namespace vantrelle::ui::win32 {

// One line shaped by Uniscribe, in the paragraph direction asked for. GDI's own extent
// functions do not shape everywhere (Wine measures Arabic letters in their isolated
// forms, wider than drawn), so a line is measured and drawn from the same shaping. Should
// Uniscribe refuse a line, it is measured and drawn by GDI as it is: shown, never lost.
class ShapedLine {
  public:
    ShapedLine(HDC dc, const std::wstring& text, bool right_to_left)
        : dc_(dc), text_(text) {
        if (text.empty()) {
            return;
        }
        const int length = static_cast<int>(text.size());
        // The paragraph level is given twice: Wine reads it from the state only.
        SCRIPT_STATE state{};
        state.uBidiLevel = right_to_left ? 1 : 0;
        const HRESULT result = ScriptStringAnalyse(
            dc, text.c_str(), length, length * 3 / 2 + 16, -1,
            SSA_GLYPHS | SSA_FALLBACK | (right_to_left ? SSA_RTL : 0), 0, nullptr, &state,
            nullptr, nullptr, nullptr, &analysis_);
        if (FAILED(result)) {
            analysis_ = nullptr;
        }
    }
    ~ShapedLine() {
        if (analysis_ != nullptr) {
            ScriptStringFree(&analysis_);
        }
    }
    ShapedLine(const ShapedLine&) = delete;
    ShapedLine& operator=(const ShapedLine&) = delete;

    int Width() const {
        if (const SIZE* size = analysis_ != nullptr ? ScriptString_pSize(analysis_) : nullptr) {
            return static_cast<int>(size->cx);
        }
        SIZE size{};
        GetTextExtentPoint32W(dc_, text_.c_str(), static_cast<int>(text_.size()), &size);
        return static_cast<int>(size.cx);
    }
    // Draws the line with its left end at `x`, clipped to `band`.
    void Draw(int x, const RECT& band) const {
        if (analysis_ != nullptr) {
            ScriptStringOut(analysis_, x, band.top, ETO_CLIPPED, &band, 0, 0, FALSE);
        } else if (!text_.empty()) {
            ExtTextOutW(dc_, x, band.top, ETO_CLIPPED, &band, text_.c_str(),
                        static_cast<UINT>(text_.size()), nullptr);
        }
    }

  private:
    HDC dc_;
    std::wstring text_;
    SCRIPT_STRING_ANALYSIS analysis_ = nullptr;
};

// The width of `text` drawn on one line in the font selected into `dc`.
inline int ShapedWidth(HDC dc, const std::wstring& text, bool right_to_left) {
    return ShapedLine(dc, text, right_to_left).Width();
}

}  // namespace vantrelle::ui::win32
