// What every control has: its child window, its visibility, font and reading order.

#include <algorithm>

// clang-format off
#include "platform/ui/win32/native.h"
#include <commctrl.h>
// clang-format on

#include "platform/ui/win32/fonts.h"
#include "platform/ui/win32/test_access.h"
#include "platform/ui/win32/twips.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {
// Tells a control's child window apart from the program's other windows.
constexpr wchar_t kControlProperty[] = L"Vantrelle.Control";
}  // namespace

namespace win32 {

namespace {

// Counts the paints of a control: a label must be on screen before a repair blocks.
LRESULT CALLBACK CountPaints(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR /*id*/,
                             DWORD_PTR /*data*/) {
    if (message == WM_PAINT) {
        if (Control* control = ControlOf(hwnd)) {
            ++control->native().paints;
        }
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

FontCache& Fonts() {
    static FontCache fonts;
    return fonts;
}

}  // namespace

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

HFONT FontFor(const Font& font) {
    if (font.family.empty()) {
        return Fonts().Get(DialogFont());
    }
    return Fonts().Get(
        {Widen(font.family), font.points, font.bold, static_cast<BYTE>(font.charset)});
}

HWND MakeChild(Window& window, const wchar_t* win32_class, DWORD style, DWORD ex_style,
               const Rect& at) {
    HWND hwnd =
        CreateWindowExW(ex_style, win32_class, L"", style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                        TwipsToPixels(at.left), TwipsToPixels(at.top), TwipsToPixels(at.width),
                        TwipsToPixels(at.height), window.native().hwnd, nullptr, Module(), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor({})), FALSE);
    SetWindowSubclass(hwnd, &CountPaints, 1, 0);
    return hwnd;
}

int Paints(const Control& control) {
    return control.native().paints;
}

Control* ControlOf(HWND hwnd) {
    return hwnd != nullptr ? static_cast<Control*>(GetPropW(hwnd, kControlProperty)) : nullptr;
}

Window* WindowOf(HWND hwnd) {
    wchar_t name[32] = {};
    if (hwnd == nullptr || GetClassNameW(hwnd, name, 32) == 0 ||
        std::wstring_view(name) != L"VantrelleWindow") {
        return nullptr;
    }
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Dispatch(MSG& message) {
    // The dialog manager would send Enter to a default button, not to the focused one.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        Control* control = ControlOf(message.hwnd);
        if (control != nullptr && !control->window().unloaded() &&
            !control->window().program().ended()) {
            const Program::HandlerScope scope(control->window().program());
            if (control->native().Entered()) {
                return;
            }
        }
    }
    HWND top = GetAncestor(message.hwnd, GA_ROOT);
    if (top != nullptr && WindowOf(top) != nullptr && IsDialogMessageW(top, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void SetStyleBits(HWND hwnd, int which, LONG_PTR bits, bool on) {
    const LONG_PTR old = GetWindowLongPtrW(hwnd, which);
    const LONG_PTR now = on ? (old | bits) : (old & ~bits);
    if (now != old) {
        SetWindowLongPtrW(hwnd, which, now);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void ApplyBoxSide(Control::Native& native) {
    SetStyleBits(native.hwnd, GWL_STYLE, BS_LEFTTEXT | BS_RIGHT, native.right_to_left);
    SetStyleBits(native.hwnd, GWL_EXSTYLE, WS_EX_RTLREADING, native.right_to_left);
}

void ApplyBoxLines(Control::Native& native) {
    RECT client;
    GetClientRect(native.hwnd, &client);
    HDC dc = GetDC(native.hwnd);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(native.hwnd, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(native.hwnd, dc);
    SetStyleBits(native.hwnd, GWL_STYLE, BS_MULTILINE, client.bottom >= 2 * metrics.tmHeight);
}

}  // namespace win32

Control::Native::~Native() = default;

void Control::Native::ApplyRightToLeft() {
    win32::SetStyleBits(hwnd, GWL_EXSTYLE, WS_EX_RTLREADING, right_to_left);
}

Control::Control(Window& window, std::string name, std::unique_ptr<Native> native)
    : window_(window), name_(std::move(name)), native_(std::move(native)) {
    native_->owner = this;
    SetPropW(native_->hwnd, kControlProperty, this);
    window_.controls_.push_back(this);
}

Control::~Control() {
    RemoveWindowSubclass(native_->hwnd, &win32::CountPaints, 1);
    auto& controls = window_.controls_;
    controls.erase(std::remove(controls.begin(), controls.end(), this), controls.end());
    RemovePropW(native_->hwnd, kControlProperty);
    DestroyWindow(native_->hwnd);
}

void Control::SetVisible(bool visible) {
    ShowWindow(native_->hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::Visible() const {
    return (GetWindowLongPtrW(native_->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::SetFont(const Font& font) {
    native_->font = font;
    SendMessageW(native_->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(win32::FontFor(font)), TRUE);
    native_->FontChanged();
}

void Control::SetRightToLeft(bool right_to_left) {
    native_->right_to_left = right_to_left;
    native_->ApplyRightToLeft();
}

bool Control::RightToLeft() const {
    return native_->right_to_left;
}

}  // namespace vantrelle::ui
