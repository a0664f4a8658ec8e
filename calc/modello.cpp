// SPDX-License-Identifier: MIT
// The monthly mean-day radiation model, one function per step.
#include "calc/modello.h"

#include <array>
#include <cmath>
#include <numbers>

namespace fv {

namespace {

using Tipo = ErroreAritmetico::Tipo;

double Dividi(double a, double b, int mese, Passo passo)
{
    if (b == 0.0)
        throw ErroreAritmetico(mese, passo, Tipo::DivisionePerZero);
    return Finito(a / b, mese, passo);
}

double Radice(double x, int mese, Passo passo)
{
    if (x < 0.0)
        throw ErroreAritmetico(mese, passo, Tipo::RadiceNegativa);
    return Finito(std::sqrt(Finito(x, mese, passo)), mese, passo);
}

// Integral of the plane's incidence cosine A + B cos w + C sin w from a to b,
// times the solar constant: the numerator of the beam ratio for one spell.
double NumeratoreDiretta(const Coefficienti& k, double a, double b)
{
    return ((std::sin(b) - std::sin(a)) * k.B + (b - a) * k.A - (std::cos(b) - std::cos(a)) * k.C)
           * kCostanteSolare;
}

// |A| >= sqrt(B² + C²): the incidence cosine never changes sign, so the
// plane sees the sun all day (A > 0) or never.
void SenzaIncroci(PassiModello& p, double omegaS)
{
    p.w1 = p.w2 = p.alba = p.tramonto = 0.0;
    if (p.k.A > 0.0) {
        p.illuminazione = Illuminazione::Sempre;
        p.omegaSr = -omegaS;
        p.omegaSs = omegaS;
    } else {
        p.illuminazione = Illuminazione::Mai;
        p.omegaSr = p.omegaSs = 0.0;
    }
}

// The arc of sun on the plane wraps around midnight: the plane is lit
// from the horizon's sunrise to its own sunset and again from its own
// sunrise to the horizon's sunset, where those spells fall inside the day.
void SpicchiAttornoMezzanotte(PassiModello& p, double omegaS)
{
    const bool mattino = p.tramonto > -omegaS;
    const bool sera = p.alba < omegaS;
    const double fineMattino = p.tramonto < omegaS ? p.tramonto : omegaS;
    const double inizioSera = p.alba > -omegaS ? p.alba : -omegaS;
    if (mattino && sera) {
        p.illuminazione = Illuminazione::DueIntervalli;
        p.omegaSr = -omegaS;
        p.omegaSs = fineMattino;
        p.omegaSr2 = inizioSera;
        p.omegaSs2 = omegaS;
    } else if (mattino) {
        p.illuminazione = Illuminazione::Intervallo;
        p.omegaSr = -omegaS;
        p.omegaSs = fineMattino;
    } else if (sera) {
        p.illuminazione = Illuminazione::Intervallo;
        p.omegaSr = inizioSera;
        p.omegaSs = omegaS;
    } else {
        p.illuminazione = Illuminazione::Mai;
        p.omegaSr = p.omegaSs = 0.0;
    }
}

} // namespace

int NumeroGiorno(int mese)
{
    // The middle of the month on a 365-day year: floor(365 m / 12 - 15).
    return static_cast<int>(std::floor(365 * mese / 12.0 - 15));
}

double Declinazione(int n, int mese)
{
    // Cooper: delta = 23.45 deg * sin(360 (284 + n) / 365).
    return Finito(std::sin(((n + 284) * kGiro) / 365) * kAmpiezzaDeclinazione, mese,
                  Passo::Declinazione);
}

Piano CreaPiano(double phi, double beta, double gamma, double rho)
{
    return {phi,           beta,           gamma,          rho,
            std::sin(phi), std::cos(phi),  std::tan(phi),  std::sin(beta),
            std::cos(beta), std::sin(gamma), std::cos(gamma)};
}

Sole SoleDelGiorno(int n, double delta)
{
    return {n, delta, std::sin(delta), std::cos(delta), std::tan(delta),
            std::cos(kGiro * n / 365) * 0.033 + 1};
}

const Sole& SoleDelMese(int mese)
{
    static const std::array<Sole, 12> tabella = [] {
        std::array<Sole, 12> t{};
        for (int m = 1; m <= 12; ++m) {
            const int n = NumeroGiorno(m);
            t[static_cast<std::size_t>(m - 1)] = SoleDelGiorno(n, Declinazione(n, m));
        }
        return t;
    }();
    return tabella.at(static_cast<std::size_t>(mese - 1));
}

double AngoloOrarioTramonto(const Sole& sole, const Piano& piano, int mese)
{
    // ws = acos(-tan phi tan delta), written as an arc tangent with the
    // method's half turn: sqrt(1 - x^2) / x with x = -tan delta tan phi.
    const double td = sole.tanDelta;
    const double tp = piano.tanPhi;
    const double x = Finito(1 - td * td * tp * tp, mese, Passo::AngoloTramonto);
    double omegaS = std::atan(Dividi(Radice(x, mese, Passo::AngoloTramonto), -td * tp, mese,
                                     Passo::AngoloTramonto));
    if (omegaS < 0)
        omegaS = omegaS + kMezzoGiro;
    return Finito(omegaS, mese, Passo::AngoloTramonto);
}

Coefficienti CoefficientiPiano(const Sole& sole, const Piano& q, int mese)
{
    const double sinDelta = sole.sinDelta;
    const double cosDelta = sole.cosDelta;
    Coefficienti k{};
    k.A = sinDelta * (q.cosBeta * q.sinPhi - q.sinBeta * q.cosPhi * q.cosGamma);
    k.B = cosDelta * (q.sinBeta * q.sinPhi * q.cosGamma + q.cosBeta * q.cosPhi);
    k.C = cosDelta * (q.sinGamma * q.sinBeta);
    k.D = sinDelta * q.sinPhi;
    k.E = cosDelta * q.cosPhi;
    for (double v : {k.A, k.B, k.C, k.D, k.E})
        Finito(v, mese, Passo::Coefficienti);
    return k;
}

double RadiazioneExtraterrestre(const Sole& sole, double omegaS, const Coefficienti& k, int mese)
{
    // H0 = 24 * 3.6 / pi * Gsc * (1 + 0.033 cos(360 n / 365)) * (cos phi cos delta sin ws
    //      + ws sin phi sin delta)   [MJ/m² day]
    return Finito(sole.distanza * (86.4 / kPiExtraterrestre * kCostanteSolare)
                      * (std::sin(omegaS) * k.E + k.D * omegaS),
                  mese, Passo::RadiazioneExtraterrestre);
}

double IndiceSerenita(double H, double H0, int mese)
{
    return Dividi(H * kMJperKWh, H0, mese, Passo::IndiceSerenita);
}

double FrazioneDiffusa(double KT, int mese)
{
    // Linear in KT and deliberately unclamped: a very clear month gives a
    // negative diffuse fraction and the method goes on with it.
    return Finito(KT * (-0.972) + 0.881, mese, Passo::FrazioneDiffusa);
}

void IncrociPiano(PassiModello& p, int mese)
{
    const Coefficienti& k = p.k;
    const double omegaS = p.omegaS;
    const double q = Finito(k.C * k.C + k.B * k.B - k.A * k.A, mese, Passo::IncrociPiano);

    if (q <= 0.0) {
        SenzaIncroci(p, omegaS);
        return;
    }

    if (k.A == k.B) {
        // One crossing is at w = pi, where the tangent of the half angle has
        // no value; the other solves 2 C t + 2 A = 0. q > 0 means C != 0.
        const double wa = 2 * std::atan(Dividi(-k.A, k.C, mese, Passo::IncrociPiano));
        p.w1 = wa;
        p.w2 = std::numbers::pi;
        if (k.B * std::sin(wa) < k.C * std::cos(wa)) {
            p.alba = wa;
            p.tramonto = std::numbers::pi;
        } else {
            p.alba = -std::numbers::pi;
            p.tramonto = wa;
        }
    } else {
        // Roots of A + B cos w + C sin w through t = tan(w / 2):
        // (A - B) t² + 2 C t + (A + B) = 0.
        const double s = Radice(q, mese, Passo::IncrociPiano);
        const double t1 = Dividi(s - k.C, k.A - k.B, mese, Passo::IncrociPiano);
        const double t2 = Dividi(-k.C - s, k.A - k.B, mese, Passo::IncrociPiano);
        p.w1 = 2 * std::atan(t1);
        p.w2 = 2 * std::atan(t2);
        // The sun enters the plane where the incidence cosine is rising.
        if (k.B * std::sin(p.w1) < k.C * std::cos(p.w1)) {
            p.alba = p.w1;
            p.tramonto = p.w2;
        } else {
            p.alba = p.w2;
            p.tramonto = p.w1;
        }
    }

    if (p.alba <= p.tramonto) {
        // One arc of sun on the plane, clamped to the horizontal day.
        p.omegaSr = p.alba >= -omegaS ? p.alba : -omegaS;
        p.omegaSs = p.tramonto <= omegaS ? p.tramonto : omegaS;
        if (p.omegaSr <= p.omegaSs) {
            p.illuminazione = Illuminazione::Intervallo;
        } else {
            // The arc lies wholly before sunrise or after sunset.
            p.illuminazione = Illuminazione::Mai;
            p.omegaSr = p.omegaSs = 0.0;
        }
        return;
    }

    SpicchiAttornoMezzanotte(p, omegaS);
}

double RapportoDiretta(const PassiModello& p, int mese)
{
    // Klein: the daily beam on the plane over the daily beam on the
    // horizontal, both integrated over the hours of sun.
    const Coefficienti& k = p.k;
    // The horizontal's integral is symmetric about noon: twice the half day,
    // hence twice the solar constant.
    const double denominatore = (std::sin(p.omegaS) * k.E + k.D * p.omegaS) * (2 * kCostanteSolare);
    double numeratore = 0.0;
    switch (p.illuminazione) {
    case Illuminazione::Intervallo:
    case Illuminazione::Sempre:
        numeratore = NumeratoreDiretta(k, p.omegaSr, p.omegaSs);
        break;
    case Illuminazione::DueIntervalli:
        numeratore = NumeratoreDiretta(k, p.omegaSr, p.omegaSs)
                     + NumeratoreDiretta(k, p.omegaSr2, p.omegaSs2);
        break;
    case Illuminazione::Mai:
        break;
    }
    return Dividi(Finito(numeratore, mese, Passo::RapportoDiretta), denominatore, mese,
                  Passo::RapportoDiretta);
}

double RapportoTotale(const Piano& q, double Kd, double Rb, int mese)
{
    // Isotropic sky diffuse + beam + isotropic ground reflection.
    return Finito((q.cosBeta + 1) * Kd / 2 + (1 - Kd) * Rb + (1 - q.cosBeta) / 2 * q.rho, mese,
                  Passo::RapportoTotale);
}

PassiModello PassiRadiazioneInclinata(int mese, const Piano& piano, double H)
{
    const int n = NumeroGiorno(mese);
    const Sole sole = mese >= 1 && mese <= 12 ? SoleDelMese(mese) : SoleDelGiorno(n, Declinazione(n, mese));
    PassiModello p;
    p.n = sole.n;
    p.delta = sole.delta;
    p.omegaS = AngoloOrarioTramonto(sole, piano, mese);
    p.k = CoefficientiPiano(sole, piano, mese);
    p.H0 = RadiazioneExtraterrestre(sole, p.omegaS, p.k, mese);
    p.KT = IndiceSerenita(H, p.H0, mese);
    p.Kd = FrazioneDiffusa(p.KT, mese);
    IncrociPiano(p, mese);
    p.Rb = RapportoDiretta(p, mese);
    p.R = RapportoTotale(piano, p.Kd, p.Rb, mese);
    p.valore = Finito(p.R * p.KT * p.H0 / kMJperKWh, mese, Passo::RadiazionePiano);
    return p;
}

double CalcolaRadiazioneInclinata(int mese, const Piano& piano, double H)
{
    return PassiRadiazioneInclinata(mese, piano, H).valore;
}

} // namespace fv
