// SPDX-License-Identifier: MIT
// The household's energy balance hour by hour over a reference year: its
// consumption (from an annual figure and a profile, from the bill's time
// bands, or from a meter's file), the plant's production, an optional
// battery; self-consumption and self-sufficiency month by month.
#pragma once

#include "calc/calendario.h"
#include "calc/orario.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace fv {

// A typical shape of a household's or a business's consumption: hourly
// weights (any scale) for working days, Saturdays and Sundays/holidays,
// and a weight for each month.
struct ProfiloConsumo {
    const char* nome;        // the name the command line and the dialog use
    const char* descrizione; // in Italian, for the dialog
    Ore feriale, sabato, festivo;
    std::array<double, 12> mensile;
};

// The bundled profiles; the first is the default.
const std::vector<ProfiloConsumo>& ProfiliConsumo();
const ProfiloConsumo* TrovaProfilo(const std::string& nome);

// The profile's weight of one hour of one day.
double PesoOra(const ProfiloConsumo& p, const Giorno& g, int ora);

// Annual consumption [kWh] spread over every hour by the profile.
std::vector<Ore> ConsumoDaAnnuo(double kWh, const ProfiloConsumo& profilo, const Calendario& calendario);

// The bill's band totals [kWh] of each month (F1, F2, F3), each spread over
// that band's hours of the month, shaped by the profile within the band:
// every band's total kept exactly.
using FasceMese = std::array<std::array<double, 3>, 12>;
std::vector<Ore> ConsumoDaFasce(const FasceMese& fasce, const ProfiloConsumo& profilo, const Calendario& calendario);

// A meter's file (hourly or quarter-hourly consumption, as Italian
// distributors let customers download it), read onto the reference year.
struct LetturaContatore {
    std::vector<Ore> consumo;        // [kWh] every hour of the reference year
    int oreRiempite = 0;             // hours missing in the file, filled from the profile
    std::vector<std::string> avvisi; // what the reader assumed or found (in Italian)
};

// A file that cannot be used: its line (0 when the whole file) and why.
class ErroreContatore : public std::runtime_error {
public:
    ErroreContatore(int riga, const std::string& messaggio);
    int riga() const noexcept { return riga_; }

private:
    int riga_;
};

// Reads the file's text: one value per row (date and time in one column or
// in two, then kWh) or one day per row (date, then 24 or 96 values); `;`,
// `,` or tab separators, a decimal comma or point, dates dd/mm/yyyy or ISO.
// Quarter-hours are summed per hour; the days of the clock change keep their
// 23 or 25 hours' energy; the file's days go onto the reference year by date.
// A file missing more than 5 % of the year is refused; smaller gaps are
// filled from the profile at the file's own level.
LetturaContatore LeggiContatore(const std::string& testo, const Calendario& calendario, const ProfiloConsumo& profilo);

struct Batteria {
    double capacita = 0;   // usable [kWh]
    double potenza = 0;    // maximum charge and discharge [kW]; 0: as the capacity per hour
    double rendimento = 90; // round trip [%], √η on charge and on discharge
};

// One month's or the year's energy flows [kWh].
struct FlussiEnergia {
    double produzione = 0, consumo = 0;
    double diretto = 0;                 // produced and used at once
    double inBatteria = 0, daBatteria = 0; // from production into the battery, from the battery to the loads
    double immessa = 0, prelevata = 0;  // to and from the grid
    // Share of production used on site, (direct + into battery) / production;
    // share of consumption covered, (direct + from battery) / consumption.
    double Autoconsumo() const { return produzione > 0 ? (diretto + inBatteria) / produzione : 0; }
    double Autosufficienza() const { return consumo > 0 ? (diretto + daBatteria) / consumo : 0; }
};

struct Bilancio {
    std::array<FlussiEnergia, 12> mesi{};
    FlussiEnergia anno;
    // The mean day of each month hour by hour [kWh, kWh stored].
    std::array<Ore, 12> produzioneMedia{}, consumoMedio{}, caricaMedia{};
};

// One hour of the run, for whoever checks the flows.
struct OraBilancio {
    double produzione, consumo, diretto, inBatteria, daBatteria, immessa, prelevata, carica;
};

// Hour by hour over the year: a surplus charges the battery within its
// power and free capacity, the rest is exported; a shortfall is covered from
// the battery within its power and charge, the rest imported. The year runs
// twice and the second pass is reported, so that 1 January starts from the
// charge of 31 December. `traccia`, when given, receives every hour.
Bilancio CalcolaBilancio(const std::vector<Ore>& produzione, const std::vector<Ore>& consumo,
                         const Calendario& calendario, const Batteria& batteria,
                         std::vector<OraBilancio>* traccia = nullptr);

} // namespace fv
