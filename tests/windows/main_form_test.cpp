// The main window in both languages: layout and texts, and every handler over the
// in-memory volume with a scripted message box.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include "farsi_texts.h"
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

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kWarningStyle = 52;
constexpr int kOutcomeStyle = 64;

const std::string kEnglishWarning =
    "Checking files recursivly may take a lot of time or cause some errors.\r\n"
    "This option will fix all files and folders and also sub-folders , So use this option "
    "only if normal mode did not fix all files.\r\nAre you sure that you need this option?";
const std::string kEnglishSuccess = "All files fixed successfully.";
const std::string kEnglishErrors =
    "File procceing is complete. but it seems there have been some errors , some files may "
    "have remain hidden.";

class MainFormTest : public ::testing::Test, public WindowsHarness {
  protected:
    MainForm* Open(Language language) {
        MainForm* form = forms->MainFormFor(language).Show();
        EXPECT_NE(form, nullptr);
        return form;
    }
    std::string U(const char16_t* text) { return Utf8(QString::fromUtf16(text)); }
};

TEST_F(MainFormTest, EnglishLayoutMatchesTheTable) {
    MainForm* form = Open(Language::English);
    EXPECT_EQ(form->objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vantrelle"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(409, 332));
    EXPECT_EQ(form->centralWidget()->y(), form->menuBar()->height());
    const std::vector<std::pair<const char*, QRect>> expected = {
        {"Label1", {8, 12, 81, 17}},     {"Drive1", {88, 8, 105, 21}},
        {"Check1", {16, 40, 81, 25}},    {"Check2", {16, 64, 201, 33}},
        {"Label2", {8, 104, 377, 65}},   {"Dir1", {8, 184, 145, 141}},
        {"Label3", {192, 208, 201, 49}}, {"Command1", {312, 288, 81, 25}},
    };
    for (const auto& [name, rect] : expected) {
        EXPECT_EQ(GeometryOf(form, name), rect) << name;
    }
    EXPECT_EQ(FocusOrder(form, {"Drive1", "Label1", "Command1", "Check1", "Dir1", "Label2",
                                "Check2", "Label3"}),
              (QStringList{"Drive1", "Label1", "Command1", "Check1", "Dir1", "Label2", "Check2",
                           "Label3"}));
    EXPECT_EQ(form->focusWidget(), form->Drive1);

    for (QWidget* control :
         form->centralWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        EXPECT_EQ(control->font(), QApplication::font()) << control->objectName().toStdString();
        EXPECT_EQ(control->layoutDirection(), Qt::LeftToRight);
    }
    for (ui::Label* label : {form->Label1, form->Label2, form->Label3}) {
        EXPECT_EQ(label->Alignment(), ui::kAlignLeft);
    }
    EXPECT_EQ(form->Label3->ForeColor(), QColor(0, 0, 255));
    EXPECT_EQ(form->Label1->ForeColor(), QApplication::palette().color(QPalette::WindowText));

    EXPECT_EQ(form->Label1->Caption(), QStringLiteral("Choose drive:"));
    EXPECT_EQ(form->Check1->Caption(), QStringLiteral("Special path"));
    EXPECT_EQ(form->Check2->Caption(), QStringLiteral("Recursivly fix folders and sub folders."));
    EXPECT_EQ(form->Command1->Caption(), QStringLiteral("Start"));
    EXPECT_EQ(form->Menu->title(), QStringLiteral("Menu"));
    ASSERT_EQ(form->Menu->actions().size(), 2);
    EXPECT_EQ(form->Menu->actions()[0], form->Update);
    EXPECT_EQ(form->Update->objectName(), QStringLiteral("update"));
    EXPECT_EQ(form->Update->text(), QStringLiteral("Check For Update"));
    EXPECT_EQ(form->Exit->text(), QStringLiteral("Exit"));

    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
}

TEST_F(MainFormTest, FarsiLayoutIsMirroredWithTahomaAndRightToLeftReading) {
    MainForm* form = Open(Language::Farsi);
    EXPECT_EQ(form->objectName(), QStringLiteral("Form3"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vantrelle"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(407, 335));
    const std::vector<std::pair<const char*, QRect>> expected = {
        {"Label1", {344, 12, 57, 17}},  {"Drive1", {232, 8, 105, 21}},
        {"Check1", {320, 32, 73, 25}},  {"Check2", {216, 64, 177, 17}},
        {"Label2", {16, 104, 377, 65}}, {"Dir1", {256, 184, 145, 141}},
        {"Label3", {16, 216, 209, 81}}, {"Command1", {24, 296, 81, 25}},
    };
    for (const auto& [name, rect] : expected) {
        EXPECT_EQ(GeometryOf(form, name), rect) << name;
    }
    EXPECT_EQ(FocusOrder(form, {"Check2", "Dir1", "Check1", "Command1", "Drive1", "Label3",
                                "Label2", "Label1"}),
              (QStringList{"Check2", "Dir1", "Check1", "Command1", "Drive1", "Label3", "Label2",
                           "Label1"}));
    EXPECT_EQ(form->focusWidget(), form->Check2);

    for (QWidget* tahoma :
         std::initializer_list<QWidget*>{form->Label1, form->Check1, form->Check2, form->Label2,
                                         form->Label3, form->Command1}) {
        EXPECT_EQ(tahoma->font().family(), QStringLiteral("Tahoma"));
        EXPECT_DOUBLE_EQ(tahoma->font().pointSizeF(), 8.25);
        EXPECT_TRUE(QFontMetrics(tahoma->font()).inFont(QChar(0x06A9)));
    }
    EXPECT_EQ(form->Drive1->font(), QApplication::font());
    EXPECT_EQ(form->Dir1->font(), QApplication::font());

    EXPECT_TRUE(form->Label1->RightToLeft());
    EXPECT_EQ(form->Check1->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(form->Check2->layoutDirection(), Qt::RightToLeft);
    EXPECT_FALSE(form->Label2->RightToLeft());
    EXPECT_EQ(form->Label2->Alignment(), ui::kAlignLeft);
    EXPECT_TRUE(form->Label3->RightToLeft());
    EXPECT_EQ(form->Label3->Alignment(), ui::kAlignRight);
    EXPECT_EQ(form->Command1->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(form->Label3->ForeColor(), QColor(0, 0, 255));
    EXPECT_EQ(form->menuBar()->layoutDirection(), Qt::LeftToRight);

    EXPECT_EQ(form->Label1->Caption(), QString::fromUtf16(expected::kChooseDrive));
    EXPECT_EQ(form->Check1->Caption(), QString::fromUtf16(expected::kSpecialPath));
    EXPECT_EQ(form->Check2->Caption(), QString::fromUtf16(expected::kRecursive));
    EXPECT_EQ(form->Command1->Caption(), QString::fromUtf16(expected::kStart));
    EXPECT_EQ(form->Menu->title(), QString::fromUtf16(expected::kMenu));
    EXPECT_EQ(form->Update->objectName(), QStringLiteral("Update"));
    EXPECT_EQ(form->Update->text(), QString::fromUtf16(expected::kUpdate));
    EXPECT_EQ(form->Exit->text(), QString::fromUtf16(expected::kExit));
}

TEST_F(MainFormTest, TheCheckBoxesOfTheFarsiWindowHaveTheirBoxOnTheRight) {
    MainForm* form = Open(Language::Farsi);
    QStyleOptionButton option;
    option.initFrom(form->Check1);
    const QRect box =
        form->Check1->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, form->Check1);
    EXPECT_GT(box.left(), form->Check1->width() / 2);
}

TEST_F(MainFormTest, OpensOnTheFirstRemovableDriveAndStartRepairsItAsReported) {
    volume.AddFile("E:\\photo.jpg", kHidden | kSystem);
    volume.AddFolder("E:\\hidden", kHidden);
    volume.AddFile("E:\\hidden\\deep.txt", kHidden);
    MainForm* form = Open(Language::English);
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_EQ(form->Check1->Value(), 0);
    EXPECT_EQ(form->Check2->Value(), 0);
    EXPECT_FALSE(form->Dir1->isVisibleTo(form));
    EXPECT_FALSE(form->Label2->Visible());
    EXPECT_FALSE(form->Label3->Visible());

    box.script.Then(vbOK);
    form->Command1->click();
    EXPECT_EQ(box.script.shown(),
              (std::vector<ShownBox>{{kEnglishSuccess, kOutcomeStyle, "Done"}}));
    EXPECT_EQ(volume.Attributes("E:\\photo.jpg"), files::kNormal);
    EXPECT_EQ(volume.Attributes("E:\\hidden"), files::kDirectory);
    EXPECT_EQ(volume.Attributes("E:\\hidden\\deep.txt"), kHidden) << "normal mode stays on top";
    EXPECT_FALSE(form->Label3->Visible());
}

TEST_F(MainFormTest, StartShowsAndPaintsTheStatusBeforeTheRepairAndHidesItAfter) {
    volume.AddFile("E:\\locked", kHidden);
    volume.FailOn(Op::SetAttr, "E:\\locked", 1, 5, "Access is denied.");
    MainForm* form = Open(Language::English);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));

    int paints = 0;
    struct PaintCounter : QObject {
        int* count;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                ++*count;
            }
            return false;
        }
    } counter;
    counter.count = &paints;
    form->Label3->installEventFilter(&counter);

    std::vector<std::pair<bool, int>> seen;
    box.on_box = [&](const std::string&) { seen.emplace_back(form->Label3->Visible(), paints); };
    box.script.Then(vbYes).Then(vbOK);
    form->Command1->click();

    ASSERT_EQ(box.script.shown().size(), 2u);
    EXPECT_EQ(box.script.shown()[0].title.rfind("Error", 0), 0u);
    EXPECT_EQ(box.script.shown()[1], (ShownBox{kEnglishErrors, kOutcomeStyle, "Done"}));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].first);
    EXPECT_GE(seen[0].second, 1) << "the status was painted before the repair's first box";
    EXPECT_TRUE(seen[1].first) << "the status stays up until the outcome is closed";
    EXPECT_EQ(form->Label3->Caption(),
              QStringLiteral("Fixing Files ...\r\nThis might take a while , Please wait"));
    EXPECT_FALSE(form->Label3->Visible());
}

TEST_F(MainFormTest, EveryCaptionFitsItsControlInBothLanguagesAlsoDuringTheRepair) {
    for (Language language : {Language::English, Language::Farsi}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Farsi");
        MainForm* form = Open(language);
        form->Check1->SetValue(1);  // shows the path
        EXPECT_EQ(ClippedCaptions(form), QStringList());

        QStringList clipped_during_repair;
        box.on_box = [&](const std::string&) { clipped_during_repair = ClippedCaptions(form); };
        box.script.Then(vbOK);
        form->Command1->click();
        EXPECT_TRUE(form->Label3->isHidden());
        EXPECT_EQ(clipped_during_repair, QStringList()) << "with the status shown";
        box.on_box = nullptr;
    }
}

TEST_F(MainFormTest, OnlyAResultOfMinusOneIsSuccess) {
    // Error number 0 is a failure like any other; only -1 means none happened.
    volume.AddFile("E:\\zero", kHidden);
    volume.FailOn(Op::SetAttr, "E:\\zero", 1, 0, "Zero.");
    MainForm* form = Open(Language::English);
    box.script.Then(vbYes).Then(vbOK);
    form->Command1->click();
    EXPECT_EQ(box.script.shown().back().text, kEnglishErrors);

    // The second repair of the same entry.
    volume.FailOn(Op::SetAttr, "E:\\zero", 2, 70000, "Large.");
    box.script.Then(vbNo).Then(vbOK);
    form->Command1->click();
    EXPECT_EQ(box.script.shown().back().text, kEnglishErrors);

    box.script.Then(vbOK);
    form->Command1->click();
    EXPECT_EQ(box.script.shown().back().text, kEnglishSuccess);
}

TEST_F(MainFormTest, RecursiveWarningAnsweredNoClearsTheBoxAfterExactlyOneWarning) {
    MainForm* form = Open(Language::English);
    box.script.Then(vbNo);
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    EXPECT_EQ(form->Check2->Value(), 0);
    EXPECT_EQ(box.script.shown(),
              (std::vector<ShownBox>{{kEnglishWarning, kWarningStyle, "Warning"}}));

    // Checking again after a No warns again; clearing never does.
    box.script.Then(vbYes);
    form->Check2->SetValue(1);
    EXPECT_EQ(form->Check2->Value(), 1);
    form->Check2->SetValue(0);
    EXPECT_EQ(box.script.shown().size(), 2u);
}

TEST_F(MainFormTest, RecursiveWarningAnsweredYesKeepsTheBoxAndStartWalksTheTree) {
    volume.AddFolder("E:\\hidden", kHidden);
    volume.AddFile("E:\\hidden\\deep.txt", kHidden | kSystem);
    MainForm* form = Open(Language::English);
    box.script.Then(vbYes);
    form->Check2->SetValue(1);
    EXPECT_EQ(form->Check2->Value(), 1);
    ASSERT_EQ(box.script.shown().size(), 1u);

    box.script.Then(vbOK);
    form->Command1->click();
    EXPECT_EQ(volume.Attributes("E:\\hidden\\deep.txt"), files::kNormal);
    EXPECT_EQ(box.script.shown().back(), (ShownBox{kEnglishSuccess, kOutcomeStyle, "Done"}));
}

TEST_F(MainFormTest, SpecialPathFollowsTheOpenedFolderAndADriveChangeResetsItToTheDrive) {
    volume.AddFolder("E:\\DCIM", kHidden);
    volume.AddFolder("E:\\DCIM\\100CANON");
    volume.AddFile("E:\\DCIM\\100CANON\\img.jpg", kHidden);
    MainForm* form = Open(Language::English);

    form->Check1->SetValue(1);
    EXPECT_TRUE(form->Dir1->isVisibleTo(form));
    EXPECT_TRUE(form->Label2->Visible());
    // The folder list moved from where it began to the drive's root.
    EXPECT_EQ(form->TargetPath(), "E:\\");
    EXPECT_EQ(form->Label2->Caption(), QStringLiteral("Path: \r\nE:\\"));

    // Selecting is not opening.
    QTreeWidgetItem* dcim = form->Dir1->currentItem()->child(0);
    form->Dir1->setCurrentItem(dcim);
    EXPECT_EQ(form->TargetPath(), "E:\\");
    emit form->Dir1->itemActivated(dcim, 0);
    emit form->Dir1->itemActivated(form->Dir1->currentItem()->child(0), 0);
    EXPECT_EQ(form->TargetPath(), "E:\\DCIM\\100CANON");
    EXPECT_EQ(form->Label2->Caption(), QStringLiteral("Path: \r\nE:\\DCIM\\100CANON"));

    box.script.Then(vbOK);
    form->Command1->click();
    EXPECT_EQ(volume.Attributes("E:\\DCIM\\100CANON\\img.jpg"), files::kNormal);
    EXPECT_EQ(volume.Attributes("E:\\DCIM"), files::kDirectory | kHidden);

    form->Drive1->SetDrive("F:");
    EXPECT_EQ(form->TargetPath(), "F:");
    EXPECT_EQ(form->Dir1->Path(), "F:\\");
    EXPECT_EQ(form->Label2->Caption(), QStringLiteral("Path: \r\nF:"));
    EXPECT_TRUE(form->Dir1->isVisibleTo(form));

    form->Check1->SetValue(0);
    EXPECT_EQ(form->TargetPath(), "F:");
    EXPECT_FALSE(form->Dir1->isVisibleTo(form));
    EXPECT_FALSE(form->Label2->Visible());
    EXPECT_EQ(form->Label2->Caption(), QStringLiteral("Path: \r\nF:"));
}

TEST_F(MainFormTest, SpecialPathOffGoesBackToTheDriveAndOnAgainKeepsIt) {
    MainForm* form = Open(Language::English);
    form->Check1->SetValue(1);
    EXPECT_EQ(form->TargetPath(), "E:\\");
    form->Check1->SetValue(0);
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_EQ(form->Label2->Caption(), QStringLiteral("Path: \r\nE:\\"));

    // The folder list already shows the drive's place: nothing moves.
    form->Check1->SetValue(1);
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_EQ(form->Label2->Caption(), QStringLiteral("Path: \r\nE:"));
}

TEST_F(MainFormTest, ADriveChangeWithTheFolderListHiddenStillEndsOnTheDrive) {
    MainForm* form = Open(Language::English);
    form->Drive1->SetDrive("C:");
    EXPECT_EQ(form->TargetPath(), "C:");
    EXPECT_EQ(form->Dir1->Path(), "C:\\");
    EXPECT_FALSE(form->Label2->Visible());
}

TEST_F(MainFormTest, ADriveThatIsNotReadyLeavesTheWindowUsable) {
    volume.FailOn(Op::GetFolder, "F:\\", 1, testing::kNotReady, "The device is not ready.",
                  MemoryVolume::kEveryTime);
    volume.FailOn(Op::DirStart, "F:\\", 1, testing::kNotReady, "The device is not ready.",
                  MemoryVolume::kEveryTime);
    MainForm* form = Open(Language::English);
    form->Check1->SetValue(1);
    form->Drive1->SetDrive("F:");
    EXPECT_EQ(form->TargetPath(), "F:");
    EXPECT_EQ(form->Dir1->ListingError(), QStringLiteral("The device is not ready."));

    box.script.Then(vbOK).Then(vbOK);
    form->Command1->click();
    ASSERT_EQ(box.script.shown().size(), 2u);
    EXPECT_NE(box.script.shown()[0].text.find("The device is not ready."), std::string::npos);
    EXPECT_EQ(box.script.shown()[1].text, kEnglishErrors);

    form->Drive1->SetDrive("E:");
    EXPECT_EQ(form->TargetPath(), "E:");
    EXPECT_TRUE(form->Dir1->ListingError().isEmpty());
}

TEST_F(MainFormTest, FarsiBoxesUseFarsiTextsButTheOutcomeTitleStaysDone) {
    MainForm* form = Open(Language::Farsi);
    box.script.Then(vbYes).Then(vbOK);
    form->Check2->SetValue(1);
    form->Command1->click();

    const std::string warning =
        U(expected::kWarning1) + "\r\n" + U(expected::kWarning2) + "\r\n" + U(expected::kWarning3);
    EXPECT_EQ(box.script.shown(),
              (std::vector<ShownBox>{{warning, kWarningStyle, U(expected::kWarningTitle)},
                                     {U(expected::kSuccess), kOutcomeStyle, "Done"}}));
    EXPECT_EQ(form->Label3->Caption(), QString::fromUtf16(expected::kStatus1) + kCrLf +
                                           QString::fromUtf16(expected::kStatus2));

    volume.AddFile("E:\\x", kHidden);
    volume.FailOn(Op::SetAttr, "E:\\x", 1, 5, "Access is denied.");
    box.script.Then(vbYes).Then(vbOK);
    form->Command1->click();
    EXPECT_EQ(box.script.shown().back(), (ShownBox{U(expected::kErrors), kOutcomeStyle, "Done"}));

    form->Check1->SetValue(1);
    EXPECT_EQ(form->Label2->Caption(),
              QString::fromUtf16(expected::kPathPrefix) + kCrLf + QStringLiteral("E:\\"));
}

TEST_F(MainFormTest, UpdateCommandAsksForTheWindowOfItsLanguage) {
    Open(Language::English)->Update->trigger();
    Open(Language::Farsi)->Update->trigger();
    EXPECT_EQ(update_requests, (std::vector<Language>{Language::English, Language::Farsi}));
}

TEST_F(MainFormTest, ExitEndsTheProgramWhateverIsOpen) {
    MainForm* english = Open(Language::English);
    Open(Language::Farsi);
    english->Exit->trigger();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(program.loaded_count(), 0);
    EXPECT_EQ(forms->form3().Loaded(), nullptr);
}

}  // namespace
}  // namespace vantrelle::windows
