// SPDX-License-Identifier: MIT
// Opens the window on data.mdb in the working directory, makes a full
// calculation as a user would (Torino, tilt 30, 3 kW, partly integrated) and
// saves a picture: schermata OUTPUT.png [finestra|orientamento|mappa|bilancio|convenienza|falde|auto|meteo FILE]
// (the main window, or one of the tools' dialogs over the same site).
#include "app/bilancio.h"
#include "app/finestra_principale.h"
#include "app/frmFv.h"
#include "app/mappa.h"
#include "app/messaggi.h"
#include "app/orientamento.h"
#include "app/relazione.h"

#include "finestra_aiuti.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

// The tab of that title on show, in whichever tab widget of the dialog holds it.
void MostraScheda(QWidget* d, const QString& titolo)
{
    for (QTabWidget* t : d->findChildren<QTabWidget*>())
        for (int k = 0; k < t->count(); ++k)
            if (t->tabText(k) == titolo)
                t->setCurrentIndex(k);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 2)
        return 2;
    const QString cosa = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("finestra");
    fv::InstallaTraduzioneQt();
    FinestraPrincipale principale;
    principale.show();
    if (!QTest::qWaitForWindowExposed(&principale))
        return 1;
    frmFv& w = *principale.modulo();
    ScegliSito(w, "TO", "Torino", "Erba");
    Scrivi(Controllo<QLineEdit>(w, "txtTilt"), "30");
    Scrivi(Controllo<QLineEdit>(w, "txtPow"), "3");
    QTest::mouseClick(Controllo<QRadioButton>(w, "optInt(1)"), Qt::LeftButton);
    QTest::mouseClick(Controllo<QWidget>(w, "cmdCalcola"), Qt::LeftButton);
    QWidget* soggetto = &principale;
    for (QAction* a : principale.findChildren<QAction*>()) {
        if (cosa == QLatin1String("orientamento") && a->text().startsWith(QLatin1String("Orientamento"))) {
            a->trigger();
            QSignalSpy(principale.orientamento(), &DialogoOrientamento::calcolata).wait(10000);
            soggetto = principale.orientamento();
        } else if (cosa == QLatin1String("mappa") && a->text().startsWith(QLatin1String("Mappa"))) {
            a->trigger();
            soggetto = principale.mappaItalia();
        } else if ((cosa == QLatin1String("bilancio") && a->text().startsWith(QLatin1String("Autoconsumo")))
                   || (cosa == QLatin1String("convenienza") && a->text().startsWith(QLatin1String("Convenienza")))) {
            a->trigger();
            soggetto = principale.bilancio();
        }
    }
    // "meteo FILE": the dialog on an hourly weather file, its weather tab on show.
    if (cosa == QLatin1String("meteo") && argc > 3) {
        for (QAction* a : principale.findChildren<QAction*>())
            if (a->text().startsWith(QLatin1String("Autoconsumo")))
                a->trigger();
        QWidget* d = principale.bilancio();
        QComboBox* modo = d->findChild<QComboBox*>(QStringLiteral("meteoModo"));
        modo->setCurrentIndex(1);
        emit modo->activated(1);
        auto* file = d->findChild<QLineEdit*>(QStringLiteral("fileMeteo"));
        file->setText(QString::fromLocal8Bit(argv[3]));
        emit file->editingFinished();
        MostraScheda(d, QStringLiteral("Anno meteorologico"));
        soggetto = d;
    }
    // "dimensiona": the grid of plants and batteries, computed and on show.
    if (cosa == QLatin1String("dimensiona")) {
        for (QAction* a : principale.findChildren<QAction*>())
            if (a->text().startsWith(QLatin1String("Autoconsumo")))
                a->trigger();
        QWidget* d = principale.bilancio();
        MostraScheda(d, QStringLiteral("Quale impianto"));
        d->findChild<QPushButton*>(QStringLiteral("dimensiona"))->click();
        auto* esito = d->findChild<QLabel*>(QStringLiteral("esitoDimensioni"));
        for (int i = 0; i < 100 && !esito->text().startsWith(QLatin1String("La migliore")); ++i)
            QTest::qWait(100);
        soggetto = d;
    }
    // "falde": the faces' tab with a second face facing the other way and a 4 kW inverter.
    if (cosa == QLatin1String("falde")) {
        for (QAction* a : principale.findChildren<QAction*>())
            if (a->text().startsWith(QLatin1String("Autoconsumo")))
                a->trigger();
        QWidget* d = principale.bilancio();
        MostraScheda(d, QStringLiteral("Falde e inverter"));
        d->findChild<QPushButton*>(QStringLiteral("aggiungiFalda"))->click();
        d->findChild<QDoubleSpinBox*>(QStringLiteral("inverter"))->setValue(4);
        soggetto = d;
    }
    // "auto": the electric car's tab, 12,000 km charged with the sun.
    if (cosa == QLatin1String("auto")) {
        for (QAction* a : principale.findChildren<QAction*>())
            if (a->text().startsWith(QLatin1String("Autoconsumo")))
                a->trigger();
        QWidget* d = principale.bilancio();
        MostraScheda(d, QStringLiteral("Auto"));
        QComboBox* ricarica = d->findChild<QComboBox*>(QStringLiteral("autoRicarica"));
        ricarica->setCurrentIndex(2);
        emit ricarica->activated(2);
        d->findChild<QDoubleSpinBox*>(QStringLiteral("autoKm"))->setValue(12000);
        soggetto = d;
    }
    // "sicurezza": the economics' "Quanto è sicuro" tab.
    if (cosa == QLatin1String("sicurezza")) {
        for (QAction* a : principale.findChildren<QAction*>())
            if (a->text().startsWith(QLatin1String("Convenienza")))
                a->trigger();
        QWidget* d = principale.bilancio();
        MostraScheda(d, QString::fromUtf8("Quanto è sicuro"));
        QTest::qWait(1500); // the Monte Carlo's worker
        soggetto = d;
    }
    QTest::qWait(200);
    // "relazione": the report with its second page, as a PDF.
    if (cosa == QLatin1String("relazione")) {
        for (QAction* a : principale.findChildren<QAction*>())
            if (a->text().startsWith(QLatin1String("Autoconsumo")))
                a->trigger();
        const auto& approfondimento = w.sessione().approfondimento();
        return fv::SalvaPdf(QString::fromLocal8Bit(argv[1]), *w.sessione().ultimo(),
                            approfondimento ? &*approfondimento : nullptr).isEmpty() ? 0 : 1;
    }
    return soggetto->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
