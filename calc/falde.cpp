// SPDX-License-Identifier: MIT
// The faces of a roof and their inverter.
#include "calc/falde.h"

#include "calc/modello.h"
#include "calc/numeri.h"
#include "calc/risultati.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace fv {

namespace {

std::string Nome(std::size_t falda) { return "la falda " + std::to_string(falda); }

void NelLimite(std::size_t falda, const char* campo, const char* cosa, double v, const LimiteFalda& l)
{
    if (!(v >= l.minimo && v <= l.massimo))
        throw ErroreFalda(falda, campo, Nome(falda) + ": " + cosa + " vale da " + TestoLeggibile(l.minimo) + " a "
                                            + TestoLeggibile(l.massimo) + " " + l.unita + ", non " + TestoLeggibile(v) + ".");
}

} // namespace

void VerificaFalde(const std::vector<Falda>& falde, const std::optional<double>& inverter)
{
    if (falde.empty() || falde.size() > kFaldeMassime)
        throw ErroreFalda(0, "falda", "l'impianto ha da 1 a " + std::to_string(kFaldeMassime) + " falde, non "
                                          + std::to_string(falde.size()) + ".");
    for (std::size_t i = 0; i < falde.size(); ++i) {
        const Falda& f = falde[i];
        NelLimite(i + 1, "tilt", "l'inclinazione", f.tilt, kTiltFalda);
        NelLimite(i + 1, "azimut", "l'azimut", f.azimut, kAzimutFalda);
        NelLimite(i + 1, "potenza", "la potenza", f.potenza, kPotenzaFalda);
        if (f.area)
            NelLimite(i + 1, "area", "la superficie", *f.area, kAreaFalda);
        NelLimite(i + 1, "ombra", "l'ombreggiamento", f.ombra, kOmbraFalda);
    }
    if (!inverter)
        return;
    const double picco = PotenzaDiPicco(falde), massimo = kInverterMassimoSuPicco * picco;
    if (!(*inverter > 0 && *inverter <= massimo))
        throw ErroreFalda(0, "inverter", "la potenza dell'inverter vale da più di 0 a " + TestoLeggibile(massimo)
                                             + " kW (dieci volte i " + TestoLeggibile(picco) + " kWp delle falde), non "
                                             + TestoLeggibile(*inverter) + ".");
}

Falda LeggiFalda(const std::string& testo, std::size_t numero)
{
    std::vector<std::string> parti;
    std::size_t inizio = 0;
    for (;;) {
        const std::size_t due = testo.find(':', inizio);
        parti.push_back(testo.substr(inizio, due - inizio));
        if (due == std::string::npos)
            break;
        inizio = due + 1;
    }
    if (parti.size() != 3)
        throw ErroreFalda(numero, "falda", Nome(numero) + " si scrive TILT:AZIMUT:KWP (es. 30:-90:3,5), non «" + testo + "».");
    const char* campi[] = {"tilt", "azimut", "potenza"};
    const char* cose[] = {"l'inclinazione", "l'azimut", "la potenza"};
    double v[3];
    for (std::size_t i = 0; i < 3; ++i) {
        try {
            v[i] = LeggiNumeroPersona(parti[i], Campo::Energia);
        } catch (const ErroreAmbiguo& e) {
            throw ErroreFalda(numero, campi[i], Nome(numero) + ", " + cose[i] + ": " + e.Spiegazione());
        } catch (const Errore&) {
            throw ErroreFalda(numero, campi[i], Nome(numero) + ": " + cose[i] + " «" + parti[i] + "» non è un numero.");
        }
    }
    Falda f;
    f.tilt = v[0];
    f.azimut = v[1];
    f.potenza = v[2];
    return f;
}

double PotenzaDiPicco(const std::vector<Falda>& falde)
{
    double p = 0;
    for (const Falda& f : falde)
        p += f.potenza;
    return p;
}

MesiFalda MesiDellaFalda(const Falda& f, double latitudine, double riflettanza, const MonthlySeries& radOriz,
                         std::int16_t perdite, std::int16_t efficienza)
{
    // The window's own steps and constants, so that the window's plane gives its months to the bit.
    const Piano piano = CreaPiano(latitudine * kGradiRadianti, f.tilt * kGradiRadianti, f.azimut * kGradiRadianti, riflettanza);
    MesiFalda m;
    for (int mese = 1; mese <= 12; ++mese) {
        const auto i = std::size_t(mese - 1);
        m.radInc[i] = CalcolaRadiazioneInclinata(mese, piano, radOriz[i]);
        m.energia[i] = EnergiaMensile(m.radInc[i], kGiorniMese[i], f.potenza, perdite, efficienza);
        if (f.ombra > 0)
            m.energia[i] *= 1 - f.ombra / 100;
    }
    return m;
}

ProduzioneFalde LimiteInverter(std::vector<std::vector<Ore>> falde, const std::optional<double>& inverter,
                               const Calendario& calendario)
{
    ProduzioneFalde p;
    p.inverter = inverter;
    p.ore = falde.empty() ? std::vector<Ore>(calendario.giorni.size(), Ore{}) : falde.front();
    for (std::size_t f = 1; f < falde.size(); ++f)
        for (std::size_t g = 0; g < p.ore.size(); ++g)
            for (std::size_t h = 0; h < 24; ++h)
                p.ore[g][h] += falde[f][g][h];
    for (const auto& ore : falde) {
        std::array<double, 12> mesi{};
        for (std::size_t g = 0; g < ore.size(); ++g)
            for (double e : ore[g])
                mesi[std::size_t(calendario.giorni[g].mese)] += e;
        p.mesiFalde.push_back(mesi);
    }
    if (inverter) {
        // An hour's energy [kWh] is its mean power [kW]: above the inverter's
        // AC rating the excess never reaches the meter.
        for (std::size_t g = 0; g < p.ore.size(); ++g)
            for (double& e : p.ore[g])
                if (e > *inverter) {
                    p.tagliataMesi[std::size_t(calendario.giorni[g].mese)] += e - *inverter;
                    e = *inverter;
                }
        for (double t : p.tagliataMesi)
            p.tagliata += t;
    }
    p.falde = std::move(falde);
    return p;
}

std::vector<CapacitaFalda> OrdineDiRiempimento(const std::vector<Falda>& falde, const std::vector<double>& energiaAnno,
                                               double densita)
{
    std::vector<CapacitaFalda> ordine;
    for (std::size_t i = 0; i < falde.size(); ++i) {
        CapacitaFalda c;
        c.indice = i;
        c.resa = falde[i].potenza > 0 ? energiaAnno[i] / falde[i].potenza : 0;
        if (falde[i].area)
            c.capacita = *falde[i].area * densita;
        else
            c.capacita = falde.size() == 1 ? std::numeric_limits<double>::infinity() : falde[i].potenza;
        ordine.push_back(c);
    }
    // Equal yields keep the faces' own order.
    std::stable_sort(ordine.begin(), ordine.end(), [](const CapacitaFalda& a, const CapacitaFalda& b) { return a.resa > b.resa; });
    return ordine;
}

std::vector<double> Riempi(const std::vector<CapacitaFalda>& ordine, std::size_t falde, double potenza)
{
    std::vector<double> quote(falde, 0.0);
    double resto = potenza;
    for (const CapacitaFalda& c : ordine) {
        const double q = std::min(resto, c.capacita);
        quote[c.indice] = q;
        resto -= q;
        if (resto <= 1e-9)
            break;
    }
    return quote;
}

} // namespace fv
