#pragma once

// clang-format off
#include <windows.h>
#include <usp10.h>
// clang-format on

#include <string>

namespace vantrelle::ui::win32 {

// A line, or a run of one, in the reading order asked for, measured by Uniscribe's
// shaping and drawn by GDI's ExtTextOutW, which orders and shapes it the same way on
// Windows (through Uniscribe) and under Wine. GDI's extent functions do not shape everywhere (Wine
// measures Arabic letters in their isolated forms, wider than drawn), and Uniscribe's own
// drawing does not order everywhere (Wine's ScriptStringOut, right to left, moves the
// end of a Latin address inside a Farsi line to the other side). The width is that of
// the glyphs drawn, whatever their order. Should Uniscribe refuse a line, GDI measures
// it: shown, never lost.
class ShapedLine {
  public:
    ShapedLine(HDC dc, const std::wstring& text, bool right_to_left)
        : dc_(dc), text_(text), right_to_left_(right_to_left) {
        if (text.empty()) {
            return;
        }
        const int length = static_cast<int>(text.size());
        // The paragraph level is given twice: Wine reads it from the state only.
        SCRIPT_STATE state{};
        state.uBidiLevel = right_to_left ? 1 : 0;
        const HRESULT result =
            ScriptStringAnalyse(dc, text.c_str(), length, length * 3 / 2 + 16, -1,
                                SSA_GLYPHS | SSA_FALLBACK | (right_to_left ? SSA_RTL : 0), 0,
                                nullptr, &state, nullptr, nullptr, nullptr, &analysis_);
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
    // Draws the line with its left end at `x` and its top at `clip`'s, clipped to `clip`.
    void Draw(int x, const RECT& clip) const {
        if (text_.empty()) {
            return;
        }
        const UINT old_align =
            SetTextAlign(dc_, TA_LEFT | TA_TOP | (right_to_left_ ? TA_RTLREADING : 0));
        ExtTextOutW(dc_, x, clip.top, ETO_CLIPPED | (right_to_left_ ? ETO_RTLREADING : 0), &clip,
                    text_.c_str(), static_cast<UINT>(text_.size()), nullptr);
        SetTextAlign(dc_, old_align);
    }

  private:
    HDC dc_;
    std::wstring text_;
    bool right_to_left_;
    SCRIPT_STRING_ANALYSIS analysis_ = nullptr;
};

// The width of `text` drawn on one line in the font selected into `dc`.
inline int ShapedWidth(HDC dc, const std::wstring& text, bool right_to_left) {
    return ShapedLine(dc, text, right_to_left).Width();
}

}  // namespace vantrelle::ui::win32
