// The label's promises: line breaks, plain text, wrapping at spaces only, the side its
// lines keep to and the paragraph direction they read in, as seen on screen.

#include "platform/ui/label.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "contract_window.h"
#include "platform/ui/driver.h"

namespace vantrelle::ui {
namespace {

using testing::InkBands;
using testing::InkColumns;

const Font kTahoma{"Tahoma", 8.25, false, kArabicCharset};
const Font kArialBold12{"Arial", 12, true, kArabicCharset};
// The Farsi path prefix and a Farsi sentence long enough to wrap in a narrow label.
const std::string kPathPrefix = "مسير: ";
const std::string kFarsiWords = "در ارتباط با سرور خطايي رخ داده است لطفا بعدا تلاش کنيد";

// How many of the dark pixels of two regions (w x h, at their top-left corners) agree, in
// percent: a glyph placed a fraction of a pixel apart still matches, a text turned around
// or split matches in few places.
int DarkPixelsAgreeing(const driver::Picture& a, int ax, int ay, const driver::Picture& b, int bx,
                       int by, int w, int h) {
    const auto dark = [](const driver::Picture& picture, int x, int y) {
        if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) {
            return false;
        }
        const std::uint32_t pixel = picture.at(x, y);
        return ((pixel >> 16 & 0xff) + (pixel >> 8 & 0xff) + (pixel & 0xff)) < 3 * 128;
    };
    int same = 0, compared = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool in_a = dark(a, ax + x, ay + y);
            const bool in_b = dark(b, bx + x, by + y);
            compared += in_a || in_b ? 1 : 0;
            same += in_a && in_b ? 1 : 0;
        }
    }
    return compared > 0 ? same * 100 / compared : 0;
}

class LabelTest : public ::testing::Test {
  protected:
    Program program{[] {}};
    Window window{program, testing::TestWindowStyle()};
};

TEST_F(LabelTest, CaptionBreaksAtCrLfAndAtALoneCrAndShowsMarkupAsWritten) {
    Label label(window, "Label1", {0, 0, 4500, 3000});
    label.SetCaption("one\r\ntwo\rthree");
    EXPECT_EQ(label.Caption(), "one\r\ntwo\rthree");
    EXPECT_EQ(driver::ShownLines(label), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(InkBands(driver::Grab(label)).size(), 3u);

    label.SetCaption("<b>bold</b><br>");
    EXPECT_EQ(driver::ShownLines(label), (std::vector<std::string>{"<b>bold</b><br>"}));
}

TEST_F(LabelTest, WrapsOnlyAtSpacesAndCutsAWordLongerThanTheLineAtTheEdge) {
    Label label(window, "Label1", {0, 0, 2250, 3000});  // 150 pixels
    const std::string caption =
        "To download update go to: http://vantrelle.example.org/appupdate/vtr/new-2.0.1-beta.exe "
        "version 2.0.1-beta now";
    label.SetCaption(caption);
    const std::vector<std::string> lines = driver::ShownLines(label);
    ASSERT_GT(lines.size(), 2u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_NE(line.front(), ' ');
        EXPECT_NE(line.back(), ' ');
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, caption) << "every break is at a space, and drops it";
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "http://vantrelle.example.org/appupdate/vtr/new-2.0.1-beta.exe"),
              lines.end())
        << "the address stays whole on a line of its own";
    EXPECT_NE(std::find(lines.begin(), lines.end(), "version 2.0.1-beta now"), lines.end());

    const driver::Picture picture = driver::Grab(label);
    const auto bands = InkBands(picture);
    ASSERT_GE(bands.size(), 3u);
    EXPECT_EQ(InkColumns(picture, bands[1].first, bands[1].second).last, picture.width - 1)
        << "the long address runs to the label's edge and is cut there";
}

TEST_F(LabelTest, AWrappedRightToLeftLineIsFlushRightLikeTheOthers) {
    Label label(window, "Label1", {0, 0, 3000, 3000});
    label.SetFont(kArialBold12);
    label.SetRightToLeft(true);
    label.SetAlignment(kAlignRight);
    label.SetCaption(kFarsiWords);
    const driver::Picture picture = driver::Grab(label);
    const auto bands = InkBands(picture);
    ASSERT_GE(bands.size(), 3u);
    for (const auto& [top, bottom] : bands) {
        EXPECT_GE(InkColumns(picture, top, bottom).last, picture.width - 3)
            << "line at " << top << " ends at the right edge";
    }
}

TEST_F(LabelTest, ALineReadsInTheLabelsDirectionWhateverItsFirstLetters) {
    // A Farsi prefix before a path must not turn the path around: "/media/STICK/Photos"
    // reads left to right, slash first, in a label that is not right to left.
    Label path(window, "Label2", {0, 0, 5655, 975});
    path.SetFont(kTahoma);
    path.SetCaption(kPathPrefix + "\r\n/media/STICK/Photos");
    Label plain(window, "Label3", {0, 1200, 5655, 975});
    plain.SetFont(kTahoma);
    plain.SetCaption("\r\n/media/STICK/Photos");

    const driver::Picture with_prefix = driver::Grab(path);
    const driver::Picture alone = driver::Grab(plain);
    const auto bands = InkBands(alone);
    ASSERT_EQ(bands.size(), 1u);
    for (int y = bands[0].first; y < bands[0].second; ++y) {
        for (int x = 0; x < alone.width; ++x) {
            ASSERT_EQ(with_prefix.at(x, y), alone.at(x, y)) << "at " << x << ", " << y;
        }
    }

    // A Farsi line starting with Latin letters still reads right to left: the Latin
    // word is at the right end.
    Label farsi(window, "Label4", {0, 2400, 5655, 975});
    farsi.SetFont(kTahoma);
    farsi.SetRightToLeft(true);
    farsi.SetAlignment(kAlignRight);
    farsi.SetCaption("Version " + kPathPrefix);
    Label latin(window, "Label5", {0, 3600, 5655, 975});
    latin.SetFont(kTahoma);
    latin.SetAlignment(kAlignRight);
    latin.SetCaption("Version");
    const driver::Picture mixed = driver::Grab(farsi);
    const driver::Picture word = driver::Grab(latin);
    const auto word_ink = InkColumns(word, 0, word.height);
    for (int y = 0; y < word.height; ++y) {
        for (int x = word_ink.first; x < word.width; ++x) {
            ASSERT_EQ(mixed.at(x, y), word.at(x, y)) << "at " << x << ", " << y;
        }
    }
}

TEST_F(LabelTest, AScreenReaderReadsTheCaptionAsTheNameOfAStaticText) {
    Label label(window, "Label3", {0, 0, 4500, 900});
    label.SetCaption("Fixing Files ...\r\nThis might take a while\rPlease wait");
    EXPECT_EQ(driver::AccessibleOf(label).role, "label");
    EXPECT_EQ(driver::AccessibleOf(label).name,
              "Fixing Files ...\nThis might take a while\nPlease wait");
    label.SetRightToLeft(true);
    label.SetCaption(kPathPrefix + "\r\n/media/STICK & <b>");
    EXPECT_EQ(driver::AccessibleOf(label).name, kPathPrefix + "\n/media/STICK & <b>")
        << "follows the caption, as written";
}

TEST_F(LabelTest, ALatinAddressInsideAFarsiLineKeepsItsOrder) {
    // "براي دريافت کنيد : " and the address: in a right-to-left line the address comes
    // last, at the left end, and reads left to right, slash and all.
    const std::string address = "http://example.org/dl";
    Label mixed(window, "Label1", {0, 0, 5775, 600});
    mixed.SetFont(kArialBold12);
    mixed.SetRightToLeft(true);
    mixed.SetAlignment(kAlignRight);
    mixed.SetCaption("براي دريافت کنيد : " + address);
    ASSERT_EQ(driver::ShownLines(mixed).size(), 1u);
    Label alone(window, "Label2", {0, 900, 5775, 600});
    alone.SetFont(kArialBold12);
    alone.SetCaption(address);

    const driver::Picture line = driver::Grab(mixed);
    const driver::Picture word = driver::Grab(alone);
    const auto line_ink = InkColumns(line, 0, line.height);
    const auto word_ink = InkColumns(word, 0, word.height);
    ASSERT_LT(word_ink.first, word_ink.last);
    EXPECT_GE(line_ink.last, line.width - 3) << "the line keeps to the right";
    EXPECT_GE(DarkPixelsAgreeing(line, line_ink.first, 0, word, word_ink.first, 0,
                                 word_ink.last - word_ink.first + 1, word.height),
              85);
}

TEST_F(LabelTest, ABracketAtAWrapKeepsTheSideItHasInTheWholeLine) {
    // "مرحله beta (rc one) دوم", one word a line (Farsi words without dots, so that each
    // line is one band of ink). In the whole line the brackets go with the Latin words
    // around them, so the fourth line reads "one)", bracket on the right, as a
    // left-to-right "one)" does; laid out alone it would read "(one".
    Label wrapped(window, "Label1", {0, 0, 450, 2400});
    wrapped.SetFont(kTahoma);
    wrapped.SetRightToLeft(true);
    wrapped.SetAlignment(kAlignRight);
    wrapped.SetCaption("مرحله beta (rc one) دوم");
    ASSERT_EQ(driver::ShownLines(wrapped),
              (std::vector<std::string>{"مرحله", "beta", "(rc", "one)", "دوم"}));
    Label reference(window, "Label2", {1200, 0, 450, 600});
    reference.SetFont(kTahoma);
    reference.SetAlignment(kAlignRight);
    reference.SetCaption("one)");

    const driver::Picture lines = driver::Grab(wrapped);
    const driver::Picture alone = driver::Grab(reference);
    const auto bands = InkBands(lines);
    const auto alone_bands = InkBands(alone);
    ASSERT_EQ(bands.size(), 5u);
    ASSERT_EQ(alone_bands.size(), 1u);
    const auto fourth = InkColumns(lines, bands[3].first, bands[3].second);
    const auto word = InkColumns(alone, 0, alone.height);
    const int width = word.last - word.first + 1;
    EXPECT_GE(DarkPixelsAgreeing(lines, fourth.last + 1 - width, bands[3].first, alone, word.first,
                                 alone_bands[0].first, width,
                                 alone_bands[0].second - alone_bands[0].first),
              85);
}

TEST_F(LabelTest, AlignmentNamesTheSideOnScreenWhateverTheReadingOrder) {
    Label label(window, "Label1", {0, 0, 4500, 300});
    label.SetCaption("abc");

    label.SetAlignment(kAlignRight);
    label.SetRightToLeft(true);
    EXPECT_GT(InkColumns(driver::Grab(label), 0, 20).first, 200) << "right, right to left";

    label.SetAlignment(kAlignLeft);
    EXPECT_LT(InkColumns(driver::Grab(label), 0, 20).last, 100) << "left, right to left";
    EXPECT_TRUE(label.RightToLeft());
    EXPECT_EQ(label.Alignment(), kAlignLeft);

    label.SetRightToLeft(false);
    label.SetAlignment(kAlignRight);
    EXPECT_GT(InkColumns(driver::Grab(label), 0, 20).first, 200) << "right, left to right";
}

TEST_F(LabelTest, ForeColorVisibleRefreshAndClick) {
    Label label(window, "Label1", {0, 0, 1500, 300});
    Label fresh(window, "Label2", {0, 300, 1500, 300});
    label.SetCaption("W");
    label.SetFont(kArialBold12);  // strokes wide enough for pixels of the colour itself
    EXPECT_EQ(label.ForeColor(), fresh.ForeColor()) << "the system's colour until set";
    label.SetForeColor({0, 0, 64});
    EXPECT_EQ(label.ForeColor(), (Color{0, 0, 64}));
    const driver::Picture picture = driver::Grab(label);
    EXPECT_NE(std::find(picture.pixels.begin(), picture.pixels.end(), 0x000040u),
              picture.pixels.end());

    label.SetVisible(false);
    EXPECT_FALSE(label.Visible());
    label.SetVisible(true);
    EXPECT_TRUE(label.Visible()) << "its own setting, while the window is not on screen";

    const int unseen = driver::Paints(label);
    window.Show();
    ASSERT_TRUE(driver::WaitFor([&] { return driver::Paints(label) > unseen; }, 5000));
    const int before = driver::Paints(label);
    label.SetCaption("X");
    label.Refresh();
    EXPECT_GT(driver::Paints(label), before) << "Refresh paints before it returns";

    int clicks = 0;
    label.Click = [&] { ++clicks; };
    driver::Click(label);
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace vantrelle::ui
