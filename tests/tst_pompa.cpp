// SPDX-License-Identifier: MIT
// The heat pump in place of the gas boiler: the bills' heat in their months,
// a day's hours by hand, the data sheet's SCOP, the site's temperatures on
// both climates, the balance's consumption and the refused inputs.
#include "app/riga_comando.h"
#include "calc/catena.h"
#include "calc/meteo.h"
#include "calc/pompa_calore.h"
#include "finestra_aiuti.h"
#include "fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cmath>
#include <numeric>

using namespace fv;

namespace {

const AnnoMeteo& Tmy()
{
    static const AnnoMeteo a = [] {
        QFile f(QStringLiteral(FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.csv"));
        if (!f.open(QIODevice::ReadOnly))
            qFatal("fixture missing");
        return LeggiMeteo(f.readAll().toStdString());
    }();
    return a;
}

// The lower heating value as the sources give it, typed here: 0.03852 GJ/Smc x 0.905.
constexpr double kPci = 38.52 * 0.905 / 3.6;

const std::array<double, 12> kBollette = {160, 140, 100, 50, 20, 12, 10, 10, 15, 60, 120, 150};

double Somma(const std::vector<Ore>& ore)
{
    double s = 0;
    for (const Ore& g : ore)
        s += std::accumulate(g.begin(), g.end(), 0.0);
    return s;
}

} // namespace

class TestPompa : public QObject {
    Q_OBJECT

    QTemporaryDir cartella;
    QString uscita, errori;

    int Esegui(QStringList argomenti)
    {
        uscita.clear();
        errori.clear();
        QTextStream u(&uscita), e(&errori);
        const int esito = EseguiRigaComando(argomenti, u, e, cartella.path());
        u.flush();
        e.flush();
        return esito;
    }

    // A headline's figure of the balance printed on the terminal [kWh].
    double Cifra(const QString& nome) const
    {
        for (const QString& riga : uscita.split(u'\n'))
            if (riga.startsWith(nome + u' '))
                return riga.mid(nome.size()).trimmed().section(u' ', 0, 0).toDouble();
        return std::nan("");
    }

    static QStringList Bilancio()
    {
        return {"bilancio", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba", "--tilt", "30",
                "--azimut", "0", "--potenza", "3", "--consumo-annuo", "2700", "--anno", "2027"};
    }

private slots:
    void initTestCase()
    {
        FiltraAvvisiOffscreen();
        QVERIFY(cartella.isValid());
        QStringList dati = fixture::Standard();
        // Torino's months at a station 5 km away; no row for the other comuni.
        dati << QStringLiteral("create table tblTemperature (provincia text, comune text, stazione text, distanza_km real, gen real, "
                               "feb real, mar real, apr real, mag real, giu real, lug real, ago real, \"set\" real, ott real, "
                               "nov real, dic real)")
             << QStringLiteral("insert into tblTemperature values ('TO','Torino','Prova',5,2,4,8,12,16,20,23,22,18,13,7,3)");
        QCOMPARE(fixture::Scrivi(cartella.filePath("data.mdb"), dati), QString());
    }

    void ogniBollettaNelSuoMese()
    {
        // Twelve bills: each month takes its own bill's heat to the kWh, on the
        // weather file's hours and on the comune's months, the water on gas or not.
        const Calendario cal = CreaCalendario(2027);
        const std::array<double, 12> mesi = {2, 4, 8, 12, 16, 20, 23, 22, 18, 13, 7, 3};
        for (const std::vector<Ore>& t : {TemperatureDelCalendario(Tmy(), cal), TemperatureDeiMesi(mesi, cal)}) {
            for (bool acqua : {true, false}) {
                PompaDiCalore p;
                // Without the water on gas, bills in the heating months only.
                p.gasMesi = acqua ? kBollette : std::array<double, 12>{160, 140, 100, 0, 0, 0, 0, 0, 0, 0, 120, 150};
                p.rendimento = 0.85;
                p.acquaCalda = acqua;
                const AnnoPompa a = CalcolaPompa(p, cal, t);
                for (std::size_t m = 0; m < 12; ++m)
                    QVERIFY2(std::fabs(a.caloreMesi[m] - (*p.gasMesi)[m] * kPci * 0.85) < 1e-6, qPrintable(QString::number(m)));
                const double gas = std::accumulate(p.gasMesi->begin(), p.gasMesi->end(), 0.0);
                QVERIFY(std::fabs(Somma(a.caloreSpazio) + Somma(a.caloreAcqua) - gas * kPci * 0.85) < 1e-6);
                QVERIFY(std::fabs(Somma(a.elettrica) - a.elettricaAnno) < 1e-6);
                if (!acqua)
                    QCOMPARE(Somma(a.caloreAcqua), 0.0);
            }
        }
    }

    void ungiornoAMano()
    {
        // A year at 5 °C every hour, 365 Smc, all space heating: every day takes
        // one Smc's heat. The 5 °C column of the profiles' hours (typed here) and
        // the COP with radiators at 40 - 5 = 35 °C: dT 30 K.
        const Calendario cal = CreaCalendario(2027);
        std::vector<Ore> t(cal.giorni.size());
        for (Ore& g : t)
            g.fill(5);
        PompaDiCalore p;
        p.gasAnno = 365;
        p.acquaCalda = false;
        const AnnoPompa a = CalcolaPompa(p, cal, t);
        const double colonna[24] = {0.023,  0.0237, 0.0243, 0.0262, 0.0312, 0.0448, 0.0577, 0.0537, 0.051,  0.0488, 0.0465, 0.0448,
                                    0.0438, 0.0437, 0.0446, 0.0458, 0.0481, 0.0501, 0.0506, 0.0505, 0.0485, 0.043,  0.0309, 0.0246};
        const double somma = std::accumulate(std::begin(colonna), std::end(colonna), 0.0);
        const double cop = (6.08 - 0.0941 * 30 + 0.000464 * 900) * 0.85;
        const double giorno = kPci * 0.9;
        for (std::size_t d : {std::size_t(0), std::size_t(40), std::size_t(200)})
            for (std::size_t h = 0; h < 24; ++h) {
                QVERIFY(std::fabs(a.caloreSpazio[d][h] - giorno * colonna[h] / somma) < 1e-9);
                QVERIFY(std::fabs(a.elettrica[d][h] - giorno * colonna[h] / somma / cop) < 1e-9);
            }
        QVERIFY(std::fabs(a.copStagionale - cop) < 1e-9);
        // The water on gas: its part at 50 °C (dT 45 K), on the warmest column's hours.
        p.acquaCalda = true;
        const AnnoPompa b = CalcolaPompa(p, cal, t);
        const double copAcqua = (6.08 - 0.0941 * 45 + 0.000464 * 2025) * 0.85;
        for (std::size_t h = 0; h < 24; ++h)
            QVERIFY(std::fabs(b.elettrica[9][h] - b.caloreSpazio[9][h] / cop - b.caloreAcqua[9][h] / copAcqua) < 1e-12);
        QVERIFY(b.caloreAcqua[9][6] > b.caloreAcqua[9][2] * 10); // the morning's showers, not the night
        // A floor's water at 30 - 5/2 = 27.5 °C: the 15 K floor of dT.
        p.acquaCalda = false;
        p.emissione = Emissione::Pavimento;
        QVERIFY(std::fabs(CalcolaPompa(p, cal, t).copStagionale - (6.08 - 0.0941 * 22.5 + 0.000464 * 22.5 * 22.5) * 0.85) < 1e-9);
    }

    void temperaturaDiRiferimento()
    {
        // One warm day (20 °C) in a year at 5 °C: that day and the three after
        // it heat at the reference temperature (the day and the three before,
        // weights 1, 1/2, 1/4, 1/8), computed here with the guideline's
        // single-family curve, space only, shifted by 15.61 - 13.98 K.
        const auto spazio = [](double t) {
            const double T = t - (15.61 - 13.98);
            if (T >= 13.98)
                return 0.0;
            const double tutto = 1.6209544 / (1 + std::pow(-37.1833141 / (T - 40), 5.6727847)) + 0.0716431
                                 + std::max(-0.04957 * T + 0.8401015, -0.002209 * T + 0.1074468);
            return tutto - std::max(0.0, -0.002209 * T + 0.1790899);
        };
        const Calendario cal = CreaCalendario(2027);
        std::vector<Ore> t(cal.giorni.size());
        for (Ore& g : t)
            g.fill(5);
        t[100].fill(20);
        PompaDiCalore p;
        p.gasAnno = 500;
        p.acquaCalda = false;
        const AnnoPompa a = CalcolaPompa(p, cal, t);
        const auto giorno = [&](std::size_t d) { return std::accumulate(a.caloreSpazio[d].begin(), a.caloreSpazio[d].end(), 0.0); };
        const double riferimento[] = {(20 + 0.5 * 5 + 0.25 * 5 + 0.125 * 5) / 1.875, (5 + 0.5 * 20 + 0.25 * 5 + 0.125 * 5) / 1.875,
                                      (5 + 0.5 * 5 + 0.25 * 20 + 0.125 * 5) / 1.875, (5 + 0.5 * 5 + 0.25 * 5 + 0.125 * 20) / 1.875};
        for (std::size_t k = 0; k < 4; ++k)
            QVERIFY2(std::fabs(giorno(100 + k) / giorno(50) - spazio(riferimento[k]) / spazio(5)) < 1e-9, qPrintable(QString::number(k)));
        QVERIFY(std::fabs(giorno(104) - giorno(50)) < 1e-9);
    }

    void oreDelFileSulCalendario()
    {
        // The file's UTC hours on the calendar's clock: 1 January at 5:00 (UTC+1)
        // is the file's 4:00 UTC; 1 July at 14:00 (UTC+2) its 12:00 UTC.
        const Calendario cal = CreaCalendario(2027);
        const std::vector<Ore> t = TemperatureDelCalendario(Tmy(), cal);
        const auto del = [&](int mese, int giorno, int utc) {
            for (const OraMeteo& o : Tmy().ore)
                if (o.mese == mese && o.giorno == giorno && o.inizioUtc == utc)
                    return o.temperatura;
            return std::nan("");
        };
        QCOMPARE(t[0][5], del(1, 1, 4));
        QCOMPARE(t[181][14], del(7, 1, 12));
    }

    void stagioneDelSito()
    {
        // The year's gas over the months by the site's temperatures: Torino's
        // typical year heats in January, hardly in April, not in July; the
        // water, when on gas, all year round. A data sheet's SCOP is the year's ratio.
        const Calendario cal = CreaCalendario(2027);
        const std::vector<Ore> t = TemperatureDelCalendario(Tmy(), cal);
        PompaDiCalore p;
        p.gasAnno = 900;
        p.acquaCalda = false;
        const AnnoPompa a = CalcolaPompa(p, cal, t);
        QVERIFY(a.caloreMesi[0] > 2 * a.caloreMesi[3]);
        QCOMPARE(a.caloreMesi[6], 0.0);
        QVERIFY(std::fabs(a.calore - 900 * kPci * 0.9) < 1e-6);
        // Colder hours, lower COP: January's below May's.
        QVERIFY(a.caloreMesi[0] / a.elettricaMesi[0] < a.caloreMesi[4] / a.elettricaMesi[4]);
        p.acquaCalda = true;
        const AnnoPompa b = CalcolaPompa(p, cal, t);
        QVERIFY(b.caloreMesi[6] > 0.05 * b.caloreMesi[0]);
        p.scop = 4.2;
        const AnnoPompa c = CalcolaPompa(p, cal, t);
        QVERIFY(std::fabs(c.calore / c.elettricaAnno - 4.2) < 1e-9);
        QVERIFY(std::fabs(c.calore - b.calore) < 1e-6);
        // The file's hours on the calendar: January's mean as the file's (an hour's shift aside).
        double file = 0, calendario = 0;
        int n = 0;
        for (const OraMeteo& o : Tmy().ore)
            if (o.mese == 1) {
                file += o.temperatura;
                ++n;
            }
        for (std::size_t d = 0; d < 31; ++d)
            calendario += std::accumulate(t[d].begin(), t[d].end(), 0.0);
        QVERIFY(std::fabs(file / n - calendario / (31 * 24)) < 0.05);
    }

    void nelBilancio()
    {
        // The balance's consumption grows by the pump's electricity, on the
        // comune's months and on the weather file's hours; a file of data
        // without temperatures says so instead of guessing.
        for (const QStringList& meteo : {QStringList{}, QStringList{"--meteo", FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.csv"}}) {
            // The temperatures are the file's when there is one, the comune's station's otherwise.
            const QString csv = cartella.filePath("fonte.csv");
            QFile::remove(csv);
            QCOMPARE(Esegui(Bilancio() + meteo + QStringList{"--gas", "900", "--csv", csv}), 0);
            QFile fonte(csv);
            QVERIFY(fonte.open(QIODevice::ReadOnly));
            QVERIFY(QString::fromUtf8(fonte.readAll())
                        .contains(meteo.isEmpty() ? QStringLiteral("stazione Prova") : QStringLiteral("le ore del file meteorologico")));
            QCOMPARE(Esegui(Bilancio() + meteo), 0);
            const double prima = Cifra("Consumo");
            QCOMPARE(Esegui(Bilancio() + meteo + QStringList{"--gas", "900"}), 0);
            const double pompa = Cifra("di cui pompa di calore");
            QVERIFY2(pompa > 1500 && pompa < 4000, qPrintable(uscita));
            QVERIFY(std::fabs(Cifra("Consumo") - prima - pompa) <= 1);
        }
        // The hourly export's column of the pump sums to the headline's figure;
        // the CSV names the heat, the COP and where the temperatures came from.
        const QString orario = cartella.filePath("orario.csv"), csv = cartella.filePath("bilancio.csv");
        QCOMPARE(Esegui(Bilancio() + QStringList{"--gas", "900", "--orario", orario, "--csv", csv}), 0);
        const double pompa = Cifra("di cui pompa di calore");
        QFile f(orario);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList righe = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString& r : righe)
            r = r.trimmed();
        const QChar sep = righe.front().contains(u';') ? u';' : u',';
        const qsizetype colonna = righe.front().split(sep).indexOf("Pompa di calore (kWh)");
        QVERIFY(colonna > 0);
        double somma = 0;
        for (const QString& r : righe.mid(1))
            somma += QString(r.split(sep)[colonna]).replace(u',', u'.').toDouble();
        QCOMPARE(righe.size(), 8761);
        QVERIFY2(std::fabs(somma - pompa) <= 0.5, qPrintable(QString::number(somma)));
        QFile c(csv);
        QVERIFY(c.open(QIODevice::ReadOnly));
        const QString testo = QString::fromUtf8(c.readAll());
        QVERIFY(testo.contains("Calore utile (kWh/anno)") && testo.contains("COP stagionale") && testo.contains("stazione Prova"));
        QCOMPARE(Esegui({"bilancio", "--provincia", "TO", "--comune-radiazione", "Esempio", "--terreno", "Erba", "--tilt", "30",
                         "--azimut", "0", "--potenza", "3", "--consumo-annuo", "2700", "--gas", "900"}),
                 1);
        QVERIFY2(errori.contains("tblTemperature"), qPrintable(errori));
    }

    void taglieOggiEDomani()
    {
        // The sizing grid for the household as it will be, beside today's: the
        // future consumption is today's plus the pump's and the car's.
        QStringList a = Bilancio();
        a[0] = "dimensiona";
        QCOMPARE(Esegui(a + QStringList{"--potenza-max", "8", "--gas", "900", "--auto-km", "12000"}), 0);
        QString oggi, domani;
        for (const QString& riga : uscita.split(u'\n')) {
            if (riga.startsWith("Oggi "))
                oggi = riga;
            if (riga.startsWith("Con pompa di calore e auto "))
                domani = riga;
        }
        QVERIFY2(!oggi.isEmpty() && !domani.isEmpty(), qPrintable(uscita));
        const double consumoOggi = oggi.mid(5).simplified().section(u' ', 0, 0).toDouble();
        const double consumoDomani = domani.mid(27).simplified().section(u' ', 0, 0).toDouble();
        QCOMPARE(consumoOggi, 2700.0);
        QVERIFY2(consumoDomani > 2700 + 1813 + 1500, qPrintable(domani)); // the car's 1,813 kWh and the pump's
    }

    void ingressiRifiutati_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::addColumn<QString>("detto");
        QTest::newRow("50.000 Smc") << QStringList{"--gas", "50000"} << "--gas";
        QTest::newRow("SCOP 0,5") << QStringList{"--gas", "900", "--scop", "0.5"} << "--scop";
        QTest::newRow("SCOP 12") << QStringList{"--gas", "900", "--scop", "12"} << "--scop";
        QTest::newRow("caldaia 3") << QStringList{"--gas", "900", "--rendimento-caldaia", "3"} << "--rendimento-caldaia";
        QTest::newRow("undici bollette") << QStringList{"--gas-mesi", "1;2;3;4;5;6;7;8;9;10;11"} << "dicembre";
        QTest::newRow("marzo vuoto") << QStringList{"--gas-mesi", "1;2;;4;5;6;7;8;9;10;11;12"} << "marzo";
        QTest::newRow("negativo") << QStringList{"--gas-mesi", "1;2;3;-4;5;6;7;8;9;10;11;12"} << "aprile";
        QTest::newRow("due modi") << QStringList{"--gas", "900", "--gas-mesi", "1;2;3;4;5;6;7;8;9;10;11;12"} << "--gas-mesi";
        QTest::newRow("scop senza gas") << QStringList{"--scop", "4"} << "manca il gas";
        QTest::newRow("acqua forse") << QStringList{"--gas", "900", "--acqua-calda-gas", "forse"} << "si o no";
    }

    void ingressiRifiutati()
    {
        QFETCH(QStringList, opzioni);
        QFETCH(QString, detto);
        QCOMPARE(Esegui(Bilancio() + opzioni), 1);
        QVERIFY2(errori.contains(detto), qPrintable(errori));
        QVERIFY(uscita.isEmpty());
    }

    void cucinaInEstate()
    {
        // Bills with gas in August but the water not on gas: cooking, left out and said.
        PompaDiCalore p;
        p.gasMesi = kBollette;
        p.acquaCalda = false;
        const AnnoPompa a = CalcolaPompa(p, CreaCalendario(2027), TemperatureDeiMesi({2, 4, 8, 12, 16, 20, 23, 22, 18, 13, 7, 3},
                                                                                     CreaCalendario(2027)));
        QVERIFY(std::any_of(a.avvisi.begin(), a.avvisi.end(), [](const std::string& s) { return s.find("agosto") != s.npos; }));
        QCOMPARE(a.caloreMesi[7], 0.0);
        QVERIFY(std::fabs(a.caloreMesi[0] - 160 * kPci * 0.9) < 1e-6);
    }
};

QTEST_MAIN(TestPompa)
#include "tst_pompa.moc"
