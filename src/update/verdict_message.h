#pragma once

#include <cstdint>
#include <string>

#include "update/language.h"
#include "update/update_verdict.h"

namespace vantrelle::update {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};
inline constexpr Colour kErrorRed{255, 0, 0};
inline constexpr Colour kResultBlue{0, 0, 255};

// What the update panel shows for a verdict: the colour goes on the label first, then
// the text. The text is UTF-8 and breaks lines with CR LF, and once with a lone CR.
struct Message {
    Colour colour;
    std::string text;
    friend bool operator==(const Message&, const Message&) = default;
};

Message VerdictMessage(const UpdateVerdict& verdict, Language language);

}  // namespace vantrelle::update
