// SPDX-License-Identifier: MIT
// Consumption over the reference year, a meter's file, and the hourly
// balance with a battery.
#include "calc/bilancio.h"

#include "calc/errori.h"
#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <optional>

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

FasceMese FasceDellAnnoNeiMesi(const std::array<double, 3>& anno, const ProfiloConsumo& profilo, const Calendario& calendario)
{
    FasceMese pesi{}, fasce{};
    std::array<double, 3> totali{};
    for (const Giorno& g : calendario.giorni)
        for (int h = 0; h < 24; ++h) {
            const auto f = std::size_t(FasciaOraria(g, h) - 1);
            pesi[std::size_t(g.mese)][f] += PesoOra(profilo, g, h);
            totali[f] += PesoOra(profilo, g, h);
        }
    for (std::size_t m = 0; m < 12; ++m)
        for (std::size_t f = 0; f < 3; ++f)
            fasce[m][f] = totali[f] > 0 ? anno[f] * pesi[m][f] / totali[f] : 0;
    return fasce;
}

double FasceLette::Totale() const
{
    double totale = 0;
    if (mesi) {
        for (const auto& m : *mesi)
            totale += m[0] + m[1] + m[2];
    } else {
        totale = anno[0] + anno[1] + anno[2];
    }
    return totale;
}

std::vector<std::string> CampiFasce(const std::string& testo)
{
    std::vector<std::string> campi;
    const bool puntoEVirgola = testo.find(';') != std::string::npos;
    std::string t = testo;
    for (char& c : t)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    const auto a = t.find_first_not_of(' '), b = t.find_last_not_of(' ');
    t = a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
    const bool spazi = !puntoEVirgola && t.find(' ') != std::string::npos;
    const char separatore = puntoEVirgola ? ';' : spazi ? ' ' : ',';
    std::string campo;
    const auto chiudi = [&] {
        const auto i = campo.find_first_not_of(' '), j = campo.find_last_not_of(' ');
        campo = i == std::string::npos ? std::string() : campo.substr(i, j - i + 1);
        if (spazi && !campo.empty() && campo.back() == ',')
            campo.pop_back();
        if (!(spazi && campo.empty()))
            campi.push_back(campo);
        campo.clear();
    };
    for (char c : t) {
        if (c == separatore)
            chiudi();
        else
            campo += c;
    }
    chiudi();
    if (campi.size() > 1 && campi.back().empty())
        campi.pop_back(); // a separator ending the text, as a spreadsheet's row
    return campi;
}


FasceLette LeggiFasce(const std::string& testo)
{
    const std::vector<std::string> campi = CampiFasce(testo);
    if (campi.size() != 3 && campi.size() != 36)
        throw ErroreFasce("servono 3 consumi (F1, F2, F3 dell'anno) o 36 (F1, F2, F3 di ogni mese dalle dodici "
                          "bollette, gennaio per primo), separati da punto e virgola; "
                          + std::string(campi.size() == 1 ? "ce n'è 1." : "ce ne sono " + std::to_string(campi.size()) + "."));
    FasceLette letti;
    FasceMese mesi{};
    for (std::size_t i = 0; i < campi.size(); ++i) {
        // Built piece by piece: GCC 12 at -O3 misreads "F" + std::to_string(...) (a false -Wrestrict).
        std::string quale = "F";
        quale += std::to_string(i % 3 + 1);
        if (campi.size() == 36) {
            quale += " del mese ";
            quale += std::to_string(i / 3 + 1);
        }
        double v = 0;
        try {
            v = LeggiNumeroPersona(campi[i], Campo::Energia);
        } catch (const ErroreAmbiguo& e) {
            throw ErroreFasce(quale + ": " + e.Spiegazione());
        } catch (const ErroreConversione&) {
            throw ErroreFasce(quale + ": «" + campi[i] + "» non è un consumo in kWh.");
        }
        if (v < 0)
            throw ErroreFasce(quale + ": un consumo non può essere negativo («" + campi[i] + "»).");
        mesi[i / 3][i % 3] = v;
        if (campi.size() == 3)
            letti.anno[i] = v;
    }
    if (campi.size() == 36)
        letti.mesi = mesi;
    const double totale = letti.Totale();
    if (!(totale >= kConsumoAnnuoMinimo && totale <= kConsumoAnnuoMassimo))
        throw ErroreFasce("il consumo dell'anno nelle fasce (" + TestoLeggibile(totale) + " kWh) deve essere da "
                          + TestoLeggibile(kConsumoAnnuoMinimo) + " a " + TestoLeggibile(kConsumoAnnuoMassimo) + " kWh.");
    return letti;
}

bool LeggiStrategia(const std::string& testo, StrategiaBatteria& s)
{
    if (testo == "autoconsumo")
        s = StrategiaBatteria::Autoconsumo;
    else if (testo == "fasce")
        s = StrategiaBatteria::Fasce;
    else
        return false;
    return true;
}

const char* NomeStrategia(StrategiaBatteria s) { return s == StrategiaBatteria::Fasce ? "fasce" : "autoconsumo"; }

namespace {

// One hour with the battery: a surplus charges it within its power and free
// capacity, the rest is exported; a shortfall is covered from it within its
// power and charge, the rest imported. `carica` is the energy stored [kWh].
OraBilancio UnOra(double p, double c, double& carica, double capacita, double potenza, double eta, bool scarica = true)
{
    OraBilancio o{p, c, std::min(p, c), 0, 0, 0, 0, 0, 0};
    const double prima = carica;
    if (p > c) {
        // Into the battery, as energy taken from the plant; √η of it is stored.
        o.inBatteria = eta > 0 ? std::max(0.0, std::min({p - c, potenza, (capacita - carica) / eta})) : 0;
        carica = std::min(capacita, carica + o.inBatteria * eta);
        o.immessa = p - c - o.inBatteria;
    } else {
        // To the loads, as energy delivered; 1/√η of it leaves the store.
        o.daBatteria = eta > 0 && scarica ? std::max(0.0, std::min({c - p, potenza, carica * eta})) : 0;
        carica = std::max(0.0, carica - (eta > 0 ? o.daBatteria / eta : 0));
        o.prelevata = c - p - o.daBatteria;
    }
    o.carica = carica;
    // What went in and did not come out nor stay: lost as heat.
    o.perdite = o.inBatteria - o.daBatteria - (carica - prima);
    return o;
}

// One hour's flows, or a month's, added to a sum: the fields have the same names.
template<class Flussi>
void Aggiungi(FlussiEnergia& f, const Flussi& x)
{
    f.produzione += x.produzione;
    f.consumo += x.consumo;
    f.diretto += x.diretto;
    f.inBatteria += x.inBatteria;
    f.daBatteria += x.daBatteria;
    f.perdite += x.perdite;
    f.immessa += x.immessa;
    f.prelevata += x.prelevata;
}

} // namespace

Bilancio CalcolaBilancio(const std::vector<Ore>& produzione, const std::vector<Ore>& consumo, const Calendario& calendario,
                         const Batteria& batteria, std::vector<OraBilancio>* traccia)
{
    const double eta = std::sqrt(std::clamp(batteria.rendimento, 0.0, 100.0) / 100);
    const double capacita = std::max(0.0, batteria.capacita);
    const double potenza = batteria.potenza > 0 ? batteria.potenza : capacita;
    const bool fasce = batteria.strategia == StrategiaBatteria::Fasce;
    const auto scarica = [&](std::size_t d, std::size_t h) { return !fasce || FasciaOraria(calendario.giorni[d], int(h)) != 3; };
    double carica = 0;
    Bilancio b;
    // The first pass only brings the charge of 31 December to 1 January.
    for (std::size_t d = 0; d < calendario.giorni.size(); ++d)
        for (std::size_t h = 0; h < 24; ++h)
            UnOra(produzione[d][h], consumo[d][h], carica, capacita, potenza, eta, scarica(d, h));
    b.caricaInizio = carica;
    for (std::size_t d = 0; d < calendario.giorni.size(); ++d) {
        const auto mese = std::size_t(calendario.giorni[d].mese);
        const double giorni = calendario.giorniMese[mese];
        for (std::size_t h = 0; h < 24; ++h) {
            const OraBilancio o = UnOra(produzione[d][h], consumo[d][h], carica, capacita, potenza, eta, scarica(d, h));
            if (traccia)
                traccia->push_back(o);
            Aggiungi(b.mesi[mese], o);
            b.mesi[mese].copertoFasce[std::size_t(FasciaOraria(calendario.giorni[d], int(h)) - 1)] += o.diretto + o.daBatteria;
            b.produzioneMedia[mese][h] += o.produzione / giorni;
            b.consumoMedio[mese][h] += o.consumo / giorni;
            b.caricaMedia[mese][h] += o.carica / giorni;
        }
    }
    b.caricaFine = carica;
    for (const FlussiEnergia& m : b.mesi) {
        Aggiungi(b.anno, m);
        for (std::size_t f = 0; f < 3; ++f)
            b.anno.copertoFasce[f] += m.copertoFasce[f];
    }
    return b;
}

} // namespace fv
