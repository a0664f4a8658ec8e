// SPDX-License-Identifier: MIT
// Fonts, colours and the twip-to-pixel scale of the window.
#pragma once

#include "app/inventario.h"
#include "calc/numeri.h"

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QRect>

namespace fv {

// "MS Sans Serif" 8.25 pt where it exists; otherwise Liberation Sans (metric
// twin of a common Windows sans) at 10 px, where every caption fits its box.
QFont CarattereFinestra(bool grassetto = false);

// Twips to device-independent pixels: the edges are converted, not the sizes,
// so that cells whose borders coincide keep coinciding.
QRect RettangoloPixel(const RettangoloTwip& r);

QColor SfondoRuolo(Ruolo ruolo);

// The user's locale for numbers the window's way: no group separators.
QLocale LocaleNumeri();

// The number format of the user's locale: its decimal and group separators.
FormatoNumeri FormatoUtente();

// A figure shown by the tools, in the user's locale, with the program's own
// rounding (ties to the even neighbour): whole, or in the general form.
QString TestoIntero(double valore);
QString TestoGenerale(double valore);

} // namespace fv
