// SPDX-License-Identifier: MIT
// The hour-by-hour energy balance: the calendar and its bands, the physics
// of the mean day's course, the year's totals, the battery's invariants, and
// a meter's file in each of its shapes.
#include "calc/bilancio.h"
#include "calc/contatore.h"
#include "calc/calcolo.h"
#include "calc/economia.h"
#include "calc/modello.h"
#include "calc/risultati.h"
#include "calc/veicolo.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

using namespace fv;

namespace {

// Torino's site with the fixture's radiation; monthly energy of a 3 kW roof.
ImpiantoOrario Torino(double tilt = 30, double azimut = 0)
{
    ImpiantoOrario i;
    i.latitudine = 45.07;
    i.longitudine = 7.69;
    i.tilt = tilt;
    i.azimut = azimut;
    i.radOriz = {1.71, 2.6, 3.9, 5.04, 5.9, 6.5, 6.29, 5.4, 4.0, 2.43, 1.6, 1.21};
    const Piano piano = CreaPiano(i.latitudine * kGradiRadianti, tilt * kGradiRadianti, azimut * kGradiRadianti, 0.2);
    for (int m = 1; m <= 12; ++m)
        i.energiaMese[std::size_t(m - 1)] =
            EnergiaMensile(CalcolaRadiazioneInclinata(m, piano, i.radOriz[std::size_t(m - 1)]), kGiorniMese[std::size_t(m - 1)], 3, 15, 90);
    return i;
}

double Somma(const Ore& o) { return std::accumulate(o.begin(), o.end(), 0.0); }

double Somma(const std::vector<Ore>& anno)
{
    double s = 0;
    for (const Ore& o : anno)
        s += Somma(o);
    return s;
}

// The centre of a day's shares [h of clock time].
double Baricentro(const Ore& o)
{
    double s = 0;
    for (int h = 0; h < 24; ++h)
        s += (h + 0.5) * o[std::size_t(h)];
    return s / Somma(o);
}

} // namespace

class TestBilancio : public QObject {
    Q_OBJECT

    const Calendario anno = CreaCalendario(2027);

private slots:
    void autoElettrica()
    {
        // 12,000 km at 17 kWh/100 km, 80 % at home, 10 % losses: 1,813.3 kWh
        // whatever the habit, each week's share within its week; in the evening
        // from 19:00, at night in the F3 hours, with the sun never beyond the
        // surplus of its hour; solar charging uses more of the plant on site.
        const auto produzione = ProduzioneOraria(Torino(30, 0), anno, false);
        const auto casa = ConsumoDaAnnuo(2700, ProfiliConsumo().front(), anno);
        std::vector<Ore> surplus = produzione;
        for (std::size_t d = 0; d < surplus.size(); ++d)
            for (std::size_t h = 0; h < 24; ++h)
                surplus[d][h] -= casa[d][h];
        AutoElettrica a;
        a.km = 12000;
        QVERIFY(std::fabs(EnergiaAuto(a) - 12000 * 0.17 * 0.8 / 0.9) < 1e-9);
        std::array<double, 4> autoconsumo{};
        int caso = 0;
        for (const auto& [ricarica, feriali] : {std::pair{RicaricaAuto::Sera, false}, std::pair{RicaricaAuto::Notte, false},
                                                std::pair{RicaricaAuto::Solare, false}, std::pair{RicaricaAuto::Solare, true}}) {
            a.ricarica = ricarica;
            a.aCasaFeriali = feriali;
            const std::vector<Ore> car = RicaricaOraria(a, anno, surplus);
            QVERIFY2(std::fabs(Somma(car) - EnergiaAuto(a)) < 1e-6, NomeRicarica(ricarica));
            double settimana = 0;
            int giorni = 0;
            for (std::size_t d = 0; d < car.size(); ++d) {
                settimana += Somma(car[d]);
                ++giorni;
                if (d + 1 == car.size() || anno.giorni[d + 1].settimana == 0) {
                    QVERIFY2(std::fabs(settimana - EnergiaAuto(a) / 365 * giorni) < 1e-6, qPrintable(QStringLiteral("settimana al giorno %1").arg(d)));
                    settimana = giorni = 0;
                }
                for (std::size_t h = 0; h < 24; ++h) {
                    QVERIFY(car[d][h] <= a.potenza + 1e-12);
                    if (ricarica == RicaricaAuto::Sera && car[d][h] > 0)
                        QVERIFY2(h >= 19, qPrintable(QStringLiteral("sera alle %1").arg(h)));
                    if (ricarica == RicaricaAuto::Notte && car[d][h] > 0)
                        QVERIFY2(h < 7, qPrintable(QStringLiteral("notte alle %1").arg(h)));
                    if (ricarica == RicaricaAuto::Solare && surplus[d][h] > 0)
                        QVERIFY2(car[d][h] <= surplus[d][h] + 1e-12, qPrintable(QStringLiteral("giorno %1 ora %2").arg(d).arg(h)));
                }
            }
            std::vector<Ore> consumo = casa;
            for (std::size_t d = 0; d < consumo.size(); ++d)
                for (std::size_t h = 0; h < 24; ++h)
                    consumo[d][h] += car[d][h];
            autoconsumo[std::size_t(caso++)] = CalcolaBilancio(produzione, consumo, anno, {}).anno.diretto;
        }
        // A long commuter's car on a slow charger fills the nights and more:
        // still no hour with a surplus takes from the grid.
        a.km = 60000;
        a.potenza = 2; // a slow charger: the nights run into the day's hours
        a.ricarica = RicaricaAuto::Solare;
        a.aCasaFeriali = false;
        const std::vector<Ore> lunga = RicaricaOraria(a, anno, surplus);
        QVERIFY(std::fabs(Somma(lunga) - EnergiaAuto(a)) < 1e-6);
        for (std::size_t d = 0; d < lunga.size(); ++d)
            for (std::size_t h = 0; h < 24; ++h)
                if (surplus[d][h] > 0)
                    QVERIFY2(lunga[d][h] <= surplus[d][h] + 1e-12, qPrintable(QStringLiteral("giorno %1 ora %2").arg(d).arg(h)));
        QVERIFY(autoconsumo[2] > autoconsumo[0] + 200); // the weekends' sun
        QVERIFY(autoconsumo[3] > autoconsumo[2] + 200); // and the working days'
        RicaricaAuto letta{};
        QVERIFY(LeggiRicarica("notte", letta) && letta == RicaricaAuto::Notte && !LeggiRicarica("giorno", letta));
    }

    void strategiaDelleFasce()
    {
        // 3 kWp south, 2,700 kWh away by day, 5 kWh: with `fasce` not one F3
        // hour (nights, Sundays, holidays) takes from the battery, while with
        // `autoconsumo` the nights do; either way the covered energy split by
        // band sums to the covered energy, month by month.
        const auto produzione = ProduzioneOraria(Torino(30, 0), anno, false);
        const auto consumo = ConsumoDaAnnuo(2700, ProfiliConsumo().front(), anno);
        Batteria b;
        b.capacita = 5;
        std::array<double, 2> daF3{};
        for (StrategiaBatteria s : {StrategiaBatteria::Autoconsumo, StrategiaBatteria::Fasce}) {
            b.strategia = s;
            std::vector<OraBilancio> ore;
            const Bilancio esito = CalcolaBilancio(produzione, consumo, anno, b, &ore);
            for (std::size_t k = 0; k < ore.size(); ++k)
                if (FasciaOraria(anno.giorni[k / 24], int(k % 24)) == 3)
                    daF3[std::size_t(s)] += ore[k].daBatteria;
            for (const FlussiEnergia& m : esito.mesi)
                QVERIFY(std::fabs(m.copertoFasce[0] + m.copertoFasce[1] + m.copertoFasce[2] - m.Coperto()) < 1e-9);
        }
        QVERIFY(daF3[0] > 100);
        QCOMPARE(daF3[1], 0.0);
        StrategiaBatteria letta{};
        QVERIFY(LeggiStrategia("fasce", letta) && letta == StrategiaBatteria::Fasce);
        QVERIFY(!LeggiStrategia("notte", letta));
    }

    void calendarioEFasce()
    {
        // 2027: Easter on 28 March, summer time 28 March - 30 October.
        QCOMPARE(GiornoPasqua(2027), 31 + 28 + 27);
        QCOMPARE(int(anno.giorni.size()), 365);
        const auto giorno = [&](int mese, int g) { return anno.giorni[std::size_t(std::accumulate(anno.giorniMese.begin(), anno.giorniMese.begin() + mese - 1, 0) + g - 1)]; };
        QVERIFY(giorno(3, 29).festivo);                       // Easter Monday
        QVERIFY(!giorno(3, 27).legale && giorno(3, 28).legale && giorno(10, 30).legale && !giorno(10, 31).legale);
        QCOMPARE(giorno(1, 4).settimana, 0);                   // a Monday
        QCOMPARE(FasciaOraria(giorno(1, 4), 8), 1);
        QCOMPARE(FasciaOraria(giorno(1, 4), 7), 2);
        QCOMPARE(FasciaOraria(giorno(1, 4), 19), 2);
        QCOMPARE(FasciaOraria(giorno(1, 4), 23), 3);
        QCOMPARE(FasciaOraria(giorno(1, 9), 10), 2);           // a Saturday
        QCOMPARE(FasciaOraria(giorno(1, 9), 7), 2);            // Saturday 07-08 is F2
        QCOMPARE(FasciaOraria(giorno(1, 9), 6), 3);
        QCOMPARE(FasciaOraria(giorno(1, 9), 23), 3);
        QCOMPARE(FasciaOraria(giorno(1, 10), 10), 3);          // a Sunday
        QCOMPARE(FasciaOraria(giorno(6, 2), 10), 3);           // Festa della Repubblica, a Wednesday
        QCOMPARE(int(CreaCalendario(2028).giorni.size()), 366);
    }

    void corsoDelGiorno()
    {
        // Solar noon at 12:00 clock when the longitude makes up the equation of time.
        for (int mese : {1, 6}) {
            ImpiantoOrario i = Torino();
            i.longitudine = 15 - EquazioneDelTempo(NumeroGiorno(mese)) / 4;
            const Ore q = QuoteGiornoMedio(mese, i, false);
            QVERIFY(std::fabs(Somma(q) - 1) < 1e-12);
            for (int h = 0; h < 12; ++h)
                QVERIFY2(std::fabs(q[std::size_t(h)] - q[std::size_t(23 - h)]) < 1e-9, qPrintable(QString::number(h)));
        }
        // Torino (7.7° E): solar noon near 12:30 in January, 13:30 in July (summer time).
        QVERIFY(std::fabs(Baricentro(QuoteGiornoMedio(1, Torino(), false)) - 12.5) < 0.25);
        QVERIFY(std::fabs(Baricentro(QuoteGiornoMedio(7, Torino(), true)) - 13.5) < 0.25);
        // An east plane makes more before noon than after.
        const Ore est = QuoteGiornoMedio(4, Torino(30, -90), false);
        QVERIFY(Baricentro(est) < Baricentro(QuoteGiornoMedio(4, Torino(30, 0), false)) - 0.5);
        QVERIFY(Baricentro(QuoteGiornoMedio(4, Torino(30, 90), false)) > Baricentro(QuoteGiornoMedio(4, Torino(30, 0), false)) + 0.5);
        // A north wall in December: never sunlit, only sky and ground.
        ImpiantoOrario nord = Torino(90, 180);
        const GiornoTipo t = CreaGiornoTipo(12, nord, false);
        QVERIFY(std::all_of(t.rb.begin(), t.rb.end(), [](double x) { return x == 0; }));
        QVERIFY(std::fabs(Somma(PianoOrario(t, 1.2, 0.6)) - (0.6 * (1 + t.cosBeta) / 2 + 1.2 * 0.2 * (1 - t.cosBeta) / 2)) < 1e-12);
    }

    void totaliDellAnno()
    {
        const ImpiantoOrario i = Torino();
        const double annua = std::accumulate(i.energiaMese.begin(), i.energiaMese.end(), 0.0);
        for (bool medi : {true, false}) {
            const std::vector<Ore> p = ProduzioneOraria(i, anno, medi);
            QVERIFY(std::fabs(Somma(p) - annua) < 1e-9 * annua);
        }
        // The days of a month differ, their mean clearness is the month's.
        const std::vector<double> kt = SerenitaGiornaliere(0.45, 31, 1);
        QVERIFY(std::fabs(std::accumulate(kt.begin(), kt.end(), 0.0) / 31 - 0.45) < 1e-12);
        QVERIFY(*std::max_element(kt.begin(), kt.end()) - *std::min_element(kt.begin(), kt.end()) > 0.3);
        QVERIFY(!std::is_sorted(kt.begin(), kt.end()));
        QCOMPARE(kt, SerenitaGiornaliere(0.45, 31, 1));
    }

    void fasceMantenute()
    {
        FasceMese fasce{};
        for (auto& m : fasce)
            m = {100, 80, 120};
        const std::vector<Ore> c = ConsumoDaFasce(fasce, ProfiliConsumo().front(), anno);
        std::array<std::array<double, 3>, 12> somme{};
        for (std::size_t d = 0; d < c.size(); ++d)
            for (int h = 0; h < 24; ++h)
                somme[std::size_t(anno.giorni[d].mese)][std::size_t(FasciaOraria(anno.giorni[d], h) - 1)] += c[d][std::size_t(h)];
        for (const auto& m : somme)
            for (int f = 0; f < 3; ++f)
                QVERIFY(std::fabs(m[std::size_t(f)] - fasce[0][std::size_t(f)]) < 1e-9);
        QVERIFY(std::fabs(Somma(ConsumoDaAnnuo(2700, ProfiliConsumo()[2], anno)) - 2700) < 1e-9);
    }

    void invariantiDellaBatteria()
    {
        std::mt19937 caso(7);
        std::uniform_real_distribution<double> u(0, 1);
        for (int prova = 0; prova < 20; ++prova) {
            const ImpiantoOrario i = Torino(u(caso) * 90, u(caso) * 360 - 180);
            const std::vector<Ore> p = ProduzioneOraria(i, anno, prova % 2);
            const std::vector<Ore> c = ConsumoDaAnnuo(500 + 6000 * u(caso), ProfiliConsumo()[std::size_t(prova % 3)], anno);
            const Batteria b{15 * u(caso), 5 * u(caso), 70 + 30 * u(caso)};
            std::vector<OraBilancio> ore;
            const Bilancio bil = CalcolaBilancio(p, c, anno, b, &ore);
            QCOMPARE(int(ore.size()), 365 * 24);
            for (const OraBilancio& o : ore) {
                QVERIFY(std::fabs(o.produzione - (o.diretto + o.inBatteria + o.immessa)) < 1e-9);
                QVERIFY(std::fabs(o.consumo - (o.diretto + o.daBatteria + o.prelevata)) < 1e-9);
                QVERIFY(o.carica >= 0 && o.carica <= b.capacita + 1e-12);
                QVERIFY(o.immessa >= -1e-12 && o.prelevata >= -1e-12);
            }
            // A larger battery never covers less.
            const Bilancio grande = CalcolaBilancio(p, c, anno, {b.capacita + 5, b.potenza + 1, b.rendimento});
            QVERIFY(grande.anno.Autosufficienza() >= bil.anno.Autosufficienza() - 1e-12);
        }
        // No battery at all and a battery of nothing: the same balance.
        const std::vector<Ore> p = ProduzioneOraria(Torino(), anno, false);
        const std::vector<Ore> c = ConsumoDaAnnuo(2700, ProfiliConsumo().front(), anno);
        const Bilancio senza = CalcolaBilancio(p, c, anno, {});
        const Bilancio zero = CalcolaBilancio(p, c, anno, {0, 3, 90});
        QCOMPARE(zero.anno.diretto, senza.anno.diretto);
        QCOMPARE(zero.anno.immessa, senza.anno.immessa);
        QCOMPARE(zero.anno.prelevata, senza.anno.prelevata);
        QCOMPARE(zero.anno.daBatteria, 0.0);
    }

    void giorniVariEGiorniMedi()
    {
        // The same energy either way; with a battery, grey runs and sunny
        // days cover less than identical mean days.
        const std::vector<Ore> c = ConsumoDaAnnuo(2700, ProfiliConsumo().front(), anno);
        const std::vector<Ore> medi = ProduzioneOraria(Torino(), anno, true);
        const std::vector<Ore> vari = ProduzioneOraria(Torino(), anno, false);
        QVERIFY(std::fabs(Somma(medi) - Somma(vari)) < 1e-9 * Somma(medi));
        const Batteria b{5, 3, 90};
        QVERIFY(CalcolaBilancio(vari, c, anno, b).anno.Autosufficienza() < CalcolaBilancio(medi, c, anno, b).anno.Autosufficienza());
    }

    void casoDiRiferimento()
    {
        // A 3 kW south roof at 30° in Torino, 2,700 kWh a year away by day:
        // within what Italian guides quote for such homes (15-35 % used on
        // site without a battery; most of the year covered with 5 kWh).
        const std::vector<Ore> p = ProduzioneOraria(Torino(), anno, false);
        const std::vector<Ore> c = ConsumoDaAnnuo(2700, ProfiliConsumo().front(), anno);
        const Bilancio senza = CalcolaBilancio(p, c, anno, {});
        const Bilancio con = CalcolaBilancio(p, c, anno, {5, 3, 90});
        QVERIFY2(senza.anno.Autoconsumo() > 0.15 && senza.anno.Autoconsumo() < 0.35, qPrintable(QString::number(senza.anno.Autoconsumo())));
        QVERIFY2(con.anno.Autosufficienza() > 0.6 && con.anno.Autosufficienza() < 0.9, qPrintable(QString::number(con.anno.Autosufficienza())));
        // The battery's losses: what goes in exceeds what comes out by about 1 - η.
        QVERIFY(con.anno.daBatteria < con.anno.inBatteria && con.anno.daBatteria > 0.85 * con.anno.inBatteria);
    }

    void fileDelContatoreFineIntervallo()
    {
        // Readings marking ends, 01:00 ... 24:00, a value per row: each is
        // the hour before its label; the 25-hour day keeps both of its 2:00 hours.
        std::string righe;
        for (const Giorno& g : anno.giorni)
            for (int h = 1; h <= 24; ++h) {
                char riga[64];
                std::snprintf(riga, sizeof riga, "%02d/%02d/2027 %02d:00;%d\n", g.giorno, g.mese + 1, h, h);
                righe += riga;
                if (g.mese == 9 && g.settimana == 6 && !g.legale && h == 3)
                    righe += std::string(riga); // the repeated hour of the clock change
            }
        const LetturaContatore l = LeggiContatore(righe, anno, ProfiliConsumo().front());
        QCOMPARE(l.consumo[0][0], 1.0);
        QCOMPARE(l.consumo[0][23], 24.0);
        QVERIFY(std::any_of(l.avvisi.begin(), l.avvisi.end(), [](const std::string& a) { return a.find("fine") != std::string::npos; }));
        const auto cambio = std::find_if(anno.giorni.begin(), anno.giorni.end(),
                                         [](const Giorno& g) { return g.mese == 9 && g.settimana == 6 && !g.legale; });
        QCOMPARE(l.consumo[std::size_t(cambio - anno.giorni.begin())][2], 6.0);
    }

    void fileDelContatore()
    {
        const ProfiloConsumo& profilo = ProfiliConsumo().front();
        // Hourly readings marking starts, ISO dates, a heading, decimal commas.
        std::string orario = "Data;Ora;Consumo (kWh)\n";
        for (const Giorno& g : anno.giorni)
            for (int h = 0; h < 24; ++h) {
                if (g.mese == 2 && g.legale && g.giorno == 28 && h == 2)
                    continue; // the 23-hour day
                char riga[64];
                std::snprintf(riga, sizeof riga, "2027-%02d-%02d;%02d:00;0,%d\n", g.mese + 1, g.giorno, h, h % 10);
                orario += riga;
            }
        const LetturaContatore l = LeggiContatore(orario, anno, profilo);
        QCOMPARE(l.oreRiempite, 0);
        QCOMPARE(l.consumo[0][13], 0.3);
        QVERIFY(std::any_of(l.avvisi.begin(), l.avvisi.end(), [](const std::string& a) { return a.find("inizio") != std::string::npos; }));
        // Quarter-hours, one day per row, dd/mm/yyyy, summed into hours.
        std::string quarti;
        for (const Giorno& g : anno.giorni) {
            char data[40];
            std::snprintf(data, sizeof data, "%02d/%02d/2024", g.giorno, g.mese + 1);
            quarti += data;
            for (int q = 0; q < 96; ++q)
                quarti += q / 4 == 20 ? ";0,25" : ";0,01";
            quarti += "\n";
        }
        const LetturaContatore q = LeggiContatore(quarti, anno, profilo);
        QVERIFY(std::fabs(q.consumo[100][20] - 1.0) < 1e-12 && std::fabs(q.consumo[100][3] - 0.04) < 1e-12);
        // Readings marking ends (01:00 ... 24:00): the hour before each.
        std::string fini;
        for (int h = 1; h <= 24; ++h)
            fini += "15/01/2025 " + std::to_string(h) + ":00;" + std::to_string(h) + "\n";
        try {
            LeggiContatore(fini, anno, profilo);
            QFAIL("a single day is no year");
        } catch (const ErroreContatore& e) {
            QVERIFY2(std::string(e.what()).find("oltre il 5 %") != std::string::npos, e.what());
        }
        // Small gaps are filled from the profile and counted; a bad value names its line.
        std::string lacune = orario;
        const auto tolta = lacune.find("2027-06-10;12:00");
        lacune.erase(tolta, lacune.find('\n', tolta) - tolta + 1);
        QCOMPARE(LeggiContatore(lacune, anno, profilo).oreRiempite, 1);
        try {
            LeggiContatore("Data;Ora;kWh\n01/01/2025;00:00;tanto\n", anno, profilo);
            QFAIL("no error");
        } catch (const ErroreContatore& e) {
            QCOMPARE(e.riga(), 2);
        }
    }

    void treGiorniOraPerOra()
    {
        // Three days of January, by hand: battery 1.8 kWh usable, 1 kW, round
        // trip 81 % (0.9 each way). Only the hours listed have energy.
        Calendario c;
        c.anno = 2027;
        c.giorni.assign(anno.giorni.begin(), anno.giorni.begin() + 3);
        c.giorniMese = {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        std::vector<Ore> p(3, Ore{}), q(3, Ore{});
        p[0][10] = 2.5, q[0][10] = 0.5; // surplus 2: 1 in (0.9 stored), 1 out to the grid
        p[0][11] = 2;                   // 1 in, the battery full (1.8), 1 out
        p[0][12] = 1;                   // full: all exported
        q[0][19] = 1.5;                 // 1 from the battery (1.111 leaves it, 0.689 left), 0.5 imported
        q[0][20] = 1;                   // 0.62 from the battery (empty), 0.38 imported
        p[1][9] = 0.4, q[1][9] = 1;     // 0.4 direct, the battery empty: 0.6 imported
        p[1][13] = 1.5, q[1][13] = 0.5; // 1 in (0.9 stored)
        q[1][21] = 0.5;                 // 0.5 from the battery (0.344 left)
        q[1][22] = 0.5;                 // 0.31 from the battery (empty), 0.19 imported
        p[2][12] = 0.3, q[2][12] = 0.3; // all direct
        std::vector<OraBilancio> ore;
        const Bilancio b = CalcolaBilancio(p, q, c, {1.8, 1, 81}, &ore);
        QCOMPARE(int(ore.size()), 72);
        // {day, hour, direct, in, from, exported, imported, charge after, lost}
        const std::vector<std::array<double, 9>> attese = {
            {0, 10, 0.5, 1, 0, 1, 0, 0.9, 0.1},         {0, 11, 0, 1, 0, 1, 0, 1.8, 0.1},
            {0, 12, 0, 0, 0, 1, 0, 1.8, 0},             {0, 19, 0, 0, 1, 0, 0.5, 1.8 - 1 / 0.9, 1 / 0.9 - 1},
            {0, 20, 0, 0, 0.62, 0, 0.38, 0, 0.62 / 0.9 - 0.62}, {1, 9, 0.4, 0, 0, 0, 0.6, 0, 0},
            {1, 13, 0.5, 1, 0, 0, 0, 0.9, 0.1},         {1, 21, 0, 0, 0.5, 0, 0, 0.9 - 0.5 / 0.9, 0.5 / 0.9 - 0.5},
            {1, 22, 0, 0, 0.31, 0, 0.19, 0, 0.31 / 0.9 - 0.31}, {2, 12, 0.3, 0, 0, 0, 0, 0, 0}};
        for (const auto& a : attese) {
            const OraBilancio& o = ore[std::size_t(a[0] * 24 + a[1])];
            const std::array<double, 7> letti = {o.diretto, o.inBatteria, o.daBatteria, o.immessa, o.prelevata, o.carica, o.perdite};
            for (std::size_t k = 0; k < 7; ++k)
                QVERIFY2(std::fabs(letti[k] - a[k + 2]) < 1e-12,
                         qPrintable(QStringLiteral("giorno %1 ora %2 flusso %3: %4 invece di %5").arg(a[0]).arg(a[1]).arg(k).arg(letti[k]).arg(a[k + 2])));
        }
        // Every other hour is empty.
        double altro = 0;
        for (const OraBilancio& o : ore)
            altro += o.produzione + o.consumo;
        QVERIFY(std::fabs(altro - (7.7 + 5.8)) < 1e-12);
        // The month: each flow where it belongs, and both conservation laws.
        const FlussiEnergia& m = b.mesi[0];
        for (const auto& [letto, atteso] : std::vector<std::pair<double, double>>{
                 {m.produzione, 7.7}, {m.consumo, 5.8}, {m.diretto, 1.7}, {m.inBatteria, 3}, {m.daBatteria, 2.43},
                 {m.immessa, 3}, {m.prelevata, 1.67}, {m.perdite, 0.57}, {m.Coperto(), 4.13}})
            QVERIFY2(std::fabs(letto - atteso) < 1e-12, qPrintable(QString::number(letto) + " / " + QString::number(atteso)));
        QVERIFY(std::fabs(m.produzione - (m.diretto + m.inBatteria + m.immessa)) < 1e-12);
        QVERIFY(std::fabs(m.consumo - (m.diretto + m.daBatteria + m.prelevata)) < 1e-12);
        QVERIFY(std::fabs(m.inBatteria - m.daBatteria - m.perdite - (b.caricaFine - b.caricaInizio)) < 1e-12);
        QCOMPARE(b.anno.immessa, m.immessa);
        // The economics read the covered energy with the battery's discharge.
        QVERIFY(std::fabs(EnergiaDelBilancio(b.anno).coperto - 4.13) < 1e-12);
    }

    void profiloAllOraGiusta()
    {
        // A working day's peak is the profile's: 20:00-21:00 for a family out by day,
        // Saturday's as its own row (not a working day's an hour late or early).
        const std::vector<Ore> c = ConsumoDaAnnuo(2700, ProfiliConsumo().front(), anno);
        const auto picco = [&](int m, int g) {
            std::size_t d = 0;
            while (!(anno.giorni[d].mese == m - 1 && anno.giorni[d].giorno == g))
                ++d;
            return int(std::max_element(c[d].begin(), c[d].end()) - c[d].begin());
        };
        QCOMPARE(picco(1, 12), 20); // a Tuesday
        QCOMPARE(picco(1, 9), 20);  // a Saturday: 20-21, 1.00
        const ProfiloConsumo& p = ProfiliConsumo().front();
        std::size_t martedi = 0;
        while (!(anno.giorni[martedi].mese == 0 && anno.giorni[martedi].giorno == 12))
            ++martedi;
        for (int h = 0; h < 24; ++h)
            QVERIFY(std::fabs(c[martedi][std::size_t(h)] / c[martedi][7] - p.feriale[std::size_t(h)] / p.feriale[7]) < 1e-12);
    }

    void febbraioBisestile()
    {
        // 2028's February has 29 days of production, 2027's 28: the mean day on top.
        const ImpiantoOrario t = Torino();
        const auto febbraio = [&](int a) {
            const Calendario c = CreaCalendario(a);
            const std::vector<Ore> p = ProduzioneOraria(t, c, true);
            double s = 0;
            for (std::size_t d = 31; d < std::size_t(31 + c.giorniMese[1]); ++d)
                s += Somma(p[d]);
            return s;
        };
        QVERIFY(std::fabs(febbraio(2027) - t.energiaMese[1]) < 1e-9);
        QVERIFY(std::fabs(febbraio(2028) - t.energiaMese[1] * 29 / 28) < 1e-9);
    }

    void fasceComeUnaPersonaLeScrive_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<double>("f2");
        QTest::addColumn<QString>("errore");
        QTest::newRow("punto e virgola") << "900;800;1000" << 800.0 << "";
        QTest::newRow("virgole") << "900,800,1000" << 800.0 << "";
        QTest::newRow("spazi") << "900 800 1000" << 800.0 << "";
        QTest::newRow("virgola e spazio") << "900, 800, 1000" << 800.0 << "";
        QTest::newRow("decimali con la virgola") << "900,5; 800,25; 1000" << 800.25 << "";
        QTest::newRow("due valori") << "900,800" << 0.0 << "ce ne sono 2";
        QTest::newRow("migliaia") << "1.200;800;1000" << 0.0 << "1,2 oppure 1.200";
        QTest::newRow("negativo") << "900;-800;1000" << 0.0 << "negativo";
        QTest::newRow("zero") << "0,0,0" << 0.0 << "da 100 a 10.000.000";
        QTest::newRow("troppo") << "1e8,1e8,1e8" << 0.0 << "da 100 a 10.000.000";
        QTest::newRow("testo") << "900;molto;1000" << 0.0 << "F2: «molto»";
    }

    void fasceComeUnaPersonaLeScrive()
    {
        QFETCH(QString, testo);
        QFETCH(double, f2);
        QFETCH(QString, errore);
        try {
            const FasceLette f = LeggiFasce(testo.toStdString());
            QVERIFY2(errore.isEmpty(), "read, not refused");
            QCOMPARE(f.anno[1], f2);
        } catch (const ErroreFasce& e) {
            QVERIFY2(!errore.isEmpty() && QString::fromUtf8(e.what()).contains(errore), e.what());
        }
        // Thirty-six values: F1, F2, F3 of January first.
        std::string mesi;
        for (int m = 0; m < 12; ++m)
            mesi += std::to_string(100 + m) + ";50;80;";
        const FasceLette d = LeggiFasce(mesi);
        QVERIFY(d.mesi);
        QCOMPARE((*d.mesi)[3][0], 103.0);
        QCOMPARE((*d.mesi)[3][1], 50.0);
        QCOMPARE((*d.mesi)[3][2], 80.0);
    }
};

QTEST_APPLESS_MAIN(TestBilancio)
#include "tst_bilancio.moc"
