// The message box on screen: what the style asks for, the codes it returns, and texts
// that are not valid UTF-8.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "platform/ui/qt/engine_text.h"
#include "platform/ui/qt/qt_message_box.h"

namespace vantrelle::ui {
namespace {

TEST(QtMessageBoxTest, StylesGiveTheirButtonsIconAndFirstButtonAsDefault) {
    auto question = BuildMessageBox("Sure?", vbYesNo + vbExclamation, "Warning");
    EXPECT_EQ(question->windowTitle(), QStringLiteral("Warning"));
    EXPECT_EQ(question->icon(), QMessageBox::Warning);
    EXPECT_EQ(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question->defaultButton(), question->button(QMessageBox::Yes));
    EXPECT_EQ(question->windowModality(), Qt::ApplicationModal);

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
    EXPECT_EQ(box->text(), QStringLiteral("in File: E:\\<b>caf") + QChar(0xFFFD) + QChar(0xFFFD) +
                               QStringLiteral("</b>\nDo you want?"));

    EXPECT_EQ(FromEngineText("\xd9\x81\xd8\xa7"), QString::fromUtf16(u"\u0641\u0627"));
    EXPECT_EQ(FromEngineText(std::string("a\0b", 3)).size(), 3);
    // A lone surrogate written as WTF-8 by the Windows backend.
    EXPECT_TRUE(FromEngineText("x\xed\xa0\x80y").startsWith(QLatin1Char('x')));
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
    QtMessageBox box;
    PressWhenShown(QMessageBox::Yes);
    EXPECT_EQ(box.MsgBox("Go on?", vbYesNo + vbCritical, "Error 5"), vbYes);
    PressWhenShown(QMessageBox::No);
    EXPECT_EQ(box.MsgBox("Go on?", vbYesNo + vbCritical, "Error 5"), vbNo);
    PressWhenShown(QMessageBox::Ok);
    EXPECT_EQ(box.MsgBox("Done.", vbInformation, "Done"), vbOK);
}

}  // namespace
}  // namespace vantrelle::ui
