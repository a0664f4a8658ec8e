// SPDX-License-Identifier: MIT
// Every orientation of the plane at one site: the annual radiation on the
// plane for each whole tilt 0..90° and azimuth -180..180°, with the model
// exactly as the CALCOLA command uses it, and the best of them.
#pragma once

#include "calc/serie.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace fv {

class MappaOrientamenti {
public:
    static constexpr int kTiltMassimo = 90;
    static constexpr int kAzimutMinimo = -180;
    static constexpr int kAzimutMassimo = 180;
    static constexpr int kAzimut = kAzimutMassimo - kAzimutMinimo + 1;

    // latitudine [deg] and riflettanza as the command reads them; the
    // horizontal series [kWh/m² day] and the days of the months. Runs on
    // every core. Throws the model's ErroreAritmetico.
    MappaOrientamenti(double latitudine, double riflettanza, const MonthlySeries& radOriz,
                      const GiorniMese& giorni);

    // Annual radiation on the plane [kWh/m² year].
    double Annuo(int tilt, int azimut) const
    {
        return annuo_[static_cast<std::size_t>(tilt * kAzimut + azimut - kAzimutMinimo)];
    }
    double massimo() const { return massimo_; }
    double minimo() const { return minimo_; }
    int tiltOttimo() const { return tiltOttimo_; }
    int azimutOttimo() const { return azimutOttimo_; }

private:
    std::vector<double> annuo_;
    double massimo_ = 0;
    double minimo_ = 0;
    int tiltOttimo_ = 0;
    int azimutOttimo_ = 0;
};

// The annual radiation on the plane [kWh/m² year] for one orientation
// [deg], as the command computes its annual plane total.
double AnnuoSulPiano(double latitudine, double tilt, double azimut, double riflettanza,
                     const MonthlySeries& radOriz, const GiorniMese& giorni);

// The same for a site whose data may not belong together: empty when the
// latitude or any month's clearness index fails the command's checks.
std::optional<double> AnnuoSulPianoCoerente(double latitudine, double tilt, double azimut, double riflettanza,
                                            const MonthlySeries& radOriz, const GiorniMese& giorni);

} // namespace fv
