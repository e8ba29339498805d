// Normal mode: one listing of one folder, every entry but the reserved ones set to
// Normal, failures prompted for as they happen.

#include "engine/fix_folder.h"

#include <gtest/gtest.h>

#include "support/memory_volume.h"
#include "support/repair_prompts.h"
#include "support/scripted_message_box.h"

namespace vantrelle::engine {
namespace {

using files::kArchive;
using files::kDirectory;
using files::kHidden;
using files::kReadOnly;
using files::kSystem;
using testing::MemoryVolume;
using testing::Op;
using testing::RepairQuestionText;
using testing::ScriptedMessageBox;
using testing::ShownBox;
using ui::vbNo;
using ui::vbYes;

constexpr std::uint32_t kHiddenSystem = kHidden | kSystem;

class FixFolderTest : public ::testing::Test {
  protected:
    // E:\stick holds a, b, c (hidden and system) and the hidden folder d with a hidden
    // file inside.
    void SetUp() override {
        volume.AddFolder("E:\\stick", kHidden);
        for (const char* name : {"a", "b", "c"}) {
            volume.AddFile(std::string("E:\\stick\\") + name, kHiddenSystem);
        }
        volume.AddFolder("E:\\stick\\d", kHiddenSystem);
        volume.AddFile("E:\\stick\\d\\inner", kHidden);
    }

    std::int64_t Attributes(const std::string& name) const {
        return volume.Attributes("E:\\stick\\" + name);
    }

    MemoryVolume volume;
};

// ---- What a clean run does -------------------------------------------------------

TEST_F(FixFolderTest, ResetsEveryEntryButNotTheFolderItselfNorInsideSubFolders) {
    volume.AddFile("E:\\stick\\ro", kReadOnly | kArchive);
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), kNoError);

    for (const char* name : {"a", "b", "c", "ro"}) {
        EXPECT_EQ(Attributes(name), 0) << name;
    }
    EXPECT_EQ(Attributes("d"), kDirectory);
    EXPECT_EQ(Attributes("d\\inner"), kHidden);
    EXPECT_EQ(volume.Attributes("E:\\stick"), kHidden | kDirectory);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(volume.set_attr_calls(),
              (std::vector<std::string>{"E:\\stick\\a", "E:\\stick\\b", "E:\\stick\\c",
                                        "E:\\stick\\d", "E:\\stick\\ro"}));
}

TEST_F(FixFolderTest, FolderWithOnlyDotEntriesResetsNothing) {
    volume.AddFolder("E:\\empty");
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolder("E:\\empty", volume, box), kNoError);
    EXPECT_TRUE(volume.set_attr_calls().empty());
}

TEST_F(FixFolderTest, DriveRootIsReachedThroughADoubledSeparator) {
    volume.AddFile("E:\\top", kHiddenSystem);
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolder("E:\\", volume, box), kNoError);

    EXPECT_EQ(volume.Attributes("E:\\top"), 0);
    EXPECT_EQ(volume.Attributes("E:\\stick"), kDirectory);
    EXPECT_EQ(volume.set_attr_calls(), (std::vector<std::string>{"E:\\\\stick", "E:\\\\top"}));
}

TEST_F(FixFolderTest, ReservedNamesInAnyCaseAreSkippedButNamesContainingThemAreNot) {
    volume.AddFolder("E:\\stick\\recycler", kHiddenSystem);
    volume.AddFolder("E:\\stick\\$Recycle.Bin", kHiddenSystem);
    volume.AddFolder("E:\\stick\\system volume information", kHiddenSystem);
    volume.AddFolder("E:\\stick\\RECYCLER.old", kHiddenSystem);
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), kNoError);

    EXPECT_EQ(Attributes("recycler"), kHiddenSystem | kDirectory);
    EXPECT_EQ(Attributes("$Recycle.Bin"), kHiddenSystem | kDirectory);
    EXPECT_EQ(Attributes("system volume information"), kHiddenSystem | kDirectory);
    EXPECT_EQ(Attributes("RECYCLER.old"), kDirectory);
    for (const std::string& path : volume.set_attr_calls()) {
        EXPECT_NE(path, "E:\\stick\\.");
        EXPECT_NE(path, "E:\\stick\\..");
    }
}

TEST_F(FixFolderTest, AFolderNamedLikeAReservedNameHasItsEntriesProcessed) {
    volume.AddFolder("E:\\RECYCLER", kHidden);
    volume.AddFile("E:\\RECYCLER\\x", kHiddenSystem);
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolder("E:\\RECYCLER", volume, box), kNoError);
    EXPECT_EQ(volume.Attributes("E:\\RECYCLER\\x"), 0);
}

// ---- Failure table: each failing step, its prompt, Go on and Stop -----------------

TEST_F(FixFolderTest, StartOfListingFailsWithTheNoticeAndNothingIsReset) {
    volume.FailOn(Op::DirStart, "E:\\stick\\", 1, testing::kNotReady, "The device is not ready.");
    ScriptedMessageBox box{ui::vbOK};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), testing::kNotReady);

    EXPECT_EQ(box.shown(),
              (std::vector<ShownBox>{{"An error happened :\r\nThe device is not ready.\r\n"
                                      "in File: E:\\stick\\",
                                      16, "Error 21"}}));
    EXPECT_TRUE(volume.set_attr_calls().empty());
}

TEST_F(FixFolderTest, MissingFolderEndsAtTheNoticeWithThePlatformsNumber) {
    ScriptedMessageBox box{ui::vbOK};

    EXPECT_EQ(FixFolder("E:\\nowhere", volume, box), testing::kPathNotFound);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].style, 16);
    EXPECT_EQ(box.shown()[0].title, "Error 3");
}

TEST_F(FixFolderTest, ResetFailsAndGoOnLeavesThatEntryAndResetsTheRest) {
    volume.FailOn(Op::SetAttr, "E:\\stick\\b", 1, testing::kAccessDenied, "Access is denied.");
    ScriptedMessageBox box{vbYes};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), testing::kAccessDenied);

    EXPECT_EQ(box.shown(),
              (std::vector<ShownBox>{
                  {RepairQuestionText("Access is denied.", "E:\\stick\\b"), 20, "Error 5"}}));
    EXPECT_EQ(Attributes("a"), 0);
    EXPECT_EQ(Attributes("b"), kHiddenSystem);
    EXPECT_EQ(Attributes("c"), 0);
    EXPECT_EQ(Attributes("d"), kDirectory);
}

TEST_F(FixFolderTest, ResetFailsAndStopLeavesTheEntriesAfterIt) {
    volume.FailOn(Op::SetAttr, "E:\\stick\\b", 1, testing::kAccessDenied, "Access is denied.");
    ScriptedMessageBox box{vbNo};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), testing::kAccessDenied);

    EXPECT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(Attributes("a"), 0);
    EXPECT_EQ(Attributes("b"), kHiddenSystem);
    EXPECT_EQ(Attributes("c"), kHiddenSystem);
    EXPECT_EQ(Attributes("d"), kHiddenSystem | kDirectory);
}

TEST_F(FixFolderTest, AnyAnswerButYesStops) {
    volume.FailOn(Op::SetAttr, "E:\\stick\\a", 1, testing::kAccessDenied, "Access is denied.");
    ScriptedMessageBox box{ui::vbCancel};

    FixFolder("E:\\stick", volume, box);
    EXPECT_EQ(Attributes("b"), kHiddenSystem);
}

// The listing of E:\stick yields ".", "..", "a", "b", "c", "d": the third next-name
// call is the one made while "a" is current.
TEST_F(FixFolderTest, NextNameFailsAndGoOnHandlesTheCurrentEntryAgain) {
    volume.FailOn(Op::DirNext, "E:\\stick", 3, 1117, "The request could not be performed.");
    ScriptedMessageBox box{vbYes};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), 1117);

    EXPECT_EQ(box.shown(),
              (std::vector<ShownBox>{
                  {RepairQuestionText("The request could not be performed.", "E:\\stick\\a"), 20,
                   "Error 1117"}}));
    EXPECT_EQ(volume.set_attr_calls(),
              (std::vector<std::string>{"E:\\stick\\a", "E:\\stick\\a", "E:\\stick\\b",
                                        "E:\\stick\\c", "E:\\stick\\d"}));
    EXPECT_EQ(Attributes("c"), 0);
}

TEST_F(FixFolderTest, NextNameFailsAndStopReturnsAtOnce) {
    volume.FailOn(Op::DirNext, "E:\\stick", 3, 1117, "The request could not be performed.");
    ScriptedMessageBox box{vbNo};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), 1117);
    EXPECT_EQ(volume.set_attr_calls(), (std::vector<std::string>{"E:\\stick\\a"}));
    EXPECT_EQ(Attributes("b"), kHiddenSystem);
}

TEST_F(FixFolderTest, NextNameKeepsFailingAndEachGoOnRetriesUntilStop) {
    volume.FailOn(Op::DirNext, "E:\\stick", 4, 1117, "The request could not be performed.",
                  MemoryVolume::kEveryTime);
    ScriptedMessageBox box{vbYes, vbYes, vbNo};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), 1117);

    ASSERT_EQ(box.shown().size(), 3u);
    for (const ShownBox& shown : box.shown()) {
        EXPECT_EQ(shown.text,
                  RepairQuestionText("The request could not be performed.", "E:\\stick\\b"));
    }
    EXPECT_EQ(volume.set_attr_calls(), (std::vector<std::string>{"E:\\stick\\a", "E:\\stick\\b",
                                                                 "E:\\stick\\b", "E:\\stick\\b"}));
}

TEST_F(FixFolderTest, NextNameFailingOnAReservedNameRetriesWithoutResettingIt) {
    volume.FailOn(Op::DirNext, "E:\\stick", 1, 1117, "The request could not be performed.");
    ScriptedMessageBox box{vbYes};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), 1117);

    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text,
              RepairQuestionText("The request could not be performed.", "E:\\stick\\."));
    EXPECT_EQ(volume.set_attr_calls().size(), 4u);
}

TEST_F(FixFolderTest, TwoFailuresAnsweredGoOnReturnTheSecondNumber) {
    volume.FailOn(Op::SetAttr, "E:\\stick\\a", 1, testing::kAccessDenied, "Access is denied.");
    volume.FailOn(Op::SetAttr, "E:\\stick\\c", 1, 32, "The process cannot access the file.");
    ScriptedMessageBox box{vbYes, vbYes};

    EXPECT_EQ(FixFolder("E:\\stick", volume, box), 32);
    EXPECT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(Attributes("b"), 0);
    EXPECT_EQ(Attributes("d"), kDirectory);
}

TEST_F(FixFolderTest, AnErrorNumberBeyondSixteenBitsIsNeverReportedAsSuccess) {
    volume.FailOn(Op::SetAttr, "E:\\stick\\a", 1, 65535, "Odd platform error.");
    ScriptedMessageBox box{vbYes};

    const RepairResult result = FixFolder("E:\\stick", volume, box);

    EXPECT_NE(result, kNoError);
    EXPECT_EQ(result, 32767);
    EXPECT_EQ(box.shown()[0].title, "Error 65535");
}

}  // namespace
}  // namespace vantrelle::engine
