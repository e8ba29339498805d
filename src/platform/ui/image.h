#pragma once

// A picture built into the program, shown at its own size from the top-left corner of
// its rectangle.

#include <string>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

// The pictures the program carries (src/windows/art/<name>.gif); each toolkit builds
// them into the program its own way.
inline constexpr const char* kFarsiPicture = "farsi";

class Image : public Control {
  public:
    Image(Window& window, std::string name, Rect at, const std::string& picture);
};

}  // namespace vantrelle::ui
