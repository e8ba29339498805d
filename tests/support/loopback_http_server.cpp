#include "support/loopback_http_server.h"

#include <sys/socket.h>

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <utility>

namespace vantrelle::testing {

namespace {

constexpr qsizetype kMaxRequestBytes = 16 * 1024;
constexpr qsizetype kFillerBlock = 64 * 1024;
constexpr qsizetype kFillerLine = 118;  // a header line of 128 bytes
constexpr int kTricklePieces = 8;

struct PathRecord {
    int requests = 0;
    std::map<std::string, std::string> last_headers;
    std::int64_t body_bytes_sent = 0;
    std::int64_t bytes_sent = 0;
};

QByteArray ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

QByteArray StatusLine(const HttpAnswer& answer) {
    return "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + ReasonPhrase(answer.status) +
           "\r\n";
}

QByteArray Head(const HttpAnswer& answer) {
    using Delivery = HttpAnswer::Delivery;
    if (!answer.head.empty()) {
        return QByteArray::fromStdString(answer.head);
    }
    QByteArray head = StatusLine(answer);
    head += "Content-Type: " + QByteArray::fromStdString(answer.content_type) + "\r\n";
    if (answer.delivery != Delivery::kUndeclared && answer.delivery != Delivery::kEndless &&
        answer.delivery != Delivery::kResetAfterBody) {
        head += "Content-Length: " + QByteArray::number(qsizetype(answer.body.size())) + "\r\n";
    }
    if (!answer.location.empty()) {
        head += "Location: " + QByteArray::fromStdString(answer.location) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    return head;
}

// One accepted connection: reads one request, then answers it as the table says.
class Connection : public QObject {
  public:
    using Lookup = std::function<std::pair<HttpAnswer, PathRecord*>(const std::string& path,
                                                                    const QByteArray& request)>;

    Connection(QTcpSocket* socket, Lookup lookup, QObject* parent)
        : QObject(parent), socket_(socket), lookup_(std::move(lookup)) {
        socket_->setParent(this);
        connect(socket_, &QTcpSocket::readyRead, this, [this] { ReadRequest(); });
        connect(socket_, &QTcpSocket::disconnected, this, [this] {
            trickle_.stop();
            deleteLater();
        });
        connect(socket_, &QTcpSocket::bytesWritten, this, [this] { KeepFilling(); });
        connect(&trickle_, &QTimer::timeout, this, [this] { SendPiece(); });
    }

    bool open() const { return socket_->state() == QAbstractSocket::ConnectedState; }

  private:
    void ReadRequest() {
        if (answered_) {
            socket_->readAll();
            return;
        }
        request_ += socket_->readAll();
        const qsizetype end = request_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (request_.size() > kMaxRequestBytes) {
                socket_->abort();
            }
            return;
        }
        answered_ = true;
        const QList<QByteArray> words = request_.left(request_.indexOf("\r\n")).split(' ');
        std::string path = words.size() == 3 ? words[1].toStdString() : std::string();
        // A proxy's request names the default port of an absolute address or leaves it out
        // (WinHTTP writes "host:80"); both are the same address.
        if (const std::size_t port = path.find(":80/"); path.rfind("http://", 0) == 0 &&
                                                        port != std::string::npos &&
                                                        port < path.find('/', 7)) {
            path.erase(port, 3);
        }
        auto [answer, record] = lookup_(path, request_.left(end));
        if (words.value(0) != "GET") {
            answer = HttpAnswer{.status = 405};
        }
        Answer(std::move(answer), record);
    }

    void Answer(HttpAnswer answer, PathRecord* record) {
        using Delivery = HttpAnswer::Delivery;
        answer_ = std::move(answer);
        record_ = record;
        const QByteArray body = QByteArray::fromStdString(answer_.body);
        switch (answer_.delivery) {
            case Delivery::kWhole:
            case Delivery::kUndeclared:
                Send(Head(answer_), body);
                socket_->disconnectFromHost();
                break;
            case Delivery::kStallMidway:
                Send(Head(answer_), body.left(body.size() / 2));
                break;
            case Delivery::kCloseMidway:
                Send(Head(answer_), body.left(body.size() / 2));
                socket_->disconnectFromHost();
                break;
            case Delivery::kNeverAnswer:
                break;
            case Delivery::kTrickle:
                Send(Head(answer_), {});
                trickle_.start(answer_.pause);
                break;
            case Delivery::kEndless:
                Send(Head(answer_), {});
                Fill(QByteArray(kFillerBlock, 'x'));
                break;
            case Delivery::kHeaderFlood:
                Send(StatusLine(answer_), {});
                Fill(QByteArray("X-Filler: ")
                         .append(QByteArray(kFillerLine, 'x'))
                         .append("\r\n")
                         .repeated(kFillerBlock / kFillerLine));
                break;
            case Delivery::kEndlessHeaderLine:
                Send(StatusLine(answer_) + "X-Filler: ", {});
                Fill(QByteArray(kFillerBlock, 'x'));
                break;
            case Delivery::kEndlessContinue:
                Fill(QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(kFillerBlock / 32));
                break;
            case Delivery::kResetAfterBody:
                Send(Head(answer_), body);
                // A moment later, so that the body has been read before the reset comes.
                QTimer::singleShot(answer_.pause, this, [this] { Reset(); });
                break;
            case Delivery::kCloseUnanswered:
                socket_->disconnectFromHost();
                break;
            case Delivery::kResetUnanswered:
                Reset();
                break;
        }
    }

    void Send(const QByteArray& head, const QByteArray& body) {
        socket_->write(head);
        socket_->write(body);
        if (record_ != nullptr) {
            record_->body_bytes_sent += body.size();
            record_->bytes_sent += head.size() + body.size();
        }
    }

    // A close without lingering sends RST instead of FIN.
    void Reset() {
        const linger no_linger{.l_onoff = 1, .l_linger = 0};
        ::setsockopt(int(socket_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &no_linger,
                     sizeof no_linger);
        socket_->abort();
    }

    void Fill(QByteArray block) {
        filler_ = std::move(block);
        KeepFilling();
    }

    void SendPiece() {
        const qsizetype piece =
            (qsizetype(answer_.body.size()) + kTricklePieces - 1) / kTricklePieces;
        const QByteArray body = QByteArray::fromStdString(answer_.body);
        Send({}, body.mid(trickled_, piece));
        trickled_ += piece;
        if (trickled_ >= body.size()) {
            trickle_.stop();
            socket_->disconnectFromHost();
        }
    }

    // Writes the next block once the last one has gone out, so that the bytes sent show
    // how far the client read before it gave up.
    void KeepFilling() {
        if (filler_.isEmpty() || socket_->bytesToWrite() > 0 || !open()) {
            return;
        }
        if (filled_ >= kEndlessCap) {
            filler_.clear();
            socket_->disconnectFromHost();
            return;
        }
        if (answer_.delivery == HttpAnswer::Delivery::kEndless) {
            Send({}, filler_);
        } else {
            Send(filler_, {});
        }
        filled_ += filler_.size();
    }

    QTcpSocket* socket_;
    Lookup lookup_;
    QByteArray request_;
    bool answered_ = false;
    HttpAnswer answer_;
    PathRecord* record_ = nullptr;
    QTimer trickle_;
    qsizetype trickled_ = 0;
    QByteArray filler_;  // what the endless deliveries repeat; empty when not filling
    std::int64_t filled_ = 0;
};

std::map<std::string, std::string> HeadersOf(const QByteArray& request) {
    std::map<std::string, std::string> headers;
    const QList<QByteArray> lines = request.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0) {
            headers[line.left(colon).trimmed().toLower().toStdString()] =
                line.mid(colon + 1).trimmed().toStdString();
        }
    }
    return headers;
}

HttpAnswer Redirect(std::string location) {
    return HttpAnswer{.status = 302, .location = std::move(location)};
}

}  // namespace

class LoopbackHttpServer::Impl {
  public:
    Impl() {
        if (!server_.listen(QHostAddress::LocalHost, 0)) {
            std::cerr << "loopback server: cannot listen: " << server_.errorString().toStdString()
                      << '\n';
            std::abort();
        }
        QObject::connect(&server_, &QTcpServer::newConnection, &connections_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                new Connection(
                    socket, [this](auto& path, auto& request) { return Lookup(path, request); },
                    &connections_);
            }
        });
    }

    std::pair<HttpAnswer, PathRecord*> Lookup(const std::string& path, const QByteArray& request) {
        PathRecord& record = records_[path];
        ++record.requests;
        record.last_headers = HeadersOf(request);
        const auto found = answers_.find(path);
        return {found != answers_.end() ? found->second : HttpAnswer{.status = 404}, &record};
    }

    std::map<std::string, HttpAnswer> answers_;
    std::map<std::string, PathRecord> records_;
    QTcpServer server_;
    // Declared last so that open connections close before the records they write to go.
    QObject connections_;
};

LoopbackHttpServer::LoopbackHttpServer() : impl_(std::make_unique<Impl>()) {
    using Delivery = HttpAnswer::Delivery;
    // The error pages carry a good update file, so that a client that ignores the status
    // and reads the body shows up.
    Serve(paths::kUpdateFile, {.body = kGoodUpdateFile});
    Serve(paths::kEmpty, {});
    Serve(paths::kMalformed, {.body = kMalformedUpdateFile});
    Serve(paths::kHtml, {.body = kHtmlPage, .content_type = "text/html"});
    Serve(paths::kNotFound, {.status = 404, .body = kGoodUpdateFile});
    Serve(paths::kServerError, {.status = 500, .body = kGoodUpdateFile});
    Serve(paths::kOversized, {.body = std::string(1024 * 1024 + 1, 'x')});
    Serve(paths::kEndless, {.delivery = Delivery::kEndless});
    Serve(paths::kStall, {.body = kGoodUpdateFile, .delivery = Delivery::kStallMidway});
    Serve(paths::kSilent, {.delivery = Delivery::kNeverAnswer});
    Serve(paths::kCut, {.body = kGoodUpdateFile, .delivery = Delivery::kCloseMidway});
    Serve(paths::kTrickle, {.body = kGoodUpdateFile,
                            .delivery = Delivery::kTrickle,
                            .pause = std::chrono::milliseconds{300}});
    Serve(paths::kRedirect, Redirect(Url(paths::kUpdateFile)));
    Serve(paths::kRedirectLoop, Redirect(Url(paths::kRedirectLoop)));
    Serve(paths::kRedirectToFile, Redirect("file:///etc/hostname"));
    Serve(paths::kHeaderFlood, {.delivery = Delivery::kHeaderFlood});
    Serve(paths::kEndlessHeaderLine, {.delivery = Delivery::kEndlessHeaderLine});
    Serve(paths::kEndlessContinue, {.delivery = Delivery::kEndlessContinue});
    Serve(paths::kReset, {.body = kCutUpdateFile, .delivery = Delivery::kResetAfterBody});
    Serve(paths::kClosedUnanswered, {.delivery = Delivery::kCloseUnanswered});
    Serve(paths::kResetUnanswered, {.delivery = Delivery::kResetUnanswered});
}

LoopbackHttpServer::~LoopbackHttpServer() = default;

void LoopbackHttpServer::Serve(const std::string& path, HttpAnswer answer) {
    impl_->answers_[path] = std::move(answer);
}

std::uint16_t LoopbackHttpServer::port() const {
    return impl_->server_.serverPort();
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port()) + path;
}

int LoopbackHttpServer::Requests(const std::string& path) const {
    const auto found = impl_->records_.find(path);
    return found != impl_->records_.end() ? found->second.requests : 0;
}

std::string LoopbackHttpServer::LastHeader(const std::string& path, const std::string& name) const {
    const auto found = impl_->records_.find(path);
    if (found == impl_->records_.end()) {
        return {};
    }
    const auto header = found->second.last_headers.find(name);
    return header != found->second.last_headers.end() ? header->second : std::string();
}

std::int64_t LoopbackHttpServer::BodyBytesSent(const std::string& path) const {
    const auto found = impl_->records_.find(path);
    return found != impl_->records_.end() ? found->second.body_bytes_sent : 0;
}

std::int64_t LoopbackHttpServer::BytesSent(const std::string& path) const {
    const auto found = impl_->records_.find(path);
    return found != impl_->records_.end() ? found->second.bytes_sent : 0;
}

int LoopbackHttpServer::OpenConnections() const {
    const auto connections =
        impl_->connections_.findChildren<Connection*>(QString(), Qt::FindDirectChildrenOnly);
    return int(std::count_if(connections.begin(), connections.end(),
                             [](const Connection* connection) { return connection->open(); }));
}

std::uint16_t UnusedLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const std::uint16_t port = probe.serverPort();
    probe.close();
    return port;
}

}  // namespace vantrelle::testing
