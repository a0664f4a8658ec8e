// SPDX-License-Identifier: MIT
// Monthly series and the calendar of the method: the ground floor that the
// computation and the data layer share, with the numbers and the errors.
#pragma once

#include <array>
#include <cstdint>

namespace fv {

// Twelve monthly values, index 0 = January.
using MonthlySeries = std::array<double, 12>;

// Days of each month on a 365-day year (no leap year is ever considered).
using GiorniMese = std::array<std::int16_t, 12>;
inline constexpr GiorniMese kGiorniMese = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The months' three-letter abbreviations: the chart's row labels and the
// monthly column names of the radiation table.
inline constexpr std::array<const char*, 12> kMesiBrevi = {
    "gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"};

// Sum of daily mean x days over the year [kWh/m² year], January first.
// Throws ErroreAritmetico (step TotaleAnnuo) when the sum is not finite.
double CalcolaTotaleAnnuo(const MonthlySeries& serie, const GiorniMese& giorni);

} // namespace fv
