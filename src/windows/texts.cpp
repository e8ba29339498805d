#include "windows/texts.h"

#include "update/site.h"
#include "windows/outcome_texts.h"

namespace vantrelle::windows {

namespace {

std::string Text(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// The English line names who hides those files: Windows there, "the system" elsewhere.
#ifdef _WIN32
constexpr const char8_t* kEnglishSystemDriveLine1 =
    u8"This is the drive your system runs from. Windows keeps some of its own files hidden on "
    u8"purpose, and this repair would make them visible.";
#else
constexpr const char8_t* kEnglishSystemDriveLine1 =
    u8"This is the drive your system runs from. the system keeps some of its own files hidden "
    u8"on purpose, and this repair would make them visible.";
#endif

}  // namespace

const MainFormTable& Form2Table() {
    static const MainFormTable table{
        Language::English,
        "Form2",
        "update",
        6135,
        4980,
        {120, 180, 1215, 255},
        {1320, 120, 1575, 315},
        {240, 600, 1215, 375},
        {240, 960, 3015, 495},
        {120, 1560, 5655, 975},
        {120, 2760, 2175, 2115},
        {2880, 3120, 3015, 735},
        {4680, 4320, 1215, 375},
        Text(u8"Choose drive:"),
        Text(u8"Special path"),
        Text(u8"Recursivly fix folders and sub folders."),
        Text(u8"Start"),
        Text(u8"Menu"),
        Text(u8"Check For Update"),
        Text(u8"Exit"),
        Text(u8"Path: "),
        Text(u8"Fixing Files ..."),
        Text(u8"This might take a while , Please wait"),
        Text(u8"Checking files recursivly may take a lot of time or cause some errors."),
        Text(u8"This option will fix all files and folders and also sub-folders , So use this "
             u8"option only if normal mode did not fix all files."),
        Text(u8"Are you sure that you need this option?"),
        Text(u8"Warning"),
        Text(kEnglishSystemDriveLine1),
        Text(u8"Do you want to repair this drive anyway?"),
        SuccessText(Language::English),
        ErrorText(Language::English),
        Text(u8"Done"),
        {"Drive1", "Label1", "Command1", "Check1", "Dir1", "Label2", "Check2", "Label3"},
    };
    return table;
}

const MainFormTable& Form3Table() {
    static const MainFormTable table{
        Language::Farsi,
        "Form3",
        "Update",
        6105,
        5025,
        {5160, 180, 855, 255},
        {3480, 120, 1575, 315},
        {4800, 480, 1095, 375},
        {3240, 960, 2655, 255},
        {240, 1560, 5655, 975},
        {3840, 2760, 2175, 2115},
        {240, 3240, 3135, 1215},
        {360, 4440, 1215, 375},
        Text(u8"انتخاب درايو"),
        Text(u8"مسير خاص"),
        Text(u8"بررسي و ترميم محتواي پوشه ها"),
        Text(u8"شروع"),
        Text(u8"فهرست"),
        Text(u8"به روز رساني برنامه"),
        Text(u8"خروج"),
        Text(u8"مسير: "),
        Text(u8"در حال ترميم فايل ها ..."),
        Text(u8"ممکن است اين عمليات زمان بر باشد ، لطفا تا پايان عمليات منتظر بمانيد"),
        Text(u8"بررسي محتواي کل پوشه ها عملياتي زمان بر است و احتمال بروز خطا وجود دارد"),
        Text(
            u8"توصيه ميشود تنها زماني از اين حالت استفاده کنيد که حالت معمولي تمام فايل هاي شما را "
            u8"ترميم نکرده باشد"),
        Text(u8"آيا از فعال کردن اين حالت اطمينان داريد؟"),
        Text(u8"هشدار"),
        Text(u8"اين درايو، درايو سيستم عامل شما است. ويندوز برخي از فايل هاي خود را عمدا مخفي نگه "
             u8"مي دارد و اين عمليات آنها را نمايان مي کند."),
        Text(u8"آيا با اين حال مي خواهيد اين درايو را ترميم کنيد؟"),
        SuccessText(Language::Farsi),
        ErrorText(Language::Farsi),
        // The outcome title stays English in both languages.
        Text(u8"Done"),
        {"Check2", "Dir1", "Check1", "Command1", "Drive1", "Label3", "Label2", "Label1"},
    };
    return table;
}

const MainFormTable& MainFormTableFor(Language language) {
    return language == Language::English ? Form2Table() : Form3Table();
}

const Form1Texts& Form1FixedTexts() {
    static const Form1Texts texts{
        Text(u8"Please Choose your language:"),
        Text(u8"لطفا زبان مورد نظر خود را انتخاب کنيد:"),
        Text(u8"English"),
        Text(u8"فارسي"),
    };
    return texts;
}

const Form1LanguageTexts& Form1TextsFor(Language language) {
    static const Form1LanguageTexts english{
        Text(u8"This is a free application to help you fix files which are hidden becuase of "
             u8"malwares."),
        Text(u8"Please first scan your device with an anti-virus program , Then run this app to "
             u8"fix your files."),
        0,
        false,
        Text(u8"Exit"),
        Text(u8"Continue"),
        false,
    };
    static const Form1LanguageTexts farsi{
        Text(
            u8"به کمک اين برنامه رايگان شما مي توانيد فايل هايي که در اثر بد افزار ها مخفي شده اند "
            u8"را ترميم نماييد."),
        Text(
            u8"لطفا ابتدا فايل ها را به وسيله يک برنامه آنتي ويروس بررسي نموده و سپس فايل ها را به "
            u8"کمک برنامه ترميم کنيد"),
        1,
        true,
        Text(u8"خروج"),
        Text(u8"ادامه"),
        true,
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
