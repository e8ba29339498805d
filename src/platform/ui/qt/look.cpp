// Measures, fonts and pictures of the Qt windows.

#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <cmath>

#include "platform/ui/qt/native.h"
#include "platform/ui/resources.h"

namespace vantrelle::ui::qt {

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

int Pixels(int twips) {
    return static_cast<int>(std::lround(twips * DotsPerInch() / 1440.0));
}

QRect Pixels(const Rect& twips) {
    return QRect(Pixels(twips.left), Pixels(twips.top), Pixels(twips.width), Pixels(twips.height));
}

QFont DefaultFont() {
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}

QFont ToQFont(const Font& font) {
    if (font.family.empty()) {
        return DefaultFont();
    }
    QFont qfont(ToQt(font.family));
    qfont.setPointSizeF(font.points > 0 ? font.points : 8.25);
    qfont.setBold(font.bold);
    return qfont;
}

void InstallFonts() {
    const QStringList with_arabic = {QStringLiteral("DejaVu Sans"),
                                     QStringLiteral("Noto Sans Arabic"),
                                     QStringLiteral("Noto Naskh Arabic")};
    Substitute(QStringLiteral("Tahoma"), with_arabic);
    Substitute(QStringLiteral("Arial"), with_arabic);
    // Liberation Sans has Arial's widths, which the window sizes were drawn with.
    Substitute(QStringLiteral("Microsoft Sans Serif"),
               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                QStringLiteral("DejaVu Sans")});
    QGuiApplication::setFont(DefaultFont());
}

QPixmap Picture(const std::string& name) {
    return QPixmap(QStringLiteral(VANTRELLE_QT_PICTURES) + ToQt(name) + QStringLiteral(".gif"));
}

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(VANTRELLE_QT_ICON));
}

}  // namespace vantrelle::ui::qt
