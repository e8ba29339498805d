// What both repair routines share: the reserved names, the error prompt and the
// storing of error numbers in the 16-bit result.

#include <gtest/gtest.h>

#include "engine/repair_result.h"
#include "engine/reserved_names.h"
#include "support/scripted_message_box.h"
#include "windows/repair_error_prompt.h"

namespace vantrelle::engine {
namespace {

using testing::ScriptedMessageBox;
using testing::ShownBox;

TEST(ReservedNames, MatchTheFiveNamesInAnyLetterCase) {
    for (const char* name : {".", "..", "System Volume Information", "system volume information",
                             "SYSTEM VOLUME INFORMATION", "$RECYCLE.BIN", "$Recycle.Bin",
                             "RECYCLER", "recycler", "ReCyClEr"}) {
        EXPECT_TRUE(IsReservedName(name)) << name;
    }
}

TEST(ReservedNames, DoNotMatchNamesThatOnlyContainOrResembleThem) {
    for (const char* name :
         {"", "...", "RECYCLER.old", "xRECYCLER", "RECYCLE", "$RECYCLE.BIN ", " .", "System Volume",
          "System  Volume Information", "RECYCLER\xC3\xA9"}) {
        EXPECT_FALSE(IsReservedName(name)) << name;
    }
}

TEST(RepairErrorPrompt, QuestionFormHasFourLinesStyle20AndGoesOnOnlyOnYes) {
    ScriptedMessageBox box{ui::vbYes, ui::vbNo, ui::vbCancel};
    const files::Error error{5, "Access is denied."};

    const std::string folder = "E:\\docs", entry = "a.txt";
    const RepairFailure failure{error, folder, '\\', entry, PromptForm::Question};
    EXPECT_EQ(windows::RepairErrorPrompt(box, failure), PromptAnswer::GoOn);
    EXPECT_EQ(windows::RepairErrorPrompt(box, failure), PromptAnswer::Stop);
    EXPECT_EQ(windows::RepairErrorPrompt(box, failure), PromptAnswer::Stop);

    const ShownBox expected{
        "An error happened :\r\nAccess is denied.\r\nin File: E:\\docs\\a.txt\r\n"
        "Do you want to continue fixing other files?",
        20, "Error 5"};
    ASSERT_EQ(box.shown().size(), 3u);
    for (const ShownBox& shown : box.shown()) {
        EXPECT_EQ(shown, expected);
    }
}

TEST(RepairErrorPrompt, NoticeFormHasThreeLinesStyle16AndNeverGoesOn) {
    ScriptedMessageBox box{ui::vbYes};
    const files::Error error{21, "The device is not ready."};

    const std::string folder = "F:\\", no_entry;
    EXPECT_EQ(windows::RepairErrorPrompt(box, {error, folder, '\\', no_entry, PromptForm::Notice}),
              PromptAnswer::Stop);

    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0],
              (ShownBox{"An error happened :\r\nThe device is not ready.\r\nin File: F:\\\\", 16,
                        "Error 21"}));
}

TEST(RepairErrorPrompt, UsesTheBackendSeparatorAndPrintsNegativeNumbersPlainly) {
    ScriptedMessageBox box{ui::vbNo};
    const files::Error error{-2147024891, "Access is denied."};

    const std::string folder = "/media/usb", entry = "x";
    windows::RepairErrorPrompt(box, {error, folder, '/', entry, PromptForm::Question});

    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Error -2147024891");
    EXPECT_NE(box.shown()[0].text.find("in File: /media/usb/x\r\n"), std::string::npos);
}

TEST(RepairResult, StoresSixteenBitNumbersAsTheyAreAndSaturatesTheRest) {
    EXPECT_EQ(StoredErrorNumber(5), 5);
    EXPECT_EQ(StoredErrorNumber(0), 0);
    EXPECT_EQ(StoredErrorNumber(32767), 32767);
    EXPECT_EQ(StoredErrorNumber(-32768), -32768);
    EXPECT_EQ(StoredErrorNumber(70000), 32767);
    EXPECT_EQ(StoredErrorNumber(65535), 32767);  // would be -1 if truncated
    EXPECT_EQ(StoredErrorNumber(-2147024891), -32768);
    EXPECT_EQ(StoredErrorNumber(-1), -32768);  // never reads as "no error"
}

}  // namespace
}  // namespace vantrelle::engine
