#pragma once

// The message box on screen: MessageBoxW with the style passed as it is (the styles are
// Win32's own flags), modal to every window of the program, and left to right in both
// languages: no right-to-left reading or right alignment is ever added.

#include "platform/ui/message_box.h"

namespace vantrelle::ui::win32 {

class Win32MessageBox : public MessageBox {
  public:
    int MsgBox(const std::string& text, int style, const std::string& title) override;
};

}  // namespace vantrelle::ui::win32
