// SPDX-License-Identifier: MIT
// The energy balance and the economics of the window's plant, in one dialog.
#include "app/bilancio.h"

#include "app/campo_numero.h"

#include "app/aspetto.h"
#include "app/messaggi.h"
#include "app/relazione.h"
#include "chart/grafico.h"
#include "chart/griglia.h"

#include <QPointer>
#include <QApplication>
#include <thread>
#include <tuple>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDate>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

namespace {

QChartView* Grafico(QWidget* genitore, const QString& nome)
{
    auto* g = new QChartView(new QChart(), genitore);
    g->setRenderHint(QPainter::Antialiasing);
    g->setAccessibleName(nome);
    g->setMinimumSize(380, 260);
    return g;
}

QDoubleSpinBox* Numero(QWidget* genitore, double minimo, double massimo, double valore, int decimali, const QString& unita)
{
    auto* s = new fv::CampoNumero(genitore);
    s->setRange(minimo, massimo);
    s->setDecimals(decimali);
    s->setValue(valore);
    s->setSuffix(u' ' + unita);
    s->setLocale(fv::LocaleNumeri());
    return s;
}

// A table of texts, read-only, in the dialog.
void Riempi(QTableWidget* t, const std::vector<QStringList>& righe)
{
    t->clear();
    if (righe.empty()) {
        t->setRowCount(0);
        t->setColumnCount(0);
        return;
    }
    t->setRowCount(int(righe.size()) - 1);
    t->setColumnCount(int(righe.front().size()));
    t->setHorizontalHeaderLabels(righe.front());
    for (std::size_t r = 1; r < righe.size(); ++r)
        for (int c = 0; c < righe[r].size(); ++c) {
            auto* voce = new QTableWidgetItem(righe[r][c]);
            voce->setFlags(voce->flags() & ~Qt::ItemIsEditable);
            t->setItem(int(r - 1), c, voce);
        }
    t->resizeColumnsToContents();
}

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
    schede_->addTab(CreaSchedaBilancio(), QStringLiteral("Autoconsumo e batteria"));
    schede_->addTab(CreaSchedaConvenienza(), QStringLiteral("Convenienza economica"));
    schede_->addTab(CreaSchedaMeteo(), QStringLiteral("Anno meteorologico"));
    schede_->addTab(CreaSchedaDimensioni(), QStringLiteral("Quale impianto"));
    auto* chiudi = new QDialogButtonBox(QDialogButtonBox::Close, this);
    esporta_ = chiudi->addButton(QStringLiteral("Esporta ora per ora…"), QDialogButtonBox::ActionRole);
    esporta_->setToolTip(QStringLiteral("Il bilancio di ogni ora dell'anno in un file CSV (8.760 righe)."));
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
    // A change in the window after the calculation: the figures stay, said
    // to be of the calculation before, until CALCOLA.
    const auto superato = [this] {
        if (risultato_)
            nota_->setText(QStringLiteral("I dati della finestra sono cambiati: i valori mostrati sono del calcolo "
                                          "precedente. Premere CALCOLA per aggiornarli."));
    };
    connect(&sessione_, &fv::Sessione::sitoCambiato, this, superato);
    connect(&sessione_, &fv::Sessione::impiantoCambiato, this, superato);
    Richiama();
    // Enter in a field confirms the field, never presses a button: the first
    // button of a dialog is its default, and "Ripristina" would undo the
    // user's parameters without a word.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    resize(1180, 760);
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
    capacita_ = Numero(pannello, fv::kCapacitaBatteria.minimo, fv::kCapacitaBatteria.massimo, 0, 1, QStringLiteral("kWh"));
    capacita_->setObjectName(QStringLiteral("capacita"));
    potenza_ = Numero(pannello, fv::kPotenzaBatteria.minimo, fv::kPotenzaBatteria.massimo, 0, 1, QStringLiteral("kW"));
    potenza_->setSpecialValueText(QStringLiteral("come la capacità"));
    rendimento_ = Numero(pannello, fv::kRendimentoBatteria.minimo, fv::kRendimentoBatteria.massimo, 90, 0, QStringLiteral("%"));
    rendimento_->setToolTip(QStringLiteral("Rendimento di andata e ritorno: le batterie domestiche al litio dichiarano "
                                           "85–95 %; l'energia persa è mostrata a parte nel bilancio."));
    forma->addRow(QStringLiteral("Batteria (utile)"), capacita_);
    forma->addRow(QStringLiteral("Potenza batteria"), potenza_);
    forma->addRow(QStringLiteral("Rendimento"), rendimento_);
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

// What the rules ask of the family: the date of the expense (the rules in
// force), the kind of home, the yearly tax the deduction is used against.
QWidget* DialogoBilancio::CreaIngressiFamiglia(QWidget* pannello)
{
    auto* gruppo = new QWidget(pannello);
    auto* forma = new QFormLayout(gruppo);
    forma->setContentsMargins(0, 0, 0, 0);
    dataSpesa_ = new QDateEdit(QDate::currentDate(), gruppo);
    dataSpesa_->setObjectName(QStringLiteral("dataSpesa"));
    dataSpesa_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    dataSpesa_->setCalendarPopup(true);
    dataSpesa_->setToolTip(QStringLiteral("La data del pagamento sceglie le regole in vigore: detrazione e tetto di spesa."));
    forma->addRow(QStringLiteral("Data della spesa"), dataSpesa_);
    // The first day shown as "come la spesa": no date of its own.
    dataEsercizio_ = new QDateEdit(kEsercizioComeSpesa, gruppo);
    dataEsercizio_->setObjectName(QStringLiteral("dataEsercizio"));
    dataEsercizio_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    dataEsercizio_->setMinimumDate(kEsercizioComeSpesa);
    dataEsercizio_->setSpecialValueText(QStringLiteral("come la spesa"));
    dataEsercizio_->setCalendarPopup(true);
    dataEsercizio_->setToolTip(QStringLiteral("La data di entrata in esercizio sceglie la tariffa premio della comunità: "
                                              "spetta agli impianti in esercizio entro il 31/12/2027."));
    forma->addRow(QStringLiteral("Entrata in esercizio"), dataEsercizio_);
    secondaCasa_ = new QCheckBox(QStringLiteral("non è l'abitazione principale"), gruppo);
    secondaCasa_->setObjectName(QStringLiteral("secondaCasa"));
    forma->addRow(QString(), secondaCasa_);
    impostaLorda_ = Numero(gruppo, 0, 1e7, 0, 0, QStringLiteral("€/anno"));
    impostaLorda_->setObjectName(QStringLiteral("impostaLorda"));
    impostaLorda_->setSpecialValueText(QStringLiteral("non indicata"));
    impostaLorda_->setToolTip(QStringLiteral("L'IRPEF lorda annua della famiglia: ogni anno la detrazione si usa fino a questa "
                                             "cifra, il resto della rata è perso."));
    forma->addRow(QStringLiteral("IRPEF lorda"), impostaLorda_);
    contributoPnrr_ = new QCheckBox(QStringLiteral("contributo PNRR (comunità)"), gruppo);
    contributoPnrr_->setObjectName(QStringLiteral("contributoPnrr"));
    contributoPnrr_->setToolTip(QStringLiteral("Contributo in conto capitale per gli impianti di una comunità energetica nei "
                                               "comuni sotto il limite di abitanti: esclude la detrazione e riduce la "
                                               "tariffa premio. Vale solo mentre uno sportello è aperto."));
    forma->addRow(QString(), contributoPnrr_);
    return gruppo;
}

// The three ways of giving the consumption, one page each.
QWidget* DialogoBilancio::CreaPagineConsumo(QWidget* pannello)
{
    pagine_ = new QStackedWidget(pannello);
    annuo_ = Numero(pannello, fv::kConsumoAnnuoMinimo, fv::kConsumoAnnuoMassimo, 2700, 0, QStringLiteral("kWh/anno"));
    fasce_ = new QLineEdit(QStringLiteral("900;800;1000"), pannello);
    fasce_->setObjectName(QStringLiteral("fasce"));
    fasce_->setToolTip(QStringLiteral("Consumi in kWh delle fasce F1, F2 e F3 separati da punto e virgola, spazi o virgole: "
                                      "tre valori per l'anno, oppure 36 dalle dodici bollette (F1, F2, F3 di gennaio per primi). "
                                      "Senza separatore delle migliaia: 2700, non 2.700."));
    scegli_ = new QPushButton(QStringLiteral("Scegli…"), pannello);
    file_ = new QLineEdit(pannello);
    file_->setObjectName(QStringLiteral("file"));
    file_->setPlaceholderText(QStringLiteral("file CSV del distributore o di un foglio di calcolo"));
    auto* rigaFile = new QWidget(pannello);
    auto* hFile = new QHBoxLayout(rigaFile);
    hFile->setContentsMargins(0, 0, 0, 0);
    hFile->addWidget(file_);
    hFile->addWidget(scegli_);
    for (QWidget* w : {static_cast<QWidget*>(annuo_), static_cast<QWidget*>(fasce_), rigaFile})
        pagine_->addWidget(w);
    pagine_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return pagine_;
}

void DialogoBilancio::CollegaIngressi()
{
    connect(modo_, &QComboBox::currentIndexChanged, pagine_, &QStackedWidget::setCurrentIndex);
    connect(scegli_, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("File del contatore"), file_->text(),
                                                       QStringLiteral("Consumi (*.csv *.txt);;Tutti i file (*)"));
        if (!f.isEmpty()) {
            file_->setText(f);
            Ricalcola();
        }
    });
    const auto ricalcola = [this] {
        if (!caricamento_)
            Ricalcola();
    };
    connect(modo_, &QComboBox::currentIndexChanged, this, ricalcola);
    connect(profilo_, &QComboBox::currentIndexChanged, this, ricalcola);
    for (QDoubleSpinBox* s : {annuo_, capacita_, potenza_, rendimento_})
        connect(s, &QDoubleSpinBox::valueChanged, this, ricalcola);
    connect(anno_, &QSpinBox::valueChanged, this, ricalcola);
    connect(giorniMedi_, &QCheckBox::toggled, this, ricalcola);
    connect(secondaCasa_, &QCheckBox::toggled, this, ricalcola);
    connect(contributoPnrr_, &QCheckBox::toggled, this, ricalcola);
    connect(impostaLorda_, &QDoubleSpinBox::valueChanged, this, ricalcola);
    // Another date, other rules: the parameters in force for it, the user's edits kept.
    connect(dataSpesa_, &QDateEdit::dateChanged, this, [this] {
        if (caricamento_ || !risultato_)
            return;
        parametri_.clear();
        Ricalcola();
    });
    connect(dataEsercizio_, &QDateEdit::dateChanged, this, [this] {
        if (caricamento_ || !risultato_)
            return;
        parametri_.clear();
        Ricalcola();
    });
    connect(fasce_, &QLineEdit::editingFinished, this, ricalcola);
    // A path is read when the field is left or Enter pressed, not at every key.
    connect(file_, &QLineEdit::editingFinished, this, ricalcola);
}

QWidget* DialogoBilancio::CreaSchedaBilancio()
{
    auto* scheda = new QWidget(this);
    riepilogo_ = new QLabel(scheda);
    riepilogo_->setTextFormat(Qt::RichText);
    mesi_ = Grafico(scheda, QStringLiteral("Bilancio mensile"));
    giorno_ = Grafico(scheda, QStringLiteral("Giorno medio del mese"));
    mese_ = new QComboBox(scheda);
    for (const char* m : {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto", "settembre",
                          "ottobre", "novembre", "dicembre"})
        mese_->addItem(QString::fromLatin1(m));
    mese_->setCurrentIndex(5);
    connect(mese_, &QComboBox::currentIndexChanged, this, &DialogoBilancio::MostraGiornoMedio);
    // The year's figures beside the mean day of a month; the months below, full width.
    auto* sopra = new QHBoxLayout;
    sopra->addWidget(riepilogo_, 0, Qt::AlignTop);
    auto* destra = new QVBoxLayout;
    destra->addWidget(mese_);
    destra->addWidget(giorno_, 1);
    sopra->addLayout(destra, 1);
    auto* v = new QVBoxLayout(scheda);
    v->addLayout(sopra, 1);
    v->addWidget(mesi_, 1);
    return scheda;
}

// A path field with its "Scegli…" button: the file read when chosen, or when
// the field is left or Enter pressed.
QWidget* DialogoBilancio::CampoConScelta(QWidget* genitore, QLineEdit*& campo, const QString& nome, const QString& segnaposto,
                                         const QString& filtro)
{
    campo = new QLineEdit(genitore);
    campo->setObjectName(nome);
    campo->setPlaceholderText(segnaposto);
    auto* scegli = new QPushButton(QStringLiteral("Scegli…"), genitore);
    auto* riga = new QWidget(genitore);
    auto* h = new QHBoxLayout(riga);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(campo, 1);
    h->addWidget(scegli);
    QLineEdit* c = campo;
    connect(scegli, &QPushButton::clicked, this, [this, c, filtro] {
        const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Scegli il file"), c->text(), filtro);
        if (!f.isEmpty()) {
            c->setText(f);
            Ricalcola();
        }
    });
    connect(campo, &QLineEdit::editingFinished, this, [this] {
        if (!caricamento_)
            Ricalcola();
    });
    return riga;
}

// The year's weather: the comune's monthly climate on synthetic days, or
// the installer's hourly file with its horizon, sky model and system losses;
// below, the file's year month by month beside the monthly method.
QWidget* DialogoBilancio::CreaSchedaMeteo()
{
    auto* scheda = new QWidget(this);
    auto* forma = new QFormLayout;
    meteoModo_ = new QComboBox(scheda);
    meteoModo_->setObjectName(QStringLiteral("meteoModo"));
    meteoModo_->addItems({QStringLiteral("dal clima del comune"), QStringLiteral("da file…")});
    forma->addRow(QStringLiteral("Anno meteorologico"), meteoModo_);
    meteoFile_ = new QWidget(scheda);
    auto* formaFile = new QFormLayout(meteoFile_);
    formaFile->setContentsMargins(0, 0, 0, 0);
    const auto campoConScelta = [&](QLineEdit*& campo, const QString& nome, const QString& segnaposto, const QString& filtro) {
        return CampoConScelta(meteoFile_, campo, nome, segnaposto, filtro);
    };
    formaFile->addRow(QStringLiteral("File orario"),
                      campoConScelta(fileMeteo_, QStringLiteral("fileMeteo"),
                                     QStringLiteral("anno tipo PVGIS (CSV, JSON, EPW) o file EPW"),
                                     QStringLiteral("Meteo (*.csv *.json *.epw);;Tutti i file (*)")));
    formaFile->addRow(QStringLiteral("Orizzonte"),
                      campoConScelta(orizzonte_, QStringLiteral("orizzonte"),
                                     QStringLiteral("file PVGIS, oppure coppie azimut:elevazione da nord"),
                                     QStringLiteral("Orizzonte (*.csv *.txt *.json);;Tutti i file (*)")));
    trasposizione_ = new QComboBox(meteoFile_);
    trasposizione_->addItem(QStringLiteral("Perez (1990)"), QStringLiteral("perez"));
    trasposizione_->addItem(QStringLiteral("Hay-Davies (1980)"), QStringLiteral("hay-davies"));
    trasposizione_->addItem(QStringLiteral("isotropo (come il metodo mensile)"), QStringLiteral("isotropo"));
    formaFile->addRow(QStringLiteral("Cielo diffuso"), trasposizione_);
    perditeSistema_ = Numero(meteoFile_, 0, 50, 14, 1, QStringLiteral("%"));
    perditeSistema_->setToolTip(QStringLiteral("Cavi, inverter, disaccoppiamento e sporcizia: 14 % come in PVGIS."));
    formaFile->addRow(QStringLiteral("Perdite di sistema"), perditeSistema_);
    forma->addRow(meteoFile_);
    tabellaMeteo_ = new QTableWidget(scheda);
    tabellaMeteo_->setObjectName(QStringLiteral("tabellaMeteo"));
    tabellaMeteo_->verticalHeader()->setVisible(false);
    infoMeteo_ = new QLabel(scheda);
    infoMeteo_->setTextFormat(Qt::RichText);
    infoMeteo_->setWordWrap(true);
    infoMeteo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notaMeteo_ = new QLabel(QString::fromUtf8(fv::kNotaPerditeMeteo), scheda);
    notaMeteo_->setWordWrap(true);
    auto* v = new QVBoxLayout(scheda);
    v->addLayout(forma);
    auto* sotto = new QHBoxLayout;
    sotto->addWidget(tabellaMeteo_, 5);
    sotto->addWidget(infoMeteo_, 3, Qt::AlignTop);
    v->addLayout(sotto, 1);
    v->addWidget(notaMeteo_);
    const auto ricalcola = [this] {
        if (!caricamento_)
            Ricalcola();
    };
    connect(meteoModo_, &QComboBox::currentIndexChanged, this, [this, ricalcola] {
        meteoFile_->setVisible(meteoModo_->currentIndex() == 1);
        ricalcola();
    });
    connect(trasposizione_, &QComboBox::currentIndexChanged, this, ricalcola);
    connect(perditeSistema_, &QDoubleSpinBox::valueChanged, this, ricalcola);
    meteoFile_->setVisible(false);
    return scheda;
}

// The file's months in the table; where it comes from and its losses beside.
void DialogoBilancio::MostraMeteo()
{
    if (!bilancio_ || !bilancio_->meteo) {
        Riempi(tabellaMeteo_, {});
        infoMeteo_->setText(QStringLiteral("Clima mensile del comune su giorni sintetici: scegliere «da file…» per un anno "
                                           "orario di PVGIS o un file EPW."));
        return;
    }
    const std::vector<QStringList> tutto = fv::TabellaMeteo(*bilancio_->meteo, fv::FormatoUtente());
    const auto vuota = std::find_if(tutto.begin(), tutto.end(), [](const QStringList& r) { return r.isEmpty(); });
    Riempi(tabellaMeteo_, {tutto.begin(), vuota});
    QString html = QStringLiteral("<table cellspacing=3>");
    for (auto r = vuota == tutto.end() ? vuota : vuota + 1; r != tutto.end() && r + 1 != tutto.end(); ++r)
        html += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td></tr>").arg(r->value(0), r->mid(1).join(QStringLiteral("  ")));
    infoMeteo_->setText(html + QStringLiteral("</table>"));
}

// Which plant and which battery: the NPV of every size on a grid, as a heat
// map, and against size without a battery and with each size's best one.
QWidget* DialogoBilancio::CreaSchedaDimensioni()
{
    auto* scheda = new QWidget(this);
    auto* riga = new QHBoxLayout;
    potenzaMax_ = Numero(scheda, 1, fv::kPotenzaMassimaCasa, 10, 1, QStringLiteral("kWp"));
    potenzaMax_->setObjectName(QStringLiteral("potenzaMax"));
    superficie_ = Numero(scheda, 0, 1000, 0, 0, QStringLiteral("m²"));
    superficie_->setSpecialValueText(QStringLiteral("non indicata"));
    superficie_->setToolTip(QStringLiteral("Superficie utile del tetto: la potenza massima è la superficie per il parametro "
                                           "densita_potenza (kWp/m²)."));
    passoPotenza_ = new QComboBox(scheda);
    passoPotenza_->addItem(QStringLiteral("passo 1 kWp"), 1.0);
    passoPotenza_->addItem(QStringLiteral("passo 0,5 kWp"), 0.5);
    batteriaMax_ = Numero(scheda, 0, fv::kBatteriaMassimaCasa, 20, 0, QStringLiteral("kWh"));
    dimensiona_ = new QPushButton(QStringLiteral("Calcola la griglia"), scheda);
    dimensiona_->setObjectName(QStringLiteral("dimensiona"));
    riga->addWidget(new QLabel(QStringLiteral("Fino a"), scheda));
    riga->addWidget(potenzaMax_);
    riga->addWidget(new QLabel(QStringLiteral("o tetto"), scheda));
    riga->addWidget(superficie_);
    riga->addWidget(passoPotenza_);
    riga->addWidget(new QLabel(QStringLiteral("batteria fino a"), scheda));
    riga->addWidget(batteriaMax_);
    riga->addWidget(dimensiona_);
    esitoDimensioni_ = new QLabel(scheda);
    esitoDimensioni_->setWordWrap(true);
    esitoDimensioni_->setObjectName(QStringLiteral("esitoDimensioni"));
    mappaDimensioni_ = new fv::MappaGriglia(scheda);
    curvaDimensioni_ = Grafico(scheda, QStringLiteral("VAN per potenza"));
    auto* sotto = new QHBoxLayout;
    sotto->addWidget(mappaDimensioni_, 1);
    sotto->addWidget(curvaDimensioni_, 1);
    auto* v = new QVBoxLayout(scheda);
    v->addLayout(riga);
    v->addWidget(esitoDimensioni_);
    v->addLayout(sotto, 1);
    connect(dimensiona_, &QPushButton::clicked, this, &DialogoBilancio::AvviaDimensioni);
    for (QDoubleSpinBox* s : {potenzaMax_, superficie_, batteriaMax_})
        connect(s, &QDoubleSpinBox::valueChanged, this, &DialogoBilancio::AnnullaDimensioni);
    connect(passoPotenza_, &QComboBox::currentIndexChanged, this, &DialogoBilancio::AnnullaDimensioni);
    return scheda;
}

// An input changed: a grid on its way is dropped, one on show is of the inputs before.
void DialogoBilancio::AnnullaDimensioni()
{
    ++generazioneDimensioni_;
    if (annullaDimensioni_)
        annullaDimensioni_->store(true);
    annullaDimensioni_.reset();
    griglia_.reset();
    if (mappaDimensioni_) {
        mappaDimensioni_->Svuota();
        fv::SvuotaGrafico(*curvaDimensioni_);
        esitoDimensioni_->setText(QStringLiteral("Premere «Calcola la griglia» per il valore di ogni potenza e batteria."));
        dimensiona_->setEnabled(true);
    }
}

// The hours gathered here, the grid on a worker thread; its result shown only
// if no input changed meanwhile.
void DialogoBilancio::AvviaDimensioni()
{
    if (!risultato_ || !bilancio_)
        return;
    AnnullaDimensioni();
    fv::LimitiDimensioni limiti;
    std::vector<fv::Parametro> parametri = parametri_;
    limiti.potenzaMax = superficie_->value() > 0 ? superficie_->value() * fv::Valore(parametri, "densita_potenza") : potenzaMax_->value();
    limiti.passoPotenza = passoPotenza_->currentData().toDouble();
    limiti.batteriaMax = batteriaMax_->value() > 0 ? batteriaMax_->value() : 1e-9;
    limiti.passoBatteria = batteriaMax_->value() > 0 ? 2 : 1e-9;
    limiti.potenzaAttuale = risultato_->letti.potenza;
    limiti.batteriaAttuale = capacita_->value();
    std::shared_ptr<const fv::Analisi::OreDellaRichiesta> ore;
    try {
        ore = std::make_shared<const fv::Analisi::OreDellaRichiesta>(analisi_.OreDelCaso(*risultato_, Richiesta(), parametri));
        if (limiti.potenzaMax > fv::kPotenzaMassimaCasa || limiti.potenzaMax < 0.5)
            throw std::invalid_argument("la potenza massima (dal tetto) vale da 0,5 a 100 kWp, non "
                                        + fv::TestoLeggibile(limiti.potenzaMax) + ".");
    } catch (const std::exception& e) {
        esitoDimensioni_->setText(QString::fromStdString(e.what()));
        return;
    }
    auto annulla = std::make_shared<std::atomic<bool>>(false);
    annullaDimensioni_ = annulla;
    const int generazione = generazioneDimensioni_;
    dimensiona_->setEnabled(false);
    esitoDimensioni_->setText(QStringLiteral("Calcolo della griglia…"));
    QPointer<DialogoBilancio> io(this);
    std::thread([io, ore, parametri, limiti, annulla, generazione] {
        std::optional<fv::GrigliaDimensioni> g;
        QString errore;
        try {
            g = fv::Dimensiona(ore->produzione, ore->potenza, ore->consumo, ore->calendario, ore->batteria, parametri,
                               ore->famiglia, limiti, annulla.get());
        } catch (const std::exception& e) {
            errore = QString::fromStdString(e.what());
        }
        if (annulla->load())
            return;
        QMetaObject::invokeMethod(qApp, [io, g = std::move(g), errore, generazione] {
            if (!io || io->generazioneDimensioni_ != generazione)
                return; // the dialog is gone, or its inputs changed
            io->dimensiona_->setEnabled(true);
            io->annullaDimensioni_.reset();
            if (!g) {
                io->esitoDimensioni_->setText(errore);
                return;
            }
            io->MostraDimensioni(*g);
        });
    }).detach();
}

void DialogoBilancio::MostraDimensioni(const fv::GrigliaDimensioni& g)
{
    griglia_ = g;
    if (approfondimento_) {
        // The report's page of sizes, while the window still shows this calculation.
        approfondimento_->griglia = g;
        sessione_.RegistraApprofondimento(calcolo_, *approfondimento_);
    }
    const fv::FormatoNumeri f = fv::FormatoUtente();
    const auto n = [&](double v, int d) { return QString::fromStdString(fv::TestoArrotondato(v, d, f)); };
    fv::DatiMappa dati;
    dati.colonne = g.batterie;
    dati.righe = g.potenze;
    for (const fv::CellaDimensioni& c : g.celle)
        dati.valori.push_back(c.van);
    dati.titoloColonne = QStringLiteral("→ batteria kWh");
    dati.titoloRighe = QStringLiteral("↑ potenza kWp");
    dati.unita = QStringLiteral("nero: la migliore, blu: la calcolata");
    dati.migliore = std::pair{g.migliore / g.batterie.size(), g.migliore % g.batterie.size()};
    for (std::size_t p = 0; p < g.potenze.size(); ++p)
        for (std::size_t b = 0; b < g.batterie.size(); ++b)
            if (std::fabs(g.potenze[p] - risultato_->letti.potenza) < 1e-9 && std::fabs(g.batterie[b] - capacita_->value()) < 1e-9)
                dati.attuale = std::pair{p, b};
    mappaDimensioni_->Imposta(dati);
    std::vector<fv::SerieGrafico> serie = {{QStringLiteral("Senza batteria"), {}}, {QStringLiteral("Con la batteria migliore"), {}}};
    const std::vector<std::size_t> migliori = g.MiglioreBatteriaPerPotenza();
    for (std::size_t p = 0; p < g.potenze.size(); ++p) {
        serie[0].valori.push_back(g.Cella(p, 0).van);
        serie[1].valori.push_back(g.Cella(p, migliori[p]).van);
    }
    serie[0].x = serie[1].x = g.potenze;
    fv::RiempiLinee(*curvaDimensioni_, QStringLiteral("VAN per potenza"), serie, QStringLiteral("potenza (kWp)"), QStringLiteral("€"));
    const fv::CellaDimensioni& m = g.celle[g.migliore];
    esitoDimensioni_->setText(QStringLiteral("La migliore: %1 kWp con %2 kWh di batteria, VAN %3 €, ritorno %4. Quella calcolata: "
                                             "%5 kWp con %6 kWh.")
                                  .arg(n(m.potenza, 1), n(m.batteria, 0), n(m.van, 0),
                                       m.ritorno ? n(*m.ritorno, 1) + QStringLiteral(" anni") : QStringLiteral("oltre l'orizzonte"),
                                       n(risultato_->letti.potenza, 1), n(capacita_->value(), 1)));
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

QWidget* DialogoBilancio::CreaSchedaConvenienza()
{
    auto* scheda = new QWidget(this);
    economia_ = new QLabel(scheda);
    economia_->setTextFormat(Qt::RichText);
    economia_->setWordWrap(true);
    cassa_ = Grafico(scheda, QStringLiteral("Flusso di cassa cumulato"));
    anni_ = new QTableWidget(scheda);
    tabellaParametri_ = new QTableWidget(scheda);
    tabellaParametri_->setObjectName(QStringLiteral("parametri"));
    auto* ripristina = new QPushButton(QStringLiteral("Ripristina i valori del file dati"), scheda);
    connect(ripristina, &QPushButton::clicked, this, [this] {
        parametri_ = ParametriDelFileInVigore();
        QSettings().remove(kGruppo + QStringLiteral("/parametri"));
        RiempiParametri();
        Ricalcola();
        nota_->setText(QStringLiteral("Parametri riportati ai valori del file dati."));
    });
    connect(tabellaParametri_, &QTableWidget::itemChanged, this, &DialogoBilancio::ParametroCambiato);
    auto* schede = new QTabWidget(scheda);
    schede->addTab(cassa_, QStringLiteral("Flusso di cassa"));
    casoAnni_ = new QComboBox(scheda);
    casoAnni_->setAccessibleName(QStringLiteral("Caso della tabella"));
    connect(casoAnni_, &QComboBox::activated, this, &DialogoBilancio::MostraAnni);
    auto* pannelloAnni = new QWidget(scheda);
    auto* va = new QVBoxLayout(pannelloAnni);
    va->addWidget(casoAnni_, 0, Qt::AlignLeft);
    va->addWidget(anni_, 1);
    schede->addTab(pannelloAnni, QStringLiteral("Anno per anno"));
    auto* pannelloParametri = new QWidget(scheda);
    auto* vp = new QVBoxLayout(pannelloParametri);
    vp->addWidget(tabellaParametri_);
    vp->addWidget(ripristina, 0, Qt::AlignRight);
    schede->addTab(pannelloParametri, QStringLiteral("Parametri"));
    auto* pannelloSicurezza = new QWidget(scheda);
    auto* vs = new QVBoxLayout(pannelloSicurezza);
    sicurezza_ = new QLabel(pannelloSicurezza);
    sicurezza_->setWordWrap(true);
    tornado_ = Grafico(pannelloSicurezza, QStringLiteral("Parametri più influenti"));
    vs->setContentsMargins(2, 2, 2, 2);
    vs->addWidget(sicurezza_);
    vs->addWidget(tornado_, 1);
    schede->addTab(pannelloSicurezza, QStringLiteral("Quanto è sicuro"));
    auto* v = new QVBoxLayout(scheda);
    v->addWidget(economia_);
    v->addWidget(schede, 1);
    return scheda;
}

// A parameter typed in the table: used and remembered when in range, else
// refused with its range and the value before put back.
void DialogoBilancio::ParametroCambiato(QTableWidgetItem* voce)
{
    if (caricamento_ || voce->column() != 1)
        return;
    const std::string nome = parametri_[std::size_t(voce->row())].nome;
    try {
        fv::Imposta(parametri_, nome, fv::LeggiNumeroPersona(voce->text().toStdString(), fv::Campo::Energia));
        Ricorda();
        Ricalcola();
    } catch (const fv::ErroreAmbiguo& e) {
        nota_->setText(QString::fromStdString(e.Spiegazione()));
        RiempiParametri();
    } catch (const std::exception& e) {
        nota_->setText(QString::fromStdString(e.what()).replace(0, 1, QString::fromStdString(e.what()).left(1).toUpper()));
        RiempiParametri();
    }
}

void DialogoBilancio::MostraConvenienza(bool economia) { schede_->setCurrentIndex(economia ? 1 : 0); }

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
    r.batteria = {capacita_->value(), potenza_->value(), rendimento_->value()};
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
    if (meteoModo_->currentIndex() == 1) {
        r.meteo.file = fileMeteo_->text().trimmed();
        r.meteo.orizzonte = orizzonte_->text().trimmed();
        fv::LeggiTrasposizione(trasposizione_->currentData().toString().toStdString(), r.meteo.trasposizione);
        r.meteo.perditeSistema = perditeSistema_->value();
    }
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
    MostraSito();
    RiempiParametri();
    Ricalcola();
}

// The plant above the tabs, with the yearly energy the figures below use:
// a weather file's when one drove them, else the window's monthly method.
void DialogoBilancio::MostraSito()
{
    if (!risultato_)
        return;
    const QString impianto = QStringLiteral("%1 · %2 kW · inclinazione %3°, azimut %4°")
                                 .arg(sessione_.NomeSito(), risultato_->impianto.potenza, risultato_->impianto.tilt,
                                      risultato_->impianto.azimut);
    if (bilancio_ && bilancio_->meteo)
        sito_->setText(QStringLiteral("%1 · %2 kWh/anno dal file meteo (metodo mensile %3)")
                           .arg(impianto,
                                QString::fromStdString(fv::TestoArrotondato(bilancio_->meteo->produzione.anno, 0, fv::FormatoUtente())),
                                risultato_->energia));
    else
        sito_->setText(QStringLiteral("%1 · %2 kWh/anno").arg(impianto, risultato_->energia));
}

void DialogoBilancio::Ricalcola()
{
    if (!risultato_)
        return;
    AnnullaDimensioni(); // a grid of the inputs before is not this one
    Ricorda();
    if (modo_->currentIndex() == int(fv::RichiestaConsumo::Modo::File) && file_->text().trimmed().isEmpty())
        return Svuota(QStringLiteral("Scegliere il file del contatore (Scegli…)."));
    if (meteoModo_->currentIndex() == 1 && fileMeteo_->text().trimmed().isEmpty())
        return Svuota(QStringLiteral("Scegliere il file dell'anno meteorologico (scheda «Anno meteorologico», Scegli…)."));
    try {
        const fv::RichiestaBilancio richiesta = Richiesta();
        if (parametri_.empty()) {
            // The rules of the date, then the user's own figures over them.
            parametri_ = ParametriDelFileInVigore();
            ApplicaRicordati();
            RiempiParametri();
        }
        const fv::Approfondimento a = analisi_.Calcola(*risultato_, richiesta, parametri_);
        bilancio_ = a.bilancio;
        convenienza_ = a.convenienza;
        approfondimento_ = a;
        nota_->setText(bilancio_->avvisi.join(u' '));
        // For the report, while the window still shows this calculation.
        sessione_.RegistraApprofondimento(calcolo_, a);
    } catch (const fv::ErroreContatore& e) {
        return Svuota(QStringLiteral("File del contatore: %1").arg(QString::fromStdString(e.what())));
    } catch (const fv::ErroreFasce& e) {
        return Svuota(QStringLiteral("Fasce della bolletta: %1").arg(QString::fromStdString(e.what())));
    } catch (const fv::ErroreRichiesta& e) {
        const bool meteo = e.opzione() == "meteo" || e.opzione() == "orizzonte";
        return Svuota((meteo ? QStringLiteral("Anno meteorologico: ") : QString()) + QString::fromStdString(e.what()));
    } catch (const std::runtime_error& e) { // a battery, a year or a parameter out of range
        return Svuota(QString::fromStdString(e.what()));
    }
    MostraSito();
    MostraMeteo();
    riepilogo_->setText(testoRiepilogo());
    MostraGrafici();
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
    sicurezza_->setText(QStringLiteral("Calcolo delle probabilità…"));
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
            if (!esito) {
                io->sicurezza_->setText(QStringLiteral("Le probabilità non si possono calcolare con questi parametri."));
                return;
            }
            io->approfondimento_->incertezza = *esito;
            io->sessione_.RegistraApprofondimento(io->calcolo_, *io->approfondimento_);
            io->MostraGrafici();
        });
    }).detach();
}

// After a failure no figure of an earlier input stays on show.
void DialogoBilancio::Svuota(const QString& nota)
{
    ++generazioneIncertezza_;
    bilancio_.reset();
    convenienza_.reset();
    approfondimento_.reset();
    sicurezza_->clear();
    nota_->setText(nota);
    riepilogo_->clear();
    economia_->clear();
    anni_->clear();
    anni_->setRowCount(0);
    anni_->setColumnCount(0);
    casoAnni_->clear();
    tabellaMeteo_->clear();
    tabellaMeteo_->setRowCount(0);
    tabellaMeteo_->setColumnCount(0);
    infoMeteo_->clear();
    for (QChartView* g : {mesi_, giorno_, cassa_, tornado_})
        fv::SvuotaGrafico(*g);
    MostraSito();
}

void DialogoBilancio::MostraGrafici()
{
    const fv::FormatoNumeri f = fv::FormatoUtente();
    const bool batteria = capacita_->value() > 0;
    const fv::Bilancio& b = batteria ? bilancio_->conBatteria : bilancio_->senzaBatteria;
    QStringList mesi;
    std::vector<fv::SerieGrafico> serie = {{QStringLiteral("Produzione"), {}}, {QStringLiteral("Consumo"), {}},
                                           {QStringLiteral("Autoconsumata"), {}}, {QStringLiteral("Immessa"), {}},
                                           {QStringLiteral("Prelevata"), {}}};
    for (int m = 0; m < 12; ++m) {
        const fv::FlussiEnergia& x = b.mesi[std::size_t(m)];
        mesi << mese_->itemText(m).left(3);
        for (auto [i, v] : {std::pair{0, x.produzione}, {1, x.consumo}, {2, x.Coperto()}, {3, x.immessa}, {4, x.prelevata}})
            serie[std::size_t(i)].valori.push_back(v);
    }
    fv::RiempiBarre(*mesi_, batteria ? QStringLiteral("Bilancio mese per mese, con batteria") : QStringLiteral("Bilancio mese per mese"),
                    mesi, serie, QStringLiteral("kWh"));
    MostraGiornoMedio();
    // The economics: headline figures side by side, the cumulative cash flow.
    QString html = QStringLiteral("<table cellspacing=6>");
    for (const QStringList& r : fv::RiepilogoConvenienza(convenienza_->senza, convenienza_->con, f, batteria)) {
        html += QStringLiteral("<tr><td>%1</td>").arg(r[0]);
        for (qsizetype c = 1; c < r.size(); ++c)
            html += QStringLiteral("<td align=right><b>%1</b></td>").arg(r[c]);
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table><p><small>%1</small></p>").arg(QString::fromUtf8(fv::kRegimeNuoviImpianti));
    economia_->setText(html);
    std::vector<fv::SerieGrafico> cassa = {{QStringLiteral("Senza batteria"), {}}};
    for (const fv::AnnoFlusso& a : convenienza_->senza.anni)
        cassa[0].valori.push_back(a.cumulato);
    if (batteria) {
        cassa.push_back({QStringLiteral("Con batteria"), {}});
        for (const fv::AnnoFlusso& a : convenienza_->con.anni)
            cassa[1].valori.push_back(a.cumulato);
    }
    MostraIncertezza(cassa);
    fv::RiempiLinee(*cassa_, QStringLiteral("Flusso di cassa cumulato: attraversa lo zero al tempo di ritorno"), cassa,
                    QStringLiteral("anno"), QStringLiteral("€"));
    const int scelto = casoAnni_->currentIndex();
    casoAnni_->clear();
    casoAnni_->addItem(QStringLiteral("Senza batteria"));
    if (batteria)
        casoAnni_->addItem(QStringLiteral("Con batteria"));
    casoAnni_->setCurrentIndex(batteria ? (scelto == 0 ? 0 : 1) : 0);
    MostraAnni();
}

// How sure: the Monte Carlo's P10 and P90 of the cumulative beside the
// cases' lines, its three figures, the tornado.
void DialogoBilancio::MostraIncertezza(std::vector<fv::SerieGrafico>& cassa)
{
    const fv::FormatoNumeri f = fv::FormatoUtente();
    if (approfondimento_ && approfondimento_->incertezza) {
        const fv::RisultatoIncertezza& i = *approfondimento_->incertezza;
        fv::SerieGrafico p10{QStringLiteral("P10 (%1)").arg(i.conBatteria ? QStringLiteral("con batteria") : QStringLiteral("senza")), {}};
        fv::SerieGrafico p90{QStringLiteral("P90 (%1)").arg(i.conBatteria ? QStringLiteral("con batteria") : QStringLiteral("senza")), {}};
        for (const fv::Percentili& p : i.montecarlo.cumulato) {
            p10.valori.push_back(p.p10);
            p90.valori.push_back(p.p90);
        }
        cassa.push_back(p10);
        cassa.push_back(p90);
        sicurezza_->setText(fv::RigaIncertezza(i, f));
        std::vector<fv::BarraOrizzontale> barre;
        for (std::size_t k = 0; k < i.tornado.size() && k < 7; ++k)
            barre.push_back({QString::fromStdString(i.tornado[k].nome), i.tornado[k].vanBasso, i.tornado[k].vanAlto});
        const double centro = i.conBatteria ? convenienza_->con.van : convenienza_->senza.van;
        fv::RiempiTornado(*tornado_, QStringLiteral("VAN con ogni parametro al basso e all'alto (gli altri al loro valore)"), barre,
                          centro, QStringLiteral("VAN rispetto al valore centrale (€)"));
    }
}

void DialogoBilancio::MostraAnni()
{
    if (!convenienza_)
        return;
    const bool con = casoAnni_->currentIndex() == 1;
    Riempi(anni_, fv::TabellaConvenienza(con ? convenienza_->con : convenienza_->senza, fv::FormatoUtente()));
}

QString DialogoBilancio::testoRiepilogo() const
{
    if (!bilancio_)
        return {};
    const fv::FormatoNumeri f = fv::FormatoUtente();
    QString html = QStringLiteral("<table cellspacing=6>");
    for (const QStringList& r : fv::RiepilogoBilancio(*bilancio_, f, capacita_->value() > 0)) {
        html += QStringLiteral("<tr><td>%1</td>").arg(r[0]);
        for (qsizetype c = 1; c < r.size(); ++c)
            html += QStringLiteral("<td align=right><b>%1</b></td>").arg(r[c]);
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

void DialogoBilancio::MostraGiornoMedio()
{
    if (!bilancio_)
        return;
    const auto m = std::size_t(mese_->currentIndex());
    const fv::Bilancio& b = capacita_->value() > 0 ? bilancio_->conBatteria : bilancio_->senzaBatteria;
    std::vector<fv::SerieGrafico> serie = {{QStringLiteral("Produzione"), {b.produzioneMedia[m].begin(), b.produzioneMedia[m].end()}},
                                           {QStringLiteral("Consumo"), {b.consumoMedio[m].begin(), b.consumoMedio[m].end()}}};
    if (capacita_->value() > 0)
        serie.push_back({QStringLiteral("Carica della batteria"), {b.caricaMedia[m].begin(), b.caricaMedia[m].end()}});
    fv::RiempiLinee(*giorno_, QStringLiteral("Giorno medio di %1, ora per ora").arg(mese_->currentText()), serie,
                    QStringLiteral("ora"), QStringLiteral("kWh"));
}

void DialogoBilancio::RiempiParametri()
{
    caricamento_ = true;
    const fv::FormatoNumeri f = fv::FormatoUtente();
    tabellaParametri_->clear();
    tabellaParametri_->setColumnCount(5);
    tabellaParametri_->setHorizontalHeaderLabels({QStringLiteral("Parametro"), QStringLiteral("Valore"), QStringLiteral("Unità"),
                                                 QStringLiteral("Fonte"), QStringLiteral("Validità")});
    tabellaParametri_->setRowCount(int(parametri_.size()));
    for (std::size_t i = 0; i < parametri_.size(); ++i) {
        const fv::Parametro& p = parametri_[i];
        const QStringList celle = {QString::fromStdString(p.descrizione), QString::fromStdString(fv::TestoNumero(p.valore, f)),
                                   QString::fromStdString(p.unita), QString::fromStdString(p.fonte),
                                   QString::fromStdString(fv::PeriodoLeggibile(p))};
        for (int c = 0; c < 5; ++c) {
            auto* voce = new QTableWidgetItem(celle[c]);
            if (c != 1)
                voce->setFlags(voce->flags() & ~Qt::ItemIsEditable);
            // The whole text where the cell cuts it: name, description, source and date.
            voce->setData(Qt::UserRole, QString::fromStdString(p.nome));
            voce->setToolTip(QStringLiteral("<p><b>%1</b>: %2</p><p>Fonte: %3 (%4)</p>")
                                 .arg(QString::fromStdString(p.nome), celle[0].toHtmlEscaped(), celle[3].toHtmlEscaped(),
                                      celle[4].isEmpty() ? QStringLiteral("senza data") : celle[4]));
            tabellaParametri_->setItem(int(i), c, voce);
        }
    }
    tabellaParametri_->setWordWrap(true);
    tabellaParametri_->setColumnWidth(0, 320);
    tabellaParametri_->setColumnWidth(3, 320);
    tabellaParametri_->resizeRowsToContents();
    caricamento_ = false;
}

void DialogoBilancio::Ricorda() const
{
    QSettings s;
    s.beginGroup(kGruppo);
    s.setValue(QStringLiteral("modo"), modo_->currentIndex());
    s.setValue(QStringLiteral("annuo"), annuo_->value());
    s.setValue(QStringLiteral("profilo"), profilo_->currentIndex());
    s.setValue(QStringLiteral("fasce"), fasce_->text());
    s.setValue(QStringLiteral("file"), file_->text());
    s.setValue(QStringLiteral("capacita"), capacita_->value());
    s.setValue(QStringLiteral("potenza"), potenza_->value());
    s.setValue(QStringLiteral("rendimento"), rendimento_->value());
    s.setValue(QStringLiteral("giorniMedi"), giorniMedi_->isChecked());
    s.setValue(QStringLiteral("secondaCasa"), secondaCasa_->isChecked());
    s.setValue(QStringLiteral("impostaLorda"), impostaLorda_->value());
    s.setValue(QStringLiteral("contributoPnrr"), contributoPnrr_->isChecked());
    s.setValue(QStringLiteral("meteoModo"), meteoModo_->currentIndex());
    s.setValue(QStringLiteral("fileMeteo"), fileMeteo_->text());
    s.setValue(QStringLiteral("orizzonte"), orizzonte_->text());
    s.setValue(QStringLiteral("trasposizione"), trasposizione_->currentIndex());
    s.setValue(QStringLiteral("perditeSistema"), perditeSistema_->value());
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
    for (std::size_t i = 0; i < parametri_.size() && i < delFile.size(); ++i)
        if (parametri_[i].valore != delFile[i].valore)
            s.setValue(QStringLiteral("parametri/") + QString::fromStdString(parametri_[i].nome), parametri_[i].valore);
}

void DialogoBilancio::Richiama()
{
    caricamento_ = true;
    QSettings s;
    s.beginGroup(kGruppo);
    modo_->setCurrentIndex(s.value(QStringLiteral("modo"), 0).toInt());
    annuo_->setValue(s.value(QStringLiteral("annuo"), 2700).toDouble());
    profilo_->setCurrentIndex(s.value(QStringLiteral("profilo"), 0).toInt());
    fasce_->setText(s.value(QStringLiteral("fasce"), fasce_->text()).toString());
    file_->setText(s.value(QStringLiteral("file")).toString());
    // A battery to weigh by default: the question families ask.
    capacita_->setValue(s.value(QStringLiteral("capacita"), 5).toDouble());
    potenza_->setValue(s.value(QStringLiteral("potenza"), 0).toDouble());
    rendimento_->setValue(s.value(QStringLiteral("rendimento"), 90).toDouble());
    giorniMedi_->setChecked(s.value(QStringLiteral("giorniMedi"), false).toBool());
    secondaCasa_->setChecked(s.value(QStringLiteral("secondaCasa"), false).toBool());
    impostaLorda_->setValue(s.value(QStringLiteral("impostaLorda"), 0).toDouble());
    contributoPnrr_->setChecked(s.value(QStringLiteral("contributoPnrr"), false).toBool());
    meteoModo_->setCurrentIndex(s.value(QStringLiteral("meteoModo"), 0).toInt());
    meteoFile_->setVisible(meteoModo_->currentIndex() == 1);
    fileMeteo_->setText(s.value(QStringLiteral("fileMeteo")).toString());
    orizzonte_->setText(s.value(QStringLiteral("orizzonte")).toString());
    trasposizione_->setCurrentIndex(s.value(QStringLiteral("trasposizione"), 0).toInt());
    perditeSistema_->setValue(s.value(QStringLiteral("perditeSistema"), 14).toDouble());
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
