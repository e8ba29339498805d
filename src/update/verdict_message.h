#pragma once

#include <string>

#include "common/language.h"
#include "platform/ui/types.h"
#include "update/update_verdict.h"

namespace vantrelle::update {

inline constexpr ui::Color kErrorRed{255, 0, 0};
inline constexpr ui::Color kResultBlue{0, 0, 255};

// What the update panel shows for a verdict: the colour goes on the label first, then
// the text. The text is UTF-8 and breaks lines with CR LF, and once with a lone CR.
struct Message {
    ui::Color color;
    std::string text;
    friend bool operator==(const Message&, const Message&) = default;
};

Message VerdictMessage(const UpdateVerdict& verdict, Language language);

}  // namespace vantrelle::update
