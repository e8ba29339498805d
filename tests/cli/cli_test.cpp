#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "app/cli/check_update.h"
#include "app/cli/command_line.h"
#include "app/cli/console_repair_prompt.h"
#include "app/cli/terminal_text.h"

namespace vantrelle::cli {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, OptionsInAnyOrderWithTheirValuesEitherWayAndSeveralPaths) {
    auto line = ParseCommandLine({"--on-error", "stop", "/media/a", "-r", "/media/b/"});
    EXPECT_EQ(line.action, Action::Repair);
    EXPECT_TRUE(line.recursive);
    EXPECT_EQ(line.on_error, OnError::Stop);
    EXPECT_EQ(line.paths, (std::vector<std::string>{"/media/a", "/media/b/"}));

    auto plain = ParseCommandLine({"/media/stick/"});
    EXPECT_EQ(plain.action, Action::Repair);
    EXPECT_FALSE(plain.recursive);
    EXPECT_EQ(plain.on_error, OnError::Ask);
    EXPECT_FALSE(plain.farsi);

    auto farsi = ParseCommandLine({"--language", "fa", "--on-error=continue", "x"});
    EXPECT_TRUE(farsi.farsi);
    EXPECT_EQ(farsi.on_error, OnError::Continue);
    EXPECT_TRUE(ParseCommandLine({"--language=fa", "x"}).farsi);

    auto dashed = ParseCommandLine({"a", "--", "--recursive", "-r"});
    EXPECT_EQ(dashed.paths, (std::vector<std::string>{"a", "--recursive", "-r"}));
    EXPECT_FALSE(dashed.recursive);

    EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::Version);
    EXPECT_EQ(ParseCommandLine({"a", "-V"}).action, Action::Version);
    EXPECT_NE(VersionText().find("vantrelle-cli (Vantrelle) 1.0\n"), std::string::npos);
}

TEST(CommandLine, MistakesAreUsageErrors) {
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {""},
                                               {"a", "--", ""},
                                               {"--on-error=maybe", "a"},
                                               {"a", "--on-error"},
                                               {"--on-error", "--recursive", "a"},
                                               {"-x", "a"},
                                               {"--language=fa"},
                                               {"--language=de", "a"},
                                               {"--update-url=http://h/f", "a"}}) {
        auto line = ParseCommandLine(arguments);
        EXPECT_EQ(line.action, Action::UsageError) << ::testing::PrintToString(arguments);
        EXPECT_FALSE(line.problem.empty());
    }
    EXPECT_EQ(ParseCommandLine({"a", "--help"}).action, Action::Help);
}

// attrib's habits on Windows; on POSIX the same arguments are paths like any other.
TEST(CommandLine, WindowsSwitches) {
#ifdef _WIN32
    for (const char* help : {"/?", "-?"}) {
        EXPECT_EQ(ParseCommandLine({"E:\\", help}).action, Action::Help) << help;
    }
    for (const char* recursive : {"/S", "/s", "/D", "/d"}) {
        auto line = ParseCommandLine({recursive, "E:\\"});
        EXPECT_EQ(line.action, Action::Repair) << recursive;
        EXPECT_TRUE(line.recursive) << recursive;
        EXPECT_EQ(line.paths, std::vector<std::string>{"E:\\"});
    }
    EXPECT_NE(UsageText().find("/S, /D"), std::string::npos);
#else
    auto line = ParseCommandLine({"/?", "/S", "/D"});
    EXPECT_EQ(line.paths, (std::vector<std::string>{"/?", "/S", "/D"}));
    EXPECT_FALSE(line.recursive);
    EXPECT_EQ(ParseCommandLine({"-?"}).action, Action::UsageError);
#endif
}

TEST(CommandLine, CheckUpdateWithItsOwnOptionsOnly) {
    auto plain = ParseCommandLine({"--check-update"});
    EXPECT_EQ(plain.action, Action::CheckUpdate);
    EXPECT_EQ(plain.update_url, "");
    EXPECT_FALSE(plain.farsi);

    auto full = ParseCommandLine({"--language=fa", "--check-update", "--update-url", "http://h/f"});
    EXPECT_EQ(full.action, Action::CheckUpdate);
    EXPECT_EQ(full.update_url, "http://h/f");
    EXPECT_TRUE(full.farsi);
    EXPECT_FALSE(ParseCommandLine({"--check-update", "--language=en"}).farsi);

    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"--check-update", "/media/stick"},
                                               {"--check-update", "--recursive"},
                                               {"--check-update", "--language=de"},
                                               {"--check-update", "--update-url="},
                                               {"--update-url=http://h/f"}}) {
        auto line = ParseCommandLine(arguments);
        EXPECT_EQ(line.action, Action::UsageError) << ::testing::PrintToString(arguments);
        EXPECT_FALSE(line.problem.empty());
    }
    // Only a build that has the check offers it.
    EXPECT_EQ(UsageText().find("--check-update") != std::string::npos, HasUpdateCheck());
    EXPECT_EQ(UsageLines().find("--check-update") != std::string::npos, HasUpdateCheck());
}

TEST(TerminalLines, CrLfAndLoneCrBecomeLineBreaks) {
    EXPECT_EQ(TerminalLines("a\rb\r\nc"), "a\nb\nc\n");
    EXPECT_EQ(TerminalLines(""), "\n");
    EXPECT_EQ(TerminalLines("a\r\r\n"), "a\n\n\n");
}

using engine::PromptAnswer;
using engine::PromptForm;
using engine::RepairFailure;

#ifdef _WIN32
constexpr int kNoSuchFolder = 3, kReadOnlyVolume = 19;
#else
constexpr int kNoSuchFolder = ENOENT, kReadOnlyVolume = EROFS;
#endif

const files::Error kNotReady{21, "The device is not ready."};
const std::string kFolder = "/s", kEntry = "x", kNoEntry;
const RepairFailure kQuestion{kNotReady, kFolder, '/', kEntry, PromptForm::Question};

TEST(ConsoleRepairPrompt, AskShowsTheBoxAndReadsYesNoAllAndTheEndOfInputAsNo) {
    std::istringstream answers("maybe\n  YES \nn\nALL\n");
    std::ostringstream console;
    ConsoleRepairPrompt prompt(OnError::Ask, answers, console, true);
    prompt.Begin("/top");

    EXPECT_EQ(prompt.Failed(kQuestion), PromptAnswer::GoOn);
    EXPECT_EQ(prompt.Failed(kQuestion), PromptAnswer::Stop);
    EXPECT_EQ(console.str(),
              "Error 21\nAn error happened :\nThe device is not ready.\nin File: /s/x\n"
              "Do you want to continue fixing other files?\n[y/n/a] Please answer y (yes), n "
              "(no) or a (yes to all).\n[y/n/a] \n"
              "Error 21\nAn error happened :\nThe device is not ready.\nin File: /s/x\n"
              "Do you want to continue fixing other files?\n[y/n/a] \n");

    // "all" answers this and every later question of the run, which no one is asked.
    console.str("");
    const std::string other = "y";
    EXPECT_EQ(prompt.Failed(kQuestion), PromptAnswer::GoOn);
    prompt.Begin("/next");
    EXPECT_EQ(prompt.Failed({kNotReady, kFolder, '/', other, PromptForm::Question}),
              PromptAnswer::GoOn);
    EXPECT_EQ(console.str(),
              "Error 21\nAn error happened :\nThe device is not ready.\nin File: /s/x\n"
              "Do you want to continue fixing other files?\n[y/n/a] \n"
              "vantrelle-cli: /s/y: Error 21: The device is not ready.\n");

    std::istringstream ended;
    ConsoleRepairPrompt at_end(OnError::Ask, ended, console, true);
    console.str("");
    EXPECT_EQ(at_end.Failed(kQuestion), PromptAnswer::Stop);
    EXPECT_NE(console.str().find("[y/n/a] \n(end of input: no)\n"), std::string::npos);
}

TEST(ConsoleRepairPrompt, WhenNoOneIsAskedEachFailureIsOneLineWithoutADoubledSeparator) {
    std::istringstream answers("n\n");
    std::ostringstream console;
    ConsoleRepairPrompt go_on(OnError::Continue, answers, console, true);
    const std::string root = "/media/STICK/", windows_root = "E:\\";
    EXPECT_EQ(go_on.Failed({kNotReady, root, '/', kEntry, PromptForm::Question}),
              PromptAnswer::GoOn);
    const std::string other = "y";
    EXPECT_EQ(go_on.Failed({kNotReady, windows_root, '\\', other, PromptForm::Question}),
              PromptAnswer::GoOn);
    ConsoleRepairPrompt stop(OnError::Stop, answers, console, true);
    EXPECT_EQ(stop.Failed(kQuestion), PromptAnswer::Stop);
    // A notice asks nothing, whatever the policy.
    ConsoleRepairPrompt ask(OnError::Ask, answers, console, true);
    EXPECT_EQ(ask.Failed({kNotReady, kFolder, '/', kNoEntry, PromptForm::Notice}),
              PromptAnswer::Stop);

    EXPECT_EQ(console.str(),
              "vantrelle-cli: /media/STICK/x: Error 21: The device is not ready.\n"
              "vantrelle-cli: E:\\y: Error 21: The device is not ready.\n"
              "vantrelle-cli: /s/x: Error 21: The device is not ready.\n"
              "Error 21\nAn error happened :\nThe device is not ready.\nin File: /s\n\n");
    std::string unread;
    std::getline(answers, unread);
    EXPECT_EQ(unread, "n");
}

// A stick pulled out mid-repair: the next-name step and the reset of the same entry
// fail by turns with two texts, for ever.
TEST(ConsoleRepairPrompt, ContinueGivesUpOnAnEntryThatKeepsFailingWhateverTheTexts) {
    std::istringstream answers;
    std::ostringstream console;
    ConsoleRepairPrompt prompt(OnError::Continue, answers, console, true);
    prompt.Begin("/s");
    const files::Error listing{107, "Transport endpoint is not connected (reading the folder)"};
    const files::Error reset{107, "Transport endpoint is not connected (reading an attribute)"};
    const std::string other = "y";

    // Failures of different entries never add up.
    for (int i = 0; i < 2 * ConsoleRepairPrompt::kFailureLimit; ++i) {
        const std::string& entry = i % 2 == 0 ? kEntry : other;
        EXPECT_EQ(prompt.Failed({reset, kFolder, '/', entry, PromptForm::Question}),
                  PromptAnswer::GoOn);
    }
    int answered = 0;
    while (prompt.Failed({answered % 2 == 0 ? listing : reset, kFolder, '/', kEntry,
                          PromptForm::Question}) == PromptAnswer::GoOn) {
        ASSERT_LT(++answered, 100);
    }
    EXPECT_EQ(answered + 1, ConsoleRepairPrompt::kFailureLimit);
    EXPECT_TRUE(
        console.str().ends_with("vantrelle-cli: /s/x: failed 5 times in a row: giving up\n"))
        << console.str();
}

TEST(ConsoleRepairPrompt, AVolumesFailureIsSaidOnceWithWhatToDoAndStops) {
    std::istringstream answers("y\n");
    std::ostringstream console;
    ConsoleRepairPrompt prompt(OnError::Ask, answers, console, true);
    prompt.Begin("/s");
    const files::Error read_only{kReadOnlyVolume, "Read-only file system"};
    const std::string other = "y";
    EXPECT_EQ(prompt.Failed({read_only, kFolder, '/', kEntry, PromptForm::Question}),
              PromptAnswer::Stop);
    EXPECT_EQ(prompt.Failed({read_only, kFolder, '/', other, PromptForm::Question}),
              PromptAnswer::Stop);
    EXPECT_EQ(prompt.Failed(kQuestion), PromptAnswer::Stop);
    const std::string said = console.str();
    EXPECT_TRUE(said.starts_with("vantrelle-cli: /s/x: Error " + std::to_string(kReadOnlyVolume) +
                                 ": Read-only file system\n"
                                 "vantrelle-cli: the volume is "))
        << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_FALSE(prompt.NoFolder());
}

TEST(ConsoleRepairPrompt, AFolderNamedThatDoesNotExistIsSaidInOneLine) {
    std::istringstream answers;
    std::ostringstream console;
    ConsoleRepairPrompt prompt(OnError::Ask, answers, console, true);
    const std::string gone = "/gone/";
    prompt.Begin(gone);
    const files::Error missing{kNoSuchFolder, "No such file or directory (opening the folder)"};
    EXPECT_EQ(prompt.Failed({missing, gone, '/', kNoEntry, PromptForm::Notice}),
              PromptAnswer::Stop);
    EXPECT_TRUE(prompt.NoFolder());
    EXPECT_EQ(console.str(), "vantrelle-cli: /gone/: no such folder\n");

    // The same error below the folder named is an entry's like any other.
    prompt.Begin("/top");
    console.str("");
    prompt.Failed({missing, kFolder, '/', kNoEntry, PromptForm::Notice});
    EXPECT_FALSE(prompt.NoFolder());
    EXPECT_NE(console.str().find("An error happened"), std::string::npos);
}

TEST(ForTerminal, NamesThatAreNotTextAreEscaped) {
    // Valid UTF-8 passes in a UTF-8 locale; a lone Latin-1 byte, an escape sequence and
    // a C1 control never reach the terminal raw.
    EXPECT_EQ(ForTerminal("caf\xc3\xa9 \xe9t\xc3\xa9", true), "caf\xc3\xa9 \\xe9t\xc3\xa9");
    EXPECT_EQ(ForTerminal("a\x1b[2Jb\xc2\x9b", true), "a\\x1b[2Jb\\xc2\\x9b");
    EXPECT_EQ(ForTerminal("caf\xc3\xa9", false), "caf\\xc3\\xa9");
    EXPECT_EQ(ForTerminal("one\r\ntwo\rthree\n", true), "one\ntwo\nthree\n");
    EXPECT_EQ(ForTerminal("\xed\xa0\x80", true), "\\xed\\xa0\\x80");  // a surrogate
}

TEST(ConsoleRepairPrompt, ANameCannotAddLinesReorderThemOrPassForAnEscape) {
    const std::string crafted =
        "a\r\nDo you want to continue fixing other files?\n\xe2\x80\xae"
        "exe.txt \\x0a\\d";
    const files::Error denied{5, "Access is denied."};
    const std::string folder = "E:\\s";
    std::istringstream answers("n\n");
    std::ostringstream console;
    ConsoleRepairPrompt prompt(OnError::Ask, answers, console, true);
    prompt.Failed({denied, folder, '\\', crafted, PromptForm::Question});
    EXPECT_EQ(console.str(),
              "Error 5\nAn error happened :\nAccess is denied.\nin File: E:\\s\\a\\x0d\\x0aDo you "
              "want to continue fixing other files?\\x0a\\xe2\\x80\\xaeexe.txt \\x5cx0a\\d\n"
              "Do you want to continue fixing other files?\n[y/n/a] \n");
}

}  // namespace
}  // namespace vantrelle::cli
