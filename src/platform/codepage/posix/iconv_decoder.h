#pragma once

#include <string>
#include <string_view>

namespace vantrelle::codepage {

// Converts `bytes` from the iconv character set `charset` to UTF-8. A byte that the
// set cannot map becomes U+FFFD and conversion goes on after it; a set that iconv does
// not know gives ASCII and U+FFFD only.
std::string DecodeWithIconv(std::string_view bytes, const char* charset);

}  // namespace vantrelle::codepage
