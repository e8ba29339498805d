#pragma once

// The drive list: the volumes a user would choose from. `Drive` is the selected
// volume as a usable path to its root: "E:" on Windows, the mount point on Linux.

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

namespace vantrelle::ui {

struct DriveEntry {
    std::string drive;  // what `Drive` reports
    QString text;       // what the list shows; the drive itself when empty
    bool removable = false;
};

// The volumes of this machine: removable media first, without pseudo file systems.
// Never empty: the file system's root stands in when nothing else is mounted.
std::vector<DriveEntry> MountedDrives();

class DriveListBox : public QComboBox {
  public:
    // Selects the first removable drive, or the first drive when none is removable.
    DriveListBox(std::vector<DriveEntry> drives, QWidget* parent);

    std::string Drive() const;
    // Selects the entry whose drive is `drive`; unknown drives are ignored.
    void SetDrive(const std::string& drive);

    const std::vector<DriveEntry>& drives() const { return drives_; }

    // Runs when the selected drive changes, by the user or by code.
    std::function<void()> Change;

  private:
    std::vector<DriveEntry> drives_;
};

}  // namespace vantrelle::ui
