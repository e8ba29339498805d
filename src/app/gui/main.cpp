// The desktop program: opens on the welcome window. It takes no command line and keeps
// no settings; the arguments go to the toolkit alone (for instance Qt's -platform).

#include <filesystem>
#include <system_error>

#include "platform/files/files.h"
#include "platform/ui/message_box.h"
#include "platform/ui/program.h"
#include "update/window/update_window.h"
#include "windows/form1.h"
#include "windows/forms.h"

int main(int argc, char* argv[]) {
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
