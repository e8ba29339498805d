// The Win32 backend under Wine against what a stick written on Linux can hold: links to
// files outside the chosen folder, two names Wine shows as one, and a folder swapped for
// a link while a prompt waits. The Linux side is set up through /bin/sh, which a Wine
// process can start, in a folder below /tmp seen as Z:\tmp; attributes are set and read
// back where Wine keeps them (user.DOSATTRIB) and through Wine's own listing.

#include <windows.h>
#undef MessageBox  // the Win32 macro would rename ui::MessageBox

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/wtf8.h"
#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "platform/files/files.h"
#include "platform/ui/message_box.h"
#include "windows/repair_error_prompt.h"

namespace vantrelle::files {
namespace {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string Windows(const std::string& linux_path) {
    std::string path = "Z:" + linux_path;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

DWORD Attributes(const std::string& linux_path) {
    return GetFileAttributesW(Widen("\\\\?\\" + Windows(linux_path)).c_str());
}

bool Exists(const std::string& linux_path) {
    return Attributes(linux_path) != INVALID_FILE_ATTRIBUTES;
}

bool Hidden(const std::string& linux_path) {
    const DWORD attributes = Attributes(linux_path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

// Runs `command` with the Linux shell and waits until it is done. Wine hands back
// neither the end nor the exit status of a Unix program, so the command leaves a mark
// when it ends, and callers check what it made.
void Shell(const std::string& command) {
    static int runs = 0;
    const std::string done = "/tmp/vantrelle-shell-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++runs);
    std::wstring line =
        L"Z:\\bin\\sh -c \"(" + Widen(command) + L"); touch '" + Widen(done) + L"'\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 3000 && !Exists(done); ++wait) {
        Sleep(10);
    }
    ASSERT_TRUE(Exists(done)) << command;
    DeleteFileW(Widen("\\\\?\\" + Windows(done)).c_str());
}

// Answers Yes to every prompt and keeps its text; `before_first_answer` runs while the
// first one waits.
// Answers every prompt Yes, the way the desktop program words it in its box.
class YesBox : public ui::MessageBox, public engine::RepairPrompt {
  public:
    engine::PromptAnswer Failed(const engine::RepairFailure& failure) override {
        return windows::RepairErrorPrompt(*this, failure);
    }
    int MsgBox(const std::string& text, int, const std::string&) override {
        texts.push_back(text);
        if (texts.size() == 1 && before_first_answer) {
            before_first_answer();
        }
        return ui::vbYes;
    }
    std::function<void()> before_first_answer;
    std::vector<std::string> texts;
};

class Win32EntriesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!UnderWine()) {
            GTEST_SKIP() << "the Linux side of these cases needs Wine";
        }
        static int counter = 0;
        const std::string leaf = "vantrelle-entries-" + std::to_string(GetCurrentProcessId()) +
                                 "-" + std::to_string(++counter);
        base = "/tmp/" + leaf;
        Shell("rm -rf '" + base + "' && mkdir -p '" + base + "/stick' '" + base + "/outside'");
        ASSERT_TRUE(Exists(base + "/stick"));
    }
    void TearDown() override {
        if (!base.empty()) {
            Shell("chattr -R -i '" + base + "' 2>/dev/null; rm -rf '" + base + "'");
        }
    }

    // Hidden the way Wine stores it, the text "0x2", written as hex bytes.
    static std::string HideCommand(const std::string& quoted_paths) {
        return "setfattr -n user.DOSATTRIB -v 0x307832 " + quoted_paths;
    }

    std::string base;
    std::unique_ptr<FileSystem> fs = OpenNativeFileSystem();
};

TEST_F(Win32EntriesTest, ALinkToAFileOutsideNeverChangesItsTarget) {
    const std::string stick = base + "/stick";
    Shell("cd '" + base + "' && echo secret >outside/secret && echo plain >stick/plain && " +
          "ln -s '" + base + "/outside/secret' stick/absolute && " +
          "ln -s ../outside/secret stick/relative && " + HideCommand("outside/secret stick/plain"));
    ASSERT_TRUE(Hidden(base + "/outside/secret"));
    ASSERT_TRUE(Exists(stick + "/absolute") && Exists(stick + "/relative"));

    for (bool recursive : {false, true}) {
        YesBox box;
        const engine::RepairResult result = recursive
                                                ? engine::FixFolderTree(Windows(stick), *fs, box)
                                                : engine::FixFolder(Windows(stick), *fs, box);
        EXPECT_TRUE(Hidden(base + "/outside/secret")) << "recursive " << recursive;
        EXPECT_FALSE(Hidden(stick + "/plain"));
        Shell(HideCommand("'" + base + "/outside/secret'"));
        // Each link is reported: Wine cannot reset a POSIX link's own attributes.
        EXPECT_NE(result, engine::kNoError);
        std::string shown;
        for (const std::string& text : box.texts) {
            shown += text;
        }
        EXPECT_EQ(box.texts.size(), 2u) << shown;
        EXPECT_NE(shown.find("stick\\absolute\r\n"), std::string::npos) << shown;
        EXPECT_NE(shown.find("stick\\relative\r\n"), std::string::npos) << shown;
        Shell(HideCommand("'" + stick + "/plain'"));
    }
}

// Linux names that are not UTF-8 both list as "bad\uFFFD" (one short name too), and that
// name opens only one of them.
TEST_F(Win32EntriesTest, TwoEntriesUnderOneNameAreEachResetOrReported) {
    const std::string stick = base + "/stick";
    Shell("cd '" + stick + "' && touch bad$(printf '\\377') bad$(printf '\\376') && " +
          HideCommand("bad*"));
    const std::u16string shown = u"bad\uFFFD";

    // The attributes of each entry as Wine lists them: the two are told apart there only.
    auto hidden_left = [&] {
        int hidden = 0;
        int seen = 0;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(Widen("\\\\?\\" + Windows(stick) + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            return -1;
        }
        do {
            if (std::u16string(data.cFileName, data.cFileName + wcslen(data.cFileName)) == shown) {
                ++seen;
                hidden += (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) ? 1 : 0;
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return seen == 2 ? hidden : -1;
    };
    ASSERT_EQ(hidden_left(), 2);

    for (bool recursive : {false, true}) {
        YesBox box;
        const engine::RepairResult result = recursive
                                                ? engine::FixFolderTree(Windows(stick), *fs, box)
                                                : engine::FixFolder(Windows(stick), *fs, box);
        const int left = hidden_left();
        EXPECT_EQ(static_cast<std::size_t>(left), box.texts.size()) << "recursive " << recursive;
        EXPECT_EQ(result == engine::kNoError, left == 0);
        Shell("cd '" + stick + "' && " + HideCommand("bad*"));
    }
}

// Recursive ask mode: while the prompt for a file of stick\S\T waits, S is renamed away
// and a folder holding T, a link to the folder outside, takes its name.
TEST_F(Win32EntriesTest, AFolderSwappedForALinkWhileAPromptWaitsIsNotEntered) {
    const std::string stick = base + "/stick";
    Shell("cd '" + base + "' && mkdir -p stick/S/T/U outside/U && " +
          "echo locked >stick/S/T/locked && echo later >stick/S/T/later && " +
          "echo inner >stick/S/T/U/inner && echo later >outside/later && " +
          "echo inner >outside/U/inner && " +
          HideCommand("stick/S/T/locked stick/S/T/later stick/S/T/U stick/S/T/U/inner "
                      "outside/later outside/U outside/U/inner") +
          " && chattr +i stick/S/T/locked");
    if (SetFileAttributesW(Widen("\\\\?\\" + Windows(base + "/stick/S/T/locked")).c_str(),
                           FILE_ATTRIBUTE_HIDDEN)) {
        GTEST_SKIP() << "chattr +i has no effect on this file system";
    }
    YesBox box;
    box.before_first_answer = [&] {
        Shell("cd '" + base + "' && mv stick/S away && mkdir stick/S && ln -s '" + base +
              "/outside' stick/S/T");
    };
    const engine::RepairResult result = engine::FixFolderTree(Windows(stick), *fs, box);

    ASSERT_FALSE(box.texts.empty());
    ASSERT_TRUE(Exists(base + "/away/T/locked"));
    EXPECT_NE(box.texts[0].find("stick\\S\\T\\locked"), std::string::npos) << box.texts[0];
    for (const char* outside : {"/outside/later", "/outside/U", "/outside/U/inner"}) {
        EXPECT_TRUE(Hidden(base + outside)) << outside;
    }
    EXPECT_NE(result, engine::kNoError);
    // The walk does not end as if the folder were still the one it listed.
    EXPECT_GT(box.texts.size(), 1u);
}

}  // namespace
}  // namespace vantrelle::files
