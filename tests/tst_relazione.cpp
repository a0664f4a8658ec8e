// SPDX-License-Identifier: MIT
// What leaves the window: the CSV file and the PDF report read back, the
// clipboard, the menus' states, the command line against the window; and
// the orientation tool and the map of Italy.
// Runs under an Italian and a C locale.
#include "app/aspetto.h"
#include "app/bilancio.h"
#include "app/campo_numero.h"
#include "app/finestra_principale.h"
#include "app/frmFv.h"
#include "app/mappa.h"
#include "chart/griglia.h"
#include "app/opzioni.h"
#include "app/messaggi.h"
#include "app/orientamento.h"
#include "app/relazione.h"
#include "app/riga_comando.h"
#include "data/csv.h"

#include "finestra_aiuti.h"
#include "fixture.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QDateEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>

#include <cmath>
#include <numeric>

namespace {

// The cells of a printed or extracted line, split where two or more blanks stand.
QStringList Celle(const QString& riga)
{
    return riga.trimmed().split(QRegularExpression(QStringLiteral("\\s{2,}")), Qt::SkipEmptyParts);
}

// A pick as a user makes it: the index, then the combo's activated signal.
void Scegli(QComboBox* c, int indice)
{
    c->setCurrentIndex(indice);
    emit c->activated(indice);
}

} // namespace

class TestRelazione : public QObject {
    Q_OBJECT

    QTemporaryDir cartella;
    std::unique_ptr<FinestraPrincipale> w;
    QString dec;

    frmFv& F() { return *w->modulo(); }
    // Torino's plant computed, then the balance dialog opened from its menu.
    DialogoBilancio* ApriBilancio()
    {
        Calcola("TO", "Torino", "Erba", "30");
        for (QAction* a : w->findChildren<QAction*>())
            if (a->text() == "Autoconsumo e batteria…")
                a->trigger();
        return w->bilancio();
    }
    QLineEdit* T(const QString& nome) { return Controllo<QLineEdit>(F(), nome); }
    QComboBox* C(const QString& nome) { return Controllo<QComboBox>(F(), nome); }
    double Numero(QString t) const { return t.replace(dec, QStringLiteral(".")).toDouble(); }

    void Calcola(const QString& provincia, const QString& comune, const QString& terreno, const QString& tilt)
    {
        ScegliSito(F(), provincia, comune, terreno);
        Scrivi(T("txtTilt"), tilt);
        Scrivi(T("txtPow"), QStringLiteral("4"));
        QTest::mouseClick(Controllo<QRadioButton>(F(), "optInt(1)"), Qt::LeftButton);
        QTest::mouseClick(Controllo<QPushButton>(F(), "cmdCalcola"), Qt::LeftButton);
    }

    // Every figure the window shows, with the label its row carries in a table.
    std::vector<std::pair<QString, QStringList>> Figure()
    {
        std::vector<std::pair<QString, QStringList>> f;
        const fv::Risultato& r = (*F().sessione().ultimo());
        const QStringList mesi = {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio",
                                  "Agosto", "Settembre", "Ottobre", "Novembre", "Dicembre"};
        for (int m = 0; m < 12; ++m)
            f.push_back({mesi[m], {T(QStringLiteral("txtMese(%1)").arg(m))->text(),
                                   T(QStringLiteral("txtMese2(%1)").arg(m))->text(), r.energiaMese[std::size_t(m)]}});
        f.push_back({"Totale annuo (kWh/m², kWh)", {T("txtTotAnnua")->text(), T("txtTotAnnua2")->text(), T("txtEnergia")->text()}});
        f.push_back({"Latitudine (°)", {T("txtLatitudine")->text()}});
        f.push_back({"Tariffa incentivante (€/kWh)", {T("txtCostoKwh")->text()}});
        f.push_back({"Ricavo annuo (€)", {T("txtAnnuo")->text()}});
        return f;
    }

private slots:
    void initTestCase()
    {
        FiltraAvvisiOffscreen();
        QStandardPaths::setTestModeEnabled(true); // the dialog's remembered inputs stay out of the user's settings
        // Settings of their own for the runs in each locale, which go in parallel.
        QCoreApplication::setApplicationName(QStringLiteral("tst_relazione_%1").arg(qEnvironmentVariable("LC_ALL", "nessuna")));
        QSettings().clear();
        fv::InstallaTraduzioneQt();
        QVERIFY(cartella.isValid());
        QCOMPARE(fixture::Scrivi(cartella.filePath("data.mdb"), fixture::Standard()), QString());
    }

    void init()
    {
        w = std::make_unique<FinestraPrincipale>(nullptr, cartella.path());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        dec = QString::fromStdString(F().formatoNumeri().decimale);
    }

    void cleanup() { w.reset(); }

    void menuSoloConRisultatiAggiornati()
    {
        QAction* azioni[] = {w->azioneSalvaPdf(), w->azioneEsportaCsv(), w->azioneStampa(), w->azioneCopia()};
        for (QAction* a : azioni)
            QVERIFY(!a->isEnabled() && a->statusTip().contains("CALCOLA"));
        Calcola("TO", "Esempio", "Erba", "30");
        for (QAction* a : azioni)
            QVERIFY(a->isEnabled());
        auto* stato = w->statusBar()->findChild<QLabel*>();
        QVERIFY2(stato->text().contains((*F().sessione().ultimo()).resa + " kWh/kWp"), qPrintable(stato->text()));
        // Copy: the same table as the CSV file, tab-separated.
        w->azioneCopia()->trigger();
        const auto copiate = fv::LeggiCsv(QApplication::clipboard()->text().toStdString(), '\t');
        QCOMPARE(QString::fromStdString(copiate.back().back()), T("txtAnnuo")->text());
        Scrivi(T("txtTilt"), "31");
        for (QAction* a : azioni)
            QVERIFY(!a->isEnabled());
        QVERIFY(stato->text().contains("CALCOLA"));
        QVERIFY(FinestraPrincipale::TestoGuida().contains("CALCOLA"));
        QVERIFY(FinestraPrincipale::TestoInformazioni().contains("NASA"));
    }

    void csvELettura()
    {
        Calcola("LE", "Castro", "Neve fresca", "35");
        const QString file = cartella.filePath("dati.csv");
        QCOMPARE(fv::SalvaCsv(file, (*F().sessione().ultimo()), F().formatoNumeri()), QString());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray byte = f.readAll();
        QVERIFY(byte.startsWith("\xEF\xBB\xBF" "Dato"));
        const char separatore = dec == "," ? ';' : ',';
        std::map<QString, QStringList> righe;
        for (const fv::RigaCsv& r : fv::LeggiCsv(byte.toStdString(), separatore)) {
            QStringList celle;
            for (const std::string& c : r)
                celle << QString::fromStdString(c);
            righe[celle.takeFirst()] = celle;
        }
        for (const auto& [etichetta, valori] : Figure())
            QCOMPARE(righe.at(etichetta), valori);
        // The months add up to the year, before and after rounding.
        const fv::Risultato& r = (*F().sessione().ultimo());
        double somma = 0, sommaTesti = 0;
        for (std::size_t m = 0; m < 12; ++m) {
            somma += r.energieMensili[m];
            sommaTesti += Numero(r.energiaMese[m]);
        }
        const double energia = Numero(T("txtEnergia")->text());
        QVERIFY(std::fabs(somma - energia) <= 0.5);
        QVERIFY(std::fabs(sommaTesti - energia) <= 6);
        QCOMPARE(Numero(r.resa), std::round(somma / 4));
    }

    void pdfELettura()
    {
        Calcola("TO", "Torino", "Erba", "30");
        const QString file = cartella.filePath("relazione.pdf");
        QCOMPARE(fv::SalvaPdf(file, (*F().sessione().ultimo())), QString());
        QProcess testo;
        testo.start("pdftotext", {"-layout", file, "-"});
        QVERIFY(testo.waitForFinished(20000));
        const QStringList linee = QString::fromUtf8(testo.readAllStandardOutput()).split('\n');
        QCOMPARE(QProcess().execute("pdfinfo", {file}), 0);
        for (const auto& [etichetta, valori] : Figure()) {
            const auto trovata = std::find_if(linee.begin(), linee.end(), [&](const QString& l) {
                const QStringList c = Celle(l);
                return !c.isEmpty() && c.first() == etichetta;
            });
            if (etichetta.startsWith("Tariffa") || etichetta.startsWith("Ricavo")) {
                QVERIFY2(std::any_of(linee.begin(), linee.end(), [&](const QString& l) { return Celle(l).contains(valori.first()); }), qPrintable(etichetta));
                continue;
            }
            QVERIFY2(trovata != linee.end(), qPrintable(etichetta));
            QStringList stampati = valori;
            if (valori.size() == 3 && !etichetta.startsWith("Totale")) // a month: radiation with two decimals
                for (int c : {0, 1}) {
                    const qsizetype i = stampati[c].indexOf(dec);
                    stampati[c] += i < 0 ? dec + "00" : QString(2 - (stampati[c].size() - i - 1), u'0');
                }
            QCOMPARE(Celle(*trovata).mid(1, valori.size()), stampati);
        }
    }

    void rigaDiComando()
    {
        // The same inputs give the same texts as the window, site by site.
        const std::tuple<QString, QString, QString, QString> siti[] = {
            {"TO", "Esempio", "Erba", "30"}, {"LE", "Castro", "Neve fresca", "35"}, {"TO", "Torino", "Asfalto", "0"}};
        for (const auto& [provincia, comune, terreno, tilt] : siti) {
            Calcola(provincia, comune, terreno, tilt);
            QString uscita, errori;
            QTextStream u(&uscita), e(&errori);
            const int esito = fv::EseguiRigaComando({"calcola", "--provincia", provincia.toLower(), "--comune-radiazione", comune,
                                                     "--terreno", terreno, "--tilt", tilt, "--azimut", "5", "--potenza", "4", "--integrazione", "parziale"},
                                                    u, e, cartella.path());
            QCOMPARE(esito, 0);
            QVERIFY(errori.isEmpty());
            for (const auto& [etichetta, valori] : Figure()) {
                const auto linee = uscita.split('\n');
                const auto trovata = std::find_if(linee.begin(), linee.end(), [&](const QString& l) { return l.startsWith(etichetta + "  "); });
                QVERIFY2(trovata != linee.end(), qPrintable(etichetta));
                QCOMPARE(Celle(*trovata).mid(1), valori);
            }
        }
        // A refused input: one Italian line, a non-zero status, no file.
        QString uscita, errori;
        QTextStream u(&uscita), e(&errori);
        const QString pdf = cartella.filePath("mai.pdf");
        QCOMPARE(fv::EseguiRigaComando({"calcola", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba",
                                        "--tilt", "95", "--azimut", "0", "--potenza", "3", "--pdf", pdf}, u, e, cartella.path()), 1);
        QVERIFY2(errori.startsWith("calcolo-fv: Il valore «95»") && errori.count('\n') == 1, qPrintable(errori));
        QVERIFY(!QFile::exists(pdf));
    }

    void orientamentoOttimale()
    {
        QAction* strumento = nullptr;
        for (QAction* a : w->findChildren<QAction*>())
            strumento = a->text() == "Orientamento ottimale…" ? a : strumento;
        QVERIFY(strumento);
        // No site yet: the same note as CALCOLA, and no dialog.
        strumento->trigger();
        QVERIFY(T("txtLatitudine")->toolTip().contains("Latitudine (°)"));
        QVERIFY(!w->orientamento() || !w->orientamento()->isVisible());
        ScegliConMouse(C("cmbProvincia"), "TO");
        ScegliConMouse(C("cmbComuneRad"), "Esempio");
        ScegliConMouse(C("cmbComuneLat"), "Esempio");
        ScegliConMouse(C("cmbRiflettanza"), "Erba");
        strumento->trigger();
        DialogoOrientamento* d = w->orientamento();
        QSignalSpy pronta(d, &DialogoOrientamento::calcolata);
        QVERIFY(pronta.wait(10000));
        const fv::MappaOrientamenti& m = *d->mappa();
        QVERIFY2(d->testoOttimo().contains(QStringLiteral("inclinazione %1°").arg(m.tiltOttimo())), qPrintable(d->testoOttimo()));
        QVERIFY2(d->testoTetto().contains("inclinazione 20°, azimut 5°") && d->testoTetto().contains("% dell'ottimo"),
                 qPrintable(d->testoTetto()));
        // The optimum goes into the fields as typed; the azimuth only when asked.
        QTest::mouseClick(d->findChild<QPushButton*>(), Qt::LeftButton);
        QCOMPARE(T("txtTilt")->text(), QString::number(m.tiltOttimo()));
        QCOMPARE(T("txtAzimut")->text(), "5");
        d->findChild<QCheckBox*>()->setChecked(true);
        QTest::mouseClick(d->findChild<QPushButton*>(), Qt::LeftButton);
        QCOMPARE(T("txtAzimut")->text(), QString::number(m.azimutOttimo()));
    }

    void mappaDellItalia()
    {
        // A data file whose longitudes leave Esempio out, and two comuni without radiation.
        QTemporaryDir altra;
        QStringList righe = fixture::Standard();
        righe << "create table tblCoordinate (provincia text, comune text, longitudine real)";
        for (const char* r : {"'BG','Castro',10.0", "'LE','Castro',18.4", "'TO','Torino',7.7", "'D''Ora','L''Isola',9.0"})
            righe << QStringLiteral("insert into tblCoordinate values (%1)").arg(r);
        QCOMPARE(fixture::Scrivi(altra.filePath("data.mdb"), righe), QString());
        FinestraPrincipale p(nullptr, altra.path());
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        frmFv& f = *p.modulo();
        Scrivi(Controllo<QLineEdit>(f, "txtRiflettanza"), dec == "," ? "0,2" : "0.2");
        for (QAction* a : p.findChildren<QAction*>())
            if (a->text() == "Mappa dell'Italia…")
                a->trigger();
        DialogoMappa* d = p.mappaItalia();
        QVERIFY(d && d->isVisible());
        QVERIFY(d->Pronta() || QSignalSpy(d, &DialogoMappa::calcolata).wait(10000));
        QCOMPARE(d->mappa()->punti().size(), std::size_t(4));
        QCOMPARE(d->comuni().esclusi, 3);
        // A click on Castro (LE) picks it in the window as a user would.
        const auto castro = std::find_if(d->mappa()->punti().begin(), d->mappa()->punti().end(), [](const auto& x) {
            return x.comune->provincia == "LE";
        });
        const double resa = castro->resa;
        QTest::mouseClick(d->mappa(), Qt::LeftButton, {}, d->mappa()->Posizione(*castro->comune).toPoint());
        QCOMPARE(Controllo<QComboBox>(f, "cmbProvincia")->currentText(), "LE");
        QCOMPARE(Controllo<QComboBox>(f, "cmbComuneRad")->currentText(), "Castro");
        QCOMPARE(Controllo<QLineEdit>(f, "txtLatitudine")->text(), "40");
        // Its yield is CALCOLA's energy of a 1 kW plant there.
        ScegliConMouse(Controllo<QComboBox>(f, "cmbRiflettanza"), "Erba");
        QTest::mouseClick(Controllo<QPushButton>(f, "cmdCalcola"), Qt::LeftButton);
        QCOMPARE(Controllo<QLineEdit>(f, "txtEnergia")->text(), QString::number(std::nearbyint(resa)));
    }

    void campiDelDialogoComeLiScriveUnaPersona()
    {
        // "2,5" and "2.5" are two and a half kWh in either locale (Qt's own
        // field took the comma of an English locale for thousands: 25 kWh);
        // "2,700" may be 2,7 or 2700 and is not taken, with both readings said.
        DialogoBilancio* d = ApriBilancio();
        QVERIFY(d);
        auto* capacita = d->findChild<fv::CampoNumero*>("capacita");
        QVERIFY(capacita);
        const auto scrivi = [&](const char* testo) {
            capacita->setFocus();
            capacita->selectAll();
            QTest::keyClicks(capacita, QString::fromLatin1(testo));
            QTest::keyClick(capacita, Qt::Key_Return);
        };
        for (const char* testo : {"2,5", "2.5", " 2,5 kWh"}) {
            scrivi("0");
            scrivi(testo);
            QVERIFY2(capacita->value() == 2.5, testo);
        }
        QVERIFY(d->bilancio() && d->bilancio()->conBatteria.anno.produzione > 0);
        scrivi("2,700");
        QCOMPARE(capacita->value(), 2.5);
        QVERIFY2(capacita->Spiegazione().contains("2,7 oppure 2.700"), qPrintable(capacita->Spiegazione()));
        QCOMPARE(*capacita->Leggi("12,5 kWh"), 12.5);
        QVERIFY(!capacita->Leggi("1.234,5"));
        d->close();
    }

    void bilancioEConvenienza()
    {
        QAction* bilancio = nullptr;
        for (QAction* a : w->findChildren<QAction*>())
            bilancio = a->text() == "Autoconsumo e batteria…" ? a : bilancio;
        QVERIFY(bilancio);
        // Before CALCOLA: a message, no dialog.
        Risponditore r;
        bilancio->trigger();
        QTRY_COMPARE(r.testi.size(), 1);
        QVERIFY(r.testi.first().contains("CALCOLA"));
        QVERIFY(!w->bilancio() || !w->bilancio()->isVisible());
        Calcola("TO", "Torino", "Erba", "30");
        bilancio->trigger();
        DialogoBilancio* d = w->bilancio();
        QVERIFY(d && d->isVisible() && d->bilancio() && d->convenienza());
        // The plant's year, all of it, in the balance; the battery covers more.
        const fv::FlussiEnergia& con = d->bilancio()->conBatteria.anno;
        QVERIFY(std::fabs(con.produzione - (*F().sessione().ultimo()).letti.energia) < 1e-6);
        QVERIFY(con.Autosufficienza() > d->bilancio()->senzaBatteria.anno.Autosufficienza());
        QVERIFY(d->testoRiepilogo().contains("Autosufficienza"));
        // A parameter edited is used and remembered; the file's comes back on request.
        auto* tabella = d->findChild<QTableWidget*>("parametri");
        QVERIFY(tabella && tabella->rowCount() > 10);
        int riga = 0;
        while (riga < tabella->rowCount() && tabella->item(riga, 0)->data(Qt::UserRole).toString() != "prezzo_energia")
            ++riga;
        const double van = d->convenienza()->con.van;
        tabella->item(riga, 1)->setText(dec == "," ? "0,40" : "0.40");
        QVERIFY(d->convenienza()->con.van > van);
        QCOMPARE(QSettings().value("bilancio/parametri/prezzo_energia").toDouble(), 0.4);
        // A meter's file that does not exist, confirmed with Enter: no figures
        // on show, and the edited parameter stays (Enter presses no button).
        auto* modo = d->findChild<QComboBox*>("modo");
        auto* file = d->findChild<QLineEdit*>("file");
        auto* fasce = d->findChild<QLineEdit*>("fasce");
        QVERIFY(modo && file && fasce);
        Scegli(modo, 2);
        QVERIFY(!d->convenienza());
        d->MostraConvenienza(true); // the parameters on show, as the user left them
        for (QTabWidget* t : d->findChildren<QTabWidget*>())
            for (int k = 0; k < t->count(); ++k)
                if (t->tabText(k) == "Parametri")
                    t->setCurrentIndex(k);
        QVERIFY(tabella->isVisible());
        file->setFocus();
        QTest::keyClicks(file, "/non/esiste.csv");
        QTest::keyClick(file, Qt::Key_Return);
        QVERIFY(!d->convenienza() && !d->bilancio());
        QCOMPARE(tabella->item(riga, 1)->text().replace(u',', u'.').toDouble(), 0.4);
        QCOMPARE(QSettings().value("bilancio/parametri/prezzo_energia").toDouble(), 0.4);
        // The bands with commas read as with semicolons; two values are refused, not half read.
        Scegli(modo, 1);
        fasce->setText("900,800,1000");
        emit fasce->editingFinished();
        QVERIFY(d->bilancio() && std::fabs(d->bilancio()->senzaBatteria.anno.consumo - 2700) < 1e-6);
        fasce->setText("900,800");
        emit fasce->editingFinished();
        QVERIFY(!d->bilancio());
        Scegli(modo, 0);
        QVERIFY(d->convenienza()->con.van > van);
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->text() == "Ripristina i valori del file dati")
                b->click();
        QCOMPARE(d->convenienza()->con.van, van);
        QVERIFY(!QSettings().contains("bilancio/parametri/prezzo_energia"));
        // A value out of range is refused, named.
        tabella->item(riga, 1)->setText("-1");
        QCOMPARE(d->convenienza()->con.van, van);
        // The date of the expense picks the rules in force, shown in the table.
        auto* data = d->findChild<QDateEdit*>("dataSpesa");
        QVERIFY(data);
        data->setDate(QDate(2026, 6, 1));
        const double van2026 = d->convenienza()->senza.van;
        data->setDate(QDate(2027, 3, 1));
        QVERIFY(d->convenienza()->senza.van < van2026 - 500);
        int detrazione = 0;
        while (detrazione < tabella->rowCount() && tabella->item(detrazione, 0)->data(Qt::UserRole).toString() != "detrazione")
            ++detrazione;
        QCOMPARE(tabella->item(detrazione, 1)->text(), "36");
        QVERIFY(tabella->item(detrazione, 4)->text().contains("31/12/2027"));
        data->setDate(QDate(2024, 6, 1)); // before every rule: no figures, a word why
        QVERIFY(!d->convenienza());
        data->setDate(QDate::currentDate());
    }

    void annoMeteorologicoNelDialogo()
    {
        DialogoBilancio* d = ApriBilancio();
        QVERIFY(d && d->bilancio() && !d->bilancio()->meteo);
        auto* modo = d->findChild<QComboBox*>("meteoModo");
        auto* file = d->findChild<QLineEdit*>("fileMeteo");
        QVERIFY(modo && file);
        // "da file…" with no file yet: no figures, and where to choose one.
        Scegli(modo, 1);
        QVERIFY(!d->bilancio());
        // The file's year drives the balance: its production is the file's.
        file->setText(QStringLiteral(FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.epw"));
        emit file->editingFinished();
        QVERIFY(d->bilancio() && d->bilancio()->meteo);
        QVERIFY(std::fabs(d->bilancio()->conBatteria.anno.produzione - d->bilancio()->meteo->produzione.anno) < 1e-6);
        // Above the tabs, the energy the figures use; the window's CSV says both, each by its name.
        const QString anno = QString::fromStdString(fv::TestoArrotondato(d->bilancio()->meteo->produzione.anno, 0, fv::FormatoUtente()));
        bool intestazione = false;
        for (QLabel* l : d->findChildren<QLabel*>())
            intestazione |= l->text().contains(anno + " kWh/anno dal file meteo");
        QVERIFY2(intestazione, qPrintable(anno));
        const auto csv = fv::TabellaCompleta(*F().sessione().ultimo(), &*F().sessione().approfondimento());
        QVERIFY(std::any_of(csv.begin(), csv.end(), [&](const QStringList& r) {
            return r.size() > 1 && r[0] == "Energia annua dall'anno meteorologico (kWh)" && r[1] == anno;
        }));
        auto* tabella = d->findChild<QTableWidget*>("tabellaMeteo");
        QVERIFY(tabella && tabella->rowCount() == 13 && tabella->item(12, 0)->text() == "Totale");
        // The hour-by-hour export only while its balance is on show and current.
        QPushButton* esporta = nullptr;
        for (QPushButton* b : d->findChildren<QPushButton*>())
            esporta = b->text() == "Esporta ora per ora…" ? b : esporta;
        QVERIFY(esporta && esporta->isEnabled());
        T("txtTilt")->setText("35");
        QTest::keyClick(T("txtTilt"), Qt::Key_Tab);
        QTRY_VERIFY(!esporta->isEnabled());
        Calcola("TO", "Torino", "Erba", "30");
        d->Aggiorna();
        QVERIFY(esporta->isEnabled());
        // A file that is not a weather year: nothing on show, the reason named.
        file->setText(QStringLiteral(FV_FIXTURE_METEO "/horizon_45.000_8.000.csv"));
        emit file->editingFinished();
        QVERIFY(!d->bilancio() && tabella->rowCount() == 0 && !esporta->isEnabled());
        // Back to the comune's climate.
        Scegli(modo, 0);
        QVERIFY(d->bilancio() && !d->bilancio()->meteo);
        QSettings().remove("bilancio");
    }

    void qualeImpianto()
    {
        // The grid from the dialog, off the GUI thread: its cell of the plant computed is the
        // dialog's own economics; an input changed while it runs drops it.
        DialogoBilancio* d = ApriBilancio();
        QVERIFY(d && d->convenienza());
        // How sure comes from its worker into the figures and the report's analysis.
        QTRY_VERIFY_WITH_TIMEOUT(F().sessione().approfondimento() && F().sessione().approfondimento()->incertezza, 10000);
        const fv::EsitoMonteCarlo& m = F().sessione().approfondimento()->incertezza->montecarlo;
        QVERIFY(m.estrazioni == 1000 && m.van.p90 <= m.van.p50 && m.van.p50 <= m.van.p10);
        auto* potenzaMax = d->findChild<QDoubleSpinBox*>("potenzaMax");
        auto* bottone = d->findChild<QPushButton*>("dimensiona");
        QVERIFY(potenzaMax && bottone);
        potenzaMax->setValue(6);
        bottone->click();
        QTRY_VERIFY_WITH_TIMEOUT(d->griglia().has_value(), 20000);
        const fv::GrigliaDimensioni& g = *d->griglia();
        bool trovata = false;
        for (std::size_t p = 0; p < g.potenze.size(); ++p)
            for (std::size_t b = 0; b < g.batterie.size(); ++b)
                if (g.potenze[p] == (*F().sessione().ultimo()).letti.potenza && g.batterie[b] == 5) {
                    trovata = true;
                    QVERIFY2(std::fabs(g.Cella(p, b).van - d->convenienza()->con.van) < 1e-6,
                             qPrintable(QStringLiteral("%1 %2").arg(g.Cella(p, b).van, 0, 'f', 6).arg(d->convenienza()->con.van, 0, 'f', 6)));
                }
        QVERIFY(trovata);
        bottone->click();
        potenzaMax->setValue(5); // while it runs
        QTest::qWait(1500);
        QVERIFY(!d->griglia());
        QSettings().remove("bilancio");
    }

    void faldeNelDialogo()
    {
        // A second face added in its tab: the balance's production grows by that
        // face's own energy, the economics pay for both faces' peak, the window's
        // status bar names it; an inverter below the faces' sum cuts, and the
        // cut is the production lost; the face is remembered, and taken away
        // the plant is the window's plane again, to the bit.
        DialogoBilancio* d = ApriBilancio();
        QVERIFY(d && d->bilancio());
        const double una = d->bilancio()->senzaBatteria.anno.produzione;
        const double investimento = d->convenienza()->senza.investimento;
        auto* aggiungi = d->findChild<QPushButton*>("aggiungiFalda");
        auto* togli = d->findChild<QPushButton*>("togliFalda");
        auto* inverter = d->findChild<QDoubleSpinBox*>("inverter");
        QVERIFY(aggiungi && togli && inverter);
        aggiungi->click();
        QCOMPARE(d->bilancio()->falde.size(), std::size_t(2));
        const auto& mesi = d->bilancio()->produzione.mesiFalde[1];
        const double seconda = std::accumulate(mesi.begin(), mesi.end(), 0.0);
        QVERIFY(seconda > 0.3 * una); // the other way round: north at 30°, still some
        QVERIFY(std::fabs(d->bilancio()->senzaBatteria.anno.produzione - (una + seconda)) < 1e-6 * una);
        QVERIFY(d->convenienza()->senza.investimento > 1.5 * investimento);
        bool detto = false;
        for (QLabel* l : w->statusBar()->findChildren<QLabel*>())
            detto = detto || l->text().contains("Impianto su 2 falde");
        QVERIFY(detto);
        inverter->setValue(4);
        const fv::RisultatoBilancio& b = *d->bilancio();
        QVERIFY(b.produzione.tagliata > 0);
        QVERIFY(std::fabs(b.senzaBatteria.anno.produzione - (una + seconda - b.produzione.tagliata)) < 1e-6 * una);
        QVERIFY(d->testoRiepilogo().contains(QString::fromUtf8(fv::kPerditaInverter)));
        // Another window, another dialog: the face and the inverter come back.
        cleanup();
        init();
        d = ApriBilancio();
        QCOMPARE(d->bilancio()->falde.size(), std::size_t(2));
        QCOMPARE(d->bilancio()->produzione.inverter, std::optional<double>(4));
        d->findChild<QPushButton*>("togliFalda")->click();
        d->findChild<QDoubleSpinBox*>("inverter")->setValue(0);
        QCOMPARE(d->bilancio()->falde.size(), std::size_t(1));
        QCOMPARE(d->bilancio()->senzaBatteria.anno.produzione, una);
        QSettings().remove("bilancio");
    }

    void autoNelDialogo()
    {
        // The car typed in its tab: the consumption grows by its yearly energy,
        // the same for every habit; the sun's charging covers more of it.
        DialogoBilancio* d = ApriBilancio();
        QVERIFY(d && d->bilancio());
        const double casa = d->bilancio()->senzaBatteria.anno.consumo;
        auto* km = d->findChild<QDoubleSpinBox*>("autoKm");
        auto* ricarica = d->findChild<QComboBox*>("autoRicarica");
        QVERIFY(km && ricarica);
        km->setValue(12000);
        const double atteso = 12000 * 0.17 * 0.8 / 0.9;
        QVERIFY(std::fabs(d->bilancio()->senzaBatteria.anno.consumo - casa - atteso) < 1e-6);
        const double sera = d->bilancio()->senzaBatteria.anno.diretto;
        Scegli(ricarica, 2);
        QVERIFY(std::fabs(d->bilancio()->senzaBatteria.anno.consumo - casa - atteso) < 1e-6);
        QVERIFY(d->bilancio()->senzaBatteria.anno.diretto > sera);
        // The sizing grid of the household with its car says today's best plant beside it.
        for (QTabWidget* t : d->findChildren<QTabWidget*>())
            for (int k = 0; k < t->count(); ++k)
                if (t->tabText(k) == QStringLiteral("Quale impianto"))
                    t->setCurrentIndex(k);
        d->findChild<QPushButton*>(QStringLiteral("dimensiona"))->click();
        auto* esito = d->findChild<QLabel*>(QStringLiteral("esitoDimensioni"));
        for (int i = 0; i < 200 && !esito->text().startsWith(QLatin1String("La migliore")); ++i)
            QTest::qWait(50);
        const QString oggi = QStringLiteral("oggi, con %1 kWh").arg(QString::fromStdString(fv::TestoArrotondato(casa, 0, fv::FormatoUtente())));
        QVERIFY2(esito->text().contains(oggi), qPrintable(esito->text()));
        QSettings().remove("bilancio");
    }

    void opzioniDichiarateUnaVolta()
    {
        // Every declared number is an option of the command line, refused past its
        // range there as in the dialog, whose field (when it has one) has the same
        // range and unit; the dialog remembers it under its key.
        DialogoBilancio* d = ApriBilancio();
        QVERIFY(d);
        QString aiuto, errori;
        QTextStream u(&aiuto), e(&errori);
        QCOMPARE(fv::EseguiRigaComando({"--help"}, u, e, cartella.path()), 0);
        int campi = 0;
        for (const fv::OpzioneNumero& o : fv::OpzioniNumero()) {
            QVERIFY2(aiuto.contains(QStringLiteral("--%1").arg(o.nome)), o.nome);
            if (auto* c = d->findChild<QDoubleSpinBox*>(QString::fromLatin1(o.chiave))) {
                ++campi;
                QVERIFY2(c->maximum() == o.massimo && c->suffix().trimmed() == QString::fromUtf8(o.unita), o.nome);
                QVERIFY2(c->minimum() == o.minimo || (o.minimo > 0 && c->minimum() == 0), o.nome); // 0: not given
            }
        }
        QVERIFY2(campi >= 8, qPrintable(QString::number(campi)));
        auto* perdite = d->findChild<QDoubleSpinBox*>("perditeSistema");
        QVERIFY(perdite);
        perdite->setValue(20);
        d->Richiesta(); // the dialog's request reads it
        QCOMPARE(QSettings().value("bilancio/perditeSistema").toDouble(), 20.0);
        QSettings().remove("bilancio");
    }

    void assiDellaGriglia()
    {
        // A 199 × 51 grid (1 to 100 kWp by 0.5, 0 to 100 kWh by 2): labels on round
        // steps that never touch, at least every few cells; all of them when they fit.
        std::vector<double> potenze, batterie;
        for (int i = 0; i < 199; ++i)
            potenze.push_back(1 + 0.5 * i);
        for (int i = 0; i <= 50; ++i)
            batterie.push_back(2.0 * i);
        for (const auto& [valori, cella, spazio] : {std::tuple{potenze, 2.5, 16.0}, std::tuple{batterie, 7.3, 30.0}}) {
            const std::vector<std::size_t> e = fv::EtichetteAsse(valori, cella, spazio);
            QVERIFY(e.size() >= 6);
            const double passo = valori[e[1]] - valori[e[0]];
            QVERIFY2(passo == 5 || passo == 10, qPrintable(QString::number(passo)));
            for (std::size_t k = 0; k < e.size(); ++k) {
                QCOMPARE(std::fmod(valori[e[k]], passo), 0.0);
                if (k > 0)
                    QVERIFY(double(e[k] - e[k - 1]) * cella >= spazio);
            }
        }
        QCOMPARE(fv::EtichetteAsse({1, 2, 3}, 30, 16), (std::vector<std::size_t>{0, 1, 2}));
    }

    void limiteDiDimensioneDelFile()
    {
        // Past `ulimit -f` the real program reports the failed write as a full disk
        // (status 1, a sentence, no file left) instead of dying by SIGXFSZ.
        QTemporaryDir dir;
        QCOMPARE(fixture::Scrivi(dir.filePath("data.mdb"), fixture::Standard()), QString());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start("/bin/sh", {"-c", "ulimit -f 2; exec \"$0\" \"$@\"", FV_PROGRAMMA, "calcola", "--provincia", "TO",
                            "--comune-radiazione", "Torino", "--terreno", "Erba", "--tilt", "30", "--azimut", "0", "--potenza",
                            "3", "--pdf", "relazione.pdf"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(!p.readAllStandardError().isEmpty(), "no word");
        QVERIFY(!QFileInfo::exists(dir.filePath("relazione.pdf")));
    }

    void senzaDisplay()
    {
        // --help and --version of the real program, with no display at all.
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ambiente.remove(v);
        for (const auto& [argomento, atteso] : {std::pair{"--version", "calcolo-fv 1.00\n"}, std::pair{"--help", "calcola"}}) {
            QProcess p;
            p.setProcessEnvironment(ambiente);
            p.start(FV_PROGRAMMA, {argomento});
            QVERIFY(p.waitForFinished(20000));
            QCOMPARE(p.exitCode(), 0);
            QVERIFY2(QString::fromUtf8(p.readAllStandardOutput()).contains(atteso), argomento);
            QCOMPARE(p.readAllStandardError(), QByteArray());
        }
    }
};

QTEST_MAIN(TestRelazione)
#include "tst_relazione.moc"
