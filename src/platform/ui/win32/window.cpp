// A window of the program: a top-level Win32 window whose client area has the size its
// table gives, with the menu bar outside it, and whose controls' notifications it turns
// into the controls' events.

#include <algorithm>

// clang-format off
#include "platform/ui/win32/native.h"
#include <dbt.h>
// clang-format on

#include "platform/ui/resources.h"
#include "platform/ui/win32/twips.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

constexpr wchar_t kWindowClass[] = L"VantrelleWindow";

DWORD StyleOf(const WindowStyle& style) {
    DWORD bits = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (style.minimize_button) {
        bits |= WS_MINIMIZEBOX;
    }
    return bits;
}

DWORD ExStyleOf(const WindowStyle& style) {
    // The dialog manager walks into the controls of a window with WS_EX_CONTROLPARENT.
    DWORD bits = WS_EX_CONTROLPARENT;
    if (style.border == Border::kFixedDialog) {
        bits |= WS_EX_DLGMODALFRAME;
    }
    return bits;
}

bool TakesFocus(HWND hwnd) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    return (style & WS_TABSTOP) != 0 && (style & WS_VISIBLE) != 0 && IsWindowEnabled(hwnd);
}

HWND FirstFocus(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (TakesFocus(child)) {
            return child;
        }
    }
    return nullptr;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* window = win32::WindowOf(hwnd);
    if (window == nullptr) {
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    const bool live = !window->unloaded() && !window->program().ended();
    switch (message) {
        case WM_COMMAND: {
            if (!live) {
                return 0;
            }
            const Program::HandlerScope scope(window->program());
            if (lparam != 0) {
                if (Control* control = win32::ControlOf(reinterpret_cast<HWND>(lparam))) {
                    control->native().Notified(HIWORD(wparam));
                }
            } else if (HIWORD(wparam) == 0) {
                const auto found = window->native().items.find(LOWORD(wparam));
                if (found != window->native().items.end() && found->second->Click) {
                    found->second->Click();
                }
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            if (Control* control = win32::ControlOf(reinterpret_cast<HWND>(lparam))) {
                if (HBRUSH brush = control->native().Colored(reinterpret_cast<HDC>(wparam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            break;
        case WM_ACTIVATE:
            // The focus comes back to the control that had it when the window was left.
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd, focus)) {
                    window->native().last_focus = focus;
                }
            } else {
                HWND focus = window->native().last_focus;
                if (focus == nullptr || !IsWindow(focus) || !TakesFocus(focus)) {
                    focus = FirstFocus(hwnd);
                }
                if (focus != nullptr) {
                    SetFocus(focus);
                }
            }
            return 0;
        case WM_DEVICECHANGE:
            // Sent to every top-level window when a volume (a drive letter) comes or goes.
            if (live && (wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) &&
                lparam != 0 &&
                reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam)->dbch_devicetype ==
                    DBT_DEVTYP_VOLUME) {
                EnumChildWindows(
                    hwnd,
                    [](HWND child, LPARAM) -> BOOL {
                        if (Control* control = win32::ControlOf(child)) {
                            control->native().VolumesChanged();
                        }
                        return TRUE;
                    },
                    0);
            }
            return TRUE;
        case WM_CLOSE:
            if (live) {
                window->Unload();
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

const wchar_t* WindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW window{};
        window.cbSize = sizeof window;
        window.lpfnWndProc = &WindowProc;
        window.hInstance = win32::Module();
        window.hIcon = LoadIconW(win32::Module(), MAKEINTRESOURCEW(VANTRELLE_ICON));
        if (window.hIcon == nullptr) {
            window.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        }
        window.hIconSm = static_cast<HICON>(
            LoadImageW(win32::Module(), MAKEINTRESOURCEW(VANTRELLE_ICON), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window.lpszClassName = kWindowClass;
        return RegisterClassExW(&window) != 0;
    }();
    return registered ? kWindowClass : nullptr;
}

}  // namespace

Window::Window(Program& program, const WindowStyle& style)
    : program_(program),
      name_(style.name),
      caption_(style.caption),
      native_(std::make_unique<Native>()) {
    native_->style = style;
    native_->hwnd = CreateWindowExW(
        ExStyleOf(style), WindowClass(), win32::Widen(caption_).c_str(), StyleOf(style),
        CW_USEDEFAULT, CW_USEDEFAULT, win32::TwipsToPixels(style.client_width),
        win32::TwipsToPixels(style.client_height), nullptr, nullptr, win32::Module(), nullptr);
    SetWindowLongPtrW(native_->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Window::~Window() {
    HWND hwnd = native_->hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    if (native_->menu_bar != nullptr && !IsWindow(hwnd)) {
        // A menu bar goes with its window; one never attached goes here.
        DestroyMenu(native_->menu_bar);
    }
}

void Window::Show() {
    HWND hwnd = native_->hwnd;
    if (!native_->placed) {
        native_->placed = true;
        const WindowStyle& style = native_->style;
        RECT frame{0, 0, win32::TwipsToPixels(style.client_width),
                   win32::TwipsToPixels(style.client_height)};
        AdjustWindowRectEx(&frame, StyleOf(style), native_->menu_bar != nullptr, ExStyleOf(style));
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        int x = 0, y = 0;
        if (style.client_position) {
            x = win32::TwipsToPixels(style.client_position->x) + frame.left;
            y = win32::TwipsToPixels(style.client_position->y) + frame.top;
        } else {
            flags |= SWP_NOMOVE;
        }
        SetWindowPos(hwnd, nullptr, x, y, frame.right - frame.left, frame.bottom - frame.top,
                     flags);
    }
    ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd);
    if (GetFocus() == nullptr || !IsChild(hwnd, GetFocus())) {
        if (HWND focus = FirstFocus(hwnd)) {
            SetFocus(focus);
        }
    }
}

void Window::SetTabOrder(const std::vector<std::string>& names) {
    // The dialog manager visits the controls in their z-order.
    HWND after = HWND_TOP;
    for (const std::string& name : names) {
        if (Control* control = FindControl(name)) {
            SetWindowPos(control->native().hwnd, after, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = control->native().hwnd;
        }
    }
}

Control* Window::FindControl(std::string_view name) const {
    const auto found =
        std::find_if(controls_.begin(), controls_.end(),
                     [&](const Control* control) { return control->Name() == name; });
    return found != controls_.end() ? *found : nullptr;
}

}  // namespace vantrelle::ui
