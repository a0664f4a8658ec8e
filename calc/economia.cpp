// SPDX-License-Identifier: MIT
// The plant's cash flow over its life, and its figures of merit.
#include "calc/economia.h"

#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace fv {

namespace {

// Sources, read in December 2026; "stima" where no official figure applies.
const Parametro kParametri[] = {
        {"prezzo_energia", 0.25, "€/kWh",
         "Prezzo della parte variabile della bolletta evitata per ogni kWh non prelevato (energia, trasporto, "
         "oneri, accise, IVA)",
         "ARERA, prezzo di riferimento del cliente tipo in tutela dal 1/1/2026: 27,97 c€/kWh tasse incluse "
         "(13,75 energia, 2,24 vendita, 6,18 rete, 3,03 oneri, 2,77 imposte; consumatorilombardia.it 14/1/2026); "
         "stima: tolte le quote fisse",
         "2026-01-01", 0, 2},
        {"prezzo_zonale", 0.09, "€/kWh", "Prezzo zonale orario medio nelle ore di produzione fotovoltaica",
         "stima sui prezzi del mercato del giorno prima 2025", "2026-01-01", 0, 2},
        {"prezzo_minimo_garantito", 0.0475, "€/kWh",
         "Prezzo minimo garantito del ritiro dedicato (fotovoltaico, fino a 1.500 MWh/anno)",
         "ARERA, prezzi minimi garantiti 2026 (pv-magazine.it, gennaio 2026): 47,5 €/MWh", "2026-01-01", 0, 2},
        {"quota_condivisa", 0, "%",
         "Quota dell'energia immessa condivisa in una comunità energetica rinnovabile (0 se non se ne fa parte)",
         "scelta dell'utente", "", 0, 100},
        {"premio_comunita", 0.12, "€/kWh",
         "Tariffa premio sull'energia condivisa (impianti fino a 200 kW: 80 €/MWh + max(0; 180 - prezzo zonale), "
         "al massimo 120 €/MWh)",
         "DM MASE 7 dicembre 2023 n. 414, allegato 1; stima con prezzo zonale sotto 100 €/MWh", "2024-01-24", 0, 1},
        {"correzione_regionale", 0.01, "€/kWh", "Correzione della tariffa premio per zona (Nord +10, Centro +4 €/MWh)",
         "DM MASE 414/2023, allegato 1", "2024-01-24", 0, 0.1},
        {"valorizzazione_arera", 0.008, "€/kWh", "Valorizzazione ARERA dell'energia condivisa (componenti tariffarie restituite)",
         "ARERA, TIAD (delibera 727/2022); stima dell'ordine di 8 €/MWh", "2024-01-01", 0, 0.1},
        {"anni_premio", 20, "anni", "Durata della tariffa premio della comunità", "DM MASE 414/2023, art. 4",
         "2024-01-24", 0, 40, false, false, true},
        {"detrazione", 50, "%",
         "Detrazione IRPEF per il recupero edilizio (fotovoltaico e accumulo): 50 % sull'abitazione principale per "
         "spese 2026, 36 % per le altre; dal 2027 36 % e 30 %",
         "Art. 16-bis TUIR; leggi di bilancio 2025 e 2026 (myenergy.it, 17/10/2025; certificato-ape.it)",
         "2026-12-31", 0, 100},
        {"detrazione_tetto", 96000, "€", "Spesa massima ammessa alla detrazione per unità immobiliare",
         "Art. 16-bis TUIR", "2027-12-31", 1000, 1e6},
        {"detrazione_rate", 10, "anni", "Rate annuali uguali della detrazione", "Art. 16-bis TUIR", "2026-12-31", 1, 40,
         false, false, true},
        {"detrazione_con_premio", 1, "sì=1/no=0",
         "Se la detrazione si somma alla tariffa premio della comunità (si esclude invece con il contributo PNRR "
         "in conto capitale del 40 %, non considerato qui)",
         "DM MASE 414/2023; certificato-ape.it (cumulabilità contributo CER e detrazioni)", "2024-01-24", 0, 1,
         false, false, true},
        {"costo_impianto", 1900, "€/kWp", "Costo chiavi in mano di un impianto residenziale, IVA inclusa",
         "stima: 4.500-7.500 € per 3 kW nel 2025 (aforenergy.com)", "2025-12-31", 300, 10000},
        {"costo_batteria", 650, "€/kWh", "Costo di una batteria domestica installata per kWh utile, IVA inclusa",
         "stima", "2025-12-31", 50, 5000},
        {"manutenzione", 20, "€/kWp anno", "Esercizio e manutenzione ordinaria", "stima", "2025-12-31", 0, 1000},
        {"anno_inverter", 12, "anno", "Anno della sostituzione dell'inverter (0: nessuna)", "stima: garanzie di 10-12 anni",
         "2025-12-31", 0, 40, false, false, true},
        {"costo_inverter", 250, "€/kWp", "Costo della sostituzione dell'inverter", "stima", "2025-12-31", 0, 2000},
        {"degrado", 0.5, "%/anno", "Calo annuo della produzione dei moduli", "stima: garanzie di 0,4-0,55 %/anno",
         "2025-12-31", 0, 100, false, true},
        {"aumento_prezzi", 2, "%/anno", "Aumento annuo dei prezzi dell'energia", "stima (inflazione 2025: +1,4 %, ISTAT)",
         "2026-01-01", -50, 50},
        {"tasso_sconto", 3, "%/anno", "Tasso di attualizzazione", "stima", "2026-01-01", -100, 100, true},
        {"orizzonte", 25, "anni", "Anni considerati", "stima: vita utile dei moduli", "2026-01-01", 1, 40, false, false, true},
};

} // namespace

std::vector<Parametro> ParametriPredefiniti() { return {std::begin(kParametri), std::end(kParametri)}; }

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
    if (!sotto && !sopra && !frazione && std::isfinite(v))
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
    throw ErroreParametro(p.nome, "il parametro «" + p.nome + "» vale " + ammesso + ", non " + TestoLeggibile(v) + ".");
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
    double basso = -0.99, alto = 10;
    double fBasso = ValoreAttuale(flussi, basso), fAlto = ValoreAttuale(flussi, alto);
    if (fBasso * fAlto > 0)
        return std::nullopt;
    for (int i = 0; i < 400 && alto - basso > 1e-15; ++i) {
        const double medio = (basso + alto) / 2;
        const double f = ValoreAttuale(flussi, medio);
        if ((f > 0) == (fBasso > 0)) {
            basso = medio;
            fBasso = f;
        } else {
            alto = medio;
        }
    }
    return (basso + alto) / 2;
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

EnergiaAnno EnergiaDelBilancio(const FlussiEnergia& anno)
{
    return {anno.produzione, anno.Coperto(), anno.immessa, anno.consumo};
}

namespace {

// The rates and amounts that stay the same every year.
struct Regole {
    double r, degrado, aumento, prezzoVendita, premio, rata, prezzoEnergia;
    double anniPremio, anniRate, manutenzione, costoInverter;
    int annoInverter;
};

// Year t's flows from the first year's energy (see CalcolaConvenienza).
AnnoFlusso UnAnno(int t, const EnergiaAnno& e, const Regole& g, const AnnoFlusso& prima)
{
    const double resa = std::pow(1 - g.degrado, t - 1), prezzi = std::pow(1 + g.aumento, t - 1);
    AnnoFlusso a;
    a.anno = t;
    a.produzione = e.produzione * resa;
    a.coperto = e.coperto * resa;
    a.immessa = e.immessa * resa;
    a.prelevata = e.consumo - a.coperto;
    a.risparmio = a.coperto * g.prezzoEnergia * prezzi;
    a.vendita = a.immessa * g.prezzoVendita * prezzi;
    a.premioComunita = t <= g.anniPremio ? a.immessa * g.premio : 0;
    a.detrazione = t <= g.anniRate ? g.rata : 0;
    a.costi = g.manutenzione + (t == g.annoInverter ? g.costoInverter : 0);
    a.flusso = a.risparmio + a.vendita + a.premioComunita + a.detrazione - a.costi;
    a.cumulato = prima.cumulato + a.flusso;
    a.attualizzato = a.flusso / std::pow(1 + g.r, t);
    a.cumulatoAttualizzato = prima.cumulatoAttualizzato + a.attualizzato;
    return a;
}

void FigureDiMerito(Convenienza& c, double r)
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
    c.tir = TassoInterno(flussi);
    c.ritornoSemplice = TempoDiRitorno(flussi);
    c.ritornoAttualizzato = TempoDiRitorno(attualizzati);
    // LCOE: discounted costs over discounted energy, incentives excluded.
    c.lcoe = energiaAttualizzata > 0 ? costiAttualizzati / energiaAttualizzata : 0;
    if (c.anni.size() > 1)
        c.risparmioPrimoAnno = c.anni[1].risparmio + c.anni[1].vendita + c.anni[1].premioComunita;
}

} // namespace

Convenienza CalcolaConvenienza(const EnergiaAnno& e, double potenza, double batteria, const std::vector<Parametro>& par)
{
    Verifica(par);
    const auto v = [&](const char* nome) { return Valore(par, nome); };
    Convenienza c;
    c.investimento = potenza * v("costo_impianto") + batteria * v("costo_batteria");
    c.detrazioneApplicata = v("quota_condivisa") == 0 || v("detrazione_con_premio") != 0;
    const Regole g{v("tasso_sconto") / 100,
                   v("degrado") / 100,
                   v("aumento_prezzi") / 100,
                   std::max(v("prezzo_zonale"), v("prezzo_minimo_garantito")),
                   v("quota_condivisa") / 100 * (v("premio_comunita") + v("correzione_regionale") + v("valorizzazione_arera")),
                   c.detrazioneApplicata ? std::min(c.investimento, v("detrazione_tetto")) * v("detrazione") / 100 / v("detrazione_rate") : 0,
                   v("prezzo_energia"),
                   v("anni_premio"),
                   v("detrazione_rate"),
                   potenza * v("manutenzione"),
                   potenza * v("costo_inverter"),
                   int(std::lround(v("anno_inverter")))};
    AnnoFlusso zero;
    zero.costi = c.investimento;
    zero.flusso = zero.attualizzato = -c.investimento;
    zero.cumulato = zero.cumulatoAttualizzato = -c.investimento;
    c.anni.push_back(zero);
    for (int t = 1; t <= int(std::lround(v("orizzonte"))); ++t)
        c.anni.push_back(UnAnno(t, e, g, c.anni.back()));
    FigureDiMerito(c, g.r);
    return c;
}

} // namespace fv
