// SPDX-License-Identifier: MIT
// The sizing grid.
#include "calc/dimensiona.h"

#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <limits>
#include <stdexcept>
#include <thread>

namespace fv {

std::vector<double> PassiDimensioni(double massimo, double passo, double primo, const char* campo, double limite)
{
    if (!(massimo > 0 && massimo <= limite))
        throw std::invalid_argument(std::string(campo) + " vale da più di 0 a " + TestoLeggibile(limite) + ", non "
                                    + TestoLeggibile(massimo) + ".");
    // A step beyond the maximum leaves the one size the maximum allows.
    if (!(passo > 0 && passo <= limite))
        throw std::invalid_argument(std::string("il passo per ") + campo + " vale da più di 0 a " + TestoLeggibile(limite)
                                    + ", non " + TestoLeggibile(passo) + ".");
    std::vector<double> passi;
    // Counted, not summed: 0.5 kW steps stay exact multiples.
    for (int i = 0;; ++i) {
        const double v = primo + i * passo;
        if (v > massimo + 1e-9 || passi.size() > 1000)
            break;
        passi.push_back(v);
    }
    return passi;
}

std::vector<std::size_t> GrigliaDimensioni::MiglioreBatteriaPerPotenza() const
{
    std::vector<std::size_t> migliori;
    for (std::size_t p = 0; p < potenze.size(); ++p) {
        std::size_t b = 0;
        for (std::size_t j = 1; j < batterie.size(); ++j)
            if (Cella(p, j).van > Cella(p, b).van)
                b = j;
        migliori.push_back(b);
    }
    return migliori;
}

double ImpiantoDaDimensionare::Capacita() const
{
    double c = 0;
    for (const CapacitaFalda& f : ordine)
        c += f.capacita;
    return c;
}

std::optional<double> ImpiantoDaDimensionare::InverterDi(double potenza) const
{
    if (!inverter || inverterFisso)
        return inverter;
    double picco = 0;
    for (double p : potenze)
        picco += p;
    return *inverter * potenza / picco;
}

namespace {

// A size's hours: each face's at its share of the plant, summed, then the
// size's inverter. A face at its typed power is taken as it is.
std::vector<Ore> OreDellaTaglia(const ImpiantoDaDimensionare& impianto, const std::vector<double>& quote,
                                const std::optional<double>& inverter, double& tagliata)
{
    std::vector<Ore> ore;
    for (std::size_t f = 0; f < quote.size(); ++f) {
        if (quote[f] <= 0)
            continue;
        const double k = quote[f] / impianto.potenze[f];
        if (ore.empty()) {
            ore = impianto.falde[f];
            if (quote[f] != impianto.potenze[f])
                for (Ore& g : ore)
                    for (double& h : g)
                        h *= k;
        } else {
            for (std::size_t g = 0; g < ore.size(); ++g)
                for (std::size_t h = 0; h < 24; ++h)
                    ore[g][h] += impianto.falde[f][g][h] * k;
        }
    }
    tagliata = 0;
    if (inverter)
        for (Ore& g : ore)
            for (double& h : g)
                if (h > *inverter) {
                    tagliata += h - *inverter;
                    h = *inverter;
                }
    return ore;
}

struct Caso {
    const std::vector<Ore>& consumo;
    const Calendario& calendario;
    const Batteria& modello;
    const std::vector<Parametro>& parametri;
    const Famiglia& famiglia;
};

// One plant size: its production, the balance without a battery, then each battery.
void UnaPotenza(std::size_t p, const ImpiantoDaDimensionare& impianto, const Caso& caso, GrigliaDimensioni& g,
                const std::atomic<bool>* annulla)
{
    const double potenza = g.potenze[p];
    double picco = 0;
    for (double q : impianto.potenze)
        picco += q;
    // The typed plant as it is; any other size filled from the best face.
    const std::vector<double> quote = std::fabs(potenza - picco) < 1e-9
                                          ? impianto.potenze
                                          : Riempi(impianto.ordine, impianto.potenze.size(), potenza);
    const std::optional<double> inverter = impianto.InverterDi(potenza);
    double tagliata = 0;
    const std::vector<Ore> scalata = OreDellaTaglia(impianto, quote, inverter, tagliata);
    const Bilancio senza = CalcolaBilancio(scalata, caso.consumo, caso.calendario, {});
    for (std::size_t b = 0; b < g.batterie.size(); ++b) {
        if (annulla && annulla->load())
            return;
        Batteria batteria = caso.modello;
        batteria.capacita = g.batterie[b];
        CellaDimensioni& c = g.celle[p * g.batterie.size() + b];
        c.potenza = potenza;
        c.batteria = batteria.capacita;
        c.falde = quote;
        c.inverter = inverter.value_or(0);
        c.tagliata = tagliata;
        Convenienza conv;
        if (batteria.capacita > 0) {
            const Bilancio con = CalcolaBilancio(scalata, caso.consumo, caso.calendario, batteria);
            const CurvaBatteria curva = CurvaDellaBatteria(scalata, caso.consumo, caso.calendario, batteria, senza, con, false);
            conv = CalcolaConvenienza(EnergiaDelBilancio(con.anno), potenza, batteria.capacita, caso.parametri, caso.famiglia,
                                      &curva);
            c.autosufficienza = con.anno.Autosufficienza();
        } else {
            conv = CalcolaConvenienza(EnergiaDelBilancio(senza.anno), potenza, 0, caso.parametri, caso.famiglia);
            c.autosufficienza = senza.anno.Autosufficienza();
        }
        c.van = conv.van;
        c.tir = conv.tir;
        c.ritorno = conv.ritornoSemplice;
        c.investimento = conv.investimento;
        c.produzione = senza.anno.produzione;
    }
}

} // namespace

GrigliaDimensioni Dimensiona(const std::vector<Ore>& produzione, double potenzaBase, const std::vector<Ore>& consumo,
                             const Calendario& calendario, const Batteria& modello, const std::vector<Parametro>& parametri,
                             const Famiglia& famiglia, const LimitiDimensioni& limiti, const std::atomic<bool>* annulla)
{
    if (!(potenzaBase > 0))
        throw std::invalid_argument("la potenza dell'impianto calcolato deve essere positiva.");
    ImpiantoDaDimensionare impianto;
    impianto.falde = {produzione};
    impianto.potenze = {potenzaBase};
    impianto.ordine = {{0, 0, std::numeric_limits<double>::infinity()}};
    return Dimensiona(impianto, consumo, calendario, modello, parametri, famiglia, limiti, annulla);
}

GrigliaDimensioni Dimensiona(const ImpiantoDaDimensionare& impianto, const std::vector<Ore>& consumo,
                             const Calendario& calendario, const Batteria& modello, const std::vector<Parametro>& parametri,
                             const Famiglia& famiglia, const LimitiDimensioni& limiti, const std::atomic<bool>* annulla)
{
    if (impianto.falde.empty() || impianto.falde.size() != impianto.potenze.size()
        || std::any_of(impianto.potenze.begin(), impianto.potenze.end(), [](double p) { return !(p > 0); }))
        throw std::invalid_argument("la potenza dell'impianto calcolato deve essere positiva.");
    GrigliaDimensioni g;
    g.potenze = PassiDimensioni(limiti.potenzaMax, limiti.passoPotenza, std::min(1.0, limiti.potenzaMax),
                                "la potenza massima (kWp)", kPotenzaMassimaCasa);
    g.batterie = PassiDimensioni(limiti.batteriaMax, limiti.passoBatteria, 0, "la batteria massima (kWh)", kBatteriaMassimaCasa);
    const auto aggiungi = [](std::vector<double>& passi, const std::optional<double>& v, double massimo) {
        if (!v || *v > massimo + 1e-9 || *v < 0)
            return;
        if (std::none_of(passi.begin(), passi.end(), [&](double x) { return std::fabs(x - *v) < 1e-9; })) {
            passi.push_back(*v);
            std::sort(passi.begin(), passi.end());
        }
    };
    // No size beyond what the roof's faces take (the typed plant stays).
    const double capacita = impianto.Capacita();
    std::erase_if(g.potenze, [&](double p) { return p > capacita + 1e-9; });
    aggiungi(g.potenze, limiti.potenzaAttuale, limiti.potenzaMax);
    aggiungi(g.batterie, limiti.batteriaAttuale, limiti.batteriaMax);
    if (g.potenze.empty())
        throw std::invalid_argument("le falde non danno posto a 1 kWp: indicare una superficie o una potenza maggiore.");
    g.celle.resize(g.potenze.size() * g.batterie.size());
    Verifica(parametri);
    const Caso caso{consumo, calendario, modello, parametri, famiglia};
    // Sizes dealt out to the cores in turn, each a whole row.
    const std::size_t fili = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::future<void>> lavori;
    for (std::size_t f = 0; f < fili; ++f)
        lavori.push_back(std::async(std::launch::async, [&, f] {
            for (std::size_t p = f; p < g.potenze.size(); p += fili)
                UnaPotenza(p, impianto, caso, g, annulla);
        }));
    for (auto& l : lavori)
        l.get();
    if (annulla && annulla->load())
        return {};
    for (std::size_t i = 1; i < g.celle.size(); ++i)
        if (g.celle[i].van > g.celle[g.migliore].van)
            g.migliore = i;
    return g;
}

} // namespace fv
