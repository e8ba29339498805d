#include <QApplication>

#include "platform/ui/program.h"
#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

Application::Application(int& argc, char** argv) : native_(std::make_unique<Native>()) {
    if (QCoreApplication::instance() == nullptr) {
        native_->application = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("Vantrelle"));
    QApplication::setDesktopFileName(QStringLiteral("vantrelle"));
    // The windows decide when the program ends: the last one unloaded, or End.
    QApplication::setQuitOnLastWindowClosed(false);
    qt::InstallFonts();
    QApplication::setWindowIcon(qt::ProgramIcon());
}

Application::~Application() = default;

int Application::Run() {
    return QApplication::exec();
}

}  // namespace vantrelle::ui
