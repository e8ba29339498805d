#pragma once

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files/result.h"

namespace vantrelle::files::posix {

// An errno value as the user sees it: the system's own text, then what was being done.
inline Error SystemError(int number, const std::string& doing) {
    return Error{number, std::string(std::strerror(number)) + " (" + doing + ")"};
}

}  // namespace vantrelle::files::posix
