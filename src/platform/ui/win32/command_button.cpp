// A push button. Space presses it through the dialog manager; Enter, which the dialog
// manager would send to a default button instead, is taken here.

#include "platform/ui/command_button.h"

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

struct ButtonNative : Control::Native {
    ButtonNative(Window& window, const Rect& at) {
        hwnd = win32::MakeChild(window, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, at);
    }

    void Notified(WORD code) override {
        auto& button = static_cast<CommandButton&>(*owner);
        if (code == BN_CLICKED && button.Click) {
            button.Click();
        }
    }

    bool Entered() override {
        SendMessageW(hwnd, BM_CLICK, 0, 0);
        return true;
    }

    std::string caption;
};

ButtonNative& Of(const CommandButton& button) {
    return static_cast<ButtonNative&>(button.native());
}

}  // namespace

CommandButton::CommandButton(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), std::make_unique<ButtonNative>(window, at)) {}

void CommandButton::SetCaption(const std::string& caption) {
    Of(*this).caption = caption;
    SetWindowTextW(native().hwnd, win32::WithoutMnemonics(caption).c_str());
}

const std::string& CommandButton::Caption() const {
    return Of(*this).caption;
}

}  // namespace vantrelle::ui
