// SPDX-License-Identifier: MIT
// Fonts, colours, the twip scale and the user's number format.
#include "app/aspetto.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLocale>
#include <QPalette>

#include <cmath>

namespace fv {

namespace {

int Pixel(int twip) { return static_cast<int>(std::lround(twip / double(kTwipPerPixel))); }

} // namespace

QFont CarattereFinestra(bool grassetto)
{
    QFont f;
    if (QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"))) {
        f = QFont(QStringLiteral("MS Sans Serif"));
        f.setPointSizeF(8.25);
    } else {
        f = QFont(QStringLiteral("Liberation Sans"));
        f.setPixelSize(10);
    }
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(grassetto ? QFont::Bold : QFont::Normal);
    return f;
}

QRect RettangoloPixel(const RettangoloTwip& r)
{
    const int x1 = Pixel(r.left);
    const int y1 = Pixel(r.top);
    const int x2 = Pixel(r.left + r.width);
    const int y2 = Pixel(r.top + r.height);
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

QColor SfondoRuolo(Ruolo ruolo)
{
    switch (ruolo) {
    case Ruolo::Input: return QColor(192, 255, 255);
    case Ruolo::Risultato:
    case Ruolo::RisultatoChiave: return QColor(255, 255, 192);
    case Ruolo::Etichetta: return QColor(162, 191, 163);
    case Ruolo::Pulsante: return QColor(224, 224, 224);
    case Ruolo::Cornice:
    case Ruolo::Nessuno: break;
    }
    return QApplication::palette().color(QPalette::Button);
}

QLocale LocaleNumeri()
{
    QLocale l = QLocale::system();
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

FormatoNumeri FormatoUtente()
{
    const QLocale locale = QLocale::system();
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

QString TestoIntero(double valore)
{
    return QString::fromStdString(TestoArrotondato(valore, 0, FormatoUtente()));
}

QString TestoGenerale(double valore) { return QString::fromStdString(TestoNumero(valore, FormatoUtente())); }

} // namespace fv
