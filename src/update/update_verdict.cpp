#include "update/update_verdict.h"

#include <vector>

#include "platform/codepage/codepage.h"

namespace vantrelle::update {

namespace {

// The first `count` fields of `text` split at every `separator`, empty fields
// included; fewer when the text has fewer. An empty text has no field at all. Fields
// past `count` are never needed, so they are not collected: a file of a million
// separators costs nothing.
std::vector<std::string_view> LeadingFields(std::string_view text, char separator,
                                            std::size_t count) {
    std::vector<std::string_view> fields;
    if (text.empty()) {
        return fields;
    }
    std::size_t start = 0;
    while (fields.size() < count) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

}  // namespace

// The text is UTF-8, so comparing bytes compares code points, and the separators are
// ASCII, which never occurs inside the encoding of another character.
UpdateVerdict JudgeUpdateFile(std::string_view bytes) {
    const std::string text = codepage::AnsiToUtf8(bytes);
    const std::vector<std::string_view> fields = LeadingFields(text, ';', 3);
    if (fields.empty()) {
        return TransferFailed{};
    }
    if (fields[0] != "UpdateOK" || fields.size() < 3) {
        return Malformed{};
    }
    const std::vector<std::string_view> components = LeadingFields(fields[1], '.', 2);
    if (components.size() < 2) {
        return Malformed{};
    }
    if (components[0] == CurrentVersion.major && components[1] == CurrentVersion.minor) {
        return UpToDate{};
    }
    return NewerAvailable{std::string(fields[1]), std::string(fields[2])};
}

}  // namespace vantrelle::update
