#pragma once

// A check box. `Click` runs whenever the check state changes, by the user or by code,
// before `SetValue` returns; setting the state it already has raises nothing.

#include <functional>
#include <string>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

// The state of a check box, in the words of Visual Basic.
enum CheckValue : int { vbUnchecked = 0, vbChecked = 1 };

class CheckBox : public Control {
  public:
    CheckBox(Window& window, std::string name, Rect at);

    void SetValue(CheckValue value);
    CheckValue Value() const;

    void SetCaption(const std::string& caption);
    const std::string& Caption() const;

    std::function<void()> Click;
};

}  // namespace vantrelle::ui
