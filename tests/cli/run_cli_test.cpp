// The front end's whole flow over the in-memory volume: which routine runs, what is
// printed where, and the exit status.

#include "app/cli/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "app/cli/check_update.h"
#include "app/cli/console_repair_prompt.h"
#include "support/memory_volume.h"

namespace vantrelle::cli {
namespace {

using testing::MemoryVolume;

#ifdef _WIN32
constexpr int kNoSuchFolder = testing::kPathNotFound;
#else
constexpr int kNoSuchFolder = ENOENT;
#endif

constexpr const char* kSuccess = "All files fixed successfully.\n";
constexpr const char* kErrors =
    "File procceing is complete. but it seems there have been some errors , some files may "
    "have remain hidden.\n";

struct Outcome {
    int status;
    std::string out;
    std::string console;
};

Outcome RunWith(MemoryVolume& volume, std::vector<std::string> arguments, std::string input = "") {
    std::istringstream answers(input);
    std::ostringstream out, console;
    const int status = RunCli(arguments, volume, answers, out, console, true);
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
    EXPECT_EQ(plain.console, "");
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
    Outcome run = RunWith(volume, {"--on-error=ask", "E:\\stick"}, "y\n");
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
    Outcome run = RunWith(volume, {"--recursive", "--on-error=stop", "E:\\stick"});
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
    Outcome run = RunWith(volume, {"--on-error=continue", "E:\\stick"});
    EXPECT_EQ(run.status, kExitErrors);
    EXPECT_EQ(run.out, kErrors);
    EXPECT_EQ(std::count(run.console.begin(), run.console.end(), '\n'),
              ConsoleRepairPrompt::kFailureLimit + 1)
        << run.console;
    EXPECT_TRUE(run.console.ends_with("E:\\stick\\a: failed 5 times in a row: giving up\n"))
        << run.console;
}

TEST_F(RunCliTest, AFolderThatDoesNotExistIsSaidInOneLineWithoutAnOutcome) {
    volume.FailOn(testing::Op::DirStart, "E:\\gone", 1, kNoSuchFolder, "Not there.");
    Outcome run = RunWith(volume, {"E:\\gone"});
    EXPECT_EQ(run.status, kExitErrors);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.console, "vantrelle-cli: E:\\gone: no such folder\n");
}

TEST_F(RunCliTest, UsageErrorsAndHelpTouchNothing) {
    Outcome usage = RunWith(volume, {"--recursive"});
    EXPECT_EQ(usage.status, kExitUsage);
    EXPECT_EQ(usage.out, "");
    EXPECT_NE(usage.console.find("PATH is missing"), std::string::npos);

    Outcome help = RunWith(volume, {"--help", "E:\\stick"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find("--on-error=ask"), std::string::npos);
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

}  // namespace
}  // namespace vantrelle::cli
