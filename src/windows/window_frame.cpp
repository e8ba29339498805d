#include "windows/window_frame.h"

#include <QLayout>
#include <QWidget>

#include "platform/ui/layout.h"
#include "platform/ui/program.h"
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

    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ui::Twips(client_width), ui::Twips(client_height));
    window->setCentralWidget(client);
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    return client;
}

void SetTabOrder(QWidget* client, const QStringList& names) {
    QList<QWidget*> widgets;
    for (const QString& name : names) {
        if (auto* widget = client->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) {
            widgets.append(widget);
        }
    }
    for (qsizetype i = 1; i < widgets.size(); ++i) {
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
    }
    for (QWidget* widget : widgets) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            widget->setFocus();
            break;
        }
    }
}

}  // namespace vantrelle::windows
