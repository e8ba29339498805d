#include "platform/ui/win32/twips.h"

#include <windows.h>

namespace vantrelle::ui::win32 {

int ScreenDpi() {
    // GetDpiForSystem needs Windows 10; the screen's device context answers from Windows 7 on.
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

}  // namespace vantrelle::ui::win32
