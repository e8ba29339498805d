#include "update/window/update_panel.h"

#include <QColor>

#include "platform/ui/layout.h"
#include "update/check.h"

namespace vantrelle::update {

namespace {

const PanelTable kUserControl1{
    .language = Language::English,
    .name = "UserControl1",
    .label_left = 0,
    .label_top = 120,
    .label_width = 5775,
    .label_height = 2895,
    .arial_bold_12 = false,
    .alignment = ui::kAlignLeft,
    .right_to_left = false,
    .waiting_text = QStringLiteral("Please wait ...\r\nChecking for update"),
};

const PanelTable kUserControl2{
    .language = Language::Farsi,
    .name = "UserControl2",
    .label_left = 120,
    .label_top = 120,
    .label_width = 5775,
    .label_height = 2895,
    .arial_bold_12 = true,
    .alignment = ui::kAlignRight,
    .right_to_left = true,
    .waiting_text = QStringLiteral(u"\u0644\u0637\u0641\u0627 \u0635\u0628\u0631 "
                                   u"\u06A9\u0646\u064A\u062F ...\r\n"
                                   u"\u062F\u0631 \u062D\u0627\u0644 "
                                   u"\u0628\u0631\u0631\u0633\u064A \u0628\u0631\u0627\u064A "
                                   u"\u0646\u0633\u062E\u0647 \u062C\u062F\u064A\u062F"),
};

}  // namespace

const PanelTable& PanelTableFor(Language language) {
    return language == Language::Farsi ? kUserControl2 : kUserControl1;
}

UpdatePanel::UpdatePanel(QWidget* parent, Language language, CheckSettings settings)
    : QWidget(parent),
      table_(PanelTableFor(language)),
      url_(settings.update_url.empty() ? UpdateUrl() : std::move(settings.update_url)),
      limits_(settings.limits),
      label1_(new ui::Label(this)) {
    setFocusPolicy(Qt::NoFocus);
    label1_->setObjectName(QStringLiteral("Label1"));
    ui::Place(label1_, table_.label_left, table_.label_top, table_.label_width,
              table_.label_height);
    if (table_.arial_bold_12) {
        label1_->setFont(ui::ArialBold12());
    }
    label1_->SetRightToLeft(table_.right_to_left);
    label1_->SetAlignment(table_.alignment);
    Initialize();
}

// The download is a member, so it goes before the label it would write to.
UpdatePanel::~UpdatePanel() = default;

void UpdatePanel::Initialize() {
    label1_->SetCaption(table_.waiting_text);
}

void UpdatePanel::GetWrapper() {
    download_ = net::AsyncRead(
        url_, [this](const net::AsyncProperty& property) { AsyncReadComplete(property); }, limits_);
}

void UpdatePanel::AsyncReadComplete(const net::AsyncProperty& property) {
    const Message message = CheckMessage(property.Value(), table_.language);
    label1_->SetForeColor(QColor(message.colour.red, message.colour.green, message.colour.blue));
    label1_->SetCaption(QString::fromStdString(message.text));
}

}  // namespace vantrelle::update
