#include <sys/xattr.h>

#include <cerrno>

#include "platform/files/posix/attribute_mechanisms.h"
#include "platform/files/posix/dos_attributes.h"
#include "platform/files/posix/system_error.h"

namespace vantrelle::files::posix {

Result<XattrValue> GetXattr(const std::string& path, const char* name, std::size_t limit) {
    // Most values are a few bytes: a buffer on the stack spares a large allocation.
    char usual[256];
    std::string large;
    char* buffer = usual;
    if (limit > sizeof usual) {
        large.resize(limit);
        buffer = large.data();
    }
    const ssize_t size = ::lgetxattr(path.c_str(), name, buffer, limit);
    if (size < 0) {
        const int number = errno;
        if (number == ENODATA || number == ENOTSUP) {
            return XattrValue{true, {}};
        }
        if (number == ERANGE) {
            return Error{number, std::string(name) + " holds a value longer than " +
                                     std::to_string(limit) + " bytes, not DOS attributes"};
        }
        return SystemError(number, std::string("reading ") + name);
    }
    return XattrValue{false, std::string(buffer, static_cast<std::size_t>(size))};
}

// Samba's records can carry a name. Wine's values and most records fit the first read,
// which spares asking for the size.
Result<XattrValue> GetWholeXattr(const std::string& path, const char* name) {
    constexpr std::size_t kUsualLimit = 256;
    if (auto usual = GetXattr(path, name, kUsualLimit); usual || usual.error().number != ERANGE) {
        return usual;
    }
    for (;;) {
        const ssize_t size = ::lgetxattr(path.c_str(), name, nullptr, 0);
        if (size < 0) {
            if (errno == ENODATA || errno == ENOTSUP) {
                return XattrValue{true, {}};
            }
            return SystemError(errno, std::string("reading ") + name);
        }
        if (size == 0) {
            return XattrValue{false, {}};
        }
        auto read = GetXattr(path, name, static_cast<std::size_t>(size));
        // It grew between the two calls: ask for its size again.
        if (read || read.error().number != ERANGE) {
            return read;
        }
    }
}

Status SetXattr(const std::string& path, const char* name, std::string_view bytes, int flags) {
    if (::lsetxattr(path.c_str(), name, bytes.data(), bytes.size(), flags) != 0) {
        return SystemError(errno, std::string("setting ") + name);
    }
    return Done{};
}

bool HasXattr(const std::string& path, const char* name) {
    char byte[8];
    return ::lgetxattr(path.c_str(), name, byte, sizeof byte) >= 0 || errno == ERANGE;
}

Error Unreadable(const char* name, std::string_view bytes) {
    return Error{EINVAL, std::string(name) + " holds \"" + DescribeBytes(std::string(bytes)) +
                             "\", which is not a form of DOS attributes this program knows"};
}

std::string ParentOf(const std::string& path) {
    const std::size_t end = path.find_last_not_of('/');
    const std::size_t slash = end == std::string::npos ? std::string::npos : path.rfind('/', end);
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace vantrelle::files::posix
