// SPDX-License-Identifier: MIT
// Consumption over the reference year, a meter's file, and the hourly
// balance with a battery.
#include "calc/bilancio.h"

#include "calc/errori.h"
#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>

namespace fv {

namespace {

// The project's own assumptions, not measurements of any household: shapes
// that follow what Italian studies of domestic load describe qualitatively
// (a small night base of fridge and standby, a morning peak, an evening peak
// from cooking, lighting and appliances that is the day's highest; more
// daytime use when someone is at home and on weekends; more in winter for
// lighting, a summer rise for cooling), and a business open 8–19 on working
// days, half-days on Saturday, closed on Sundays. Weights, not kWh: only
// their proportions matter.
const std::vector<ProfiloConsumo> kProfili = {
    {"fuori-casa", "Famiglia fuori casa di giorno",
     {0.30, 0.25, 0.22, 0.22, 0.22, 0.25, 0.45, 0.80, 0.50, 0.30, 0.28, 0.28,
      0.35, 0.38, 0.30, 0.28, 0.30, 0.45, 0.75, 1.00, 1.05, 0.90, 0.70, 0.45},
     {0.32, 0.27, 0.24, 0.22, 0.22, 0.23, 0.30, 0.45, 0.65, 0.75, 0.75, 0.80,
      0.90, 0.85, 0.65, 0.55, 0.55, 0.65, 0.80, 0.95, 1.00, 0.90, 0.70, 0.50},
     {0.35, 0.28, 0.24, 0.22, 0.22, 0.22, 0.25, 0.35, 0.55, 0.70, 0.80, 0.90,
      1.00, 0.95, 0.70, 0.55, 0.55, 0.65, 0.80, 0.95, 1.00, 0.85, 0.65, 0.45},
     {1.12, 1.03, 0.98, 0.92, 0.88, 0.92, 1.04, 1.00, 0.92, 0.95, 1.04, 1.20}},
    {"a-casa", "Famiglia a casa di giorno",
     {0.30, 0.25, 0.22, 0.22, 0.22, 0.25, 0.40, 0.70, 0.65, 0.60, 0.60, 0.75,
      0.95, 0.90, 0.60, 0.55, 0.55, 0.65, 0.80, 1.00, 1.05, 0.90, 0.70, 0.45},
     {0.32, 0.27, 0.24, 0.22, 0.22, 0.23, 0.30, 0.45, 0.65, 0.75, 0.75, 0.80,
      0.95, 0.90, 0.65, 0.55, 0.55, 0.65, 0.80, 0.95, 1.00, 0.90, 0.70, 0.50},
     {0.35, 0.28, 0.24, 0.22, 0.22, 0.22, 0.25, 0.35, 0.55, 0.70, 0.80, 0.90,
      1.00, 0.95, 0.70, 0.55, 0.55, 0.65, 0.80, 0.95, 1.00, 0.85, 0.65, 0.45},
     {1.12, 1.03, 0.98, 0.92, 0.88, 0.92, 1.04, 1.00, 0.92, 0.95, 1.04, 1.20}},
    {"attivita-diurna", "Attività diurna: ufficio o negozio",
     {0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.20, 0.45, 0.95, 1.00, 1.00, 1.00,
      0.90, 0.85, 1.00, 1.00, 1.00, 0.95, 0.80, 0.40, 0.20, 0.15, 0.15, 0.15},
     {0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.20, 0.40, 0.80, 0.85, 0.85, 0.85,
      0.80, 0.45, 0.25, 0.20, 0.20, 0.20, 0.20, 0.15, 0.15, 0.15, 0.15, 0.15},
     {0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15,
      0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15, 0.15},
     {1.05, 1.00, 0.97, 0.93, 0.95, 1.05, 1.12, 0.90, 1.00, 0.97, 1.00, 1.06}},
};

std::vector<Ore> Vuoto(const Calendario& c) { return std::vector<Ore>(c.giorni.size(), Ore{}); }

} // namespace

const std::vector<ProfiloConsumo>& ProfiliConsumo() { return kProfili; }

const ProfiloConsumo* TrovaProfilo(const std::string& nome)
{
    for (const ProfiloConsumo& p : kProfili) {
        if (nome == p.nome)
            return &p;
    }
    return nullptr;
}

double PesoOra(const ProfiloConsumo& p, const Giorno& g, int ora)
{
    const Ore& ore = TipoDelGiorno(g) == TipoGiorno::Feriale ? p.feriale : TipoDelGiorno(g) == TipoGiorno::Sabato ? p.sabato : p.festivo;
    return ore[std::size_t(ora)] * p.mensile[std::size_t(g.mese)];
}

std::vector<Ore> ConsumoDaAnnuo(double kWh, const ProfiloConsumo& profilo, const Calendario& calendario)
{
    std::vector<Ore> c = Vuoto(calendario);
    double somma = 0;
    for (std::size_t d = 0; d < c.size(); ++d)
        for (int h = 0; h < 24; ++h)
            somma += c[d][std::size_t(h)] = PesoOra(profilo, calendario.giorni[d], h);
    for (Ore& o : c)
        for (double& x : o)
            x *= kWh / somma;
    return c;
}

std::vector<Ore> ConsumoDaFasce(const FasceMese& fasce, const ProfiloConsumo& profilo, const Calendario& calendario)
{
    std::vector<Ore> c = Vuoto(calendario);
    std::array<std::array<double, 3>, 12> pesi{};
    for (std::size_t d = 0; d < c.size(); ++d) {
        const Giorno& g = calendario.giorni[d];
        for (int h = 0; h < 24; ++h)
            pesi[std::size_t(g.mese)][std::size_t(FasciaOraria(g, h) - 1)] += PesoOra(profilo, g, h);
    }
    for (std::size_t d = 0; d < c.size(); ++d) {
        const Giorno& g = calendario.giorni[d];
        for (int h = 0; h < 24; ++h) {
            const auto f = std::size_t(FasciaOraria(g, h) - 1);
            const double peso = pesi[std::size_t(g.mese)][f];
            c[d][std::size_t(h)] = peso > 0 ? fasce[std::size_t(g.mese)][f] * PesoOra(profilo, g, h) / peso : 0;
        }
    }
    return c;
}

ErroreContatore::ErroreContatore(int riga, const std::string& messaggio)
    : std::runtime_error(messaggio), riga_(riga)
{
}

namespace {

struct Data {
    int anno = 0, mese = 0, giorno = 0;
};

std::optional<Data> LeggiData(const std::string& t)
{
    Data d;
    char s1 = 0, s2 = 0;
    std::istringstream in(t);
    if (t.size() >= 10 && t[4] == '-') { // ISO yyyy-mm-dd
        in >> d.anno >> s1 >> d.mese >> s2 >> d.giorno;
    } else { // dd/mm/yyyy (or with - or .)
        in >> d.giorno >> s1 >> d.mese >> s2 >> d.anno;
    }
    if (!in || d.mese < 1 || d.mese > 12 || d.giorno < 1 || d.giorno > 31 || d.anno < 1900)
        return std::nullopt;
    return d;
}

// hh:mm or hh:mm:ss, as minutes from midnight (24:00 is 1440).
std::optional<int> LeggiOra(const std::string& t)
{
    int h = -1, m = -1;
    char s = 0;
    std::istringstream in(t);
    in >> h >> s >> m;
    if (!in || s != ':' || h < 0 || h > 24 || m < 0 || m > 59 || (h == 24 && m != 0))
        return std::nullopt;
    return h * 60 + m;
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
    return campi;
}

// One reading: the day, the minute its interval starts or ends, the energy.
struct Lettura {
    Data data;
    int minuto;
    double kWh;
    int riga;
};

std::string Testo(const Data& d) { return std::to_string(d.giorno) + "/" + std::to_string(d.mese) + "/" + std::to_string(d.anno); }

} // namespace

LetturaContatore LeggiContatore(const std::string& testo, const Calendario& calendario, const ProfiloConsumo& profilo)
{
    // The separator: a tab or a semicolon where there is one, else a comma.
    const char separatore = testo.find('\t') != std::string::npos ? '\t'
                            : testo.find(';') != std::string::npos ? ';'
                                                                   : ',';
    std::vector<Lettura> letture;                 // one value per row
    std::map<std::pair<int, int>, std::vector<double>> giornate; // one day per row: (month, day) -> values
    std::istringstream righe(testo);
    std::string riga;
    int numero = 0, dati = 0;
    const auto numeroDi = [&](const std::string& t) {
        try {
            return LeggiNumeroFile(t, Campo::Energia);
        } catch (const ErroreConversione&) {
            throw ErroreContatore(numero, "riga " + std::to_string(numero) + ": «" + t + "» non è un consumo in kWh.");
        }
    };
    while (std::getline(righe, riga)) {
        ++numero;
        if (numero == 1 && riga.rfind("\xEF\xBB\xBF", 0) == 0)
            riga.erase(0, 3);
        const std::vector<std::string> c = Campi(riga, separatore);
        if (c.empty() || c[0].empty())
            continue;
        // The date stands first, alone or with its time ("dd/mm/yyyy hh:mm", ISO with a T).
        std::string primo = c[0], ora;
        const auto spazio = primo.find_first_of(" T");
        if (spazio != std::string::npos) {
            ora = primo.substr(spazio + 1);
            primo = primo.substr(0, spazio);
        }
        const std::optional<Data> data = LeggiData(primo);
        if (!data) {
            if (dati == 0)
                continue; // a heading before the data
            throw ErroreContatore(numero, "riga " + std::to_string(numero) + ": «" + c[0] + "» non è una data.");
        }
        ++dati;
        std::size_t valori = 1;
        if (ora.empty() && c.size() >= 3 && LeggiOra(c[1]))
            ora = c[1], valori = 2;
        if (!ora.empty()) {
            const std::optional<int> minuto = LeggiOra(ora);
            if (!minuto || c.size() <= valori)
                throw ErroreContatore(numero, "riga " + std::to_string(numero) + ": manca l'ora o il consumo.");
            letture.push_back({*data, *minuto, numeroDi(c[valori]), numero});
        } else if (c.size() == 25 || c.size() == 97) {
            std::vector<double> v;
            for (std::size_t i = 1; i < c.size(); ++i)
                v.push_back(numeroDi(c[i]));
            giornate[{data->mese, data->giorno}] = v;
        } else {
            throw ErroreContatore(numero, "riga " + std::to_string(numero) + ": servono una data, un'ora e un consumo, "
                                              "oppure una data e 24 o 96 consumi; ce ne sono " + std::to_string(c.size() - 1) + ".");
        }
    }
    if (letture.empty() && giornate.empty())
        throw ErroreContatore(0, "il file non contiene consumi con la loro data.");

    LetturaContatore esito;
    std::vector<Ore> consumo = Vuoto(calendario);
    std::vector<std::array<int, 24>> presenti(calendario.giorni.size(), std::array<int, 24>{});
    std::vector<std::size_t> inizioMese(12, 0);
    for (std::size_t d = 0, m = 0; m < 12; d += std::size_t(calendario.giorniMese[m]), ++m)
        inizioMese[m] = d;
    const auto indice = [&](int mese, int giorno) -> std::optional<std::size_t> {
        if (giorno > calendario.giorniMese[std::size_t(mese - 1)])
            return std::nullopt; // 29 February outside a leap year
        return inizioMese[std::size_t(mese - 1)] + std::size_t(giorno - 1);
    };
    int duplicati = 0;
    std::string primoDuplicato;
    if (!letture.empty()) {
        // Start or end of the interval: a day whose readings begin at 00:00
        // marks starts; one whose first is 01:00 (or 00:15), and that has a
        // 24:00, marks ends.
        const bool fine = std::any_of(letture.begin(), letture.end(), [](const Lettura& l) { return l.minuto == 1440; })
                          || std::none_of(letture.begin(), letture.end(), [](const Lettura& l) { return l.minuto == 0; });
        esito.avvisi.push_back(fine ? "Le ore del file segnano la fine di ogni intervallo (01:00 … 24:00)."
                                    : "Le ore del file segnano l'inizio di ogni intervallo (00:00 … 23:00).");
        std::map<std::tuple<int, int, int, int>, int> viste;
        for (const Lettura& l : letture) {
            int mese = l.data.mese, giorno = l.data.giorno, minuto = fine ? l.minuto - 1 : l.minuto;
            if (minuto < 0) { // "00:00" marking the end of the day before
                minuto = 1439;
                if (--giorno == 0) {
                    if (--mese == 0)
                        continue; // the end of the year before the file's
                    giorno = calendario.giorniMese[std::size_t(mese - 1)];
                }
            }
            const int ora = minuto / 60;
            const auto d = indice(mese, giorno);
            if (!d)
                continue;
            if (++viste[{mese, giorno, minuto, 0}] > 1) {
                // The 25-hour day repeats its 2:00 hour: both are its energy.
                const Giorno& g = calendario.giorni[*d];
                const bool cambio = g.mese == 9 && g.settimana == 6 && !g.legale && ora == 2;
                if (!cambio) {
                    if (duplicati++ == 0)
                        primoDuplicato = Testo(l.data) + " ore " + std::to_string(ora);
                    continue;
                }
            }
            consumo[*d][std::size_t(ora)] += l.kWh;
            presenti[*d][std::size_t(ora)] = 1;
        }
    }
    for (const auto& [giorno, valori] : giornate) {
        const auto d = indice(giorno.first, giorno.second);
        if (!d)
            continue;
        const std::size_t per = valori.size() / 24;
        for (std::size_t i = 0; i < valori.size(); ++i) {
            consumo[*d][i / per] += valori[i];
            presenti[*d][i / per] = 1;
        }
    }
    if (duplicati > 0)
        esito.avvisi.push_back(std::to_string(duplicati) + " letture ripetute ignorate (la prima il " + primoDuplicato + ").");
    // The missing hours: the hour skipped on the 23-hour day is no gap.
    std::vector<std::pair<std::size_t, int>> mancanti;
    double letto = 0, pesoLetto = 0;
    for (std::size_t d = 0; d < consumo.size(); ++d) {
        const Giorno& g = calendario.giorni[d];
        const bool primoLegale = g.legale && (d == 0 || !calendario.giorni[d - 1].legale);
        for (int h = 0; h < 24; ++h) {
            if (presenti[d][std::size_t(h)]) {
                letto += consumo[d][std::size_t(h)];
                pesoLetto += PesoOra(profilo, g, h);
            } else if (!(primoLegale && h == 2)) {
                mancanti.emplace_back(d, h);
            }
        }
    }
    const double ore = double(consumo.size()) * 24;
    if (double(mancanti.size()) > 0.05 * ore) {
        const Giorno& g = calendario.giorni[mancanti.front().first];
        throw ErroreContatore(0, "nel file mancano " + std::to_string(mancanti.size()) + " ore dell'anno (oltre il 5 %), "
                                     "la prima il " + std::to_string(g.giorno) + "/" + std::to_string(g.mese + 1)
                                     + " alle " + std::to_string(mancanti.front().second) + ": servono i consumi di un anno intero.");
    }
    for (const auto& [d, h] : mancanti)
        consumo[d][std::size_t(h)] = pesoLetto > 0 ? letto / pesoLetto * PesoOra(profilo, calendario.giorni[d], h) : 0;
    esito.oreRiempite = int(mancanti.size());
    if (!mancanti.empty()) {
        const Giorno& g = calendario.giorni[mancanti.front().first];
        esito.avvisi.push_back(std::to_string(mancanti.size()) + " ore mancanti riempite dal profilo (la prima il "
                               + std::to_string(g.giorno) + "/" + std::to_string(g.mese + 1) + " alle "
                               + std::to_string(mancanti.front().second) + ").");
    }
    esito.consumo = std::move(consumo);
    return esito;
}

Bilancio CalcolaBilancio(const std::vector<Ore>& produzione, const std::vector<Ore>& consumo, const Calendario& calendario,
                         const Batteria& batteria, std::vector<OraBilancio>* traccia)
{
    const double eta = std::sqrt(std::clamp(batteria.rendimento, 0.0, 100.0) / 100);
    const double capacita = std::max(0.0, batteria.capacita);
    const double potenza = batteria.potenza > 0 ? batteria.potenza : capacita;
    double carica = 0;
    Bilancio b;
    for (int passata = 0; passata < 2; ++passata) {
        const bool conta = passata == 1;
        for (std::size_t d = 0; d < calendario.giorni.size(); ++d) {
            const int mese = calendario.giorni[d].mese;
            FlussiEnergia& f = b.mesi[std::size_t(mese)];
            for (int h = 0; h < 24; ++h) {
                const double p = produzione[d][std::size_t(h)], c = consumo[d][std::size_t(h)];
                OraBilancio o{p, c, std::min(p, c), 0, 0, 0, 0, 0};
                if (p > c) {
                    // Into the battery, as energy taken from the plant; √η of it is stored.
                    o.inBatteria = eta > 0 ? std::min({p - c, potenza, (capacita - carica) / eta}) : 0;
                    o.inBatteria = std::max(0.0, o.inBatteria);
                    carica = std::min(capacita, carica + o.inBatteria * eta);
                    o.immessa = p - c - o.inBatteria;
                } else {
                    // To the loads, as energy delivered; 1/√η of it leaves the store.
                    o.daBatteria = eta > 0 ? std::max(0.0, std::min({c - p, potenza, carica * eta})) : 0;
                    carica = std::max(0.0, carica - (eta > 0 ? o.daBatteria / eta : 0));
                    o.prelevata = c - p - o.daBatteria;
                }
                o.carica = carica;
                if (!conta)
                    continue;
                if (traccia)
                    traccia->push_back(o);
                f.produzione += p;
                f.consumo += c;
                f.diretto += o.diretto;
                f.inBatteria += o.inBatteria;
                f.daBatteria += o.daBatteria;
                f.immessa += o.immessa;
                f.prelevata += o.prelevata;
                const double giorni = calendario.giorniMese[std::size_t(mese)];
                b.produzioneMedia[std::size_t(mese)][std::size_t(h)] += p / giorni;
                b.consumoMedio[std::size_t(mese)][std::size_t(h)] += c / giorni;
                b.caricaMedia[std::size_t(mese)][std::size_t(h)] += carica / giorni;
            }
        }
    }
    for (const FlussiEnergia& m : b.mesi) {
        b.anno.produzione += m.produzione;
        b.anno.consumo += m.consumo;
        b.anno.diretto += m.diretto;
        b.anno.inBatteria += m.inBatteria;
        b.anno.daBatteria += m.daBatteria;
        b.anno.immessa += m.immessa;
        b.anno.prelevata += m.prelevata;
    }
    return b;
}

} // namespace fv
