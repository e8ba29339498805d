// The drive list and the folder list, over the in-memory volume and the machine's own.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cwctype>
#include <filesystem>

#include "contract_window.h"
#include "platform/ui/dir_list.h"
#include "platform/ui/drive_list.h"
#include "platform/ui/driver.h"
#include "support/memory_volume.h"
#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <dbt.h>
#else
#include <unistd.h>

#include <fstream>

#include "support/mount_namespace.h"
#endif

namespace vantrelle::ui {
namespace {

using vantrelle::testing::MemoryVolume;
using vantrelle::testing::Op;

class DirListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        volume.AddFolder("E:\\docs");
        volume.AddFolder("E:\\docs\\2024", files::kHidden | files::kSystem);
        volume.AddFolder("E:\\docs\\Archive");
        volume.AddFile("E:\\docs\\note.txt");
        volume.AddFolder("E:\\Zeta", files::kHidden);
        volume.AddFolder("E:\\alpha");
        list.Change = [this] { changes.push_back(list.Path()); };
    }

    MemoryVolume volume;
    Program program{[] {}};
    Window window{program, testing::TestWindowStyle()};
    DirListBox list{window, "Dir1", {120, 120, 2175, 2115}, volume};
    std::vector<std::string> changes;
};

TEST_F(DirListTest, ADriveMeansItsRootAndTheSamePlaceRaisesNothing) {
    list.SetPath("E:");
    EXPECT_EQ(list.Path(), "E:\\");
    list.SetPath("E:\\");
    list.SetPath("E:");
    EXPECT_EQ(changes, (std::vector<std::string>{"E:\\"})) << "raised before SetPath returned";

    list.SetPath("E:\\docs\\");
    EXPECT_EQ(list.Path(), "E:\\docs");
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(DirListTest, ShowsSubFoldersHiddenOnesIncludedButNoFilesInNameOrder) {
    list.SetPath("E:\\docs");
    EXPECT_EQ(driver::Entries(list),
              (std::vector<std::string>{"E:\\", "  docs", "    2024", "    Archive"}));
    EXPECT_EQ(list.SubFolderPaths(),
              (std::vector<std::string>{"E:\\docs\\2024", "E:\\docs\\Archive"}));
    list.SetPath("E:");
    EXPECT_EQ(list.SubFolderPaths(),
              (std::vector<std::string>{"E:\\alpha", "E:\\docs", "E:\\Zeta"}));
}

TEST_F(DirListTest, OpeningAFolderMovesThereAndAnAncestorGoesBackUp) {
    list.SetPath("E:\\docs");
    ASSERT_TRUE(driver::Open(list, "E:\\docs\\Archive"));
    EXPECT_EQ(list.Path(), "E:\\docs\\Archive");
    EXPECT_EQ(changes.back(), "E:\\docs\\Archive");

    ASSERT_TRUE(driver::Open(list, "E:\\"));
    EXPECT_EQ(list.Path(), "E:\\");
    EXPECT_EQ(changes.back(), "E:\\");
}

TEST_F(DirListTest, ADriveThatIsNotReadyShowsWhyAndTheListStaysUsable) {
    volume.AddDrive('F');
    volume.FailOn(Op::GetFolder, "F:\\", 1, vantrelle::testing::kNotReady,
                  "The device is not ready.", MemoryVolume::kEveryTime);
    list.SetPath("F:");
    EXPECT_EQ(list.Path(), "F:\\");
    EXPECT_EQ(list.ListingError(), "The device is not ready.");
    EXPECT_TRUE(list.SubFolderPaths().empty());

    list.SetPath("E:");
    EXPECT_TRUE(list.ListingError().empty());
    EXPECT_EQ(list.SubFolderPaths().size(), 3u);
}

TEST_F(DirListTest, ANameThatIsNotUtf8IsOpenedByItsOwnBytes) {
    volume.AddFolder("E:\\caf\xe9");
    list.SetPath("E:");
    const auto paths = list.SubFolderPaths();
    ASSERT_NE(std::find(paths.begin(), paths.end(), "E:\\caf\xe9"), paths.end());
    ASSERT_TRUE(driver::Open(list, "E:\\caf\xe9"));
    EXPECT_EQ(list.Path(), "E:\\caf\xe9");
}

#ifdef _WIN32
// A path without a drive letter (a UNC path) has no drive root: its top is the leading
// separator, and each folder below it can be opened.
TEST_F(DirListTest, APathWithoutADriveLetterStartsAtItsLeadingSeparator) {
    list.SetPath("\\\\server\\share\\");
    EXPECT_EQ(list.Path(), "\\\\server\\share");
    const std::vector<std::string> entries = driver::Entries(list);
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(entries.begin(), entries.begin() + 3),
              (std::vector<std::string>{"\\", "  server", "    share"}));
    ASSERT_TRUE(driver::Open(list, "\\\\server"));
    EXPECT_EQ(list.Path(), "\\\\server");
}
#endif

#ifndef _WIN32
// The mount point that holds `path`, found by where the device number changes.
std::string MountPointOf(std::filesystem::path path) {
    struct stat own {};
    stat(path.c_str(), &own);
    while (path.has_parent_path() && path.parent_path() != path) {
        struct stat parent {};
        if (stat(path.parent_path().c_str(), &parent) != 0 || parent.st_dev != own.st_dev) {
            break;
        }
        path = path.parent_path();
    }
    return path.string();
}

TEST(DirListOnThisMachine, TheTopIsTheDrivesMountPointAndNothingAboveItCanBeOpened) {
    // /proc is a mount point of its own on every Linux machine; /proc/1 lies on it.
    auto fs = files::OpenNativeFileSystem();
    Program program([] {});
    Window window(program, testing::TestWindowStyle());
    DirListBox list(window, "Dir1", {120, 120, 2175, 2115}, *fs);
    ASSERT_EQ(MountPointOf("/proc/1"), "/proc");
    list.SetPath("/proc/1");
    EXPECT_EQ(list.Path(), "/proc/1");
    ASSERT_GE(driver::Entries(list).size(), 2u);
    EXPECT_EQ(driver::Entries(list)[0], "/proc");
    EXPECT_EQ(driver::Entries(list)[1], "  1");
    EXPECT_FALSE(driver::Open(list, "/")) << "the system's root lies above the drive";
    ASSERT_TRUE(driver::Open(list, "/proc"));
    EXPECT_EQ(list.Path(), "/proc");
    EXPECT_FALSE(driver::Open(list, "/"));
}
#endif

TEST(DriveListTest, StartsOnTheFirstRemovableDriveAndReportsChanges) {
    Program program([] {});
    Window window(program, testing::TestWindowStyle());
    DriveListBox drives(
        window, "Drive1", {1320, 120, 1575, 315},
        {{"C:", "c: [System]", false}, {"E:", "e: [STICK]", true}, {"F:", {}, true}});
    EXPECT_EQ(drives.Drive(), "E:");
    EXPECT_EQ(driver::Entries(drives),
              (std::vector<std::string>{"c: [System]", "e: [STICK]", "F:"}));

    int changes = 0;
    drives.Change = [&] { ++changes; };
    drives.SetDrive("E:");
    EXPECT_EQ(changes, 0);
    drives.SetDrive("F:");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(drives.Drive(), "F:");
    drives.SetDrive("Q:");
    EXPECT_EQ(drives.Drive(), "F:");
    driver::SelectDrive(drives, "C:");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(drives.Drive(), "C:");

    DriveListBox fixed(window, "Drive2", {1320, 600, 1575, 315},
                       {{"/", {}, false}, {"/home", {}, false}});
    EXPECT_EQ(fixed.Drive(), "/");
}

TEST(DriveListTest, RefreshKeepsTheDriveFollowsOneThatWentAndTakesAStickThatArrives) {
    Program program([] {});
    Window window(program, testing::TestWindowStyle());
    std::vector<DriveEntry> mounted = {{"C:", "c: [System]", false}, {"D:", "d:", false}};
    DriveListBox drives(window, "Drive1", {1320, 120, 1575, 315}, [&] { return mounted; });
    std::vector<std::string> changes;
    drives.Change = [&] { changes.push_back(drives.Drive()); };
    drives.SetDrive("D:");
    changes.clear();

    mounted.push_back({"E:", "e: [STICK]", true});
    drives.Refresh();
    EXPECT_EQ(drives.Drive(), "E:") << "the first stick to arrive is taken";
    mounted.push_back({"F:", "f: [CARD]", true});
    mounted[0].text = "c: [Windows]";
    drives.Refresh();
    EXPECT_EQ(drives.Drive(), "E:") << "a second one leaves the choice alone";
    EXPECT_EQ(driver::Entries(drives),
              (std::vector<std::string>{"c: [Windows]", "d:", "e: [STICK]", "f: [CARD]"}));

    mounted.erase(mounted.begin() + 2);  // E: goes
    drives.Refresh();
    EXPECT_EQ(drives.Drive(), "F:") << "the next one";
    mounted.pop_back();  // F: goes, the last one
    drives.Refresh();
    EXPECT_EQ(drives.Drive(), "D:") << "the one before it";
    EXPECT_EQ(changes, (std::vector<std::string>{"E:", "F:", "D:"}))
        << "raised when, and only when, the drive changed";

    // Once chosen by the user, a fixed drive stays while a stick comes and goes.
    mounted.push_back({"E:", "e: [STICK]", true});
    drives.Refresh();
    driver::SelectDrive(drives, "C:");
    mounted.pop_back();
    drives.Refresh();
    EXPECT_EQ(drives.Drive(), "C:");
    EXPECT_EQ(driver::Entries(drives), (std::vector<std::string>{"c: [Windows]", "d:"}));
}

TEST(DriveListTest, TheMachinesDrivesAreUsableRootsWithoutPseudoFileSystems) {
    const std::vector<DriveEntry> drives = MountedDrives();
    ASSERT_FALSE(drives.empty());
    bool seen_fixed = false;
    for (const DriveEntry& drive : drives) {
        EXPECT_FALSE(drive.drive.empty());
#ifdef _WIN32
        // "C:" alone names the current folder of that drive; its root is "C:\".
        EXPECT_TRUE(std::filesystem::is_directory(drive.drive + "\\")) << drive.drive;
#else
        EXPECT_TRUE(std::filesystem::is_directory(drive.drive)) << drive.drive;
#endif
#ifndef _WIN32
        for (const char* pseudo : {"/proc", "/sys", "/dev"}) {
            EXPECT_NE(drive.drive.rfind(pseudo, 0), 0u) << drive.drive;
        }
#endif
        if (!drive.removable) {
            seen_fixed = true;
        } else {
            EXPECT_FALSE(seen_fixed) << "removable drives come first";
        }
    }
}

TEST(DriveListTest, OnlyTheRootOfAVolumeTheSystemRunsFromIsTheSystemsDrive) {
#ifdef _WIN32
    const char* system_root = std::getenv("SystemRoot");
    ASSERT_NE(system_root, nullptr);
    const char letter = system_root[0];
    EXPECT_TRUE(IsSystemDrive(std::string(1, letter) + ":"));
    EXPECT_TRUE(IsSystemDrive(std::string(1, static_cast<char>(std::tolower(letter))) + ":\\"));
    EXPECT_FALSE(IsSystemDrive(system_root)) << "a folder of the drive is not the drive";
    EXPECT_FALSE(IsSystemDrive(letter == 'Q' ? "R:" : "Q:"));
#else
    EXPECT_TRUE(IsSystemDrive("/"));
    EXPECT_FALSE(IsSystemDrive("/nonexistent-vantrelle"));
    if (!vantrelle::testing::EnterOwnMountNamespace()) {
        GTEST_SKIP() << "needs a mount namespace of its own (root)";
    }
    char pattern[] = "/tmp/vantrelle-system-XXXXXX";
    const std::filesystem::path top = mkdtemp(pattern);
    std::filesystem::create_directories(top / "stick");
    std::filesystem::create_directories(top / "system usr");
    EXPECT_FALSE(IsSystemDrive((top / "stick").string())) << "a folder, not a mount point";
    ASSERT_EQ(mount("stick", (top / "stick").c_str(), "tmpfs", 0, nullptr), 0);
    EXPECT_FALSE(IsSystemDrive((top / "stick").string())) << "another volume";
    {
        // The system's own volume, mounted once more elsewhere (the mount table writes the
        // space as \040), is still the system's.
        vantrelle::testing::BindMount usr("/usr", top / "system usr");
        ASSERT_TRUE(usr.mounted());
        EXPECT_TRUE(IsSystemDrive((top / "system usr").string() + "/"));
    }
    umount2((top / "stick").c_str(), MNT_DETACH);
    std::filesystem::remove_all(top);
#endif
}

#ifdef _WIN32
// Starts a program of the Linux side, as Wine lets a Windows program do.
void RunOnLinux(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// What the mount manager tells every program when a drive letter comes or goes.
void BroadcastVolume(WPARAM event, wchar_t letter) {
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - L'A');
    DWORD recipients = BSM_ALLDESKTOPS | BSM_APPLICATIONS;
    BroadcastSystemMessageW(BSF_FORCEIFHUNG | BSF_QUERY, &recipients, WM_DEVICECHANGE, event,
                            reinterpret_cast<LPARAM>(&volume));
}

TEST(DriveListOnThisMachine, ADriveLetterMadeOrRemovedWithItsBroadcastIsFollowed) {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr ||
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
        GTEST_SKIP() << "needs Wine, whose drive letters are links in $WINEPREFIX/dosdevices";
    }
    wchar_t letter = 0;
    for (wchar_t free = L'Y'; free >= L'M' && letter == 0; --free) {
        if (GetDriveTypeW((std::wstring(1, free) + L":\\").c_str()) == DRIVE_NO_ROOT_DIR) {
            letter = free;
        }
    }
    ASSERT_NE(letter, 0);
    const std::wstring root = std::wstring(1, letter) + L":\\";
    const std::string drive = std::string(1, static_cast<char>(letter)) + ":";
    const std::wstring target = L"/tmp/vantrelle-letter-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW((L"Z:" + target).c_str(), nullptr));
    std::wstring link;
    for (const char* c = prefix; *c != '\0'; ++c) {
        link += static_cast<wchar_t>(*c);
    }
    link += L"/dosdevices/" + std::wstring(1, static_cast<wchar_t>(std::towlower(letter))) + L":";

    Program program([] {});
    Window window(program, testing::TestWindowStyle());
    window.Show();
    DriveListBox drives(window, "Drive1", {1320, 120, 1575, 315}, &MountedDrives);
    const std::string first = drives.Drive();
    const auto listed = [&] {
        const auto entries = driver::Entries(drives);
        return std::any_of(entries.begin(), entries.end(), [&](const std::string& entry) {
            return entry.rfind(static_cast<char>(std::towlower(letter)) + std::string(":"), 0) == 0;
        });
    };
    std::vector<std::string> changes;
    drives.Change = [&] { changes.push_back(drives.Drive()); };

    RunOnLinux(L"Z:\\bin\\ln -s " + target + L" " + link);
    ASSERT_TRUE(driver::WaitFor([&] { return GetDriveTypeW(root.c_str()) == DRIVE_FIXED; }, 5000));
    BroadcastVolume(DBT_DEVICEARRIVAL, letter);
    EXPECT_TRUE(driver::WaitFor(listed, 5000)) << "the new letter is listed";
    driver::SelectDrive(drives, drive);
    EXPECT_EQ(drives.Drive(), drive);

    RunOnLinux(L"Z:\\bin\\rm " + link);
    ASSERT_TRUE(
        driver::WaitFor([&] { return GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR; }, 5000));
    BroadcastVolume(DBT_DEVICEREMOVECOMPLETE, letter);
    EXPECT_TRUE(driver::WaitFor([&] { return !listed(); }, 5000)) << "the letter has gone";
    EXPECT_NE(drives.Drive(), drive);
    EXPECT_EQ(changes, (std::vector<std::string>{drive, drives.Drive()}))
        << "the selection moved on and said so";
    RemoveDirectoryW((L"Z:" + target).c_str());
}
#else
TEST(DriveListOnThisMachine, AStickMountedOrUnmountedWhileTheListIsOpenIsFollowed) {
    if (!vantrelle::testing::EnterOwnMountNamespace()) {
        GTEST_SKIP() << "needs a mount namespace of its own (root)";
    }
    // /media of this namespace alone, where the desktop would mount a stick.
    if (!std::filesystem::is_directory("/media")) {
        GTEST_SKIP() << "no /media to mount on";
    }
    ASSERT_EQ(mount("media", "/media", "tmpfs", 0, nullptr), 0);
    std::filesystem::create_directory("/media/STICK");
    char pattern[] = "/tmp/vantrelle-stick-XXXXXX";
    const std::filesystem::path stick = mkdtemp(pattern);

    Program program([] {});
    Window window(program, testing::TestWindowStyle());
    window.Show();
    DriveListBox drives(window, "Drive1", {1320, 120, 1575, 315}, &MountedDrives);
    const std::string first = drives.Drive();
    std::vector<std::string> changes;
    drives.Change = [&] { changes.push_back(drives.Drive()); };
    {
        vantrelle::testing::BindMount mounted(stick, "/media/STICK");
        ASSERT_TRUE(mounted.mounted());
        EXPECT_TRUE(driver::WaitFor([&] { return drives.Drive() == "/media/STICK"; }, 5000))
            << "the list shows the stick and selects it";
        mounted.Unmount();
        EXPECT_TRUE(driver::WaitFor([&] { return drives.Drive() != "/media/STICK"; }, 5000));
    }
    const std::vector<std::string> entries = driver::Entries(drives);
    EXPECT_EQ(std::find(entries.begin(), entries.end(), "/media/STICK"), entries.end());
    EXPECT_EQ(drives.Drive(), first);
    EXPECT_EQ(changes, (std::vector<std::string>{"/media/STICK", first}));
    umount2("/media", MNT_DETACH);
    std::filesystem::remove_all(stick);
}

bool Lists(const std::vector<DriveEntry>& drives, const std::filesystem::path& root) {
    return std::any_of(drives.begin(), drives.end(),
                       [&](const DriveEntry& drive) { return drive.drive == root.string(); });
}

TEST(DriveListOnThisMachine, AFileMountedOverAFileIsNoDrive) {
    if (!vantrelle::testing::EnterOwnMountNamespace()) {
        GTEST_SKIP() << "needs a mount namespace of its own (root)";
    }
    char pattern[] = "/tmp/vantrelle-mounts-XXXXXX";
    const std::filesystem::path top = mkdtemp(pattern);
    std::filesystem::create_directories(top / "source" / "folder");
    std::filesystem::create_directory(top / "stick");
    std::ofstream(top / "source" / "hosts") << "127.0.0.1 localhost\n";
    std::ofstream(top / "hosts") << "";
    {
        vantrelle::testing::BindMount folder(top / "source" / "folder", top / "stick");
        vantrelle::testing::BindMount file(top / "source" / "hosts", top / "hosts");
        ASSERT_TRUE(folder.mounted() && file.mounted());
        const std::vector<DriveEntry> drives = MountedDrives();
        EXPECT_TRUE(Lists(drives, top / "stick")) << "a folder mounted over a folder is one";
        EXPECT_FALSE(Lists(drives, top / "hosts"));
    }
    std::filesystem::remove_all(top);
}
#endif

}  // namespace
}  // namespace vantrelle::ui
