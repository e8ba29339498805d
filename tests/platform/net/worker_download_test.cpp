// The worker and its hand-over without a toolkit, so that AddressSanitizer sees the races:
// a queue stands in for the event loop.
#include "platform/net/curl/worker_download.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <future>
#include <mutex>
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
        }
    }
    void Close() override {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        tasks_.clear();
    }
    void RunPending() {
        std::unique_lock lock(mutex_);
        while (!tasks_.empty()) {
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    bool closed_ = false;
};

// "http://127.0.0.1:<port>/" of a socket that listens (the kernel accepts) and never
// answers; once it is gone, connections to it are refused.
class SilentListener {
  public:
    SilentListener() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(socket_, 8);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
        url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    }
    ~SilentListener() { ::close(socket_); }
    std::string url;

  private:
    int socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
};

TEST(WorkerDownload, ACompletionRacingTheDestructionNeverArrivesAfterIt) {
    const std::string refused = SilentListener().url;
    for (int round = 0; round < 200; ++round) {
        auto channel = std::make_shared<QueueChannel>();
        bool destroyed = false, late = false;
        std::unique_ptr<Download> download;
        download = StartWorkerDownload(
            round % 2 ? refused : "gopher://127.0.0.1/",
            [&](const AsyncProperty&) {
                late = destroyed;
                if (round % 3 == 0) {
                    download.reset();  // the handler may destroy its own download
                }
            },
            {}, channel);
        std::this_thread::sleep_for(std::chrono::microseconds(round % 7 * 150));
        channel->RunPending();
        download.reset();
        destroyed = true;
        std::this_thread::sleep_for(std::chrono::microseconds(round % 5 * 200));
        channel->RunPending();
        ASSERT_FALSE(late) << round;
    }
}

TEST(CurlGet, EndsSoonAfterTheAbandonFlagWhileTheServerIsSilent) {
    SilentListener server;
    std::atomic<bool> abandoned = false;
    auto outcome = std::async(std::launch::async,
                              [&] { return CurlGet(server.url, {.stall = 30s}, abandoned); });
    EXPECT_EQ(outcome.wait_for(300ms), std::future_status::timeout);
    const auto raised = std::chrono::steady_clock::now();
    abandoned = true;
    ASSERT_EQ(outcome.wait_for(1s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - raised, 200ms);
    EXPECT_FALSE(outcome.get().Value().has_value());
}

}  // namespace
}  // namespace vantrelle::net
