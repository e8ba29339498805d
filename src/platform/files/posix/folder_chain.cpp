#include "platform/files/posix/folder_chain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/files/posix/system_error.h"

#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x00001000U
#endif

namespace vantrelle::files::posix {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool SameEntry(const Identity& a, const Identity& b) {
    return a.device == b.device && a.inode == b.inode;
}

Error Replaced(int number) {
    return SystemError(number,
                       "opening the folder: it was replaced by a link or by another folder "
                       "during the repair, and is not entered");
}

// Opens `child` in the folder `parent` and checks it is the folder that was listed.
Result<Descriptor> OpenChild(int parent, const FolderNode& child) {
    const std::string& name = child.lookup.empty() ? child.name : child.lookup;
    Descriptor fd(::openat(parent, name.c_str(), kFolderFlags | O_NOFOLLOW));
    if (fd.get() < 0) {
        const int number = errno;
        if (number == ELOOP || number == ENOTDIR) {
            return Replaced(number);
        }
        return SystemError(number, "opening the folder");
    }
    auto found = IdentityOf(fd.get(), "");
    if (!found) {
        return found.error();
    }
    if (!SameEntry(found.value(), child.identity)) {
        return Replaced(ESTALE);
    }
    return fd;
}

}  // namespace

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Descriptor::~Descriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Result<Identity> IdentityOf(int folder, const char* name, mode_t* type) {
    struct statx found {};
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (*name == '\0' ? AT_EMPTY_PATH : 0);
    if (::statx(folder, name, flags, STATX_TYPE | STATX_INO | STATX_MNT_ID, &found) != 0) {
        return SystemError(errno, "looking up the entry");
    }
    if (type != nullptr) {
        *type = found.stx_mode & S_IFMT;
    }
    Identity identity;
    identity.device = ::makedev(found.stx_dev_major, found.stx_dev_minor);
    identity.inode = found.stx_ino;
    if (found.stx_mask & STATX_MNT_ID) {
        identity.mount = found.stx_mnt_id;
    }
    return identity;
}

bool OnSameMount(const Identity& folder, const Identity& entry) {
    if (folder.device != entry.device) {
        return false;
    }
    return folder.mount == 0 || entry.mount == 0 || folder.mount == entry.mount;
}

Result<std::shared_ptr<const FolderNode>> NamedFolder(int at, const std::string& path) {
    Descriptor fd(::openat(at, path.c_str(), kFolderFlags));
    if (fd.get() < 0) {
        return SystemError(errno, "opening the folder");
    }
    auto identity = IdentityOf(fd.get(), "");
    if (!identity) {
        return identity.error();
    }
    auto node = std::make_shared<FolderNode>();
    node->name = path;
    node->identity = identity.value();
    node->path_size = path.size();
    node->own = std::move(fd);
    return std::shared_ptr<const FolderNode>(std::move(node));
}

std::shared_ptr<const FolderNode> ChildOf(std::shared_ptr<const FolderNode> parent,
                                          std::string name, const Identity& identity,
                                          std::string lookup) {
    auto node = std::make_shared<FolderNode>();
    const bool parent_ends_in_slash = !parent->parent && parent->name.ends_with('/');
    node->path_size = parent->path_size + (parent_ends_in_slash ? 0 : 1) + name.size();
    node->parent = std::move(parent);
    node->name = std::move(name);
    node->lookup = std::move(lookup);
    node->identity = identity;
    return node;
}

std::string PathOf(const FolderNode& node) {
    std::vector<const FolderNode*> chain;
    for (const FolderNode* at = &node; at != nullptr; at = at->parent.get()) {
        chain.push_back(at);
    }
    std::string path;
    path.reserve(node.path_size);
    path = chain.back()->name;
    for (auto at = chain.rbegin() + 1; at != chain.rend(); ++at) {
        if (path.empty() || path.back() != '/') {
            path += '/';
        }
        path += (*at)->name;
    }
    return path;
}

std::string_view WithoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return path;
}

Result<int> OpenFolders::Open(const std::shared_ptr<const FolderNode>& folder) {
    if (folder->own.get() >= 0) {
        return folder->own.get();
    }
    if (const int kept = Find(folder.get()); kept >= 0) {
        return kept;
    }
    // Back from a sub-folder: its ".." is the folder, unless it was moved meanwhile.
    for (auto kept = kept_.rbegin(); kept != kept_.rend(); ++kept) {
        if (kept->folder->parent == folder) {
            Descriptor fd(::openat(kept->fd.get(), "..", kFolderFlags));
            if (fd.get() >= 0) {
                auto found = IdentityOf(fd.get(), "");
                if (found && SameEntry(found.value(), folder->identity)) {
                    return Keep(folder, std::move(fd));
                }
            }
            break;
        }
    }
    // Down from the nearest ancestor that is open, one checked name at a time.
    std::vector<const FolderNode*> below;
    int from = -1;
    for (const FolderNode* at = folder.get(); from < 0; at = at->parent.get()) {
        below.push_back(at);
        const FolderNode* parent = at->parent.get();
        from = parent->own.get() >= 0 ? parent->own.get() : Find(parent);
    }
    Descriptor fd;
    for (auto at = below.rbegin(); at != below.rend(); ++at) {
        auto opened = OpenChild(from, **at);
        if (!opened) {
            return opened.error();
        }
        fd = std::move(opened.value());
        from = fd.get();
    }
    return Keep(folder, std::move(fd));
}

int OpenFolders::Keep(std::shared_ptr<const FolderNode> folder, Descriptor fd) {
    if (kept_.size() == kKept) {
        kept_.erase(kept_.begin());
    }
    kept_.push_back(Kept{std::move(folder), std::move(fd)});
    return kept_.back().fd.get();
}

int OpenFolders::Find(const FolderNode* folder) {
    // Asked once per entry, nearly always for the folder used last.
    if (!kept_.empty() && kept_.back().folder.get() == folder) {
        return kept_.back().fd.get();
    }
    for (auto kept = kept_.begin(); kept != kept_.end(); ++kept) {
        if (kept->folder.get() == folder) {
            // The one found moves to the end, so the folders of the current path stay.
            std::rotate(kept, kept + 1, kept_.end());
            return kept_.back().fd.get();
        }
    }
    return -1;
}

}  // namespace vantrelle::files::posix
