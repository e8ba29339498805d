#include "platform/ui/win32/message_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

namespace vantrelle::ui::win32 {
namespace {

// What was on screen while the box was up, read by a second thread, which then presses
// `button`.
struct SeenBox {
    std::wstring text;
    bool yes = false, no = false, ok = false;
    int default_button = 0;
    LONG_PTR ex_style = 0;
    bool owner_window_enabled = true;
};

SeenBox AnswerBox(const wchar_t* title, int button, HWND other_window) {
    SeenBox seen;
    HWND box = nullptr;
    // A loaded machine may take many seconds to show a box under Wine.
    for (int tries = 0; tries < 6000 && box == nullptr; ++tries) {
        Sleep(10);
        box = FindWindowW(L"#32770", title);
    }
    if (box == nullptr) {
        return seen;
    }
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    seen.text = text;
    seen.yes = GetDlgItem(box, IDYES) != nullptr;
    seen.no = GetDlgItem(box, IDNO) != nullptr;
    seen.ok = GetDlgItem(box, IDOK) != nullptr;
    seen.ex_style = GetWindowLongPtrW(box, GWL_EXSTYLE);
    for (int id : {IDYES, IDNO, IDOK}) {
        HWND item = GetDlgItem(box, id);
        if (item != nullptr && (GetWindowLongPtrW(item, GWL_STYLE) & 0x0f) == BS_DEFPUSHBUTTON) {
            seen.default_button = id;
        }
    }
    seen.owner_window_enabled = IsWindowEnabled(other_window) != FALSE;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return seen;
}

TEST(Win32MessageBox, ShowsTheTextLeftToRightKeepsTheProgramWaitingAndAnswersTheButton) {
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    Win32MessageBox box;
    SeenBox seen;
    std::thread answer([&] { seen = AnswerBox(L"هشدار", IDYES, other); });
    // 52: Yes and No with the exclamation icon; a Farsi text and title.
    const int pressed = box.MsgBox("آيا?\r\nsecond\rthird", 52, "هشدار");
    answer.join();
    DestroyWindow(other);

    EXPECT_EQ(pressed, 6);
    EXPECT_EQ(seen.text, L"آيا?\r\nsecond\r\nthird");
    EXPECT_TRUE(seen.yes && seen.no && !seen.ok);
    EXPECT_EQ(seen.default_button, IDYES);
    EXPECT_EQ(seen.ex_style & (WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT), 0);
    EXPECT_FALSE(seen.owner_window_enabled) << "the rest of the program stayed usable";
}

TEST(Win32MessageBox, TheSecondButtonIsTheDefaultWhenTheStyleSaysSo) {
    Win32MessageBox box;
    SeenBox seen;
    std::thread answer([&] { seen = AnswerBox(L"Warning", IDNO, nullptr); });
    EXPECT_EQ(box.MsgBox("Repair the system's drive?", 4 + 48 + 256, "Warning"), IDNO);
    answer.join();
    EXPECT_EQ(seen.default_button, IDNO);
}

TEST(Win32MessageBox, AnInformationBoxHasOnlyOk) {
    Win32MessageBox box;
    SeenBox seen;
    std::thread answer([&] { seen = AnswerBox(L"Done", IDOK, nullptr); });
    EXPECT_EQ(box.MsgBox("All files fixed successfully.", 64, "Done"), IDOK);
    answer.join();
    EXPECT_TRUE(seen.ok && !seen.yes && !seen.no);
}

}  // namespace
}  // namespace vantrelle::ui::win32
