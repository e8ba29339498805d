#include "platform/files/win32/nt_file.h"

#include <winternl.h>

#include <algorithm>
#include <utility>

#include "common/wtf8.h"

namespace vantrelle::files::win32 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// What one call fetches of a listing, as FIND_FIRST_EX_LARGE_FETCH does.
constexpr std::size_t kBatchBytes = 64 * 1024;

Error NtError(NTSTATUS status) {
    return SystemError(RtlNtStatusToDosError(status));
}

bool IsSeparatorOrStream(char16_t c) {
    return c == u'\\' || c == u'/' || c == u':';
}

}  // namespace

Error SystemError(DWORD number) {
    Error error;
    error.number = static_cast<std::int32_t>(number);
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, number, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length > 0 && buffer) {
        std::u16string text(buffer, buffer + length);
        while (!text.empty() &&
               (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
            text.pop_back();
        }
        error.description = Wtf8FromUtf16(text);
    } else {
        error.description = "Error " + std::to_string(number);
    }
    LocalFree(buffer);
    return error;
}

Error LastError() {
    return SystemError(GetLastError());
}

UniqueHandle::UniqueHandle(UniqueHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
        if (handle_) {
            CloseHandle(handle_);
        }
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

UniqueHandle::~UniqueHandle() {
    if (handle_) {
        CloseHandle(handle_);
    }
}

Result<UniqueHandle> OpenFolderByPath(const std::u16string& extended) {
    const std::wstring path(extended.begin(), extended.end());
    HANDLE handle =
        CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    UniqueHandle folder(handle);
    auto attributes = AttributesOf(folder.get());
    if (!attributes) {
        return attributes.error();
    }
    if (!(attributes.value() & FILE_ATTRIBUTE_DIRECTORY)) {
        return SystemError(ERROR_DIRECTORY);
    }
    return folder;
}

Result<UniqueHandle> OpenInFolder(HANDLE parent, std::u16string_view name, Opening opening) {
    const bool dots = name == u"." || name == u"..";
    if (name.empty() || dots || name.size() > 255 ||
        std::find_if(name.begin(), name.end(), IsSeparatorOrStream) != name.end()) {
        return SystemError(ERROR_INVALID_NAME);
    }
    UNICODE_STRING object_name;
    object_name.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(name.data()));
    object_name.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    object_name.MaximumLength = object_name.Length;
    // No OBJ_CASE_INSENSITIVE: the name as listed, exactly.
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &object_name, 0, parent, nullptr);

    ACCESS_MASK access = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    ULONG options =
        FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT;
    if (opening == Opening::Folder) {
        access |= FILE_LIST_DIRECTORY | FILE_TRAVERSE;
        options |= FILE_DIRECTORY_FILE;
    } else {
        access |= FILE_WRITE_ATTRIBUTES;
    }
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status = NtCreateFile(&handle, access, &object, &io, nullptr, 0, kShareAll,
                                         FILE_OPEN, options, nullptr, 0);
    if (status < 0) {
        return NtError(status);
    }
    return UniqueHandle(handle);
}

Result<std::uint64_t> FileIdOf(HANDLE handle) {
    FILE_INTERNAL_INFORMATION internal{};
    IO_STATUS_BLOCK io{};
    const NTSTATUS status =
        NtQueryInformationFile(handle, &io, &internal, sizeof internal, FileInternalInformation);
    if (status < 0) {
        return NtError(status);
    }
    return static_cast<std::uint64_t>(internal.IndexNumber.QuadPart);
}

Result<DWORD> AttributesOf(HANDLE handle) {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
        return LastError();
    }
    return basic.FileAttributes;
}

Result<std::u16string> SystemNameOf(HANDLE handle) {
    // Most names fit the first buffer, asked for with every entry; the longest a path can
    // be fits the second.
    alignas(FILE_NAME_INFO) unsigned char first[2048];
    std::vector<unsigned char> second;
    unsigned char* buffer = first;
    DWORD size = sizeof first;
    for (;;) {
        if (GetFileInformationByHandleEx(handle, FileNameInfo, buffer, size)) {
            const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer);
            const auto* name = reinterpret_cast<const char16_t*>(info->FileName);
            return std::u16string(name, info->FileNameLength / sizeof(wchar_t));
        }
        if (GetLastError() != ERROR_MORE_DATA || !second.empty()) {
            return LastError();
        }
        second.resize(sizeof(FILE_NAME_INFO) + 65536);
        buffer = second.data();
        size = static_cast<DWORD>(second.size());
    }
}

Status SetAttributes(HANDLE handle, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of zero are left as they are
    // Zero would leave the attributes as they are: Normal has its own bit.
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    if (!SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic)) {
        return LastError();
    }
    return Done{};
}

bool LinksOpenAsTargets() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

Result<std::optional<ListedMember>> ListingReader::Next() {
    if (ended_) {
        return std::optional<ListedMember>();
    }
    if (!in_batch_) {
        batch_.resize(kBatchBytes);
        // A handle the walk listed before starts again from its first entry.
        const auto kind = started_ ? FileIdBothDirectoryInfo : FileIdBothDirectoryRestartInfo;
        if (!GetFileInformationByHandleEx(folder_, kind, batch_.data(),
                                          static_cast<DWORD>(batch_.size()))) {
            const DWORD error = GetLastError();
            // No entry at all is reported as not found, the end of the listing as no more.
            if (error == ERROR_NO_MORE_FILES || (!started_ && error == ERROR_FILE_NOT_FOUND)) {
                ended_ = true;
                batch_ = {};
                return std::optional<ListedMember>();
            }
            return SystemError(error);
        }
        started_ = true;
        in_batch_ = true;
        offset_ = 0;
    }
    const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(batch_.data() + offset_);
    ListedMember member;
    const auto* name = reinterpret_cast<const char16_t*>(entry->FileName);
    member.name.assign(name, entry->FileNameLength / sizeof(wchar_t));
    member.id = static_cast<std::uint64_t>(entry->FileId.QuadPart);
    member.attributes = entry->FileAttributes;
    if (entry->NextEntryOffset == 0) {
        in_batch_ = false;
    } else {
        offset_ += entry->NextEntryOffset;
    }
    return std::optional<ListedMember>(std::move(member));
}

}  // namespace vantrelle::files::win32
