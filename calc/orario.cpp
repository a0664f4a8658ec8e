// SPDX-License-Identifier: MIT
// The production spread over the clock hours of a reference year.
#include "calc/orario.h"

#include "calc/calcolo.h"
#include "calc/modello.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace fv {

namespace {

constexpr double kRad = std::numbers::pi / 180;

// Normalises a day's shares to sum exactly one (nothing when all are zero).
void Normalizza(std::array<double, 1440>& v)
{
    double somma = 0;
    for (double x : v)
        somma += x;
    if (somma > 0)
        for (double& x : v)
            x /= somma;
}

} // namespace

double EquazioneDelTempo(int n)
{
    const double B = 2 * std::numbers::pi * (n - 1) / 365;
    return 229.18 * (0.000075 + 0.001868 * std::cos(B) - 0.032077 * std::sin(B) - 0.014615 * std::cos(2 * B)
                     - 0.04089 * std::sin(2 * B));
}

GiornoTipo CreaGiornoTipo(int mese, const ImpiantoOrario& impianto, bool legale)
{
    // The month's model day: its declination, sunset hour angle, the plane's
    // incidence cosine A + B cos ω + C sin ω and the horizontal's D + E cos ω.
    const Piano piano = CreaPiano(impianto.latitudine * kGradiRadianti, impianto.tilt * kGradiRadianti,
                                  impianto.azimut * kGradiRadianti, impianto.riflettanza);
    const PassiModello p = PassiRadiazioneInclinata(mese, piano, impianto.radOriz[std::size_t(mese - 1)]);
    GiornoTipo t;
    t.cosBeta = piano.cosBeta;
    t.riflettanza = impianto.riflettanza;
    t.H0 = p.H0 / kMJperKWh;
    t.Kd = p.Kd;
    t.omegaS = p.omegaS;
    const double ws = p.omegaS;
    const double a = 0.409 + 0.5016 * std::sin(ws - 60 * kRad);
    const double b = 0.6609 - 0.4767 * std::sin(ws - 60 * kRad);
    const double cosWs = std::cos(ws);
    const double spostamento = -(legale ? 1.0 : 0.0) + (impianto.longitudine - 15) / 15
                               + EquazioneDelTempo(p.n) / 60; // solar - clock [h]
    for (int k = 0; k < 1440; ++k) {
        // The midpoint of each clock minute.
        const double solare = (k + 0.5) / 60 + spostamento;
        const double w = (solare - 12) * 15 * kRad;
        if (std::fabs(w) >= ws)
            continue;
        const double cw = std::cos(w);
        // Collares-Pereira & Rabl and Liu & Jordan, without their constant
        // factors: each is normalised over the day below.
        t.rt[std::size_t(k)] = (a + b * cw) * (cw - cosWs);
        t.rd[std::size_t(k)] = cw - cosWs;
        const double cosZenit = p.k.D + p.k.E * cw;
        const double cosIncidenza = p.k.A + p.k.B * cw + p.k.C * std::sin(w);
        t.rb[std::size_t(k)] = cosZenit > 0 ? std::max(0.0, cosIncidenza) / cosZenit : 0;
    }
    Normalizza(t.rt);
    Normalizza(t.rd);
    return t;
}

Ore PianoOrario(const GiornoTipo& t, double H, double Hd)
{
    Ore ore{};
    const double cielo = (1 + t.cosBeta) / 2, suolo = t.riflettanza * (1 - t.cosBeta) / 2;
    for (int k = 0; k < 1440; ++k) {
        const double g = H * t.rt[std::size_t(k)];
        const double d = Hd * t.rd[std::size_t(k)];
        ore[std::size_t(k / 60)] += std::max(0.0, g - d) * t.rb[std::size_t(k)] + d * cielo + g * suolo;
    }
    return ore;
}

Ore QuoteGiornoMedio(int mese, const ImpiantoOrario& impianto, bool legale)
{
    const GiornoTipo t = CreaGiornoTipo(mese, impianto, legale);
    const double H = impianto.radOriz[std::size_t(mese - 1)];
    // The model's diffuse fraction, negative in a very clear month, kept at
    // zero or above here: a share cannot be negative.
    Ore ore = PianoOrario(t, H, std::max(0.0, t.Kd) * H);
    double somma = 0;
    for (double x : ore)
        somma += x;
    for (double& x : ore)
        x = somma > 0 ? x / somma : 0;
    return ore;
}

std::vector<double> SerenitaGiornaliere(double KTm, int giorni, int mese)
{
    constexpr double kMin = 0.05;
    const double kMax = 0.6313 + 0.267 * KTm - 11.9 * std::pow(KTm - 0.75, 8);
    const double m = std::clamp(KTm, kMin + 1e-3, kMax - 1e-3);
    // The distribution's mean as a function of γ, increasing: γ by bisection.
    const auto media = [&](double g) {
        if (std::fabs(g) < 1e-9)
            return (kMin + kMax) / 2;
        const double e1 = std::exp(g * kMin), e2 = std::exp(g * kMax);
        return ((kMin - 1 / g) * e1 - (kMax - 1 / g) * e2) / (e1 - e2);
    };
    double basso = -200, alto = 200;
    for (int i = 0; i < 200; ++i) {
        const double g = (basso + alto) / 2;
        (media(g) < m ? basso : alto) = g;
    }
    const double g = (basso + alto) / 2;
    std::vector<double> kt(std::size_t(giorni), m);
    double somma = 0;
    for (int i = 0; i < giorni; ++i) {
        const double F = (i + 0.5) / giorni;
        const double e1 = std::exp(g * kMin), e2 = std::exp(g * kMax);
        kt[std::size_t(i)] = std::fabs(g) < 1e-9 ? kMin + F * (kMax - kMin) : std::log(e1 - F * (e1 - e2)) / g;
        somma += kt[std::size_t(i)];
    }
    for (double& x : kt)
        x *= KTm * giorni / somma;
    // A fixed order within the month, the same at every run: Fisher–Yates
    // driven by mt19937's standard sequence, seeded by the month.
    std::mt19937 caso(static_cast<std::mt19937::result_type>(20260101 + mese));
    for (std::size_t i = kt.size(); i > 1; --i)
        std::swap(kt[i - 1], kt[caso() % i]);
    return kt;
}

double FrazioneDiffusaGiornaliera(double KT, double omegaS)
{
    if (omegaS <= 81.4 * kRad)
        return KT < 0.715 ? 1.0 - 0.2727 * KT + 2.4495 * KT * KT - 11.9514 * std::pow(KT, 3) + 9.3879 * std::pow(KT, 4)
                          : 0.143;
    return KT < 0.722 ? 1.0 + 0.2832 * KT - 2.5557 * KT * KT + 0.8448 * std::pow(KT, 3) : 0.175;
}

std::vector<Ore> ProduzioneOraria(const ImpiantoOrario& impianto, const Calendario& calendario, bool giorniMedi)
{
    std::vector<Ore> anno(calendario.giorni.size());
    std::size_t primo = 0;
    for (int m = 1; m <= 12; ++m) {
        const int giorni = calendario.giorniMese[std::size_t(m - 1)];
        const GiornoTipo inverno = CreaGiornoTipo(m, impianto, false);
        const GiornoTipo estate = CreaGiornoTipo(m, impianto, true);
        const double H = impianto.radOriz[std::size_t(m - 1)];
        std::vector<Ore> piano(static_cast<std::size_t>(giorni));
        if (giorniMedi) {
            for (int d = 0; d < giorni; ++d) {
                const GiornoTipo& t = calendario.giorni[primo + std::size_t(d)].legale ? estate : inverno;
                piano[std::size_t(d)] = PianoOrario(t, H, std::max(0.0, t.Kd) * H);
            }
        } else {
            const std::vector<double> kt = SerenitaGiornaliere(H / inverno.H0, giorni, m);
            for (int d = 0; d < giorni; ++d) {
                const GiornoTipo& t = calendario.giorni[primo + std::size_t(d)].legale ? estate : inverno;
                const double Hd = kt[std::size_t(d)] * t.H0;
                piano[std::size_t(d)] = PianoOrario(t, Hd, FrazioneDiffusaGiornaliera(kt[std::size_t(d)], t.omegaS) * Hd);
            }
        }
        // The month's energy, spread in proportion to each hour's irradiation
        // on the plane: the month's total is the report's, whose months have
        // the days of a common year; a leap February gets its 29th day's
        // energy (the mean day's) on top.
        double totale = 0;
        for (const Ore& o : piano)
            for (double x : o)
                totale += x;
        const double giorniDelModello = kGiorniMese[std::size_t(m - 1)];
        const double fattore = totale > 0 ? impianto.energiaMese[std::size_t(m - 1)] * giorni / giorniDelModello / totale : 0;
        for (int d = 0; d < giorni; ++d)
            for (int h = 0; h < 24; ++h)
                anno[primo + std::size_t(d)][std::size_t(h)] = piano[std::size_t(d)][std::size_t(h)] * fattore;
        primo += std::size_t(giorni);
    }
    return anno;
}

} // namespace fv
