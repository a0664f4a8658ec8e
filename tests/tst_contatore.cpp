// SPDX-License-Identifier: MIT
// A meter's file, stage by stage, on the shapes Italian distributors and
// users' spreadsheets give (fixtures in fixtures/contatore, each made to show
// one shape): where each reading lands, in which unit, and what is refused.
#include "calc/contatore.h"

#include <QFile>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace fv;

namespace {

std::string Fixture(const char* nome)
{
    QFile f(QStringLiteral(FV_FIXTURE_CONTATORE "/%1").arg(QLatin1String(nome)));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("fixture %s missing", nome);
    return f.readAll().toStdString();
}

GiorniContatore Giorni(const char* nome) { return PosizionaLetture(LeggiRigheContatore(Fixture(nome))); }

const GiornoFile& DelFile(const GiorniContatore& g, int anno, int mese, int giorno)
{
    const auto i = g.giorni.find({anno, mese, giorno});
    if (i == g.giorni.end())
        qFatal("day %d/%d/%d not read", giorno, mese, anno);
    return i->second;
}

bool Dice(const std::vector<std::string>& avvisi, const char* parola)
{
    return std::any_of(avvisi.begin(), avvisi.end(), [&](const std::string& a) { return a.find(parola) != std::string::npos; });
}

std::string Errore(const std::string& testo)
{
    try {
        PosizionaLetture(LeggiRigheContatore(testo));
    } catch (const ErroreContatore& e) {
        return e.what();
    }
    return {};
}

} // namespace

class TestContatore : public QObject {
    Q_OBJECT

private slots:
    void formeDelFile()
    {
        // Ends marked with the next day's 00:00: the reading at 02/01 00:00 is 1/1's last hour.
        const GiorniContatore fine = Giorni("fine_mezzanotte.csv");
        QCOMPARE(DelFile(fine, 2025, 1, 1).kWh[0], 0.01);
        QCOMPARE(DelFile(fine, 2025, 1, 1).kWh[23], 0.24);
        QCOMPARE(DelFile(fine, 2025, 1, 2).kWh[23], 0.24);
        QVERIFY(!fine.giorni.count({2025, 1, 3}));
        QVERIFY(Dice(fine.avvisi, "fine"));
        // UTC: 00:00Z is 01:00 in winter, 10:00Z is 12:00 in summer.
        const GiorniContatore utc = Giorni("utc.csv");
        QCOMPARE(DelFile(utc, 2025, 1, 15).kWh[1], 0.0);
        QCOMPARE(DelFile(utc, 2025, 1, 15).kWh[11], 1.0);
        QCOMPARE(DelFile(utc, 2025, 7, 15).kWh[12], 1.0);
        QVERIFY(Dice(utc.avvisi, "UTC"));
        // A POD before the date; decimal commas.
        QCOMPARE(DelFile(Giorni("pod.csv"), 2025, 2, 3).kWh[10], 0.3);
        // Monthly exports joined: the repeated header, the total and the note are no data.
        const GiorniContatore uniti = Giorni("mesi_uniti.csv");
        QCOMPARE(int(uniti.giorni.size()), 2);
        QCOMPARE(DelFile(uniti, 2025, 3, 2).kWh[5], 0.5);
        QVERIFY(Dice(uniti.avvisi, "senza data ignorate"));
        // Hours 1..24 in their own column mark ends; dd/mm/yy and HH.MM.
        const GiornoFile& ore = DelFile(Giorni("ore_1_24.csv"), 2025, 5, 5);
        QCOMPARE(ore.kWh[0], 1.0);
        QCOMPARE(ore.kWh[23], 24.0);
        QCOMPARE(DelFile(Giorni("anno_breve.csv"), 2025, 5, 6).kWh[7], 0.7);
        // An interval written whole marks its start; an offset of +02:00 in summer is Italian time.
        const GiorniContatore x = PosizionaLetture(LeggiRigheContatore("Data;Fascia;kWh\n09/05/2025;00:00-01:00;0,5\n"
                                                                        "09/05/2025;01:00-02:00;0,6\n"
                                                                        "2025-07-01T10:00:00+02:00;0,7;\n"));
        QCOMPARE(DelFile(x, 2025, 5, 9).kWh[0], 0.5);
        QCOMPARE(DelFile(x, 2025, 5, 9).kWh[1], 0.6);
        QCOMPARE(DelFile(x, 2025, 7, 1).kWh[10], 0.7);
    }

    void giorniDelCambioDellOra()
    {
        // A day per row: 92 quarter-hours on the spring day (no 02:00), 100 on the autumn day (02:00 twice).
        const GiorniContatore g = Giorni("cambio_ora_quarti.csv");
        QCOMPARE(DelFile(g, 2025, 3, 30).kWh[2], 0.0);
        QVERIFY(std::fabs(DelFile(g, 2025, 3, 30).kWh[3] - 0.4) < 1e-12);
        QVERIFY(std::fabs(DelFile(g, 2025, 10, 26).kWh[2] - 0.8) < 1e-12);
        QVERIFY(std::fabs(DelFile(g, 2025, 10, 26).kWh[3] - 0.4) < 1e-12);
        // On a reference year with other change days, each day gets the hours the
        // reference day has: 2027 changes on 28/3 and 31/10.
        const Calendario anno = CreaCalendario(2027);
        const ConsumoPosto posto = PosizionaSulCalendario(g, anno);
        const auto giorno = [&](int m, int d) {
            std::size_t i = 0;
            while (!(anno.giorni[i].mese == m - 1 && anno.giorni[i].giorno == d))
                ++i;
            return i;
        };
        QVERIFY(std::fabs(posto.consumo[giorno(3, 30)][2] - 0.4) < 1e-12); // an ordinary day in 2027: one hour
        QVERIFY(posto.presenti[giorno(3, 30)][2]);
        QVERIFY(std::fabs(posto.consumo[giorno(10, 26)][2] - 0.4) < 1e-12); // two hours halved
        QVERIFY(Dice(posto.avvisi, "2027"));
        // 23 hours on a day that is not a change day is refused, named.
        std::string riga = "12/05/2025";
        for (int i = 0; i < 23; ++i)
            riga += ";0,1";
        QVERIFY(Errore(riga + "\n").find("non è un giorno del cambio") != std::string::npos);
    }

    void unitaDallIntestazione()
    {
        QCOMPARE(DelFile(Giorni("unita_wh.csv"), 2025, 5, 7).kWh[2], 0.252);
        // Mean kW over quarter-hours: 2 kW for an hour is 2 kWh, not 8.
        QVERIFY(std::fabs(DelFile(Giorni("potenza_kw.csv"), 2025, 5, 7).kWh[9] - 2.0) < 1e-12);
        QVERIFY(Errore(Fixture("unita_reattiva.csv")).find("reattiva") != std::string::npos);
        QVERIFY(Errore("Data;Ora;Consumo (MJ)\n07/05/2025;00:00;1\n").find("MJ") != std::string::npos);
    }

    void valoriRifiutati_data()
    {
        QTest::addColumn<std::string>("testo");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("negativo") << Fixture("negativo.csv") << "riga 3: il consumo «-0,2» è negativo";
        QTest::newRow("oltre ogni fornitura") << Fixture("enorme.csv") << "nessuna fornitura";
        QTest::newRow("tre campi dopo la data") << std::string("01/01/2025;a;b;c\n") << "ci sono 3 campi";
        QTest::newRow("31 febbraio") << std::string("Data;Ora;kWh\n31/02/2025;00:00;1\n") << "«31/02/2025» non è una data";
        QTest::newRow("ora impossibile") << std::string("01/01/2025;25:00;1\n") << "non è un'ora";
    }

    void valoriRifiutati()
    {
        QFETCH(std::string, testo);
        QFETCH(QString, atteso);
        const QString errore = QString::fromStdString(Errore(testo));
        QVERIFY2(errore.contains(atteso), qPrintable(errore));
    }

    void oraOltreUnaCasa()
    {
        const GiorniContatore g = Giorni("forte.csv");
        QVERIFY(Dice(g.avvisi, "oltre quanto preleva una casa"));
        QCOMPARE(DelFile(g, 2025, 5, 8).kWh[1], 20.0);
    }

    void annoDiversoEcambiDellOra()
    {
        // A whole 2025 file with its own 23- and 25-hour days, on 2027: nothing
        // "repeated" or "missing", the year's energy kept within the hours the
        // days gain or lose.
        const Calendario del2025 = CreaCalendario(2025);
        std::string testo = "Data;Ora;kWh\n";
        double totale = 0;
        for (const Giorno& g : del2025.giorni) {
            const bool primavera = g.mese == 2 && g.settimana == 6 && g.giorno > 24;
            const bool autunno = g.mese == 9 && g.settimana == 6 && g.giorno > 24;
            for (int h = 0; h < 24; ++h) {
                if (primavera && h == 2)
                    continue;
                for (int volte = autunno && h == 2 ? 2 : 1; volte > 0; --volte) {
                    char riga[48];
                    std::snprintf(riga, sizeof riga, "%02d/%02d/2025;%02d:00;1\n", g.giorno, g.mese + 1, h);
                    testo += riga;
                    totale += 1;
                }
            }
        }
        const LetturaContatore l = LeggiContatore(testo, CreaCalendario(2027), ProfiliConsumo().front());
        QCOMPARE(l.oreRiempite, 0);
        QVERIFY(!Dice(l.avvisi, "ripetut") && !Dice(l.avvisi, "mancant"));
        double letto = 0;
        for (const Ore& o : l.consumo)
            for (double x : o)
                letto += x;
        QCOMPARE(letto, totale); // 8760 hours in both years, the change days in other places
    }
};

QTEST_APPLESS_MAIN(TestContatore)
#include "tst_contatore.moc"
