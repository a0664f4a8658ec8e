// SPDX-License-Identifier: MIT
// Access data files: each fixture (see fixtures/access/README.md) read as
// data.mdb through the data layer, values and NULLs as written and doubles
// to the last bit, the file never touched; and the data tool's two commands,
// their checks and their all-or-nothing output.
#include "data/accesso.h"
#include "data/cascata.h"
#include "data/csv.h"

#include <mdbtools.h>

#include "fixture.h"
#include "registro_sito.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

const QString kFixture = QStringLiteral(FV_FIXTURE_ACCESSO);

struct Esito {
    int codice;
    QString errori;
};

Esito Strumento(const QStringList& argomenti)
{
    QProcess p;
    p.start(QStringLiteral(FV_STRUMENTO), argomenti);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

// The first value of a query on an SQLite file, as text.
QString Valore(const QString& file, const QString& sql, const QString& fornito = {})
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (!fornito.isEmpty()) // the bundled data beside it, as "fornito"
        sqlite3_exec(db, ("attach database '" + fornito.toStdString() + "' as fornito").c_str(), nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    QString v;
    if (sqlite3_step(st) == SQLITE_ROW)
        v = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return v;
}

} // namespace

class TestAccesso : public QObject {
    Q_OBJECT

    QTemporaryDir cartella;
    std::unique_ptr<fv::Recordset> rs;
    QString sqlText;

    QString Copia(const QString& fixture)
    {
        const QString data = cartella.filePath("data.mdb");
        QFile::remove(data);
        QFile::copy(kFixture + '/' + fixture, data);
        return data;
    }

private slots:
    void fixture_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* f : {"pv_v2000.mdb", "pv_v2003.mdb", "pv_v2007.accdb", "pv_extra_v2000.mdb"})
            QTest::newRow(f) << f;
    }
    void fixture()
    {
        QFETCH(QString, file);
        const QString data = Copia(file);
        const QByteArray prima = fixture::Impronta(data);
        const QDateTime modifica = QFileInfo(data).lastModified();
        fv::Funzioni f(cartella.path());
        const fv::ContestoDati c{f, rs, sqlText};
        const fv::FormatoNumeri formato = fv::FormatoNumeri::C();
        RegistroSito r;
        fv::CaricaElenchiIniziali(c, r);
        QCOMPARE(r.riflettanze, QStringList({"Erba", "Neve fresca", "Asfalto", "Calcestruzzo", "Acqua"}));
        QCOMPARE(r.province, QStringList({"AQ", "FC", "LE", "MI", "RM", "TO"}));
        fv::ProvinciaScelta(c, "TN", r);
        QCOMPARE(r.comuniLat.first().size(), 100); // the longest name, whole
        fv::ComuneRadScelto(c, "MI", "Milano", fv::kGiorniMese, formato, r);
        QCOMPARE(r.radOriz, (fv::MonthlySeries{1.59, 2.54, 3.77, 4.39, 5.28, 6.04, 6.21, 5.28, 3.85, 2.40, 1.59, 1.28}));
        fv::ComuneLatScelto(c, "LE", "Castro", formato, r);
        QCOMPARE(r.latitudine, "40");
        fv::ComuneLatScelto(c, "AO", "Pré-Saint-Didier", formato, r);
        QCOMPARE(r.latitudine, "45.7645");
        // A NULL stays a NULL: Forlì's August and Ortisei's latitude.
        QVERIFY_THROWS_EXCEPTION(fv::ErroreDati, fv::ComuneRadScelto(c, "FC", "Forlì", fv::kGiorniMese, formato, r));
        QVERIFY_THROWS_EXCEPTION(fv::ErroreDati, fv::ComuneLatScelto(c, "BZ", "Ortisei", formato, r));
        QCOMPARE(fixture::Impronta(data), prima);
        QCOMPARE(QFileInfo(data).lastModified(), modifica);
    }

    void tipiDiUnFileUtente()
    {
        // Single, Numeric, Currency and latitudes as text, read as stored.
        Copia("pv_tipi_v2000.mdb");
        fv::Funzioni f(cartella.path());
        const fv::ContestoDati c{f, rs, sqlText};
        RegistroSito r;
        fv::ComuneRadScelto(c, "BZ", "Ortisei", fv::kGiorniMese, fv::FormatoNumeri::C(), r);
        QCOMPARE(r.radOriz, (fv::MonthlySeries{double(1.1f), double(2.2f), 3.25, double(4.4f), 5.5, double(6.1f), 6.3,
                                               5.4, 4.0125, 2.7375, 1.45, 0.95}));
        fv::ComuneLatScelto(c, "MI", "Milano", fv::FormatoNumeri::C(), r);
        QCOMPARE(r.latitudine, "45.4642");
        fv::ComuneLatScelto(c, "MI", "Milano", fv::FormatoNumeri::Italiano(), r);
        QCOMPARE(r.latitudine, "45,4642");
        fv::ComuneLatScelto(c, "RM", "Roma", fv::FormatoNumeri::Italiano(), r);
        QCOMPARE(r.latitudine, "41,9028");
        fv::RiflettanzaScelta(c, "Calcestruzzo", fv::FormatoNumeri::C(), r);
        QCOMPARE(r.riflettanza, "0.300000011920929");
    }

    void numeriMemorizzati()
    {
        // Each type's own bytes, followed by bytes that must not be read.
        const auto leggi = [](int tipo, std::vector<unsigned char> byte, int scala = 0) {
            const int n = int(byte.size());
            byte.insert(byte.end(), 8, 0xAA);
            return fv::NumeroMemorizzato(tipo, byte.data(), n, scala);
        };
        QCOMPARE(leggi(MDB_INT, {0xFE, 0xFF}), -2.0);
        QCOMPARE(leggi(MDB_INT, {0xFF, 0x7F}), 32767.0);
        QCOMPARE(leggi(MDB_LONGINT, {0x15, 0xCD, 0x5B, 0x07}), 123456789.0);
        QCOMPARE(leggi(MDB_LONGINT, {0xFF, 0xFF, 0xFF, 0xFF}), -1.0);
        QCOMPARE(leggi(MDB_MONEY, {0xEF, 0x6A, 0, 0, 0, 0, 0, 0}), 2.7375);
        QCOMPARE(leggi(MDB_NUMERIC, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x64, 0x96, 0, 0}, 4), 3.85);
        QCOMPARE(leggi(MDB_NUMERIC, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x64, 0x96, 0, 0}, 4), -3.85);
        QCOMPARE(leggi(MDB_FLOAT, {0xCD, 0xCC, 0x8C, 0x3F}), double(1.1f));
        // A length that is not the type's is no number at all.
        QVERIFY(!leggi(MDB_INT, {0xFE, 0xFF, 0xFF, 0xFF}));
        QVERIFY(!leggi(MDB_LONGINT, {0x15, 0xCD}));
        QVERIFY(!leggi(MDB_MONEY, {0xEF, 0x6A, 0, 0}));
    }

    void doppiAlBit()
    {
        Copia("pv_precisione_v2000.mdb");
        fv::Funzioni f(cartella.path());
        const fv::ContestoDati c{f, rs, sqlText};
        const fv::FormatoNumeri formato = fv::FormatoNumeri::C();
        RegistroSito r;
        fv::ComuneRadScelto(c, "MI", "Milano", fv::kGiorniMese, formato, r);
        for (int m = 1; m <= 12; ++m)
            QCOMPARE(r.radOriz[std::size_t(m - 1)], m / 3.0 + 0.1 + 0.2);
        fv::ComuneLatScelto(c, "MI", "Milano", formato, r);
        QCOMPARE(r.latitudine.toDouble(), 45.464203750000004);
        fv::RiflettanzaScelta(c, "Somma", formato, r);
        QCOMPARE(r.riflettanza.toDouble(), 0.1 + 0.2);
        fv::RiflettanzaScelta(c, "Minimo", formato, r);
        QCOMPARE(r.riflettanza.toDouble(), 2.2250738585072014e-308);
    }

    void tabellaMancante()
    {
        const QString data = Copia("pv_senza_radiazioni_v2000.mdb");
        fv::Funzioni f(cartella.path());
        RegistroSito r;
        try {
            fv::CaricaElenchiIniziali({f, rs, sqlText}, r);
            QFAIL("no error");
        } catch (const fv::ErroreDati& e) {
            QCOMPARE(e.tipo(), fv::ErroreDati::Tipo::Accesso);
            QCOMPARE(e.codice(), fv::CodiceDati::TabellaMancante);
            QCOMPARE(e.tabella(), "tblRadiazioni");
            QCOMPARE(e.file(), data); // the user's file, not the tool's working copy
        }
        // A damaged Access file: the tool fails, the program goes on with a message.
        QFile danneggiato(Copia("pv_v2000.mdb"));
        QVERIFY(danneggiato.open(QIODevice::ReadWrite));
        danneggiato.resize(3000);
        danneggiato.close();
        try {
            fv::CaricaElenchiIniziali({f, rs, sqlText}, r);
            QFAIL("no error");
        } catch (const fv::ErroreDati& e) {
            QCOMPARE(e.codice(), fv::CodiceDati::Danneggiato);
        }
        QCOMPARE(fv::Funzioni::ConnessioniAperte(), 0);
    }

    void lettoreCheMuore()
    {
        // A file on which libmdb dereferences a null pointer (found by
        // fuzzing), padded to whole pages so that the reader reaches it: the
        // tool says the file is damaged and leaves nothing behind; so does
        // the window's data layer, which runs the tool.
        const QString danneggiato = cartella.filePath("nulla.mdb");
        QFile::remove(danneggiato);
        QVERIFY(QFile::copy(kFixture + "/danneggiati/mappa_utilizzo_nulla.mdb", danneggiato));
        QFile f(danneggiato);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(73728));
        f.close();
        const QString uscita = cartella.filePath("nulla-uscita.mdb");
        const Esito e = Strumento({"converti", danneggiato, uscita});
        QCOMPARE(e.codice, int(fv::CodiceDati::Danneggiato));
        QVERIFY2(e.errori == QStringLiteral("calcolo-fv-dati: il file «%1» è danneggiato: non si lascia leggere.\n").arg(danneggiato),
                 qPrintable(e.errori));
        QCOMPARE(QDir(cartella.path()).entryList({"nulla-uscita*"}), QStringList());
        QFile::remove(cartella.filePath("data.mdb"));
        QVERIFY(QFile::copy(danneggiato, cartella.filePath("data.mdb")));
        fv::Funzioni funzioni(cartella.path());
        RegistroSito r;
        try {
            fv::CaricaElenchiIniziali({funzioni, rs, sqlText}, r);
            QFAIL("no error");
        } catch (const fv::ErroreDati& errore) {
            QCOMPARE(errore.codice(), fv::CodiceDati::Danneggiato);
        }
    }

    void converti()
    {
        const QString uscita = cartella.filePath("convertito.mdb");
        QCOMPARE(Strumento({"converti", kFixture + "/pv_precisione_v2000.mdb", uscita}).codice, 0);
        QCOMPARE(Valore(uscita, "select printf('%!.17g', riflettanza) from tblRiflettanza where superficie = 'Somma'"), "0.30000000000000004");
        QCOMPARE(Valore(uscita, "select printf('%!.17g', latitudine) from tblLatitudini where comune = 'Torino'"), "44.333333333333336");
        // Never over an existing file without --sovrascrivi, never a half file.
        const Esito di_nuovo = Strumento({"converti", kFixture + "/pv_v2000.mdb", uscita});
        QVERIFY(di_nuovo.codice != 0 && di_nuovo.errori.contains("--sovrascrivi"));
        QCOMPARE(Valore(uscita, "select count(*) from tblLatitudini"), "2");
        QCOMPARE(Strumento({"converti", kFixture + "/pv_v2000.mdb", uscita, "--sovrascrivi"}).codice, 0);
        QCOMPARE(Valore(uscita, "select count(*) from tblLatitudini"), "12");
        QCOMPARE(Valore(uscita, "select quote(ago) from tblRadiazioni where comune = 'Forlì'"), "NULL");
        QVERIFY(Strumento({"--help"}).codice == 0);
        // Every format: the rows as the fixtures' README gives them.
        for (const char* f : {"pv_v2003.mdb", "pv_v2007.accdb", "pv_extra_v2000.mdb"}) {
            QCOMPARE(Strumento({"converti", kFixture + '/' + f, uscita, "--sovrascrivi"}).codice, 0);
            QCOMPARE(Valore(uscita, "select count(*) || ' ' || sum(latitudine is null) from tblLatitudini"), "12 1");
            QCOMPARE(Valore(uscita, "select count(*) || ' ' || group_concat(comune) from tblRadiazioni where provincia in ('FC', 'LE')"), "2 Forlì,Castro");
            QCOMPARE(Valore(uscita, "select group_concat(superficie || '=' || riflettanza) from tblRiflettanza"),
                     "Erba=0.2,Neve fresca=0.75,Asfalto=0.1,Calcestruzzo=0.3,Acqua=0.07");
        }
    }

    void crea()
    {
        const QString csv = cartella.filePath("mie.csv");
        const auto scrivi = [&](const QByteArray& testo) {
            QFile f(csv);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(testo);
        };
        // As a spreadsheet writes it: byte-order mark, semicolons, decimal commas, CRLF.
        scrivi("\xEF\xBB\xBFprovincia;comune;gen;feb;mar;apr;mag;giu;lug;ago;set;ott;nov;dic\r\n"
               "TO;Torino;1,6;2,5;3,7;4,5;5,2;5,9;6,2;5,1;3,8;2,6;1,7;1,3\r\n");
        const QString uscita = cartella.filePath("creato.mdb");
        QCOMPARE(Strumento({"crea", uscita, "--radiazioni", csv}).codice, 0);
        QCOMPARE(Valore(uscita, "select quote(gen) || ' ' || quote(dic) from tblRadiazioni where provincia = 'TO' and comune = 'Torino'"), "1.6 1.3");
        QCOMPARE(Valore(uscita, "select count(*) from tblRadiazioni"), "7896");
        QCOMPARE(Valore(uscita, "select count(*) from tblCoordinate"), "7896"); // the map's too
        // Exactly that row changed: every other one as the bundled data have it.
        QCOMPARE(Valore(uscita, QStringLiteral("select count(*) from tblRadiazioni n join fornito.tblRadiazioni f "
                                               "using (provincia, comune) where (n.gen, n.feb, n.mar, n.apr, n.mag, "
                                               "n.giu, n.lug, n.ago, n.\"set\", n.ott, n.nov, n.dic) is not (f.gen, "
                                               "f.feb, f.mar, f.apr, f.mag, f.giu, f.lug, f.ago, f.\"set\", f.ott, "
                                               "f.nov, f.dic)"),
                        QStringLiteral(FV_DATA_MDB)),
                 "1");
        // Each bad row stops the tool with its line and leaves no file.
        // A name with a trailing space is the comune's own: its row is replaced.
        scrivi("provincia;comune;gen;feb;mar;apr;mag;giu;lug;ago;set;ott;nov;dic\nTO;Torino ;1;2;3;4;5;6;7;6;5;4;3;2\n");
        QCOMPARE(Strumento({"crea", uscita, "--radiazioni", csv, "--sovrascrivi"}).codice, 0);
        QCOMPARE(Valore(uscita, "select count(*) || ' ' || max(gen) from tblRadiazioni where provincia = 'TO' and comune like 'Torino%'"), "1 1.0");
        QCOMPARE(Valore(uscita, "select count(*) from tblRadiazioni"), "7896");
        // A new comune only when asked.
        scrivi("provincia;comune;gen;feb;mar;apr;mag;giu;lug;ago;set;ott;nov;dic\nTO;Borgo Nuovo;1;2;3;4;5;6;7;6;5;4;3;2\n");
        QVERIFY(Strumento({"crea", uscita, "--radiazioni", csv, "--sovrascrivi"}).errori.contains("--aggiungi-comuni"));
        QCOMPARE(Strumento({"crea", uscita, "--radiazioni", csv, "--sovrascrivi", "--aggiungi-comuni"}).codice, 0);
        QCOMPARE(Valore(uscita, "select count(*) from tblRadiazioni"), "7897");
        QVERIFY(Strumento({"crea", uscita, "--radiazioni"}).errori.contains("manca il nome del file CSV dopo --radiazioni"));
        const std::pair<QByteArray, QString> cattive[] = {
            {"TO;Torino;1;2;3;4;5;6;7;6;5;4;3", "riga 3: servono provincia, comune e 12 valori mensili, ce ne sono 11"},
            {"TO;Torino;1;2;tanto;4;5;6;7;6;5;4;3;2", "riga 3: il valore di «mar» non è un numero («tanto»)"},
            {"TO;Torino;1;2;3;4;50,5;6;7;6;5;4;3;2", "riga 3: il valore di «mag» è «50,5»"},
            {"TO;Torino;0x1;2;3;4;5;6;7;6;5;4;3;2", "riga 3: il valore di «gen» non è un numero («0x1»)"},
            {"ZZ;Torino;1;2;3;4;5;6;7;6;5;4;3;2", "riga 3: la provincia «ZZ»"},
            {"TO;Torinoo;1;2;3;4;5;6;7;6;5;4;3;2", "riga 3: il comune «Torinoo» non è tra quelli di TO (forse «Torino»"},
            {"TO;Moncalieri;1;2;3;4;5;6;7;6;5;4;3;2", "riga 3: il comune «Moncalieri» (TO) è già in"},
            {"TO;Qwertyuiop;1;2;3;4;5;6;7;6;5;4;3;2", "riga 3: il comune «Qwertyuiop» non è tra quelli di TO; per aggiungerlo"},
            {"GO;Savogna d'Isonzo-Sovodnje ob So\xe8i;1;2;3;4;5;6;7;6;5;4;3;2", "riga 3: il testo non è UTF-8"},
        };
        for (const auto& [riga, atteso] : cattive) {
            scrivi("provincia;comune;gen;feb;mar;apr;mag;giu;lug;ago;set;ott;nov;dic\nTO;Moncalieri;1;1;1;1;1;1;1;1;1;1;1;1\n" + riga + "\n");
            const QString nuovo = cartella.filePath("mai.mdb");
            const Esito e = Strumento({"crea", nuovo, "--radiazioni", csv});
            QVERIFY2(e.codice != 0 && e.errori.contains(atteso) && e.errori.count('\n') == 1, qPrintable(e.errori));
            QCOMPARE(QDir(cartella.path()).entryList({"mai.mdb*"}), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestAccesso)
#include "tst_accesso.moc"
