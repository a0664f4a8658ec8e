// SPDX-License-Identifier: MIT
// The energy balance and the economics of the window's plant, in one dialog.
#include "app/bilancio.h"

#include "app/aspetto.h"
#include "app/messaggi.h"
#include "app/opzioni.h"
#include "app/pezzi_dialogo.h"
#include "app/relazione.h"
#include "app/scheda_bilancio.h"
#include "app/scheda_convenienza.h"
#include "app/scheda_dimensioni.h"
#include "app/scheda_impianto.h"
#include "app/scheda_consumi.h"
#include "app/scheda_meteo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <thread>
#include <tuple>

namespace {

const QString kGruppo = QStringLiteral("bilancio");

} // namespace

DialogoBilancio::DialogoBilancio(fv::Sessione& sessione, QWidget* parent)
    : QDialog(parent), sessione_(sessione), analisi_(sessione)
{
    setWindowTitle(QStringLiteral("Autoconsumo, batteria e convenienza"));
    sito_ = new QLabel(this);
    nota_ = new QLabel(this);
    nota_->setWordWrap(true);
    schede_ = new QTabWidget(this);
    bilancioScheda_ = new fv::SchedaBilancio(schede_);
    convenienzaScheda_ = new fv::SchedaConvenienza(schede_);
    sicurezzaScheda_ = new fv::SchedaSicurezza(schede_);
    meteoScheda_ = new fv::SchedaMeteo(schede_);
    dimensioniScheda_ = new fv::SchedaDimensioni(schede_);
    impiantoScheda_ = new fv::SchedaImpianto(schede_);
    consumiScheda_ = new fv::SchedaConsumi(schede_);
    schede_->addTab(bilancioScheda_, QStringLiteral("Autoconsumo"));
    schede_->addTab(convenienzaScheda_, QStringLiteral("Convenienza"));
    schede_->addTab(sicurezzaScheda_, QStringLiteral("Quanto è sicuro"));
    schede_->addTab(meteoScheda_, QStringLiteral("Anno meteorologico"));
    schede_->addTab(dimensioniScheda_, QStringLiteral("Quale impianto"));
    schede_->addTab(impiantoScheda_, QStringLiteral("Falde e inverter"));
    schede_->addTab(consumiScheda_, QStringLiteral("Auto e calore"));
    auto* chiudi = new QDialogButtonBox(QDialogButtonBox::Close, this);
    esporta_ = chiudi->addButton(QStringLiteral("Esporta ora per ora…"), QDialogButtonBox::ActionRole);
    esporta_->setToolTip(QStringLiteral("Il bilancio di ogni ora dell'anno in un file CSV, ora per ora dell'orologio."));
    esporta_->setEnabled(false);
    connect(esporta_, &QPushButton::clicked, this, &DialogoBilancio::EsportaOrario);
    connect(chiudi, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* centro = new QHBoxLayout;
    centro->addWidget(CreaIngressi());
    centro->addWidget(schede_, 1);
    auto* disposizione = new QVBoxLayout(this);
    disposizione->addWidget(sito_);
    disposizione->addLayout(centro, 1);
    disposizione->addWidget(nota_);
    disposizione->addWidget(chiudi);
    CollegaSchede();
    Richiama();
    // Enter in a field confirms the field, never presses a button: the first
    // button of a dialog is its default, and "Ripristina" would undo the
    // user's parameters without a word.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    resize(1260, 760);
}

// The session and the questions' widgets to the dialog: a choice made in one
// recomputes all.
void DialogoBilancio::CollegaSchede()
{
    // A change in the window after the calculation: the figures stay, said
    // to be of the calculation before, until CALCOLA; nothing of them is exported.
    const auto superato = [this] {
        if (!risultato_)
            return;
        nota_->setText(QStringLiteral("I dati della finestra sono cambiati: i valori mostrati sono del calcolo "
                                      "precedente. Premere CALCOLA per aggiornarli."));
        esporta_->setEnabled(false);
    };
    connect(&sessione_, &fv::Sessione::sitoCambiato, this, superato);
    connect(&sessione_, &fv::Sessione::impiantoCambiato, this, superato);
    connect(meteoScheda_, &fv::SchedaMeteo::cambiata, this, [this] {
        if (!caricamento_)
            Ricalcola();
    });
    connect(impiantoScheda_, &fv::SchedaImpianto::cambiata, this, [this] {
        if (!caricamento_)
            Ricalcola();
    });
    connect(consumiScheda_, &fv::SchedaConsumi::cambiata, this, [this] {
        if (!caricamento_)
            Ricalcola();
    });
    connect(convenienzaScheda_, &fv::SchedaConvenienza::parametroScritto, this, &DialogoBilancio::ParametroScritto);
    connect(convenienzaScheda_, &fv::SchedaConvenienza::ripristina, this, [this] {
        parametri_ = ParametriDelFileInVigore();
        QSettings().remove(kGruppo + QStringLiteral("/parametri"));
        convenienzaScheda_->MostraParametri(parametri_);
        Ricalcola();
        nota_->setText(QStringLiteral("Parametri riportati ai valori del file dati."));
    });
    connect(dimensioniScheda_, &fv::SchedaDimensioni::richiesta, this, &DialogoBilancio::AvviaDimensioni);
    connect(dimensioniScheda_, &fv::SchedaDimensioni::calcolata, this, [this](const fv::GrigliaDimensioni& g) {
        // The report's page of sizes, while the window still shows this calculation.
        if (approfondimento_)
            AggiornaApprofondimento([&g](fv::Approfondimento& a) { a.griglia = g; });
    });
}

QWidget* DialogoBilancio::CreaIngressi()
{
    auto* pannello = new QWidget(this);
    auto* forma = new QFormLayout(pannello);
    modo_ = new QComboBox(pannello);
    modo_->setObjectName(QStringLiteral("modo"));
    modo_->addItems({QStringLiteral("Consumo annuo e profilo"), QStringLiteral("Fasce della bolletta (F1, F2, F3)"),
                     QStringLiteral("File del contatore")});
    forma->addRow(QStringLiteral("Consumi"), modo_);
    forma->addRow(QString(), CreaPagineConsumo(pannello));
    profilo_ = new QComboBox(pannello);
    for (const fv::ProfiloConsumo& p : fv::ProfiliConsumo())
        profilo_->addItem(QString::fromUtf8(p.descrizione), QString::fromLatin1(p.nome));
    forma->addRow(QStringLiteral("Profilo"), profilo_);
    capacita_ = Numero(pannello, fv::kCapacitaBatteria.nome);
    potenza_ = Numero(pannello, fv::kPotenzaBatteria.nome);
    potenza_->setSpecialValueText(QStringLiteral("come la capacità"));
    rendimento_ = Numero(pannello, fv::kRendimentoBatteria.nome);
    rendimento_->setToolTip(QStringLiteral("Rendimento di andata e ritorno: le batterie domestiche al litio dichiarano "
                                           "85–95 %; l'energia persa è mostrata a parte nel bilancio."));
    forma->addRow(QStringLiteral("Batteria (utile)"), capacita_);
    forma->addRow(QStringLiteral("Potenza batteria"), potenza_);
    forma->addRow(QStringLiteral("Rendimento"), rendimento_);
    strategia_ = new QComboBox(pannello);
    strategia_->setObjectName(QStringLiteral("strategia"));
    strategia_->addItem(QStringLiteral("autoconsumo"), QStringLiteral("autoconsumo"));
    strategia_->addItem(QStringLiteral("fasce (mai in F3)"), QStringLiteral("fasce"));
    strategia_->setToolTip(QStringLiteral("Quando la batteria restituisce la carica: sempre quando la casa consuma, oppure tenuta "
                                          "per le fasce F1 e F2 e mai nelle ore F3 (notti, domeniche e festivi)."));
    forma->addRow(QStringLiteral("Strategia"), strategia_);
    anno_ = new QSpinBox(pannello);
    anno_->setRange(1901, 2099);
    anno_->setValue(fv::AnnoDiRiferimento());
    forma->addRow(QStringLiteral("Anno di riferimento"), anno_);
    giorniMedi_ = new QCheckBox(QStringLiteral("solo giorni medi (confronto)"), pannello);
    giorniMedi_->setToolTip(QString::fromUtf8(fv::kNotaGiorniMedi));
    forma->addRow(QString(), giorniMedi_);
    forma->addRow(CreaIngressiFamiglia(pannello));
    CollegaIngressi();
    pannello->setMaximumWidth(360);
    return pannello;
}

QDoubleSpinBox* DialogoBilancio::Numero(QWidget* genitore, const char* opzione)
{
    const fv::OpzioneNumero& o = fv::Dichiarata(opzione);
    QDoubleSpinBox* campo = fv::NuovoNumero(genitore, o);
    numeri_.emplace_back(campo, &o);
    return campo;
}

QDateEdit* DialogoBilancio::CreaData(QWidget* genitore, const QString& nome, const QDate& giorno, const QString& aiuto)
{
    auto* d = new QDateEdit(giorno, genitore);
    d->setObjectName(nome);
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    d->setCalendarPopup(true);
    d->setToolTip(aiuto);
    return d;
}

// What the rules ask of the family: the date of the expense (the rules in
// force) and of the entry into service (the community premium), the kind of
// home, the yearly tax the deduction is used against, the PNRR grant.
QWidget* DialogoBilancio::CreaIngressiFamiglia(QWidget* pannello)
{
    auto* gruppo = new QWidget(pannello);
    auto* forma = new QFormLayout(gruppo);
    forma->setContentsMargins(0, 0, 0, 0);
    dataSpesa_ = CreaData(gruppo, QStringLiteral("dataSpesa"), QDate::currentDate(),
                          QStringLiteral("La data del pagamento sceglie le regole in vigore: detrazione e tetto di spesa."));
    forma->addRow(QStringLiteral("Data della spesa"), dataSpesa_);
    // The first day shown as "come la spesa": no date of its own.
    dataEsercizio_ = CreaData(gruppo, QStringLiteral("dataEsercizio"), kEsercizioComeSpesa,
                              QStringLiteral("La data di entrata in esercizio sceglie la tariffa premio della comunità: "
                                             "spetta agli impianti in esercizio entro il 31/12/2027."));
    dataEsercizio_->setMinimumDate(kEsercizioComeSpesa);
    dataEsercizio_->setSpecialValueText(QStringLiteral("come la spesa"));
    forma->addRow(QStringLiteral("Entrata in esercizio"), dataEsercizio_);
    secondaCasa_ = new QCheckBox(QStringLiteral("non è l'abitazione principale"), gruppo);
    secondaCasa_->setObjectName(QStringLiteral("secondaCasa"));
    forma->addRow(QString(), secondaCasa_);
    impostaLorda_ = Numero(gruppo, "imposta-lorda");
    impostaLorda_->setSpecialValueText(QStringLiteral("non indicata"));
    impostaLorda_->setToolTip(QStringLiteral("L'IRPEF lorda annua della famiglia: ogni anno la detrazione si usa fino a questa "
                                             "cifra, il resto della rata è perso."));
    forma->addRow(QStringLiteral("IRPEF lorda"), impostaLorda_);
    prezziFasce_ = new QLineEdit(gruppo);
    prezziFasce_->setObjectName(QStringLiteral("prezziFasce"));
    prezziFasce_->setPlaceholderText(QStringLiteral("prezzo unico"));
    prezziFasce_->setToolTip(QStringLiteral("Un contratto biorario o multiorario: i prezzi dell'energia in F1, F2 e F3 in €/kWh con "
                                            "le imposte, separati da punto e virgola (0,32;0,27;0,24). Vuoto: il parametro "
                                            "prezzo_energia per ogni ora."));
    forma->addRow(QStringLiteral("Prezzi F1, F2, F3"), prezziFasce_);
    contributoPnrr_ = new QCheckBox(QStringLiteral("contributo PNRR (comunità)"), gruppo);
    contributoPnrr_->setObjectName(QStringLiteral("contributoPnrr"));
    contributoPnrr_->setToolTip(QStringLiteral("Contributo in conto capitale per gli impianti di una comunità energetica nei "
                                               "comuni sotto il limite di abitanti, con una quota condivisa: esclude la "
                                               "detrazione. Vale solo mentre uno sportello è aperto."));
    forma->addRow(QString(), contributoPnrr_);
    return gruppo;
}

// The three ways of giving the consumption, one page each.
QWidget* DialogoBilancio::CreaPagineConsumo(QWidget* pannello)
{
    pagine_ = new QStackedWidget(pannello);
    annuo_ = Numero(pannello, "consumo-annuo");
    fasce_ = new QLineEdit(QStringLiteral("900;800;1000"), pannello);
    fasce_->setObjectName(QStringLiteral("fasce"));
    fasce_->setToolTip(QStringLiteral("Consumi in kWh delle fasce F1, F2 e F3 separati da punto e virgola, spazi o virgole: "
                                      "tre valori per l'anno, oppure 36 dalle dodici bollette (F1, F2, F3 di gennaio per primi). "
                                      "Senza separatore delle migliaia: 2700, non 2.700."));
    QWidget* rigaFile = fv::CampoFile(pannello, file_, QStringLiteral("file"), QStringLiteral("file CSV del distributore o di un foglio di calcolo"),
                                      QStringLiteral("Consumi (*.csv *.txt);;Tutti i file (*)"), [this] {
                                          if (!caricamento_)
                                              Ricalcola();
                                      });
    for (QWidget* w : {static_cast<QWidget*>(annuo_), static_cast<QWidget*>(fasce_), rigaFile})
        pagine_->addWidget(w);
    pagine_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return pagine_;
}

void DialogoBilancio::CollegaIngressi()
{
    const auto ricalcola = [this] {
        if (!caricamento_)
            Ricalcola();
    };
    // The user's picks, not a refill of the lists.
    connect(modo_, &QComboBox::activated, this, [this, ricalcola](int i) {
        pagine_->setCurrentIndex(i);
        ricalcola();
    });
    connect(profilo_, &QComboBox::activated, this, ricalcola);
    connect(strategia_, &QComboBox::activated, this, ricalcola);
    connect(prezziFasce_, &QLineEdit::editingFinished, this, ricalcola);
    for (QDoubleSpinBox* s : {annuo_, capacita_, potenza_, rendimento_, impostaLorda_})
        connect(s, &QDoubleSpinBox::valueChanged, this, ricalcola);
    connect(anno_, &QSpinBox::valueChanged, this, ricalcola);
    for (QCheckBox* c : {giorniMedi_, secondaCasa_, contributoPnrr_})
        connect(c, &QCheckBox::toggled, this, ricalcola);
    // Another date, other rules: the parameters in force for it, the user's edits kept.
    for (QDateEdit* d : {dataSpesa_, dataEsercizio_})
        connect(d, &QDateEdit::dateChanged, this, [this] {
            if (caricamento_ || !risultato_)
                return;
            parametri_.clear();
            Ricalcola();
        });
    connect(fasce_, &QLineEdit::editingFinished, this, ricalcola);
}

// Every hour of the balance on show, into a CSV file the user names.
void DialogoBilancio::EsportaOrario()
{
    if (!bilancio_) {
        nota_->setText(QStringLiteral("Nessun bilancio da esportare: correggere prima gli ingressi."));
        return;
    }
    const QString f = QFileDialog::getSaveFileName(this, QStringLiteral("Esporta ora per ora"), QStringLiteral("orario.csv"),
                                                   QStringLiteral("CSV (*.csv)"));
    if (f.isEmpty())
        return;
    const QString errore = fv::SalvaTabellaCsv(f, fv::TabellaOraria(*bilancio_, fv::FormatoUtente()), fv::FormatoUtente());
    nota_->setText(errore.isEmpty() ? QStringLiteral("Bilancio ora per ora scritto in %1.").arg(f) : errore);
}

// A parameter typed in the table: used and remembered when in range, else
// refused with its range and the value before put back.
void DialogoBilancio::ParametroScritto(const std::string& nome, const QString& testo)
{
    try {
        fv::Imposta(parametri_, nome, fv::LeggiNumeroPersona(testo.toStdString(), fv::Campo::Energia));
        Ricorda();
        Ricalcola();
    } catch (const fv::ErroreAmbiguo& e) {
        nota_->setText(QString::fromStdString(e.Spiegazione()));
        convenienzaScheda_->MostraParametri(parametri_);
    } catch (const std::exception& e) {
        nota_->setText(QString::fromStdString(e.what()).replace(0, 1, QString::fromStdString(e.what()).left(1).toUpper()));
        convenienzaScheda_->MostraParametri(parametri_);
    }
}

void DialogoBilancio::MostraConvenienza(bool economia) { schede_->setCurrentIndex(economia ? 1 : 0); }

const std::optional<fv::GrigliaDimensioni>& DialogoBilancio::griglia() const { return dimensioniScheda_->griglia(); }

QString DialogoBilancio::testoRiepilogo() const { return bilancioScheda_->testoRiepilogo(); }

fv::RichiestaBilancio DialogoBilancio::Richiesta() const
{
    fv::RichiestaBilancio r;
    r.consumo.modo = static_cast<fv::RichiestaConsumo::Modo>(modo_->currentIndex());
    r.consumo.annuo = annuo_->value();
    r.consumo.profilo = profilo_->currentData().toString().toStdString();
    // F1, F2, F3 of the year, or of each month from twelve bills (36 values):
    // the command line's grammar.
    if (r.consumo.modo == fv::RichiestaConsumo::Modo::Fasce) {
        const fv::FasceLette f = fv::LeggiFasce(fasce_->text().toStdString());
        r.consumo.fasceAnno = f.anno;
        r.consumo.fasceMese = f.mesi;
    }
    r.consumo.file = file_->text();
    r.batteria.capacita = capacita_->value();
    r.batteria.potenza = potenza_->value();
    r.batteria.rendimento = rendimento_->value();
    fv::LeggiStrategia(strategia_->currentData().toString().toStdString(), r.batteria.strategia);
    if (!prezziFasce_->text().trimmed().isEmpty()) {
        try {
            r.famiglia.prezziFasce = fv::LeggiPrezziFasce(prezziFasce_->text().trimmed().toStdString());
        } catch (const std::invalid_argument& e) {
            throw fv::ErroreRichiesta("prezzi-fasce", "Prezzi per fascia: " + std::string(e.what()));
        }
    }
    r.anno = anno_->value();
    r.giorniMedi = giorniMedi_->isChecked();
    r.dataSpesa = dataSpesa_->date().toString(Qt::ISODate).toStdString();
    if (dataEsercizio_->date() != kEsercizioComeSpesa)
        r.dataEsercizio = dataEsercizio_->date().toString(Qt::ISODate).toStdString();
    r.famiglia.secondaCasa = secondaCasa_->isChecked();
    if (impostaLorda_->value() > 0)
        r.famiglia.impostaLorda = impostaLorda_->value();
    r.famiglia.contributoPnrr = contributoPnrr_->isChecked();
    r.incertezza = false; // on a worker, after the figures are on show (AvviaIncertezza)
    r.meteo = meteoScheda_->Richiesta();
    r.impianto = impiantoScheda_->Richiesta();
    r.veicolo = consumiScheda_->Auto();
    r.pompa = consumiScheda_->Pompa();
    return r;
}

// The file's rows in force for the date in the field; throws ErroreParametro.
std::vector<fv::Parametro> DialogoBilancio::ParametriDelFileInVigore() const
{
    return fv::ParametriDellaRichiesta(sessione_.ParametriDelFile(), Richiesta());
}

void DialogoBilancio::Aggiorna()
{
    if (!sessione_.ultimo())
        throw fv::ErroreSenzaCalcolo();
    risultato_ = sessione_.ultimo();
    calcolo_ = sessione_.calcoli();
    Richiama();
    impiantoScheda_->MostraPrima(*risultato_);
    MostraSito();
    convenienzaScheda_->MostraParametri(parametri_);
    Ricalcola();
}

// The plant above the tabs, with the yearly energy the figures below use:
// a weather file's when one drove them, else the window's monthly method.
void DialogoBilancio::MostraSito()
{
    if (!risultato_)
        return;
    QString impianto = QStringLiteral("%1 · %2 kW · inclinazione %3°, azimut %4°")
                           .arg(sessione_.NomeSito(), risultato_->impianto.potenza, risultato_->impianto.tilt,
                                risultato_->impianto.azimut);
    if (bilancio_ && fv::PiuFalde(*bilancio_)) {
        const auto n = [](double v) { return QString::fromStdString(fv::TestoArrotondato(v, 2, fv::FormatoUtente())); };
        impianto += QStringLiteral(" · %1 falde, %2 kWp in tutto").arg(bilancio_->falde.size()).arg(n(bilancio_->PotenzaDiPicco()));
        if (bilancio_->produzione.inverter)
            impianto += QStringLiteral(", inverter %1 kW").arg(n(*bilancio_->produzione.inverter));
    }
    const bool falde = bilancio_ && fv::PiuFalde(*bilancio_);
    if (bilancio_ && bilancio_->meteo)
        sito_->setText(QStringLiteral("%1 · %2 kWh/anno dal file meteo (metodo mensile %3%4)")
                           .arg(impianto,
                                QString::fromStdString(fv::TestoArrotondato(bilancio_->meteo->produzione.anno, 0, fv::FormatoUtente())),
                                risultato_->energia, falde ? QStringLiteral(" della falda 1") : QString()));
    else if (falde)
        sito_->setText(QStringLiteral("%1 · %2 kWh/anno dell'impianto (falda 1, la finestra: %3)")
                           .arg(impianto,
                                QString::fromStdString(fv::TestoArrotondato(bilancio_->senzaBatteria.anno.produzione, 0, fv::FormatoUtente())),
                                risultato_->energia));
    else
        sito_->setText(QStringLiteral("%1 · %2 kWh/anno").arg(impianto, risultato_->energia));
}

void DialogoBilancio::AggiornaApprofondimento(const std::function<void(fv::Approfondimento&)>& modifica)
{
    modifica(*approfondimento_);
    bilancio_ = approfondimento_->bilancio;
    convenienza_ = approfondimento_->convenienza;
    sessione_.RegistraApprofondimento(calcolo_, *approfondimento_);
    convenienzaScheda_->Mostra(*approfondimento_);
    if (approfondimento_->incertezza) {
        const fv::RisultatoIncertezza& i = *approfondimento_->incertezza;
        sicurezzaScheda_->Mostra(i, i.conBatteria ? convenienza_->con.van : convenienza_->senza.van);
    }
}

void DialogoBilancio::Ricalcola()
{
    if (!risultato_)
        return;
    dimensioniScheda_->Annulla(); // a grid of the inputs before is not this one
    Ricorda();
    if (modo_->currentIndex() == int(fv::RichiestaConsumo::Modo::File) && file_->text().trimmed().isEmpty())
        return Svuota(QStringLiteral("Scegliere il file del contatore (Scegli…)."));
    if (meteoScheda_->FileMancante())
        return Svuota(QStringLiteral("Scegliere il file dell'anno meteorologico (scheda «Anno meteorologico», Scegli…)."));
    try {
        const fv::RichiestaBilancio richiesta = Richiesta();
        if (parametri_.empty()) {
            // The rules of the date, then the user's own figures over them.
            parametri_ = ParametriDelFileInVigore();
            ApplicaRicordati();
            convenienzaScheda_->MostraParametri(parametri_);
        }
        approfondimento_ = analisi_.Calcola(*risultato_, richiesta, parametri_);
    } catch (const fv::ErroreContatore& e) {
        return Svuota(QStringLiteral("File del contatore: %1").arg(QString::fromStdString(e.what())));
    } catch (const fv::ErroreFasce& e) {
        return Svuota(QStringLiteral("Fasce della bolletta: %1").arg(QString::fromStdString(e.what())));
    } catch (const fv::ErroreRichiesta& e) {
        const bool meteo = e.opzione() == "meteo" || e.opzione() == "orizzonte";
        const bool falde = e.opzione() == "falda" || e.opzione() == "inverter";
        return Svuota((meteo ? QStringLiteral("Anno meteorologico: ") : falde ? QStringLiteral("Falde e inverter: ") : QString())
                      + QString::fromStdString(e.what()));
    } catch (const std::runtime_error& e) { // a battery, a year or a parameter out of range
        return Svuota(QString::fromStdString(e.what()));
    }
    sicurezzaScheda_->Svuota();
    AggiornaApprofondimento([](fv::Approfondimento&) {});
    nota_->setText(bilancio_->avvisi.join(u' '));
    MostraSito();
    meteoScheda_->Mostra(bilancio_->meteo);
    impiantoScheda_->Mostra(&*bilancio_);
    consumiScheda_->Mostra(&*bilancio_, capacita_->value() > 0);
    bilancioScheda_->Mostra(*bilancio_, capacita_->value() > 0);
    esporta_->setEnabled(true);
    AvviaIncertezza();
    emit calcolata();
}

// How sure, on a worker thread: the tornado and the Monte Carlo of the
// economics on show, added to the figures when they come back, unless the
// inputs changed meanwhile.
void DialogoBilancio::AvviaIncertezza()
{
    if (!risultato_ || !approfondimento_)
        return;
    const int generazione = ++generazioneIncertezza_;
    sicurezzaScheda_->InCorso();
    auto dati = std::make_shared<const std::tuple<fv::Risultato, fv::Approfondimento, std::vector<fv::Parametro>>>(
        *risultato_, *approfondimento_, parametri_);
    QPointer<DialogoBilancio> io(this);
    std::thread([io, dati, generazione] {
        std::optional<fv::RisultatoIncertezza> esito;
        try {
            esito = fv::Incertezza(std::get<0>(*dati), std::get<1>(*dati), std::get<2>(*dati));
        } catch (const std::exception&) {
        }
        QMetaObject::invokeMethod(qApp, [io, esito = std::move(esito), generazione] {
            if (!io || io->generazioneIncertezza_ != generazione || !io->approfondimento_)
                return; // gone, or of inputs before
            if (!esito)
                return io->sicurezzaScheda_->NonCalcolabile();
            io->AggiornaApprofondimento([&esito](fv::Approfondimento& a) { a.incertezza = *esito; });
        });
    }).detach();
}

// The hours gathered here, the grid on the widget's worker.
void DialogoBilancio::AvviaDimensioni()
{
    if (!risultato_ || !bilancio_)
        return;
    try {
        const fv::RichiestaBilancio richiesta = Richiesta();
        auto ore = std::make_shared<const fv::Analisi::OreDellaRichiesta>(analisi_.OreDelCaso(*risultato_, richiesta, parametri_));
        // With a heat pump or a car, today's household too, for the best plant of each.
        std::shared_ptr<const fv::Analisi::OreDellaRichiesta> oggi;
        if (richiesta.pompa.Presente() || richiesta.veicolo.km > 0) {
            fv::RichiestaBilancio senza = richiesta;
            senza.pompa = {};
            senza.veicolo = {};
            oggi = std::make_shared<const fv::Analisi::OreDellaRichiesta>(analisi_.OreDelCaso(*risultato_, senza, parametri_));
        }
        dimensioniScheda_->Avvia(ore, parametri_, ore->potenza, capacita_->value(), oggi);
    } catch (const std::exception& e) {
        dimensioniScheda_->Errore(QString::fromStdString(e.what()));
    }
}

// After a failure no figure of an earlier input stays on show, nor can be exported.
void DialogoBilancio::Svuota(const QString& nota)
{
    ++generazioneIncertezza_;
    bilancio_.reset();
    convenienza_.reset();
    approfondimento_.reset();
    nota_->setText(nota);
    bilancioScheda_->Svuota();
    convenienzaScheda_->Svuota();
    sicurezzaScheda_->Svuota();
    meteoScheda_->Mostra(std::nullopt);
    impiantoScheda_->Mostra(nullptr);
    consumiScheda_->Mostra(nullptr, false);
    esporta_->setEnabled(false);
    MostraSito();
}

void DialogoBilancio::Ricorda() const
{
    QSettings s;
    s.beginGroup(kGruppo);
    s.setValue(QStringLiteral("modo"), modo_->currentIndex());
    s.setValue(QStringLiteral("profilo"), profilo_->currentIndex());
    s.setValue(QStringLiteral("fasce"), fasce_->text());
    s.setValue(QStringLiteral("strategia"), strategia_->currentIndex());
    s.setValue(QStringLiteral("prezziFasce"), prezziFasce_->text());
    s.setValue(QStringLiteral("file"), file_->text());
    // The declared numbers under their keys.
    for (const auto& [campo, opzione] : numeri_)
        s.setValue(QString::fromLatin1(opzione->chiave), campo->value());
    s.setValue(QStringLiteral("giorniMedi"), giorniMedi_->isChecked());
    s.setValue(QStringLiteral("secondaCasa"), secondaCasa_->isChecked());
    s.setValue(QStringLiteral("contributoPnrr"), contributoPnrr_->isChecked());
    meteoScheda_->Ricorda(s);
    impiantoScheda_->Ricorda(s);
    consumiScheda_->Ricorda(s);
    // Only the parameters the user changed from the file's rows in force
    // (none yet after a new date: the remembered ones stay).
    std::vector<fv::Parametro> delFile;
    try {
        delFile = ParametriDelFileInVigore();
    } catch (const std::exception&) {
        return; // no rules for the date: nothing of the user's to compare
    }
    if (parametri_.size() != delFile.size())
        return;
    s.remove(QStringLiteral("parametri"));
    for (std::size_t i = 0; i < parametri_.size(); ++i)
        if (parametri_[i].valore != delFile[i].valore)
            s.setValue(QStringLiteral("parametri/") + QString::fromStdString(parametri_[i].nome), parametri_[i].valore);
}

void DialogoBilancio::Richiama()
{
    caricamento_ = true;
    QSettings s;
    s.beginGroup(kGruppo);
    modo_->setCurrentIndex(s.value(QStringLiteral("modo"), 0).toInt());
    pagine_->setCurrentIndex(modo_->currentIndex());
    profilo_->setCurrentIndex(s.value(QStringLiteral("profilo"), 0).toInt());
    fasce_->setText(s.value(QStringLiteral("fasce"), fasce_->text()).toString());
    strategia_->setCurrentIndex(s.value(QStringLiteral("strategia"), 0).toInt());
    prezziFasce_->setText(s.value(QStringLiteral("prezziFasce")).toString());
    file_->setText(s.value(QStringLiteral("file")).toString());
    for (const auto& [campo, opzione] : numeri_)
        campo->setValue(s.value(QString::fromLatin1(opzione->chiave), opzione->predefinito).toDouble());
    // A battery to weigh by default: the question families ask (the command line's is none).
    if (!s.contains(capacita_->objectName()))
        capacita_->setValue(5);
    giorniMedi_->setChecked(s.value(QStringLiteral("giorniMedi"), false).toBool());
    secondaCasa_->setChecked(s.value(QStringLiteral("secondaCasa"), false).toBool());
    contributoPnrr_->setChecked(s.value(QStringLiteral("contributoPnrr"), false).toBool());
    meteoScheda_->Richiama(s);
    impiantoScheda_->Richiama(s);
    consumiScheda_->Richiama(s);
    caricamento_ = false;
}

// The parameters the user changed from the file's, as remembered, over the
// rows in force; a value no longer in range leaves the file's.
void DialogoBilancio::ApplicaRicordati()
{
    QSettings s;
    s.beginGroup(kGruppo + QStringLiteral("/parametri"));
    for (const QString& nome : s.childKeys()) {
        try {
            fv::Imposta(parametri_, nome.toStdString(), s.value(nome).toDouble());
        } catch (const fv::ErroreParametro&) {
        }
    }
}
