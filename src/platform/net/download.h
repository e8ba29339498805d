#pragma once

// One background HTTP GET whose whole body is handed over in memory when the transfer has
// ended, on the user-interface thread. Each platform implements AsyncRead in a folder of
// its own; nothing here names a toolkit.
//
//   std::unique_ptr<Download> download = AsyncRead("http://host/file",
//       [](const AsyncProperty& property) {
//           if (auto bytes = property.Value()) { ... use *bytes ... } else { ... failed ... }
//       });
//
// AsyncRead returns at once. Exactly one completion follows, always later from the
// user-interface thread's event loop, never from inside AsyncRead itself, unless the
// Download is destroyed first: destroying it abandons the transfer at once and silently.
// No completion and no message follow, the destructor never waits for the network, and
// the completion handler may destroy its own Download.
//
// A transfer fails when it cannot start (malformed address, scheme other than http or
// https), when the connection cannot be made, breaks or is reset before a clean end, when
// the server answers with a status outside 200-299 (after following redirects), when the
// reply is not well-formed (header block or interim replies over their caps, a
// Content-Length that is not one number), when the body ends short of its declared length,
// when the body exceeds the size limit, when nothing arrives for the stall limit, or when
// the whole transfer outlasts the total limit. Nothing is cached: every read goes to the
// server and tells caches on the way to revalidate; no request is ever sent twice.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantrelle::net {

// Why a transfer failed, for tests and diagnostics; callers decide on Value() alone.
enum class TransferFailure {
    kNone,
    kCannotStart,  // the address is malformed or its scheme is not http or https
    kConnection,   // no connection, unresolvable host, broken or reset connection
    kHttpStatus,   // the final status is outside 200-299, a redirect not followed included
    kIncomplete,   // the body ended before its declared length
    kTooLarge,     // the body is larger than the limit
    kStalled,      // nothing arrived for the stall limit
    kTooSlow,      // the transfer outlasted the total limit
    // Not a well-formed reply: a header block or a run of interim replies over its cap, a
    // Content-Length that is not one number.
    kMalformedReply,
};

// The outcome of one read.
class AsyncProperty {
  public:
    static AsyncProperty Succeeded(std::string target, std::vector<std::uint8_t> body) {
        AsyncProperty property;
        property.target_ = std::move(target);
        property.value_ = std::move(body);
        return property;
    }
    static AsyncProperty Failed(std::string target, TransferFailure failure) {
        AsyncProperty property;
        property.target_ = std::move(target);
        property.failure_ = failure;
        return property;
    }

    // The whole response body (possibly empty), or nothing when the transfer failed.
    const std::optional<std::vector<std::uint8_t>>& Value() const { return value_; }
    TransferFailure Failure() const { return failure_; }
    // The address that was asked for, as given to AsyncRead.
    const std::string& Target() const { return target_; }

  private:
    std::string target_;
    std::optional<std::vector<std::uint8_t>> value_;
    TransferFailure failure_ = TransferFailure::kNone;
};

// Redirects followed, on every platform: enough for a moved site, an http-to-https move
// and a language or mirror hop; a chain longer than that is a loop or a misconfiguration.
inline constexpr int kMaxRedirects = 5;

struct TransferLimits {
    std::size_t max_body_bytes = 1024 * 1024;
    // Without any progress (connecting, headers, body bytes) for this long, a transfer fails.
    std::chrono::milliseconds stall = std::chrono::seconds{30};
    // A server that trickles a byte now and then still ends within this.
    std::chrono::milliseconds total = std::chrono::seconds{120};
};

using AsyncReadComplete = std::function<void(const AsyncProperty&)>;

// One transfer in flight; destroying it abandons the transfer.
class Download {
  public:
    virtual ~Download() = default;
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

  protected:
    Download() = default;
};

// Starts one GET of `url` and returns at once; `on_complete` runs once, later, on the
// calling (user-interface) thread.
std::unique_ptr<Download> AsyncRead(const std::string& url, AsyncReadComplete on_complete,
                                    TransferLimits limits = {});

}  // namespace vantrelle::net
