#pragma once

// What the program's windows are given: the file system the repair works on, the
// message box, the drives to offer, where the folder list begins, and the way to open
// the update window. The real program passes the machine's own; tests pass an
// in-memory volume and a scripted message box.

#include <functional>
#include <string>
#include <vector>

#include "common/language.h"
#include "platform/files/files.h"
#include "platform/ui/drive_list.h"
#include "platform/ui/message_box.h"

namespace vantrelle::windows {

struct Services {
    files::FileSystem* fs = nullptr;
    ui::MessageBox* box = nullptr;
    std::function<std::vector<ui::DriveEntry>()> drives;           // none: the machine's
    std::function<bool(const std::string& path)> is_system_drive;  // none: the machine's
    std::string start_folder;
    // Opens the update check window of the given language; nothing happens without it.
    std::function<void(Language)> open_update_window;
};

}  // namespace vantrelle::windows
