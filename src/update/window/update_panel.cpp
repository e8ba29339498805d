#include "update/window/update_panel.h"

#include <algorithm>

#include "update/check.h"

namespace vantrelle::update {

namespace {

const PanelTable kUserControl1{
    .language = Language::English,
    .name = "UserControl1",
    .label1 = {0, 120, 5775, 2895},
    .arial_bold_12 = false,
    .alignment = ui::kAlignLeft,
    .right_to_left = false,
    .waiting_text = "Please wait ...\r\nChecking for update",
};

const PanelTable kUserControl2{
    .language = Language::Farsi,
    .name = "UserControl2",
    .label1 = {120, 120, 5775, 2895},
    .arial_bold_12 = true,
    .alignment = ui::kAlignRight,
    .right_to_left = true,
    .waiting_text =
        "لطفا صبر کنيد ..."
        "\r\n"
        "در حال بررسي براي نسخه جديد",
};

const ui::Font kArialBold12{"Arial", 12, true, ui::kArabicCharset};

// The label's rectangle in the window: its place in the panel, cut at the panel's edges.
ui::Rect InWindow(const ui::Rect& panel, const ui::Rect& label) {
    const int left = panel.left + label.left;
    const int top = panel.top + label.top;
    const int right = std::min(left + label.width, panel.left + panel.width);
    const int bottom = std::min(top + label.height, panel.top + panel.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

}  // namespace

const PanelTable& PanelTableFor(Language language) {
    return language == Language::Farsi ? kUserControl2 : kUserControl1;
}

UpdatePanel::UpdatePanel(ui::Window& window, std::string name, ui::Rect at, Language language,
                         CheckSettings settings)
    : table_(PanelTableFor(language)),
      name_(std::move(name)),
      at_(at),
      url_(settings.update_url.empty() ? UpdateUrl() : std::move(settings.update_url)),
      limits_(settings.limits),
      label1_(window, "Label1", InWindow(at, table_.label1)) {
    if (table_.arial_bold_12) {
        label1_.SetFont(kArialBold12);
    }
    label1_.SetRightToLeft(table_.right_to_left);
    label1_.SetAlignment(table_.alignment);
    Initialize();
}

void UpdatePanel::Initialize() {
    label1_.SetCaption(table_.waiting_text);
}

void UpdatePanel::GetWrapper() {
    // The end of the download is an event of the window: it waits for a handler that runs
    // (a repair showing its prompts) to return.
    download_ = net::AsyncRead(
        url_,
        [this](const net::AsyncProperty& property) {
            label1_.window().PostEvent([this, property] { AsyncReadComplete(property); });
        },
        limits_);
}

void UpdatePanel::AsyncReadComplete(const net::AsyncProperty& property) {
    const Message message = CheckMessage(property.Value(), table_.language);
    label1_.SetForeColor(message.color);
    label1_.SetCaption(message.text);
}

}  // namespace vantrelle::update
