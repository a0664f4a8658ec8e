// SPDX-License-Identifier: MIT
// The economic parameters' default rows: the dataset's parametri.csv
// (nome, valore, dal, al, fonte), built into the program, joined with the
// declarations of calc/economia.h. Plain C++.
#pragma once

#include "calc/economia.h"
#include "calc/incertezza.h"

#include <string>
#include <vector>

namespace fv {

// Every row of the dataset, in its order; a name may have several rows, one
// per period. Throws std::runtime_error for a row the declarations do not
// know or cannot hold (the tests read the whole dataset at build time).
std::vector<Parametro> ParametriPredefiniti();
// The parameters' plausible lows and highs, from the dataset's
// intervalli.csv built into the program (checked once).
const std::vector<IntervalloParametro>& IntervalliPredefiniti();

// The rows of a parameters text in the dataset's form, joined with the
// declarations; `file` names it in messages.
std::vector<Parametro> ParametriDaCsv(const std::string& testo, const std::string& file);

// Periods of one name that overlap, or leave a gap between the first and
// the last: the first fault said, empty when none. Rows of other names are
// ignored.
std::string ControllaPeriodi(const std::vector<Parametro>& righe);

} // namespace fv
