// SPDX-License-Identifier: MIT
// Speed of the computation: one month of the model, and the whole 12-month
// calculation from the eight input texts to the texts of its result fields,
// and the sweep of every orientation of the plane.
#include "calc/calcolo.h"
#include "calc/modello.h"
#include "calc/orientamento.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK_MAIN();
