#include "platform/ui/qt/message_box.h"

#include <QStringList>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace qt {

std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& text, int style,
                                             const std::string& title) {
    auto box = std::make_unique<QMessageBox>();
    box->setWindowTitle(ToQt(title));
    box->setLayoutDirection(Qt::LeftToRight);
    // A file name such as "<b>x" is shown as written, never as markup.
    box->setTextFormat(Qt::PlainText);
    QString shown = ToQt(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Each line is a paragraph whose direction Qt takes from its first strong letter; a
    // left-to-right mark makes a Farsi line read left to right, kept to the left.
    QStringList lines = shown.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.isRightToLeft()) {
            line.prepend(QChar(0x200E));
        }
    }
    box->setText(lines.join(QLatin1Char('\n')));
    box->setWindowModality(Qt::ApplicationModal);

    switch (style & 0x70) {
        case vbCritical:
            box->setIcon(QMessageBox::Critical);
            break;
        case vbExclamation:
            box->setIcon(QMessageBox::Warning);
            break;
        case vbInformation:
            box->setIcon(QMessageBox::Information);
            break;
        default:
            box->setIcon(QMessageBox::NoIcon);
            break;
    }
    if ((style & 0x0f) == vbYesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton((style & vbDefaultButton2) != 0 ? QMessageBox::No : QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    return box;
}

int ButtonCode(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Yes:
            return vbYes;
        case QMessageBox::No:
            return vbNo;
        case QMessageBox::Ok:
            return vbOK;
        default:
            return vbCancel;
    }
}

int QtMessageBox::MsgBox(const std::string& text, int style, const std::string& title) {
    auto box = BuildMessageBox(text, style, title);
    box->exec();
    QAbstractButton* pressed = box->clickedButton();
    return pressed ? ButtonCode(box->standardButton(pressed)) : ButtonCode(QMessageBox::NoButton);
}

}  // namespace qt

std::unique_ptr<MessageBox> NewScreenMessageBox() {
    return std::make_unique<qt::QtMessageBox>();
}

}  // namespace vantrelle::ui
