// SPDX-License-Identifier: MIT
// The plant's production clock hour by clock hour over a reference year,
// spread from the monthly figures of the mean-day model: the course of the
// day from Collares-Pereira & Rabl (global) and Liu & Jordan (diffuse), the
// days of a month varied by a published distribution of daily clearness.
#pragma once

#include "calc/calendario.h"
#include "calc/serie.h"

#include <array>
#include <vector>

namespace fv {

using Ore = std::array<double, 24>; // one value per clock hour, 0:00-1:00 first

// The plant and site as the hourly spread needs them.
struct ImpiantoOrario {
    double latitudine = 45;   // [deg] north
    double longitudine = 15;  // [deg] east
    double tilt = 30, azimut = 0; // [deg], azimuth from south, positive toward west
    double riflettanza = 0.2;
    MonthlySeries radOriz{};  // the site's monthly mean daily horizontal radiation [kWh/m² day]
    std::array<double, 12> energiaMese{}; // the report's monthly energy [kWh]
    bool operator==(const ImpiantoOrario&) const = default;
};

// One month's mean day, minute by minute of clock time: the shares of the
// day's global (rt) and diffuse (rd) horizontal irradiation, each summing to
// one, and the beam ratio of the plane (0 while the sun is down or behind it).
struct GiornoTipo {
    std::array<double, 1440> rt{}, rd{}, rb{};
    double cosBeta = 1, riflettanza = 0.2;
    double H0 = 0; // extraterrestrial daily horizontal radiation [kWh/m² day]
    double Kd = 0; // the model's diffuse fraction of the month
    double omegaS = 0; // sunset hour angle [rad]
};

// The equation of time on day n (1..365) [min] (Spencer 1971, as in Duffie &
// Beckman eq. 1.5.3).
double EquazioneDelTempo(int n);

// The month's mean day at the plant, with summer time or not: solar time =
// clock time - summer hour + (longitude - 15°)/15 h + equation of time.
GiornoTipo CreaGiornoTipo(int mese, const ImpiantoOrario& impianto, bool legale);

// Irradiation on the plane per clock minute for a day of horizontal H and
// diffuse Hd [kWh/m²]: beam max(0, g - d) Rb, diffuse d (1 + cos β)/2,
// reflected g ρ (1 - cos β)/2. Summed into clock hours.
Ore PianoOrario(const GiornoTipo& t, double H, double Hd);

// The shares of the month's mean day by clock hour (sum 1), scaled to the
// model's daily plane irradiation (the shares do not change with it).
Ore QuoteGiornoMedio(int mese, const ImpiantoOrario& impianto, bool legale);

// Daily clearness of a month of mean clearness KTm at `giorni` evenly spaced
// quantiles of the distribution of Bendt, Collares-Pereira & Rabl (1981),
// KT,min = 0.05, KT,max = 0.6313 + 0.267 KTm - 11.9 (KTm - 0.75)^8, in a
// fixed shuffled order (the same at every run), their mean exactly KTm.
std::vector<double> SerenitaGiornaliere(double KTm, int giorni, int mese);

// The daily diffuse fraction of a day of clearness KT (Erbs, Klein & Duffie
// 1982, by the sunset hour angle ωs [rad]).
double FrazioneDiffusaGiornaliera(double KT, double omegaS);

// The production [kWh] of every clock hour of every day of the calendar.
// giorniMedi: every day of a month is its mean day; else the days follow
// the clearness distribution. Either way each month's total is the report's
// monthly energy, scaled by the month's days in the calendar: a leap year's
// February has 29/28 of the report's (whose months are a common year's).
std::vector<Ore> ProduzioneOraria(const ImpiantoOrario& impianto, const Calendario& calendario, bool giorniMedi);

} // namespace fv
