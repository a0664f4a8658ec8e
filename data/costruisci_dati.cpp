// SPDX-License-Identifier: MIT
// Builds data.mdb (an SQLite file) from the dataset:
//   costruisci-dati OUTPUT DATASET_DIR
// Latitudes and surface types come from their CSV files; each comune's twelve
// monthly radiation values are interpolated in NASA's grid at its coordinates.
// The file is written beside OUTPUT and renamed into place, so a failed
// build never leaves a half-written database behind.
#include "data/csv.h"
#include "data/parametri.h"
#include "data/griglia.h"

#include "calc/economia.h"
#include "calc/numeri.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Riga = fv::RigaCsv;

std::vector<Riga> LeggiCsv(const std::string& percorso)
{
    std::ifstream in(percorso, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + percorso);
    std::stringstream ss;
    ss << in.rdbuf();
    std::vector<Riga> righe = fv::LeggiCsv(ss.str(), ',');
    if (righe.empty())
        throw std::runtime_error(percorso + " is empty");
    return righe;
}

void Esegui(sqlite3* db, const std::string& sql)
{
    char* errore = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &errore) != SQLITE_OK) {
        std::string msg = errore ? errore : "unknown error";
        sqlite3_free(errore);
        throw std::runtime_error(msg + " in: " + sql);
    }
}

double Numero(const std::string& testo, const std::string& dove)
{
    try {
        return fv::LeggiNumeroFile(testo, fv::Campo::ComuneRadiazione);
    } catch (const fv::ErroreConversione&) {
        throw std::runtime_error("not a number '" + testo + "' in " + dove);
    }
}

// Inserts the rows after the header; columns listed as numeric become REAL.
void Carica(sqlite3* db, const std::string& tabella, const std::vector<Riga>& righe,
            std::size_t testi)
{
    const Riga& intestazione = righe.front();
    std::string sql = "insert into " + tabella + " values (";
    for (std::size_t i = 0; i < intestazione.size(); ++i)
        sql += i ? ",?" : "?";
    sql += ")";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    for (std::size_t r = 1; r < righe.size(); ++r) {
        const Riga& riga = righe[r];
        if (riga.size() != intestazione.size())
            throw std::runtime_error(tabella + ": row " + std::to_string(r + 1)
                                     + " has the wrong number of fields");
        sqlite3_reset(st);
        for (std::size_t i = 0; i < riga.size(); ++i) {
            const int p = static_cast<int>(i) + 1;
            if (i < testi)
                sqlite3_bind_text(st, p, riga[i].c_str(), static_cast<int>(riga[i].size()),
                                  SQLITE_TRANSIENT);
            else
                sqlite3_bind_double(st, p, Numero(riga[i], tabella + " row " + std::to_string(r + 1)));
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    sqlite3_finalize(st);
}

std::size_t Colonna(const Riga& intestazione, const std::string& nome, const std::string& file)
{
    for (std::size_t i = 0; i < intestazione.size(); ++i) {
        if (intestazione[i] == nome)
            return i;
    }
    throw std::runtime_error(file + " has no column " + nome);
}

const std::string kDettaglio = "latitudini_dettaglio.csv";
using Coordinate = std::map<std::pair<std::string, std::string>, std::pair<double, double>>;

// Latitude and longitude of each (provincia, comune) [deg].
Coordinate LeggiCoordinate(const std::vector<Riga>& dettaglio)
{
    const Riga& testa = dettaglio.front();
    const std::size_t cp = Colonna(testa, "provincia", kDettaglio), cc = Colonna(testa, "comune", kDettaglio);
    const std::size_t clat = Colonna(testa, "latitudine", kDettaglio), clon = Colonna(testa, "longitudine", kDettaglio);
    Coordinate coordinate;
    for (std::size_t r = 1; r < dettaglio.size(); ++r) {
        const Riga& d = dettaglio[r];
        const std::string dove = kDettaglio + " row " + std::to_string(r + 1);
        if (d.size() != testa.size())
            throw std::runtime_error(dove + " has the wrong number of fields");
        coordinate[{d[cp], d[cc]}] = {Numero(d[clat], dove), Numero(d[clon], dove)};
    }
    return coordinate;
}

std::pair<double, double> CoordinateDi(const Coordinate& coordinate, const Riga& latitudine)
{
    const auto trovata = coordinate.find({latitudine.at(0), latitudine.at(1)});
    if (trovata == coordinate.end())
        throw std::runtime_error("comune " + latitudine.at(1) + " (" + latitudine.at(0) + ") has no coordinates in "
                                 + kDettaglio);
    return trovata->second;
}

// The longitude of each comune of the latitude table, for the map.
std::vector<Riga> LongitudiniComuni(const std::vector<Riga>& latitudini, const Coordinate& coordinate)
{
    std::vector<Riga> righe = {{"provincia", "comune", "longitudine"}};
    for (std::size_t r = 1; r < latitudini.size(); ++r) {
        char testo[32];
        std::snprintf(testo, sizeof testo, "%.5f", CoordinateDi(coordinate, latitudini[r]).second);
        righe.push_back({latitudini[r].at(0), latitudini[r].at(1), testo});
    }
    return righe;
}

// One row per comune of the latitude table, province and name as written
// there, with the grid interpolated at the comune's coordinates. Stored
// with 3 decimals: NASA gives 2, the interpolation adds no accuracy.
std::vector<Riga> RadiazioniComuni(const std::vector<Riga>& latitudini, const Coordinate& coordinate,
                                   const fv::GrigliaRadiazione& griglia)
{
    std::vector<Riga> righe = {{"provincia", "comune", "gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago",
                                "set", "ott", "nov", "dic"}};
    for (std::size_t r = 1; r < latitudini.size(); ++r) {
        const Riga& l = latitudini[r];
        const auto [lat, lon] = CoordinateDi(coordinate, l);
        fv::MesiGriglia mesi{};
        try {
            mesi = griglia.Interpola(lat, lon);
        } catch (const std::out_of_range& e) {
            throw std::runtime_error("comune " + l.at(1) + " (" + l.at(0) + "): " + e.what());
        }
        Riga riga = {l.at(0), l.at(1)};
        for (double v : mesi) {
            char testo[32];
            std::snprintf(testo, sizeof testo, "%.3f", v);
            riga.emplace_back(testo);
        }
        righe.push_back(std::move(riga));
    }
    return righe;
}

// The monthly mean air temperature of each comune: that of the nearest TMYx
// station the dataset marks usable (not a summit or a pass, not a typical
// year whose temperatures are its reanalysis cell's instead of the valley's).
// The data carry no comune's altitude, so none is corrected for its own.

double DistanzaKm(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double r = 6371.0, g = 3.14159265358979323846 / 180;
    const double a = std::sin((lat2 - lat1) * g / 2), b = std::sin((lon2 - lon1) * g / 2);
    return 2 * r * std::asin(std::sqrt(a * a + std::cos(lat1 * g) * std::cos(lat2 * g) * b * b));
}

std::vector<Riga> TemperatureComuni(const std::vector<Riga>& latitudini, const Coordinate& coordinate,
                                    const std::vector<Riga>& stazioni)
{
    const std::string file = "temperature_stazioni.csv";
    const Riga& testa = stazioni.front();
    const std::size_t cn = Colonna(testa, "stazione_tmyx", file), clat = Colonna(testa, "lat", file);
    const std::size_t clon = Colonna(testa, "lon", file);
    const std::size_t cgen = Colonna(testa, "gen", file), cu = Colonna(testa, "usabile", file);
    std::vector<Riga> righe = {{"provincia", "comune", "stazione", "distanza_km", "gen", "feb", "mar", "apr", "mag", "giu",
                                "lug", "ago", "set", "ott", "nov", "dic"}};
    for (std::size_t r = 1; r < latitudini.size(); ++r) {
        const auto [lat, lon] = CoordinateDi(coordinate, latitudini[r]);
        const Riga* migliore = nullptr;
        double distanza = 0;
        for (std::size_t s = 1; s < stazioni.size(); ++s) {
            const Riga& st = stazioni[s];
            const std::string dove = file + " row " + std::to_string(s + 1);
            if (st.size() != testa.size())
                throw std::runtime_error(dove + " has the wrong number of fields");
            if (st[cu] != "si")
                continue;
            const double d = DistanzaKm(lat, lon, Numero(st[clat], dove), Numero(st[clon], dove));
            if (!migliore || d < distanza) {
                migliore = &st;
                distanza = d;
            }
        }
        if (!migliore)
            throw std::runtime_error(file + " has no usable station");
        char km[32];
        std::snprintf(km, sizeof km, "%.1f", distanza);
        Riga riga = {latitudini[r].at(0), latitudini[r].at(1), (*migliore)[cn], km};
        for (std::size_t m = 0; m < 12; ++m)
            riga.push_back((*migliore)[cgen + m]);
        righe.push_back(std::move(riga));
    }
    return righe;
}

fv::GrigliaRadiazione LeggiGriglia(const std::string& percorso)
{
    std::ifstream in(percorso, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + percorso);
    try {
        return fv::GrigliaRadiazione::Leggi(in);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(percorso + ": " + e.what());
    }
}

// The tables, every text column compared and sorted without regard to
// ASCII case, as the program's "=" and "order by" expect. The September
// column is called set, a reserved word: it must be quoted here.
void CreaTabelle(sqlite3* db)
{
    Esegui(db, "create table tblLatitudini (provincia text collate nocase not null, "
               "comune text collate nocase not null, latitudine real not null)");
    Esegui(db, "create table tblRadiazioni (provincia text collate nocase not null, "
               "comune text collate nocase not null, gen real not null, feb real not null, "
               "mar real not null, apr real not null, mag real not null, giu real not null, "
               "lug real not null, ago real not null, \"set\" real not null, "
               "ott real not null, nov real not null, dic real not null)");
    Esegui(db, "create table tblRiflettanza (superficie text collate nocase not null, "
               "riflettanza real not null)");
    // Beside the three tables the program's calculation reads: the
    // longitude of each comune, which only the map of Italy uses; where the
    // data come from, which the status bar and the report credit.
    Esegui(db, "create table tblCoordinate (provincia text collate nocase not null, "
               "comune text collate nocase not null, longitudine real not null)");
    // Each comune's monthly mean air temperature [°C] and the station it is
    // taken from, for the heat pump on the comune's climate.
    Esegui(db, "create table tblTemperature (provincia text collate nocase not null, "
               "comune text collate nocase not null, stazione text not null, distanza_km real not null, "
               "gen real not null, feb real not null, mar real not null, apr real not null, mag real not null, "
               "giu real not null, lug real not null, ago real not null, \"set\" real not null, ott real not null, "
               "nov real not null, dic real not null)");
    Esegui(db, "create table tblFonti (tabella text collate nocase not null, fonte text not null)");
    // The economic parameters, sourced, each row with the period it is in
    // force ("validita": 2025-01-01/2026-12-31, ".." an open end): a name has
    // a row per period where a rule changes by date.
    Esegui(db, "create table tblParametri (nome text collate nocase not null, valore real not null, unita text, "
               "descrizione text, fonte text, validita text)");
    // The provinces' region, market zone and premium area, and the comuni's
    // population at the 2011 census: what the economics read of the site,
    // the same text the program carries built in.
    Esegui(db, "create table tblProvince (sigla text collate nocase not null, regione text not null, "
               "zona_mercato text not null, area_premio text not null)");
    // Each uncertain parameter's plausible low and high, for the tornado and
    // the Monte Carlo: of the quantity, not of a rule's period.
    Esegui(db, "create table tblIntervalli (nome text collate nocase not null, fonte text, basso real not null, "
               "alto real not null)");
    Esegui(db, "create table tblPopolazione (provincia text collate nocase not null, comune text collate nocase not null, "
               "popolazione integer not null)");
}

void CaricaParametri(sqlite3* db)
{
    std::vector<Riga> righe = {{"nome", "valore", "unita", "descrizione", "fonte", "validita"}};
    for (const fv::Parametro& p : fv::ParametriPredefiniti()) {
        char valore[32];
        std::snprintf(valore, sizeof valore, "%.17g", p.valore);
        righe.push_back({p.nome, valore, p.unita, p.descrizione, p.fonte, fv::TestoPeriodo(p.dal, p.al)});
    }
    // Columns 0 and 2..5 are texts, 1 the value: loaded one by one.
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "insert into tblParametri values (?,?,?,?,?,?)", -1, &st, nullptr);
    for (std::size_t r = 1; r < righe.size(); ++r) {
        sqlite3_reset(st);
        for (int c = 0; c < 6; ++c) {
            const std::string& t = righe[r][std::size_t(c)];
            if (c == 1)
                sqlite3_bind_double(st, 2, fv::LeggiNumeroFile(t, fv::Campo::Energia));
            else
                sqlite3_bind_text(st, c + 1, t.c_str(), int(t.size()), SQLITE_TRANSIENT);
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    sqlite3_finalize(st);
}

void CreaIndici(sqlite3* db)
{
    // No index on tblRiflettanza: a covering index would make SQLite list
    // the surface types in index order instead of the order they are stored in.
    Esegui(db, "create index idxLatProvincia on tblLatitudini (provincia)");
    Esegui(db, "create index idxLatProvinciaComune on tblLatitudini (provincia, comune)");
    Esegui(db, "create index idxRadProvincia on tblRadiazioni (provincia)");
    Esegui(db, "create index idxRadProvinciaComune on tblRadiazioni (provincia, comune)");
    Esegui(db, "create index idxCooProvinciaComune on tblCoordinate (provincia, comune)");
    Esegui(db, "create index idxTemProvinciaComune on tblTemperature (provincia, comune)");
}

// Every table filled from the dataset's folder.
void CaricaDataset(sqlite3* db, const std::string& cartella)
{
    const auto latitudini = LeggiCsv(cartella + "/latitudini.csv");
    const Coordinate coordinate = LeggiCoordinate(LeggiCsv(cartella + "/" + kDettaglio));
    Carica(db, "tblLatitudini", latitudini, 2);
    Carica(db, "tblRadiazioni",
           RadiazioniComuni(latitudini, coordinate, LeggiGriglia(cartella + "/nasa-sse/griglia_italia.txt")), 2);
    Carica(db, "tblRiflettanza", LeggiCsv(cartella + "/riflettanza.csv"), 1);
    Carica(db, "tblCoordinate", LongitudiniComuni(latitudini, coordinate), 2);
    Carica(db, "tblTemperature", TemperatureComuni(latitudini, coordinate, LeggiCsv(cartella + "/temperature_stazioni.csv")),
           3);
    Carica(db, "tblFonti", LeggiCsv(cartella + "/fonti.csv"), 2);
    Carica(db, "tblProvince", LeggiCsv(cartella + "/province.csv"), 4);
    Carica(db, "tblPopolazione", LeggiCsv(cartella + "/popolazione.csv"), 2);
    std::vector<Riga> intervalli;
    for (const Riga& r : LeggiCsv(cartella + "/intervalli.csv"))
        intervalli.push_back({r.at(0), r.at(3), r.at(1), r.at(2)});
    Carica(db, "tblIntervalli", intervalli, 2);
    CaricaParametri(db);
}

// Writes the database under a temporary name, renamed into place only whole.
void Costruisci(const std::string& uscita, const std::string& cartella)
{
    const std::string temporaneo = uscita + ".tmp";
    std::remove(temporaneo.c_str());
    sqlite3* db = nullptr;
    try {
        if (sqlite3_open(temporaneo.c_str(), &db) != SQLITE_OK)
            throw std::runtime_error("cannot create " + temporaneo);
        Esegui(db, "begin");
        CreaTabelle(db);
        CaricaDataset(db, cartella);
        CreaIndici(db);
        Esegui(db, "commit");
        Esegui(db, "vacuum");
        if (sqlite3_close(db) != SQLITE_OK)
            throw std::runtime_error("cannot close " + temporaneo);
        db = nullptr;
        if (std::rename(temporaneo.c_str(), uscita.c_str()) != 0)
            throw std::runtime_error("cannot rename " + temporaneo + " to " + uscita);
    } catch (...) {
        if (db)
            sqlite3_close(db);
        std::remove(temporaneo.c_str());
        throw;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: costruisci-dati OUTPUT DATASET_DIR\n";
        return 2;
    }
    try {
        Costruisci(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "costruisci-dati: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
