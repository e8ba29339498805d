// A label: a STATIC control that never takes "&" for a mnemonic, wraps at words, and
// paints its text in its own colour.

#include "platform/ui/label.h"

#include <optional>

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

struct LabelNative : Control::Native {
    LabelNative(Window& window, const Rect& at) {
        hwnd = win32::MakeChild(window, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, at);
    }

    void Notified(WORD code) override {
        auto& label = static_cast<Label&>(*owner);
        if (code == STN_CLICKED && label.Click) {
            label.Click();
        }
    }

    HBRUSH Colored(HDC dc) override {
        if (!fore) {
            return nullptr;
        }
        SetTextColor(dc, RGB(fore->red, fore->green, fore->blue));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }

    std::string caption;
    std::optional<Color> fore;
    int alignment = kAlignLeft;
};

LabelNative& Of(const Label& label) {
    return static_cast<LabelNative&>(label.native());
}

}  // namespace

Label::Label(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), std::make_unique<LabelNative>(window, at)) {}

void Label::SetCaption(const std::string& caption) {
    Of(*this).caption = caption;
    SetWindowTextW(native().hwnd, win32::ShownLines(caption).c_str());
}

const std::string& Label::Caption() const {
    return Of(*this).caption;
}

void Label::SetForeColor(Color color) {
    Of(*this).fore = color;
    InvalidateRect(native().hwnd, nullptr, TRUE);
}

Color Label::ForeColor() const {
    if (const auto& fore = Of(*this).fore) {
        return *fore;
    }
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    return {GetRValue(text), GetGValue(text), GetBValue(text)};
}

void Label::SetAlignment(int alignment) {
    Of(*this).alignment = alignment;
    // SS_LEFT is no bit of its own: right alignment is SS_RIGHT set.
    win32::SetStyleBits(native().hwnd, GWL_STYLE, SS_RIGHT, alignment == kAlignRight);
}

int Label::Alignment() const {
    return Of(*this).alignment;
}

void Label::Refresh() {
    RedrawWindow(native().hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}  // namespace vantrelle::ui
