// SPDX-License-Identifier: MIT
// The window on the real data.mdb, offscreen: start-up to a shown window with
// its lists filled, a province pick (TO, the largest), a town pick and a
// full CALCOLA (fields, chart, tariff).
#include "app/bilancio.h"
#include "app/finestra_principale.h"
#include "app/frmFv.h"
#include "app/mappa.h"

#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

template<typename T>
T* C(QWidget& w, const char* nome) { return w.findChild<T*>(QString::fromLatin1(nome)); }

// A pick as the closed list reports it: the item becomes current, then activated.
void Scegli(QComboBox* box, const QString& testo)
{
    box->setCurrentIndex(box->findText(testo));
    emit box->activated(box->currentIndex());
}

void Avvio(benchmark::State& state)
{
    for (auto _ : state) {
        frmFv w;
        w.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(C<QComboBox>(w, "cmbProvincia")->count());
    }
}
BENCHMARK(Avvio)->Unit(benchmark::kMillisecond);

void SceltaProvincia(benchmark::State& state)
{
    frmFv w;
    auto* p = C<QComboBox>(w, "cmbProvincia");
    for (auto _ : state)
        Scegli(p, QStringLiteral("TO"));
    if (C<QComboBox>(w, "cmbComuneLat")->count() != 312 || C<QComboBox>(w, "cmbComuneRad")->count() != 312)
        state.SkipWithError("TO should list 312 towns in both lists");
}
BENCHMARK(SceltaProvincia)->Unit(benchmark::kMicrosecond);

void SceltaComune(benchmark::State& state)
{
    frmFv w;
    Scegli(C<QComboBox>(w, "cmbProvincia"), QStringLiteral("TO"));
    auto* rad = C<QComboBox>(w, "cmbComuneRad");
    for (auto _ : state)
        Scegli(rad, QStringLiteral("Torino"));
}
BENCHMARK(SceltaComune)->Unit(benchmark::kMicrosecond);

// The map of Italy: the yield at every comune of the real data, and one
// repaint of all the dots at full view.
void ReseMappa(benchmark::State& state)
{
    fv::StatoDati dati(QStringLiteral(FV_DATA_DIR));
    const fv::ComuniMappa comuni = fv::LeggiComuniMappa(dati.Contesto(), fv::FormatoNumeri::C());
    const fv::ImpiantoLetto impianto{30, 5, 0.2, 15, 90};
    int incoerenti = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(PuntiMappa(comuni, impianto, incoerenti).size());
    if (comuni.comuni.size() != 7896 || incoerenti != 0)
        state.SkipWithError("the real data should give 7896 comuni on the map");
}
BENCHMARK(ReseMappa)->Unit(benchmark::kMillisecond);

void RidisegnoMappa(benchmark::State& state)
{
    fv::StatoDati dati(QStringLiteral(FV_DATA_DIR));
    const fv::ComuniMappa comuni = fv::LeggiComuniMappa(dati.Contesto(), fv::FormatoNumeri::C());
    int incoerenti = 0;
    MappaItalia mappa(nullptr);
    mappa.resize(600, 660);
    mappa.Imposta(PuntiMappa(comuni, {30, 5, 0.2, 15, 90}, incoerenti), QStringLiteral("TO"), QStringLiteral("Torino"));
    QImage immagine(mappa.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        mappa.render(&immagine);
}
BENCHMARK(RidisegnoMappa)->Unit(benchmark::kMillisecond);

void Calcola(benchmark::State& state)
{
    frmFv w;
    w.show();
    Scegli(C<QComboBox>(w, "cmbProvincia"), QStringLiteral("TO"));
    Scegli(C<QComboBox>(w, "cmbComuneRad"), QStringLiteral("Torino"));
    Scegli(C<QComboBox>(w, "cmbComuneLat"), QStringLiteral("Torino"));
    Scegli(C<QComboBox>(w, "cmbRiflettanza"), QStringLiteral("Erba"));
    auto* tilt = C<QLineEdit>(w, "txtTilt");
    auto* pulsante = C<QPushButton>(w, "cmdCalcola");
    int i = 0;
    for (auto _ : state) {
        tilt->setText(QString::number(20 + (i++ % 2) * 10)); // every run changes all 24 chart values
        pulsante->click();
        QApplication::processEvents(); // the chart redraws
    }
    if (C<QLineEdit>(w, "txtEnergia")->text().isEmpty())
        state.SkipWithError("no result");
}
BENCHMARK(Calcola)->Unit(benchmark::kMicrosecond);

// The balance dialog's recomputation after an input changes (the battery's
// capacity): the year hour by hour with and without it, the economics, the charts.
void RicalcoloBilancio(benchmark::State& state)
{
    FinestraPrincipale finestra;
    frmFv& w = *finestra.modulo();
    Scegli(C<QComboBox>(w, "cmbProvincia"), QStringLiteral("TO"));
    Scegli(C<QComboBox>(w, "cmbComuneRad"), QStringLiteral("Torino"));
    Scegli(C<QComboBox>(w, "cmbComuneLat"), QStringLiteral("Torino"));
    Scegli(C<QComboBox>(w, "cmbRiflettanza"), QStringLiteral("Erba"));
    C<QPushButton>(w, "cmdCalcola")->click();
    for (QAction* a : finestra.findChildren<QAction*>())
        if (a->text().startsWith(QStringLiteral("Autoconsumo")))
            a->trigger();
    DialogoBilancio* d = finestra.bilancio();
    QDoubleSpinBox* capacita = nullptr;
    for (QDoubleSpinBox* s : d->findChildren<QDoubleSpinBox*>())
        if (s->suffix() == QStringLiteral(" kWh"))
            capacita = s;
    int i = 0;
    for (auto _ : state) {
        capacita->setValue(4 + (i++ % 2)); // every run a new battery
        QApplication::processEvents();
    }
    if (!d->bilancio())
        state.SkipWithError("no balance");
}
BENCHMARK(RicalcoloBilancio)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir::setCurrent(QStringLiteral(FV_DATA_DIR)); // data.mdb beside the program
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
