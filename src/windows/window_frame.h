#pragma once

#include <QStringList>

class QWidget;

namespace vantrelle::ui {
class Window;
}

namespace vantrelle::windows {

// Gives `window` its title, icon, a fixed single border with the title-bar buttons
// asked for, and a client area of the given size in twips (a menu bar comes on top of
// it). Returns the client area, the parent of every control.
QWidget* MakeFrame(ui::Window* window, int client_width, int client_height, bool minimize_button);

// Puts the named controls of `client` into this focus order and gives the first that
// takes focus the focus.
void SetTabOrder(QWidget* client, const QStringList& names);

}  // namespace vantrelle::windows
