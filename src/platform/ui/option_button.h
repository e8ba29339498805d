#pragma once

// An option button. The option buttons of one window exclude each other: selecting one
// clears the one selected before. `Click` runs for the button that becomes selected, by
// the user or by code, before `SetValue` returns; selecting the selected one raises
// nothing.

#include <functional>
#include <string>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

class OptionButton : public Control {
  public:
    OptionButton(Window& window, std::string name, Rect at);

    void SetValue(bool value);
    bool Value() const;

    // May stay empty: a label beside the button can stand as its text.
    void SetCaption(const std::string& caption);
    const std::string& Caption() const;

    std::function<void()> Click;
};

}  // namespace vantrelle::ui
