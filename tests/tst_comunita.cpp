// SPDX-License-Identifier: MIT
// The energy community: the shared energy hour by hour on hand-made days,
// adding a consumer, each member's contribution, the premium's bands, the
// split, the members file and its refused rows, the community on the
// fixture's typical year and the members' economics without a premium.
#include "app/dialogo_comunita.h"
#include "app/riga_comando.h"
#include "calc/bilancio.h"
#include "calc/catena.h"
#include "calc/comunita.h"
#include "calc/meteo.h"
#include "finestra_aiuti.h"
#include "fixture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cmath>
#include <numeric>
#include <random>

using namespace fv;

namespace {

const Calendario& Anno()
{
    static const Calendario c = CreaCalendario(2027);
    return c;
}

FlussiMembro Vuoto()
{
    return {std::vector<Ore>(Anno().giorni.size(), Ore{}), std::vector<Ore>(Anno().giorni.size(), Ore{})};
}

Membro M(const std::string& nome, RuoloMembro ruolo, TipoMembro tipo = TipoMembro::Domestico, double potenza = 0)
{
    Membro m;
    m.nome = nome;
    m.ruolo = ruolo;
    m.tipo = tipo;
    m.potenza = potenza;
    m.consumoAnnuo = ruolo == RuoloMembro::Produttore ? 0 : 1000;
    return m;
}

// A member's meter from its own balance on a year of production and consumption.
FlussiMembro DalBilancio(const std::vector<Ore>& produzione, const std::vector<Ore>& consumo, double batteria = 0)
{
    Batteria b;
    b.capacita = batteria;
    std::vector<OraBilancio> ore;
    CalcolaBilancio(produzione, consumo, Anno(), b, &ore);
    FlussiMembro f = Vuoto();
    for (std::size_t k = 0; k < ore.size(); ++k) {
        f.immessa[k / 24][k % 24] = ore[k].immessa;
        f.prelevata[k / 24][k % 24] = ore[k].prelevata;
    }
    return f;
}

// A plant's clear-day bell, kWp x a sine from 7 to 19, every day.
std::vector<Ore> Campana(double kWp)
{
    std::vector<Ore> p(Anno().giorni.size(), Ore{});
    for (Ore& g : p)
        for (int h = 7; h < 19; ++h)
            g[std::size_t(h)] = kWp * 0.7 * std::sin(3.14159265358979 * (h - 6.5) / 12);
    return p;
}

} // namespace

class TestComunita : public QObject {
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

    QString Scrivi(const QString& nome, const QString& testo)
    {
        const QString percorso = cartella.filePath(nome);
        QDir().mkpath(QFileInfo(percorso).absolutePath());
        QFile f(percorso);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write");
        f.write(testo.toUtf8());
        return percorso;
    }

    // A member's row of the terminal's table, its fields split on two or more blanks.
    QStringList RigaMembro(const QString& nome) const
    {
        for (const QString& r : uscita.split(u'\n'))
            if (r.startsWith(nome + QStringLiteral("  ")))
                return r.split(QRegularExpression(QStringLiteral("\\s{2,}")), Qt::SkipEmptyParts);
        return {};
    }

    double Cifra(const QString& nome) const
    {
        for (const QString& r : uscita.split(u'\n'))
            if (r.startsWith(nome + QStringLiteral("  ")))
                return r.mid(nome.size()).trimmed().section(u' ', 0, 0).toDouble();
        return std::nan("");
    }

    static QStringList Sito()
    {
        return {"comunita", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba", "--anno", "2027"};
    }

private slots:
    void initTestCase()
    {
        FiltraAvvisiOffscreen();
        QVERIFY(cartella.isValid());
        QCOMPARE(fixture::Scrivi(cartella.filePath("data.mdb"), fixture::Standard()), QString());
    }

    void treGiorniAMano()
    {
        // Three days made by hand: A feeds in by day, B draws in the evening and
        // at noon. Each hour shares the lesser of the two; nothing else is shared.
        std::vector<FlussiMembro> m = {Vuoto(), Vuoto()};
        double atteso = 0;
        for (std::size_t d : {std::size_t(10), std::size_t(11), std::size_t(200)}) {
            for (std::size_t h = 9; h < 16; ++h)
                m[0].immessa[d][h] = 1.0 + 0.1 * double(h);
            m[1].prelevata[d][12] = 0.5;             // less than fed in: 0.5 shared
            m[1].prelevata[d][15] = 5.0;             // more than fed in: 2.5 shared
            m[1].prelevata[d][20] = 3.0;             // nothing fed in: none
            atteso += 0.5 + 2.5;
        }
        const CondivisaComunita c = CondividiOre(m, Anno());
        QVERIFY(std::fabs(c.condivisaAnno - atteso) < 1e-12);
        QCOMPARE(c.condivisa[10][12], 0.5);
        QCOMPARE(c.condivisa[200][15], 2.5);
        QCOMPARE(c.condivisa[11][20], 0.0);
        QVERIFY(std::fabs(c.condivisaMesi[0] - 6.0) < 1e-12 && std::fabs(c.condivisaMesi[6] - 3.0) < 1e-12);
        // Each member's part: all of it, A as producer and B as consumer.
        QVERIFY(std::fabs(c.comeProduttore[0] - atteso) < 1e-12 && c.comeConsumatore[0] == 0);
        QVERIFY(std::fabs(c.comeConsumatore[1] - atteso) < 1e-12 && c.comeProduttore[1] == 0);
        // Without either of the two nothing is shared.
        QCOMPARE(c.senza[0], 0.0);
        QCOMPARE(c.senza[1], 0.0);
    }

    void unProsumerDaSolo()
    {
        // One prosumer's own meter never feeds in and draws in the same hour:
        // alone, with or without a battery, it shares nothing with itself.
        std::vector<Ore> consumo(Anno().giorni.size());
        for (Ore& g : consumo)
            g.fill(0.4);
        for (double batteria : {0.0, 5.0}) {
            const FlussiMembro f = DalBilancio(Campana(4), consumo, batteria);
            const CondivisaComunita c = CondividiOre({f}, Anno());
            QCOMPARE(c.condivisaAnno, 0.0);
            QVERIFY(c.immessaAnno > 1000 && c.prelevataAnno > (batteria > 0 ? 0 : 500));
        }
    }

    void unConsumatoreInPiuNonToglie()
    {
        // Adding a consumer never lowers the shared energy; each member's
        // "without" is the community recomputed without it.
        std::mt19937 caso(7);
        std::uniform_real_distribution<double> u(0, 1);
        std::vector<FlussiMembro> m;
        for (int i = 0; i < 6; ++i) {
            std::vector<Ore> consumo(Anno().giorni.size());
            for (Ore& g : consumo)
                for (double& h : g)
                    h = 0.1 + 0.8 * u(caso);
            m.push_back(DalBilancio(i < 2 ? Campana(3 + i) : std::vector<Ore>(Anno().giorni.size(), Ore{}), consumo));
        }
        double prima = 0;
        for (std::size_t k = 1; k <= m.size(); ++k) {
            const CondivisaComunita c = CondividiOre({m.begin(), m.begin() + long(k)}, Anno());
            QVERIFY(c.condivisaAnno >= prima - 1e-9);
            prima = c.condivisaAnno;
        }
        const CondivisaComunita tutti = CondividiOre(m, Anno());
        for (std::size_t i = 0; i < m.size(); ++i) {
            std::vector<FlussiMembro> senza = m;
            senza.erase(senza.begin() + long(i));
            QVERIFY(std::fabs(CondividiOre(senza, Anno()).condivisaAnno - tutti.senza[i]) < 1e-6);
        }
        // The parts as consumers and as producers each add up to the shared energy.
        QVERIFY(std::fabs(std::accumulate(tutti.comeConsumatore.begin(), tutti.comeConsumatore.end(), 0.0) - tutti.condivisaAnno) < 1e-6);
        QVERIFY(std::fabs(std::accumulate(tutti.comeProduttore.begin(), tutti.comeProduttore.end(), 0.0) - tutti.condivisaAnno) < 1e-6);
    }

    void tariffaAiLimitiDiPotenza_data()
    {
        QTest::addColumn<double>("kw");
        QTest::addColumn<double>("pz");
        QTest::addColumn<double>("attesa"); // [EUR/MWh], before the correction
        QTest::newRow("200 kW, Pz 90") << 200.0 << 0.09 << 120.0;
        QTest::newRow("200 kW, Pz 150") << 200.0 << 0.15 << 110.0;
        QTest::newRow("200,1 kW, Pz 150") << 200.1 << 0.15 << 100.0;
        QTest::newRow("200,1 kW, Pz 90") << 200.1 << 0.09 << 110.0;
        QTest::newRow("600 kW, Pz 90") << 600.0 << 0.09 << 110.0;
        QTest::newRow("600,1 kW, Pz 90") << 600.1 << 0.09 << 100.0;
        QTest::newRow("20 kW, Pz 150") << 20.0 << 0.15 << 110.0;  // 80 + 30: under the cap
        QTest::newRow("20 kW, Pz 200") << 20.0 << 0.20 << 80.0;   // the variable part at 0
        QTest::newRow("800 kW, Pz 170") << 800.0 << 0.17 << 70.0;
    }

    void tariffaAiLimitiDiPotenza()
    {
        QFETCH(double, kw);
        QFETCH(double, pz);
        QFETCH(double, attesa);
        QVERIFY(std::fabs(TariffaPremio(kw, pz, 0, 0) * 1000 - attesa) < 1e-9);
        // The North's 10 EUR/MWh on top of the cap; a grant's F = 0.5 halves the whole.
        QVERIFY(std::fabs(TariffaPremio(kw, pz, 0.010, 0) * 1000 - attesa - 10) < 1e-9);
        QVERIFY(std::fabs(TariffaPremio(kw, pz, 0.010, 0.5) * 1000 - (attesa + 10) / 2) < 1e-9);
    }

    void ripartizioneCheSommaAlPremio()
    {
        // Every rule gives out exactly the premium, none a negative part.
        std::vector<Membro> membri = {M("Sole", RuoloMembro::Produttore, TipoMembro::Ente, 20), M("Casa", RuoloMembro::Consumatore),
                                      M("Bottega", RuoloMembro::Consumatore, TipoMembro::Impresa)};
        std::vector<FlussiMembro> f = {Vuoto(), Vuoto(), Vuoto()};
        for (std::size_t d = 0; d < f[0].immessa.size(); ++d) {
            f[0].immessa[d][12] = 10;
            f[1].prelevata[d][12] = 1;
            f[2].prelevata[d][12] = 6;
        }
        const CondivisaComunita c = CondividiOre(f, Anno());
        for (Ripartizione r : {Ripartizione::Prelievi, Ripartizione::Immissioni, Ripartizione::PartiUguali, Ripartizione::QuotaProduttori}) {
            const std::vector<double> parti = Ripartisci(1000, membri, c, r, 30);
            QVERIFY(std::fabs(std::accumulate(parti.begin(), parti.end(), 0.0) - 1000) < 1e-9);
            for (double p : parti)
                QVERIFY(p >= 0);
        }
        const std::vector<double> prelievi = Ripartisci(1000, membri, c, Ripartizione::Prelievi, 0);
        QVERIFY(std::fabs(prelievi[1] - 1000 * 1.0 / 7) < 1e-9 && prelievi[0] == 0);
        const std::vector<double> quota = Ripartisci(1000, membri, c, Ripartizione::QuotaProduttori, 30);
        QVERIFY(std::fabs(quota[0] - 300) < 1e-9 && std::fabs(quota[2] - 600) < 1e-9);
        // The decree's condition: 7 of 10 fed in shared, above 55 %; the
        // premium above it must reach the households and the public body.
        RegoleComunita g;
        g.ripartizione = Ripartizione::Prelievi;
        const std::vector<double> zero(3, 0.0);
        const EsitoComunita e = CalcolaComunita(membri, f, {3650, 0, 0}, {0, 365, 2190}, zero, g, Anno());
        QVERIFY(std::fabs(e.sogliaCondivisa - 0.55 * 3650) < 1e-6);
        QVERIFY(std::fabs(e.premioEccedente - e.premio * (2555 - 0.55 * 3650) / 2555) < 1e-6);
        QVERIFY(!e.CondizioneRispettata()); // the shop takes 6/7 of the premium, the household 1/7: less than the excess
        // With a capital grant the threshold is 45 % of the energy fed in.
        g.contributoPnrr = true;
        QVERIFY(std::fabs(CalcolaComunita(membri, f, {3650, 0, 0}, {0, 365, 2190}, zero, g, Anno()).sogliaCondivisa - 0.45 * 3650) < 1e-6);
        g.contributoPnrr = false;
        g.ripartizione = Ripartizione::QuotaProduttori;
        g.quotaProduttori = 60;
        QVERIFY(CalcolaComunita(membri, f, {3650, 0, 0}, {0, 365, 2190}, zero, g, Anno()).CondizioneRispettata());
    }

    void fileDeiMembri()
    {
        // The example file reads back whole; a bad row is named with its
        // member and field, and nothing is returned.
        const std::vector<Membro> modello = LeggiMembri(ModelloMembri());
        QCOMPARE(modello.size(), std::size_t(7));
        QCOMPARE(modello[0].potenza, 4.5);
        QCOMPARE(modello[3].falde.size(), std::size_t(1));
        QCOMPARE(modello[3].Picco(), 6.0);
        QVERIFY(modello[6].ruolo == RuoloMembro::Produttore && modello[6].tipo == TipoMembro::Ente);
        const std::string testa = "nome,ruolo,consumo_annuo,potenza,tipo\n";
        const struct {
            std::string riga, campo;
        } cattive[] = {
            {"Gino,consumatore,-5,,domestico", "consumo_annuo"},
            {"Gino,vicino,2000,,domestico", "ruolo"},
            {"Gino,consumatore,2000,,banca", "tipo"},
            {"Gino,consumatore,,,domestico", ""},           // neither consumption nor plant
            {"Gino,consumatore,2000,3,domestico", "ruolo"}, // a consumer with a plant
            {"Gino,prosumer,2000,5000,domestico", "potenza"},
            {"Gino,consumatore,2000.5.1,,domestico", "consumo_annuo"},
        };
        for (const auto& c : cattive) {
            try {
                LeggiMembri(testa + "Anna,consumatore,3000,,domestico\n" + c.riga + "\n");
                QFAIL(c.riga.c_str());
            } catch (const ErroreMembri& e) {
                QCOMPARE(e.riga(), 3);
                QCOMPARE(e.membro(), std::string("Gino"));
                QCOMPARE(e.campo(), c.campo);
            }
        }
        QVERIFY_THROWS_EXCEPTION(ErroreMembri, LeggiMembri("nome;ruolo;colore\nA;consumatore;blu\n"));
        QVERIFY_THROWS_EXCEPTION(ErroreMembri, LeggiMembri(testa + "A,consumatore,100,,\nA,consumatore,200,,\n"));
        // A semicolon file takes decimal commas.
        QCOMPARE(LeggiMembri("nome;ruolo;potenza\nTetto;produttore;2,5\n").front().potenza, 2.5);
    }

    void rigaCattivaNonScriveNulla()
    {
        const QString membri = Scrivi("cattivi.csv", "nome;ruolo;consumo_annuo\nAnna;consumatore;3000\nBruno;vicino;2000\n");
        const QString csv = cartella.filePath("cattivi-uscita.csv");
        QCOMPARE(Esegui(Sito() + QStringList{"--membri", membri, "--csv", csv}), 1);
        QVERIFY2(errori.contains("riga 3") && errori.contains("Bruno") && errori.contains("ruolo"), qPrintable(errori));
        QVERIFY(!QFileInfo::exists(csv));
        QVERIFY(uscita.isEmpty());
        // A meter file that cannot be read: the row, the member, the field; no file written.
        const QString contatore = Scrivi("rotto.csv", "Data;Ora;kWh\n01/01/2027;00:00;tanti\n");
        const QString conRotto = Scrivi("con-rotto.csv", "nome;ruolo;consumi\nAnna;consumatore;rotto.csv\n");
        QCOMPARE(Esegui(Sito() + QStringList{"--membri", conRotto, "--csv", csv}), 1);
        QVERIFY2(errori.contains("riga 2") && errori.contains("Anna") && errori.contains("consumi"), qPrintable(errori));
        QVERIFY(!QFileInfo::exists(csv));
        QVERIFY(QFileInfo::exists(contatore));
        const QString modello = cartella.filePath("modello.csv");
        QCOMPARE(Esegui({"comunita", "--modello", modello}), 0);
        QFile f(modello);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(LeggiMembri(f.readAll().toStdString()).size(), std::size_t(7));
        // The example as a report: a PDF whose pages name the community and its members.
        const QString pdf = cartella.filePath("comunita.pdf");
        QCOMPARE(Esegui(Sito() + QStringList{"--membri", modello, "--pdf", pdf}), 0);
        QFile r(pdf);
        QVERIFY(r.open(QIODevice::ReadOnly));
        QVERIFY(r.read(5) == "%PDF-" && r.size() > 5000);
    }

    void annoTipoConContatori()
    {
        // The fixture's typical year: a prosumer (3,000 kWh, 4 kWp south), three
        // consumers with meter files of their own and a 20 kWp producer. The
        // shared energy against the same year assembled here hour by hour: the
        // file's plane for each plant, the meters' values as written, each
        // prosumer's own use the lesser of its production and consumption.
        const Calendario& cal = Anno();
        const auto consumo = [](int k, int ora) {
            if (ora < 7)
                return 0.25;
            return k == 0 ? (ora >= 18 && ora <= 22 ? 0.9 : 0.2) : k == 1 ? (ora >= 8 && ora <= 17 ? 1.4 : 0.3) : 0.1 * (ora % 5) + 0.3;
        };
        for (int k = 0; k < 3; ++k) {
            QString t = QStringLiteral("Data;Ora;kWh\n");
            for (const Giorno& g : cal.giorni)
                for (int h = 0; h < 24; ++h)
                    t += QStringLiteral("%1/%2/2027;%3:00;%4\n")
                             .arg(g.giorno, 2, 10, QLatin1Char('0'))
                             .arg(g.mese + 1, 2, 10, QLatin1Char('0'))
                             .arg(h, 2, 10, QLatin1Char('0'))
                             .arg(QString::number(consumo(k, h), 'f', 3).replace(u'.', u','));
            Scrivi(QStringLiteral("cer/contatore%1.csv").arg(k), t);
        }
        // The meter files beside the members file, in a folder of their own.
        const QString membri = Scrivi("cer/tipo.csv", "nome;ruolo;consumo_annuo;profilo;consumi;potenza;tilt;azimut;batteria;tipo\n"
                                                  "Rossi;prosumer;3000;fuori-casa;;4;30;0;;domestico\n"
                                                  "Uno;consumatore;;;contatore0.csv;;;;;domestico\n"
                                                  "Due;consumatore;;;contatore1.csv;;;;;impresa\n"
                                                  "Tre;consumatore;;;contatore2.csv;;;;;domestico\n"
                                                  "Campo;produttore;;;;20;15;0;;ente\n");
        const QString tmy = QStringLiteral(FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.csv");
        QCOMPARE(Esegui(Sito() + QStringList{"--membri", membri, "--meteo", tmy}), 0);
        const double condivisa = Cifra("Energia condivisa (kWh)");
        QFile f(tmy);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const AnnoMeteo anno = LeggiMeteo(f.readAll().toStdString());
        const auto piano = [&](double kWp, double tilt) {
            ImpiantoMeteo p;
            p.latitudine = anno.latitudine;
            p.longitudine = anno.longitudine;
            p.tilt = tilt;
            p.potenza = kWp;
            p.riflettanza = 0.2;
            return ProduzioneDaMeteo(p, anno, cal).ore;
        };
        const std::vector<Ore> rossiP = piano(4, 30), campo = piano(20, 15);
        const std::vector<Ore> rossiC = ConsumoDaAnnuo(3000, *TrovaProfilo("fuori-casa"), cal);
        double atteso = 0;
        for (std::size_t d = 0; d < cal.giorni.size(); ++d)
            for (int h = 0; h < 24; ++h) {
                const std::size_t o = std::size_t(h);
                const double immessa = std::max(0.0, rossiP[d][o] - rossiC[d][o]) + campo[d][o];
                const double prelevata = std::max(0.0, rossiC[d][o] - rossiP[d][o]) + consumo(0, h) + consumo(1, h) + consumo(2, h);
                atteso += std::min(immessa, prelevata);
            }
        QVERIFY2(std::fabs(condivisa - atteso) <= 0.002 * atteso, qPrintable(QStringLiteral("%1 / %2").arg(condivisa).arg(atteso)));
        QVERIFY(atteso > 5000);
    }

    void dialogo()
    {
        // The dialog: the example in the table, saved and loaded back the same,
        // worked out off the window's thread to the command line's figures; a
        // bad cell named by its row.
        Sessione s(cartella.path(), FormatoNumeri::C());
        s.Avvia();
        s.ScegliProvincia(QStringLiteral("TO"));
        s.ScegliComuneRad(QStringLiteral("Torino"));
        s.ScegliComuneLat(QStringLiteral("Torino"));
        s.ScegliRiflettanza(QStringLiteral("Erba"));
        ImpiantoTesti i = s.impianto();
        i.tilt = QStringLiteral("30");
        i.azimut = QStringLiteral("0");
        i.potenza = QStringLiteral("1");
        s.ImpostaImpianto(i);
        QVERIFY(s.Calcola());
        DialogoComunita d(s, nullptr);
        d.Aggiorna();
        d.findChild<QPushButton*>(QStringLiteral("esempioMembri"))->click();
        const QString file = cartella.filePath("dal-dialogo.csv");
        QCOMPARE(d.SalvaFile(file), QString());
        const std::vector<Membro> prima = d.Membri();
        d.CaricaFile(file);
        const std::vector<Membro> dopo = d.Membri();
        QCOMPARE(dopo.size(), prima.size());
        for (std::size_t k = 0; k < dopo.size(); ++k)
            QVERIFY(dopo[k].nome == prima[k].nome && dopo[k].Picco() == prima[k].Picco()
                    && dopo[k].consumoAnnuo == prima[k].consumoAnnuo && dopo[k].tipo == prima[k].tipo);
        // A value of three decimals goes back to a file that reads it the same.
        const QString tre = Scrivi("tre-decimali.csv", "nome;ruolo;potenza\nTetto;produttore;1,1250\n");
        d.CaricaFile(tre);
        QCOMPARE(d.SalvaFile(tre), QString());
        d.CaricaFile(tre);
        QCOMPARE(d.Membri().front().Picco(), 1.125);
        d.CaricaFile(file);
        QSignalSpy fatto(&d, &DialogoComunita::calcolata);
        d.findChild<QPushButton*>(QStringLiteral("calcolaComunita"))->click();
        QVERIFY(fatto.wait(20000));
        QVERIFY(d.risultato());
        const double condivisa = d.risultato()->esito.ore.condivisaAnno;
        QCOMPARE(Esegui(Sito() + QStringList{"--membri", file, "--data-esercizio", QDate::currentDate().toString(Qt::ISODate)}), 0);
        QVERIFY(std::fabs(Cifra("Energia condivisa (kWh)") - condivisa) <= 0.5);
        // Stopped from outside: no half result, a refusal of its own.
        RichiestaComunita q;
        q.membri = d.Membri();
        q.cartella = cartella.path();
        std::atomic<bool> basta(true);
        QVERIFY_THROWS_EXCEPTION(ErroreAnnullato, CalcolaComunitaEnergetica(*s.ultimo(), 12.5, q, s.ParametriDelFile(), &basta));
        auto* tabella = d.findChild<QTableWidget*>(QStringLiteral("tabellaMembri"));
        tabella->item(2, 1)->setText(QStringLiteral("vicino"));
        d.findChild<QPushButton*>(QStringLiteral("calcolaComunita"))->click();
        QVERIFY(!d.risultato());
        const QString detto = d.findChild<QLabel*>(QStringLiteral("esitoComunita"))->text();
        QVERIFY2(detto.contains("riga 4") && detto.contains("ruolo"), qPrintable(detto));
    }

    void senzaPremioComeDaSoli()
    {
        // With no premium (entry into service after the decree's end) a
        // prosumer's community economics are its own household economics.
        const QString membri = Scrivi("soli.csv", "nome;ruolo;consumo_annuo;potenza;tilt;azimut\nRossi;prosumer;2700;3;30;0\n"
                                                  "Bianchi;consumatore;3000;;;\n");
        QCOMPARE(Esegui(Sito() + QStringList{"--membri", membri, "--data-esercizio", "2028-06-01", "--data-spesa", "2026-12-09"}), 0);
        const QStringList rossi = RigaMembro("Rossi");
        QVERIFY2(rossi.size() >= 13, qPrintable(uscita));
        QCOMPARE(Cifra("Tariffa premio (€/anno)"), 0.0);
        QCOMPARE(Cifra("Valorizzazione ARERA (€/anno)"), 0.0);
        QCOMPARE(rossi[8], QStringLiteral("0")); // premium and valorisation
        const double van = rossi[11].toDouble();
        QCOMPARE(Esegui({"convenienza", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba", "--tilt", "30",
                         "--azimut", "0", "--potenza", "3", "--consumo-annuo", "2700", "--anno", "2027", "--data-esercizio",
                         "2028-06-01", "--data-spesa", "2026-12-09"}),
                 0);
        QVERIFY2(std::fabs(Cifra("Valore attuale netto (VAN)") - van) <= 1, qPrintable(QString::number(van)));
        // The same with a 5 kWh battery: the member's own battery is in its meter and its economics.
        const QString conBatteria = Scrivi("soli-batteria.csv", "nome;ruolo;consumo_annuo;potenza;tilt;azimut;batteria\n"
                                                                "Rossi;prosumer;2700;3;30;0;5\nBianchi;consumatore;3000;;;;\n");
        QCOMPARE(Esegui(Sito() + QStringList{"--membri", conBatteria, "--data-esercizio", "2028-06-01", "--data-spesa", "2026-12-09"}), 0);
        const QStringList r5 = RigaMembro("Rossi");
        QVERIFY(r5[5].toDouble() < rossi[5].toDouble() - 300); // less fed in
        QCOMPARE(Esegui({"convenienza", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba", "--tilt", "30",
                         "--azimut", "0", "--potenza", "3", "--consumo-annuo", "2700", "--batteria", "5", "--anno", "2027",
                         "--data-esercizio", "2028-06-01", "--data-spesa", "2026-12-09"}),
                 0);
        // The household's second column is with the battery (its ageing curve in both).
        double conLaBatteria = std::nan("");
        for (const QString& r : uscita.split(u'\n'))
            if (r.startsWith(QStringLiteral("Valore attuale netto (VAN)  ")))
                conLaBatteria = r.mid(26).simplified().section(u' ', 2, 2).toDouble();
        QVERIFY2(std::fabs(conLaBatteria - r5[11].toDouble()) <= 1, qPrintable(QString::number(conLaBatteria)));
    }

    void premioNegliAnniDelPremio()
    {
        // In the North every plant up to 200 kW earns 120 + 10 EUR/MWh at the
        // zone's price; a producer paid by its feed-in sees its part added to
        // its own economics for the premium's 20 years only.
        const QString membri = Scrivi("premio.csv", "nome;ruolo;consumo_annuo;potenza\nA;consumatore;9000;\nB;produttore;;20\n");
        const QStringList base = Sito() + QStringList{"--membri", membri, "--data-spesa", "2026-12-09", "--ripartizione", "immissioni"};
        QCOMPARE(Esegui(base + QStringList{"--data-esercizio", "2027-06-01"}), 0);
        const double condivisa = Cifra("Energia condivisa (kWh)"), premio = Cifra("Tariffa premio (€/anno)");
        QVERIFY(condivisa > 1000 && std::fabs(premio - 0.13 * condivisa) <= 1);
        const double valore = Cifra("Valorizzazione ARERA (€/anno)");
        const QStringList con = RigaMembro("B");
        QCOMPARE(Esegui(base + QStringList{"--data-esercizio", "2028-06-01"}), 0);
        const QStringList senza = RigaMembro("B");
        // The premium's present value: P (1 - 0.5 %)^(t-1) / 1.03^t for t = 1..20.
        double attuale = 0;
        for (int t = 1; t <= 20; ++t)
            attuale += (premio + valore) * std::pow(0.995, t - 1) / std::pow(1.03, t);
        QVERIFY2(std::fabs(con[11].toDouble() - senza[11].toDouble() - attuale) <= 12,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(con[11], senza[11]).arg(attuale)));
    }
};

QTEST_MAIN(TestComunita)
#include "tst_comunita.moc"
