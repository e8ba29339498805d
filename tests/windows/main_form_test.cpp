// The main window in both languages: layout and texts, and every handler over the
// in-memory volume with a scripted message box.

#include <gtest/gtest.h>

#include "support/expected_texts.h"
#include "window_test_support.h"

namespace vantrelle::windows {
namespace {

using files::kHidden;
using files::kSystem;
using testing::MemoryVolume;
using testing::Op;
using testing::ShownBox;
using ui::vbNo;
using ui::vbOK;
using ui::vbYes;
namespace driver = ui::driver;
using Items = std::vector<std::pair<std::string, std::string>>;

const std::string kCrLf = "\r\n";
constexpr int kWarningStyle = 52;
constexpr int kOutcomeStyle = 64;

using expected::kEnglishErrors;
using expected::kEnglishSuccess;
using expected::kEnglishWarning;

class MainFormTest : public ::testing::Test, public WindowsHarness {
  protected:
    MainForm* Open(Language language) {
        MainForm* form = forms->MainFormFor(language).Show();
        EXPECT_NE(form, nullptr);
        return form;
    }
    static driver::PixelRect GeometryOf(const MainForm& form, const char* name) {
        return driver::Geometry(*form.FindControl(name));
    }
};

TEST_F(MainFormTest, EnglishLayoutMatchesTheTable) {
    MainForm* form = Open(Language::English);
    EXPECT_EQ(form->Name(), "Form2");
    EXPECT_EQ(form->Caption(), "Vantrelle");
    EXPECT_EQ(driver::ClientWidth(*form), 409);
    EXPECT_EQ(driver::ClientHeight(*form), 332);
    EXPECT_GT(driver::MenuBarHeight(*form), 0) << "the menu bar lies above the client area";
    const std::vector<std::pair<const char*, driver::PixelRect>> expected = {
        {"Label1", {8, 12, 81, 17}},     {"Drive1", {88, 8, 105, 21}},
        {"Check1", {16, 40, 81, 25}},    {"Check2", {16, 64, 201, 33}},
        {"Label2", {8, 104, 377, 65}},   {"Dir1", {8, 184, 145, 141}},
        {"Label3", {192, 208, 201, 49}}, {"Command1", {312, 288, 81, 25}},
    };
    for (const auto& [name, rect] : expected) {
        EXPECT_EQ(GeometryOf(*form, name), rect) << name;
    }
    const std::vector<std::string> order = {"Drive1", "Label1", "Command1", "Check1",
                                            "Dir1",   "Label2", "Check2",   "Label3"};
    EXPECT_EQ(driver::FocusOrder(*form, order), order);
    EXPECT_EQ(driver::FocusedControl(*form), "Drive1");

    for (const auto& [name, rect] : expected) {
        const ui::Control& control = *form->FindControl(name);
        EXPECT_TRUE(driver::FontOf(control).default_font) << name;
        EXPECT_FALSE(control.RightToLeft()) << name;
    }
    for (ui::Label* label : {&form->Label1, &form->Label2, &form->Label3}) {
        EXPECT_EQ(label->Alignment(), ui::kAlignLeft);
    }
    EXPECT_EQ(form->Label3.ForeColor(), (ui::Color{0, 0, 255}));
    EXPECT_EQ(form->Label1.ForeColor(), form->Label2.ForeColor()) << "the system's colour";
    EXPECT_NE(form->Label1.ForeColor(), form->Label3.ForeColor());

    EXPECT_EQ(form->Label1.Caption(), expected::kEnglishChooseDrive);
    EXPECT_EQ(form->Check1.Caption(), expected::kEnglishSpecialPath);
    EXPECT_EQ(form->Check2.Caption(), expected::kEnglishRecursive);
    EXPECT_EQ(form->Command1.Caption(), expected::kEnglishStart);
    const std::vector<driver::ShownMenu> menus = driver::Menus(*form);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].name, "Menu");
    EXPECT_EQ(menus[0].caption, expected::kEnglishMenu);
    EXPECT_EQ(menus[0].items,
              (Items{{"update", expected::kEnglishUpdate}, {"Exit", expected::kEnglishExit}}));

    EXPECT_TRUE(driver::HasMinimizeButton(*form));
    EXPECT_FALSE(driver::HasMaximizeButton(*form));
    EXPECT_FALSE(driver::IsResizable(*form));
    EXPECT_TRUE(driver::HasIcon(*form));
}

TEST_F(MainFormTest, FarsiLayoutIsMirroredWithTahomaAndRightToLeftReading) {
    MainForm* form = Open(Language::Farsi);
    EXPECT_EQ(form->Name(), "Form3");
    EXPECT_EQ(form->Caption(), "Vantrelle");
    EXPECT_EQ(driver::ClientWidth(*form), 407);
    EXPECT_EQ(driver::ClientHeight(*form), 335);
    const std::vector<std::pair<const char*, driver::PixelRect>> expected = {
        {"Label1", {344, 12, 57, 17}},  {"Drive1", {232, 8, 105, 21}},
        {"Check1", {320, 32, 73, 25}},  {"Check2", {216, 64, 177, 17}},
        {"Label2", {16, 104, 377, 65}}, {"Dir1", {256, 184, 145, 141}},
        {"Label3", {16, 216, 209, 81}}, {"Command1", {24, 296, 81, 25}},
    };
    for (const auto& [name, rect] : expected) {
        EXPECT_EQ(GeometryOf(*form, name), rect) << name;
    }
    const std::vector<std::string> order = {"Check2", "Dir1",   "Check1", "Command1",
                                            "Drive1", "Label3", "Label2", "Label1"};
    EXPECT_EQ(driver::FocusOrder(*form, order), order);
    EXPECT_EQ(driver::FocusedControl(*form), "Check2");

    for (const char* tahoma : {"Label1", "Check1", "Check2", "Label2", "Label3", "Command1"}) {
        const ui::Control& control = *form->FindControl(tahoma);
        EXPECT_EQ(driver::FontOf(control).family, "Tahoma") << tahoma;
        EXPECT_DOUBLE_EQ(driver::FontOf(control).points, 8.25);
        EXPECT_TRUE(driver::HasGlyph(control, 0x06A9)) << tahoma;
    }
    EXPECT_TRUE(driver::FontOf(form->Drive1).default_font);
    EXPECT_TRUE(driver::FontOf(form->Dir1).default_font);

    EXPECT_TRUE(form->Label1.RightToLeft());
    EXPECT_TRUE(form->Check1.RightToLeft());
    EXPECT_TRUE(form->Check2.RightToLeft());
    EXPECT_FALSE(form->Label2.RightToLeft());
    EXPECT_EQ(form->Label2.Alignment(), ui::kAlignLeft);
    EXPECT_TRUE(form->Label3.RightToLeft());
    EXPECT_EQ(form->Label3.Alignment(), ui::kAlignRight);
    EXPECT_TRUE(form->Command1.RightToLeft());
    EXPECT_EQ(form->Label3.ForeColor(), (ui::Color{0, 0, 255}));
    EXPECT_FALSE(driver::MenuBarRightToLeft(*form));

    EXPECT_EQ(form->Label1.Caption(), expected::kChooseDrive);
    EXPECT_EQ(form->Check1.Caption(), expected::kSpecialPath);
    EXPECT_EQ(form->Check2.Caption(), expected::kRecursive);
    EXPECT_EQ(form->Command1.Caption(), expected::kStart);
    const std::vector<driver::ShownMenu> menus = driver::Menus(*form);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].caption, expected::kMenu);
    EXPECT_EQ(menus[0].items, (Items{{"Update", expected::kUpdate}, {"Exit", expected::kExit}}));
}

TEST_F(MainFormTest, TheCheckBoxesOfTheFarsiWindowHaveTheirBoxOnTheRight) {
    MainForm* form = Open(Language::Farsi);
    for (const ui::Control* check : {&form->Check1, &form->Check2}) {
        EXPECT_GT(driver::BoxOf(*check).left, driver::Geometry(*check).width / 2) << check->Name();
    }
}

TEST_F(MainFormTest, OpensOnTheFirstRemovableDriveAndStartRepairsItAsReported) {
    volume.AddFile("E:\\photo.jpg", kHidden | kSystem);
    volume.AddFolder("E:\\hidden", kHidden);
    volume.AddFile("E:\\hidden\\deep.txt", kHidden);
    MainForm* form = Open(Language::English);
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_EQ(form->Check1.Value(), ui::vbUnchecked);
    EXPECT_EQ(form->Check2.Value(), ui::vbUnchecked);
    EXPECT_FALSE(form->Dir1.Visible());
    EXPECT_FALSE(form->Label2.Visible());
    EXPECT_FALSE(form->Label3.Visible());

    box.script.Then(vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(box.script.shown(),
              (std::vector<ShownBox>{{kEnglishSuccess, kOutcomeStyle, expected::kOutcomeTitle}}));
    EXPECT_EQ(volume.Attributes("E:\\photo.jpg"), files::kNormal);
    EXPECT_EQ(volume.Attributes("E:\\hidden"), files::kDirectory);
    EXPECT_EQ(volume.Attributes("E:\\hidden\\deep.txt"), kHidden) << "normal mode stays on top";
    EXPECT_FALSE(form->Label3.Visible());
}

TEST_F(MainFormTest, StartShowsAndPaintsTheStatusBeforeTheRepairAndHidesItAfter) {
    volume.AddFile("E:\\locked", kHidden);
    volume.FailOn(Op::SetAttr, "E:\\locked", 1, 5, "Access is denied.");
    MainForm* form = Open(Language::English);
    // On screen: its visible labels have been painted.
    ASSERT_TRUE(driver::WaitFor([&] { return driver::Paints(form->Label1) > 0; }, 5000));
    const int before = driver::Paints(form->Label3);

    std::vector<std::pair<bool, int>> seen;
    box.on_box = [&](const std::string&) {
        seen.emplace_back(form->Label3.Visible(), driver::Paints(form->Label3) - before);
    };
    box.script.Then(vbYes).Then(vbOK);
    driver::Click(form->Command1);

    ASSERT_EQ(box.script.shown().size(), 2u);
    EXPECT_EQ(box.script.shown()[0].title.rfind("Error", 0), 0u);
    EXPECT_EQ(box.script.shown()[1],
              (ShownBox{kEnglishErrors, kOutcomeStyle, expected::kOutcomeTitle}));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].first);
    EXPECT_GE(seen[0].second, 1) << "the status was painted before the repair's first box";
    EXPECT_TRUE(seen[1].first) << "the status stays up until the outcome is closed";
    EXPECT_EQ(form->Label3.Caption(),
              expected::kEnglishStatus1 + kCrLf + expected::kEnglishStatus2);
    EXPECT_FALSE(form->Label3.Visible());
}

TEST_F(MainFormTest, EveryCaptionFitsItsControlInBothLanguagesAlsoDuringTheRepair) {
    for (Language language : {Language::English, Language::Farsi}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Farsi");
        MainForm* form = Open(language);
        form->Check1.SetValue(ui::vbChecked);  // shows the path
        EXPECT_EQ(driver::ClippedCaptions(*form), std::vector<std::string>());

        std::vector<std::string> clipped_during_repair;
        box.on_box = [&](const std::string&) {
            clipped_during_repair = driver::ClippedCaptions(*form);
        };
        box.script.Then(vbOK);
        driver::Click(form->Command1);
        EXPECT_TRUE(!form->Label3.Visible());
        EXPECT_EQ(clipped_during_repair, std::vector<std::string>()) << "with the status shown";
        box.on_box = nullptr;
    }
}

TEST_F(MainFormTest, OnlyAResultOfMinusOneIsSuccess) {
    // Error number 0 is a failure like any other; only -1 means none happened.
    volume.AddFile("E:\\zero", kHidden);
    volume.FailOn(Op::SetAttr, "E:\\zero", 1, 0, "Zero.");
    MainForm* form = Open(Language::English);
    box.script.Then(vbYes).Then(vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(box.script.shown().back().text, kEnglishErrors);

    // The second repair of the same entry.
    volume.FailOn(Op::SetAttr, "E:\\zero", 2, 70000, "Large.");
    box.script.Then(vbNo).Then(vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(box.script.shown().back().text, kEnglishErrors);

    box.script.Then(vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(box.script.shown().back().text, kEnglishSuccess);
}

TEST_F(MainFormTest, RecursiveWarningAnsweredNoClearsTheBoxAfterExactlyOneWarning) {
    MainForm* form = Open(Language::English);
    box.script.Then(vbNo);
    driver::Click(form->Check2);
    EXPECT_EQ(form->Check2.Value(), ui::vbUnchecked);
    EXPECT_EQ(
        box.script.shown(),
        (std::vector<ShownBox>{{kEnglishWarning, kWarningStyle, expected::kEnglishWarningTitle}}));

    // Checking again after a No warns again; clearing never does.
    box.script.Then(vbYes);
    form->Check2.SetValue(ui::vbChecked);
    EXPECT_EQ(form->Check2.Value(), ui::vbChecked);
    form->Check2.SetValue(ui::vbUnchecked);
    EXPECT_EQ(box.script.shown().size(), 2u);
}

TEST_F(MainFormTest, RecursiveWarningAnsweredYesKeepsTheBoxAndStartWalksTheTree) {
    volume.AddFolder("E:\\hidden", kHidden);
    volume.AddFile("E:\\hidden\\deep.txt", kHidden | kSystem);
    MainForm* form = Open(Language::English);
    box.script.Then(vbYes);
    form->Check2.SetValue(ui::vbChecked);
    EXPECT_EQ(form->Check2.Value(), ui::vbChecked);
    ASSERT_EQ(box.script.shown().size(), 1u);

    box.script.Then(vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(volume.Attributes("E:\\hidden\\deep.txt"), files::kNormal);
    EXPECT_EQ(box.script.shown().back(),
              (ShownBox{kEnglishSuccess, kOutcomeStyle, expected::kOutcomeTitle}));
}

TEST_F(MainFormTest, SpecialPathFollowsTheOpenedFolderAndADriveChangeResetsItToTheDrive) {
    volume.AddFolder("E:\\DCIM", kHidden);
    volume.AddFolder("E:\\DCIM\\100CANON");
    volume.AddFile("E:\\DCIM\\100CANON\\img.jpg", kHidden);
    MainForm* form = Open(Language::English);

    form->Check1.SetValue(ui::vbChecked);
    EXPECT_TRUE(form->Dir1.Visible());
    EXPECT_TRUE(form->Label2.Visible());
    // The folder list moved from where it began to the drive's root.
    EXPECT_EQ(form->TargetPath(), "E:\\");
    EXPECT_EQ(form->Label2.Caption(), expected::kEnglishPathPrefix + kCrLf + "E:\\");

    // Selecting is not opening.
    ASSERT_TRUE(driver::Select(form->Dir1, "E:\\DCIM"));
    EXPECT_EQ(form->TargetPath(), "E:\\");
    ASSERT_TRUE(driver::Open(form->Dir1, "E:\\DCIM"));
    ASSERT_TRUE(driver::Open(form->Dir1, "E:\\DCIM\\100CANON"));
    EXPECT_EQ(form->TargetPath(), "E:\\DCIM\\100CANON");
    EXPECT_EQ(form->Label2.Caption(), expected::kEnglishPathPrefix + kCrLf + "E:\\DCIM\\100CANON");

    box.script.Then(vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(volume.Attributes("E:\\DCIM\\100CANON\\img.jpg"), files::kNormal);
    EXPECT_EQ(volume.Attributes("E:\\DCIM"), files::kDirectory | kHidden);

    driver::SelectDrive(form->Drive1, "F:");
    EXPECT_EQ(form->TargetPath(), "F:");
    EXPECT_EQ(form->Dir1.Path(), "F:\\");
    EXPECT_EQ(form->Label2.Caption(), expected::kEnglishPathPrefix + kCrLf + "F:");
    EXPECT_TRUE(form->Dir1.Visible());

    form->Check1.SetValue(ui::vbUnchecked);
    EXPECT_EQ(form->TargetPath(), "F:");
    EXPECT_FALSE(form->Dir1.Visible());
    EXPECT_FALSE(form->Label2.Visible());
    EXPECT_EQ(form->Label2.Caption(), expected::kEnglishPathPrefix + kCrLf + "F:");
}

TEST_F(MainFormTest, SpecialPathOffGoesBackToTheDriveAndOnAgainKeepsIt) {
    MainForm* form = Open(Language::English);
    form->Check1.SetValue(ui::vbChecked);
    EXPECT_EQ(form->TargetPath(), "E:\\");
    form->Check1.SetValue(ui::vbUnchecked);
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_EQ(form->Label2.Caption(), expected::kEnglishPathPrefix + kCrLf + "E:\\");

    // The folder list already shows the drive's place: nothing moves.
    form->Check1.SetValue(ui::vbChecked);
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_EQ(form->Label2.Caption(), expected::kEnglishPathPrefix + kCrLf + "E:");
}

TEST_F(MainFormTest, ADriveChangeWithTheFolderListHiddenStillEndsOnTheDrive) {
    MainForm* form = Open(Language::English);
    form->Drive1.SetDrive("C:");
    EXPECT_EQ(form->TargetPath(), "C:");
    EXPECT_EQ(form->Dir1.Path(), "C:\\");
    EXPECT_FALSE(form->Label2.Visible());
}

TEST_F(MainFormTest, ADriveThatIsNotReadyLeavesTheWindowUsable) {
    volume.FailOn(Op::GetFolder, "F:\\", 1, testing::kNotReady, "The device is not ready.",
                  MemoryVolume::kEveryTime);
    volume.FailOn(Op::DirStart, "F:\\", 1, testing::kNotReady, "The device is not ready.",
                  MemoryVolume::kEveryTime);
    MainForm* form = Open(Language::English);
    form->Check1.SetValue(ui::vbChecked);
    form->Drive1.SetDrive("F:");
    EXPECT_EQ(form->TargetPath(), "F:");
    EXPECT_EQ(form->Dir1.ListingError(), "The device is not ready.");
    EXPECT_EQ(driver::Entries(form->Dir1),
              (std::vector<std::string>{"F:\\", "  The device is not ready."}));

    box.script.Then(vbOK).Then(vbOK);
    driver::Click(form->Command1);
    ASSERT_EQ(box.script.shown().size(), 2u);
    EXPECT_NE(box.script.shown()[0].text.find("The device is not ready."), std::string::npos);
    EXPECT_EQ(box.script.shown()[1].text, kEnglishErrors);

    form->Drive1.SetDrive("E:");
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_TRUE(form->Dir1.ListingError().empty());
}

TEST_F(MainFormTest, FarsiBoxesUseFarsiTextsButTheOutcomeTitleStaysDone) {
    MainForm* form = Open(Language::Farsi);
    box.script.Then(vbYes).Then(vbOK);
    form->Check2.SetValue(ui::vbChecked);
    driver::Click(form->Command1);

    const std::string warning =
        expected::kWarning1 + "\r\n" + expected::kWarning2 + "\r\n" + expected::kWarning3;
    EXPECT_EQ(
        box.script.shown(),
        (std::vector<ShownBox>{{warning, kWarningStyle, expected::kWarningTitle},
                               {expected::kSuccess, kOutcomeStyle, expected::kOutcomeTitle}}));
    EXPECT_EQ(form->Label3.Caption(), expected::kStatus1 + kCrLf + expected::kStatus2);

    volume.AddFile("E:\\x", kHidden);
    volume.FailOn(Op::SetAttr, "E:\\x", 1, 5, "Access is denied.");
    box.script.Then(vbYes).Then(vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(box.script.shown().back(),
              (ShownBox{expected::kErrors, kOutcomeStyle, expected::kOutcomeTitle}));

    form->Check1.SetValue(ui::vbChecked);
    EXPECT_EQ(form->Label2.Caption(), expected::kPathPrefix + kCrLf + "E:\\");
}

TEST_F(MainFormTest, AScreenReaderReadsEveryLabelInBothLanguages) {
    for (Language language : {Language::English, Language::Farsi}) {
        MainForm* form = Open(language);
        form->Check1.SetValue(ui::vbChecked);
        std::vector<driver::Accessible> during_repair;
        box.on_box = [&](const std::string&) {
            during_repair.push_back(driver::AccessibleOf(form->Label3));
        };
        box.script.Then(vbOK);
        driver::Click(form->Command1);
        const bool english = language == Language::English;
        EXPECT_EQ(driver::AccessibleOf(form->Label1).name,
                  english ? expected::kEnglishChooseDrive : expected::kChooseDrive);
        EXPECT_EQ(driver::AccessibleOf(form->Label2).name,
                  (english ? expected::kEnglishPathPrefix : expected::kPathPrefix) + "\nE:\\");
        ASSERT_EQ(during_repair.size(), 1u);
        EXPECT_EQ(during_repair[0].role, "label");
        EXPECT_EQ(during_repair[0].name,
                  english ? expected::kEnglishStatus1 + "\n" + expected::kEnglishStatus2
                          : expected::kStatus1 + "\n" + expected::kStatus2);
        box.on_box = nullptr;
    }
}

TEST_F(MainFormTest, TargetPathFollowsTheDriveListWhenTheStickGoesAndComesBack) {
    std::vector<ui::DriveEntry> mounted = {{"C:", "c: [System]", false},
                                           {"E:", "e: [STICK]", true}};
    forms->services().drives = [&] { return mounted; };
    MainForm* form = Open(Language::English);
    form->Check1.SetValue(ui::vbChecked);
    ASSERT_EQ(form->TargetPath(), "E:\\") << "the folder list moved to the stick's root";

    mounted.pop_back();
    form->Drive1.Refresh();
    EXPECT_EQ(form->Drive1.Drive(), "C:");
    EXPECT_EQ(form->TargetPath(), "C:");
    EXPECT_EQ(form->Dir1.Path(), "C:\\");
    EXPECT_EQ(form->Label2.Caption(), expected::kEnglishPathPrefix + kCrLf + "C:");

    mounted.push_back({"F:", "f: [CARD]", true});
    form->Drive1.Refresh();
    EXPECT_EQ(form->TargetPath(), "F:") << "a stick that arrives when none was there";
    EXPECT_EQ(form->Dir1.Path(), "F:\\");
}

TEST_F(MainFormTest, StartOnTheSystemDriveAsksFirstAndNoRepairsNothing) {
    const std::string& warning = expected::kEnglishSystemDrive;
    constexpr int kNoByDefault = 4 + 48 + 256;
    volume.AddFile("C:\\pagefile.sys", kHidden | kSystem);
    MainForm* form = Open(Language::English);
    form->Drive1.SetDrive("C:");
    bool status_shown = false;
    box.on_box = [&](const std::string&) { status_shown = form->Label3.Visible(); };

    box.script.Then(vbNo);
    driver::Click(form->Command1);
    EXPECT_EQ(box.script.shown(),
              (std::vector<ShownBox>{{warning, kNoByDefault, expected::kEnglishWarningTitle}}));
    EXPECT_FALSE(status_shown) << "asked before the repair begins";
    EXPECT_EQ(volume.Attributes("C:\\pagefile.sys"), kHidden | kSystem);
    EXPECT_FALSE(form->Label3.Visible());

    // The folder list at the drive's root names the same drive; Yes repairs it.
    form->Check1.SetValue(ui::vbChecked);
    ASSERT_TRUE(driver::Open(form->Dir1, "C:\\Work"));
    ASSERT_TRUE(driver::Open(form->Dir1, "C:\\"));
    ASSERT_EQ(form->TargetPath(), "C:\\");
    box.script.Then(vbYes).Then(vbOK);
    driver::Click(form->Command1);
    ASSERT_EQ(box.script.shown().size(), 3u);
    EXPECT_EQ(box.script.shown()[1].text, warning);
    EXPECT_EQ(box.script.shown()[2].text, kEnglishSuccess);
    EXPECT_EQ(volume.Attributes("C:\\pagefile.sys"), files::kNormal);

    // A folder of the system drive and a stick are repaired without a question.
    ASSERT_TRUE(driver::Open(form->Dir1, "C:\\Work"));
    box.script.Then(vbOK);
    driver::Click(form->Command1);
    form->Check1.SetValue(ui::vbUnchecked);
    form->Drive1.SetDrive("E:");
    box.script.Then(vbOK);
    driver::Click(form->Command1);
    ASSERT_EQ(box.script.shown().size(), 5u);
    EXPECT_EQ(box.script.shown()[3].text, kEnglishSuccess);
    EXPECT_EQ(box.script.shown()[4].text, kEnglishSuccess);
}

TEST_F(MainFormTest, TheFarsiSystemDriveWarningIsInFarsi) {
    MainForm* form = Open(Language::Farsi);
    form->Drive1.SetDrive("C:");
    box.script.Then(vbNo);
    driver::Click(form->Command1);
    EXPECT_EQ(box.script.shown(),
              (std::vector<ShownBox>{{expected::kSystemDrive1 + kCrLf + expected::kSystemDrive2,
                                      4 + 48 + 256, expected::kWarningTitle}}));
}

TEST(FarsiTexts, UseTheCodePageLettersAndNoInvisibleJoiners) {
    const MainFormTable& form3 = Form3Table();
    const Form1LanguageTexts& form1 = Form1TextsFor(Language::Farsi);
    for (const std::string* text :
         {&form3.label1_text,        &form3.check1_text,        &form3.check2_text,
          &form3.command1_text,      &form3.menu_text,          &form3.update_text,
          &form3.exit_text,          &form3.path_prefix,        &form3.status_line1,
          &form3.status_line2,       &form3.warning_line1,      &form3.warning_line2,
          &form3.warning_line3,      &form3.warning_title,      &form3.system_drive_line1,
          &form3.system_drive_line2, &form3.success_text,       &form3.error_text,
          &Form1Table().label2_text, &Form1Table().label5_text, &form1.explanation_line1,
          &form1.explanation_line2,  &form1.exit_text,          &form1.continue_text}) {
        for (const char* forbidden : expected::kOutsideTheCodePage) {
            EXPECT_EQ(text->find(forbidden), std::string::npos) << forbidden << " in " << *text;
        }
    }
}

TEST_F(MainFormTest, UpdateCommandAsksForTheWindowOfItsLanguage) {
    driver::Choose(Open(Language::English)->Update);
    driver::Choose(Open(Language::Farsi)->Update);
    EXPECT_EQ(update_requests, (std::vector<Language>{Language::English, Language::Farsi}));
}

TEST_F(MainFormTest, ExitEndsTheProgramWhateverIsOpen) {
    MainForm* english = Open(Language::English);
    Open(Language::Farsi);
    driver::Choose(english->Exit);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(program.loaded_count(), 0);
    EXPECT_EQ(forms->form3().Loaded(), nullptr);
}

}  // namespace
}  // namespace vantrelle::windows
