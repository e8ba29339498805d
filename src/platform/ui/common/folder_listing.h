#pragma once

// What a folder list shows, whatever the toolkit draws it with: where a path lies below
// its drive's root, and the sub-folders of a folder.

#include <string>
#include <vector>

#include "platform/files/files.h"

namespace vantrelle::ui::common {

// `path` as the list holds it: a drive ("E:") as its root ("E:\"), no separator at the
// end but a root's.
std::string FolderPlace(const std::string& path, char separator);

// The root of the drive a drive-letter path lies on ("E:\"), or "" for any other path.
std::string DriveLetterRoot(const std::string& place, char separator);

struct FolderEntry {
    std::string path;  // what opening it moves the list to
    std::string name;  // what the list shows
    friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// The entries from `top` (shown whole) down to `place`, one per folder in between;
// just `place` when it does not lie below `top`.
std::vector<FolderEntry> FoldersDownTo(const std::string& top, const std::string& place,
                                       char separator);

struct SubFolderListing {
    std::vector<FolderEntry> folders;  // in the order the file system gave them
    std::string error;                 // why the listing stopped short, "" when it did not
};

// The sub-folders of `place`, hidden ones included; what was read before a failure is
// kept.
SubFolderListing ListSubFolders(files::FileSystem& fs, const std::string& place);

}  // namespace vantrelle::ui::common
