// SPDX-License-Identifier: MIT
// Opens the window on data.mdb in the working directory, makes a full
// calculation as a user would (Torino, tilt 30, 3 kW, partly integrated) and
// saves a picture: schermata OUTPUT.png [finestra|finestra-falde|orientamento|mappa|bilancio|convenienza|falde|auto|giorno-futuro|dimensiona-futuro|comunita|comunita-membri|meteo FILE]
// (the main window, or one of the tools' dialogs over the same site).
#include "app/bilancio.h"
#include "app/dialogo_comunita.h"
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

// The balance's dialog opened from the menu item that starts with `voce`.
QWidget* Dialogo(FinestraPrincipale& principale, const char* voce)
{
    for (QAction* a : principale.findChildren<QAction*>())
        if (a->text().startsWith(QLatin1String(voce)))
            a->trigger();
    return principale.bilancio();
}

// The dialog on a tab, after what that tab's picture needs; null for a name no tab has.
QWidget* SchedaDelDialogo(FinestraPrincipale& principale, const QString& cosa, const char* file)
{
    if (cosa == QLatin1String("meteo") && file) {
        // On an hourly weather file, its tab on show.
        QWidget* d = Dialogo(principale, "Autoconsumo");
        QComboBox* modo = d->findChild<QComboBox*>(QStringLiteral("meteoModo"));
        modo->setCurrentIndex(1);
        emit modo->activated(1);
        auto* campo = d->findChild<QLineEdit*>(QStringLiteral("fileMeteo"));
        campo->setText(QString::fromLocal8Bit(file));
        emit campo->editingFinished();
        MostraScheda(d, QStringLiteral("Anno meteorologico"));
        return d;
    }
    if (cosa == QLatin1String("dimensiona") || cosa == QLatin1String("dimensiona-futuro")) {
        // The grid of plants and batteries, computed and on show (for the
        // household with 900 Smc to a heat pump and 12,000 km, beside today's).
        QWidget* d = Dialogo(principale, "Autoconsumo");
        if (cosa == QLatin1String("dimensiona-futuro")) {
            d->findChild<QDoubleSpinBox*>(QStringLiteral("gasAnno"))->setValue(900);
            d->findChild<QDoubleSpinBox*>(QStringLiteral("autoKm"))->setValue(12000);
        }
        MostraScheda(d, QStringLiteral("Quale impianto"));
        d->findChild<QPushButton*>(QStringLiteral("dimensiona"))->click();
        auto* esito = d->findChild<QLabel*>(QStringLiteral("esitoDimensioni"));
        for (int i = 0; i < 100 && !esito->text().startsWith(QLatin1String("La migliore")); ++i)
            QTest::qWait(100);
        return d;
    }
    if (cosa == QLatin1String("falde")) {
        // A second face facing the other way and a 4 kW inverter.
        QWidget* d = Dialogo(principale, "Autoconsumo");
        MostraScheda(d, QStringLiteral("Falde e inverter"));
        d->findChild<QPushButton*>(QStringLiteral("aggiungiFalda"))->click();
        d->findChild<QDoubleSpinBox*>(QStringLiteral("inverter"))->setValue(4);
        return d;
    }
    if (cosa == QLatin1String("auto")) {
        // 900 Smc of gas to a heat pump, 12,000 km charged with the sun.
        QWidget* d = Dialogo(principale, "Autoconsumo");
        MostraScheda(d, QStringLiteral("Auto e calore"));
        d->findChild<QDoubleSpinBox*>(QStringLiteral("gasAnno"))->setValue(900);
        QComboBox* ricarica = d->findChild<QComboBox*>(QStringLiteral("autoRicarica"));
        ricarica->setCurrentIndex(2);
        emit ricarica->activated(2);
        d->findChild<QDoubleSpinBox*>(QStringLiteral("autoKm"))->setValue(12000);
        return d;
    }
    if (cosa == QLatin1String("giorno-futuro")) {
        // January's mean day of the household with the pump and the car.
        QWidget* d = SchedaDelDialogo(principale, QStringLiteral("auto"), file);
        MostraScheda(d, QStringLiteral("Autoconsumo"));
        return d;
    }
    if (cosa == QLatin1String("sicurezza")) {
        QWidget* d = Dialogo(principale, "Convenienza");
        MostraScheda(d, QString::fromUtf8("Quanto è sicuro"));
        QTest::qWait(1500); // the Monte Carlo's worker
        return d;
    }
    return nullptr;
}

// The window or one of its tools, as `cosa` names it.
QWidget* Soggetto(FinestraPrincipale& principale, const QString& cosa, const char* file)
{
    if (cosa == QLatin1String("finestra-falde")) {
        // The window's status bar once the dialog has a second face.
        SchedaDelDialogo(principale, QStringLiteral("falde"), file)->hide();
        return &principale;
    }
    if (QWidget* d = SchedaDelDialogo(principale, cosa, file))
        return d;
    if (cosa == QLatin1String("comunita") || cosa == QLatin1String("comunita-membri")) {
        // The example community worked out on the window's site.
        for (QAction* a : principale.findChildren<QAction*>())
            if (a->text().startsWith(QString::fromUtf8("Comunità")))
                a->trigger();
        DialogoComunita* d = principale.comunita();
        d->findChild<QPushButton*>(QStringLiteral("esempioMembri"))->click();
        QSignalSpy fatto(d, &DialogoComunita::calcolata);
        d->findChild<QPushButton*>(QStringLiteral("calcolaComunita"))->click();
        fatto.wait(20000);
        if (cosa == QLatin1String("comunita-membri"))
            MostraScheda(d, QStringLiteral("I membri"));
        return d;
    }
    if (cosa == QLatin1String("bilancio"))
        return Dialogo(principale, "Autoconsumo");
    if (cosa == QLatin1String("convenienza"))
        return Dialogo(principale, "Convenienza");
    for (QAction* a : principale.findChildren<QAction*>()) {
        if (cosa == QLatin1String("orientamento") && a->text().startsWith(QLatin1String("Orientamento"))) {
            a->trigger();
            QSignalSpy(principale.orientamento(), &DialogoOrientamento::calcolata).wait(10000);
            return principale.orientamento();
        }
        if (cosa == QLatin1String("mappa") && a->text().startsWith(QLatin1String("Mappa"))) {
            a->trigger();
            return principale.mappaItalia();
        }
    }
    return &principale;
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
    if (cosa == QLatin1String("relazione")) {
        // The report with its second page, as a PDF.
        Dialogo(principale, "Autoconsumo");
        const auto& approfondimento = w.sessione().approfondimento();
        return fv::SalvaPdf(QString::fromLocal8Bit(argv[1]), *w.sessione().ultimo(),
                            approfondimento ? &*approfondimento : nullptr).isEmpty() ? 0 : 1;
    }
    QWidget* soggetto = Soggetto(principale, cosa, argc > 3 ? argv[3] : nullptr);
    QTest::qWait(200);
    return soggetto->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
