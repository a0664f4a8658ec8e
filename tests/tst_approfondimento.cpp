// SPDX-License-Identifier: MIT
// The balance and the economics end to end, as the command line and the
// dialog reach them through one call: what the CSV holds and under which
// label, the session's options reaching the calculation, files that cannot
// be written or read, numbers typed the Italian way. Both locales.
#include "app/analisi.h"
#include "calc/catena.h"
#include "calc/meteo.h"
#include "app/aspetto.h"
#include "app/relazione.h"
#include "app/riga_comando.h"
#include "data/csv.h"
#include "data/parametri.h"
#include "data/strumento.h"

#include "finestra_aiuti.h"
#include "fixture.h"

#include <algorithm>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>
#include <set>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QStringList kImpianto = {"--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba",
                               "--tilt", "30", "--azimut", "0", "--potenza", "3", "--anno", "2027"};

// A file's size limit for this process (a full disk, as a write sees it), undone on leaving.
class LimiteFile {
public:
    explicit LimiteFile(rlim_t byte)
    {
        getrlimit(RLIMIT_FSIZE, &prima_);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = prima_;
        r.rlim_cur = byte;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~LimiteFile() { setrlimit(RLIMIT_FSIZE, &prima_); }

private:
    rlimit prima_{};
};

} // namespace

class TestApprofondimento : public QObject {
    Q_OBJECT

    QTemporaryDir cartella;
    char separatore = ',';
    QString errori;

    int Esegui(const QStringList& argomenti)
    {
        QString uscita;
        errori.clear();
        QTextStream u(&uscita), e(&errori);
        ultimaUscita = QString();
        const int esito = fv::EseguiRigaComando(argomenti, u, e, cartella.path());
        u.flush();
        ultimaUscita = uscita;
        return esito;
    }
    QString ultimaUscita;

    std::vector<fv::RigaCsv> Csv(const QString& percorso) const
    {
        QFile f(percorso);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return fv::LeggiCsv(f.readAll().toStdString(), separatore);
    }

    static const fv::RigaCsv* Riga(const std::vector<fv::RigaCsv>& righe, const std::string& etichetta, std::size_t dopo = 0)
    {
        for (std::size_t i = dopo; i < righe.size(); ++i)
            if (!righe[i].empty() && righe[i][0] == etichetta)
                return &righe[i];
        return nullptr;
    }

    static std::size_t Indice(const std::vector<fv::RigaCsv>& righe, const std::string& etichetta)
    {
        for (std::size_t i = 0; i < righe.size(); ++i)
            if (!righe[i].empty() && righe[i][0] == etichetta)
                return i;
        return righe.size();
    }

    static double Numero(const std::string& t) { return QString::fromStdString(t).replace(',', '.').toDouble(); }

private slots:
    void initTestCase()
    {
        FiltraAvvisiOffscreen();
        QVERIFY(cartella.isValid());
        QCOMPARE(fixture::Scrivi(cartella.filePath("data.mdb"), fixture::Standard()), QString());
        separatore = fv::FormatoUtente().decimale == "," ? ';' : ',';
    }

    void trentaseiBollette()
    {
        // F1, F2, F3 of each month, January first: April's three bands are 103, 50, 80.
        QStringList valori;
        for (int m = 0; m < 12; ++m)
            valori << QString::number(100 + m) << "50" << "80";
        const QString csv = cartella.filePath("bollette.csv");
        QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--fasce", valori.join(','), "--csv", csv}), 0);
        const auto righe = Csv(csv);
        const fv::RigaCsv* aprile = Riga(righe, "Fasce F1, F2, F3 di aprile (kWh)");
        QVERIFY(aprile && aprile->size() == 4);
        QCOMPARE(Numero((*aprile)[1]) * 10000 + Numero((*aprile)[2]) * 100 + Numero((*aprile)[3]), 1035080.0);
        const std::size_t tabella = Indice(righe, "Bilancio mese per mese, senza batteria");
        const fv::RigaCsv* consumo = Riga(righe, "Aprile", tabella);
        QVERIFY(consumo);
        QVERIFY2(std::fabs(Numero((*consumo)[2]) - 233) < 0.5, (*consumo)[2].c_str());
        // No battery: no "con batteria" column, no such table.
        QCOMPARE(Indice(righe, "Bilancio mese per mese, con batteria"), righe.size());
        QCOMPARE(int(Riga(righe, "Consumo (kWh)")->size()), 2);
    }

    void entrambiICasiNelCsv()
    {
        const QString csv = cartella.filePath("convenienza.csv");
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto
                        + QStringList{"--consumo-annuo", "2700", "--batteria", "5", "--csv", csv}),
                 0);
        QVERIFY2(ultimaUscita.contains("Valore attuale netto"), qPrintable(ultimaUscita)); // printed with --csv too
        const auto righe = Csv(csv);
        // The investment without and with the battery: 3 kW x 1900, plus 5 kWh x 650.
        const fv::RigaCsv* investimento = Riga(righe, "Investimento (€)");
        QVERIFY(investimento && investimento->size() == 3);
        QCOMPARE(Numero((*investimento)[1]), 5700.0);
        QCOMPARE(Numero((*investimento)[2]), 8950.0);
        // Each yearly table labelled, year 0 its own case's investment.
        const std::size_t con = Indice(righe, "Flussi di cassa anno per anno, con batteria");
        const std::size_t senza = Indice(righe, "Flussi di cassa anno per anno, senza batteria");
        QVERIFY(con < senza && senza < righe.size());
        const auto flusso = std::size_t(std::find(righe[con + 1].begin(), righe[con + 1].end(), "Flusso (€)") - righe[con + 1].begin());
        QVERIFY(flusso < righe[con + 1].size());
        QCOMPARE(Numero(righe[con + 2][flusso]), -8950.0);
        QCOMPARE(Numero(righe[senza + 2][flusso]), -5700.0);
        QVERIFY(Riga(righe, "Batteria utile (kWh)") && Numero(Riga(righe, "Batteria utile (kWh)")->at(1)) == 5);
        QVERIFY(Riga(righe, "Anno di riferimento")->at(1) == "2027");
    }

    void opzioniFinoAlCalcolo()
    {
        // The session's options reach the calculation, and a kept production
        // is never that of other options.
        fv::Sessione s(cartella.path(), fv::FormatoUtente());
        s.Avvia();
        s.ScegliProvincia("TO");
        s.ScegliComuneRad("Torino");
        s.ScegliComuneLat("Torino");
        s.ScegliRiflettanza("Erba");
        s.ImpostaImpianto({"30", "0", "3", "15", "90", 0, 0});
        const fv::Risultato r = *s.Calcola();
        fv::RichiestaBilancio q;
        q.anno = 2027;
        q.batteria.capacita = 5;
        const auto autosufficienza = [&](fv::Analisi& a, bool medi, int anno) {
            fv::RichiestaBilancio x = q;
            x.giorniMedi = medi;
            x.anno = anno;
            return a.BilancioEnergetico(r, x).conBatteria.anno.Autosufficienza();
        };
        fv::Analisi tenuta(s);
        const double vari = autosufficienza(tenuta, false, 2027);
        const double medi = autosufficienza(tenuta, true, 2027);
        QVERIFY2(medi > vari + 0.02, qPrintable(QStringLiteral("%1 %2").arg(medi).arg(vari)));
        QCOMPARE(autosufficienza(tenuta, false, 2027), vari);
        fv::Analisi nuova(s);
        QCOMPARE(autosufficienza(nuova, true, 2027), medi);
        // Another year, another calendar: the kept production is not reused.
        QCOMPARE(autosufficienza(tenuta, false, 2029), autosufficienza(nuova, false, 2029));
        // A kept weather year is the one of its options: each of them, changed and
        // changed back, gives the production it alone would (a horizon, the losses, the sky).
        fv::RichiestaMeteo mt;
        mt.file = QStringLiteral(FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.epw");
        const auto anno = [&](fv::Analisi& a, const fv::RichiestaMeteo& x) { return a.ConfrontoMeteo(r, x, 2027).meteo->produzione.anno; };
        const double libero = anno(tenuta, mt);
        fv::RichiestaMeteo venti = mt, collina = mt, isotropo = mt;
        venti.perditeSistema = 20;
        collina.orizzonte = QStringLiteral("0:20 90:20 180:20 270:20");
        isotropo.trasposizione = fv::Trasposizione::Isotropo;
        // Each right after the plain one, so that only its own option differs from the kept year.
        QVERIFY(anno(tenuta, collina) < 0.95 * libero);
        QCOMPARE(anno(tenuta, mt), libero);
        QVERIFY(std::fabs(anno(tenuta, venti) / libero - 0.80 / 0.86) < 1e-9);
        QCOMPARE(anno(tenuta, mt), libero);
        QCOMPARE(anno(tenuta, collina), anno(nuova, collina));
        QCOMPARE(anno(tenuta, isotropo), anno(nuova, isotropo));
        QCOMPARE(anno(tenuta, mt), libero);
        // A series on the plant's own plane (30° south, PVGIS's components written from the
        // typical year's chain): a sky model asked for is said not to be used.
        {
            QFile sorgente(QStringLiteral(FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.csv"));
            QVERIFY(sorgente.open(QIODevice::ReadOnly));
            const fv::AnnoMeteo tmy = fv::LeggiMeteo(sorgente.readAll().toStdString());
            fv::ImpiantoMeteo piano;
            piano.latitudine = tmy.latitudine;
            piano.longitudine = tmy.longitudine;
            const fv::FattoriPiano fattori(piano);
            std::string testo = "Latitude (decimal degrees):\t45.000\nLongitude (decimal degrees):\t8.000\nElevation (m):\t250\n"
                                "Radiation database:\tPVGIS-SARAH3\n\n\nSlope: 30 deg. \nAzimuth: 0 deg. \n"
                                "time,Gb(i),Gd(i),Gr(i),H_sun,T2m,WS10m,Int\n";
            for (const fv::OraMeteo& o : tmy.ore) {
                const fv::OraPiano h = fv::CalcolaOra(piano, o, fattori);
                // PVGIS's decimal points whatever the locale the test runs in.
                testo += QString::asprintf("%04d%02d%02d:%02d%02d,%.4f,%.4f,%.4f,0.0,%.2f,%.2f,0.0\n", o.anno, o.mese, o.giorno,
                                           o.inizioUtc, int(std::lround((o.istanteUtc - o.inizioUtc) * 60)), h.fascio, h.diffusa,
                                           h.riflessa, o.temperatura, o.vento)
                             .toStdString();
            }
            QFile f(cartella.filePath("sul-piano.csv"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(testo.c_str());
            f.close();
            fv::RichiestaMeteo suPiano;
            suPiano.file = f.fileName();
            suPiano.trasposizione = fv::Trasposizione::HayDavies;
            const fv::RisultatoBilancio b = tenuta.ConfrontoMeteo(r, suPiano, 2027);
            QVERIFY2(b.avvisi.join(' ').contains("non si usa") && b.meteo->sulPiano, qPrintable(b.avvisi.join(' ')));
            QVERIFY(fv::TabellaMeteo(*b.meteo, s.formato()).size() > 20);
        }
        // A leap year says what it does with February.
        q.anno = 2028;
        QVERIFY(tenuta.BilancioEnergetico(r, q).avvisi.join(' ').contains("bisestile"));
        // A meter's file read once is read again when it changes.
        const QString file = cartella.filePath("contatore.csv");
        const auto scrivi = [&](const char* valore) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            const fv::Calendario c = fv::CreaCalendario(2027);
            for (const fv::Giorno& g : c.giorni)
                for (int h = 0; h < 24; ++h)
                    f.write(QStringLiteral("%1/%2/2027;%3:00;%4\n").arg(g.giorno).arg(g.mese + 1).arg(h).arg(QLatin1String(valore)).toUtf8());
        };
        fv::RichiestaBilancio m;
        m.anno = 2027;
        m.consumo.modo = fv::RichiestaConsumo::Modo::File;
        m.consumo.file = file;
        scrivi("1");
        QCOMPARE(tenuta.BilancioEnergetico(r, m).senzaBatteria.anno.consumo, 8760.0);
        scrivi("0.25");
        QCOMPARE(tenuta.BilancioEnergetico(r, m).senzaBatteria.anno.consumo, 2190.0);
        // A battery outside its range is refused, named, before anything is computed.
        q.batteria.rendimento = 1;
        QVERIFY_THROWS_EXCEPTION(fv::ErroreRichiesta, tenuta.BilancioEnergetico(r, q));
    }

    void fileCheNonSiScrivono()
    {
        std::vector<QStringList> tabella(2000, QStringList{"una riga abbastanza lunga da riempire un disco piccolo", "1"});
        const QString pieno = cartella.filePath("pieno.csv");
        {
            // A full disk: an error, and no file, empty or partial.
            LimiteFile limite(256);
            const QString errore = fv::SalvaTabellaCsv(pieno, tabella, fv::FormatoUtente());
            QVERIFY2(errore.contains("Impossibile scrivere"), qPrintable(errore));
            QVERIFY(!QFileInfo::exists(pieno));
            QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--csv", pieno}), 1);
            QVERIFY(!QFileInfo::exists(pieno));
        }
        // A FIFO (as a device would be: never /dev/full itself, which a fault
        // would replace for the whole machine), a folder: refused as they are,
        // --sovrascrivi or not.
        const QString fifo = cartella.filePath("fifo");
        QVERIFY(mkfifo(fifo.toLocal8Bit().constData(), 0600) == 0);
        for (const QString& dove : {fifo, cartella.path()}) {
            QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--csv", dove, "--sovrascrivi"}), 1);
            QVERIFY2(errori.contains("non è un file ordinario"), qPrintable(errori));
        }
        struct stat info {};
        QVERIFY(stat(fifo.toLocal8Bit().constData(), &info) == 0 && S_ISFIFO(info.st_mode));
        // A meter's "file" that never ends is not read.
        QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumi", "/dev/zero"}), 1);
        QVERIFY2(errori.contains("non è un file ordinario"), qPrintable(errori));
    }

    void numeriAllItaliana_data()
    {
        QTest::addColumn<QStringList>("argomenti");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("consumo con il punto delle migliaia") << QStringList{"bilancio", "--consumo-annuo", "2.700"} << "2,7 oppure 2.700";
        QTest::newRow("costo con il punto delle migliaia") << QStringList{"convenienza", "--consumo-annuo", "2700", "--parametro", "costo_impianto=1.900"}
                                                            << "1,9 oppure 1.900";
        QTest::newRow("imposta con la virgola delle migliaia")
            << QStringList{"convenienza", "--consumo-annuo", "2700", "--imposta-lorda", "2,700"} << "2,7 oppure 2.700";
        QTest::newRow("aliquota scritta come frazione")
            << QStringList{"convenienza", "--consumo-annuo", "2700", "--parametro", "aliquota_irpef=0.23"} << "forse 23 %?";
        QTest::newRow("due uscite sullo stesso file")
            << QStringList{"bilancio", "--consumo-annuo", "2700", "--orario", "uno.csv", "--csv", "./uno.csv"} << "stesso file";
        QTest::newRow("consumo minimo") << QStringList{"bilancio", "--consumo-annuo", "10"} << "da 100 a 10.000.000";
        QTest::newRow("rendimento dell'1 %") << QStringList{"bilancio", "--consumo-annuo", "2700", "--batteria-rendimento", "1"} << "da 50 a 100";
        QTest::newRow("anno con decimali") << QStringList{"bilancio", "--consumo-annuo", "2700", "--anno", "2027.5"} << "numero intero";
        QTest::newRow("orizzonte con decimali") << QStringList{"convenienza", "--consumo-annuo", "2700", "--parametro", "orizzonte=2.5"}
                                                << "numero intero";
        QTest::newRow("due modi di dare i consumi") << QStringList{"bilancio", "--consumo-annuo", "2700", "--consumi", "x.csv"}
                                                    << "--consumo-annuo e --consumi insieme";
        QTest::newRow("calcola con un'opzione del bilancio") << QStringList{"calcola", "--batteria", "5"} << "usare bilancio o convenienza";
        QTest::newRow("file meteo vuoto") << QStringList{"bilancio", "--consumo-annuo", "2700", "--meteo", ""} << "non un testo vuoto";
        QTest::newRow("orizzonte da un file che non c'è")
            << QStringList{"bilancio", "--consumo-annuo", "2700", "--meteo", FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.epw",
                           "--orizzonte", "/non/esiste/orizzonte.csv"}
            << "«/non/esiste/orizzonte.csv» non esiste";
        QTest::newRow("orizzonte con un azimut due volte")
            << QStringList{"bilancio", "--consumo-annuo", "2700", "--meteo", FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.epw",
                           "--orizzonte", "0:5 90:10 90:30 180:5"}
            << "ha due elevazioni";
    }

    void numeriAllItaliana()
    {
        QFETCH(QStringList, argomenti);
        QFETCH(QString, atteso);
        QStringList tutti = argomenti;
        for (const QString& a : kImpianto)
            if (!(argomenti.contains("--anno") && (a == "--anno" || a == "2027")))
                tutti << a;
        QCOMPARE(Esegui(tutti), 1);
        QVERIFY2(errori.contains(atteso) && errori.count('\n') == 1, qPrintable(errori));
        QVERIFY(!QFileInfo::exists("uno.csv"));
    }

    void unaCorsaFallitaNonScrive()
    {
        // calcola reads its weather file before it writes: a file that is no weather
        // leaves no CSV behind.
        const QString csv = cartella.filePath("fallita.csv");
        QCOMPARE(Esegui(QStringList{"calcola", "--meteo", QStringLiteral(FV_FIXTURE_METEO "/README.md"), "--csv", csv}
                        + kImpianto.mid(0, 12)),
                 1);
        QVERIFY2(errori.contains("--meteo"), qPrintable(errori));
        QVERIFY(!QFileInfo::exists(csv));
    }


    void regoleDellaFamiglia()
    {
        // The same plant, its expense in 2026 and in 2027, main home and second
        // home: the later expense and the second home have a lower deduction.
        const auto van = [&](const QStringList& piu) {
            const QString csv = cartella.filePath("regole.csv");
            QFile::remove(csv);
            if (Esegui(QStringList{"convenienza"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--csv", csv} + piu) != 0)
                return std::nan("");
            const auto righe = Csv(csv);
            const fv::RigaCsv* r = Riga(righe, "Valore attuale netto (VAN) (€)");
            return r ? Numero(r->at(1)) : std::nan("");
        };
        const double principale2026 = van({"--data-spesa", "2026-12-01"});
        const double principale2027 = van({"--data-spesa", "2027-03-01"});
        const double seconda2026 = van({"--data-spesa", "2026-12-01", "--seconda-casa"});
        QVERIFY2(principale2027 < principale2026 - 500 && seconda2026 < principale2026 - 500,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(principale2026).arg(principale2027).arg(seconda2026)));
        // 14 points of 5700 EUR: 798 EUR over ten instalments, discounted at 3 %.
        double atteso = 0;
        for (int t = 1; t <= 10; ++t)
            atteso += 5700 * 0.14 / 10 / std::pow(1.03, t);
        QVERIFY(std::fabs((principale2026 - principale2027) - atteso) < 1);
        // A date before the first rule, or no date at all: refused, named.
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--data-spesa", "2024-06-01"}), 1);
        QVERIFY2(errori.contains("--data-spesa") && errori.contains("dal 01/01/2025"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--data-spesa", "2026-02-31"}), 1);
        QVERIFY2(errori.contains("AAAA-MM-GG"), qPrintable(errori));
    }

    void premioDellaRegione()
    {
        // Torino is in the North: the premium on the shared half of the export,
        // 70 % passed on, is (120 + 10 + 8) EUR/MWh.
        const QString csv = cartella.filePath("regione.csv");
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto
                        + QStringList{"--consumo-annuo", "2700", "--parametro", "quota_condivisa=50", "--csv", csv}),
                 0);
        const auto righe = Csv(csv);
        const std::size_t tabella = Indice(righe, "Flussi di cassa anno per anno, senza batteria");
        QVERIFY(tabella + 3 < righe.size());
        const fv::RigaCsv& primo = righe[tabella + 3];
        QVERIFY2(std::fabs(Numero(primo[6]) / Numero(primo[3]) - 0.5 * 0.7 * 0.138) < 1e-4, primo[6].c_str());
    }

    void contributoPnrr()
    {
        // A comune the census does not know, an expense while the window was open: the
        // grant in year 1, no deduction, and the unknown population said.
        const QStringList esempio = {"--provincia", "TO", "--comune-radiazione", "Esempio", "--terreno", "Erba", "--tilt", "30",
                                     "--azimut", "0", "--potenza", "3", "--anno", "2027", "--consumo-annuo", "2700",
                                     "--parametro", "quota_condivisa=50"};
        const QString csv = cartella.filePath("pnrr.csv");
        QVERIFY2(Esegui(QStringList{"convenienza", "--contributo-pnrr", "--data-spesa", "2026-03-01", "--csv", csv} + esempio) == 0,
                 qPrintable(errori));
        QVERIFY2(ultimaUscita.contains("non è nei dati"), qPrintable(ultimaUscita));
        const auto righe = Csv(csv);
        const fv::RigaCsv* contributo = Riga(righe, "Contributo PNRR in conto capitale (€)");
        QVERIFY(contributo);
        QCOMPARE(Numero(contributo->at(1)), 0.4 * 3 * 1500); // 1900 EUR/kWp over the 1500 admitted
        // Torino is over 50,000 inhabitants; after 30/6/2026 no window is open: refused, named.
        QCOMPARE(Esegui(QStringList{"convenienza", "--contributo-pnrr", "--data-spesa", "2026-03-01", "--consumo-annuo", "2700"}
                        + kImpianto),
                 1);
        QVERIFY2(errori.contains("--contributo-pnrr") && errori.contains("Torino") && errori.contains("50.000"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"convenienza", "--contributo-pnrr", "--data-spesa", "2026-12-01"} + esempio), 1);
        QVERIFY2(errori.contains("Nessuno sportello") && errori.contains("01/12/2026"), qPrintable(errori));
        // Outside a community (no share of the energy) the grant is refused, not granted.
        QCOMPARE(Esegui(QStringList{"convenienza", "--contributo-pnrr", "--data-spesa", "2026-03-01"} + esempio.mid(0, 16)), 1);
        QVERIFY2(errori.contains("comunità energetica") && errori.contains("quota_condivisa"), qPrintable(errori));
        // The entry into service, a day of the calendar, is in the CSV's inputs.
        QVERIFY(Esegui(QStringList{"convenienza", "--data-spesa", "2027-11-15", "--data-esercizio", "2028-02-30"} + esempio) == 1);
        QVERIFY2(errori.contains("--data-esercizio"), qPrintable(errori));
        QVERIFY2(Esegui(QStringList{"convenienza", "--data-spesa", "2027-11-15", "--data-esercizio", "2028-02-01", "--csv", csv,
                                    "--sovrascrivi"}
                        + esempio) == 0,
                 qPrintable(errori));
        QVERIFY(Riga(Csv(csv), "Entrata in esercizio") && Riga(Csv(csv), "Entrata in esercizio")->at(1) == "2028-02-01");
        QCOMPARE(Numero(Riga(Csv(csv), "premio_comunita")->at(1)), 0.0);
        // The limit by date: 5,000 before DM 127/2025, 50,000 after. Rivoli (48,632 in 2011) is
        // refused in March 2025 and admitted, near the limit, in March 2026.
        const std::vector<fv::Parametro> righeParametri = fv::ParametriPredefiniti();
        fv::Risultato rivoli;
        rivoli.provincia = QStringLiteral("TO");
        rivoli.comuneRadiazione = QStringLiteral("Rivoli");
        fv::RichiestaBilancio richiesta;
        richiesta.famiglia.contributoPnrr = true;
        richiesta.dataSpesa = "2025-03-01";
        const auto inComunita = [&] {
            std::vector<fv::Parametro> p = fv::ParametriDellaRichiesta(righeParametri, richiesta);
            for (fv::Parametro& x : p)
                if (x.nome == "quota_condivisa")
                    x.valore = 50;
            return p;
        };
        QVERIFY_THROWS_EXCEPTION(fv::ErroreRichiesta, fv::VerificaContributo(rivoli, richiesta, inComunita()));
        richiesta.dataSpesa = "2026-03-01";
        const QStringList avvisi = fv::VerificaContributo(rivoli, richiesta, inComunita());
        QVERIFY2(avvisi.join(' ').contains("vicino al limite"), qPrintable(avvisi.join(' ')));
        fv::Risultato rho = rivoli; // 50,052 in 2011: just over
        rho.provincia = QStringLiteral("MI");
        rho.comuneRadiazione = QStringLiteral("Rho");
        QVERIFY_THROWS_EXCEPTION(fv::ErroreRichiesta, fv::VerificaContributo(rho, richiesta, inComunita()));
    }

    void annoDaUnFileMeteo()
    {
        // The balance on the file's hours: its production is the file's year, the CSV
        // carries the month-by-month comparison and the losses.
        const QString csv = cartella.filePath("meteo.csv");
        const QString meteo = QStringLiteral(FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.json");
        QVERIFY2(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--meteo", meteo, "--csv", csv}) == 0,
                 qPrintable(errori));
        QVERIFY2(ultimaUscita.contains("Anno meteorologico da"), qPrintable(ultimaUscita));
        // The same year said to be Palermo's (38.1° N), 770 km south: another climate, refused,
        // both sites and the distance named.
        for (const auto& [vecchio, nuovo, atteso] : std::vector<std::tuple<QByteArray, QByteArray, QString>>{
                 {"\"latitude\": 45.0", "\"latitude\": 38.1", "a 775 km da Torino (45,07° N"}}) {
            QFile f(meteo);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QByteArray t = f.readAll();
            t.replace(vecchio, nuovo);
            QFile altro(cartella.filePath("altrove.json"));
            QVERIFY(altro.open(QIODevice::WriteOnly));
            altro.write(t);
            altro.close();
            QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--meteo", altro.fileName()}), 1);
            QVERIFY2(errori.contains(atteso), qPrintable(errori));
        }
        const auto righe = Csv(csv);
        const fv::RigaCsv* produzione = Riga(righe, "Produzione (kWh)");
        const std::size_t tabella = Indice(righe, "Produzione dal file meteo");
        QVERIFY(produzione && tabella < righe.size());
        const fv::RigaCsv* totale = nullptr;
        for (std::size_t i = tabella; i < righe.size() && !totale; ++i)
            if (!righe[i].empty() && righe[i][0] == "Totale" && righe[i].size() == 5)
                totale = &righe[i];
        QVERIFY(totale);
        QVERIFY2(std::fabs(Numero(produzione->at(1)) - Numero(totale->at(1))) < 1, produzione->at(1).c_str());
        QVERIFY(Numero(totale->at(1)) > 3 * 1290 && Numero(totale->at(1)) < 3 * 1370); // 3 kWp at about 1,330 kWh/kWp
        QVERIFY(Riga(righe, "Perdita per l'angolo di incidenza (%)"));
        // The site and the plant lead the file, as in the window's; the yearly energy
        // beside them is the file's, the comune's monthly method named as such.
        QVERIFY(std::any_of(righe.begin(), righe.end(), [](const fv::RigaCsv& r) { return r.size() > 1 && r[1] == "Torino"; }));
        QVERIFY(Riga(righe, "Inclinazione (°)") && Riga(righe, "Inclinazione (°)")->at(1) == "30");
        const fv::RigaCsv* dalFile = Riga(righe, "Energia annua dall'anno meteorologico (kWh)");
        QVERIFY(dalFile && Riga(righe, "Energia annua, metodo mensile del comune (kWh)") && !Riga(righe, "Energia annua (kWh)"));
        QVERIFY2(std::fabs(Numero(dalFile->at(1)) - Numero(totale->at(1))) < 1, dalFile->at(1).c_str());
        // calcola with the same file: its CSV says both figures and carries the file's months;
        // its terminal table the same row.
        const QString soloCalcolo = cartella.filePath("calcola-meteo.csv");
        QVERIFY2(Esegui(QStringList{"calcola", "--meteo", meteo, "--csv", soloCalcolo} + kImpianto.mid(0, 12)) == 0, qPrintable(errori));
        const auto calcolo = Csv(soloCalcolo);
        const fv::RigaCsv* energiaFile = Riga(calcolo, "Energia annua dall'anno meteorologico (kWh)");
        QVERIFY(energiaFile && Indice(calcolo, "Produzione dal file meteo") < calcolo.size());
        QCOMPARE(energiaFile->at(1), dalFile->at(1));
        QVERIFY(Esegui(QStringList{"calcola", "--meteo", meteo} + kImpianto.mid(0, 12)) == 0);
        QVERIFY2(ultimaUscita.contains("Energia annua dall'anno meteorologico (kWh)"), qPrintable(ultimaUscita));
        // The hour-by-hour export of the same balance: 8,760 rows whose months sum to
        // the monthly table, column by column.
        const QString orario = cartella.filePath("orario.csv");
        QFile::remove(orario);
        QFile::remove(csv);
        QVERIFY2(Esegui(QStringList{"bilancio"} + kImpianto
                        + QStringList{"--consumo-annuo", "2700", "--batteria", "5", "--meteo", meteo, "--csv", csv, "--orario", orario})
                     == 0,
                 qPrintable(errori));
        const auto ore = Csv(orario);
        QCOMPARE(int(ore.size()), 8761);
        // In clock time: the last Sunday of March has 23 hours (no 02:00), the last of
        // October 25 (02:00 in summer time, then again in winter time), each with its offset.
        const auto righeDel = [&](const std::string& giorno) {
            std::vector<std::string> inizi;
            for (const auto& r : ore)
                if (r[0] == giorno)
                    inizi.push_back(r[2]);
            return inizi;
        };
        const auto marzo = righeDel("2027-03-28"), ottobre = righeDel("2027-10-31"), sabato = righeDel("2027-03-27");
        QCOMPARE(int(marzo.size()), 23);
        QCOMPARE(int(ottobre.size()), 25);
        QCOMPARE(int(sabato.size()), 24);
        QCOMPARE(marzo[1], std::string("2027-03-28T01:00+01:00"));
        QCOMPARE(marzo[2], std::string("2027-03-28T03:00+02:00"));
        QCOMPARE(ottobre[2], std::string("2027-10-31T02:00+02:00"));
        QCOMPARE(ottobre[3], std::string("2027-10-31T02:00+01:00"));
        QCOMPARE(righeDel("2027-07-01")[12], std::string("2027-07-01T12:00+02:00"));
        QCOMPARE(righeDel("2027-01-15")[12], std::string("2027-01-15T12:00+01:00"));
        const auto mesi = Csv(csv);
        const std::size_t mensile = Indice(mesi, "Bilancio mese per mese, con batteria") + 1;
        QVERIFY(mensile + 13 < mesi.size());
        const fv::RigaCsv& testata = mesi[mensile];
        for (std::size_t c = 1; c < testata.size(); ++c) {
            const auto colonna = std::find(ore[0].begin(), ore[0].end(), testata[c]);
            QVERIFY2(colonna != ore[0].end(), testata[c].c_str());
            const std::size_t k = std::size_t(colonna - ore[0].begin());
            std::array<double, 12> somma{};
            for (std::size_t i = 1; i < ore.size(); ++i)
                somma[std::size_t(std::stoi(ore[i][0].substr(5, 2)) - 1)] += Numero(ore[i][k]);
            for (std::size_t m = 0; m < 12; ++m)
                QVERIFY2(std::fabs(somma[m] - Numero(mesi[mensile + 1 + m][c])) <= 0.5 + 1e-9,
                         qPrintable(QStringLiteral("%1, mese %2: %3").arg(QString::fromStdString(testata[c])).arg(m + 1).arg(somma[m])));
        }
        // A horizon lowers it; what does not go with a file, refused by name.
        QVERIFY(Esegui(QStringList{"bilancio"} + kImpianto
                       + QStringList{"--consumo-annuo", "2700", "--meteo", meteo, "--orizzonte", "90:30 180:30 270:30 0:30"})
                == 0);
        QVERIFY(ultimaUscita.contains("Perdita per l'orizzonte"));
        QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--orizzonte", "0:5 180:5"}), 1);
        QVERIFY2(errori.contains("--orizzonte") && errori.contains("--meteo"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--meteo", meteo, "--giorni-medi"}), 1);
        QVERIFY2(errori.contains("--giorni-medi"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--meteo", meteo, "--trasposizione", "klucher"}), 1);
        QVERIFY2(errori.contains("hay-davies"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--meteo", "/dev/zero"}), 1);
        QVERIFY2(errori.contains("non è un file ordinario"), qPrintable(errori));
    }

    void dimensionamento()
    {
        // The grid's cell for the plant computed (3 kWp, 5 kWh: between the steps, added)
        // is the economics of convenienza; the best is a true maximum of its grid.
        const QString griglia = cartella.filePath("griglia.csv"), conv = cartella.filePath("conv.csv");
        const QStringList casa = {"--consumo-annuo", "2700", "--batteria", "5", "--data-spesa", "2026-12-01"};
        QVERIFY2(Esegui(QStringList{"dimensiona"} + kImpianto + casa + QStringList{"--potenza-max", "6", "--passo-potenza", "0.5",
                                                                                  "--batteria-max", "10", "--csv", griglia}) == 0,
                 qPrintable(errori));
        QVERIFY(ultimaUscita.contains("La migliore") && ultimaUscita.contains("Quella calcolata"));
        QVERIFY(Esegui(QStringList{"convenienza"} + kImpianto + casa + QStringList{"--csv", conv}) == 0);
        const double vanConvenienza = Numero(Riga(Csv(conv), "Valore attuale netto (VAN) (€)")->at(2));
        const double autosufficienzaConvenienza = Numero(Riga(Csv(conv), "Autosufficienza (quota del consumo coperta) (%)")->at(2));
        const auto righe = Csv(griglia);
        std::map<std::pair<double, double>, double> van, produzione, autosufficienza;
        std::pair<double, double> migliore{};
        for (std::size_t i = 1; i < righe.size(); ++i) {
            const std::pair<double, double> k{Numero(righe[i][0]), Numero(righe[i][1])};
            van[k] = Numero(righe[i][3]);
            produzione[k] = Numero(righe[i][7]);
            autosufficienza[k] = Numero(righe[i][6]);
            if (righe[i][8] == "sì")
                migliore = k;
        }
        // The production scales with the peak power.
        QVERIFY(std::fabs(produzione.at({6.0, 0.0}) - 2 * produzione.at({3.0, 0.0})) < 0.2);
        QVERIFY(std::fabs(produzione.at({1.5, 4.0}) - produzione.at({3.0, 0.0}) / 2) < 0.2);
        QCOMPARE(int(van.size()), 11 * 7); // 1 to 6 by 0.5; 0 to 10 by 2, and 5
        QVERIFY2(std::fabs(van.at({3.0, 5.0}) - vanConvenienza) <= 0.5, // the headline rounds to the euro
                 qPrintable(QStringLiteral("%1 %2").arg(van.at({3.0, 5.0})).arg(vanConvenienza)));
        // Its self-sufficiency is the balance's with that battery, above the plant's without.
        QVERIFY2(std::fabs(autosufficienza.at({3.0, 5.0}) - autosufficienzaConvenienza) <= 0.1,
                 qPrintable(QStringLiteral("%1 %2").arg(autosufficienza.at({3.0, 5.0})).arg(autosufficienzaConvenienza)));
        QVERIFY(autosufficienza.at({3.0, 5.0}) > autosufficienza.at({3.0, 0.0}) + 5);
        std::set<double> potenze, batterie;
        for (const auto& [k, v] : van) {
            potenze.insert(k.first);
            batterie.insert(k.second);
            QVERIFY2(v <= van.at(migliore), qPrintable(QStringLiteral("%1 %2").arg(k.first).arg(k.second)));
        }
        // Sizes out of a home's range, or the two limits together: refused, named.
        QCOMPARE(Esegui(QStringList{"dimensiona"} + kImpianto + casa + QStringList{"--potenza-max", "150"}), 1);
        QVERIFY2(errori.contains("--potenza-max") && errori.contains("100"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"dimensiona"} + kImpianto + casa + QStringList{"--potenza-max", "6", "--batteria-max", "120"}), 1);
        QVERIFY2(errori.contains("--batteria-max"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"dimensiona"} + kImpianto + casa + QStringList{"--potenza-max", "6", "--superficie", "30"}), 1);
        QCOMPARE(Esegui(QStringList{"dimensiona"} + kImpianto + casa + QStringList{"--superficie", "0"}), 1);
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto + casa + QStringList{"--potenza-max", "6"}), 1);
        // The smallest grid: one plant of 0.5 kWp, the default step beyond it.
        QVERIFY2(Esegui(QStringList{"dimensiona"} + kImpianto + casa + QStringList{"--potenza-max", "0.5"}) == 0, qPrintable(errori));
        // A roof of 30 m² at 0.18 kWp/m²: up to 5.4 kWp.
        QVERIFY(Esegui(QStringList{"dimensiona"} + kImpianto + casa + QStringList{"--superficie", "30", "--csv", griglia, "--sovrascrivi"}) == 0);
        double massima = 0;
        for (const auto& r : Csv(griglia))
            if (!r.empty() && r[0] != "Potenza (kWp)" && !r[0].empty() && std::isdigit(static_cast<unsigned char>(r[0][0])))
                massima = std::max(massima, Numero(r[0]));
        QCOMPARE(massima, 5.0);
    }

    void periodiNelFileDeiParametri()
    {
        const std::string intestazione = "nome;valore;unita;descrizione;fonte;validita\n";
        const auto errore = [&](const std::string& righe) {
            try {
                fv::ParametriDaTesto(intestazione + righe, "p.csv");
            } catch (const std::exception& e) {
                return QString::fromStdString(e.what());
            }
            return QString();
        };
        QCOMPARE(errore("detrazione;50;%;;a;2025-01-01/2026-12-31\ndetrazione;36;%;;b;2027-01-01/..\n"), QString());
        QVERIFY(errore("detrazione;50;%;;a;2025-01-01/2027-06-30\ndetrazione;36;%;;b;2027-01-01/..\n").contains("sovrappongono"));
        QVERIFY(errore("detrazione;50;%;;a;2025-01-01/2026-06-30\ndetrazione;36;%;;b;2027-01-01/..\n").contains("manca un periodo"));
        QVERIFY(errore("detrazione;50;%;;a;\ndetrazione;36;%;;b;\n").contains("una volta sola"));
        QVERIFY(errore("detrazione;50;%;;a;2026-02-31/..\n").contains("riga 2"));
    }

    void strategiaEPrezziPerFascia()
    {
        // The battery kept out of F3 and a bioraria contract: the CSV names both,
        // the notice weighs the other strategy; a bad name or price is refused.
        const QString csv = cartella.filePath("fasce.csv");
        QVERIFY2(Esegui(QStringList{"convenienza"} + kImpianto
                        + QStringList{"--consumo-annuo", "2700", "--batteria", "5", "--strategia-batteria", "fasce",
                                      "--prezzi-fasce", "0,34;0,29;0,22", "--csv", csv})
                     == 0,
                 qPrintable(errori));
        QVERIFY2(ultimaUscita.contains(QString::fromUtf8("Batteria con la strategia «fasce»")) && ultimaUscita.contains(QString::fromUtf8("con «autoconsumo»")),
                 qPrintable(ultimaUscita));
        const auto righe = Csv(csv);
        QVERIFY(Riga(righe, "Strategia della batteria") && (*Riga(righe, "Strategia della batteria"))[1] == "fasce");
        const fv::RigaCsv* prezzi = Riga(righe, "Prezzi dell'energia F1, F2, F3 (€/kWh)");
        QVERIFY(prezzi && prezzi->size() >= 4 && Numero((*prezzi)[3]) == 0.22);
        QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--strategia-batteria", "notte"}), 1);
        QVERIFY2(errori.contains("autoconsumo o fasce"), qPrintable(errori));
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--prezzi-fasce", "0,3;0,2"}), 1);
        QVERIFY2(errori.contains("--prezzi-fasce: i prezzi per fascia sono tre"), qPrintable(errori));
    }

    void autoNelBilancio()
    {
        // The car's charging in the consumption, its inputs in the CSV, its own
        // column in the hourly export; its options refused out of range or alone.
        const QString csv = cartella.filePath("auto.csv"), orario = cartella.filePath("auto-orario.csv");
        QVERIFY2(Esegui(QStringList{"bilancio"} + kImpianto
                        + QStringList{"--consumo-annuo", "2700", "--auto-km", "12000", "--auto-ricarica", "solare", "--csv", csv,
                                      "--orario", orario})
                     == 0,
                 qPrintable(errori));
        const auto righe = Csv(csv);
        const fv::RigaCsv* annua = Riga(righe, "Ricarica dell'auto a casa (kWh/anno)");
        QVERIFY(annua && std::fabs(Numero((*annua)[1]) - 1813) < 1);
        const fv::RigaCsv* consumo = Riga(righe, "Consumo (kWh)");
        QVERIFY(consumo && std::fabs(Numero((*consumo)[1]) - (2700 + 12000 * 0.17 * 0.8 / 0.9)) < 1);
        const auto ore = Csv(orario);
        QCOMPARE(ore.front().back(), std::string("Ricarica auto (kWh)"));
        double somma = 0;
        for (std::size_t i = 1; i < ore.size(); ++i) {
            const double car = Numero(ore[i].back()), surplus = Numero(ore[i][3]) - (Numero(ore[i][4]) - car);
            // With the sun over the house's own use, the car takes that surplus and no more.
            if (surplus > 1e-6)
                QVERIFY2(car <= surplus + 2e-6, ore[i][2].c_str());
            somma += car;
        }
        QVERIFY(std::fabs(somma - 12000 * 0.17 * 0.8 / 0.9) < 0.01);
        const std::pair<QStringList, QString> sbagliati[] = {
            {{"--auto-km", "500000"}, "--auto-km vale da 0 a 100.000, non «500000»"},
            {{"--auto-km", "12000", "--auto-ricarica", "giorno"}, "sera, notte o solare"},
            {{"--auto-km", "12000", "--auto-feriali"}, "--auto-feriali vale con --auto-ricarica solare"},
            {{"--auto-consumo", "20"}, "manca --auto-km"},
            {{"--auto-km", "100000", "--auto-potenza", "1,4"}, "non li dà in meno di 20 ore"},
        };
        for (const auto& [opzioni, atteso] : sbagliati) {
            QCOMPARE(Esegui(QStringList{"bilancio"} + kImpianto + QStringList{"--consumo-annuo", "2700"} + opzioni), 1);
            QVERIFY2(errori.contains(atteso), qPrintable(errori));
        }
    }

    void relazioneDiDuePagine()
    {
        const QString pdf = cartella.filePath("due.pdf");
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto + QStringList{"--consumo-annuo", "2700", "--batteria", "5", "--pdf", pdf}), 0);
        QProcess p;
        p.start("pdftotext", {pdf, "-"});
        QVERIFY(p.waitForFinished(20000));
        const QString testo = QString::fromUtf8(p.readAllStandardOutput());
        QCOMPARE(testo.count(u'\f'), 5); // the parameters on two pages
        QVERIFY(testo.contains("Quale impianto e quanto") && testo.contains("La migliore") && testo.contains("P90"));
        QVERIFY(testo.contains("Autoconsumo e convenienza economica") && testo.contains("Perdite della batteria"));
        QVERIFY(testo.contains("clima mensile del comune"));
        // With a weather file the second page says which.
        QFile::remove(pdf);
        QCOMPARE(Esegui(QStringList{"convenienza"} + kImpianto
                        + QStringList{"--consumo-annuo", "2700", "--meteo",
                                      QStringLiteral(FV_FIXTURE_METEO "/tmy_45.000_8.000_2005_2023.epw"), "--pdf", pdf}),
                 0);
        p.start("pdftotext", {pdf, "-"});
        QVERIFY(p.waitForFinished(20000));
        const QString conFile = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        QVERIFY2(conFile.contains("dal file tmy_45.000_8.000_2005_2023.epw") && conFile.contains("Perez"), qPrintable(conFile));
    }
};

QTEST_MAIN(TestApprofondimento)
#include "tst_approfondimento.moc"
