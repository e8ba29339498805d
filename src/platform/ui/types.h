#pragma once

// What crosses the windowing contract besides texts (UTF-8, `std::string`): colours
// as red, green and blue; positions and sizes in twips (1/1440 inch, 15 to the pixel
// at 96 dots per inch) from the top-left corner of the window's client area; fonts by
// family, size, weight and character set.

#include <cstdint>
#include <string>

namespace vantrelle::ui {

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Character sets as Windows names them; the toolkit picks a face that has the glyphs.
enum Charset : int { kDefaultCharset = 1, kArabicCharset = 178 };

// An empty family is the user interface's default font, whatever size is given.
struct Font {
    std::string family;
    double points = 0;
    bool bold = false;
    int charset = kDefaultCharset;
    friend bool operator==(const Font&, const Font&) = default;
};

// The side of its box a text keeps to on screen, whatever its reading order.
enum Alignment : int { kAlignLeft = 0, kAlignRight = 1 };

}  // namespace vantrelle::ui
