// The Win32 backend: FindFirstFileExW/FindNextFileW for the listing and the folder
// object model, SetFileAttributesW for the reset, GetLastError and FormatMessageW for
// the errors. Paths cross into the system as UTF-16 with the \\?\ prefix.

#include <windows.h>

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
    explicit Win32Folder(NativePath path) : path_(std::move(path)) {}

    Result<std::string> Path() override { return win32::Wtf8FromUtf16(path_.display); }
    Result<std::string> Name() override { return win32::Wtf8FromUtf16(path_.name); }
    Result<std::unique_ptr<FileCollection>> Files() override;
    Result<std::unique_ptr<FolderCollection>> SubFolders() override;

  private:
    NativePath path_;
};

template <class Member>
class Win32Enumerator : public Enumerator<Member> {
  public:
    Win32Enumerator(NativePath folder, std::vector<std::u16string> names)
        : folder_(std::move(folder)), names_(std::move(names)) {}

    Result<std::unique_ptr<Member>> Next() override {
        if (position_ == names_.size()) {
            names_ = {};  // a finished pass gives its memory back while the walk goes on
            position_ = 0;
            return std::unique_ptr<Member>();
        }
        std::u16string& name = names_[position_++];
        if constexpr (std::is_same_v<Member, File>) {
            return std::unique_ptr<Member>(std::make_unique<Win32File>(std::move(name)));
        } else {
            return std::unique_ptr<Member>(
                std::make_unique<Win32Folder>(win32::ChildPath(folder_, name)));
        }
    }

  private:
    NativePath folder_;
    std::vector<std::u16string> names_;
    std::size_t position_ = 0;
};

template <class Member>
class Win32Collection : public Collection<Member> {
  public:
    explicit Win32Collection(NativePath folder) : folder_(std::move(folder)) {}

    Result<std::int32_t> Count() override {
        auto names = Members(folder_, kFolders);
        if (!names) {
            return names.error();
        }
        return static_cast<std::int32_t>(names.value().size());
    }

    Result<std::unique_ptr<Enumerator<Member>>> Enumerate() override {
        auto names = Members(folder_, kFolders);
        if (!names) {
            return names.error();
        }
        return std::unique_ptr<Enumerator<Member>>(
            std::make_unique<Win32Enumerator<Member>>(folder_, std::move(names.value())));
    }

  private:
    static constexpr bool kFolders = std::is_same_v<Member, Folder>;
    NativePath folder_;
};

Result<std::unique_ptr<FileCollection>> Win32Folder::Files() {
    return std::unique_ptr<FileCollection>(std::make_unique<Win32Collection<File>>(path_));
}

Result<std::unique_ptr<FolderCollection>> Win32Folder::SubFolders() {
    return std::unique_ptr<FolderCollection>(std::make_unique<Win32Collection<Folder>>(path_));
}

class Win32FileSystemObject : public FileSystemObject {
  public:
    Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
        auto resolved = Resolve(path);
        if (!resolved) {
            return resolved.error();
        }
        const DWORD attributes = GetFileAttributesW(Wide(resolved.value().extended).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return LastError();
        }
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return SystemError(ERROR_PATH_NOT_FOUND);
        }
        return std::unique_ptr<Folder>(std::make_unique<Win32Folder>(std::move(resolved.value())));
    }
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
        mask_ = mask;
        if (!listing_.open()) {
            return std::string();
        }
        if (Listed(data.dwFileAttributes, mask_)) {
            return win32::Wtf8FromUtf16(Utf16(data.cFileName));
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
        return win32::Wtf8FromUtf16(Utf16(data.cFileName));
    }

    Status SetAttr(const std::string& path, std::uint32_t attributes) override {
        auto resolved = Resolve(path);
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
        return std::unique_ptr<FileSystemObject>(std::make_unique<Win32FileSystemObject>());
    }

  private:
    FindHandle listing_;
    std::uint32_t mask_ = 0;
};

}  // namespace

std::unique_ptr<FileSystem> OpenNativeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace vantrelle::files
