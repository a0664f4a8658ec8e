// SPDX-License-Identifier: MIT
// From a weather year to the plant's hourly output.
#include "calc/catena.h"

#include "calc/numeri.h"
#include "calc/sole.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fv {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRad = kPi / 180;
constexpr double kAr = 0.16;          // Martin & Ruiz's angular loss coefficient, as PVGIS
constexpr double kCostanteSolare = 1367; // [W/m²], the value Perez et al. (1990) used

// Perez et al. (1990), Table 6: f11 f12 f13 f21 f22 f23 by sky clearness bin,
// the bins' upper edges below.
constexpr double kPerez[8][6] = {
    {-0.008, 0.588, -0.062, -0.060, 0.072, -0.022}, {0.130, 0.683, -0.151, -0.019, 0.066, -0.029},
    {0.330, 0.487, -0.221, 0.055, -0.064, -0.026},  {0.568, 0.187, -0.295, 0.109, -0.152, -0.014},
    {0.873, -0.392, -0.362, 0.226, -0.462, 0.001},  {1.132, -1.237, -0.412, 0.288, -0.823, 0.056},
    {1.060, -1.600, -0.359, 0.264, -1.127, 0.131},  {0.678, -0.327, -0.250, 0.156, -1.377, 0.251}};
constexpr double kBordiPerez[7] = {1.065, 1.230, 1.500, 1.950, 2.800, 4.500, 6.200};

// Relative air mass (F. Kasten and A. T. Young, Appl. Opt. 28 (1989) 4735, eq. 3).
double MassaAria(double zenitGradi)
{
    return 1 / (std::cos(zenitGradi * kRad) + 0.50572 * std::pow(96.07995 - zenitGradi, -1.6364));
}

} // namespace

DiffusaCielo DiffusaDelCielo(Trasposizione t, double dhi, double dni, double zenit, double cosTheta, double tilt, double extra)
{
    const double isotropo = (1 + std::cos(tilt * kRad)) / 2;
    const double cosZ = std::cos(zenit * kRad);
    switch (t) {
    case Trasposizione::Isotropo: return {0, dhi * isotropo};
    case Trasposizione::HayDavies: {
        // J. E. Hay and J. A. Davies (1980): anisotropy index A = DNI / I0.
        const double A = std::clamp(dni / extra, 0.0, 1.0);
        const double Rb = std::max(0.0, cosTheta) / std::max(cosZ, 0.01745);
        return {dhi * A * Rb, dhi * (1 - A) * isotropo};
    }
    case Trasposizione::Perez: break;
    }
    // R. Perez, P. Ineichen, R. Seals, J. Michalsky, R. Stewart, "Modeling
    // daylight availability and irradiance components from direct and global
    // irradiance", Solar Energy 44 (1990) 271-289, eqs. 1-9.
    const double z = zenit * kRad;
    const double kappa = 1.041 * z * z * z;
    const double epsilon = ((dhi + dni) / dhi + kappa) / (1 + kappa);
    const double delta = dhi * MassaAria(zenit) / extra;
    int bin = 0;
    while (bin < 7 && epsilon >= kBordiPerez[bin])
        ++bin;
    const double* f = kPerez[bin];
    const double F1 = std::max(0.0, f[0] + f[1] * delta + f[2] * z);
    const double F2 = f[3] + f[4] * delta + f[5] * z;
    const double a = std::max(0.0, cosTheta);
    const double b = std::max(std::cos(85 * kRad), cosZ);
    return {dhi * F1 * a / b, std::max(0.0, dhi * ((1 - F1) * isotropo + F2 * std::sin(tilt * kRad)))};
}

namespace {

// Martin & Ruiz (2001), eqs. 6-7: the fractional loss of an isotropic
// diffuse from the sky (or the ground) on a plane tilted β.
double PerditaDiffusa(double x)
{
    const double c1 = 4 / (3 * kPi), c2 = kAr / 2 - 0.154;
    return std::exp(-1 / kAr * (c1 * x + c2 * x * x));
}

// The clock hour of the reference calendar of a UTC hour, counted from 0:00
// UTC of the calendar's 1 January; the year's hours taken round the year.
std::size_t OraLocale(long utc, const Calendario& cal)
{
    const long ore = long(cal.giorni.size()) * 24;
    long locale = ((utc + 1) % ore + ore) % ore; // standard time, UTC+1
    if (cal.giorni[std::size_t(locale / 24)].legale)
        locale = (locale + 1) % ore;
    return std::size_t(locale);
}

} // namespace

bool LeggiTrasposizione(const std::string& testo, Trasposizione& t)
{
    if (testo == "perez")
        t = Trasposizione::Perez;
    else if (testo == "hay-davies")
        t = Trasposizione::HayDavies;
    else if (testo == "isotropo")
        t = Trasposizione::Isotropo;
    else
        return false;
    return true;
}

const char* NomeTrasposizione(Trasposizione t)
{
    switch (t) {
    case Trasposizione::Perez: return "Perez (1990)";
    case Trasposizione::HayDavies: return "Hay-Davies (1980)";
    case Trasposizione::Isotropo: return "isotropo (Liu-Jordan)";
    }
    return "";
}

double ModificatoreFascio(double cosIncidenza)
{
    if (cosIncidenza <= 0)
        return 0;
    return (1 - std::exp(-cosIncidenza / kAr)) / (1 - std::exp(-1 / kAr));
}

double ModificatoreCielo(double tiltGradi)
{
    const double b = tiltGradi * kRad;
    return 1 - PerditaDiffusa(std::sin(b) + (kPi - b - std::sin(b)) / (1 + std::cos(b)));
}

double ModificatoreSuolo(double tiltGradi)
{
    const double b = std::max(tiltGradi, 0.1) * kRad; // a horizontal plane sees no ground
    return 1 - PerditaDiffusa(std::sin(b) + (b - std::sin(b)) / (1 - std::cos(b)));
}

double PotenzaRelativaHuld(double G, double T)
{
    if (G <= 0)
        return 0;
    constexpr double k1 = -0.017237, k2 = -0.040465, k3 = -0.004702, k4 = 0.000149, k5 = 0.000170, k6 = 0.000005;
    const double g = G / 1000, t = T - 25, l = std::log(g);
    return std::max(0.0, g * (1 + k1 * l + k2 * l * l + k3 * t + k4 * t * l + k5 * t * l * l + k6 * t * t));
}

double TemperaturaModulo(double Ta, double G, double vento, bool integrato)
{
    const double U0 = integrato ? 20.0 : 26.9, U1 = integrato ? 0.0 : 6.2;
    return Ta + G / (U0 + U1 * vento);
}

FattoriPiano::FattoriPiano(const ImpiantoMeteo& p)
    : vistaCielo(p.orizzonte.VistaDelCielo()), cielo(ModificatoreCielo(p.tilt)), suolo(ModificatoreSuolo(p.tilt))
{
}

OraPiano CalcolaOra(const ImpiantoMeteo& p, const OraMeteo& ora, const FattoriPiano& f)
{
    OraPiano o;
    const int anno = ora.anno > 0 ? ora.anno : 2001;
    const PosizioneSole sole =
        PosizioneDelSole(GiornoGiuliano(anno, ora.mese, ora.giorno, ora.istanteUtc), p.latitudine, p.longitudine, 1010, ora.temperatura);
    if (sole.zenit >= 90 || ora.ghi <= 0)
        return o;
    const double cosZ = std::cos(sole.zenit * kRad), sinZ = std::sin(sole.zenit * kRad);
    const double b = p.tilt * kRad;
    // The sun's azimuth from south, positive toward west, as the plane's.
    const double cosTheta = cosZ * std::cos(b) + sinZ * std::sin(b) * std::cos((sole.azimut - 180 - p.azimut) * kRad);
    const bool dietro = sole.elevazione < p.orizzonte.Elevazione(sole.azimut);
    const double extra = kCostanteSolare * sole.distanza2;
    double fascio = ora.dni * std::max(0.0, cosTheta), diffusaLibera = 0;
    if (ora.piano) {
        // A series on this plane: its components as they are, the horizon's view on the diffuse.
        fascio = ora.fascioPiano;
        diffusaLibera = ora.diffusaPiano;
        o.diffusa = ora.diffusaPiano * f.vistaCielo;
        o.riflessa = ora.riflessaPiano;
    } else {
        if (ora.dhi > 0) {
            const DiffusaCielo d = DiffusaDelCielo(p.trasposizione, ora.dhi, ora.dni, sole.zenit, cosTheta, p.tilt, extra);
            o.diffusa = (dietro ? 0 : d.circumsolare) + d.resto * f.vistaCielo;
            diffusaLibera = d.Totale();
        }
        o.riflessa = ora.ghi * p.riflettanza * (1 - std::cos(b)) / 2;
    }
    o.fascio = dietro ? 0 : fascio;
    o.libero = fascio + diffusaLibera + o.riflessa;
    o.efficace = o.fascio * ModificatoreFascio(cosTheta) + o.diffusa * f.cielo + o.riflessa * f.suolo;
    o.temperaturaModulo = TemperaturaModulo(ora.temperatura, o.fascio + o.diffusa + o.riflessa, ora.vento, p.integrato);
    o.relativa = PotenzaRelativaHuld(o.efficace, o.temperaturaModulo);
    return o;
}

ProduzioneMeteo ProduzioneDaMeteo(const ImpiantoMeteo& p, const AnnoMeteo& meteo, const Calendario& cal)
{
    // A series on a plane serves that plane only.
    const double differenzaAzimut = std::fabs(std::remainder(meteo.azimutPiano - p.azimut, 360.0));
    if (meteo.suPiano && (std::fabs(meteo.tiltPiano - p.tilt) > 0.5 || differenzaAzimut > 0.5))
        throw ErroreMeteo(0, "la serie oraria è sul piano inclinato " + TestoLeggibile(meteo.tiltPiano) + "°, azimut "
                                 + TestoLeggibile(meteo.azimutPiano) + "°; l'impianto è inclinato " + TestoLeggibile(p.tilt)
                                 + "°, azimut " + TestoLeggibile(p.azimut) + "°: scaricare la serie del piano dell'impianto "
                                 + "(o su piano orizzontale, o l'anno tipo).");
    ProduzioneMeteo r;
    r.ore.assign(cal.giorni.size(), Ore{});
    // Day of the calendar's year of each (month, day).
    std::array<int, 13> primo{};
    for (int m = 0; m < 12; ++m)
        primo[std::size_t(m + 1)] = primo[std::size_t(m)] + cal.giorniMese[std::size_t(m)];
    const bool bisestile = cal.giorni.size() == 366;
    const bool file29 = std::any_of(meteo.ore.begin(), meteo.ore.end(), [](const OraMeteo& o) { return o.mese == 2 && o.giorno == 29; });
    const FattoriPiano fattori(p);
    const double sistema = 1 - p.perditeSistema / 100;
    double pianoLibero = 0, piano = 0, efficace = 0, dcSenzaPerdite = 0, dc = 0;
    const auto poni = [&](const OraMeteo& o, int giornoAnno) {
        const OraPiano h = CalcolaOra(p, o, fattori);
        const double energia = p.potenza * h.relativa * sistema; // [kWh] in the hour
        const std::size_t locale = OraLocale(long(giornoAnno) * 24 + o.inizioUtc, cal);
        r.ore[locale / 24][locale % 24] += energia;
        const int mese = cal.giorni[locale / 24].mese;
        r.mesi[std::size_t(mese)] += energia;
        const double incidente = h.fascio + h.diffusa + h.riflessa;
        r.pianoMesi[std::size_t(mese)] += incidente / 1000;
        piano += incidente;
        efficace += h.efficace;
        dcSenzaPerdite += h.efficace / 1000;
        dc += h.relativa;
        pianoLibero += h.libero;
    };
    for (const OraMeteo& o : meteo.ore) {
        if (o.mese == 2 && o.giorno == 29 && !bisestile)
            continue; // the calendar has no such day
        poni(o, primo[std::size_t(o.mese - 1)] + o.giorno - 1);
        if (bisestile && !file29 && o.mese == 2 && o.giorno == 28)
            poni(o, primo[1] + 28); // February 28 again as the 29th
    }
    for (double m : r.mesi)
        r.anno += m;
    r.perditaOrizzonte = p.orizzonte.Vuoto() || pianoLibero <= 0 ? 0 : 1 - piano / pianoLibero;
    r.perditaAngolo = piano > 0 ? 1 - efficace / piano : 0;
    r.perditaTemperatura = dcSenzaPerdite > 0 ? 1 - dc / dcSenzaPerdite : 0;
    r.perditaSistema = p.perditeSistema / 100;
    return r;
}

ProduzioneMeteo ProduzioneDelleFalde(const std::vector<ProduzioneMeteo>& falde, const std::vector<double>& potenze,
                                     const ProduzioneFalde& limitata)
{
    ProduzioneMeteo r = falde.front();
    r.ore = limitata.ore;
    if (falde.size() > 1) {
        // Each face's quantities rebuilt from its shares, weighted by its
        // power (the irradiation is per m², the modules' area goes with the kWp).
        double piano = 0, libero = 0, efficace = 0, dc = 0, picco = 0;
        r.pianoMesi = {};
        for (std::size_t f = 0; f < falde.size(); ++f) {
            const ProduzioneMeteo& p = falde[f];
            double pf = 0;
            for (std::size_t m = 0; m < 12; ++m) {
                pf += p.pianoMesi[m] * potenze[f];
                r.pianoMesi[m] += p.pianoMesi[m] * potenze[f];
            }
            piano += pf;
            libero += p.perditaOrizzonte < 1 ? pf / (1 - p.perditaOrizzonte) : pf;
            efficace += pf * (1 - p.perditaAngolo);
            dc += pf * (1 - p.perditaAngolo) * (1 - p.perditaTemperatura);
            picco += potenze[f];
        }
        for (double& m : r.pianoMesi)
            m /= picco;
        r.perditaOrizzonte = libero > 0 ? 1 - piano / libero : 0;
        r.perditaAngolo = piano > 0 ? 1 - efficace / piano : 0;
        r.perditaTemperatura = efficace > 0 ? 1 - dc / efficace : 0;
    }
    r.mesi = {};
    for (std::size_t m = 0; m < 12; ++m)
        for (const auto& mesi : limitata.mesiFalde)
            r.mesi[m] += mesi[m];
    double prima = 0;
    for (double m : r.mesi)
        prima += m;
    if (falde.size() == 1 && !limitata.inverter)
        r.mesi = falde.front().mesi; // the face's own sums, to the bit
    for (std::size_t m = 0; m < 12; ++m)
        r.mesi[m] -= limitata.tagliataMesi[m];
    r.anno = 0;
    for (double m : r.mesi)
        r.anno += m;
    if (falde.size() == 1 && !limitata.inverter)
        r.anno = falde.front().anno;
    r.perditaInverter = prima > 0 ? limitata.tagliata / prima : 0;
    return r;
}

std::vector<Ore> TemperatureDelCalendario(const AnnoMeteo& meteo, const Calendario& cal)
{
    std::vector<Ore> t(cal.giorni.size(), Ore{});
    std::vector<std::array<int, 24>> quante(cal.giorni.size(), std::array<int, 24>{});
    std::array<int, 13> primo{};
    for (int m = 0; m < 12; ++m)
        primo[std::size_t(m + 1)] = primo[std::size_t(m)] + cal.giorniMese[std::size_t(m)];
    const bool bisestile = cal.giorni.size() == 366;
    const bool file29 = std::any_of(meteo.ore.begin(), meteo.ore.end(), [](const OraMeteo& o) { return o.mese == 2 && o.giorno == 29; });
    const auto poni = [&](const OraMeteo& o, int giornoAnno) {
        const std::size_t locale = OraLocale(long(giornoAnno) * 24 + o.inizioUtc, cal);
        t[locale / 24][locale % 24] += o.temperatura;
        ++quante[locale / 24][locale % 24];
    };
    for (const OraMeteo& o : meteo.ore) {
        if (o.mese == 2 && o.giorno == 29 && !bisestile)
            continue;
        poni(o, primo[std::size_t(o.mese - 1)] + o.giorno - 1);
        if (bisestile && !file29 && o.mese == 2 && o.giorno == 28)
            poni(o, primo[1] + 28);
    }
    double prima = meteo.ore.empty() ? 15 : meteo.ore.back().temperatura;
    for (std::size_t d = 0; d < t.size(); ++d)
        for (std::size_t h = 0; h < 24; ++h) {
            if (quante[d][h] > 0)
                t[d][h] /= quante[d][h];
            else
                t[d][h] = prima;
            prima = t[d][h];
        }
    return t;
}

double DistanzaKm(double lat1, double lon1, double lat2, double lon2)
{
    // Haversine on a sphere of the Earth's mean radius.
    const double dLat = (lat2 - lat1) * kRad, dLon = (lon2 - lon1) * kRad;
    const double a = std::pow(std::sin(dLat / 2), 2) + std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::pow(std::sin(dLon / 2), 2);
    return 2 * 6371.0 * std::asin(std::min(1.0, std::sqrt(a)));
}

} // namespace fv
