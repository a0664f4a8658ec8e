// SPDX-License-Identifier: MIT
// The sun's position from the Almanac's low-precision solar coordinates.
#include "calc/sole.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fv {

namespace {

constexpr double kGradi = 180 / std::numbers::pi;

double Normalizza(double gradi, double giro)
{
    const double r = std::fmod(gradi, giro);
    return r < 0 ? r + giro : r;
}

double Sin(double gradi) { return std::sin(gradi / kGradi); }
double Cos(double gradi) { return std::cos(gradi / kGradi); }

} // namespace

double GiornoGiuliano(int anno, int mese, int giorno, double oraUtc)
{
    // Meeus, "Astronomical Algorithms" (1998), eq. 7.1, Gregorian calendar.
    if (mese <= 2) {
        anno -= 1;
        mese += 12;
    }
    const int a = anno / 100;
    const int b = 2 - a + a / 4;
    return std::floor(365.25 * (anno + 4716)) + std::floor(30.6001 * (mese + 1)) + giorno + b - 1524.5 + oraUtc / 24;
}

PosizioneSole PosizioneDelSole(double jd, double latitudine, double longitudine, double pressione, double temperatura)
{
    // Days from J2000.0 (Michalsky 1988, "time").
    const double n = jd - 2451545.0;
    // Mean longitude and mean anomaly [deg], ecliptic longitude and obliquity.
    const double L = Normalizza(280.460 + 0.9856474 * n, 360);
    const double g = Normalizza(357.528 + 0.9856003 * n, 360);
    const double lambda = Normalizza(L + 1.915 * Sin(g) + 0.020 * Sin(2 * g), 360);
    const double epsilon = 23.439 - 0.0000004 * n;
    // Right ascension and declination [deg].
    const double ascensione = Normalizza(std::atan2(Cos(epsilon) * Sin(lambda), Cos(lambda)) * kGradi, 360);
    const double declinazione = std::asin(Sin(epsilon) * Sin(lambda)) * kGradi;
    // Greenwich mean sidereal time [h]: the day fraction is in n.
    const double frazione = jd + 0.5 - std::floor(jd + 0.5);
    const double gmst = Normalizza(6.697375 + 0.0657098242 * n + 24 * frazione, 24);
    const double lmst = Normalizza(gmst + longitudine / 15, 24);
    const double orario = Normalizza(lmst * 15 - ascensione + 180, 360) - 180; // hour angle [-180, 180)
    // Elevation and azimuth, geocentric.
    const double sinE = Sin(declinazione) * Sin(latitudine) + Cos(declinazione) * Cos(latitudine) * Cos(orario);
    double e = std::asin(std::clamp(sinE, -1.0, 1.0)) * kGradi;
    const double az = std::atan2(-Cos(declinazione) * Sin(orario),
                                 Sin(declinazione) * Cos(latitudine) - Cos(declinazione) * Sin(latitudine) * Cos(orario));
    // Topocentric: the parallax of a sun at 1 AU.
    e -= 8.794 / 3600 * Cos(e);
    // Refraction (Reda & Andreas 2004, eq. 42), while the sun is near or above the horizon.
    if (e > -1)
        e += pressione / 1010 * 283 / (273 + temperatura) * 1.02 / (60 * std::tan((e + 10.3 / (e + 5.11)) / kGradi));
    PosizioneSole p;
    p.elevazione = e;
    p.zenit = 90 - e;
    p.azimut = Normalizza(az * kGradi, 360);
    // Earth-sun distance from the mean anomaly [AU] (the Almanac's R).
    const double r = 1.00014 - 0.01671 * Cos(g) - 0.00014 * Cos(2 * g);
    p.distanza2 = 1 / (r * r);
    return p;
}

} // namespace fv
