#pragma once

#include <string>

namespace vantrelle::files::posix {

// The last component of a path, trailing separators ignored; "" for the root.
inline std::string LastComponent(const std::string& path) {
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return std::string();
    }
    const std::size_t slash = path.rfind('/', end);
    const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(begin, end + 1 - begin);
}

}  // namespace vantrelle::files::posix
