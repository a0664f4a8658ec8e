// SPDX-License-Identifier: MIT
// The household's energy balance hour by hour over a reference year: its
// consumption (from an annual figure and a profile, from the bill's time
// bands, or from a meter's file), the plant's production, an optional
// battery; self-consumption and self-sufficiency month by month.
#pragma once

#include "calc/calendario.h"
#include "calc/orario.h"

#include <array>
#include <optional>
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
// The year's band totals [kWh] (F1, F2, F3) shared among the months as the
// profile weighs each band's hours in each month: each band's year kept.
FasceMese FasceDellAnnoNeiMesi(const std::array<double, 3>& anno, const ProfiloConsumo& profilo, const Calendario& calendario);

// The bands as a person types them: 3 values (the year's F1, F2, F3) or 36
// (F1, F2, F3 of each month from twelve bills, January first), separated by
// semicolons, by blanks, or by commas when no value has a decimal comma.
// Each value a consumption [kWh] of at least 0, the year's total within the
// limits of an annual consumption. Throws ErroreFasce.
struct FasceLette {
    std::array<double, 3> anno{}; // with 3 values
    std::optional<FasceMese> mesi; // with 36
    double Totale() const;
};
FasceLette LeggiFasce(const std::string& testo);
// The fields of such a text: split at semicolons, else at blanks (a comma
// ending a field dropped: "900, 800, 1000"), else at commas.
std::vector<std::string> CampiFasce(const std::string& testo);
class ErroreFasce : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The range of a household's or small business's yearly consumption [kWh]
// that the balance accepts, however it is given.
constexpr double kConsumoAnnuoMinimo = 100, kConsumoAnnuoMassimo = 1e7;

// When the battery gives back its charge: whenever the house needs it
// (autoconsumo), or kept for the dearer bands and never in F3, the cheap
// nights and holidays (fasce). Either way it charges from the plant's surplus.
enum class StrategiaBatteria { Autoconsumo, Fasce };
// "autoconsumo", "fasce"; false when it is neither.
bool LeggiStrategia(const std::string& testo, StrategiaBatteria& s);
const char* NomeStrategia(StrategiaBatteria s);

struct Batteria {
    double capacita = 0;   // usable [kWh]
    double potenza = 0;    // maximum charge and discharge [kW]; 0: as the capacity per hour
    double rendimento = 90; // round trip [%], √η on charge and on discharge
    StrategiaBatteria strategia = StrategiaBatteria::Autoconsumo;
};
// The ranges a battery's inputs are accepted in: capacity 0 (none) to 1,000
// kWh, power 0 (as the capacity) to 1,000 kW, round-trip efficiency 50 to
// 100 % (home lithium batteries are rated 85-95 %; below half is a typo).
struct LimiteBatteria {
    const char* nome; // as the command line names it
    double minimo, massimo;
};
constexpr LimiteBatteria kCapacitaBatteria{"batteria", 0, 1000}, kPotenzaBatteria{"batteria-potenza", 0, 1000},
    kRendimentoBatteria{"batteria-rendimento", 50, 100};

// One month's or the year's energy flows [kWh].
struct FlussiEnergia {
    double produzione = 0, consumo = 0;
    double diretto = 0;                 // produced and used at once
    double inBatteria = 0, daBatteria = 0; // from production into the battery, from the battery to the loads
    double perdite = 0;                 // lost in the battery's charge and discharge
    double immessa = 0, prelevata = 0;  // to and from the grid
    std::array<double, 3> copertoFasce{}; // consumption covered on site in F1, F2, F3
    // Consumption covered on site: direct use and the battery's discharge.
    double Coperto() const { return diretto + daBatteria; }
    // Share of production used on site, (direct + into battery) / production;
    // share of consumption covered, (direct + from battery) / consumption.
    double Autoconsumo() const { return produzione > 0 ? (diretto + inBatteria) / produzione : 0; }
    double Autosufficienza() const { return consumo > 0 ? Coperto() / consumo : 0; }
};

struct Bilancio {
    std::array<FlussiEnergia, 12> mesi{};
    FlussiEnergia anno;
    double caricaInizio = 0, caricaFine = 0; // stored at the start and the end of the year [kWh]
    // The mean day of each month hour by hour [kWh, kWh stored].
    std::array<Ore, 12> produzioneMedia{}, consumoMedio{}, caricaMedia{};
};

// One hour of the run, for whoever checks the flows.
struct OraBilancio {
    double produzione, consumo, diretto, inBatteria, daBatteria, immessa, prelevata, carica, perdite;
};

// Hour by hour over the year: a surplus charges the battery within its
// power and free capacity, the rest is exported; a shortfall is covered from
// the battery within its power and charge (with the strategy `fasce`, not
// in F3 hours), the rest imported. The year runs
// twice and the second pass is reported, so that 1 January starts from the
// charge of 31 December. `traccia`, when given, receives every hour.
Bilancio CalcolaBilancio(const std::vector<Ore>& produzione, const std::vector<Ore>& consumo,
                         const Calendario& calendario, const Batteria& batteria,
                         std::vector<OraBilancio>* traccia = nullptr);

} // namespace fv
