#pragma once

// The message box on screen, over Qt: modal to the whole application, plain text only,
// read left to right.

#include <QMessageBox>
#include <memory>
#include <string>

#include "platform/ui/message_box.h"

namespace vantrelle::ui::qt {

class QtMessageBox : public MessageBox {
  public:
    int MsgBox(const std::string& text, int style, const std::string& title) override;
};

// The box `MsgBox` shows, before it is shown: title, text, icon, buttons and the first
// button as the default.
std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& text, int style,
                                             const std::string& title);

// The code `MsgBox` returns for the button the user pressed.
int ButtonCode(QMessageBox::StandardButton button);

}  // namespace vantrelle::ui::qt
