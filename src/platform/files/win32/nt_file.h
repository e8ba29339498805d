#pragma once

// The calls the Win32 backend makes on handles: a folder opened by the path the caller
// gives, entries and sub-folders opened by name relative to their folder's handle and
// as themselves (a link, not what it points to), what identifies an opened object, and
// a folder's listing read through its handle. Errors carry the Win32 number and the
// system's text.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/result.h"

namespace vantrelle::files::win32 {

Error SystemError(DWORD number);
Error LastError();

class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept;
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;
    ~UniqueHandle();

    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_ = nullptr;
};

// An entry as a folder's listing gave it.
struct ListedMember {
    std::u16string name;
    std::uint64_t id = 0;  // the file id; 0 where the file system gives none
    DWORD attributes = 0;
};

// The folder at `extended` (a \\?\ path), opened to be listed; a link on the way, the
// last component included, is followed. Fails for anything but a folder.
Result<UniqueHandle> OpenFolderByPath(const std::u16string& extended);

enum class Opening {
    Folder,  // to be listed and to open its entries from
    Entry,   // to have its attributes set
};

// `name` in the folder `parent`, opened as itself. Names that the system would read as
// more than one name, as a stream, or as the folder or its parent are refused.
Result<UniqueHandle> OpenInFolder(HANDLE parent, std::u16string_view name, Opening opening);

Result<std::uint64_t> FileIdOf(HANDLE handle);
Result<DWORD> AttributesOf(HANDLE handle);

// The path the system knows the opened object by, without its drive.
Result<std::u16string> SystemNameOf(HANDLE handle);

// Zero is Normal.
Status SetAttributes(HANDLE handle, DWORD attributes);

// Where the platform opens a POSIX link as what it points to even when asked to open
// it as itself, and lists it as its target (Wine): there only the name the system
// gives an opened object tells a link from the entry listed.
bool LinksOpenAsTargets();

// A folder's listing read through its handle, a batch of entries per call, from the
// first entry on.
class ListingReader {
  public:
    explicit ListingReader(HANDLE folder) : folder_(folder) {}

    // The next entry, or nothing after the last one.
    Result<std::optional<ListedMember>> Next();

  private:
    HANDLE folder_;
    std::vector<unsigned char> batch_;
    std::size_t offset_ = 0;  // of the next entry in `batch_`
    bool in_batch_ = false;
    bool started_ = false;
    bool ended_ = false;
};

}  // namespace vantrelle::files::win32
