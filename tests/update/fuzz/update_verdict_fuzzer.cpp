// libFuzzer target: every input gives one well-formed verdict, the one that the format
// gives when read byte by byte, and a well-formed message in both languages.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage/codepage.h"
#include "update/update_verdict.h"
#include "update/verdict_message.h"

namespace vantrelle::update {
namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "update_verdict_fuzzer: %s\n", what);
        std::abort();
    }
}

// Every separator splits; an empty text has no field.
std::vector<std::string_view> SplitAll(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    if (text.empty()) {
        return fields;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

// The verdict worked out on the raw bytes. This holds because the code page gives one
// character per byte and keeps ASCII, which CheckConversion makes sure of.
UpdateVerdict ExpectedVerdict(std::string_view bytes) {
    const std::vector<std::string_view> fields = SplitAll(bytes, ';');
    if (fields.empty()) {
        return TransferFailed{};
    }
    if (fields.size() < 3 || fields[0] != "UpdateOK") {
        return Malformed{};
    }
    const std::vector<std::string_view> components = SplitAll(fields[1], '.');
    if (components.size() < 2) {
        return Malformed{};
    }
    if (components[0] == "1" && components[1] == "0") {
        return UpToDate{};
    }
    return NewerAvailable{codepage::AnsiToUtf8(fields[1]), codepage::AnsiToUtf8(fields[2])};
}

// Decodes one UTF-8 sequence at `i`; false when it is malformed, overlong, a surrogate
// or beyond U+10FFFF.
bool NextCharacter(std::string_view text, std::size_t& i, char32_t& c) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80) {
        c = lead;
        length = 1;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        c = lead & 0x1F;
        length = 2;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        c = lead & 0x0F;
        length = 3;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        c = lead & 0x07;
        length = 4;
    } else {
        return false;
    }
    if (i + length > text.size()) {
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return false;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
        return false;
    }
    i += length;
    return true;
}

bool IsUtf8(std::string_view text) {
    char32_t c;
    for (std::size_t i = 0; i < text.size();) {
        if (!NextCharacter(text, i, c)) {
            return false;
        }
    }
    return true;
}

// The code page gives valid text with one character per byte, each ASCII byte itself.
void CheckConversion(std::string_view bytes) {
    const std::string text = codepage::AnsiToUtf8(bytes);
    std::size_t i = 0;
    for (char byte : bytes) {
        char32_t c;
        Require(i < text.size(), "fewer characters than bytes");
        Require(NextCharacter(text, i, c), "conversion gave malformed UTF-8");
        Require(static_cast<unsigned char>(byte) >= 0x80 || c == static_cast<char32_t>(byte),
                "an ASCII byte changed in conversion");
        Require(static_cast<unsigned char>(byte) < 0x80 || c >= 0x80,
                "a byte above 127 became ASCII");
    }
    Require(i == text.size(), "more characters than bytes");
}

void CheckMessage(const UpdateVerdict& verdict, Language language) {
    const Message message = VerdictMessage(verdict, language);
    Require(IsUtf8(message.text), "message is not valid UTF-8");
    Require(!message.text.empty(), "message is empty");
    if (const auto* newer = std::get_if<NewerAvailable>(&verdict)) {
        const std::size_t fixed = VerdictMessage(NewerAvailable{}, language).text.size();
        Require(message.color == kResultBlue, "new version not shown in blue");
        Require(message.text.size() ==
                    fixed + newer->AnnouncedVersion.size() + newer->DownloadLocation.size(),
                "message does not hold version and location exactly once");
        Require(message.text.find(newer->AnnouncedVersion) != std::string::npos,
                "message lacks the announced version");
        Require(message.text.ends_with(newer->DownloadLocation),
                "message does not end with the download location");
    } else if (std::holds_alternative<UpToDate>(verdict)) {
        Require(message.color == kResultBlue, "up-to-date not shown in blue");
    } else {
        Require(message.color == kErrorRed, "error not shown in red");
    }
}

}  // namespace
}  // namespace vantrelle::update

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrelle::update;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    vantrelle::update::CheckConversion(bytes);
    const UpdateVerdict verdict = JudgeUpdateFile(bytes);
    Require(!verdict.valueless_by_exception(), "no verdict");
    Require(verdict == ExpectedVerdict(bytes), "verdict differs from the byte-level reading");
    if (const auto* newer = std::get_if<NewerAvailable>(&verdict)) {
        Require(IsUtf8(newer->AnnouncedVersion) && IsUtf8(newer->DownloadLocation),
                "verdict texts are not valid UTF-8");
    }
    CheckMessage(verdict, vantrelle::Language::English);
    CheckMessage(verdict, vantrelle::Language::Farsi);
    return 0;
}
