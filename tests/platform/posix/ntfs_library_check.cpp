// The backend and the engine on an ntfs-3g volume, whose root VANTRELLE_NTFS_MOUNT
// names; run by ntfs_volume_test.sh, which makes and mounts a fresh volume for it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "platform/files/files.h"
#include "support/listed_entry.h"
#include "support/scripted_message_box.h"

namespace vantrelle::files {
namespace {

constexpr const char* kNtfsAttrib = "system.ntfs_attrib_be";
constexpr std::uint32_t kDosBits = kReadOnly | kHidden | kSystem | kArchive;

class NtfsVolumeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* mount = std::getenv("VANTRELLE_NTFS_MOUNT");
        ASSERT_NE(mount, nullptr) << "run through ntfs_volume_test.sh";
        root_ = mount;
        // Each test has the volume root to itself.
        ASSERT_EQ(std::system(("rm -rf '" + root_ + "'/*").c_str()), 0);
    }

    std::string Make(const std::string& relative, std::uint32_t attributes, bool folder = false) {
        const std::string path = root_ + "/" + relative;
        if (folder) {
            EXPECT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
        } else {
            const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            EXPECT_GE(fd, 0) << path;
            ::close(fd);
        }
        Set(path, attributes);
        return path;
    }
    static void Set(const std::string& path, std::uint32_t attributes) {
        const unsigned char bytes[4] = {static_cast<unsigned char>(attributes >> 24),
                                        static_cast<unsigned char>(attributes >> 16),
                                        static_cast<unsigned char>(attributes >> 8),
                                        static_cast<unsigned char>(attributes)};
        EXPECT_EQ(::lsetxattr(path.c_str(), kNtfsAttrib, bytes, 4, 0), 0) << path;
    }
    static std::uint32_t DosBitsOf(const std::string& path) {
        unsigned char bytes[4] = {};
        EXPECT_EQ(::lgetxattr(path.c_str(), kNtfsAttrib, bytes, 4), 4) << path;
        const std::uint32_t value =
            (std::uint32_t{bytes[0]} << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
        return value & kDosBits;
    }

    std::unique_ptr<FileSystem> fs_ = OpenNativeFileSystem();
    std::string root_;
};

TEST_F(NtfsVolumeTest, NormalModeOnTheRootResetsItsEntriesOnly) {
    const std::string hidden = Make("hidden.txt", kHidden | kArchive);
    const std::string system = Make("system.dat", kHidden | kSystem | kReadOnly);
    const std::string folder = Make("Folder", kHidden | kSystem, true);
    const std::string inside = Make("Folder/inside", kHidden);
    const std::string reserved = Make("RECYCLER", kHidden, true);
    const std::string lookalike = Make("RECYCLER.old", kHidden);
    const std::uint32_t root_before = DosBitsOf(root_);

    testing::ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolder(root_ + "/", *fs_, box), engine::kNoError);
    EXPECT_TRUE(box.shown().empty());
    for (const std::string& path : {hidden, system, folder, lookalike}) {
        EXPECT_EQ(DosBitsOf(path), 0u) << path;
    }
    EXPECT_EQ(DosBitsOf(inside), std::uint32_t{kHidden});
    EXPECT_EQ(DosBitsOf(reserved), std::uint32_t{kHidden});
    EXPECT_EQ(DosBitsOf(root_), root_before);
    // The volume kept its attributes where it keeps them: no Samba attribute appeared.
    char value[8];
    EXPECT_LT(::lgetxattr(hidden.c_str(), "user.DOSATTRIB", value, sizeof value), 0);
}

TEST_F(NtfsVolumeTest, RecursiveModeOnTheRootWalksEverythingButReservedFolders) {
    const std::string one = Make("one", kHidden, true);
    const std::string two = Make("one/two", kSystem, true);
    const std::string three = Make("one/two/three", kHidden | kSystem, true);
    const std::string deep = Make("one/two/three/deep.txt", kHidden | kReadOnly);
    const std::string named = Make("one/two/RECYCLER", kHidden);
    const std::string reserved = Make("one/$Recycle.Bin", kHidden | kSystem, true);
    const std::string kept = Make("one/$Recycle.Bin/kept", kHidden);
    const std::uint32_t root_before = DosBitsOf(root_);

    testing::ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolderTree(root_ + "/", *fs_, box), engine::kNoError);
    EXPECT_TRUE(box.shown().empty());
    for (const std::string& path : {one, two, three, deep, named, reserved}) {
        EXPECT_EQ(DosBitsOf(path), 0u) << path;
    }
    EXPECT_EQ(DosBitsOf(kept), std::uint32_t{kHidden});
    EXPECT_EQ(DosBitsOf(root_), root_before);
}

TEST_F(NtfsVolumeTest, ALinkKeepsWhatMakesItALink) {
    Make("target", kHidden, true);
    const std::string plain = Make("plain", kHidden | kSystem);
    const std::string link = root_ + "/link";
    ASSERT_EQ(::symlink("target", link.c_str()), 0);
    Set(link, kHidden | kSystem);

    for (const char* name : {"link", "plain"}) {
        auto entry = testing::ListedEntry(*fs_, root_, name);
        ASSERT_TRUE(entry) << name;
        auto reset = fs_->SetAttr(*entry.value().entry, kNormal);
        ASSERT_TRUE(reset) << name << ": " << reset.error().description;
    }
    EXPECT_EQ(DosBitsOf(plain), 0u);
    EXPECT_EQ(DosBitsOf(link), std::uint32_t{kSystem});
    struct stat st;
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(DosBitsOf(root_ + "/target"), std::uint32_t{kHidden});
}

}  // namespace
}  // namespace vantrelle::files
