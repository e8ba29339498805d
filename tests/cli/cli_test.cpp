#include <gtest/gtest.h>

#include <sstream>

#include "app/cli/check_update.h"
#include "app/cli/command_line.h"
#include "app/cli/console_repair_prompt.h"
#include "app/cli/terminal_text.h"

namespace vantrelle::cli {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, OptionsInAnyOrderAndOnePath) {
    auto line = ParseCommandLine({"--on-error=stop", "/media/stick", "--recursive"});
    EXPECT_EQ(line.action, Action::Repair);
    EXPECT_TRUE(line.recursive);
    EXPECT_EQ(line.on_error, OnError::Stop);
    EXPECT_EQ(line.path, "/media/stick");

    auto plain = ParseCommandLine({"/media/stick/"});
    EXPECT_EQ(plain.action, Action::Repair);
    EXPECT_FALSE(plain.recursive);
    EXPECT_EQ(plain.on_error, OnError::Ask);
    EXPECT_EQ(plain.path, "/media/stick/");

    auto dashed = ParseCommandLine({"--", "--recursive"});
    EXPECT_EQ(dashed.action, Action::Repair);
    EXPECT_EQ(dashed.path, "--recursive");
    EXPECT_FALSE(dashed.recursive);
}

TEST(CommandLine, MistakesAreUsageErrors) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {""}, {"a", "b"}, {"--on-error=maybe", "a"}, {"--on-error", "a"}, {"-x", "a"}}) {
        auto line = ParseCommandLine(arguments);
        EXPECT_EQ(line.action, Action::UsageError) << ::testing::PrintToString(arguments);
        EXPECT_FALSE(line.problem.empty());
    }
    EXPECT_EQ(ParseCommandLine({"a", "--help"}).action, Action::Help);
}

TEST(CommandLine, CheckUpdateWithItsOwnOptionsOnly) {
    auto plain = ParseCommandLine({"--check-update"});
    EXPECT_EQ(plain.action, Action::CheckUpdate);
    EXPECT_EQ(plain.update_url, "");
    EXPECT_FALSE(plain.farsi);

    auto full = ParseCommandLine({"--language=fa", "--check-update", "--update-url=http://h/f"});
    EXPECT_EQ(full.action, Action::CheckUpdate);
    EXPECT_EQ(full.update_url, "http://h/f");
    EXPECT_TRUE(full.farsi);
    EXPECT_FALSE(ParseCommandLine({"--check-update", "--language=en"}).farsi);

    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"--check-update", "/media/stick"},
                                               {"--check-update", "--recursive"},
                                               {"--check-update", "--language=de"},
                                               {"--check-update", "--update-url="},
                                               {"--language=fa", "/media/stick"},
                                               {"--update-url=http://h/f"}}) {
        auto line = ParseCommandLine(arguments);
        EXPECT_EQ(line.action, Action::UsageError) << ::testing::PrintToString(arguments);
        EXPECT_FALSE(line.problem.empty());
    }
    // Only a build that has the check offers it.
    EXPECT_EQ(UsageText().find("--check-update") != std::string::npos, HasUpdateCheck());
    EXPECT_EQ(UsageLines().find("--check-update") != std::string::npos, HasUpdateCheck());
#ifdef _WIN32
    EXPECT_EQ(ParseCommandLine({"/?"}).action, Action::Help);
#else
    EXPECT_EQ(ParseCommandLine({"/?"}).path, "/?");
#endif
}

TEST(TerminalLines, CrLfAndLoneCrBecomeLineBreaks) {
    EXPECT_EQ(TerminalLines("a\rb\r\nc"), "a\nb\nc\n");
    EXPECT_EQ(TerminalLines(""), "\n");
    EXPECT_EQ(TerminalLines("a\r\r\n"), "a\n\n\n");
}

using engine::PromptAnswer;
using engine::PromptForm;

const files::Error kDenied{13, "Permission denied"};
const std::string kFolder = "/s", kEntry = "x", kNoEntry;
const engine::RepairFailure kQuestion{kDenied, kFolder, '/', kEntry, PromptForm::Question};

TEST(ConsoleRepairPrompt, AskReadsYesNoAndTakesTheEndOfInputAsNo) {
    std::istringstream answers("maybe\n  YES \nn\n");
    std::ostringstream console;
    ConsoleRepairPrompt prompt(OnError::Ask, answers, console, true);

    EXPECT_EQ(prompt.Failed(kQuestion), PromptAnswer::GoOn);
    EXPECT_EQ(prompt.Failed(kQuestion), PromptAnswer::Stop);
    EXPECT_EQ(prompt.Failed(kQuestion), PromptAnswer::Stop);  // input has ended

    const std::string shown = console.str();
    EXPECT_EQ(shown.rfind("Error 13\nAn error happened :\nPermission denied\nin File: /s/x\n"
                          "Do you want to continue fixing other files?\n[y/n] Please answer y "
                          "or n.\n[y/n] \n",
                          0),
              0u)
        << shown;
    EXPECT_NE(shown.find("end of input"), std::string::npos);
}

TEST(ConsoleRepairPrompt, PoliciesAnswerWithoutReadingButStillShowTheFailure) {
    std::istringstream answers("n\n");
    std::ostringstream console;
    ConsoleRepairPrompt go_on(OnError::Continue, answers, console, true);
    EXPECT_EQ(go_on.Failed(kQuestion), PromptAnswer::GoOn);
    ConsoleRepairPrompt stop(OnError::Stop, answers, console, true);
    EXPECT_EQ(stop.Failed(kQuestion), PromptAnswer::Stop);
    // A notice asks nothing, whatever the policy.
    ConsoleRepairPrompt ask(OnError::Ask, answers, console, true);
    const files::Error missing{2, "x"};
    EXPECT_EQ(ask.Failed({missing, kFolder, '/', kNoEntry, PromptForm::Notice}),
              PromptAnswer::Stop);

    EXPECT_EQ(console.str(),
              std::string("Error 13\nAn error happened :\nPermission denied\nin File: /s/x\n"
                          "Do you want to continue fixing other files?\n\n") +
                  "Error 13\nAn error happened :\nPermission denied\nin File: /s/x\n"
                  "Do you want to continue fixing other files?\n\n" +
                  "Error 2\nAn error happened :\nx\nin File: /s/\n\n");
    std::string unread;
    std::getline(answers, unread);
    EXPECT_EQ(unread, "n");
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
    std::istringstream answers;
    std::ostringstream console;
    ConsoleRepairPrompt prompt(OnError::Stop, answers, console, true);
    prompt.Failed({denied, folder, '\\', crafted, PromptForm::Question});
    EXPECT_EQ(console.str(),
              "Error 5\nAn error happened :\nAccess is denied.\nin File: E:\\s\\a\\x0d\\x0aDo you "
              "want to continue fixing other files?\\x0a\\xe2\\x80\\xaeexe.txt \\x5cx0a\\d\n"
              "Do you want to continue fixing other files?\n\n");
}

}  // namespace
}  // namespace vantrelle::cli
