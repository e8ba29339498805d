#include "windows/texts.h"

#include "update/site.h"
#include "windows/outcome_texts.h"

namespace vantrelle::windows {

namespace {

// The English line names who hides those files: Windows there, "the system" elsewhere.
#ifdef _WIN32
constexpr const char* kEnglishSystemDriveLine1 =
    "This is the drive your system runs from. Windows keeps some of its own files hidden on "
    "purpose, and this repair would make them visible.";
#else
constexpr const char* kEnglishSystemDriveLine1 =
    "This is the drive your system runs from. the system keeps some of its own files hidden "
    "on purpose, and this repair would make them visible.";
#endif

}  // namespace

const MainFormTable& Form2Table() {
    static const MainFormTable table{
        .language = Language::English,
        .name = "Form2",
        .update_item_name = "update",
        .client_width = 6135,
        .client_height = 4980,
        .label1 = {120, 180, 1215, 255},
        .drive1 = {1320, 120, 1575, 315},
        .check1 = {240, 600, 1215, 375},
        .check2 = {240, 960, 3015, 495},
        .label2 = {120, 1560, 5655, 975},
        .dir1 = {120, 2760, 2175, 2115},
        .label3 = {2880, 3120, 3015, 735},
        .command1 = {4680, 4320, 1215, 375},
        .label1_text = "Choose drive:",
        .check1_text = "Special path",
        .check2_text = "Recursivly fix folders and sub folders.",
        .command1_text = "Start",
        .menu_text = "Menu",
        .update_text = "Check For Update",
        .exit_text = "Exit",
        .path_prefix = "Path: ",
        .status_line1 = "Fixing Files ...",
        .status_line2 = "This might take a while , Please wait",
        .warning_line1 = "Checking files recursivly may take a lot of time or cause some errors.",
        .warning_line2 =
            "This option will fix all files and folders and also sub-folders , So "
            "use this option only if normal mode did not fix all files.",
        .warning_line3 = "Are you sure that you need this option?",
        .warning_title = "Warning",
        .system_drive_line1 = kEnglishSystemDriveLine1,
        .system_drive_line2 = "Do you want to repair this drive anyway?",
        .success_text = SuccessText(Language::English),
        .error_text = ErrorText(Language::English),
        .outcome_title = "Done",
        .tab_order = {"Drive1", "Label1", "Command1", "Check1", "Dir1", "Label2", "Check2",
                      "Label3"},
    };
    return table;
}

const MainFormTable& Form3Table() {
    static const MainFormTable table{
        .language = Language::Farsi,
        .name = "Form3",
        .update_item_name = "Update",
        .client_width = 6105,
        .client_height = 5025,
        .label1 = {5160, 180, 855, 255},
        .drive1 = {3480, 120, 1575, 315},
        .check1 = {4800, 480, 1095, 375},
        .check2 = {3240, 960, 2655, 255},
        .label2 = {240, 1560, 5655, 975},
        .dir1 = {3840, 2760, 2175, 2115},
        .label3 = {240, 3240, 3135, 1215},
        .command1 = {360, 4440, 1215, 375},
        .label1_text = "انتخاب درايو",
        .check1_text = "مسير خاص",
        .check2_text = "بررسي و ترميم محتواي پوشه ها",
        .command1_text = "شروع",
        .menu_text = "فهرست",
        .update_text = "به روز رساني برنامه",
        .exit_text = "خروج",
        .path_prefix = "مسير: ",
        .status_line1 = "در حال ترميم فايل ها ...",
        .status_line2 = "ممکن است اين عمليات زمان بر باشد ، لطفا تا پايان عمليات منتظر بمانيد",
        .warning_line1 = "بررسي محتواي کل پوشه ها عملياتي زمان بر است و احتمال بروز خطا وجود دارد",
        .warning_line2 =
            "توصيه ميشود تنها زماني از اين حالت استفاده کنيد که حالت معمولي تمام فايل هاي شما را "
            "ترميم نکرده باشد",
        .warning_line3 = "آيا از فعال کردن اين حالت اطمينان داريد؟",
        .warning_title = "هشدار",
        .system_drive_line1 =
            "اين درايو، درايو سيستم عامل شما است. ويندوز برخي از فايل هاي خود را عمدا مخفي نگه "
            "مي دارد و اين عمليات آنها را نمايان مي کند.",
        .system_drive_line2 = "آيا با اين حال مي خواهيد اين درايو را ترميم کنيد؟",
        .success_text = SuccessText(Language::Farsi),
        .error_text = ErrorText(Language::Farsi),
        // The outcome title stays English in both languages.
        .outcome_title = "Done",
        .tab_order = {"Check2", "Dir1", "Check1", "Command1", "Drive1", "Label3", "Label2",
                      "Label1"},
    };
    return table;
}

const MainFormTable& MainFormTableFor(Language language) {
    return language == Language::English ? Form2Table() : Form3Table();
}

const WelcomeFormTable& Form1Table() {
    static const WelcomeFormTable table{
        .client_width = 7245,
        .client_height = 5685,
        .label1 = {120, 120, 3255, 255},
        .label2 = {3960, 120, 3255, 255},
        .option1 = {120, 480, 1215, 495},
        .option2 = {6240, 480, 255, 495},
        .label5 = {6480, 600, 615, 255},
        .label3 = {120, 1080, 6975, 975},
        .image1 = {120, 2160, 7035, 2340},
        .label4 = {240, 4680, 3135, 855},
        .command2 = {5760, 4680, 1215, 375},
        .command1 = {5760, 5160, 1215, 375},
        .label1_text = "Please Choose your language:",
        .label2_text = "لطفا زبان مورد نظر خود را انتخاب کنيد:",
        .option1_text = "English",
        .label5_text = "فارسي",
        .tab_order = {"Label1", "Label2", "Option1", "Option2", "Label3", "Command1", "Command2",
                      "Label4", "Label5"},
    };
    return table;
}

const Form1LanguageTexts& Form1TextsFor(Language language) {
    static const Form1LanguageTexts english{
        .explanation_line1 =
            "This is a free application to help you fix files which are hidden "
            "becuase of malwares.",
        .explanation_line2 =
            "Please first scan your device with an anti-virus program , Then run "
            "this app to fix your files.",
        .alignment = ui::kAlignLeft,
        .right_to_left = false,
        .exit_text = "Exit",
        .continue_text = "Continue",
        .image_visible = false,
    };
    static const Form1LanguageTexts farsi{
        .explanation_line1 =
            "به کمک اين برنامه رايگان شما مي توانيد فايل هايي که در اثر بد افزار ها مخفي شده اند "
            "را ترميم نماييد.",
        .explanation_line2 =
            "لطفا ابتدا فايل ها را به وسيله يک برنامه آنتي ويروس بررسي نموده و سپس فايل ها را به "
            "کمک برنامه ترميم کنيد",
        .alignment = ui::kAlignRight,
        .right_to_left = true,
        .exit_text = "خروج",
        .continue_text = "ادامه",
        .image_visible = true,
    };
    return language == Language::English ? english : farsi;
}

std::string Credits(std::string_view site_host) {
    const std::string host(site_host.substr(0, site_host.find(':')));
    return "Created by the Vantrelle developers\r\n"
           "            ---------\r\n"
           "     " +
           host + "\r\n    support@" + host;
}

std::string Credits() {
    return Credits(site::SiteHost);
}

}  // namespace vantrelle::windows
