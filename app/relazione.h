// SPDX-License-Identifier: MIT
// What leaves the program with a finished calculation: the table (CSV file,
// clipboard, terminal), the one-page report (PDF, printer). Every number is
// the result's own text, in the user's locale.
#pragma once

#include "app/sessione.h"
#include "calc/dimensiona.h"
#include "calc/numeri.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QPainter;
class QPrinter;
class QRectF;

namespace fv {

// The table of inputs, months and results, one value per cell; an empty row
// separates the three parts. Beside a weather file's year the energy is
// named for its method and the file's yearly energy follows it.
std::vector<QStringList> TabellaRelazione(const Risultato& r, const MeteoUsato* meteo = nullptr);
// "Con l'anno meteorologico del file … produce … kWh": the file's energy
// against the monthly method's, said where the window's figures stand.
QString RigaProduzioneMeteo(const MeteoUsato& m, const FormatoNumeri& formato);

// What the report says beside the tariff: a power band chosen by hand against
// the power, a plant below the decree's 1 kW. Empty when nothing needs saying.
QStringList NoteTariffa(const Risultato& r);

// The energy balance: its headline lines (self-consumption, self-sufficiency,
// with and without the battery) and its monthly table of flows [kWh] with a
// total row.
// Without a battery there is no "Con batteria" column; for a CSV the units
// go into the labels and the cells hold bare numbers.
std::vector<QStringList> RiepilogoBilancio(const RisultatoBilancio& b, const FormatoNumeri& formato, bool conBatteria = true,
                                           bool perCsv = false);
std::vector<QStringList> TabellaBilancio(const Bilancio& b, const FormatoNumeri& formato);
// A weather file's year month by month beside the comune's monthly method,
// then where it came from and its losses as PVGIS shows them.
// Every clock hour of the year: date, hour, the hour's start with its offset
// from UTC (ISO 8601), production, consumption, direct use, into and from the
// battery, its losses, export, import and the charge at the hour's end
// [kWh]; 23 rows on the last Sunday of March, 25 on the last of October; the
// rows sum to the monthly table.
std::vector<QStringList> TabellaOraria(const RisultatoBilancio& b, const FormatoNumeri& formato);

extern const char* const kNotaPerditeMeteo;

// The plant's faces and inverter: each face's plane, power, shading, yearly
// energy and yield, the total; the inverter, its DC/AC ratio and the energy
// its limit cut; then month by month each face, the cut and the plant.
// Shown when the plant has more than one face or an inverter's limit.
extern const char* const kPerditaInverter;
bool PiuFalde(const RisultatoBilancio& b);
std::vector<QStringList> TabellaFalde(const RisultatoBilancio& b, const FormatoNumeri& formato);
std::vector<QStringList> TabellaFaldeMesi(const RisultatoBilancio& b, const FormatoNumeri& formato);

// How sure: P10, P50 and P90 of NPV and payback, then the tornado (each
// parameter's low and high and the NPV at each), the widest swing first;
// `barre` limits the tornado's rows (0: all).
std::vector<QStringList> TabellaIncertezza(const RisultatoIncertezza& i, const FormatoNumeri& formato, std::size_t barre = 0);
// "VAN P10 … € · P50 … € · P90 … €; ritorno …": one line for the report.
QString RigaIncertezza(const RisultatoIncertezza& i, const FormatoNumeri& formato);

// The sizing grid as read by a person: the best plant and battery, the
// current one, then NPV by size without a battery and with each size's best
// battery, with the payback.
// The best plant for the household as it is and as it will be (with its heat
// pump and car): the two grids' best cells side by side, with each
// household's yearly consumption [kWh].
std::vector<QStringList> TabellaOggiEDomani(const GrigliaDimensioni& oggi, double consumoOggi, const GrigliaDimensioni& domani,
                                            double consumoDomani, const QString& domaniNome, const FormatoNumeri& f);
std::vector<QStringList> TabellaDimensioni(const GrigliaDimensioni& g, double potenzaAttuale, double batteriaAttuale,
                                           const FormatoNumeri& formato);
// Which faces the sizes use, in runs ("1–4 kWp falda 1; 5–7 kWp falde 1 e
// 2"), and where the roof stopped the grid short of `potenzaMax` [kWp];
// empty for a plant of one face.
QString FaldeDelleTaglie(const GrigliaDimensioni& g, const FormatoNumeri& formato, double potenzaMax);
// Every cell of the grid, one row each, for a spreadsheet.
std::vector<QStringList> GrigliaDimensioniCsv(const GrigliaDimensioni& g, const FormatoNumeri& formato);
std::vector<QStringList> TabellaMeteo(const MeteoUsato& m, const FormatoNumeri& formato);

// The economics with and without the battery: headline figures, the yearly
// table of one of them, the parameters used with their source and date.
std::vector<QStringList> RiepilogoConvenienza(const Convenienza& senza, const Convenienza& con, const FormatoNumeri& formato,
                                              bool conBatteria = true, bool perCsv = false);
std::vector<QStringList> TabellaConvenienza(const Convenienza& c, const FormatoNumeri& formato);
std::vector<QStringList> TabellaParametri(const std::vector<Parametro>& parametri, const FormatoNumeri& formato);
// The balance's inputs (consumption, battery, reference year); then the
// headline figures of both cases, both cases' monthly tables and, with the
// economics, both yearly tables and the parameters used, each labelled:
// what `bilancio --csv`, `convenienza --csv` and the window's CSV hold.
std::vector<QStringList> IngressiApprofondimento(const Approfondimento& a, const FormatoNumeri& formato);
std::vector<QStringList> TabelleApprofondimento(const Approfondimento& a, const FormatoNumeri& formato, bool economia);
// What applies to a new plant today, said wherever the economics are shown.
extern const char* const kRegimeNuoviImpianti;

// The table as delimited text: RFC 4180 quoting, CRLF line ends.
QString TestoDelimitato(const std::vector<QStringList>& tabella, QChar separatore);

// The separator a spreadsheet of the user's locale expects: ';' where the
// decimal separator is a comma, else ','.
QChar SeparatoreCsv(const FormatoNumeri& formato);

// Writes the CSV file (UTF-8 with a byte-order mark, so that spreadsheets
// take it as UTF-8) or the one-page A4 PDF report, atomically: a failure
// leaves no file, and an existing file as it was. Returns an Italian
// sentence on failure, empty on success.
// With the balance and the economics, when worked out: their tables after
// the calculation's (CSV, clipboard), a second page and a third of the parameters used (PDF, printer).
// The plant's production without the balance (calcola with a weather file,
// more faces or an inverter) comes as `produzione`; with the balance, its own. The site and the plant always lead.
std::vector<QStringList> TabellaCompleta(const Risultato& r, const Approfondimento* a, const RisultatoBilancio* produzione = nullptr,
                                         bool economia = true);
QString SalvaCsv(const QString& percorso, const Risultato& r, const FormatoNumeri& formato, const Approfondimento* a = nullptr,
                 const RisultatoBilancio* produzione = nullptr);
QString SalvaTabellaCsv(const QString& percorso, const std::vector<QStringList>& tabella, const FormatoNumeri& formato);
QString SalvaPdf(const QString& percorso, const Risultato& r, const Approfondimento* a = nullptr,
                 const RisultatoBilancio* produzione = nullptr);

// Prints the report page on a printer set up by the caller (A4, full page);
// an Italian sentence on failure, empty on success.
QString StampaRelazione(QPrinter& stampante, const Risultato& r, const Approfondimento* a = nullptr);

// Draws the report page into `pagina` (the painter's units), for the PDF
// file and for the printer alike.
void DisegnaRelazione(QPainter& painter, const QRectF& pagina, const Risultato& r, const MeteoUsato* meteo = nullptr);
void DisegnaApprofondimento(QPainter& painter, const QRectF& pagina, const Risultato& r, const Approfondimento& a);
// The page of the faces and the inverter, after the first when PiuFalde.
void DisegnaFalde(QPainter& painter, const QRectF& pagina, const Risultato& r, const RisultatoBilancio& b);
// The third page and those after it: every parameter used, with its source
// and period, kParametriPerPagina to a page (a row is 5.6 mm: 40 rows and the
// heading fill the page above its footer).
inline constexpr int kParametriPerPagina = 40;
int PagineParametri(const Approfondimento& a);
void DisegnaParametri(QPainter& painter, const QRectF& pagina, const Risultato& r, const Approfondimento& a, int parte = 0);
// The fourth page: how sure (P10, P50, P90 and the tornado's rows) and, when
// weighed, which plant and battery.
void DisegnaDecisione(QPainter& painter, const QRectF& pagina, const Risultato& r, const Approfondimento& a);

} // namespace fv
