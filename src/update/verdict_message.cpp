#include "update/verdict_message.h"

#include <string_view>
#include <type_traits>

#include "update/site.h"
#include "vantrelle_version.h"

namespace vantrelle::update {

namespace {

// The fixed pieces of the messages of one language. Farsi is spelled with the letters
// of the Windows-1256 code page (yeh U+064A, keheh U+06A9), plain spaces between words;
// spaces at the ends of pieces belong to the text.
struct Texts {
    std::string_view up_to_date;
    std::string_view newer_before_version;
    std::string_view newer_after_version;  // up to the download location
    std::string_view malformed_before_host;
    std::string_view malformed_after_host;
    std::string_view transfer_failed;
};

constexpr Texts kEnglish{
    "Your Application is up to date (Version " VANTRELLE_VERSION ")",
    "There in a new version available (Version ",
    " )\r"
    "You are using version " VANTRELLE_VERSION
    "\r\n"
    "To download update go to: ",
    "Problem on Data recevied from server.\r\n"
    "Please check if ",
    " is opening correctly , Then contact support team",
    "An error has occurred while communicating with the remote server.\r\n"
    "Please check your internet connection or try again later.",
};

constexpr Texts kFarsi{
    "شما از آخرين نسخه برنامه استفاده مي کنيد ( نسخه " VANTRELLE_VERSION ")",
    "نسخه جديد از برنامه آماده شده (نسخه ",
    " )\r"
    "شما از نسخه " VANTRELLE_VERSION
    " استفاده مي کنيد"
    "\r\n"
    "براي دريافت نسخه جديد به آدرس فوق مراجعه کنيد : ",
    "در اطلاعات دريافتي از سرور ايرادي وجود دارد"
    "\r\n"
    "لطفا بررسي کنيد که وب سايت ",
    " به درستي باز مي شود ، سپس با پشتيباني تماس بگيريد",
    "در ارتباط با سرور خطايي رخ داده است."
    "\r\n"
    "لطفا از کارکرد صحيح اينترنت خود اطمينان حاصل کرده و يا بعدا تلاش کنيد",
};

}  // namespace

Message VerdictMessage(const UpdateVerdict& verdict, Language language) {
    const Texts& texts = language == Language::Farsi ? kFarsi : kEnglish;
    return std::visit(
        [&texts](const auto& outcome) -> Message {
            using Outcome = std::decay_t<decltype(outcome)>;
            if constexpr (std::is_same_v<Outcome, UpToDate>) {
                return {kResultBlue, std::string(texts.up_to_date)};
            } else if constexpr (std::is_same_v<Outcome, NewerAvailable>) {
                std::string text(texts.newer_before_version);
                text += outcome.AnnouncedVersion;
                text += texts.newer_after_version;
                text += outcome.DownloadLocation;
                return {kResultBlue, std::move(text)};
            } else if constexpr (std::is_same_v<Outcome, Malformed>) {
                std::string text(texts.malformed_before_host);
                text += site::SiteHost;
                text += texts.malformed_after_host;
                return {kErrorRed, std::move(text)};
            } else {
                static_assert(std::is_same_v<Outcome, TransferFailed>);
                return {kErrorRed, std::string(texts.transfer_failed)};
            }
        },
        verdict);
}

}  // namespace vantrelle::update
