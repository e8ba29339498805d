#pragma once

// How a path the engine or the user gives becomes a path for the Win32 file API.
//
// The result is absolute, with "." and ".." resolved and runs of separators folded
// (the engine writes "E:\" + "\" + name after a drive root), and the file API gets it
// with the \\?\ prefix (\\?\UNC\ for a share). The prefix lifts the 260-character
// limit and also stops Windows from rewriting names: with it, a name ending in a dot
// or a space, or one called like a device (NUL, CON), reaches the entry the listing
// gave. Everything the user sees comes from `display`, never from `extended`.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::files::win32 {

struct NativePath {
    std::u16string display;   // "E:\dir\name", "E:\" for a root, "\\server\share\name"
    std::u16string extended;  // the same with the \\?\ or \\?\UNC\ prefix
    std::u16string name;      // the last component; empty for a root
};

// What GetFullPathNameW makes of a base the path is relative to: the current folder
// ("."), the current drive's root ("\") or the current folder of a drive ("E:").
// Nothing when that fails; the caller then reports the system's error.
using FullPathOf = std::function<std::optional<std::u16string>(std::u16string_view base)>;

// Nothing when the path is empty or `full_path_of` failed. A path that already starts
// with \\?\ or \\.\ is taken as it is, its separators folded after the prefix.
std::optional<NativePath> ResolveNativePath(std::u16string_view path,
                                            const FullPathOf& full_path_of);

// The path of a member of `folder`, as the folder object model gives it.
NativePath ChildPath(const NativePath& folder, std::u16string_view name);

// The pattern that lists every entry of `folder`.
std::u16string ListingPattern(const NativePath& folder);

}  // namespace vantrelle::files::win32
