#include "platform/files/posix/dos_attributes.h"

#include <gtest/gtest.h>

namespace vantrelle::files::posix {
namespace {

using namespace std::string_literals;

TEST(SettableBits, ResetKeepsWhatTheFileSystemOwns) {
    // Hidden, System, Archive, Read-only, Not-content-indexed go; directory, sparse,
    // compressed and reparse point stay.
    EXPECT_EQ(WithSettableBits(0x2000 | 0x800 | 0x400 | 0x200 | 0x10 | 0x27, 0),
              0x800u | 0x400 | 0x200 | 0x10);
    EXPECT_EQ(WithSettableBits(0x10, 0x6), 0x16u);
    EXPECT_EQ(WithFatSettableBits(0x10 | 0x08 | 0x27, 0), 0x18u);
}

TEST(NtfsEncodings, BigEndianWord) {
    EXPECT_EQ(EncodeBigEndian32(0x00000026), "\x00\x00\x00\x26"s);
    EXPECT_EQ(DecodeBigEndian32("\x00\x00\x08\x20"s), 0x820u);
    EXPECT_EQ(DecodeBigEndian32("\x00\x20"s), std::nullopt);
}

TEST(DosAttribText, WineAndSambaThreeForms) {
    auto wine = ParseDosAttrib("0x22");
    ASSERT_TRUE(wine);
    EXPECT_EQ(wine->attributes, 0x22u);
    EXPECT_FALSE(wine->binary);
    EXPECT_EQ(EncodeDosAttrib("0x22", *wine, 0), "0x0");

    auto samba3 = ParseDosAttrib("0x16\0"s);  // Samba 3 kept the terminating NUL
    ASSERT_TRUE(samba3);
    EXPECT_EQ(samba3->attributes, 0x16u);
    EXPECT_EQ(EncodeDosAttrib("0x16\0"s, *samba3, 0x10), "0x10");

    EXPECT_EQ(ParseDosAttrib("0xABCDEF01")->attributes, 0xABCDEF01u);
}

TEST(DosAttribText, AnythingElseIsUnreadable) {
    for (const std::string& bad :
         {""s, "0x"s, "22"s, "0x2g"s, "0x123456789"s, "garbage"s, " 0x2"s, "0x2 "s, "\x22"s}) {
        EXPECT_EQ(ParseDosAttrib(bad), std::nullopt) << DescribeBytes(bad);
    }
}

// Samba 4's versioned records, laid out as Samba writes them.
std::string SambaV4(std::uint32_t attributes) {
    std::string blob = "\0\0"s;                   // empty text, padded to 2
    blob += "\x04\x00\x04\x00\0\0"s;              // version 4, union level 4, padded to 4
    blob += "\x51\x00\x00\x00"s;                  // valid flags
    blob += std::string(4, '\0');                 // attributes, filled below
    blob += "\x9a\x02\x4c\xf4\xd1\x2f\xdc\x37"s;  // itime
    blob += "\xda\x42\x4b\xf4\xd1\x2f\xdc\x01"s;  // create time
    for (int i = 0; i < 4; ++i) {
        blob[12 + i] = static_cast<char>((attributes >> (8 * i)) & 0xFF);
    }
    return blob;
}

TEST(DosAttribBinary, VersionFourKeepsItsTimesWhenReset) {
    const std::string old = SambaV4(0x26);
    auto parsed = ParseDosAttrib(old);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->binary);
    EXPECT_EQ(parsed->attributes, 0x26u);

    const std::string reset = EncodeDosAttrib(old, *parsed, 0);
    EXPECT_EQ(reset, SambaV4(0));
    EXPECT_EQ(ParseDosAttrib(reset)->attributes, 0u);
}

TEST(DosAttribBinary, VersionThreeRewritesItsMirroredText) {
    // "0x22" NUL, pad to 6, version 3, level 3, pad, record at 12: flags, attributes ...
    std::string old = "0x22\0\0"s + "\x03\x00\x03\x00\0\0"s + "\x01\x00\x00\x00"s +
                      "\x22\x00\x00\x00"s + std::string(40, '\x7f');
    auto parsed = ParseDosAttrib(old);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->attributes, 0x22u);

    const std::string reset = EncodeDosAttrib(old, *parsed, 0);
    // "0x0" NUL fits in 4 bytes: version at 4, record at 8.
    const std::string expected = "0x0\0"s + "\x03\x00\x03\x00"s + "\x01\x00\x00\x00"s +
                                 "\x00\x00\x00\x00"s + std::string(40, '\x7f');
    EXPECT_EQ(reset, expected);
    EXPECT_EQ(ParseDosAttrib(reset)->attributes, 0u);
}

TEST(DosAttribBinary, VersionOneHoldsAttributesFirst) {
    std::string old = "0x2\0"s + "\x01\x00\x01\x00"s + "\x02\x00\x00\x00"s + std::string(36, '\0');
    auto parsed = ParseDosAttrib(old);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->attributes, 0x2u);
}

TEST(DosAttribBinary, DamagedRecordsAreUnreadable) {
    const std::string good = SambaV4(0x26);
    EXPECT_EQ(ParseDosAttrib(good.substr(0, 14)), std::nullopt);  // cut inside the word
    std::string unknown_version = good;
    unknown_version[2] = unknown_version[4] = 9;
    EXPECT_EQ(ParseDosAttrib(unknown_version), std::nullopt);
    std::string level_differs = good;
    level_differs[4] = 3;
    EXPECT_EQ(ParseDosAttrib(level_differs), std::nullopt);
    // A text that disagrees with the record cannot be trusted either way.
    std::string disagreeing = "0x2\0"s + "\x01\x00\x01\x00"s + "\x06\x00\x00\x00"s;
    EXPECT_EQ(ParseDosAttrib(disagreeing), std::nullopt);
}

TEST(DescribeBytes, ShowsUnprintableBytesEscaped) {
    EXPECT_EQ(DescribeBytes("ab\x01\\"s), "ab\\x01\\x5c");
    EXPECT_EQ(DescribeBytes(std::string(40, 'x'), 4), "xxxx...");
}

}  // namespace
}  // namespace vantrelle::files::posix
