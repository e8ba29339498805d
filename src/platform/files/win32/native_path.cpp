#include "platform/files/win32/native_path.h"

#include <vector>

namespace vantrelle::files::win32 {

namespace {

constexpr char16_t kSeparator = u'\\';
constexpr std::u16string_view kExtendedPrefix = u"\\\\?\\";
constexpr std::u16string_view kUncPrefix = u"\\\\?\\UNC\\";

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsDriveLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool HasDrive(std::u16string_view path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':';
}

// A path the file API takes literally: \\?\... or a device path \\.\...
bool IsVerbatim(std::u16string_view path) {
    return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
           (path[2] == u'?' || path[2] == u'.') && IsSeparator(path[3]);
}

std::vector<std::u16string_view> Components(std::u16string_view rest) {
    std::vector<std::u16string_view> parts;
    while (!rest.empty()) {
        std::size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end])) {
            ++end;
        }
        if (end > 0) {
            parts.push_back(rest.substr(0, end));
        }
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
    }
    return parts;
}

// `root` is "E:" or "\\server\share"; `parts` the components below it.
NativePath Build(std::u16string_view root, bool unc,
                 const std::vector<std::u16string_view>& parts) {
    std::vector<std::u16string_view> kept;
    for (std::u16string_view part : parts) {
        if (part == u".") {
            continue;
        }
        if (part == u"..") {
            if (!kept.empty()) {
                kept.pop_back();
            }
            continue;
        }
        kept.push_back(part);
    }
    NativePath path;
    path.display = root;
    path.display += kSeparator;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            path.display += kSeparator;
        }
        path.display += kept[i];
    }
    if (!kept.empty()) {
        path.name = kept.back();
    }
    if (unc) {
        path.extended = std::u16string(kUncPrefix) + path.display.substr(2);
    } else {
        path.extended = std::u16string(kExtendedPrefix) + path.display;
    }
    return path;
}

// An absolute path: "E:\..." or "\\server\share\...".
std::optional<NativePath> ResolveAbsolute(std::u16string_view path,
                                          const std::vector<std::u16string_view>& more) {
    std::vector<std::u16string_view> parts;
    std::u16string root;
    bool unc = false;
    if (HasDrive(path) && path.size() >= 3 && IsSeparator(path[2])) {
        root = path.substr(0, 2);
        parts = Components(path.substr(3));
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share is the root a share's ".." cannot leave.
        std::vector<std::u16string_view> all = Components(path.substr(2));
        if (all.size() < 2) {
            return std::nullopt;
        }
        // Typed with forward slashes (//server/share) it is the same share.
        root = u"\\\\";
        root += all[0];
        root += kSeparator;
        root += all[1];
        parts.assign(all.begin() + 2, all.end());
        unc = true;
    } else {
        return std::nullopt;
    }
    parts.insert(parts.end(), more.begin(), more.end());
    return Build(root, unc, parts);
}

std::optional<NativePath> ResolveVerbatim(std::u16string_view path) {
    NativePath resolved;
    resolved.display = u"\\\\";
    resolved.display += path[2];
    resolved.display += kSeparator;
    std::vector<std::u16string_view> parts = Components(path.substr(4));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            resolved.display += kSeparator;
        }
        resolved.display += parts[i];
    }
    if (parts.size() == 1 && parts[0].size() == 2 && HasDrive(parts[0])) {
        resolved.display += kSeparator;  // \\?\E: names the volume, \\?\E:\ its root
    } else if (parts.size() > 1) {
        resolved.name = parts.back();
    }
    resolved.extended = resolved.display;
    return resolved;
}

}  // namespace

std::optional<NativePath> ResolveNativePath(std::u16string_view path,
                                            const FullPathOf& full_path_of) {
    if (path.empty()) {
        return std::nullopt;
    }
    if (IsVerbatim(path)) {
        return ResolveVerbatim(path);
    }
    // A bare drive names its root, as the main window's drive list gives it ("E:"), not
    // the drive's current folder.
    if (path.size() == 2 && HasDrive(path)) {
        return ResolveAbsolute(std::u16string(path) + kSeparator, {});
    }
    const bool absolute = (HasDrive(path) && path.size() >= 3 && IsSeparator(path[2])) ||
                          (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
    if (absolute) {
        return ResolveAbsolute(path, {});
    }
    // Relative forms are resolved against a base only, so that no component of the
    // path itself is rewritten by the system.
    std::u16string base;
    std::u16string_view rest;
    if (HasDrive(path)) {
        base = path.substr(0, 2);
        rest = path.substr(2);
    } else if (IsSeparator(path[0])) {
        base = u"\\";
        rest = path.substr(1);
    } else {
        base = u".";
        rest = path;
    }
    std::optional<std::u16string> full_base = full_path_of(base);
    if (!full_base) {
        return std::nullopt;
    }
    if (IsSeparator(path[0]) && HasDrive(*full_base)) {
        full_base->resize(2);
        *full_base += kSeparator;  // a rooted path starts at the current drive's root
    }
    return ResolveAbsolute(*full_base, Components(rest));
}

NativePath ChildPath(const NativePath& folder, std::u16string_view name) {
    NativePath child;
    child.display = folder.display;
    child.extended = folder.extended;
    if (child.display.empty() || child.display.back() != kSeparator) {
        child.display += kSeparator;
        child.extended += kSeparator;
    }
    child.display += name;
    child.extended += name;
    child.name = name;
    return child;
}

std::u16string ListingPattern(const NativePath& folder) {
    std::u16string pattern = folder.extended;
    if (pattern.empty() || pattern.back() != kSeparator) {
        pattern += kSeparator;
    }
    pattern += u'*';
    return pattern;
}

}  // namespace vantrelle::files::win32
