// The file operations over POSIX directories, with DOS attributes kept by whatever
// mechanism each Linux volume offers (attribute_store.h). Below the folder the caller
// names, every entry is reached through its parent's descriptor (folder_chain.h), and
// the recursive walk stays on the mount of the folder it was given.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "platform/files/files.h"
#include "platform/files/posix/attribute_store.h"
#include "platform/files/posix/fat_lookup_name.h"
#include "platform/files/posix/folder_chain.h"
#include "platform/files/posix/last_component.h"
#include "platform/files/posix/system_error.h"

namespace vantrelle::files {

namespace {

using posix::AttributeStore;
using posix::Descriptor;
using posix::FolderNode;
using posix::Identity;
using posix::LastComponent;
using posix::OpenFolders;
using posix::SystemError;
using Node = std::shared_ptr<const FolderNode>;

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Whether a listed entry is a directory, without following a link.
bool IsDirectory(DIR* dir, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) {
        return entry.d_type == DT_DIR;
    }
    struct stat st;
    return ::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(st.st_mode);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// A listing of the folder open as `folder`, with an open file description of its own.
Result<DirHandle> ListFolder(int folder) {
    Descriptor fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        return SystemError(errno, "opening the folder");
    }
    DIR* dir = ::fdopendir(fd.get());
    if (dir == nullptr) {
        return SystemError(errno, "opening the folder");
    }
    fd.release();
    return DirHandle(dir);
}

// The next entry of `dir`, nullptr at the end.
Result<dirent*> ReadEntry(DIR* dir) {
    errno = 0;
    dirent* entry = ::readdir(dir);
    if (entry == nullptr && errno != 0) {
        return SystemError(errno, "reading the folder");
    }
    return entry;
}

mode_t TypeOf(unsigned char d_type) {
    switch (d_type) {
        case DT_REG:
            return S_IFREG;
        case DT_LNK:
            return S_IFLNK;
        case DT_FIFO:
            return S_IFIFO;
        case DT_SOCK:
            return S_IFSOCK;
        case DT_CHR:
            return S_IFCHR;
        case DT_BLK:
            return S_IFBLK;
        default:
            return 0;  // a directory, or not told
    }
}

// The non-directory a listing gave last: the repair resets each entry right after the
// listing gives it, and this spares that reset a lookup of its own.
class LastListed {
  public:
    void Remember(const Node& folder, const char* name, unsigned char d_type, dev_t volume) {
        entry_.type = TypeOf(d_type);
        if (entry_.type == 0) {
            return;
        }
        folder_ = folder;  // weakly: a walk that ended keeps no folder open through it
        name_ = name;
        entry_.volume = volume;
    }

    // What is known of `name` in `folder` when it is the remembered entry.
    const posix::ListedEntry* Match(const FolderNode* folder, std::string_view name) const {
        if (entry_.type == 0 || folder != folder_.lock().get() || name != name_) {
            return nullptr;
        }
        return &entry_;
    }

  private:
    std::weak_ptr<const FolderNode> folder_;
    std::string name_;
    posix::ListedEntry entry_;
};

class PosixFolder;

// What the file system's objects share: the descriptors of the folders used last, the
// folders alive now (so that a path the engine builds from one is reached through it),
// and the entry listed last.
struct Walk {
    OpenFolders open;
    std::vector<const PosixFolder*> alive;
    LastListed last;

    // The sub-folder alive now whose path is `path`.
    Node FindSubFolder(std::string_view path) const;
    // The folder alive now whose path is `path`, trailing separators aside.
    Node FindFolder(std::string_view path) const;
};

// A listed sub-folder and what it was when listed.
struct ListedFolder {
    std::string name;
    Identity identity;
    std::string lookup;  // where the kernel finds it by another name
};

// The names a folder holds, taken in one pass when first asked for. A walk keeps one
// folder per level of its path, so holding names instead of an open directory lets it
// go as deep as the tree does without running out of descriptors.
struct Snapshot {
    std::vector<std::string> files;         // everything but the walkable folders
    std::vector<unsigned char> file_types;  // d_type of each file
    std::vector<ListedFolder> sub_folders;  // folders on the folder's own mount
    dev_t volume = 0;
    // A listing that failed part-way keeps what it read; the failure is reported where
    // each enumeration reaches the end of what was read.
    std::optional<Error> cut_short;
};

class PosixFile final : public File {
  public:
    explicit PosixFile(std::string name) : name_(std::move(name)) {}
    Result<std::string> Name() override { return name_; }

  private:
    std::string name_;
};

class PosixFolder final : public Folder {
  public:
    PosixFolder(Node node, std::shared_ptr<Walk> walk)
        : node_(std::move(node)), walk_(std::move(walk)) {
        walk_->alive.push_back(this);
    }
    ~PosixFolder() override {
        auto& alive = walk_->alive;
        alive.erase(std::find(alive.rbegin(), alive.rend(), this).base() - 1);
        if (alive.empty()) {
            walk_->open.Clear();  // no descriptor keeps the volume busy after a walk
        }
    }

    const Node& node() const { return node_; }

    Result<std::string> Path() override { return posix::PathOf(*node_); }

    // The last component; a root has none. "." and ".." are resolved first, so that
    // a folder named by them is judged by its real name, not taken as reserved.
    Result<std::string> Name() override {
        if (node_->parent) {
            return node_->name;
        }
        std::string name = LastComponent(node_->name);
        if (name == "." || name == "..") {
            char* real = ::realpath(node_->name.c_str(), nullptr);
            if (real == nullptr) {
                return SystemError(errno, "resolving the folder's name");
            }
            name = LastComponent(real);
            std::free(real);
        }
        return name;
    }

    Result<std::unique_ptr<FileCollection>> Files() override;
    Result<std::unique_ptr<FolderCollection>> SubFolders() override;

  private:
    Result<std::shared_ptr<const Snapshot>> Take();

    Node node_;
    std::shared_ptr<Walk> walk_;
    std::shared_ptr<const Snapshot> snapshot_;
};

Node Walk::FindSubFolder(std::string_view path) const {
    for (auto folder = alive.rbegin(); folder != alive.rend(); ++folder) {
        const Node& node = (*folder)->node();
        if (node->parent && posix::HasPath(*node, path)) {
            return node;
        }
    }
    return nullptr;
}

Node Walk::FindFolder(std::string_view path) const {
    for (auto folder = alive.rbegin(); folder != alive.rend(); ++folder) {
        if (posix::HasPath(*(*folder)->node(), path)) {
            return (*folder)->node();
        }
    }
    return nullptr;
}

template <class Member>
class NameEnumerator final : public Enumerator<Member> {
  public:
    NameEnumerator(std::shared_ptr<const Snapshot> snapshot, Node folder,
                   std::shared_ptr<Walk> walk)
        : snapshot_(std::move(snapshot)), folder_(std::move(folder)), walk_(std::move(walk)) {}

    Result<std::unique_ptr<Member>> Next() override;

  private:
    std::size_t size() const {
        if constexpr (std::is_same_v<Member, File>) {
            return snapshot_->files.size();
        } else {
            return snapshot_->sub_folders.size();
        }
    }

    // nullptr at the end of what was read; the failure that cut the listing short, once.
    std::optional<Error> End() {
        if (snapshot_->cut_short && !reported_) {
            reported_ = true;
            return snapshot_->cut_short;
        }
        return std::nullopt;
    }

    std::shared_ptr<const Snapshot> snapshot_;
    Node folder_;
    std::shared_ptr<Walk> walk_;
    std::size_t next_ = 0;
    bool reported_ = false;
};

template <class Member>
class NameCollection final : public Collection<Member> {
  public:
    NameCollection(std::shared_ptr<const Snapshot> snapshot, Node folder,
                   std::shared_ptr<Walk> walk)
        : snapshot_(std::move(snapshot)), folder_(std::move(folder)), walk_(std::move(walk)) {}

    Result<std::int32_t> Count() override {
        std::size_t size = 0;
        if constexpr (std::is_same_v<Member, File>) {
            size = snapshot_->files.size();
        } else {
            size = snapshot_->sub_folders.size();
        }
        if (size > static_cast<std::size_t>(INT32_MAX)) {
            return Error{EOVERFLOW, "The folder holds too many entries to count"};
        }
        return static_cast<std::int32_t>(size);
    }

    Result<std::unique_ptr<Enumerator<Member>>> Enumerate() override {
        return std::unique_ptr<Enumerator<Member>>(
            std::make_unique<NameEnumerator<Member>>(snapshot_, folder_, walk_));
    }

  private:
    std::shared_ptr<const Snapshot> snapshot_;
    Node folder_;
    std::shared_ptr<Walk> walk_;
};

Result<std::unique_ptr<FileCollection>> PosixFolder::Files() {
    auto snapshot = Take();
    if (!snapshot) {
        return snapshot.error();
    }
    return std::unique_ptr<FileCollection>(
        std::make_unique<NameCollection<File>>(snapshot.value(), node_, walk_));
}

Result<std::unique_ptr<FolderCollection>> PosixFolder::SubFolders() {
    auto snapshot = Take();
    if (!snapshot) {
        return snapshot.error();
    }
    return std::unique_ptr<FolderCollection>(
        std::make_unique<NameCollection<Folder>>(snapshot.value(), node_, walk_));
}

Result<std::shared_ptr<const Snapshot>> PosixFolder::Take() {
    if (snapshot_) {
        return snapshot_;
    }
    auto folder = walk_->open.Open(node_);
    if (!folder) {
        return folder.error();
    }
    auto dir = ListFolder(folder.value());
    if (!dir) {
        return dir.error();
    }
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->volume = node_->identity.device;
    for (;;) {
        auto entry = ReadEntry(dir.value().get());
        if (!entry) {
            if (snapshot->files.empty() && snapshot->sub_folders.empty()) {
                return entry.error();
            }
            snapshot->cut_short = entry.error();
            break;
        }
        if (entry.value() == nullptr) {
            break;
        }
        const dirent& listed = *entry.value();
        if (IsDotOrDotDot(listed.d_name)) {
            continue;
        }
        unsigned char type = listed.d_type;
        if (type == DT_DIR || type == DT_UNKNOWN) {
            // A folder is entered only on this folder's own mount; a mount point is
            // listed among the files, so that its own attributes are reset.
            // A name the kernel would take for another entry's is looked up by the one it
            // finds this entry by; a folder without one is listed among the files, whose
            // reset reports why.
            auto lookup = posix::LookupName(::dirfd(dir.value().get()), listed.d_name);
            if (!lookup) {
                snapshot->files.emplace_back(listed.d_name);
                snapshot->file_types.push_back(type);
                continue;
            }
            mode_t mode = 0;
            auto identity =
                posix::IdentityOf(::dirfd(dir.value().get()), lookup.value().c_str(), &mode);
            if (identity && S_ISDIR(mode) &&
                posix::OnSameMount(node_->identity, identity.value())) {
                snapshot->sub_folders.push_back(
                    ListedFolder{listed.d_name, identity.value(),
                                 lookup.value() == listed.d_name ? std::string() : lookup.value()});
                continue;
            }
            if (identity && !S_ISDIR(mode)) {
                type = IFTODT(mode);
            }
        }
        snapshot->files.emplace_back(listed.d_name);
        snapshot->file_types.push_back(type);
    }
    snapshot_ = std::move(snapshot);
    return snapshot_;
}

template <>
Result<std::unique_ptr<File>> NameEnumerator<File>::Next() {
    if (next_ >= size()) {
        if (auto failure = End()) {
            return *failure;
        }
        return std::unique_ptr<File>();
    }
    const std::string& name = snapshot_->files[next_];
    walk_->last.Remember(folder_, name.c_str(), snapshot_->file_types[next_], snapshot_->volume);
    ++next_;
    return std::unique_ptr<File>(std::make_unique<PosixFile>(name));
}

template <>
Result<std::unique_ptr<Folder>> NameEnumerator<Folder>::Next() {
    if (next_ >= size()) {
        if (auto failure = End()) {
            return *failure;
        }
        return std::unique_ptr<Folder>();
    }
    const ListedFolder& listed = snapshot_->sub_folders[next_++];
    return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(
        posix::ChildOf(folder_, listed.name, listed.identity, listed.lookup), walk_));
}

class PosixFileSystemObject final : public FileSystemObject {
  public:
    explicit PosixFileSystemObject(std::shared_ptr<Walk> walk) : walk_(std::move(walk)) {}

    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        // A sub-folder the walk listed is reached through its parent, checked again.
        if (Node listed = walk_->FindSubFolder(path)) {
            auto opened = walk_->open.Open(listed);
            if (!opened) {
                return opened.error();
            }
            return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(listed, walk_));
        }
        auto named = posix::NamedFolder(path);
        if (!named) {
            return named.error();
        }
        return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(named.value(), walk_));
    }

  private:
    std::shared_ptr<Walk> walk_;
};

class PosixFileSystem final : public FileSystem {
  public:
    char Separator() const override { return '/'; }

    Result<std::string> Dir(const std::string& pattern, std::uint32_t mask) override {
        listing_.reset();
        listing_folder_.reset();
        mask_ = mask;
        auto folder = posix::NamedFolder(std::string(posix::WithoutTrailingSlashes(pattern)));
        if (!folder) {
            return folder.error();
        }
        auto dir = ListFolder(folder.value()->own.get());
        if (!dir) {
            return dir.error();
        }
        listing_ = std::move(dir.value());
        listing_folder_ = std::move(folder.value());
        return Dir();
    }

    Result<std::string> Dir() override {
        if (!listing_) {
            return Error{EINVAL, "No folder listing is in progress"};
        }
        for (;;) {
            auto entry = ReadEntry(listing_.get());
            if (!entry) {
                return entry.error();
            }
            if (entry.value() == nullptr) {
                listing_.reset();
                listing_folder_.reset();
                return std::string();
            }
            if ((mask_ & kDirectory) == 0 && IsDirectory(listing_.get(), *entry.value())) {
                continue;
            }
            walk_->last.Remember(listing_folder_, entry.value()->d_name, entry.value()->d_type,
                                 listing_folder_->identity.device);
            return std::string(entry.value()->d_name);
        }
    }

    // An entry of a folder being listed or walked is reset through that folder's
    // descriptor; any other path is looked up as given, its last component unfollowed.
    Status SetAttr(const std::string& path, std::uint32_t attributes) override {
        const std::string_view whole = posix::WithoutTrailingSlashes(path);
        const std::size_t slash = whole.rfind('/');
        std::string_view folder_path = ".";
        std::string_view name = whole;
        if (slash != std::string_view::npos) {
            folder_path =
                posix::WithoutTrailingSlashes(whole.substr(0, std::max<std::size_t>(slash, 1)));
            name = whole.substr(slash + 1);
        }
        if (name.empty()) {
            name = ".";  // the root itself
        }
        const std::string entry(name);

        Node folder;
        if (listing_folder_ && posix::HasPath(*listing_folder_, folder_path)) {
            folder = listing_folder_;
        } else {
            folder = walk_->FindFolder(folder_path);
        }
        if (folder) {
            auto fd = walk_->open.Open(folder);
            if (!fd) {
                return fd.error();
            }
            return store_.Set(fd.value(), entry, attributes,
                              walk_->last.Match(folder.get(), entry));
        }
        Descriptor fd(::open(std::string(folder_path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() < 0) {
            return SystemError(errno, "opening the folder");
        }
        return store_.Set(fd.get(), entry, attributes);
    }

    Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() override {
        return std::unique_ptr<FileSystemObject>(std::make_unique<PosixFileSystemObject>(walk_));
    }

  private:
    DirHandle listing_;
    Node listing_folder_;
    std::uint32_t mask_ = 0;
    AttributeStore store_;
    std::shared_ptr<Walk> walk_ = std::make_shared<Walk>();
};

}  // namespace

std::unique_ptr<FileSystem> OpenNativeFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace vantrelle::files
