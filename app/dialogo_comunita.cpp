// SPDX-License-Identifier: MIT
#include "app/dialogo_comunita.h"

#include "app/analisi.h"
#include "app/aspetto.h"
#include "app/messaggi.h"
#include "app/pezzi_dialogo.h"
#include "chart/grafico.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtConcurrent/QtConcurrentRun>

using namespace fv;

namespace {

// A value as a members file takes it back: no thousands separator, a
// decimal point, and never one followed by exactly three digits (which would
// read as ambiguous: 1.125 is written 1.1250).
QString Testo(double v)
{
    QString t = QString::number(v, 'g', 15);
    static const QRegularExpression tre(QStringLiteral("^-?\\d{1,3}\\.\\d{3}$"));
    if (tre.match(t).hasMatch())
        t += u'0';
    return t;
}

QString Numero(double v) { return v > 0 ? Testo(v) : QString(); }

QStringList Celle(const Membro& m)
{
    QStringList falde;
    for (const Falda& f : m.falde)
        falde << QStringLiteral("%1:%2:%3").arg(Testo(f.tilt), Testo(f.azimut), Testo(f.potenza));
    return {QString::fromStdString(m.nome),
            QString::fromUtf8(NomeRuolo(m.ruolo)),
            Numero(m.consumoAnnuo),
            QString::fromStdString(m.profilo),
            QString::fromStdString(m.consumi),
            Numero(m.potenza),
            m.potenza > 0 ? Testo(m.tilt) : QString(),
            m.potenza > 0 ? Testo(m.azimut) : QString(),
            falde.join(u' '),
            Numero(m.batteria),
            QString::fromUtf8(NomeTipo(m.tipo))};
}

} // namespace

DialogoComunita::DialogoComunita(Sessione& sessione, QWidget* parent) : QDialog(parent), sessione_(sessione)
{
    setWindowTitle(QStringLiteral("Comunità energetica"));
    auto* sopra = new QHBoxLayout;
    sopra->addWidget(CreaTabellaMembri(), 1);
    sopra->addLayout(CreaPulsanti());
    sopra->addLayout(CreaOpzioni());
    esito_ = new QLabel(this);
    esito_->setObjectName(QStringLiteral("esitoComunita"));
    esito_->setWordWrap(true);
    auto* tutto = new QVBoxLayout(this);
    tutto->addLayout(sopra, 2);
    tutto->addWidget(esito_);
    tutto->addWidget(CreaRisultati(), 3);
    resize(1200, 820);
    connect(ripartizione_, &QComboBox::activated, this,
            [this] { quota_->setEnabled(ripartizione_->currentData().toString() == QLatin1String("produttori")); });
    connect(calcola_, &QPushButton::clicked, this, &DialogoComunita::Calcola);
    connect(&lavoro_, &QFutureWatcher<std::shared_ptr<RisultatoComunita>>::finished, this, &DialogoComunita::Finito);
}

QWidget* DialogoComunita::CreaTabellaMembri()
{
    membri_ = new QTableWidget(0, int(kColonneMembri.size()), this);
    membri_->setObjectName(QStringLiteral("tabellaMembri"));
    QStringList testa;
    for (const char* c : kColonneMembri)
        testa << QString::fromLatin1(c);
    membri_->setHorizontalHeaderLabels(testa);
    membri_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    membri_->setToolTip(QStringLiteral("Una riga per membro: ruolo consumatore, prosumer o produttore; tipo domestico, impresa o "
                                       "ente; consumi: il file del contatore, relativo alla cartella del file dei membri; falde: "
                                       "TILT:AZIMUT:KWP separate da spazi."));
    return membri_;
}

// The buttons beside the members' table: add, remove, open, save, the example.
QLayout* DialogoComunita::CreaPulsanti()
{
    auto* aggiungi = new QPushButton(QStringLiteral("Aggiungi"), this);
    aggiungi->setObjectName(QStringLiteral("aggiungiMembro"));
    auto* rimuovi = new QPushButton(QStringLiteral("Rimuovi"), this);
    rimuovi->setObjectName(QStringLiteral("rimuoviMembro"));
    auto* apri = new QPushButton(QStringLiteral("Apri…"), this);
    auto* salva = new QPushButton(QStringLiteral("Salva…"), this);
    auto* esempio = new QPushButton(QStringLiteral("Esempio"), this);
    esempio->setObjectName(QStringLiteral("esempioMembri"));
    auto* pulsanti = new QVBoxLayout;
    for (QPushButton* b : {aggiungi, rimuovi, apri, salva, esempio})
        pulsanti->addWidget(b);
    pulsanti->addStretch(1);
    connect(aggiungi, &QPushButton::clicked, this, [this] {
        const int r = membri_->rowCount();
        membri_->insertRow(r);
        const QStringList nuovo = {QStringLiteral("Membro %1").arg(r + 1), QStringLiteral("consumatore"), QStringLiteral("2700"),
                                   QStringLiteral("fuori-casa")};
        for (int k = 0; k < nuovo.size(); ++k)
            membri_->setItem(r, k, new QTableWidgetItem(nuovo[k]));
    });
    connect(rimuovi, &QPushButton::clicked, this, [this] {
        if (membri_->currentRow() >= 0)
            membri_->removeRow(membri_->currentRow());
    });
    connect(esempio, &QPushButton::clicked, this, [this] {
        const std::vector<Membro> modello = LeggiMembri(ModelloMembri());
        membri_->setRowCount(0);
        for (const Membro& x : modello) {
            const int r = membri_->rowCount();
            membri_->insertRow(r);
            const QStringList celle = Celle(x);
            for (int k = 0; k < celle.size(); ++k)
                membri_->setItem(r, k, new QTableWidgetItem(celle[k]));
        }
    });
    connect(apri, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Apri il file dei membri"), cartella_,
                                                       QStringLiteral("File dei membri (*.csv *.txt);;Tutti i file (*)"));
        if (f.isEmpty())
            return;
        try {
            CaricaFile(f);
        } catch (const ErroreRichiesta& e) {
            Svuota(QString::fromStdString(e.what()));
        }
    });
    connect(salva, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getSaveFileName(this, QStringLiteral("Salva il file dei membri"), cartella_,
                                                       QStringLiteral("File dei membri (*.csv)"));
        if (!f.isEmpty())
            if (const QString no = SalvaFile(f); !no.isEmpty())
                esito_->setText(no);
    });
    return pulsanti;
}

QLayout* DialogoComunita::CreaOpzioni()
{
    ripartizione_ = new QComboBox(this);
    ripartizione_->setObjectName(QStringLiteral("ripartizione"));
    ripartizione_->addItem(QStringLiteral("per energia prelevata nelle ore condivise"), QStringLiteral("prelievi"));
    ripartizione_->addItem(QStringLiteral("per energia immessa"), QStringLiteral("immissioni"));
    ripartizione_->addItem(QStringLiteral("in parti uguali"), QStringLiteral("uguali"));
    ripartizione_->addItem(QStringLiteral("una quota ai produttori, il resto ai consumatori"), QStringLiteral("produttori"));
    quota_ = NuovoNumero(this, 0, 100, 50, 0, QStringLiteral("%"));
    quota_->setObjectName(QStringLiteral("quotaProduttori"));
    quota_->setEnabled(false);
    pnrr_ = new QCheckBox(QStringLiteral("contributo PNRR agli impianti"), this);
    esercizio_ = new QDateEdit(QDate::currentDate(), this);
    esercizio_->setObjectName(QStringLiteral("esercizioComunita"));
    esercizio_->setCalendarPopup(true);
    cabina_ = new QLineEdit(this);
    cabina_->setPlaceholderText(QStringLiteral("codice (facoltativo)"));
    calcola_ = new QPushButton(QStringLiteral("Calcola la comunità"), this);
    calcola_->setObjectName(QStringLiteral("calcolaComunita"));
    auto* forma = new QFormLayout;
    forma->addRow(QStringLiteral("Ripartizione"), ripartizione_);
    forma->addRow(QStringLiteral("Ai produttori"), quota_);
    forma->addRow(QStringLiteral("Entrata in esercizio"), esercizio_);
    forma->addRow(QString(), pnrr_);
    forma->addRow(QStringLiteral("Cabina primaria"), cabina_);
    forma->addRow(QString(), calcola_);
    return forma;
}

// The results: the community's figures and mean day, the members' rows and bars.
QWidget* DialogoComunita::CreaRisultati()
{
    cifre_ = new QTableWidget(this);
    cifre_->setObjectName(QStringLiteral("cifreComunita"));
    cifre_->verticalHeader()->setVisible(false);
    esiti_ = new QTableWidget(this);
    esiti_->setObjectName(QStringLiteral("esitiMembri"));
    esiti_->verticalHeader()->setVisible(false);
    giorno_ = CreaGraficoVuoto(this, QStringLiteral("Giorno medio della comunità"));
    barre_ = CreaGraficoVuoto(this, QStringLiteral("Energia condivisa per membro"));
    auto* schede = new QTabWidget(this);
    auto* comunita = new QWidget(schede);
    auto* c = new QHBoxLayout(comunita);
    c->addWidget(cifre_, 1);
    c->addWidget(giorno_, 2);
    auto* perMembro = new QWidget(schede);
    auto* m = new QVBoxLayout(perMembro);
    m->addWidget(esiti_, 1);
    m->addWidget(barre_, 1);
    schede->addTab(comunita, QStringLiteral("La comunità"));
    schede->addTab(perMembro, QStringLiteral("I membri"));
    return schede;
}

// The worker's end: its result on show, or why there is none.
void DialogoComunita::Finito()
{
    if (progresso_)
        progresso_->reset();
    calcola_->setEnabled(true);
    try {
        risultato_ = *lavoro_.result();
        Mostra();
    } catch (const ErroreAnnullato&) {
        Svuota(QStringLiteral("Calcolo annullato."));
    } catch (const ErroreRichiesta& e) {
        Svuota(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        Svuota(QString::fromStdString(e.what()));
    }
    emit calcolata();
}

DialogoComunita::~DialogoComunita()
{
    if (annulla_)
        annulla_->store(true);
    lavoro_.waitForFinished();
}

void DialogoComunita::Aggiorna()
{
    sito_ = sessione_.ultimo();
    if (!sito_)
        throw ErroreSenzaCalcolo();
}

QString DialogoComunita::TestoDellaTabella() const
{
    QStringList righe;
    QStringList testa;
    for (const char* c : kColonneMembri)
        testa << QString::fromLatin1(c);
    righe << testa.join(u';');
    for (int r = 0; r < membri_->rowCount(); ++r) {
        QStringList campi;
        for (int k = 0; k < membri_->columnCount(); ++k) {
            QString t = membri_->item(r, k) ? membri_->item(r, k)->text().trimmed() : QString();
            if (t.contains(u';') || t.contains(u'"'))
                t = u'"' + t.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
            campi << t;
        }
        righe << campi.join(u';');
    }
    return righe.join(u'\n') + u'\n';
}

std::vector<Membro> DialogoComunita::Membri() const
{
    try {
        return LeggiMembri(TestoDellaTabella().toStdString());
    } catch (const ErroreMembri& e) {
        // Line 1 is the header: row r of the table is line r + 1.
        throw ErroreRichiesta("membri", "Membri: " + std::string(e.what()) + " (la riga 2 è la prima della tabella).");
    }
}

void DialogoComunita::CaricaFile(const QString& percorso)
{
    const std::vector<Membro> letti = LeggiFileMembri(percorso);
    membri_->setRowCount(0);
    for (const Membro& x : letti) {
        const int r = membri_->rowCount();
        membri_->insertRow(r);
        const QStringList celle = Celle(x);
        for (int k = 0; k < celle.size(); ++k)
            membri_->setItem(r, k, new QTableWidgetItem(celle[k]));
    }
    file_ = percorso;
    cartella_ = QFileInfo(percorso).absolutePath();
    esito_->setText(QStringLiteral("%1 membri da «%2».").arg(letti.size()).arg(QFileInfo(percorso).fileName()));
}

QString DialogoComunita::SalvaFile(const QString& percorso) const
{
    QSaveFile f(percorso);
    if (!f.open(QIODevice::WriteOnly) || f.write(TestoDellaTabella().toUtf8()) < 0 || !f.commit())
        return QStringLiteral("Impossibile scrivere «%1»: %2").arg(percorso, f.errorString());
    return {};
}

void DialogoComunita::Calcola()
{
    if (lavoro_.isRunning())
        return;
    RichiestaComunita q;
    std::vector<Parametro> parametri;
    try {
        if (!sito_)
            Aggiorna();
        q.membri = Membri();
        q.file = file_;
        q.cartella = cartella_.isEmpty() ? QDir::currentPath() : cartella_;
        q.dataEsercizio = esercizio_->date().toString(Qt::ISODate).toStdString();
        q.contributoPnrr = pnrr_->isChecked();
        LeggiRipartizione(ripartizione_->currentData().toString().toStdString(), q.ripartizione);
        q.quotaProduttori = quota_->value();
        q.cabina = cabina_->text().trimmed();
        parametri = ParametriInVigore(sessione_.ParametriDelFile(), Oggi(), q.dataEsercizio);
    } catch (const ErroreRichiesta& e) {
        return Svuota(QString::fromStdString(e.what()));
    } catch (const ErroreSenzaCalcolo&) {
        return Svuota(QStringLiteral("Calcolare prima il sito nella finestra (CALCOLA)."));
    } catch (const std::exception& e) {
        return Svuota(QString::fromStdString(e.what()));
    }
    const double longitudine = LongitudineDelSito(sessione_, *sito_);
    annulla_ = std::make_shared<std::atomic<bool>>(false);
    fatti_ = std::make_shared<std::atomic<int>>(0);
    const Risultato sito = *sito_;
    const auto annulla = annulla_;
    const auto fatti = fatti_;
    calcola_->setEnabled(false);
    // Beyond half a second the progress shows, with a button that stops the work.
    if (!progresso_) {
        progresso_ = new QProgressDialog(QStringLiteral("Calcolo dei membri…"), QStringLiteral("Annulla"), 0, 100, this);
        progresso_->setWindowModality(Qt::WindowModal);
        progresso_->setMinimumDuration(500);
        progresso_->setAutoReset(false);
        connect(progresso_, &QProgressDialog::canceled, this, [this] {
            if (annulla_)
                annulla_->store(true);
        });
    }
    const int n = int(q.membri.size());
    progresso_->setRange(0, n);
    progresso_->setValue(0);
    auto* orologio = new QTimer(this);
    connect(orologio, &QTimer::timeout, this, [this, fatti, orologio] {
        if (!lavoro_.isRunning()) {
            orologio->deleteLater();
            return;
        }
        progresso_->setValue(fatti->load());
    });
    orologio->start(100);
    lavoro_.setFuture(QtConcurrent::run([sito, longitudine, q, parametri, annulla, fatti] {
        return std::make_shared<RisultatoComunita>(CalcolaComunitaEnergetica(
            sito, longitudine, q, parametri, annulla.get(), [fatti](std::size_t k, std::size_t) { fatti->store(int(k)); }));
    }));
}

void DialogoComunita::Svuota(const QString& perche)
{
    risultato_.reset();
    RiempiTabella(cifre_, {});
    RiempiTabella(esiti_, {});
    SvuotaGrafico(*giorno_);
    SvuotaGrafico(*barre_);
    esito_->setText(perche);
}

void DialogoComunita::Mostra()
{
    const RisultatoComunita& c = *risultato_;
    const FormatoNumeri f = FormatoUtente();
    RiempiTabella(cifre_, TabellaComunita(c, f));
    cifre_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    RiempiTabella(esiti_, TabellaMembri(c, f));
    const CondivisaComunita& o = c.esito.ore;
    RiempiCondivisa(*giorno_, QStringLiteral("Giorno medio dell'anno, ora per ora"), {o.immessaMedia.begin(), o.immessaMedia.end()},
                    {o.prelevataMedia.begin(), o.prelevataMedia.end()}, {o.condivisaMedia.begin(), o.condivisaMedia.end()});
    QStringList nomi;
    std::vector<double> condivisa, apporto;
    for (std::size_t i = 0; i < c.membri.size(); ++i) {
        nomi << QString::fromStdString(c.membri[i].nome);
        condivisa.push_back(c.esito.membri[i].condivisa);
        apporto.push_back(o.condivisaAnno - o.senza[i]);
    }
    RiempiBarre(*barre_, QStringLiteral("Per membro: la sua parte della condivisa e quanta ne porta alla comunità"), nomi,
                {{QStringLiteral("Parte della condivisa"), condivisa}, {QStringLiteral("Condivisa che porta"), apporto}},
                QStringLiteral("kWh"));
    QString testo = FraseCondizione(c, f);
    for (const QString& a : c.avvisi)
        testo += u' ' + a;
    esito_->setText(testo);
}
