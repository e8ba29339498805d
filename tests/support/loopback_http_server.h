#pragma once

// An HTTP server for tests, in the test's own process and event loop: it listens on
// 127.0.0.1 only, on a port the system picks, and stops when it is destroyed. It answers
// each path from a table that starts with the answers below and that a test may extend;
// every connection is closed after one answer.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace vantrelle::testing {

struct HttpAnswer {
    enum class Delivery {
        kWhole,              // status, headers with Content-Length, the body, then close
        kUndeclared,         // no Content-Length: the body ends when the connection closes
        kStallMidway,        // declares the whole body, sends half, then stays silent and open
        kCloseMidway,        // declares the whole body, sends half, then closes
        kNeverAnswer,        // reads the request and never answers, keeping the connection open
        kTrickle,            // sends the body a byte every `pause`
        kEndless,            // no Content-Length, then filler bytes until the client gives up
        kHeaderFlood,        // the status line, then header lines until the client gives up
        kEndlessHeaderLine,  // the status line, then one header line that never ends
        kEndlessContinue,    // "100 Continue" replies until the client gives up
        kResetAfterBody,     // no Content-Length, the body, then a connection reset
        kCloseUnanswered,    // reads the request, then closes without a reply
        kResetUnanswered,    // reads the request, then resets the connection
    };

    int status = 200;
    std::string body{};
    std::string content_type = "text/plain";
    std::string location{};  // sent as Location when not empty
    // When not empty, sent as it stands in place of the status line and headers (with
    // interim replies before it, a Content-Length of the test's own, ...).
    std::string head{};
    Delivery delivery = Delivery::kWhole;
    std::chrono::milliseconds pause{100};
};

// The answers every server starts with.
namespace paths {
inline constexpr char kUpdateFile[] = "/appupdate/vtr/vtr.auf";  // a good update file
inline constexpr char kEmpty[] = "/empty";                       // 200 with an empty body
inline constexpr char kMalformed[] = "/malformed";            // 200, an update file missing a field
inline constexpr char kHtml[] = "/html";                      // 200, an HTML page with markup
inline constexpr char kNotFound[] = "/missing";               // 404 with an HTML page
inline constexpr char kServerError[] = "/error";              // 500 with an HTML page
inline constexpr char kOversized[] = "/oversized";            // 200, declares 1 MiB + 1 bytes
inline constexpr char kEndless[] = "/endless";                // 200, undeclared, never ends
inline constexpr char kStall[] = "/stall";                    // 200, half the body, then silence
inline constexpr char kSilent[] = "/silent";                  // accepted, never answered
inline constexpr char kCut[] = "/cut";                        // 200, half the body, then closed
inline constexpr char kTrickle[] = "/trickle";                // 200, slow but steady
inline constexpr char kRedirect[] = "/redirect";              // 302 to kUpdateFile
inline constexpr char kRedirectLoop[] = "/loop";              // 302 to itself
inline constexpr char kRedirectToFile[] = "/to-file";         // 302 to a local file:// address
inline constexpr char kHeaderFlood[] = "/header-flood";       // header lines without end
inline constexpr char kEndlessHeaderLine[] = "/header-line";  // one header line without end
inline constexpr char kEndlessContinue[] = "/continue";       // 100 Continue without end
inline constexpr char kReset[] = "/reset";              // undeclared, kCutUpdateFile, then a reset
inline constexpr char kClosedUnanswered[] = "/closed";  // closed, no reply
inline constexpr char kResetUnanswered[] = "/reset-unanswered";  // reset, no reply
}  // namespace paths

inline constexpr char kGoodUpdateFile[] = "UpdateOK;2.0;http://vantrelle.example.org/download";
inline constexpr char kMalformedUpdateFile[] = "UpdateOK;1.0";
// The start of an update file, cut where it still reads as "up to date".
inline constexpr char kCutUpdateFile[] = "UpdateOK;1.0;htt";
inline constexpr char kHtmlPage[] = "<html><body><b>UpdateOK;1.0;x</b></body></html>";
// How many filler bytes the endless deliveries send at most, so that a client that never stops
// reading cannot keep the test running.
inline constexpr std::int64_t kEndlessCap = 64 * 1024 * 1024;

class LoopbackHttpServer {
  public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Adds or replaces the answer for `path`; paths without an answer get a 404.
    void Serve(const std::string& path, HttpAnswer answer);

    std::uint16_t port() const;
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path) const;

    // GET requests received for `path` so far.
    int Requests(const std::string& path) const;
    // A header of the latest request for `path` (name in lower case), empty if absent.
    std::string LastHeader(const std::string& path, const std::string& name) const;
    // Body bytes written for `path` so far, over all its connections.
    std::int64_t BodyBytesSent(const std::string& path) const;
    // Every byte written for `path` so far, heads and filler included.
    std::int64_t BytesSent(const std::string& path) const;
    // Connections that are still open.
    int OpenConnections() const;

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// A loopback port with nothing listening on it, for a refused connection.
std::uint16_t UnusedLoopbackPort();

}  // namespace vantrelle::testing
