// Servers that misbehave on purpose: whatever they send, a download ends soon on a failure
// (or on the body a well-formed reply carries), abandoning it is immediate and stops the
// transfer, and the user-interface thread is never held up for long.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/download.h"
#include "support/loopback_http_server.h"

namespace vantrelle::net {
namespace {

using namespace std::chrono_literals;
using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace paths = testing::paths;
using Delivery = HttpAnswer::Delivery;

constexpr qint64 kLongestGapMs = 100;

// The longest time the event loop went without running a 5 ms timer, while alive.
class EventLoopGaps {
  public:
    EventLoopGaps() {
        clock_.start();
        QObject::connect(&tick_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        tick_.start(5);
    }
    qint64 Longest() { return std::max(longest_, clock_.elapsed()); }

  private:
    QTimer tick_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

class HostileServerTest : public ::testing::Test {
  protected:
    // Reads `path` once, checking that the event loop kept running meanwhile.
    AsyncProperty Read(const std::string& path) {
        std::optional<AsyncProperty> outcome;
        EventLoopGaps gaps;
        const auto download =
            AsyncRead(server_.Url(path), [&](const AsyncProperty& property) { outcome = property; },
                      {.stall = 2s, .total = 10s});
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 15000)) << path;
        EXPECT_LE(gaps.Longest(), kLongestGapMs) << path;
        return outcome.value_or(AsyncProperty::Failed("", TransferFailure::kNone));
    }

    std::string Text(const std::string& path) {
        const AsyncProperty property = Read(path);
        const auto& bytes = property.Value();
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<failed>");
    }

    LoopbackHttpServer server_;
};

TEST_F(HostileServerTest, HeadersWithoutEndFailSoonAndStopTheTransfer) {
    for (const char* path :
         {paths::kHeaderFlood, paths::kEndlessHeaderLine, paths::kEndlessContinue}) {
        QElapsedTimer clock;
        clock.start();
        const AsyncProperty property = Read(path);
        EXPECT_FALSE(property.Value().has_value()) << path;
        EXPECT_EQ(property.Failure(), TransferFailure::kMalformedReply) << path;
        EXPECT_LT(clock.elapsed(), 1500) << path;
        EXPECT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 0; }, 2000)) << path;
        // What got out before the client closed went into socket buffers, a few MiB at most.
        EXPECT_LT(server_.BytesSent(path), testing::kEndlessCap / 8) << path;
    }
}

TEST_F(HostileServerTest, AbandoningIsImmediateWhateverTheServerIsSending) {
    for (const char* path :
         {paths::kHeaderFlood, paths::kEndlessHeaderLine, paths::kEndlessContinue, paths::kEndless,
          paths::kSilent, paths::kStall, paths::kTrickle}) {
        bool abandoned = false;
        bool completed_after = false;
        EventLoopGaps gaps;
        auto download = AsyncRead(server_.Url(path),
                                  [&](const AsyncProperty&) { completed_after = abandoned; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return server_.Requests(path) == 1; }, 5000)) << path;
        QTest::qWait(20);  // the first bytes are on their way
        QElapsedTimer clock;
        clock.start();
        download.reset();
        abandoned = true;
        EXPECT_LT(clock.elapsed(), 20) << path;
        EXPECT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 0; }, 1000)) << path;
        const std::int64_t sent = server_.BytesSent(path);
        QTest::qWait(300);
        EXPECT_EQ(server_.BytesSent(path), sent) << path << ": still reading";
        EXPECT_FALSE(completed_after) << path;
        EXPECT_LE(gaps.Longest(), kLongestGapMs) << path;
    }
}

TEST_F(HostileServerTest, AResetBeforeTheCleanEndIsAFailedTransfer) {
    const AsyncProperty property = Read(paths::kReset);
    EXPECT_FALSE(property.Value().has_value());
    EXPECT_EQ(property.Failure(), TransferFailure::kConnection);
}

TEST_F(HostileServerTest, AContentLengthThatIsNotOneNumberFails) {
    const std::string body = testing::kGoodUpdateFile;
    const std::string length = std::to_string(body.size());
    for (const std::string& header :
         std::vector<std::string>{"Content-Length: abc", "Content-Length: 99999999999999999999999",
                                  "Content-Length: -1", "Content-Length: " + length + "abc",
                                  "Content-Length: " + length + "\r\nContent-Length: 3",
                                  "Content-Length: " + length + ", 3"}) {
        server_.Serve("/length", {.body = body,
                                  .head = "HTTP/1.1 200 OK\r\n" + header + "\r\n\r\n",
                                  .delivery = Delivery::kUndeclared});
        const AsyncProperty property = Read("/length");
        EXPECT_FALSE(property.Value().has_value()) << header;
    }
    // The same value twice is still one length.
    server_.Serve("/length", {.body = body,
                              .head = "HTTP/1.1 200 OK\r\nContent-Length: " + length +
                                      "\r\nContent-Length: " + length + "\r\n\r\n",
                              .delivery = Delivery::kUndeclared});
    EXPECT_EQ(Text("/length"), body);
}

TEST_F(HostileServerTest, InterimRepliesBeforeTheFinalOneAreSkipped) {
    for (const char* interim : {"100 Continue", "102 Processing", "103 Early Hints"}) {
        server_.Serve("/interim",
                      {.body = testing::kGoodUpdateFile,
                       .head = std::string("HTTP/1.1 ") + interim +
                               "\r\nLink: </style.css>\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: " +
                               std::to_string(sizeof testing::kGoodUpdateFile - 1) + "\r\n\r\n",
                       .delivery = Delivery::kUndeclared});
        EXPECT_EQ(Text("/interim"), testing::kGoodUpdateFile) << interim;
    }
}

TEST_F(HostileServerTest, AClosedOrResetConnectionIsNotAskedAgain) {
    for (const char* path : {paths::kClosedUnanswered, paths::kResetUnanswered}) {
        EXPECT_EQ(Read(path).Failure(), TransferFailure::kConnection) << path;
        QTest::qWait(300);
        EXPECT_EQ(server_.Requests(path), 1) << path;
    }
}

TEST_F(HostileServerTest, ARedirectChainAsksEachHopOnceAndStopsAfterFive) {
    const auto chain = [&](const std::string& name, int hops) {
        for (int hop = 0; hop < hops; ++hop) {
            const std::string next =
                hop + 1 < hops ? name + std::to_string(hop + 1) : std::string(paths::kUpdateFile);
            server_.Serve(name + std::to_string(hop),
                          {.status = 302, .location = server_.Url(next)});
        }
        return name + "0";
    };
    EXPECT_EQ(Text(chain("/five", 5)), testing::kGoodUpdateFile);
    for (int hop = 0; hop < 5; ++hop) {
        EXPECT_EQ(server_.Requests("/five" + std::to_string(hop)), 1) << hop;
    }
    EXPECT_EQ(server_.Requests(paths::kUpdateFile), 1);

    EXPECT_EQ(Read(chain("/six", 6)).Failure(), TransferFailure::kHttpStatus);
    EXPECT_EQ(server_.Requests("/six5"), 1);
    EXPECT_EQ(server_.Requests(paths::kUpdateFile), 1) << "a sixth redirect was followed";
}

}  // namespace
}  // namespace vantrelle::net
