// SPDX-License-Identifier: MIT
// The window on the real data.mdb, offscreen: start-up to a shown window with
// its lists filled, a province pick (TO, the largest), a town pick and a
// full CALCOLA (fields, chart, tariff).
#include "app/bilancio.h"
#include "app/finestra_principale.h"
#include "app/frmFv.h"
#include "app/mappa.h"
#include "app/riga_comando.h"

#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

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

// The energy community from its members file to the printed figures, on the
// comune's climate: 100 and 1,000 members (a third prosumers on mixed planes,
// most of the rest consumers, a few producers), every member's year.
void Comunita(benchmark::State& state)
{
    const int n = int(state.range(0));
    QTemporaryDir cartella;
    QFile f(cartella.filePath(QStringLiteral("membri.csv")));
    if (!f.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write");
    QString t = QStringLiteral("nome;ruolo;consumo_annuo;profilo;potenza;tilt;azimut;batteria;tipo\n");
    const char* const profili[] = {"fuori-casa", "a-casa", "attivita-diurna"};
    for (int i = 0; i < n; ++i) {
        const int tilt = 10 + 5 * (i % 6), azimut = -90 + 45 * (i % 5);
        if (i % 10 == 9)
            t += QStringLiteral("P%1;produttore;;;%2;%3;%4;;ente\n").arg(i).arg(20 + i % 180).arg(tilt).arg(azimut);
        else if (i % 3 == 0)
            t += QStringLiteral("S%1;prosumer;%2;%3;%4;%5;%6;%7;domestico\n")
                     .arg(i).arg(2000 + 37 * (i % 80)).arg(QLatin1String(profili[i % 3])).arg(2 + i % 5).arg(tilt).arg(azimut)
                     .arg(i % 2 ? 5 : 0);
        else
            t += QStringLiteral("C%1;consumatore;%2;%3;;;;;%4\n")
                     .arg(i).arg(1500 + 41 * (i % 90)).arg(QLatin1String(profili[i % 3]))
                     .arg(QLatin1String(i % 7 == 0 ? "impresa" : "domestico"));
    }
    f.write(t.toUtf8());
    f.close();
    const QStringList argomenti = {"comunita", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba",
                                   "--anno", "2027", "--membri", f.fileName()};
    for (auto _ : state) {
        QString uscita, errori;
        QTextStream u(&uscita), e(&errori);
        if (fv::EseguiRigaComando(argomenti, u, e, QStringLiteral(FV_DATA_DIR)) != 0)
            state.SkipWithError("comunita failed");
        benchmark::DoNotOptimize(uscita);
    }
}
BENCHMARK(Comunita)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

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
