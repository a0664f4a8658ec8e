// SPDX-License-Identifier: MIT
// A plant on several faces of a roof ("falde"), each with its own tilt,
// azimuth and peak power, on one inverter whose AC power limit cuts the
// faces' summed output hour by hour ("clipping").
#pragma once

#include "calc/calendario.h"
#include "calc/orario.h"
#include "calc/serie.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fv {

struct Falda {
    double tilt = 30, azimut = 0;  // [deg], azimuth from south, positive toward west
    double potenza = 1;            // peak power [kWp]
    std::optional<double> area;    // usable area [m²], for the sizing
    double ombra = 0;              // near shading (chimneys, dormers, trees) [% of the face's energy]
    bool operator==(const Falda&) const = default;
};

// A home's roof has at most four faces (a hipped roof).
inline constexpr std::size_t kFaldeMassime = 4;

// The ranges a face's and the inverter's inputs are accepted in.
struct LimiteFalda {
    double minimo, massimo;
    const char* unita;
};
inline constexpr LimiteFalda kTiltFalda{0, 90, "°"}, kAzimutFalda{-180, 180, "°"}, kPotenzaFalda{0.1, 1000, "kWp"},
    kAreaFalda{1, 10000, "m²"}, kOmbraFalda{0, 90, "%"};
// An inverter's AC power [kW]: above zero and at most ten times the faces'
// peak (beyond, a typo: a plant is never built that way).
inline constexpr double kInverterMassimoSuPicco = 10;

// A face's or the inverter's input out of its range: which face (1 = the
// window's plane; 0 for the inverter or the count of faces), which field
// and the sentence that says the range.
class ErroreFalda : public std::runtime_error {
public:
    ErroreFalda(std::size_t falda, std::string campo, const std::string& messaggio)
        : std::runtime_error(messaggio), falda_(falda), campo_(std::move(campo)) {}
    std::size_t falda() const noexcept { return falda_; }
    const std::string& campo() const noexcept { return campo_; }

private:
    std::size_t falda_;
    std::string campo_;
};

// Checks one to four faces and the inverter (none: no limit). Throws ErroreFalda.
void VerificaFalde(const std::vector<Falda>& falde, const std::optional<double>& inverter);

// A face typed as "TILT:AZIMUT:KWP", the decimal comma or point accepted in
// each value ("30:-90:3,5"). Throws ErroreFalda naming the field.
Falda LeggiFalda(const std::string& testo, std::size_t numero);

// The faces' peak power summed [kWp].
double PotenzaDiPicco(const std::vector<Falda>& falde);

// A face's monthly energy [kWh] by the window's own monthly model: its
// plane's mean daily radiation from the site's horizontal series, times the
// month's days, the face's peak power, the generator's losses and the
// inverter's efficiency, less its near shading.
struct MesiFalda {
    MonthlySeries radInc{};            // [kWh/m² day]
    std::array<double, 12> energia{};  // [kWh]
};
MesiFalda MesiDellaFalda(const Falda& f, double latitudine, double riflettanza, const MonthlySeries& radOriz,
                         std::int16_t perdite, std::int16_t efficienza);

// The plant's hours: each face's AC output before the inverter's limit, and
// the sum after it. Above the limit [kW, so kWh in the hour] the excess is
// lost; an hour below it is the plain sum (a single face untouched).
struct ProduzioneFalde {
    std::vector<std::vector<Ore>> falde;      // [kWh] per clock hour, each face
    std::vector<Ore> ore;                     // the plant's after the limit [kWh]
    std::vector<std::array<double, 12>> mesiFalde; // each face's months [kWh]
    std::array<double, 12> tagliataMesi{};    // lost at the limit [kWh]
    double tagliata = 0;                      // [kWh]
    std::optional<double> inverter;           // [kW]
};
ProduzioneFalde LimiteInverter(std::vector<std::vector<Ore>> falde, const std::optional<double>& inverter,
                               const Calendario& calendario);

// The order a sizing fills the roof in: the faces by their yield per kWp,
// the best first; each face's capacity [kWp] its area times the power
// density when an area is given, else its typed power; a single face
// without an area has no limit of its own.
struct CapacitaFalda {
    std::size_t indice = 0;  // in the plant's faces
    double resa = 0;         // [kWh/kWp] in the year, after its shading
    double capacita = 0;     // [kWp], infinite without a limit
};
std::vector<CapacitaFalda> OrdineDiRiempimento(const std::vector<Falda>& falde, const std::vector<double>& energiaAnno,
                                               double densita);
// A plant of `potenza` [kWp] on the roof: each face's share [kWp, in the
// faces' own order], filled in the order given; less than `potenza` in all
// when the roof is full.
std::vector<double> Riempi(const std::vector<CapacitaFalda>& ordine, std::size_t falde, double potenza);

} // namespace fv
