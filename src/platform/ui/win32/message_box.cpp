#include "platform/ui/win32/message_box.h"

#include <windows.h>

#include "platform/ui/win32/wide_text.h"

// windows.h names MessageBoxW so; the contract's class has that name.
#undef MessageBox

namespace vantrelle::ui::win32 {

int Win32MessageBox::MsgBox(const std::string& text, int style, const std::string& title) {
    // Without an owner, MB_TASKMODAL disables every window of the thread while the box is up,
    // so no window of the program reacts behind it; the box comes to the front even when a
    // repair started from a window that has since lost the focus.
    const UINT flags = static_cast<UINT>(style) | MB_TASKMODAL | MB_SETFOREGROUND;
    // A box that cannot be shown answers 0, which every caller takes as a refusal.
    return MessageBoxW(nullptr, ShownLines(text).c_str(), Widen(title).c_str(), flags);
}

}  // namespace vantrelle::ui::win32

namespace vantrelle::ui {

std::unique_ptr<MessageBox> NewScreenMessageBox() {
    return std::make_unique<win32::Win32MessageBox>();
}

}  // namespace vantrelle::ui
