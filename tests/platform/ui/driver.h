#pragma once

// How the contract tests and the windows' tests act as the user and look at the screen,
// whatever the toolkit: each implementation of the windowing contract has one
// implementation of this header beside its tests. Sizes here are pixels of the client
// area, as the user sees them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/dir_list.h"
#include "platform/ui/drive_list.h"
#include "platform/ui/image.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"
#include "platform/ui/option_button.h"
#include "platform/ui/program.h"

namespace vantrelle::ui::driver {

// ---- acting as the user

// A left click in the middle of the control (or, for a check box or an option button,
// on its box).
void Click(Control& control);
enum class Key { kEnter, kSpace, kTab };
// Gives the control the focus, then presses and releases the key.
void Press(Control& control, Key key);
void Choose(MenuItem& item);
void SelectDrive(DriveListBox& list, const std::string& drive);
// Selects the entry of the list that stands for `path` without opening it; false when
// the list shows no such entry.
bool Select(DirListBox& list, const std::string& path);
// Opens the entry of the list that stands for `path` (an ancestor or a sub-folder);
// false when the list shows no such entry.
bool Open(DirListBox& list, const std::string& path);
// The close box of the title bar.
void Close(Window& window);

// ---- letting the toolkit work

// Handles what is pending, destroying unloaded windows too.
void ProcessEvents();
// Runs the event loop until `done` holds or `milliseconds` have passed.
bool WaitFor(const std::function<bool()>& done, int milliseconds);

// Starts recording what the toolkit reports; the tests' main calls it once.
void RecordToolkitMessages();
// What the toolkit reported (warnings, errors) since the last call, apart from notes of
// a headless display about what it cannot do.
std::vector<std::string> TakeToolkitMessages();

// ---- looking

bool IsOnScreen(const Window& window);
int ClientWidth(const Window& window);
int ClientHeight(const Window& window);
// From the window's top-left corner to the client area's, in pixels (the menu bar).
int MenuBarHeight(const Window& window);
struct PixelRect {
    int left, top, width, height;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
PixelRect Geometry(const Control& control);
// The name of the control under the point of the client area, "" for none.
std::string ControlAt(const Window& window, int x, int y);
std::string FocusedControl(const Window& window);
// The names among `names` in the order Tab visits them, starting from the first.
std::vector<std::string> FocusOrder(const Window& window, const std::vector<std::string>& names);
bool HasMinimizeButton(const Window& window);
bool HasMaximizeButton(const Window& window);
bool IsResizable(const Window& window);
bool HasIcon(const Window& window);
// The screen position of the client area's top-left corner, in pixels.
PixelRect ScreenGeometry(const Window& window);

struct ShownFont {
    std::string family;  // the family asked for
    double points;
    bool bold;
    bool default_font;  // the user interface's default font
};
ShownFont FontOf(const Control& control);
// What a screen reader is told of the control: its role ("label" for a static text,
// else the toolkit's number) and its name, each line break one "\n".
struct Accessible {
    std::string role, name;
};
Accessible AccessibleOf(const Control& control);

// Whether the face that stands for the control's font has a glyph for `code_point`.
bool HasGlyph(const Control& control, char32_t code_point);

// The menus of the window's menu bar, each with its items: caption and name.
struct ShownMenu {
    std::string name, caption;
    std::vector<std::pair<std::string, std::string>> items;  // name, caption
};
std::vector<ShownMenu> Menus(const Window& window);
bool MenuBarRightToLeft(const Window& window);

// The width and height of the picture an image shows.
std::pair<int, int> PictureSize(const Image& image);

// The box of a check box or an option button, within the control.
PixelRect BoxOf(const Control& control);

// What a list shows, entry by entry: a drive list's texts; a folder list's names, top
// first, each after two spaces for every level it lies below the top.
std::vector<std::string> Entries(const DriveListBox& list);
std::vector<std::string> Entries(const DirListBox& list);

// The lines a label shows, as it broke and wrapped them.
std::vector<std::string> ShownLines(const Label& label);
// How often the label has been painted on screen so far.
int Paints(const Label& label);

// The control as it is painted now: one 0xRRGGBB value per pixel, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[y * width + x]; }
};
Picture Grab(const Control& control);

// The controls of the window whose caption its font cannot show whole: a label whose
// wrapped lines need more room than it has, a button, check box or option button whose
// text is wider than the room beside its box or inside its frame.
std::vector<std::string> ClippedCaptions(const Window& window);

}  // namespace vantrelle::ui::driver
