#pragma once

// A push button. The user presses it with the mouse, or with Enter or Space while it
// has the focus; `Click` then runs once.

#include <functional>
#include <string>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

class CommandButton : public Control {
  public:
    CommandButton(Window& window, std::string name, Rect at);

    void SetCaption(const std::string& caption);
    const std::string& Caption() const;

    std::function<void()> Click;
};

}  // namespace vantrelle::ui
