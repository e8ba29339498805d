// AsyncRead over WinHTTP: each transfer runs the synchronous API on a worker thread of its
// own, and its outcome comes back to the thread that asked through a message-only window
// made there, so it arrives from that thread's message loop like any other event.

#include "platform/net/download.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "common/wtf8.h"
#include "vantrelle_version.h"

namespace vantrelle::net {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Enough for a moved site, an http-to-https move and a language or mirror hop; a chain
// longer than that is a loop or a misconfiguration.
constexpr UINT kDelivered = WM_APP + 1;
constexpr wchar_t kSinkClass[] = L"VantrelleDownloadSink";

// The parts of an http or https address; nothing for anything else.
struct Address {
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;  // with the query
};

std::optional<Address> Parse(const std::wstring& url) {
    if (url.empty() || url.find_first_of(L" \t\r\n") != std::wstring::npos) {
        return std::nullopt;
    }
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
        parts.dwHostNameLength == 0) {
        return std::nullopt;
    }
    const std::wstring scheme(parts.lpszScheme, parts.dwSchemeLength);
    if (scheme != L"http" && scheme != L"https") {
        return std::nullopt;
    }
    Address address;
    address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    address.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    address.port = parts.nPort;
    address.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    address.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (address.path.empty()) {
        address.path = L"/";
    }
    return address;
}

// Where a Location header leads from `from`: an absolute address, or a path on the same
// server.
std::optional<Address> Follow(const Address& from, const std::wstring& location) {
    if (!location.empty() && location[0] == L'/' && location.rfind(L"//", 0) != 0) {
        Address next = from;
        next.path = location;
        return next;
    }
    if (location.find(L"://") == std::wstring::npos) {
        Address next = from;
        next.path = from.path.substr(0, from.path.rfind(L'/') + 1) + location;
        return next;
    }
    return Parse(location);
}

class Handle {
  public:
    explicit Handle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HINTERNET get() const { return handle_; }
    void Reset(HINTERNET handle = nullptr) {
        if (handle_ != nullptr) {
            WinHttpCloseHandle(handle_);
        }
        handle_ = handle;
    }
    // Gives the handle up without closing it: someone else closed it already.
    void Forget() { handle_ = nullptr; }

  private:
    HINTERNET handle_;
};

// What the worker and the download share. The worker may outlive the download by the
// time its current network call takes to give up; it then delivers nothing.
struct Shared {
    std::mutex mutex;
    bool abandoned = false;
    HWND sink = nullptr;
    // The request whose call the worker is waiting in; closing it ends the wait.
    HINTERNET waiting_in = nullptr;
    bool closed_by_owner = false;
    std::optional<AsyncProperty> outcome;
};

class Transfer {
  public:
    Transfer(std::shared_ptr<Shared> shared, std::string target, Address address,
             TransferLimits limits)
        : shared_(std::move(shared)),
          target_(std::move(target)),
          address_(std::move(address)),
          limits_(limits),
          started_(Clock::now()) {}

    void Run() {
        const TransferFailure failure = Fetch();
        Deliver(failure == TransferFailure::kNone
                    ? AsyncProperty::Succeeded(target_, std::move(body_))
                    : AsyncProperty::Failed(target_, failure));
    }

  private:
    TransferFailure Fetch() {
        session_.Reset(WinHttpOpen(L"Vantrelle/" VANTRELLE_VERSION,
                                   WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0));
        if (session_.get() == nullptr) {
            return TransferFailure::kConnection;
        }
        for (int hops = 0;; ++hops) {
            DWORD status = 0;
            if (const TransferFailure failure = Ask(status); failure != TransferFailure::kNone) {
                return failure;
            }
            if (status >= 300 && status <= 399 && status != 304) {
                // Same-scheme hops and http-to-https moves are followed; a downgrade to
                // http and any other scheme are refused, so a redirect never reads a file.
                const std::wstring location = QueryText(WINHTTP_QUERY_LOCATION);
                const auto next = Follow(address_, location);
                if (location.empty() || !next || (address_.secure && !next->secure) ||
                    hops == kMaxRedirects) {
                    return TransferFailure::kHttpStatus;
                }
                address_ = *next;
                continue;
            }
            if (status < 200 || status > 299) {
                return TransferFailure::kHttpStatus;
            }
            return ReadBody();
        }
    }

    // Sends the request for `address_` and waits for the answer's status.
    TransferFailure Ask(DWORD& status) {
        request_.Reset();
        connection_.Reset(WinHttpConnect(session_.get(), address_.host.c_str(), address_.port, 0));
        if (connection_.get() == nullptr) {
            return TransferFailure::kConnection;
        }
        request_.Reset(WinHttpOpenRequest(connection_.get(), L"GET", address_.path.c_str(), nullptr,
                                          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                          address_.secure ? WINHTTP_FLAG_SECURE : 0));
        if (request_.get() == nullptr) {
            return TransferFailure::kCannotStart;
        }
        DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES |
                         WINHTTP_DISABLE_AUTHENTICATION | WINHTTP_DISABLE_KEEP_ALIVE;
        WinHttpSetOption(request_.get(), WINHTTP_OPTION_DISABLE_FEATURE, &features,
                         sizeof features);
        // Nothing is cached here, and caches on the way are told to revalidate: a stale
        // announcement would hide a new version. No content coding keeps the size limit a
        // limit on what crosses the wire.
        const wchar_t headers[] =
            L"Cache-Control: no-cache\r\nPragma: no-cache\r\nAccept-Encoding: identity\r\n";
        TransferFailure failure = TransferFailure::kNone;
        const bool answered = Call(
            [&] {
                return WinHttpSendRequest(request_.get(), headers, static_cast<DWORD>(-1L),
                                          WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
                       WinHttpReceiveResponse(request_.get(), nullptr);
            },
            failure);
        if (!answered) {
            return failure;
        }
        DWORD size = sizeof status;
        if (!WinHttpQueryHeaders(
                request_.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
            return TransferFailure::kConnection;
        }
        return TransferFailure::kNone;
    }

    TransferFailure ReadBody() {
        const std::wstring declared_text = QueryText(WINHTTP_QUERY_CONTENT_LENGTH);
        std::optional<unsigned long long> declared;
        if (!declared_text.empty()) {
            declared = std::wcstoull(declared_text.c_str(), nullptr, 10);
            if (*declared > limits_.max_body_bytes) {
                return TransferFailure::kTooLarge;
            }
        }
        // Reads at most one byte past the limit, so no more than that is ever kept.
        std::uint8_t buffer[16 * 1024];
        for (;;) {
            const std::size_t room = limits_.max_body_bytes + 1 - body_.size();
            DWORD got = 0;
            TransferFailure failure = TransferFailure::kNone;
            if (!Call(
                    [&] {
                        return WinHttpReadData(request_.get(), buffer,
                                               static_cast<DWORD>(std::min(room, sizeof buffer)),
                                               &got);
                    },
                    failure)) {
                return failure;
            }
            if (got == 0) {
                break;
            }
            body_.insert(body_.end(), buffer, buffer + got);
            if (body_.size() > limits_.max_body_bytes) {
                return TransferFailure::kTooLarge;
            }
            if (Clock::now() - started_ >= limits_.total) {
                return TransferFailure::kTooSlow;
            }
        }
        if (declared && *declared != body_.size()) {
            return TransferFailure::kIncomplete;
        }
        return TransferFailure::kNone;
    }

    std::wstring QueryText(DWORD what) {
        wchar_t text[2048];
        DWORD size = sizeof text;
        if (!WinHttpQueryHeaders(request_.get(), what, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                                 WINHTTP_NO_HEADER_INDEX)) {
            return {};
        }
        return std::wstring(text, size / sizeof(wchar_t));
    }

    // One network step on the request, waiting no longer than the stall limit and what is
    // left of the total. False with the reason when it failed or the download was
    // abandoned meanwhile (then the reason does not matter).
    template <class Step>
    bool Call(Step step, TransferFailure& failure) {
        const auto left =
            std::chrono::duration_cast<milliseconds>(limits_.total - (Clock::now() - started_));
        if (left <= milliseconds::zero()) {
            failure = TransferFailure::kTooSlow;
            return false;
        }
        const bool last_chance = left <= limits_.stall;
        const int wait =
            static_cast<int>(std::max<long long>(1, std::min(left, limits_.stall).count()));
        WinHttpSetTimeouts(request_.get(), wait, wait, wait, wait);
        DWORD response_wait = static_cast<DWORD>(wait);
        WinHttpSetOption(request_.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response_wait,
                         sizeof response_wait);
        {
            const std::lock_guard lock(shared_->mutex);
            if (shared_->abandoned) {
                return false;
            }
            shared_->waiting_in = request_.get();
        }
        const bool done = step();
        const DWORD error = done ? ERROR_SUCCESS : GetLastError();
        {
            const std::lock_guard lock(shared_->mutex);
            shared_->waiting_in = nullptr;
            if (shared_->closed_by_owner) {
                request_.Forget();
            }
            if (shared_->abandoned) {
                return false;
            }
        }
        if (done) {
            return true;
        }
        // Wine reports the socket's own WSAETIMEDOUT where Windows says ERROR_WINHTTP_TIMEOUT.
        const bool timed_out = error == ERROR_WINHTTP_TIMEOUT || error == WSAETIMEDOUT;
        failure = !timed_out    ? TransferFailure::kConnection
                  : last_chance ? TransferFailure::kTooSlow
                                : TransferFailure::kStalled;
        return false;
    }

    void Deliver(AsyncProperty outcome) {
        const std::lock_guard lock(shared_->mutex);
        if (!shared_->abandoned) {
            shared_->outcome = std::move(outcome);
            PostMessageW(shared_->sink, kDelivered, 0, 0);
        }
    }

    std::shared_ptr<Shared> shared_;
    std::string target_;
    Address address_;
    TransferLimits limits_;
    Clock::time_point started_;
    std::vector<std::uint8_t> body_;
    // Declared in the order they close: request, connection, session.
    Handle session_;
    Handle connection_;
    Handle request_;
};

class WinHttpDownload : public Download {
  public:
    explicit WinHttpDownload(AsyncReadComplete on_complete) : on_complete_(std::move(on_complete)) {
        shared_->sink = CreateWindowExW(0, SinkClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(shared_->sink, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    // Posted messages to a destroyed window are dropped; the worker, if any, finds the
    // download abandoned and delivers nothing.
    ~WinHttpDownload() override {
        {
            const std::lock_guard lock(shared_->mutex);
            shared_->abandoned = true;
            if (shared_->waiting_in != nullptr) {
                WinHttpCloseHandle(shared_->waiting_in);
                shared_->closed_by_owner = true;
            }
        }
        DestroyWindow(shared_->sink);
    }

    void Start(const std::string& target, TransferLimits limits) {
        // An address that is not text is refused, never sent with U+FFFD in it.
        const auto address = Utf16FromWtf8(target) ? Parse(Widen(target)) : std::nullopt;
        if (!address) {
            const std::lock_guard lock(shared_->mutex);
            shared_->outcome = AsyncProperty::Failed(target, TransferFailure::kCannotStart);
            PostMessageW(shared_->sink, kDelivered, 0, 0);
            return;
        }
        std::thread([transfer = std::make_unique<Transfer>(shared_, target, *address, limits)] {
            transfer->Run();
        }).detach();
    }

  private:
    static const wchar_t* SinkClass() {
        static const bool registered = [] {
            WNDCLASSW sink{};
            sink.lpfnWndProc = &SinkProc;
            sink.hInstance = GetModuleHandleW(nullptr);
            sink.lpszClassName = kSinkClass;
            return RegisterClassW(&sink) != 0;
        }();
        return registered ? kSinkClass : nullptr;
    }

    static LRESULT CALLBACK SinkProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == kDelivered) {
            if (auto* download =
                    reinterpret_cast<WinHttpDownload*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
                download->Complete();
            }
            return 0;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    void Complete() {
        std::optional<AsyncProperty> outcome;
        {
            const std::lock_guard lock(shared_->mutex);
            outcome.swap(shared_->outcome);
        }
        // The handler may destroy this download: nothing of it is touched afterwards.
        if (outcome) {
            const AsyncReadComplete on_complete = on_complete_;
            on_complete(*outcome);
        }
    }

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    AsyncReadComplete on_complete_;
};

}  // namespace

std::unique_ptr<Download> AsyncRead(const std::string& url, AsyncReadComplete on_complete,
                                    TransferLimits limits) {
    auto download = std::make_unique<WinHttpDownload>(std::move(on_complete));
    download->Start(url, limits);
    return download;
}

}  // namespace vantrelle::net
