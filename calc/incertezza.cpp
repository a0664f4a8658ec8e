// SPDX-License-Identifier: MIT
// Tornado and Monte Carlo over the economics.
#include "calc/incertezza.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace fv {

void VerificaIntervalli(const std::vector<IntervalloParametro>& intervalli)
{
    const std::vector<Parametro> dichiarati = DichiarazioniParametri();
    std::vector<std::string> visti;
    for (const IntervalloParametro& i : intervalli) {
        const auto d = std::find_if(dichiarati.begin(), dichiarati.end(), [&](const Parametro& p) { return p.nome == i.nome; });
        if (d == dichiarati.end())
            throw ErroreParametro(i.nome, "parametro sconosciuto nell'elenco degli intervalli.");
        if (std::find(visti.begin(), visti.end(), i.nome) != visti.end())
            throw ErroreParametro(i.nome, "l'intervallo di «" + i.nome + "» è dato due volte.");
        visti.push_back(i.nome);
        if (!(i.basso <= i.alto))
            throw ErroreParametro(i.nome, "il basso dell'intervallo di «" + i.nome + "» supera l'alto.");
        std::vector<Parametro> prova = {*d};
        Imposta(prova, i.nome, i.basso);
        Imposta(prova, i.nome, i.alto);
    }
}

namespace {

// The range of a parameter around its value in use; nullopt when a point.
// A value set outside the dataset's range carries the range with it (the
// same widths in proportion to its centre, or shifted where the centre is
// not positive), so that the user's figure stays the middle case; the
// range is kept within the parameter's own limits.
std::optional<std::pair<double, double>> Estremi(const IntervalloParametro& i, const Parametro& p)
{
    const double valore = p.valore;
    double basso = i.basso, alto = i.alto;
    if (valore < basso || valore > alto) {
        const double centro = (basso + alto) / 2;
        if (centro > 0 && valore > 0) {
            basso *= valore / centro;
            alto *= valore / centro;
        } else {
            basso += valore - centro;
            alto += valore - centro;
        }
        basso = std::clamp(std::min(basso, valore), p.minimo, p.massimo);
        alto = std::clamp(std::max(alto, valore), p.minimo, p.massimo);
        if (p.minimoEscluso && basso <= p.minimo)
            basso = valore;
        if (p.massimoEscluso && alto >= p.massimo)
            alto = valore;
    }
    if (!(alto > basso))
        return std::nullopt;
    return std::pair{basso, alto};
}

const Parametro& Riga(const std::vector<Parametro>& p, const std::string& nome)
{
    for (const Parametro& x : p)
        if (x.nome == nome)
            return x;
    throw ErroreParametro(nome, "parametro sconosciuto «" + nome + "».");
}

bool Intero(const std::vector<Parametro>& p, const std::string& nome)
{
    for (const Parametro& x : p)
        if (x.nome == nome)
            return x.intero;
    return false;
}

} // namespace

double IncertezzaProduzione(const std::vector<Parametro>& parametri, bool annoDaFile)
{
    const double clima = Valore(parametri, annoDaFile ? "incertezza_clima_file" : "incertezza_clima_comune") / 100;
    const double modello = Valore(parametri, "incertezza_modello") / 100;
    return std::hypot(clima, modello);
}

namespace {

// z of the normal distribution's 90th percentile.
constexpr double kZ90 = 1.2815515655446004;

} // namespace

std::vector<BarraTornado> Tornado(const Valutazione& valuta, const std::vector<Parametro>& parametri,
                                  const std::vector<IntervalloParametro>& intervalli, bool annoDaFile)
{
    std::vector<BarraTornado> barre;
    // Every year's production at once, at P90 and at P10 of its long-term uncertainty.
    if (const double sigma = IncertezzaProduzione(parametri, annoDaFile); sigma > 0) {
        const auto anni = std::size_t(std::lround(Valore(parametri, "orizzonte")));
        const std::vector<double> basso(anni + 1, std::max(0.5, 1 - kZ90 * sigma)), alto(anni + 1, std::min(1.5, 1 + kZ90 * sigma));
        barre.push_back({kBarraProduzione, basso[0], alto[0], valuta(parametri, &basso).van, valuta(parametri, &alto).van});
    }
    for (const IntervalloParametro& i : intervalli) {
        if (i.nome == "variabilita_meteo")
            continue; // the spread of the years, not a value of the cash flow
        const auto e = Estremi(i, Riga(parametri, i.nome));
        if (!e)
            continue;
        BarraTornado b{i.nome, e->first, e->second, 0, 0};
        std::vector<Parametro> p = parametri;
        Imposta(p, i.nome, Intero(p, i.nome) ? std::round(b.basso) : b.basso);
        b.vanBasso = valuta(p, nullptr).van;
        Imposta(p, i.nome, Intero(p, i.nome) ? std::round(b.alto) : b.alto);
        b.vanAlto = valuta(p, nullptr).van;
        barre.push_back(b);
    }
    std::stable_sort(barre.begin(), barre.end(), [](const BarraTornado& a, const BarraTornado& b) { return a.Escursione() > b.Escursione(); });
    return barre;
}

double Percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(v.begin(), v.end());
    const double posizione = q / 100 * double(v.size() - 1);
    const auto k = std::size_t(std::floor(posizione));
    if (k + 1 >= v.size())
        return v.back();
    const double w = posizione - double(k);
    if (std::isinf(v[k + 1]) && w > 0)
        return v[k + 1];
    return v[k] + w * (v[k + 1] - v[k]);
}

namespace {

// The generator and its transforms written out: the same draws on every
// standard library (std::*_distribution are implementation-defined).
class Estrattore {
public:
    explicit Estrattore(unsigned seme) : caso_(seme) {}
    double Uniforme() { return (double(caso_() >> 11) + 0.5) * (1.0 / 9007199254740992.0); } // in (0, 1)
    double Normale() // Box-Muller
    {
        const double u1 = Uniforme(), u2 = Uniforme();
        return std::sqrt(-2 * std::log(u1)) * std::cos(2 * 3.14159265358979323846 * u2);
    }
    double Triangolare(double a, double c, double b)
    {
        const double u = Uniforme(), f = (c - a) / (b - a);
        return u < f ? a + std::sqrt(u * (b - a) * (c - a)) : b - std::sqrt((1 - u) * (b - a) * (b - c));
    }

private:
    std::mt19937_64 caso_;
};

struct Incerto {
    std::string nome;
    double basso, valore, alto;
    bool intero;
};

std::vector<Incerto> Incerti(const std::vector<Parametro>& parametri, const std::vector<IntervalloParametro>& intervalli)
{
    std::vector<Incerto> incerti;
    for (const IntervalloParametro& i : intervalli) {
        if (i.nome == "variabilita_meteo")
            continue;
        if (const auto e = Estremi(i, Riga(parametri, i.nome)))
            incerti.push_back({i.nome, e->first, Valore(parametri, i.nome), e->second, Intero(parametri, i.nome)});
    }
    return incerti;
}

// The draws of every outcome, before their percentiles.
struct Estrazioni {
    std::vector<double> van, ritorno, energiaAnno, energiaMedia;
    std::vector<std::vector<double>> cumulati;
};

} // namespace

EsitoMonteCarlo MonteCarlo(const Valutazione& valuta, const std::vector<Parametro>& parametri,
                           const std::vector<IntervalloParametro>& intervalli, int estrazioni, unsigned seme, bool annoDaFile)
{
    Estrattore caso(seme);
    const std::vector<Incerto> incerti = Incerti(parametri, intervalli);
    const double sigma = Valore(parametri, "variabilita_meteo") / 100;
    const double comune = IncertezzaProduzione(parametri, annoDaFile);
    const int anni = int(std::lround(Valore(parametri, "orizzonte")));
    EsitoMonteCarlo esito;
    esito.estrazioni = std::max(1, estrazioni);
    Estrazioni e;
    e.cumulati.resize(std::size_t(anni) + 1);
    std::vector<double> meteo(std::size_t(anni) + 1, 1.0);
    for (int k = 0; k < esito.estrazioni; ++k) {
        std::vector<Parametro> p = parametri;
        for (const Incerto& x : incerti) {
            const double v = caso.Triangolare(x.basso, x.valore, x.alto);
            Imposta(p, x.nome, x.intero ? std::round(v) : v);
        }
        // The long-term resource and the model once a draw, the weather once a year.
        const double lungo = std::clamp(1 + comune * caso.Normale(), 0.5, 1.5);
        double somma = 0;
        for (int t = 1; t <= anni; ++t) {
            meteo[std::size_t(t)] = lungo * std::clamp(1 + sigma * caso.Normale(), 0.5, 1.5);
            somma += meteo[std::size_t(t)];
        }
        e.energiaAnno.push_back(anni > 0 ? meteo[1] : lungo);
        e.energiaMedia.push_back(anni > 0 ? somma / anni : lungo);
        const Convenienza c = valuta(p, sigma > 0 || comune > 0 ? &meteo : nullptr);
        e.van.push_back(c.van);
        e.ritorno.push_back(c.ritornoSemplice ? *c.ritornoSemplice : std::numeric_limits<double>::infinity());
        for (std::size_t t = 0; t < c.anni.size() && t < e.cumulati.size(); ++t)
            e.cumulati[t].push_back(c.anni[t].cumulato);
    }
    // In the trade's sense, PX is the value reached or beaten in X cases out
    // of 100: for money (more is better) P90 is the draws' 10th percentile,
    // the prudent one; for a payback (less is better) its 90th.
    const auto denaro = [](const std::vector<double>& v) { return Percentili{Percentile(v, 90), Percentile(v, 50), Percentile(v, 10)}; };
    const auto tempo = [](const std::vector<double>& v) { return Percentili{Percentile(v, 10), Percentile(v, 50), Percentile(v, 90)}; };
    esito.van = denaro(e.van);
    esito.ritorno = tempo(e.ritorno);
    esito.energiaAnno = denaro(e.energiaAnno);
    esito.energiaMedia = denaro(e.energiaMedia);
    for (const auto& c : e.cumulati)
        esito.cumulato.push_back(denaro(c));
    return esito;
}

} // namespace fv
