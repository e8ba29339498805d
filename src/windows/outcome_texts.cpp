#include "windows/outcome_texts.h"

namespace vantrelle::windows {

namespace {

std::string Text(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

}  // namespace

const std::string& SuccessText(Language language) {
    static const std::string english = Text(u8"All files fixed successfully.");
    static const std::string farsi = Text(u8"تمام فايل ها با موفقيت ترميم شدند.");
    return language == Language::English ? english : farsi;
}

const std::string& ErrorText(Language language) {
    static const std::string english = Text(
        u8"File procceing is complete. but it seems there have been some errors , some "
        u8"files may have remain hidden.");
    static const std::string farsi = Text(
        u8"بررسي فايل ها به پايان رسيد ، با توجه به اينکه در طول انجام کار با مشکلاتي "
        u8"مواجه بوديم ، احتمال اين که برخي فايل ها همچنان مخفي بمانند وجود دارد.");
    return language == Language::English ? english : farsi;
}

}  // namespace vantrelle::windows
