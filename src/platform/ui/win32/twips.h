#pragma once

// Positions and sizes arrive in twips (1/1440 inch) and become pixels of the screen:
// 15 twips to the pixel at 96 dots per inch.

namespace vantrelle::ui::win32 {

// The dots per inch of the screen the windows open on (the system's setting; the program
// is DPI aware, so Windows does not stretch its bitmaps).
int ScreenDpi();

// Rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi);
inline int TwipsToPixels(int twips) {
    return TwipsToPixels(twips, ScreenDpi());
}

}  // namespace vantrelle::ui::win32
