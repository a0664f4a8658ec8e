// SPDX-License-Identifier: MIT
// A finished calculation as the window showed it, and what leaves the
// program with it: the table (CSV file, clipboard), the one-page report (PDF,
// printer). Every number is the window's own text, in the user's locale.
#pragma once

#include "calc/calcolo.h"
#include "calc/numeri.h"
#include "calc/serie.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QPainter;
class QRectF;

namespace fv {

struct Relazione {
    // The site.
    QString provincia, comuneRadiazione, comuneLatitudine, latitudine, terreno, riflettanza;
    // The plant: the texts of its fields, and the captions of the chosen options.
    QString tilt, azimut, potenza, perdite, efficienza, integrazione, fascia;
    // Month by month [kWh/m² day]: the series, and the texts the window shows.
    MonthlySeries radOriz{}, radInc{};
    std::array<QString, 12> orizzontale, piano;
    // The results as shown.
    QString totOrizzontale, totPiano, rapporto, energia, tariffa, ricavo;
    // Derived from the inputs as read: energy of each month [kWh] and its
    // text, and the specific yield [kWh/kWp].
    std::array<double, 12> energieMensili{};
    std::array<QString, 12> energiaMese;
    QString resa;
};

// Fills the monthly energies and the specific yield from the plane series and
// the inputs as the calculation read them.
void CompletaRelazione(Relazione& r, const IngressiLetti& letti, const GiorniMese& giorni,
                       const FormatoNumeri& formato);

// The table of inputs, months and results, one value per cell; an empty row
// separates the three parts.
std::vector<QStringList> TabellaRelazione(const Relazione& r);

// The table as delimited text: RFC 4180 quoting, CRLF line ends.
QString TestoDelimitato(const std::vector<QStringList>& tabella, QChar separatore);

// The separator a spreadsheet of the user's locale expects: ';' where the
// decimal separator is a comma, else ','.
QChar SeparatoreCsv(const FormatoNumeri& formato);

// Writes the CSV file (UTF-8 with a byte-order mark, so that spreadsheets
// take it as UTF-8) or the one-page A4 PDF report, atomically: a failure
// leaves no file, and an existing file as it was. Returns an Italian
// sentence on failure, empty on success.
QString SalvaCsv(const QString& percorso, const Relazione& r, const FormatoNumeri& formato);
QString SalvaPdf(const QString& percorso, const Relazione& r);

// Draws the report page into `pagina` (the painter's units), for the PDF
// file and for the printer alike.
void DisegnaRelazione(QPainter& painter, const QRectF& pagina, const Relazione& r);

} // namespace fv
