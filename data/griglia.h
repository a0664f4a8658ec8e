// SPDX-License-Identifier: MIT
// A grid of monthly mean daily insolation on a horizontal surface in NASA
// SSE's text format [kWh/m² day], and its value at any point inside it.
// Plain C++: the dataset builder and the tests use it, the program does not.
#pragma once

#include <array>
#include <istream>
#include <string>
#include <vector>

namespace fv {

using MesiGriglia = std::array<double, 12>;

// The rows "Lat Lon Jan ... Dec Ann" name a 1°×1° cell by its south-west
// corner and give the cell's mean; that mean is taken as the value at the
// cell's centre, half a degree north and east of the corner. The cells must
// fill a rectangle, each once.
class GrigliaRadiazione {
public:
    // Reads NASA's text: header lines up to the "Lat Lon" line, then the
    // rows. Throws std::runtime_error, naming the line, on anything else.
    static GrigliaRadiazione Leggi(std::istream& in);

    // Bilinear interpolation between the four cell centres around the
    // point [deg N, deg E]. Throws std::out_of_range when the point does not
    // lie between four centres of the grid.
    MesiGriglia Interpola(double latitudine, double longitudine) const;

    int latMin() const { return latMin_; }
    int lonMin() const { return lonMin_; }
    int righe() const { return righe_; }
    int colonne() const { return colonne_; }

private:
    const MesiGriglia& Cella(int riga, int colonna) const;

    int latMin_ = 0; // south-west corner of the south-west cell [deg]
    int lonMin_ = 0;
    int righe_ = 0;  // cells from south to north
    int colonne_ = 0; // cells from west to east
    std::vector<MesiGriglia> celle_; // row by row from the south-west
};

} // namespace fv
