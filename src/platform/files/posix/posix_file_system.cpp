// The file operations over POSIX directories, with DOS attributes kept by whatever
// mechanism each Linux volume offers (attribute_store.h). Below the folder the caller
// names, every folder is reached through its parent's descriptor (folder_chain.h), and
// every entry is reset by its name alone from inside the folder that listed it, checked
// to be the entry listed. The recursive walk stays on the mount of the folder it was
// given.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <typeinfo>
#include <vector>

#include "platform/files/files.h"
#include "platform/files/posix/attribute_store.h"
#include "platform/files/posix/fat_lookup_name.h"
#include "platform/files/posix/folder_chain.h"
#include "platform/files/posix/last_component.h"
#include "platform/files/posix/system_error.h"
#include "platform/files/posix/working_folder.h"

namespace vantrelle::files {

namespace {

using posix::AttributeStore;
using posix::Descriptor;
using posix::FolderNode;
using posix::Identity;
using posix::LastComponent;
using posix::OpenFolders;
using posix::SystemError;
using posix::WorkingFolder;
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

// Whether the numbers a listing of the folder open as `folder` gives are the inode numbers
// its entries have: the kernel's FAT and exFAT drivers make up a number for an entry
// whose inode is not in memory yet (their look-alike names are told apart otherwise,
// fat_lookup_name.h), and ISO 9660 lists a file by another number than its lookup gives.
bool ListsInodeNumbers(int folder) {
    constexpr long kMsdosMagic = 0x4d44;  // vfat and msdos
    constexpr long kExfatMagic = 0x2011BAB0;
    constexpr long kIsofsMagic = 0x9660;
    struct statfs volume {};
    return ::fstatfs(folder, &volume) == 0 && volume.f_type != kMsdosMagic &&
           volume.f_type != kExfatMagic && volume.f_type != kIsofsMagic;
}

// The inode number a listing gave, where it is the entry's own; 0 where it is not. FUSE
// file systems that do not pass their numbers on list every entry as 0xffffffff.
ino_t ListedInode(const dirent& entry, bool lists_inode_numbers) {
    constexpr ino_t kFuseUnknown = 0xffffffff;
    return lists_inode_numbers && entry.d_ino != kFuseUnknown ? entry.d_ino : 0;
}

// The type a listing gave (S_IFMT bits), 0 where it gave none.
mode_t TypeOf(unsigned char d_type) {
    return d_type == DT_UNKNOWN ? 0 : DTTOIF(d_type);
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

// What the objects of one walk share, from the first object made until the last one is
// gone: the descriptors of the folders used last, the working folder the entries are
// reached from, and the mechanism of each volume met. Nothing of it outlives the walk,
// so that the stick can be unmounted at once, and a stick plugged in later under the
// same device number is probed afresh.
struct Walk {
    OpenFolders open;
    WorkingFolder here;
    AttributeStore store;

    // Counts the pauses between two of the walk's operations (a prompt waiting, mostly):
    // an entry listed before a pause may have been replaced since, and is checked again
    // before it is changed.
    std::uint64_t Pauses() {
        constexpr std::int64_t kPause = 20'000'000;  // nanoseconds
        const std::int64_t now = Now();
        if (active_ && now - last_ > kPause) {
            ++pauses_;
        }
        active_ = true;
        last_ = now;
        return pauses_;
    }
    void Busy() { last_ = Now(); }

  private:
    // The coarse clock is read twice per entry: it costs a fifth of the precise one, and
    // its few milliseconds of resolution are nothing against a pause a person makes.
    static std::int64_t Now() {
        struct timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
    }

    bool active_ = false;
    std::int64_t last_ = 0;
    std::uint64_t pauses_ = 0;
};
using WalkRef = std::shared_ptr<Walk>;

// An entry as its folder listed it, seen where whoever holds the entry keeps it.
struct ListedName {
    const Node& folder;
    const std::string& name;
    const std::string& lookup;  // the name the kernel finds it by, where that differs (FAT)
    ino_t inode = 0;            // 0 where the listing gave no number of the entry's own
    mode_t type = 0;            // what the listing said it is (S_IFMT bits); 0 when it did not say
    std::uint64_t pauses = 0;   // the walk's pauses when it was listed
};

const std::string kSameName;  // an empty lookup: the kernel finds the entry by its name

Error NotTheListedEntry() {
    return SystemError(ESTALE,
                       "the name now leads to another entry than the one the folder listed: "
                       "two entries listed under one name, or one replaced during the repair; "
                       "it is left alone");
}

// What the name leads to now, checked to be the entry listed where the listing gave its
// number. A mount point lists as the folder it covers; its own root is what is reset.
Result<struct stat> LookUp(int folder, const std::string& name, const ListedName& listed) {
    mode_t type = 0;
    auto found = posix::IdentityOf(folder, name.c_str(), &type);
    if (!found) {
        return found.error();
    }
    const bool mount_point = !posix::OnSameMount(listed.folder->identity, found.value());
    if (listed.inode != 0 && !mount_point && found.value().inode != listed.inode) {
        return NotTheListedEntry();
    }
    struct stat entry {};
    entry.st_mode = type;
    entry.st_dev = found.value().device;
    entry.st_ino = found.value().inode;
    return entry;
}

// Resets the entry `listed` from inside its folder, by its name alone. The name is
// looked up first where the listing does not tell enough: a folder may be a mount point,
// and an entry listed before a pause may have been replaced. Otherwise a file lies on its
// folder's volume, and only a reset that finds nothing to change looks the name up: two
// entries listed under one name both lead to the first, and the second is reported
// instead of being called reset.
Result<std::uint32_t> Reset(Walk& walk, const ListedName& listed, std::uint32_t attributes,
                            bool write = true) {
    const bool paused = walk.Pauses() != listed.pauses;
    auto folder = walk.open.Open(listed.folder);
    if (!folder) {
        return folder.error();
    }
    const std::string* name = listed.lookup.empty() ? &listed.name : &listed.lookup;
    std::string reachable_name;
    if (listed.lookup.empty() && posix::FatLookupMayMiss(listed.name)) {
        auto reachable = posix::LookupName(folder.value(), listed.name);
        if (!reachable) {
            return reachable.error();
        }
        reachable_name = std::move(reachable.value());
        name = &reachable_name;
    }
    if (auto entered = walk.here.Enter(listed.folder, folder.value()); !entered) {
        return entered.error();
    }
    const dev_t volume = listed.folder->identity.device;
    struct stat entry {};
    const bool looked_up = paused || listed.type == 0 || S_ISDIR(listed.type);
    if (looked_up) {
        auto found = LookUp(folder.value(), *name, listed);
        if (!found) {
            return found.error();
        }
        entry = found.value();
    } else {
        entry.st_mode = listed.type;
        entry.st_dev = volume;
    }
    auto reset = walk.store.Set(folder.value(), volume, *name, entry, attributes, write);
    walk.Busy();
    if (!reset) {
        return reset.error();
    }
    if (!reset.value().written && !looked_up && listed.inode != 0) {
        if (auto found = LookUp(folder.value(), *name, listed); !found) {
            return found.error();
        }
    }
    return reset.value().before;
}

// The names a folder holds, taken in one pass when first asked for. A walk keeps one
// folder per level of its path, so holding names instead of an open directory lets it
// go as deep as the tree does without running out of descriptors.
struct Snapshot {
    struct Listed {
        std::string name;
        ino_t inode = 0;
        mode_t type = 0;
    };
    struct ListedFolder {
        std::string name;
        Identity identity;
        std::string lookup;  // where the kernel finds it by another name
    };
    Node folder;
    WalkRef walk;
    std::vector<Listed> files;              // everything but the walkable folders
    std::vector<ListedFolder> sub_folders;  // folders on the folder's own mount
    std::uint64_t pauses = 0;               // the walk's pauses when it was taken
    // A listing that failed part-way keeps what it read; the failure is reported where
    // each enumeration reaches the end of what was read.
    std::optional<Error> cut_short;
};

// A file is its place in the snapshot that listed it: one per entry of a walk, so it
// copies nothing.
class PosixFile final : public File {
  public:
    PosixFile(std::shared_ptr<const Snapshot> snapshot, std::size_t at)
        : snapshot_(std::move(snapshot)), at_(at) {}
    Result<std::string> Name() override { return Listed().name; }

    ListedName listed() const {
        const Snapshot::Listed& file = Listed();
        return {snapshot_->folder, file.name, kSameName, file.inode, file.type, snapshot_->pauses};
    }
    Walk& walk() const { return *snapshot_->walk; }

  private:
    const Snapshot::Listed& Listed() const { return snapshot_->files[at_]; }

    std::shared_ptr<const Snapshot> snapshot_;
    std::size_t at_;
};

class PosixFolder final : public Folder {
  public:
    PosixFolder(Node node, WalkRef walk) : node_(std::move(node)), walk_(std::move(walk)) {}

    const Node& node() const { return node_; }
    Walk& walk() const { return *walk_; }
    const WalkRef& walk_ref() const { return walk_; }

    // Asked once per file by a walk: built once.
    Result<std::string> Path() override {
        if (path_.empty()) {
            path_ = posix::PathOf(*node_);
        }
        return path_;
    }

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
    WalkRef walk_;
    std::shared_ptr<const Snapshot> snapshot_;
    std::string path_;
};

template <class Member>
class NameEnumerator final : public Enumerator<Member> {
  public:
    explicit NameEnumerator(std::shared_ptr<const Snapshot> snapshot)
        : snapshot_(std::move(snapshot)) {}

    Result<std::unique_ptr<Member>> Next() override {
        if (next_ >= Size()) {
            if (snapshot_->cut_short && !reported_) {
                reported_ = true;
                return *snapshot_->cut_short;
            }
            return std::unique_ptr<Member>();
        }
        const std::size_t at = next_++;
        if constexpr (std::is_same_v<Member, File>) {
            return std::unique_ptr<Member>(std::make_unique<PosixFile>(snapshot_, at));
        } else {
            const Snapshot::ListedFolder& listed = snapshot_->sub_folders[at];
            return std::unique_ptr<Member>(std::make_unique<PosixFolder>(
                posix::ChildOf(snapshot_->folder, listed.name, listed.identity, listed.lookup),
                snapshot_->walk));
        }
    }

  private:
    std::size_t Size() const {
        if constexpr (std::is_same_v<Member, File>) {
            return snapshot_->files.size();
        } else {
            return snapshot_->sub_folders.size();
        }
    }

    std::shared_ptr<const Snapshot> snapshot_;
    std::size_t next_ = 0;
    bool reported_ = false;
};

template <class Member>
class NameCollection final : public Collection<Member> {
  public:
    explicit NameCollection(std::shared_ptr<const Snapshot> snapshot)
        : snapshot_(std::move(snapshot)) {}

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
            std::make_unique<NameEnumerator<Member>>(snapshot_));
    }

  private:
    std::shared_ptr<const Snapshot> snapshot_;
};

Result<std::unique_ptr<FileCollection>> PosixFolder::Files() {
    auto snapshot = Take();
    if (!snapshot) {
        return snapshot.error();
    }
    return std::unique_ptr<FileCollection>(
        std::make_unique<NameCollection<File>>(snapshot.value()));
}

Result<std::unique_ptr<FolderCollection>> PosixFolder::SubFolders() {
    auto snapshot = Take();
    if (!snapshot) {
        return snapshot.error();
    }
    return std::unique_ptr<FolderCollection>(
        std::make_unique<NameCollection<Folder>>(snapshot.value()));
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
    const int listed_fd = ::dirfd(dir.value().get());
    const bool lists_inode_numbers = ListsInodeNumbers(listed_fd);
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->folder = node_;
    snapshot->walk = walk_;
    snapshot->pauses = walk_->Pauses();
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
        const ino_t inode = ListedInode(listed, lists_inode_numbers);
        if (listed.d_type == DT_DIR || listed.d_type == DT_UNKNOWN) {
            // A folder is entered only on this folder's own mount; a mount point is
            // listed among the files, so that its own attributes are reset.
            // A name the kernel would take for another entry's is looked up by the one it
            // finds this entry by; a folder without one is listed among the files, whose
            // reset reports why.
            auto lookup = posix::LookupName(listed_fd, listed.d_name);
            if (!lookup) {
                snapshot->files.push_back({listed.d_name, inode, 0});
                continue;
            }
            mode_t mode = 0;
            auto identity = posix::IdentityOf(listed_fd, lookup.value().c_str(), &mode);
            if (identity && !posix::OnSameMount(node_->identity, identity.value())) {
                // A mount point: the number listed is the covered folder's.
                snapshot->files.push_back({listed.d_name, 0, S_IFDIR});
                continue;
            }
            if (identity && S_ISDIR(mode)) {
                if (inode != 0 && identity.value().inode != inode) {
                    // Listed under a name that leads elsewhere: its reset will say so.
                    snapshot->files.push_back({listed.d_name, inode, 0});
                    continue;
                }
                snapshot->sub_folders.push_back(
                    {listed.d_name, identity.value(),
                     lookup.value() == listed.d_name ? std::string() : lookup.value()});
                continue;
            }
        }
        snapshot->files.push_back({listed.d_name, inode, TypeOf(listed.d_type)});
    }
    walk_->Busy();
    snapshot_ = std::move(snapshot);
    return snapshot_;
}

class PosixFileSystemObject final : public FileSystemObject {
  public:
    explicit PosixFileSystemObject(WalkRef walk) : walk_(std::move(walk)) {}

    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        auto named = posix::NamedFolder(walk_->here.Home(), path);
        if (!named) {
            return named.error();
        }
        return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(named.value(), walk_));
    }

    // The sub-folder is reached from its parent's descriptor and checked again.
    Result<std::unique_ptr<Folder>> GetFolder(const Folder& listed) override {
        if (typeid(listed) != typeid(PosixFolder)) {
            return Error{EINVAL, "The folder was not listed by this file system"};
        }
        const auto& sub_folder = static_cast<const PosixFolder&>(listed);
        auto opened = sub_folder.walk().open.Open(sub_folder.node());
        if (!opened) {
            return opened.error();
        }
        return std::unique_ptr<Folder>(
            std::make_unique<PosixFolder>(sub_folder.node(), sub_folder.walk_ref()));
    }

  private:
    WalkRef walk_;
};

// The one listing cursor: the folder listed, and the entries it gave so far hold it, so
// that a listing left unfinished closes once the last of them is gone.
struct Listing {
    DirHandle dir;
    Node folder;
    std::uint32_t mask = 0;
    bool lists_inode_numbers = false;
    WalkRef walk;
};

class PosixDirEntry final : public Entry {
  public:
    PosixDirEntry(std::string name, ino_t inode, mode_t type, std::uint64_t pauses,
                  std::shared_ptr<Listing> listing)
        : name_(std::move(name)),
          inode_(inode),
          type_(type),
          pauses_(pauses),
          listing_(std::move(listing)) {}

    ListedName listed() const {
        return {listing_->folder, name_, kSameName, inode_, type_, pauses_};
    }
    Walk& walk() const { return *listing_->walk; }

  private:
    std::string name_;
    ino_t inode_;
    mode_t type_;
    std::uint64_t pauses_;
    std::shared_ptr<Listing> listing_;
};

class PosixFileSystem final : public FileSystem {
  public:
    char Separator() const override { return '/'; }

    Result<Listed> Dir(const std::string& pattern, std::uint32_t mask) override {
        listing_.reset();
        WalkRef walk = CurrentWalk();
        auto folder = posix::NamedFolder(walk->here.Home(),
                                         std::string(posix::WithoutTrailingSlashes(pattern)));
        if (!folder) {
            return folder.error();
        }
        auto dir = ListFolder(folder.value()->own.get());
        if (!dir) {
            return dir.error();
        }
        auto listing = std::make_shared<Listing>();
        listing->dir = std::move(dir.value());
        listing->folder = std::move(folder.value());
        listing->mask = mask;
        listing->lists_inode_numbers = ListsInodeNumbers(listing->folder->own.get());
        listing->walk = std::move(walk);
        listing_ = listing;
        return Next(listing);
    }

    Result<Listed> Dir() override {
        auto listing = listing_.lock();
        if (!listing || !listing->dir) {
            return Error{EINVAL, "No folder listing is in progress"};
        }
        return Next(listing);
    }

    Result<std::uint32_t> SetAttr(const Entry& entry, std::uint32_t attributes) override {
        return Visit(entry, attributes, true);
    }

    Result<std::uint32_t> GetAttr(const Entry& entry) override {
        return Visit(entry, kNormal, false);
    }

    Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() override {
        return std::unique_ptr<FileSystemObject>(
            std::make_unique<PosixFileSystemObject>(CurrentWalk()));
    }

  private:
    // Only entries this file system listed reach here: the engine hands back what it got.
    Result<std::uint32_t> Visit(const Entry& entry, std::uint32_t attributes, bool write) {
        // The exact type, not dynamic_cast: this is asked once per entry.
        const std::type_info& type = typeid(entry);
        if (type == typeid(PosixDirEntry)) {
            const auto& listed = static_cast<const PosixDirEntry&>(entry);
            return Reset(listed.walk(), listed.listed(), attributes, write);
        }
        if (type == typeid(PosixFile)) {
            const auto& file = static_cast<const PosixFile&>(entry);
            return Reset(file.walk(), file.listed(), attributes, write);
        }
        if (type == typeid(PosixFolder)) {
            const auto* folder = static_cast<const PosixFolder*>(&entry);
            const Node& node = folder->node();
            if (!node->parent) {
                return Error{EINVAL, "The folder named by its path is not an entry of a listing"};
            }
            // Listed by its parent's snapshot, which looked it up: it is a folder on the
            // parent's mount.
            return Reset(folder->walk(),
                         ListedName{node->parent, node->name, node->lookup, node->identity.inode,
                                    S_IFDIR, 0},
                         attributes, write);
        }
        return Error{EINVAL, "The entry was not listed by this file system"};
    }

    // The walk whose objects are alive, or a new one.
    WalkRef CurrentWalk() {
        if (WalkRef walk = walk_.lock()) {
            return walk;
        }
        auto walk = std::make_shared<Walk>();
        walk_ = walk;
        return walk;
    }

    Result<Listed> Next(const std::shared_ptr<Listing>& listing) {
        for (;;) {
            auto entry = ReadEntry(listing->dir.get());
            if (!entry) {
                return entry.error();
            }
            if (entry.value() == nullptr) {
                listing->dir.reset();
                return Listed{};
            }
            const dirent& listed = *entry.value();
            if ((listing->mask & kDirectory) == 0 && IsDirectory(listing->dir.get(), listed)) {
                continue;
            }
            // "." and ".." are given for their names only: they are never reset.
            const ino_t inode = IsDotOrDotDot(listed.d_name)
                                    ? 0
                                    : ListedInode(listed, listing->lists_inode_numbers);
            std::string name(listed.d_name);
            auto given = std::make_unique<PosixDirEntry>(name, inode, TypeOf(listed.d_type),
                                                         listing->walk->Pauses(), listing);
            return Listed{std::move(name), std::move(given)};
        }
    }

    std::weak_ptr<Listing> listing_;
    std::weak_ptr<Walk> walk_;
};

}  // namespace

std::unique_ptr<FileSystem> OpenNativeFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace vantrelle::files
