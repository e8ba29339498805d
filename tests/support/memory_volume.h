#pragma once

// An in-memory file system that behaves like a Windows volume: backslash separator,
// drive roots such as "E:\", case-insensitive names, "." and ".." in every folder but
// a root, attributes per entry, and a doubled backslash naming the same entry. Any
// operation can be made to fail on demand, the way SQLite's test VFS injects I/O
// errors: by operation, path and occurrence, with an error number and description.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/files.h"

namespace vantrelle::testing {

enum class Op {
    DirStart,                // path: the folder listed
    DirNext,                 // path: the folder being listed
    SetAttr,                 // path: the entry
    CreateFileSystemObject,  // path: ""
    GetFolder,               // path: the folder
    FolderPath,              // path: the folder
    FolderName,              // path: the folder
    FolderFiles,             // path: the folder
    FolderSubFolders,        // path: the folder
    FilesCount,              // path: the folder
    FilesEnumerate,          // path: the folder
    FilesNext,               // path: the folder
    FileName,                // path: the file
    SubFoldersCount,         // path: the folder
    SubFoldersEnumerate,     // path: the folder
    SubFoldersNext,          // path: the folder
};

// Win32 error numbers the volume itself reports.
inline constexpr std::int32_t kFileNotFound = 2;
inline constexpr std::int32_t kPathNotFound = 3;
inline constexpr std::int32_t kAccessDenied = 5;
inline constexpr std::int32_t kNotReady = 21;
inline constexpr std::int32_t kNoMoreListing = 18;
inline constexpr std::int32_t kReplaced = 1006;  // ERROR_FILE_INVALID

class MemoryVolume : public files::FileSystem {
  public:
    static constexpr int kEveryTime = -1;

    MemoryVolume();
    ~MemoryVolume() override;

    // Building the volume. Parents must exist; a drive root ("E:\") exists once any
    // entry has been added under it, or after AddDrive.
    void AddDrive(char letter);
    void AddFolder(const std::string& path, std::uint32_t attributes = files::kNormal);
    void AddFile(const std::string& path, std::uint32_t attributes = files::kNormal);

    // The attributes of an entry (the directory bit included), or -1 if there is none.
    std::int64_t Attributes(const std::string& path) const;

    // The `occurrence`-th call (1-based) of `op` on `path` fails, and with `times` > 1
    // (or kEveryTime) the calls after it as well. Paths compare like the volume's own.
    void FailOn(Op op, const std::string& path, int occurrence, std::int32_t number,
                std::string description, int times = 1);

    // Another object with `attributes` takes the name of the entry at `path`, as a folder
    // swapped while a prompt waits, or a second entry listed under one name, would:
    // entries listed before no longer reach it.
    void Replace(const std::string& path, std::uint32_t attributes);
    void Remove(const std::string& path);

    // The entries SetAttr was given, each by the path the engine shows for it (the listed
    // folder's path as given, the separator, the name), in call order.
    const std::vector<std::string>& set_attr_calls() const { return set_attr_calls_; }

    char Separator() const override { return '\\'; }
    files::Result<files::Listed> Dir(const std::string& pattern, std::uint32_t mask) override;
    files::Result<files::Listed> Dir() override;
    files::Result<std::uint32_t> SetAttr(const files::Entry& entry,
                                         std::uint32_t attributes) override;
    files::Result<std::uint32_t> GetAttr(const files::Entry& entry) override;
    files::Result<std::unique_ptr<files::FileSystemObject>> CreateFileSystemObject() override;

    struct Node;
    // Called by the volume's own objects before each operation: the injected failure, if
    // this call is one.
    std::optional<files::Error> Inject(Op op, const std::string& path);
    Node* Find(const std::string& path) const;
    static std::string PathOf(const Node& node);

  private:
    struct Fault {
        Op op;
        std::string key;
        int first;
        int last;  // kEveryTime for no end
        files::Error error;
    };

    Node& Add(const std::string& path, std::uint32_t attributes, bool is_folder);
    files::Listed NextName();

    std::map<char, std::unique_ptr<Node>> drives_;
    std::vector<Fault> faults_;
    std::map<std::pair<Op, std::string>, int> calls_;
    std::vector<std::string> set_attr_calls_;
    std::uint64_t next_id_ = 1;

    // The one listing cursor.
    struct Listing {
        Node* folder = nullptr;
        std::string pattern;  // as given, to show each entry's path as the engine does
        std::uint32_t mask = 0;
        std::size_t position = 0;  // counts "." and ".." first where the folder has them
    };
    std::optional<Listing> listing_;
};

}  // namespace vantrelle::testing
