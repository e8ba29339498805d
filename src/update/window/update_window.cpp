#include "update/window/update_window.h"

namespace vantrelle::update {

namespace {

const WindowTable kEnUpdateor{
    .language = Language::English,
    .name = "enUpdateor",
    .caption = "Update",
    .client_width = 6570,
    .client_height = 2640,
    .client_position = ui::Point{2535, 2190},
    .close_caption = "Close",
    .close = {5160, 2160, 1215, 375},
    .panel_name = "UserControl11",
    .panel = {120, 0, 6255, 2655},
};

const WindowTable kFaUpdateor{
    .language = Language::Farsi,
    .name = "faUpdateor",
    .caption = "به روز رساني",
    .client_width = 6630,
    .client_height = 2670,
    .client_position = std::nullopt,
    .close_caption = "بستن",
    .close = {240, 2160, 1215, 375},
    .panel_name = "UserControl21",
    .panel = {240, 120, 6255, 2055},
};

ui::WindowStyle StyleOf(const WindowTable& table) {
    return {.name = table.name,
            .caption = table.caption,
            .client_width = table.client_width,
            .client_height = table.client_height,
            .border = ui::Border::kFixedDialog,
            .minimize_button = false,
            .client_position = table.client_position};
}

}  // namespace

const WindowTable& WindowTableFor(Language language) {
    return language == Language::Farsi ? kFaUpdateor : kEnUpdateor;
}

UpdateWindow::UpdateWindow(ui::Program& program, Language language, CheckSettings settings)
    : ui::Window(program, StyleOf(WindowTableFor(language))),
      table_(WindowTableFor(language)),
      panel_(*this, table_.panel_name, table_.panel, language, std::move(settings)),
      command1_(*this, "Command1", table_.close) {
    command1_.SetCaption(table_.close_caption);
    command1_.Click = [this] { Command1_Click(); };
    // The Close button is first in the tab order and has the focus; the panel takes none.
    SetTabOrder({"Command1"});
}

void UpdateWindow::Form_Load() {
    // Visible before the download starts, so that the waiting text is on screen meanwhile.
    Show();
    panel_.GetWrapper();
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
