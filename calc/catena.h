// SPDX-License-Identifier: MIT
// A PV plant's hour-by-hour production from a weather year, as the
// European Commission's PVGIS computes it: the sun's position, the plane's
// irradiance by a sky model, the losses of reflection, temperature and low
// irradiance, a horizon, and the system's losses.
#pragma once

#include "calc/calendario.h"
#include "calc/falde.h"
#include "calc/meteo.h"
#include "calc/orario.h"

#include <array>
#include <string>
#include <vector>

namespace fv {

enum class Trasposizione { Perez, HayDavies, Isotropo };
// "perez", "hay-davies", "isotropo"; false when it is none of them.
bool LeggiTrasposizione(const std::string& testo, Trasposizione& t);
const char* NomeTrasposizione(Trasposizione t);

struct ImpiantoMeteo {
    double latitudine = 45, longitudine = 8; // [deg] north, east
    double tilt = 30, azimut = 0;            // [deg], azimuth from south, positive toward west
    double riflettanza = 0.2;
    double potenza = 1;                      // [kWp]
    bool integrato = false;                  // building-integrated modules (no ventilation behind)
    double perditeSistema = 14;              // [%] cables, inverter, mismatch, soiling, as PVGIS
    Trasposizione trasposizione = Trasposizione::Perez;
    Orizzonte orizzonte;
};

// One hour's irradiance on the plane [W/m²] and the plant's output.
struct OraPiano {
    double fascio = 0, diffusa = 0, riflessa = 0; // incident on the plane
    double libero = 0;       // incident without the horizon [W/m²]
    double efficace = 0;     // after the reflection losses of the module's glass
    double temperaturaModulo = 0;
    double relativa = 0;     // DC power over peak power, before the system's losses
};

// Diffuse from the sky on the plane [W/m²] for DHI and DNI [W/m²], the
// sun's zenith [deg], the cosine of the angle of incidence, the tilt [deg]
// and the extraterrestrial normal irradiance [W/m²]; split in the part from
// around the sun (lost with the beam behind a horizon) and the rest.
struct DiffusaCielo {
    double circumsolare = 0, resto = 0;
    double Totale() const { return circumsolare + resto; }
};
DiffusaCielo DiffusaDelCielo(Trasposizione t, double dhi, double dni, double zenit, double cosTheta, double tilt, double extra);

// Angle-of-incidence modifiers of N. Martin and J. M. Ruiz, "Calculation of
// the PV modules angular losses under field conditions by means of an
// analytical model", Sol. Energy Mater. Sol. Cells 70 (2001) 25-38, a_r =
// 0.16 as PVGIS: the beam's (eq. 3) and the sky's and ground's diffuse
// (eqs. 6-7, c1 = 4/(3π), c2 = a_r/2 - 0.154), as transmitted shares.
double ModificatoreFascio(double cosIncidenza);
double ModificatoreCielo(double tiltGradi);
double ModificatoreSuolo(double tiltGradi);

// Relative DC power at irradiance G [W/m²] and module temperature T [°C]
// (T. Huld et al., "A power-rating model for crystalline silicon PV modules",
// Sol. Energy Mater. Sol. Cells 95 (2011) 3359-3369, eq. 2, with PVGIS's
// crystalline-silicon coefficients k1..k6).
double PotenzaRelativaHuld(double G, double T);

// The module's temperature (D. Faiman, "Assessing the outdoor operating
// temperature of photovoltaic modules", Prog. Photovolt. 16 (2008) 307-315,
// eq. 1: T = Ta + G / (U0 + U1 v), with PVGIS's U0, U1 for free-standing
// (26.9, 6.2) and building-integrated (20, 0) modules).
double TemperaturaModulo(double Ta, double G, double vento, bool integrato);

// What does not change from hour to hour on a plane.
struct FattoriPiano {
    double vistaCielo = 1;              // the horizon's share of the isotropic sky left
    double cielo = 1, suolo = 1;        // the diffuse's angular modifiers
    explicit FattoriPiano(const ImpiantoMeteo& impianto);
};

// The plane's irradiance and the output of one hour of the file.
OraPiano CalcolaOra(const ImpiantoMeteo& impianto, const OraMeteo& ora, const FattoriPiano& fattori);

// The year's production on the reference calendar's clock hours (UTC+1,
// UTC+2 in summer time), each hour of the file placed by its month, day and
// hour whatever its year; a February 29 the calendar lacks is left out, one
// it has but the file lacks is February 28's again.
struct ProduzioneMeteo {
    std::vector<Ore> ore;                 // [kWh] per clock hour
    std::array<double, 12> mesi{};        // [kWh]
    double anno = 0;                      // [kWh]
    std::array<double, 12> pianoMesi{};   // irradiation on the plane [kWh/m²], with the horizon
    // Losses as PVGIS shows them, shares of what reaches the next step:
    double perditaOrizzonte = 0;  // of the plane's irradiation without the horizon
    double perditaAngolo = 0;     // reflection at the glass
    double perditaTemperatura = 0; // temperature and low irradiance (negative: a gain)
    double perditaSistema = 0;
    double perditaInverter = 0;   // of the faces' output, cut at the inverter's AC limit
};
// Throws ErroreMeteo for a series on a plane other than the plant's.
ProduzioneMeteo ProduzioneDaMeteo(const ImpiantoMeteo& impianto, const AnnoMeteo& meteo, const Calendario& calendario);

// The plant of several faces, each face's year (`falde`, at its own power
// `potenze` [kWp]) and their hours summed and cut at the inverter
// (`limitata`, LimiteInverter of the faces' hours): the plant's hours and
// months after the limit, its irradiation on the planes as the faces' mean
// weighted by their power, and each loss as a share of the faces' summed
// quantity at that step. A single face without a limit is that face's year.
ProduzioneMeteo ProduzioneDelleFalde(const std::vector<ProduzioneMeteo>& falde, const std::vector<double>& potenze,
                                     const ProduzioneFalde& limitata);

// The file's air temperature [°C] on the calendar's clock hours, each hour
// placed as the production's are; an hour no file hour falls in (the spring
// change to summer time) takes the hour before, two in one hour their mean.
std::vector<Ore> TemperatureDelCalendario(const AnnoMeteo& meteo, const Calendario& calendario);

// Great-circle distance [km] between two sites.
double DistanzaKm(double lat1, double lon1, double lat2, double lon2);

} // namespace fv
