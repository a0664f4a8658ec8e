// SPDX-License-Identifier: MIT
#include "calc/comunita.h"

#include "calc/bilancio.h"
#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <sstream>

namespace fv {

const char* NomeRuolo(RuoloMembro r)
{
    switch (r) {
    case RuoloMembro::Consumatore: return "consumatore";
    case RuoloMembro::Prosumer: return "prosumer";
    case RuoloMembro::Produttore: return "produttore";
    }
    return "";
}

const char* NomeTipo(TipoMembro t)
{
    switch (t) {
    case TipoMembro::Domestico: return "domestico";
    case TipoMembro::Impresa: return "impresa";
    case TipoMembro::Ente: return "ente";
    }
    return "";
}

std::vector<Falda> Membro::Falde() const
{
    std::vector<Falda> f;
    if (potenza > 0) {
        Falda prima;
        prima.tilt = tilt;
        prima.azimut = azimut;
        prima.potenza = potenza;
        f.push_back(prima);
    }
    f.insert(f.end(), falde.begin(), falde.end());
    return f;
}

double Membro::Picco() const { return PotenzaDiPicco(Falde()); }

ErroreMembri::ErroreMembri(int riga, std::string membro, std::string campo, const std::string& messaggio)
    : std::runtime_error("riga " + std::to_string(riga) + (membro.empty() ? std::string() : " («" + membro + "»)")
                         + (campo.empty() ? std::string() : ", " + campo) + ": " + messaggio),
      riga_(riga), membro_(std::move(membro)), campo_(std::move(campo))
{
}

namespace {

// One line's fields, split by `sep`; a field in double quotes may hold the
// separator, "" a quote.
std::vector<std::string> Campi(const std::string& riga, char sep, int numero)
{
    std::vector<std::string> campi(1);
    bool virgolette = false;
    for (std::size_t i = 0; i < riga.size(); ++i) {
        const char c = riga[i];
        if (virgolette) {
            if (c == '"' && i + 1 < riga.size() && riga[i + 1] == '"') {
                campi.back() += '"';
                ++i;
            } else if (c == '"') {
                virgolette = false;
            } else {
                campi.back() += c;
            }
        } else if (c == '"' && campi.back().find_first_not_of(' ') == std::string::npos) {
            campi.back().clear();
            virgolette = true;
        } else if (c == sep) {
            campi.emplace_back();
        } else {
            campi.back() += c;
        }
    }
    if (virgolette)
        throw ErroreMembri(numero, "", "", "virgolette aperte e mai chiuse");
    for (std::string& c : campi) {
        const auto a = c.find_first_not_of(" \t"), b = c.find_last_not_of(" \t");
        c = a == std::string::npos ? std::string() : c.substr(a, b - a + 1);
    }
    return campi;
}

struct Lettore {
    char sep;
    int numero;
    std::string membro;

    [[noreturn]] void Errore(const std::string& campo, const std::string& msg) const { throw ErroreMembri(numero, membro, campo, msg); }

    double Numero(const std::string& testo, const std::string& campo, double minimo, double massimo) const
    {
        // As a person types it: "2.700" or "2,700" could be thousands as much
        // as decimals, and is refused rather than read as 2.7.
        double v = 0;
        try {
            v = LeggiNumeroPersona(testo, Campo::Energia);
        } catch (const ErroreAmbiguo& e) {
            Errore(campo, e.Spiegazione());
        } catch (const ErroreConversione&) {
            Errore(campo, "«" + testo + "» non è un numero");
        }
        if (!std::isfinite(v) || v < minimo || v > massimo)
            Errore(campo, TestoLeggibile(v) + " fuori dell'intervallo " + TestoLeggibile(minimo) + "–" + TestoLeggibile(massimo));
        return v;
    }
};

RuoloMembro LeggiRuolo(const Lettore& l, const std::string& t)
{
    if (t == "consumatore")
        return RuoloMembro::Consumatore;
    if (t == "prosumer")
        return RuoloMembro::Prosumer;
    if (t == "produttore")
        return RuoloMembro::Produttore;
    l.Errore("ruolo", "«" + t + "» non è consumatore, prosumer né produttore");
}

TipoMembro LeggiTipo(const Lettore& l, const std::string& t)
{
    if (t.empty() || t == "domestico")
        return TipoMembro::Domestico;
    if (t == "impresa")
        return TipoMembro::Impresa;
    if (t == "ente")
        return TipoMembro::Ente;
    l.Errore("tipo", "«" + t + "» non è domestico, impresa né ente");
}

// The members' consistency: a consumer without a plant, a producer with one,
// everyone with a consumption or a plant.
void Controlla(const Lettore& l, const Membro& m)
{
    const bool impianto = m.Picco() > 0, consumi = m.consumoAnnuo > 0 || !m.consumi.empty();
    if (!impianto && !consumi)
        l.Errore("", "né consumi (consumo_annuo o consumi) né impianto (potenza): un membro porta almeno uno dei due");
    if (m.ruolo == RuoloMembro::Consumatore && impianto)
        l.Errore("ruolo", "un consumatore non ha impianto: con potenza " + TestoLeggibile(m.Picco()) + " kWp è un prosumer");
    if (m.ruolo != RuoloMembro::Consumatore && !impianto)
        l.Errore("potenza", std::string("un ") + NomeRuolo(m.ruolo) + " ha un impianto: manca la potenza");
    if (m.ruolo == RuoloMembro::Prosumer && !consumi)
        l.Errore("consumo_annuo", "un prosumer consuma: manca il consumo (o è un produttore)");
    if (m.consumoAnnuo > 0 && !m.consumi.empty())
        l.Errore("consumi", "consumo_annuo e un file dei consumi insieme: uno solo");
}

Membro LeggiRiga(const Lettore& l, const std::map<std::string, std::size_t>& colonne, const std::vector<std::string>& campi)
{
    const auto campo = [&](const char* nome) -> std::string {
        const auto c = colonne.find(nome);
        return c == colonne.end() || c->second >= campi.size() ? std::string() : campi[c->second];
    };
    Membro m;
    m.nome = campo("nome");
    m.riga = l.numero;
    m.ruolo = LeggiRuolo(l, campo("ruolo"));
    if (const std::string c = campo("consumo_annuo"); !c.empty())
        m.consumoAnnuo = l.Numero(c, "consumo_annuo", 0, kConsumoMembroMassimo);
    if (const std::string p = campo("profilo"); !p.empty()) {
        if (!TrovaProfilo(p))
            l.Errore("profilo", "«" + p + "» non è fuori-casa, a-casa né attivita-diurna");
        m.profilo = p;
    }
    m.consumi = campo("consumi");
    if (const std::string p = campo("potenza"); !p.empty())
        m.potenza = l.Numero(p, "potenza", 0, kPotenzaMembroMassima);
    if (const std::string t = campo("tilt"); !t.empty())
        m.tilt = l.Numero(t, "tilt", 0, 90);
    if (const std::string a = campo("azimut"); !a.empty())
        m.azimut = l.Numero(a, "azimut", -180, 180);
    std::istringstream falde(campo("falde"));
    for (std::string f; falde >> f;) {
        try {
            m.falde.push_back(LeggiFalda(f, m.falde.size() + 2));
        } catch (const ErroreFalda& e) {
            l.Errore("falde", e.what());
        }
    }
    if (m.falde.size() + 1 > kFaldeMassime)
        l.Errore("falde", "al più " + std::to_string(kFaldeMassime) + " falde per membro");
    if (m.Picco() > kPotenzaMembroMassima)
        l.Errore("falde", "le falde sommano " + TestoLeggibile(m.Picco()) + " kWp, oltre " + TestoLeggibile(kPotenzaMembroMassima));
    if (const std::string b = campo("batteria"); !b.empty())
        m.batteria = l.Numero(b, "batteria", 0, kBatteriaMembroMassima);
    m.tipo = LeggiTipo(l, campo("tipo"));
    Controlla(l, m);
    return m;
}

} // namespace

std::vector<Membro> LeggiMembri(const std::string& testoFile)
{
    std::string testo = testoFile;
    if (testo.rfind("\xEF\xBB\xBF", 0) == 0)
        testo.erase(0, 3);
    if (testo.find('\0') != std::string::npos)
        throw ErroreMembri(0, "", "", "non è un file di testo (contiene byte nulli)");
    std::istringstream in(testo);
    std::map<std::string, std::size_t> colonne;
    char sep = ';';
    std::vector<Membro> membri;
    std::set<std::string> nomi;
    int numero = 0;
    for (std::string riga; std::getline(in, riga);) {
        ++numero;
        if (!riga.empty() && riga.back() == '\r')
            riga.pop_back();
        const auto primo = riga.find_first_not_of(" \t");
        if (primo == std::string::npos || riga[primo] == '#')
            continue;
        if (colonne.empty()) {
            sep = riga.find(';') != std::string::npos ? ';' : ',';
            const std::vector<std::string> testa = Campi(riga, sep, numero);
            for (std::size_t i = 0; i < testa.size(); ++i) {
                if (std::find(kColonneMembri.begin(), kColonneMembri.end(), testa[i]) == kColonneMembri.end())
                    throw ErroreMembri(numero, "", testa[i], "colonna sconosciuta (le colonne sono nome;ruolo;consumo_annuo;"
                                                             "profilo;consumi;potenza;tilt;azimut;falde;batteria;tipo)");
                if (!colonne.emplace(testa[i], i).second)
                    throw ErroreMembri(numero, "", testa[i], "colonna ripetuta");
            }
            for (const char* obbligatoria : {"nome", "ruolo"})
                if (!colonne.count(obbligatoria))
                    throw ErroreMembri(numero, "", obbligatoria, "manca la colonna");
            continue;
        }
        const std::vector<std::string> campi = Campi(riga, sep, numero);
        if (campi.size() > colonne.size())
            throw ErroreMembri(numero, campi.front(), "", std::to_string(campi.size()) + " campi per " + std::to_string(colonne.size())
                                                              + " colonne");
        Lettore l{sep, numero, colonne.count("nome") && colonne.at("nome") < campi.size() ? campi[colonne.at("nome")] : ""};
        if (l.membro.empty())
            l.Errore("nome", "manca il nome del membro");
        if (!nomi.insert(l.membro).second)
            l.Errore("nome", "un altro membro ha lo stesso nome");
        if (membri.size() == kMembriMassimi)
            l.Errore("", "oltre " + std::to_string(kMembriMassimi) + " membri");
        membri.push_back(LeggiRiga(l, colonne, campi));
    }
    if (colonne.empty())
        throw ErroreMembri(numero, "", "", "il file non ha l'intestazione delle colonne");
    if (membri.empty())
        throw ErroreMembri(numero, "", "", "nessun membro");
    return membri;
}

std::string ModelloMembri()
{
    return "# Membri di una comunità energetica rinnovabile per calcolo-fv (UTF-8, campi separati da ;).\n"
           "# Una riga per membro; le righe che cominciano con # sono commenti.\n"
           "#   nome           il nome del membro, unico nel file\n"
           "#   ruolo          consumatore (solo consumi), prosumer (consumi e impianto), produttore (solo impianto)\n"
           "#   consumo_annuo  kWh all'anno, distribuiti con il profilo\n"
           "#   profilo        fuori-casa, a-casa o attivita-diurna (predefinito fuori-casa)\n"
           "#   consumi        in alternativa a consumo_annuo: il file del contatore (CSV orario o quartorario),\n"
           "#                  relativo alla cartella di questo file\n"
           "#   potenza        kWp della prima falda dell'impianto (0 o vuoto: nessun impianto)\n"
           "#   tilt, azimut   inclinazione (0-90°) e azimut della prima falda (0 sud, -90 est, 90 ovest)\n"
           "#   falde          altre falde, TILT:AZIMUT:KWP separate da spazi (es. 30:-90:3 30:90:3)\n"
           "#   batteria       kWh utili della batteria del membro (vuoto: nessuna)\n"
           "#   tipo           domestico, impresa o ente (pubblico o del terzo settore)\n"
           "# Decimali con la virgola o con il punto.\n"
           "nome;ruolo;consumo_annuo;profilo;consumi;potenza;tilt;azimut;falde;batteria;tipo\n"
           "Famiglia Rossi;prosumer;2700;fuori-casa;;4,5;30;0;;5;domestico\n"
           "Famiglia Bianchi;consumatore;3200;a-casa;;;;;;;domestico\n"
           "Famiglia Verdi;consumatore;2200;fuori-casa;;;;;;;domestico\n"
           "Famiglia Neri;prosumer;3500;a-casa;;3;25;-90;25:90:3;;domestico\n"
           "Forno Esposito;consumatore;18000;attivita-diurna;;;;;;;impresa\n"
           "Scuola primaria;prosumer;25000;attivita-diurna;;20;10;0;;;ente\n"
           "Municipio;produttore;;;;60;15;0;;;ente\n";
}

bool LeggiRipartizione(const std::string& testo, Ripartizione& r)
{
    if (testo == "prelievi")
        r = Ripartizione::Prelievi;
    else if (testo == "immissioni")
        r = Ripartizione::Immissioni;
    else if (testo == "uguali")
        r = Ripartizione::PartiUguali;
    else if (testo == "produttori")
        r = Ripartizione::QuotaProduttori;
    else
        return false;
    return true;
}

const char* NomeRipartizione(Ripartizione r)
{
    switch (r) {
    case Ripartizione::Prelievi: return "prelievi";
    case Ripartizione::Immissioni: return "immissioni";
    case Ripartizione::PartiUguali: return "uguali";
    case Ripartizione::QuotaProduttori: return "produttori";
    }
    return "";
}

CondivisaComunita CondividiOre(const std::vector<FlussiMembro>& membri, const Calendario& cal)
{
    const std::size_t giorni = cal.giorni.size(), n = membri.size();
    CondivisaComunita c;
    c.immessa.assign(giorni, Ore{});
    c.prelevata.assign(giorni, Ore{});
    c.condivisa.assign(giorni, Ore{});
    for (const FlussiMembro& m : membri)
        for (std::size_t d = 0; d < giorni; ++d)
            for (std::size_t h = 0; h < 24; ++h) {
                c.immessa[d][h] += m.immessa[d][h];
                c.prelevata[d][h] += m.prelevata[d][h];
            }
    for (std::size_t d = 0; d < giorni; ++d) {
        const std::size_t mese = std::size_t(cal.giorni[d].mese);
        for (std::size_t h = 0; h < 24; ++h) {
            const double s = std::min(c.immessa[d][h], c.prelevata[d][h]);
            c.condivisa[d][h] = s;
            c.condivisaMesi[mese] += s;
            c.immessaMesi[mese] += c.immessa[d][h];
            c.prelevataMesi[mese] += c.prelevata[d][h];
            c.condivisaMedia[h] += s / double(giorni);
            c.immessaMedia[h] += c.immessa[d][h] / double(giorni);
            c.prelevataMedia[h] += c.prelevata[d][h] / double(giorni);
        }
    }
    for (std::size_t m = 0; m < 12; ++m) {
        c.condivisaAnno += c.condivisaMesi[m];
        c.immessaAnno += c.immessaMesi[m];
        c.prelevataAnno += c.prelevataMesi[m];
    }
    c.comeConsumatore.assign(n, 0);
    c.comeProduttore.assign(n, 0);
    c.senza.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const FlussiMembro& m = membri[i];
        double consumatore = 0, produttore = 0, senza = 0;
        for (std::size_t d = 0; d < giorni; ++d)
            for (std::size_t h = 0; h < 24; ++h) {
                const double s = c.condivisa[d][h];
                if (s > 0) {
                    consumatore += m.prelevata[d][h] * s / c.prelevata[d][h];
                    produttore += m.immessa[d][h] * s / c.immessa[d][h];
                }
                senza += std::max(0.0, std::min(c.immessa[d][h] - m.immessa[d][h], c.prelevata[d][h] - m.prelevata[d][h]));
            }
        c.comeConsumatore[i] = consumatore;
        c.comeProduttore[i] = produttore;
        c.senza[i] = senza;
    }
    return c;
}

double TariffaPremio(double potenzaKw, double prezzoZonale, double correzione, double riduzionePnrr)
{
    const double fissa = potenzaKw <= 200 ? 0.080 : potenzaKw <= 600 ? 0.070 : 0.060;
    const double massimo = potenzaKw <= 200 ? 0.120 : potenzaKw <= 600 ? 0.110 : 0.100;
    const double tariffa = std::min(massimo, fissa + std::max(0.0, 0.180 - prezzoZonale));
    return (tariffa + correzione) * (1 - riduzionePnrr);
}

std::vector<double> Ripartisci(double totale, const std::vector<Membro>& membri, const CondivisaComunita& c, Ripartizione regola,
                               double quotaProduttori)
{
    const std::size_t n = membri.size();
    std::vector<double> parti(n, 0.0);
    // `quota` of the total by the weights `w` (nothing when they are all
    // zero: then nothing was shared, and the total is zero too).
    const auto perPeso = [&](const std::vector<double>& w, double quota) {
        const double somma = std::accumulate(w.begin(), w.end(), 0.0);
        if (somma > 0)
            for (std::size_t i = 0; i < n; ++i)
                parti[i] += quota * w[i] / somma;
    };
    switch (regola) {
    case Ripartizione::Prelievi: perPeso(c.comeConsumatore, totale); break;
    case Ripartizione::Immissioni: perPeso(c.comeProduttore, totale); break;
    case Ripartizione::PartiUguali: perPeso(std::vector<double>(n, 1.0), totale); break;
    case Ripartizione::QuotaProduttori:
        // Both parts of the shared energy sum to it: neither group is empty when something was shared.
        perPeso(c.comeProduttore, totale * quotaProduttori / 100);
        perPeso(c.comeConsumatore, totale * (1 - quotaProduttori / 100));
        break;
    }
    return parti;
}

EsitoComunita CalcolaComunita(const std::vector<Membro>& membri, const std::vector<FlussiMembro>& flussi,
                              const std::vector<double>& produzione, const std::vector<double>& consumo,
                              const std::vector<double>& coperto, const RegoleComunita& regole, const Calendario& calendario)
{
    EsitoComunita e;
    e.ore = CondividiOre(flussi, calendario);
    const std::size_t n = membri.size();
    e.membri.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        EsitoMembro& m = e.membri[i];
        m.produzione = produzione[i];
        m.consumo = consumo[i];
        m.coperto = coperto[i];
        for (const Ore& g : flussi[i].immessa)
            m.immessa += std::accumulate(g.begin(), g.end(), 0.0);
        for (const Ore& g : flussi[i].prelevata)
            m.prelevata += std::accumulate(g.begin(), g.end(), 0.0);
        m.condivisa = e.ore.comeConsumatore[i] + e.ore.comeProduttore[i];
        const double picco = membri[i].Picco();
        if (regole.premioAttivo && picco > 0)
            m.premioGenerato = e.ore.comeProduttore[i]
                               * TariffaPremio(picco, regole.prezzoZonale, regole.correzione,
                                               regole.contributoPnrr ? regole.riduzionePnrr : 0);
        e.premio += m.premioGenerato;
        m.risparmio = m.coperto * regole.prezzoEnergia;
        // The guaranteed minimum price of the dedicated withdrawal is for plants up to 100 kW.
        m.vendita = m.immessa * (picco <= 100 ? std::max(regole.prezzoZonale, regole.prezzoMinimo) : regole.prezzoZonale);
    }
    e.valorizzazione = e.ore.condivisaAnno * regole.valorizzazione;
    const std::vector<double> premio = Ripartisci(e.premio, membri, e.ore, regole.ripartizione, regole.quotaProduttori);
    const std::vector<double> valore = Ripartisci(e.valorizzazione, membri, e.ore, regole.ripartizione, regole.quotaProduttori);
    for (std::size_t i = 0; i < n; ++i) {
        e.membri[i].premio = premio[i] + valore[i];
        if (membri[i].tipo != TipoMembro::Impresa)
            e.premioNonImprese += premio[i];
    }
    e.sogliaCondivisa = (regole.contributoPnrr ? 0.45 : 0.55) * e.ore.immessaAnno;
    if (e.ore.condivisaAnno > e.sogliaCondivisa && e.ore.condivisaAnno > 0)
        e.premioEccedente = e.premio * (e.ore.condivisaAnno - e.sogliaCondivisa) / e.ore.condivisaAnno;
    return e;
}

} // namespace fv
