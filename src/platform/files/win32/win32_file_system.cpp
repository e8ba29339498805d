// The Win32 backend: FindFirstFileExW/FindNextFileW for the listing and the folder
// object model, SetFileAttributesW for the reset, GetLastError and FormatMessageW for
// the errors. Paths cross into the system as UTF-16 with the \\?\ prefix.
//
// Only a path the caller gives is parsed. An entry a listing gave is reached by its
// folder's path and its name as listed, never split or folded again: a name holding a
// separator (a volume written by another system can hold one) is reported, not followed.

#include <windows.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/files/files.h"
#include "platform/files/win32/native_path.h"
#include "platform/files/win32/wtf8.h"

namespace vantrelle::files {

namespace {

using win32::NativePath;

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}
std::u16string Utf16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

Error SystemError(DWORD number) {
    Error error;
    error.number = static_cast<std::int32_t>(number);
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, number, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length > 0 && buffer) {
        std::wstring text(buffer, length);
        while (!text.empty() &&
               (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
            text.pop_back();
        }
        error.description = win32::Wtf8FromUtf16(Utf16(text));
    } else {
        error.description = "Error " + std::to_string(number);
    }
    LocalFree(buffer);
    return error;
}

Error LastError() {
    return SystemError(GetLastError());
}

std::optional<std::u16string> FullPathOf(std::u16string_view base) {
    const std::wstring wide = Wide(base);
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Utf16(buffer);
        }
        buffer.resize(length);
    }
}

// The path the engine gave, ready for the file API, or the error that stops it.
Result<NativePath> Resolve(const std::string& path) {
    std::optional<std::u16string> utf16 = win32::Utf16FromWtf8(path);
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
bool Listed(DWORD attributes, std::uint32_t mask) {
    const DWORD needed =
        attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    return (needed & ~mask) == 0;
}

bool IsDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// A link or junction to a folder is a reparse point with the folder bit: the object
// model counts it among the files so that no walk follows it.
bool IsWalkableFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A listed name that the file API would read as more than one name, or as a stream.
bool Reachable(std::u16string_view name) {
    return name.find_first_of(u"\\/:") == std::u16string_view::npos;
}

// The path of the entry `name` of `folder`, the name taken as it is.
Result<NativePath> EntryOf(const NativePath& folder, std::u16string_view name) {
    if (!Reachable(name)) {
        return SystemError(ERROR_INVALID_NAME);
    }
    return win32::ChildPath(folder, name);
}

// A folder the walk knows: the one the caller named, or a sub-folder a listing gave.
// Paths are built when asked for, so that a deep walk holds each level's name once.
struct FolderNode {
    std::shared_ptr<const FolderNode> parent;  // none for the named folder
    std::u16string name;                       // a sub-folder's name, as listed
    NativePath named;                          // the named folder's path
};
using Node = std::shared_ptr<const FolderNode>;

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
            path.extended += u'\\';
        }
        path.display += (*at)->name;
        path.extended += (*at)->name;
    }
    if (!chain.empty()) {
        path.name = node.name;
    }
    return path;
}

// The node's path for the file API, refused when a name on the way holds a separator.
Result<NativePath> NativeOf(const FolderNode& node) {
    for (const FolderNode* at = &node; at->parent; at = at->parent.get()) {
        if (!Reachable(at->name)) {
            return SystemError(ERROR_INVALID_NAME);
        }
    }
    return PathOf(node);
}

// What the file system's objects share: the entries the folder model gave last, so
// that the path the engine builds from one reaches that very entry.
struct GivenLast {
    std::weak_ptr<const FolderNode> file_folder;  // the folder of the file given last
    std::u16string file_name;
    std::weak_ptr<const FolderNode> sub_folder;  // the sub-folder given last

    // The entry `path` names when it is one of those, as (folder, name).
    std::optional<std::pair<Node, std::u16string>> Match(std::u16string_view path) const {
        if (Node folder = file_folder.lock()) {
            NativePath entry = win32::ChildPath(PathOf(*folder), file_name);
            if (entry.display == path) {
                return std::pair{folder, file_name};
            }
        }
        if (Node sub = sub_folder.lock(); sub && PathOf(*sub).display == path) {
            return std::pair{sub->parent, sub->name};
        }
        return std::nullopt;
    }
    Node SubFolder(std::u16string_view path) const {
        Node sub = sub_folder.lock();
        return sub && PathOf(*sub).display == path ? sub : nullptr;
    }
};

class FindHandle {
  public:
    FindHandle() = default;
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    FindHandle(FindHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    FindHandle& operator=(FindHandle&& other) noexcept {
        Close();
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        return *this;
    }
    ~FindHandle() { Close(); }

    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    void Close() {
        if (open()) {
            FindClose(std::exchange(handle_, INVALID_HANDLE_VALUE));
        }
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Opens a listing of every entry of `folder`. An open handle with the first entry in
// `data`, a closed one when the folder holds nothing at all (a root has no "."), or
// the error.
Result<FindHandle> StartListing(const NativePath& folder, WIN32_FIND_DATAW& data) {
    const std::wstring pattern = Wide(win32::ListingPattern(folder));
    HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (handle != INVALID_HANDLE_VALUE) {
        return FindHandle(handle);
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
        return SystemError(error);
    }
    // No entry matched: an empty folder, or no folder at all.
    const DWORD attributes = GetFileAttributesW(Wide(folder.extended).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return SystemError(ERROR_DIRECTORY);
    }
    return FindHandle();
}

// The members of `folder` at this moment: the object model's collections hold names,
// not open handles, so a deep walk keeps no handle open per level.
Result<std::vector<std::u16string>> Members(const NativePath& folder, bool folders) {
    WIN32_FIND_DATAW data;
    auto listing = StartListing(folder, data);
    if (!listing) {
        return listing.error();
    }
    std::vector<std::u16string> names;
    FindHandle& handle = listing.value();
    while (handle.open()) {
        if (!IsDots(data.cFileName) && IsWalkableFolder(data.dwFileAttributes) == folders) {
            names.push_back(Utf16(data.cFileName));
        }
        if (!FindNextFileW(handle.get(), &data)) {
            const DWORD error = GetLastError();
            if (error != ERROR_NO_MORE_FILES) {
                return SystemError(error);
            }
            handle.Close();
        }
    }
    return names;
}

class Win32File : public File {
  public:
    explicit Win32File(std::u16string name) : name_(std::move(name)) {}
    Result<std::string> Name() override { return win32::Wtf8FromUtf16(name_); }

  private:
    std::u16string name_;
};

class Win32Folder : public Folder {
  public:
    Win32Folder(Node node, std::shared_ptr<GivenLast> listed)
        : node_(std::move(node)), listed_(std::move(listed)) {}

    Result<std::string> Path() override { return win32::Wtf8FromUtf16(PathOf(*node_).display); }
    Result<std::string> Name() override {
        return win32::Wtf8FromUtf16(node_->parent ? node_->name : node_->named.name);
    }
    Result<std::unique_ptr<FileCollection>> Files() override;
    Result<std::unique_ptr<FolderCollection>> SubFolders() override;

  private:
    Node node_;
    std::shared_ptr<GivenLast> listed_;
};

template <class Member>
class Win32Enumerator : public Enumerator<Member> {
  public:
    Win32Enumerator(Node folder, std::shared_ptr<GivenLast> listed,
                    std::vector<std::u16string> names)
        : folder_(std::move(folder)), listed_(std::move(listed)), names_(std::move(names)) {}

    Result<std::unique_ptr<Member>> Next() override {
        if (position_ == names_.size()) {
            names_ = {};  // a finished pass gives its memory back while the walk goes on
            position_ = 0;
            return std::unique_ptr<Member>();
        }
        std::u16string& name = names_[position_++];
        if constexpr (std::is_same_v<Member, File>) {
            listed_->file_folder = folder_;
            listed_->file_name = name;
            return std::unique_ptr<Member>(std::make_unique<Win32File>(std::move(name)));
        } else {
            auto sub = std::make_shared<FolderNode>();
            sub->parent = folder_;
            sub->name = std::move(name);
            listed_->sub_folder = sub;
            return std::unique_ptr<Member>(std::make_unique<Win32Folder>(std::move(sub), listed_));
        }
    }

  private:
    Node folder_;
    std::shared_ptr<GivenLast> listed_;
    std::vector<std::u16string> names_;
    std::size_t position_ = 0;
};

template <class Member>
class Win32Collection : public Collection<Member> {
  public:
    Win32Collection(Node folder, std::shared_ptr<GivenLast> listed)
        : folder_(std::move(folder)), listed_(std::move(listed)) {}

    Result<std::int32_t> Count() override {
        auto names = List();
        if (!names) {
            return names.error();
        }
        return static_cast<std::int32_t>(names.value().size());
    }

    Result<std::unique_ptr<Enumerator<Member>>> Enumerate() override {
        auto names = List();
        if (!names) {
            return names.error();
        }
        return std::unique_ptr<Enumerator<Member>>(
            std::make_unique<Win32Enumerator<Member>>(folder_, listed_, std::move(names.value())));
    }

  private:
    Result<std::vector<std::u16string>> List() {
        auto path = NativeOf(*folder_);
        if (!path) {
            return path.error();
        }
        return Members(path.value(), kFolders);
    }

    static constexpr bool kFolders = std::is_same_v<Member, Folder>;
    Node folder_;
    std::shared_ptr<GivenLast> listed_;
};

Result<std::unique_ptr<FileCollection>> Win32Folder::Files() {
    return std::unique_ptr<FileCollection>(std::make_unique<Win32Collection<File>>(node_, listed_));
}

Result<std::unique_ptr<FolderCollection>> Win32Folder::SubFolders() {
    return std::unique_ptr<FolderCollection>(
        std::make_unique<Win32Collection<Folder>>(node_, listed_));
}

// Whether `path` names a folder; the error otherwise.
Status IsFolder(const NativePath& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path.extended).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return SystemError(ERROR_PATH_NOT_FOUND);
    }
    return Done{};
}

class Win32FileSystemObject : public FileSystemObject {
  public:
    explicit Win32FileSystemObject(std::shared_ptr<GivenLast> listed)
        : listed_(std::move(listed)) {}

    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        std::optional<std::u16string> utf16 = win32::Utf16FromWtf8(path);
        if (utf16) {
            if (Node sub = listed_->SubFolder(*utf16)) {
                auto native = NativeOf(*sub);
                if (!native) {
                    return native.error();
                }
                if (auto folder = IsFolder(native.value()); !folder) {
                    return folder.error();
                }
                return std::unique_ptr<Folder>(std::make_unique<Win32Folder>(sub, listed_));
            }
        }
        auto resolved = Resolve(path);
        if (!resolved) {
            return resolved.error();
        }
        if (auto folder = IsFolder(resolved.value()); !folder) {
            return folder.error();
        }
        auto named = std::make_shared<FolderNode>();
        named->named = std::move(resolved.value());
        return std::unique_ptr<Folder>(std::make_unique<Win32Folder>(std::move(named), listed_));
    }

  private:
    std::shared_ptr<GivenLast> listed_;
};

// A link or junction is opened as itself, so that its own attributes change and
// never those of what it points to.
Status SetLinkAttributes(const std::wstring& path, DWORD attributes) {
    HANDLE link = CreateFileW(
        path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (link == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    // Where the system opens what the link points to (Wine, for a POSIX link), the
    // link has no attributes of its own to reset, and its target is not to be touched.
    BY_HANDLE_FILE_INFORMATION opened{};
    if (!GetFileInformationByHandle(link, &opened) ||
        !(opened.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(link);
        Error error = SystemError(ERROR_NOT_A_REPARSE_POINT);
        error.description += " (the link opened as what it points to, which is left alone)";
        return error;
    }
    FILE_BASIC_INFO info{};  // zero times are left as they are
    info.FileAttributes = attributes;
    const bool set = SetFileInformationByHandle(link, FileBasicInfo, &info, sizeof info);
    const DWORD error = GetLastError();
    CloseHandle(link);
    if (!set) {
        return SystemError(error);
    }
    return Done{};
}

class Win32FileSystem : public FileSystem {
  public:
    char Separator() const override { return '\\'; }

    Result<std::string> Dir(const std::string& pattern, std::uint32_t mask) override {
        listing_.Close();
        listing_pattern_.reset();
        auto folder = Resolve(pattern);
        if (!folder) {
            return folder.error();
        }
        WIN32_FIND_DATAW data;
        auto listing = StartListing(folder.value(), data);
        if (!listing) {
            return listing.error();
        }
        listing_ = std::move(listing.value());
        listing_folder_ = std::move(folder.value());
        listing_pattern_ = pattern;
        mask_ = mask;
        if (!listing_.open()) {
            return std::string();
        }
        if (Listed(data.dwFileAttributes, mask_)) {
            return Give(data.cFileName);
        }
        return Dir();
    }

    Result<std::string> Dir() override {
        if (!listing_.open()) {
            return SystemError(ERROR_NO_MORE_FILES);
        }
        WIN32_FIND_DATAW data;
        do {
            if (!FindNextFileW(listing_.get(), &data)) {
                const DWORD error = GetLastError();
                if (error != ERROR_NO_MORE_FILES) {
                    return SystemError(error);
                }
                listing_.Close();
                return std::string();
            }
        } while (!Listed(data.dwFileAttributes, mask_));
        return Give(data.cFileName);
    }

    Status SetAttr(const std::string& path, std::uint32_t attributes) override {
        auto resolved = EntryFor(path);
        if (!resolved) {
            return resolved.error();
        }
        const std::wstring native = Wide(resolved.value().extended);
        // Zero would leave the attributes as they are: Normal has its own bit.
        const DWORD wanted = attributes == kNormal ? FILE_ATTRIBUTE_NORMAL : attributes;
        const DWORD current = GetFileAttributesW(native.c_str());
        if (current == INVALID_FILE_ATTRIBUTES) {
            return LastError();
        }
        if (current & FILE_ATTRIBUTE_REPARSE_POINT) {
            return SetLinkAttributes(native, wanted);
        }
        if (!SetFileAttributesW(native.c_str(), wanted)) {
            return LastError();
        }
        return Done{};
    }

    Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() override {
        return std::unique_ptr<FileSystemObject>(std::make_unique<Win32FileSystemObject>(listed_));
    }

  private:
    std::string Give(const wchar_t* name) {
        listing_name_ = Utf16(name);
        return win32::Wtf8FromUtf16(listing_name_);
    }

    // An entry the listing or the folder model gave last is reached by its folder and
    // its name; any other path is the caller's, parsed as a path.
    Result<NativePath> EntryFor(const std::string& path) {
        if (listing_pattern_ && path.size() > listing_pattern_->size() &&
            path.starts_with(*listing_pattern_) &&
            win32::Utf16FromWtf8(path.substr(listing_pattern_->size())) == listing_name_) {
            return EntryOf(listing_folder_, listing_name_);
        }
        if (std::optional<std::u16string> utf16 = win32::Utf16FromWtf8(path)) {
            if (auto entry = listed_->Match(*utf16)) {
                auto folder = NativeOf(*entry->first);
                if (!folder) {
                    return folder.error();
                }
                return EntryOf(folder.value(), entry->second);
            }
        }
        return Resolve(path);
    }

    FindHandle listing_;
    NativePath listing_folder_;
    std::optional<std::string> listing_pattern_;  // as the caller gave it
    std::u16string listing_name_;                 // the name given last
    std::uint32_t mask_ = 0;
    std::shared_ptr<GivenLast> listed_ = std::make_shared<GivenLast>();
};

}  // namespace

std::unique_ptr<FileSystem> OpenNativeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace vantrelle::files
