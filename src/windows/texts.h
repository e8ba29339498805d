#pragma once

// Every text, font choice and position of the welcome window and of the main window,
// in both languages. Positions and sizes are in twips.

#include <array>
#include <string>
#include <string_view>

#include "common/language.h"
#include "platform/ui/types.h"

namespace vantrelle::windows {

using vantrelle::Language;

using Twips = ui::Rect;

// Tahoma 8.25 pt with the Arabic character set: the font of the Farsi texts.
inline const ui::Font kTahoma{"Tahoma", 8.25, false, ui::kArabicCharset};

// The main window: `Form2` in English, `Form3` in Farsi. One implementation reads the
// variant's table.
struct MainFormTable {
    Language language;
    const char* name;              // "Form2" / "Form3"
    const char* update_item_name;  // "update" / "Update"
    int client_width, client_height;
    Twips label1, drive1, check1, check2, label2, dir1, label3, command1;
    std::string label1_text, check1_text, check2_text, command1_text;
    std::string menu_text, update_text, exit_text;
    std::string path_prefix, status_line1, status_line2;
    std::string warning_line1, warning_line2, warning_line3, warning_title;
    // Asked before Start repairs the drive the system runs from; titled warning_title.
    std::string system_drive_line1, system_drive_line2;
    std::string success_text, error_text, outcome_title;
    // Focus order, labels included where they hold a place.
    std::array<const char*, 8> tab_order;
};

const MainFormTable& Form2Table();
const MainFormTable& Form3Table();
const MainFormTable& MainFormTableFor(Language language);

// The welcome window, `Form1`: its layout and the texts that stay the same in both
// languages.
struct WelcomeFormTable {
    int client_width, client_height;
    Twips label1, label2, option1, option2, label5, label3, image1, label4, command2, command1;
    std::string label1_text, label2_text, option1_text, label5_text;
    // Focus order, labels included where they hold a place.
    std::array<const char*, 9> tab_order;
};
const WelcomeFormTable& Form1Table();

// What `ApplyLanguage` changes on the welcome window.
struct Form1LanguageTexts {
    std::string explanation_line1, explanation_line2;
    ui::Alignment alignment;
    bool right_to_left;
    std::string exit_text, continue_text;
    bool image_visible;
};
const Form1LanguageTexts& Form1TextsFor(Language language);

// Four lines joined by CR LF: the author, a rule, the web site, the contact address.
// The site's host name is shown without a port, and the address is at that host.
std::string Credits(std::string_view site_host);
std::string Credits();

}  // namespace vantrelle::windows
