#pragma once

// The file operations the repair engine needs, and nothing more: a one-cursor
// directory listing (`Dir`), attribute reset (`SetAttr`) and a folder object model
// (`FileSystemObject`, `Folder`, collections, `File`). Every operation may fail with
// an error number and description.
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

class File {
  public:
    virtual ~File() = default;
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
class Folder {
  public:
    virtual ~Folder() = default;
    virtual Result<std::string> Path() = 0;
    virtual Result<std::string> Name() = 0;
    virtual Result<std::unique_ptr<FileCollection>> Files() = 0;
    virtual Result<std::unique_ptr<FolderCollection>> SubFolders() = 0;
};

class FileSystemObject {
  public:
    virtual ~FileSystemObject() = default;
    virtual Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) = 0;
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
    virtual Result<std::string> Dir(const std::string& pattern, std::uint32_t mask) = 0;

    // The next name of the listing started last, or "" after the last one.
    virtual Result<std::string> Dir() = 0;

    // Sets the entry's attributes; a symbolic link's own, never its target's.
    virtual Status SetAttr(const std::string& path, std::uint32_t attributes) = 0;

    virtual Result<std::unique_ptr<FileSystemObject>> CreateFileSystemObject() = 0;
};

// The file system of the platform the program runs on.
std::unique_ptr<FileSystem> OpenNativeFileSystem();

}  // namespace vantrelle::files
