#pragma once

#include <array>
#include <string_view>

namespace vantrelle::engine {

// Entries the repair never processes.
inline constexpr std::array<std::string_view, 5> ReservedNames = {
    ".", "..", "System Volume Information", "$RECYCLE.BIN", "RECYCLER"};

// True when `name` equals one of ReservedNames, ignoring letter case. A name that
// merely contains one of them is not reserved.
bool IsReservedName(std::string_view name);

}  // namespace vantrelle::engine
