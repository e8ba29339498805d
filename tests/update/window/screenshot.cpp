// Saves the update windows, waiting and with a verdict, in both languages as PNG files
// in the folder given as the argument; run on a real (virtual) display by
// scripts/screenshots-update.sh. The update file comes from a loopback server.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "platform/ui/qt/layout.h"
#include "support/loopback_http_server.h"
#include "update/window/update_window.h"

namespace {

using namespace vantrelle;

bool Save(QWidget* window, const QString& path) {
    QTest::qWait(300);  // let the window system map and paint it
    QPixmap picture = window->screen()->grabWindow(window->winId());
    if (picture.isNull()) {
        picture = window->grab();
    }
    std::printf("%s\n", qPrintable(path));
    return picture.save(path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ui::InstallFonts();
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
        const QString waiting = window->Panel()->Label1()->Caption();
        if (!QTest::qWaitFor([&] { return window->Panel()->Label1()->Caption() != waiting; },
                             10000)) {
            std::fprintf(stderr, "no verdict within 10 s\n");
            saved = false;
        }
        saved &= Save(window, folder + "/update-" + name + "-verdict.png");
        windows.Slot(language).Unload();
    }
    return saved ? 0 : 1;
}
