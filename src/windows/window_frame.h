#pragma once

#include <QStringList>
#include <QWidget>
#include <utility>

#include "platform/ui/qt/layout.h"
#include "windows/texts.h"

namespace vantrelle::ui {
class Window;
}

namespace vantrelle::windows {

// Gives `window` its title, icon, a fixed single border with the title-bar buttons
// asked for, and a client area of the given size in twips (a menu bar comes on top of
// it). Returns the client area, the parent of every control.
QWidget* MakeFrame(ui::Window* window, int client_width, int client_height, bool minimize_button);

// Makes a control of `client` (the arguments before the parent go to its constructor),
// names it and places it at `at`.
template <class Control, class... Args>
Control* MakeControl(QWidget* client, const char* name, const Twips& at, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)..., client);
    control->setObjectName(QLatin1String(name));
    ui::Place(control, at.left, at.top, at.width, at.height);
    return control;
}

// Puts the named controls of `client` into this focus order and gives the first that
// takes focus the focus.
void SetTabOrder(QWidget* client, const QStringList& names);

}  // namespace vantrelle::windows
