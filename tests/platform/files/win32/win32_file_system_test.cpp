// The Win32 backend against real folders: under Wine in the cross build, on Windows
// natively. Entries are made and inspected with the Win32 calls themselves, through
// \\?\ paths, so that the checks do not rely on the code under test.

#include <windows.h>
#undef MessageBox  // the Win32 macro would rename ui::MessageBox

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "common/wtf8.h"
#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "platform/files/files.h"
#include "support/scripted_message_box.h"

namespace vantrelle::files {
namespace {

using testing::ScriptedMessageBox;

constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr std::uint32_t kEverything = kReadOnly | kHidden | kSystem | kDirectory | kArchive;

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Wine shows every file with Archive set whatever is stored, so it is checked on
// Windows only.
const DWORD kFlagsOfInterest = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | (UnderWine() ? 0 : FILE_ATTRIBUTE_ARCHIVE);
std::wstring Long(const std::wstring& path) {
    return L"\\\\?\\" + path;
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str());
}

// True when the entry exists and none of Hidden, System, Read-only, Archive is set.
bool IsNormal(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kFlagsOfInterest) == 0;
}

void MakeFolder(const std::wstring& path, DWORD attributes = 0) {
    ASSERT_TRUE(CreateDirectoryW(Long(path).c_str(), nullptr)) << GetLastError();
    if (attributes) {
        ASSERT_TRUE(SetFileAttributesW(Long(path).c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY));
    }
}

void MakeFile(const std::wstring& path, DWORD attributes = 0) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(file);
}

void RemoveTree(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((Long(path) + L"\\*").c_str(), &data);
        std::vector<std::wstring> names;
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) {
                    names.push_back(data.cFileName);
                }
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        for (const auto& name : names) {
            RemoveTree(path + L"\\" + name);
        }
        RemoveDirectoryW(Long(path).c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(Long(path).c_str());
    } else {
        DeleteFileW(Long(path).c_str());
    }
}

class Win32FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        std::wstring base = temp;
        if (base.back() == L'\\') {
            base.pop_back();
        }
        static int counter = 0;
        root = base + L"\\vantrelle-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
        MakeFolder(root);
    }
    void TearDown() override {
        fs.reset();  // a listing left open holds its folder
        RemoveTree(root);
    }

    std::wstring At(const std::wstring& relative) const { return root + L"\\" + relative; }
    std::string Utf8At(const std::wstring& relative) const { return Narrow(At(relative)); }

    // Every name a listing of `folder` yields with `mask`, in order.
    std::vector<std::string> Listing(const std::string& folder, std::uint32_t mask) {
        std::vector<std::string> names;
        auto listed = fs->Dir(folder + "\\", mask);
        while (listed && !listed.value().name.empty()) {
            names.push_back(listed.value().name);
            listed = fs->Dir();
        }
        EXPECT_TRUE(listed.ok()) << listed.error().description;
        std::sort(names.begin(), names.end());
        return names;
    }

    // Resets the entry `name` as a listing started with `pattern` gives it.
    Result<std::uint32_t> ResetListed(const std::string& pattern, const std::string& name) {
        auto listed = fs->Dir(pattern, kEverything);
        while (listed && !listed.value().name.empty()) {
            if (listed.value().name == name) {
                return fs->SetAttr(*listed.value().entry, kNormal);
            }
            listed = fs->Dir();
        }
        if (!listed) {
            return listed.error();
        }
        return Error{-1, "not listed: " + name};
    }

    std::wstring root;
    std::unique_ptr<FileSystem> fs = OpenNativeFileSystem();
};

using Names = std::vector<std::string>;

TEST_F(Win32FileSystemTest, TheListingYieldsWhatTheMaskAsksFor) {
    MakeFile(At(L"plain"));
    MakeFile(At(L"read-only"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    MakeFile(At(L"hidden"), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(At(L"system"), FILE_ATTRIBUTE_SYSTEM);
    MakeFile(At(L"both"), kHiddenSystem);
    MakeFolder(At(L"folder"));
    MakeFolder(At(L"hidden folder"), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(Listing(Narrow(root), kEverything),
              (Names{".", "..", "both", "folder", "hidden", "hidden folder", "plain", "read-only",
                     "system"}));
    EXPECT_EQ(Listing(Narrow(root), kNormal), (Names{"plain", "read-only"}));
    EXPECT_EQ(Listing(Narrow(root), kHidden), (Names{"hidden", "plain", "read-only"}));
    EXPECT_EQ(Listing(Narrow(root), kDirectory),
              (Names{".", "..", "folder", "plain", "read-only"}));
    EXPECT_EQ(Listing(Narrow(root), kHidden | kSystem),
              (Names{"both", "hidden", "plain", "read-only", "system"}));
}

TEST_F(Win32FileSystemTest, AListingEndsWithAnEmptyNameAndCannotBeReadOnAfterwards) {
    MakeFile(At(L"only"));
    EXPECT_EQ(Listing(Narrow(root), kNormal), Names{"only"});
    auto after = fs->Dir();
    ASSERT_FALSE(after.ok());
    EXPECT_EQ(after.error().number, ERROR_NO_MORE_FILES);

    // A new listing ends the one before it.
    MakeFolder(At(L"sub"));
    MakeFile(At(L"sub\\inner"));
    ASSERT_EQ(fs->Dir(Utf8At(L""), kNormal).value().name, "only");
    ASSERT_EQ(fs->Dir(Utf8At(L"sub\\"), kNormal).value().name, "inner");
    EXPECT_EQ(fs->Dir().value().name, "");
}

TEST_F(Win32FileSystemTest, FailuresCarryTheSystemNumberAndAOneLineDescription) {
    MakeFile(At(L"file"));
    const std::pair<Result<Listed>, DWORD> cases[] = {
        {fs->Dir(Utf8At(L"missing\\"), kEverything), ERROR_PATH_NOT_FOUND},
        {fs->Dir(Utf8At(L"missing\\deeper\\"), kEverything), ERROR_PATH_NOT_FOUND},
    };
    for (const auto& [result, number] : cases) {
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().number, static_cast<std::int32_t>(number));
        const std::string& text = result.error().description;
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    }
    EXPECT_FALSE(fs->Dir(Utf8At(L"file\\"), kEverything).ok());

    // An entry deleted after it was listed.
    auto listed = fs->Dir(Utf8At(L""), kNormal);
    ASSERT_EQ(listed.value().name, "file");
    ASSERT_TRUE(DeleteFileW(Long(At(L"file")).c_str()));
    auto missing_entry = fs->SetAttr(*listed.value().entry, kNormal);
    ASSERT_FALSE(missing_entry.ok());
    EXPECT_EQ(missing_entry.error().number, ERROR_FILE_NOT_FOUND);

    auto not_wtf8 = fs->Dir(Utf8At(L"") + "\xC0\xAF\\", kEverything);
    ASSERT_FALSE(not_wtf8.ok());
    EXPECT_EQ(not_wtf8.error().number, ERROR_NO_UNICODE_TRANSLATION);

    auto object_model = fs->CreateFileSystemObject();
    ASSERT_TRUE(object_model.ok());
    auto folder = object_model.value()->GetFolder(Utf8At(L"missing"));
    ASSERT_FALSE(folder.ok());
    EXPECT_TRUE(folder.error().number == ERROR_PATH_NOT_FOUND ||
                folder.error().number == ERROR_FILE_NOT_FOUND)
        << folder.error().number;
    MakeFile(At(L"file"));
    EXPECT_FALSE(object_model.value()->GetFolder(Utf8At(L"file")).ok());
}

TEST_F(Win32FileSystemTest, SetAttrMakesListedFilesAndFoldersNormalAndLeavesTheirContents) {
    MakeFile(At(L"locked"), FILE_ATTRIBUTE_READONLY | kHiddenSystem | FILE_ATTRIBUTE_ARCHIVE);
    MakeFolder(At(L"folder"), kHiddenSystem | FILE_ATTRIBUTE_READONLY);
    MakeFile(At(L"folder\\inner"), kHiddenSystem);

    ASSERT_TRUE(ResetListed(Utf8At(L""), "locked").ok());
    ASSERT_TRUE(ResetListed(Utf8At(L""), "folder").ok());
    EXPECT_TRUE(IsNormal(At(L"locked")));
    EXPECT_TRUE(IsNormal(At(L"folder")));
    EXPECT_TRUE(Attributes(At(L"folder")) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Attributes(At(L"folder\\inner")) & kHiddenSystem, kHiddenSystem);

    // A doubled separator, as after a drive root, names the same entry.
    MakeFile(At(L"twice"), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(ResetListed(Narrow(root) + "\\\\", "twice").ok());
    EXPECT_TRUE(IsNormal(At(L"twice")));
}

TEST_F(Win32FileSystemTest, NamesTheSystemWouldRewriteAreReachedExactly) {
    // Farsi, a character beyond the basic plane, a trailing dot and space, a device name.
    const std::wstring names[] = {L"فايل ک", L"smile \U0001F600", L"trailing. ", L"dots...",
                                  L"NUL",    L"con.txt"};
    for (const auto& name : names) {
        MakeFile(At(name), kHiddenSystem);
    }
    ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolder(Narrow(root), *fs, box), engine::kNoError);
    for (const auto& name : names) {
        EXPECT_TRUE(IsNormal(At(name))) << Narrow(name);
    }
    Names listed = Listing(Narrow(root), kEverything);
    for (const auto& name : names) {
        EXPECT_NE(std::find(listed.begin(), listed.end(), Narrow(name)), listed.end())
            << Narrow(name);
    }
}

TEST_F(Win32FileSystemTest, UnpairedSurrogatesInNamesRoundTrip) {
    const wchar_t name[] = {L'x', 0xD800, L'y', 0};
    HANDLE file = CreateFileW(Long(At(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        GTEST_SKIP() << "this file system cannot name a file with an unpaired surrogate";
    }
    CloseHandle(file);
    EXPECT_EQ(Listing(Narrow(root), kHidden), Names{"x\xED\xA0\x80y"});
    ASSERT_TRUE(ResetListed(Utf8At(L""), Narrow(name)).ok());
    EXPECT_TRUE(IsNormal(At(name)));
}

TEST_F(Win32FileSystemTest, TheFolderModelHoldsEveryMemberButNeverTheDots) {
    MakeFolder(At(L"top"), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(At(L"top\\a"), kHiddenSystem);
    MakeFile(At(L"top\\b"));
    MakeFolder(At(L"top\\c"), kHiddenSystem);
    MakeFolder(At(L"top\\d"));

    auto object_model = fs->CreateFileSystemObject();
    ASSERT_TRUE(object_model.ok());
    // A trailing separator and a doubled one make no difference.
    auto opened = object_model.value()->GetFolder(Narrow(root) + "\\\\top\\");
    ASSERT_TRUE(opened.ok()) << opened.error().description;
    Folder& top = *opened.value();
    EXPECT_EQ(top.Path().value(), Utf8At(L"top"));
    EXPECT_EQ(top.Name().value(), "top");

    auto files = top.Files();
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files.value()->Count().value(), 2);
    Names file_names;
    auto pass = files.value()->Enumerate();
    ASSERT_TRUE(pass.ok());
    while (auto file = std::move(pass.value()->Next().value())) {
        file_names.push_back(file->Name().value());
    }
    std::sort(file_names.begin(), file_names.end());
    EXPECT_EQ(file_names, (Names{"a", "b"}));

    auto sub_folders = top.SubFolders();
    ASSERT_TRUE(sub_folders.ok());
    EXPECT_EQ(sub_folders.value()->Count().value(), 2);
    Names folder_paths;
    auto folder_pass = sub_folders.value()->Enumerate();
    ASSERT_TRUE(folder_pass.ok());
    while (auto folder = std::move(folder_pass.value()->Next().value())) {
        folder_paths.push_back(folder->Path().value());
        EXPECT_EQ(folder_paths.back(), Utf8At(L"top\\") + folder->Name().value());
    }
    std::sort(folder_paths.begin(), folder_paths.end());
    EXPECT_EQ(folder_paths, (Names{Utf8At(L"top\\c"), Utf8At(L"top\\d")}));

    // A root has an empty name and a path that ends in the separator.
    const std::string drive = Narrow(root).substr(0, 2);
    auto root_folder = object_model.value()->GetFolder(drive + "\\");
    ASSERT_TRUE(root_folder.ok());
    EXPECT_EQ(root_folder.value()->Path().value(), drive + "\\");
    EXPECT_EQ(root_folder.value()->Name().value(), "");
}

// Another object takes the name of an entry after it was listed: the new one is left as
// it is and the old one is not reported as reset.
TEST_F(Win32FileSystemTest, AnEntryReplacedSinceItWasListedIsRefusedAndLeftAlone) {
    MakeFile(At(L"file"), FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(At(L"folder"), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(At(L"folder\\inner"), FILE_ATTRIBUTE_HIDDEN);
    // Both exist at once, so that the replacement has a file id of its own.
    auto replace = [&](const std::wstring& name, bool folder) {
        if (folder) {
            MakeFolder(At(name + L".new"), FILE_ATTRIBUTE_HIDDEN);
            MakeFile(At(name + L".new\\inner"), FILE_ATTRIBUTE_HIDDEN);
        } else {
            MakeFile(At(name + L".new"), FILE_ATTRIBUTE_HIDDEN);
        }
        ASSERT_TRUE(MoveFileW(Long(At(name)).c_str(), Long(At(name + L".old")).c_str()));
        ASSERT_TRUE(MoveFileW(Long(At(name + L".new")).c_str(), Long(At(name)).c_str()));
    };
    auto refused = [](const Result<std::uint32_t>& status) {
        return !status.ok() && status.error().number == ERROR_FILE_INVALID &&
               !status.error().description.empty();
    };

    auto listed = fs->Dir(Utf8At(L""), kEverything);
    while (listed.value().name != "file") {
        listed = fs->Dir();
    }
    replace(L"file", false);
    EXPECT_TRUE(refused(fs->SetAttr(*listed.value().entry, kNormal)));
    EXPECT_EQ(Attributes(At(L"file")) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);

    auto object_model = std::move(fs->CreateFileSystemObject().value());
    auto top = std::move(object_model->GetFolder(Narrow(root)).value());
    auto folders = std::move(top->SubFolders().value()->Enumerate().value());
    auto folder = std::move(folders->Next().value());
    ASSERT_EQ(folder->Name().value(), "folder");
    replace(L"folder", true);
    EXPECT_TRUE(refused(fs->SetAttr(*folder, kNormal)));
    auto entered = object_model->GetFolder(*folder);
    ASSERT_FALSE(entered.ok());
    EXPECT_EQ(entered.error().number, ERROR_FILE_INVALID);
    EXPECT_EQ(Attributes(At(L"folder")) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Attributes(At(L"folder\\inner")) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
}

// The walk keeps only the folders it used last open: after a branch deeper than that,
// the folders above are opened again from the named folder, each checked on the way.
TEST_F(Win32FileSystemTest, AWalkDeeperThanTheFoldersKeptOpenReachesEveryFolder) {
    MakeFolder(At(L"top"));
    MakeFolder(At(L"top\\mid"), FILE_ATTRIBUTE_HIDDEN);
    std::vector<std::wstring> entries{L"top\\mid"};
    for (const wchar_t* branch : {L"top\\mid\\a", L"top\\mid\\b"}) {
        std::wstring level = branch;
        MakeFolder(At(level), kHiddenSystem);
        entries.push_back(level);
        for (int depth = 0; depth < 20; ++depth) {
            MakeFile(At(level + L"\\file"), kHiddenSystem);
            entries.push_back(level + L"\\file");
            level += L"\\d";
            MakeFolder(At(level), kHiddenSystem);
            entries.push_back(level);
        }
    }
    MakeFile(At(L"top\\mid\\z"), FILE_ATTRIBUTE_HIDDEN);
    entries.push_back(L"top\\mid\\z");

    ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolderTree(Utf8At(L"top"), *fs, box), engine::kNoError);
    for (const auto& entry : entries) {
        EXPECT_TRUE(IsNormal(At(entry))) << Narrow(entry);
    }
}

TEST_F(Win32FileSystemTest, RelativeAndDriveRelativePathsWork) {
    MakeFolder(At(L"sub"));
    MakeFile(At(L"sub\\f"), FILE_ATTRIBUTE_HIDDEN);
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(root.c_str()));

    auto object_model = fs->CreateFileSystemObject();
    const std::string drive = Narrow(root).substr(0, 2);
    auto here = object_model.value()->GetFolder(drive);  // a bare drive is its root
    auto sub = object_model.value()->GetFolder("sub");
    const Names listed = Listing("sub", kHidden);
    const bool reset = ResetListed(drive + "sub\\", "f").ok();
    SetCurrentDirectoryW(previous);

    ASSERT_TRUE(here.ok());
    EXPECT_EQ(here.value()->Path().value(), drive + "\\");
    ASSERT_TRUE(sub.ok());
    EXPECT_EQ(sub.value()->Path().value(), Utf8At(L"sub"));
    EXPECT_EQ(listed, Names{"f"});
    EXPECT_TRUE(reset);
    EXPECT_TRUE(IsNormal(At(L"sub\\f")));
}

TEST_F(Win32FileSystemTest, PathsLongerThan260CharactersWork) {
    std::wstring deep = L"long";
    MakeFolder(At(deep), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(At(deep + L"\\file"), kHiddenSystem);
    while (At(deep).size() < 400) {
        deep += L"\\a-folder-name-of-forty-characters-here--";
        MakeFolder(At(deep), kHiddenSystem);
        MakeFile(At(deep + L"\\file"), kHiddenSystem);
    }
    ASSERT_GT(At(deep + L"\\file").size(), 400u);

    EXPECT_EQ(Listing(Utf8At(deep), kHidden | kSystem), Names{"file"});
    ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolderTree(Utf8At(L"long"), *fs, box), engine::kNoError);
    EXPECT_TRUE(box.shown().empty());
    for (std::wstring level = deep; level != L"long"; level.resize(level.rfind(L'\\'))) {
        EXPECT_TRUE(IsNormal(At(level))) << level.size();
        EXPECT_TRUE(IsNormal(At(level + L"\\file"))) << level.size();
    }
    EXPECT_TRUE(IsNormal(At(L"long\\file")));
    EXPECT_EQ(Attributes(At(L"long")) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);

    // What a prompt would show has no \\?\ prefix.
    auto folder = fs->CreateFileSystemObject().value()->GetFolder(Utf8At(deep));
    ASSERT_TRUE(folder.ok());
    EXPECT_EQ(folder.value()->Path().value(), Utf8At(deep));
}

TEST_F(Win32FileSystemTest, AThreeLevelTreeBecomesVisibleButReservedFoldersKeepTheirContents) {
    MakeFolder(At(L"stick"), FILE_ATTRIBUTE_HIDDEN);
    std::wstring level = L"stick";
    for (int depth = 1; depth <= 3; ++depth) {
        MakeFile(At(level + L"\\file" + std::to_wstring(depth)), kHiddenSystem);
        MakeFolder(At(level + L"\\RECYCLER.old"), kHiddenSystem);
        level += L"\\level" + std::to_wstring(depth);
        MakeFolder(At(level), kHiddenSystem | FILE_ATTRIBUTE_READONLY);
    }
    MakeFolder(At(L"stick\\sYsTeM vOlUmE iNfOrMaTiOn"), kHiddenSystem);
    MakeFile(At(L"stick\\sYsTeM vOlUmE iNfOrMaTiOn\\kept"), kHiddenSystem);
    MakeFolder(At(L"stick\\level1\\$recycle.bin"), kHiddenSystem);
    MakeFile(At(L"stick\\level1\\$recycle.bin\\kept"), kHiddenSystem);

    ScriptedMessageBox box;
    EXPECT_EQ(engine::FixFolderTree(Utf8At(L"stick"), *fs, box), engine::kNoError);

    for (const wchar_t* entry :
         {L"stick\\file1", L"stick\\RECYCLER.old", L"stick\\level1", L"stick\\level1\\file2",
          L"stick\\level1\\RECYCLER.old", L"stick\\level1\\level2", L"stick\\level1\\level2\\file3",
          L"stick\\level1\\level2\\level3", L"stick\\sYsTeM vOlUmE iNfOrMaTiOn",
          L"stick\\level1\\$recycle.bin"}) {
        EXPECT_TRUE(IsNormal(At(entry))) << Narrow(entry);
    }
    EXPECT_EQ(Attributes(At(L"stick\\sYsTeM vOlUmE iNfOrMaTiOn\\kept")) & kHiddenSystem,
              kHiddenSystem);
    EXPECT_EQ(Attributes(At(L"stick\\level1\\$recycle.bin\\kept")) & kHiddenSystem, kHiddenSystem);
    EXPECT_EQ(Attributes(At(L"stick")) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
}

// Links are made by the operating system where it can (Windows), or handed in by the
// test run as VANTRELLE_LINK_FIXTURE: a folder with a sub-folder "tree" holding
// "out", a link to the sibling folder "outside" (whose file "secret" is hidden), and
// "loop", a link to "tree" itself.
TEST_F(Win32FileSystemTest, LinksAreFilesOfTheFolderModelAndAreNeverWalkedInto) {
    std::wstring fixture;
    if (const wchar_t* given = _wgetenv(L"VANTRELLE_LINK_FIXTURE")) {
        fixture = given;
    } else {
        MakeFolder(At(L"tree"));
        MakeFolder(At(L"outside"));
        MakeFile(At(L"outside\\secret"), FILE_ATTRIBUTE_HIDDEN);
        if (!CreateSymbolicLinkW(
                At(L"tree\\out").c_str(), At(L"outside").c_str(),
                SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
            Attributes(At(L"tree\\out")) == INVALID_FILE_ATTRIBUTES ||
            !(Attributes(At(L"tree\\out")) & FILE_ATTRIBUTE_REPARSE_POINT)) {
            GTEST_SKIP() << "no folder links can be made here";
        }
        CreateSymbolicLinkW(
            At(L"tree\\loop").c_str(), At(L"tree").c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
        SetFileAttributesW(Long(At(L"tree\\out")).c_str(), FILE_ATTRIBUTE_HIDDEN);
        fixture = root;
    }
    const std::wstring tree = fixture + L"\\tree";

    auto object_model = fs->CreateFileSystemObject();
    auto folder = object_model.value()->GetFolder(Narrow(tree));
    ASSERT_TRUE(folder.ok());
    EXPECT_EQ(folder.value()->SubFolders().value()->Count().value(), 0);
    EXPECT_EQ(folder.value()->Files().value()->Count().value(), 2);

    // Wine opens a POSIX link as what it points to: there the link's reset is refused,
    // and neither the folder it points to nor the tree (its own target) changes.
    const bool opened_as_target = _wgetenv(L"VANTRELLE_LINK_FIXTURE") != nullptr;
    ScriptedMessageBox box;
    if (opened_as_target) {
        box.Then(6).Then(6);
    }
    const engine::RepairResult result = engine::FixFolderTree(Narrow(tree), *fs, box);
    EXPECT_EQ(Attributes(fixture + L"\\outside\\secret") & FILE_ATTRIBUTE_HIDDEN,
              FILE_ATTRIBUTE_HIDDEN);
    if (opened_as_target) {
        EXPECT_EQ(result, static_cast<engine::RepairResult>(ERROR_NOT_A_REPARSE_POINT));
        ASSERT_EQ(box.shown().size(), 2u);
        EXPECT_EQ(box.shown()[0].title, "Error 4390");
        EXPECT_EQ(Attributes(fixture + L"\\outside") & FILE_ATTRIBUTE_HIDDEN,
                  FILE_ATTRIBUTE_HIDDEN);
        EXPECT_EQ(Attributes(tree) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
    } else {
        EXPECT_EQ(result, engine::kNoError);
        EXPECT_TRUE(box.shown().empty());
        EXPECT_TRUE(IsNormal(At(L"tree\\out")));  // the link's own attributes
    }
}

}  // namespace
}  // namespace vantrelle::files
