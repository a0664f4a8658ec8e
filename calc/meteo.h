// SPDX-License-Identifier: MIT
// A year of hourly weather from a file an installer brings: a PVGIS typical
// year (CSV, JSON or EPW), a PVGIS hourly series of one year (CSV or JSON,
// horizontal components), or any EPW file; and a horizon profile.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace fv {

// One hour of the file. Its day is the file's own (year, month 1..12, day);
// `inizioUtc` is the hour it stands for, [inizioUtc, inizioUtc + 1) hours
// UTC from that day's 0:00 (-1 for an hour of the day before, as a local
// file's first hour is); `istanteUtc` the instant its irradiance is taken
// at, for the sun's position.
struct OraMeteo {
    int anno = 0, mese = 1, giorno = 1;
    int inizioUtc = 0;
    double istanteUtc = 0.5;
    double ghi = 0, dni = 0, dhi = 0; // global and diffuse horizontal, beam normal [W/m²]
    double temperatura = 15;          // air at 2 m [°C]
    double vento = 1;                 // at 10 m [m/s]
    // A PVGIS series on a tilted plane gives the plane's beam, diffuse and
    // reflected irradiance [W/m²] instead of the horizontal components.
    bool piano = false;
    double fascioPiano = 0, diffusaPiano = 0, riflessaPiano = 0;
};

struct AnnoMeteo {
    std::string formato;   // "PVGIS anno tipo (CSV)", "EPW", ...
    std::string fonte;     // the file's own words on where the data come from
    double latitudine = 0, longitudine = 0, quota = 0;
    std::vector<std::pair<int, int>> mesiAnni; // (month, year) of a typical year, where the file says
    // The plane of a series given on a tilted plane: tilt and azimuth [deg],
    // the azimuth from south, positive toward west (PVGIS's and the window's).
    bool suPiano = false;
    double tiltPiano = 0, azimutPiano = 0;
    std::vector<OraMeteo> ore;                 // 8,760 or 8,784, in the file's order
};

// A file that cannot be read as a weather year: its line (0 when it is not
// one line's fault) and what is wrong, in Italian.
class ErroreMeteo : public std::runtime_error {
public:
    ErroreMeteo(int riga, const std::string& messaggio);
    int riga() const noexcept { return riga_; }

private:
    int riga_;
};

// The largest weather file read [bytes]: a year's EPW is under 2 MB, a
// PVGIS year in JSON under 2 MB.
inline constexpr long long kDimensioneMassimaMeteo = 16ll * 1024 * 1024;

// Reads a weather year from a file's text, whatever of the formats above it
// (and a PVGIS series on a tilted plane, whose plane the plant must share)
// is (told by its content, not its name). Irradiance must lie in 0..1,500
// W/m² (a PVGIS "-0.0" is 0), temperature in -60..60 °C, wind in 0..75 m/s;
// the hours must be a whole year, each month and day once. Throws ErroreMeteo.
AnnoMeteo LeggiMeteo(const std::string& testo);

// A horizon: the obstruction's elevation [deg] by azimuth [deg, clockwise
// from north], at evenly or unevenly spaced azimuths, read around the circle.
struct Orizzonte {
    std::vector<std::pair<double, double>> punti; // (azimuth from north, elevation), increasing azimuth
    bool Vuoto() const { return punti.empty(); }
    double Elevazione(double azimutDaNord) const;
    // The share of the isotropic sky diffuse on a horizontal plane the
    // profile leaves: the mean over azimuth of cos²(elevation).
    double VistaDelCielo() const;
};

// A horizon file: PVGIS's own export (CSV "A H_hor" with azimuth from south,
// 0 = S, 90 = W, -90 = E, or its JSON), pvlib's CSV (horizon_azimuth,
// horizon_elevation, from north), or typed pairs "azimut:elevazione" from
// north separated by blanks, commas or semicolons. Elevations 0..90°.
// Throws ErroreMeteo.
Orizzonte LeggiOrizzonte(const std::string& testo);

} // namespace fv
