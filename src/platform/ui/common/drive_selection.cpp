#include "platform/ui/common/drive_selection.h"

#include <algorithm>

namespace vantrelle::ui::common {

namespace {

int IndexOf(const std::vector<DriveEntry>& drives, const DriveEntry& wanted) {
    const auto found = std::find_if(drives.begin(), drives.end(), [&](const DriveEntry& entry) {
        return entry.drive == wanted.drive;
    });
    return found != drives.end() ? static_cast<int>(found - drives.begin()) : -1;
}

bool AnyRemovable(const std::vector<DriveEntry>& drives) {
    return std::any_of(drives.begin(), drives.end(),
                       [](const DriveEntry& entry) { return entry.removable; });
}

}  // namespace

int StartingDrive(const std::vector<DriveEntry>& drives) {
    if (drives.empty()) {
        return -1;
    }
    const auto removable = std::find_if(drives.begin(), drives.end(),
                                        [](const DriveEntry& entry) { return entry.removable; });
    return removable != drives.end() ? static_cast<int>(removable - drives.begin()) : 0;
}

int DriveAfterChange(const std::vector<DriveEntry>& before, int selected,
                     const std::vector<DriveEntry>& now) {
    if (!AnyRemovable(before) && AnyRemovable(now)) {
        return StartingDrive(now);
    }
    if (selected < 0 || selected >= static_cast<int>(before.size())) {
        return StartingDrive(now);
    }
    if (const int kept = IndexOf(now, before[selected]); kept >= 0) {
        return kept;
    }
    for (int next = selected + 1; next < static_cast<int>(before.size()); ++next) {
        if (const int found = IndexOf(now, before[next]); found >= 0) {
            return found;
        }
    }
    for (int previous = selected - 1; previous >= 0; --previous) {
        if (const int found = IndexOf(now, before[previous]); found >= 0) {
            return found;
        }
    }
    return StartingDrive(now);
}

}  // namespace vantrelle::ui::common
