// SPDX-License-Identifier: MIT
// The "CALCOLA" command as an operation on values: eight input texts, the
// horizontal series and the days of each month in; the writes to the result
// fields and to the plane series out, in the order the command makes them.
#pragma once

#include "calc/errori.h"
#include "calc/modello.h"
#include "calc/numeri.h"
#include "calc/risultati.h"

#include <array>
#include <optional>
#include <string>

namespace fv {

struct InputCalcolo {
    std::string latitudine;         // [deg]
    std::string riflettanza;        // ground reflectance, fraction
    std::string tilt;               // [deg] from the horizontal
    std::string azimut;             // [deg] from south, positive toward west
    std::string potenza;            // [kW] peak
    std::string perditeGeneratore;  // [%] whole
    std::string efficienzaInverter; // [%] whole
    std::string comuneRadiazione;   // only tested for emptiness
};

// Receives the command's writes as they happen. An error thrown by the
// command leaves exactly the writes made before it.
class DestinazioneCalcolo {
public:
    virtual ~DestinazioneCalcolo() = default;
    // Element mese0 (0 = January) of the plane series radInc [kWh/m² day].
    virtual void ScriviRadInc(int mese0, double valore) = 0;
    // Text of a result field; indice is the month (0..11) for Campo::Mese2, else 0.
    virtual void ScriviCampo(Campo campo, int indice, const std::string& testo) = 0;
};

// The plant's inputs as the command read them, for whoever reports on the result.
struct IngressiLetti {
    double potenza = 0;          // [kW]
    std::int16_t perdite = 0;    // [%]
    std::int16_t efficienza = 0; // [%]
    double energia = 0;          // annual energy before rounding [kWh]
    double latitudine = 0;       // [deg] north
    double tilt = 0, azimut = 0; // [deg], azimuth from south, positive toward west
    double riflettanza = 0;      // of the ground in front of the plant
};

// What the command accepts, beyond being numbers. Latitude: north of the
// equator and short of the polar circles, where every month's sun rises and
// sets [deg]. Power: above zero, at most a megawatt plant [kW].
struct Intervallo {
    double minimo, massimo;
    bool minimoEscluso = false;
};
inline constexpr Intervallo kIntervalloLatitudine{0, 66, true};
inline constexpr Intervallo kIntervalloRiflettanza{0, 1};
inline constexpr Intervallo kIntervalloTilt{0, 90};
inline constexpr Intervallo kIntervalloAzimut{-180, 180};
// Power: above zero, up to the largest figure the window's fields show whole
// with the energy and revenue it gives (a 100 MW ground plant) [kW].
inline constexpr Intervallo kIntervalloPotenza{0, 99999, true};
// Italy's span of latitude, Lampedusa to the Vetta d'Italia, rounded out
// [deg]: a latitude typed outside it is asked about before it is used.
inline constexpr Intervallo kLatitudineItalia{35.2, 47.1};
inline constexpr Intervallo kIntervalloPercentuale{0, 100};

// Reads, converts and checks the inputs, runs the model for January to
// December and writes the monthly plane values, then the annual plane total
// (0 decimals), the ratio of the totals (2 decimals) and the energy (0
// decimals). Returns false, having written nothing, when an input text is
// empty (a text of blanks is not empty). Throws the typed errors of the first
// failing step; an input outside its range (ErroreIntervallo) or a month
// whose clearness index lies outside (0, 1] (ErroreSerenita) is found before
// anything is written.
// The site as the command reads and checks it, for the tools that try other
// planes on it: latitude [deg] and reflectance, each in its range, and every
// month's clearness index in (0, 1]. Throws as the command does; the texts
// must not be empty.
struct SitoLetto {
    double latitudine = 0;
    double riflettanza = 0;
};
SitoLetto LeggiSito(const std::string& latitudine, const std::string& riflettanza,
                    const MonthlySeries& radOriz, const FormatoNumeri& formato);

// The plant as the command reads and checks it, for the map of Italy: tilt
// and azimuth [deg], reflectance, losses and efficiency [%].
struct ImpiantoLetto {
    double tilt = 0, azimut = 0, riflettanza = 0;
    std::int16_t perdite = 0, efficienza = 0;
};
ImpiantoLetto LeggiImpianto(const InputCalcolo& input, const FormatoNumeri& formato);

// The one coherence rule of a site, for the command, the tools and the map:
// the latitude [deg] within its range (testo is the text it was read from,
// for the error), and every month's clearness index in (0, 1], the month's
// steps on `piano` handed back. Throw ErroreIntervallo and ErroreSerenita.
double VerificaLatitudine(double latitudine, const std::string& testo);
void VerificaSerenita(const Piano& piano, const MonthlySeries& radOriz, std::array<PassiModello, 12>& passi);

// letti, when given, receives the plant's inputs once the command succeeds.
bool Calcola(const InputCalcolo& input, const MonthlySeries& radOriz, const GiorniMese& giorni,
             const FormatoNumeri& formato, DestinazioneCalcolo& destinazione,
             IngressiLetti* letti = nullptr);

// The command's last step: the tariff of the chosen band and integration type
// into CostoKwh, then energy (the text the energy field shows) x tariff,
// rounded to cents, into Annuo.
void ScriviTariffaRicavo(const std::string& testoEnergia, int fascia, int integrazione,
                         const FormatoNumeri& formato, DestinazioneCalcolo& destinazione);

// Index of the first selected option of a group of three, 3 when none is.
int IndiceOpzione(const std::array<bool, 3>& selezionate);

// The band that a power text selects; empty text selects nothing.
std::optional<int> FasciaDaTesto(const std::string& testo, const FormatoNumeri& formato);

} // namespace fv
