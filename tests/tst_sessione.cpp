// SPDX-License-Identifier: MIT
// The calculation session without a window: every line of the report in the
// CSV, the command line and the PDF (a printer writing PDF too); the map's
// yields and coherence rule; the tools following the session's site and
// plant. Runs under an Italian and a C locale.
#include "app/aspetto.h"
#include "app/mappa.h"
#include "app/messaggi.h"
#include "app/orientamento.h"
#include "app/relazione.h"
#include "app/riga_comando.h"
#include "app/analisi.h"
#include "app/sessione.h"
#include "data/csv.h"

#include "finestra_aiuti.h"
#include "fixture.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

using Righe = std::vector<std::pair<QString, QStringList>>;

// Every line of the report with the figures it must carry, written out from
// the result's own fields: a swap of two lines, or of two figures, fails.
Righe RigheAttese(const fv::Risultato& r)
{
    Righe righe = {
        {"Provincia", {r.provincia}},
        {"Comune (radiazione)", {r.comuneRadiazione}},
        {"Comune (latitudine)", {r.comuneLatitudine}},
        {"Latitudine (°)", {r.latitudine}},
        {"Tipo terreno", {r.terreno}},
        {"Riflettanza", {r.riflettanza}},
        {"Inclinazione (°)", {r.impianto.tilt}},
        {"Azimut rispetto al sud (°)", {r.impianto.azimut}},
        {"Potenza (kW)", {r.impianto.potenza}},
        {"Perdite generatore (%)", {QString::number(r.letti.perdite)}},
        {"Efficienza inverter (%)", {QString::number(r.letti.efficienza)}},
        {"Tipo impianto", {r.integrazione}},
        {"Fascia di potenza", {r.fascia}},
        {"Totale annuo (kWh/m², kWh)", {r.totOrizzontale, r.totPiano, r.energia}},
        {"Rapporto tra radiazione sul piano e orizzontale", {r.rapporto}},
        {"Energia annua (kWh)", {r.energia}},
        {"Resa specifica (kWh/kWp)", {r.resa}},
        {"Tariffa incentivante (€/kWh)", {r.tariffa}},
        {"Ricavo annuo (€)", {r.ricavo}},
    };
    const char* mesi[] = {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio",
                          "Agosto", "Settembre", "Ottobre", "Novembre", "Dicembre"};
    for (std::size_t m = 0; m < 12; ++m)
        righe.push_back({mesi[m], {r.orizzontale[m], r.piano[m], r.energiaMese[m]}});
    return righe;
}

// A figure of two decimals at most, as the printed table writes it: always two.
QString DueDecimali(const QString& testo, const QString& dec)
{
    const qsizetype i = testo.indexOf(dec);
    return i < 0 ? testo + dec + "00" : testo + QString(2 - (testo.size() - i - 1), u'0');
}

QStringList Celle(const QString& riga)
{
    return riga.trimmed().split(QRegularExpression(QStringLiteral("\\s{2,}")), Qt::SkipEmptyParts);
}

// Whether some line holds the label followed at once by its figures (a PDF
// line may hold two columns of label and value).
bool Contiene(const QStringList& linee, const QString& etichetta, const QStringList& valori)
{
    for (const QString& l : linee) {
        const QStringList c = Celle(l);
        const auto i = c.indexOf(etichetta);
        if (i >= 0 && c.mid(i + 1, valori.size()) == valori)
            return true;
    }
    return false;
}

QStringList TestoPdf(const QString& file)
{
    QProcess testo;
    testo.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    testo.waitForFinished(20000);
    return QString::fromUtf8(testo.readAllStandardOutput()).split(u'\n');
}

} // namespace

class TestSessione : public QObject {
    Q_OBJECT

    QTemporaryDir cartella;
    QString dec;

    QString N(QString t) const { return t.replace(u'.', dec); }

    std::unique_ptr<fv::Sessione> Nuova()
    {
        auto s = std::make_unique<fv::Sessione>(cartella.path(), fv::FormatoUtente());
        s->Avvia();
        return s;
    }

    static void Sito(fv::Sessione& s, const QString& provincia, const QString& comune, const QString& terreno)
    {
        s.ScegliProvincia(provincia);
        s.ScegliComuneRad(comune);
        s.ScegliComuneLat(comune);
        s.ScegliRiflettanza(terreno);
    }

private slots:
    void initTestCase()
    {
        FiltraAvvisiOffscreen();
        QVERIFY(cartella.isValid());
        QStringList righe = fixture::Standard();
        // Sopra: more radiation in December than reaches the top of the
        // atmosphere at 47° N; its data do not belong together.
        righe << fixture::Latitudine("TO", "Sopra", 47)
              << fixture::Radiazione("TO", "Sopra", {2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 9})
              << "create table tblCoordinate (provincia text, comune text, longitudine real)";
        for (const char* r : {"'LE','Castro',18.4", "'TO','Torino',7.7", "'TO','Esempio',7.5", "'TO','Sopra',7.0"})
            righe << QStringLiteral("insert into tblCoordinate values (%1)").arg(r);
        QCOMPARE(fixture::Scrivi(cartella.filePath("data.mdb"), righe), QString());
        dec = QString::fromStdString(fv::FormatoUtente().decimale);
    }

    void ogniRigaDellaRelazione()
    {
        auto s = Nuova();
        Sito(*s, "TO", "Torino", "Erba");
        s->ImpostaImpianto({"30", "-10", "4", "15", "90", 1, 1});
        const std::optional<fv::Risultato> r = s->Calcola();
        QVERIFY(r);
        const Righe attese = RigheAttese(*r);
        // The CSV (and the clipboard's copy, the same table).
        std::map<QString, QStringList> csv;
        for (const fv::RigaCsv& riga : fv::LeggiCsv(fv::TestoDelimitato(fv::TabellaRelazione(*r), u';').toStdString(), ';')) {
            QStringList celle;
            for (const std::string& c : riga)
                celle << QString::fromStdString(c);
            csv[celle.takeFirst()] = celle;
        }
        for (const auto& [etichetta, valori] : attese)
            QCOMPARE(csv[etichetta], valori);
        // The command line on the same inputs prints the same lines.
        QString uscita, errori;
        QTextStream u(&uscita), e(&errori);
        QCOMPARE(fv::EseguiRigaComando({"calcola", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba",
                                        "--tilt", "30", "--azimut", "-10", "--potenza", "4", "--integrazione", "parziale"},
                                       u, e, cartella.path()),
                 0);
        const QStringList linee = uscita.split(u'\n');
        for (const auto& [etichetta, valori] : attese)
            QVERIFY2(Contiene(linee, etichetta, valori), qPrintable(etichetta));
        // The PDF file.
        const QString pdf = cartella.filePath("relazione.pdf");
        QCOMPARE(fv::SalvaPdf(pdf, *r), QString());
        const QStringList testo = TestoPdf(pdf);
        for (std::size_t i = 0; i < attese.size(); ++i) {
            auto [etichetta, valori] = attese[i];
            if (i + 12 >= attese.size()) // the months: radiation printed with two decimals
                valori = {DueDecimali(valori[0], dec), DueDecimali(valori[1], dec), valori[2]};
            QVERIFY2(Contiene(testo, etichetta, valori), qPrintable(etichetta));
        }
    }

    void rigaDiComandoProtegge()
    {
        // Only a command, --help or --version select the command line; Qt's
        // own arguments open the window.
        for (const char* a : {"calcola", "--help", "-h", "--version", "-v"})
            QVERIFY(fv::ArgomentoDellaRigaDiComando(a));
        for (const char* a : {"-style", "fusion", "-platform", "--provincia"})
            QVERIFY(!fv::ArgomentoDellaRigaDiComando(a));
        QString uscita, errori;
        QTextStream u(&uscita), e(&errori);
        // The plant is never a silent default; the others' defaults are shown.
        const QStringList sito = {"calcola", "--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba",
                                  "--tilt", "30", "--azimut", "0"};
        QCOMPARE(fv::EseguiRigaComando(sito, u, e, cartella.path()), 1);
        QVERIFY2(errori.contains("--potenza"), qPrintable(errori));
        QCOMPARE(fv::EseguiRigaComando({"--help"}, u, e, cartella.path()), 0);
        QVERIFY(uscita.contains("Predefinito: 15") && uscita.contains("Predefinito: 90") && uscita.contains("--sovrascrivi"));
        // An existing file is kept unless --sovrascrivi.
        const QString csv = cartella.filePath("esiste.csv");
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("mio");
        f.close();
        errori.clear();
        QCOMPARE(fv::EseguiRigaComando(sito + QStringList{"--potenza", "3", "--csv", csv}, u, e, cartella.path()), 1);
        QVERIFY2(errori.contains("--sovrascrivi"), qPrintable(errori));
        QCOMPARE(fixture::Impronta(csv), QCryptographicHash::hash("mio", QCryptographicHash::Sha256));
        QCOMPARE(fv::EseguiRigaComando(sito + QStringList{"--potenza", "3", "--csv", csv, "--sovrascrivi"}, u, e, cartella.path()), 0);
        QVERIFY(QFileInfo(csv).size() > 100);
    }

    void fileDatiEFonte()
    {
        // The status bar and the report credit what the file holds.
        auto s = Nuova();
        QCOMPARE(s->FonteRadiazione(), "dati del file data.mdb");
        Sito(*s, "TO", "Torino", "Erba");
        QVERIFY(s->Calcola());
        // Another file, chosen by the user: its lists, its own credit, nothing of the old site.
        QSignalSpy cambi(s.get(), &fv::Sessione::sitoCambiato);
        s->ApriFileDati(qEnvironmentVariable("FV_DATA_MDB"));
        QVERIFY(s->provincia().isEmpty() && !s->ultimo() && s->latitudine().isEmpty());
        QVERIFY(s->province().contains("BZ") && s->province().size() > 100);
        QVERIFY2(s->FonteRadiazione().startsWith("NASA SSE 6.0"), qPrintable(s->FonteRadiazione()));
        QVERIFY(!cambi.isEmpty());
        Sito(*s, "TO", "Torino", "Erba");
        QVERIFY(s->Calcola()->fonteRadiazione.startsWith("NASA"));
    }

    void mappaSenzaLongitudini()
    {
        // A file without the map's table: the map says what is missing; the calculation works.
        QTemporaryDir altra;
        QCOMPARE(fixture::Scrivi(altra.filePath("data.mdb"), fixture::Standard()), QString());
        fv::Sessione s(altra.path(), fv::FormatoUtente());
        s.Avvia();
        try {
            s.ComuniPerMappa();
            QFAIL("no error");
        } catch (const fv::ErroreMappa& e) {
            const QString testo = fv::MessaggioErrore(std::current_exception(), s.formato(), {}).testo;
            QVERIFY2(testo.contains("tblCoordinate") && testo.contains("solo alla mappa"), qPrintable(testo));
        }
        Sito(s, "TO", "Torino", "Erba");
        QVERIFY(s.Calcola());
    }

    void bilancioDaRigaDiComando()
    {
        QString uscita, errori;
        QTextStream u(&uscita), e(&errori);
        const QStringList impianto = {"--provincia", "TO", "--comune-radiazione", "Torino", "--terreno", "Erba",
                                      "--tilt", "30", "--azimut", "0", "--potenza", "3", "--anno", "2027"};
        // The CSV: a row a month and the total, the months adding up to it.
        const QString csv = cartella.filePath("bilancio.csv");
        QCOMPARE(fv::EseguiRigaComando(QStringList{"bilancio"} + impianto + QStringList{"--consumo-annuo", "2700", "--batteria", "5", "--csv", csv},
                                       u, e, cartella.path()), 0);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const auto tutte = fv::LeggiCsv(f.readAll().toStdString(), dec == "," ? ';' : ',');
        const auto titolo = std::find_if(tutte.begin(), tutte.end(), [](const fv::RigaCsv& r) {
            return !r.empty() && r[0] == "Bilancio mese per mese, con batteria";
        });
        QVERIFY(titolo != tutte.end() && tutte.end() - titolo > 14);
        const std::vector<fv::RigaCsv> righe(titolo + 1, titolo + 15);
        QCOMPARE(QString::fromStdString(righe.back()[0]), "Totale");
        double consumo = 0;
        for (std::size_t m = 1; m <= 12; ++m)
            consumo += std::stod(QString::fromStdString(righe[m][2]).replace(',', '.').toStdString());
        QVERIFY(std::fabs(consumo - 2700) <= 6);
        // The headline figures are printed with --csv too.
        QVERIFY2(uscita.contains("Autosufficienza"), qPrintable(uscita));
        // Bad input: the option and its allowed values named, nothing computed.
        for (const auto& [argomenti, atteso] : std::vector<std::pair<QStringList, QString>>{
                 {{"bilancio", "--fasce", "900,800"}, "--fasce"},
                 {{"bilancio", "--consumo-annuo", "2700", "--fasce", "1,2,3"}, "--consumo-annuo e --fasce insieme"},
                 {{"convenienza", "--consumo-annuo", "2700", "--parametro", "tasso_sconto=-150"}, "tasso_sconto"},
                 {{"convenienza", "--consumo-annuo", "2700", "--parametro", "nessuno=1"}, "nessuno"}}) {
            errori.clear();
            QCOMPARE(fv::EseguiRigaComando(argomenti + impianto, u, e, cartella.path()), 1);
            QVERIFY2(errori.contains(atteso) && errori.count('\n') == 1, qPrintable(errori));
        }
    }

    void parametriDelFileEFasceMensili()
    {
        // The data file's parameters override the program's, with their source.
        QTemporaryDir altra;
        QStringList righe = fixture::Standard();
        righe << "create table tblParametri (nome text, valore real, unita text, descrizione text, fonte text, validita text)"
              << "insert into tblParametri values ('prezzo_energia', 0.31, '€/kWh', 'Prezzo evitato', 'bolletta 2027', '2027-01-01')";
        QCOMPARE(fixture::Scrivi(altra.filePath("data.mdb"), righe), QString());
        fv::Sessione s(altra.path(), fv::FormatoUtente());
        s.Avvia();
        const std::vector<fv::Parametro> p = s.ParametriDelFile();
        QCOMPARE(fv::Valore(p, "prezzo_energia"), 0.31);
        QCOMPARE(fv::Valore(p, "orizzonte"), 25.0); // the program's, where the file says nothing
        QVERIFY(std::any_of(p.begin(), p.end(), [](const fv::Parametro& x) { return x.fonte == "bolletta 2027"; }));
        // Twelve bills' bands: each month's totals kept.
        Sito(s, "TO", "Torino", "Erba");
        s.ImpostaImpianto({"30", "0", "3", "15", "90", 0, 0});
        const fv::Risultato r = *s.Calcola();
        fv::RichiestaBilancio q;
        q.anno = 2027;
        q.consumo.modo = fv::RichiestaConsumo::Modo::Fasce;
        fv::FasceMese mesi{};
        for (std::size_t m = 0; m < 12; ++m)
            mesi[m] = {100.0 + double(m), 50, 80};
        q.consumo.fasceMese = mesi;
        const fv::RisultatoBilancio b = fv::Analisi(s).BilancioEnergetico(r, q);
        QVERIFY(std::fabs(b.senzaBatteria.mesi[3].consumo - 233) < 1e-9);
    }

    void stessaProvinciaDiNuovo()
    {
        // The province on show picked again keeps its comune's values.
        auto s = Nuova();
        Sito(*s, "TO", "Torino", "Erba");
        const fv::MonthlySeries prima = s->radOriz();
        s->ScegliProvincia("TO");
        QCOMPARE(s->radOriz(), prima);
        QVERIFY(s->Calcola());
        s->ScegliProvincia("LE");
        QVERIFY(!s->radiazioneDa().caricata && s->latitudine().isEmpty());
    }

    void relazioneConBilancio()
    {
        // The balance and the economics, once worked out, go into the CSV and a second PDF page.
        auto s = Nuova();
        Sito(*s, "TO", "Torino", "Erba");
        s->ImpostaImpianto({"30", "0", "3", "15", "90", 0, 0});
        const fv::Risultato r = *s->Calcola();
        fv::RichiestaBilancio q;
        q.anno = 2027;
        q.batteria.capacita = 5;
        // The rules in force for the expense, as every front passes them.
        const fv::Approfondimento a = fv::Analisi(*s).Calcola(r, q, fv::ParametriDellaRichiesta(s->ParametriDelFile(), q));
        const fv::RisultatoBilancio& b = a.bilancio;
        s->RegistraApprofondimento(s->calcoli() - 1, a); // of another calculation: refused
        QVERIFY(!s->approfondimento());
        s->RegistraApprofondimento(s->calcoli(), a);
        QVERIFY(s->approfondimento());
        const auto tabella = fv::TabellaCompleta(r, &*s->approfondimento());
        const auto trova = [&](const QString& etichetta) {
            return std::find_if(tabella.begin(), tabella.end(), [&](const QStringList& l) { return !l.isEmpty() && l[0] == etichetta; });
        };
        QVERIFY(trova("Autosufficienza (quota del consumo coperta) (%)") != tabella.end());
        QCOMPARE(trova("prezzo_minimo_garantito")->at(2), "€/kWh");
        QCOMPARE(trova("Totale")->at(1), QString::fromStdString(fv::TestoArrotondato(b.conBatteria.anno.produzione, 0, s->formato())));
        const QString pdf = cartella.filePath("due.pdf");
        QCOMPARE(fv::SalvaPdf(pdf, r, &*s->approfondimento()), QString());
        const QStringList testo = TestoPdf(pdf);
        QVERIFY(testo.join('\n').contains("Autoconsumo e convenienza economica"));
        QVERIFY(Contiene(testo, "Investimento", fv::RiepilogoConvenienza(a.convenienza.senza, a.convenienza.con, s->formato())[1].mid(1)));
        // Every parameter used is printed, on as many pages as it takes, none under the footer.
        QVERIFY(a.convenienza.parametri.size() > std::size_t(fv::kParametriPerPagina));
        const QString tutto = testo.join('\n');
        for (const fv::Parametro& p : a.convenienza.parametri)
            QVERIFY2(tutto.contains(QString::fromStdString(p.nome)), p.nome.c_str());
        QVERIFY(tutto.contains(QStringLiteral("Parametri economici usati (segue, 2 di %1)").arg(fv::PagineParametri(a))));
        // The rows either side of the page break, each on its own page only.
        const QStringList pagine = tutto.split(u'\f');
        const auto seconda = std::find_if(pagine.begin(), pagine.end(), [](const QString& p) { return p.contains("(segue, 2 di"); });
        QVERIFY(seconda != pagine.end() && seconda != pagine.begin());
        const auto su = [](const QString& pagina, const std::string& nome) {
            return pagina.contains(QRegularExpression(QStringLiteral("(^|\\s)%1(\\s|$)").arg(QString::fromStdString(nome))));
        };
        const std::string ultimaPrima = a.convenienza.parametri[fv::kParametriPerPagina - 1].nome;
        const std::string primaDopo = a.convenienza.parametri[fv::kParametriPerPagina].nome;
        QVERIFY2(su(*(seconda - 1), ultimaPrima), qPrintable(*(seconda - 1)));
        QVERIFY2(!su(*seconda, ultimaPrima), ultimaPrima.c_str());
        QVERIFY2(su(*seconda, primaDopo) && !su(*(seconda - 1), primaDopo), primaDopo.c_str());
        // A new calculation drops them.
        s->Calcola();
        QVERIFY(!s->approfondimento());
    }

    void stampaSuPdf()
    {
        auto s = Nuova();
        Sito(*s, "LE", "Castro", "Neve fresca");
        const std::optional<fv::Risultato> r = s->Calcola();
        QVERIFY(r);
        const QString file = cartella.filePath("stampa.pdf");
        {
            QPrinter stampante(QPrinter::HighResolution);
            stampante.setOutputFormat(QPrinter::PdfFormat);
            stampante.setOutputFileName(file);
            stampante.setPageSize(QPageSize(QPageSize::A4));
            stampante.setFullPage(true);
            QCOMPARE(fv::StampaRelazione(stampante, *r), QString());
        }
        const QStringList testo = TestoPdf(file);
        QVERIFY(Contiene(testo, "Energia annua (kWh)", {r->energia}));
        QVERIFY(Contiene(testo, "Gennaio", {DueDecimali(r->orizzontale[0], dec), DueDecimali(r->piano[0], dec), r->energiaMese[0]}));
    }

    void segnaValoriScrittiAMano()
    {
        // A typed latitude, a band chosen against the power, a percentage
        // that is not whole: the report says what was used and whence.
        auto s = Nuova();
        Sito(*s, "TO", "Torino", "Erba");
        s->ScriviLatitudine(N("44.5"));
        s->ImpostaImpianto({"30", "0", "3", N("12.5"), "90", 2, 0});
        const std::optional<fv::Risultato> r = s->Calcola();
        QVERIFY(r);
        std::map<QString, QString> riga;
        for (const QStringList& l : fv::TabellaRelazione(*r))
            if (l.size() >= 2)
                riga[l[0]] = l[1];
        QCOMPARE(riga["Comune (latitudine)"], "(scritta a mano)");
        QCOMPARE(riga["Latitudine (°)"], N("44.5"));
        QCOMPARE(riga["Perdite generatore (%)"], "12");
        const QStringList note = fv::NoteTariffa(*r);
        QVERIFY2(note.size() == 1 && note[0].contains("scelta a mano") && note[0].contains("fino a 3 kW"),
                 qPrintable(note.join('|')));
    }

    void mappaConLaRegolaDelCalcolo()
    {
        auto s = Nuova();
        const fv::ComuniMappa& comuni = s->ComuniPerMappa();
        int incoerenti = 0;
        const auto punti = PuntiMappa(comuni, {30, 0, 0.5, 15, 90}, incoerenti);
        // Sopra fails the clearness check, as CALCOLA refuses it.
        QCOMPARE(incoerenti, 1);
        QVERIFY(std::none_of(punti.begin(), punti.end(), [](const auto& p) { return p.comune->comune == "Sopra"; }));
        Sito(*s, "TO", "Sopra", "Erba");
        QVERIFY_THROWS_EXCEPTION(fv::ErroreSerenita, s->Calcola());
        // Castro's yield at reflectance 0.5 is CALCOLA's energy of 1 kW there.
        Sito(*s, "LE", "Castro", "Erba");
        s->ScriviRiflettanza(N("0.5"));
        s->ImpostaImpianto({"30", "0", "1", "15", "90", 0, 0});
        const auto castro = std::find_if(punti.begin(), punti.end(), [](const auto& p) { return p.comune->comune == "Castro"; });
        QVERIFY(castro != punti.end());
        QCOMPARE(s->Calcola()->letti.energia, castro->resa);
    }

    void strumentiSeguonoLaSessione()
    {
        auto s = Nuova();
        Sito(*s, "TO", "Torino", "Erba");
        DialogoOrientamento d(*s, nullptr);
        d.Aggiorna();
        d.show();
        QSignalSpy pronta(&d, &DialogoOrientamento::calcolata);
        QVERIFY(pronta.wait(10000));
        const double massimoTorino = d.mappa()->massimo();
        // The window moves to Lecce's Castro: the open dialog computes again
        // and names the new site.
        Sito(*s, "LE", "Castro", "Erba");
        QVERIFY(pronta.wait(10000));
        QVERIFY(d.findChild<QLabel*>()->text().contains("Castro (LE)"));
        const int tiltCastro = d.mappa()->tiltOttimo();
        const fv::SitoLetto castro = s->LeggiSitoCorrente();
        QCOMPARE(castro.latitudine, 40.0);
        QVERIFY(d.mappa()->massimo() != massimoTorino);
        QCOMPARE(d.mappa()->massimo(), fv::AnnuoSulPiano(40, tiltCastro, d.mappa()->azimutOttimo(), castro.riflettanza,
                                                         s->radOriz(), fv::kGiorniMese));
        d.findChild<QPushButton*>()->click();
        QCOMPARE(s->impianto().tilt, QString::number(tiltCastro));
        // A latitude typed over it moves the site at once, without passing
        // through an incomplete one: computed again all the same.
        const double massimoCastro = d.mappa()->massimo();
        s->ScriviLatitudine(N("46"));
        QVERIFY(pronta.wait(10000));
        QVERIFY(d.mappa()->massimo() != massimoCastro);
        QCOMPARE(d.mappa()->massimo(), fv::AnnuoSulPiano(46, d.mappa()->tiltOttimo(), d.mappa()->azimutOttimo(),
                                                         castro.riflettanza, s->radOriz(), fv::kGiorniMese));
        s->ScegliComuneLat("Castro");
        QVERIFY(pronta.wait(10000));
        // The roof on the optimum makes 100 % of it.
        s->ImpostaOrientamento(tiltCastro, d.mappa()->azimutOttimo());
        QVERIFY2(d.testoTetto().contains("100 %"), qPrintable(d.testoTetto()));
        // On the tab of the roof's azimuth, the best tilt of that curve.
        s->ImpostaOrientamento(20, 90);
        d.findChild<QTabWidget*>()->setCurrentIndex(1);
        const int migliore = d.TiltDaUsare();
        const fv::SitoLetto sito = s->LeggiSitoCorrente();
        for (int t = 0; t <= 90; ++t)
            QVERIFY(fv::AnnuoSulPiano(sito.latitudine, t, 90, sito.riflettanza, s->radOriz(), fv::kGiorniMese)
                    <= fv::AnnuoSulPiano(sito.latitudine, migliore, 90, sito.riflettanza, s->radOriz(), fv::kGiorniMese));
        QVERIFY(migliore != tiltCastro);
        // A site left incomplete: nothing is written back.
        s->ScegliProvincia("TO");
        d.findChild<QPushButton*>()->click();
        QCOMPARE(s->impianto().tilt, "20");
    }

    void mappaSegueLImpianto()
    {
        auto s = Nuova();
        Sito(*s, "TO", "Torino", "Erba");
        DialogoMappa d(*s, nullptr);
        d.Aggiorna();
        d.show();
        QVERIFY(d.Pronta() || QSignalSpy(&d, &DialogoMappa::calcolata).wait(10000));
        const double prima = d.mappa()->punti().front().resa;
        s->ImpostaOrientamento(60, 90);
        QVERIFY(QSignalSpy(&d, &DialogoMappa::calcolata).wait(10000));
        QVERIFY(d.mappa()->punti().front().resa < prima);
        QVERIFY(d.findChildren<QLabel*>().back()->text().contains("inclinazione 60°, azimut 90°"));
        // Another data file: the dots of the old one go, the new one's come.
        s->ApriFileDati(qEnvironmentVariable("FV_DATA_MDB"));
        QVERIFY(!d.Pronta()); // no reflectance picked in the new file yet
        QSignalSpy nuova(&d, &DialogoMappa::calcolata);
        s->ScegliRiflettanza("Erba");
        QVERIFY(d.Pronta() || nuova.wait(20000));
        QVERIFY(d.mappa()->punti().size() > 7000);
    }
};

QTEST_MAIN(TestSessione)
#include "tst_sessione.moc"
