// SPDX-License-Identifier: MIT
// NASA SSE's monthly radiation grid, read and interpolated at a comune.
#include "data/griglia.h"

#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace fv {

namespace {

struct RigaGriglia {
    int lat = 0;
    int lon = 0;
    MesiGriglia mesi{};
};

RigaGriglia LeggiRiga(const std::string& testo, int numero)
{
    std::istringstream in(testo);
    in.imbue(std::locale::classic());
    RigaGriglia r;
    std::vector<std::string> campi;
    for (std::string campo; in >> campo;)
        campi.push_back(campo);
    const auto errore = [&] {
        return std::runtime_error("grid line " + std::to_string(numero)
                                  + ": not \"Lat Lon\", twelve months and the year");
    };
    if (campi.size() != 15)
        throw errore();
    try {
        const auto intero = [](const std::string& t) {
            const double v = fv::LeggiNumeroFile(t, fv::Campo::Latitudine);
            if (v != std::trunc(v))
                throw fv::ErroreConversione(fv::Campo::Latitudine, t, fv::ErroreConversione::Motivo::NonNumero);
            return static_cast<int>(v);
        };
        r.lat = intero(campi[0]);
        r.lon = intero(campi[1]);
        for (std::size_t m = 0; m < 12; ++m)
            r.mesi[m] = fv::LeggiNumeroFile(campi[m + 2], fv::Campo::ComuneRadiazione);
        fv::LeggiNumeroFile(campi[14], fv::Campo::ComuneRadiazione);
    } catch (const fv::ErroreConversione&) {
        throw errore();
    }
    for (double v : r.mesi) {
        if (!(v >= 0 && v < 15))
            throw std::runtime_error("grid line " + std::to_string(numero) + ": value out of range");
    }
    return r;
}

} // namespace

GrigliaRadiazione GrigliaRadiazione::Leggi(std::istream& in)
{
    std::string testo;
    int numero = 0;
    bool intestazione = true;
    std::map<std::pair<int, int>, MesiGriglia> celle;
    while (std::getline(in, testo)) {
        ++numero;
        if (!testo.empty() && testo.back() == '\r')
            testo.pop_back();
        if (intestazione) {
            intestazione = testo.rfind("Lat Lon Jan", 0) != 0;
            continue;
        }
        if (testo.empty())
            continue;
        const RigaGriglia r = LeggiRiga(testo, numero);
        if (!celle.emplace(std::pair(r.lat, r.lon), r.mesi).second)
            throw std::runtime_error("grid line " + std::to_string(numero) + ": cell given twice");
    }
    if (celle.empty())
        throw std::runtime_error("no grid rows after a \"Lat Lon Jan ...\" header");

    GrigliaRadiazione g;
    int latMax = celle.begin()->first.first;
    int lonMax = celle.begin()->first.second;
    g.latMin_ = latMax;
    g.lonMin_ = lonMax;
    for (const auto& [chiave, mesi] : celle) {
        g.latMin_ = std::min(g.latMin_, chiave.first);
        latMax = std::max(latMax, chiave.first);
        g.lonMin_ = std::min(g.lonMin_, chiave.second);
        lonMax = std::max(lonMax, chiave.second);
    }
    g.righe_ = latMax - g.latMin_ + 1;
    g.colonne_ = lonMax - g.lonMin_ + 1;
    if (static_cast<std::size_t>(g.righe_) * static_cast<std::size_t>(g.colonne_) != celle.size())
        throw std::runtime_error("the grid's cells do not fill a rectangle");
    for (const auto& [chiave, mesi] : celle) // the map is ordered by latitude, then longitude
        g.celle_.push_back(mesi);
    return g;
}

const MesiGriglia& GrigliaRadiazione::Cella(int riga, int colonna) const
{
    return celle_[static_cast<std::size_t>(riga * colonne_ + colonna)];
}

MesiGriglia GrigliaRadiazione::Interpola(double latitudine, double longitudine) const
{
    // Position in cell-centre units: 0 at the centre of the south-west cell.
    const double y = latitudine - (latMin_ + 0.5);
    const double x = longitudine - (lonMin_ + 0.5);
    if (!(y >= 0 && y <= righe_ - 1 && x >= 0 && x <= colonne_ - 1)) {
        std::ostringstream m;
        m.imbue(std::locale::classic());
        m << "point " << latitudine << " N " << longitudine << " E lies outside the grid's cell centres ("
          << latMin_ + 0.5 << "-" << latMin_ + righe_ - 0.5 << " N, " << lonMin_ + 0.5 << "-"
          << lonMin_ + colonne_ - 0.5 << " E)";
        throw std::out_of_range(m.str());
    }
    // On the north or east edge the last pair of centres is used.
    const int r = std::min(static_cast<int>(std::floor(y)), std::max(righe_ - 2, 0));
    const int c = std::min(static_cast<int>(std::floor(x)), std::max(colonne_ - 2, 0));
    const double fy = y - r;
    const double fx = x - c;
    const int r1 = std::min(r + 1, righe_ - 1);
    const int c1 = std::min(c + 1, colonne_ - 1);
    MesiGriglia v{};
    for (std::size_t m = 0; m < 12; ++m) {
        const double sud = Cella(r, c)[m] * (1 - fx) + Cella(r, c1)[m] * fx;
        const double nord = Cella(r1, c)[m] * (1 - fx) + Cella(r1, c1)[m] * fx;
        v[m] = sud * (1 - fy) + nord * fy;
    }
    return v;
}

} // namespace fv
