// SPDX-License-Identifier: MIT
// The data.mdb that the build makes from the bundled dataset.
#include "data/cascata.h"
#include "data/catalogo.h"
#include "data/funzioni.h"
#include "data/griglia.h"
#include "data/province.h"
#include "calc/orientamento.h"

#include "registro_sito.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>

namespace {

// The rows of a dataset CSV whose fields before the last hold no comma or quote.
QList<QStringList> Csv(const QString& nome)
{
    QFile f(qEnvironmentVariable("FV_DATASET") + '/' + nome);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(f.fileName()));
    QList<QStringList> righe;
    for (const QByteArray& riga : f.readAll().split('\n')) {
        if (!riga.trimmed().isEmpty())
            righe << QString::fromUtf8(riga.trimmed()).split(',');
    }
    return righe;
}

fv::GrigliaRadiazione Griglia()
{
    std::ifstream in((qEnvironmentVariable("FV_DATASET") + "/nasa-sse/griglia_italia.txt").toStdString());
    return fv::GrigliaRadiazione::Leggi(in);
}

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Scarto(const std::vector<double>& v) // sample standard deviation
{
    const double media = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
    double s = 0;
    for (double x : v)
        s += (x - media) * (x - media);
    return std::sqrt(s / double(v.size() - 1));
}

// Relative differences [%] of a monthly series from a reference: of the
// annual totals, and month by month.
struct Differenze {
    std::vector<double> annue;
    std::array<std::vector<double>, 12> mensili;
    void Aggiungi(const fv::MesiGriglia& valori, const fv::MesiGriglia& riferimento)
    {
        double a = 0, r = 0;
        for (std::size_t m = 0; m < 12; ++m) {
            a += valori[m] * fv::kGiorniMese[m];
            r += riferimento[m] * fv::kGiorniMese[m];
            mensili[m].push_back(100 * (valori[m] / riferimento[m] - 1));
        }
        annue.push_back(100 * (a / r - 1));
    }
};

} // namespace

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
    void provinceConRegioneEZona()
    {
        // Every province of the site data has its region, market zone and premium area.
        QSet<QString> province;
        const QList<QStringList> righe = Csv("latitudini.csv");
        for (qsizetype i = 1; i < righe.size(); ++i)
            province << righe[i][0];
        QCOMPARE(province.size(), 107);
        for (const QString& sigla : province) {
            const std::optional<fv::Provincia> p = fv::ProvinciaDi(sigla.toStdString());
            QVERIFY2(p && !p->regione.empty(), qPrintable(sigla));
            QVERIFY2(QStringList({"NORD", "CNOR", "CSUD", "SUD", "CALA", "SICI", "SARD"}).contains(QString::fromStdString(p->zonaMercato)),
                     qPrintable(sigla));
        }
    }

    void provinceEPopolazioneNelFileDati()
    {
        // The data file carries the same provinces' table and populations the program reads built in.
        const auto province = Righe("select sigla, zona_mercato from tblProvince");
        QCOMPARE(province.size(), 107);
        for (const QVariantList& r : province)
            QCOMPARE(r[1].toString(), QString::fromStdString(fv::ProvinciaDi(r[0].toString().toStdString())->zonaMercato));
        const auto abitanti = Righe("select provincia, comune, popolazione from tblPopolazione");
        QVERIFY(abitanti.size() > 7800);
        for (const QVariantList& r : abitanti)
            QCOMPARE(fv::PopolazioneDi(r[0].toString().toStdString(), r[1].toString().toStdString()), r[2].toInt());
        // By province and name, not by name alone: Castro (BG) and Castro (LE) differ.
        QVERIFY(fv::PopolazioneDi("bg", "castro") != fv::PopolazioneDi("LE", "Castro"));
        QVERIFY(*fv::PopolazioneDi("MI", "Milano") > 1000000);
        QVERIFY(!fv::PopolazioneDi("TP", "Misiliscemi")); // a comune born in 2021: not in the census
    }

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
        // Every comune of the latitude table has its own row, the grid
        // interpolated at its own coordinates.
        std::map<QString, std::pair<double, double>> coordinate;
        for (const QStringList& d : Csv("latitudini_dettaglio.csv").mid(1))
            coordinate[d[1] + '/' + d[2]] = {d[4].toDouble(), d[5].toDouble()};
        const fv::GrigliaRadiazione griglia = Griglia();
        const auto righe = Righe(fv::sql::SqlRadiazioniComune("TO", "Torino").motore.section(" where", 0, 0).replace("select ", "select provincia, comune,"));
        QCOMPARE(righe.size(), 7896);
        QSet<QString> chiavi;
        for (const QVariantList& r : righe) {
            const QString chiave = r[0].toString() + '/' + r[1].toString();
            chiavi.insert(chiave);
            QVERIFY2(coordinate.count(chiave), qPrintable(chiave));
            const auto [lat, lon] = coordinate.at(chiave);
            const fv::MesiGriglia atteso = griglia.Interpola(lat, lon);
            for (std::size_t m = 0; m < 12; ++m) {
                const double v = r[int(m) + 2].toDouble();
                QVERIFY2(v >= 0.3 && v <= 9, qPrintable(chiave));
                QVERIFY2(std::fabs(v - atteso[m]) <= 0.0005 + 1e-12, qPrintable(chiave));
            }
        }
        QCOMPARE(chiavi.size(), 7896);
        // The map finds every comune with its longitude.
        const fv::ComuniMappa mappa = fv::LeggiComuniMappa({*funzioni, rs, sqlText}, fv::FormatoNumeri::C());
        QCOMPARE(mappa.comuni.size(), std::size_t(7896));
        QCOMPARE(mappa.esclusi, 0);
        const auto sondrio = Righe("select * from tblRadiazioni where comune = 'Sondrio'");
        const auto bergamo = Righe("select * from tblRadiazioni where comune = 'Bergamo'");
        QVERIFY(sondrio.first().mid(2) != bergamo.first().mid(2));
    }

    void validazioneStazioni()
    {
        // The grid against the long-term ASHRAE monthly means of the stations
        // that have them, beside the stations' own typical years. The limits
        // are what this data achieves with a margin, and what a wrong
        // interpolation breaks: the cell corner taken as its centre gives an
        // annual median of -3 %, a grid shifted by a cell +3.5 %, months in
        // the wrong order monthly medians of -27 to +44 %, swapped
        // coordinates no value at all.
        const fv::GrigliaRadiazione griglia = Griglia();
        const QList<QStringList> stazioni = Csv("radiazioni_stazioni.csv");
        const QStringList testa = stazioni.first();
        const qsizetype lat = testa.indexOf("lat"), lon = testa.indexOf("lon");
        const qsizetype tipico = testa.indexOf("gen"), ashrae = testa.indexOf("ashrae_gen");
        Differenze nasa, annoTipico;
        for (const QStringList& s : stazioni.mid(1)) {
            if (s[ashrae].isEmpty())
                continue;
            fv::MesiGriglia riferimento{}, tipo{};
            for (qsizetype m = 0; m < 12; ++m) {
                riferimento[std::size_t(m)] = s[ashrae + m].toDouble();
                tipo[std::size_t(m)] = s[tipico + m].toDouble();
            }
            nasa.Aggiungi(griglia.Interpola(s[lat].toDouble(), s[lon].toDouble()), riferimento);
            annoTipico.Aggiungi(tipo, riferimento);
        }
        QCOMPARE(nasa.annue.size(), std::size_t(92));
        QString tabella = QStringLiteral("\n| | anno | gen | feb | mar | apr | mag | giu | lug | ago | set | ott | nov | dic |\n");
        for (const auto& [nome, d] : {std::pair{"NASA SSE", &nasa}, std::pair{"anno tipico", &annoTipico}}) {
            tabella += QStringLiteral("| %1 | %2 (%3)").arg(nome).arg(Mediana(d->annue), 0, 'f', 1).arg(Scarto(d->annue), 0, 'f', 1);
            for (const auto& m : d->mensili)
                tabella += QStringLiteral(" | %1 (%2)").arg(Mediana(m), 0, 'f', 1).arg(Scarto(m), 0, 'f', 1);
            tabella += " |\n";
        }
        qInfo().noquote() << "median (sd) of the differences from ASHRAE, %:" << tabella;
        QVERIFY(std::fabs(Mediana(nasa.annue)) < 1.5);
        QVERIFY(Scarto(nasa.annue) < 3);
        for (const auto& m : nasa.mensili)
            QVERIFY(Mediana(m) > -3 && Mediana(m) < 8);
    }

    void orientamentoMilano()
    {
        // A physical sanity range, not the method: facing south at about
        // 45 N with Italian data, the best tilt lies between 30 and 42 degrees.
        RegistroSito r;
        const fv::FormatoNumeri f = fv::FormatoNumeri::C();
        fv::ComuneRadScelto({*funzioni, rs, sqlText}, "MI", "Milano", fv::kGiorniMese, f, r);
        fv::ComuneLatScelto({*funzioni, rs, sqlText}, "MI", "Milano", f, r);
        const fv::MappaOrientamenti mappa(r.latitudine.toDouble(), 0.2, r.radOriz, fv::kGiorniMese);
        int migliore = 0;
        for (int t = 0; t <= 90; ++t)
            migliore = mappa.Annuo(t, 0) > mappa.Annuo(migliore, 0) ? t : migliore;
        QVERIFY2(migliore >= 30 && migliore <= 42, qPrintable(QString::number(migliore)));
        QCOMPARE(mappa.tiltOttimo(), migliore);
    }

    void griglia()
    {
        // At a cell's centre, the cell's own value; half-way between four
        // centres (a corner), their mean; outside the centres, no value.
        std::istringstream testo("intestazione\nLat Lon Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Ann\n"
                                 "40 10 1 1 1 1 1 1 1 1 1 1 1 2 1\n40 11 2 1 1 1 1 1 1 1 1 1 1 2 1\n"
                                 "41 10 3 1 1 1 1 1 1 1 1 1 1 2 1\n41 11 6 1 1 1 1 1 1 1 1 1 1 2 1\n");
        const fv::GrigliaRadiazione g = fv::GrigliaRadiazione::Leggi(testo);
        QCOMPARE(g.Interpola(40.5, 11.5)[0], 2.0);
        QCOMPARE(g.Interpola(41.5, 10.5)[0], 3.0);
        QCOMPARE(g.Interpola(41, 11)[0], 3.0);
        QCOMPARE(g.Interpola(41, 11)[11], 2.0);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, g.Interpola(40.4, 11));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, g.Interpola(11, 41)); // swapped
        std::istringstream buco("Lat Lon Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Ann\n"
                                "40 10 1 1 1 1 1 1 1 1 1 1 1 2 1\n41 11 6 1 1 1 1 1 1 1 1 1 1 2 1\n");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, fv::GrigliaRadiazione::Leggi(buco));
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
        QCOMPARE(r.comuniRad, r.comuniLat); // every comune has its radiation
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
