// SPDX-License-Identifier: MIT
// The data.mdb that the build makes from the bundled dataset.
#include "data/cascata.h"
#include "data/catalogo.h"
#include "data/funzioni.h"

#include "registro_sito.h"

#include <QFileInfo>
#include <QSet>
#include <QTest>

using fv::Funzioni;

class TestDataset : public QObject {
    Q_OBJECT

    std::unique_ptr<Funzioni> funzioni;
    std::unique_ptr<fv::Recordset> rs;
    QString sqlText;

    // All rows of a query, column by column.
    QList<QVariantList> Righe(const QString& sql)
    {
        fv::SessioneDati s(*funzioni, rs, sqlText);
        fv::Recordset& r = s.Apri(sql);
        QList<QVariantList> righe;
        while (!r.Eof()) {
            QVariantList riga;
            for (int i = 0;; ++i) {
                try {
                    riga << r.Campo(i);
                } catch (const fv::ErroreDati&) {
                    break;
                }
            }
            righe << riga;
            r.MoveNext();
        }
        return righe;
    }

private slots:
    void initTestCase()
    {
        const QString percorso = qEnvironmentVariable("FV_DATA_MDB");
        QVERIFY2(QFileInfo(percorso).isFile(), qPrintable(percorso));
        funzioni = std::make_unique<Funzioni>(QFileInfo(percorso).absolutePath());
    }

    void latitudini()
    {
        const auto righe = Righe("select provincia, comune, latitudine from tblLatitudini");
        QCOMPARE(righe.size(), 7896);
        QSet<QString> chiavi;
        for (const QVariantList& r : righe) {
            const double lat = r[2].toDouble();
            QVERIFY2(lat >= 35 && lat <= 47.2, qPrintable(r[1].toString()));
            QVERIFY(!r[1].toString().isEmpty());
            chiavi.insert(r[0].toString() + '/' + r[1].toString());
        }
        QCOMPARE(chiavi.size(), 7896); // no (province, town) twice
    }

    void radiazioni()
    {
        const auto righe = Righe(fv::sql::SqlRadiazioniComune("TO", "Torino").motore.section(" where", 0, 0).replace("select ", "select provincia,"));
        QCOMPARE(righe.size(), 109);
        QSet<QString> province;
        for (const QVariantList& r : righe) {
            province.insert(r[0].toString());
            for (int m = 1; m <= 12; ++m) {
                const double v = r[m].toDouble();
                QVERIFY2(v >= 0.3 && v <= 9, qPrintable(r[0].toString()));
            }
        }
        QCOMPARE(province.size(), 107);
    }

    void riflettanze()
    {
        RegistroSito r;
        fv::CaricaElenchiIniziali({*funzioni, rs, sqlText}, r);
        QCOMPARE(r.riflettanze.size(), 14);
        QCOMPARE(r.riflettanze.first(), "Area urbana");
        // Query 2: each province once, in order.
        QCOMPARE(r.province.size(), 107);
        QStringList ordinate = r.province;
        ordinate.sort(Qt::CaseInsensitive);
        QCOMPARE(r.province, ordinate);
        QCOMPARE(QSet<QString>(r.province.begin(), r.province.end()).size(), 107);
    }

    void omonimi_data()
    {
        QTest::addColumn<QString>("comune");
        QTest::addColumn<QString>("p1");
        QTest::addColumn<QString>("p2");
        QTest::newRow("Castro") << "Castro" << "BG" << "LE";
        QTest::newRow("Livo") << "Livo" << "CO" << "TN";
        QTest::newRow("Peglio") << "Peglio" << "CO" << "PU";
        QTest::newRow("Samone") << "Samone" << "TN" << "TO";
        QTest::newRow("San Teodoro") << "San Teodoro" << "ME" << "SS";
    }
    void omonimi()
    {
        QFETCH(QString, comune);
        QFETCH(QString, p1);
        QFETCH(QString, p2);
        const fv::FormatoNumeri f = fv::FormatoNumeri::C();
        RegistroSito a, b;
        fv::ComuneLatScelto({*funzioni, rs, sqlText}, p1, comune, f, a);
        fv::ComuneLatScelto({*funzioni, rs, sqlText}, p2, comune, f, b);
        const auto atteso = [&](const QString& p) {
            return Righe(QStringLiteral("select latitudine from tblLatitudini where provincia='%1' and comune='%2'").arg(p, comune))
                .first().first().toDouble();
        };
        QCOMPARE(a.latitudine.toDouble(), atteso(p1));
        QCOMPARE(b.latitudine.toDouble(), atteso(p2));
        QVERIFY(a.latitudine != b.latitudine);
    }

    void apostrofi()
    {
        const fv::FormatoNumeri f = fv::FormatoNumeri::Italiano();
        RegistroSito r;
        fv::ProvinciaScelta({*funzioni, rs, sqlText}, "AQ", r);
        QVERIFY(r.comuniRad.contains("L'Aquila"));
        fv::ComuneRadScelto({*funzioni, rs, sqlText}, "AQ", "L'Aquila", fv::kGiorniMese, f, r);
        QVERIFY(r.radOriz[6] > 5);
        fv::ComuneLatScelto({*funzioni, rs, sqlText}, "LO", "Sant'Angelo Lodigiano", f, r);
        QCOMPARE(r.latitudine, "45,23526");
        // Accented names come through whole.
        fv::ProvinciaScelta({*funzioni, rs, sqlText}, "FC", r);
        QVERIFY(r.comuniLat.contains(QStringLiteral("Forlì")));
        QCOMPARE(Funzioni::ConnessioniAperte(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
