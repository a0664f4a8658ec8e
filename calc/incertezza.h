// SPDX-License-Identifier: MIT
// How sure the answer is: the NPV with each uncertain parameter at its low
// and its high (a tornado), and a Monte Carlo over the parameters' ranges
// and the weather of each year, giving P10, P50 and P90.
#pragma once

#include "calc/economia.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fv {

// A parameter's plausible low and high, with where they come from.
struct IntervalloParametro {
    std::string nome;
    double basso = 0, alto = 0;
    std::string fonte;
};

// Checks a set of ranges against the declared parameters: a known name once,
// low <= high, both within the parameter's range. Throws ErroreParametro.
void VerificaIntervalli(const std::vector<IntervalloParametro>& intervalli);

// The cash flow of one set of parameters and, when given, of the weather's
// factor on each year's production (index t = 1..N; 1 is the mean year).
using Valutazione = std::function<Convenienza(const std::vector<Parametro>&, const std::vector<double>* meteo)>;

struct BarraTornado {
    std::string nome;
    double basso = 0, alto = 0;       // the parameter's ends
    double vanBasso = 0, vanAlto = 0; // NPV with the parameter at each end [EUR]
    double Escursione() const { return std::abs(vanAlto - vanBasso); }
};

// The long-term production's own uncertainty, common to every year of a
// draw: the resource's (the comune's climatology, or a satellite year of the
// site when a weather file drove the figures) and the model's, as one
// standard deviation [fraction] (their quadrature sum).
double IncertezzaProduzione(const std::vector<Parametro>& parametri, bool annoDaFile);

// The tornado's bar of the production: "produzione", its factor at P90 and
// P10 of the common uncertainty (1 ∓ 1.2816 σ).
inline constexpr const char* kBarraProduzione = "produzione";

// One bar per parameter whose range is not a point, and one for the
// production, the widest first. A range is widened to hold the value in use.
std::vector<BarraTornado> Tornado(const Valutazione& valuta, const std::vector<Parametro>& parametri,
                                  const std::vector<IntervalloParametro>& intervalli, bool annoDaFile = false);

// PX: the value reached or beaten in X draws out of 100 (P90 the prudent
// figure: the lowest NPV, the longest payback, but for one draw in ten).
struct Percentili {
    double p10 = 0, p50 = 0, p90 = 0;
};

struct EsitoMonteCarlo {
    int estrazioni = 0;
    Percentili van;                               // [EUR]
    // The payback: +infinity where a draw does not pay back by the horizon.
    Percentili ritorno;                           // [years]
    std::vector<Percentili> cumulato;             // the cumulative cash flow by year t = 0..N [EUR]
    // The production as a factor of the expected year's: of one year, and
    // the mean over the horizon (P90 the lower, as reports give it).
    Percentili energiaAnno, energiaMedia;
};

// `estrazioni` draws with a fixed seed (the same figures at every run):
// each uncertain parameter from a triangular distribution (its low, the
// value in use, its high); a factor common to all years, normal of mean 1
// and standard deviation IncertezzaProduzione; each year's weather factor
// on it, normal of mean 1 and standard deviation `variabilita_meteo` %
// (each bounded to 0.5..1.5). Percentiles by linear interpolation between ranks.
EsitoMonteCarlo MonteCarlo(const Valutazione& valuta, const std::vector<Parametro>& parametri,
                           const std::vector<IntervalloParametro>& intervalli, int estrazioni = 1000, unsigned seme = 20261208,
                           bool annoDaFile = false);

// The q-th percentile (0..100) of values, linear between ranks.
double Percentile(std::vector<double> valori, double q);

} // namespace fv
