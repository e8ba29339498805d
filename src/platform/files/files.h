#pragma once

// The file operations the repair engine needs, and nothing more: a one-cursor
// directory listing (`Dir`), attribute reset (`SetAttr`) and a folder object model
// (`FileSystemObject`, `Folder`, collections, `File`). Every operation may fail with
// an error number and description.
//
// Only the path the caller names is parsed. Everything a listing gives is an `Entry`,
// and the engine hands that entry back to reset it or to walk it: the path text it
// shows in its prompts is never read back by a backend. An entry whose name now
// reaches another object than the one listed (two entries listed under one name, or
// one replaced while a prompt waits) fails; it is never reported as reset.
//
// Paths and names are byte strings: on POSIX the bytes the directory gave, on
// Windows WTF-8, which round-trips every UTF-16 name, unpaired surrogates included.
// A path with the separator doubled (a drive root followed by the separator and a
// name) names the same entry as with a single one.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/result.h"

namespace vantrelle::files {

// Windows file-attribute bits, as the listing mask and `SetAttr` use them.
enum Attribute : std::uint32_t {
    kNormal = 0,
    kReadOnly = 1,
    kHidden = 2,
    kSystem = 4,
    kVolume = 8,
    kDirectory = 16,
    kArchive = 32,
};

// An entry as a listing gave it. Each backend keeps in it what reaches that very entry
// again (the folder it was listed in, its name as listed, its identity and type, what
// the listing read of it); the engine only hands it back to the file system that gave it.
class Entry {
  public:
    virtual ~Entry() = default;
};

class File : public Entry {
  public:
    virtual Result<std::string> Name() = 0;
};

class Folder;

// One pass over a collection. `Next` gives the following member, or nullptr after
// the last one.
template <class Member>
class Enumerator {
  public:
    virtual ~Enumerator() = default;
    virtual Result<std::unique_ptr<Member>> Next() = 0;
};

template <class Member>
class Collection {
  public:
    virtual ~Collection() = default;
    virtual Result<std::int32_t> Count() = 0;
    virtual Result<std::unique_ptr<Enumerator<Member>>> Enumerate() = 0;
};

using FileCollection = Collection<File>;
using FolderCollection = Collection<Folder>;

// Files and SubFolders hold every member whatever its attributes, never "." or "..".
// A link to a folder is listed among the files, so that a walk never enters it.
class Folder : public Entry {
  public:
    virtual Result<std::string> Path() = 0;
    virtual Result<std::string> Name() = 0;
    virtual Result<std::unique_ptr<FileCollection>> Files() = 0;
    virtual Result<std::unique_ptr<FolderCollection>> SubFolders() = 0;
};

class FileSystemObject {
  public:
    virtual ~FileSystemObject() = default;

    // The folder the caller names, looked up by its path (a link on the way is
    // followed: the caller chose it).
    virtual Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) = 0;

    // A sub-folder a listing gave, opened from its parent and checked to be the folder
    // listed: one replaced by a link or by another folder since is refused.
    virtual Result<std::unique_ptr<Folder>> GetFolder(const Folder& listed) = 0;
};

// What `Dir` gives: a name and the entry it names, or an empty name and no entry after
// the last one.
struct Listed {
    std::string name;
    std::unique_ptr<Entry> entry;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The separator this file system's paths use between a folder and a name.
    virtual char Separator() const = 0;

    // Starts a listing of the folder named by `pattern` (the folder's path followed by
    // the separator) and gives its first name, or "" when it yields none. With the
    // mask kReadOnly|kHidden|kSystem|kDirectory|kArchive every entry is listed,
    // "." and ".." included where the folder has them. One cursor per file system:
    // starting a listing ends the previous one.
    virtual Result<Listed> Dir(const std::string& pattern, std::uint32_t mask) = 0;

    // The next name of the listing started last, or "" after the last one.
    virtual Result<Listed> Dir() = 0;

    // Sets the attributes of an entry this file system listed (a `Dir` entry, a `File`,
    // a sub-folder); a link's own, never its target's, and gives the entry's Read-only,
    // Hidden, System and Archive bits as they were before. Fails for an entry whose name
    // no longer reaches the object listed.
    virtual Result<std::uint32_t> SetAttr(const Entry& entry, std::uint32_t attributes) = 0;

    // The Read-only, Hidden, System and Archive bits of an entry this file system listed,
    // read as a reset reads them, checked as a reset checks the entry; nothing is written.
    virtual Result<std::uint32_t> GetAttr(const Entry& entry) = 0;

    virtual Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() = 0;

    // Makes the resets so far durable before the outcome is told: a file system that
    // writes a volume's own bytes writes through the system's cache and flushes once
    // here; where the system keeps the attributes itself, there is nothing to do.
    virtual Status Flush() { return Done{}; }
};

// The file system of the platform the program runs on.
std::unique_ptr<FileSystem> OpenNativeFileSystem();

}  // namespace vantrelle::files
