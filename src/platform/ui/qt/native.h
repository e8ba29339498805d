#pragma once

// The Qt widgets behind the windowing contract, shared by the controls' files and by
// the Qt test driver.

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/menu.h"
#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

struct Application::Native {
    std::unique_ptr<QApplication> application;  // none when one existed already
};

struct Program::Native {
    // Windows waiting for the event loop to destroy them, each held by a QObject that
    // deleteLater() destroys: Qt then waits for the handler that unloaded the window,
    // and for any nested event loop it runs, to return.
    QObject reapers;
    std::map<Window*, std::unique_ptr<Window>> owned;
};

namespace qt {
class WindowWidget;
}

struct Window::Native {
    qt::WindowWidget* widget = nullptr;
    QWidget* client = nullptr;
};

struct Control::Native {
    explicit Native(QWidget* shown) : widget(shown) {}
    ~Native() { delete widget.data(); }
    QPointer<QWidget> widget;
    std::string caption;
};

struct Menu::Native {
    Window* window = nullptr;
    QPointer<QMenu> menu;
    std::string caption;
};

struct MenuItem::Native {
    Window* window = nullptr;
    QPointer<QAction> action;
    std::string caption;
};

namespace qt {

class WindowWidget : public QMainWindow {
  public:
    explicit WindowWidget(Window& window) : window_(window) {}
    Window& window() const { return window_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Window& window_;
};

inline QString ToQt(const std::string& text) {
    // A name from disk may hold bytes that are not UTF-8: each shows as U+FFFD.
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

// Twips to pixels of the screen, 15 to the pixel at 96 dots per inch.
int Pixels(int twips);
QRect Pixels(const Rect& twips);

QFont ToQFont(const Font& font);
// The font of the controls that name none: the classic 8.25 pt dialog font the windows'
// sizes were drawn for (Qt's own default is larger and clips their captions).
QFont DefaultFont();
// Makes DefaultFont() the application's font and lets families with Arabic glyphs stand
// in for Tahoma and Arial where they are missing.
void InstallFonts();
// The program's pictures and icon, built into the Qt library.
QPixmap Picture(const std::string& name);
QIcon ProgramIcon();

// A control's widget, made a child of the window's client area and placed there.
std::unique_ptr<Control::Native> Placed(Window& window, QWidget* widget, const Rect& at);

template <class Widget>
Widget* WidgetOf(const Control& control) {
    return static_cast<Widget*>(control.native().widget.data());
}

// Runs an event handler of a control of `window`, unless the window is unloaded or the
// program has ended: no handler runs after that.
void Raise(const Window& window, const std::function<void()>& handler);

}  // namespace qt
}  // namespace vantrelle::ui
