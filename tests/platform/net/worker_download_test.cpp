// The worker and its hand-over to the user-interface thread, without a toolkit: a queue
// stands in for the event loop. Under AddressSanitizer these catch a completion that
// outlives its download.
#include "platform/net/curl/worker_download.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "platform/net/curl/curl_get.h"

namespace vantrelle::net {
namespace {

using namespace std::chrono_literals;

class QueueChannel final : public UiThreadChannel {
  public:
    void Post(std::function<void()> task) override {
        const std::lock_guard lock(mutex_);
        if (!closed_) {
            tasks_.push_back(std::move(task));
            posted_.notify_all();
        }
    }
    void Close() override {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        tasks_.clear();
    }
    // Runs the next task posted within `within`, as an event loop would; false if none.
    bool RunNext(std::chrono::milliseconds within) {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, within, [&] { return !tasks_.empty(); })) {
            return false;
        }
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    bool closed_ = false;
};

// A loopback socket that accepts connections (the kernel does) and never answers.
class SilentListener {
  public:
    SilentListener() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(socket_, 8);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
        url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/vtr.auf";
    }
    ~SilentListener() { ::close(socket_); }
    const std::string& url() const { return url_; }

  private:
    int socket_;
    std::string url_;
};

TEST(WorkerDownload, CompletesOnceThroughTheChannelNeverInsideTheCall) {
    auto channel = std::make_shared<QueueChannel>();
    int calls = 0;
    TransferFailure failure = TransferFailure::kNone;
    const auto download = StartWorkerDownload(
        "not an address",
        [&](const AsyncProperty& property) {
            ++calls;
            failure = property.Failure();
        },
        {}, channel);
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(channel->RunNext(5s));
    EXPECT_FALSE(channel->RunNext(200ms));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(failure, TransferFailure::kCannotStart);
}

TEST(WorkerDownload, ACompletionRacingTheDestructionNeverArrivesAfterIt) {
    std::string refused;
    {
        const SilentListener closed_again;
        refused = closed_again.url();
    }
    for (int round = 0; round < 200; ++round) {
        auto channel = std::make_shared<QueueChannel>();
        bool destroyed = false;
        bool late = false;
        auto download = StartWorkerDownload(
            round % 2 ? refused : "gopher://127.0.0.1/",
            [&](const AsyncProperty&) { late = destroyed; }, {}, channel);
        std::this_thread::sleep_for(std::chrono::microseconds(round % 7 * 150));
        if (round % 3 == 0) {
            channel->RunNext(0ms);
        }
        download.reset();
        destroyed = true;
        while (channel->RunNext(round % 5 == 0 ? 20ms : 0ms)) {
        }
        ASSERT_FALSE(late) << round;
    }
}

TEST(WorkerDownload, TheHandlerMayDestroyItsDownload) {
    auto channel = std::make_shared<QueueChannel>();
    std::unique_ptr<Download> download;
    int calls = 0;
    download = StartWorkerDownload(
        "ftp://127.0.0.1/",
        [&](const AsyncProperty&) {
            ++calls;
            download.reset();
        },
        {}, channel);
    ASSERT_TRUE(channel->RunNext(5s));
    EXPECT_EQ(download, nullptr);
    EXPECT_EQ(calls, 1);
}

TEST(CurlGet, EndsSoonAfterTheAbandonFlagWhileTheServerIsSilent) {
    SilentListener server;
    std::atomic<bool> abandoned = false;
    auto outcome = std::async(std::launch::async, [&] {
        return CurlGet(server.url(), {.stall = 30s, .total = 60s}, abandoned);
    });
    EXPECT_EQ(outcome.wait_for(300ms), std::future_status::timeout);
    const auto raised = std::chrono::steady_clock::now();
    abandoned = true;
    ASSERT_EQ(outcome.wait_for(1s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - raised, 200ms);
    EXPECT_FALSE(outcome.get().Value().has_value());
}

}  // namespace
}  // namespace vantrelle::net
