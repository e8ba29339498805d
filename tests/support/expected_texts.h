#pragma once

// The texts the program shows, as the tests expect them, in one place for the window,
// update and command-line tests. Farsi is written with its own letters: those of the
// Windows-1256 code page (YEH U+064A, not FARSI YEH U+06CC; KEHEH U+06A9, not KAF
// U+0643), the Arabic comma U+060C and question mark U+061F, plain spaces between words.

#include <cstddef>
#include <string>

#include "update/site.h"

namespace vantrelle::expected {

// The welcome window in English: the language prompt and option, the explanation, the
// buttons.
inline const std::string kEnglishPrompt = "Please Choose your language:";
inline const std::string kEnglish = "English";
inline const std::string kEnglishExplanation =
    "This is a free application to help you fix files which are hidden becuase of "
    "malwares.\r\nPlease first scan your device with an anti-virus program , Then run this "
    "app to fix your files.";
inline const std::string kEnglishContinue = "Continue";
inline const std::string kEnglishExit = "Exit";

// Farsi: the language prompt and the Farsi option's label, the explanation, the buttons.
inline const std::string kPrompt = "لطفا زبان مورد نظر خود را انتخاب کنيد:";
inline const std::string kFarsi = "فارسي";
inline const std::string kExplanation1 =
    "به کمک اين برنامه رايگان شما مي توانيد فايل هايي که در اثر بد "
    "افزار ها مخفي شده اند را ترميم نماييد.";
inline const std::string kExplanation2 =
    "لطفا ابتدا فايل ها را به وسيله يک برنامه آنتي ويروس بررسي نموده و "
    "سپس فايل ها را به کمک برنامه ترميم کنيد";
inline const std::string kContinue = "ادامه";

// The main window in English; its status, warnings and outcome texts are joined by CR LF
// as shown. vantrelle-cli prints the outcome texts too.
inline const std::string kEnglishChooseDrive = "Choose drive:";
inline const std::string kEnglishSpecialPath = "Special path";
inline const std::string kEnglishRecursive = "Recursivly fix folders and sub folders.";
inline const std::string kEnglishStart = "Start";
inline const std::string kEnglishMenu = "Menu";
inline const std::string kEnglishUpdate = "Check For Update";
inline const std::string kEnglishPathPrefix = "Path: ";
inline const std::string kEnglishStatus1 = "Fixing Files ...";
inline const std::string kEnglishStatus2 = "This might take a while , Please wait";
inline const std::string kEnglishWarningTitle = "Warning";
// The first line names who hides those files: Windows there, "the system" elsewhere.
inline const std::string kEnglishSystemDrive =
#ifdef _WIN32
    "This is the drive your system runs from. Windows keeps some of its own files hidden on "
#else
    "This is the drive your system runs from. the system keeps some of its own files hidden on "
#endif
    "purpose, and this repair would make them visible.\r\n"
    "Do you want to repair this drive anyway?";
// The outcome box's title, English in both languages.
inline const std::string kOutcomeTitle = "Done";
inline const std::string kEnglishWarning =
    "Checking files recursivly may take a lot of time or cause some errors.\r\n"
    "This option will fix all files and folders and also sub-folders , So use this option "
    "only if normal mode did not fix all files.\r\nAre you sure that you need this option?";
inline const std::string kEnglishSuccess = "All files fixed successfully.";
inline const std::string kEnglishErrors =
    "File procceing is complete. but it seems there have been some errors , some files may "
    "have remain hidden.";

// The main window in Farsi, line by line.
inline const std::string kChooseDrive = "انتخاب درايو";
inline const std::string kSpecialPath = "مسير خاص";
inline const std::string kRecursive = "بررسي و ترميم محتواي پوشه ها";
inline const std::string kStart = "شروع";
inline const std::string kMenu = "فهرست";
inline const std::string kUpdate = "به روز رساني برنامه";
inline const std::string kExit = "خروج";
inline const std::string kPathPrefix = "مسير: ";
inline const std::string kStatus1 = "در حال ترميم فايل ها ...";
inline const std::string kStatus2 =
    "ممکن است اين عمليات زمان بر باشد ، لطفا تا پايان عمليات منتظر "
    "بمانيد";
inline const std::string kWarning1 =
    "بررسي محتواي کل پوشه ها عملياتي زمان بر است و احتمال بروز خطا "
    "وجود دارد";
inline const std::string kWarning2 =
    "توصيه ميشود تنها زماني از اين حالت استفاده کنيد که حالت معمولي "
    "تمام فايل هاي شما را ترميم نکرده باشد";
inline const std::string kWarning3 = "آيا از فعال کردن اين حالت اطمينان داريد؟";
inline const std::string kWarningTitle = "هشدار";
inline const std::string kSuccess = "تمام فايل ها با موفقيت ترميم شدند.";
inline const std::string kErrors =
    "بررسي فايل ها به پايان رسيد ، با توجه به اينکه در طول انجام کار "
    "با مشکلاتي مواجه بوديم ، احتمال اين که برخي فايل ها همچنان مخفي "
    "بمانند وجود دارد.";
inline const std::string kSystemDrive1 =
    "اين درايو، درايو سيستم عامل شما است. ويندوز برخي از فايل هاي خود "
    "را عمدا مخفي نگه مي دارد و اين عمليات آنها را نمايان مي کند.";
inline const std::string kSystemDrive2 = "آيا با اين حال مي خواهيد اين درايو را ترميم کنيد؟";

// The update window's caption and button.
inline const std::string kEnglishUpdateCaption = "Update";
inline const std::string kEnglishClose = "Close";
inline const std::string kFarsiUpdateCaption = "به روز رساني";
inline const std::string kFarsiClose = "بستن";

// The update panel: the waiting text, then the verdict.
inline const std::string kEnglishWaiting = "Please wait ...\r\nChecking for update";
inline const std::string kFarsiWaiting =
    "لطفا صبر کنيد ..."
    "\r\n"
    "در حال بررسي براي نسخه جديد";

inline const std::string kEnglishUpToDate = "Your Application is up to date (Version 1.0)";
inline const std::string kFarsiUpToDate = "شما از آخرين نسخه برنامه استفاده مي کنيد ( نسخه 1.0)";

inline std::string EnglishNewer(const std::string& version, const std::string& location) {
    return "There in a new version available (Version " + version +
           " )\rYou are using version 1.0\r\nTo download update go to: " + location;
}
inline std::string FarsiNewer(const std::string& version, const std::string& location) {
    return "نسخه جديد از برنامه آماده شده (نسخه " + version +
           " )\r"
           "شما از نسخه 1.0 استفاده مي کنيد"
           "\r\n"
           "براي دريافت نسخه جديد به آدرس فوق مراجعه کنيد : " +
           location;
}

inline const std::string kEnglishMalformed =
    "Problem on Data recevied from server.\r\nPlease check if " + std::string(site::SiteHost) +
    " is opening correctly , Then contact support team";
inline const std::string kFarsiMalformed =
    "در اطلاعات دريافتي از سرور ايرادي وجود دارد"
    "\r\n"
    "لطفا بررسي کنيد که وب سايت " +
    std::string(site::SiteHost) + " به درستي باز مي شود ، سپس با پشتيباني تماس بگيريد";

inline const std::string kEnglishFailed =
    "An error has occurred while communicating with the remote server.\r\n"
    "Please check your internet connection or try again later.";
inline const std::string kFarsiFailed =
    "در ارتباط با سرور خطايي رخ داده است."
    "\r\n"
    "لطفا از کارکرد صحيح اينترنت خود اطمينان حاصل کرده و يا بعدا تلاش کنيد";

// What a Farsi text of the program never holds, being spelled in the letters of the code
// page: FARSI YEH, KAF, the zero-width non-joiner and joiner, the no-break space.
inline constexpr const char* kOutsideTheCodePage[] = {"\u06CC", "\u0643", "\u200C", "\u200D",
                                                      "\u00A0"};

// A message as vantrelle-cli prints it: each of its lines, broken at CR LF or at a lone
// CR, ends with LF.
inline std::string Printed(const std::string& message) {
    std::string printed;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] != '\r') {
            printed += message[i];
            continue;
        }
        printed += '\n';
        if (i + 1 < message.size() && message[i + 1] == '\n') {
            ++i;
        }
    }
    return printed + "\n";
}

}  // namespace vantrelle::expected
