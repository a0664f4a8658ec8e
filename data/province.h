// SPDX-License-Identifier: MIT
// Italy's provinces with their region, the electricity market's zone and the
// community premium's area: the dataset's province.csv, built into the
// program. Plain C++.
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

} // namespace fv
