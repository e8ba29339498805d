#pragma once

// The folders a walk reaches and the entries listed in them, reached again by handle:
// a sub-folder is opened by its name relative to its parent's handle, an entry by its
// name relative to its folder's, and each is checked to be the object its listing gave.
// A walk keeps open only the folders it used last, so that a deep one holds no handle
// per level; any other is opened again from its nearest open ancestor, checked at each
// step.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/result.h"
#include "platform/files/win32/native_path.h"
#include "platform/files/win32/nt_file.h"

namespace vantrelle::files::win32 {

// A folder as the walk knows it: the one the caller named, by its path, or a sub-folder
// as its parent's listing gave it.
struct FolderNode {
    std::shared_ptr<const FolderNode> parent;  // none for the named folder
    ListedMember listed;                       // a sub-folder's name, file id, attributes
    NativePath named;                          // the named folder's path
    std::uint64_t named_id = 0;                // the named folder's file id when first opened
};
using Node = std::shared_ptr<const FolderNode>;

// A folder held open, and where links open as their targets, the name the system knew
// it by when it was opened.
struct OpenFolder {
    UniqueHandle handle;
    std::u16string system_name;
};

// The folder the caller named at `path`, opened and recorded.
Result<OpenFolder> OpenNamedFolder(const NativePath& path);

// Sets the attributes of `member`, listed in `folder`, through a handle opened as the
// entry itself; refused, with nothing touched, when the name now reaches another object.
// Gives the entry's Read-only, Hidden, System and Archive bits as its listing showed them.
Result<std::uint32_t> ResetListed(const OpenFolder& folder, const ListedMember& member,
                                  DWORD attributes);

class FolderHandles {
  public:
    static constexpr std::size_t kKept = 16;

    // The folder open, from those kept or opened again (the named folder by its path,
    // a sub-folder from its nearest open ancestor). Valid until the next call.
    Result<const OpenFolder*> Open(const Node& folder);

    // Opens `folder` afresh from its parent, whether kept or not.
    Result<const OpenFolder*> Reopen(const Node& folder);

    // Keeps a folder opened elsewhere.
    const OpenFolder* Keep(Node folder, OpenFolder open);

  private:
    struct Slot {
        Node folder;
        OpenFolder open;
        std::uint64_t used = 0;
    };
    Slot* Find(const FolderNode* folder);

    std::array<Slot, kKept> slots_;
    std::uint64_t clock_ = 0;
};

}  // namespace vantrelle::files::win32
