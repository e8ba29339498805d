// Judging the bytes of a downloaded update file: every row of the format's edge cases,
// one case for each way a file can be malformed, grouped by the verdict they reach.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "update/update_verdict.h"

namespace vantrelle::update {

void PrintTo(const UpToDate&, std::ostream* out) {
    *out << "UpToDate";
}
void PrintTo(const Malformed&, std::ostream* out) {
    *out << "Malformed";
}
void PrintTo(const TransferFailed&, std::ostream* out) {
    *out << "TransferFailed";
}
void PrintTo(const NewerAvailable& newer, std::ostream* out) {
    *out << "NewerAvailable{" << ::testing::PrintToString(newer.AnnouncedVersion) << ", "
         << ::testing::PrintToString(newer.DownloadLocation) << "}";
}

namespace {

struct FileCase {
    const char* name;
    std::string bytes;
    UpdateVerdict expected;
};

std::ostream& operator<<(std::ostream& out, const FileCase& file_case) {
    return out << file_case.name;
}

class JudgeUpdateFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(JudgeUpdateFileTest, GivesTheVerdictOfTheFile) {
    EXPECT_EQ(JudgeUpdateFile(GetParam().bytes), GetParam().expected)
        << ::testing::PrintToString(GetParam().bytes);
}

std::string CaseName(const ::testing::TestParamInfo<FileCase>& info) {
    return info.param.name;
}

using namespace std::string_literals;  // for files with NUL bytes

INSTANTIATE_TEST_SUITE_P(NoData, JudgeUpdateFileTest,
                         ::testing::Values(FileCase{"EmptyFileCountsAsFailedTransfer", "",
                                                    TransferFailed{}}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(
    UpToDateFiles, JudgeUpdateFileTest,
    ::testing::Values(FileCase{"Version1_0", "UpdateOK;1.0;x", UpToDate{}},
                      FileCase{"FieldsAfterTheThirdIgnored", "UpdateOK;1.0;x;y;z", UpToDate{}},
                      FileCase{"EmptyLocationAccepted", "UpdateOK;1.0;", UpToDate{}},
                      FileCase{"ThirdComponentIgnored", "UpdateOK;1.0.7;x", UpToDate{}},
                      FileCase{"EmptyThirdComponentIgnored", "UpdateOK;1.0.;x", UpToDate{}},
                      FileCase{"LineBreakAtEndBelongsToLocation", "UpdateOK;1.0;x\r\n",
                               UpToDate{}}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    MalformedFiles, JudgeUpdateFileTest,
    ::testing::Values(FileCase{"TwoFieldsOnly", "UpdateOK;1.0", Malformed{}},
                      FileCase{"TwoFieldsOnlyWithLineBreakAtEnd", "UpdateOK;1.0\r\n", Malformed{}},
                      FileCase{"MarkerOnly", "UpdateOK", Malformed{}},
                      FileCase{"MarkerAndSeparatorOnly", "UpdateOK;", Malformed{}},
                      FileCase{"SeparatorOnly", ";", Malformed{}},
                      FileCase{"MarkerInLowerCase", "updateok;1.0;x", Malformed{}},
                      FileCase{"SpaceBeforeMarker", " UpdateOK;1.0;x", Malformed{}},
                      FileCase{"SpaceAfterMarker", "UpdateOK ;1.0;x", Malformed{}},
                      FileCase{"LineBreakAfterMarker", "UpdateOK\r\n;1.0;x", Malformed{}},
                      FileCase{"MarkerInSecondField", ";UpdateOK;1.0;x", Malformed{}},
                      FileCase{"NulInsideMarker", "Update\0OK;1.0;x"s, Malformed{}},
                      FileCase{"OneVersionComponent", "UpdateOK;1;x", Malformed{}},
                      FileCase{"EmptyVersion", "UpdateOK;;x", Malformed{}},
                      FileCase{"Utf8ByteOrderMark", "\xEF\xBB\xBFUpdateOK;1.0;x", Malformed{}},
                      FileCase{"Utf16WithByteOrderMark",
                               "\xFF\xFEU\0p\0d\0a\0t\0e\0O\0K\0;\0"
                               "1\0.\0"
                               "0\0;\0x\0"s,
                               Malformed{}},
                      FileCase{"WebPageInstead", "<html><body>404 Not Found</body></html>\n",
                               Malformed{}}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    NewerVersions, JudgeUpdateFileTest,
    ::testing::Values(
        FileCase{"Version2_0", "UpdateOK;2.0;x", NewerAvailable{"2.0", "x"}},
        FileCase{"OlderVersionAlsoCountsAsNew", "UpdateOK;0.9;x", NewerAvailable{"0.9", "x"}},
        FileCase{"DifferentlyWritten1_0", "UpdateOK;1.00;x", NewerAvailable{"1.00", "x"}},
        FileCase{"LeadingZeroInMajor", "UpdateOK;01.0;x", NewerAvailable{"01.0", "x"}},
        FileCase{"SpaceBeforeMajor", "UpdateOK; 1.0;x", NewerAvailable{" 1.0", "x"}},
        FileCase{"EmptyMinorBetweenDots", "UpdateOK;1..0;x", NewerAvailable{"1..0", "x"}},
        FileCase{"SingleDotIsTwoEmptyComponents", "UpdateOK;.;x", NewerAvailable{".", "x"}},
        FileCase{"LineBreakInMinorIsKept", "UpdateOK;1.0\r\n;x", NewerAvailable{"1.0\r\n", "x"}},
        FileCase{"EmptyLocation", "UpdateOK;2.0;", NewerAvailable{"2.0", ""}},
        FileCase{"WholeVersionShown", "UpdateOK;2.0.1;x", NewerAvailable{"2.0.1", "x"}},
        FileCase{"LocationUnchanged", "UpdateOK;1.1; http://example.org/get?a=1&b=2 \r\n;y",
                 NewerAvailable{"1.1", " http://example.org/get?a=1&b=2 \r\n"}},
        FileCase{"NulKeptInLocation", "UpdateOK;2.0;a\0b"s, NewerAvailable{"2.0", "a\0b"s}}),
    CaseName);

#ifndef _WIN32
// Elsewhere than on Windows the bytes are read as Windows-1256, the code page with the
// Persian letters.
INSTANTIATE_TEST_SUITE_P(Windows1256, JudgeUpdateFileTest,
                         ::testing::Values(FileCase{"LocationInPersian",
                                                    "UpdateOK;2.0;\xC2\xCF\xD1\xD3 \x98\xED\xA1",
                                                    NewerAvailable{"2.0", "آدرس کي،"}},
                                           FileCase{"VersionWithArabicLetters", "UpdateOK;1.\xC7;x",
                                                    NewerAvailable{"1.ا", "x"}},
                                           FileCase{"BytesOutsideAsciiNeverMatchTheMarker",
                                                    "UpdateOK\xA0;1.0;x", Malformed{}}),
                         CaseName);
#endif

}  // namespace
}  // namespace vantrelle::update
