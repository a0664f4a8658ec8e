// SPDX-License-Identifier: MIT
// The provinces' table, read once from the text built into the program.
#include "data/province.h"

#include "data/csv.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

namespace fv {

extern const char* const kProvinceCsv;    // generated from data/dataset/province.csv
extern const char* const kPopolazioneRighe[]; // generated from data/dataset/popolazione.csv, a line each
extern const std::size_t kPopolazioneNumeroRighe;

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

std::string Maiuscolo(std::string testo)
{
    std::transform(testo.begin(), testo.end(), testo.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return testo;
}

std::map<std::pair<std::string, std::string>, int> LeggiPopolazione()
{
    std::map<std::pair<std::string, std::string>, int> tutti;
    std::string testo;
    for (std::size_t i = 0; i < kPopolazioneNumeroRighe; ++i)
        testo.append(kPopolazioneRighe[i]).push_back('\n');
    const std::vector<RigaCsv> righe = LeggiCsv(testo, ',');
    for (std::size_t r = 1; r < righe.size(); ++r) {
        const RigaCsv& c = righe[r];
        if (c.size() != 3)
            throw std::runtime_error("popolazione.csv, riga " + std::to_string(r + 1) + ": servono 3 campi.");
        tutti[{Maiuscolo(c[0]), Maiuscolo(c[1])}] = std::stoi(c[2]);
    }
    return tutti;
}

} // namespace

std::optional<Provincia> ProvinciaDi(const std::string& sigla)
{
    static const std::map<std::string, Provincia> tutte = Leggi();
    const auto i = tutte.find(Maiuscolo(sigla));
    return i == tutte.end() ? std::nullopt : std::optional<Provincia>(i->second);
}

std::optional<int> PopolazioneDi(const std::string& sigla, const std::string& comune)
{
    static const std::map<std::pair<std::string, std::string>, int> tutti = LeggiPopolazione();
    const auto i = tutti.find({Maiuscolo(sigla), Maiuscolo(comune)});
    return i == tutti.end() ? std::nullopt : std::optional<int>(i->second);
}

} // namespace fv
