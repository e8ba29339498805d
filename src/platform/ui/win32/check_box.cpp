// A check box whose state only this code changes: a click of the user asks for the other
// state, and every change of state, by the user or by code, raises `Click` once.

#include "platform/ui/check_box.h"

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

struct CheckBoxNative : Control::Native {
    CheckBoxNative(Window& window, const Rect& at) {
        hwnd = win32::MakeChild(window, L"BUTTON", BS_CHECKBOX | WS_TABSTOP, 0, at);
        win32::ApplyBoxLines(*this);
    }

    void Notified(WORD code) override {
        if (code == BN_CLICKED) {
            auto& box = static_cast<CheckBox&>(*owner);
            box.SetValue(box.Value() == 0 ? 1 : 0);
        }
    }

    void ApplyRightToLeft() override { win32::ApplyBoxSide(*this); }
    void FontChanged() override { win32::ApplyBoxLines(*this); }

    std::string caption;
};

CheckBoxNative& Of(const CheckBox& box) {
    return static_cast<CheckBoxNative&>(box.native());
}

}  // namespace

CheckBox::CheckBox(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), std::make_unique<CheckBoxNative>(window, at)) {}

void CheckBox::SetValue(int value) {
    const int wanted = value != 0 ? 1 : 0;
    if (wanted == Value()) {
        return;
    }
    SendMessageW(native().hwnd, BM_SETCHECK, wanted != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    if (Click) {
        Click();
    }
}

int CheckBox::Value() const {
    return SendMessageW(native().hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CheckBox::SetCaption(const std::string& caption) {
    Of(*this).caption = caption;
    SetWindowTextW(native().hwnd, win32::WithoutMnemonics(caption).c_str());
}

const std::string& CheckBox::Caption() const {
    return Of(*this).caption;
}

}  // namespace vantrelle::ui
