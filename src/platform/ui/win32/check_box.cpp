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
            box.SetValue(box.Value() == vbChecked ? vbUnchecked : vbChecked);
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

void CheckBox::SetValue(CheckValue value) {
    if (value == Value()) {
        return;
    }
    SendMessageW(native().hwnd, BM_SETCHECK, value == vbChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (Click) {
        Click();
    }
}

CheckValue CheckBox::Value() const {
    return SendMessageW(native().hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? vbChecked : vbUnchecked;
}

void CheckBox::SetCaption(const std::string& caption) {
    Of(*this).caption = caption;
    SetWindowTextW(native().hwnd, win32::WithoutMnemonics(caption).c_str());
}

const std::string& CheckBox::Caption() const {
    return Of(*this).caption;
}

}  // namespace vantrelle::ui
