// SPDX-License-Identifier: MIT
// A storm of user actions on the real window with the real data.mdb: picks by
// arrow key and by mouse, random texts typed or pasted into every field,
// option clicks, CALCOLA. After every action no connection is open; after
// every CALCOLA that reported nothing, the shown results equal a
// recomputation from the inputs shown; at the end data.mdb is unchanged.
// FV_SEME and FV_AZIONI replay or resize a run.
#include "app/frmFv.h"
#include "calc/modello.h"
#include "data/funzioni.h"

#include "finestra_aiuti.h"
#include "fixture.h"
#include "modello_angoli.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <map>
#include <memory>

#include <sqlite3.h>

#include <array>
#include <charconv>
#include <cmath>
#include <random>

namespace {

// The horizontal values of a town, read straight from the file.
std::array<double, 12> Radiazioni(const QString& file, const QString& provincia, const QString& comune)
{
    std::array<double, 12> v{};
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select gen,feb,mar,apr,mag,giu,lug,ago,\"set\",ott,nov,dic from tblRadiazioni "
                           "where provincia=?1 and comune=?2", -1, &st, nullptr);
    const QByteArray p = provincia.toUtf8(), c = comune.toUtf8();
    sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, c.constData(), int(c.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(st) == SQLITE_ROW)
        for (int i = 0; i < 12; ++i)
            v[std::size_t(i)] = sqlite3_column_double(st, i);
    else
        v.fill(std::nan(""));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return v;
}

} // namespace

class TestTempesta : public QObject {
    Q_OBJECT

    QString dec;

    // Independent reading of a shown input: blanks trimmed, the locale's
    // separator, a plain C number.
    double Leggi(QString s) const
    {
        s = s.trimmed();
        if (s.startsWith('+'))
            s.remove(0, 1);
        s.replace(dec, ".");
        const QByteArray b = s.toLatin1();
        double x = std::nan("");
        std::from_chars(b.constData(), b.constData() + b.size(), x);
        return x;
    }

    QString Testo(double x, int decimali) const { return TestoAtteso(x, decimali, dec); }

private slots:
    void initTestCase()
    {
        FiltraAvvisiOffscreen();
    }

    void tempesta()
    {
        const QString file = qEnvironmentVariable("FV_DATA_MDB");
        QVERIFY(QFileInfo(file).isFile());
        const QByteArray prima = fixture::Impronta(file);
        const QDateTime modificato = QFileInfo(file).lastModified();
        const unsigned seme = qEnvironmentVariableIsSet("FV_SEME") ? qEnvironmentVariableIntValue("FV_SEME") : 20261207u;
        const int azioni = qEnvironmentVariableIsSet("FV_AZIONI") ? qEnvironmentVariableIntValue("FV_AZIONI") : 20000;
        qInfo("seed %u, %d actions (FV_SEME=%u replays this run)", seme, azioni, seme);
        std::mt19937 gen(seme);
        const auto caso = [&](qsizetype n) { return int(std::uniform_int_distribution<int>(0, int(n) - 1)(gen)); };

        frmFv w(nullptr, QFileInfo(file).absolutePath());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        dec = QString::fromStdString(w.formatoNumeri().decimale);
        Risponditore r;

        const QStringList combo = {"cmbProvincia", "cmbComuneLat", "cmbComuneRad", "cmbRiflettanza"};
        const QStringList ingressi = {"txtLatitudine", "txtRiflettanza", "txtTilt", "txtAzimut", "txtPow", "txtEffGen", "txtEffInv"};
        QStringList campi = ingressi;
        for (int m = 0; m < 12; ++m)
            campi << QStringLiteral("txtMese(%1)").arg(m) << QStringLiteral("txtMese2(%1)").arg(m);
        campi << "txtTotAnnua" << "txtTotAnnua2" << "txtRapp" << "txtEnergia" << "txtCostoKwh" << "txtAnnuo";
        const auto T = [&](const QString& n) { return Controllo<QLineEdit>(w, n); };

        const auto numero = [&]() -> QString {
            switch (caso(8)) {
            case 0: return QString::number(caso(100));
            case 1: return QStringLiteral("%1%2%3").arg(caso(90)).arg(dec).arg(caso(1000));
            case 2: return QStringLiteral("-%1%2%3").arg(caso(50)).arg(dec).arg(caso(100));
            case 3: return QStringLiteral(" %1 ").arg(caso(60));
            case 4: return QStringLiteral("%1%2%3").arg(caso(20)).arg(dec == "," ? "." : ",").arg(caso(100)); // wrong separator
            case 5: return QStringLiteral("%1E%2").arg(caso(9) + 1).arg(caso(5));
            case 6: return QStringLiteral("%1%2").arg(caso(30)).arg(dec);
            default: return QString::number(caso(2000) - 1000);
            }
        };
        // A plausible value for an input, in the user's notation.
        const auto plausibile = [&](const QString& campo) -> QString {
            const std::map<QString, std::pair<int, int>> intervalli = {
                {"txtLatitudine", {36, 47}}, {"txtRiflettanza", {0, 1}}, {"txtTilt", {0, 90}}, {"txtAzimut", {-180, 180}},
                {"txtPow", {0, 60}},         {"txtEffGen", {0, 30}},     {"txtEffInv", {70, 100}}};
            const auto it = intervalli.find(campo);
            if (it == intervalli.end())
                return numero();
            const auto [da, a] = it->second;
            const double x = da + (a - da) * std::uniform_real_distribution<double>(0, 1)(gen);
            const int decimali = caso(4);
            return QString::number(x, 'f', decimali).replace('.', dec);
        };
        const auto testo = [&]() -> QString {
            switch (caso(24)) {
            case 0: return QString();
            case 1: return QStringLiteral("   ");
            case 2: return QStringLiteral("-");
            case 3: return QStringLiteral("+");
            case 4: return QStringLiteral("abc");
            case 5: return QString(1000 + caso(100000), QChar(u'0' + caso(10)));
            case 6: return QStringLiteral("x'; drop table tblRadiazioni; --");
            default: return numero();
            }
        };

        // A pick is what the list reports as activated (an arrow key at the
        // end of the list, or on an empty one, picks nothing).
        std::map<QString, std::unique_ptr<QSignalSpy>> scelte;
        for (const QString& n : combo)
            scelte[n] = std::make_unique<QSignalSpy>(Controllo<QComboBox>(w, n), &QComboBox::activated);

        std::array<double, 12> radAttesa{};
        radAttesa.fill(0.0);
        QString provinciaScelta;
        int calcoli = 0, verificati = 0;

        for (int a = 0; a < azioni; ++a) {
            const qsizetype riportati = r.testi.size();
            std::map<QString, qsizetype> scelteprima;
            for (const auto& [n, spia] : scelte)
                scelteprima[n] = spia->count();
            const int tipo = caso(100);
            QString nomeCombo;
            if (tipo < 25) { // arrow key on a closed list
                nomeCombo = combo[caso(4)];
                auto* b = Controllo<QComboBox>(w, nomeCombo);
                b->setFocus();
                QTest::keyClick(b, caso(3) ? Qt::Key_Down : Qt::Key_Up);
            } else if (tipo < 37) { // mouse pick
                nomeCombo = combo[caso(4)];
                auto* b = Controllo<QComboBox>(w, nomeCombo);
                if (b->count() > 0)
                    ScegliConMouse(b, b->itemText(caso(b->count())));
                else
                    nomeCombo.clear();
            } else if (tipo < 40) { // typing into a list's own field runs nothing
                auto* b = Controllo<QComboBox>(w, combo[caso(4)]);
                const auto radPrima = w.SerieRadOriz();
                b->setFocus();
                b->lineEdit()->selectAll();
                QTest::keyClicks(b, caso(2) ? testo().left(40) : QStringLiteral("Torino"));
                QTest::keyClick(b, Qt::Key_Return);
                QCOMPARE(w.SerieRadOriz(), radPrima);
            } else if (tipo < 62) { // type into a field
                QLineEdit* e = T(caso(4) ? ingressi[caso(ingressi.size())] : campi[caso(campi.size())]);
                const QString t = caso(10) < 8 ? plausibile(e->objectName()) : testo();
                e->setFocus();
                e->selectAll();
                if (t.size() > 60 || caso(4) == 0) { // paste
                    QApplication::clipboard()->setText(t);
                    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
                } else {
                    QTest::keyClick(e, Qt::Key_Delete);
                    QTest::keyClicks(e, t);
                }
            } else if (tipo < 70) { // delete a character
                QLineEdit* e = T(ingressi[caso(ingressi.size())]);
                e->setFocus();
                QTest::keyClick(e, Qt::Key_Backspace);
            } else if (tipo < 78) { // an option
                QTest::mouseClick(Controllo<QRadioButton>(w, QStringLiteral("%1(%2)").arg(caso(2) ? "optInt" : "optPow").arg(caso(3))),
                                  Qt::LeftButton);
            } else { // CALCOLA, by the button or by Enter in a field
                ++calcoli;
                if (caso(4))
                    QTest::mouseClick(Controllo<QPushButton>(w, "cmdCalcola"), Qt::LeftButton);
                else
                    QTest::keyClick(T(ingressi[caso(ingressi.size())]), Qt::Key_Return);
                const bool vuoto = std::any_of(ingressi.begin(), ingressi.end(), [&](const QString& n) { return T(n)->text().isEmpty(); })
                                   || Controllo<QComboBox>(w, "cmbComuneRad")->currentText().isEmpty();
                if (r.testi.size() == riportati && !vuoto) {
                    // Recompute from what the window shows.
                    ++verificati;
                    const double d = fv::kGradiRadianti;
                    const double phi = Leggi(T("txtLatitudine")->text()) * d, beta = Leggi(T("txtTilt")->text()) * d;
                    const double gamma = Leggi(T("txtAzimut")->text()) * d, rho = Leggi(T("txtRiflettanza")->text());
                    const double pow = Leggi(T("txtPow")->text());
                    const double perdite = std::nearbyint(Leggi(T("txtEffGen")->text()));
                    const double eff = std::nearbyint(Leggi(T("txtEffInv")->text()));
                    double totInc = 0, totOriz = 0;
                    for (int m = 0; m < 12; ++m) {
                        const double v = fv::CalcolaRadiazioneInclinata(m + 1, phi, beta, gamma, rho, radAttesa[std::size_t(m)]);
                        QCOMPARE(T(QStringLiteral("txtMese2(%1)").arg(m))->text(), Testo(v, 2));
                        totInc += v * fv::kGiorniMese[std::size_t(m)];
                        totOriz += radAttesa[std::size_t(m)] * fv::kGiorniMese[std::size_t(m)];
                    }
                    QCOMPARE(T("txtTotAnnua2")->text(), Testo(totInc, 0));
                    QCOMPARE(T("txtRapp")->text(), Testo(totInc / totOriz, 2));
                    const double energia = totInc * pow * (100 - perdite) * eff / 10000;
                    QCOMPARE(T("txtEnergia")->text(), Testo(energia, 0));
                    static const double tariffe[4][4] = {{0.384, 0.422, 0.47, 0}, {0.365, 0.403, 0.442, 0}, {0.346, 0.384, 0.422, 0}, {0, 0, 0, 0}};
                    int b = 3, i = 3;
                    for (int k = 2; k >= 0; --k) {
                        if (Controllo<QRadioButton>(w, QStringLiteral("optPow(%1)").arg(k))->isChecked()) b = k;
                        if (Controllo<QRadioButton>(w, QStringLiteral("optInt(%1)").arg(k))->isChecked()) i = k;
                    }
                    const double tariffa = tariffe[b][i];
                    QCOMPARE(T("txtCostoKwh")->text(), Testo(tariffa, 3));
                    QCOMPARE(T("txtAnnuo")->text(), Testo(Leggi(T("txtEnergia")->text()) * tariffa, 2));
                }
            }
            if (!nomeCombo.isEmpty() && scelte[nomeCombo]->count() == scelteprima[nomeCombo])
                nomeCombo.clear(); // nothing was picked
            for (const QString& n : combo) {
                if (n != nomeCombo)
                    QCOMPARE(scelte[n]->count(), scelteprima[n]); // no other list ran its lookup
            }
            if (nomeCombo == "cmbProvincia" && r.testi.size() == riportati)
                provinciaScelta = Controllo<QComboBox>(w, nomeCombo)->currentText();
            if (nomeCombo == "cmbComuneRad" && r.testi.size() == riportati) {
                radAttesa = Radiazioni(file, provinciaScelta, Controllo<QComboBox>(w, nomeCombo)->currentText());
                for (int m = 0; m < 12; ++m)
                    QCOMPARE(w.SerieRadOriz()[std::size_t(m)], radAttesa[std::size_t(m)]);
            }
            QCOMPARE(fv::Funzioni::ConnessioniAperte(), 0);
            QVERIFY(!QApplication::activeModalWidget());
        }
        qInfo("%d actions, %d CALCOLA, %d checked against a recomputation, %d error boxes answered",
              azioni, calcoli, verificati, int(r.testi.size()));
        QVERIFY2(verificati > azioni / 200, "too few calculations went through to be checked");
        QCOMPARE(fixture::Impronta(file), prima);
        QCOMPARE(QFileInfo(file).lastModified(), modificato);
    }
};

QTEST_MAIN(TestTempesta)
#include "tst_tempesta.moc"
