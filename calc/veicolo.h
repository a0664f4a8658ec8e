// SPDX-License-Identifier: MIT
// An electric car charged at home: its yearly energy from the kilometres
// driven, and the hours it charges in, by the household's habit.
#pragma once

#include "calc/calendario.h"
#include "calc/orario.h"

#include <string>
#include <vector>

namespace fv {

// When the car charges: on arrival from 19:00 (sera), in the F3 hours of the
// night (notte), or from the plant's surplus while it is at home, what the
// sun does not give charged in the week's nights (solare).
enum class RicaricaAuto { Sera, Notte, Solare };
// "sera", "notte", "solare"; false when it is none of them.
bool LeggiRicarica(const std::string& testo, RicaricaAuto& r);
const char* NomeRicarica(RicaricaAuto r);

struct AutoElettrica {
    double km = 0;              // [km/year]; 0: no car
    // At the battery [kWh/100 km]: European electric cars are certified at
    // 19 ± 4 kWh/100 km at the plug (WLTP, charging losses in; M. Weiss et
    // al., Sustainability 16 (2024) 7529, 342 models), about 17 without the
    // charging losses below (our estimate).
    double consumo = 17;
    double quotaCasa = 80;      // [%] of the kilometres charged at home (the rest on the road, at work)
    double potenza = 3.7;       // the home charger [kW]: 3.7 single-phase 16 A, 7.4 32 A
    double perdite = 10;        // [%] charging losses, wall to battery (an estimate: trip computers read ~10 % below the meter)
    RicaricaAuto ricarica = RicaricaAuto::Sera;
    bool aCasaFeriali = false;  // solare: the car at home on working days too (else weekends and holidays only)
};

// The ranges the car's inputs are accepted in.
struct LimiteAuto {
    const char* nome; // as the command line names it
    double minimo, massimo;
};
inline constexpr LimiteAuto kKmAuto{"auto-km", 0, 100000}, kConsumoAuto{"auto-consumo", 8, 40},
    kQuotaCasaAuto{"auto-casa", 0, 100}, kPotenzaAuto{"auto-potenza", 1.4, 22}, kPerditeAuto{"auto-perdite", 0, 30};

// The year's energy drawn at home for the car [kWh]: km x consumption x the
// share at home, over (1 - losses).
double EnergiaAuto(const AutoElettrica& a);

// The car's charging [kWh] in every clock hour of the calendar. Each day
// needs the year's energy over its days; a week's days are met within the
// week, whatever the habit. `surplus` is the plant's production less the
// house's consumption in each hour (for `solare`; negative when the house
// draws): by day, on the days the car is at home, it charges from that
// surplus only; the rest of the week's need goes to the week's night hours
// (0-7 and 23, F3), never an hour with a surplus.
std::vector<Ore> RicaricaOraria(const AutoElettrica& a, const Calendario& calendario, const std::vector<Ore>& surplus);

} // namespace fv
