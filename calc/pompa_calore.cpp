// SPDX-License-Identifier: MIT
#include "calc/pompa_calore.h"

#include "calc/bilancio.h"
#include "calc/numeri.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace fv {

namespace {

// Daily demand factor of a single-family house, normal windiness (When2Heat,
// daily_demand.csv): a sigmoid A / (1 + (B / (T - 40))^C) + D and the
// larger of two lines, the space's m_s T + b_s and the water's m_w T + b_w.
constexpr double kA = 1.6209544, kB = -37.1833141, kC = 5.6727847, kD = 0.0716431;
constexpr double kMs = -0.04957, kBs = 0.8401015, kMw = -0.002209, kBw = 0.1074468;
// Hot water alone (SFH_water): its line only.
constexpr double kMAcqua = -0.002209, kBAcqua = 0.1790899;

// Share of the day's heat by clock hour (rows 0:00..23:00) for the day's
// temperature class, columns -15, -10, ... 30 °C (hourly_factors_SFH.csv).
constexpr double kOrari[24][10] = {
    {0.0296, 0.0292, 0.0281, 0.0262, 0.023, 0.0196, 0.0142, 0.0096, 0.0045, 0.0045}, // 00:00
    {0.0294, 0.0289, 0.0279, 0.0266, 0.0237, 0.0208, 0.0155, 0.0105, 0.0054, 0.0054}, // 01:00
    {0.03, 0.0296, 0.0286, 0.0274, 0.0243, 0.0217, 0.0167, 0.0112, 0.0044, 0.0044}, // 02:00
    {0.0307, 0.0303, 0.0294, 0.0289, 0.0262, 0.0249, 0.02, 0.0162, 0.0081, 0.0081}, // 03:00
    {0.0321, 0.0318, 0.031, 0.0333, 0.0312, 0.0326, 0.0298, 0.0289, 0.0191, 0.0191}, // 04:00
    {0.0381, 0.038, 0.0377, 0.043, 0.0448, 0.0483, 0.0541, 0.0662, 0.0601, 0.0601}, // 05:00
    {0.0577, 0.0573, 0.0602, 0.0551, 0.0577, 0.0619, 0.0685, 0.0821, 0.0939, 0.0939}, // 06:00
    {0.0525, 0.053, 0.0537, 0.051, 0.0537, 0.0578, 0.0679, 0.0757, 0.0809, 0.0809}, // 07:00
    {0.0498, 0.0501, 0.0507, 0.0497, 0.051, 0.0527, 0.0578, 0.0609, 0.0614, 0.0614}, // 08:00
    {0.0476, 0.0479, 0.0483, 0.0482, 0.0488, 0.0486, 0.0527, 0.0601, 0.0587, 0.0587}, // 09:00
    {0.0466, 0.0469, 0.0472, 0.0467, 0.0465, 0.0452, 0.0478, 0.0513, 0.0533, 0.0533}, // 10:00
    {0.0437, 0.0438, 0.0438, 0.0446, 0.0448, 0.043, 0.0435, 0.0483, 0.0541, 0.0541}, // 11:00
    {0.0423, 0.0424, 0.0424, 0.0439, 0.0438, 0.0424, 0.0415, 0.0442, 0.0521, 0.0521}, // 12:00
    {0.0422, 0.0422, 0.0422, 0.0435, 0.0437, 0.0422, 0.0402, 0.0397, 0.042, 0.042}, // 13:00
    {0.0418, 0.0418, 0.0418, 0.0448, 0.0446, 0.0433, 0.0399, 0.0378, 0.0403, 0.0403}, // 14:00
    {0.0438, 0.0439, 0.0439, 0.0456, 0.0458, 0.0452, 0.0414, 0.0359, 0.036, 0.036}, // 15:00
    {0.0472, 0.0475, 0.0478, 0.0481, 0.0481, 0.0478, 0.0441, 0.04, 0.0423, 0.0423}, // 16:00
    {0.0482, 0.0485, 0.0489, 0.0489, 0.0501, 0.0509, 0.0477, 0.0428, 0.0498, 0.0498}, // 17:00
    {0.0472, 0.0475, 0.0478, 0.0491, 0.0506, 0.0523, 0.0515, 0.0456, 0.0482, 0.0482}, // 18:00
    {0.0469, 0.0471, 0.0475, 0.0484, 0.0505, 0.0527, 0.0552, 0.0513, 0.0508, 0.0508}, // 19:00
    {0.0461, 0.0463, 0.0465, 0.0466, 0.0485, 0.0504, 0.0535, 0.0519, 0.0526, 0.0526}, // 20:00
    {0.0423, 0.0424, 0.0424, 0.0414, 0.043, 0.044, 0.0474, 0.0442, 0.045, 0.045}, // 21:00
    {0.0345, 0.0343, 0.0337, 0.0318, 0.0309, 0.0301, 0.0315, 0.0309, 0.0262, 0.0262}, // 22:00
    {0.0298, 0.0294, 0.0284, 0.0272, 0.0246, 0.0218, 0.0177, 0.0147, 0.0108, 0.0108}, // 23:00
};

// Each column as a share that sums to one exactly (the table's sum to 1 ± 2e-4),
// so that a day's heat is all spread over its hours.
double Quota(int colonna, int ora)
{
    double somma = 0;
    for (const auto& riga : kOrari)
        somma += riga[colonna];
    return kOrari[ora][colonna] / somma;
}

int Colonna(double T)
{
    const int classe = int(std::ceil(T / 5.0)) * 5;
    return (std::clamp(classe, -15, 30) + 15) / 5;
}

// COP regression of air-source pumps (cop_parameters.csv, "air").
constexpr double kCop0 = 6.08, kCop1 = -0.0941, kCop2 = 0.000464, kCopReale = 0.85;

void Controlla(double v, const LimitePompa& l, const std::string& cosa)
{
    if (!std::isfinite(v) || v < l.minimo || v > l.massimo)
        throw std::invalid_argument(cosa + " " + TestoLeggibile(v) + " fuori dell'intervallo " + TestoLeggibile(l.minimo)
                                    + "–" + TestoLeggibile(l.massimo) + " (--" + l.nome + ")");
}

const char* const kNomiMesi[12] = {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno",
                                   "luglio", "agosto", "settembre", "ottobre", "novembre", "dicembre"};

} // namespace

bool LeggiEmissione(const std::string& testo, Emissione& e)
{
    if (testo == "radiatori")
        e = Emissione::Radiatori;
    else if (testo == "pavimento")
        e = Emissione::Pavimento;
    else
        return false;
    return true;
}

const char* NomeEmissione(Emissione e) { return e == Emissione::Radiatori ? "radiatori" : "pavimento"; }

double PompaDiCalore::GasAnno() const
{
    if (!gasMesi)
        return gasAnno;
    double s = 0;
    for (double v : *gasMesi)
        s += v;
    return s;
}

std::array<double, 12> LeggiGasMesi(const std::string& testo)
{
    const std::vector<std::string> campi = CampiFasce(testo);
    std::array<double, 12> mesi{};
    if (campi.size() < 12) {
        const std::string manca = campi.empty() ? "gennaio" : kNomiMesi[std::min<std::size_t>(campi.size(), 11)];
        throw std::invalid_argument("le bollette del gas sono " + std::to_string(campi.size())
                                    + " invece di 12: manca " + manca + " (--gas-mesi, gennaio per primo)");
    }
    if (campi.size() > 12)
        throw std::invalid_argument("le bollette del gas sono " + std::to_string(campi.size())
                                    + " invece di 12 (--gas-mesi, un valore per mese, gennaio per primo)");
    for (std::size_t m = 0; m < 12; ++m) {
        if (campi[m].empty())
            throw std::invalid_argument(std::string("manca la bolletta del gas di ") + kNomiMesi[m] + " (--gas-mesi)");
        double v = 0;
        try {
            v = LeggiNumeroFile(campi[m], Campo::Energia);
        } catch (const ErroreConversione&) {
            throw std::invalid_argument(std::string("la bolletta del gas di ") + kNomiMesi[m] + " «" + campi[m]
                                        + "» non è un numero (--gas-mesi)");
        }
        Controlla(v, kGasMese, std::string("il gas di ") + kNomiMesi[m] + " [Smc]");
        mesi[m] = v;
    }
    return mesi;
}

double FattoreGiornaliero(double T)
{
    const double sigmoide = kA / (1 + std::pow(kB / (T - 40), kC)) + kD;
    return sigmoide + std::max(kMs * T + kBs, kMw * T + kBw);
}

double FattoreAcqua(double T) { return std::max(0.0, kMAcqua * T + kBAcqua); }

double FattoreOrario(double T, int ora) { return Quota(Colonna(T), ora); }

double FattoreOrarioAcqua(int ora) { return Quota(9, ora); }

double Cop(double aria, double mandata)
{
    const double dT = std::max(15.0, mandata - aria);
    return (kCop0 + kCop1 * dT + kCop2 * dT * dT) * kCopReale;
}

double Mandata(Emissione e, double T) { return e == Emissione::Radiatori ? 40 - T : 30 - 0.5 * T; }

std::vector<Ore> TemperatureDeiMesi(const std::array<double, 12>& mesi, const Calendario& calendario)
{
    std::vector<Ore> t(calendario.giorni.size());
    for (std::size_t d = 0; d < t.size(); ++d)
        t[d].fill(mesi[std::size_t(calendario.giorni[d].mese)]);
    return t;
}

namespace {

struct GiorniPompa {
    std::vector<double> spazio, acqua; // daily factors
    std::vector<double> media;         // the day's mean temperature [°C]
};

// Each day's factors at its reference temperature, the year taken round
// (the days before 1 January are the year's last).
GiorniPompa FattoriDeiGiorni(const std::vector<Ore>& temperature)
{
    const std::size_t n = temperature.size();
    GiorniPompa g;
    g.media.resize(n);
    for (std::size_t d = 0; d < n; ++d) {
        double s = 0;
        for (double t : temperature[d])
            s += t;
        g.media[d] = s / 24;
    }
    g.spazio.resize(n);
    g.acqua.resize(n);
    for (std::size_t d = 0; d < n; ++d) {
        double rif = 0, peso = 1, pesi = 0;
        for (std::size_t k = 0; k < 4; ++k, peso /= 2) {
            rif += peso * g.media[(d + n - k) % n];
            pesi += peso;
        }
        const double T = rif / pesi - kSpostamentoSoglia;
        g.acqua[d] = FattoreAcqua(T);
        // Above the heating threshold no house is heated: the profiles' floor
        // there is the water's and the cooker's, not the rooms'.
        g.spazio[d] = T >= kSogliaProfili ? 0 : std::max(0.0, FattoreGiornaliero(T) - g.acqua[d]);
    }
    return g;
}

} // namespace

namespace {

// The share of the heat each day takes: of its month's bill, or of the year's.
struct PesiPompa {
    std::vector<double> giorno;
    std::array<double, 12> mese{};
    double anno = 0;
};

PesiPompa PesiDeiGiorni(const PompaDiCalore& p, const Calendario& cal, const GiorniPompa& g)
{
    PesiPompa w;
    w.giorno.resize(cal.giorni.size());
    for (std::size_t d = 0; d < cal.giorni.size(); ++d) {
        w.giorno[d] = g.spazio[d] + (p.acquaCalda ? g.acqua[d] : 0);
        w.mese[std::size_t(cal.giorni[d].mese)] += w.giorno[d];
        w.anno += w.giorno[d];
    }
    return w;
}

// Each month's useful heat [kWh], what cannot be the pump's said in `avvisi`.
std::array<double, 12> CaloreDeiMesi(const PompaDiCalore& p, const Calendario& cal, const PesiPompa& w,
                                     std::vector<std::string>& avvisi)
{
    std::array<double, 12> calore{};
    for (int m = 0; m < 12; ++m) {
        // A common year's bills on a leap year's calendar: February's 28 days' gas over its 29.
        const double gas = p.gasMesi ? (*p.gasMesi)[std::size_t(m)] : p.gasAnno * w.mese[std::size_t(m)] / w.anno;
        calore[std::size_t(m)] = gas * kPciGas * p.rendimento;
        if (gas > 0 && w.mese[std::size_t(m)] <= 0) {
            // No day of the month is heated and the water is not on gas: that gas
            // cooked, and the pump does not replace it.
            calore[std::size_t(m)] = 0;
            avvisi.push_back(std::string("Il gas di ") + kNomiMesi[m] + " (" + TestoLeggibile(std::round(gas * 10) / 10)
                             + " Smc) cade in un mese senza riscaldamento e l'acqua non era a gas: non è calore che la "
                               "pompa sostituisce (la cucina?), e non è contato.");
        }
    }
    // A bill in a month too warm to heat in is gas for cooking or for water:
    // it is taken as typed, and said.
    double massimo = 0;
    for (int m = 0; m < 12; ++m)
        massimo = std::max(massimo, w.mese[std::size_t(m)] / cal.giorniMese[std::size_t(m)]);
    for (int m = 0; p.gasMesi && !p.acquaCalda && m < 12; ++m)
        if ((*p.gasMesi)[std::size_t(m)] > 0 && w.mese[std::size_t(m)] > 0
            && w.mese[std::size_t(m)] / cal.giorniMese[std::size_t(m)] < 0.05 * massimo)
            avvisi.push_back(std::string("Il gas di ") + kNomiMesi[m] + " (" + TestoLeggibile((*p.gasMesi)[std::size_t(m)])
                             + " Smc) cade in un mese quasi senza riscaldamento: se è gas per cucinare o per l'acqua "
                               "calda, toglierlo dalle bollette o indicare che il gas scaldava anche l'acqua.");
    return calore;
}

// Each day's heat over its hours, each hour's electricity at its air's COP.
void OreDellaPompa(const PompaDiCalore& p, const Calendario& cal, const std::vector<Ore>& temperature, const GiorniPompa& g,
                   const PesiPompa& w, const std::array<double, 12>& caloreMese, AnnoPompa& a)
{
    const std::size_t n = cal.giorni.size();
    a.caloreSpazio.assign(n, Ore{});
    a.caloreAcqua.assign(n, Ore{});
    a.elettrica.assign(n, Ore{});
    for (std::size_t d = 0; d < n; ++d) {
        const std::size_t m = std::size_t(cal.giorni[d].mese);
        if (w.mese[m] <= 0)
            continue;
        const double giorno = caloreMese[m] * w.giorno[d] / w.mese[m];
        const double quotaAcqua = w.giorno[d] > 0 && p.acquaCalda ? g.acqua[d] / w.giorno[d] : 0;
        for (int h = 0; h < 24; ++h) {
            const double T = temperature[d][std::size_t(h)];
            const double spazio = giorno * (1 - quotaAcqua) * FattoreOrario(g.media[d], h);
            const double acqua = giorno * quotaAcqua * FattoreOrarioAcqua(h);
            a.caloreSpazio[d][std::size_t(h)] = spazio;
            a.caloreAcqua[d][std::size_t(h)] = acqua;
            a.elettrica[d][std::size_t(h)] = spazio / Cop(T, Mandata(p.emissione, T)) + acqua / Cop(T, kMandataAcqua);
        }
    }
}

// The data sheet's seasonal COP: the curve's shape kept, its level the
// sheet's; then the months and the year.
void Totali(const PompaDiCalore& p, const Calendario& cal, AnnoPompa& a)
{
    double elettrica = 0, calore = 0;
    for (std::size_t d = 0; d < a.elettrica.size(); ++d)
        for (std::size_t h = 0; h < 24; ++h) {
            elettrica += a.elettrica[d][h];
            calore += a.caloreSpazio[d][h] + a.caloreAcqua[d][h];
        }
    const double scala = p.scop && calore > 0 ? elettrica / (calore / *p.scop) : 1;
    for (std::size_t d = 0; d < a.elettrica.size(); ++d) {
        const std::size_t m = std::size_t(cal.giorni[d].mese);
        for (std::size_t h = 0; h < 24; ++h) {
            double& e = a.elettrica[d][h];
            e /= scala;
            a.elettricaMesi[m] += e;
            a.caloreMesi[m] += a.caloreSpazio[d][h] + a.caloreAcqua[d][h];
        }
    }
    for (std::size_t m = 0; m < 12; ++m) {
        a.calore += a.caloreMesi[m];
        a.elettricaAnno += a.elettricaMesi[m];
    }
    a.copStagionale = a.elettricaAnno > 0 ? a.calore / a.elettricaAnno : 0;
}

} // namespace

AnnoPompa CalcolaPompa(const PompaDiCalore& p, const Calendario& cal, const std::vector<Ore>& temperature)
{
    if (temperature.size() != cal.giorni.size())
        throw std::invalid_argument("le temperature non coprono i giorni del calendario");
    Controlla(p.rendimento, kRendimentoCaldaia, "il rendimento della caldaia");
    if (p.scop)
        Controlla(*p.scop, kScop, "lo SCOP");
    if (!p.gasMesi)
        Controlla(p.gasAnno, kGasAnno, "il gas dell'anno [Smc]");
    const GiorniPompa g = FattoriDeiGiorni(temperature);
    const PesiPompa w = PesiDeiGiorni(p, cal, g);
    AnnoPompa a;
    const std::array<double, 12> caloreMese = CaloreDeiMesi(p, cal, w, a.avvisi);
    OreDellaPompa(p, cal, temperature, g, w, caloreMese, a);
    Totali(p, cal, a);
    return a;
}

} // namespace fv
