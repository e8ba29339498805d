// Recursive mode: a depth-first walk through the folder object model, one error
// handling per folder, always the question form.

#include "engine/fix_folder_tree.h"

#include <gtest/gtest.h>

#include "support/memory_volume.h"
#include "support/repair_prompts.h"
#include "support/scripted_message_box.h"

namespace vantrelle::engine {
namespace {

using files::kDirectory;
using files::kHidden;
using files::kSystem;
using testing::MemoryVolume;
using testing::Op;
using testing::RepairQuestionText;
using testing::ScriptedMessageBox;
using testing::ShownBox;
using ui::vbNo;
using ui::vbYes;

constexpr std::uint32_t kHiddenSystem = kHidden | kSystem;
constexpr std::int64_t kHiddenFolder = kHiddenSystem | kDirectory;
constexpr std::int32_t kInjected = 1117;
const char* const kInjectedText = "The request could not be performed.";

class FixFolderTreeTest : public ::testing::Test {
  protected:
    // E:\top (hidden) holds files f1, f2 and sub-folders s1 (with g) and s2 (with h),
    // everything hidden and system.
    void SetUp() override {
        volume.AddFolder("E:\\top", kHidden);
        volume.AddFile("E:\\top\\f1", kHiddenSystem);
        volume.AddFile("E:\\top\\f2", kHiddenSystem);
        volume.AddFolder("E:\\top\\s1", kHiddenSystem);
        volume.AddFile("E:\\top\\s1\\g", kHiddenSystem);
        volume.AddFolder("E:\\top\\s2", kHiddenSystem);
        volume.AddFile("E:\\top\\s2\\h", kHiddenSystem);
    }

    std::int64_t Attributes(const std::string& relative) const {
        return volume.Attributes("E:\\top\\" + relative);
    }

    // Whether each entry of the standard tree was reset, in the order f1 f2 s1 g s2 h.
    std::string ResetPattern() const {
        std::string pattern;
        for (const char* entry : {"f1", "f2", "s1", "s1\\g", "s2", "s2\\h"}) {
            pattern += (Attributes(entry) & kHiddenSystem) ? '-' : 'R';
        }
        return pattern;
    }

    RepairResult Walk(ScriptedMessageBox& box) { return FixFolderTree("E:\\top", volume, box); }

    MemoryVolume volume;
};

// ---- What a clean walk does --------------------------------------------------------

TEST_F(FixFolderTreeTest, ThreeLevelsDeepEverythingBelowIsResetDepthFirst) {
    volume.AddFolder("E:\\top\\s1\\deep", kHiddenSystem);
    volume.AddFile("E:\\top\\s1\\deep\\z", kHiddenSystem);
    ScriptedMessageBox box;

    EXPECT_EQ(Walk(box), kNoError);

    EXPECT_EQ(ResetPattern(), "RRRRRR");
    EXPECT_EQ(Attributes("s1\\deep\\z"), 0);
    EXPECT_EQ(volume.Attributes("E:\\top"), kHidden | kDirectory);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(volume.set_attr_calls(),
              (std::vector<std::string>{"E:\\top\\f1", "E:\\top\\f2", "E:\\top\\s1",
                                        "E:\\top\\s1\\g", "E:\\top\\s1\\deep",
                                        "E:\\top\\s1\\deep\\z", "E:\\top\\s2", "E:\\top\\s2\\h"}));
}

TEST_F(FixFolderTreeTest, EmptyFolderDoesNothing) {
    volume.AddFolder("E:\\empty", kHidden);
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolderTree("E:\\empty", volume, box), kNoError);
    EXPECT_TRUE(volume.set_attr_calls().empty());
}

TEST_F(FixFolderTreeTest, DriveRootFilesGetADoubledSeparatorAndSubFolderPathsAreUsedAsGiven) {
    volume.AddFile("E:\\loose", kHiddenSystem);
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolderTree("E:\\", volume, box), kNoError);

    EXPECT_EQ(volume.Attributes("E:\\loose"), 0);
    EXPECT_EQ(ResetPattern(), "RRRRRR");
    EXPECT_EQ(volume.set_attr_calls().front(), "E:\\\\loose");
    EXPECT_EQ(volume.set_attr_calls()[1], "E:\\top");
}

TEST_F(FixFolderTreeTest, ReservedSubFoldersInAnyCaseAreResetButNotEntered) {
    for (const char* name : {"system volume information", "$Recycle.Bin", "recycler"}) {
        volume.AddFolder(std::string("E:\\top\\") + name, kHiddenSystem);
        volume.AddFile(std::string("E:\\top\\") + name + "\\inside", kHiddenSystem);
        volume.AddFolder(std::string("E:\\top\\") + name + "\\nested", kHiddenSystem);
    }
    ScriptedMessageBox box;

    EXPECT_EQ(Walk(box), kNoError);

    for (const std::string name : {"system volume information", "$Recycle.Bin", "recycler"}) {
        EXPECT_EQ(Attributes(name), kDirectory) << name;
        EXPECT_EQ(Attributes(name + "\\inside"), kHiddenSystem) << name;
        EXPECT_EQ(Attributes(name + "\\nested"), kHiddenFolder) << name;
    }
}

TEST_F(FixFolderTreeTest, FolderHandedInWithAReservedNameIsNotWalked) {
    volume.AddFolder("E:\\RECYCLER", kHidden);
    volume.AddFile("E:\\RECYCLER\\x", kHiddenSystem);
    volume.AddFolder("E:\\RECYCLER\\y", kHiddenSystem);
    ScriptedMessageBox box;

    EXPECT_EQ(FixFolderTree("E:\\RECYCLER", volume, box), kNoError);
    EXPECT_TRUE(volume.set_attr_calls().empty());
}

TEST_F(FixFolderTreeTest, FilesNamedLikeReservedNamesAreReset) {
    volume.AddFile("E:\\top\\s1\\RECYCLER", kHiddenSystem);
    volume.AddFile("E:\\top\\$recycle.bin", kHiddenSystem);
    ScriptedMessageBox box;

    EXPECT_EQ(Walk(box), kNoError);
    EXPECT_EQ(Attributes("s1\\RECYCLER"), 0);
    EXPECT_EQ(Attributes("$recycle.bin"), 0);
}

TEST_F(FixFolderTreeTest, TwoThousandLevelsDeepCompletes) {
    std::string path = "E:\\top\\s2";
    for (int level = 0; level < 2000; ++level) {
        path += "\\d";
        volume.AddFolder(path, kHiddenSystem);
        volume.AddFile(path + "\\f", kHiddenSystem);
    }
    ScriptedMessageBox box;

    EXPECT_EQ(Walk(box), kNoError);
    EXPECT_EQ(volume.Attributes(path), kDirectory);
    EXPECT_EQ(volume.Attributes(path + "\\f"), 0);
    EXPECT_EQ(volume.set_attr_calls().size(), 6u + 2 * 2000);
}

// ---- Failure table: every failing step, Go on and Stop -----------------------------

struct FailureRow {
    const char* name;
    Op op;
    const char* path;
    int occurrence;
    const char* entry;      // what line 3 names after the path
    const char* after_yes;  // ResetPattern() when every prompt is answered Yes
    int prompts_after_yes;  // the injected one and those that follow from it
    const char* after_no;   // ResetPattern() when the injected prompt is answered No
};

void PrintTo(const FailureRow& row, std::ostream* os) {
    *os << row.name;
}

class FailureTable : public FixFolderTreeTest, public ::testing::WithParamInterface<FailureRow> {};

// Pattern letters: f1 f2 s1 g s2 h, R = reset, - = left as it was.
const FailureRow kRows[] = {
    // 2: Go on reaches 3, which has no object model to open the folder with; 4, 5, 6,
    // 8, 9, 10 and 11 then fail in turn (the two advances end their loops).
    {"CreateObjectModel", Op::CreateFileSystemObject, "", 1, "", "------", 9, "------"},
    {"OpenFolder", Op::GetFolder, "E:\\top", 1, "", "------", 8, "------"},
    // 4: Go on enumerates the files as if the test had passed.
    {"FilesTestCount", Op::FilesCount, "E:\\top", 1, "", "RRRRRR", 1, "------"},
    {"FilesTestName", Op::FolderName, "E:\\top", 1, "", "RRRRRR", 1, "------"},
    // 5: step 6 has no current file and prompts; the advance ends the loop.
    {"StartFiles", Op::FilesEnumerate, "E:\\top", 1, "", "--RRRR", 2, "------"},
    {"ResetFile", Op::SetAttr, "E:\\top\\f1", 1, "f1", "-RRRRR", 1, "------"},
    {"FileName", Op::FileName, "E:\\top\\f1", 1, "", "-RRRRR", 1, "------"},
    {"NextFile", Op::FilesNext, "E:\\top", 2, "", "R-RRRR", 1, "R-----"},
    // 8: the second call of the folder's Name is the sub-folder test's.
    {"SubFoldersTestCount", Op::SubFoldersCount, "E:\\top", 1, "", "RRRRRR", 1, "RR----"},
    {"SubFoldersTestName", Op::FolderName, "E:\\top", 2, "", "RRRRRR", 1, "RR----"},
    // 9: steps 10 and 11 have no current sub-folder and prompt; the advance ends.
    {"StartSubFolders", Op::SubFoldersEnumerate, "E:\\top", 1, "", "RR----", 3, "RR----"},
    // 10: Go on walks the sub-folder all the same.
    {"ResetSubFolder", Op::SetAttr, "E:\\top\\s1", 1, "s1", "RR-RRR", 1, "RR----"},
    // 11: the sub-folder's path is read at step 10 first, then at step 11.
    {"WalkSubFolder", Op::FolderPath, "E:\\top\\s1", 2, "s1", "RRR-RR", 1, "RRR---"},
    {"NextSubFolder", Op::SubFoldersNext, "E:\\top", 2, "", "RRRR--", 1, "RRRR--"},
};

TEST_P(FailureTable, GoOnContinuesWithTheFollowingStep) {
    const FailureRow& row = GetParam();
    volume.FailOn(row.op, row.path, row.occurrence, kInjected, kInjectedText);
    ScriptedMessageBox box;
    for (int i = 0; i < row.prompts_after_yes; ++i) {
        box.Then(vbYes);
    }

    const RepairResult result = Walk(box);

    EXPECT_EQ(ResetPattern(), row.after_yes);
    ASSERT_EQ(box.shown().size(), static_cast<std::size_t>(row.prompts_after_yes));
    EXPECT_EQ(box.shown()[0],
              (ShownBox{RepairQuestionText(kInjectedText, std::string("E:\\top\\") + row.entry), 20,
                        "Error 1117"}));
    // The last failure's number; those that follow from a missing object are the
    // engine's own.
    EXPECT_EQ(result, row.prompts_after_yes == 1 ? kInjected : 91);
}

TEST_P(FailureTable, StopReturnsTheErrorAtOnce) {
    const FailureRow& row = GetParam();
    volume.FailOn(row.op, row.path, row.occurrence, kInjected, kInjectedText);
    ScriptedMessageBox box{vbNo};

    EXPECT_EQ(Walk(box), kInjected);
    EXPECT_EQ(ResetPattern(), row.after_no);
    EXPECT_EQ(box.shown().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryFailingStep, FailureTable, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- Failures in context -----------------------------------------------------------

TEST_F(FixFolderTreeTest, MissingPathPromptsForEachLaterStepWhenGoOnIsChosen) {
    ScriptedMessageBox box;
    for (int i = 0; i < 8; ++i) {
        box.Then(vbYes);
    }

    EXPECT_EQ(FixFolderTree("E:\\gone", volume, box), 91);

    ASSERT_EQ(box.shown().size(), 8u);
    EXPECT_EQ(
        box.shown()[0],
        (ShownBox{RepairQuestionText("The system cannot find the path specified.", "E:\\gone\\"),
                  20, "Error 3"}));
    for (const ShownBox& shown : box.shown()) {
        EXPECT_EQ(shown.style, 20);
        EXPECT_NE(shown.text.find("in File: E:\\gone\\\r\n"), std::string::npos);
    }
    EXPECT_TRUE(volume.set_attr_calls().empty());
}

TEST_F(FixFolderTreeTest, MissingPathAndStopReturnsThePlatformsNumber) {
    ScriptedMessageBox box{vbNo};
    EXPECT_EQ(FixFolderTree("E:\\gone", volume, box), testing::kPathNotFound);
}

TEST_F(FixFolderTreeTest, ReservedSubFolderWhoseResetFailsIsNamedAndStillLeftClosed) {
    volume.AddFolder("E:\\top\\RECYCLER", kHiddenSystem);
    volume.AddFile("E:\\top\\RECYCLER\\keep", kHiddenSystem);
    volume.FailOn(Op::SetAttr, "E:\\top\\recycler", 1, testing::kAccessDenied, "Access is denied.");
    ScriptedMessageBox box{vbYes};

    EXPECT_EQ(Walk(box), testing::kAccessDenied);

    EXPECT_EQ(box.shown()[0].text, RepairQuestionText("Access is denied.", "E:\\top\\RECYCLER"));
    EXPECT_EQ(Attributes("RECYCLER"), kHiddenFolder);
    EXPECT_EQ(Attributes("RECYCLER\\keep"), kHiddenSystem);
    EXPECT_EQ(ResetPattern(), "RRRRRR");
}

TEST_F(FixFolderTreeTest, NestedErrorAnsweredGoOnCompletesAndReachesTheTop) {
    volume.FailOn(Op::SetAttr, "E:\\top\\s1\\g", 1, testing::kAccessDenied, "Access is denied.");
    ScriptedMessageBox box{vbYes};

    EXPECT_EQ(Walk(box), testing::kAccessDenied);

    // A nested prompt names the nested folder's path.
    EXPECT_EQ(box.shown()[0].text, RepairQuestionText("Access is denied.", "E:\\top\\s1\\g"));
    EXPECT_EQ(ResetPattern(), "RRR-RR");
}

TEST_F(FixFolderTreeTest, StopInANestedFolderEndsOnlyThatFolder) {
    volume.AddFile("E:\\top\\s1\\g2", kHiddenSystem);
    volume.FailOn(Op::SetAttr, "E:\\top\\s1\\g", 1, testing::kAccessDenied, "Access is denied.");
    ScriptedMessageBox box{vbNo};

    EXPECT_EQ(Walk(box), testing::kAccessDenied);

    EXPECT_EQ(Attributes("s1\\g2"), kHiddenSystem);
    EXPECT_EQ(ResetPattern(), "RRR-RR");
}

TEST_F(FixFolderTreeTest, ALaterNestedFailureGivesTheLastNumber) {
    volume.FailOn(Op::SetAttr, "E:\\top\\f1", 1, testing::kAccessDenied, "Access is denied.");
    volume.FailOn(Op::SetAttr, "E:\\top\\s2\\h", 1, 32, "The process cannot access the file.");
    ScriptedMessageBox box{vbYes, vbYes};

    EXPECT_EQ(Walk(box), 32);
}

TEST_F(FixFolderTreeTest, ANestedErrorIsNotClearedByACleanSiblingWalk) {
    volume.FailOn(Op::SetAttr, "E:\\top\\s1\\g", 1, testing::kAccessDenied, "Access is denied.");
    ScriptedMessageBox box{vbYes};

    EXPECT_EQ(Walk(box), testing::kAccessDenied);
    EXPECT_EQ(Attributes("s2\\h"), 0);
}

}  // namespace
}  // namespace vantrelle::engine
