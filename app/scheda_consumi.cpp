// SPDX-License-Identifier: MIT
#include "app/scheda_consumi.h"

#include "app/analisi.h"
#include "app/aspetto.h"
#include "app/inventario.h"
#include "app/opzioni.h"
#include "app/pezzi_dialogo.h"
#include "app/relazione.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace fv {

SchedaConsumi::SchedaConsumi(QWidget* parent) : QWidget(parent)
{
    auto* forma = new QFormLayout;
    km_ = NuovoNumero(this, Dichiarata(kKmAuto.nome));
    km_->setSpecialValueText(QStringLiteral("nessuna auto"));
    consumo_ = NuovoNumero(this, Dichiarata(kConsumoAuto.nome));
    consumo_->setToolTip(QStringLiteral("Alla batteria dell'auto: le auto elettriche europee sono omologate a 19 ± 4 kWh/100 km "
                                        "alla presa, perdite di ricarica comprese (Weiss et al. 2024)."));
    casa_ = NuovoNumero(this, Dichiarata(kQuotaCasaAuto.nome));
    potenza_ = NuovoNumero(this, Dichiarata(kPotenzaAuto.nome));
    perdite_ = NuovoNumero(this, Dichiarata(kPerditeAuto.nome));
    ricarica_ = new QComboBox(this);
    ricarica_->setObjectName(QStringLiteral("autoRicarica"));
    ricarica_->addItem(QStringLiteral("la sera, all'arrivo (dalle 19)"), QStringLiteral("sera"));
    ricarica_->addItem(QStringLiteral("di notte, nelle ore F3"), QStringLiteral("notte"));
    ricarica_->addItem(QStringLiteral("con il sole quando è a casa, il resto di notte"), QStringLiteral("solare"));
    feriali_ = new QCheckBox(QStringLiteral("a casa anche nei giorni feriali"), this);
    feriali_->setObjectName(QStringLiteral("autoFeriali"));
    gas_ = NuovoNumero(this, Dichiarata(kGasAnno.nome));
    gas_->setSpecialValueText(QStringLiteral("nessuna pompa di calore"));
    gasMesi_ = new QLineEdit(this);
    gasMesi_->setObjectName(QStringLiteral("gasMesi"));
    gasMesi_->setPlaceholderText(QStringLiteral("12 bollette in Smc da gennaio, separate da ;"));
    gasMesi_->setToolTip(QStringLiteral("Al posto del gas dell'anno: ogni mese prende il calore della sua bolletta."));
    rendimentoCaldaia_ = NuovoNumero(this, Dichiarata(kRendimentoCaldaia.nome));
    rendimentoCaldaia_->setSingleStep(0.01);
    scop_ = NuovoNumero(this, Dichiarata(kScop.nome));
    scop_->setMinimum(0);
    scop_->setValue(0);
    scop_->setSpecialValueText(QStringLiteral("dalla curva"));
    scop_->setToolTip(QStringLiteral("Lo SCOP della scheda della pompa; «dalla curva»: il COP delle pompe aria-acqua (Ruhnau et al. "
                                     "2019) alle temperature del sito."));
    acqua_ = new QCheckBox(QStringLiteral("il gas scaldava anche l'acqua"), this);
    acqua_->setObjectName(QStringLiteral("acquaCaldaGas"));
    acqua_->setChecked(true);
    emissione_ = new QComboBox(this);
    emissione_->setObjectName(QStringLiteral("emissione"));
    emissione_->addItem(QStringLiteral("radiatori"), QStringLiteral("radiatori"));
    emissione_->addItem(QStringLiteral("pavimento"), QStringLiteral("pavimento"));
    auto* formaPompa = new QFormLayout;
    formaPompa->addRow(QStringLiteral("Gas dell'anno"), gas_);
    formaPompa->addRow(QStringLiteral("o mese per mese"), gasMesi_);
    formaPompa->addRow(QStringLiteral("Rendimento caldaia"), rendimentoCaldaia_);
    formaPompa->addRow(QString(), acqua_);
    formaPompa->addRow(QStringLiteral("Emissione"), emissione_);
    formaPompa->addRow(QStringLiteral("SCOP"), scop_);
    auto* pompa = new QGroupBox(QStringLiteral("Pompa di calore al posto della caldaia"), this);
    pompa->setLayout(formaPompa);
    auto* gruppoAuto = new QGroupBox(QStringLiteral("Auto elettrica"), this);
    gruppoAuto->setLayout(forma);
    forma->addRow(QStringLiteral("Percorrenza"), km_);
    forma->addRow(QStringLiteral("Consumo"), consumo_);
    forma->addRow(QStringLiteral("Ricaricata a casa"), casa_);
    forma->addRow(QStringLiteral("Caricatore"), potenza_);
    forma->addRow(QStringLiteral("Perdite di ricarica"), perdite_);
    forma->addRow(QStringLiteral("Quando"), ricarica_);
    forma->addRow(QString(), feriali_);
    tabella_ = new QTableWidget(this);
    tabella_->setObjectName(QStringLiteral("tabellaConsumi"));
    tabella_->verticalHeader()->setVisible(false);
    esito_ = new QLabel(this);
    esito_->setWordWrap(true);
    esito_->setObjectName(QStringLiteral("esitoConsumi"));
    auto* v = new QVBoxLayout(this);
    auto* sopra = new QHBoxLayout;
    sopra->addWidget(pompa, 0, Qt::AlignTop);
    sopra->addWidget(gruppoAuto, 0, Qt::AlignTop);
    sopra->addStretch(1);
    v->addLayout(sopra);
    v->addWidget(esito_);
    v->addWidget(tabella_, 1);
    const auto cambiata = [this] {
        feriali_->setEnabled(ricarica_->currentData().toString() == QLatin1String("solare"));
        if (!caricamento_)
            emit this->cambiata();
    };
    for (QDoubleSpinBox* s : {km_, consumo_, casa_, potenza_, perdite_, gas_, rendimentoCaldaia_, scop_})
        connect(s, &QDoubleSpinBox::valueChanged, this, cambiata);
    connect(gasMesi_, &QLineEdit::editingFinished, this, cambiata);
    connect(acqua_, &QCheckBox::toggled, this, cambiata);
    connect(emissione_, &QComboBox::activated, this, cambiata);
    connect(ricarica_, &QComboBox::activated, this, cambiata);
    connect(feriali_, &QCheckBox::toggled, this, cambiata);
    feriali_->setEnabled(false);
}

AutoElettrica SchedaConsumi::Auto() const
{
    AutoElettrica a;
    a.km = km_->value();
    a.consumo = consumo_->value();
    a.quotaCasa = casa_->value();
    a.potenza = potenza_->value();
    a.perdite = perdite_->value();
    LeggiRicarica(ricarica_->currentData().toString().toStdString(), a.ricarica);
    a.aCasaFeriali = a.ricarica == RicaricaAuto::Solare && feriali_->isChecked();
    return a;
}

PompaDiCalore SchedaConsumi::Pompa() const
{
    PompaDiCalore p;
    p.gasAnno = gas_->value();
    if (!gasMesi_->text().trimmed().isEmpty()) {
        try {
            p.gasMesi = LeggiGasMesi(gasMesi_->text().trimmed().toStdString());
        } catch (const std::invalid_argument& e) {
            throw ErroreRichiesta(kGasMese.nome, "Pompa di calore: " + std::string(e.what()));
        }
    }
    p.rendimento = rendimentoCaldaia_->value();
    if (scop_->value() > 0)
        p.scop = scop_->value();
    p.acquaCalda = acqua_->isChecked();
    LeggiEmissione(emissione_->currentData().toString().toStdString(), p.emissione);
    return p;
}

void SchedaConsumi::Mostra(const RisultatoBilancio* b, bool conBatteria)
{
    if (!b) {
        RiempiTabella(tabella_, {});
        esito_->clear();
        return;
    }
    const FormatoNumeri f = FormatoUtente();
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    const Bilancio& mostrato = conBatteria ? b->conBatteria : b->senzaBatteria;
    std::array<double, 12> auto_{};
    const Calendario cal = CreaCalendario(b->anno);
    for (std::size_t d = 0; d < b->ricaricaAuto.size() && d < cal.giorni.size(); ++d)
        for (double h : b->ricaricaAuto[d])
            auto_[std::size_t(cal.giorni[d].mese)] += h;
    const std::array<double, 12> pompa = b->pompa ? b->pompa->elettricaMesi : std::array<double, 12>{};
    std::vector<QStringList> righe = {{QStringLiteral("Mese"), QStringLiteral("Casa (kWh)"), QStringLiteral("Pompa (kWh)"),
                                       QStringLiteral("Auto (kWh)"),
                                       QStringLiteral("Totale (kWh)"), QStringLiteral("Dall'impianto (kWh)"),
                                       QStringLiteral("Autosufficienza (%)")}};
    for (std::size_t m = 0; m <= 12; ++m) {
        const FlussiEnergia& x = m < 12 ? mostrato.mesi[m] : mostrato.anno;
        const double car = m < 12 ? auto_[m] : b->RicaricaAuto();
        const double pdc = m < 12 ? pompa[m] : b->ElettricaPompa();
        righe.push_back({m < 12 ? DidascaliaDi(QStringLiteral("txtMese(%1)").arg(m)) : QStringLiteral("Anno"),
                         n(x.consumo - car - pdc, 0), n(pdc, 0), n(car, 0), n(x.consumo, 0), n(x.Coperto(), 0), n(100 * x.Autosufficienza(), 1)});
    }
    RiempiTabella(tabella_, righe);
    tabella_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    const AutoElettrica a = Auto();
    QString pompaTesto;
    if (const auto& y = b->pompa)
        pompaTesto = QStringLiteral("La pompa di calore dà %1 kWh di calore all'anno con %2 kWh di elettricità (COP stagionale %3; "
                                    "temperature: %4). ")
                         .arg(n(y->calore, 0), n(y->elettricaAnno, 0), n(y->copStagionale, 2), b->temperatureDa);
    esito_->setText(pompaTesto + (a.km > 0 ? QStringLiteral("L'auto chiede %1 kWh all'anno alla presa di casa (%2 km, %3 kWh/100 km, %4 % a casa, "
                                              "perdite %5 %). Con la ricarica «%6» l'impianto ne copre la parte che cade nelle "
                                              "ore di sole; l'autosufficienza %7 è dell'intera famiglia.")
                                   .arg(n(EnergiaAuto(a), 0), n(a.km, 0), n(a.consumo, 1), n(a.quotaCasa, 0), n(a.perdite, 0),
                                        QString::fromUtf8(NomeRicarica(a.ricarica)),
                                        conBatteria ? QStringLiteral("con la batteria") : QStringLiteral("senza batteria"))
                             : QStringLiteral("Nessuna auto elettrica.")));
}

void SchedaConsumi::Ricorda(QSettings& s) const
{
    s.setValue(QStringLiteral("autoRicarica"), ricarica_->currentIndex());
    s.setValue(QStringLiteral("autoFeriali"), feriali_->isChecked());
    for (QDoubleSpinBox* c : {km_, consumo_, casa_, potenza_, perdite_, gas_, rendimentoCaldaia_, scop_})
        s.setValue(c->objectName(), c->value());
    s.setValue(gasMesi_->objectName(), gasMesi_->text());
    s.setValue(acqua_->objectName(), acqua_->isChecked());
    s.setValue(emissione_->objectName(), emissione_->currentIndex());
}

void SchedaConsumi::Richiama(const QSettings& s)
{
    caricamento_ = true;
    for (QDoubleSpinBox* c : {km_, consumo_, casa_, potenza_, perdite_, gas_, rendimentoCaldaia_, scop_})
        c->setValue(s.value(c->objectName(), c->value()).toDouble());
    gasMesi_->setText(s.value(gasMesi_->objectName()).toString());
    acqua_->setChecked(s.value(acqua_->objectName(), true).toBool());
    emissione_->setCurrentIndex(s.value(emissione_->objectName(), 0).toInt());
    ricarica_->setCurrentIndex(s.value(QStringLiteral("autoRicarica"), 0).toInt());
    feriali_->setChecked(s.value(QStringLiteral("autoFeriali"), false).toBool());
    feriali_->setEnabled(ricarica_->currentData().toString() == QLatin1String("solare"));
    caricamento_ = false;
}

} // namespace fv
