#include "update/window/update_window.h"

#include "platform/ui/qt/layout.h"

namespace vantrelle::update {

namespace {

const WindowTable kEnUpdateor{
    .language = Language::English,
    .name = "enUpdateor",
    .caption = QStringLiteral("Update"),
    .client_width = 6570,
    .client_height = 2640,
    .client_position = QPoint(2535, 2190),
    .close_caption = QStringLiteral("Close"),
    .close_left = 5160,
    .close_top = 2160,
    .close_width = 1215,
    .close_height = 375,
    .panel_name = "UserControl11",
    .panel_left = 120,
    .panel_top = 0,
    .panel_width = 6255,
    .panel_height = 2655,
};

const WindowTable kFaUpdateor{
    .language = Language::Farsi,
    .name = "faUpdateor",
    .caption = QStringLiteral(u"\u0628\u0647 \u0631\u0648\u0632 \u0631\u0633\u0627\u0646\u064A"),
    .client_width = 6630,
    .client_height = 2670,
    .client_position = std::nullopt,
    .close_caption = QStringLiteral(u"\u0628\u0633\u062A\u0646"),
    .close_left = 240,
    .close_top = 2160,
    .close_width = 1215,
    .close_height = 375,
    .panel_name = "UserControl21",
    .panel_left = 240,
    .panel_top = 120,
    .panel_width = 6255,
    .panel_height = 2055,
};

}  // namespace

const WindowTable& WindowTableFor(Language language) {
    return language == Language::Farsi ? kFaUpdateor : kEnUpdateor;
}

UpdateWindow::UpdateWindow(ui::Program& program, Language language, CheckSettings settings)
    : ui::Window(program), table_(WindowTableFor(language)) {
    setObjectName(QString::fromLatin1(table_.name));
    setWindowTitle(table_.caption);
    // Titles read left to right in both languages; only the panel's label is mirrored.
    setLayoutDirection(Qt::LeftToRight);
    // A fixed dialog frame: title and close box, nothing to minimise, maximise or resize.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    client_ = MakeClientArea(table_.client_width, table_.client_height);

    // The panel first and the button after it: where the English panel reaches over the
    // button, the button stays in front.
    panel_ = new UpdatePanel(client_, language, std::move(settings));
    panel_->setObjectName(QString::fromLatin1(table_.panel_name));
    ui::Place(panel_, table_.panel_left, table_.panel_top, table_.panel_width, table_.panel_height);

    command1_ = new ui::CommandButton(client_);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->SetCaption(table_.close_caption);
    ui::Place(command1_, table_.close_left, table_.close_top, table_.close_width,
              table_.close_height);
    command1_->raise();
    command1_->Click = [this] { Command1_Click(); };

    if (table_.client_position) {
        // For a top-level window the geometry is that of its client area.
        setGeometry(ui::Twips(table_.client_position->x()), ui::Twips(table_.client_position->y()),
                    client_->width(), client_->height());
    }
    // The Close button is first in the tab order and has the focus; the panel takes none.
    setTabOrder(command1_, panel_);
    command1_->setFocus();
}

void UpdateWindow::Form_Load() {
    // Visible before the download starts, so that the waiting text is on screen meanwhile.
    show();
    panel_->GetWrapper();
}

void UpdateWindow::Command1_Click() {
    Unload();
}

UpdateWindows::UpdateWindows(ui::Program& program, CheckSettings settings)
    : en_updateor_(program,
                   [&program, settings] {
                       return std::make_unique<UpdateWindow>(program, Language::English, settings);
                   }),
      fa_updateor_(program, [&program, settings] {
          return std::make_unique<UpdateWindow>(program, Language::Farsi, settings);
      }) {}

UpdateWindow* UpdateWindows::Open(Language language) {
    return Slot(language).Show();
}

}  // namespace vantrelle::update
