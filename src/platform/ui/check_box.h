#pragma once

// A check box. `Click` runs whenever the check state changes, by the user or by code,
// before `SetValue` returns; setting the state it already has raises nothing.

#include <functional>
#include <string>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

class CheckBox : public Control {
  public:
    CheckBox(Window& window, std::string name, Rect at);

    void SetValue(int value);  // 0 cleared, 1 checked
    int Value() const;

    void SetCaption(const std::string& caption);
    const std::string& Caption() const;

    std::function<void()> Click;
};

}  // namespace vantrelle::ui
