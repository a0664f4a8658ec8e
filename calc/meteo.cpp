// SPDX-License-Identifier: MIT
// Weather files read into one hourly year.
#include "calc/meteo.h"

#include "calc/numeri.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>

namespace fv {

ErroreMeteo::ErroreMeteo(int riga, const std::string& messaggio)
    : std::runtime_error(riga > 0 ? "riga " + std::to_string(riga) + ": " + messaggio : messaggio), riga_(riga)
{
}

namespace {

std::vector<std::string> Righe(const std::string& testo)
{
    std::vector<std::string> righe;
    std::istringstream in(testo);
    std::string r;
    while (std::getline(in, r)) {
        if (!r.empty() && r.back() == '\r')
            r.pop_back();
        righe.push_back(r);
    }
    // A byte-order mark on the first line.
    if (!righe.empty() && righe[0].rfind("\xEF\xBB\xBF", 0) == 0)
        righe[0].erase(0, 3);
    return righe;
}

std::vector<std::string> Campi(const std::string& riga, char separatore)
{
    std::vector<std::string> campi;
    std::string c;
    std::istringstream in(riga);
    while (std::getline(in, c, separatore))
        campi.push_back(c);
    if (!riga.empty() && riga.back() == separatore)
        campi.emplace_back();
    return campi;
}

std::string Pulito(std::string s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.erase(s.begin());
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

// A number of a machine-written file (decimal point, exponent allowed).
double Numero(const std::string& campo, int riga, const std::string& nome)
{
    // from_chars: the decimal point whatever the process's locale.
    const std::string s = Pulito(campo);
    const char* inizio = s.c_str() + (!s.empty() && s[0] == '+' ? 1 : 0);
    double v = 0;
    const auto [fine, errore] = std::from_chars(inizio, s.c_str() + s.size(), v);
    if (s.empty() || errore != std::errc() || fine != s.c_str() + s.size() || !std::isfinite(v))
        throw ErroreMeteo(riga, "«" + s + "» non è un numero (" + nome + ").");
    return v;
}

void NeiLimiti(double v, double minimo, double massimo, int riga, const std::string& nome, const std::string& unita);

// A whole number within its range, before it is taken as an int (a file's
// 1e300 is refused, not converted).
int Intero(double v, int riga, const std::string& nome, int minimo, int massimo)
{
    if (!(v >= minimo && v <= massimo) || v != std::floor(v))
        throw ErroreMeteo(riga, nome + " vale " + TestoLeggibile(v) + ": serve un numero intero da " + std::to_string(minimo)
                                    + " a " + std::to_string(massimo) + ".");
    return int(v);
}

void NeiLimiti(double v, double minimo, double massimo, int riga, const std::string& nome, const std::string& unita)
{
    if (!(v >= minimo && v <= massimo))
        throw ErroreMeteo(riga, nome + " vale " + TestoLeggibile(v) + " " + unita + ": fuori dai limiti fisici (da "
                                    + TestoLeggibile(minimo) + " a " + TestoLeggibile(massimo) + ").");
}

// Irradiance as PVGIS writes it: "-0.0" at night is zero; a real negative is not.
double Irradianza(double v, int riga, const std::string& nome)
{
    if (v < 0 && v > -0.5)
        v = 0;
    NeiLimiti(v, 0, 1500, riga, nome, "W/m²");
    return v;
}

void Controlla(OraMeteo& o, int riga)
{
    o.ghi = Irradianza(o.ghi, riga, "l'irradianza globale");
    o.dni = Irradianza(o.dni, riga, "l'irradianza diretta normale");
    o.dhi = Irradianza(o.dhi, riga, "l'irradianza diffusa");
    NeiLimiti(o.temperatura, -60, 60, riga, "la temperatura", "°C");
    NeiLimiti(o.vento, 0, 75, riga, "il vento", "m/s");
}

// "20180101:0010": the day, the hour it starts and the instant.
void LeggiTempoPvgis(const std::string& campo, OraMeteo& o, int riga)
{
    const std::string t = Pulito(campo);
    const bool forma = t.size() == 13 && t[8] == ':'
                       && std::all_of(t.begin(), t.begin() + 8, [](char c) { return c >= '0' && c <= '9'; })
                       && std::all_of(t.begin() + 9, t.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!forma)
        throw ErroreMeteo(riga, "«" + t + "» non è un tempo PVGIS (AAAAMMGG:hhmm).");
    o.anno = std::stoi(t.substr(0, 4));
    o.mese = std::stoi(t.substr(4, 2));
    o.giorno = std::stoi(t.substr(6, 2));
    o.inizioUtc = std::stoi(t.substr(9, 2));
    const int minuti = std::stoi(t.substr(11, 2));
    if (o.mese < 1 || o.mese > 12 || o.giorno < 1 || o.giorno > 31 || o.inizioUtc > 23 || minuti > 59)
        throw ErroreMeteo(riga, "«" + t + "» non è un giorno e un'ora del calendario.");
    o.istanteUtc = o.inizioUtc + minuti / 60.0;
}

// ---- A small JSON reader: what PVGIS writes, objects, arrays, numbers, texts.

struct Json {
    enum class Tipo { Nullo, Numero, Testo, Vero, Falso, Lista, Oggetto } tipo = Tipo::Nullo;
    double numero = 0;
    std::string testo;
    std::vector<Json> lista;   // an array's items, or an object's values
    std::vector<std::string> chiavi; // an object's names, one a value
    const Json* operator[](const std::string& chiave) const
    {
        if (tipo != Tipo::Oggetto)
            return nullptr;
        for (std::size_t i = 0; i < chiavi.size(); ++i)
            if (chiavi[i] == chiave)
                return &lista[i];
        return nullptr;
    }
};

class LettoreJson {
public:
    explicit LettoreJson(const std::string& t) : t_(t) {}
    Json Leggi()
    {
        Json j = Valore(0);
        Spazi();
        if (i_ != t_.size())
            Errore("testo dopo la fine del JSON");
        return j;
    }

private:
    [[noreturn]] void Errore(const std::string& cosa)
    {
        const int riga = 1 + int(std::count(t_.begin(), t_.begin() + std::ptrdiff_t(std::min(i_, t_.size())), '\n'));
        throw ErroreMeteo(riga, "JSON non valido: " + cosa + ".");
    }
    void Spazi()
    {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
            ++i_;
    }
    std::string Testo()
    {
        std::string s;
        ++i_; // the opening quote
        while (i_ < t_.size() && t_[i_] != '"') {
            if (t_[i_] == '\\' && i_ + 1 < t_.size())
                ++i_;
            s += t_[i_++];
        }
        if (i_ >= t_.size())
            Errore("testo non chiuso");
        ++i_;
        return s;
    }
    Json Valore(int profondita)
    {
        if (profondita > 32)
            Errore("annidamento troppo profondo");
        Spazi();
        if (i_ >= t_.size())
            Errore("fine inattesa");
        Json j;
        const char c = t_[i_];
        if (c == '{') {
            j.tipo = Json::Tipo::Oggetto;
            ++i_;
            Spazi();
            if (i_ < t_.size() && t_[i_] == '}') {
                ++i_;
                return j;
            }
            for (;;) {
                Spazi();
                if (i_ >= t_.size() || t_[i_] != '"')
                    Errore("manca il nome di un campo");
                std::string k = Testo();
                Spazi();
                if (i_ >= t_.size() || t_[i_] != ':')
                    Errore("manca «:»");
                ++i_;
                j.chiavi.push_back(std::move(k));
                j.lista.push_back(Valore(profondita + 1));
                Spazi();
                if (i_ < t_.size() && t_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < t_.size() && t_[i_] == '}') {
                    ++i_;
                    return j;
                }
                Errore("manca «,» o «}»");
            }
        }
        if (c == '[') {
            j.tipo = Json::Tipo::Lista;
            ++i_;
            Spazi();
            if (i_ < t_.size() && t_[i_] == ']') {
                ++i_;
                return j;
            }
            for (;;) {
                j.lista.push_back(Valore(profondita + 1));
                Spazi();
                if (i_ < t_.size() && t_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < t_.size() && t_[i_] == ']') {
                    ++i_;
                    return j;
                }
                Errore("manca «,» o «]»");
            }
        }
        if (c == '"') {
            j.tipo = Json::Tipo::Testo;
            j.testo = Testo();
            return j;
        }
        for (const auto& [parola, tipo] : {std::pair{"true", Json::Tipo::Vero}, std::pair{"false", Json::Tipo::Falso},
                                            std::pair{"null", Json::Tipo::Nullo}})
            if (t_.compare(i_, std::char_traits<char>::length(parola), parola) == 0) {
                i_ += std::char_traits<char>::length(parola);
                j.tipo = tipo;
                return j;
            }
        const auto [fine, errore] = std::from_chars(t_.data() + i_, t_.data() + t_.size(), j.numero);
        if (errore != std::errc() || !std::isfinite(j.numero))
            Errore("valore non riconosciuto");
        i_ = std::size_t(fine - t_.data());
        j.tipo = Json::Tipo::Numero;
        return j;
    }
    const std::string& t_;
    std::size_t i_ = 0;
};

double NumeroJson(const Json* j, const std::string& nome, int riga = 0)
{
    if (!j || j->tipo != Json::Tipo::Numero)
        throw ErroreMeteo(riga, "manca il valore numerico «" + nome + "».");
    return j->numero;
}

const Json* Percorso(const Json& radice, std::initializer_list<const char*> chiavi)
{
    const Json* j = &radice;
    for (const char* k : chiavi) {
        j = (*j)[k];
        if (!j)
            return nullptr;
    }
    return j;
}

// ---- The formats.

// Which irradiance a PVGIS file gives: the horizontal components of a
// typical year, a series' components on a horizontal plane (the beam normal
// from the sun's height), or a series' components on a tilted plane.
enum class Componenti { Anno, SerieOrizzontale, SerieSulPiano };

// The hour's irradiance, temperature and wind from the values by column name.
void Valori(OraMeteo& o, Componenti k, const std::function<double(const char*)>& v)
{
    o.temperatura = v("T2m");
    o.vento = v("WS10m");
    switch (k) {
    case Componenti::Anno:
        o.ghi = v("G(h)");
        o.dni = v("Gb(n)");
        o.dhi = v("Gd(h)");
        return;
    case Componenti::SerieSulPiano:
        o.piano = true;
        o.fascioPiano = std::max(0.0, v("Gb(i)"));
        o.diffusaPiano = std::max(0.0, v("Gd(i)"));
        o.riflessaPiano = std::max(0.0, v("Gr(i)"));
        o.ghi = o.fascioPiano + o.diffusaPiano + o.riflessaPiano; // only to tell day from night
        return;
    case Componenti::SerieOrizzontale: break;
    }
    const double fascio = v("Gb(i)"), altezza = v("H_sun");
    o.dhi = v("Gd(i)");
    o.ghi = fascio + o.dhi;
    o.dni = altezza > 1 ? fascio / std::sin(altezza * std::numbers::pi / 180) : 0;
}

// PVGIS's CSV header: "Chiave (unità): valore" lines, a typical year's
// months, up to the table's column line.
struct IntestazionePvgis {
    std::optional<double> lat, lon;
    // "Irradiance Time Offset (h)": a typical year's irradiance stands for
    // the instant hh:00 + this offset UTC (the satellite's scan time), not
    // the hour's start; east and west planes see the difference.
    double scarto = 0;
    double pendenza = 0, orientamento = 0;
    std::size_t colonne = 0; // the line of the columns
};

IntestazionePvgis LeggiIntestazionePvgis(const std::vector<std::string>& righe, AnnoMeteo& a)
{
    IntestazionePvgis t;
    t.colonne = righe.size();
    for (std::size_t r = 0; r < righe.size() && t.colonne == righe.size(); ++r) {
        const std::string& riga = righe[r];
        const auto valore = [&](const char* chiave, const char* fine = nullptr) -> std::optional<double> {
            if (riga.rfind(chiave, 0) != 0)
                return std::nullopt;
            const std::size_t due = riga.find(':');
            const std::size_t dopo = fine ? riga.find(fine) : std::string::npos;
            return Numero(riga.substr(due + 1, dopo == std::string::npos ? std::string::npos : dopo - due - 1), int(r + 1), chiave);
        };
        if (const auto la = valore("Latitude"))
            t.lat = la;
        else if (const auto lo = valore("Longitude"))
            t.lon = lo;
        else if (const auto sc = valore("Irradiance Time Offset"))
            NeiLimiti(t.scarto = *sc, -1, 1, int(r + 1), "lo scarto orario dell'irradianza", "h");
        else if (const auto q = valore("Elevation"))
            a.quota = *q;
        else if (const auto pe = valore("Slope", "deg"))
            t.pendenza = *pe;
        else if (const auto az = valore("Azimuth", "deg"))
            t.orientamento = *az;
        else if (riga.rfind("Radiation database", 0) == 0)
            a.fonte = Pulito(riga.substr(riga.find(':') + 1));
        else if (riga.rfind("month,year", 0) == 0) {
            for (std::size_t m = r + 1; m < righe.size() && m <= r + 12; ++m) {
                const auto c = Campi(righe[m], ',');
                if (c.size() == 2)
                    a.mesiAnni.emplace_back(Intero(Numero(c[0], int(m + 1), "mese"), int(m + 1), "il mese", 1, 12),
                                            Intero(Numero(c[1], int(m + 1), "anno"), int(m + 1), "l'anno", 1800, 2200));
            }
        } else if (riga.rfind("time", 0) == 0 && riga.find(',') != std::string::npos)
            t.colonne = r;
    }
    if (!t.lat || !t.lon)
        throw ErroreMeteo(0, "il file PVGIS non dice latitudine e longitudine nell'intestazione.");
    if (t.colonne == righe.size())
        throw ErroreMeteo(0, "manca la riga delle colonne («time(UTC),...» o «time,...»).");
    return t;
}

// PVGIS's CSV: the header, a table, notes after it.
AnnoMeteo LeggiCsvPvgis(const std::vector<std::string>& righe)
{
    AnnoMeteo a;
    const IntestazionePvgis t = LeggiIntestazionePvgis(righe, a);
    a.latitudine = *t.lat;
    a.longitudine = *t.lon;
    const std::vector<std::string> colonne = Campi(righe[t.colonne], ',');
    const auto ha = [&](std::initializer_list<const char*> nomi) {
        return std::all_of(nomi.begin(), nomi.end(), [&](const char* n) { return std::find(colonne.begin(), colonne.end(), n) != colonne.end(); });
    };
    const int riga = int(t.colonne + 1);
    const bool anno = ha({"G(h)", "Gb(n)", "Gd(h)"});
    const bool orizzontale = !anno && ha({"Gb(i)", "Gd(i)", "H_sun"}) && t.pendenza == 0;
    const bool inclinato = !anno && ha({"Gb(i)", "Gd(i)", "Gr(i)"}) && t.pendenza > 0;
    if (!anno && !orizzontale && !inclinato)
        throw ErroreMeteo(riga, "mancano le colonne G(h), Gb(n), Gd(h) (o, per una serie oraria, le componenti Gb(i), Gd(i), "
                                "Gr(i) e H_sun: scaricarla con «componenti» attivo).");
    if (!ha({"T2m", "WS10m"}))
        throw ErroreMeteo(riga, "mancano le colonne T2m e WS10m.");
    const Componenti k = anno ? Componenti::Anno : inclinato ? Componenti::SerieSulPiano : Componenti::SerieOrizzontale;
    a.suPiano = inclinato;
    a.tiltPiano = t.pendenza;
    a.azimutPiano = t.orientamento;
    a.formato = a.mesiAnni.empty() ? "PVGIS serie oraria (CSV)" : "PVGIS anno tipo (CSV)";
    for (std::size_t r = t.colonne + 1; r < righe.size(); ++r) {
        const std::vector<std::string> c = Campi(righe[r], ',');
        if (c.empty() || righe[r].empty() || !(c[0].size() == 13 && c[0][8] == ':'))
            break; // the notes after the table
        const int n = int(r + 1);
        if (c.size() != colonne.size())
            throw ErroreMeteo(n, "ci sono " + std::to_string(c.size()) + " campi, le colonne sono " + std::to_string(colonne.size()) + ".");
        OraMeteo o;
        LeggiTempoPvgis(c[0], o, n);
        o.istanteUtc += t.scarto;
        Valori(o, k, [&](const char* nome) {
            return Numero(c[std::size_t(std::find(colonne.begin(), colonne.end(), nome) - colonne.begin())], n, nome);
        });
        Controlla(o, n);
        a.ore.push_back(o);
    }
    return a;
}

// The JSON's site, source and typical year's months; the irradiance's time
// offset [h], as the CSV's "Irradiance Time Offset (h)".
double IntestazioneJson(const Json& radice, AnnoMeteo& a)
{
    const Json* luogo = Percorso(radice, {"inputs", "location"});
    if (!luogo)
        throw ErroreMeteo(0, "il JSON non è di PVGIS: manca inputs.location.");
    a.latitudine = NumeroJson((*luogo)["latitude"], "latitude");
    a.longitudine = NumeroJson((*luogo)["longitude"], "longitude");
    if (const Json* q = (*luogo)["elevation"]; q && q->tipo == Json::Tipo::Numero)
        a.quota = q->numero;
    double scarto = 0;
    if (const Json* sc = (*luogo)["irradiance_time_offset"]; sc && sc->tipo == Json::Tipo::Numero)
        scarto = sc->numero;
    if (const Json* db = Percorso(radice, {"inputs", "meteo_data", "radiation_db"}); db && db->tipo == Json::Tipo::Testo)
        a.fonte = db->testo;
    if (const Json* mesi = Percorso(radice, {"outputs", "months_selected"}); mesi)
        for (const Json& m : mesi->lista)
            a.mesiAnni.emplace_back(Intero(NumeroJson(m["month"], "month"), 0, "il mese", 1, 12),
                                    Intero(NumeroJson(m["year"], "year"), 0, "l'anno", 1800, 2200));
    return scarto;
}

// The hours' list: a typical year's, or a series' on a fixed plane (whose
// plane the year then carries).
const Json* OreJson(const Json& radice, AnnoMeteo& a)
{
    const Json* ore = Percorso(radice, {"outputs", "tmy_hourly"});
    a.formato = "PVGIS anno tipo (JSON)";
    if (!ore) {
        ore = Percorso(radice, {"outputs", "hourly"});
        a.formato = "PVGIS serie oraria (JSON)";
        const Json* pendenza = Percorso(radice, {"inputs", "mounting_system", "fixed", "slope", "value"});
        const Json* orientamento = Percorso(radice, {"inputs", "mounting_system", "fixed", "azimuth", "value"});
        const bool fisso = pendenza && pendenza->tipo == Json::Tipo::Numero;
        if (ore && !ore->lista.empty() && (!fisso || !ore->lista[0]["Gb(i)"] || !ore->lista[0]["Gr(i)"]))
            throw ErroreMeteo(0, "una serie oraria PVGIS senza le componenti o non su un piano fisso: scaricarla con "
                                 "«componenti» attivo (Gb(i), Gd(i), Gr(i)) su un piano fisso, oppure l'anno tipo (TMY).");
        if (fisso && pendenza->numero > 0) {
            a.suPiano = true;
            a.tiltPiano = pendenza->numero;
            a.azimutPiano = orientamento && orientamento->tipo == Json::Tipo::Numero ? orientamento->numero : 0;
        }
    }
    if (!ore || ore->tipo != Json::Tipo::Lista)
        throw ErroreMeteo(0, "il JSON di PVGIS non ha le ore (outputs.tmy_hourly o outputs.hourly).");
    return ore;
}

AnnoMeteo LeggiJsonPvgis(const std::string& testo)
{
    const Json radice = LettoreJson(testo).Leggi();
    AnnoMeteo a;
    const double scarto = IntestazioneJson(radice, a);
    const Json* ore = OreJson(radice, a);
    for (std::size_t i = 0; i < ore->lista.size(); ++i) {
        const Json& h = ore->lista[i];
        const int n = int(i + 1);
        const Json* tempo = h["time(UTC)"] ? h["time(UTC)"] : h["time"];
        if (!tempo || tempo->tipo != Json::Tipo::Testo)
            throw ErroreMeteo(0, "l'ora " + std::to_string(n) + " non ha il tempo.");
        OraMeteo o;
        LeggiTempoPvgis(tempo->testo, o, 0);
        o.istanteUtc += scarto;
        const Componenti k = h["G(h)"] ? Componenti::Anno : a.suPiano ? Componenti::SerieSulPiano : Componenti::SerieOrizzontale;
        try {
            Valori(o, k, [&](const char* nome) { return NumeroJson(h[nome], nome); });
            Controlla(o, 0);
        } catch (const ErroreMeteo& e) {
            throw ErroreMeteo(0, "ora " + std::to_string(n) + " (" + tempo->testo + "): " + e.what());
        }
        a.ore.push_back(o);
    }
    return a;
}

// EPW: LOCATION,city,state,country,source,WMO,lat,lon,timezone,elevation;
// eight header lines; then year,month,day,hour (1-24, ending),minute,flags,
// dry bulb (6), ..., GHI (13), DNI (14), DHI (15), ..., wind speed (21).
// Hours are local standard time, except PVGIS's, which are UTC (its
// COMMENTS 2 gives the irradiance time offset).
// One EPW hour: a typical year's rows keep the year each month comes from
// (0 where a file has none); PVGIS's EPW is in UTC with its time offset,
// another's hour-ending local standard time.
OraMeteo OraEpw(const std::vector<std::string>& c, int n, double fuso, const std::optional<double>& scarto)
{
    if (c.size() < 22)
        throw ErroreMeteo(n, "ci sono " + std::to_string(c.size()) + " campi, un'ora EPW ne ha almeno 22.");
    OraMeteo o;
    o.anno = Intero(Numero(c[0], n, "anno"), n, "l'anno", 0, 9999);
    o.mese = Intero(Numero(c[1], n, "mese"), n, "il mese", 1, 12);
    o.giorno = Intero(Numero(c[2], n, "giorno"), n, "il giorno", 1, 31);
    const int ora = Intero(Numero(c[3], n, "ora"), n, "l'ora (da 1 a 24 in un EPW)", 1, 24);
    if (scarto) {
        o.inizioUtc = ora - 1;
        o.istanteUtc = ora + *scarto;
    } else {
        // Hour-ending local standard time: the hour (ora - 1, ora] at its middle.
        const double inizio = ora - 1 - fuso;
        o.inizioUtc = int(std::floor(inizio));
        o.istanteUtc = inizio + 0.5;
    }
    o.temperatura = Numero(c[6], n, "temperatura");
    o.ghi = Numero(c[13], n, "irradianza globale");
    o.dni = Numero(c[14], n, "irradianza diretta normale");
    o.dhi = Numero(c[15], n, "irradianza diffusa");
    o.vento = Numero(c[21], n, "vento");
    // EPW's "missing": 9999 for irradiance, 999 for wind, 99.9 for temperature.
    if (o.ghi >= 9999 || o.dni >= 9999 || o.dhi >= 9999 || o.vento >= 999 || o.temperatura >= 99.9)
        throw ErroreMeteo(n, "un valore mancante (9999, 999 o 99.9): il file non dà quest'ora.");
    Controlla(o, n);
    return o;
}

AnnoMeteo LeggiEpw(const std::vector<std::string>& righe)
{
    AnnoMeteo a;
    a.formato = "EPW";
    const std::vector<std::string> luogo = Campi(righe[0], ',');
    if (luogo.size() < 10)
        throw ErroreMeteo(1, "la riga LOCATION dell'EPW ha meno di 10 campi.");
    a.latitudine = Numero(luogo[6], 1, "latitudine");
    a.longitudine = Numero(luogo[7], 1, "longitudine");
    const double fuso = Numero(luogo[8], 1, "fuso orario");
    a.quota = Numero(luogo[9], 1, "quota");
    a.fonte = Pulito(luogo[4]);
    NeiLimiti(a.latitudine, -90, 90, 1, "la latitudine", "°");
    NeiLimiti(a.longitudine, -180, 180, 1, "la longitudine", "°");
    NeiLimiti(fuso, -12, 14, 1, "il fuso orario", "h");
    // PVGIS's EPW: UTC, irradiance at hour h - 1 + offset + 1.
    std::optional<double> scarto;
    for (std::size_t r = 1; r < righe.size() && r < 8; ++r) {
        const std::size_t p = righe[r].find("Irradiance Time Offset (h):");
        if (p != std::string::npos)
            scarto = Numero(righe[r].substr(p + 27), int(r + 1), "Irradiance Time Offset");
    }
    if (scarto)
        a.formato = "EPW di PVGIS (ore UTC)";
    for (std::size_t r = 8; r < righe.size(); ++r) {
        if (Pulito(righe[r]).empty())
            continue;
        const int n = int(r + 1);
        a.ore.push_back(OraEpw(Campi(righe[r], ','), n, fuso, scarto));
    }
    return a;
}

bool Bisestile(int anno) { return (anno % 4 == 0 && anno % 100 != 0) || anno % 400 == 0; }

// A whole year: each (month, day) once, 24 hours each, in order; 365 or 366 days.
// The first hour a file lacks: the first day in the calendar's order with
// fewer than 24 hours, and the first of its hours (as the file counts them)
// not there. Empty when every day has its 24.
std::string PrimaOraMancante(const AnnoMeteo& a)
{
    static const int kGiorni[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int primaOra = 24;
    std::map<std::pair<int, int>, std::vector<int>> ore;
    for (const OraMeteo& o : a.ore) {
        ore[{o.mese, o.giorno}].push_back(o.inizioUtc);
        primaOra = std::min(primaOra, o.inizioUtc);
    }
    for (int m = 1; m <= 12; ++m)
        for (int g = 1; g <= kGiorni[m - 1] - (m == 2 && !ore.count({2, 29}) ? 1 : 0); ++g) {
            const std::vector<int>& h = ore[{m, g}];
            for (int k = primaOra; k < primaOra + 24; ++k)
                if (std::find(h.begin(), h.end(), k) == h.end())
                    return "la prima che manca è " + ArticoloData(g, true) + std::to_string(g) + "/" + std::to_string(m) + ", ora "
                           + std::to_string(k) + (a.formato == "EPW" ? " (UTC)" : "");
        }
    return {};
}

// A whole year: each (month, day) once, 24 hours each, in order; 365 or 366 days.
void ControllaAnno(const AnnoMeteo& a)
{
    const std::size_t n = a.ore.size();
    if (n != 8760 && n != 8784) {
        const std::string manca = n < 8760 ? PrimaOraMancante(a) : std::string();
        throw ErroreMeteo(0, "il file ha " + TestoLeggibile(double(n)) + " ore: un anno ne ha 8.760 (8.784 se bisestile)"
                                 + (manca.empty() ? "" : "; " + manca) + ".");
    }
    static const int kGiorni[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::map<std::pair<int, int>, int> conteggio;
    for (const OraMeteo& o : a.ore) {
        if (o.giorno > kGiorni[o.mese - 1] || (o.mese == 2 && o.giorno == 29 && o.anno > 0 && !Bisestile(o.anno)))
            throw ErroreMeteo(0, "il giorno " + std::to_string(o.giorno) + "/" + std::to_string(o.mese) + "/"
                                     + std::to_string(o.anno) + " non esiste.");
        ++conteggio[{o.mese, o.giorno}];
    }
    for (const auto& [giorno, ore] : conteggio)
        if (ore != 24)
            throw ErroreMeteo(0, "il giorno " + std::to_string(giorno.second) + "/" + std::to_string(giorno.first) + " ha "
                                     + std::to_string(ore) + " ore invece di 24.");
    const bool con29 = conteggio.count({2, 29}) > 0;
    if (conteggio.size() != (con29 ? 366u : 365u))
        throw ErroreMeteo(0, "il file non copre ogni giorno dell'anno una volta.");
}

// The year's irradiation [kWh/m²] within what the Earth's surface receives:
// a year of zeros, or irradiance in kW/m² read as W/m², is no weather. The
// horizontal's extremes are about 700 (polar) to 2,500 (Atacama, Sahara);
// a series on a tilted plane may lie a little outside them.
void ControllaIrradiazione(const AnnoMeteo& a)
{
    double somma = 0;
    for (const OraMeteo& o : a.ore)
        somma += o.ghi / 1000;
    const double minimo = a.suPiano ? 200 : 500, massimo = a.suPiano ? 3200 : 2600;
    if (!(somma >= minimo && somma <= massimo))
        throw ErroreMeteo(0, std::string("l'irradiazione dell'anno ") + (a.suPiano ? "sul piano" : "orizzontale") + " è "
                                 + TestoLeggibile(std::round(somma * 10) / 10) + " kWh/m², fuori da quello che la Terra riceve (da "
                                 + TestoLeggibile(minimo) + " a " + TestoLeggibile(massimo)
                                 + " kWh/m²): un anno senza sole, o irradianze in kW/m² invece che in W/m²?");
}

} // namespace

namespace {

// PVGIS writes its CSV with commas and decimal points; a spreadsheet that
// saved it again with semicolons (and, in Italian, decimal commas) is named,
// not guessed at.
const std::vector<std::string>& SenzaPuntoEVirgola(const std::vector<std::string>& righe)
{
    for (std::size_t r = 0; r < righe.size(); ++r)
        if (righe[r].rfind("time", 0) == 0 && righe[r].find(';') != std::string::npos && righe[r].find(',') == std::string::npos)
            throw ErroreMeteo(int(r + 1), "le colonne sono separate da punti e virgola: il file è stato salvato da un foglio di "
                                          "calcolo. Usare il CSV scaricato da PVGIS così com'è (virgole e punti decimali).");
    return righe;
}

} // namespace

AnnoMeteo LeggiMeteo(const std::string& testo)
{
    if (testo.size() > std::size_t(kDimensioneMassimaMeteo))
        throw ErroreMeteo(0, "il file è troppo grande per un anno meteorologico.");
    std::size_t inizio = testo.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (inizio < testo.size() && std::isspace(static_cast<unsigned char>(testo[inizio])))
        ++inizio;
    if (inizio == testo.size())
        throw ErroreMeteo(0, "il file è vuoto.");
    AnnoMeteo a;
    if (testo[inizio] == '{') {
        a = LeggiJsonPvgis(testo.substr(inizio));
    } else {
        const std::vector<std::string> righe = Righe(testo);
        if (righe[0].rfind("LOCATION,", 0) == 0)
            a = LeggiEpw(righe);
        else if (righe[0].rfind("Latitude", 0) == 0)
            a = LeggiCsvPvgis(SenzaPuntoEVirgola(righe));
        else
            throw ErroreMeteo(1, "formato non riconosciuto: né un file PVGIS (CSV o JSON) né un EPW.");
    }
    NeiLimiti(a.latitudine, -90, 90, 0, "la latitudine", "°");
    NeiLimiti(a.longitudine, -180, 180, 0, "la longitudine", "°");
    ControllaAnno(a);
    ControllaIrradiazione(a);
    return a;
}

// ---- Horizons.

double Orizzonte::Elevazione(double az) const
{
    if (punti.empty())
        return 0;
    az = std::fmod(az, 360.0);
    if (az < 0)
        az += 360;
    // Between the neighbours around the circle.
    const auto dopo = std::lower_bound(punti.begin(), punti.end(), az,
                                       [](const std::pair<double, double>& p, double a) { return p.first < a; });
    const std::pair<double, double> b = dopo == punti.end() ? std::pair{punti.front().first + 360, punti.front().second} : *dopo;
    const std::pair<double, double> a = dopo == punti.begin() ? std::pair{punti.back().first - 360, punti.back().second}
                                                              : *(dopo - 1);
    if (b.first == a.first || az == b.first)
        return b.second;
    // Between the two, never past either (rounding near a point).
    const double e = a.second + (b.second - a.second) * (az - a.first) / (b.first - a.first);
    return std::clamp(e, std::min(a.second, b.second), std::max(a.second, b.second));
}

double Orizzonte::VistaDelCielo() const
{
    if (punti.empty())
        return 1;
    double somma = 0;
    constexpr int kPassi = 360;
    for (int i = 0; i < kPassi; ++i) {
        const double c = std::cos(Elevazione(i + 0.5) * std::numbers::pi / 180);
        somma += c * c;
    }
    return somma / kPassi;
}

namespace {

// A horizon point: elevation 0..90°, azimuth from north taken round the circle.
void AggiungiPunto(Orizzonte& o, double az, double el, int riga)
{
    NeiLimiti(el, 0, 90, riga, "l'elevazione dell'orizzonte", "°");
    NeiLimiti(az, -360, 360, riga, "l'azimut dell'orizzonte", "°");
    az = std::fmod(az, 360.0);
    o.punti.emplace_back(az < 0 ? az + 360 : az, el);
}

// PVGIS's JSON: outputs.horizon_profile, A from south.
void OrizzonteJson(const std::string& testo, Orizzonte& o)
{
    const Json radice = LettoreJson(testo).Leggi();
    const Json* profilo = Percorso(radice, {"outputs", "horizon_profile"});
    if (!profilo || profilo->tipo != Json::Tipo::Lista)
        throw ErroreMeteo(0, "il JSON non ha outputs.horizon_profile.");
    for (const Json& p : profilo->lista)
        AggiungiPunto(o, NumeroJson(p["A"], "A") + 180, NumeroJson(p["H_hor"], "H_hor"), 0);
}

// A table (pvlib's from north, PVGIS's from south, told by the column line)
// or pairs "az:el" typed from north.
void OrizzonteTesto(const std::string& testo, Orizzonte& o)
{
    const std::vector<std::string> righe = Righe(testo);
    int daSud = -1; // -1: pairs typed
    for (std::size_t r = 0; r < righe.size(); ++r) {
        const int n = int(r + 1);
        std::string riga = Pulito(righe[r]);
        if (riga.empty())
            continue;
        if (riga.rfind("horizon_azimuth", 0) == 0 || riga.rfind("A\t", 0) == 0 || riga.rfind("A,", 0) == 0
            || riga.rfind("A ", 0) == 0) {
            daSud = riga[0] == 'A' ? 1 : 0;
            continue;
        }
        const bool numero = std::isdigit(static_cast<unsigned char>(riga[0])) || riga[0] == '-';
        if (daSud >= 0) {
            std::replace(riga.begin(), riga.end(), '\t', ',');
            const std::vector<std::string> c = Campi(riga, ',');
            if (c.size() < 2 || !numero)
                break; // PVGIS's notes after the table
            AggiungiPunto(o, Numero(c[0], n, "azimut") + (daSud == 1 ? 180 : 0), Numero(c[1], n, "elevazione"), n);
            continue;
        }
        if (riga.find(':') != std::string::npos && !numero)
            continue; // PVGIS's header lines ("Latitude (decimal degrees): ...")
        std::replace(riga.begin(), riga.end(), ';', ' ');
        std::replace(riga.begin(), riga.end(), ',', ' ');
        std::istringstream in(riga);
        std::string coppia;
        while (in >> coppia) {
            const std::size_t due = coppia.find(':');
            if (due == std::string::npos)
                throw ErroreMeteo(n, "«" + coppia + "» non è una coppia azimut:elevazione.");
            AggiungiPunto(o, Numero(coppia.substr(0, due), n, "azimut"), Numero(coppia.substr(due + 1), n, "elevazione"), n);
        }
    }
}

} // namespace

Orizzonte LeggiOrizzonte(const std::string& testo)
{
    Orizzonte o;
    std::size_t inizio = 0;
    while (inizio < testo.size() && std::isspace(static_cast<unsigned char>(testo[inizio])))
        ++inizio;
    if (inizio < testo.size() && testo[inizio] == '{')
        OrizzonteJson(testo, o);
    else
        OrizzonteTesto(testo, o);
    if (o.punti.size() < 2)
        throw ErroreMeteo(0, "un orizzonte ha almeno due punti.");
    std::sort(o.punti.begin(), o.punti.end());
    // Azimuth 360 is 0: keep one, when both say the same; one azimuth with two
    // elevations is no profile.
    for (std::size_t i = 1; i < o.punti.size(); ++i)
        if (o.punti[i].first == o.punti[i - 1].first && o.punti[i].second != o.punti[i - 1].second)
            throw ErroreMeteo(0, "l'azimut " + TestoLeggibile(o.punti[i].first) + "° ha due elevazioni ("
                                     + TestoLeggibile(o.punti[i - 1].second) + "° e " + TestoLeggibile(o.punti[i].second) + "°).");
    o.punti.erase(std::unique(o.punti.begin(), o.punti.end(), [](const auto& x, const auto& y) { return x.first == y.first; }),
                  o.punti.end());
    return o;
}

} // namespace fv
