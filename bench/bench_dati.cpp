// SPDX-License-Identifier: MIT
// Each data event on the real data.mdb, with its connection opened and closed.
#include "data/cascata.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

struct Scarta final : fv::VistaSito {
    int n = 0;
    void AggiungiRiflettanza(const QString&) override { ++n; }
    void AggiungiProvincia(const QString&) override { ++n; }
    void SvuotaComuniLat() override {}
    void AggiungiComuneLat(const QString&) override { ++n; }
    void SvuotaComuniRad() override {}
    void AggiungiComuneRad(const QString&) override { ++n; }
    void ScriviRadOriz(int, double) override { ++n; }
    void ScriviMese(int, const QString&) override { ++n; }
    void ScriviTotAnnua(const QString&) override { ++n; }
    void ScriviLatitudine(const QString&) override { ++n; }
    void ScriviRiflettanza(const QString&) override { ++n; }
};

struct Dati {
    fv::Funzioni funzioni{QStringLiteral(FV_DATA_DIR)};
    std::unique_ptr<fv::Recordset> rs;
    QString sqlText;
    fv::ContestoDati Contesto() { return {funzioni, rs, sqlText}; }
};

void Avvio(benchmark::State& state)
{
    Dati d;
    Scarta v;
    for (auto _ : state)
        fv::CaricaElenchiIniziali(d.Contesto(), v);
    benchmark::DoNotOptimize(v.n);
}
BENCHMARK(Avvio)->Unit(benchmark::kMicrosecond);

void ProvinciaTorino(benchmark::State& state)
{
    Dati d;
    Scarta v;
    for (auto _ : state)
        fv::ProvinciaScelta(d.Contesto(), QStringLiteral("TO"), v);
    benchmark::DoNotOptimize(v.n);
}
BENCHMARK(ProvinciaTorino)->Unit(benchmark::kMicrosecond);

void ComuneRadiazione(benchmark::State& state)
{
    Dati d;
    Scarta v;
    const fv::FormatoNumeri f = fv::FormatoNumeri::Italiano();
    for (auto _ : state)
        fv::ComuneRadScelto(d.Contesto(), QStringLiteral("TO"), QStringLiteral("Torino"), fv::kGiorniMese, f, v);
    benchmark::DoNotOptimize(v.n);
}
BENCHMARK(ComuneRadiazione)->Unit(benchmark::kMicrosecond);

void ComuneLatitudine(benchmark::State& state)
{
    Dati d;
    Scarta v;
    const fv::FormatoNumeri f = fv::FormatoNumeri::Italiano();
    for (auto _ : state)
        fv::ComuneLatScelto(d.Contesto(), QStringLiteral("TO"), QStringLiteral("Moncalieri"), f, v);
    benchmark::DoNotOptimize(v.n);
}
BENCHMARK(ComuneLatitudine)->Unit(benchmark::kMicrosecond);

void Riflettanza(benchmark::State& state)
{
    Dati d;
    Scarta v;
    const fv::FormatoNumeri f = fv::FormatoNumeri::Italiano();
    for (auto _ : state)
        fv::RiflettanzaScelta(d.Contesto(), QStringLiteral("Erba fresca"), f, v);
    benchmark::DoNotOptimize(v.n);
}
BENCHMARK(Riflettanza)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the SQL drivers are plugins
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
