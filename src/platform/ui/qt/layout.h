#pragma once

// Measures and fonts of the windows. Positions and sizes are given in twips (1/1440
// inch): 15 twips to the pixel at 96 dots per inch, scaled with the screen's DPI.

#include <QFont>
#include <QRect>

class QWidget;

namespace vantrelle::ui {

int Twips(int twips);
QRect TwipsRect(int left, int top, int width, int height);
void Place(QWidget* widget, int left, int top, int width, int height);

// Makes DefaultFont() the application's font, and where Tahoma or Arial is missing,
// lets a family with Arabic glyphs stand in for it, so the Farsi texts never fall back
// to empty boxes. Call once the application exists.
void InstallFonts();

// The font of the controls that name none: the classic 8.25 pt dialog font that the
// windows' sizes were drawn for. Qt's own default is larger and clips their captions.
// Where Microsoft Sans Serif is missing, Liberation Sans (same widths as Arial) stands in.
QFont DefaultFont();
QFont Tahoma();       // Tahoma 8.25 pt
QFont ArialBold12();  // Arial 12 pt bold

}  // namespace vantrelle::ui
