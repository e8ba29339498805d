// An option button whose state only this code changes. The option buttons of a window
// exclude each other; the one that becomes selected, by the user or by code, raises
// `Click` once.

#include "platform/ui/option_button.h"

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

struct OptionNative : Control::Native {
    OptionNative(Window& window, const Rect& at) {
        hwnd = win32::MakeChild(window, L"BUTTON", BS_RADIOBUTTON | WS_TABSTOP, 0, at);
        win32::ApplyBoxLines(*this);
    }

    void Notified(WORD code) override {
        if (code == BN_CLICKED) {
            static_cast<OptionButton&>(*owner).SetValue(true);
        }
    }

    void ApplyRightToLeft() override { win32::ApplyBoxSide(*this); }
    void FontChanged() override { win32::ApplyBoxLines(*this); }

    std::string caption;
};

OptionNative& Of(const OptionButton& button) {
    return static_cast<OptionNative&>(button.native());
}

bool IsOption(HWND hwnd) {
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_RADIOBUTTON;
}

}  // namespace

OptionButton::OptionButton(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), std::make_unique<OptionNative>(window, at)) {}

void OptionButton::SetValue(bool value) {
    if (value == Value()) {
        return;
    }
    if (value) {
        HWND parent = GetParent(native().hwnd);
        for (HWND other = GetWindow(parent, GW_CHILD); other != nullptr;
             other = GetWindow(other, GW_HWNDNEXT)) {
            if (other != native().hwnd && IsOption(other)) {
                SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
    }
    SendMessageW(native().hwnd, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (value && Click) {
        Click();
    }
}

bool OptionButton::Value() const {
    return SendMessageW(native().hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionButton::SetCaption(const std::string& caption) {
    Of(*this).caption = caption;
    SetWindowTextW(native().hwnd, win32::WithoutMnemonics(caption).c_str());
}

const std::string& OptionButton::Caption() const {
    return Of(*this).caption;
}

}  // namespace vantrelle::ui
