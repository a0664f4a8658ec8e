// SPDX-License-Identifier: MIT
// The plant's cash flow over its life, and its figures of merit.
#include "calc/economia.h"

#include "calc/numeri.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <cmath>
#include <future>
#include <iterator>

namespace fv {

namespace {

// What each parameter is: its unit, its meaning and the range a value must
// lie in. Values, periods and sources are the dataset's rows
// (data/dataset/parametri.csv), not the program's.
struct Dichiarazione {
    const char* nome;
    const char* unita;
    const char* descrizione;
    double minimo, massimo;
    bool minimoEscluso = false, massimoEscluso = false, intero = false;
    // A share that nobody means below 1 %: a value in (0, 1] is a fraction
    // typed for a percentage (0.23 for 23 %), refused with that reading.
    bool frazioneSospetta = false;
};

const Dichiarazione kDichiarazioni[] = {
    {"prezzo_energia", "€/kWh",
     "Prezzo della parte variabile della bolletta evitata per ogni kWh non prelevato (energia, trasporto, oneri, accise, IVA)", 0, 1.5},
    {"prezzo_zonale", "€/kWh", "Prezzo zonale orario medio nelle ore di produzione fotovoltaica", 0, 0.5},
    {"differenza_zonale_nord", "€/kWh", "Prezzo zonale della zona NORD meno il prezzo zonale nazionale", -0.5, 0.5},
    {"differenza_zonale_cnor", "€/kWh", "Prezzo zonale della zona CNOR (Centro-Nord) meno il prezzo zonale nazionale", -0.5, 0.5},
    {"differenza_zonale_csud", "€/kWh", "Prezzo zonale della zona CSUD (Centro-Sud) meno il prezzo zonale nazionale", -0.5, 0.5},
    {"differenza_zonale_sud", "€/kWh", "Prezzo zonale della zona SUD meno il prezzo zonale nazionale", -0.5, 0.5},
    {"differenza_zonale_cala", "€/kWh", "Prezzo zonale della zona CALA (Calabria) meno il prezzo zonale nazionale", -0.5, 0.5},
    {"differenza_zonale_sici", "€/kWh", "Prezzo zonale della zona SICI (Sicilia) meno il prezzo zonale nazionale", -0.5, 0.5},
    {"differenza_zonale_sard", "€/kWh", "Prezzo zonale della zona SARD (Sardegna) meno il prezzo zonale nazionale", -0.5, 0.5},
    {"prezzo_minimo_garantito", "€/kWh", "Prezzo minimo garantito del ritiro dedicato (fotovoltaico, fino a 1.500 MWh/anno)", 0, 0.2},
    {"quota_condivisa", "%", "Quota dell'energia immessa condivisa in una comunità energetica rinnovabile (0 se non se ne fa parte)",
     0, 100, false, false, false, true},
    {"premio_comunita", "€/kWh",
     "Tariffa premio sull'energia condivisa (impianti fino a 200 kW: 80 €/MWh + max(0; 180 - prezzo zonale), al massimo 120 €/MWh)", 0, 0.2},
    {"correzione_nord", "€/kWh", "Correzione della tariffa premio del fotovoltaico nelle regioni del Nord", 0, 0.1},
    {"correzione_centro", "€/kWh", "Correzione della tariffa premio del fotovoltaico nelle regioni del Centro", 0, 0.1},
    {"valorizzazione_arera", "€/kWh", "Valorizzazione ARERA dell'energia condivisa (componenti tariffarie restituite)", 0, 0.1},
    {"anni_premio", "anni", "Durata della tariffa premio della comunità", 0, 40, false, false, true},
    {"quota_premio_socio", "%",
     "Parte della tariffa premio che la comunità passa al socio (la tariffa premio percepita da una persona fisica non è tassata)",
     0, 100, false, false, false, true},
    {"detrazione", "%", "Detrazione IRPEF per il recupero edilizio (fotovoltaico e accumulo) sull'abitazione principale, "
                        "secondo l'anno della spesa", 0, 65, false, false, false, true},
    {"detrazione_seconda_casa", "%", "Detrazione IRPEF per il recupero edilizio sulle abitazioni diverse dalla principale, "
                                     "secondo l'anno della spesa", 0, 65, false, false, false, true},
    {"detrazione_tetto", "€", "Spesa massima ammessa alla detrazione per unità immobiliare (abitazione principale)", 1000, 1e6},
    {"detrazione_tetto_seconda_casa", "€", "Spesa massima ammessa alla detrazione per unità immobiliare (altre abitazioni)",
     1000, 1e6},
    {"potenza_massima_detrazione", "kW", "Potenza massima di un impianto al servizio dell'abitazione per la detrazione (oltre: uso "
                                         "commerciale, nessuna detrazione)", 1, 1000},
    {"detrazione_rate", "anni", "Rate annuali uguali della detrazione (la prima nell'anno dopo la spesa)", 1, 40, false, false,
     true},
    {"detrazione_con_premio", "sì=1/no=0",
     "Se la detrazione si somma alla tariffa premio della comunità (si esclude invece con il contributo PNRR in conto capitale)",
     0, 1, false, false, true},
    {"contributo_pnrr", "%", "Contributo PNRR in conto capitale per gli impianti di una comunità energetica in un piccolo comune "
                             "(0: nessuno sportello aperto alla data della spesa)", 0, 40, false, false, false, true},
    {"soglia_abitanti_pnrr", "abitanti", "Popolazione massima del comune per il contributo PNRR", 0, 1e7, false, false, true},
    {"costo_ammissibile_pnrr", "€/kWp", "Costo massimo ammissibile al contributo PNRR per kWp (impianti fino a 20 kW)", 300, 10000},
    {"costo_ammissibile_pnrr_200", "€/kWp", "Costo massimo ammissibile al contributo PNRR per kWp (impianti oltre 20 e fino a 200 kW)",
     300, 10000},
    {"costo_ammissibile_pnrr_600", "€/kWp", "Costo massimo ammissibile al contributo PNRR per kWp (impianti oltre 200 e fino a 600 kW)",
     300, 10000},
    {"costo_ammissibile_pnrr_1000", "€/kWp",
     "Costo massimo ammissibile al contributo PNRR per kWp (impianti oltre 600 kW e fino a 1 MW)", 300, 10000},
    {"riduzione_premio_pnrr", "%", "Riduzione della tariffa premio con un contributo PNRR del 40 % (in proporzione se minore)", 0, 100, false, false, false, true},
    {"aliquota_irpef", "%",
     "Aliquota IRPEF marginale della famiglia, sui ricavi del ritiro dedicato (redditi diversi, art. 67 c. 1 lett. i TUIR)", 0, 47, false, false, false, true},
    {"vita_batteria", "anni", "Anni dopo i quali la batteria si sostituisce (se prima non finisce i cicli)", 1, 40, false, false,
     true},
    {"cicli_batteria", "cicli", "Cicli completi equivalenti della batteria prima della sostituzione", 100, 100000, false, false, true},
    {"degrado_batteria", "%/anno", "Calo annuo della capacità della batteria", 0, 10},
    {"andamento_prezzo_batteria", "%/anno", "Variazione annua del prezzo delle batterie (negativa: calano)", -20, 10},
    {"costo_impianto", "€/kWp", "Costo chiavi in mano di un impianto residenziale di 3 kWp (e meno), IVA inclusa", 500, 5000},
    {"costo_impianto_6", "€/kWp", "Costo chiavi in mano per kWp di un impianto di 6 kWp", 500, 5000},
    {"costo_impianto_10", "€/kWp", "Costo chiavi in mano per kWp di un impianto di 10 kWp", 500, 5000},
    {"costo_impianto_20", "€/kWp", "Costo chiavi in mano per kWp di un impianto di 20 kWp (e più)", 500, 5000},
    {"costo_batteria", "€/kWh", "Costo di una batteria domestica installata per kWh utile, 5 kWh (e meno), IVA inclusa", 100, 3000},
    {"costo_batteria_10", "€/kWh", "Costo per kWh utile di una batteria di 10 kWh", 100, 3000},
    {"costo_batteria_15", "€/kWh", "Costo per kWh utile di una batteria di 15 kWh (e più)", 100, 3000},
    {"manutenzione", "€/kWp anno", "Esercizio e manutenzione ordinaria (al prezzo del primo anno)", 0, 100},
    {"inflazione", "%/anno", "Inflazione generale: aumento annuo della manutenzione e della sostituzione dell'inverter", -5, 15},
    {"anno_inverter", "anno", "Anno della sostituzione dell'inverter (0: nessuna)", 0, 40, false, false, true},
    {"costo_inverter", "€/kWp", "Costo della sostituzione dell'inverter", 0, 1000},
    {"degrado", "%/anno", "Calo annuo della produzione dei moduli", 0, 3, false, true},
    {"aumento_prezzi", "%/anno", "Aumento annuo dei prezzi dell'energia", -10, 15},
    {"tasso_sconto", "%/anno", "Tasso di attualizzazione", 0, 15, true},
    {"variabilita_meteo", "%", "Scarto tipo della produzione di un anno intorno alla media di lungo periodo (per le probabilità)",
     0, 20},
    {"incertezza_clima_comune", "%", "Scarto tipo della radiazione media di lungo periodo del comune (climatologia a celle di 1°), "
                                     "comune a tutti gli anni (per le probabilità)", 0, 30},
    {"incertezza_clima_file", "%", "Scarto tipo della radiazione media di lungo periodo di un anno meteorologico da satellite "
                                   "del sito (per le probabilità)", 0, 30},
    {"incertezza_modello", "%", "Scarto tipo del modello della produzione (trasposizione sul piano, perdite), comune a tutti gli "
                                "anni (per le probabilità)", 0, 30},
    {"densita_potenza", "kWp/m²", "Potenza installabile per m² di tetto utile (per il dimensionamento dalla superficie)", 0.05,
     0.3},
    {"orizzonte", "anni", "Anni considerati", 1, 40, false, false, true},

};

} // namespace

std::vector<Parametro> DichiarazioniParametri()
{
    std::vector<Parametro> d;
    for (const Dichiarazione& x : kDichiarazioni) {
        Parametro p;
        p.nome = x.nome;
        p.unita = x.unita;
        p.descrizione = x.descrizione;
        p.minimo = x.minimo;
        p.massimo = x.massimo;
        p.minimoEscluso = x.minimoEscluso;
        p.massimoEscluso = x.massimoEscluso;
        p.intero = x.intero;
        p.frazioneSospetta = x.frazioneSospetta;
        d.push_back(p);
    }
    return d;
}

bool LeggiPeriodo(const std::string& testo, std::string& dal, std::string& al)
{
    const auto barra = testo.find('/');
    if (testo.size() == 10 && DataDiValiditaValida(testo)) {
        dal = al = std::string(); // the date of a source: no period
        return true;
    }
    if (testo.empty()) {
        dal = al = std::string();
        return true;
    }
    if (barra == std::string::npos)
        return false;
    dal = testo.substr(0, barra);
    al = testo.substr(barra + 1);
    if (dal == "..")
        dal.clear();
    if (al == "..")
        al.clear();
    const auto iso = [](const std::string& d) { return d.empty() || (d.size() == 10 && d[4] == '-' && DataDiValiditaValida(d)); };
    return iso(dal) && iso(al) && (dal.empty() || al.empty() || dal <= al);
}

bool GiornoDopo(const std::string& prima, const std::string& dopo)
{
    if (!DataDiValiditaValida(prima) || !DataDiValiditaValida(dopo) || prima.size() != 10 || prima[4] != '-')
        return false;
    int a = std::stoi(prima.substr(0, 4)), m = std::stoi(prima.substr(5, 2)), g = std::stoi(prima.substr(8, 2)) + 1;
    char prova[48];
    std::snprintf(prova, sizeof prova, "%04d-%02d-%02d", a, m, g);
    if (!DataDiValiditaValida(prova)) {
        g = 1;
        if (++m > 12)
            m = 1, ++a;
    }
    std::snprintf(prova, sizeof prova, "%04d-%02d-%02d", a, m, g);
    return dopo == prova;
}

std::string DataLeggibile(const std::string& iso)
{
    return iso.size() == 10 ? iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4) : iso;
}

std::string PeriodoLeggibile(const Parametro& p)
{
    const auto it = DataLeggibile;
    if (p.dal.empty() && p.al.empty())
        return "sempre";
    if (p.al.empty())
        return "dal " + it(p.dal);
    return (p.dal.empty() ? std::string() : "dal " + it(p.dal) + " ") + "al " + it(p.al);
}

std::string TestoPeriodo(const std::string& dal, const std::string& al)
{
    if (dal.empty() && al.empty())
        return {};
    return (dal.empty() ? std::string("..") : dal) + "/" + (al.empty() ? std::string("..") : al);
}

namespace {

bool Contiene(const Parametro& p, const std::string& data)
{
    return (p.dal.empty() || p.dal <= data) && (p.al.empty() || data <= p.al);
}

std::string DataItaliana(const std::string& iso)
{
    return iso.size() == 10 ? iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4) : iso;
}

} // namespace

bool DellEntrataInEsercizio(const std::string& nome)
{
    return nome == "premio_comunita" || nome == "correzione_nord" || nome == "correzione_centro";
}

std::vector<Parametro> ParametriInVigore(const std::vector<Parametro>& righe, const std::string& dataSpesa,
                                         const std::string& dataEsercizio)
{
    std::vector<Parametro> scelti;
    for (const Parametro& d : DichiarazioniParametri()) {
        const std::string& data = DellEntrataInEsercizio(d.nome) && !dataEsercizio.empty() ? dataEsercizio : dataSpesa;
        const Parametro* trovato = nullptr;
        std::string primo, ultimo;
        bool aperto = false;
        for (const Parametro& r : righe) {
            if (r.nome != d.nome)
                continue;
            if (!trovato && Contiene(r, data))
                trovato = &r;
            if (primo.empty() || (!r.dal.empty() && r.dal < primo))
                primo = r.dal;
            aperto = aperto || r.al.empty();
            if (!r.al.empty() && r.al > ultimo)
                ultimo = r.al;
        }
        if (!trovato)
            throw ErroreParametro(d.nome, "nessuna regola di «" + d.nome + "» vale per "
                                              + (&data == &dataSpesa ? "una spesa del " : "un impianto in esercizio dal ")
                                              + DataItaliana(data)
                                              + (primo.empty() && ultimo.empty() ? std::string(" (il file non ne ha).")
                                                 : " (il file la dà dal " + DataItaliana(primo)
                                                       + (aperto ? std::string(" in poi).") : " al " + DataItaliana(ultimo) + ").")));
        scelti.push_back(*trovato);
    }
    return scelti;
}

ErroreParametro::ErroreParametro(const std::string& nome, const std::string& messaggio)
    : std::runtime_error(messaggio), nome_(nome)
{
}

namespace {

const Parametro& Trova(const std::vector<Parametro>& parametri, const std::string& nome)
{
    for (const Parametro& p : parametri) {
        if (p.nome == nome)
            return p;
    }
    throw ErroreParametro(nome, "parametro sconosciuto «" + nome + "».");
}

// "anni" after 1 is "anno"; other units stand as they are.
std::string ConUnita(double v, const std::string& unita)
{
    if (unita.empty())
        return TestoLeggibile(v);
    return TestoLeggibile(v) + " " + (unita == "anni" && v == 1 ? std::string("anno") : unita);
}

void Controlla(const Parametro& p, double v)
{
    const bool sotto = p.minimoEscluso ? !(v > p.minimo) : !(v >= p.minimo);
    const bool sopra = p.massimoEscluso ? !(v < p.massimo) : !(v <= p.massimo);
    const bool frazione = p.intero && std::isfinite(v) && v != std::floor(v);
    const bool sospetta = p.frazioneSospetta && v > 0 && v <= 1;
    if (!sotto && !sopra && !frazione && !sospetta && std::isfinite(v))
        return;
    std::string ammesso;
    if (p.intero && p.minimo == 0 && p.massimo == 1)
        ammesso = "1 (sì) o 0 (no)";
    else if (!p.minimoEscluso && !p.massimoEscluso)
        ammesso = std::string(p.intero ? "un numero intero " : "") + "da " + TestoLeggibile(p.minimo) + " a "
                  + ConUnita(p.massimo, p.unita);
    else
        ammesso = std::string(p.minimoEscluso ? "oltre " : "almeno ") + ConUnita(p.minimo, p.unita)
                  + (p.massimoEscluso ? " e sotto " : " e al massimo ") + ConUnita(p.massimo, p.unita);
    if (sospetta && !sotto && !sopra)
        throw ErroreParametro(p.nome, "il parametro «" + p.nome + "» è in percento: " + TestoLeggibile(v) + " vorrebbe dire lo "
                                          + TestoLeggibile(v) + " % (forse " + TestoLeggibile(v * 100) + " %?); scrivere "
                                          + TestoLeggibile(v * 100) + " per " + TestoLeggibile(v * 100) + " %.");
    std::string forse;
    if (p.unita == "€/kWh" && v > p.massimo && v / 100 <= p.massimo)
        forse = " (forse " + TestoLeggibile(v / 100) + " €/kWh, cioè " + TestoLeggibile(v) + " centesimi?)";
    throw ErroreParametro(p.nome, "il parametro «" + p.nome + "» vale " + ammesso + ", non " + TestoLeggibile(v) + forse + ".");
}

} // namespace

double Valore(const std::vector<Parametro>& parametri, const std::string& nome) { return Trova(parametri, nome).valore; }

void Imposta(std::vector<Parametro>& parametri, const std::string& nome, double valore)
{
    Controlla(Trova(parametri, nome), valore);
    for (Parametro& p : parametri) {
        if (p.nome == nome)
            p.valore = valore;
    }
}

void Verifica(const std::vector<Parametro>& parametri)
{
    for (const Parametro& p : parametri)
        Controlla(p, p.valore);
}

bool DataDiValiditaValida(const std::string& t)
{
    if (t.empty())
        return true;
    int a = 0, m = 0, g = 0;
    const auto cifre = [&](std::size_t da, std::size_t n, int& v) {
        v = 0;
        for (std::size_t i = da; i < da + n; ++i) {
            if (t[i] < '0' || t[i] > '9')
                return false;
            v = v * 10 + (t[i] - '0');
        }
        return true;
    };
    if (t.size() != 10)
        return false;
    const bool iso = t[4] == '-' && t[7] == '-' && cifre(0, 4, a) && cifre(5, 2, m) && cifre(8, 2, g);
    const bool italiana = t[2] == '/' && t[5] == '/' && cifre(0, 2, g) && cifre(3, 2, m) && cifre(6, 4, a);
    if (!(iso || italiana) || a < 1900 || a > 2199 || m < 1 || m > 12 || g < 1)
        return false;
    static const int giorni[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisestile = (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
    return g <= giorni[m - 1] + (m == 2 && bisestile ? 1 : 0);
}

double ValoreAttuale(const std::vector<double>& flussi, double r)
{
    double van = 0, sconto = 1;
    for (double f : flussi) {
        van += f / sconto;
        sconto *= 1 + r;
    }
    return van;
}

std::optional<double> TassoInterno(const std::vector<double>& flussi)
{
    const bool positivi = std::any_of(flussi.begin(), flussi.end(), [](double f) { return f > 0; });
    const bool negativi = std::any_of(flussi.begin(), flussi.end(), [](double f) { return f < 0; });
    if (!positivi || !negativi)
        return std::nullopt;
    // Flows that change sign more than once (a battery or an inverter
    // replaced late) may have several roots, and NPV at the two ends of the
    // range may share a sign: the range is scanned, and the root kept is the
    // highest where NPV falls through zero as the rate rises (an
    // investment's rate of return), else the highest root.
    constexpr int passi = 4000;
    // The scan's rates, denser near -0.99 where NPV changes fastest: computed once.
    static const std::vector<double> tassi = [] {
        std::vector<double> t(passi + 1);
        for (int i = 0; i <= passi; ++i)
            t[std::size_t(i)] = -0.99 + (10.0 + 0.99) * std::pow(double(i) / passi, 3);
        return t;
    }();
    const auto tasso = [](int i) { return tassi[std::size_t(i)]; };
    std::optional<double> cadente, qualsiasi;
    double rPrima = tasso(0), fPrima = ValoreAttuale(flussi, rPrima);
    for (int i = 1; i <= passi; ++i) {
        const double r = tasso(i), f = ValoreAttuale(flussi, r);
        if ((fPrima > 0) != (f > 0) || f == 0) {
            double basso = rPrima, alto = r, fBasso = fPrima;
            for (int k = 0; k < 200 && alto - basso > 1e-15; ++k) {
                const double medio = (basso + alto) / 2, fm = ValoreAttuale(flussi, medio);
                if ((fm > 0) == (fBasso > 0))
                    basso = medio, fBasso = fm;
                else
                    alto = medio;
            }
            const double radice = (basso + alto) / 2;
            qualsiasi = radice;
            if (fPrima > 0)
                cadente = radice;
        }
        rPrima = r;
        fPrima = f;
    }
    return cadente ? cadente : qualsiasi;
}

std::optional<double> TempoDiRitorno(const std::vector<double>& flussi)
{
    // The last year whose cumulative is below zero: the payback lies in the year after it.
    double cumulato = 0, primaDelRitorno = 0;
    std::optional<std::size_t> ultimoNegativo;
    for (std::size_t t = 0; t < flussi.size(); ++t) {
        cumulato += flussi[t];
        if (cumulato < 0) {
            ultimoNegativo = t;
            primaDelRitorno = cumulato;
        }
    }
    if (!ultimoNegativo)
        return flussi.empty() ? std::nullopt : std::optional<double>(0.0);
    const std::size_t t = *ultimoNegativo + 1;
    if (t >= flussi.size())
        return std::nullopt;
    return double(*ultimoNegativo) + (-primaDelRitorno) / flussi[t];
}

std::array<double, 3> LeggiPrezziFasce(const std::string& testo)
{
    const std::vector<std::string> campi = CampiFasce(testo); // the bills' bands' grammar
    if (campi.size() != 3)
        throw std::invalid_argument("i prezzi per fascia sono tre, F1, F2 e F3 in €/kWh (es. 0,32;0,27;0,24), non "
                                    + std::to_string(campi.size()) + ".");
    std::array<double, 3> p{};
    for (std::size_t i = 0; i < 3; ++i) {
        try {
            p[i] = LeggiNumeroFile(campi[i], Campo::Energia);
        } catch (const Errore&) {
            throw std::invalid_argument("il prezzo di F" + std::to_string(i + 1) + " «" + campi[i] + "» non è un numero.");
        }
        if (!(p[i] >= 0.01 && p[i] <= 2))
            throw std::invalid_argument("il prezzo di F" + std::to_string(i + 1) + " vale da 0,01 a 2 €/kWh, non "
                                        + TestoLeggibile(p[i]) + ".");
    }
    return p;
}

EnergiaAnno EnergiaDelBilancio(const FlussiEnergia& anno)
{
    return {anno.produzione, anno.Coperto(), anno.immessa, anno.consumo, anno.copertoFasce};
}

namespace {

// The rates and amounts that stay the same every year.
struct Regole {
    double r, degrado, aumento, prezzoVendita, premio, rata, prezzoEnergia;
    double anniPremio, anniRate, manutenzione, costoInverter;
    int annoInverter;
    double aliquota;                   // on the dedicated withdrawal's revenue
    std::optional<double> capienza;    // the household's yearly gross IRPEF [EUR]
    double inflazione = 0;             // of running costs and the inverter
    double contributo = 0;             // the PNRR grant, paid in year 1 [EUR]
    std::optional<std::array<double, 3>> prezziFasce; // [EUR/kWh] by band, in place of prezzoEnergia
};

// The price of the energy not bought [EUR/kWh]: one price, or the bands'
// prices weighed by the energy covered in each band.
double PrezzoDelCoperto(const EnergiaAnno& e, const Regole& g)
{
    const double coperto = e.copertoFasce[0] + e.copertoFasce[1] + e.copertoFasce[2];
    if (!g.prezziFasce || coperto <= 0)
        return g.prezzoEnergia;
    double spesa = 0;
    for (std::size_t f = 0; f < 3; ++f)
        spesa += e.copertoFasce[f] * (*g.prezziFasce)[f];
    return spesa / coperto;
}

// The battery year by year: its capacity share and what replacing it costs.
struct AnnoBatteria {
    double quota = 1;
    double sostituzione = 0; // [EUR]
};

std::vector<AnnoBatteria> VitaDellaBatteria(int anni, double batteria, double perKwh, const CurvaBatteria& curva,
                                            const std::function<double(const char*)>& v)
{
    // Whole years of life: the calendar's, or the cycles' at this use.
    const double perCicli = curva.cicliAnno > 0 ? v("cicli_batteria") / curva.cicliAnno : 1e9;
    const int durata = std::max(1, int(std::floor(std::min(v("vita_batteria"), perCicli))));
    std::vector<AnnoBatteria> vita(std::size_t(anni) + 1);
    int nuova = 1; // the year the battery in use was new
    for (int t = 1; t <= anni; ++t) {
        // A new battery at the price of its year, when its life ends and at
        // least half a life is left to the horizon; else the old one runs on.
        if (t - nuova >= durata && anni - t + 1 >= (durata + 1) / 2) {
            nuova = t;
            vita[std::size_t(t)].sostituzione = batteria * perKwh * std::pow(1 + v("andamento_prezzo_batteria") / 100, t - 1);
        }
        vita[std::size_t(t)].quota = std::pow(1 - v("degrado_batteria") / 100, t - nuova);
    }
    return vita;
}

// Year t's flows from the first year's energy (see CalcolaConvenienza).
AnnoFlusso UnAnno(int t, const EnergiaAnno& e, const Regole& g, const AnnoFlusso& prima, const AnnoBatteria& b)
{
    const double resa = std::pow(1 - g.degrado, t - 1), prezzi = std::pow(1 + g.aumento, t - 1);
    AnnoFlusso a;
    a.anno = t;
    a.produzione = e.produzione * resa;
    a.coperto = e.coperto * resa;
    a.immessa = e.immessa * resa;
    a.prelevata = e.consumo - a.coperto;
    a.risparmio = a.coperto * PrezzoDelCoperto(e, g) * prezzi;
    a.vendita = a.immessa * g.prezzoVendita * prezzi;
    a.premioComunita = t <= g.anniPremio ? a.immessa * g.premio : 0;
    const double rata = t <= g.anniRate ? g.rata : 0;
    a.detrazione = g.capienza ? std::min(rata, *g.capienza) : rata; // beyond the year's tax, lost
    a.detrazionePersa = rata - a.detrazione;
    a.imposte = a.vendita * g.aliquota;
    a.sostituzioneBatteria = b.sostituzione;
    a.capacitaBatteria = b.quota;
    const double costiCorrenti = std::pow(1 + g.inflazione, t - 1);
    a.costi = (g.manutenzione + (t == g.annoInverter ? g.costoInverter : 0)) * costiCorrenti + b.sostituzione;
    a.contributo = t == 1 ? g.contributo : 0;
    a.flusso = a.risparmio + a.vendita + a.premioComunita + a.detrazione + a.contributo - a.imposte - a.costi;
    a.cumulato = prima.cumulato + a.flusso;
    a.attualizzato = a.flusso / std::pow(1 + g.r, t);
    a.cumulatoAttualizzato = prima.cumulatoAttualizzato + a.attualizzato;
    return a;
}

void FigureDiMerito(Convenienza& c, double r, bool conTir)
{
    std::vector<double> flussi, attualizzati;
    double energiaAttualizzata = 0, costiAttualizzati = 0;
    for (const AnnoFlusso& a : c.anni) {
        flussi.push_back(a.flusso);
        attualizzati.push_back(a.attualizzato);
        energiaAttualizzata += a.produzione / std::pow(1 + r, a.anno);
        costiAttualizzati += a.costi / std::pow(1 + r, a.anno);
    }
    c.van = ValoreAttuale(flussi, r);
    if (conTir)
        c.tir = TassoInterno(flussi);
    c.ritornoSemplice = TempoDiRitorno(flussi);
    c.ritornoAttualizzato = TempoDiRitorno(attualizzati);
    // LCOE: discounted costs over discounted energy, incentives excluded.
    c.lcoe = energiaAttualizzata > 0 ? costiAttualizzati / energiaAttualizzata : 0;
    if (c.anni.size() > 1)
        c.risparmioPrimoAnno = c.anni[1].risparmio + c.anni[1].vendita + c.anni[1].premioComunita - c.anni[1].imposte;
    for (const AnnoFlusso& a : c.anni) {
        c.detrazionePersa += a.detrazionePersa;
        c.contributo += a.contributo;
    }
}

} // namespace

double CostoPerTaglia(const std::vector<std::pair<double, double>>& tabella, double taglia)
{
    if (tabella.empty())
        return 0;
    if (taglia <= tabella.front().first)
        return tabella.front().second;
    for (std::size_t i = 1; i < tabella.size(); ++i)
        if (taglia <= tabella[i].first) {
            const auto& [x0, y0] = tabella[i - 1];
            const auto& [x1, y1] = tabella[i];
            return y0 + (y1 - y0) * (taglia - x0) / (x1 - x0);
        }
    return tabella.back().second;
}

namespace {

// DM 414/2023, allegato 1: the premium of a PV plant corrected by region.
double CorrezioneDellArea(AreaPremio area, const std::function<double(const char*)>& v)
{
    return area == AreaPremio::Nord ? v("correzione_nord") : area == AreaPremio::Centro ? v("correzione_centro") : 0;
}

// The zone's price of the energy sold: the national estimate plus the
// zone's difference; an unknown zone, the national price.
double PrezzoZonale(const std::string& zona, const std::function<double(const char*)>& v)
{
    static const char* const kZone[][2] = {{"NORD", "differenza_zonale_nord"}, {"CNOR", "differenza_zonale_cnor"},
                                           {"CSUD", "differenza_zonale_csud"}, {"SUD", "differenza_zonale_sud"},
                                           {"CALA", "differenza_zonale_cala"}, {"SICI", "differenza_zonale_sici"},
                                           {"SARD", "differenza_zonale_sard"}};
    for (const auto& z : kZone)
        if (zona == z[0])
            return v("prezzo_zonale") + v(z[1]);
    return v("prezzo_zonale");
}

} // namespace

double PrezzoZonaleDi(const std::vector<Parametro>& parametri, const std::string& zona)
{
    return PrezzoZonale(zona, [&](const char* n) { return Valore(parametri, n); });
}

double CorrezionePremio(const std::vector<Parametro>& parametri, AreaPremio area)
{
    return CorrezioneDellArea(area, [&](const char* n) { return Valore(parametri, n); });
}

CurvaBatteria CurvaDellaBatteria(const std::vector<Ore>& produzione, const std::vector<Ore>& consumo,
                                 const Calendario& calendario, const Batteria& batteria, const Bilancio& senza,
                                 const Bilancio& con, bool parallelo)
{
    CurvaBatteria curva;
    if (batteria.capacita <= 0)
        return curva;
    const auto invecchiata = [&](double quota) {
        Batteria vecchia = batteria;
        vecchia.capacita *= quota;
        return EnergiaDelBilancio(CalcolaBilancio(produzione, consumo, calendario, vecchia).anno);
    };
    std::future<EnergiaAnno> ottanta = std::async(parallelo ? std::launch::async : std::launch::deferred, invecchiata, 0.8);
    curva.punti.emplace_back(0, EnergiaDelBilancio(senza.anno));
    curva.punti.emplace_back(0.6, invecchiata(0.6));
    curva.punti.emplace_back(0.8, ottanta.get());
    curva.punti.emplace_back(1, EnergiaDelBilancio(con.anno));
    // Equivalent full cycles: the energy out of the store over its capacity.
    const double uscita = con.anno.daBatteria / std::sqrt(batteria.rendimento / 100);
    curva.cicliAnno = uscita / batteria.capacita;
    return curva;
}

EnergiaAnno CurvaBatteria::A(double quota) const
{
    if (punti.empty())
        return {};
    if (quota <= punti.front().first)
        return punti.front().second;
    for (std::size_t i = 1; i < punti.size(); ++i) {
        const auto& [q0, e0] = punti[i - 1];
        const auto& [q1, e1] = punti[i];
        if (quota <= q1) {
            const double w = q1 > q0 ? (quota - q0) / (q1 - q0) : 1;
            const auto tra = [w](double a, double b) { return a + w * (b - a); };
            return {tra(e0.produzione, e1.produzione), tra(e0.coperto, e1.coperto), tra(e0.immessa, e1.immessa),
                    tra(e0.consumo, e1.consumo),
                    {tra(e0.copertoFasce[0], e1.copertoFasce[0]), tra(e0.copertoFasce[1], e1.copertoFasce[1]),
                     tra(e0.copertoFasce[2], e1.copertoFasce[2])}};
        }
    }
    return punti.back().second;
}

double CostoAmmissibilePnrr(double potenza, const std::function<double(const char*)>& v)
{
    // The band of the whole plant's power sets the cap of every kW (DM 414/2023, art. 7).
    return potenza <= 20    ? v("costo_ammissibile_pnrr")
           : potenza <= 200 ? v("costo_ammissibile_pnrr_200")
           : potenza <= 600 ? v("costo_ammissibile_pnrr_600")
                            : v("costo_ammissibile_pnrr_1000");
}

namespace {

// The rules of the case: the investment by size, the PNRR grant (for a plant
// in a community only: it excludes the deduction and, where the rules of the
// date say so, cuts the premium, DM 414/2023), the deduction (none above the
// limit of a plant at the dwelling's service, Agenzia delle Entrate,
// risoluzione 22/E/2013), the premium passed on, the sales' price and tax.
Regole RegoleDelCaso(const std::function<double(const char*)>& v, double potenza, double batteria, const Famiglia& famiglia,
                     Convenienza& c, double& perKwh)
{
    // Turnkey costs per kWp and per kWh fall with the size, read between the dataset's sizes.
    const double perKwp = CostoPerTaglia({{3, v("costo_impianto")}, {6, v("costo_impianto_6")}, {10, v("costo_impianto_10")},
                                          {20, v("costo_impianto_20")}},
                                         potenza);
    perKwh = CostoPerTaglia({{5, v("costo_batteria")}, {10, v("costo_batteria_10")}, {15, v("costo_batteria_15")}}, batteria);
    c.investimento = potenza * perKwp + batteria * perKwh;
    const double quotaContributo = famiglia.contributoPnrr && v("quota_condivisa") > 0 ? v("contributo_pnrr") / 100 : 0;
    const double contributo = quotaContributo * std::min(c.investimento, potenza * CostoAmmissibilePnrr(potenza, v));
    const double fattorePremio = 1 - v("riduzione_premio_pnrr") / 100 * std::min(1.0, quotaContributo / 0.4);
    c.oltreLimiteDetrazione = potenza > v("potenza_massima_detrazione");
    c.detrazioneApplicata = quotaContributo == 0 && !c.oltreLimiteDetrazione
                            && (v("quota_condivisa") == 0 || v("detrazione_con_premio") != 0);
    const double aliquotaDetrazione = famiglia.secondaCasa ? v("detrazione_seconda_casa") : v("detrazione");
    const double tetto = famiglia.secondaCasa ? v("detrazione_tetto_seconda_casa") : v("detrazione_tetto");
    return Regole{v("tasso_sconto") / 100,
                   v("degrado") / 100,
                   v("aumento_prezzi") / 100,
                   std::max(PrezzoZonale(famiglia.zona, v), v("prezzo_minimo_garantito")),
                   v("quota_condivisa") / 100 * v("quota_premio_socio") / 100
                       * ((v("premio_comunita") + CorrezioneDellArea(famiglia.area, v)) * fattorePremio
                          + v("valorizzazione_arera")),
                   c.detrazioneApplicata ? std::min(c.investimento, tetto) * aliquotaDetrazione / 100 / v("detrazione_rate") : 0,
                   v("prezzo_energia"),
                   v("anni_premio"),
                   v("detrazione_rate"),
                   potenza * v("manutenzione"),
                   potenza * v("costo_inverter"),
                   int(std::lround(v("anno_inverter"))),
                   v("aliquota_irpef") / 100,
                   famiglia.impostaLorda,
                   v("inflazione") / 100,
                   contributo,
                   famiglia.prezziFasce};
}

} // namespace

Convenienza CalcolaConvenienza(const EnergiaAnno& e, double potenza, double batteria, const std::vector<Parametro>& par,
                               const Famiglia& famiglia, const CurvaBatteria* curva, const MeteoDegliAnni* meteo, bool conTir)
{
    Verifica(par);
    const auto v = [&](const char* nome) { return Valore(par, nome); };
    Convenienza c;
    double perKwh = 0;
    const Regole g = RegoleDelCaso(v, potenza, batteria, famiglia, c, perKwh);
    AnnoFlusso zero;
    zero.costi = c.investimento;
    zero.flusso = zero.attualizzato = -c.investimento;
    zero.cumulato = zero.cumulatoAttualizzato = -c.investimento;
    c.anni.push_back(zero);
    const int anni = int(std::lround(v("orizzonte")));
    const std::vector<AnnoBatteria> vita = curva && batteria > 0 ? VitaDellaBatteria(anni, batteria, perKwh, *curva, v)
                                                                 : std::vector<AnnoBatteria>(std::size_t(anni) + 1);
    for (int t = 1; t <= anni; ++t) {
        const AnnoBatteria& b = vita[std::size_t(t)];
        EnergiaAnno anno = curva && batteria > 0 ? curva->A(b.quota) : e;
        if (meteo && std::size_t(t) < meteo->fattori.size()) {
            // A sunnier or a greyer year than the mean: the energy moves along its slope.
            const double d = meteo->fattori[std::size_t(t)] - 1;
            anno.produzione = std::max(0.0, anno.produzione + d * meteo->derivata.produzione);
            anno.coperto = std::clamp(anno.coperto + d * meteo->derivata.coperto, 0.0, anno.consumo);
            anno.immessa = std::max(0.0, anno.immessa + d * meteo->derivata.immessa);
        }
        c.anni.push_back(UnAnno(t, anno, g, c.anni.back(), b));
        if (b.sostituzione > 0)
            c.sostituzioniBatteria.push_back(t);
    }
    FigureDiMerito(c, g.r, conTir);
    return c;
}

} // namespace fv
