// The front end's whole flow over the in-memory volume: which routine runs, what is
// printed where, and the exit status.

#include "app/cli/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "app/cli/check_update.h"
#include "app/cli/console_repair_prompt.h"
#include "support/expected_texts.h"
#include "support/memory_volume.h"

namespace vantrelle::cli {
namespace {

using testing::MemoryVolume;

#ifdef _WIN32
constexpr int kNoSuchFolder = testing::kPathNotFound;
#else
constexpr int kNoSuchFolder = ENOENT;
#endif

const std::string kSuccess = expected::kEnglishSuccess + "\n";
const std::string kErrors = expected::kEnglishErrors + "\n";

struct Outcome {
    int status;
    std::string out;
    std::string console;
};

Outcome RunWith(MemoryVolume& volume, std::vector<std::string> arguments, std::string input = "",
                int terminal_width = 0) {
    std::istringstream answers(input);
    std::ostringstream out, console;
    const int status = RunCli(arguments, volume, answers, out, console, true, terminal_width);
    return {status, out.str(), console.str()};
}

class RunCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        volume.AddFolder("E:\\stick", files::kHidden);
        volume.AddFile("E:\\stick\\a", files::kHidden | files::kSystem);
        volume.AddFolder("E:\\stick\\d", files::kHidden);
        volume.AddFile("E:\\stick\\d\\inner", files::kHidden);
    }
    MemoryVolume volume;
};

TEST_F(RunCliTest, NormalModeByDefaultRecursiveOnRequest) {
    Outcome plain = RunWith(volume, {"E:\\stick"});
    EXPECT_EQ(plain.status, kExitSuccess);
    EXPECT_EQ(plain.out, kSuccess);
    // The counts follow the outcome on standard error, terminal or not.
    EXPECT_EQ(plain.console,
              "vantrelle-cli: E:\\stick: 2 reset, 0 already normal, 0 failed, 0 reserved folders "
              "left alone\n");
    EXPECT_EQ(volume.Attributes("E:\\stick\\a"), files::kNormal);
    EXPECT_EQ(volume.Attributes("E:\\stick\\d\\inner"), files::kHidden);

    Outcome recursive = RunWith(volume, {"--recursive", "E:\\stick"});
    EXPECT_EQ(recursive.status, kExitSuccess);
    EXPECT_EQ(volume.Attributes("E:\\stick\\d\\inner"), files::kNormal);
    EXPECT_EQ(volume.Attributes("E:\\stick"), files::kDirectory | files::kHidden);
}

TEST_F(RunCliTest, AnErrorAnsweredFromInputEndsInTheErrorsTextAndStatusOne) {
    volume.FailOn(testing::Op::SetAttr, "E:\\stick\\a", 1, testing::kNotReady,
                  "The device is not ready.");
    Outcome run = RunWith(volume, {"-q", "--on-error=ask", "E:\\stick"}, "y\n");
    EXPECT_EQ(run.status, kExitErrors);
    EXPECT_EQ(run.out, kErrors);
    EXPECT_EQ(run.console,
              "Error 21\nAn error happened :\nThe device is not ready.\nin File: E:\\stick\\a\n"
              "Do you want to continue fixing other files?\n[y/n/a] \n");
    EXPECT_EQ(volume.Attributes("E:\\stick\\d"), files::kDirectory);  // went on
}

TEST_F(RunCliTest, StopLeavesTheRestAndSaysTheFailureInOneLine) {
    volume.FailOn(testing::Op::GetFolder, "E:\\stick", 1, testing::kNotReady,
                  "The device is not ready.");
    Outcome run = RunWith(volume, {"-q", "--recursive", "--on-error=stop", "E:\\stick"});
    EXPECT_EQ(run.status, kExitErrors);
    EXPECT_EQ(run.out, kErrors);
    EXPECT_EQ(run.console, "vantrelle-cli: E:\\stick: Error 21: The device is not ready.\n");
    EXPECT_EQ(volume.Attributes("E:\\stick\\a"), files::kHidden | files::kSystem);
}

TEST_F(RunCliTest, ContinueGivesUpOnAnEntryWhoseListingAndResetKeepFailing) {
    // The listing gives ".", "..", "a", then fails for good with "a" current.
    volume.FailOn(testing::Op::DirNext, "E:\\stick", 3, testing::kNotReady,
                  "The device is not ready. (reading the folder)", MemoryVolume::kEveryTime);
    volume.FailOn(testing::Op::SetAttr, "E:\\stick\\a", 2, testing::kNotReady,
                  "The device is not ready. (resetting)", MemoryVolume::kEveryTime);
    Outcome run = RunWith(volume, {"-q", "--on-error=continue", "E:\\stick"});
    EXPECT_EQ(run.status, kExitErrors);
    EXPECT_EQ(run.out, kErrors);
    EXPECT_EQ(std::count(run.console.begin(), run.console.end(), '\n'),
              ConsoleRepairPrompt::kFailureLimit + 1)
        << run.console;
    EXPECT_TRUE(run.console.ends_with("E:\\stick\\a: failed 5 times in a row: giving up\n"))
        << run.console;
}

TEST_F(RunCliTest, SeveralPathsEachWithItsOutcomeAndTheWorstStatus) {
    volume.AddFolder("E:\\clean", 0);
    volume.AddFile("E:\\clean\\hidden", files::kHidden);
    volume.FailOn(testing::Op::SetAttr, "E:\\stick\\a", 1, testing::kNotReady,
                  "The device is not ready.");
    volume.FailOn(testing::Op::DirStart, "E:\\gone", 1, kNoSuchFolder, "Not there.");
    Outcome run = RunWith(volume, {"--on-error=continue", "E:\\gone", "E:\\stick", "E:\\clean"});
    EXPECT_EQ(run.status, kExitErrors);
    EXPECT_EQ(run.out, std::string("E:\\stick: ") + kErrors + "E:\\clean: " + kSuccess);
    EXPECT_EQ(run.console,
              "vantrelle-cli: E:\\gone: no such folder\n"
              "vantrelle-cli: E:\\stick\\a: Error 21: The device is not ready.\n"
              "vantrelle-cli: E:\\stick: 1 reset, 0 already normal, 1 failed, 0 reserved folders "
              "left alone\n"
              "vantrelle-cli: E:\\clean: 1 reset, 0 already normal, 0 failed, 0 reserved folders "
              "left alone\n");
    EXPECT_EQ(volume.Attributes("E:\\clean\\hidden"), files::kNormal);

    volume.FailOn(testing::Op::DirStart, "E:\\gone", 2, kNoSuchFolder, "Not there.");
    Outcome alone = RunWith(volume, {"E:\\gone"});
    EXPECT_EQ(alone.status, kExitErrors);
    EXPECT_EQ(alone.out, "");
}

TEST_F(RunCliTest, FarsiOutcomeTexts) {
    Outcome clean = RunWith(volume, {"--language=fa", "E:\\stick"});
    EXPECT_EQ(clean.out, expected::kSuccess + "\n");
    volume.FailOn(testing::Op::SetAttr, "E:\\stick\\a", 1, testing::kNotReady, "Not ready.");
    Outcome failed = RunWith(volume, {"--language", "fa", "--on-error=continue", "E:\\stick"});
    EXPECT_EQ(failed.status, kExitErrors);
    // The outcome is in Farsi; the prompts stay English.
    EXPECT_EQ(failed.out, expected::kErrors + "\n");
    EXPECT_NE(failed.console.find("Error 21: Not ready."), std::string::npos);
}

TEST_F(RunCliTest, UsageErrorsAndHelpTouchNothing) {
    Outcome usage = RunWith(volume, {"--recursive"});
    EXPECT_EQ(usage.status, kExitUsage);
    EXPECT_EQ(usage.out, "");
    EXPECT_NE(usage.console.find("PATH is missing"), std::string::npos);

    Outcome help = RunWith(volume, {"--help", "E:\\stick"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find("--on-error=ask"), std::string::npos);

    Outcome version = RunWith(volume, {"-V"});
    EXPECT_EQ(version.status, kExitSuccess);
    EXPECT_TRUE(version.out.starts_with("vantrelle-cli (Vantrelle) 1.0\n"));
    EXPECT_TRUE(volume.set_attr_calls().empty());
}

// A build without Qt has no update check and says so instead of trying.
TEST_F(RunCliTest, CheckUpdateWithoutQtIsAUsageError) {
    if (HasUpdateCheck()) {
        GTEST_SKIP() << "this build checks for updates";
    }
    Outcome outcome = RunWith(volume, {"--check-update"});
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.console.find("--check-update is not available"), std::string::npos);
}

// What a technician reads besides the outcome: the counts, each entry reset, progress.
TEST_F(RunCliTest, VerboseTellsEachEntryResetAndTheCounts) {
    volume.AddFile("E:\\stick\\plain");
    volume.AddFile("E:\\stick\\ro", files::kReadOnly | files::kArchive);
    volume.AddFolder("E:\\stick\\RECYCLER", files::kHidden);
    volume.FailOn(testing::Op::SetAttr, "E:\\stick\\ro", 1, testing::kAccessDenied,
                  "Access is denied.");

    Outcome run = RunWith(volume, {"-v", "--on-error=continue", "E:\\stick"});

    EXPECT_EQ(run.out,
              "reset    SH    E:\\stick\\a\n"
              "reset     H    E:\\stick\\d\n" +
                  std::string(kErrors));
    EXPECT_TRUE(
        run.console.ends_with("vantrelle-cli: E:\\stick: 2 reset, 1 already normal, 1 "
                              "failed, 1 reserved folder left alone\n"))
        << run.console;
    EXPECT_EQ(RunWith(volume, {"-q", "E:\\stick"}, "", 80).console, "");
}

TEST_F(RunCliTest, OnATerminalAProgressLineCutToItsWidthIsGoneBeforeThePromptsAndTheOutcome) {
    const std::string deep = "E:\\" + std::string(100, 'y');
    volume.AddFolder(deep);
    volume.AddFile(deep + "\\f", files::kHidden);
    const std::string wiped = "\r" + std::string(39, ' ') + "\r";

    // The line fills the width but its last column, the folder's path cut to fit.
    Outcome long_path = RunWith(volume, {deep}, "", 40);
    EXPECT_EQ(long_path.console,
              "\r1 seen, 1 reset, 0 failed: E:\\yyyyyyyyy" + wiped + "vantrelle-cli: " + deep +
                  ": 1 reset, 0 already normal, 0 failed, 0 reserved folders left alone\n");

    // A prompt starts on a clean line.
    volume.FailOn(testing::Op::SetAttr, "E:\\stick\\d\\inner", 1, testing::kAccessDenied,
                  "Access is denied.");
    Outcome prompted = RunWith(volume, {"-r", "E:\\stick"}, "y\n", 40);
    EXPECT_NE(prompted.console.find(wiped + "Error 5\n"), std::string::npos) << prompted.console;
    EXPECT_EQ(RunWith(volume, {"-r", "E:\\stick"}).console.find('\r'), std::string::npos);
}

TEST_F(RunCliTest, ListShowsWhatARepairWouldChangeAndChangesNothing) {
    volume.AddFolder("E:\\stick\\RECYCLER", files::kHidden);
    volume.AddFile("E:\\stick\\RECYCLER\\kept", files::kHidden);
    volume.AddFile("E:\\stick\\plain");

    Outcome run = RunWith(volume, {"--list", "-r", "E:\\stick"});

    EXPECT_EQ(run.status, kExitSuccess);
    // The walk is the repair's: the reserved folder itself, not what it holds.
    EXPECT_EQ(run.out,
              "   SH    E:\\stick\\a\n"
              "    H    E:\\stick\\d\n"
              "    H    E:\\stick\\d\\inner\n"
              "    H    E:\\stick\\RECYCLER\n"
              "4 entries would be reset\n");
    // Nor does its summary call anything reset.
    EXPECT_EQ(run.console,
              "vantrelle-cli: E:\\stick: 4 would be reset, 1 already normal, 0 failed, 1 reserved "
              "folder left alone\n");
    EXPECT_EQ(volume.Attributes("E:\\stick\\a"), files::kHidden | files::kSystem);
    EXPECT_EQ(volume.Attributes("E:\\stick\\RECYCLER") & files::kHidden, files::kHidden);
}

}  // namespace
}  // namespace vantrelle::cli
