#pragma once

// Tests that reset one entry reach it as the engine does: through a listing.

#include <string>

#include "platform/files/files.h"

namespace vantrelle::testing {

// The entry `name` of the folder `folder` as a listing of every entry gives it; the
// platform's "file not found" number when the listing holds no such name.
inline files::Result<files::Listed> ListedEntry(files::FileSystem& fs, const std::string& folder,
                                                const std::string& name) {
    constexpr std::uint32_t kEveryEntry =
        files::kReadOnly | files::kHidden | files::kSystem | files::kDirectory | files::kArchive;
    auto listed = fs.Dir(folder + fs.Separator(), kEveryEntry);
    while (listed && !listed.value().name.empty()) {
        if (listed.value().name == name) {
            return std::move(listed.value());
        }
        listed = fs.Dir();
    }
    if (!listed) {
        return listed.error();
    }
    return files::Error{2, "no entry " + name + " in " + folder};
}

}  // namespace vantrelle::testing
