#include "platform/files/win32/folder_handles.h"

#include <utility>
#include <vector>

namespace vantrelle::files::win32 {

namespace {

Error Explained(DWORD number, const char* why) {
    Error error = SystemError(number);
    error.description += why;
    return error;
}

Error EntryReplaced() {
    return Explained(ERROR_FILE_INVALID,
                     " (its name now reaches another object than the one listed, which is left "
                     "alone)");
}

Error FolderReplaced() {
    return Explained(ERROR_FILE_INVALID,
                     " (its name now reaches another folder than the one listed, which is not "
                     "walked)");
}

Error FolderMoved() {
    return Explained(ERROR_FILE_INVALID,
                     " (the folder it was listed in has been moved or replaced since, so its name "
                     "reaches another place, which is left alone)");
}

Error LinkOpenedAsTarget() {
    return Explained(ERROR_NOT_A_REPARSE_POINT,
                     " (the link opened as what it points to, which is left alone)");
}

// A file system that gives no file ids leaves the name as all there is to go by.
bool SameId(std::uint64_t listed, std::uint64_t opened) {
    return listed == 0 || opened == 0 || listed == opened;
}

std::u16string Joined(const std::u16string& folder, std::u16string_view name) {
    std::u16string path = folder;
    if (path.empty() || path.back() != u'\\') {
        path += u'\\';
    }
    path += name;
    return path;
}

// Whether the system knows the object opened by `name` in `folder` as that entry. Wine
// gives the last name without its trailing dots and spaces, as DOS would.
bool NamedAsListed(const std::u16string& system_name, const std::u16string& folder,
                   std::u16string_view name) {
    if (system_name == Joined(folder, name)) {
        return true;
    }
    const std::size_t kept = name.find_last_not_of(u". ");
    return kept != std::u16string_view::npos && kept + 1 < name.size() &&
           system_name == Joined(folder, name.substr(0, kept + 1));
}

// Where links open as their targets, an object opened by `name` in `folder` that the
// system knows by another name is not that entry: either the folder has moved since it
// was opened, or the name is a link.
Error Misplaced(const OpenFolder& folder, Error if_not_moved) {
    auto now = SystemNameOf(folder.handle.get());
    if (!now || now.value() != folder.system_name) {
        return FolderMoved();
    }
    return if_not_moved;
}

Result<OpenFolder> OpenSubFolder(const OpenFolder& parent, const FolderNode& folder) {
    auto handle = OpenInFolder(parent.handle.get(), folder.listed.name, Opening::Folder);
    if (!handle) {
        return handle.error();
    }
    auto id = FileIdOf(handle.value().get());
    if (!id) {
        return id.error();
    }
    if (!SameId(folder.listed.id, id.value())) {
        return FolderReplaced();
    }
    auto attributes = AttributesOf(handle.value().get());
    if (!attributes) {
        return attributes.error();
    }
    if (attributes.value() & FILE_ATTRIBUTE_REPARSE_POINT) {
        return FolderReplaced();  // a link, junction or mount point: never entered
    }
    OpenFolder open{std::move(handle.value()), {}};
    if (LinksOpenAsTargets()) {
        auto name = SystemNameOf(open.handle.get());
        if (!name) {
            return name.error();
        }
        if (!NamedAsListed(name.value(), parent.system_name, folder.listed.name)) {
            return Misplaced(parent, FolderReplaced());
        }
        open.system_name = std::move(name.value());
    }
    return open;
}

}  // namespace

Result<OpenFolder> OpenNamedFolder(const NativePath& path) {
    auto handle = OpenFolderByPath(path.extended);
    if (!handle) {
        return handle.error();
    }
    OpenFolder open{std::move(handle.value()), {}};
    if (LinksOpenAsTargets()) {
        auto name = SystemNameOf(open.handle.get());
        if (!name) {
            return name.error();
        }
        open.system_name = std::move(name.value());
    }
    return open;
}

Result<std::uint32_t> ResetListed(const OpenFolder& folder, const ListedMember& member,
                                  DWORD attributes) {
    auto handle = OpenInFolder(folder.handle.get(), member.name, Opening::Entry);
    if (!handle) {
        return handle.error();
    }
    const HANDLE entry = handle.value().get();
    auto id = FileIdOf(entry);
    if (!id) {
        return id.error();
    }
    if (!SameId(member.id, id.value())) {
        return EntryReplaced();
    }
    // Only a link is read again: its own attributes carry the reparse bit.
    if (member.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        auto opened = AttributesOf(entry);
        if (!opened) {
            return opened.error();
        }
        if (!(opened.value() & FILE_ATTRIBUTE_REPARSE_POINT)) {
            return LinkOpenedAsTarget();
        }
    }
    if (LinksOpenAsTargets()) {
        auto name = SystemNameOf(entry);
        if (!name) {
            return name.error();
        }
        if (!NamedAsListed(name.value(), folder.system_name, member.name)) {
            return Misplaced(folder, LinkOpenedAsTarget());
        }
    }
    if (auto set = SetAttributes(entry, attributes); !set) {
        return set.error();
    }
    return member.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
}

Result<const OpenFolder*> FolderHandles::Open(const Node& folder) {
    if (Slot* kept = Find(folder.get())) {
        kept->used = ++clock_;
        return &kept->open;
    }
    // The folders from `folder` up to the nearest one kept, or to the named folder.
    std::vector<Node> chain;
    const OpenFolder* base = nullptr;
    for (Node at = folder;;) {
        chain.push_back(at);
        if (!at->parent) {
            break;
        }
        at = at->parent;
        if (Slot* kept = Find(at.get())) {
            kept->used = ++clock_;
            base = &kept->open;
            break;
        }
    }
    if (!base) {
        Node named = std::move(chain.back());
        chain.pop_back();
        auto open = OpenNamedFolder(named->named);
        if (!open) {
            return open.error();
        }
        auto id = FileIdOf(open.value().handle.get());
        if (!id) {
            return id.error();
        }
        if (!SameId(named->named_id, id.value())) {
            return FolderReplaced();
        }
        base = Keep(std::move(named), std::move(open.value()));
    }
    while (!chain.empty()) {
        Node next = std::move(chain.back());
        chain.pop_back();
        auto open = OpenSubFolder(*base, *next);
        if (!open) {
            return open.error();
        }
        base = Keep(std::move(next), std::move(open.value()));
    }
    return base;
}

Result<const OpenFolder*> FolderHandles::Reopen(const Node& folder) {
    if (Slot* kept = Find(folder.get())) {
        *kept = Slot{};
    }
    return Open(folder);
}

const OpenFolder* FolderHandles::Keep(Node folder, OpenFolder open) {
    Slot* slot = &slots_[0];
    for (Slot& candidate : slots_) {
        if (!candidate.folder) {
            slot = &candidate;
            break;
        }
        if (candidate.used < slot->used) {
            slot = &candidate;
        }
    }
    *slot = Slot{std::move(folder), std::move(open), ++clock_};
    return &slot->open;
}

FolderHandles::Slot* FolderHandles::Find(const FolderNode* folder) {
    for (Slot& slot : slots_) {
        if (slot.folder.get() == folder) {
            return &slot;
        }
    }
    return nullptr;
}

}  // namespace vantrelle::files::win32
