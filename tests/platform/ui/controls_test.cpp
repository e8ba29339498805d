// The controls' members as the windows use them: captions, colours, the side the text
// keeps to on screen, and which changes raise a click.

#include "platform/ui/qt/controls.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QWidget>

namespace vantrelle::ui {
namespace {

// The columns where the label's text has ink, as (first, last).
std::pair<int, int> InkColumns(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int first = image.width(), last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != background) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

TEST(LabelTest, CaptionBreaksAtCrLfAndLoneCrAndShowsMarkupLiterally) {
    QWidget window;
    Label label(&window);
    label.setGeometry(0, 0, 300, 200);

    label.SetCaption(QStringLiteral("one\r\ntwo\rthree"));
    EXPECT_EQ(label.Caption(), QStringLiteral("one\r\ntwo\rthree"));
    EXPECT_EQ(label.text(), QStringLiteral("one\ntwo\nthree"));
    const int three_lines = label.heightForWidth(300);
    label.SetCaption(QStringLiteral("one two three"));
    EXPECT_GT(three_lines, label.heightForWidth(300) * 2);

    label.SetCaption(QStringLiteral("<b>bold</b>"));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_TRUE(label.wordWrap());
}

TEST(LabelTest, AlignmentNamesTheSideOnScreenWhateverTheReadingOrder) {
    QWidget window;
    Label label(&window);
    label.setGeometry(0, 0, 300, 20);
    label.SetCaption(QStringLiteral("abc"));

    label.SetAlignment(kAlignRight);
    label.SetRightToLeft(true);
    auto [first, last] = InkColumns(label);
    EXPECT_GT(first, 200) << "right-aligned, right to left";

    label.SetAlignment(kAlignLeft);
    std::tie(first, last) = InkColumns(label);
    EXPECT_LT(last, 100) << "left-aligned, right to left";
    EXPECT_TRUE(label.RightToLeft());

    label.SetRightToLeft(false);
    label.SetAlignment(kAlignRight);
    std::tie(first, last) = InkColumns(label);
    EXPECT_GT(first, 200) << "right-aligned, left to right";
}

TEST(LabelTest, ForeColorVisibleAndClick) {
    QWidget window;
    Label label(&window);
    label.setGeometry(0, 0, 100, 20);
    label.SetForeColor(QColor(0, 0, 64));
    EXPECT_EQ(label.ForeColor(), QColor(0, 0, 64));

    label.SetVisible(false);
    EXPECT_FALSE(label.Visible());
    label.SetVisible(true);
    // Visible is the label's own setting, even while its window is not on screen.
    EXPECT_TRUE(label.Visible());

    int clicks = 0;
    label.Click = [&] { ++clicks; };
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(CheckBoxTest, ClickRunsOnEveryChangeByUserOrCodeAndNeverForTheSameValue) {
    QWidget window;
    CheckBox box(&window);
    box.setGeometry(0, 0, 100, 20);
    box.SetCaption(QStringLiteral("Special path"));
    std::vector<int> seen;
    box.Click = [&] { seen.push_back(box.Value()); };

    box.SetValue(0);
    EXPECT_TRUE(seen.empty());
    box.SetValue(1);
    box.SetValue(1);
    EXPECT_EQ(seen, (std::vector<int>{1}));
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
}

TEST(CheckBoxTest, AClickHandlerThatClearsTheBoxRunsOnceMoreNested) {
    QWidget window;
    CheckBox box(&window);
    int calls = 0;
    box.Click = [&] {
        ++calls;
        if (box.Value() == 1) {
            box.SetValue(0);
        }
    };
    box.SetValue(1);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(box.Value(), 0);
}

TEST(OptionButtonTest, ClickRunsForTheButtonThatBecomesSelected) {
    QWidget window;
    OptionButton english(&window), farsi(&window);
    int english_clicks = 0, farsi_clicks = 0;
    english.Click = [&] { ++english_clicks; };
    farsi.Click = [&] { ++farsi_clicks; };

    english.SetValue(true);
    EXPECT_EQ(english_clicks, 1);
    english.SetValue(true);
    EXPECT_EQ(english_clicks, 1);

    farsi.SetValue(true);
    EXPECT_TRUE(farsi.Value());
    EXPECT_FALSE(english.Value());
    EXPECT_EQ(farsi_clicks, 1);
    EXPECT_EQ(english_clicks, 1);
}

}  // namespace
}  // namespace vantrelle::ui
