#include "windows/window_frame.h"

#include <QWidget>

#include "platform/ui/qt/program.h"
#include "windows/forms.h"

namespace vantrelle::windows {

QWidget* MakeFrame(ui::Window* window, int client_width, int client_height, bool minimize_button) {
    window->setWindowTitle(QStringLiteral("Vantrelle"));
    window->setWindowIcon(WindowIcon());
    window->setLayoutDirection(Qt::LeftToRight);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (minimize_button) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    window->setWindowFlags(flags);

    return window->MakeClientArea(client_width, client_height);
}

void SetTabOrder(QWidget* client, const QStringList& names) {
    QList<QWidget*> widgets;
    for (const QString& name : names) {
        if (auto* widget = client->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) {
            widgets.append(widget);
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

}  // namespace vantrelle::windows
