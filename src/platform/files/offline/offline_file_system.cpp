#include "platform/files/offline/offline_file_system.h"

#include <cerrno>
#include <optional>
#include <vector>

namespace vantrelle::files::offline {

namespace {

// The device, then the volume read from it, for as long as any object of the file
// system holds them.
struct Opened {
    std::unique_ptr<BlockDevice> device;
    std::unique_ptr<Volume> volume;
    std::string device_text;
};
using OpenedRef = std::shared_ptr<Opened>;

// What every object the file system hands out carries: the volume's entry it stands for.
class OnVolume {
  public:
    OnVolume(OpenedRef opened, VolumeEntry listed)
        : opened_(std::move(opened)), listed_(std::move(listed)) {}
    virtual ~OnVolume() = default;
    const VolumeEntry& listed() const { return listed_; }
    const OpenedRef& opened() const { return opened_; }

  private:
    OpenedRef opened_;
    VolumeEntry listed_;
};

class OfflineFile final : public File, public OnVolume {
  public:
    using OnVolume::OnVolume;
    Result<std::string> Name() override { return listed().name; }
};

class OfflineDirEntry final : public Entry, public OnVolume {
  public:
    using OnVolume::OnVolume;
};

// A folder's entries, read in one pass when first asked for; a listing that fails
// part-way keeps what it read and reports the failure at the end of each enumeration.
struct Snapshot {
    std::vector<VolumeEntry> files;  // files, and folders that cannot be entered
    std::vector<VolumeEntry> sub_folders;
    std::optional<Error> cut_short;
};

Result<std::shared_ptr<const Snapshot>> TakeSnapshot(Volume& volume, const FolderPlace& place) {
    auto snapshot = std::make_shared<Snapshot>();
    auto cursor = volume.List(place);
    for (;;) {
        auto next = cursor->Next();
        if (!next) {
            if (snapshot->files.empty() && snapshot->sub_folders.empty()) {
                return next.error();
            }
            snapshot->cut_short = next.error();
            break;
        }
        if (!next.value()) {
            break;
        }
        VolumeEntry& entry = *next.value();
        if (entry.dot) {
            continue;
        }
        if (entry.directory && !entry.broken) {
            snapshot->sub_folders.push_back(std::move(entry));
        } else {
            snapshot->files.push_back(std::move(entry));
        }
    }
    return std::shared_ptr<const Snapshot>(std::move(snapshot));
}

class OfflineFolder final : public Folder, public OnVolume {
  public:
    // The root when `listed` holds no slots.
    OfflineFolder(OpenedRef opened, VolumeEntry listed, FolderPlace place, std::string path)
        : OnVolume(std::move(opened), std::move(listed)), place_(place), path_(std::move(path)) {}

    Result<std::string> Path() override { return path_; }
    Result<std::string> Name() override { return listed().name; }
    Result<std::unique_ptr<FileCollection>> Files() override;
    Result<std::unique_ptr<FolderCollection>> SubFolders() override;

    const FolderPlace& place() const { return place_; }
    const std::string& path() const { return path_; }

  private:
    Result<std::shared_ptr<const Snapshot>> Take() {
        if (!snapshot_) {
            auto taken = TakeSnapshot(*opened()->volume, place_);
            if (!taken) {
                return taken.error();
            }
            snapshot_ = taken.value();
        }
        return snapshot_;
    }

    FolderPlace place_;
    std::string path_;
    std::shared_ptr<const Snapshot> snapshot_;
};

// A sub-folder's path: the device's text, ':' and the path inside.
std::string ChildPath(const Opened& opened, const std::string& parent, const std::string& name) {
    return parent == opened.device_text ? parent + ":/" + name : parent + "/" + name;
}

template <class Member>
class SnapshotEnumerator final : public Enumerator<Member> {
  public:
    SnapshotEnumerator(std::shared_ptr<const Snapshot> snapshot, OpenedRef opened,
                       std::string folder_path)
        : snapshot_(std::move(snapshot)),
          opened_(std::move(opened)),
          folder_path_(std::move(folder_path)) {}

    Result<std::unique_ptr<Member>> Next() override {
        const std::vector<VolumeEntry>& members =
            std::is_same_v<Member, File> ? snapshot_->files : snapshot_->sub_folders;
        if (next_ >= members.size()) {
            if (snapshot_->cut_short && !reported_) {
                reported_ = true;
                return *snapshot_->cut_short;
            }
            return std::unique_ptr<Member>();
        }
        const VolumeEntry& entry = members[next_++];
        if constexpr (std::is_same_v<Member, File>) {
            return std::unique_ptr<Member>(std::make_unique<OfflineFile>(opened_, entry));
        } else {
            return std::unique_ptr<Member>(std::make_unique<OfflineFolder>(
                opened_, entry, entry.contents, ChildPath(*opened_, folder_path_, entry.name)));
        }
    }

  private:
    std::shared_ptr<const Snapshot> snapshot_;
    OpenedRef opened_;
    std::string folder_path_;
    std::size_t next_ = 0;
    bool reported_ = false;
};

template <class Member>
class SnapshotCollection final : public Collection<Member> {
  public:
    SnapshotCollection(std::shared_ptr<const Snapshot> snapshot, OpenedRef opened,
                       std::string folder_path)
        : snapshot_(std::move(snapshot)),
          opened_(std::move(opened)),
          folder_path_(std::move(folder_path)) {}

    Result<std::int32_t> Count() override {
        const std::size_t size =
            std::is_same_v<Member, File> ? snapshot_->files.size() : snapshot_->sub_folders.size();
        return static_cast<std::int32_t>(size);  // a folder holds at most 8 million slots
    }
    Result<std::unique_ptr<Enumerator<Member>>> Enumerate() override {
        return std::unique_ptr<Enumerator<Member>>(
            std::make_unique<SnapshotEnumerator<Member>>(snapshot_, opened_, folder_path_));
    }

  private:
    std::shared_ptr<const Snapshot> snapshot_;
    OpenedRef opened_;
    std::string folder_path_;
};

Result<std::unique_ptr<FileCollection>> OfflineFolder::Files() {
    auto snapshot = Take();
    if (!snapshot) {
        return snapshot.error();
    }
    return std::unique_ptr<FileCollection>(
        std::make_unique<SnapshotCollection<File>>(snapshot.value(), opened(), path_));
}

Result<std::unique_ptr<FolderCollection>> OfflineFolder::SubFolders() {
    auto snapshot = Take();
    if (!snapshot) {
        return snapshot.error();
    }
    return std::unique_ptr<FolderCollection>(
        std::make_unique<SnapshotCollection<Folder>>(snapshot.value(), opened(), path_));
}

// The folder that `path` names on the volume: the device's text, then nothing or ':'
// and the folder's path inside, each component looked up as the volume compares names.
Result<std::unique_ptr<OfflineFolder>> FolderNamed(const OpenedRef& opened, std::string path) {
    while (path.size() > opened->device_text.size() && path.back() == '/') {
        path.pop_back();
    }
    const std::string& device = opened->device_text;
    if (path.compare(0, device.size(), device) != 0 ||
        (path.size() > device.size() && path[device.size()] != ':')) {
        return Error{ENOENT, "The path names no folder of the volume on " + device + " (write " +
                                 device + ":/FOLDER)"};
    }
    Volume& volume = *opened->volume;
    auto folder = std::make_unique<OfflineFolder>(opened, VolumeEntry{}, volume.Root(), device);
    std::string walked = device;
    std::size_t at = device.size() + 1;
    while (at < path.size()) {
        std::size_t end = path.find('/', at);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string component = path.substr(at, end - at);
        at = end + 1;
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            return Error{EINVAL, "A folder path on the volume may not hold '..'"};
        }
        auto cursor = volume.List(folder->place());
        std::optional<VolumeEntry> found;
        for (;;) {
            auto next = cursor->Next();
            if (!next) {
                return next.error();
            }
            if (!next.value()) {
                break;
            }
            if (!next.value()->dot && volume.SameName(next.value()->name, component)) {
                found = std::move(next.value());
                break;
            }
        }
        if (!found) {
            return Error{ENOENT, "No folder '" + component + "' in " + walked};
        }
        if (!found->directory) {
            return Error{ENOTDIR, "'" + component + "' in " + walked + " is not a folder"};
        }
        if (found->broken) {
            return *found->broken;
        }
        walked = ChildPath(*opened, walked, found->name);
        const FolderPlace place = found->contents;
        folder = std::make_unique<OfflineFolder>(opened, std::move(*found), place, walked);
    }
    return folder;
}

class OfflineFileSystemObject final : public FileSystemObject {
  public:
    explicit OfflineFileSystemObject(OpenedRef opened) : opened_(std::move(opened)) {}

    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        auto folder = FolderNamed(opened_, path);
        if (!folder) {
            return folder.error();
        }
        return std::unique_ptr<Folder>(std::move(folder.value()));
    }

    // The listed sub-folder's entry is read again: its place must still hold it.
    Result<std::unique_ptr<Folder>> GetFolder(const Folder& listed) override {
        const auto* folder = dynamic_cast<const OfflineFolder*>(&listed);
        if (folder == nullptr || folder->opened() != opened_) {
            return Error{EINVAL, "The folder was not listed on this volume"};
        }
        if (!folder->listed().slots.empty()) {
            if (auto same = opened_->volume->Verify(folder->listed()); !same) {
                return same.error();
            }
        }
        return std::unique_ptr<Folder>(std::make_unique<OfflineFolder>(
            opened_, folder->listed(), folder->place(), folder->path()));
    }

  private:
    OpenedRef opened_;
};

class OfflineFileSystem final : public FileSystem {
  public:
    explicit OfflineFileSystem(OpenedRef opened) : opened_(std::move(opened)) {}

    char Separator() const override { return '/'; }

    Status Flush() override { return opened_->device->Flush(); }

    Result<Listed> Dir(const std::string& pattern, std::uint32_t mask) override {
        cursor_.reset();
        auto folder = FolderNamed(opened_, pattern);
        if (!folder) {
            return folder.error();
        }
        cursor_ = opened_->volume->List(folder.value()->place());
        mask_ = mask;
        return Dir();
    }

    // Windows lists a hidden, system or folder entry only where the mask holds that bit.
    Result<Listed> Dir() override {
        if (!cursor_) {
            return Listed{};
        }
        for (;;) {
            auto next = cursor_->Next();
            if (!next) {
                cursor_.reset();
                return next.error();
            }
            if (!next.value()) {
                cursor_.reset();
                return Listed{};
            }
            VolumeEntry& entry = *next.value();
            const std::uint32_t listed_only_with = kHidden | kSystem | kDirectory;
            if ((entry.attributes & listed_only_with & ~mask_) != 0) {
                continue;
            }
            std::string name = entry.name;
            return Listed{std::move(name),
                          std::make_unique<OfflineDirEntry>(opened_, std::move(entry))};
        }
    }

    Result<std::uint32_t> SetAttr(const Entry& entry, std::uint32_t attributes) override {
        const auto* listed = dynamic_cast<const OnVolume*>(&entry);
        if (listed == nullptr || listed->opened() != opened_) {
            return Error{EINVAL, "The entry was not listed on this volume"};
        }
        if (listed->listed().slots.empty()) {
            return Error{EINVAL, "The volume's root folder has no attributes of its own"};
        }
        return opened_->volume->SetAttributes(listed->listed(), attributes);
    }

    Result<std::uint32_t> GetAttr(const Entry& entry) override {
        const auto* listed = dynamic_cast<const OnVolume*>(&entry);
        if (listed == nullptr || listed->opened() != opened_) {
            return Error{EINVAL, "The entry was not listed on this volume"};
        }
        if (listed->listed().slots.empty()) {
            return Error{EINVAL, "The volume's root folder has no attributes of its own"};
        }
        return opened_->volume->Attributes(listed->listed());
    }

    Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() override {
        return std::unique_ptr<FileSystemObject>(
            std::make_unique<OfflineFileSystemObject>(opened_));
    }

  private:
    OpenedRef opened_;
    std::unique_ptr<FolderCursor> cursor_;
    std::uint32_t mask_ = 0;
};

}  // namespace

Result<std::unique_ptr<FileSystem>> OpenOfflineFileSystem(std::string device_text,
                                                          std::unique_ptr<BlockDevice> device) {
    auto opened = std::make_shared<Opened>();
    opened->device = std::move(device);
    opened->device_text = std::move(device_text);
    auto volume = OpenVolume(*opened->device);
    if (!volume) {
        return volume.error();
    }
    opened->volume = std::move(volume.value());
    return std::unique_ptr<FileSystem>(std::make_unique<OfflineFileSystem>(std::move(opened)));
}

}  // namespace vantrelle::files::offline
