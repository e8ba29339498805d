// The file operations over POSIX directories, with DOS attributes kept by whatever
// mechanism each Linux volume offers (attribute_store.h).

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/files/files.h"
#include "platform/files/posix/attribute_store.h"
#include "platform/files/posix/system_error.h"

namespace vantrelle::files {

namespace {

using posix::AttributeStore;
using posix::SystemError;

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

Result<DirHandle> OpenDirectory(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return SystemError(errno, "opening the folder");
    }
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

std::string LastComponent(const std::string& path) {
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return std::string();
    }
    const std::size_t slash = path.rfind('/', end);
    const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(begin, end + 1 - begin);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + name;
    }
    return folder + '/' + name;
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
    void Remember(const std::string& folder, const char* name, unsigned char d_type, dev_t volume) {
        entry_.type = TypeOf(d_type);
        if (entry_.type == 0) {
            return;
        }
        if (folder_ != folder) {
            folder_ = folder;
        }
        name_ = name;
        entry_.volume = volume;
    }

    // What is known of `path` when it names the remembered entry.
    const posix::ListedEntry* Match(const std::string& path) const {
        if (entry_.type == 0 || path.size() != folder_.size() + 1 + name_.size() ||
            path.compare(0, folder_.size(), folder_) != 0 || path[folder_.size()] != '/' ||
            path.compare(folder_.size() + 1, std::string::npos, name_) != 0) {
            return nullptr;
        }
        return &entry_;
    }

  private:
    std::string folder_;
    std::string name_;
    posix::ListedEntry entry_;
};

Result<dev_t> VolumeOf(DIR* dir) {
    struct stat st;
    if (::fstat(::dirfd(dir), &st) != 0) {
        return SystemError(errno, "reading the folder");
    }
    return st.st_dev;
}

// The names a folder holds, taken in one pass when first asked for. A walk keeps one
// folder per level of its path, so holding names instead of an open directory lets it
// go as deep as the tree does without running out of descriptors.
struct Snapshot {
    std::vector<std::string> files;         // everything but directories, links to them included
    std::vector<unsigned char> file_types;  // d_type of each file
    std::vector<std::string> sub_folders;
    dev_t volume = 0;
};

class PosixFile final : public File {
  public:
    explicit PosixFile(std::string name) : name_(std::move(name)) {}
    Result<std::string> Name() override { return name_; }

  private:
    std::string name_;
};

template <class Member>
class NameEnumerator final : public Enumerator<Member> {
  public:
    NameEnumerator(std::shared_ptr<const Snapshot> snapshot, const std::vector<std::string>& names,
                   std::string folder, std::shared_ptr<LastListed> last)
        : snapshot_(std::move(snapshot)),
          names_(names),
          folder_(std::move(folder)),
          last_(std::move(last)) {}

    Result<std::unique_ptr<Member>> Next() override;

  private:
    std::shared_ptr<const Snapshot> snapshot_;  // keeps `names_` alive
    const std::vector<std::string>& names_;
    std::string folder_;
    std::shared_ptr<LastListed> last_;
    std::size_t next_ = 0;
};

template <class Member>
class NameCollection final : public Collection<Member> {
  public:
    NameCollection(std::shared_ptr<const Snapshot> snapshot, const std::vector<std::string>& names,
                   std::string folder, std::shared_ptr<LastListed> last)
        : snapshot_(std::move(snapshot)),
          names_(names),
          folder_(std::move(folder)),
          last_(std::move(last)) {}

    Result<std::int32_t> Count() override {
        if (names_.size() > static_cast<std::size_t>(INT32_MAX)) {
            return Error{EOVERFLOW, "The folder holds too many entries to count"};
        }
        return static_cast<std::int32_t>(names_.size());
    }

    Result<std::unique_ptr<Enumerator<Member>>> Enumerate() override {
        return std::unique_ptr<Enumerator<Member>>(
            std::make_unique<NameEnumerator<Member>>(snapshot_, names_, folder_, last_));
    }

  private:
    std::shared_ptr<const Snapshot> snapshot_;
    const std::vector<std::string>& names_;
    std::string folder_;
    std::shared_ptr<LastListed> last_;
};

class PosixFolder final : public Folder {
  public:
    PosixFolder(std::string path, std::shared_ptr<LastListed> last)
        : path_(std::move(path)), last_(std::move(last)) {}

    Result<std::string> Path() override { return path_; }

    // The last component; a root has none. "." and ".." are resolved first, so that
    // a folder named by them is judged by its real name, not taken as reserved.
    Result<std::string> Name() override {
        std::string name = LastComponent(path_);
        if (name == "." || name == "..") {
            char* real = ::realpath(path_.c_str(), nullptr);
            if (real == nullptr) {
                return SystemError(errno, "resolving the folder's name");
            }
            name = LastComponent(real);
            std::free(real);
        }
        return name;
    }

    Result<std::unique_ptr<FileCollection>> Files() override {
        auto snapshot = Take();
        if (!snapshot) {
            return snapshot.error();
        }
        const auto& names = snapshot.value()->files;
        return std::unique_ptr<FileCollection>(
            std::make_unique<NameCollection<File>>(snapshot.value(), names, path_, last_));
    }

    Result<std::unique_ptr<FolderCollection>> SubFolders() override {
        auto snapshot = Take();
        if (!snapshot) {
            return snapshot.error();
        }
        const auto& names = snapshot.value()->sub_folders;
        return std::unique_ptr<FolderCollection>(
            std::make_unique<NameCollection<Folder>>(snapshot.value(), names, path_, last_));
    }

  private:
    Result<std::shared_ptr<const Snapshot>> Take() {
        if (snapshot_) {
            return snapshot_;
        }
        auto dir = OpenDirectory(path_);
        if (!dir) {
            return dir.error();
        }
        auto snapshot = std::make_shared<Snapshot>();
        auto volume = VolumeOf(dir.value().get());
        if (!volume) {
            return volume.error();
        }
        snapshot->volume = volume.value();
        for (;;) {
            auto entry = ReadEntry(dir.value().get());
            if (!entry) {
                return entry.error();
            }
            if (entry.value() == nullptr) {
                break;
            }
            const dirent& listed = *entry.value();
            if (IsDotOrDotDot(listed.d_name)) {
                continue;
            }
            if (IsDirectory(dir.value().get(), listed)) {
                snapshot->sub_folders.emplace_back(listed.d_name);
            } else {
                snapshot->files.emplace_back(listed.d_name);
                snapshot->file_types.push_back(listed.d_type);
            }
        }
        snapshot_ = std::move(snapshot);
        return snapshot_;
    }

    std::string path_;
    std::shared_ptr<LastListed> last_;
    std::shared_ptr<const Snapshot> snapshot_;
};

template <>
Result<std::unique_ptr<File>> NameEnumerator<File>::Next() {
    if (next_ >= names_.size()) {
        return std::unique_ptr<File>();
    }
    last_->Remember(folder_, names_[next_].c_str(), snapshot_->file_types[next_],
                    snapshot_->volume);
    return std::unique_ptr<File>(std::make_unique<PosixFile>(names_[next_++]));
}

template <>
Result<std::unique_ptr<Folder>> NameEnumerator<Folder>::Next() {
    if (next_ >= names_.size()) {
        return std::unique_ptr<Folder>();
    }
    return std::unique_ptr<Folder>(
        std::make_unique<PosixFolder>(JoinPath(folder_, names_[next_++]), last_));
}

class PosixFileSystemObject final : public FileSystemObject {
  public:
    explicit PosixFileSystemObject(std::shared_ptr<LastListed> last) : last_(std::move(last)) {}

    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        // The folder handed in may be reached through a link: the user named it.
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return SystemError(errno, "opening the folder");
        }
        ::close(fd);
        return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(path, last_));
    }

  private:
    std::shared_ptr<LastListed> last_;
};

class PosixFileSystem final : public FileSystem {
  public:
    char Separator() const override { return '/'; }

    Result<std::string> Dir(const std::string& pattern, std::uint32_t mask) override {
        listing_.reset();
        mask_ = mask;
        auto dir = OpenDirectory(pattern);
        if (!dir) {
            return dir.error();
        }
        auto volume = VolumeOf(dir.value().get());
        if (!volume) {
            return volume.error();
        }
        listing_ = std::move(dir.value());
        listing_volume_ = volume.value();
        // Names are joined to the folder with one separator, the one the pattern ends in.
        listing_folder_ = pattern;
        if (!listing_folder_.empty() && listing_folder_.back() == '/') {
            listing_folder_.pop_back();
        }
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
                return std::string();
            }
            if ((mask_ & kDirectory) == 0 && IsDirectory(listing_.get(), *entry.value())) {
                continue;
            }
            last_->Remember(listing_folder_, entry.value()->d_name, entry.value()->d_type,
                            listing_volume_);
            return std::string(entry.value()->d_name);
        }
    }

    Status SetAttr(const std::string& path, std::uint32_t attributes) override {
        return store_.Set(path, attributes, last_->Match(path));
    }

    Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() override {
        return std::unique_ptr<FileSystemObject>(std::make_unique<PosixFileSystemObject>(last_));
    }

  private:
    DirHandle listing_;
    std::string listing_folder_;
    dev_t listing_volume_ = 0;
    std::uint32_t mask_ = 0;
    AttributeStore store_;
    std::shared_ptr<LastListed> last_ = std::make_shared<LastListed>();
};

}  // namespace

std::unique_ptr<FileSystem> OpenNativeFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace vantrelle::files
