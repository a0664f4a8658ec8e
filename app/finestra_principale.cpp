// SPDX-License-Identifier: MIT
// The main window: menus, status bar, report and export actions, the tools' dialogs.
#include "app/finestra_principale.h"

#include "app/bilancio.h"
#include "app/dialogo_comunita.h"
#include "app/frmFv.h"
#include "app/mappa.h"
#include "app/messaggi.h"
#include "app/orientamento.h"
#include "app/relazione.h"
#include "app/sessione.h"
#include "app/versione.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const QString kPerche = QStringLiteral("Premere CALCOLA: non ci sono risultati aggiornati.");

// A name typed without its extension gets it, as the file's kind needs.
QString ConEstensione(const QString& percorso, const QString& estensione)
{
    return percorso.endsWith(u'.' + estensione, Qt::CaseInsensitive) ? percorso : percorso + u'.' + estensione;
}

} // namespace

FinestraPrincipale::FinestraPrincipale(QWidget* parent, const QString& cartellaDati)
    : QMainWindow(parent), modulo_(new frmFv(this, cartellaDati))
{
    setCentralWidget(modulo_);
    setWindowTitle(modulo_->windowTitle());
    setWindowIcon(modulo_->windowIcon());
    CreaMenu();
    stato_ = new QLabel(this);
    statusBar()->addWidget(stato_, 1);
    // The data file in use, by name; its full path when pointed at.
    file_ = new QLabel(this);
    statusBar()->addPermanentWidget(file_);
    const auto mostraFile = [this](const QString& percorso) {
        const bool trovato = QFileInfo(percorso).isFile();
        file_->setText(trovato ? QStringLiteral("Dati: %1").arg(QFileInfo(percorso).fileName())
                               : QStringLiteral("Nessun file di dati trovato"));
        file_->setToolTip(trovato ? percorso : QStringLiteral("Cercato: %1 (File › Apri file dati…)").arg(percorso));
    };
    connect(modulo_, &frmFv::fileDatiCambiato, this, mostraFile);
    mostraFile(modulo_->sessione().FileDati());
    statusBar()->setSizeGripEnabled(false);
    connect(modulo_, &frmFv::risultatiCambiati, this, &FinestraPrincipale::AggiornaRisultati);
    connect(&modulo_->sessione(), &fv::Sessione::approfondimentoCambiato, this, [this] {
        AggiornaRisultati(modulo_->sessione().ultimo().has_value() && salvaPdf_->isEnabled());
    });
    AggiornaRisultati(false);
    // The calculation window keeps its fixed size; so does the main window around it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void FinestraPrincipale::CreaMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("Apri file dati…"), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                    &FinestraPrincipale::ApriFileDati);
    file->addSeparator();
    salvaPdf_ = file->addAction(QStringLiteral("Salva relazione PDF…"), QKeySequence(Qt::CTRL | Qt::Key_S),
                                this, &FinestraPrincipale::SalvaPdf);
    esportaCsv_ = file->addAction(QStringLiteral("Esporta dati CSV…"), QKeySequence(Qt::CTRL | Qt::Key_E),
                                  this, &FinestraPrincipale::EsportaCsv);
    stampa_ = file->addAction(QStringLiteral("Stampa…"), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                              &FinestraPrincipale::Stampa);
    file->addSeparator();
    file->addAction(QStringLiteral("Esci"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);
    QMenu* modifica = menuBar()->addMenu(QStringLiteral("&Modifica"));
    copia_ = modifica->addAction(QStringLiteral("Copia risultati"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                                 this, &FinestraPrincipale::CopiaRisultati);
    QMenu* strumenti = menuBar()->addMenu(QStringLiteral("&Strumenti"));
    strumenti->addAction(QStringLiteral("Orientamento ottimale…"), this, &FinestraPrincipale::Orientamento);
    strumenti->addAction(QStringLiteral("Mappa dell'Italia…"), this, &FinestraPrincipale::MappaDellItalia);
    strumenti->addSeparator();
    strumenti->addAction(QStringLiteral("Autoconsumo e batteria…"), this, [this] { Bilancio(false); });
    strumenti->addAction(QStringLiteral("Convenienza economica…"), this, [this] { Bilancio(true); });
    strumenti->addAction(QStringLiteral("Comunità energetica…"), this, &FinestraPrincipale::Comunita);
    QMenu* aiuto = menuBar()->addMenu(QStringLiteral("&Aiuto"));
    aiuto->addAction(QStringLiteral("Guida"), QKeySequence(Qt::Key_F1), this, &FinestraPrincipale::Guida);
    aiuto->addAction(QStringLiteral("Informazioni su %1").arg(QString::fromUtf8(fv::kTitolo)), this,
                     &FinestraPrincipale::Informazioni);
}

void FinestraPrincipale::AggiornaRisultati(bool aggiornati)
{
    for (QAction* a : {salvaPdf_, esportaCsv_, stampa_, copia_}) {
        a->setEnabled(aggiornati);
        // A disabled item says why in the status bar when pointed at.
        a->setStatusTip(aggiornati ? QString() : kPerche);
    }
    if (!aggiornati) {
        stato_->setToolTip({});
        stato_->setText(!modulo_->sessione().ultimo()
                            ? QString()
                            : QStringLiteral("Risultati non aggiornati: premere CALCOLA per salvarli, "
                                             "esportarli, stamparli o copiarli."));
        return;
    }
    const fv::Risultato& r = *modulo_->sessione().ultimo();
    QString testo = QStringLiteral("Resa specifica: %1 kWh/kWp · Radiazione: %2").arg(r.resa, r.fonteRadiazione);
    for (const QString& nota : fv::NoteTariffa(r))
        testo += QStringLiteral(" · ") + nota;
    // The window shows its one plane; the other faces are the dialog's.
    if (const fv::Approfondimento* a = Approfondimento(); a && fv::PiuFalde(a->bilancio)) {
        const fv::RisultatoBilancio& b = a->bilancio;
        double altre = 0, tutte = 0;
        for (std::size_t f = 0; f < b.produzione.mesiFalde.size(); ++f)
            for (double m : b.produzione.mesiFalde[f])
                (f > 0 ? altre : tutte) += m;
        tutte += altre;
        const auto n = [&](double v) { return QString::fromStdString(fv::TestoArrotondato(v, 0, r.formato)); };
        // First in the bar, which is as wide as the window: the rest may be cut, the tooltip has it all.
        QString falde = b.falde.size() > 1 ? QStringLiteral("Impianto su %1 falde: %2 kWh/anno in tutto, %3 dalle altre")
                                                 .arg(b.falde.size())
                                                 .arg(n(tutte - b.produzione.tagliata), n(altre))
                                           : QStringLiteral("Inverter di %1 kW: %2 kWh/anno")
                                                 .arg(n(*b.produzione.inverter), n(tutte - b.produzione.tagliata));
        if (b.produzione.inverter)
            falde += QStringLiteral(", %1 persi al limite dell'inverter").arg(n(b.produzione.tagliata));
        testo = falde + QStringLiteral(" (Strumenti › Autoconsumo e batteria…, «Falde e inverter») · ") + testo;
    }
    stato_->setText(testo);
    stato_->setToolTip(testo);
}

QString FinestraPrincipale::NomeProposto(const QString& tipo, const QString& estensione) const
{
    QString comune = modulo_->sessione().ultimo()->comuneRadiazione;
    comune.replace(QRegularExpression(QStringLiteral("[^\\w-]+")), QStringLiteral("_"));
    return QDir::home().filePath(QStringLiteral("%1-%2.%3").arg(tipo, comune, estensione));
}

const fv::Approfondimento* FinestraPrincipale::Approfondimento() const
{
    const auto& a = modulo_->sessione().approfondimento();
    return a ? &*a : nullptr;
}

void FinestraPrincipale::RiportaSeErrore(const QString& errore)
{
    if (!errore.isEmpty())
        QMessageBox::critical(this, QString::fromUtf8(fv::kTitolo), errore);
}

void FinestraPrincipale::SalvaPdf()
{
    const QString percorso = QFileDialog::getSaveFileName(
        this, QStringLiteral("Salva relazione PDF"), NomeProposto(QStringLiteral("relazione"), QStringLiteral("pdf")),
        QStringLiteral("Documenti PDF (*.pdf)"));
    if (!percorso.isEmpty())
        RiportaSeErrore(fv::SalvaPdf(ConEstensione(percorso, QStringLiteral("pdf")), *modulo_->sessione().ultimo(),
                                     Approfondimento()));
}

void FinestraPrincipale::EsportaCsv()
{
    const QString percorso = QFileDialog::getSaveFileName(
        this, QStringLiteral("Esporta dati CSV"), NomeProposto(QStringLiteral("dati"), QStringLiteral("csv")),
        QStringLiteral("Dati CSV (*.csv)"));
    if (!percorso.isEmpty())
        RiportaSeErrore(fv::SalvaCsv(ConEstensione(percorso, QStringLiteral("csv")), *modulo_->sessione().ultimo(),
                                     modulo_->formatoNumeri(), Approfondimento()));
}

void FinestraPrincipale::Stampa()
{
    QPrinter stampante(QPrinter::HighResolution);
    stampante.setPageSize(QPageSize(QPageSize::A4));
    stampante.setFullPage(true);
    stampante.setDocName(QStringLiteral("Relazione di calcolo"));
    QPrintDialog dialogo(&stampante, this);
    if (dialogo.exec() != QDialog::Accepted)
        return;
    RiportaSeErrore(fv::StampaRelazione(stampante, *modulo_->sessione().ultimo(), Approfondimento()));
}

void FinestraPrincipale::CopiaRisultati()
{
    QApplication::clipboard()->setText(
        fv::TestoDelimitato(fv::TabellaCompleta(*modulo_->sessione().ultimo(), Approfondimento()), u'\t'));
    statusBar()->showMessage(QStringLiteral("Risultati copiati: si incollano in un foglio di calcolo."), 4000);
}

QString FinestraPrincipale::TestoGuida()
{
    QFile readme(QStringLiteral(":/calcolo-fv/README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QString testo = QString::fromUtf8(readme.readAll());
    const qsizetype inizio = testo.indexOf(QStringLiteral("## Guida rapida"));
    const qsizetype fine = testo.indexOf(QStringLiteral("\n## "), inizio + 1);
    if (inizio < 0)
        return {};
    // The README's pictures are for the web page, not for the dialog.
    QStringList righe = testo.mid(inizio, fine < 0 ? -1 : fine - inizio).split(u'\n');
    righe.removeIf([](const QString& r) { return r.startsWith(QLatin1String("<img")) || r.startsWith(QLatin1String("![")); });
    return righe.join(u'\n');
}

void FinestraPrincipale::Guida()
{
    QDialog dialogo(this);
    dialogo.setWindowTitle(QStringLiteral("Guida"));
    auto* testo = new QTextBrowser(&dialogo);
    testo->setMarkdown(TestoGuida());
    auto* pulsanti = new QDialogButtonBox(QDialogButtonBox::Close, &dialogo);
    connect(pulsanti, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
    auto* disposizione = new QVBoxLayout(&dialogo);
    disposizione->addWidget(testo);
    disposizione->addWidget(pulsanti);
    dialogo.resize(640, 520);
    dialogo.exec();
}

QString FinestraPrincipale::TestoInformazioni()
{
    return QStringLiteral(
               "<h3>%1</h3><p>calcolo-fv, versione %2. Licenza MIT (Expat).</p>"
               "<p>Produzione annua e ricavo incentivato di un impianto fotovoltaico in Italia, "
               "con il metodo del giorno medio mensile.</p><p><b>Dati</b></p><ul>"
               "<li>Elenco dei comuni: ISTAT (CC BY 3.0 IT).</li>"
               "<li>Coordinate dei comuni: GeoNames (CC BY 4.0) per 7.436; per i 460 restanti, "
               "GeoNames rielaborato nel 2018 (MatteoHenryChinaski, italy_geo.json, senza licenza dichiarata) "
               "per 416, geocodifica Mapbox (gnekt/comuni-italiani-geocode, MIT) per 43 comuni nati da fusioni "
               "e punti di GeoNames del capoluogo precedente o delle frazioni per 7 (dettagli in SOURCES.md).</li>"
               "<li>Radiazione: NASA SSE 6.0, medie di 22 anni (1983-2005) su celle di 1° × 1°, "
               "pubblico dominio. &laquo;The data was obtained from the National Aeronautics and Space "
               "Administration (NASA) Langley Research Center (LaRC) Prediction of Worldwide Energy "
               "Resource (POWER) Project funded through the NASA Earth Science/Applied Science "
               "Program.&raquo;</li>"
               "<li>Riflettanze del terreno: pvlib-python (BSD-3-Clause).</li>"
               "<li>Tariffe: DM 19 febbraio 2007 (Conto Energia), valori 2010.</li></ul>")
        .arg(QString::fromUtf8(fv::kTitolo), QString::fromUtf8(fv::kVersioneMostrata));
}

namespace {

// A tool's dialog, made at its first use and kept, shown over the window once
// it has taken the session's site and plant; a value missing or not valid is
// told as CALCOLA tells it, at the field or in a message.
template<typename Dialogo>
void ApriStrumento(Dialogo*& dialogo, frmFv& modulo, QWidget* genitore)
{
    if (!dialogo)
        dialogo = new Dialogo(modulo.sessione(), genitore);
    try {
        dialogo->Aggiorna();
    } catch (const fv::ErroreCampoVuoto& e) {
        modulo.SegnalaCampo(e.campo());
        return;
    } catch (...) {
        modulo.RiportaErrore(std::current_exception());
        return;
    }
    dialogo->show();
    dialogo->raise();
    dialogo->activateWindow();
}

} // namespace

void FinestraPrincipale::Orientamento() { ApriStrumento(orientamento_, *modulo_, this); }

void FinestraPrincipale::Comunita()
{
    if (!modulo_->RisultatiAggiornati()) {
        modulo_->RiportaErrore(std::make_exception_ptr(fv::ErroreSenzaCalcolo()));
        return;
    }
    ApriStrumento(comunita_, *modulo_, this);
}

void FinestraPrincipale::MappaDellItalia()
{
    const bool nuova = !mappa_;
    ApriStrumento(mappa_, *modulo_, this);
    if (nuova && mappa_)
        connect(mappa_, &DialogoMappa::errore, modulo_, &frmFv::RiportaErrore);
}

void FinestraPrincipale::ApriFileDati()
{
    const QString percorso = QFileDialog::getOpenFileName(
        this, QStringLiteral("Apri file dati"), QFileInfo(modulo_->sessione().FileDati()).absolutePath(),
        QStringLiteral("File di dati (*.mdb *.accdb *.sqlite *.db);;Tutti i file (*)"));
    if (!percorso.isEmpty())
        modulo_->ApriFileDati(percorso);
}

void FinestraPrincipale::Informazioni()
{
    QMessageBox::about(this, QStringLiteral("Informazioni su %1").arg(QString::fromUtf8(fv::kTitolo)),
                       TestoInformazioni());
}

void FinestraPrincipale::Bilancio(bool economia)
{
    if (!modulo_->RisultatiAggiornati()) {
        modulo_->RiportaErrore(std::make_exception_ptr(fv::ErroreSenzaCalcolo()));
        return;
    }
    const bool nuovo = !bilancio_;
    ApriStrumento(bilancio_, *modulo_, this);
    if (!bilancio_)
        return;
    bilancio_->MostraConvenienza(economia);
    if (nuovo) // a new CALCOLA brings the dialog up to date
        connect(modulo_, &frmFv::risultatiCambiati, bilancio_, [this](bool aggiornati) {
            if (aggiornati && bilancio_->isVisible())
                bilancio_->Aggiorna();
        });
}

