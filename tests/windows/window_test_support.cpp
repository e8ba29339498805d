#include "window_test_support.h"

#include <QMainWindow>

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

QRect GeometryOf(QWidget* window, const char* name) {
    QWidget* client = static_cast<QMainWindow*>(window)->centralWidget();
    QWidget* control = client->findChild<QWidget*>(QLatin1String(name));
    return control ? control->geometry() : QRect();
}

}  // namespace vantrelle::windows
