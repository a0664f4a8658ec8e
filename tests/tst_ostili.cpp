// SPDX-License-Identifier: MIT
// Hostile data files and a data file that cannot be written: each gives the
// right values or a clear Italian message, never a crash or a wrong number
// shown as right, and the file is never written.
#include "app/frmFv.h"
#include "data/funzioni.h"

#include "finestra_aiuti.h"
#include "fixture.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

QStringList File(const QString& cartella)
{
    return QDir(cartella).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestOstili : public QObject {
    Q_OBJECT

    QString dec;
    int casi = 0;

    // A window on a data file made of the standard fixture plus extra statements.
    struct Banco {
        QTemporaryDir cartella;
        std::unique_ptr<frmFv> w;
        QByteArray impronta;
        QString file() const { return cartella.filePath("data.mdb"); }
    };

    std::unique_ptr<Banco> Apri(const QStringList& extra, bool standard = true)
    {
        auto b = std::make_unique<Banco>();
        QStringList righe = standard ? fixture::Standard() : QStringList();
        righe << extra;
        const QString errore = fixture::Scrivi(b->file(), righe);
        if (!errore.isEmpty())
            qFatal("%s", qPrintable(errore));
        b->impronta = fixture::Impronta(b->file());
        b->w = std::make_unique<frmFv>(nullptr, b->cartella.path());
        b->w->show();
        if (!QTest::qWaitForWindowExposed(b->w.get()))
            qFatal("window not shown");
        dec = QString::fromStdString(b->w->formatoNumeri().decimale);
        ++casi;
        return b;
    }

    void Chiudi(std::unique_ptr<Banco>& b)
    {
        QCOMPARE(fv::Funzioni::ConnessioniAperte(), 0);
        b->w.reset();
        QCOMPARE(fixture::Impronta(b->file()), b->impronta); // never written
        QCOMPARE(File(b->cartella.path()), QStringList({"data.mdb"})); // no journal left beside it
    }

    QString N(QString s) const { return s.replace('.', dec); }

private slots:
    void initTestCase()
    {
        FiltraAvvisiOffscreen();
    }

    void nomiConSql()
    {
        const QString p = "x'; drop table tblRadiazioni; --";
        const QString c = "O'Brien\" or 1=1 --";
        auto b = Apri({fixture::Radiazione(p, c, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}), fixture::Latitudine(p, c, 41.5)});
        Risponditore r;
        frmFv& w = *b->w;
        ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), p);
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), c);
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), c);
        QCOMPARE(Controllo<QLineEdit>(w, "txtTotAnnua")->text(), "1095");
        QCOMPARE(Controllo<QLineEdit>(w, "txtLatitudine")->text(), N("41.5"));
        ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), "TO"); // the table is still there
        QCOMPARE(Controllo<QComboBox>(w, "cmbComuneRad")->count(), 3);
        QVERIFY(r.testi.isEmpty());
        Chiudi(b);
    }

    void testiLunghiECaratteriDiControllo()
    {
        const QString lungo(1 << 20, QChar(u'a')); // 1 MB
        const QString controllo = QStringLiteral("Tab\there\nnewline\x01\x7f");
        auto b = Apri({fixture::Radiazione("TO", lungo, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}),
                       fixture::Latitudine("TO", controllo, 44.25),
                       fixture::Radiazione("TO", controllo, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1})});
        Risponditore r;
        frmFv& w = *b->w;
        ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), "TO");
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), lungo);
        QCOMPARE(Controllo<QLineEdit>(w, "txtTotAnnua")->text(), "730");
        QCOMPARE(Controllo<QComboBox>(w, "cmbComuneRad")->currentText(), lungo); // shown whole
        auto* campo = Controllo<QLineEdit>(w, "txtTilt");
        campo->setText(QString(1 << 20, QChar(u'7'))); // a field takes a text of any length
        QCOMPARE(campo->text().size(), 1 << 20);
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), controllo);
        QCOMPARE(Controllo<QLineEdit>(w, "txtTotAnnua")->text(), "365");
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), controllo);
        QCOMPARE(Controllo<QLineEdit>(w, "txtLatitudine")->text(), N("44.25"));
        QVERIFY(r.testi.isEmpty());
        Chiudi(b);
    }

    void numeriComeTesto()
    {
        auto b = Apri({"insert into tblLatitudini values ('NT','Punto','45.4')",
                       "insert into tblLatitudini values ('NT','Virgola','45,4')",
                       "insert into tblRadiazioni values ('NT','Testi','1.5','2,5',3,4,5,6,7,8,9,'10.25',11,12)",
                       "insert into tblRiflettanza values ('Testo','0.2')"});
        Risponditore r;
        frmFv& w = *b->w;
        ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), "NT");
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), "Punto");
        QCOMPARE(Controllo<QLineEdit>(w, "txtLatitudine")->text(), N("45.4"));
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), "Virgola");
        // A number stored as text reads with a decimal point or comma, in any
        // locale, as every data file is read; it is shown in the user's.
        QCOMPARE(Controllo<QLineEdit>(w, "txtLatitudine")->text(), N("45.4"));
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), "Testi");
        QCOMPARE(w.SerieRadOriz()[0], 1.5);
        QCOMPARE(w.SerieRadOriz()[1], 2.5);
        QCOMPARE(w.SerieRadOriz()[9], 10.25);
        QCOMPARE(Controllo<QLineEdit>(w, "txtMese(9)")->text(), N("10.25"));
        QVERIFY(r.testi.isEmpty());
        ScegliConMouse(Controllo<QComboBox>(w, "cmbRiflettanza"), "Testo");
        QCOMPARE(Controllo<QLineEdit>(w, "txtRiflettanza")->text(), N("0.2"));
        Chiudi(b);
    }

    void nulliETipiSbagliati()
    {
        auto b = Apri({"insert into tblRadiazioni values ('NL','Nullo',1,2,3,4,null,6,7,8,9,10,11,12)",
                       "insert into tblRadiazioni values (null,'Senza provincia',1,2,3,4,5,6,7,8,9,10,11,12)",
                       "insert into tblRadiazioni values ('NL',null,1,2,3,4,5,6,7,8,9,10,11,12)",
                       "insert into tblRadiazioni values ('NL','Parola',1,2,'tanto',4,5,6,7,8,9,10,11,12)",
                       "insert into tblRadiazioni values ('NL','Blob',x'00ff',2,3,4,5,6,7,8,9,10,11,12)",
                       "insert into tblLatitudini values ('NL','Nullo',null)",
                       "insert into tblLatitudini values ('NL','Infinito',9e999)",
                       "insert into tblRadiazioni values ('NL','Buono',1,2,3,4,5,6,7,6,5,4,3,2)"});
        Risponditore r;
        frmFv& w = *b->w;
        QCOMPARE(Controllo<QComboBox>(w, "cmbProvincia")->findText(QString()), -1); // a null is not listed
        ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), "NL");
        QCOMPARE(Controllo<QComboBox>(w, "cmbComuneRad")->count(), 4);
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), "Buono");
        Scrivi(Controllo<QLineEdit>(w, "txtLatitudine"), "45");
        ScegliConMouse(Controllo<QComboBox>(w, "cmbRiflettanza"), "Erba");
        QTest::mouseClick(Controllo<QPushButton>(w, "cmdCalcola"), Qt::LeftButton);
        const QString energia = Controllo<QLineEdit>(w, "txtEnergia")->text();
        QVERIFY(!energia.isEmpty());
        // A row with a null in May: nothing of it is loaded, nothing of the
        // earlier town stays on show, and CALCOLA mixes no two towns.
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), "Nullo");
        QTRY_COMPARE(r.testi.size(), 1);
        QVERIFY2(r.dettagli.last().contains("tblRadiazioni.mag") && r.dettagli.last().contains("Nullo"), qPrintable(r.dettagli.last()));
        QCOMPARE(Controllo<QLineEdit>(w, "txtMese(3)")->text(), QString()); // all or nothing
        QCOMPARE(Controllo<QLineEdit>(w, "txtTotAnnua")->text(), QString());
        QTest::mouseClick(Controllo<QPushButton>(w, "cmdCalcola"), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 2);
        QCOMPARE(r.testi.last(), "Scegliere il comune (radiazione) dall'elenco.");
        QCOMPARE(Controllo<QLineEdit>(w, "txtEnergia")->text(), energia);
        r.testi.removeLast();
        r.dettagli.removeLast();
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), "Parola");
        QTRY_COMPARE(r.testi.size(), 2);
        QVERIFY(r.testi.last().contains("non è un numero"));
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), "Blob");
        QTRY_COMPARE(r.testi.size(), 3);
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), "Nullo");
        QTRY_COMPARE(r.testi.size(), 4);
        QVERIFY(r.dettagli.last().contains("tblLatitudini.latitudine"));
        ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), "Infinito");
        QTRY_COMPARE(r.testi.size(), 5);
        QCOMPARE(Controllo<QLineEdit>(w, "txtLatitudine")->text(), QString()); // nothing shown as right
        for (const QString& t : r.dettagli)
            QVERIFY2(t.contains(b->file()), qPrintable(t));
        Chiudi(b);
    }

    void fileDanneggiatoDopoAvvio()
    {
        // The file is replaced by one that is no database while the window is
        // open: the province pick reports it, no list of the old province
        // stays on show, and CALCOLA computes nothing for the old town.
        auto b = Apri({});
        Risponditore r;
        frmFv& w = *b->w;
        ScegliSito(w, "TO", "Torino", "Erba");
        QTest::mouseClick(Controllo<QPushButton>(w, "cmdCalcola"), Qt::LeftButton);
        const QString energia = Controllo<QLineEdit>(w, "txtEnergia")->text();
        QFile f(b->file());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("provincia;comune\nPA;Palermo\n").repeated(200));
        f.close();
        b->impronta = fixture::Impronta(b->file());
        ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), "BG");
        QTRY_COMPARE(r.testi.size(), 1);
        QVERIFY2(r.testi.first().contains("danneggiato"), qPrintable(r.testi.first()));
        QVERIFY2(r.dettagli.first().contains("file is not a database") && r.dettagli.first().contains(b->file()),
                 qPrintable(r.dettagli.first()));
        QCOMPARE(Controllo<QComboBox>(w, "cmbComuneRad")->count(), 0);
        QCOMPARE(Controllo<QComboBox>(w, "cmbComuneLat")->count(), 0);
        QTest::mouseClick(Controllo<QPushButton>(w, "cmdCalcola"), Qt::LeftButton);
        QCOMPARE(Controllo<QLineEdit>(w, "txtEnergia")->text(), energia);
        QVERIFY(!Controllo<QLineEdit>(w, "txtLatitudine")->toolTip().isEmpty()); // emptied with the province
        QCOMPARE(r.testi.size(), 1);
        Chiudi(b);
    }

    void fileAccess()
    {
        // An Access data.mdb beside the program: it opens as it is; one
        // without tblRadiazioni is reported by name, and the window goes on.
        for (const char* file : {"pv_v2003.mdb", "pv_senza_radiazioni_v2000.mdb"}) {
            QTemporaryDir cartella;
            QVERIFY(QFile::copy(QStringLiteral(FV_FIXTURE_ACCESSO "/%1").arg(file), cartella.filePath("data.mdb")));
            Risponditore r;
            frmFv w(nullptr, cartella.path());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            if (QLatin1String(file) == QLatin1String("pv_v2003.mdb")) {
                ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), "MI");
                ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), "Milano");
                QCOMPARE(Controllo<QLineEdit>(w, "txtMese(0)")->text(), N("1.59"));
                QVERIFY(r.testi.isEmpty());
            } else {
                QTRY_COMPARE(r.testi.size(), 1);
                QVERIFY2(r.testi.first().contains("tblRadiazioni"), qPrintable(r.testi.first()));
                QVERIFY(w.isVisible());
            }
        }
    }

    void tabelleEColonneMancanti()
    {
        {
            Risponditore r; // the start-up failure is reported as soon as the window shows
            auto b = Apri({"drop table tblRadiazioni"});
            QTRY_COMPARE(r.testi.size(), 1); // at start-up, over the open window
            QVERIFY2(r.dettagli.first().contains("no such table: tblRadiazioni"), qPrintable(r.dettagli.first()));
            // The sentence itself is plain Italian: no engine text, no SQL.
            QCOMPARE(r.testi.first(), "Il file di dati non ha le tabelle e le colonne che il programma legge.");
            QCOMPARE(Controllo<QComboBox>(*b->w, "cmbRiflettanza")->count(), 4); // filled before the failure
            QCOMPARE(Controllo<QComboBox>(*b->w, "cmbProvincia")->count(), 0);
            Chiudi(b);
        }
        {
            QStringList schema = fixture::Schema();
            schema[0] = "create table tblLatitudini (provincia text, comune text)";
            schema << "insert into tblLatitudini values ('TO','Torino')"
                   << fixture::Radiazione("TO", "Torino", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
            auto b = Apri(schema, false);
            Risponditore r;
            ScegliConMouse(Controllo<QComboBox>(*b->w, "cmbProvincia"), "TO");
            ScegliConMouse(Controllo<QComboBox>(*b->w, "cmbComuneLat"), "Torino");
            QTRY_COMPARE(r.testi.size(), 1);
            QVERIFY2(r.dettagli.first().contains("no such column: latitudine"), qPrintable(r.dettagli.first()));
            Chiudi(b);
        }
    }

    void centomilaRighe()
    {
        QStringList righe = {"begin"};
        righe << "insert into tblRadiazioni values ('GR','Uno',1,1,1,1,1,1,1,1,1,1,1,1)";
        righe << "create table numeri (i integer primary key)"
              << "insert into numeri select value from generate_series(1, 100000)";
        auto b = std::make_unique<Banco>();
        QStringList tutte = fixture::Standard();
        tutte << "insert into tblRadiazioni values ('GR','Uno',1,1,1,1,1,1,1,1,1,1,1,1)";
        tutte << "with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
                 "insert into tblLatitudini select 'GR', 'Comune ' || substr('00000' || i, -6), 40 + i / 100000.0 from n";
        QCOMPARE(fixture::Scrivi(b->file(), tutte), QString());
        b->impronta = fixture::Impronta(b->file());
        b->w = std::make_unique<frmFv>(nullptr, b->cartella.path());
        b->w->show();
        QVERIFY(QTest::qWaitForWindowExposed(b->w.get()));
        ++casi;
        Risponditore r;
        QElapsedTimer t;
        t.start();
        ScegliConFrecce(Controllo<QComboBox>(*b->w, "cmbProvincia"), Controllo<QComboBox>(*b->w, "cmbProvincia")->findText("GR"));
        qInfo("a province of 100,000 towns listed in %lld ms", t.elapsed());
        QCOMPARE(Controllo<QComboBox>(*b->w, "cmbComuneLat")->count(), 100000);
        t.restart();
        ScegliConMouse(Controllo<QComboBox>(*b->w, "cmbComuneLat"), "Comune 100000");
        qInfo("the last of them picked by mouse in %lld ms", t.elapsed());
        QCOMPARE(Controllo<QLineEdit>(*b->w, "txtLatitudine")->text(), "41");
        QVERIFY(r.testi.isEmpty());
        Chiudi(b);
    }

    void bloccatoDaUnAltroProcesso()
    {
        auto b = Apri({});
        Risponditore r;
        QProcess altro;
        altro.start("sqlite3", {b->file()});
        QVERIFY(altro.waitForStarted());
        altro.write("begin exclusive;\nselect 'bloccato';\n");
        QVERIFY(altro.waitForReadyRead(5000));
        QElapsedTimer t;
        t.start();
        ScegliConMouse(Controllo<QComboBox>(*b->w, "cmbProvincia"), "TO");
        QTRY_COMPARE(r.testi.size(), 1);
        QVERIFY2(r.dettagli.first().contains("database is locked"), qPrintable(r.dettagli.first()));
        QVERIFY(r.testi.first().contains("bloccato"));
        QVERIFY(t.elapsed() < 4000);
        altro.write("rollback;\n.quit\n");
        altro.closeWriteChannel();
        QVERIFY(altro.waitForFinished(5000));
        // Once the other process lets go, the same pick works.
        ScegliConMouse(Controllo<QComboBox>(*b->w, "cmbProvincia"), "TO");
        QCOMPARE(Controllo<QComboBox>(*b->w, "cmbComuneRad")->count(), 3);
        Chiudi(b);
    }

    void fileECartellaInSolaLettura()
    {
        auto b = Apri({});
        b->w.reset();
        QVERIFY(::chmod(QFile::encodeName(b->file()).constData(), 0444) == 0);
        QVERIFY(::chmod(QFile::encodeName(b->cartella.path()).constData(), 0555) == 0);
        b->w = std::make_unique<frmFv>(nullptr, b->cartella.path());
        b->w->show();
        QVERIFY(QTest::qWaitForWindowExposed(b->w.get()));
        Risponditore r;
        frmFv& w = *b->w;
        ScegliSito(w, "TO", "Esempio", "Erba");
        QTest::mouseClick(Controllo<QPushButton>(w, "cmdCalcola"), Qt::LeftButton);
        QVERIFY(!Controllo<QLineEdit>(w, "txtEnergia")->text().isEmpty());
        QVERIFY(r.testi.isEmpty());
        Chiudi(b);
        ::chmod(QFile::encodeName(b->cartella.path()).constData(), 0755);
    }

    void cleanupTestCase() { qInfo("%d hostile or read-only data files tried", casi); }
};

QTEST_MAIN(TestOstili)
#include "tst_ostili.moc"
