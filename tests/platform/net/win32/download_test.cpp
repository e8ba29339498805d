// The WinHTTP download against the loopback server, which runs as a Linux program beside
// Wine (VANTRELLE_LOOPBACK: its base address; VANTRELLE_REFUSED_PORT: a closed port).

#include "platform/net/download.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace vantrelle::net {
namespace {

using namespace std::chrono_literals;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool Pump(const std::function<bool()>& done, int milliseconds) {
    const ULONGLONG until = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= until) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

class DownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base_ = Env("VANTRELLE_LOOPBACK");
        if (base_.empty()) {
            GTEST_SKIP() << "VANTRELLE_LOOPBACK names no server";
        }
    }

    // One read to its end: its single completion, which never comes inside AsyncRead.
    AsyncProperty Read(const std::string& url,
                       TransferLimits limits = {.stall = 1s, .total = 10s}) {
        std::vector<AsyncProperty> seen;
        auto download = AsyncRead(
            url, [&](const AsyncProperty& p) { seen.push_back(p); }, limits);
        EXPECT_TRUE(seen.empty()) << "completed inside AsyncRead";
        EXPECT_TRUE(Pump([&] { return !seen.empty(); }, 15000)) << url;
        Pump([] { return false; }, 200);
        EXPECT_EQ(seen.size(), 1u) << url;
        return seen.empty() ? AsyncProperty::Failed(url, TransferFailure::kNone) : seen.front();
    }

    std::string Text(const std::string& path, TransferLimits limits = {.stall = 1s, .total = 10s}) {
        const AsyncProperty property = Read(base_ + path, limits);
        const auto& bytes = property.Value();
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<failed>";
    }

    TransferFailure Failure(const std::string& path,
                            TransferLimits limits = {.stall = 1s, .total = 10s}) {
        return Read(base_ + path, limits).Failure();
    }

    std::string base_;
};

TEST_F(DownloadTest, HandsOverTheBodyAsSentAndAnEmptyBodyAsEmpty) {
    EXPECT_EQ(Text("/appupdate/vtr/vtr.auf"), "UpdateOK;2.0;http://vantrelle.example.org/download");
    EXPECT_EQ(Text("/redirect"), "UpdateOK;2.0;http://vantrelle.example.org/download");
    EXPECT_EQ(Text("/empty"), "");
    EXPECT_EQ(Text("/limit").size(), 1024u * 1024u);
    EXPECT_NE(Text("/_state").find("cache-control=no-cache accept-encoding=identity"),
              std::string::npos);
}

TEST_F(DownloadTest, ErrorStatusesRedirectLoopsAndLocalFilesFail) {
    EXPECT_EQ(Failure("/missing"), TransferFailure::kHttpStatus);
    EXPECT_EQ(Failure("/error"), TransferFailure::kHttpStatus);
    EXPECT_EQ(Failure("/loop"), TransferFailure::kHttpStatus);
    EXPECT_EQ(Failure("/to-file"), TransferFailure::kHttpStatus);
}

TEST_F(DownloadTest, MoreThanOneMebibyteFailsDeclaredOrNot) {
    EXPECT_EQ(Failure("/oversized"), TransferFailure::kTooLarge);
    EXPECT_EQ(Failure("/oversized-undeclared"), TransferFailure::kTooLarge);
    EXPECT_EQ(Failure("/endless"), TransferFailure::kTooLarge);
}

TEST_F(DownloadTest, BrokenSilentAndSlowTransfersFailForTheirReason) {
    const std::string refused = "http://127.0.0.1:" + Env("VANTRELLE_REFUSED_PORT") + "/x";
    EXPECT_EQ(Read(refused).Failure(), TransferFailure::kConnection);
    EXPECT_FALSE(Read(base_ + "/cut").Value().has_value());
    const ULONGLONG before = GetTickCount64();
    EXPECT_EQ(Failure("/silent"), TransferFailure::kStalled);
    EXPECT_EQ(Failure("/stall"), TransferFailure::kStalled);
    EXPECT_LT(GetTickCount64() - before, 8000u);
    EXPECT_EQ(Failure("/trickle", {.stall = 1s, .total = 1500ms}), TransferFailure::kTooSlow);
    EXPECT_EQ(Text("/trickle", {.stall = 1s, .total = 10s}),
              "UpdateOK;2.0;http://vantrelle.example.org/download");
}

TEST_F(DownloadTest, AnAddressThatCannotStartFailsFromTheLoop) {
    for (const std::string url : {"", "not an address", "vtr.auf", "http://", "http:///vtr.auf",
                                  "ftp://127.0.0.1/vtr.auf", "file:///etc/hostname"}) {
        EXPECT_EQ(Read(url).Failure(), TransferFailure::kCannotStart) << url;
    }
}

// Windows ends a waiting call when its request is closed; Wine lets it run to its own
// timeout, so the connections may stay up to the stall limit, never longer.
TEST_F(DownloadTest, DestroyingTheDownloadAbandonsItSilently) {
    int completions = 0;
    {
        const TransferLimits limits{.stall = 2s};
        auto silent = AsyncRead(
            base_ + "/silent", [&](const AsyncProperty&) { ++completions; }, limits);
        auto stalled = AsyncRead(
            base_ + "/stall", [&](const AsyncProperty&) { ++completions; }, limits);
        Pump([] { return false; }, 500);
    }
    EXPECT_TRUE(Pump([&] { return Text("/_state").rfind("open=0 ", 0) == 0; }, 5000))
        << "the abandoned connections stayed open";
    Pump([] { return false; }, 1000);
    EXPECT_EQ(completions, 0);
}

TEST_F(DownloadTest, ADownloadThatEndedWhileTheThreadWasBusyIsHandedOver) {
    std::vector<AsyncProperty> seen;
    auto download =
        AsyncRead(base_ + "/appupdate/vtr/vtr.auf",
                  [&](const AsyncProperty& p) { seen.push_back(p); }, {.stall = 1s, .total = 2s});
    Sleep(3000);  // a repair running inside a button's handler
    ASSERT_TRUE(Pump([&] { return !seen.empty(); }, 5000));
    EXPECT_TRUE(seen.front().Value().has_value()) << static_cast<int>(seen.front().Failure());
}

}  // namespace
}  // namespace vantrelle::net
