#include "window_test_support.h"

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
            {"C:", "c: [System]", false},
            {"E:", "e: [STICK]", true},
            {"F:", "f: [CARD]", true},
        };
    };
    services.is_system_drive = [](const std::string& path) {
        return path == "C:" || path == "C:\\";
    };
    services.start_folder = "C:\\Work";
    services.open_update_window = [this](Language language) {
        update_requests.push_back(language);
    };
    forms = std::make_unique<Forms>(program, std::move(services));
}

}  // namespace vantrelle::windows
