// SPDX-License-Identifier: MIT
// An air-source heat pump in place of a gas boiler: the heat the house needs,
// from the gas bills, spread over the year's days and hours by the outdoor
// temperature, and the electricity the pump draws for it.
//
// The method is that of O. Ruhnau, L. Hirth, A. Praktiknjo, "Time series of
// heat demand and heat pump efficiency for energy system modeling",
// Scientific Data 6 (2019) 189, doi:10.1038/s41597-019-0199-y: the daily
// demand factor and the hourly factors of the German gas industry's standard
// load profiles (single-family house), and a COP regression of manufacturers'
// data. The parameter tables are those of the When2Heat data package
// (Copyright (c) 2019 Oliver Ruhnau, MIT licence).
#pragma once

#include "calc/calendario.h"
#include "calc/orario.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace fv {

// Lower heating value of natural gas [kWh/Smc]: ARERA's conventional higher
// heating value, 0.03852 GJ/Smc (TIVG, delibera 366/2018/R/com), times the
// 0.905 GSE accepts as the ratio of lower to higher heating value.
inline constexpr double kPciGas = 0.03852 * 0.905 / 0.0036;

// What the house's heat is delivered by: radiators want water at 40 - T
// (T the outdoor air), a floor 30 - 0.5 T [°C] (the paper's heating curves).
enum class Emissione { Radiatori, Pavimento };
// "radiatori", "pavimento"; false when it is neither.
bool LeggiEmissione(const std::string& testo, Emissione& e);
const char* NomeEmissione(Emissione e);

struct PompaDiCalore {
    double gasAnno = 0;                              // [Smc/year]
    std::optional<std::array<double, 12>> gasMesi;   // [Smc] each month's bill, January first
    double rendimento = 0.9;                         // the old boiler's seasonal efficiency, on the lower heating value
    bool acquaCalda = true;                          // the gas heated the water too
    std::optional<double> scop;                      // the pump's data sheet: its seasonal COP
    Emissione emissione = Emissione::Radiatori;
    bool Presente() const { return GasAnno() > 0; }
    double GasAnno() const;                          // the bills' sum, or the year's figure
    bool operator==(const PompaDiCalore&) const = default;
};

// The ranges the inputs are accepted in, named as the command line names them.
struct LimitePompa {
    const char* nome;
    double minimo, massimo;
};
inline constexpr LimitePompa kGasAnno{"gas", 0, 10000}, kGasMese{"gas-mesi", 0, 2500},
    kRendimentoCaldaia{"rendimento-caldaia", 0.5, 1.1}, kScop{"scop", 1.5, 7};

// The twelve bills "V1,...,V12" (a decimal point or comma; values split by
// ';' or by ',' when commas are not decimals). Throws std::invalid_argument,
// in Italian, naming the month that is missing, not a number or out of range.
std::array<double, 12> LeggiGasMesi(const std::string& testo);

// The daily demand factor of a day of reference temperature T [°C] (already
// shifted to Italy's heating threshold): space and water together, and the
// water's part alone (in the profiles' relative units).
double FattoreGiornaliero(double T);
double FattoreAcqua(double T);
// The share of a day's space heat in clock hour `ora` for a day of mean
// temperature T: the column of T rounded up to a multiple of 5, -15..30 °C.
double FattoreOrario(double T, int ora);
// The water's hours: the warmest column's, a day without space heating.
double FattoreOrarioAcqua(int ora);
// The COP of the air-source pump with air at `aria` and water at `mandata`
// [°C]: 6.08 - 0.0941 dT + 0.000464 dT², dT at least 15 K, times 0.85 for
// real operation.
double Cop(double aria, double mandata);
// The water's temperature for space heating at outdoor T; the hot water's is 50 °C.
double Mandata(Emissione e, double T);
inline constexpr double kMandataAcqua = 50;

// Italy's heating threshold against Germany's, the profiles' own [°C]
// (When2Heat's table): the daily factor is read at T - this.
inline constexpr double kSogliaProfili = 13.98, kSpostamentoSoglia = 15.61 - kSogliaProfili;
// Above Italy's threshold (15.61 °C, the reference temperature) no room is heated.

// The pump's year on the calendar's clock hours. `temperature` holds the air
// temperature of every clock hour of every day [°C] (a weather file's, or
// each month's mean in all its hours on the comune's climate).
struct AnnoPompa {
    std::vector<Ore> caloreSpazio, caloreAcqua, elettrica; // [kWh] per clock hour
    std::array<double, 12> caloreMesi{}, elettricaMesi{};  // [kWh]
    double calore = 0, elettricaAnno = 0;                  // [kWh/year]
    double copStagionale = 0;                              // calore / elettricaAnno
    std::vector<std::string> avvisi;
};
// The year's useful heat is gas x kPciGas x efficiency: each month's bill in
// its own month, or the year's over the days by their daily factor (the
// space's only when the water was not on gas). Within a month the days share
// by their factor at the reference temperature (the day's mean and the three
// before, weights 1, 1/2, 1/4, 1/8), the hours by the hourly factors. Each
// hour's electricity is its heat over the COP at its air temperature; with
// a data sheet's SCOP every COP is scaled by one factor so that the year's
// heat over the year's electricity is that SCOP.
AnnoPompa CalcolaPompa(const PompaDiCalore& p, const Calendario& calendario, const std::vector<Ore>& temperature);

// Every clock hour of every day at its month's mean temperature.
std::vector<Ore> TemperatureDeiMesi(const std::array<double, 12>& mesi, const Calendario& calendario);

} // namespace fv
