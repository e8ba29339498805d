// The toolkit's start and its event loop: one message loop for every window, in which the
// dialog manager gives Tab, the arrow keys and Space to the controls, Alt to the menu bar.

// The common controls' header needs windows.h before it.
// clang-format off
#include "platform/ui/win32/native.h"
#include <commctrl.h>
#include <objbase.h>
// clang-format on

namespace vantrelle::ui {

Application::Application(int& /*argc*/, char** /*argv*/) : native_(std::make_unique<Native>()) {
    // The picture decoder is a COM object; the common controls need their classes.
    native_->com_initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // A drive without a medium answers with an error code, never with a system box that
    // asks the user to insert a disk.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

Application::~Application() {
    if (native_->com_initialized) {
        CoUninitialize();
    }
}

int Application::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        win32::Dispatch(message);
    }
    return 0;
}

}  // namespace vantrelle::ui
