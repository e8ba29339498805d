// Servers that misbehave on purpose: a download ends soon, on a failure or on the body of
// a well-formed final reply, abandoning it is immediate and stops the transfer, and the
// event loop never stalls for more than 100 ms meanwhile.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/download.h"
#include "support/loopback_http_server.h"

namespace vantrelle::net {
namespace {

using namespace std::chrono_literals;
namespace paths = testing::paths;
using Delivery = testing::HttpAnswer::Delivery;

// The longest time the event loop went without running a 5 ms timer.
struct EventLoopGaps {
    EventLoopGaps() {
        clock.start();
        QObject::connect(&tick, &QTimer::timeout,
                         [this] { longest = std::max(longest, clock.restart()); });
        tick.start(5);
    }
    QTimer tick;
    QElapsedTimer clock;
    qint64 longest = 0;
};

class HostileServerTest : public ::testing::Test {
  protected:
    std::optional<std::string> Read(const std::string& path) {
        std::optional<AsyncProperty> outcome;
        EventLoopGaps gaps;
        const auto download =
            AsyncRead(server_.Url(path), [&](const AsyncProperty& property) { outcome = property; },
                      {.stall = 2s});
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 15000)) << path;
        EXPECT_LE(std::max(gaps.longest, gaps.clock.elapsed()), 100) << path;
        failure_ = outcome ? outcome->Failure() : TransferFailure::kNone;
        if (!outcome || !outcome->Value()) {
            return std::nullopt;
        }
        return std::string(outcome->Value()->begin(), outcome->Value()->end());
    }
    void Serve(const std::string& head, const std::string& body) {
        server_.Serve("/head", {.body = body, .head = head, .delivery = Delivery::kUndeclared});
    }

    testing::LoopbackHttpServer server_;
    TransferFailure failure_ = TransferFailure::kNone;
};

TEST_F(HostileServerTest, HeadersWithoutEndFailSoonAndStopTheTransfer) {
    for (const char* path :
         {paths::kHeaderFlood, paths::kEndlessHeaderLine, paths::kEndlessContinue}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(Read(path), std::nullopt) << path;
        EXPECT_EQ(failure_, TransferFailure::kMalformedReply) << path;
        EXPECT_LT(clock.elapsed(), 1500) << path;
        EXPECT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 0; }, 2000));
        EXPECT_LT(server_.BytesSent(path), testing::kEndlessCap / 8) << path;
    }
}

TEST_F(HostileServerTest, AbandoningIsImmediateWhateverTheServerIsSending) {
    for (const char* path : {paths::kHeaderFlood, paths::kEndlessContinue, paths::kEndless,
                             paths::kSilent, paths::kTrickle}) {
        bool abandoned = false, completed_after = false;
        auto download = AsyncRead(server_.Url(path),
                                  [&](const AsyncProperty&) { completed_after = abandoned; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return server_.Requests(path) == 1; }, 5000)) << path;
        QTest::qWait(20);  // the first bytes are on their way
        QElapsedTimer clock;
        clock.start();
        download.reset();
        abandoned = true;
        EXPECT_LT(clock.elapsed(), 20) << path;
        EXPECT_TRUE(QTest::qWaitFor([&] { return server_.OpenConnections() == 0; }, 1000));
        const std::int64_t sent = server_.BytesSent(path);
        QTest::qWait(300);
        EXPECT_EQ(server_.BytesSent(path), sent) << path << ": still reading";
        EXPECT_FALSE(completed_after) << path;
    }
}

TEST_F(HostileServerTest, AResetBeforeTheCleanEndIsAFailedTransfer) {
    EXPECT_EQ(Read(paths::kReset), std::nullopt);
    EXPECT_EQ(failure_, TransferFailure::kConnection);
}

TEST_F(HostileServerTest, AContentLengthThatIsNotOneNumberFails) {
    const std::string body = testing::kGoodUpdateFile;
    const std::string length = "Content-Length: " + std::to_string(body.size());
    for (const std::string& header : std::vector<std::string>{
             "Content-Length: abc", "Content-Length: 99999999999999999999999", "Content-Length: -1",
             length + "abc", length + "\r\nContent-Length: 3", length + ", 3"}) {
        Serve("HTTP/1.1 200 OK\r\n" + header + "\r\n\r\n", body);
        EXPECT_EQ(Read("/head"), std::nullopt) << header;
    }
    Serve("HTTP/1.1 200 OK\r\n" + length + "\r\n" + length + "\r\n\r\n", body);
    EXPECT_EQ(Read("/head"), body) << "the same length twice";
}

TEST_F(HostileServerTest, InterimRepliesBeforeTheFinalOneAreSkipped) {
    const std::string body = testing::kGoodUpdateFile;
    for (const char* interim : {"100 Continue", "102 Processing", "103 Early Hints"}) {
        Serve(std::string("HTTP/1.1 ") + interim + "\r\nLink: </a.css>\r\n\r\n" +
                  "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n",
              body);
        EXPECT_EQ(Read("/head"), body) << interim;
    }
}

TEST_F(HostileServerTest, OneRequestPerHopNeverSentAgainAndAtMostFiveRedirects) {
    for (const char* path : {paths::kClosedUnanswered, paths::kResetUnanswered}) {
        EXPECT_EQ(Read(path), std::nullopt) << path;
        QTest::qWait(300);
        EXPECT_EQ(server_.Requests(path), 1) << path;
    }
    for (int hops : {5, 6}) {
        const std::string name = "/chain" + std::to_string(hops) + "-";
        for (int hop = 0; hop < hops; ++hop) {
            const std::string next =
                hop + 1 < hops ? name + std::to_string(hop + 1) : std::string(paths::kUpdateFile);
            server_.Serve(name + std::to_string(hop),
                          {.status = 302, .location = server_.Url(next)});
        }
        EXPECT_EQ(Read(name + "0").has_value(), hops == 5) << hops;
        for (int hop = 0; hop < hops; ++hop) {
            EXPECT_EQ(server_.Requests(name + std::to_string(hop)), 1) << hops << " " << hop;
        }
        EXPECT_EQ(server_.Requests(paths::kUpdateFile), 1) << hops;
    }
}

}  // namespace
}  // namespace vantrelle::net
