#include "platform/net/curl/worker_download.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/net/curl/curl_get.h"

namespace vantrelle::net {

namespace {

class WorkerDownload final : public Download {
  public:
    WorkerDownload(AsyncReadComplete on_complete, std::shared_ptr<UiThreadChannel> channel)
        : on_complete_(std::move(on_complete)), channel_(std::move(channel)) {}

    ~WorkerDownload() override {
        *abandoned_ = true;
        channel_->Close();
    }

    void Start(const std::string& url, const TransferLimits& limits) {
        // The worker holds the flag and the channel, never this object: a task it posts
        // reaches this object only through the channel, which is closed before it goes.
        auto work = [url, limits, abandoned = abandoned_, channel = channel_, self = this] {
            AsyncProperty property = CurlGet(url, limits, *abandoned);
            channel->Post([self, property = std::move(property)] { self->Complete(property); });
        };
        try {
            std::thread(std::move(work)).detach();
        } catch (const std::system_error&) {
            channel_->Post([this, url] {
                Complete(AsyncProperty::Failed(url, TransferFailure::kConnection));
            });
        }
    }

  private:
    // The handler may destroy this object, so it runs from a local copy.
    void Complete(const AsyncProperty& property) {
        const AsyncReadComplete handler = std::exchange(on_complete_, nullptr);
        if (handler) {
            handler(property);
        }
    }

    AsyncReadComplete on_complete_;
    std::shared_ptr<UiThreadChannel> channel_;
    std::shared_ptr<std::atomic<bool>> abandoned_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace

std::unique_ptr<Download> StartWorkerDownload(const std::string& url, AsyncReadComplete on_complete,
                                              TransferLimits limits,
                                              std::shared_ptr<UiThreadChannel> channel) {
    auto download = std::make_unique<WorkerDownload>(std::move(on_complete), std::move(channel));
    download->Start(url, limits);
    return download;
}

}  // namespace vantrelle::net
