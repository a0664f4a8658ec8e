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

// Runs one data event again and again: open, query, read, close.
template<typename Evento>
void Ripeti(benchmark::State& state, Evento evento)
{
    Dati d;
    Scarta v;
    const fv::FormatoNumeri f = fv::FormatoNumeri::Italiano();
    for (auto _ : state)
        evento(d.Contesto(), f, v);
    benchmark::DoNotOptimize(v.n);
}

void Avvio(benchmark::State& state)
{
    Ripeti(state, [](fv::ContestoDati c, const fv::FormatoNumeri&, Scarta& v) { fv::CaricaElenchiIniziali(c, v); });
}
BENCHMARK(Avvio)->Unit(benchmark::kMicrosecond);

void ProvinciaTorino(benchmark::State& state)
{
    Ripeti(state, [](fv::ContestoDati c, const fv::FormatoNumeri&, Scarta& v) {
        fv::ProvinciaScelta(c, QStringLiteral("TO"), v);
    });
}
BENCHMARK(ProvinciaTorino)->Unit(benchmark::kMicrosecond);

void ComuneRadiazione(benchmark::State& state)
{
    Ripeti(state, [](fv::ContestoDati c, const fv::FormatoNumeri& f, Scarta& v) {
        fv::ComuneRadScelto(c, QStringLiteral("TO"), QStringLiteral("Torino"), fv::kGiorniMese, f, v);
    });
}
BENCHMARK(ComuneRadiazione)->Unit(benchmark::kMicrosecond);

void ComuneLatitudine(benchmark::State& state)
{
    Ripeti(state, [](fv::ContestoDati c, const fv::FormatoNumeri& f, Scarta& v) {
        fv::ComuneLatScelto(c, QStringLiteral("TO"), QStringLiteral("Moncalieri"), f, v);
    });
}
BENCHMARK(ComuneLatitudine)->Unit(benchmark::kMicrosecond);

void Riflettanza(benchmark::State& state)
{
    Ripeti(state, [](fv::ContestoDati c, const fv::FormatoNumeri& f, Scarta& v) {
        fv::RiflettanzaScelta(c, QStringLiteral("Erba fresca"), f, v);
    });
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
