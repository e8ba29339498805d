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

// The list follows the machine's volumes: when one is mounted or unmounted (Linux: the
// mount table changes; Windows: a volume arrives or goes), it asks its source again,
// once no handler of the program runs.
class DriveListBox : public Control {
  public:
    using Source = std::function<std::vector<DriveEntry>()>;

    // Shows what `drives` gives, now and whenever the volumes change. Starts on the first
    // removable drive, or on the first drive when none is.
    DriveListBox(Window& window, std::string name, Rect at, Source drives);
    // These drives, whatever the machine mounts.
    DriveListBox(Window& window, std::string name, Rect at, std::vector<DriveEntry> drives);

    std::string Drive() const;
    // Selects the entry whose drive is `drive`; an unknown drive changes nothing.
    void SetDrive(const std::string& drive);

    // Asks the source again and shows what it gives. The selected drive stays while it
    // is listed; when it has gone, the next one is selected; a removable drive that
    // arrives when none was listed is selected. Change follows when the selected drive
    // is another one than before.
    void Refresh();

    // The selected drive changed, by the user or by code, before `SetDrive` returns.
    std::function<void()> Change;
};

}  // namespace vantrelle::ui
