// The POSIX backend on a real folder of the machine's temporary file system, where DOS
// attributes live in user.DOSATTRIB.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "platform/files/files.h"
#include "support/listed_entry.h"
#include "support/repair_prompts.h"
#include "support/scripted_message_box.h"

// The test links with --wrap=readdir: a folder can stop being readable part-way, as on
// a failing stick. -1 reads normally; N > 0 lets N more names through, then every read
// fails with EIO.
namespace {
int names_before_failing = -1;
}
extern "C" dirent* __real_readdir(DIR* dir);
extern "C" dirent* __wrap_readdir(DIR* dir) {
    if (names_before_failing == 0) {
        errno = EIO;
        return nullptr;
    }
    dirent* entry = __real_readdir(dir);
    const bool dots = entry != nullptr && entry->d_name[0] == '.' &&
                      (entry->d_name[1] == '\0' || std::strcmp(entry->d_name, "..") == 0);
    if (entry != nullptr && !dots && names_before_failing > 0) {
        --names_before_failing;
    }
    return entry;
}

namespace vantrelle::files {
namespace {

using namespace std::string_literals;

constexpr const char* kDosAttrib = "user.DOSATTRIB";

class NativeFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vt-native.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        const std::string probe = "0x0";
        if (::setxattr(root_.c_str(), kDosAttrib, probe.data(), probe.size(), 0) != 0) {
            GTEST_SKIP() << "the temporary folder keeps no user extended attributes";
        }
        ::removexattr(root_.c_str(), kDosAttrib);
    }
    void TearDown() override {
        names_before_failing = -1;
        // rm copes with trees deeper than the descriptor limit.
        ASSERT_EQ(std::system(("rm -rf '" + root_ + "'").c_str()), 0);
    }

    std::string Make(const std::string& relative, const std::string& dos_attrib = {}) {
        const std::string path = root_ + "/" + relative;
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0) << path;
        ::close(fd);
        Hide(path, dos_attrib);
        return path;
    }
    std::string MakeFolder(const std::string& relative, const std::string& dos_attrib = {}) {
        const std::string path = root_ + "/" + relative;
        EXPECT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
        Hide(path, dos_attrib);
        return path;
    }
    static void Hide(const std::string& path, const std::string& dos_attrib) {
        if (!dos_attrib.empty()) {
            EXPECT_EQ(::setxattr(path.c_str(), kDosAttrib, dos_attrib.data(), dos_attrib.size(), 0),
                      0)
                << path;
        }
    }
    static std::string DosAttribOf(const std::string& path) {
        char value[4096];
        const ssize_t size = ::lgetxattr(path.c_str(), kDosAttrib, value, sizeof value);
        return size < 0 ? "absent"s : std::string(value, static_cast<std::size_t>(size));
    }

    // Resets the entry at `path` as a listing of its folder gives it.
    Result<std::uint32_t> Reset(const std::string& path, std::uint32_t attributes = kNormal) {
        const std::size_t slash = path.rfind('/');
        auto entry = testing::ListedEntry(*fs_, path.substr(0, slash), path.substr(slash + 1));
        if (!entry) {
            return entry.error();
        }
        return fs_->SetAttr(*entry.value().entry, attributes);
    }

    std::unique_ptr<FileSystem> fs_ = OpenNativeFileSystem();
    std::string root_;
};

TEST_F(NativeFileSystemTest, ResetWritesWinesTextFormAndNeverCreatesTheAttribute) {
    const std::string hidden = Make("hidden", "0x22");
    const std::string samba3 = Make("samba3", "0x6\0"s);
    const std::string plain = Make("plain");
    const std::string folder = MakeFolder("folder", "0x12");
    const std::string odd = Make("caf\xe9", "0x2");  // not UTF-8

    for (const std::string& path : {hidden, samba3, plain, folder, odd}) {
        auto reset = Reset(path);
        EXPECT_TRUE(reset) << path << ": " << reset.error().description;
    }
    EXPECT_EQ(DosAttribOf(hidden), "0x0");
    EXPECT_EQ(DosAttribOf(samba3), "0x0");
    EXPECT_EQ(DosAttribOf(plain), "absent");
    EXPECT_EQ(DosAttribOf(folder), "0x10");
    EXPECT_EQ(DosAttribOf(odd), "0x0");

    EXPECT_TRUE(Reset(plain, kHidden | kSystem));
    EXPECT_EQ(DosAttribOf(plain), "0x6");
}

TEST_F(NativeFileSystemTest, SambasBinaryRecordStaysBinaryWithItsTimes) {
    const std::string v4 = "\0\0\x04\x00\x04\x00\0\0\x51\0\0\0\x26\0\0\0"s + "12345678ABCDEFGH"s;
    const std::string path = Make("samba4", v4);
    ASSERT_TRUE(Reset(path));
    EXPECT_EQ(DosAttribOf(path),
              "\0\0\x04\x00\x04\x00\0\0\x51\0\0\0\0\0\0\0"s + "12345678ABCDEFGH"s);
}

TEST_F(NativeFileSystemTest, ASambaRecordCarryingANameIsReadWhole) {
    // Version 2, flags, attributes 0x22, then sizes, times and a long name.
    const std::string head = "\0\0\x02\x00\x02\x00\0\0\0\0\0\0\x22\0\0\0"s;
    const std::string tail(600, 'n');
    const std::string path = Make("samba2", head + tail);
    auto reset = Reset(path);
    ASSERT_TRUE(reset) << reset.error().description;
    EXPECT_EQ(DosAttribOf(path), "\0\0\x02\x00\x02\x00\0\0\0\0\0\0\0\0\0\0"s + tail);
}

TEST_F(NativeFileSystemTest, AnUnreadableValueIsAnErrorNotASuccess) {
    const std::string path = Make("odd", "hidden please");
    auto reset = Reset(path);
    ASSERT_FALSE(reset);
    EXPECT_EQ(reset.error().number, EINVAL);
    EXPECT_NE(reset.error().description.find("user.DOSATTRIB holds \"hidden please\""),
              std::string::npos)
        << reset.error().description;
    EXPECT_EQ(DosAttribOf(path), "hidden please");
}

TEST_F(NativeFileSystemTest, LinksAreFilesAndTheirTargetsAreNeverTouched) {
    MakeFolder("target", "0x12");
    const std::string inside = Make("target/inside", "0x2");
    ASSERT_EQ(::symlink("target", (root_ + "/link").c_str()), 0);
    ASSERT_EQ(::symlink("target/inside", (root_ + "/file-link").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (root_ + "/dangling").c_str()), 0);

    auto model = fs_->CreateFileSystemObject();
    auto folder = model.value()->GetFolder(root_ + "/");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder.value()->Name().value(), root_.substr(root_.rfind('/') + 1));

    std::set<std::string> files, sub_folders;
    auto files_collection = std::move(folder.value()->Files().value());
    auto file_pass = std::move(files_collection->Enumerate().value());
    while (auto file = std::move(file_pass->Next().value())) {
        files.insert(file->Name().value());
    }
    auto collection = std::move(folder.value()->SubFolders().value());
    EXPECT_EQ(collection->Count().value(), 1);
    auto folder_pass = std::move(collection->Enumerate().value());
    while (auto sub_folder = std::move(folder_pass->Next().value())) {
        sub_folders.insert(sub_folder->Path().value());
        EXPECT_EQ(sub_folder->Name().value(), "target");
    }
    EXPECT_EQ(files, (std::set<std::string>{"link", "file-link", "dangling"}));
    EXPECT_EQ(sub_folders, (std::set<std::string>{root_ + "/target"}));

    for (const char* link : {"link", "file-link", "dangling"}) {
        auto reset = Reset(root_ + "/" + link);
        EXPECT_TRUE(reset) << link << ": " << reset.error().description;
    }
    EXPECT_EQ(DosAttribOf(root_ + "/target"), "0x12");
    EXPECT_EQ(DosAttribOf(inside), "0x2");
}

TEST_F(NativeFileSystemTest, AFolderNamedByDotsIsJudgedByItsRealName) {
    MakeFolder("stick");
    MakeFolder("stick/sub", "0x12");
    const std::string inside = Make("stick/sub/inside", "0x2");
    MakeFolder("RECYCLER");

    auto model = fs_->CreateFileSystemObject();
    EXPECT_EQ(model.value()->GetFolder(root_ + "/stick/.").value()->Name().value(), "stick");
    EXPECT_EQ(model.value()->GetFolder(root_ + "/stick/sub/..").value()->Name().value(), "stick");
    EXPECT_EQ(model.value()->GetFolder(root_ + "/RECYCLER/.").value()->Name().value(), "RECYCLER");
    EXPECT_EQ(model.value()->GetFolder("/").value()->Name().value(), "");

    // "." is a reserved name; the folder it stands for is not, so its tree is walked.
    testing::ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolderTree(root_ + "/stick/.", *fs_, box), engine::kNoError);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(DosAttribOf(root_ + "/stick/sub"), "0x10");
    EXPECT_EQ(DosAttribOf(inside), "0x0");
}

TEST_F(NativeFileSystemTest, ATwoThousandLevelTreeNeedsNeitherStackNorDescriptors) {
    constexpr int kLevels = 2000;
    // Built one level at a time through descriptors, so no path gets long on the way.
    int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string deepest = root_;
    for (int level = 0; level < kLevels; ++level) {
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0) << level;
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        deepest += "/d";
    }
    const int file = ::openat(fd, "hidden", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ::close(file);
    ::close(fd);
    deepest += "/hidden";
    Hide(deepest, "0x2");
    Hide(root_ + "/d/d", "0x12");

    // Far fewer descriptors than levels.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    testing::ScriptedMessageBox box;
    const engine::RepairResult result = engine::FixFolderTree(root_, *fs_, box);
    ::setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(result, engine::kNoError);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(DosAttribOf(deepest), "0x0");
    EXPECT_EQ(DosAttribOf(root_ + "/d/d"), "0x10");
}

TEST_F(NativeFileSystemTest, NormalModeStreamsAFolderThroughTheEngine) {
    for (int i = 0; i < 500; ++i) {
        Make("f" + std::to_string(i), "0x26");
    }
    MakeFolder("RECYCLER", "0x16");
    Make("RECYCLER/inside", "0x6");
    testing::ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolder(root_ + "/", *fs_, box), engine::kNoError);
    EXPECT_TRUE(box.shown().empty());
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(DosAttribOf(root_ + "/f" + std::to_string(i)), "0x0") << i;
    }
    EXPECT_EQ(DosAttribOf(root_ + "/RECYCLER"), "0x16");
}

// Runs `act` when the first box appears, as another program could while it waits.
class ActingBox : public testing::ScriptedMessageBox {
  public:
    ActingBox(std::function<void()> act, std::initializer_list<int> answers)
        : ScriptedMessageBox(answers), act_(std::move(act)) {}
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        if (act_) {
            std::exchange(act_, nullptr)();
        }
        return ScriptedMessageBox::MsgBox(text, style, title);
    }

  private:
    std::function<void()> act_;
};

TEST_F(NativeFileSystemTest, AFolderSwappedForALinkWhileAPromptWaitsIsNotFollowed) {
    MakeFolder("tree");
    MakeFolder("tree/a");
    Make("tree/a/bad", "not attributes");  // its prompt is the moment of the swap
    MakeFolder("tree/a/sub", "0x12");
    const std::string moved_inside = Make("tree/a/sub/inside", "0x2");
    MakeFolder("outside");
    const std::string victim = Make("outside/victim", "0x2");

    ActingBox box(
        [&] {
            ASSERT_EQ(::rename((root_ + "/tree/a/sub").c_str(), (root_ + "/moved").c_str()), 0);
            ASSERT_EQ(::symlink((root_ + "/outside").c_str(), (root_ + "/tree/a/sub").c_str()), 0);
        },
        {6, 6, 7});
    const engine::RepairResult result = engine::FixFolderTree(root_ + "/tree", *fs_, box);

    EXPECT_EQ(DosAttribOf(victim), "0x2");
    EXPECT_EQ(DosAttribOf(root_ + "/outside"), "absent");
    EXPECT_EQ(DosAttribOf(root_ + "/moved/inside"), "0x2");
    ASSERT_EQ(box.shown().size(), 3u);
    // Neither the link that took the folder's name is reset, nor is it entered.
    EXPECT_NE(box.shown()[1].text.find("leads to another entry than the one the folder listed"),
              std::string::npos)
        << box.shown()[1].text;
    EXPECT_NE(box.shown()[2].text.find("replaced by a link or by another folder"),
              std::string::npos)
        << box.shown()[2].text;
    EXPECT_NE(box.shown()[2].text.find("in File: " + root_ + "/tree/a/sub/\r\n"),
              std::string::npos);
    EXPECT_EQ(result, ENOTDIR);
}

TEST_F(NativeFileSystemTest, TheWalkStaysOnTheMountOfTheFolderItWasGiven) {
    // Mounts made in a namespace of this test's own vanish with it.
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    MakeFolder("tree");
    const std::string own = Make("tree/own", "0x2");
    const std::string tmpfs = MakeFolder("tree/tmpfs");
    const std::string bind = MakeFolder("tree/bind");
    MakeFolder("outside", "0x12");
    const std::string victim = Make("outside/victim", "0x2");
    ASSERT_EQ(::mount("vantrelle-test", tmpfs.c_str(), "tmpfs", 0, nullptr), 0);
    ASSERT_EQ(::mount((root_ + "/outside").c_str(), bind.c_str(), nullptr, MS_BIND, nullptr), 0);
    const std::string on_tmpfs = Make("tree/tmpfs/hidden", "0x2");

    testing::ScriptedMessageBox box;
    const engine::RepairResult result = engine::FixFolderTree(root_ + "/tree", *fs_, box);
    const std::string victim_after = DosAttribOf(victim);
    const std::string bind_after = DosAttribOf(bind);
    const std::string on_tmpfs_after = DosAttribOf(on_tmpfs);
    ::umount2(bind.c_str(), MNT_DETACH);
    ::umount2(tmpfs.c_str(), MNT_DETACH);

    EXPECT_EQ(result, engine::kNoError);
    EXPECT_EQ(DosAttribOf(own), "0x0");
    EXPECT_EQ(bind_after, "0x10");  // the mount point's own attributes
    EXPECT_EQ(victim_after, "0x2");
    EXPECT_EQ(on_tmpfs_after, "0x2");
}

TEST_F(NativeFileSystemTest, AListingThatFailsPartWayKeepsTheNamesReadAndSaysSo) {
    MakeFolder("tree");
    for (int i = 0; i < 5; ++i) {
        Make("tree/f" + std::to_string(i), "0x2");
    }
    names_before_failing = 3;
    testing::ScriptedMessageBox box({6});
    const engine::RepairResult result = engine::FixFolderTree(root_ + "/tree", *fs_, box);
    names_before_failing = -1;

    int reset = 0;
    for (int i = 0; i < 5; ++i) {
        reset += DosAttribOf(root_ + "/tree/f" + std::to_string(i)) == "0x0";
    }
    EXPECT_EQ(reset, 3);
    EXPECT_EQ(result, EIO);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text,
              testing::RepairQuestionText(std::strerror(EIO) + " (reading the folder)"s,
                                          root_ + "/tree/"));
}

}  // namespace
}  // namespace vantrelle::files
