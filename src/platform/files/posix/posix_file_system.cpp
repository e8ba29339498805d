// The file operations over POSIX directories, with DOS attributes kept by whatever
// mechanism each Linux volume offers (attribute_store.h).

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + name;
    }
    return folder + '/' + name;
}

// The names a folder holds, taken in one pass when first asked for. A walk keeps one
// folder per level of its path, so holding names instead of an open directory lets it
// go as deep as the tree does without running out of descriptors.
struct Snapshot {
    std::vector<std::string> files;  // everything but directories, links to them included
    std::vector<std::string> sub_folders;
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
                   std::string folder)
        : snapshot_(std::move(snapshot)), names_(names), folder_(std::move(folder)) {}

    Result<std::unique_ptr<Member>> Next() override;

  private:
    std::shared_ptr<const Snapshot> snapshot_;  // keeps `names_` alive
    const std::vector<std::string>& names_;
    std::string folder_;
    std::size_t next_ = 0;
};

template <class Member>
class NameCollection final : public Collection<Member> {
  public:
    NameCollection(std::shared_ptr<const Snapshot> snapshot, const std::vector<std::string>& names,
                   std::string folder)
        : snapshot_(std::move(snapshot)), names_(names), folder_(std::move(folder)) {}

    Result<std::int32_t> Count() override {
        if (names_.size() > static_cast<std::size_t>(INT32_MAX)) {
            return Error{EOVERFLOW, "The folder holds too many entries to count"};
        }
        return static_cast<std::int32_t>(names_.size());
    }

    Result<std::unique_ptr<Enumerator<Member>>> Enumerate() override {
        return std::unique_ptr<Enumerator<Member>>(
            std::make_unique<NameEnumerator<Member>>(snapshot_, names_, folder_));
    }

  private:
    std::shared_ptr<const Snapshot> snapshot_;
    const std::vector<std::string>& names_;
    std::string folder_;
};

class PosixFolder final : public Folder {
  public:
    explicit PosixFolder(std::string path) : path_(std::move(path)) {}

    Result<std::string> Path() override { return path_; }

    // The last component; a root has none.
    Result<std::string> Name() override {
        const std::size_t end = path_.find_last_not_of('/');
        if (end == std::string::npos) {
            return std::string();
        }
        const std::size_t slash = path_.rfind('/', end);
        return path_.substr(slash == std::string::npos ? 0 : slash + 1,
                            slash == std::string::npos ? end + 1 : end - slash);
    }

    Result<std::unique_ptr<FileCollection>> Files() override {
        auto snapshot = Take();
        if (!snapshot) {
            return snapshot.error();
        }
        const auto& names = snapshot.value()->files;
        return std::unique_ptr<FileCollection>(
            std::make_unique<NameCollection<File>>(snapshot.value(), names, path_));
    }

    Result<std::unique_ptr<FolderCollection>> SubFolders() override {
        auto snapshot = Take();
        if (!snapshot) {
            return snapshot.error();
        }
        const auto& names = snapshot.value()->sub_folders;
        return std::unique_ptr<FolderCollection>(
            std::make_unique<NameCollection<Folder>>(snapshot.value(), names, path_));
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
            (IsDirectory(dir.value().get(), listed) ? snapshot->sub_folders : snapshot->files)
                .emplace_back(listed.d_name);
        }
        snapshot_ = std::move(snapshot);
        return snapshot_;
    }

    std::string path_;
    std::shared_ptr<const Snapshot> snapshot_;
};

template <>
Result<std::unique_ptr<File>> NameEnumerator<File>::Next() {
    if (next_ >= names_.size()) {
        return std::unique_ptr<File>();
    }
    return std::unique_ptr<File>(std::make_unique<PosixFile>(names_[next_++]));
}

template <>
Result<std::unique_ptr<Folder>> NameEnumerator<Folder>::Next() {
    if (next_ >= names_.size()) {
        return std::unique_ptr<Folder>();
    }
    return std::unique_ptr<Folder>(
        std::make_unique<PosixFolder>(JoinPath(folder_, names_[next_++])));
}

class PosixFileSystemObject final : public FileSystemObject {
  public:
    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        // The folder handed in may be reached through a link: the user named it.
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return SystemError(errno, "opening the folder");
        }
        ::close(fd);
        return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(path));
    }
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
        listing_ = std::move(dir.value());
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
            return std::string(entry.value()->d_name);
        }
    }

    Status SetAttr(const std::string& path, std::uint32_t attributes) override {
        return store_.Set(path, attributes);
    }

    Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() override {
        return std::unique_ptr<FileSystemObject>(std::make_unique<PosixFileSystemObject>());
    }

  private:
    DirHandle listing_;
    std::uint32_t mask_ = 0;
    AttributeStore store_;
};

}  // namespace

std::unique_ptr<FileSystem> OpenNativeFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace vantrelle::files
