#pragma once

// Which drive the drive list selects, on every toolkit: at the start, and after the
// machine's drives changed.

#include <vector>

#include "platform/ui/drive_list.h"

namespace vantrelle::ui::common {

// The first removable drive, or the first drive when none is; -1 for no drive at all.
int StartingDrive(const std::vector<DriveEntry>& drives);

// The entry of `now` to select after the drives changed from `before`, on whose entry
// `selected` the list was (-1: none). The selected drive stays while it is listed, unless
// a removable drive arrived when none was there: that one is taken. A drive that went is
// followed by the next one after it that is still listed, else the one before it.
int DriveAfterChange(const std::vector<DriveEntry>& before, int selected,
                     const std::vector<DriveEntry>& now);

}  // namespace vantrelle::ui::common
