#pragma once

// What the Win32 implementation keeps behind the contract's objects, shared by its
// files and by its test driver (which reads more through test_access.h).

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/menu.h"
#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

struct Application::Native {
    bool com_initialized = false;
};

struct Program::Native {
    // Every window not yet destroyed, loaded or unloaded.
    std::vector<std::unique_ptr<Window>> windows;
    // Receives the request to destroy unloaded windows once their handlers returned.
    HWND sink = nullptr;
    // Runs the events held while a handler ran.
    std::function<void()> run_held_events;
    bool destroy_posted = false;
    bool quit_called = false;
};

struct Window::Native {
    HWND hwnd = nullptr;
    HMENU menu_bar = nullptr;
    WindowStyle style;
    std::vector<Menu*> menus;
    std::map<UINT, MenuItem*> items;
    UINT next_item_id = 100;
    // Sized to its client area, menu bar included, once at the first display.
    bool placed = false;
    HWND last_focus = nullptr;
};

struct Control::Native {
    virtual ~Native();

    HWND hwnd = nullptr;
    Control* owner = nullptr;
    Font font;  // as asked for; an empty family is the default font
    bool right_to_left = false;
    int paints = 0;  // how often the control has been painted

    // A WM_COMMAND notification from the control.
    virtual void Notified(WORD /*code*/) {}
    // Enter pressed while the control has the focus; false leaves the key alone.
    virtual bool Entered() { return false; }
    // WM_CTLCOLORSTATIC: a brush when the control paints in colours of its own.
    virtual HBRUSH Colored(HDC /*dc*/) { return nullptr; }
    virtual void ApplyRightToLeft();
    virtual void FontChanged() {}
    // A volume arrived or went (WM_DEVICECHANGE to the control's window).
    virtual void VolumesChanged() {}
};

struct Menu::Native {
    Window* window = nullptr;
    HMENU popup = nullptr;
    UINT position = 0;
    std::string caption;
};

struct MenuItem::Native {
    Window* window = nullptr;
    HMENU popup = nullptr;
    UINT id = 0;
    std::string caption;
};

namespace win32 {

// A child control of `window` of the Win32 class `win32_class` at `at` twips, in the
// default font.
HWND MakeChild(Window& window, const wchar_t* win32_class, DWORD style, DWORD ex_style,
               const Rect& at);
// The control of this process that `hwnd` belongs to, or nullptr.
Control* ControlOf(HWND hwnd);
// The window of the program that a top-level `hwnd` is, or nullptr.
Window* WindowOf(HWND hwnd);
// Hands one message of the loop to the program's windows: Enter to the focused button or
// list, Tab, arrows and Space through the dialog manager, the rest as usual.
void Dispatch(MSG& message);
HFONT FontFor(const Font& font);
void SetStyleBits(HWND hwnd, int which, LONG_PTR bits, bool on);
// Right to left, a check box or an option button has its box on the right of its text,
// the text kept to the box's side.
void ApplyBoxSide(Control::Native& native);
// A check box or an option button wraps its caption only where it is tall enough for a
// second line: one line high, a wrapped caption would show neither line whole.
void ApplyBoxLines(Control::Native& native);
HINSTANCE Module();

}  // namespace win32
}  // namespace vantrelle::ui
