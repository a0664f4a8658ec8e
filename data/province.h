// SPDX-License-Identifier: MIT
// Italy's provinces with their region, the electricity market's zone and the
// community premium's area, and the comuni's population: the dataset's
// province.csv and popolazione.csv, built into the program. Plain C++.
#pragma once

#include "calc/economia.h"

#include <optional>
#include <string>

namespace fv {

struct Provincia {
    std::string sigla, regione, zonaMercato; // zone: NORD, CNOR, CSUD, SUD, CALA, SICI, SARD
    AreaPremio area = AreaPremio::Altre;
};

// The province of a sigla ("MI"), ignoring case; empty when unknown.
std::optional<Provincia> ProvinciaDi(const std::string& sigla);

// A comune's resident population at the 2011 census (ISTAT, the dataset's
// popolazione.csv), by province and name as the site data write them,
// ignoring ASCII case; empty for a comune born after 2020 or unknown.
std::optional<int> PopolazioneDi(const std::string& sigla, const std::string& comune);
// The census the population is from.
inline constexpr int kAnnoPopolazione = 2011;

} // namespace fv
