// The program's windows and their lifetime. An unloaded window disappears at once and is
// destroyed, controls and all, from the message loop, after the handler that unloaded it
// has returned.

#include <algorithm>

#include "platform/ui/win32/native.h"

namespace vantrelle::ui {

namespace {

constexpr UINT kDestroyUnloaded = WM_APP + 2;
constexpr UINT kRunHeldEvents = WM_APP + 3;
constexpr wchar_t kSinkClass[] = L"VantrelleProgramSink";

LRESULT CALLBACK SinkProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kDestroyUnloaded) {
        auto* native = reinterpret_cast<Program::Native*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (native != nullptr) {
            native->destroy_posted = false;
            // Taken out first: a window's destructor may unload or show others.
            std::vector<std::unique_ptr<Window>> doomed;
            auto& windows = native->windows;
            for (auto it = windows.begin(); it != windows.end();) {
                if ((*it)->unloaded()) {
                    doomed.push_back(std::move(*it));
                    it = windows.erase(it);
                } else {
                    ++it;
                }
            }
        }
        return 0;
    }
    if (message == kRunHeldEvents) {
        auto* native = reinterpret_cast<Program::Native*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (native != nullptr && native->run_held_events) {
            native->run_held_events();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND MakeSink(Program::Native* native) {
    static const bool registered = [] {
        WNDCLASSW sink{};
        sink.lpfnWndProc = &SinkProc;
        sink.hInstance = win32::Module();
        sink.lpszClassName = kSinkClass;
        return RegisterClassW(&sink) != 0;
    }();
    if (!registered) {
        return nullptr;
    }
    HWND sink = CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                win32::Module(), nullptr);
    SetWindowLongPtrW(sink, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(native));
    return sink;
}

}  // namespace

Program::Program(std::function<void()> quit)
    : native_(std::make_unique<Native>()), quit_(std::move(quit)) {
    native_->run_held_events = [this] { RunHeldEvents(); };
    native_->sink = MakeSink(native_.get());
}

Program::~Program() {
    ended_ = true;
    for (auto& window : native_->windows) {
        window->unloaded_ = true;
    }
    loaded_.clear();
    std::vector<std::unique_ptr<Window>> windows = std::move(native_->windows);
    windows.clear();
    DestroyWindow(native_->sink);
}

void Program::Adopt(std::unique_ptr<Window> window) {
    loaded_.insert(window.get());
    native_->windows.push_back(std::move(window));
}

void Program::Unload(Window& window) {
    if (window.unloaded_) {
        return;
    }
    window.unloaded_ = true;
    loaded_.erase(&window);
    ShowWindow(window.native().hwnd, SW_HIDE);
    if (!native_->destroy_posted) {
        native_->destroy_posted = PostMessageW(native_->sink, kDestroyUnloaded, 0, 0) != FALSE;
    }
    if (loaded_.empty()) {
        Quit();
    }
}

void Program::End() {
    if (ended_) {
        return;
    }
    ended_ = true;
    for (Window* window : std::vector<Window*>(loaded_.begin(), loaded_.end())) {
        Unload(*window);
    }
    Quit();
}

void Program::ScheduleHeldEvents() {
    PostMessageW(native_->sink, kRunHeldEvents, 0, 0);
}

void Program::Quit() {
    ended_ = true;
    if (native_->quit_called) {
        return;
    }
    native_->quit_called = true;
    if (quit_) {
        quit_();
    } else {
        PostQuitMessage(0);
    }
}

}  // namespace vantrelle::ui
