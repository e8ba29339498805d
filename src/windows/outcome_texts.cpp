#include "windows/outcome_texts.h"

namespace vantrelle::windows {

const std::string& SuccessText(Language language) {
    static const std::string english = "All files fixed successfully.";
    static const std::string farsi = "تمام فايل ها با موفقيت ترميم شدند.";
    return language == Language::English ? english : farsi;
}

const std::string& ErrorText(Language language) {
    static const std::string english =
        "File procceing is complete. but it seems there have been some errors , some files may "
        "have remain hidden.";
    static const std::string farsi =
        "بررسي فايل ها به پايان رسيد ، با توجه به اينکه در طول انجام کار با مشکلاتي مواجه بوديم ، "
        "احتمال اين که برخي فايل ها همچنان مخفي بمانند وجود دارد.";
    return language == Language::English ? english : farsi;
}

}  // namespace vantrelle::windows
