// SPDX-License-Identifier: MIT
// The choices from province to site values: the work of the start-up and of
// the four list picks, each opening and closing its own connection. Results
// go to a VistaSito as they are read, so that a failure leaves in place what
// was done before it.
#pragma once

#include "calc/numeri.h"
#include "calc/serie.h"
#include "data/funzioni.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace fv {

class VistaSito {
public:
    virtual ~VistaSito() = default;
    virtual void AggiungiRiflettanza(const QString& superficie) = 0;
    virtual void AggiungiProvincia(const QString& provincia) = 0;
    virtual void SvuotaComuniLat() = 0;
    virtual void AggiungiComuneLat(const QString& comune) = 0;
    virtual void SvuotaComuniRad() = 0;
    virtual void AggiungiComuneRad(const QString& comune) = 0;
    virtual void ScriviRadOriz(int mese0, double valore) = 0;    // [kWh/m² day]
    virtual void ScriviMese(int mese0, const QString& testo) = 0; // 2 decimals
    virtual void ScriviTotAnnua(const QString& testo) = 0;        // [kWh/m² year]
    virtual void ScriviLatitudine(const QString& testo) = 0;      // [deg]
    virtual void ScriviRiflettanza(const QString& testo) = 0;
};

// The state a data event works with: the routines, the result set and the SQL text.
struct ContestoDati {
    Funzioni& funzioni;
    std::unique_ptr<Recordset>& rsDati;
    QString& sqlText;
};

// What the data events of one window keep between them: the routines with
// their connection (empty between events), the result set and the last SQL text.
struct StatoDati {
    explicit StatoDati(QString cartella = {}) : funzioni(std::move(cartella)) {}
    Funzioni funzioni;
    std::unique_ptr<Recordset> rsDati;
    QString sqlText;
    ContestoDati Contesto() { return {funzioni, rsDati, sqlText}; }
};

// Start-up: surface types (in stored order), then provinces (each once, ascending).
void CaricaElenchiIniziali(ContestoDati contesto, VistaSito& vista);

// A province chosen: both municipality lists emptied, even when the file
// then fails to open, and refilled.
void ProvinciaScelta(ContestoDati contesto, const QString& provincia, VistaSito& vista);

// A radiation municipality of the given province chosen: twelve monthly
// values as read, shown with 2 decimals, and their annual total. The twelve
// are read before any is written: a failing read leaves the series as it was.
void ComuneRadScelto(ContestoDati contesto, const QString& provincia, const QString& comune,
                     const GiorniMese& giorni, const FormatoNumeri& formato, VistaSito& vista);

// A latitude municipality of the given province chosen: its latitude, not rounded.
void ComuneLatScelto(ContestoDati contesto, const QString& provincia, const QString& comune,
                     const FormatoNumeri& formato, VistaSito& vista);

// A surface type chosen: its reflectance, not rounded.
void RiflettanzaScelta(ContestoDati contesto, const QString& superficie,
                       const FormatoNumeri& formato, VistaSito& vista);

// Where the file says its radiation comes from; empty when it does not say
// (a file without the table of sources, an Access file).
QString FonteRadiazione(ContestoDati contesto);

// A comune's monthly mean air temperature [°C], January first, and the
// weather station it is taken from.
struct TemperatureComune {
    QString stazione;
    double distanzaKm = 0;
    std::array<double, 12> mesi{};
};
// None when the file has no such table or no row for the comune (an Access
// file, an older data file).
std::optional<TemperatureComune> LeggiTemperatureComune(ContestoDati contesto, const QString& provincia,
                                                        const QString& comune, const FormatoNumeri& formato);

// One row of the file's economic parameters.
struct RigaParametro {
    QString nome;
    double valore = 0;
    QString unita, descrizione, fonte, validita;
};
// The file's parameters; empty when it has none (a file without the table).
std::vector<RigaParametro> LeggiParametri(ContestoDati contesto, const FormatoNumeri& formato);

// A comune as the map of Italy draws it: position [deg] and horizontal series.
struct ComuneMappa {
    QString provincia, comune;
    double latitudine = 0, longitudine = 0;
    MonthlySeries radOriz{};
};

// Every comune with a latitude, a longitude and twelve numeric monthly
// values; `esclusi` counts those the file leaves without one of them.
struct ComuniMappa {
    std::vector<ComuneMappa> comuni;
    int esclusi = 0;
};
// Numbers stored as text are read as the window reads them (ComuneRadScelto).
ComuniMappa LeggiComuniMappa(ContestoDati contesto, const FormatoNumeri& formato);

} // namespace fv
