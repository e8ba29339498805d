#include "window_test_support.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMainWindow>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace vantrelle::windows {

WindowsHarness::WindowsHarness() {
    volume.AddDrive('C');
    volume.AddFolder("C:\\Work");
    volume.AddDrive('E');
    volume.AddDrive('F');
    Services services;
    services.fs = &volume;
    services.box = &box;
    services.drives = [] {
        return std::vector<ui::DriveEntry>{
            {"C:", QStringLiteral("c: [System]"), false},
            {"E:", QStringLiteral("e: [STICK]"), true},
            {"F:", QStringLiteral("f: [CARD]"), true},
        };
    };
    services.start_folder = "C:\\Work";
    services.open_update_window = [this](Language language) {
        update_requests.push_back(language);
    };
    forms = std::make_unique<Forms>(program, std::move(services));
}

QStringList FocusOrder(QWidget* window, const QStringList& names) {
    QStringList order;
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        if (names.contains(widget->objectName()) && !order.contains(widget->objectName())) {
            order.append(widget->objectName());
        }
    }
    // The chain is a ring; read it from the first name asked for.
    const qsizetype start = order.indexOf(names.value(0));
    if (start > 0) {
        order = order.mid(start) + order.mid(0, start);
    }
    return order;
}

QStringList ClippedCaptions(QWidget* window) {
    QStringList clipped;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->isHidden()) {
            continue;
        }
        const QRect room = label->contentsRect();
        const QRect needed =
            label->fontMetrics().boundingRect(room, Qt::TextWordWrap, label->text());
        if (needed.height() > room.height() || needed.width() > room.width()) {
            clipped.append(label->objectName());
        }
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty()) {
            continue;
        }
        // The room the text has: inside the frame of a push button; beside the box of a
        // check box or an option button, up to the control's far edge, where Qt clips.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        int room = 0;
        if (qobject_cast<const QPushButton*>(button)) {
            room = button->style()
                       ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                       .width();
        } else {
            const QStyle::SubElement contents = qobject_cast<const QCheckBox*>(button)
                                                    ? QStyle::SE_CheckBoxContents
                                                    : QStyle::SE_RadioButtonContents;
            const QRect text = button->style()->subElementRect(contents, &option, button);
            room = button->layoutDirection() == Qt::LeftToRight ? button->width() - text.left()
                                                                 : text.right() + 1;
        }
        // The ink ends before the advance by the blank after the last character.
        const QFontMetrics metrics = button->fontMetrics();
        const int ink = metrics.horizontalAdvance(button->text()) -
                        qMax(0, metrics.rightBearing(button->text().back()));
        if (ink > room) {
            clipped.append(button->objectName());
        }
    }
    return clipped;
}

QRect GeometryOf(QWidget* window, const char* name) {
    QWidget* client = static_cast<QMainWindow*>(window)->centralWidget();
    QWidget* control = client->findChild<QWidget*>(QLatin1String(name));
    return control ? control->geometry() : QRect();
}

}  // namespace vantrelle::windows
