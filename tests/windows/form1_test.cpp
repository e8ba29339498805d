// The welcome window: its layout, the language switch and how it hands over to the
// main window.

#include <gtest/gtest.h>

#include "support/expected_texts.h"
#include "window_test_support.h"

namespace vantrelle::windows {
namespace {

namespace driver = ui::driver;
const std::string kCrLf = "\r\n";

class Form1Test : public ::testing::Test, public WindowsHarness {
  protected:
    void SetUp() override {
        form = forms->form1().Show();
        ASSERT_NE(form, nullptr);
    }

    Form1* form = nullptr;
};

TEST_F(Form1Test, LayoutMatchesTheTableAtFifteenTwipsAPixel) {
    EXPECT_EQ(form->Caption(), "Vantrelle");
    EXPECT_EQ(driver::ClientWidth(*form), 483);
    EXPECT_EQ(driver::ClientHeight(*form), 379);
    EXPECT_FALSE(driver::IsResizable(*form));
    EXPECT_FALSE(driver::HasMinimizeButton(*form));
    EXPECT_FALSE(driver::HasMaximizeButton(*form));
    EXPECT_TRUE(driver::HasIcon(*form));

    const std::vector<std::pair<const char*, driver::PixelRect>> expected = {
        {"Label1", {8, 8, 217, 17}},      {"Label2", {264, 8, 217, 17}},
        {"Option1", {8, 32, 81, 33}},     {"Option2", {416, 32, 17, 33}},
        {"Label5", {432, 40, 41, 17}},    {"Label3", {8, 72, 465, 65}},
        {"Image1", {8, 144, 469, 156}},   {"Label4", {16, 312, 209, 57}},
        {"Command2", {384, 312, 81, 25}}, {"Command1", {384, 344, 81, 25}},
    };
    for (const auto& [name, rect] : expected) {
        EXPECT_EQ(driver::Geometry(*form->FindControl(name)), rect) << name;
    }
    EXPECT_EQ(driver::PictureSize(form->Image1), std::make_pair(469, 156));
}

TEST_F(Form1Test, TabOrderFontsAndColours) {
    const std::vector<std::string> order = {"Label1",   "Label2",   "Option1", "Option2", "Label3",
                                            "Command1", "Command2", "Label4",  "Label5"};
    EXPECT_EQ(driver::FocusOrder(*form, order), order);
    EXPECT_EQ(driver::FocusedControl(*form), "Option1");

    for (const ui::Control* tahoma : std::initializer_list<const ui::Control*>{
             &form->Label2, &form->Option2, &form->Label5, &form->Label3, &form->Label4,
             &form->Command2, &form->Command1}) {
        EXPECT_EQ(driver::FontOf(*tahoma).family, "Tahoma") << tahoma->Name();
        EXPECT_DOUBLE_EQ(driver::FontOf(*tahoma).points, 8.25);
        EXPECT_TRUE(driver::HasGlyph(*tahoma, 0x0641))
            << "the font used for Tahoma has Arabic glyphs";
    }
    EXPECT_TRUE(driver::FontOf(form->Label1).default_font);
    EXPECT_TRUE(driver::FontOf(form->Option1).default_font);

    EXPECT_EQ(form->Label3.ForeColor(), (ui::Color{0, 0, 255}));
    EXPECT_EQ(form->Label4.ForeColor(), (ui::Color{0, 0, 64}));

    EXPECT_TRUE(form->Label2.RightToLeft());
    EXPECT_EQ(form->Label2.Alignment(), ui::kAlignRight);
    EXPECT_TRUE(form->Label5.RightToLeft());
    EXPECT_EQ(form->Label5.Alignment(), ui::kAlignRight);
    EXPECT_TRUE(form->Option2.RightToLeft());
    EXPECT_FALSE(form->Label1.RightToLeft());
}

TEST_F(Form1Test, EveryCaptionFitsItsControlInBothLanguages) {
    EXPECT_EQ(driver::ClippedCaptions(*form), std::vector<std::string>());
    form->Label5_Click();
    EXPECT_EQ(driver::ClippedCaptions(*form), std::vector<std::string>()) << "in Farsi";
}

TEST_F(Form1Test, OpensInEnglishWithTheFixedTextsAndTheCredits) {
    EXPECT_TRUE(form->Option1.Value());
    EXPECT_FALSE(form->Option2.Value());
    EXPECT_EQ(form->Label3.Caption(), expected::kEnglishExplanation);
    EXPECT_EQ(form->Label3.Alignment(), ui::kAlignLeft);
    EXPECT_FALSE(form->Label3.RightToLeft());
    EXPECT_EQ(form->Command2.Caption(), expected::kEnglishContinue);
    EXPECT_EQ(form->Command1.Caption(), expected::kEnglishExit);
    EXPECT_FALSE(form->Image1.Visible());

    EXPECT_EQ(form->Label1.Caption(), expected::kEnglishPrompt);
    EXPECT_EQ(form->Label2.Caption(), expected::kPrompt);
    EXPECT_EQ(form->Label5.Caption(), expected::kFarsi);
    EXPECT_EQ(form->Option1.Caption(), expected::kEnglish);
    EXPECT_TRUE(form->Option2.Caption().empty());

    EXPECT_EQ(form->Label4.Caption(), Credits("vantrelle.example.org"));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(kCrLf, start)) != std::string::npos;
         start = end + kCrLf.size()) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

TEST(Credits, FourLinesWithTheSiteAndItsAddressWithoutAPort) {
    const std::vector<std::string> credits = Lines(Credits("vantrelle.example.org"));
    ASSERT_EQ(credits.size(), 4u);
    EXPECT_EQ(credits[0].rfind("Created by ", 0), 0u);
    EXPECT_EQ(credits[1], "            ---------");
    EXPECT_EQ(credits[2], "     vantrelle.example.org");
    EXPECT_EQ(credits[3], "    support@vantrelle.example.org");

    const std::vector<std::string> with_port = Lines(Credits("vantrelle.example.org:8080"));
    ASSERT_EQ(with_port.size(), 4u);
    EXPECT_EQ(with_port[2], "     vantrelle.example.org");
    EXPECT_EQ(with_port[3], "    support@vantrelle.example.org");
}

void ExpectFarsi(Form1* form) {
    EXPECT_TRUE(form->Option2.Value());
    EXPECT_FALSE(form->Option1.Value());
    EXPECT_EQ(form->Label3.Caption(), expected::kExplanation1 + kCrLf + expected::kExplanation2);
    EXPECT_EQ(form->Label3.Alignment(), ui::kAlignRight);
    EXPECT_TRUE(form->Label3.RightToLeft());
    EXPECT_EQ(form->Command1.Caption(), expected::kExit);
    EXPECT_EQ(form->Command2.Caption(), expected::kContinue);
    EXPECT_TRUE(form->Image1.Visible());
}

TEST_F(Form1Test, TheFarsiLabelSelectsFarsiLikeItsButtonAndAgainChangesNothing) {
    const std::string credits = form->Label4.Caption();
    driver::Click(form->Label5);
    ExpectFarsi(form);
    driver::Click(form->Label5);
    ExpectFarsi(form);
    EXPECT_EQ(form->Label4.Caption(), credits);
    EXPECT_EQ(form->Caption(), "Vantrelle");
    EXPECT_TRUE(driver::FontOf(form->Label1).default_font);

    driver::Click(form->Option1);
    EXPECT_FALSE(form->Label3.RightToLeft());
    EXPECT_EQ(form->Label3.Alignment(), ui::kAlignLeft);
    EXPECT_EQ(form->Label3.Caption(), expected::kEnglishExplanation);
    EXPECT_EQ(form->Command2.Caption(), expected::kEnglishContinue);
    EXPECT_EQ(form->Command1.Caption(), expected::kEnglishExit);
    EXPECT_FALSE(form->Image1.Visible());

    driver::Click(form->Option2);
    ExpectFarsi(form);
}

TEST_F(Form1Test, ContinueOpensTheMainWindowOfTheChosenLanguageAndUnloadsItself) {
    form->Option2.SetValue(true);
    driver::Click(form->Command2);

    EXPECT_EQ(forms->form1().Loaded(), nullptr);
    EXPECT_EQ(forms->form2().Loaded(), nullptr);
    MainForm* main = forms->form3().Loaded();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(driver::IsOnScreen(*main));
    EXPECT_FALSE(driver::IsOnScreen(*form));
    EXPECT_EQ(main->TargetPath(), "E:");
    EXPECT_EQ(quits, 0);
    driver::ProcessEvents();
    EXPECT_EQ(forms->form1().Loaded(), nullptr);

    driver::Close(*main);
    EXPECT_EQ(quits, 1);
}

TEST_F(Form1Test, ContinueInEnglishOpensForm2AndItsExitEndsTheProgram) {
    driver::Click(form->Command2);
    MainForm* main = forms->form2().Loaded();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->Name(), "Form2");
    EXPECT_EQ(forms->form1().Loaded(), nullptr);

    driver::Choose(main->Exit);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(program.loaded_count(), 0);
    EXPECT_EQ(forms->form2().Loaded(), nullptr);
}

TEST_F(Form1Test, ExitAndClosingBeforeContinueEndTheProgram) {
    driver::Click(form->Command1);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(forms->form1().Loaded(), nullptr);
    EXPECT_EQ(forms->form2().Show(), nullptr);
}

TEST_F(Form1Test, ClosingFromTheTitleBarBeforeContinueEndsTheProgram) {
    driver::Close(*form);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(forms->form2().Loaded(), nullptr);
    EXPECT_EQ(forms->form3().Loaded(), nullptr);
}

}  // namespace
}  // namespace vantrelle::windows
