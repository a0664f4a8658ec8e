// SPDX-License-Identifier: MIT
// The data routines and the site operations against database files written
// by the test: quoting, reserved words, homonyms, damaged and missing files,
// and no connection left open after any sequence.
#include "data/cascata.h"
#include "data/catalogo.h"
#include "data/funzioni.h"

#include "fixture.h"
#include "registro_sito.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using fv::ErroreDati;
using fv::Funzioni;
using fv::FormatoNumeri;

class TestDati : public QObject {
    Q_OBJECT

    QTemporaryDir cartella;
    QString file;
    std::unique_ptr<fv::Recordset> rs;
    QString sqlText;

    fv::ContestoDati Contesto(Funzioni& f) { return {f, rs, sqlText}; }

    ErroreDati::Tipo TipoErrore(const std::function<void()>& azione, QString* messaggio = nullptr)
    {
        try {
            azione();
        } catch (const ErroreDati& e) {
            if (messaggio)
                *messaggio = e.messaggio();
            return e.tipo();
        }
        QTest::qFail("no data error", __FILE__, __LINE__);
        return ErroreDati::Tipo::Motore;
    }

private slots:
    void initTestCase() { std::setlocale(LC_ALL, ""); }

    void init()
    {
        QVERIFY(cartella.isValid());
        file = cartella.filePath("data.mdb");
        QFile::remove(file);
        QCOMPARE(fixture::Scrivi(file, fixture::Standard()), QString());
    }

    void cleanup()
    {
        // The calling discipline: nothing is left open after any sequence.
        QCOMPARE(Funzioni::ConnessioniAperte(), 0);
        QVERIFY(!rs);
    }

    void raddoppiaApici_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("one") << "'" << "''";
        QTest::newRow("two") << "''" << "''''";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("inside") << "Sant'Angelo" << "Sant''Angelo";
        QTest::newRow("double quotes untouched") << "a\"b\"" << "a\"b\"";
        QTest::newRow("accents untouched") << "Forlì" << "Forlì";
    }
    void raddoppiaApici()
    {
        QFETCH(QString, testo);
        QFETCH(QString, atteso);
        QCOMPARE(Funzioni::RaddoppiaApici(testo), atteso);
    }

    void catalogo()
    {
        // The texts as the catalogue gives them (kept in sqlText), and the one
        // reserved column name quoted for the engine, never inside a literal.
        using namespace fv::sql;
        QCOMPARE(SqlSuperfici().testo, "select superficie from tblRiflettanza");
        QCOMPARE(SqlProvince().testo, "select distinct provincia from tblRadiazioni order by provincia");
        QCOMPARE(SqlComuniLatitudine("D'Ora").testo, "select comune from tblLatitudini where provincia='D''Ora' order by comune");
        QCOMPARE(SqlComuniRadiazione("TO").testo, "select comune from tblRadiazioni where provincia='TO' order by comune");
        QCOMPARE(SqlRadiazioniComune("LE", "Castro set").testo,
                 "select gen,feb,mar,apr,mag,giu,lug,ago,set,ott,nov,dic from tblRadiazioni where provincia='LE' and comune='Castro set'");
        QCOMPARE(SqlRadiazioniComune("LE", "Castro set").motore,
                 "select gen,feb,mar,apr,mag,giu,lug,ago,\"set\",ott,nov,dic from tblRadiazioni where provincia='LE' and comune='Castro set'");
        QCOMPARE(SqlLatitudineComune("TO", "Sant'Antonino di Susa").testo,
                 "select latitudine from tblLatitudini where provincia='TO' and comune='Sant''Antonino di Susa'");
        QCOMPARE(SqlRiflettanzaSuperficie("").testo, "select riflettanza from tblRiflettanza where superficie=''");
        QCOMPARE(SqlRiflettanzaSuperficie("?").motore, "select riflettanza from tblRiflettanza where superficie='?'");
        QCOMPARE(QuotaColonneRiservate("select set, offset from t where c='set' and set=1"),
                 "select \"set\", offset from t where c='set' and \"set\"=1");
    }

    void recordset()
    {
        Funzioni f(cartella.path());
        f.ApriConnessione();
        f.ApriRecordset(rs, fv::sql::SqlRadiazioniComune("TO", "Esempio"));
        QVERIFY(!rs->Eof());
        QCOMPARE(rs->Campo(0).toDouble(), 1.5);
        QCOMPARE(rs->Campo(5).toDouble(), 6.5);
        QCOMPARE(rs->Campo("set").toDouble(), 4.5); // query 5 runs as written
        rs->MoveNext();
        QVERIFY(rs->Eof());
        f.ChiudiRecordset(rs);
        f.ApriRecordset(rs, QStringLiteral("select comune from tblLatitudini where comune='nessuno'"));
        QVERIFY(rs->Eof()); // no rows: at its end at once
        f.ChiudiRecordset(rs);
        f.ChiudiConnessione();
        QVERIFY(!f.ConnessioneAperta());
    }

    void cartellaDiLavoro()
    {
        // Without a folder, data.mdb is looked up in the working directory.
        const QString prima = QDir::currentPath();
        QDir::setCurrent(cartella.path());
        Funzioni f;
        RegistroSito r;
        fv::CaricaElenchiIniziali(Contesto(f), r);
        QDir::setCurrent(prima);
        QCOMPARE(r.province, QStringList({"BG", "D'Ora", "LE", "SR", "TO"}));
    }

    void elenchiIniziali()
    {
        Funzioni f(cartella.path());
        RegistroSito r;
        fv::CaricaElenchiIniziali(Contesto(f), r);
        // Surface types in stored order, provinces once each and ascending.
        QCOMPARE(r.riflettanze, QStringList({"Erba", "Neve fresca", "Tetto d'ardesia", "Asfalto"}));
        QCOMPARE(r.province, QStringList({"BG", "D'Ora", "LE", "SR", "TO"}));
        QCOMPARE(sqlText, fv::sql::SqlProvince().testo);
    }

    void provincia()
    {
        Funzioni f(cartella.path());
        RegistroSito r;
        r.comuniLat << "vecchio";
        fv::ProvinciaScelta(Contesto(f), "TO", r);
        QCOMPARE(r.svuotamenti, 2);
        QCOMPARE(r.comuniLat, QStringList({"Esempio", "Sant'Antonino di Susa", "Torino"}));
        QCOMPARE(r.comuniRad, QStringList({"Esempio", "Torino", "Uno"}));
        fv::ProvinciaScelta(Contesto(f), "D'Ora", r);
        QCOMPARE(r.comuniLat, QStringList({"L'Isola"}));
        // A province with towns in one table only fills one list.
        fv::ProvinciaScelta(Contesto(f), "SO", r);
        QCOMPARE(r.comuniLat, QStringList({"Solo latitudine"}));
        QVERIFY(r.comuniRad.isEmpty());
    }

    void omonimi()
    {
        Funzioni f(cartella.path());
        for (const FormatoNumeri& fmt : {FormatoNumeri::Italiano(), FormatoNumeri::C()}) {
            RegistroSito bg, le;
            fv::ComuneLatScelto(Contesto(f), "BG", "Castro", fmt, bg);
            fv::ComuneLatScelto(Contesto(f), "LE", "Castro", fmt, le);
            QCOMPARE(bg.latitudine, fmt.decimale == "," ? "45,8" : "45.8");
            QCOMPARE(le.latitudine, "40");
            fv::ComuneRadScelto(Contesto(f), "BG", "Castro", fv::kGiorniMese, fmt, bg);
            fv::ComuneRadScelto(Contesto(f), "LE", "Castro", fv::kGiorniMese, fmt, le);
            QCOMPARE(bg.radOriz[0], 1.1);
            QCOMPARE(le.radOriz[0], 2.2);
        }
    }

    void valori()
    {
        Funzioni f(cartella.path());
        const FormatoNumeri it = FormatoNumeri::Italiano();
        RegistroSito r;
        fv::ComuneRadScelto(Contesto(f), "TO", "Uno", fv::kGiorniMese, it, r);
        QCOMPARE(r.radOriz[0], 4.125);   // held as read
        QCOMPARE(r.mesi[0], "4,12");     // shown half to even
        QCOMPARE(r.mesi[1], "1");
        QCOMPARE(r.totAnnua, "462");     // 4.125 x 31 + 334 = 461.875, from the values as read
        fv::ComuneRadScelto(Contesto(f), "D'Ora", "L'Isola", fv::kGiorniMese, it, r);
        QCOMPARE(r.totAnnua, "365");     // February has 28 days
        fv::ComuneLatScelto(Contesto(f), "TO", "Sant'Antonino di Susa", it, r);
        QCOMPARE(r.latitudine, "45,1");
        fv::RiflettanzaScelta(Contesto(f), "Tetto d'ardesia", it, r);
        QCOMPARE(r.riflettanza, "0,1");
        fv::RiflettanzaScelta(Contesto(f), "NEVE FRESCA", it, r); // matched without regard to case
        QCOMPARE(r.riflettanza, "0,75");
    }

    void nullETesti()
    {
        QCOMPARE(fixture::Scrivi(file, {
            "insert into tblRiflettanza values (null, 0.3)",
            "insert into tblRiflettanza values ('Vuota', null)",
            "insert into tblRiflettanza values ('Testo', '0.35')",
            "insert into tblRiflettanza values ('Parola', 'molto')",
            "insert into tblRadiazioni values ('TO','Buco',1,2,3,null,5,6,7,8,9,10,11,12)",
            "insert into tblLatitudini values ('TO','Virgola','45,25')",
        }), QString());
        Funzioni f(cartella.path());
        const FormatoNumeri it = FormatoNumeri::Italiano();
        RegistroSito r;
        fv::CaricaElenchiIniziali(Contesto(f), r);
        QCOMPARE(r.riflettanze.size(), 7); // the null is skipped
        QString messaggio;
        QCOMPARE(TipoErrore([&] { fv::RiflettanzaScelta(Contesto(f), "Vuota", it, r); }, &messaggio),
                 ErroreDati::Tipo::ValoreNullo);
        QVERIFY(messaggio.contains("Vuota"));
        // A null in April: the twelve are loaded all or nothing, so no month is stored.
        RegistroSito buco;
        QCOMPARE(TipoErrore([&] { fv::ComuneRadScelto(Contesto(f), "TO", "Buco", fv::kGiorniMese, it, buco); }),
                 ErroreDati::Tipo::ValoreNullo);
        QCOMPARE(buco.mesi.size(), 0);
        QCOMPARE(buco.radOriz, fv::MonthlySeries{});
        QVERIFY(buco.totAnnua.isEmpty());
        // Numbers stored as text in either notation.
        fv::RiflettanzaScelta(Contesto(f), "Testo", it, r);
        QCOMPARE(r.riflettanza, "0,35");
        fv::ComuneLatScelto(Contesto(f), "TO", "Virgola", it, r);
        QCOMPARE(r.latitudine, "45,25");
        QCOMPARE(TipoErrore([&] { fv::RiflettanzaScelta(Contesto(f), "Parola", it, r); }),
                 ErroreDati::Tipo::ValoreNonNumerico);
        // A chosen item with no row.
        QCOMPARE(TipoErrore([&] { fv::ComuneLatScelto(Contesto(f), "TO", "Altrove", it, r); }),
                 ErroreDati::Tipo::NessunaRiga);
    }

    void fileMancante()
    {
        QTemporaryDir vuota;
        Funzioni f(vuota.path());
        RegistroSito r;
        QCOMPARE(TipoErrore([&] { fv::CaricaElenchiIniziali(Contesto(f), r); }), ErroreDati::Tipo::FileMancante);
        QVERIFY(!QFile::exists(vuota.filePath("data.mdb"))); // no file appears
        QCOMPARE(f.PercorsoFile(), vuota.filePath("data.mdb"));
    }

    void fileDanneggiati_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("text file") << QByteArray("provincia,comune\nTO,Torino\n").repeated(20) << "file is not a database";
        QTest::newRow("empty header") << QByteArray(200, '\0') << "not a database";
        QTest::newRow("truncated") << QByteArray() << "malformed";
    }
    void fileDanneggiati()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, messaggio);
        if (contenuto.isEmpty()) {
            // A real database cut after its first pages.
            QStringList righe = fixture::Standard();
            for (int i = 0; i < 3000; ++i)
                righe << fixture::Latitudine("ZZ", QStringLiteral("Comune %1").arg(i), 40 + i / 1000.0);
            QFile::remove(file);
            QCOMPARE(fixture::Scrivi(file, righe), QString());
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            contenuto = f.read(f.size() / 2);
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contenuto);
        f.close();
        const QByteArray prima = fixture::Impronta(file);
        Funzioni fz(cartella.path());
        QString testo;
        RegistroSito vista;
        // Found at the opening (a truncated file) or by the first query.
        QCOMPARE(TipoErrore([&] { fv::CaricaElenchiIniziali(Contesto(fz), vista); }, &testo),
                 ErroreDati::Tipo::Motore);
        QVERIFY2(testo.contains(messaggio), qPrintable(testo));
        QVERIFY(!fz.ConnessioneAperta());
        QCOMPARE(fixture::Impronta(file), prima);
    }

    void tabelle()
    {
        QCOMPARE(fixture::Scrivi(file, {"delete from tblRiflettanza", "drop table tblLatitudini"}), QString());
        Funzioni f(cartella.path());
        RegistroSito r;
        fv::CaricaElenchiIniziali(Contesto(f), r); // an empty table: an empty list
        QVERIFY(r.riflettanze.isEmpty());
        QCOMPARE(r.province.size(), 5);
        QString testo;
        QCOMPARE(TipoErrore([&] { fv::ProvinciaScelta(Contesto(f), "TO", r); }, &testo), ErroreDati::Tipo::Motore);
        QVERIFY(testo.contains("no such table"));
        QCOMPARE(sqlText, fv::sql::SqlComuniLatitudine("TO").testo);
    }

    void testoConNul()
    {
        Funzioni f(cartella.path());
        f.ApriConnessione();
        QString sql = "select comune from tblLatitudini where comune='x";
        sql += QChar(u'\0');
        sql += "' or 1=1 --'";
        QCOMPARE(TipoErrore([&] { f.ApriRecordset(rs, sql); }), ErroreDati::Tipo::TestoSqlNonValido);
        QVERIFY(!rs);
        f.ChiudiConnessione();
    }

    void iniezione()
    {
        // A chosen text that looks like SQL is only ever a literal.
        const QByteArray prima = fixture::Impronta(file);
        Funzioni f(cartella.path());
        RegistroSito r;
        fv::ProvinciaScelta(Contesto(f), "x'; drop table tblRadiazioni; --", r);
        fv::ProvinciaScelta(Contesto(f), "' or '1'='1", r);
        QVERIFY(r.comuniLat.isEmpty());
        QVERIFY(r.comuniRad.isEmpty());
        fv::CaricaElenchiIniziali(Contesto(f), r);
        QCOMPARE(r.province.size(), 5);
        QCOMPARE(fixture::Impronta(file), prima); // never written
    }
};

QTEST_GUILESS_MAIN(TestDati)
#include "tst_dati.moc"
