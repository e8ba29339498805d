#pragma once

// ntfs-3g keeps links, FIFOs, sockets and devices Interix-style: plain NTFS files marked
// by the System bit, told apart by their size and first bytes. The kernel's ntfs3 shows
// them as the plain files they are; clearing their System bit would turn them into plain
// files for ntfs-3g too. A pure function, so that each rule is tested without a volume.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vantrelle::files::posix {

// How many first bytes of the file IsInterixFile needs.
inline constexpr std::size_t kInterixHeadSize = 8;

// Whether ntfs-3g takes a plain NTFS file with these attributes, this size and these first
// bytes (`head`, up to kInterixHeadSize of them) for one it keeps Interix-style.
bool IsInterixFile(std::uint32_t attributes, std::uint64_t size, std::string_view head);

// Whether IsInterixFile needs the file's first bytes to judge it; reading them is spared
// for every other file.
bool InterixFileNeedsHead(std::uint32_t attributes, std::uint64_t size);

}  // namespace vantrelle::files::posix
