#include "platform/files/posix/working_folder.h"

#include <unistd.h>

#include <cerrno>

#include "platform/files/posix/system_error.h"

namespace vantrelle::files::posix {

WorkingFolder::~WorkingFolder() {
    if (home_.get() >= 0) {
        // Nothing is left to report to: the walk is over. A home that went away leaves
        // the working folder in the stick's folder, which relative paths never use.
        (void)::fchdir(home_.get());
    }
}

Status WorkingFolder::Enter(const std::shared_ptr<const FolderNode>& folder, int fd) {
    if (in_ == folder) {
        return Done{};
    }
    if (home_.get() < 0) {
        Descriptor home(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (home.get() < 0) {
            return SystemError(errno, "remembering the working folder");
        }
        home_ = std::move(home);
    }
    if (::fchdir(fd) != 0) {
        return SystemError(errno, "entering the folder");
    }
    in_ = folder;
    return Done{};
}

}  // namespace vantrelle::files::posix
