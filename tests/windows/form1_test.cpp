// The welcome window: its layout, the language switch and how it hands over to the
// main window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPointer>
#include <QTest>

#include "farsi_texts.h"
#include "window_test_support.h"

namespace vantrelle::windows {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

class Form1Test : public ::testing::Test, public WindowsHarness {
  protected:
    void SetUp() override {
        form = forms->form1().Show();
        ASSERT_NE(form, nullptr);
    }

    Form1* form = nullptr;
};

TEST_F(Form1Test, LayoutMatchesTheTableAtFifteenTwipsAPixel) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vantrelle"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(483, 379));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form->windowIcon().isNull());

    const std::vector<std::pair<const char*, QRect>> expected = {
        {"Label1", {8, 8, 217, 17}},      {"Label2", {264, 8, 217, 17}},
        {"Option1", {8, 32, 81, 33}},     {"Option2", {416, 32, 17, 33}},
        {"Label5", {432, 40, 41, 17}},    {"Label3", {8, 72, 465, 65}},
        {"Image1", {8, 144, 469, 156}},   {"Label4", {16, 312, 209, 57}},
        {"Command2", {384, 312, 81, 25}}, {"Command1", {384, 344, 81, 25}},
    };
    for (const auto& [name, rect] : expected) {
        EXPECT_EQ(GeometryOf(form, name), rect) << name;
    }
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(469, 156));
}

TEST_F(Form1Test, TabOrderFontsAndColours) {
    EXPECT_EQ(FocusOrder(form, {"Label1", "Label2", "Option1", "Option2", "Label3", "Command1",
                                "Command2", "Label4", "Label5"}),
              (QStringList{"Label1", "Label2", "Option1", "Option2", "Label3", "Command1",
                           "Command2", "Label4", "Label5"}));
    EXPECT_EQ(form->focusWidget(), form->Option1);

    for (QWidget* tahoma :
         std::initializer_list<QWidget*>{form->Label2, form->Option2, form->Label5, form->Label3,
                                         form->Label4, form->Command2, form->Command1}) {
        EXPECT_EQ(tahoma->font().family(), QStringLiteral("Tahoma"))
            << tahoma->objectName().toStdString();
        EXPECT_DOUBLE_EQ(tahoma->font().pointSizeF(), 8.25);
        EXPECT_TRUE(QFontMetrics(tahoma->font()).inFont(QChar(0x0641)))
            << "the font used for Tahoma, " << QFontInfo(tahoma->font()).family().toStdString()
            << ", has Arabic glyphs";
    }
    EXPECT_EQ(form->Label1->font(), QApplication::font());
    EXPECT_EQ(form->Option1->font(), QApplication::font());

    EXPECT_EQ(form->Label3->ForeColor(), QColor(0, 0, 255));
    EXPECT_EQ(form->Label4->ForeColor(), QColor(0, 0, 64));

    EXPECT_TRUE(form->Label2->RightToLeft());
    EXPECT_EQ(form->Label2->Alignment(), ui::kAlignRight);
    EXPECT_TRUE(form->Label5->RightToLeft());
    EXPECT_EQ(form->Label5->Alignment(), ui::kAlignRight);
    EXPECT_EQ(form->Option2->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(form->layoutDirection(), Qt::LeftToRight);
}

TEST_F(Form1Test, EveryCaptionFitsItsControlInBothLanguages) {
    EXPECT_EQ(ClippedCaptions(form), QStringList());
    form->Label5_Click();
    EXPECT_EQ(ClippedCaptions(form), QStringList()) << "in Farsi";
}

TEST_F(Form1Test, OpensInEnglishWithTheFixedTextsAndTheCredits) {
    EXPECT_TRUE(form->Option1->Value());
    EXPECT_FALSE(form->Option2->Value());
    EXPECT_EQ(form->Label3->Caption(),
              QStringLiteral("This is a free application to help you fix files which are hidden "
                             "becuase of malwares.\r\nPlease first scan your device with an "
                             "anti-virus program , Then run this app to fix your files."));
    EXPECT_EQ(form->Label3->Alignment(), ui::kAlignLeft);
    EXPECT_FALSE(form->Label3->RightToLeft());
    EXPECT_EQ(form->Command2->Caption(), QStringLiteral("Continue"));
    EXPECT_EQ(form->Command1->Caption(), QStringLiteral("Exit"));
    EXPECT_FALSE(form->Image1->Visible());

    EXPECT_EQ(form->Label1->Caption(), QStringLiteral("Please Choose your language:"));
    EXPECT_EQ(form->Label2->Caption(), QString::fromUtf16(expected::kPrompt));
    EXPECT_EQ(form->Label5->Caption(), QString::fromUtf16(expected::kFarsi));
    EXPECT_EQ(form->Option1->Caption(), QStringLiteral("English"));
    EXPECT_TRUE(form->Option2->Caption().isEmpty());

    const QStringList credits = form->Label4->Caption().split(kCrLf);
    ASSERT_EQ(credits.size(), 4);
    EXPECT_TRUE(credits[0].startsWith(QStringLiteral("Created by ")));
    EXPECT_EQ(credits[1], QStringLiteral("            ---------"));
    EXPECT_EQ(credits[2], QStringLiteral("     vantrelle.example.org"));
    EXPECT_TRUE(credits[3].startsWith(QStringLiteral("    ")));
    EXPECT_TRUE(credits[3].contains(QLatin1Char('@')));
}

void ExpectFarsi(Form1* form) {
    EXPECT_TRUE(form->Option2->Value());
    EXPECT_FALSE(form->Option1->Value());
    EXPECT_EQ(form->Label3->Caption(), QString::fromUtf16(expected::kExplanation1) + kCrLf +
                                           QString::fromUtf16(expected::kExplanation2));
    EXPECT_EQ(form->Label3->Alignment(), ui::kAlignRight);
    EXPECT_TRUE(form->Label3->RightToLeft());
    EXPECT_EQ(form->Command1->Caption(), QString::fromUtf16(expected::kExit));
    EXPECT_EQ(form->Command2->Caption(), QString::fromUtf16(expected::kContinue));
    EXPECT_TRUE(form->Image1->Visible());
}

TEST_F(Form1Test, TheFarsiLabelSelectsFarsiLikeItsButtonAndAgainChangesNothing) {
    const QString credits = form->Label4->Caption();
    QTest::mouseClick(form->Label5, Qt::LeftButton);
    ExpectFarsi(form);
    QTest::mouseClick(form->Label5, Qt::LeftButton);
    ExpectFarsi(form);
    EXPECT_EQ(form->Label4->Caption(), credits);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vantrelle"));
    EXPECT_EQ(form->Label1->font(), QApplication::font());

    QTest::mouseClick(form->Option1, Qt::LeftButton);
    EXPECT_FALSE(form->Label3->RightToLeft());
    EXPECT_EQ(form->Label3->Alignment(), ui::kAlignLeft);
    EXPECT_TRUE(form->Label3->Caption().startsWith(QStringLiteral("This is a free")));
    EXPECT_EQ(form->Command2->Caption(), QStringLiteral("Continue"));
    EXPECT_EQ(form->Command1->Caption(), QStringLiteral("Exit"));
    EXPECT_FALSE(form->Image1->Visible());

    QTest::mouseClick(form->Option2, Qt::LeftButton);
    ExpectFarsi(form);
}

TEST_F(Form1Test, ContinueOpensTheMainWindowOfTheChosenLanguageAndUnloadsItself) {
    QPointer<Form1> welcome = form;
    form->Option2->SetValue(true);
    QTest::mouseClick(form->Command2, Qt::LeftButton);

    EXPECT_EQ(forms->form1().Loaded(), nullptr);
    EXPECT_EQ(forms->form2().Loaded(), nullptr);
    MainForm* main = forms->form3().Loaded();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->TargetPath(), "E:");
    EXPECT_EQ(quits, 0);
    FlushDeletes();
    EXPECT_TRUE(welcome.isNull());

    main->close();
    EXPECT_EQ(quits, 1);
}

TEST_F(Form1Test, ContinueInEnglishOpensForm2AndItsExitEndsTheProgram) {
    form->Command2->click();
    MainForm* main = forms->form2().Loaded();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(forms->form1().Loaded(), nullptr);

    main->Exit->trigger();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(program.loaded_count(), 0);
    EXPECT_EQ(forms->form2().Loaded(), nullptr);
}

TEST_F(Form1Test, ExitAndClosingBeforeContinueEndTheProgram) {
    form->Command1->click();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(forms->form1().Loaded(), nullptr);
    EXPECT_EQ(forms->form2().Show(), nullptr);
}

TEST_F(Form1Test, ClosingFromTheTitleBarBeforeContinueEndsTheProgram) {
    form->close();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(forms->form2().Loaded(), nullptr);
    EXPECT_EQ(forms->form3().Loaded(), nullptr);
}

}  // namespace
}  // namespace vantrelle::windows
