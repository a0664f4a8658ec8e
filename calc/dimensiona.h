// SPDX-License-Identifier: MIT
// Which plant and which battery: the cash flow of every size of plant and of
// battery on a grid, for one household's hours and one site's production.
#pragma once

#include "calc/economia.h"
#include "calc/falde.h"

#include <atomic>
#include <optional>
#include <vector>

namespace fv {

// The grid: plant sizes from 1 kWp up to `potenzaMax` [kWp] in steps of
// `passoPotenza`, batteries from 0 up to `batteriaMax` [kWh usable] in steps
// of `passoBatteria`; the current plant and battery added where they fall
// between the steps, so that the grid holds them.
struct LimitiDimensioni {
    double potenzaMax = 10, passoPotenza = 1;
    double batteriaMax = 20, passoBatteria = 2;
    std::optional<double> potenzaAttuale, batteriaAttuale;
};
inline constexpr double kPotenzaMassimaCasa = 100;  // [kWp] beyond a home's roof
inline constexpr double kBatteriaMassimaCasa = 100; // [kWh]

struct CellaDimensioni {
    double potenza = 0, batteria = 0;
    double van = 0;                    // [EUR]
    std::optional<double> tir, ritorno; // IRR, simple payback [years]
    double investimento = 0;
    double autosufficienza = 0;        // share of consumption covered, first year
    double produzione = 0;             // first year [kWh]
    std::vector<double> falde;         // each face's share of the plant [kWp], in the faces' order
    double inverter = 0;               // [kW], 0: no limit
    double tagliata = 0;               // lost at the inverter's limit, first year [kWh]
};

struct GrigliaDimensioni {
    std::vector<double> potenze, batterie;
    std::vector<CellaDimensioni> celle; // by power, then battery
    std::size_t migliore = 0;           // the cell of the highest NPV
    const CellaDimensioni& Cella(std::size_t p, std::size_t b) const { return celle[p * batterie.size() + b]; }
    // The best battery for each size of plant, and the row without one.
    std::vector<std::size_t> MiglioreBatteriaPerPotenza() const;
};

// The sizes of a grid; throws std::invalid_argument naming the field and
// its range (a maximum of zero or beyond a home's, a step of zero).
std::vector<double> PassiDimensioni(double massimo, double passo, double primo, const char* campo, double limite);

// The plant a grid varies: each face's hours at its typed power, the order
// the roof is filled in, and the inverter: none (no limit at any size), the
// typed one for every size, or one that grows with the plant keeping the
// typed plant's DC/AC ratio.
struct ImpiantoDaDimensionare {
    std::vector<std::vector<Ore>> falde;  // [kWh] per clock hour at each face's typed power
    std::vector<double> potenze;          // each face's typed power [kWp]
    std::vector<CapacitaFalda> ordine;    // OrdineDiRiempimento
    std::optional<double> inverter;       // [kW]
    bool inverterFisso = false;
    // The most the roof takes [kWp]: infinite without a face's limit.
    double Capacita() const;
    // The inverter of a plant of `potenza` [kWp].
    std::optional<double> InverterDi(double potenza) const;
};

// Every cell: the year's balance of that plant (its faces filled in order,
// each face's hours scaled to its share, summed and cut at the size's
// inverter) with that battery, then its cash flow with the costs of its
// sizes. The typed plant's own size keeps its typed faces. Sizes beyond the
// roof's capacity are left out. Throws as the overload below.
GrigliaDimensioni Dimensiona(const ImpiantoDaDimensionare& impianto, const std::vector<Ore>& consumo,
                             const Calendario& calendario, const Batteria& modello,
                             const std::vector<Parametro>& parametri, const Famiglia& famiglia,
                             const LimitiDimensioni& limiti, const std::atomic<bool>* annulla = nullptr);

// One face without a limit of its own and no inverter's limit.
// Every cell: the year's balance of that plant (the production of the plant
// of `potenzaBase` scaled to its size) with that battery (its ageing read
// from balances at 60 and 80 % of its capacity, as for one plant), then its
// cash flow with the costs of its sizes. The sizes are shared among the
// cores; `annulla`, when set, stops the work (the result is then empty).
GrigliaDimensioni Dimensiona(const std::vector<Ore>& produzione, double potenzaBase, const std::vector<Ore>& consumo,
                             const Calendario& calendario, const Batteria& modello,
                             const std::vector<Parametro>& parametri, const Famiglia& famiglia,
                             const LimitiDimensioni& limiti, const std::atomic<bool>* annulla = nullptr);

} // namespace fv
