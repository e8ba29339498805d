#include "platform/files/posix/volume_kind.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vantrelle::files::posix {
namespace {

TEST(MountType, FoundByDeviceNumberPastTheOptionalFields) {
    const std::string mountinfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "45 22 7:0 / /media/stick rw,nosuid shared:9 master:2 - fuseblk /dev/loop0 rw,user_id=0\n"
        "46 22 0:40 / /media/fat rw - fuse.fusefat fusefat rw\n";
    EXPECT_EQ(MountTypeOf(mountinfo, 7, 0), "fuseblk");
    EXPECT_EQ(MountTypeOf(mountinfo, 0, 40), "fuse.fusefat");
    EXPECT_EQ(MountTypeOf(mountinfo, 8, 1), "ext4");
    EXPECT_EQ(MountTypeOf(mountinfo, 0, 4), std::nullopt);
}

TEST(VolumeKind, VolumesWithDosAttributesOfTheirOwnAreOutOfReach) {
    constexpr long kFuse = 0x65735546;
    for (const char* type : {"fuseblk", "fuse.fusefat", "fuse.exfat"}) {
        EXPECT_TRUE(WhyAttributesAreOutOfReach(kFuse, type)) << type;
    }
    EXPECT_TRUE(WhyAttributesAreOutOfReach(0x2011BAB0, "exfat"));
    EXPECT_TRUE(WhyAttributesAreOutOfReach(0x5346544e, "ntfs"));
    EXPECT_TRUE(WhyAttributesAreOutOfReach(0xFE534D42, "cifs"));
    EXPECT_TRUE(IsSmbVolume(0, "smb3"));
    // Nothing of their own: user.DOSATTRIB stands in, or they are Normal already.
    EXPECT_FALSE(WhyAttributesAreOutOfReach(kFuse, "fuse.sshfs"));
    EXPECT_FALSE(WhyAttributesAreOutOfReach(0xEF53, "ext4"));
    EXPECT_FALSE(WhyAttributesAreOutOfReach(0x01021994, "tmpfs"));
}

// Read-only formats and those whose hidden flags no Linux call reaches are reported by
// name, whether statfs or mountinfo tells what they are; none passes as Normal.
TEST(VolumeKind, FormatsThatCannotChangeAttributesAreNamed) {
    const struct {
        long magic;
        const char* type;
        const char* named;
    } formats[] = {
        {0x15013346, "udf", "UDF"},           {0x9660, "iso9660", "ISO 9660"},
        {0x73717368, "squashfs", "squashfs"}, {0x5346544e, "ntfs", "read-only ntfs"},
        {0x7366746e, "ntfs3", "ntfs3"},
    };
    for (const auto& format : formats) {
        for (const auto& [magic, type] : {std::pair<long, std::string>{format.magic, ""},
                                          std::pair<long, std::string>{0, format.type}}) {
            const auto why = WhyAttributesAreOutOfReach(magic, type);
            ASSERT_TRUE(why) << format.type << " " << magic;
            EXPECT_NE(why->find(format.named), std::string::npos) << *why;
        }
    }
}

// ntfs-3g answers system.ntfs_attrib_be itself; ntfs3 may store it as an extended attribute.
TEST(VolumeKind, Ntfs3IsToldFromNtfs3gByMagicOrType) {
    constexpr long kFuse = 0x65735546;
    EXPECT_TRUE(IsNtfs3Volume(0x7366746e, ""));
    EXPECT_TRUE(IsNtfs3Volume(0, "ntfs3"));
    EXPECT_FALSE(IsNtfs3Volume(kFuse, "fuseblk"));
    EXPECT_FALSE(IsNtfs3Volume(0x5346544e, "ntfs"));
    EXPECT_TRUE(IsFuseVolume(kFuse, ""));
    for (const char* type : {"fuse", "fuseblk", "fuse.ntfs-3g"}) {
        EXPECT_TRUE(IsFuseVolume(0, type)) << type;
    }
    EXPECT_FALSE(IsFuseVolume(0x7366746e, "ntfs3"));
    EXPECT_FALSE(IsFuseVolume(0, "fusefs-lookalike"));
}

}  // namespace
}  // namespace vantrelle::files::posix
