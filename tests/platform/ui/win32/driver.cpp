// The test driver over Win32: acts through the messages a user's mouse and keys would
// produce, and looks at the windows through the system's own answers.

#include "platform/ui/driver.h"

#include <algorithm>

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/shaped_line.h"
#include "platform/ui/win32/test_access.h"
#include "platform/ui/win32/wide_text.h"
// After windows.h, which native.h brings.
#include <oleacc.h>

namespace vantrelle::ui::driver {

namespace {

HWND Hwnd(const Control& control) {
    return control.native().hwnd;
}

HWND Hwnd(const Window& window) {
    return window.native().hwnd;
}

LONG_PTR Style(HWND hwnd) {
    return GetWindowLongPtrW(hwnd, GWL_STYLE);
}

bool IsBoxButton(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    const LONG_PTR type = Style(hwnd) & BS_TYPEMASK;
    return std::wstring_view(name) == L"Button" || std::wstring_view(name) == L"BUTTON"
               ? type == BS_CHECKBOX || type == BS_RADIOBUTTON
               : false;
}

std::string ClassOf(HWND hwnd) {
    wchar_t name[32] = {};
    GetClassNameW(hwnd, name, 32);
    std::string narrow = win32::Narrow(name);
    std::transform(narrow.begin(), narrow.end(), narrow.begin(),
                   [](char c) { return static_cast<char>(std::toupper(c)); });
    return narrow;
}

void Notify(HWND control, WORD code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

std::wstring TextOf(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(length + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(length);
    return text;
}

// The width of `text` in the control's font, and the height of a line.
SIZE Extent(HWND hwnd, const std::wstring& text) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, L"Ag", 2, &size);
    // Shaped as the controls draw it: GDI's extents under Wine take Arabic letters unjoined.
    size.cx = win32::ShapedWidth(dc, text,
                                 (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return size;
}

// Greedy wrapping at spaces, as DrawText's word break does.
std::vector<std::wstring> Wrap(HWND hwnd, const std::wstring& text, int width) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        const std::wstring paragraph = text.substr(start, end - start);
        std::wstring line;
        std::size_t at = 0;
        bool any = false;
        while (at <= paragraph.size()) {
            std::size_t space = paragraph.find(L' ', at);
            if (space == std::wstring::npos) {
                space = paragraph.size();
            }
            const std::wstring word = paragraph.substr(at, space - at);
            const std::wstring longer = line.empty() ? word : line + L" " + word;
            if (!line.empty() && Extent(hwnd, longer).cx > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = longer;
            }
            any = true;
            at = space + 1;
        }
        if (any || paragraph.empty()) {
            lines.push_back(line);
        }
        start = end + 2;
    }
    return lines;
}

RECT ClientRect(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    return rect;
}

}  // namespace

void Click(Control& control) {
    HWND hwnd = Hwnd(control);
    const RECT rect = ClientRect(hwnd);
    int x = rect.right / 2;
    if (IsBoxButton(hwnd)) {
        x = control.RightToLeft() ? rect.right - 7 : 7;
    }
    const LPARAM at = MAKELPARAM(x, rect.bottom / 2);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
    ProcessEvents();
}

void Press(Control& control, Key key) {
    HWND hwnd = Hwnd(control);
    SetFocus(hwnd);
    const WPARAM code = key == Key::kEnter ? VK_RETURN : key == Key::kSpace ? VK_SPACE : VK_TAB;
    PostMessageW(hwnd, WM_KEYDOWN, code, 1);
    PostMessageW(hwnd, WM_KEYUP, code, 1 | (1u << 30) | (1u << 31));
    ProcessEvents();
}

void Choose(MenuItem& item) {
    SendMessageW(item.native().window->native().hwnd, WM_COMMAND, MAKEWPARAM(item.native().id, 0),
                 0);
    ProcessEvents();
}

void SelectDrive(DriveListBox& list, const std::string& drive) {
    const int index = win32::DriveIndex(list, drive);
    if (index < 0) {
        return;
    }
    SendMessageW(Hwnd(list), CB_SETCURSEL, index, 0);
    Notify(Hwnd(list), CBN_SELCHANGE);
    ProcessEvents();
}

bool Open(DirListBox& list, const std::string& path) {
    const int index = win32::DirEntryIndex(list, path);
    if (index < 0) {
        return false;
    }
    SendMessageW(Hwnd(list), LB_SETCURSEL, index, 0);
    Notify(Hwnd(list), LBN_DBLCLK);
    ProcessEvents();
    return true;
}

bool Select(DirListBox& list, const std::string& path) {
    const int index = win32::DirEntryIndex(list, path);
    if (index < 0) {
        return false;
    }
    SendMessageW(Hwnd(list), LB_SETCURSEL, index, 0);
    Notify(Hwnd(list), LBN_SELCHANGE);
    ProcessEvents();
    return true;
}

void Close(Window& window) {
    SendMessageW(Hwnd(window), WM_SYSCOMMAND, SC_CLOSE, 0);
    ProcessEvents();
}

void ProcessEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::Dispatch(message);
    }
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    for (;;) {
        ProcessEvents();
        if (done()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= until) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                  static_cast<DWORD>(std::min<ULONGLONG>(until - now, 20)),
                                  QS_ALLINPUT);
    }
}

// Win32 reports nothing of its own: failures come back as return values, and the
// implementation turns each into what the user sees.
void RecordToolkitMessages() {}

std::vector<std::string> TakeToolkitMessages() {
    return {};
}

bool IsOnScreen(const Window& window) {
    return !window.unloaded() && IsWindowVisible(Hwnd(window)) != FALSE;
}

int ClientWidth(const Window& window) {
    return ClientRect(Hwnd(window)).right;
}

int ClientHeight(const Window& window) {
    return ClientRect(Hwnd(window)).bottom;
}

int MenuBarHeight(const Window& window) {
    MENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    if (GetMenu(Hwnd(window)) == nullptr || !GetMenuBarInfo(Hwnd(window), OBJID_MENU, 0, &bar)) {
        return 0;
    }
    POINT client{0, 0};
    ClientToScreen(Hwnd(window), &client);
    return client.y - bar.rcBar.top;
}

PixelRect Geometry(const Control& control) {
    RECT rect{};
    GetWindowRect(Hwnd(control), &rect);
    MapWindowPoints(nullptr, GetParent(Hwnd(control)), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::string ControlAt(const Window& window, int x, int y) {
    HWND child = ChildWindowFromPointEx(Hwnd(window), POINT{x, y}, CWP_SKIPINVISIBLE);
    Control* control = win32::ControlOf(child);
    return control != nullptr ? control->Name() : std::string();
}

std::string FocusedControl(const Window& window) {
    Control* control = win32::ControlOf(GetFocus());
    return control != nullptr && &control->window() == &window ? control->Name() : std::string();
}

// The dialog manager visits the controls in their z-order, the labels holding their
// place without taking the focus.
std::vector<std::string> FocusOrder(const Window& window, const std::vector<std::string>& names) {
    std::vector<std::string> order;
    Control* first = names.empty() ? nullptr : window.FindControl(names.front());
    if (first == nullptr) {
        return order;
    }
    std::vector<std::string> ring;
    for (HWND child = GetWindow(Hwnd(window), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (Control* control = win32::ControlOf(child)) {
            ring.push_back(control->Name());
        }
    }
    const auto start = std::find(ring.begin(), ring.end(), first->Name());
    std::rotate(ring.begin(), start, ring.end());
    for (const std::string& name : ring) {
        if (std::find(names.begin(), names.end(), name) != names.end()) {
            order.push_back(name);
        }
    }
    return order;
}

bool HasMinimizeButton(const Window& window) {
    return (Style(Hwnd(window)) & WS_MINIMIZEBOX) != 0;
}

bool HasMaximizeButton(const Window& window) {
    return (Style(Hwnd(window)) & WS_MAXIMIZEBOX) != 0;
}

bool IsResizable(const Window& window) {
    return (Style(Hwnd(window)) & WS_THICKFRAME) != 0;
}

bool HasIcon(const Window& window) {
    return GetClassLongPtrW(Hwnd(window), GCLP_HICON) != 0;
}

PixelRect ScreenGeometry(const Window& window) {
    POINT origin{0, 0};
    ClientToScreen(Hwnd(window), &origin);
    const RECT client = ClientRect(Hwnd(window));
    return {origin.x, origin.y, client.right, client.bottom};
}

Accessible AccessibleOf(const Control& control) {
    IAccessible* element = nullptr;
    if (FAILED(AccessibleObjectFromWindow(Hwnd(control), OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&element))) ||
        element == nullptr) {
        return {};
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    Accessible shown;
    VARIANT role;
    VariantInit(&role);
    if (SUCCEEDED(element->get_accRole(self, &role)) && role.vt == VT_I4) {
        shown.role = role.lVal == ROLE_SYSTEM_STATICTEXT ? "label" : std::to_string(role.lVal);
    }
    BSTR name = nullptr;
    if (SUCCEEDED(element->get_accName(self, &name)) && name != nullptr) {
        std::wstring text(name, SysStringLen(name));
        SysFreeString(name);
        for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos;
             at = text.find(L"\r\n", at)) {
            text.replace(at, 2, L"\n");
        }
        shown.name = win32::Narrow(text);
    }
    element->Release();
    return shown;
}

ShownFont FontOf(const Control& control) {
    const Font& font = control.native().font;
    if (font.family.empty()) {
        return {"MS Shell Dlg", 8.25, false, true};
    }
    return {font.family, font.points, font.bold, false};
}

bool HasGlyph(const Control& control, char32_t code_point) {
    if (code_point > 0xFFFF) {
        return false;
    }
    HWND hwnd = Hwnd(control);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    const wchar_t unit = static_cast<wchar_t>(code_point);
    WORD glyph = 0xFFFF;
    GetGlyphIndicesW(dc, &unit, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return glyph != 0xFFFF;
}

std::vector<ShownMenu> Menus(const Window& window) {
    std::vector<ShownMenu> shown;
    HMENU bar = GetMenu(Hwnd(window));
    const auto text_of = [](HMENU menu, UINT position) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
        std::wstring plain;
        for (const wchar_t* c = text; *c != 0; ++c) {
            if (*c == L'&' && c[1] == L'&') {
                ++c;
            }
            plain += *c;
        }
        return win32::Narrow(plain);
    };
    for (const Menu* menu : window.native().menus) {
        ShownMenu entry{menu->Name(), text_of(bar, menu->native().position), {}};
        HMENU popup = menu->native().popup;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            const auto found = window.native().items.find(GetMenuItemID(popup, i));
            entry.items.emplace_back(
                found != window.native().items.end() ? found->second->Name() : std::string(),
                text_of(popup, static_cast<UINT>(i)));
        }
        shown.push_back(std::move(entry));
    }
    return shown;
}

bool MenuBarRightToLeft(const Window& window) {
    return (GetWindowLongPtrW(Hwnd(window), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
}

std::pair<int, int> PictureSize(const Image& image) {
    auto bitmap =
        reinterpret_cast<HBITMAP>(SendMessageW(Hwnd(image), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) {
        return {0, 0};
    }
    return {info.bmWidth, info.bmHeight};
}

PixelRect BoxOf(const Control& control) {
    const RECT rect = ClientRect(Hwnd(control));
    const int size = GetSystemMetrics(SM_CXMENUCHECK);
    const bool right = (Style(Hwnd(control)) & BS_LEFTTEXT) != 0;
    return {right ? rect.right - size : 0, (rect.bottom - size) / 2, size, size};
}

namespace {
std::vector<std::string> ListTexts(HWND hwnd, UINT count, UINT length, UINT text) {
    std::vector<std::string> entries;
    const LRESULT entries_count = SendMessageW(hwnd, count, 0, 0);
    for (LRESULT i = 0; i < entries_count; ++i) {
        std::wstring entry(SendMessageW(hwnd, length, i, 0) + 1, L'\0');
        SendMessageW(hwnd, text, i, reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(wcslen(entry.c_str()));
        entries.push_back(win32::Narrow(entry));
    }
    return entries;
}
}  // namespace

std::vector<std::string> Entries(const DriveListBox& list) {
    return ListTexts(Hwnd(list), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::vector<std::string> Entries(const DirListBox& list) {
    return ListTexts(Hwnd(list), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int Paints(const Label& label) {
    return win32::Paints(label);
}

std::vector<std::string> ShownLines(const Label& label) {
    return win32::ShownLines(label);
}

Picture Grab(const Control& control) {
    HWND hwnd = Hwnd(control);
    const RECT rect = ClientRect(hwnd);
    Picture picture{static_cast<int>(rect.right), static_cast<int>(rect.bottom), {}};
    HDC screen = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(memory),
                 PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(pixels, pixels + picture.width * picture.height);
    for (std::uint32_t& pixel : picture.pixels) {
        pixel &= 0xFFFFFF;  // BGRA in memory is 0x00RRGGBB read as one word
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(hwnd, screen);
    return picture;
}

std::vector<std::string> ClippedCaptions(const Window& window) {
    std::vector<std::string> clipped;
    for (HWND child = GetWindow(Hwnd(window), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        Control* control = win32::ControlOf(child);
        const std::string kind = ClassOf(child);
        const std::wstring text = TextOf(child);
        if (control == nullptr || text.empty() || (Style(child) & WS_VISIBLE) == 0) {
            continue;
        }
        const RECT rect = ClientRect(child);
        const int line_height = Extent(child, L"Ag").cy;
        int room = rect.right;
        if (kind == "BUTTON" && IsBoxButton(child)) {
            room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
        } else if (kind == "BUTTON") {
            room -= 8;
        } else if (kind != "STATIC") {
            continue;
        }
        const std::vector<std::wstring> lines = Wrap(child, text, room);
        const bool too_wide =
            std::any_of(lines.begin(), lines.end(),
                        [&](const std::wstring& line) { return Extent(child, line).cx > room; });
        const bool multi_line =
            kind == "STATIC" || (IsBoxButton(child) && (Style(child) & BS_MULTILINE) != 0);
        const int needed = (multi_line ? static_cast<int>(lines.size()) : 1) * line_height;
        if (too_wide || needed > rect.bottom || (!multi_line && lines.size() > 1)) {
            clipped.push_back(control->Name());
        }
    }
    return clipped;
}

}  // namespace vantrelle::ui::driver
