// What the Win32 implementation adds to the contract: sizes in pixels of the screen,
// the frame each window asks for, and the keys the dialog manager leaves to it.

#include <gtest/gtest.h>

#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/drive_list.h"
#include "platform/ui/driver.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"
#include "platform/ui/win32/native.h"
#include "platform/ui/win32/twips.h"

namespace vantrelle::ui {
namespace {

struct TestWindow : Window {
    TestWindow(Program& program, WindowStyle style)
        : Window(program, style),
          menu(*this, "Menu", "Menu"),
          exit(menu, "Exit", "E&xit"),
          label(*this, "Label1", {120, 120, 1500, 600}),
          box(*this, "Check1", {120, 800, 1500, 375}),
          button(*this, "Command1", {120, 1300, 1215, 375}) {
        SetTabOrder({"Label1", "Command1", "Check1"});
    }
    Menu menu;
    MenuItem exit;
    Label label;
    CheckBox box;
    CommandButton button;
};

WindowStyle Style(std::optional<Point> at = {}) {
    return {"Form9", "Vantrelle", 6135, 4980, Border::kFixedSingle, true, at};
}

TEST(Win32Windows, TheClientAreaHasTheTableSizeWithTheMenuBarOutsideAndSitsWhereAsked) {
    Program program;
    WindowSlot<TestWindow> slot(program, [&] {
        return std::make_unique<TestWindow>(program, Style(Point{2535, 2190}));
    });
    TestWindow* window = slot.Show();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(driver::ClientWidth(*window), win32::TwipsToPixels(6135));
    EXPECT_EQ(driver::ClientHeight(*window), win32::TwipsToPixels(4980));
    EXPECT_GT(driver::MenuBarHeight(*window), 0);
    const driver::PixelRect screen = driver::ScreenGeometry(*window);
    EXPECT_EQ(screen.left, win32::TwipsToPixels(2535));
    EXPECT_EQ(screen.top, win32::TwipsToPixels(2190));
    EXPECT_TRUE(driver::HasMinimizeButton(*window));
    EXPECT_FALSE(driver::HasMaximizeButton(*window));
    EXPECT_FALSE(driver::IsResizable(*window));
    EXPECT_TRUE(driver::HasIcon(*window));
    EXPECT_EQ(driver::Menus(*window).at(0).items.at(0).second, "E&xit");
}

TEST(Win32Windows, EnterAndSpacePressTheFocusedButtonAndTabFollowsTheOrder) {
    Program program;
    WindowSlot<TestWindow> slot(program,
                                [&] { return std::make_unique<TestWindow>(program, Style()); });
    TestWindow* window = slot.Show();
    int clicks = 0;
    window->button.Click = [&] { ++clicks; };
    driver::Press(window->button, driver::Key::kEnter);
    driver::Press(window->button, driver::Key::kSpace);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(driver::FocusOrder(*window, {"Command1", "Check1"}),
              (std::vector<std::string>{"Command1", "Check1"}));
    EXPECT_EQ(driver::FocusedControl(*window), "Command1");
}

TEST(Win32Windows, ALabelBreaksAtALoneCrAndShowsAmpersandsAsTheyAre) {
    Program program;
    WindowSlot<TestWindow> slot(program,
                                [&] { return std::make_unique<TestWindow>(program, Style()); });
    TestWindow* window = slot.Show();
    window->label.SetCaption("Tom & Jerry\rnext\r\nlast");
    EXPECT_EQ(driver::ShownLines(window->label),
              (std::vector<std::string>{"Tom & Jerry", "next", "last"}));
    EXPECT_EQ(window->label.Caption(), "Tom & Jerry\rnext\r\nlast");
}

TEST(Win32Windows, RightToLeftPutsTheBoxOnTheRightAndAClickOnItChecksIt) {
    Program program;
    WindowSlot<TestWindow> slot(program,
                                [&] { return std::make_unique<TestWindow>(program, Style()); });
    TestWindow* window = slot.Show();
    window->box.SetRightToLeft(true);
    const LONG_PTR style = GetWindowLongPtrW(window->box.native().hwnd, GWL_STYLE);
    EXPECT_NE(style & BS_LEFTTEXT, 0);
    int clicks = 0;
    window->box.Click = [&] { ++clicks; };
    driver::Click(window->box);
    EXPECT_EQ(window->box.Value(), 1);
    EXPECT_EQ(clicks, 1);
}

TEST(Win32Windows, UnloadingTheLastWindowEndsTheProgramAndNoHandlerRunsAfterEnd) {
    int quits = 0;
    Program program([&] { ++quits; });
    WindowSlot<TestWindow> slot(program,
                                [&] { return std::make_unique<TestWindow>(program, Style()); });
    TestWindow* window = slot.Show();
    HWND hwnd = window->native().hwnd;
    driver::Close(*window);
    EXPECT_EQ(slot.Loaded(), nullptr);
    EXPECT_EQ(quits, 1);
    driver::ProcessEvents();
    EXPECT_FALSE(IsWindow(hwnd)) << "the unloaded window was not destroyed";
    EXPECT_EQ(slot.Show(), nullptr);
}

TEST(Win32Windows, TheClosedDriveListHasTheTablesHeightAndItsTextFitsInside) {
    Program program([] {});
    Window window(program, Style());
    DriveListBox drives(window, "Drive1", {1320, 120, 1575, 315}, {{"E:", "e: [STICK]", true}});
    window.Show();
    EXPECT_EQ(driver::Geometry(drives).height, win32::TwipsToPixels(315));

    HWND hwnd = drives.native().hwnd;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    EXPECT_GE(SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), metrics.tmHeight)
        << "the field shows the drive's text whole";
}

}  // namespace
}  // namespace vantrelle::ui
