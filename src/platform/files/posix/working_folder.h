#pragma once

// Entries are reached by their name alone from inside the folder that listed them: the
// extended-attribute calls take no folder descriptor, and a path through
// /proc/self/fd/N costs three times a lookup relative to the working folder. While a
// walk resets entries, the process's working folder is the folder in use; it returns
// to where it was when the walk is over, and a path the caller gives is still taken
// from there.

#include <fcntl.h>

#include <memory>

#include "platform/files/posix/folder_chain.h"
#include "platform/files/result.h"

namespace vantrelle::files::posix {

class WorkingFolder {
  public:
    WorkingFolder() = default;
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    ~WorkingFolder();

    // Makes the folder open as `fd`, which is `folder`, the working folder.
    Status Enter(const std::shared_ptr<const FolderNode>& folder, int fd);

    // Where a relative path the caller gives starts: the working folder as it was.
    int Home() const { return home_.get() >= 0 ? home_.get() : AT_FDCWD; }

  private:
    Descriptor home_;
    std::shared_ptr<const FolderNode> in_;  // held, so that no other node takes its place
};

}  // namespace vantrelle::files::posix
