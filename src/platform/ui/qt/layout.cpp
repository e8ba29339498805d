#include "platform/ui/qt/layout.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace vantrelle::ui {

namespace {

double DotsPerInch() {
    // Qt already scales by the device pixel ratio; the logical DPI is what is left.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

void Substitute(const QString& family, const QStringList& substitutes) {
    if (QFontDatabase::hasFamily(family)) {
        return;
    }
    QFont::removeSubstitutions(family);
    QFont::insertSubstitutions(family, substitutes);
}

}  // namespace

int Twips(int twips) {
    return static_cast<int>(std::lround(twips * DotsPerInch() / 1440.0));
}

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsRect(left, top, width, height));
}

void InstallFonts() {
    const QStringList with_arabic = {QStringLiteral("DejaVu Sans"),
                                     QStringLiteral("Noto Sans Arabic"),
                                     QStringLiteral("Noto Naskh Arabic")};
    Substitute(QStringLiteral("Tahoma"), with_arabic);
    Substitute(QStringLiteral("Arial"), with_arabic);
    Substitute(QStringLiteral("Microsoft Sans Serif"),
               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                QStringLiteral("DejaVu Sans")});
    QGuiApplication::setFont(DefaultFont());
}

QFont DefaultFont() {
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}

QFont Tahoma() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    return font;
}

QFont ArialBold12() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12);
    font.setBold(true);
    return font;
}

}  // namespace vantrelle::ui
