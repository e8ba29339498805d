#pragma once

// A volume the file contract is checked on, with what the checks need beyond the
// contract: making entries with given attributes and reading them back by other means
// than the backend under test (the in-memory volume's own accessors, extended
// attributes, the Win32 calls).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/files.h"

namespace vantrelle::testing {

class VolumeUnderTest {
  public:
    virtual ~VolumeUnderTest() = default;

    virtual files::FileSystem& fs() = 0;
    // A folder that is not a volume's root, as the engine would be given it.
    virtual std::string Folder() = 0;

    // Names are relative to Folder(), with '/' between levels; attributes are the DOS
    // bits of files.h.
    virtual void MakeFile(const std::string& name, std::uint32_t attributes) = 0;
    virtual void MakeFolder(const std::string& name, std::uint32_t attributes) = 0;
    // The Read-only, Hidden, System and Archive bits as the volume keeps them.
    virtual std::uint32_t DosBits(const std::string& name) = 0;
    // A link to `target` (a name of the folder), where the volume keeps links.
    virtual bool MakeLink(const std::string& name, const std::string& target) = 0;
    // Whether a link's own attributes can be reached at all: Wine opens a POSIX link as
    // its target, so the link can only be reported there.
    virtual bool ReachesLinksThemselves() { return true; }
    virtual void Remove(const std::string& name) = 0;
    // Another object takes the name: the entry moves to `moved_to`, and a new one of the
    // same kind (file or folder) with `attributes` takes its place.
    virtual void Replace(const std::string& name, const std::string& moved_to,
                         std::uint32_t attributes) = 0;
};

struct VolumeKind {
    std::string name;
    // Nothing where the volume cannot be had here (no root, no FUSE ...); `why` says so.
    std::function<std::unique_ptr<VolumeUnderTest>(std::string& why)> make;
};

// The volumes of this platform, each defined beside its backend's tests; the in-memory
// volume is one of them everywhere.
std::vector<VolumeKind> VolumesUnderTest();
VolumeKind MemoryVolumeKind();

}  // namespace vantrelle::testing
