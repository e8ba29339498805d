#include "update/check.h"

#include <string_view>

#include "update/site.h"
#include "update/update_verdict.h"

namespace vantrelle::update {

std::string UpdateUrl() {
    return std::string("http://") + std::string(site::SiteHost) + "/appupdate/vtr/vtr.auf";
}

UpdateVerdict CheckVerdict(const std::optional<std::vector<std::uint8_t>>& value) {
    if (!value) {
        return TransferFailed{};
    }
    const std::string_view bytes(reinterpret_cast<const char*>(value->data()), value->size());
    return JudgeUpdateFile(bytes);
}

Message CheckMessage(const std::optional<std::vector<std::uint8_t>>& value, Language language) {
    try {
        return VerdictMessage(CheckVerdict(value), language);
    } catch (...) {
        // Even running out of memory while building the message leaves a red line
        // rather than a waiting text that never ends.
        return VerdictMessage(TransferFailed{}, language);
    }
}

}  // namespace vantrelle::update
