#include "platform/net/download.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <utility>

namespace vantrelle::net {

namespace {

// Enough for a moved site, an http-to-https move and a language or mirror hop; a chain
// longer than that is a loop or a misconfiguration.
constexpr int kMaxRedirects = 5;

bool IsSuccessStatus(int status) {
    return status >= 200 && status <= 299;
}

QNetworkRequest MakeRequest(const QUrl& url) {
    QNetworkRequest request(url);
    // No local cache, and caches on the way are told to revalidate: a stale announcement
    // would hide a new version.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Same-scheme hops and http-to-https moves are followed; https-to-http downgrades and
    // other schemes (file:, ftp:) are refused, so a redirect never reads a local file.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    // The bytes are handed over as sent: asking for no content coding keeps the size limit
    // a limit on what crosses the wire and rules out decompression bombs.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Vantrelle/1.0"));
    return request;
}

// One read in flight. Owns its reply; its connections end when it is abandoned.
class Transfer : public QObject {
  public:
    Transfer(std::string target, QNetworkReply* reply, const TransferLimits& limits,
             QObject* parent)
        : QObject(parent), target_(std::move(target)), reply_(reply), limits_(limits) {
        reply_->setParent(this);
        stall_.setSingleShot(true);
        stall_.setInterval(limits_.stall);
        total_.setSingleShot(true);
        total_.setInterval(limits_.total);
        stall_.start();
        total_.start();
    }

    ~Transfer() override { Abandon(); }

    QNetworkReply& reply() { return *reply_; }
    QTimer& stall() { return stall_; }
    QTimer& total() { return total_; }
    const std::string& target() const { return target_; }

    // Takes what the reply has ready; false when the body has grown over the limit. Reads
    // at most one byte past the limit, so no more than that is ever kept.
    bool TakeAvailable() {
        const qint64 room = static_cast<qint64>(limits_.max_body_bytes) + 1 - body_.size();
        if (room > 0) {
            body_.append(reply_->read(room));
        }
        return static_cast<std::size_t>(body_.size()) <= limits_.max_body_bytes;
    }

    bool DeclaresTooLarge() const {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        return length.isValid() &&
               length.toULongLong() > static_cast<qulonglong>(limits_.max_body_bytes);
    }

    bool EndedShort() const {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        return length.isValid() && length.toLongLong() != body_.size();
    }

    std::vector<std::uint8_t> TakeBody() {
        std::vector<std::uint8_t> bytes(body_.begin(), body_.end());
        body_.clear();
        return bytes;
    }

    // Stops timers and reply for good; nothing of this transfer reaches the reader after.
    void Abandon() {
        stall_.stop();
        total_.stop();
        QObject::disconnect(reply_, nullptr, this, nullptr);
        if (reply_->isRunning()) {
            reply_->abort();
        }
    }

  private:
    std::string target_;
    QNetworkReply* reply_;
    TransferLimits limits_;
    QByteArray body_;
    QTimer stall_;
    QTimer total_;
};

// One GET over its own manager. The manager is made per download: a check is rare, and
// nothing of one check (connections, cookies) is then shared with the next.
class QtDownload final : public Download {
  public:
    QtDownload(AsyncReadComplete on_complete, TransferLimits limits)
        : on_complete_(std::move(on_complete)), limits_(limits) {}

    void Start(const std::string& target) {
        const QUrl url(QString::fromStdString(target), QUrl::StrictMode);
        const bool web =
            url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
        if (!url.isValid() || !web || url.host().isEmpty()) {
            Deliver(AsyncProperty::Failed(target, TransferFailure::kCannotStart));
            return;
        }
        Watch(new Transfer(target, manager_.get(MakeRequest(url)), limits_, &transfers_));
    }

  private:
    void Watch(Transfer* transfer) {
        QNetworkReply* reply = &transfer->reply();
        const auto progressed = [transfer] { transfer->stall().start(); };
        QObject::connect(reply, &QNetworkReply::downloadProgress, transfer, progressed);
        QObject::connect(reply, &QNetworkReply::redirected, transfer, progressed);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, transfer, [this, transfer] {
            transfer->stall().start();
            if (transfer->DeclaresTooLarge()) {
                Conclude(transfer, TransferFailure::kTooLarge);
            }
        });
        QObject::connect(reply, &QNetworkReply::readyRead, transfer, [this, transfer] {
            transfer->stall().start();
            if (!transfer->TakeAvailable()) {
                Conclude(transfer, TransferFailure::kTooLarge);
            }
        });
        QObject::connect(reply, &QNetworkReply::finished, transfer,
                         [this, transfer] { Conclude(transfer, Judge(*transfer)); });
        QObject::connect(&transfer->stall(), &QTimer::timeout, transfer,
                         [this, transfer] { Conclude(transfer, TransferFailure::kStalled); });
        QObject::connect(&transfer->total(), &QTimer::timeout, transfer,
                         [this, transfer] { Conclude(transfer, TransferFailure::kTooSlow); });
    }
    static TransferFailure Judge(Transfer& transfer) {
        QNetworkReply& reply = transfer.reply();
        const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && !IsSuccessStatus(status.toInt())) {
            return TransferFailure::kHttpStatus;
        }
        if (reply.error() != QNetworkReply::NoError || !status.isValid()) {
            return TransferFailure::kConnection;
        }
        if (!transfer.TakeAvailable()) {
            return TransferFailure::kTooLarge;
        }
        if (transfer.EndedShort()) {
            return TransferFailure::kIncomplete;
        }
        return TransferFailure::kNone;
    }

    void Conclude(Transfer* transfer, TransferFailure failure) {
        transfer->Abandon();
        transfer->deleteLater();
        Deliver(failure == TransferFailure::kNone
                    ? AsyncProperty::Succeeded(transfer->target(), transfer->TakeBody())
                    : AsyncProperty::Failed(transfer->target(), failure));
    }

    // Completions always come from the event loop: never inside AsyncRead, never inside a
    // reply's own signal (so the handler may destroy the download), and never once the
    // download is gone, because destroying `transfers_` drops the events posted to it.
    void Deliver(AsyncProperty property) {
        QMetaObject::invokeMethod(
            &transfers_, [this, property = std::move(property)] { on_complete_(property); },
            Qt::QueuedConnection);
    }

    AsyncReadComplete on_complete_;
    TransferLimits limits_;
    QNetworkAccessManager manager_;
    // Declared last so that it goes first: the transfer, its reply and the posted
    // completion end before the manager does.
    QObject transfers_;
};

}  // namespace

std::unique_ptr<Download> AsyncRead(const std::string& url, AsyncReadComplete on_complete,
                                    TransferLimits limits) {
    auto download = std::make_unique<QtDownload>(std::move(on_complete), limits);
    download->Start(url);
    return download;
}

}  // namespace vantrelle::net
