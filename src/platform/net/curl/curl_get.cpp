#include "platform/net/curl/curl_get.h"

#include <curl/curl.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "vantrelle_version.h"

namespace vantrelle::net {

namespace {

using Clock = std::chrono::steady_clock;

// How long the worker waits on its sockets before it looks at the limits and the abandon
// flag again: the longest an abandoned transfer keeps its connection.
constexpr int kPollMs = 20;

// CURL and CURLM are both void, so each kind of handle has a deleter of its own.
struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    void operator()(char* text) const { curl_free(text); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
template <typename T>
using CurlPtr = std::unique_ptr<T, CurlDeleter>;

// Never cleaned up: a worker abandoned at exit may still be inside libcurl.
void InitializeCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// "http" or "https" when `url` is an absolute address with a host in one of them.
std::optional<std::string> WebScheme(const std::string& url) {
    // libcurl reads "http:///path" as if the path were the host.
    const auto authority = url.find("://");
    if (authority == std::string::npos || url.compare(authority + 3, 1, "/") == 0) {
        return std::nullopt;
    }
    CurlPtr<CURLU> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    char* raw_scheme = nullptr;
    char* raw_host = nullptr;
    curl_url_get(parsed.get(), CURLUPART_SCHEME, &raw_scheme, 0);
    curl_url_get(parsed.get(), CURLUPART_HOST, &raw_host, 0);
    const CurlPtr<char> scheme(raw_scheme), host(raw_host);
    if (!scheme || !host || *host == '\0') {
        return std::nullopt;
    }
    const std::string_view name(scheme.get());
    if (name != "http" && name != "https") {
        return std::nullopt;
    }
    return std::string(name);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The length a Content-Length value gives: digits only, no overflow, and when it lists the
// value more than once ("42, 42"), the same each time.
std::optional<std::uint64_t> ParseLength(std::string_view value) {
    std::optional<std::uint64_t> length;
    for (;;) {
        const auto comma = value.find(',');
        const std::string_view item = Trimmed(value.substr(0, comma));
        std::uint64_t number = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
        if (item.empty() || error != std::errc() || end != item.data() + item.size() ||
            (length && *length != number)) {
            return std::nullopt;
        }
        length = number;
        if (comma == std::string_view::npos) {
            return length;
        }
        value.remove_prefix(comma + 1);
    }
}

// What the callbacks of one request see and decide.
struct Hop {
    const TransferLimits& limits;
    const std::atomic<bool>& abandoned;
    int& interim_replies;  // over the whole check
    Clock::time_point last_progress = Clock::now();
    std::vector<std::uint8_t> body{};
    int status = 0;  // of the reply whose header block is being read
    std::size_t block_bytes = 0;
    std::optional<std::uint64_t> declared_length{};
    // Set when a callback stopped the transfer, and why.
    std::optional<TransferFailure> stopped{};

    // The return value that makes libcurl stop.
    std::size_t Stop(TransferFailure failure) {
        stopped = failure;
        return 0;
    }
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    Hop& hop = *static_cast<Hop*>(user);
    const std::size_t bytes = size * count;
    if (hop.abandoned) {
        return hop.Stop(TransferFailure::kConnection);
    }
    hop.last_progress = Clock::now();
    const std::string_view line(data, bytes);
    if (line.starts_with("HTTP/")) {  // a new reply begins
        const auto space = line.find(' ');
        hop.status = space == std::string_view::npos ? 0 : std::atoi(data + space + 1);
        hop.block_bytes = 0;
        hop.declared_length.reset();
    }
    hop.block_bytes += bytes;
    if (hop.block_bytes > kMaxHeaderBlockBytes) {
        return hop.Stop(TransferFailure::kMalformedReply);
    }
    const std::string_view text = Trimmed(line);
    if (text.empty()) {  // the end of a header block
        if (hop.status / 100 == 1 && ++hop.interim_replies > kMaxInterimReplies) {
            return hop.Stop(TransferFailure::kMalformedReply);
        }
        return bytes;
    }
    const auto colon = text.find(':');
    if (colon != std::string_view::npos &&
        EqualsIgnoringCase(Trimmed(text.substr(0, colon)), "content-length")) {
        const auto length = ParseLength(text.substr(colon + 1));
        if (!length || (hop.declared_length && *hop.declared_length != *length)) {
            return hop.Stop(TransferFailure::kMalformedReply);
        }
        hop.declared_length = length;
    }
    return bytes;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    Hop& hop = *static_cast<Hop*>(user);
    const std::size_t bytes = size * count;
    if (hop.abandoned) {
        return hop.Stop(TransferFailure::kConnection);
    }
    hop.last_progress = Clock::now();
    if (hop.body.size() + bytes > hop.limits.max_body_bytes) {
        return hop.Stop(TransferFailure::kTooLarge);
    }
    hop.body.insert(hop.body.end(), data, data + bytes);
    return bytes;
}

TransferFailure FailureOf(CURLcode result) {
    switch (result) {
        case CURLE_OK:
            return TransferFailure::kNone;
        case CURLE_URL_MALFORMAT:
            return TransferFailure::kCannotStart;
        case CURLE_FILESIZE_EXCEEDED:
            return TransferFailure::kTooLarge;
        case CURLE_PARTIAL_FILE:
            return TransferFailure::kIncomplete;
        // An over-long header line, an HTTP/0.9 reply, a header libcurl cannot parse.
        case CURLE_OUT_OF_MEMORY:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
            return TransferFailure::kMalformedReply;
        default:
            return TransferFailure::kConnection;
    }
}

Easy MakeRequest(const std::string& url, curl_slist* headers, Hop& hop) {
    Easy easy(curl_easy_init());
    if (!easy) {
        return easy;
    }
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    // An abandoned lookup is left to finish on its own rather than waited for.
    curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
    // A connection of its own, closed after the reply: a request is never sent again on a
    // connection that turns out to be closed.
    curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    // No proxy, whatever the environment says.
    curl_easy_setopt(e, CURLOPT_PROXY, "");
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(hop.limits.max_body_bytes));
    curl_easy_setopt(e, CURLOPT_USERAGENT, "Vantrelle/" VANTRELLE_VERSION);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &hop);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &hop);
    return easy;
}

// Runs one request to its end, a limit, or the abandon flag.
TransferFailure Perform(CURLM* multi, CURL* easy, Hop& hop, Clock::time_point deadline) {
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        return TransferFailure::kConnection;
    }
    std::optional<TransferFailure> failure;
    while (!failure) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            failure = TransferFailure::kConnection;
            break;
        }
        int queued = 0;
        if (const CURLMsg* message = curl_multi_info_read(multi, &queued);
            message != nullptr && message->msg == CURLMSG_DONE) {
            failure = hop.stopped.value_or(FailureOf(message->data.result));
            break;
        }
        const auto now = Clock::now();
        if (hop.abandoned) {
            failure = TransferFailure::kConnection;
        } else if (now - hop.last_progress >= hop.limits.stall) {
            failure = TransferFailure::kStalled;
        } else if (now >= deadline) {
            failure = TransferFailure::kTooSlow;
        } else {
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        }
    }
    curl_multi_remove_handle(multi, easy);
    return *failure;
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

AsyncProperty CurlGet(const std::string& url, const TransferLimits& limits,
                      const std::atomic<bool>& abandoned) {
    InitializeCurl();
    std::optional<std::string> scheme = WebScheme(url);
    if (!scheme) {
        return AsyncProperty::Failed(url, TransferFailure::kCannotStart);
    }
    const auto deadline = Clock::now() + limits.total;
    Multi multi(curl_multi_init());
    if (!multi) {
        return AsyncProperty::Failed(url, TransferFailure::kConnection);
    }
    curl_slist* list = nullptr;
    for (const char* header : {"Cache-Control: no-cache", "Accept-Encoding: identity"}) {
        curl_slist* longer = curl_slist_append(list, header);
        if (longer == nullptr) {
            curl_slist_free_all(list);
            return AsyncProperty::Failed(url, TransferFailure::kConnection);
        }
        list = longer;
    }
    const CurlPtr<curl_slist> headers(list);
    int interim_replies = 0;
    std::string target = url;
    for (int redirects = 0;; ++redirects) {
        Hop hop{.limits = limits, .abandoned = abandoned, .interim_replies = interim_replies};
        const Easy easy = MakeRequest(target, headers.get(), hop);
        if (!easy) {
            return AsyncProperty::Failed(url, TransferFailure::kConnection);
        }
        if (const TransferFailure failure = Perform(multi.get(), easy.get(), hop, deadline);
            failure != TransferFailure::kNone) {
            return AsyncProperty::Failed(url, failure);
        }
        long status = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
        if (status >= 200 && status <= 299) {
            return AsyncProperty::Succeeded(url, std::move(hop.body));
        }
        char* location = nullptr;
        curl_easy_getinfo(easy.get(), CURLINFO_REDIRECT_URL, &location);
        if (!IsRedirect(status) || location == nullptr || redirects == kMaxRedirects) {
            return AsyncProperty::Failed(url, TransferFailure::kHttpStatus);
        }
        // The same scheme, or up from http to https: never down, never to file: or ftp:.
        const std::optional<std::string> next = WebScheme(location);
        if (!next || (*next != *scheme && *next != "https")) {
            return AsyncProperty::Failed(url, TransferFailure::kHttpStatus);
        }
        target = location;
        scheme = next;
    }
}

}  // namespace vantrelle::net
