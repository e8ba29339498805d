// vantrelle-cli --check-update against a loopback server: in process through the module's
// entry point, and as the real program, which loads the module.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <sstream>
#include <string>

#include "app/cli/command_line.h"
#include "app/cli/update_check_module.h"
#include "support/loopback_http_server.h"
#include "update/code_points.h"
#include "update/site.h"

namespace vantrelle::cli {
namespace {

using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace paths = testing::paths;
using update::Farsi;

constexpr const char* kFailed =
    "An error has occurred while communicating with the remote server.\n"
    "Please check your internet connection or try again later.\n";

struct Outcome {
    int status;
    std::string out;
    std::string console;
};

class CheckUpdateTest : public ::testing::Test {
  protected:
    Outcome Run(std::vector<std::string> arguments) {
        std::ostringstream out, console;
        const int status = vantrelle_cli_check_update(ParseCommandLine(arguments), out, console);
        return {status, out.str(), console.str()};
    }
    Outcome Check(const std::string& path, const std::string& language = "en") {
        return Run(
            {"--check-update", "--update-url=" + server.Url(path), "--language=" + language});
    }
    LoopbackHttpServer server;
};

TEST_F(CheckUpdateTest, VerdictsPrintTheirTextAndExitStatus) {
    server.Serve("/same", HttpAnswer{.body = "UpdateOK;1.0;x"});
    Outcome same = Check("/same");
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "Your Application is up to date (Version 1.0)\n");
    EXPECT_EQ(same.console, "");

    server.Serve("/newer", HttpAnswer{.body = "UpdateOK;2.0;http://example.org/get"});
    Outcome newer = Check("/newer");
    EXPECT_EQ(newer.status, 0);
    EXPECT_EQ(newer.out,
              "There in a new version available (Version 2.0 )\n"
              "You are using version 1.0\n"
              "To download update go to: http://example.org/get\n");

    Outcome malformed = Check(paths::kMalformed);
    EXPECT_EQ(malformed.status, 1);
    EXPECT_EQ(malformed.out, "Problem on Data recevied from server.\nPlease check if " +
                                 std::string(site::SiteHost) +
                                 " is opening correctly , Then contact support team\n");

    Outcome farsi = Check("/same", "fa");
    EXPECT_EQ(farsi.status, 0);
    EXPECT_EQ(farsi.out, Farsi("$mA Az |xryn nsxh brnAmh AstfAdh my knyd ( nsxh 1.0)") + "\n");
}

TEST_F(CheckUpdateTest, FailedTransfersExitOneWithTheCommunicationError) {
    for (const std::string& path : {std::string(paths::kEmpty), std::string(paths::kNotFound),
                                    std::string(paths::kOversized)}) {
        Outcome outcome = Check(path);
        EXPECT_EQ(outcome.status, 1) << path;
        EXPECT_EQ(outcome.out, kFailed) << path;
    }
    Outcome refused =
        Run({"--check-update", "--update-url=http://127.0.0.1:" +
                                   std::to_string(testing::UnusedLoopbackPort()) + "/vtr.auf"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, kFailed);

    Outcome farsi = Check(paths::kNotFound, "fa");
    EXPECT_EQ(farsi.status, 1);
    EXPECT_EQ(farsi.out, Farsi("dr ArtbAT bA srwr xTAyy rx dAdh Ast.") + "\n" +
                             Farsi("lTfA Az kArkrd SHyH Ayntrnt xwd ATmynAn HASl krdh w yA bEdA "
                                   "tlA$ knyd") +
                             "\n");
}

TEST_F(CheckUpdateTest, ControlCharactersFromTheServerAreEscaped) {
    server.Serve("/escapes",
                 HttpAnswer{.body = "UpdateOK;2.0\x1b[31m\x07;http://e.org/\x1b[2J\x7f"});
    Outcome outcome = Check("/escapes");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              "There in a new version available (Version 2.0\\x1b[31m\\x07 )\n"
              "You are using version 1.0\n"
              "To download update go to: http://e.org/\\x1b[2J\\x7f\n");
}

TEST_F(CheckUpdateTest, TheRealProgramPrintsUtf8AndExits) {
    server.Serve("/newer", HttpAnswer{.body = "UpdateOK;2.0;x"});
    for (const auto& [path, language, status] :
         {std::tuple{std::string("/newer"), "fa", 0},
          std::tuple{std::string(paths::kNotFound), "en", 1}}) {
        QProcess program;
        program.start(QStringLiteral(VANTRELLE_CLI_PATH),
                      {QStringLiteral("--check-update"),
                       QString::fromStdString("--update-url=" + server.Url(path)),
                       QStringLiteral("--language=") + QLatin1String(language)});
        // The server answers from this event loop, so the wait must keep it running.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), status) << path;
        const std::string out = program.readAllStandardOutput().toStdString();
        if (status == 0) {
            EXPECT_EQ(out, Farsi("nsxh jdyd Az brnAmh |mAdh $dh (nsxh ") + "2.0 )\n" +
                               Farsi("$mA Az nsxh 1.0 AstfAdh my knyd") + "\n" +
                               Farsi("brAy dryAft nsxh jdyd bh |drs fwq mrAjEh knyd : ") + "x\n");
        } else {
            EXPECT_EQ(out, kFailed);
        }
    }
}

}  // namespace
}  // namespace vantrelle::cli

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
