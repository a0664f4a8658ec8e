// SPDX-License-Identifier: MIT
// The reference year of the energy balance: its days with their weekday,
// national holidays, summer time and the bill's time bands (F1, F2, F3).
#pragma once

#include <array>
#include <vector>

namespace fv {

struct Giorno {
    int mese = 0;        // 0 = January
    int giorno = 1;      // day of the month, 1..31
    int settimana = 0;   // 0 = Monday .. 6 = Sunday
    bool festivo = false; // a national holiday (Sundays are not counted here)
    bool legale = false;  // summer time (UTC+2) in force on this day
};

struct Calendario {
    int anno = 0;
    std::vector<Giorno> giorni;           // every day of the year, 365 or 366
    std::array<int, 12> giorniMese{};     // days of each month in this year
};

// The days of `anno` (1901..2099). Summer time from the last Sunday of March
// to the Saturday before the last Sunday of October; the holidays of the
// bill's bands: 1 and 6 January, Easter Monday, 25 April, 1 May, 2 June,
// 15 August, 1 November, 8, 25 and 26 December.
Calendario CreaCalendario(int anno);

// The day of the year of Easter Sunday (0 = 1 January), Gregorian calendar.
int GiornoPasqua(int anno);

// The time band of clock hour `ora` (0..23, the hour from ora:00 to ora+1:00)
// of a day: 1 = F1 Monday–Friday 8–19; 2 = F2 Monday–Friday 7–8 and 19–23,
// Saturday 7–23; 3 = F3 every other hour, all Sundays and holidays.
int FasciaOraria(const Giorno& g, int ora);

// The kind of day a consumption profile distinguishes.
enum class TipoGiorno { Feriale, Sabato, Festivo };
TipoGiorno TipoDelGiorno(const Giorno& g);

} // namespace fv
