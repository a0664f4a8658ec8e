// SPDX-License-Identifier: MIT
// A meter's file onto the reference year: rows, the file's own days, the
// reference year's days, the gaps.
#include "calc/contatore.h"

#include "calc/errori.h"
#include "calc/numeri.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>
#include <sstream>

namespace fv {

ErroreContatore::ErroreContatore(int riga, const std::string& messaggio)
    : std::runtime_error(riga > 0 ? "riga " + std::to_string(riga) + ": " + messaggio : messaggio), riga_(riga)
{
}

namespace {

// ---- Dates, on the proleptic Gregorian calendar (H. Hinnant's days_from_civil).

long GiorniDaCivile(const DataFile& d)
{
    const int y = d.anno - (d.mese <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (d.mese + (d.mese > 2 ? -3 : 9)) + 2) / 5 + d.giorno - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return long(era) * 146097 + doe - 719468;
}

DataFile CivileDaGiorni(long z)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int giorno = int(doy - (153 * mp + 2) / 5 + 1);
    const int mese = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (mese <= 2 ? 1 : 0)), mese, giorno};
}

int GiorniNelMese(int anno, int mese)
{
    static const int giorni[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisestile = (anno % 4 == 0 && anno % 100 != 0) || anno % 400 == 0;
    return mese == 2 && bisestile ? 29 : giorni[mese - 1];
}

DataFile Spostata(DataFile d, long giorni) { return CivileDaGiorni(GiorniDaCivile(d) + giorni); }

// The last Sunday of a month, as a day count (1970-01-01 = 0, a Thursday).
long UltimaDomenica(int anno, int mese)
{
    const long ultimo = GiorniDaCivile({anno, mese, GiorniNelMese(anno, mese)});
    const long settimana = ((ultimo + 3) % 7 + 7) % 7; // 0 = Monday
    return ultimo - (settimana + 1) % 7;
}

// Italian clock time of a UTC instant [min from 1970]: UTC+2 from the last
// Sunday of March 01:00 UTC to the last Sunday of October 01:00 UTC, else UTC+1.
long OraItaliana(long utc)
{
    const int anno = CivileDaGiorni(utc / 1440 - (utc % 1440 < 0 ? 1 : 0)).anno;
    const long inizio = UltimaDomenica(anno, 3) * 1440 + 60, fine = UltimaDomenica(anno, 10) * 1440 + 60;
    return utc + (utc >= inizio && utc < fine ? 120 : 60);
}

std::string Testo(const DataFile& d) { return std::to_string(d.giorno) + "/" + std::to_string(d.mese) + "/" + std::to_string(d.anno); }

// ---- Fields.

std::string Minuscolo(std::string t)
{
    for (char& c : t)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

std::vector<std::string> Campi(const std::string& riga, char separatore)
{
    std::vector<std::string> campi;
    std::string campo;
    bool virgolette = false;
    for (char c : riga) {
        if (c == '"')
            virgolette = !virgolette;
        else if (c == separatore && !virgolette) {
            campi.push_back(campo);
            campo.clear();
        } else if (c != '\r')
            campo += c;
    }
    campi.push_back(campo);
    for (std::string& c : campi) {
        const auto a = c.find_first_not_of(" \t"), b = c.find_last_not_of(" \t");
        c = a == std::string::npos ? std::string() : c.substr(a, b - a + 1);
    }
    while (!campi.empty() && campi.back().empty())
        campi.pop_back(); // a separator ending the row
    return campi;
}

// A field that starts as a date does: digits, a separator, digits, a separator.
bool SembraData(const std::string& t)
{
    std::size_t i = 0, gruppi = 0;
    while (gruppi < 3) {
        const std::size_t inizio = i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i;
        if (i == inizio)
            return false;
        if (++gruppi == 3)
            break;
        if (i >= t.size() || (t[i] != '/' && t[i] != '-' && t[i] != '.'))
            return false;
        ++i;
    }
    return true;
}

// dd/mm/yyyy, dd-mm-yyyy, dd.mm.yyyy, dd/mm/yy or yyyy-mm-dd; the rest of the
// field (a time) in `resto`.
std::optional<DataFile> LeggiData(const std::string& t, std::string& resto)
{
    const auto fine = t.find_first_of(" T");
    const std::string data = t.substr(0, fine);
    resto = fine == std::string::npos ? std::string() : t.substr(fine + 1);
    std::array<int, 3> n{};
    std::array<std::size_t, 3> cifre{};
    std::size_t i = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t inizio = i;
        while (i < data.size() && std::isdigit(static_cast<unsigned char>(data[i])) && i - inizio < 5)
            n[k] = n[k] * 10 + (data[i++] - '0');
        cifre[k] = i - inizio;
        if (cifre[k] == 0 || (k < 2 && (i >= data.size() || (data[i] != '/' && data[i] != '-' && data[i] != '.'))))
            return std::nullopt;
        if (k < 2)
            ++i;
    }
    if (i != data.size())
        return std::nullopt;
    DataFile d = cifre[0] == 4 ? DataFile{n[0], n[1], n[2]} : DataFile{n[2], n[1], n[0]};
    if (cifre[0] != 4 && cifre[2] == 2)
        d.anno += 2000;
    else if (cifre[0] != 4 && cifre[2] != 4)
        return std::nullopt;
    if (d.anno < 1901 || d.anno > 2099 || d.mese < 1 || d.mese > 12 || d.giorno < 1 || d.giorno > GiorniNelMese(d.anno, d.mese))
        return std::nullopt;
    return d;
}

// A time of day: hh:mm, hh:mm:ss, hh.mm, or a whole hour (0..24) alone; then
// "Z" or an offset (+01:00, +0100) for a time that is not Italian clock
// time; "hh:mm-hh:mm" reads its start. Minutes from midnight; the offset [min].
struct Ora {
    int minuto = 0;
    std::optional<int> scarto; // from UTC, when given
};

std::optional<Ora> LeggiOra(std::string t, bool soloOre)
{
    Ora o;
    if (!t.empty() && (t.back() == 'Z' || t.back() == 'z')) {
        o.scarto = 0;
        t.pop_back();
    }
    // "+hh:mm" after a time is its offset from UTC; "-hh:mm" its interval's
    // end ("00:00-01:00": Italian files have no negative offsets).
    const auto segno = t.find_first_of("+-", 1);
    if (segno != std::string::npos && !o.scarto) {
        const std::string dopo = t.substr(segno + 1);
        if (t[segno] == '+') { // "+01:00", "+0100", "+01"; after a '-', only the start stays
            int h = 0, m = 0;
            if (dopo.size() == 5 && dopo[2] == ':')
                h = std::atoi(dopo.substr(0, 2).c_str()), m = std::atoi(dopo.substr(3).c_str());
            else if (dopo.size() == 4 || dopo.size() == 2)
                h = std::atoi(dopo.substr(0, 2).c_str()), m = dopo.size() == 4 ? std::atoi(dopo.substr(2).c_str()) : 0;
            else
                return std::nullopt;
            if (dopo.find_first_not_of("0123456789:") != std::string::npos || h > 14 || m > 59)
                return std::nullopt;
            o.scarto = h * 60 + m;
        }
        t = t.substr(0, segno);
    }
    int h = -1, m = 0, s = 0;
    char sep = 0, sep2 = 0;
    std::istringstream in(t);
    if (!(in >> h))
        return std::nullopt;
    if (in >> sep) {
        if ((sep != ':' && sep != '.') || !(in >> m))
            return std::nullopt;
        if ((in >> sep2) && (sep2 != ':' || !(in >> s)))
            return std::nullopt;
    } else if (!soloOre) {
        return std::nullopt;
    }
    in >> std::ws;
    if (!in.eof() || h < 0 || h > 24 || m < 0 || m > 59 || s != 0 || (h == 24 && m != 0))
        return std::nullopt;
    o.minuto = h * 60 + m;
    return o;
}

// ---- Units, from the header.

struct Unita {
    std::string nome;   // as shown
    double perKWh = 1;  // energy units: kWh per unit
    bool potenza = false; // a mean power: times the interval
};

std::optional<Unita> UnitaDi(const std::string& parola)
{
    if (parola == "kwh")
        return Unita{"kWh", 1, false};
    if (parola == "wh")
        return Unita{"Wh", 0.001, false};
    if (parola == "mwh")
        return Unita{"MWh", 1000, false};
    if (parola == "kw")
        return Unita{"kW", 1, true};
    if (parola == "w")
        return Unita{"W", 0.001, true};
    return std::nullopt;
}

// The unit a header names, in brackets or as a word; a bracketed word that
// is no unit of energy or power we know is refused.
std::optional<Unita> UnitaDaIntestazione(const std::string& riga, int numero)
{
    const std::string t = Minuscolo(riga);
    for (std::size_t a = t.find_first_of("(["); a != std::string::npos; a = t.find_first_of("([", a + 1)) {
        const auto b = t.find_first_of(")]", a);
        if (b == std::string::npos)
            break;
        std::string dentro = t.substr(a + 1, b - a - 1);
        dentro.erase(std::remove(dentro.begin(), dentro.end(), ' '), dentro.end());
        if (const auto u = UnitaDi(dentro))
            return u;
        if (dentro == "kvarh" || dentro == "varh" || dentro == "kvar")
            throw ErroreContatore(numero, "il file dà energia reattiva (" + dentro + "): servono i consumi di energia attiva.");
        if (dentro == "mj" || dentro == "kj" || dentro == "j"
            || dentro == "a" || dentro == "v" || dentro == "€" || dentro == "eur")
            throw ErroreContatore(numero, "l'intestazione dà l'unità «" + riga.substr(a + 1, b - a - 1)
                                              + "»: servono consumi di energia attiva in kWh o Wh, o potenze medie in kW.");
    }
    std::string parola;
    for (std::size_t i = 0; i <= t.size(); ++i) {
        if (i < t.size() && std::isalpha(static_cast<unsigned char>(t[i]))) {
            parola += t[i];
            continue;
        }
        if (const auto u = UnitaDi(parola))
            return u;
        if (parola == "kvarh" || parola == "varh")
            throw ErroreContatore(numero, "il file dà energia reattiva (" + parola + "): servono i consumi di energia attiva.");
        parola.clear();
    }
    return std::nullopt;
}

bool HaLettere(const std::string& t)
{
    return std::any_of(t.begin(), t.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

std::string Plurale(long n, const std::string& uno, const std::string& molti)
{
    return std::to_string(n) + " " + (n == 1 ? uno : molti);
}

// ---- Stage 1.

struct LettoreRighe {
    RigheContatore esito;
    std::optional<Unita> unita;
    bool dati = false;
    int ignorate = 0, primaIgnorata = 0;

    double Valore(const std::string& t, int numero)
    {
        double v = 0;
        try {
            v = LeggiNumeroFile(t, Campo::Energia);
        } catch (const ErroreConversione&) {
            throw ErroreContatore(numero, "«" + t + "» non è un consumo.");
        }
        if (v < 0)
            throw ErroreContatore(numero, "il consumo «" + t + "» è negativo: un contatore di prelievo non ne dà.");
        return v;
    }

    void Intestazione(const std::string& riga, int numero)
    {
        const std::optional<Unita> u = UnitaDaIntestazione(riga, numero);
        if (u && unita && u->nome != unita->nome)
            throw ErroreContatore(numero, "l'intestazione dà i consumi in " + u->nome + ", una precedente in " + unita->nome + ".");
        if (u)
            unita = u;
        if (dati && ignorate++ == 0)
            primaIgnorata = numero;
    }

    void Riga(const std::string& riga, char separatore, int numero)
    {
        const std::vector<std::string> c = Campi(riga, separatore);
        if (c.empty())
            return;
        // The date: the first field that starts like one, after a POD or a name.
        std::size_t i = 0;
        while (i < c.size() && i < 3 && !SembraData(c[i]))
            ++i;
        if (i == c.size() || i == 3) {
            if (HaLettere(riga))
                return Intestazione(riga, numero);
            throw ErroreContatore(numero, "manca la data.");
        }
        std::string resto;
        const std::optional<DataFile> data = LeggiData(c[i], resto);
        if (!data)
            throw ErroreContatore(numero, "«" + c[i] + "» non è una data valida (gg/mm/aaaa, gg/mm/aa o aaaa-mm-gg).");
        dati = true;
        const std::vector<std::string> dopo(c.begin() + long(i) + 1, c.end());
        if (!resto.empty())
            return Lettura(*data, resto, dopo, 0, numero);
        if (dopo.size() >= 20)
            return Giornata(*data, dopo, numero);
        const bool sembraOra = !dopo.empty() && dopo[0].find_first_of(":.") != std::string::npos
                               && dopo[0].find_first_not_of("0123456789:.") == std::string::npos;
        if (dopo.size() >= 2 && (sembraOra || LeggiOra(dopo[0], true)))
            return Lettura(*data, dopo[0], dopo, 1, numero);
        throw ErroreContatore(numero, "servono una data, un'ora e un consumo, oppure una data e 24 o 96 consumi; "
                                      "dopo la data " + std::string(dopo.size() == 1 ? "c'è 1 campo" : "ci sono "
                                      + std::to_string(dopo.size()) + " campi") + ".");
    }

    void Lettura(DataFile data, const std::string& testoOra, const std::vector<std::string>& dopo, std::size_t valore, int numero)
    {
        const std::optional<Ora> ora = LeggiOra(testoOra, valore == 1);
        if (!ora)
            throw ErroreContatore(numero, "«" + testoOra + "» non è un'ora (hh:mm).");
        if (dopo.size() <= valore)
            throw ErroreContatore(numero, "manca il consumo dopo la data e l'ora.");
        const int scritto = ora->minuto;
        int minuto = ora->minuto;
        if (ora->scarto) {
            // UTC or an explicit offset: to Italian clock time.
            const long locale = OraItaliana(GiorniDaCivile(data) * 1440 + minuto - *ora->scarto);
            data = CivileDaGiorni(locale / 1440 - (locale % 1440 < 0 ? 1 : 0));
            minuto = int(((locale % 1440) + 1440) % 1440);
            esito.avvisi.push_back("Le ore del file sono in UTC o con il loro fuso: portate all'ora italiana.");
        }
        esito.letture.push_back({data, minuto, Valore(dopo[valore], numero), numero, scritto});
    }

    void Giornata(const DataFile& data, const std::vector<std::string>& valori, int numero)
    {
        const std::size_t n = valori.size();
        if (n != 23 && n != 24 && n != 25 && n != 92 && n != 96 && n != 100)
            throw ErroreContatore(numero, "una data e " + std::to_string(n) + " consumi: servono 24 consumi orari o 96 "
                                          "quartorari (23 o 92, 25 o 100 nei giorni del cambio dell'ora).");
        GiornataRiga g{data, {}, numero};
        for (const std::string& v : valori)
            g.kWh.push_back(Valore(v, numero));
        esito.giornate.push_back(std::move(g));
    }

    // The interval, then every value in kWh of its interval.
    void Scala()
    {
        const bool quarti = std::any_of(esito.letture.begin(), esito.letture.end(), [](const LetturaRiga& l) { return l.minuto % 60 != 0; })
                            || std::any_of(esito.giornate.begin(), esito.giornate.end(), [](const GiornataRiga& g) { return g.kWh.size() > 25; });
        for (const LetturaRiga& l : esito.letture)
            if (l.minuto % 15 != 0)
                throw ErroreContatore(l.riga, "le letture vanno per ore o per quarti d'ora (:00, :15, :30, :45).");
        esito.intervallo = quarti ? 15 : 60;
        if (!unita) {
            unita = Unita{"kWh", 1, false};
            esito.avvisi.push_back("L'intestazione non dice l'unità: i consumi sono letti in kWh.");
        } else if (unita->potenza) {
            esito.avvisi.push_back("I valori del file sono potenze medie in " + unita->nome + ": l'energia è la potenza per "
                                   + (quarti ? "il quarto d'ora." : "l'ora."));
        } else if (unita->nome != "kWh") {
            esito.avvisi.push_back("I consumi del file sono in " + unita->nome + ": portati in kWh.");
        }
        const double fattore = unita->perKWh * (unita->potenza ? esito.intervallo / 60.0 : 1);
        for (LetturaRiga& l : esito.letture)
            l.kWh *= fattore;
        for (GiornataRiga& g : esito.giornate)
            for (double& v : g.kWh)
                v *= fattore;
        if (ignorate > 0)
            esito.avvisi.push_back(Plurale(ignorate, "riga senza data ignorata", "righe senza data ignorate")
                                   + " tra i dati (la prima alla riga " + std::to_string(primaIgnorata) + ").");
    }
};

} // namespace

RigheContatore LeggiRigheContatore(const std::string& testo)
{
    // The separator: a tab or a semicolon where there is one, else a comma.
    const char separatore = testo.find('\t') != std::string::npos ? '\t' : testo.find(';') != std::string::npos ? ';' : ',';
    LettoreRighe lettore;
    std::istringstream righe(testo);
    std::string riga;
    int numero = 0;
    while (std::getline(righe, riga)) {
        ++numero;
        if (numero == 1 && riga.rfind("\xEF\xBB\xBF", 0) == 0)
            riga.erase(0, 3);
        lettore.Riga(riga, separatore, numero);
    }
    if (lettore.esito.letture.empty() && lettore.esito.giornate.empty())
        throw ErroreContatore(0, "il file non contiene consumi con la loro data.");
    lettore.Scala();
    auto& avvisi = lettore.esito.avvisi;
    avvisi.erase(std::unique(avvisi.begin(), avvisi.end()), avvisi.end());
    return lettore.esito;
}

// ---- Stage 2.

namespace {

enum class Cambio { Nessuno, Primavera, Autunno };

// Whether a date is a clock-change day of its own year.
Cambio CambioDelGiorno(const DataFile& d)
{
    const long n = GiorniDaCivile(d);
    if (n == UltimaDomenica(d.anno, 3))
        return Cambio::Primavera;
    if (n == UltimaDomenica(d.anno, 10))
        return Cambio::Autunno;
    return Cambio::Nessuno;
}

GiornoFile GiornoVuoto(const DataFile& d, int intervallo, int riga)
{
    GiornoFile g;
    g.riga = riga;
    g.perOra = 60 / intervallo;
    g.attese.fill(g.perOra);
    const Cambio c = CambioDelGiorno(d);
    if (c == Cambio::Primavera)
        g.attese[2] = 0; // 02:00-03:00 does not exist
    else if (c == Cambio::Autunno)
        g.attese[2] *= 2; // 02:00-03:00 comes twice
    return g;
}

// Starts or ends of intervals, from the whole file: a 24:00 marks ends; else
// the first reading at 00:00 marks starts, at the end of the first interval
// (01:00, 00:15) ends; else the last at 00:00 of a later day ends.
bool SegnaFine(std::vector<LetturaRiga> letture, int intervallo, std::vector<std::string>& avvisi)
{
    // On the times as written (a UTC file's 00:00Z is its midnight).
    if (std::any_of(letture.begin(), letture.end(), [](const LetturaRiga& l) { return l.minutoScritto == 1440; }))
        return true;
    std::stable_sort(letture.begin(), letture.end(), [](const LetturaRiga& a, const LetturaRiga& b) {
        return std::tie(a.data, a.minuto) < std::tie(b.data, b.minuto);
    });
    if (letture.front().minutoScritto == 0)
        return false;
    if (letture.front().minutoScritto == intervallo)
        return true;
    if (letture.back().minutoScritto == 0)
        return true;
    if (letture.back().minutoScritto != 1440 - intervallo)
        avvisi.push_back("Il file non comincia né finisce a mezzanotte: le ore sono lette come inizio di ogni intervallo.");
    return false;
}

void Metti(GiorniContatore& esito, const DataFile& data, int slot, double kWh, int riga, int intervallo, int& ripetute,
           int& primaRipetuta)
{
    auto [it, nuovo] = esito.giorni.try_emplace(data, GiornoVuoto(data, intervallo, riga));
    GiornoFile& g = it->second;
    const auto h = std::size_t(slot);
    const int massimo = std::max(g.attese[h], 60 / intervallo); // a 02:00 on the 23-hour day is taken
    if (g.letture[h] >= massimo) {
        if (ripetute++ == 0)
            primaRipetuta = riga;
        return;
    }
    g.kWh[h] += kWh;
    ++g.letture[h];
}

void LettureNeiGiorni(const RigheContatore& righe, GiorniContatore& esito)
{
    if (righe.letture.empty())
        return;
    const int L = righe.intervallo;
    const bool fine = SegnaFine(righe.letture, L, esito.avvisi);
    esito.avvisi.push_back(fine ? (L == 60 ? "Le ore del file segnano la fine di ogni intervallo (01:00 … 24:00)."
                                           : "Le ore del file segnano la fine di ogni quarto d'ora (00:15 … 24:00).")
                                : (L == 60 ? "Le ore del file segnano l'inizio di ogni intervallo (00:00 … 23:00)."
                                           : "Le ore del file segnano l'inizio di ogni quarto d'ora (00:00 … 23:45)."));
    int ripetute = 0, primaRipetuta = 0;
    for (const LetturaRiga& l : righe.letture) {
        DataFile data = l.data;
        int minuto = fine ? l.minuto - L : l.minuto;
        if (minuto < 0) { // 00:00 marking the end of the day before
            data = Spostata(data, -1);
            minuto += 1440;
        }
        if (data.anno < 1901)
            continue;
        Metti(esito, data, minuto / 60, l.kWh, l.riga, L, ripetute, primaRipetuta);
    }
    if (ripetute > 0)
        esito.avvisi.push_back(Plurale(ripetute, "lettura ripetuta ignorata", "letture ripetute ignorate") + " (la prima alla riga "
                               + std::to_string(primaRipetuta) + ").");
}

void GiornateNeiGiorni(const RigheContatore& righe, GiorniContatore& esito)
{
    for (const GiornataRiga& r : righe.giornate) {
        const std::size_t per = r.kWh.size() > 25 ? 4 : 1, ore = r.kWh.size() / per;
        const Cambio c = CambioDelGiorno(r.data);
        if ((ore == 23 && c != Cambio::Primavera) || (ore == 25 && c != Cambio::Autunno))
            throw ErroreContatore(r.riga, ArticoloData(r.data.giorno) + Testo(r.data) + " ha " + std::to_string(ore) + " ore di consumi, "
                                          "ma non è un giorno del cambio dell'ora.");
        if (esito.giorni.count(r.data)) {
            esito.avvisi.push_back("Il giorno " + Testo(r.data) + " è ripetuto alla riga " + std::to_string(r.riga) + ": vale il primo.");
            continue;
        }
        GiornoFile g = GiornoVuoto(r.data, per == 4 ? 15 : 60, r.riga);
        for (std::size_t i = 0; i < r.kWh.size(); ++i) {
            std::size_t ora = i / per;
            if (ore == 23 && ora >= 2)
                ++ora; // no 02:00 on the 23-hour day
            else if (ore == 25 && ora >= 3)
                ora = ora == 3 ? 2 : ora - 1; // the repeated 02:00
            g.kWh[ora] += r.kWh[i];
            ++g.letture[ora];
        }
        if (ore == 24)
            g.attese[2] = int(per); // a day of the change written as 24 hours
        esito.giorni.emplace(r.data, g);
    }
}

} // namespace

GiorniContatore PosizionaLetture(const RigheContatore& righe)
{
    GiorniContatore esito;
    esito.avvisi = righe.avvisi;
    LettureNeiGiorni(righe, esito);
    // A clock-change day written with 24 hours, as many spreadsheets do: its
    // slot 2 holds one hour, whatever the clock did.
    for (auto& [data, g] : esito.giorni)
        if (g.letture[2] == g.perOra && g.attese[2] != g.perOra)
            g.attese[2] = g.perOra;
    GiornateNeiGiorni(righe, esito);
    // An hour beyond a home's supply is said; beyond any supply refused.
    int oltre = 0, primaOltre = 0;
    for (const auto& [data, g] : esito.giorni)
        for (std::size_t h = 0; h < 24; ++h) {
            const double orario = g.kWh[h] / std::max(1, g.attese[h] / g.perOra); // slot 2 of the 25-hour day holds two
            if (orario > kOraImpossibile)
                throw ErroreContatore(g.riga, ArticoloData(data.giorno) + Testo(data) + " alle " + std::to_string(h) + " il consumo di un'ora sarebbe "
                                              + TestoLeggibile(orario) + " kWh: nessuna fornitura domestica lo permette "
                                              "(unità sbagliata?).");
            if (orario > kOraOltreUnaCasa && oltre++ == 0)
                primaOltre = g.riga;
        }
    if (oltre > 0)
        esito.avvisi.push_back(Plurale(oltre, "ora supera", "ore superano") + " " + TestoLeggibile(kOraOltreUnaCasa)
                               + " kWh, oltre quanto preleva una casa (il giorno alla riga " + std::to_string(primaOltre)
                               + "): controllare il file.");
    return esito;
}

// ---- Stage 3.

namespace {

enum class Stato { Letta, Assente, Mancante };

Stato StatoOra(const GiornoFile& g, std::size_t h)
{
    if (g.attese[h] == 0 && g.letture[h] == 0)
        return Stato::Assente;
    return g.letture[h] >= std::max(1, g.attese[h]) ? Stato::Letta : Stato::Mancante;
}

// The file day's slot 2 as the reference day needs it: 0, 1 or 2 hours.
void AdattaCambio(const GiornoFile& g, int oreFile, int oreRif, Ore& ore, std::array<bool, 24>& presenti, int& stimate)
{
    const bool vicine = StatoOra(g, 1) == Stato::Letta && StatoOra(g, 3) == Stato::Letta;
    if (oreRif == oreFile)
        return;
    ++stimate;
    const double una = oreFile == 25 ? g.kWh[2] / 2 : oreFile == 24 ? g.kWh[2] : (g.kWh[1] + g.kWh[3]) / 2;
    const bool letta = oreFile == 23 ? vicine : StatoOra(g, 2) == Stato::Letta;
    ore[2] = oreRif == 23 ? 0 : oreRif == 24 ? una : 2 * una;
    presenti[2] = oreRif == 23 || letta;
}

int OreDelGiorno(const Giorno& g, const Giorno* prima)
{
    if (g.legale && (!prima || !prima->legale))
        return 23;
    if (!g.legale && prima && prima->legale)
        return 25;
    return 24;
}

} // namespace

ConsumoPosto PosizionaSulCalendario(const GiorniContatore& giorni, const Calendario& calendario)
{
    ConsumoPosto esito;
    esito.avvisi = giorni.avvisi;
    esito.consumo.assign(calendario.giorni.size(), Ore{});
    esito.presenti.assign(calendario.giorni.size(), std::array<bool, 24>{});
    std::array<std::size_t, 12> inizio{};
    for (std::size_t d = 0, m = 0; m < 12; d += std::size_t(calendario.giorniMese[m]), ++m)
        inizio[m] = d;
    std::vector<bool> occupato(calendario.giorni.size());
    int fuori = 0, doppi = 0, stimate = 0;
    std::set<int> anni;
    for (const auto& [data, g] : giorni.giorni) {
        anni.insert(data.anno);
        if (data.giorno > calendario.giorniMese[std::size_t(data.mese - 1)]) {
            ++fuori; // 29 February, the reference year has none
            continue;
        }
        const std::size_t d = inizio[std::size_t(data.mese - 1)] + std::size_t(data.giorno - 1);
        if (occupato[d]) {
            ++doppi;
            continue;
        }
        occupato[d] = true;
        for (std::size_t h = 0; h < 24; ++h) {
            esito.consumo[d][h] = g.kWh[h];
            esito.presenti[d][h] = StatoOra(g, h) != Stato::Mancante;
        }
        // The file day's hours as its own clock had them: slot 2 held 0, 1 or 2 hours.
        const int oreFile = 23 + g.attese[2] / g.perOra;
        const int oreRif = OreDelGiorno(calendario.giorni[d], d > 0 ? &calendario.giorni[d - 1] : nullptr);
        AdattaCambio(g, oreFile, oreRif, esito.consumo[d], esito.presenti[d], stimate);
    }
    if (fuori > 0)
        esito.avvisi.push_back("Il 29 febbraio del file è tralasciato: l'anno di riferimento " + std::to_string(calendario.anno)
                               + " non è bisestile.");
    if (doppi > 0)
        esito.avvisi.push_back("Il file copre più di un anno: per " + Plurale(doppi, "giorno", "giorni")
                               + " dell'anno vale il primo anno del file.");
    if (stimate > 0 || anni.size() != 1 || *anni.begin() != calendario.anno)
        esito.avvisi.push_back("I giorni del file sono messi sull'anno " + std::to_string(calendario.anno)
                               + " per data, con i suoi cambi dell'ora"
                               + (stimate > 0 ? " (" + Plurale(stimate, "giorno adattato", "giorni adattati") + ")." : "."));
    return esito;
}

// ---- Stage 4.

LetturaContatore RiempiLacune(ConsumoPosto posto, const Calendario& calendario, const ProfiloConsumo& profilo)
{
    std::vector<std::pair<std::size_t, int>> mancanti;
    double letto = 0, pesoLetto = 0;
    for (std::size_t d = 0; d < posto.consumo.size(); ++d)
        for (int h = 0; h < 24; ++h) {
            if (posto.presenti[d][std::size_t(h)]) {
                letto += posto.consumo[d][std::size_t(h)];
                pesoLetto += PesoOra(profilo, calendario.giorni[d], h);
            } else {
                mancanti.emplace_back(d, h);
            }
        }
    const auto dove = [&] {
        const Giorno& g = calendario.giorni[mancanti.front().first];
        return "la prima il " + std::to_string(g.giorno) + "/" + std::to_string(g.mese + 1) + " alle "
               + std::to_string(mancanti.front().second);
    };
    const double ore = double(posto.consumo.size()) * 24;
    if (double(mancanti.size()) > 0.05 * ore)
        throw ErroreContatore(0, "nel file mancano " + std::to_string(mancanti.size()) + " ore dell'anno (oltre il 5 %), "
                                     + dove() + ": servono i consumi di un anno intero.");
    LetturaContatore esito;
    esito.avvisi = std::move(posto.avvisi);
    for (const auto& [d, h] : mancanti)
        posto.consumo[d][std::size_t(h)] = pesoLetto > 0 ? letto / pesoLetto * PesoOra(profilo, calendario.giorni[d], h) : 0;
    esito.oreRiempite = int(mancanti.size());
    if (!mancanti.empty())
        esito.avvisi.push_back(Plurale(long(mancanti.size()), "ora mancante riempita", "ore mancanti riempite")
                               + " dal profilo (" + dove() + ").");
    esito.consumo = std::move(posto.consumo);
    return esito;
}

LetturaContatore LeggiContatore(const std::string& testo, const Calendario& calendario, const ProfiloConsumo& profilo)
{
    return RiempiLacune(PosizionaSulCalendario(PosizionaLetture(LeggiRigheContatore(testo)), calendario), calendario, profilo);
}

} // namespace fv
