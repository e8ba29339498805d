#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "vantrelle_version.h"

namespace vantrelle::update {

// The version built into the program. Versions are texts and are only ever compared
// for equality, never read as numbers.
struct Version {
    std::string_view major;
    std::string_view minor;
};
inline constexpr Version CurrentVersion{VANTRELLE_VERSION_MAJOR_TEXT, VANTRELLE_VERSION_MINOR_TEXT};

// The outcome of one update check. Texts are UTF-8.
struct UpToDate {
    friend bool operator==(const UpToDate&, const UpToDate&) = default;
};
struct NewerAvailable {
    std::string AnnouncedVersion;  // the version field whole, every component kept
    std::string DownloadLocation;  // shown to the user unchanged, possibly empty
    friend bool operator==(const NewerAvailable&, const NewerAvailable&) = default;
};
struct Malformed {
    friend bool operator==(const Malformed&, const Malformed&) = default;
};
struct TransferFailed {
    friend bool operator==(const TransferFailed&, const TransferFailed&) = default;
};
using UpdateVerdict = std::variant<UpToDate, NewerAvailable, Malformed, TransferFailed>;

// Judges the bytes of a downloaded update file: "UpdateOK;<major>.<minor>[...];<location>"
// in the system's code page, with further fields ignored. Any version other than
// CurrentVersion counts as newer. Total: every input gives one verdict; no data at all
// counts as a failed transfer.
UpdateVerdict JudgeUpdateFile(std::string_view bytes);

}  // namespace vantrelle::update
