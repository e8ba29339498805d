#pragma once

// The drive list: the volumes a user would choose from. `Drive` is the selected
// volume as a usable path to its root: "E:" on Windows, the mount point on Linux.

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

struct DriveEntry {
    std::string drive;  // what `Drive` reports
    std::string text;   // what the list shows; the drive itself when empty
    bool removable = false;
    friend bool operator==(const DriveEntry&, const DriveEntry&) = default;
};

// The volumes of this machine: removable media first, without pseudo file systems.
// Never empty: the file system's root stands in when nothing else is mounted.
std::vector<DriveEntry> MountedDrives();

// Whether `path` names the root of a volume the running system lives on, whose hidden
// files the system hides on purpose: on Windows the drive of %SystemRoot%; on Linux a
// mount point on the volume of /, /boot, /usr or a home folder.
bool IsSystemDrive(const std::string& path);

class DriveListBox : public Control {
  public:
    // Starts on the first removable drive, or on the first drive when none is.
    DriveListBox(Window& window, std::string name, Rect at, std::vector<DriveEntry> drives);

    std::string Drive() const;
    // Selects the entry whose drive is `drive`; an unknown drive changes nothing.
    void SetDrive(const std::string& drive);

    // The selected drive changed, by the user or by code, before `SetDrive` returns.
    std::function<void()> Change;
};

}  // namespace vantrelle::ui
