// A label: a STATIC control for its window text, its clicks and its colour, painted by
// this file so that its lines break as the contract says (at spaces only, a longer word
// cut at the edge) and keep the label's reading order whatever their first letters.

#include "platform/ui/label.h"

#include <functional>
#include <optional>

#include "platform/ui/common/caption_lines.h"
#include "platform/ui/win32/accessible_label.h"
#include "platform/ui/win32/bidi_runs.h"
#include "platform/ui/win32/native.h"
#include "platform/ui/win32/shaped_line.h"
#include "platform/ui/win32/test_access.h"
// After windows.h, which native.h brings.
#include <commctrl.h>

#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

struct LabelNative : Control::Native {
    LabelNative(Window& window, const Rect& at) {
        hwnd = win32::MakeChild(window, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, at);
        SetWindowSubclass(hwnd, &Paint, 2, 0);
    }

    void Notified(WORD code) override {
        auto& label = static_cast<Label&>(*owner);
        if (code == STN_CLICKED && label.Click) {
            label.Click();
        }
    }

    HBRUSH Colored(HDC dc) override {
        if (!fore) {
            return nullptr;
        }
        SetTextColor(dc, RGB(fore->red, fore->green, fore->blue));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }

    void ApplyRightToLeft() override {
        Control::Native::ApplyRightToLeft();
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    std::function<int(const std::string&)> Measure(HDC dc) const {
        return [this, dc](const std::string& text) {
            return win32::ShapedLine(dc, win32::Widen(text), right_to_left).Width();
        };
    }

    std::vector<std::string> Lines(HDC dc) const {
        RECT client;
        GetClientRect(hwnd, &client);
        return common::CaptionLines(caption, client.right, Measure(dc));
    }

    void Draw(HDC dc) const {
        RECT client;
        GetClientRect(hwnd, &client);
        // The window answers as it does for any static control: the colours and brush
        // of the label, or the system's.
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(hwnd)));
        FillRect(dc, &client, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old_font =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        int top = 0;
        for (const std::string& paragraph : common::CaptionParagraphs(caption)) {
            std::vector<int> lengths;
            for (const std::string& line :
                 common::CaptionLines(paragraph, client.right, Measure(dc))) {
                lengths.push_back(static_cast<int>(win32::Widen(line).size()));
            }
            for (const auto& runs :
                 win32::ParagraphRuns(win32::Widen(paragraph), lengths, right_to_left)) {
                if (top >= client.bottom) {
                    break;
                }
                std::vector<int> widths;
                int width = 0;
                for (const win32::DirectionalRun& run : runs) {
                    widths.push_back(win32::ShapedLine(dc, run.text, run.right_to_left).Width());
                    width += widths.back();
                }
                // A word wider than the label starts at its side and is cut at the other.
                int x = alignment == kAlignRight ? client.right - width : 0;
                const RECT band{0, top, client.right, top + metrics.tmHeight};
                for (std::size_t i = 0; i < runs.size(); ++i) {
                    win32::ShapedLine(dc, runs[i].text, runs[i].right_to_left).Draw(x, band);
                    x += widths[i];
                }
                top += metrics.tmHeight;
            }
        }
        SelectObject(dc, old_font);
    }

    static LRESULT CALLBACK Paint(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                  UINT_PTR /*id*/, DWORD_PTR /*data*/) {
        Control* control = win32::ControlOf(hwnd);
        auto* label = control != nullptr ? &static_cast<LabelNative&>(control->native()) : nullptr;
        switch (message) {
            case WM_PAINT: {
                if (label == nullptr) {
                    break;
                }
                ++label->paints;  // the paint counter further down sees no WM_PAINT
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(hwnd, &paint);
                label->Draw(dc);
                EndPaint(hwnd, &paint);
                return 0;
            }
            case WM_PRINTCLIENT:
                if (label == nullptr) {
                    break;
                }
                label->Draw(reinterpret_cast<HDC>(wparam));
                return 0;
            case WM_ERASEBKGND:
                return 1;  // Draw fills the whole label
            case WM_GETOBJECT:
                if (const LRESULT answer = win32::AnswerAccessibleLabel(hwnd, wparam, lparam)) {
                    return answer;
                }
                break;
            case WM_NCDESTROY:
                RemoveWindowSubclass(hwnd, &Paint, 2);
                break;
        }
        return DefSubclassProc(hwnd, message, wparam, lparam);
    }

    std::string caption;
    std::optional<Color> fore;
    Alignment alignment = kAlignLeft;
};

LabelNative& Of(const Label& label) {
    return static_cast<LabelNative&>(label.native());
}

}  // namespace

namespace win32 {

std::vector<std::string> ShownLines(const Label& label) {
    HDC dc = GetDC(label.native().hwnd);
    HGDIOBJ old = SelectObject(
        dc, reinterpret_cast<HFONT>(SendMessageW(label.native().hwnd, WM_GETFONT, 0, 0)));
    std::vector<std::string> lines = Of(label).Lines(dc);
    SelectObject(dc, old);
    ReleaseDC(label.native().hwnd, dc);
    return lines;
}

}  // namespace win32

Label::Label(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), std::make_unique<LabelNative>(window, at)) {}

void Label::SetCaption(const std::string& caption) {
    Of(*this).caption = caption;
    // The window text is what screen readers and other programs see; the lines painted
    // come from the caption itself.
    SetWindowTextW(native().hwnd, win32::ShownLines(caption).c_str());
    InvalidateRect(native().hwnd, nullptr, TRUE);
}

const std::string& Label::Caption() const {
    return Of(*this).caption;
}

void Label::SetForeColor(Color color) {
    Of(*this).fore = color;
    InvalidateRect(native().hwnd, nullptr, TRUE);
}

Color Label::ForeColor() const {
    if (const auto& fore = Of(*this).fore) {
        return *fore;
    }
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    return {GetRValue(text), GetGValue(text), GetBValue(text)};
}

void Label::SetAlignment(ui::Alignment alignment) {
    Of(*this).alignment = alignment;
    // Kept in the style too, for whoever reads the control from outside.
    win32::SetStyleBits(native().hwnd, GWL_STYLE, SS_RIGHT, alignment == kAlignRight);
    InvalidateRect(native().hwnd, nullptr, TRUE);
}

ui::Alignment Label::Alignment() const {
    return Of(*this).alignment;
}

void Label::Refresh() {
    RedrawWindow(native().hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}  // namespace vantrelle::ui
