#pragma once

// How the walk reaches a folder below the one the caller named: from its parent's
// descriptor, by its name alone, never through a symbolic link, and checked to be the
// very folder the parent listed. A folder swapped for a link, or for another folder,
// while a prompt waits is refused instead of followed. Only the named folder is looked
// up by its path.

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files/result.h"

namespace vantrelle::files::posix {

class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    ~Descriptor();

    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_ = -1;
};

// Which entry a listing saw: its inode on its device, and the mount it lies on.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t mount = 0;  // 0 where the kernel does not tell
};

// The identity and type (S_IFMT bits) of `name` in the folder `folder`, or of `folder`
// itself for "", never following a link and never triggering an automount.
Result<Identity> IdentityOf(int folder, const char* name, mode_t* type = nullptr);

// Whether `entry` lies on the mounted volume of `folder`: a bind mount of the same file
// system is another mount.
bool OnSameMount(const Identity& folder, const Identity& entry);

// A folder the walk knows: the one the caller named, or a sub-folder a listing gave.
struct FolderNode {
    std::shared_ptr<const FolderNode> parent;  // none for the named folder
    std::string name;                          // the named folder: its path as given
    std::string lookup;  // the name the kernel finds it by where that differs (FAT short names)
    Identity identity;
    std::size_t path_size = 0;  // the size of PathOf
    Descriptor own;             // the named folder's descriptor, held while it is in use
};

// Opens the folder the caller named, a relative path from the folder `at` (or AT_FDCWD);
// a link on its way is followed, as the user chose it.
Result<std::shared_ptr<const FolderNode>> NamedFolder(int at, const std::string& path);

std::shared_ptr<const FolderNode> ChildOf(std::shared_ptr<const FolderNode> parent,
                                          std::string name, const Identity& identity,
                                          std::string lookup = {});

// The parent's path, a separator unless it ends in one, and the name, for each level.
std::string PathOf(const FolderNode& node);

// `path` without its trailing separators; "/" stays "/".
std::string_view WithoutTrailingSlashes(std::string_view path);

// Descriptors of the folders used last. A walk deeper than the descriptor limit keeps
// only these open; a folder it comes back to is reopened through the ".." of the
// sub-folder it left, or else down from its nearest open ancestor, and checked again.
class OpenFolders {
  public:
    Result<int> Open(const std::shared_ptr<const FolderNode>& folder);
    void Clear() { kept_.clear(); }

  private:
    struct Kept {
        std::shared_ptr<const FolderNode> folder;
        Descriptor fd;
    };
    int Keep(std::shared_ptr<const FolderNode> folder, Descriptor fd);
    int Find(const FolderNode* folder);

    static constexpr std::size_t kKept = 16;
    std::vector<Kept> kept_;  // most recent last
};

}  // namespace vantrelle::files::posix
