// SPDX-License-Identifier: MIT
// Speed of the computation: one month of the model, and the whole 12-month
// calculation from the eight input texts to the texts of its result fields,
// and the sweep of every orientation of the plane.
#include "calc/catena.h"
#include "calc/dimensiona.h"
#include "calc/incertezza.h"
#include "data/parametri.h"
#include "calc/bilancio.h"
#include "calc/contatore.h"
#include "calc/calcolo.h"
#include "calc/modello.h"
#include "calc/orientamento.h"
#include "calc/pompa_calore.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include <cstdio>

namespace {

constexpr double kDeg = fv::kGradiRadianti;
const fv::MonthlySeries kAnno = {1.5, 2.4, 3.8, 4.9, 5.9, 6.5, 6.9, 5.8, 4.3, 2.8, 1.7, 1.3};

class Scarta final : public fv::DestinazioneCalcolo {
public:
    void ScriviRadInc(int, double valore) override { benchmark::DoNotOptimize(valore); }
    void ScriviCampo(fv::Campo, int, const std::string& testo) override { benchmark::DoNotOptimize(testo.data()); }
};

void UnMese(benchmark::State& state)
{
    double phi = 45 * kDeg, beta = 30 * kDeg, gamma = -30 * kDeg, H = 6.5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(phi);
        benchmark::DoNotOptimize(H);
        benchmark::DoNotOptimize(fv::CalcolaRadiazioneInclinata(6, fv::CreaPiano(phi, beta, gamma, 0.2), H));
    }
}
BENCHMARK(UnMese);

void DodiciMesiNumeri(benchmark::State& state)
{
    double phi = 45 * kDeg, beta = 30 * kDeg, gamma = 5 * kDeg;
    for (auto _ : state) {
        benchmark::DoNotOptimize(phi);
        const fv::Piano piano = fv::CreaPiano(phi, beta, gamma, 0.2);
        fv::MonthlySeries inc{};
        for (int m = 1; m <= 12; ++m)
            inc[std::size_t(m - 1)] = fv::CalcolaRadiazioneInclinata(m, piano, kAnno[std::size_t(m - 1)]);
        const double totInc = fv::CalcolaTotaleAnnuo(inc, fv::kGiorniMese);
        const double totOriz = fv::CalcolaTotaleAnnuo(kAnno, fv::kGiorniMese);
        benchmark::DoNotOptimize(totInc / totOriz);
        benchmark::DoNotOptimize(fv::CalcolaEnergiaAnnua(totInc, 3, 15, 90));
    }
}
BENCHMARK(DodiciMesiNumeri);

void CalcolaComando(benchmark::State& state)
{
    const fv::FormatoNumeri f = fv::FormatoNumeri::Italiano();
    const fv::InputCalcolo in{"45,07", "0,2", "20", "5", "3", "15", "90", "Torino"};
    Scarta destinazione;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fv::Calcola(in, kAnno, fv::kGiorniMese, f, destinazione));
        fv::ScriviTariffaRicavo("3512", 1, 0, f, destinazione);
    }
}
BENCHMARK(CalcolaComando);

// Every orientation at one site: 91 tilts x 361 azimuths x 12 months, on every core.
void TuttiGliOrientamenti(benchmark::State& state)
{
    for (auto _ : state) {
        const fv::MappaOrientamenti mappa(45.0, 0.2, kAnno, fv::kGiorniMese);
        benchmark::DoNotOptimize(mappa.massimo());
    }
}
BENCHMARK(TuttiGliOrientamenti)->Unit(benchmark::kMillisecond)->UseRealTime();


// The energy balance of a year: a 3 kW roof at Torino, days varied, 2,700 kWh
// on the first profile, a 5 kWh battery, hour by hour over two passes.
// A 3 kW roof's monthly figures at Torino, for the hourly benchmarks.
fv::ImpiantoOrario ImpiantoDiProva()
{
    fv::ImpiantoOrario i;
    i.latitudine = 45.07;
    i.longitudine = 7.69;
    i.radOriz = {1.71, 2.6, 3.9, 5.04, 5.9, 6.5, 6.29, 5.4, 4.0, 2.43, 1.6, 1.21};
    i.energiaMese = {190, 230, 310, 310, 360, 380, 420, 390, 330, 250, 180, 160};
    return i;
}

void AnnoConBatteria(benchmark::State& state)
{
    const fv::ImpiantoOrario i = ImpiantoDiProva();
    const fv::Calendario anno = fv::CreaCalendario(2027);
    for (auto _ : state) {
        const auto p = fv::ProduzioneOraria(i, anno, false);
        const auto c = fv::ConsumoDaAnnuo(2700, fv::ProfiliConsumo().front(), anno);
        benchmark::DoNotOptimize(fv::CalcolaBilancio(p, c, anno, {5, 3, 90}).anno.immessa);
    }
}
BENCHMARK(AnnoConBatteria)->Unit(benchmark::kMillisecond);

// A distributor's year of quarter-hours, one value a row (35,040 rows, some
// 1.1 MB), read through the four stages onto the reference year.
void FileDelContatore(benchmark::State& state)
{
    const fv::Calendario anno = fv::CreaCalendario(2027);
    std::string testo = "Data;Ora;Consumo (kWh)\n";
    for (const fv::Giorno& g : anno.giorni)
        for (int q = 0; q < 96; ++q) {
            char riga[96];
            std::snprintf(riga, sizeof riga, "%02d/%02d/2027;%02d:%02d;0,%03d\n", g.giorno, g.mese + 1, q / 4, q % 4 * 15, 50 + q);
            testo += riga;
        }
    for (auto _ : state)
        benchmark::DoNotOptimize(fv::LeggiContatore(testo, anno, fv::ProfiliConsumo().front()).oreRiempite);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(testo.size()));
}
BENCHMARK(FileDelContatore)->Unit(benchmark::kMillisecond);

// A PVGIS typical year on a 30° south plane, Perez sky, with the horizon:
// 8,760 hours of sun position, transposition and losses, placed on the
// calendar's clock hours (the target: 5 ms). Reading the file apart.
std::string FileMeteo(const char* nome)
{
    std::ifstream in(std::string(FV_FIXTURE_METEO "/") + nome, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void AnnoDaFileMeteo(benchmark::State& state)
{
    const fv::AnnoMeteo meteo = fv::LeggiMeteo(FileMeteo("tmy_45.000_8.000_2005_2023.csv"));
    const fv::Calendario anno = fv::CreaCalendario(2027);
    fv::ImpiantoMeteo impianto;
    impianto.latitudine = meteo.latitudine;
    impianto.longitudine = meteo.longitudine;
    for (auto _ : state)
        benchmark::DoNotOptimize(fv::ProduzioneDaMeteo(impianto, meteo, anno).anno);
}
BENCHMARK(AnnoDaFileMeteo)->Unit(benchmark::kMillisecond);

void AnnoDaFileMeteoConOrizzonte(benchmark::State& state)
{
    const fv::AnnoMeteo meteo = fv::LeggiMeteo(FileMeteo("tmy_45.000_8.000_2005_2023.csv"));
    const fv::Calendario anno = fv::CreaCalendario(2027);
    fv::ImpiantoMeteo impianto;
    impianto.latitudine = meteo.latitudine;
    impianto.longitudine = meteo.longitudine;
    impianto.orizzonte = fv::LeggiOrizzonte(FileMeteo("horizon_45.000_8.000.csv"));
    for (auto _ : state)
        benchmark::DoNotOptimize(fv::ProduzioneDaMeteo(impianto, meteo, anno).anno);
}
BENCHMARK(AnnoDaFileMeteoConOrizzonte)->Unit(benchmark::kMillisecond);

// A roof of four faces on a weather file: each face's year through the
// chain, the hours summed and cut at a 5 kW inverter (target 15 ms).
void QuattroFaldeDaFileMeteo(benchmark::State& state)
{
    const fv::AnnoMeteo meteo = fv::LeggiMeteo(FileMeteo("tmy_45.000_8.000_2005_2023.csv"));
    const fv::Calendario anno = fv::CreaCalendario(2027);
    const std::pair<double, double> falde[] = {{0, 2}, {90, 2}, {180, 1.5}, {-90, 2}};
    for (auto _ : state) {
        std::vector<std::vector<fv::Ore>> ore;
        for (const auto& [azimut, kwp] : falde) {
            fv::ImpiantoMeteo impianto;
            impianto.latitudine = meteo.latitudine;
            impianto.longitudine = meteo.longitudine;
            impianto.tilt = 25;
            impianto.azimut = azimut;
            impianto.potenza = kwp;
            ore.push_back(fv::ProduzioneDaMeteo(impianto, meteo, anno).ore);
        }
        benchmark::DoNotOptimize(fv::LimiteInverter(std::move(ore), 5.0, anno).tagliata);
    }
}
BENCHMARK(QuattroFaldeDaFileMeteo)->Unit(benchmark::kMillisecond);

// The grid on a roof of two faces (south and west, 3 kWp typed, each on 30 m²)
// with an inverter that grows with the plant (target 0.5 s).
void GrigliaDueFalde(benchmark::State& state)
{
    const fv::Calendario anno = fv::CreaCalendario(2027);
    fv::ImpiantoOrario ovest = ImpiantoDiProva();
    ovest.azimut = 90;
    fv::ImpiantoDaDimensionare impianto;
    impianto.falde = {fv::ProduzioneOraria(ImpiantoDiProva(), anno, false), fv::ProduzioneOraria(ovest, anno, false)};
    impianto.potenze = {3, 3};
    impianto.ordine = fv::OrdineDiRiempimento({{30, 0, 3, 30.0, 0}, {30, 90, 3, 30.0, 0}}, {3600, 3000}, 0.2);
    impianto.inverter = 5;
    const auto consumo = fv::ConsumoDaAnnuo(2700, fv::ProfiliConsumo().front(), anno);
    const std::vector<fv::Parametro> parametri = fv::ParametriInVigore(fv::ParametriPredefiniti(), "2026-12-01");
    fv::LimitiDimensioni limiti;
    limiti.potenzaMax = 10.5;
    limiti.passoPotenza = 0.5;
    for (auto _ : state) {
        const fv::GrigliaDimensioni g = fv::Dimensiona(impianto, consumo, anno, fv::Batteria{}, parametri, {}, limiti);
        if (g.celle.size() != 220)
            state.SkipWithError("not a 20 x 11 grid");
        benchmark::DoNotOptimize(g.migliore);
    }
}
BENCHMARK(GrigliaDueFalde)->Unit(benchmark::kMillisecond)->UseRealTime();

// The sizing grid: 20 plant sizes (1 to 10.5 kWp by 0.5) by 11 batteries
// (0 to 20 kWh by 2), each a year's balance (four with a battery: new, 80 and
// 60 % for its ageing) and a 25-year cash flow, on the cores (target 0.5 s).
void GrigliaDimensioni(benchmark::State& state)
{
    const fv::Calendario anno = fv::CreaCalendario(2027);
    const auto produzione = fv::ProduzioneOraria(ImpiantoDiProva(), anno, false);
    const auto consumo = fv::ConsumoDaAnnuo(2700, fv::ProfiliConsumo().front(), anno);
    const std::vector<fv::Parametro> parametri = fv::ParametriInVigore(fv::ParametriPredefiniti(), "2026-12-01");
    fv::LimitiDimensioni limiti;
    limiti.potenzaMax = 10.5;
    limiti.passoPotenza = 0.5;
    for (auto _ : state) {
        const fv::GrigliaDimensioni g = fv::Dimensiona(produzione, 3, consumo, anno, fv::Batteria{}, parametri, {}, limiti);
        if (g.celle.size() != 220)
            state.SkipWithError("not a 20 x 11 grid");
        benchmark::DoNotOptimize(g.migliore);
    }
}
BENCHMARK(GrigliaDimensioni)->Unit(benchmark::kMillisecond)->UseRealTime();

// One 25-year cash flow with an ageing battery: what each draw of the Monte
// Carlo and each end of a tornado bar costs.
// A 5 kWh battery's year as it ages, on a 3 kW plant and 2,700 kWh.
fv::CurvaBatteria CurvaDiProva()
{
    fv::CurvaBatteria curva;
    curva.punti = {{0, {3600, 1050, 2550, 2700}}, {0.6, {3600, 1900, 1600, 2700}}, {0.8, {3600, 2100, 1400, 2700}},
                   {1, {3600, 2220, 1250, 2700}}};
    curva.cicliAnno = 250;
    return curva;
}

void UnaConvenienza(benchmark::State& state)
{
    const std::vector<fv::Parametro> parametri = fv::ParametriInVigore(fv::ParametriPredefiniti(), "2026-12-01");
    const fv::CurvaBatteria curva = CurvaDiProva();
    for (auto _ : state)
        benchmark::DoNotOptimize(fv::CalcolaConvenienza(curva.punti.back().second, 3, 5, parametri, {}, &curva).van);
}
BENCHMARK(UnaConvenienza)->Unit(benchmark::kMicrosecond);

// The Monte Carlo of that plant: 1,000 draws of the parameters' ranges and of
// each year's weather (target 0.3 s).
void MonteCarloMille(benchmark::State& state)
{
    const std::vector<fv::Parametro> parametri = fv::ParametriInVigore(fv::ParametriPredefiniti(), "2026-12-01");
    const fv::CurvaBatteria curva = CurvaDiProva();
    const fv::EnergiaAnno pendenza{3600, 300, 3300, 0};
    const fv::Valutazione valuta = [&](const std::vector<fv::Parametro>& p, const std::vector<double>* fattori) {
        fv::MeteoDegliAnni meteo;
        if (fattori)
            meteo = {*fattori, pendenza};
        return fv::CalcolaConvenienza(curva.punti.back().second, 3, 5, p, {}, &curva, fattori ? &meteo : nullptr, false);
    };
    for (auto _ : state)
        benchmark::DoNotOptimize(fv::MonteCarlo(valuta, parametri, fv::IntervalliPredefiniti()).van.p50);
}
BENCHMARK(MonteCarloMille)->Unit(benchmark::kMillisecond);

void LetturaFileMeteo(benchmark::State& state)
{
    const std::string testo = FileMeteo("tmy_45.000_8.000_2005_2023.json");
    for (auto _ : state)
        benchmark::DoNotOptimize(fv::LeggiMeteo(testo).ore.size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(testo.size()));
}
BENCHMARK(LetturaFileMeteo)->Unit(benchmark::kMillisecond);

} // namespace

// The heat pump's year on the typical year's hours: 900 Smc over the days
// and hours, each hour's COP (the target: well under the balance's 5 ms).
void PompaDiCaloreAnno(benchmark::State& state)
{
    const fv::AnnoMeteo meteo = fv::LeggiMeteo(FileMeteo("tmy_45.000_8.000_2005_2023.csv"));
    const fv::Calendario anno = fv::CreaCalendario(2027);
    const std::vector<fv::Ore> temperature = fv::TemperatureDelCalendario(meteo, anno);
    fv::PompaDiCalore p;
    p.gasAnno = 900;
    for (auto _ : state)
        benchmark::DoNotOptimize(fv::CalcolaPompa(p, anno, temperature));
}
BENCHMARK(PompaDiCaloreAnno)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
