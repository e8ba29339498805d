// The message box over Qt: what the style asks for, the codes it returns, plain text
// read left to right whatever its language, and texts that are not valid UTF-8.

#include "platform/ui/qt/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui::qt {
namespace {

// The text as the box shows it, without the marks that set its direction.
QString Shown(const QMessageBox& box) {
    QString text = box.text();
    text.remove(QChar(0x200E));
    return text;
}

TEST(QtMessageBoxTest, StylesGiveTheirButtonsIconAndDefaultButton) {
    auto question = BuildMessageBox("Sure?", vbYesNo + vbExclamation, "Warning");
    EXPECT_EQ(question->windowTitle(), QStringLiteral("Warning"));
    EXPECT_EQ(question->icon(), QMessageBox::Warning);
    EXPECT_EQ(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question->defaultButton(), question->button(QMessageBox::Yes));
    EXPECT_EQ(question->windowModality(), Qt::ApplicationModal);

    auto careful = BuildMessageBox("Sure?", vbYesNo + vbExclamation + vbDefaultButton2, "Warning");
    EXPECT_EQ(careful->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(careful->defaultButton(), careful->button(QMessageBox::No));

    auto done = BuildMessageBox("All fine.", vbOKOnly + vbInformation, "Done");
    EXPECT_EQ(done->icon(), QMessageBox::Information);
    EXPECT_EQ(done->standardButtons(), QMessageBox::Ok);

    auto error = BuildMessageBox("Broken", vbCritical, "Error 5");
    EXPECT_EQ(error->icon(), QMessageBox::Critical);

    auto prompt = BuildMessageBox("Go on?", vbYesNo + vbCritical, "Error 5");
    EXPECT_EQ(prompt->icon(), QMessageBox::Critical);
    EXPECT_EQ(prompt->standardButtons(), QMessageBox::Yes | QMessageBox::No);
}

TEST(QtMessageBoxTest, TextIsPlainWithItsLineBreaksAndNonUtf8BytesDoNotCrash) {
    auto box = BuildMessageBox("in File: E:\\<b>caf\xe9\xff</b>\r\nDo you want?", vbYesNo, "t");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(Shown(*box), QStringLiteral("in File: E:\\<b>caf") + QChar(0xFFFD) + QChar(0xFFFD) +
                               QStringLiteral("</b>\nDo you want?"));

    EXPECT_EQ(ToQt("فا"), QString::fromUtf16(u"فا"));
    EXPECT_EQ(ToQt(std::string("a\0b", 3)).size(), 3);
    // A lone surrogate written as WTF-8 by the Windows backend.
    EXPECT_TRUE(ToQt("x\xed\xa0\x80y").startsWith(QLatin1Char('x')));
}

// The first column with ink in each band of rows of the box's text.
std::vector<int> LineStarts(QMessageBox& box) {
    box.show();
    QLabel* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    EXPECT_NE(label, nullptr);
    const QImage image = label->grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    std::vector<int> starts;
    bool inside = false;
    for (int y = 0; y < image.height(); ++y) {
        int first = -1;
        for (int x = 0; x < image.width() && first < 0; ++x) {
            if (image.pixel(x, y) != background) {
                first = x;
            }
        }
        if (first >= 0 && !inside) {
            starts.push_back(first);
        } else if (first >= 0) {
            starts.back() = std::min(starts.back(), first);
        }
        inside = first >= 0;
    }
    box.hide();
    return starts;
}

TEST(QtMessageBoxTest, AFarsiTextReadsLeftToRightKeptToTheLeft) {
    // A long line, then a short one: kept to the left, both start in the same column.
    const std::string long_line = "بررسي محتواي کل پوشه ها عملياتي زمان بر";
    const std::string short_line = "هشدار";
    auto box = BuildMessageBox(long_line + "\r\n" + short_line, vbYesNo + vbExclamation, "هشدار");
    const std::vector<int> starts = LineStarts(*box);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_LE(std::abs(starts[0] - starts[1]), 2) << starts[0] << " and " << starts[1];
    EXPECT_EQ(box->layoutDirection(), Qt::LeftToRight);
}

// Presses `button` on the box once it is up.
void PressWhenShown(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(button)->click();
    });
}

TEST(QtMessageBoxTest, ReturnsSixForYesAndAnotherCodeForNo) {
    auto box = NewScreenMessageBox();
    PressWhenShown(QMessageBox::Yes);
    EXPECT_EQ(box->MsgBox("Go on?", vbYesNo + vbCritical, "Error 5"), vbYes);
    PressWhenShown(QMessageBox::No);
    EXPECT_EQ(box->MsgBox("Go on?", vbYesNo + vbCritical, "Error 5"), vbNo);
    PressWhenShown(QMessageBox::Ok);
    EXPECT_EQ(box->MsgBox("Done.", vbInformation, "Done"), vbOK);
}

}  // namespace
}  // namespace vantrelle::ui::qt
