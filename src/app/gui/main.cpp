// The desktop program: opens on the welcome window. It takes no command line and keeps
// no settings; the arguments go to the toolkit alone (for instance Qt's -platform).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/files/files.h"
#include "platform/ui/message_box.h"
#include "platform/ui/program.h"
#include "update/window/update_window.h"
#include "windows/form1.h"
#include "windows/forms.h"

namespace {

// Without a display the toolkit aborts with a message about reinstalling; say what is
// wrong instead, and where the repair without a window is. A platform chosen by the
// caller (QT_QPA_PLATFORM, -platform) is the caller's business.
bool HasDisplay(int argc, char* argv[]) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    return true;
#else
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "-platform") {
            return true;
        }
    }
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!HasDisplay(argc, argv)) {
        std::fputs(
            "vantrelle: no display to show the window on (neither DISPLAY nor "
            "WAYLAND_DISPLAY is set); without a window, repair with vantrelle-cli "
            "(see vantrelle-cli --help)\n",
            stderr);
        return 1;
    }
    vantrelle::ui::Application application(argc, argv);

    auto fs = vantrelle::files::OpenNativeFileSystem();
    auto box = vantrelle::ui::NewScreenMessageBox();
    vantrelle::ui::Program program;
    vantrelle::windows::Services services;
    services.fs = fs.get();
    services.box = box.get();
    std::error_code error;
    const std::u8string start = std::filesystem::current_path(error).u8string();
    services.start_folder.assign(start.begin(), start.end());
    vantrelle::update::UpdateWindows update_windows(program);
    services.open_update_window = [&update_windows](vantrelle::Language language) {
        update_windows.Open(language);
    };
    vantrelle::windows::Forms forms(program, std::move(services));

    if (forms.form1().Show() == nullptr) {
        return 0;
    }
    return application.Run();
}
