#pragma once

// The end of one update check, shared by the update panel and the headless check: what
// the download handed over (nothing when the transfer failed) becomes the message to show.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/language.h"
#include "update/update_verdict.h"
#include "update/verdict_message.h"

namespace vantrelle::update {

// "http://" + the vendor's site + the update file's path.
std::string UpdateUrl();

// The verdict of a finished download: TransferFailed when the transfer failed, otherwise
// the judgement of the body.
UpdateVerdict CheckVerdict(const std::optional<std::vector<std::uint8_t>>& value);

// Judges the body, or takes a failed transfer as TransferFailed, and gives the verdict's
// message in `language`. Whatever goes wrong on the way ends on the TransferFailed message.
Message CheckMessage(const std::optional<std::vector<std::uint8_t>>& value, Language language);

}  // namespace vantrelle::update
