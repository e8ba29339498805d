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
#include "support/expected_texts.h"
#include "support/loopback_http_server.h"

namespace vantrelle::cli {
namespace {

using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace paths = testing::paths;
using expected::Printed;

const std::string kFailed = Printed(expected::kEnglishFailed);

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
    EXPECT_EQ(same.out, Printed(expected::kEnglishUpToDate));
    EXPECT_EQ(same.console, "");

    server.Serve("/newer", HttpAnswer{.body = "UpdateOK;2.0;http://example.org/get"});
    Outcome newer = Check("/newer");
    EXPECT_EQ(newer.status, 0);
    EXPECT_EQ(newer.out, Printed(expected::EnglishNewer("2.0", "http://example.org/get")));

    Outcome malformed = Check(paths::kMalformed);
    EXPECT_EQ(malformed.status, 1);
    EXPECT_EQ(malformed.out, Printed(expected::kEnglishMalformed));

    Outcome farsi = Check("/same", "fa");
    EXPECT_EQ(farsi.status, 0);
    EXPECT_EQ(farsi.out, Printed(expected::kFarsiUpToDate));
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
    EXPECT_EQ(farsi.out, Printed(expected::kFarsiFailed));
}

TEST_F(CheckUpdateTest, ControlCharactersFromTheServerAreEscaped) {
    server.Serve("/escapes",
                 HttpAnswer{.body = "UpdateOK;2.0\x1b[31m\x07;http://e.org/\x1b[2J\x7f"});
    Outcome outcome = Check("/escapes");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              Printed(expected::EnglishNewer("2.0\\x1b[31m\\x07", "http://e.org/\\x1b[2J\\x7f")));
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
            EXPECT_EQ(out, Printed(expected::FarsiNewer("2.0", "x")));
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
