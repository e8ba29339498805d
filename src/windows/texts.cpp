#include "windows/texts.h"

#include "update/site.h"

namespace vantrelle::windows {

namespace {

QString Text(const char16_t* text) {
    return QString::fromUtf16(text);
}

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
        Text(u"Choose drive:"),
        Text(u"Special path"),
        Text(u"Recursivly fix folders and sub folders."),
        Text(u"Start"),
        Text(u"Menu"),
        Text(u"Check For Update"),
        Text(u"Exit"),
        Text(u"Path: "),
        Text(u"Fixing Files ..."),
        Text(u"This might take a while , Please wait"),
        Text(u"Checking files recursivly may take a lot of time or cause some errors."),
        Text(u"This option will fix all files and folders and also sub-folders , So use this "
             u"option only if normal mode did not fix all files."),
        Text(u"Are you sure that you need this option?"),
        Text(u"Warning"),
        Text(u"All files fixed successfully."),
        Text(u"File procceing is complete. but it seems there have been some errors , some "
             u"files may have remain hidden."),
        Text(u"Done"),
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
        Text(u"انتخاب درايو"),
        Text(u"مسير خاص"),
        Text(u"بررسي و ترميم محتواي پوشه ها"),
        Text(u"شروع"),
        Text(u"فهرست"),
        Text(u"به روز رساني برنامه"),
        Text(u"خروج"),
        Text(u"مسير: "),
        Text(u"در حال ترميم فايل ها ..."),
        Text(u"ممکن است اين عمليات زمان بر باشد ، لطفا تا پايان عمليات منتظر بمانيد"),
        Text(u"بررسي محتواي کل پوشه ها عملياتي زمان بر است و احتمال بروز خطا وجود دارد"),
        Text(u"توصيه ميشود تنها زماني از اين حالت استفاده کنيد که حالت معمولي تمام فايل هاي شما را "
             u"ترميم نکرده باشد"),
        Text(u"آيا از فعال کردن اين حالت اطمينان داريد؟"),
        Text(u"هشدار"),
        Text(u"تمام فايل ها با موفقيت ترميم شدند."),
        Text(u"بررسي فايل ها به پايان رسيد ، با توجه به اينکه در طول انجام کار با مشکلاتي مواجه "
             u"بوديم ، احتمال اين که برخي فايل ها همچنان مخفي بمانند وجود دارد."),
        // The outcome title stays English in both languages.
        Text(u"Done"),
        {"Check2", "Dir1", "Check1", "Command1", "Drive1", "Label3", "Label2", "Label1"},
    };
    return table;
}

const MainFormTable& MainFormTableFor(Language language) {
    return language == Language::English ? Form2Table() : Form3Table();
}

const Form1Texts& Form1FixedTexts() {
    static const Form1Texts texts{
        Text(u"Please Choose your language:"),
        Text(u"لطفا زبان مورد نظر خود را انتخاب کنيد:"),
        Text(u"English"),
        Text(u"فارسي"),
    };
    return texts;
}

const Form1LanguageTexts& Form1TextsFor(Language language) {
    static const Form1LanguageTexts english{
        Text(u"This is a free application to help you fix files which are hidden becuase of "
             u"malwares."),
        Text(u"Please first scan your device with an anti-virus program , Then run this app to "
             u"fix your files."),
        0,
        false,
        Text(u"Exit"),
        Text(u"Continue"),
        false,
    };
    static const Form1LanguageTexts farsi{
        Text(u"به کمک اين برنامه رايگان شما مي توانيد فايل هايي که در اثر بد افزار ها مخفي شده اند "
             u"را ترميم نماييد."),
        Text(u"لطفا ابتدا فايل ها را به وسيله يک برنامه آنتي ويروس بررسي نموده و سپس فايل ها را به "
             u"کمک برنامه ترميم کنيد"),
        1,
        true,
        Text(u"خروج"),
        Text(u"ادامه"),
        true,
    };
    return language == Language::English ? english : farsi;
}

QString Credits() {
    const QString host =
        QString::fromLatin1(site::SiteHost.data(), static_cast<qsizetype>(site::SiteHost.size()));
    return QStringLiteral("Created by the Vantrelle developers\r\n") +
           QStringLiteral("            ---------\r\n") + QStringLiteral("     ") + host +
           QStringLiteral("\r\n") + QStringLiteral("    support@") + host;
}

}  // namespace vantrelle::windows
