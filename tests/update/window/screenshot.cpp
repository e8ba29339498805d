// Saves the update windows, waiting and with a verdict, in both languages as PNG files
// in the folder given as the argument; run on a real (virtual) display by
// scripts/screenshots.sh. The update file comes from a loopback server.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "platform/ui/qt/native.h"
#include "support/loopback_http_server.h"
#include "update/window/update_window.h"

namespace {

using namespace vantrelle;

void Wait(
    int milliseconds, const std::function<bool()>& done = [] { return false; }) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool Save(update::UpdateWindow* window, const QString& path) {
    Wait(300);  // let the window system map and paint it
    QWidget* widget = window->native().widget;
    QPixmap picture = widget->screen()->grabWindow(widget->winId());
    if (picture.isNull()) {
        picture = widget->grab();
    }
    std::printf("%s\n", qPrintable(path));
    return picture.save(path);
}

}  // namespace

int main(int argc, char** argv) {
    ui::Application application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);

    testing::LoopbackHttpServer server;
    server.Serve("/pending",
                 testing::HttpAnswer{.delivery = testing::HttpAnswer::Delivery::kNeverAnswer});
    server.Serve("/file",
                 testing::HttpAnswer{.body = "UpdateOK;2.0;http://vantrelle.example.org/download"});

    bool saved = true;
    for (Language language : {Language::English, Language::Farsi}) {
        const QString name =
            language == Language::Farsi ? QStringLiteral("fa") : QStringLiteral("en");
        {
            // The program ends with its last window; each picture gets its own.
            ui::Program program([] {});
            update::UpdateWindows windows(program, {server.Url("/pending"), {}});
            saved &= Save(windows.Open(language), folder + "/update-" + name + "-waiting.png");
            windows.Slot(language).Unload();
        }
        ui::Program program([] {});
        update::UpdateWindows windows(program, {server.Url("/file"), {}});
        update::UpdateWindow* window = windows.Open(language);
        const std::string waiting = window->Panel().Label1().Caption();
        Wait(10000, [&] { return window->Panel().Label1().Caption() != waiting; });
        if (window->Panel().Label1().Caption() == waiting) {
            std::fprintf(stderr, "no verdict within 10 s\n");
            saved = false;
        }
        saved &= Save(window, folder + "/update-" + name + "-verdict.png");
        windows.Slot(language).Unload();
    }
    return saved ? 0 : 1;
}
