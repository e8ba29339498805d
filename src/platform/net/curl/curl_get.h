#pragma once

// One HTTP GET with libcurl, blocking the thread that calls it (a worker), with every
// limit of download.h and a flag that ends it within a few milliseconds from any thread.
// No toolkit: it builds and is tested without Qt.

#include <atomic>
#include <string>

#include "platform/net/download.h"

namespace vantrelle::net {

// Caps on what a server may send before the body of its final reply.
inline constexpr std::size_t kMaxHeaderBlockBytes = 64 * 1024;  // per reply, interim or not
inline constexpr int kMaxInterimReplies = 8;                    // 1xx replies before a final one

// Fetches `url`, following redirects itself. Each hop is one request on a connection of its
// own, never sent again. Once `abandoned` is set, returns soon with kConnection and leaves
// no connection open.
AsyncProperty CurlGet(const std::string& url, const TransferLimits& limits,
                      const std::atomic<bool>& abandoned);

}  // namespace vantrelle::net
