// SPDX-License-Identifier: MIT
// The sizing grid.
#include "calc/dimensiona.h"

#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <future>
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

namespace {

// One plant size: its production, the balance without a battery, then each battery.
void UnaPotenza(std::size_t p, const std::vector<Ore>& produzione, double potenzaBase, const std::vector<Ore>& consumo,
                const Calendario& calendario, const Batteria& modello, const std::vector<Parametro>& parametri,
                const Famiglia& famiglia, GrigliaDimensioni& g, const std::atomic<bool>* annulla)
{
    const double potenza = g.potenze[p];
    // The plant's production scales with its peak power; the same plant, the same hours.
    std::vector<Ore> scalata = produzione;
    if (potenza != potenzaBase)
        for (Ore& giorno : scalata)
            for (double& h : giorno)
                h *= potenza / potenzaBase;
    const Bilancio senza = CalcolaBilancio(scalata, consumo, calendario, {});
    for (std::size_t b = 0; b < g.batterie.size(); ++b) {
        if (annulla && annulla->load())
            return;
        Batteria batteria = modello;
        batteria.capacita = g.batterie[b];
        CellaDimensioni& c = g.celle[p * g.batterie.size() + b];
        c.potenza = potenza;
        c.batteria = batteria.capacita;
        Convenienza conv;
        if (batteria.capacita > 0) {
            const Bilancio con = CalcolaBilancio(scalata, consumo, calendario, batteria);
            const CurvaBatteria curva = CurvaDellaBatteria(scalata, consumo, calendario, batteria, senza, con, false);
            conv = CalcolaConvenienza(EnergiaDelBilancio(con.anno), potenza, batteria.capacita, parametri, famiglia, &curva);
            c.autosufficienza = con.anno.Autosufficienza();
        } else {
            conv = CalcolaConvenienza(EnergiaDelBilancio(senza.anno), potenza, 0, parametri, famiglia);
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
    aggiungi(g.potenze, limiti.potenzaAttuale, limiti.potenzaMax);
    aggiungi(g.batterie, limiti.batteriaAttuale, limiti.batteriaMax);
    g.celle.resize(g.potenze.size() * g.batterie.size());
    Verifica(parametri);
    // Sizes dealt out to the cores in turn, each a whole row.
    const std::size_t fili = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::future<void>> lavori;
    for (std::size_t f = 0; f < fili; ++f)
        lavori.push_back(std::async(std::launch::async, [&, f] {
            for (std::size_t p = f; p < g.potenze.size(); p += fili)
                UnaPotenza(p, produzione, potenzaBase, consumo, calendario, modello, parametri, famiglia, g, annulla);
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
