// SPDX-License-Identifier: MIT
// The provinces' table, read once from the text built into the program.
#include "data/province.h"

#include "data/csv.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

namespace fv {

extern const char* const kProvinceCsv; // generated from data/dataset/province.csv

namespace {

std::map<std::string, Provincia> Leggi()
{
    std::map<std::string, Provincia> tutte;
    const std::vector<RigaCsv> righe = LeggiCsv(kProvinceCsv, ',');
    for (std::size_t r = 1; r < righe.size(); ++r) {
        const RigaCsv& c = righe[r];
        if (c.size() != 4)
            throw std::runtime_error("province.csv, riga " + std::to_string(r + 1) + ": servono 4 campi.");
        const AreaPremio area = c[3] == "nord" ? AreaPremio::Nord : c[3] == "centro" ? AreaPremio::Centro : AreaPremio::Altre;
        tutte[c[0]] = {c[0], c[1], c[2], area};
    }
    return tutte;
}

} // namespace

std::optional<Provincia> ProvinciaDi(const std::string& sigla)
{
    static const std::map<std::string, Provincia> tutte = Leggi();
    std::string chiave = sigla;
    std::transform(chiave.begin(), chiave.end(), chiave.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    const auto i = tutte.find(chiave);
    return i == tutte.end() ? std::nullopt : std::optional<Provincia>(i->second);
}

} // namespace fv
