#pragma once

// A picture built into the program, shown at its own size from the top-left corner of
// its rectangle.

#include <string>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

// `picture` names one the program carries, as resources.h says; a missing one shows
// nothing.
class Image : public Control {
  public:
    Image(Window& window, std::string name, Rect at, const std::string& picture);
};

}  // namespace vantrelle::ui
