// The POSIX backend on the volumes a technician meets: a folder that keeps Wine's and
// Samba's user.DOSATTRIB (the temporary folder), and NTFS through ntfs-3g (an image the
// test makes and mounts, where root and FUSE allow).

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files/contract/volume_under_test.h"

namespace vantrelle::testing {

namespace {

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A folder with entries made by plain system calls, their DOS bits in an extended
// attribute whose form each volume defines.
class PosixVolumeUnderTest : public VolumeUnderTest {
  public:
    files::FileSystem& fs() override { return *fs_; }
    std::string Folder() override { return folder_; }

    void MakeFile(const std::string& name, std::uint32_t attributes) override {
        const int fd = ::open(PathOf(name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ::close(fd);
        Write(name, attributes);
    }
    void MakeFolder(const std::string& name, std::uint32_t attributes) override {
        ::mkdir(PathOf(name).c_str(), 0755);
        Write(name, attributes | files::kDirectory);
    }
    bool MakeLink(const std::string& name, const std::string& target) override {
        return ::symlink(target.c_str(), PathOf(name).c_str()) == 0;
    }
    void Remove(const std::string& name) override { ::remove(PathOf(name).c_str()); }
    void Replace(const std::string& name, const std::string& moved_to,
                 std::uint32_t attributes) override {
        struct stat before {};
        ::lstat(PathOf(name).c_str(), &before);
        ::rename(PathOf(name).c_str(), PathOf(moved_to).c_str());
        if (S_ISDIR(before.st_mode)) {
            MakeFolder(name, attributes);
        } else {
            MakeFile(name, attributes);
        }
    }

  protected:
    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }
    virtual void Write(const std::string& name, std::uint32_t attributes) = 0;

    std::unique_ptr<files::FileSystem> fs_ = files::OpenNativeFileSystem();
    std::string folder_;
};

// Wine's text form, "0x22".
class DosAttribVolume final : public PosixVolumeUnderTest {
  public:
    static std::unique_ptr<VolumeUnderTest> Make(std::string& why) {
        auto volume = std::make_unique<DosAttribVolume>();
        char pattern[] = "/tmp/vt-contract.XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            why = "no temporary folder";
            return nullptr;
        }
        volume->folder_ = pattern;
        if (::setxattr(pattern, kName, "0x10", 4, 0) != 0) {
            why = "the temporary folder keeps no user extended attributes";
            return nullptr;
        }
        return volume;
    }
    ~DosAttribVolume() override { Run("rm -rf '" + folder_ + "'"); }

    std::uint32_t DosBits(const std::string& name) override {
        char value[64] = {};
        if (::lgetxattr(PathOf(name).c_str(), kName, value, sizeof value - 1) < 0) {
            return 0;  // no value is Normal
        }
        return static_cast<std::uint32_t>(std::strtoul(value, nullptr, 16)) & 0x27;
    }

  private:
    static constexpr const char* kName = "user.DOSATTRIB";
    void Write(const std::string& name, std::uint32_t attributes) override {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", attributes);
        ::lsetxattr(PathOf(name).c_str(), kName, text, std::string(text).size(), 0);
    }
};

// ntfs-3g's 32 bits, big-endian.
class NtfsVolume final : public PosixVolumeUnderTest {
  public:
    static std::unique_ptr<VolumeUnderTest> Make(std::string& why) {
        if (::geteuid() != 0 || ::access("/dev/fuse", F_OK) != 0 || !Run("command -v mkntfs")) {
            why = "an ntfs-3g volume needs root, FUSE and mkntfs";
            return nullptr;
        }
        auto volume = std::make_unique<NtfsVolume>();
        char pattern[] = "/tmp/vt-contract-ntfs.XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            why = "no temporary folder";
            return nullptr;
        }
        volume->work_ = pattern;
        const std::string image = volume->work_ + "/volume.img";
        const std::string mount = volume->work_ + "/mnt";
        if (!Run("truncate -s 16M '" + image + "' && mkntfs -F -f -q '" + image + "' && mkdir '" +
                 mount + "' && ntfs-3g '" + image + "' '" + mount + "'")) {
            why = "the ntfs-3g volume could not be made or mounted";
            return nullptr;
        }
        volume->mounted_ = true;
        volume->folder_ = mount + "/stick";
        ::mkdir(volume->folder_.c_str(), 0755);
        return volume;
    }
    ~NtfsVolume() override {
        fs_.reset();
        if (mounted_) {
            Run("umount '" + work_ + "/mnt'");
        }
        Run("rm -rf '" + work_ + "'");
    }

    std::uint32_t DosBits(const std::string& name) override {
        unsigned char bytes[4] = {};
        if (::lgetxattr(PathOf(name).c_str(), kName, bytes, sizeof bytes) != 4) {
            return 0xFFFFFFFF;
        }
        return bytes[3] & 0x27u;
    }

  private:
    static constexpr const char* kName = "system.ntfs_attrib_be";
    void Write(const std::string& name, std::uint32_t attributes) override {
        if ((attributes & 0x27) == 0) {
            return;
        }
        const unsigned char bytes[4] = {0, 0, static_cast<unsigned char>(attributes >> 8),
                                        static_cast<unsigned char>(attributes)};
        ::lsetxattr(PathOf(name).c_str(), kName, bytes, sizeof bytes, 0);
    }

    std::string work_;
    bool mounted_ = false;
};

}  // namespace

std::vector<VolumeKind> VolumesUnderTest() {
    return {
        MemoryVolumeKind(), {"UserDosAttrib", DosAttribVolume::Make}, {"Ntfs3g", NtfsVolume::Make}};
}

}  // namespace vantrelle::testing
