#include <QCloseEvent>
#include <QLayout>
#include <algorithm>

#include "platform/ui/program.h"
#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace qt {

void WindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    window_.Unload();
}

void Raise(const Window& window, const std::function<void()>& handler) {
    if (handler && !window.unloaded() && !window.program().ended()) {
        const Program::HandlerScope scope(window.program());
        handler();
    }
}

}  // namespace qt

Window::Window(Program& program, const WindowStyle& style)
    : program_(program),
      name_(style.name),
      caption_(style.caption),
      native_(std::make_unique<Native>()) {
    auto* widget = new qt::WindowWidget(*this);
    native_->widget = widget;
    widget->setObjectName(qt::ToQt(style.name));
    widget->setWindowTitle(qt::ToQt(style.caption));
    widget->setWindowIcon(qt::ProgramIcon());
    // Titles and menu bars read left to right in every language; controls set their own.
    widget->setLayoutDirection(Qt::LeftToRight);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style.border == Border::kFixedDialog) {
        flags |= Qt::MSWindowsFixedSizeDialogHint;
    }
    if (style.minimize_button) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    widget->setWindowFlags(flags);

    auto* client = new QWidget(widget);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(qt::Pixels(style.client_width), qt::Pixels(style.client_height));
    widget->setCentralWidget(client);
    // The window keeps to its client area, and grows by the menu bar once there is one.
    widget->layout()->setSizeConstraint(QLayout::SetFixedSize);
    native_->client = client;

    if (style.client_position) {
        // For a top-level window the geometry is that of its client area.
        widget->setGeometry(qt::Pixels(style.client_position->x),
                            qt::Pixels(style.client_position->y), client->width(),
                            client->height());
    }
}

Window::~Window() {
    delete native_->widget;
}

void Window::Show() {
    QMainWindow* widget = native_->widget;
    if (widget->isVisible()) {
        widget->raise();
        widget->activateWindow();
        return;
    }
    widget->show();
}

Control* Window::FindControl(std::string_view name) const {
    const auto found =
        std::find_if(controls_.begin(), controls_.end(),
                     [name](const Control* control) { return control->Name() == name; });
    return found == controls_.end() ? nullptr : *found;
}

void Window::SetTabOrder(const std::vector<std::string>& names) {
    QList<QWidget*> widgets;
    for (const std::string& name : names) {
        if (const Control* control = FindControl(name)) {
            widgets.append(control->native().widget);
        }
    }
    // Qt leaves widgets that take no focus out of setTabOrder; the labels still keep
    // their place in the chain, so they take part for the length of the reordering.
    QList<Qt::FocusPolicy> policies;
    for (QWidget* widget : widgets) {
        policies.append(widget->focusPolicy());
        if (widget->focusPolicy() == Qt::NoFocus) {
            widget->setFocusPolicy(Qt::TabFocus);
        }
    }
    for (qsizetype i = 1; i < widgets.size(); ++i) {
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
    }
    for (qsizetype i = 0; i < widgets.size(); ++i) {
        widgets[i]->setFocusPolicy(policies[i]);
    }
    for (QWidget* widget : widgets) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            widget->setFocus();
            break;
        }
    }
}

}  // namespace vantrelle::ui
