#include "platform/files/posix/interix_file.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrelle::files::posix {
namespace {

constexpr std::uint32_t kSystem = 0x4;
constexpr std::uint32_t kHiddenSystem = 0x6;
const std::string kLink("IntxLNK\1", 8);
const std::string kCharacterDevice("IntxCHR\0", 8);

// As ntfs-3g shows them (checked against `ls -l` on an ntfs-3g mount): the files whose
// System bit must stay, or they turn into plain files.
TEST(InterixFile, LinksFifosSocketsAndDevicesAreToldAsNtfs3gTellsThem) {
    EXPECT_TRUE(IsInterixFile(kSystem | 0x20, 28, kLink));  // a link to "target.txt"
    EXPECT_TRUE(IsInterixFile(kHiddenSystem, 28, kLink));
    EXPECT_TRUE(IsInterixFile(kSystem, 0, {}));  // FIFO
    EXPECT_TRUE(IsInterixFile(kSystem, 1, {}));  // socket
    EXPECT_TRUE(IsInterixFile(kSystem, 24, kCharacterDevice));
}

// What malware leaves: hidden files, whatever their size or first bytes, are reset.
TEST(InterixFile, HiddenSystemFilesAreNotFifosAndOtherContentsAreNoLink) {
    EXPECT_FALSE(IsInterixFile(kHiddenSystem, 0, {}));
    EXPECT_FALSE(IsInterixFile(kHiddenSystem, 1, {}));
    EXPECT_FALSE(IsInterixFile(kSystem, 2, {}));
    EXPECT_FALSE(IsInterixFile(kHiddenSystem, 60, std::string("MZ\x90\0\3\0\0\0", 8)));
    EXPECT_FALSE(IsInterixFile(kSystem, 25, kCharacterDevice));  // not a device's size
    EXPECT_FALSE(IsInterixFile(kSystem, 8, kLink));              // a link with no target
    EXPECT_FALSE(IsInterixFile(kSystem, 8 + 2 * 4096 + 2, kLink));
    EXPECT_FALSE(IsInterixFile(0x20, 28, kLink));             // no System bit
    EXPECT_FALSE(IsInterixFile(kSystem | 0x400, 28, kLink));  // a reparse point
    EXPECT_FALSE(IsInterixFile(kSystem | 0x4000, 0, {}));     // encrypted
}

TEST(InterixFile, OnlyFilesThatCouldBeLinksOrDevicesAreRead) {
    EXPECT_TRUE(InterixFileNeedsHead(kHiddenSystem, 60));
    EXPECT_FALSE(InterixFileNeedsHead(kHiddenSystem, 1 << 20));
    EXPECT_FALSE(InterixFileNeedsHead(kSystem, 0));
    EXPECT_FALSE(InterixFileNeedsHead(0x22, 60));
}

}  // namespace
}  // namespace vantrelle::files::posix
