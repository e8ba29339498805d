#include "support/memory_volume.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>

namespace vantrelle::testing {

using files::Error;
using files::Result;

struct MemoryVolume::Node {
    std::string name;  // "E:" for a drive root
    std::string path;  // the full path, as the folder object model gives it
    std::uint32_t attributes = files::kNormal;
    bool is_folder = false;
    std::uint64_t id = 0;  // which object holds the name: Replace gives it another
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;  // in the order they were added
};

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('\\'), path.size());
        if (end > 0) {
            parts.push_back(path.substr(0, end));
        }
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return parts;
}

// The form in which two paths naming the same entry are equal.
std::string Key(std::string_view path) {
    std::string key;
    key.reserve(path.size());
    for (std::string_view part : Components(path)) {
        if (!key.empty()) {
            key += '\\';
        }
        for (char c : part) {
            key += Lower(c);
        }
    }
    return key;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IsDrive(std::string_view part) {
    return part.size() == 2 && part[1] == ':' && std::isalpha(static_cast<unsigned char>(part[0]));
}

const Error kPathNotFoundError{kPathNotFound, "The system cannot find the path specified."};
const Error kFileNotFoundError{kFileNotFound, "The system cannot find the file specified."};
constexpr std::uint32_t kDosBits =
    files::kReadOnly | files::kHidden | files::kSystem | files::kArchive;
const Error kReplacedError{kReplaced, "The entry was replaced by another one since it was listed."};

// What every entry the volume gives keeps: the object it names (by its path and which
// object held the name when listed) and the path the engine shows for it.
struct MemoryEntry {
    std::string path;
    std::uint64_t id = 0;
    std::string shown;
};

const MemoryEntry* AsMemoryEntry(const files::Entry& entry);

class MemoryDirEntry : public files::Entry, public MemoryEntry {
  public:
    explicit MemoryDirEntry(MemoryEntry entry) : MemoryEntry(std::move(entry)) {}
};

// Whether a listing with `mask` yields an entry with these attributes: hidden, system
// and folder entries only when the mask asks for them, as the Windows listing does.
bool Listed(std::uint32_t attributes, bool is_folder, std::uint32_t mask) {
    std::uint32_t needed = attributes & (files::kHidden | files::kSystem);
    if (is_folder) {
        needed |= files::kDirectory;
    }
    return (needed & ~mask) == 0;
}

class MemoryFile : public files::File, public MemoryEntry {
  public:
    MemoryFile(MemoryVolume& volume, MemoryVolume::Node& node)
        : MemoryEntry{node.path, node.id, node.parent->path + "\\" + node.name},
          volume_(volume),
          node_(node) {}
    Result<std::string> Name() override {
        if (auto e = volume_.Inject(Op::FileName, MemoryVolume::PathOf(node_))) {
            return *e;
        }
        return node_.name;
    }

  private:
    MemoryVolume& volume_;
    MemoryVolume::Node& node_;
};

class MemoryFolder;

template <class Member>
class MemoryEnumerator : public files::Enumerator<Member> {
  public:
    MemoryEnumerator(MemoryVolume& volume, std::string folder_path, Op next_op,
                     std::vector<MemoryVolume::Node*> members)
        : volume_(volume),
          folder_path_(std::move(folder_path)),
          next_op_(next_op),
          members_(std::move(members)) {}

    Result<std::unique_ptr<Member>> Next() override;

  private:
    MemoryVolume& volume_;
    std::string folder_path_;
    Op next_op_;
    std::vector<MemoryVolume::Node*> members_;
    std::size_t position_ = 0;
};

template <class Member>
class MemoryCollection : public files::Collection<Member> {
  public:
    MemoryCollection(MemoryVolume& volume, MemoryVolume::Node& folder, bool folders)
        : volume_(volume), folder_(folder), folders_(folders) {}

    Result<std::int32_t> Count() override {
        if (auto e = volume_.Inject(folders_ ? Op::SubFoldersCount : Op::FilesCount, Path())) {
            return *e;
        }
        return static_cast<std::int32_t>(Members().size());
    }

    Result<std::unique_ptr<files::Enumerator<Member>>> Enumerate() override {
        if (auto e =
                volume_.Inject(folders_ ? Op::SubFoldersEnumerate : Op::FilesEnumerate, Path())) {
            return *e;
        }
        return std::unique_ptr<files::Enumerator<Member>>(
            std::make_unique<MemoryEnumerator<Member>>(
                volume_, Path(), folders_ ? Op::SubFoldersNext : Op::FilesNext, Members()));
    }

  private:
    std::string Path() const { return MemoryVolume::PathOf(folder_); }
    std::vector<MemoryVolume::Node*> Members() const {
        std::vector<MemoryVolume::Node*> members;
        for (const auto& child : folder_.children) {
            if (child->is_folder == folders_) {
                members.push_back(child.get());
            }
        }
        return members;
    }

    MemoryVolume& volume_;
    MemoryVolume::Node& folder_;
    bool folders_;
};

class MemoryFolder : public files::Folder, public MemoryEntry {
  public:
    MemoryFolder(MemoryVolume& volume, MemoryVolume::Node& node)
        : MemoryEntry{node.path, node.id, node.path}, volume_(volume), node_(node) {}

    Result<std::string> Path() override {
        if (auto e = volume_.Inject(Op::FolderPath, MemoryVolume::PathOf(node_))) {
            return *e;
        }
        return MemoryVolume::PathOf(node_);
    }
    Result<std::string> Name() override {
        if (auto e = volume_.Inject(Op::FolderName, MemoryVolume::PathOf(node_))) {
            return *e;
        }
        return node_.parent ? node_.name : std::string();
    }
    Result<std::unique_ptr<files::FileCollection>> Files() override {
        if (auto e = volume_.Inject(Op::FolderFiles, MemoryVolume::PathOf(node_))) {
            return *e;
        }
        return std::unique_ptr<files::FileCollection>(
            std::make_unique<MemoryCollection<files::File>>(volume_, node_, false));
    }
    Result<std::unique_ptr<files::FolderCollection>> SubFolders() override {
        if (auto e = volume_.Inject(Op::FolderSubFolders, MemoryVolume::PathOf(node_))) {
            return *e;
        }
        return std::unique_ptr<files::FolderCollection>(
            std::make_unique<MemoryCollection<files::Folder>>(volume_, node_, true));
    }

  private:
    MemoryVolume& volume_;
    MemoryVolume::Node& node_;
};

template <class Member>
Result<std::unique_ptr<Member>> MemoryEnumerator<Member>::Next() {
    if (auto e = volume_.Inject(next_op_, folder_path_)) {
        return *e;
    }
    if (position_ == members_.size()) {
        return std::unique_ptr<Member>();
    }
    MemoryVolume::Node& node = *members_[position_++];
    if constexpr (std::is_same_v<Member, files::File>) {
        return std::unique_ptr<Member>(std::make_unique<MemoryFile>(volume_, node));
    } else {
        return std::unique_ptr<Member>(std::make_unique<MemoryFolder>(volume_, node));
    }
}

class MemoryFileSystemObject : public files::FileSystemObject {
  public:
    explicit MemoryFileSystemObject(MemoryVolume& volume) : volume_(volume) {}
    Result<std::unique_ptr<files::Folder>> GetFolder(const std::string& path) override {
        if (auto e = volume_.Inject(Op::GetFolder, path)) {
            return *e;
        }
        MemoryVolume::Node* node = volume_.Find(path);
        if (!node || !node->is_folder) {
            return kPathNotFoundError;
        }
        return std::unique_ptr<files::Folder>(std::make_unique<MemoryFolder>(volume_, *node));
    }

    Result<std::unique_ptr<files::Folder>> GetFolder(const files::Folder& listed) override {
        const MemoryEntry* entry = AsMemoryEntry(listed);
        if (auto e = volume_.Inject(Op::GetFolder, entry->path)) {
            return *e;
        }
        MemoryVolume::Node* node = volume_.Find(entry->path);
        if (!node || !node->is_folder) {
            return kPathNotFoundError;
        }
        if (node->id != entry->id) {
            return kReplacedError;
        }
        return std::unique_ptr<files::Folder>(std::make_unique<MemoryFolder>(volume_, *node));
    }

  private:
    MemoryVolume& volume_;
};

const MemoryEntry* AsMemoryEntry(const files::Entry& entry) {
    if (auto* listed = dynamic_cast<const MemoryDirEntry*>(&entry)) {
        return listed;
    }
    if (auto* file = dynamic_cast<const MemoryFile*>(&entry)) {
        return file;
    }
    if (auto* folder = dynamic_cast<const MemoryFolder*>(&entry)) {
        return folder;
    }
    throw std::invalid_argument("an entry another file system gave");
}

}  // namespace

MemoryVolume::MemoryVolume() = default;
MemoryVolume::~MemoryVolume() = default;

void MemoryVolume::AddDrive(char letter) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    auto& root = drives_[upper];
    if (!root) {
        root = std::make_unique<Node>();
        root->name = std::string(1, upper) + ":";
        root->path = root->name + "\\";
        root->is_folder = true;
        root->id = next_id_++;
    }
}

void MemoryVolume::AddFolder(const std::string& path, std::uint32_t attributes) {
    Add(path, attributes, true);
}

void MemoryVolume::AddFile(const std::string& path, std::uint32_t attributes) {
    Add(path, attributes, false);
}

MemoryVolume::Node& MemoryVolume::Add(const std::string& path, std::uint32_t attributes,
                                      bool is_folder) {
    const std::vector<std::string_view> parts = Components(path);
    if (parts.size() < 2 || !IsDrive(parts.front())) {
        throw std::invalid_argument("not a path below a drive root: " + path);
    }
    AddDrive(parts.front()[0]);
    Node* parent = Find(path.substr(0, path.rfind('\\') + 1));
    if (!parent || !parent->is_folder) {
        throw std::invalid_argument("no parent folder for " + path);
    }
    auto node = std::make_unique<Node>();
    node->name = std::string(parts.back());
    node->attributes = attributes & ~static_cast<std::uint32_t>(files::kDirectory);
    node->is_folder = is_folder;
    node->id = next_id_++;
    node->parent = parent;
    node->path = parent->path + (parent->parent ? "\\" : "") + node->name;
    parent->children.push_back(std::move(node));
    return *parent->children.back();
}

MemoryVolume::Node* MemoryVolume::Find(const std::string& path) const {
    const std::vector<std::string_view> parts = Components(path);
    if (parts.empty() || !IsDrive(parts.front())) {
        return nullptr;
    }
    auto drive =
        drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(parts[0][0]))));
    if (drive == drives_.end()) {
        return nullptr;
    }
    Node* node = drive->second.get();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto child = std::ranges::find_if(
            node->children, [&](const auto& c) { return SameName(c->name, parts[i]); });
        if (child == node->children.end()) {
            return nullptr;
        }
        node = child->get();
    }
    return node;
}

std::string MemoryVolume::PathOf(const Node& node) {
    return node.path;
}

void MemoryVolume::Replace(const std::string& path, std::uint32_t attributes) {
    if (Node* node = Find(path)) {
        node->id = next_id_++;
        node->attributes = attributes & ~static_cast<std::uint32_t>(files::kDirectory);
    }
}

void MemoryVolume::Remove(const std::string& path) {
    Node* node = Find(path);
    if (node && node->parent) {
        std::erase_if(node->parent->children,
                      [&](const auto& child) { return child.get() == node; });
    }
}

std::int64_t MemoryVolume::Attributes(const std::string& path) const {
    const Node* node = Find(path);
    if (!node) {
        return -1;
    }
    return node->attributes | (node->is_folder ? files::kDirectory : 0u);
}

void MemoryVolume::FailOn(Op op, const std::string& path, int occurrence, std::int32_t number,
                          std::string description, int times) {
    const int last = times == kEveryTime ? kEveryTime : occurrence + times - 1;
    faults_.push_back({op, Key(path), occurrence, last, Error{number, std::move(description)}});
}

std::optional<Error> MemoryVolume::Inject(Op op, const std::string& path) {
    if (faults_.empty()) {
        return std::nullopt;
    }
    const std::string key = Key(path);
    const int call = ++calls_[{op, key}];
    for (const Fault& fault : faults_) {
        if (fault.op == op && fault.key == key && call >= fault.first &&
            (fault.last == kEveryTime || call <= fault.last)) {
            return fault.error;
        }
    }
    return std::nullopt;
}

Result<files::Listed> MemoryVolume::Dir(const std::string& pattern, std::uint32_t mask) {
    listing_.reset();
    if (auto e = Inject(Op::DirStart, pattern)) {
        return *e;
    }
    Node* folder = Find(pattern);
    if (!folder || !folder->is_folder) {
        return kPathNotFoundError;
    }
    listing_ = Listing{folder, pattern, mask, 0};
    return NextName();
}

Result<files::Listed> MemoryVolume::Dir() {
    if (!listing_) {
        return Error{kNoMoreListing, "There are no more files."};
    }
    if (auto e = Inject(Op::DirNext, PathOf(*listing_->folder))) {
        return *e;
    }
    return NextName();
}

files::Listed MemoryVolume::NextName() {
    Listing& listing = *listing_;
    const bool has_dots = listing.folder->parent != nullptr && (listing.mask & files::kDirectory);
    const std::size_t dots = has_dots ? 2 : 0;
    auto give = [&](std::string name, const Node& node) {
        auto entry = std::make_unique<MemoryDirEntry>(
            MemoryEntry{node.path, node.id, listing.pattern + name});
        return files::Listed{std::move(name), std::move(entry)};
    };
    while (true) {
        const std::size_t position = listing.position++;
        if (position < dots) {
            return position == 0 ? give(".", *listing.folder) : give("..", *listing.folder->parent);
        }
        const std::size_t index = position - dots;
        if (index >= listing.folder->children.size()) {
            listing_.reset();
            return files::Listed{};
        }
        const Node& child = *listing.folder->children[index];
        if (Listed(child.attributes, child.is_folder, listing.mask)) {
            return give(child.name, child);
        }
    }
}

Result<std::unique_ptr<files::FileSystemObject>> MemoryVolume::CreateFileSystemObject() {
    if (auto e = Inject(Op::CreateFileSystemObject, "")) {
        return *e;
    }
    return std::unique_ptr<files::FileSystemObject>(
        std::make_unique<MemoryFileSystemObject>(*this));
}

files::Result<std::uint32_t> MemoryVolume::SetAttr(const files::Entry& listed,
                                                   std::uint32_t attributes) {
    const MemoryEntry& entry = *AsMemoryEntry(listed);
    set_attr_calls_.push_back(entry.shown);
    if (auto e = Inject(Op::SetAttr, entry.path)) {
        return *e;
    }
    Node* node = Find(entry.path);
    if (!node) {
        return kFileNotFoundError;
    }
    if (node->id != entry.id) {
        return kReplacedError;
    }
    const std::uint32_t before = node->attributes & kDosBits;
    node->attributes = attributes & ~static_cast<std::uint32_t>(files::kDirectory);
    return before;
}

files::Result<std::uint32_t> MemoryVolume::GetAttr(const files::Entry& listed) {
    const MemoryEntry& entry = *AsMemoryEntry(listed);
    Node* node = Find(entry.path);
    if (!node) {
        return kFileNotFoundError;
    }
    if (node->id != entry.id) {
        return kReplacedError;
    }
    return node->attributes & kDosBits;
}

}  // namespace vantrelle::testing
