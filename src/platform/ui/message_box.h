#pragma once

// The modal message box every part of the program reports through. The style is the
// sum of a button set and an icon; the first button is the default unless the style
// names the second. On screen the box
// is modal to the whole program, shows its text as plain text and reads left to right,
// kept to the left, in every language.

#include <memory>
#include <string>

namespace vantrelle::ui {

enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbExclamation = 48,
    vbInformation = 64,
    // Added to the style: the second button (No) is the default instead of the first.
    vbDefaultButton2 = 256,
};

// Button codes a box returns. Callers treat every code but vbYes as a refusal.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbYes = 6,
    vbNo = 7,
};

class MessageBox {
  public:
    virtual ~MessageBox() = default;

    // Shows `text` (lines separated by CR LF) under `title` and waits for a button.
    // Texts are UTF-8; a name inside them may carry bytes that are not.
    virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
};

// The box on screen, of the toolkit of the build.
std::unique_ptr<MessageBox> NewScreenMessageBox();

}  // namespace vantrelle::ui
