#pragma once

// On FAT volumes a listed name does not always lead back to its own entry: the kernel
// drops trailing dots before it looks a name up, and a mount whose character set lacks
// some letters of a long name lists each of them as '?', which a lookup matches on the
// first entry that shows alike. Such an entry is reached through its short name.

#include <string>

#include "platform/files/result.h"

namespace vantrelle::files::posix {

// Whether a lookup of the listed `name` may reach another entry than the listed one on
// a FAT volume.
bool FatLookupMayMiss(const std::string& name);

// The name by which the kernel reaches exactly the entry listed as `name` in the folder
// open as `folder`: `name` itself where the volume looks it up faithfully, its short
// name on FAT. Fails when no name reaches that entry alone.
Result<std::string> LookupName(int folder, const std::string& name);

}  // namespace vantrelle::files::posix
