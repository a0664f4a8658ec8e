// SPDX-License-Identifier: MIT
#include "app/scheda_consumi.h"

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
#include <QLabel>
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
    forma->addRow(QStringLiteral("Auto elettrica"), km_);
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
    sopra->addLayout(forma);
    sopra->addWidget(esito_, 1, Qt::AlignTop);
    v->addLayout(sopra);
    v->addWidget(tabella_, 1);
    const auto cambiata = [this] {
        feriali_->setEnabled(ricarica_->currentData().toString() == QLatin1String("solare"));
        if (!caricamento_)
            emit this->cambiata();
    };
    for (QDoubleSpinBox* s : {km_, consumo_, casa_, potenza_, perdite_})
        connect(s, &QDoubleSpinBox::valueChanged, this, cambiata);
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
    std::vector<QStringList> righe = {{QStringLiteral("Mese"), QStringLiteral("Casa (kWh)"), QStringLiteral("Auto (kWh)"),
                                       QStringLiteral("Totale (kWh)"), QStringLiteral("Dall'impianto (kWh)"),
                                       QStringLiteral("Autosufficienza (%)")}};
    for (std::size_t m = 0; m <= 12; ++m) {
        const FlussiEnergia& x = m < 12 ? mostrato.mesi[m] : mostrato.anno;
        const double car = m < 12 ? auto_[m] : b->RicaricaAuto();
        righe.push_back({m < 12 ? DidascaliaDi(QStringLiteral("txtMese(%1)").arg(m)) : QStringLiteral("Anno"), n(x.consumo - car, 0),
                         n(car, 0), n(x.consumo, 0), n(x.Coperto(), 0), n(100 * x.Autosufficienza(), 1)});
    }
    RiempiTabella(tabella_, righe);
    tabella_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    const AutoElettrica a = Auto();
    esito_->setText(a.km > 0 ? QStringLiteral("L'auto chiede %1 kWh all'anno alla presa di casa (%2 km, %3 kWh/100 km, %4 % a casa, "
                                              "perdite %5 %). Con la ricarica «%6» l'impianto ne copre la parte che cade nelle "
                                              "ore di sole; l'autosufficienza %7 è dell'intera famiglia.")
                                   .arg(n(EnergiaAuto(a), 0), n(a.km, 0), n(a.consumo, 1), n(a.quotaCasa, 0), n(a.perdite, 0),
                                        QString::fromUtf8(NomeRicarica(a.ricarica)),
                                        conBatteria ? QStringLiteral("con la batteria") : QStringLiteral("senza batteria"))
                             : QStringLiteral("Nessuna auto elettrica: i consumi sono quelli della casa."));
}

void SchedaConsumi::Ricorda(QSettings& s) const
{
    s.setValue(QStringLiteral("autoRicarica"), ricarica_->currentIndex());
    s.setValue(QStringLiteral("autoFeriali"), feriali_->isChecked());
    for (QDoubleSpinBox* c : {km_, consumo_, casa_, potenza_, perdite_})
        s.setValue(c->objectName(), c->value());
}

void SchedaConsumi::Richiama(const QSettings& s)
{
    caricamento_ = true;
    for (QDoubleSpinBox* c : {km_, consumo_, casa_, potenza_, perdite_})
        c->setValue(s.value(c->objectName(), c->value()).toDouble());
    ricarica_->setCurrentIndex(s.value(QStringLiteral("autoRicarica"), 0).toInt());
    feriali_->setChecked(s.value(QStringLiteral("autoFeriali"), false).toBool());
    feriali_->setEnabled(ricarica_->currentData().toString() == QLatin1String("solare"));
    caricamento_ = false;
}

} // namespace fv
