#pragma once

#include <cstdint>

namespace vantrelle::engine {

// What a repair routine returns: -1 when no step failed, otherwise the number of the
// last error met.
using RepairResult = std::int16_t;
inline constexpr RepairResult kNoError = -1;

// The platform numbers errors with 32 bits. A number the 16-bit result cannot hold
// saturates at the end of its sign, so it can never read as -1 (no error). A
// platform must not number an error -1; should one, it is stored as -32768.
constexpr RepairResult StoredErrorNumber(std::int32_t number) {
    if (number > INT16_MAX) {
        return INT16_MAX;
    }
    if (number < INT16_MIN || number == -1) {
        return INT16_MIN;
    }
    return static_cast<RepairResult>(number);
}

}  // namespace vantrelle::engine
