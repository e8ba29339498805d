// The desktop program: opens on the welcome window. It takes no command line and keeps
// no settings; the arguments go to Qt alone (for instance -platform).

#include <QApplication>
#include <QDir>
#include <QFile>

#include "platform/files/files.h"
#include "platform/ui/qt/layout.h"
#include "platform/ui/qt/program.h"
#include "platform/ui/qt/qt_message_box.h"
#include "update/window/update_window.h"
#include "windows/form1.h"
#include "windows/forms.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrelle"));
    QApplication::setDesktopFileName(QStringLiteral("vantrelle"));
    // The windows decide when the program ends: the last one unloaded, or End.
    QApplication::setQuitOnLastWindowClosed(false);
    vantrelle::ui::InstallFonts();
    QApplication::setWindowIcon(vantrelle::windows::WindowIcon());

    auto fs = vantrelle::files::OpenNativeFileSystem();
    vantrelle::ui::QtMessageBox box;
    vantrelle::ui::Program program;
    vantrelle::windows::Services services;
    services.fs = fs.get();
    services.box = &box;
    services.start_folder = QFile::encodeName(QDir::currentPath()).toStdString();
    vantrelle::update::UpdateWindows update_windows(program);
    services.open_update_window = [&update_windows](vantrelle::Language language) {
        update_windows.Open(language);
    };
    vantrelle::windows::Forms forms(program, std::move(services));

    if (forms.form1().Show() == nullptr) {
        return 0;
    }
    return QApplication::exec();
}
