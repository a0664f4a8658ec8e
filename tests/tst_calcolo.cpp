// SPDX-License-Identifier: MIT
// The calculate command without a window: its writes in order, its stops,
// the annual results and the tariff. Runs under an Italian and a C locale.
#include "calc/calcolo.h"
#include "calc/modello.h"
#include "calc/orientamento.h"

#include "registro_calcolo.h"
#include "modello_angoli.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <tuple>

using fv::Campo;
using fv::FormatoNumeri;
using fv::MonthlySeries;

namespace {

MonthlySeries Costante(double v)
{
    MonthlySeries s;
    s.fill(v);
    return s;
}

// Worked-example site with a full year of horizontal values.
fv::InputCalcolo Ingresso(const FormatoNumeri& f)
{
    const bool it = f.decimale == ",";
    return {"45", it ? "0,2" : "0.2", "30", "0", "3", "15", "90", "Torino"};
}

MonthlySeries Anno() { return {1.5, 2.4, 3.8, 4.9, 5.9, 6.5, 6.9, 5.8, 4.3, 2.8, 1.7, 1.3}; }

} // namespace

class TestCalcolo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { std::setlocale(LC_ALL, ""); }

    void annuali()
    {
        // Plane 2.0 and horizontal 1.5 every day: 730 and 547.5 kWh/m² a year.
        QCOMPARE(fv::CalcolaTotaleAnnuo(Costante(2.0), fv::kGiorniMese), 730.0);
        QCOMPARE(fv::CalcolaTotaleAnnuo(Costante(1.5), fv::kGiorniMese), 547.5);
        QCOMPARE(fv::CalcolaTotaleAnnuo(Costante(1.0), fv::kGiorniMese), 365.0); // February has 28 days
        QVERIFY(std::fabs(fv::CalcolaEnergiaAnnua(730, 3, 15, 90) - 1675.35) < 1e-9);
        QCOMPARE(fv::CalcolaEnergiaAnnua(365, 1, 0, 50), 182.5);
        QCOMPARE(fv::CalcolaEnergiaAnnua(730, 3, 100, 90), 0.0);
        QCOMPARE(fv::CalcolaEnergiaAnnua(730, 3, 15, 0), 0.0);
        QVERIFY(fv::CalcolaEnergiaAnnua(730, 3, 120, 90) < 0); // no range check
        QCOMPARE(fv::CalcolaEnergiaAnnua(1, 1, -32667, 1), 32767.0 / 10000);
        QVERIFY_THROWS_EXCEPTION(fv::ErroreOverflow, fv::CalcolaEnergiaAnnua(1, 1, -32668, 1));
        QVERIFY_THROWS_EXCEPTION(fv::ErroreAritmetico, fv::CalcolaEnergiaAnnua(1e308, 1e308, 15, 90));
    }

    void fasce()
    {
        const std::pair<double, int> casi[] = {{2.99, 0}, {3, 0}, {3.01, 1}, {20, 1}, {20.01, 2}, {0, 0}, {-1, 0}, {1e9, 2}};
        for (const auto& [p, fascia] : casi)
            QCOMPARE(fv::FasciaPotenza(p), fascia);
        QCOMPARE(fv::FasciaDaTesto("3,5", FormatoNumeri::Italiano()), std::optional<int>(1));
        QCOMPARE(fv::FasciaDaTesto("19.99", FormatoNumeri::C()), std::optional<int>(1));
        QCOMPARE(fv::FasciaDaTesto("", FormatoNumeri::C()), std::optional<int>());
        QVERIFY_THROWS_EXCEPTION(fv::ErroreConversione, fv::FasciaDaTesto("-", FormatoNumeri::C()));
        QCOMPARE(fv::IndiceOpzione({false, true, true}), 1);
        QCOMPARE(fv::IndiceOpzione({false, false, false}), 3);
    }

    void tariffe()
    {
        // The decree of 19 February 2007, plants entering service in 2010.
        const double attese[3][3] = {{0.384, 0.422, 0.47}, {0.365, 0.403, 0.442}, {0.346, 0.384, 0.422}};
        for (int b = 0; b < 3; ++b)
            for (int i = 0; i < 3; ++i)
                QCOMPARE(fv::TariffaIncentivante(b, i), attese[b][i]);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(fv::TariffaIncentivante(3, k), 0.0);
            QCOMPARE(fv::TariffaIncentivante(k, 3), 0.0);
        }
        QVERIFY_THROWS_EXCEPTION(fv::ErroreIndice, fv::TariffaIncentivante(4, 0));
        QCOMPARE(fv::RicavoAnnuo(1234, 0.384), 473.86);
        QCOMPARE(fv::RicavoAnnuo(1000, 0.442), 442.0);
        QCOMPARE(fv::RicavoAnnuo(0, 0.442), 0.0);
    }

    void tariffaRicavo_data()
    {
        QTest::addColumn<int>("fascia");
        QTest::addColumn<int>("integrazione");
        QTest::addColumn<QString>("energia");
        QTest::addColumn<QString>("tariffa");
        QTest::addColumn<QString>("ricavo");
        QTest::newRow("integrated 3-20 kW") << 1 << 2 << "1000" << "0.442" << "442";
        QTest::newRow("not integrated up to 3 kW") << 0 << 0 << "1234" << "0.384" << "473.86";
        QTest::newRow("partly integrated over 20 kW") << 2 << 1 << "1000" << "0.384" << "384";
        QTest::newRow("partly integrated 3-20 kW") << 1 << 1 << "1000" << "0.403" << "403";
        QTest::newRow("no band chosen") << 3 << 0 << "1234" << "0" << "0";
        QTest::newRow("no type chosen") << 0 << 3 << "1234" << "0" << "0";
    }
    void tariffaRicavo()
    {
        QFETCH(int, fascia);
        QFETCH(int, integrazione);
        QFETCH(QString, energia);
        QFETCH(QString, tariffa);
        QFETCH(QString, ricavo);
        for (const FormatoNumeri& f : {FormatoNumeri::Italiano(), FormatoNumeri::C()}) {
            const auto loc = [&](QString s) { return s.replace('.', QString::fromStdString(f.decimale)).toStdString(); };
            RegistroCalcolo r;
            fv::ScriviTariffaRicavo(energia.toStdString(), fascia, integrazione, f, r);
            QCOMPARE(r.scritture.size(), std::size_t(2));
            QCOMPARE(r.scritture[0].campo, Campo::CostoKwh);
            QCOMPARE(r.scritture[0].testo, loc(tariffa));
            QCOMPARE(r.scritture[1].campo, Campo::Annuo);
            QCOMPARE(r.scritture[1].testo, loc(ricavo));
        }
    }

    // The writes come in the command's order: each month's series value and
    // field, then the annual total, the ratio and the energy.
    void ordineScritture()
    {
        for (const FormatoNumeri& f : {FormatoNumeri::Italiano(), FormatoNumeri::C()}) {
            RegistroCalcolo r;
            QVERIFY(fv::Calcola(Ingresso(f), Anno(), fv::kGiorniMese, f, r));
            QCOMPARE(r.scritture.size(), std::size_t(12 * 2 + 3));
            double totInc = 0, totOriz = 0;
            for (int m = 0; m < 12; ++m) {
                const Scrittura& s = r.scritture[std::size_t(2 * m)];
                const Scrittura& t = r.scritture[std::size_t(2 * m + 1)];
                QVERIFY(s.serie);
                QCOMPARE(s.indice, m);
                const double atteso = fv::CalcolaRadiazioneInclinata(m + 1, 45 * fv::kGradiRadianti,
                                                                     30 * fv::kGradiRadianti, 0, 0.2, Anno()[std::size_t(m)]);
                QCOMPARE(s.valore, atteso);
                QCOMPARE(t.campo, Campo::Mese2);
                QCOMPARE(t.indice, m);
                QCOMPARE(t.testo, fv::TestoArrotondato(atteso, 2, f));
                totInc += atteso * fv::kGiorniMese[std::size_t(m)];
                totOriz += Anno()[std::size_t(m)] * fv::kGiorniMese[std::size_t(m)];
            }
            QCOMPARE(r.scritture[0].valore, fv::CalcolaRadiazioneInclinata(1, 45 * fv::kGradiRadianti, 30 * fv::kGradiRadianti, 0, 0.2, 1.5));
            QCOMPARE(r.scritture[1].testo, f.decimale == "," ? std::string("2,62") : std::string("2.62")); // 2.6164
            QCOMPARE(r.scritture[24].campo, Campo::TotAnnua2);
            QCOMPARE(r.scritture[24].testo, fv::TestoArrotondato(totInc, 0, f));
            QCOMPARE(r.scritture[25].campo, Campo::Rapporto);
            QCOMPARE(r.scritture[25].testo, fv::TestoArrotondato(totInc / totOriz, 2, f));
            QCOMPARE(r.scritture[26].campo, Campo::Energia);
            QCOMPARE(r.scritture[26].testo, fv::TestoArrotondato(totInc * 3 * 85 * 90 / 10000, 0, f));
        }
    }

    void ingressoVuoto()
    {
        const FormatoNumeri f = FormatoNumeri::C();
        for (int i = 0; i < 8; ++i) {
            fv::InputCalcolo in = Ingresso(f);
            std::string* campi[] = {&in.latitudine, &in.riflettanza, &in.tilt, &in.azimut,
                                    &in.potenza, &in.perditeGeneratore, &in.efficienzaInverter, &in.comuneRadiazione};
            campi[i]->clear();
            RegistroCalcolo r;
            QVERIFY(!fv::Calcola(in, Anno(), fv::kGiorniMese, f, r));
            QVERIFY(r.scritture.empty());
        }
        // A text of blanks is not empty: it is read, and is not a number.
        fv::InputCalcolo in = Ingresso(f);
        in.tilt = " ";
        RegistroCalcolo r;
        QVERIFY_THROWS_EXCEPTION(fv::ErroreConversione, fv::Calcola(in, Anno(), fv::kGiorniMese, f, r));
        QVERIFY(r.scritture.empty());
    }

    void conversioni()
    {
        const FormatoNumeri f = FormatoNumeri::Italiano();
        // Losses 12.5 act as 12, 13.5 as 14.
        const auto energia = [&](const std::string& perdite) {
            fv::InputCalcolo in = Ingresso(f);
            in.perditeGeneratore = perdite;
            RegistroCalcolo r;
            fv::Calcola(in, Anno(), fv::kGiorniMese, f, r);
            return r.scritture.back().testo;
        };
        QCOMPARE(energia("12,5"), energia("12"));
        QCOMPARE(energia("13,5"), energia("14"));
        QVERIFY(energia("12,5") != energia("13"));
        // A point in an Italian locale is never read as a thousands separator.
        fv::InputCalcolo in = Ingresso(f);
        in.potenza = "3.5";
        RegistroCalcolo r;
        try {
            fv::Calcola(in, Anno(), fv::kGiorniMese, f, r);
            QFAIL("no error");
        } catch (const fv::ErroreConversione& e) {
            QCOMPARE(e.campo(), Campo::Potenza);
            QCOMPARE(e.motivo(), fv::ErroreConversione::Motivo::SeparatoreMigliaia);
        }
        in = Ingresso(f);
        in.efficienzaInverter = "40000";
        QVERIFY_THROWS_EXCEPTION(fv::ErroreIntervallo, fv::Calcola(in, Anno(), fv::kGiorniMese, f, r));
        QVERIFY(r.scritture.empty());
    }

    void orizzontaleRapportoUno()
    {
        const FormatoNumeri f = FormatoNumeri::Italiano();
        fv::InputCalcolo in = Ingresso(f);
        in.tilt = "0";
        in.azimut = "37";
        RegistroCalcolo r;
        QVERIFY(fv::Calcola(in, Anno(), fv::kGiorniMese, f, r));
        for (int m = 0; m < 12; ++m)
            QCOMPARE(r.scritture[std::size_t(2 * m + 1)].testo, fv::TestoArrotondato(Anno()[std::size_t(m)], 2, f));
        QCOMPARE(r.scritture[25].testo, std::string("1"));
    }

    // A failure keeps exactly the writes made before it.
    void fuoriIntervallo()
    {
        const FormatoNumeri f = FormatoNumeri::C();
        using Campo_ = std::string fv::InputCalcolo::*;
        const std::tuple<Campo_, const char*, Campo> rifiutati[] = {
            {&fv::InputCalcolo::latitudine, "0", Campo::Latitudine},
            {&fv::InputCalcolo::latitudine, "-45", Campo::Latitudine},
            {&fv::InputCalcolo::latitudine, "67", Campo::Latitudine},
            {&fv::InputCalcolo::riflettanza, "5", Campo::Riflettanza},
            {&fv::InputCalcolo::riflettanza, "-0.1", Campo::Riflettanza},
            {&fv::InputCalcolo::tilt, "-10", Campo::Tilt},
            {&fv::InputCalcolo::tilt, "180", Campo::Tilt},
            {&fv::InputCalcolo::azimut, "400", Campo::Azimut},
            {&fv::InputCalcolo::potenza, "0", Campo::Potenza},
            {&fv::InputCalcolo::potenza, "-3", Campo::Potenza},
            {&fv::InputCalcolo::potenza, "99999.5", Campo::Potenza},
            {&fv::InputCalcolo::perditeGeneratore, "150", Campo::PerditeGeneratore},
            {&fv::InputCalcolo::perditeGeneratore, "-32700", Campo::PerditeGeneratore},
            {&fv::InputCalcolo::efficienzaInverter, "100.6", Campo::EfficienzaInverter},
            {&fv::InputCalcolo::efficienzaInverter, "-0.6", Campo::EfficienzaInverter},
        };
        for (const auto& [membro, testo, campo] : rifiutati) {
            fv::InputCalcolo in = Ingresso(f);
            in.*membro = testo;
            RegistroCalcolo r;
            try {
                fv::Calcola(in, Anno(), fv::kGiorniMese, f, r);
                QFAIL(testo);
            } catch (const fv::ErroreIntervallo& e) {
                QCOMPARE(e.campo(), campo);
            }
            QVERIFY2(r.scritture.empty(), testo);
        }
        // The bounds themselves are accepted; percentages after rounding half to even.
        const std::pair<Campo_, const char*> limiti[] = {
            {&fv::InputCalcolo::latitudine, "0.001"}, {&fv::InputCalcolo::riflettanza, "1"},
            {&fv::InputCalcolo::tilt, "90"},          {&fv::InputCalcolo::azimut, "-180"},
            {&fv::InputCalcolo::potenza, "99999"},      {&fv::InputCalcolo::perditeGeneratore, "100.5"},
            {&fv::InputCalcolo::efficienzaInverter, "-0.5"},
        };
        for (const auto& [membro, testo] : limiti) {
            fv::InputCalcolo in = Ingresso(f);
            in.*membro = testo;
            RegistroCalcolo r;
            QVERIFY2(fv::Calcola(in, Costante(0.5), fv::kGiorniMese, f, r), testo);
        }
    }

    void serenita()
    {
        // Latitude and radiation of two sites: January at 66 N gets less
        // from the top of the atmosphere than Anno() puts on the ground; a
        // month with no radiation at all is no site either. Nothing is written.
        const FormatoNumeri f = FormatoNumeri::C();
        fv::InputCalcolo in = Ingresso(f);
        in.latitudine = "66";
        MonthlySeries luglioVuoto = Anno();
        luglioVuoto[6] = 0;
        const std::pair<fv::InputCalcolo, MonthlySeries> casi[] = {{in, Anno()}, {Ingresso(f), luglioVuoto}};
        const int mesi[] = {1, 7};
        for (std::size_t i = 0; i < 2; ++i) {
            RegistroCalcolo r;
            try {
                fv::Calcola(casi[i].first, casi[i].second, fv::kGiorniMese, f, r);
                QFAIL("no error");
            } catch (const fv::ErroreSerenita& e) {
                QCOMPARE(e.mese(), mesi[i]);
            }
            QVERIFY(r.scritture.empty());
        }
    }

    void orientamenti()
    {
        // The sweep's values are the command's annual plane totals, bit for
        // bit, and its optimum is the maximum found by brute force.
        const FormatoNumeri f = FormatoNumeri::C();
        const fv::MappaOrientamenti mappa(45, 0.2, Anno(), fv::kGiorniMese);
        fv::InputCalcolo in = Ingresso(f);
        in.tilt = "35";
        in.azimut = "-20";
        RegistroCalcolo r;
        QVERIFY(fv::Calcola(in, Anno(), fv::kGiorniMese, f, r));
        MonthlySeries radInc{};
        for (const Scrittura& s : r.scritture)
            if (s.serie)
                radInc[std::size_t(s.indice)] = s.valore;
        QCOMPARE(mappa.Annuo(35, -20), fv::CalcolaTotaleAnnuo(radInc, fv::kGiorniMese));
        double massimo = -1;
        int tilt = -1, azimut = 0;
        for (int t = 0; t <= 90; ++t) {
            for (int a = -180; a <= 180; ++a) {
                const fv::Piano piano = fv::CreaPiano(45 * fv::kGradiRadianti, t * fv::kGradiRadianti, a * fv::kGradiRadianti, 0.2);
                MonthlySeries m{};
                for (int i = 0; i < 12; ++i)
                    m[std::size_t(i)] = fv::CalcolaRadiazioneInclinata(i + 1, piano, Anno()[std::size_t(i)]);
                const double v = fv::CalcolaTotaleAnnuo(m, fv::kGiorniMese);
                QCOMPARE(mappa.Annuo(t, a), v);
                if (v > massimo)
                    std::tie(massimo, tilt, azimut) = std::tuple(v, t, a);
            }
        }
        QCOMPARE(mappa.massimo(), massimo);
        QCOMPARE(mappa.tiltOttimo(), tilt);
        QCOMPARE(mappa.azimutOttimo(), azimut);
    }

    void stessoRisultatoDueVolte()
    {
        const FormatoNumeri f = FormatoNumeri::Italiano();
        RegistroCalcolo a, b;
        fv::Calcola(Ingresso(f), Anno(), fv::kGiorniMese, f, a);
        fv::Calcola(Ingresso(f), Anno(), fv::kGiorniMese, f, b);
        QCOMPARE(a.scritture.size(), b.scritture.size());
        for (std::size_t i = 0; i < a.scritture.size(); ++i)
            QCOMPARE(a.scritture[i].testo, b.scritture[i].testo);
    }
};

QTEST_APPLESS_MAIN(TestCalcolo)
#include "tst_calcolo.moc"
