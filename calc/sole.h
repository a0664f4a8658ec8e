// SPDX-License-Identifier: MIT
// Where the sun is, seen from a site, at an instant of Universal Time.
#pragma once

namespace fv {

// The Julian day of a civil date (Gregorian) at `oraUtc` hours, which may be
// negative or past 24 (the previous or the next day).
double GiornoGiuliano(int anno, int mese, int giorno, double oraUtc);

struct PosizioneSole {
    double zenit = 90;      // apparent (refracted) zenith angle [deg]
    double azimut = 180;    // [deg] clockwise from north (east 90, south 180)
    double elevazione = 0;  // 90 - zenith [deg]
    double distanza2 = 1;   // (mean distance / distance)²: scales the extraterrestrial irradiance
};

// The sun's apparent position by the Astronomical Almanac's solar
// coordinates (as in J. J. Michalsky, "The Astronomical Almanac's algorithm
// for approximate solar position (1950-2050)", Solar Energy 40 (1988)
// 227-235: precise to 0.01° in 1950-2050), with the topocentric parallax
// (8.794" x cos e) and the refraction of I. Reda and A. Andreas, "Solar
// position algorithm for solar radiation applications", NREL/TP-560-34302
// (2004), eq. 42, at pressure `pressione` [mbar] and temperature
// `temperatura` [°C]. Latitude north, longitude east [deg].
PosizioneSole PosizioneDelSole(double giornoGiuliano, double latitudine, double longitudine, double pressione = 1010,
                               double temperatura = 10);

} // namespace fv
