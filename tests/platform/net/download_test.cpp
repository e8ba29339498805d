#include "platform/net/download.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QThread>
#include <QtGlobal>
#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_http_server.h"

namespace vantrelle::net {
namespace {

using namespace std::chrono_literals;
using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace paths = testing::paths;

// Short limits so that stalls end within the test; generous enough for a loaded machine.
TransferLimits Quick() {
    return {.stall = 1s, .total = 10s};
}

std::string Text(const AsyncProperty& property) {
    const auto& bytes = property.Value();
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<failed>");
}

// Collects the completions of the downloads it records for.
struct Completions {
    std::vector<AsyncProperty> seen;

    AsyncReadComplete Recorder() {
        return [this](const AsyncProperty& property) { seen.push_back(property); };
    }
    bool WaitFor(std::size_t count, std::chrono::milliseconds within = 15s) {
        return QTest::qWaitFor([&] { return seen.size() >= count; }, int(within.count()));
    }
};

// Records every Qt message while alive: abandoning a download must not produce any.
class QtMessages {
  public:
    QtMessages() { previous_ = qInstallMessageHandler(&Record); }
    ~QtMessages() { qInstallMessageHandler(previous_); }
    static std::vector<std::string>& seen() {
        static std::vector<std::string> messages;
        return messages;
    }

  private:
    static void Record(QtMsgType, const QMessageLogContext&, const QString& message) {
        seen().push_back(message.toStdString());
    }
    QtMessageHandler previous_;
};

class AsyncReadTest : public ::testing::Test {
  protected:
    // Starts one read, waits for its completion, and checks that it came from the event
    // loop and came once: a second one would follow the first within moments.
    AsyncProperty ReadOnce(const std::string& url, TransferLimits limits = Quick()) {
        Completions completions;
        const auto download = AsyncRead(url, completions.Recorder(), limits);
        EXPECT_TRUE(completions.seen.empty()) << "completed inside AsyncRead";
        EXPECT_TRUE(completions.WaitFor(1)) << url;
        QTest::qWait(300);
        EXPECT_EQ(completions.seen.size(), 1u) << url;
        if (completions.seen.empty()) {
            return AsyncProperty::Failed(url, TransferFailure::kNone);
        }
        EXPECT_EQ(completions.seen.front().Target(), url);
        return completions.seen.front();
    }

    AsyncProperty Read(const std::string& path, TransferLimits limits = Quick()) {
        return ReadOnce(server_.Url(path), limits);
    }

    LoopbackHttpServer server_;
};

TEST_F(AsyncReadTest, HandsOverEachServedBodyByteForByte) {
    EXPECT_EQ(Text(Read(paths::kUpdateFile)), testing::kGoodUpdateFile);
    EXPECT_EQ(Text(Read(paths::kMalformed)), testing::kMalformedUpdateFile);
    EXPECT_EQ(Text(Read(paths::kHtml)), testing::kHtmlPage);

    std::string every_byte;
    for (int byte = 0; byte < 256; ++byte) {
        every_byte += char(byte);
    }
    every_byte += "\xEF\xBB\xBF;\r\n;\r";
    server_.Serve("/bytes", {.body = every_byte, .content_type = "application/octet-stream"});
    EXPECT_EQ(Text(Read("/bytes")), every_byte);

    server_.Serve("/undeclared", {.body = testing::kGoodUpdateFile,
                                  .delivery = HttpAnswer::Delivery::kUndeclared});
    EXPECT_EQ(Text(Read("/undeclared")), testing::kGoodUpdateFile);
}

TEST_F(AsyncReadTest, AnEmptyBodyIsAnEmptyValueNotAFailure) {
    const AsyncProperty property = Read(paths::kEmpty);
    ASSERT_TRUE(property.Value().has_value());
    EXPECT_TRUE(property.Value()->empty());
    EXPECT_EQ(property.Failure(), TransferFailure::kNone);
}

TEST_F(AsyncReadTest, AsksTheServerEveryTimeWithoutCachingOrContentCoding) {
    Read(paths::kUpdateFile);
    Read(paths::kUpdateFile);
    EXPECT_EQ(server_.Requests(paths::kUpdateFile), 2);
    EXPECT_EQ(server_.LastHeader(paths::kUpdateFile, "cache-control"), "no-cache");
    EXPECT_EQ(server_.LastHeader(paths::kUpdateFile, "accept-encoding"), "identity");
}

TEST_F(AsyncReadTest, AnErrorStatusFailsEvenWhenItsBodyLooksRight) {
    for (const char* path : {paths::kNotFound, paths::kServerError, "/unknown"}) {
        const AsyncProperty property = Read(path);
        EXPECT_FALSE(property.Value().has_value()) << path;
        EXPECT_EQ(property.Failure(), TransferFailure::kHttpStatus) << path;
    }
}

TEST_F(AsyncReadTest, FollowsARedirectButNotALoopOrALocalFile) {
    EXPECT_EQ(Text(Read(paths::kRedirect)), testing::kGoodUpdateFile);

    const AsyncProperty loop = Read(paths::kRedirectLoop);
    EXPECT_FALSE(loop.Value().has_value());
    EXPECT_LE(server_.Requests(paths::kRedirectLoop), 6);

    EXPECT_FALSE(Read(paths::kRedirectToFile).Value().has_value());
}

TEST_F(AsyncReadTest, ABodyUpToTheLimitPassesAndOneByteMoreFails) {
    server_.Serve("/limit", {.body = std::string(1024 * 1024, 'x')});
    EXPECT_EQ(Read("/limit").Value()->size(), 1024u * 1024u);

    const AsyncProperty declared = Read(paths::kOversized);
    EXPECT_FALSE(declared.Value().has_value());
    EXPECT_EQ(declared.Failure(), TransferFailure::kTooLarge);

    server_.Serve("/oversized-undeclared", {.body = std::string(1024 * 1024 + 1, 'x'),
                                            .delivery = HttpAnswer::Delivery::kUndeclared});
    EXPECT_EQ(Read("/oversized-undeclared").Failure(), TransferFailure::kTooLarge);
}

TEST_F(AsyncReadTest, AnEndlessBodyIsCutOffSoonAfterTheLimit) {
    const AsyncProperty property = Read(paths::kEndless);
    EXPECT_EQ(property.Failure(), TransferFailure::kTooLarge);
    // The client stops reading at the limit and closes; what the server still got out went
    // into socket buffers, a few MiB at most on loopback.
    EXPECT_LT(server_.BodyBytesSent(paths::kEndless), testing::kEndlessCap / 4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 0; }, 5000));
}

TEST_F(AsyncReadTest, ConnectionsThatCannotBeMadeOrBreakFail) {
    const AsyncProperty refused =
        ReadOnce("http://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()) + "/x");
    EXPECT_EQ(refused.Failure(), TransferFailure::kConnection);

    QElapsedTimer clock;
    clock.start();
    const AsyncProperty unresolvable =
        ReadOnce("http://vantrelle-update.invalid/appupdate/vtr/vtr.auf", {.stall = 30s});
    EXPECT_EQ(unresolvable.Failure(), TransferFailure::kConnection);
    EXPECT_LT(clock.elapsed(), 15000);

    const AsyncProperty cut = Read(paths::kCut);
    EXPECT_FALSE(cut.Value().has_value());
    EXPECT_EQ(cut.Failure(), TransferFailure::kIncomplete);
}

TEST_F(AsyncReadTest, ASilentOrStalledServerFailsAfterTheStallLimit) {
    for (const char* path : {paths::kSilent, paths::kStall}) {
        QElapsedTimer clock;
        clock.start();
        const AsyncProperty property = Read(path, {.stall = 1s});
        EXPECT_EQ(property.Failure(), TransferFailure::kStalled) << path;
        EXPECT_GE(clock.elapsed(), 1000) << path;
        EXPECT_LT(clock.elapsed(), 5000) << path;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 0; }, 5000));
}

TEST_F(AsyncReadTest, SteadyProgressKeepsASlowTransferAliveUntilTheTotalLimit) {
    // Eight pieces 300 ms apart: longer than the stall limit in all, never idle that long.
    EXPECT_EQ(Text(Read(paths::kTrickle, {.stall = 1s, .total = 10s})), testing::kGoodUpdateFile);
    EXPECT_EQ(Read(paths::kTrickle, {.stall = 1s, .total = 1500ms}).Failure(),
              TransferFailure::kTooSlow);
}

TEST_F(AsyncReadTest, ARequestThatCannotStartFailsLaterFromTheEventLoop) {
    for (const std::string url :
         {"", "not an address", "vtr.auf", "http://", "http:///vtr.auf", "ftp://127.0.0.1/vtr.auf",
          "file:///etc/hostname", "http://exa mple.org/vtr.auf"}) {
        const AsyncProperty property = ReadOnce(url);
        EXPECT_FALSE(property.Value().has_value()) << url;
        EXPECT_EQ(property.Failure(), TransferFailure::kCannotStart) << url;
    }
}

TEST_F(AsyncReadTest, EachOfSeveralReadsCompletesOnceWithItsOwnOutcome) {
    Completions completions;
    std::vector<std::unique_ptr<Download>> downloads;
    const std::string good = server_.Url(paths::kUpdateFile);
    const std::string missing = server_.Url(paths::kNotFound);
    const std::string stalled = server_.Url(paths::kSilent);
    const std::string bad = "gopher://127.0.0.1/";
    for (const std::string& url : {good, missing, stalled, bad}) {
        downloads.push_back(AsyncRead(url, completions.Recorder(), Quick()));
    }
    ASSERT_TRUE(completions.WaitFor(4));
    // Past the stall and a moment more: the finished ones must not come back.
    QTest::qWait(1500);
    ASSERT_EQ(completions.seen.size(), 4u);

    std::set<std::string> targets;
    for (const AsyncProperty& property : completions.seen) {
        targets.insert(property.Target());
        const TransferFailure expected =
            property.Target() == good      ? TransferFailure::kNone
            : property.Target() == missing ? TransferFailure::kHttpStatus
            : property.Target() == stalled ? TransferFailure::kStalled
                                           : TransferFailure::kCannotStart;
        EXPECT_EQ(property.Failure(), expected) << property.Target();
    }
    EXPECT_EQ(targets, (std::set<std::string>{good, missing, stalled, bad}));
}

TEST_F(AsyncReadTest, DestroyingTheDownloadAbandonsItSilently) {
    QtMessages messages;
    Completions completions;
    {
        std::vector<std::unique_ptr<Download>> downloads;
        for (const char* path : {paths::kSilent, paths::kStall, paths::kTrickle}) {
            downloads.push_back(
                AsyncRead(server_.Url(path), completions.Recorder(), {.stall = 2s}));
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 3; }, 5000));
        QTest::qWait(400);  // the stalled body and a trickled piece are on their way
        // Its failure is posted, not yet delivered.
        downloads.push_back(AsyncRead("not an address", completions.Recorder(), {.stall = 2s}));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 0; }, 5000));
    QTest::qWait(2500);  // past the stall limit
    EXPECT_TRUE(completions.seen.empty());
    EXPECT_TRUE(QtMessages::seen().empty()) << QtMessages::seen().front();
}

TEST_F(AsyncReadTest, TheCompletionHandlerMayDestroyItsDownload) {
    std::vector<AsyncProperty> seen;
    std::unique_ptr<Download> download;
    download = AsyncRead(
        server_.Url(paths::kUpdateFile),
        [&](const AsyncProperty& property) {
            seen.push_back(property);
            download.reset();
        },
        Quick());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.empty(); }, 5000));
    QTest::qWait(1500);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(Text(seen.front()), testing::kGoodUpdateFile);
    EXPECT_EQ(download, nullptr);
}

// The user-interface thread can be busy for a long time (a repair runs inside its button's
// handler). A download that ended meanwhile must be handed over afterwards, not be taken
// for stalled because its limit ran out while nobody was looking.
TEST(AsyncReadBusyThreadTest, ADownloadThatEndedWhileTheThreadWasBusyIsHandedOver) {
    std::promise<std::pair<std::string, QEventLoop*>> started;
    std::unique_ptr<QThread> server_thread(QThread::create([&] {
        LoopbackHttpServer server;
        QEventLoop loop;
        started.set_value({server.Url(paths::kUpdateFile), &loop});
        loop.exec();
    }));
    server_thread->start();
    const auto [url, server_loop] = started.get_future().get();

    Completions completions;
    {
        const auto download = AsyncRead(url, completions.Recorder(), {.stall = 1s, .total = 2s});
        QTest::qWait(300);  // the request goes out from the event loop
        std::this_thread::sleep_for(3s);
        EXPECT_TRUE(completions.WaitFor(1, 5s));
    }
    QMetaObject::invokeMethod(server_loop, &QEventLoop::quit, Qt::QueuedConnection);
    server_thread->wait();

    ASSERT_EQ(completions.seen.size(), 1u);
    EXPECT_EQ(Text(completions.seen.front()), testing::kGoodUpdateFile)
        << int(completions.seen.front().Failure());
}

}  // namespace
}  // namespace vantrelle::net
