// AsyncRead for the Qt program: the GET runs on a worker thread with libcurl, whose every
// step can be abandoned at once (Qt Network's own thread keeps reading a flood of header
// bytes after abort() and blocks its owner for seconds); the completion comes back as a
// queued call on the thread that started the download.

#include "platform/net/download.h"

#include <QMetaObject>
#include <QObject>
#include <mutex>

#include "platform/net/curl/worker_download.h"

namespace vantrelle::net {

namespace {

class QtChannel final : public UiThreadChannel, public std::enable_shared_from_this<QtChannel> {
  public:
    // Lives on the thread that makes the channel; deleted later, so that Close may come
    // from inside one of its own queued calls.
    QtChannel() : receiver_(new QObject) {}

    void Post(std::function<void()> task) override {
        const std::lock_guard lock(mutex_);
        if (closed_) {
            return;
        }
        // Queued while the receiver is certain to exist: Close waits for the lock.
        QMetaObject::invokeMethod(
            receiver_,
            [self = shared_from_this(), task = std::move(task)] {
                if (!self->IsClosed()) {
                    task();
                }
            },
            Qt::QueuedConnection);
    }

    void Close() override {
        {
            const std::lock_guard lock(mutex_);
            if (closed_) {
                return;
            }
            closed_ = true;
        }
        receiver_->deleteLater();
    }

  private:
    bool IsClosed() {
        const std::lock_guard lock(mutex_);
        return closed_;
    }

    std::mutex mutex_;
    bool closed_ = false;
    QObject* receiver_;
};

}  // namespace

std::unique_ptr<Download> AsyncRead(const std::string& url, AsyncReadComplete on_complete,
                                    TransferLimits limits) {
    return StartWorkerDownload(url, std::move(on_complete), limits, std::make_shared<QtChannel>());
}

}  // namespace vantrelle::net
