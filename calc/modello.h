// SPDX-License-Identifier: MIT
// Monthly mean-day radiation on a tilted, oriented plane, in the line of
// UNI 8477: a representative day per month, then one function per step.
//
// References, step by step:
// - day number: the middle of the month on a 365-day year;
// - declination: P. I. Cooper, "The absorption of radiation in solar stills",
//   Solar Energy 12 (1969), delta = 23.45 sin(360 (284 + n) / 365)
//   (Duffie & Beckman, below, eq. 1.6.1a);
// - sunset hour angle and extraterrestrial daily radiation on the horizontal:
//   J. A. Duffie, W. A. Beckman, Solar Engineering of Thermal Processes
//   (4th ed., Wiley 2013), eqs. 1.6.10 and 1.10.3, with the solar constant
//   1.353 kW/m²; the monthly clearness index KT = H / H0, eq. 2.9.1;
// - diffuse fraction: the linear correlation in the monthly clearness index
//   of UNI 8477-1 (1983), Kd = 0.881 - 0.972 KT, used unclamped;
// - beam ratio for a plane of any azimuth: S. A. Klein, "Calculation of
//   monthly average insolation on tilted surfaces", Solar Energy 19 (1977),
//   integrated over the hours the sun is up and in front of the plane, the
//   incidence cosine as in Duffie & Beckman eq. 1.6.2;
// - sky and ground: B. Y. H. Liu, R. C. Jordan, "The long-term average
//   performance of flat-plate solar-energy collectors", Solar Energy 7 (1963),
//   isotropic sky diffuse and isotropic ground reflection: the ratio of daily
//   totals R = (1 - Kd) Rb + Kd (1 + cos beta) / 2 + rho (1 - cos beta) / 2,
//   Duffie & Beckman eq. 2.19.1.
//
// The constants are the method's own near values of pi (0.017453 per degree,
// 6.28308 a turn, 3.14154 a half turn, 3.1415 in the extraterrestrial
// radiation); results must agree to the last digits with the worked examples,
// so each step keeps its constants and its order of evaluation.
#pragma once

#include "calc/errori.h"

namespace fv {

inline constexpr double kGradiRadianti = 0.017453;           // [rad/deg], not pi/180
inline constexpr double kGiro = 6.28308;                      // 360 * 0.017453 [rad]
inline constexpr double kMezzoGiro = 3.14154;                 // 180 * 0.017453 [rad]
inline constexpr double kAmpiezzaDeclinazione = 0.40927284999999997; // 23.45 * 0.017453 [rad]
inline constexpr double kPiExtraterrestre = 3.1415;
inline constexpr double kCostanteSolare = 1.353;              // [kW/m²]
inline constexpr double kMJperKWh = 3.6;

// Sun on the plane over the day: how many spells of sun the plane gets within
// the horizontal day [-ws, ws].
enum class Illuminazione {
    Intervallo,   // one spell, the plane's own crossings clamped to the day
    Sempre,       // the sun is in front of the plane whenever it is up
    Mai,          // the plane faces away from the sun all day
    DueIntervalli // lit early and late, turned away around noon
};

struct Coefficienti {
    double A, B, C; // incidence cosine on the plane: A + B cos w + C sin w
    double D, E;    // on the horizontal: D + E cos w
};

// Every intermediate quantity of one month's evaluation, in the order the
// steps compute them.
struct PassiModello {
    int n = 0;               // day number
    double delta = 0;        // declination [rad]
    double omegaS = 0;       // sunset hour angle on the horizontal [rad]
    Coefficienti k{};        // incidence cosine on the plane and on the horizontal
    double H0 = 0;           // extraterrestrial daily radiation [MJ/m² day]
    double KT = 0;           // clearness index
    double Kd = 0;           // diffuse fraction
    double w1 = 0, w2 = 0;   // roots of the plane's incidence cosine [rad]
    double alba = 0;         // the plane's own sunrise [rad]
    double tramonto = 0;     // the plane's own sunset [rad]
    double omegaSr = 0;      // sunrise on the plane, within the day [rad]
    double omegaSs = 0;      // sunset on the plane, within the day [rad]
    double omegaSr2 = 0;     // second spell, with DueIntervalli only [rad]
    double omegaSs2 = 0;
    Illuminazione illuminazione = Illuminazione::Intervallo;
    double Rb = 0;           // beam ratio plane / horizontal
    double R = 0;            // ratio of daily totals plane / horizontal
    double valore = 0;       // mean daily radiation on the plane [kWh/m² day]
};

// The site and the plane, with the functions of their angles that every
// month uses: latitude phi, tilt beta and azimuth gamma [rad] (azimuth from
// south, positive toward west), ground reflectance rho.
struct Piano {
    double phi, beta, gamma, rho;
    double sinPhi, cosPhi, tanPhi;
    double sinBeta, cosBeta;
    double sinGamma, cosGamma;
};
Piano CreaPiano(double phi, double beta, double gamma, double rho);

// The sun on the month's representative day: day number, declination [rad]
// with its functions, and the Earth-Sun distance factor of the
// extraterrestrial radiation. The same for every site: computed once per month.
struct Sole {
    int n;
    double delta, sinDelta, cosDelta, tanDelta;
    double distanza; // 1 + 0.033 cos(360 n / 365)
};
Sole SoleDelGiorno(int n, double delta);
const Sole& SoleDelMese(int mese); // mese 1..12

// One function per step. mese (1..12) only names the month in an error.
int NumeroGiorno(int mese);
double Declinazione(int n, int mese);
double AngoloOrarioTramonto(const Sole& sole, const Piano& piano, int mese);
Coefficienti CoefficientiPiano(const Sole& sole, const Piano& piano, int mese);
double RadiazioneExtraterrestre(const Sole& sole, double omegaS, const Coefficienti& k, int mese);
double IndiceSerenita(double H, double H0, int mese);
double FrazioneDiffusa(double KT, int mese);
// Sets w1, w2, alba, tramonto, omegaSr, omegaSs, illuminazione of p from p.k and p.omegaS.
void IncrociPiano(PassiModello& p, int mese);
double RapportoDiretta(const PassiModello& p, int mese);
double RapportoTotale(const Piano& piano, double Kd, double Rb, int mese);

// The whole month, with H the mean daily horizontal radiation [kWh/m² day].
// Throws ErroreAritmetico.
PassiModello PassiRadiazioneInclinata(int mese, const Piano& piano, double H);
double CalcolaRadiazioneInclinata(int mese, const Piano& piano, double H);

} // namespace fv
