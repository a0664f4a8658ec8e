// SPDX-License-Identifier: MIT
// Each data event on the real data.mdb, with its connection opened and closed;
// and the same events on a full-size Access data.mdb.
#include "data/cascata.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

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
    explicit Dati(const QString& cartella = QStringLiteral(FV_DATA_DIR)) : funzioni(cartella) {}
    fv::Funzioni funzioni;
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

// The full-size Access fixture as data.mdb in a folder of its own.
const QString& CartellaAccesso()
{
    static QTemporaryDir cartella;
    static const bool copiato = QFile::copy(QStringLiteral(FV_ACCESSO_GRANDE), cartella.filePath(QStringLiteral("data.mdb")));
    static_cast<void>(copiato);
    static const QString percorso = cartella.path();
    return percorso;
}

// Start-up on an Access file never read before: the data tool converts it in
// a child process (the file's time is moved each time, so no copy is reused).
void AccessoPrimaApertura(benchmark::State& state)
{
    Dati d(CartellaAccesso());
    Scarta v;
    QFile file(CartellaAccesso() + QStringLiteral("/data.mdb"));
    QDateTime ora = QDateTime::currentDateTime();
    for (auto _ : state) {
        state.PauseTiming();
        file.open(QIODevice::ReadWrite);
        file.setFileTime(ora = ora.addSecs(1), QFileDevice::FileModificationTime);
        file.close();
        state.ResumeTiming();
        fv::CaricaElenchiIniziali(d.Contesto(), v);
    }
}
BENCHMARK(AccessoPrimaApertura)->Unit(benchmark::kMillisecond);

// The later events on the same Access file, served by its SQLite copy.
void AccessoProvincia(benchmark::State& state)
{
    Dati d(CartellaAccesso());
    Scarta v;
    fv::CaricaElenchiIniziali(d.Contesto(), v); // the copy made once, outside the timing
    for (auto _ : state)
        fv::ProvinciaScelta(d.Contesto(), QStringLiteral("TO"), v);
}
BENCHMARK(AccessoProvincia)->Unit(benchmark::kMicrosecond);

void AccessoComune(benchmark::State& state)
{
    Dati d(CartellaAccesso());
    Scarta v;
    fv::CaricaElenchiIniziali(d.Contesto(), v);
    for (auto _ : state)
        fv::ComuneRadScelto(d.Contesto(), QStringLiteral("TO"), QStringLiteral("Torino"), fv::kGiorniMese,
                            fv::FormatoNumeri::C(), v);
}
BENCHMARK(AccessoComune)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the SQL drivers are plugins
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
