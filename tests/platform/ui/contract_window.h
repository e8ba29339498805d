#pragma once

// A window to put controls on, for the contract tests: 400 x 300 pixels at 96 DPI.

#include "platform/ui/program.h"

namespace vantrelle::ui::testing {

inline WindowStyle TestWindowStyle() {
    return {.name = "Test",
            .caption = "Test",
            .client_width = 6000,
            .client_height = 4500,
            .border = Border::kFixedSingle,
            .minimize_button = false,
            .client_position = std::nullopt};
}

// The column range [first, last] of the picture's rows [top, bottom) whose pixels differ
// from the background (the bottom-right pixel); first > last when there is no ink.
struct Ink {
    int first, last;
};
template <class Picture>
Ink InkColumns(const Picture& picture, int top, int bottom) {
    const auto background = picture.at(picture.width - 1, picture.height - 1);
    Ink ink{picture.width, -1};
    for (int y = top; y < bottom && y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.at(x, y) != background) {
                ink.first = std::min(ink.first, x);
                ink.last = std::max(ink.last, x);
            }
        }
    }
    return ink;
}

// The rows of the picture that hold ink, as [top, bottom) bands, one per line of text.
template <class Picture>
std::vector<std::pair<int, int>> InkBands(const Picture& picture) {
    const auto background = picture.at(picture.width - 1, picture.height - 1);
    std::vector<std::pair<int, int>> bands;
    bool inside = false;
    for (int y = 0; y < picture.height; ++y) {
        bool ink = false;
        for (int x = 0; x < picture.width && !ink; ++x) {
            ink = picture.at(x, y) != background;
        }
        if (ink && !inside) {
            bands.emplace_back(y, y + 1);
        } else if (ink) {
            bands.back().second = y + 1;
        }
        inside = ink;
    }
    return bands;
}

}  // namespace vantrelle::ui::testing
