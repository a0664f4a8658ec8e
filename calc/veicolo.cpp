// SPDX-License-Identifier: MIT
// The electric car's charging hours.
#include "calc/veicolo.h"

#include <algorithm>
#include <array>

namespace fv {

bool LeggiRicarica(const std::string& testo, RicaricaAuto& r)
{
    if (testo == "sera")
        r = RicaricaAuto::Sera;
    else if (testo == "notte")
        r = RicaricaAuto::Notte;
    else if (testo == "solare")
        r = RicaricaAuto::Solare;
    else
        return false;
    return true;
}

const char* NomeRicarica(RicaricaAuto r)
{
    switch (r) {
    case RicaricaAuto::Sera: return "sera";
    case RicaricaAuto::Notte: return "notte";
    case RicaricaAuto::Solare: break;
    }
    return "solare";
}

double EnergiaAuto(const AutoElettrica& a)
{
    return a.km * a.consumo / 100 * a.quotaCasa / 100 / (1 - a.perdite / 100);
}

namespace {

using Ordine = std::array<int, 24>;

// The day's hours from `prima` on, round the clock.
Ordine DallOra(int prima)
{
    Ordine o{};
    for (int i = 0; i < 24; ++i)
        o[std::size_t(i)] = (prima + i) % 24;
    return o;
}

// The night first (0-7, then 23: the F3 hours of a working day), then the day.
constexpr Ordine kNotte = {0, 1, 2, 3, 4, 5, 6, 23, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
constexpr int kOreNotte = 8;

// `energia` [kWh] into the day's hours in order, each up to the charger's
// power less what it already holds; `vietata` skips an hour. What is left.
template<class Vietata>
double Metti(Ore& giorno, const Ordine& ordine, int ore, double energia, double potenza, Vietata vietata)
{
    for (int i = 0; i < ore && energia > 1e-12; ++i) {
        const auto h = std::size_t(ordine[std::size_t(i)]);
        if (vietata(h))
            continue;
        const double e = std::min(energia, potenza - giorno[h]);
        if (e > 0) {
            giorno[h] += e;
            energia -= e;
        }
    }
    return std::max(0.0, energia);
}

// One week of solar charging, days [inizio, fine): the sun's surplus on the
// days at home, then the rest over the week's nights, evenly, never in an
// hour with a surplus.
void SettimanaSolare(const AutoElettrica& a, const Calendario& cal, const std::vector<Ore>& surplus, std::size_t inizio,
                     std::size_t fine, double giornaliera, std::vector<Ore>& ore)
{
    double resto = giornaliera * double(fine - inizio);
    for (std::size_t d = inizio; d < fine && resto > 0; ++d) {
        if (!a.aCasaFeriali && TipoDelGiorno(cal.giorni[d]) == TipoGiorno::Feriale)
            continue;
        for (std::size_t h = 0; h < 24 && resto > 0; ++h) {
            const double e = std::min({std::max(0.0, surplus[d][h]), a.potenza, resto});
            ore[d][h] += e;
            resto -= e;
        }
    }
    // Evenly over the nights, then whatever hour without a surplus is left.
    for (int giro = 0; giro < 2 && resto > 1e-12; ++giro) {
        const double quota = resto / double(fine - inizio);
        resto = 0;
        for (std::size_t d = inizio; d < fine; ++d)
            resto += Metti(ore[d], kNotte, giro == 0 ? kOreNotte : 24, quota, a.potenza,
                           [&](std::size_t h) { return surplus[d][h] > 0; });
    }
}

} // namespace

std::vector<Ore> RicaricaOraria(const AutoElettrica& a, const Calendario& cal, const std::vector<Ore>& surplus)
{
    std::vector<Ore> ore(cal.giorni.size(), Ore{});
    if (a.km <= 0 || cal.giorni.empty())
        return ore;
    const double giornaliera = EnergiaAuto(a) / double(cal.giorni.size());
    if (a.ricarica != RicaricaAuto::Solare) {
        const Ordine ordine = a.ricarica == RicaricaAuto::Sera ? DallOra(19) : kNotte;
        for (Ore& giorno : ore)
            Metti(giorno, ordine, 24, giornaliera, a.potenza, [](std::size_t) { return false; });
        return ore;
    }
    // Weeks from Monday; the year's first and last may be short.
    std::size_t inizio = 0;
    for (std::size_t d = 1; d <= cal.giorni.size(); ++d)
        if (d == cal.giorni.size() || cal.giorni[d].settimana == 0) {
            SettimanaSolare(a, cal, surplus, inizio, d, giornaliera, ore);
            inizio = d;
        }
    return ore;
}

} // namespace fv
