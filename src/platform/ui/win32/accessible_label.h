#pragma once

#include <windows.h>

namespace vantrelle::ui::win32 {

// What a screen reader reads of a label: a static text named by its window text exactly
// as written. The system's own object for a STATIC control takes `&` for a mnemonic and
// drops it, and Wine's calls the label a plain client area. The answer to WM_GETOBJECT
// for OBJID_CLIENT; 0 for any other object, which the control's default then answers.
LRESULT AnswerAccessibleLabel(HWND label, WPARAM wparam, LPARAM lparam);

}  // namespace vantrelle::ui::win32
