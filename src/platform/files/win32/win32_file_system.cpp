// The Win32 backend. Only the path the caller names is parsed, and that folder is opened
// by it; everything below is reached by handle: listings are read through the folder's
// handle, a sub-folder is opened by its name relative to its parent's, and attributes
// are set through a handle opened as the entry itself (folder_handles.h). The path text
// the engine builds for its prompts is never read back.

#include <windows.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/wtf8.h"
#include "platform/files/files.h"
#include "platform/files/win32/folder_handles.h"
#include "platform/files/win32/native_path.h"
#include "platform/files/win32/nt_file.h"

namespace vantrelle::files {

namespace {

using win32::FolderHandles;
using win32::FolderNode;
using win32::LastError;
using win32::ListedMember;
using win32::NativePath;
using win32::Node;
using win32::OpenFolder;
using win32::SystemError;

std::optional<std::u16string> FullPathOf(std::u16string_view base) {
    const std::wstring wide(base.begin(), base.end());
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            return std::u16string(buffer.begin(), buffer.begin() + length);
        }
        buffer.resize(length);
    }
}

// The path the caller gave, ready for the file API, or the error that stops it.
Result<NativePath> Resolve(const std::string& path) {
    std::optional<std::u16string> utf16 = Utf16FromWtf8(path);
    if (!utf16) {
        return SystemError(ERROR_NO_UNICODE_TRANSLATION);
    }
    if (utf16->empty()) {
        return SystemError(ERROR_PATH_NOT_FOUND);
    }
    // A path refused without asking the system must not report an older error.
    SetLastError(ERROR_SUCCESS);
    std::optional<NativePath> resolved = win32::ResolveNativePath(*utf16, FullPathOf);
    if (!resolved) {
        return GetLastError() != ERROR_SUCCESS ? LastError() : SystemError(ERROR_BAD_PATHNAME);
    }
    return std::move(*resolved);
}

// Hidden, system and folder entries only when the mask holds their bits.
bool MaskLets(DWORD attributes, std::uint32_t mask) {
    const DWORD needed =
        attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    return (needed & ~mask) == 0;
}

bool IsDots(std::u16string_view name) {
    return name == u"." || name == u"..";
}

// A link or junction to a folder is a reparse point with the folder bit: the object
// model counts it among the files so that no walk follows it.
bool IsWalkableFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// What the objects of one walk share: the folders held open. It lives as long as any of
// them, so that no handle outlasts the walk (a stick with an open handle cannot be
// ejected).
struct Walk {
    FolderHandles folders;
};

// What every entry this backend gives can do: set its own attributes.
std::uint32_t DosBitsOf(DWORD attributes) {
    return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_ARCHIVE);
}

class Resettable {
  public:
    virtual ~Resettable() = default;
    virtual Result<std::uint32_t> Reset(DWORD attributes) const = 0;
    // What the listing showed of the entry's Read-only, Hidden, System and Archive bits.
    virtual std::uint32_t Listed() const = 0;
};

// An entry `Dir` gave: its name and identity, and the folder listed, held open.
class DirEntry : public Entry, public Resettable {
  public:
    DirEntry(std::shared_ptr<const OpenFolder> folder, ListedMember member)
        : folder_(std::move(folder)), member_(std::move(member)) {}
    Result<std::uint32_t> Reset(DWORD attributes) const override {
        return win32::ResetListed(*folder_, member_, attributes);
    }
    std::uint32_t Listed() const override { return DosBitsOf(member_.attributes); }

  private:
    std::shared_ptr<const OpenFolder> folder_;
    ListedMember member_;
};

class Win32File : public File, public Resettable {
  public:
    Win32File(std::shared_ptr<Walk> walk, Node folder, ListedMember member)
        : walk_(std::move(walk)), folder_(std::move(folder)), member_(std::move(member)) {}

    Result<std::string> Name() override { return Wtf8FromUtf16(member_.name); }
    Result<std::uint32_t> Reset(DWORD attributes) const override {
        auto folder = walk_->folders.Open(folder_);
        if (!folder) {
            return folder.error();
        }
        return win32::ResetListed(*folder.value(), member_, attributes);
    }
    std::uint32_t Listed() const override { return DosBitsOf(member_.attributes); }

  private:
    std::shared_ptr<Walk> walk_;
    Node folder_;
    ListedMember member_;
};

// The node's path as shown, the names joined as they are.
NativePath PathOf(const FolderNode& node) {
    std::vector<const FolderNode*> chain;
    for (const FolderNode* at = &node; at->parent; at = at->parent.get()) {
        chain.push_back(at);
    }
    const FolderNode* top = chain.empty() ? &node : chain.back()->parent.get();
    NativePath path = top->named;
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        if (path.display.empty() || path.display.back() != u'\\') {
            path.display += u'\\';
        }
        path.display += (*at)->listed.name;
    }
    return path;
}

// A folder's members, read at once through its handle: both collections come from one
// listing, and a pass takes its members along, so that a finished pass gives its memory
// back while the walk goes on.
struct Members {
    std::optional<std::vector<ListedMember>> files;
    std::optional<std::vector<ListedMember>> folders;
};

Status ReadMembers(Walk& walk, const Node& folder, Members& members) {
    auto open = walk.folders.Open(folder);
    if (!open) {
        return open.error();
    }
    win32::ListingReader listing(open.value()->handle.get());
    std::vector<ListedMember> files;
    std::vector<ListedMember> folders;
    for (;;) {
        auto next = listing.Next();
        if (!next) {
            return next.error();
        }
        if (!next.value()) {
            break;
        }
        ListedMember& member = *next.value();
        if (IsDots(member.name)) {
            continue;
        }
        (IsWalkableFolder(member.attributes) ? folders : files).push_back(std::move(member));
    }
    members.files = std::move(files);
    members.folders = std::move(folders);
    return Done{};
}

class Win32Folder : public Folder, public Resettable {
  public:
    Win32Folder(std::shared_ptr<Walk> walk, Node node)
        : walk_(std::move(walk)), node_(std::move(node)), members_(std::make_shared<Members>()) {}

    Result<std::string> Path() override { return Wtf8FromUtf16(PathOf(*node_).display); }
    Result<std::string> Name() override {
        return Wtf8FromUtf16(node_->parent ? node_->listed.name : node_->named.name);
    }
    Result<std::unique_ptr<FileCollection>> Files() override;
    Result<std::unique_ptr<FolderCollection>> SubFolders() override;

    // A sub-folder is reset as an entry of its parent; the named folder is no entry.
    Result<std::uint32_t> Reset(DWORD attributes) const override {
        if (!node_->parent) {
            return SystemError(ERROR_INVALID_PARAMETER);
        }
        auto parent = walk_->folders.Open(node_->parent);
        if (!parent) {
            return parent.error();
        }
        return win32::ResetListed(*parent.value(), node_->listed, attributes);
    }
    std::uint32_t Listed() const override { return DosBitsOf(node_->listed.attributes); }

    const Node& node() const { return node_; }

  private:
    std::shared_ptr<Walk> walk_;
    Node node_;
    std::shared_ptr<Members> members_;
};

template <class Member>
class Win32Enumerator : public Enumerator<Member> {
  public:
    Win32Enumerator(std::shared_ptr<Walk> walk, Node folder, std::vector<ListedMember> members)
        : walk_(std::move(walk)), folder_(std::move(folder)), members_(std::move(members)) {}

    Result<std::unique_ptr<Member>> Next() override {
        if (position_ == members_.size()) {
            members_ = {};
            position_ = 0;
            return std::unique_ptr<Member>();
        }
        ListedMember& member = members_[position_++];
        if constexpr (std::is_same_v<Member, File>) {
            return std::unique_ptr<Member>(
                std::make_unique<Win32File>(walk_, folder_, std::move(member)));
        } else {
            auto sub = std::make_shared<FolderNode>();
            sub->parent = folder_;
            sub->listed = std::move(member);
            return std::unique_ptr<Member>(std::make_unique<Win32Folder>(walk_, std::move(sub)));
        }
    }

  private:
    std::shared_ptr<Walk> walk_;
    Node folder_;
    std::vector<ListedMember> members_;
    std::size_t position_ = 0;
};

template <class Member>
class Win32Collection : public Collection<Member> {
  public:
    Win32Collection(std::shared_ptr<Walk> walk, Node folder, std::shared_ptr<Members> members)
        : walk_(std::move(walk)), folder_(std::move(folder)), members_(std::move(members)) {}

    Result<std::int32_t> Count() override {
        auto list = List();
        if (!list) {
            return list.error();
        }
        return static_cast<std::int32_t>(list.value()->size());
    }

    Result<std::unique_ptr<Enumerator<Member>>> Enumerate() override {
        auto list = List();
        if (!list) {
            return list.error();
        }
        std::vector<ListedMember> taken = std::move(*list.value());
        Own().reset();  // a later count or pass reads the folder again
        return std::unique_ptr<Enumerator<Member>>(
            std::make_unique<Win32Enumerator<Member>>(walk_, folder_, std::move(taken)));
    }

  private:
    std::optional<std::vector<ListedMember>>& Own() {
        if constexpr (std::is_same_v<Member, File>) {
            return members_->files;
        } else {
            return members_->folders;
        }
    }

    Result<std::vector<ListedMember>*> List() {
        if (!Own()) {
            if (auto read = ReadMembers(*walk_, folder_, *members_); !read) {
                return read.error();
            }
        }
        return &*Own();
    }

    std::shared_ptr<Walk> walk_;
    Node folder_;
    std::shared_ptr<Members> members_;
};

Result<std::unique_ptr<FileCollection>> Win32Folder::Files() {
    return std::unique_ptr<FileCollection>(
        std::make_unique<Win32Collection<File>>(walk_, node_, members_));
}

Result<std::unique_ptr<FolderCollection>> Win32Folder::SubFolders() {
    return std::unique_ptr<FolderCollection>(
        std::make_unique<Win32Collection<Folder>>(walk_, node_, members_));
}

class Win32FileSystemObject : public FileSystemObject {
  public:
    explicit Win32FileSystemObject(std::shared_ptr<Walk> walk) : walk_(std::move(walk)) {}

    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        auto resolved = Resolve(path);
        if (!resolved) {
            return resolved.error();
        }
        auto open = win32::OpenNamedFolder(resolved.value());
        if (!open) {
            // Anything but a folder is a path that names none.
            return open.error().number == ERROR_DIRECTORY ? SystemError(ERROR_PATH_NOT_FOUND)
                                                          : open.error();
        }
        auto id = win32::FileIdOf(open.value().handle.get());
        if (!id) {
            return id.error();
        }
        auto named = std::make_shared<FolderNode>();
        named->named = std::move(resolved.value());
        named->named_id = id.value();
        walk_->folders.Keep(named, std::move(open.value()));
        return std::unique_ptr<Folder>(std::make_unique<Win32Folder>(walk_, std::move(named)));
    }

    Result<std::unique_ptr<Folder>> GetFolder(const Folder& listed) override {
        const auto* folder = dynamic_cast<const Win32Folder*>(&listed);
        if (!folder) {
            return SystemError(ERROR_INVALID_PARAMETER);
        }
        // Checked now, however recently it was opened: the walk enters what was listed.
        auto open = walk_->folders.Reopen(folder->node());
        if (!open) {
            return open.error();
        }
        return std::unique_ptr<Folder>(std::make_unique<Win32Folder>(walk_, folder->node()));
    }

  private:
    std::shared_ptr<Walk> walk_;
};

class Win32FileSystem : public FileSystem {
  public:
    char Separator() const override { return '\\'; }

    Result<Listed> Dir(const std::string& pattern, std::uint32_t mask) override {
        listing_.reset();
        folder_.reset();
        auto resolved = Resolve(pattern);
        if (!resolved) {
            return resolved.error();
        }
        auto open = win32::OpenNamedFolder(resolved.value());
        if (!open) {
            // The pattern names a folder: a missing one is a path not found.
            return open.error().number == ERROR_FILE_NOT_FOUND ? SystemError(ERROR_PATH_NOT_FOUND)
                                                               : open.error();
        }
        folder_ = std::make_shared<const OpenFolder>(std::move(open.value()));
        listing_.emplace(folder_->handle.get());
        mask_ = mask;
        return Dir();
    }

    Result<Listed> Dir() override {
        if (!listing_) {
            return SystemError(ERROR_NO_MORE_FILES);
        }
        for (;;) {
            auto next = listing_->Next();
            if (!next) {
                return next.error();
            }
            if (!next.value()) {
                listing_.reset();
                folder_.reset();  // the last entry given keeps it while it is used
                return Listed{};
            }
            ListedMember& member = *next.value();
            if (MaskLets(member.attributes, mask_)) {
                Listed listed;
                listed.name = Wtf8FromUtf16(member.name);
                listed.entry = std::make_unique<DirEntry>(folder_, std::move(member));
                return listed;
            }
        }
    }

    Result<std::uint32_t> SetAttr(const Entry& entry, std::uint32_t attributes) override {
        const auto* listed = dynamic_cast<const Resettable*>(&entry);
        if (!listed) {
            return SystemError(ERROR_INVALID_PARAMETER);
        }
        return listed->Reset(attributes);
    }

    // What the listing showed: the folder's one pass read every entry's attributes.
    Result<std::uint32_t> GetAttr(const Entry& entry) override {
        const auto* listed = dynamic_cast<const Resettable*>(&entry);
        if (!listed) {
            return SystemError(ERROR_INVALID_PARAMETER);
        }
        return listed->Listed();
    }

    Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() override {
        std::shared_ptr<Walk> walk = walk_.lock();
        if (!walk) {
            walk = std::make_shared<Walk>();
            walk_ = walk;
        }
        return std::unique_ptr<FileSystemObject>(std::make_unique<Win32FileSystemObject>(walk));
    }

  private:
    std::shared_ptr<const OpenFolder> folder_;  // the folder listed, while the listing lasts
    std::optional<win32::ListingReader> listing_;
    std::uint32_t mask_ = 0;
    std::weak_ptr<Walk> walk_;  // the walk going on, if any
};

}  // namespace

std::unique_ptr<FileSystem> OpenNativeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace vantrelle::files
