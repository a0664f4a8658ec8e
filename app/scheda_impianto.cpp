// SPDX-License-Identifier: MIT
#include "app/scheda_impianto.h"

#include "app/aspetto.h"
#include "app/opzioni.h"
#include "app/pezzi_dialogo.h"
#include "app/relazione.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace fv {

// The roof seen from above, north up: each face an arrow toward the
// direction it faces, as long as its share of the peak power.
class DisegnoFalde final : public QWidget {
public:
    explicit DisegnoFalde(QWidget* genitore) : QWidget(genitore) { setMinimumSize(230, 230); }
    void Imposta(std::vector<Falda> falde)
    {
        falde_ = std::move(falde);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const double lato = std::min(width(), height()) - 36;
        const QPointF c(width() / 2.0, height() / 2.0);
        p.setPen(QPen(palette().color(QPalette::Mid), 1));
        p.drawEllipse(c, lato / 2, lato / 2);
        const auto punto = [&](double azimut, double r) {
            // Azimuth from south, positive toward west: south down, west left.
            const double a = azimut * std::numbers::pi / 180;
            return c + QPointF(-std::sin(a) * r, std::cos(a) * r);
        };
        p.setPen(palette().color(QPalette::WindowText));
        const std::pair<const char*, double> cardinali[] = {{"S", 0}, {"O", 90}, {"N", 180}, {"E", -90}};
        for (const auto& [nome, az] : cardinali)
            p.drawText(QRectF(punto(az, lato / 2 + 10) - QPointF(8, 8), QSizeF(16, 16)), Qt::AlignCenter, QString::fromLatin1(nome));
        double massima = 0;
        for (const Falda& f : falde_)
            massima = std::max(massima, f.potenza);
        for (std::size_t i = 0; i < falde_.size(); ++i) {
            const Falda& f = falde_[i];
            const double r = massima > 0 ? lato / 2 * (0.3 + 0.5 * f.potenza / massima) : 0;
            // Steeper faces drawn darker: a flat roof faces the sky more than a direction.
            QColor colore = QColor::fromHsv(int(30 + 60 * i) % 360, 160, int(230 - f.tilt));
            p.setPen(QPen(colore, 5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(c, punto(f.azimut, r));
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(QRectF(punto(f.azimut, r + 9) - QPointF(8, 8), QSizeF(16, 16)), Qt::AlignCenter, QString::number(i + 1));
        }
    }

private:
    std::vector<Falda> falde_;
};

SchedaImpianto::SchedaImpianto(QWidget* parent) : QWidget(parent)
{
    CreaTabella();
    CreaComandi();
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addWidget(aggiungi_);
    pulsanti->addWidget(togli_);
    pulsanti->addStretch(1);
    pulsanti->addWidget(new QLabel(QStringLiteral("Inverter"), this));
    pulsanti->addWidget(inverter_);
    pulsanti->addWidget(inverterFisso_);
    auto* sotto = new QHBoxLayout;
    sotto->addWidget(esito_, 1, Qt::AlignTop);
    sotto->addWidget(disegno_);
    auto* v = new QVBoxLayout(this);
    auto* spiega = new QLabel(QStringLiteral("La falda 1 è il piano della finestra (inclinazione, azimut e potenza si cambiano "
                                             "lì); le altre si aggiungono qui, fino a quattro in tutto."),
                              this);
    spiega->setWordWrap(true);
    v->addWidget(spiega);
    v->addWidget(tabella_);
    v->addLayout(pulsanti);
    v->addLayout(sotto, 1);
    AggiungiRiga(Falda{});
    Collega();
}

void SchedaImpianto::CreaTabella()
{
    tabella_ = new QTableWidget(0, Colonne, this);
    tabella_->setObjectName(QStringLiteral("tabellaFalde"));
    tabella_->setHorizontalHeaderLabels({QStringLiteral("Inclinazione"), QStringLiteral("Azimut"), QStringLiteral("Potenza"),
                                         QStringLiteral("Superficie"), QStringLiteral("Ombre vicine"),
                                         QStringLiteral("Energia (kWh/anno)"), QStringLiteral("Resa (kWh/kWp)")});
    tabella_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tabella_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabella_->setSelectionMode(QAbstractItemView::SingleSelection);
    tabella_->setMaximumHeight(190);
}

void SchedaImpianto::CreaComandi()
{
    aggiungi_ = new QPushButton(QStringLiteral("Aggiungi falda"), this);
    aggiungi_->setObjectName(QStringLiteral("aggiungiFalda"));
    togli_ = new QPushButton(QStringLiteral("Togli falda"), this);
    togli_->setObjectName(QStringLiteral("togliFalda"));
    inverter_ = NuovoNumero(this, Dichiarata("inverter"));
    inverter_->setSpecialValueText(QStringLiteral("nessun limite"));
    inverter_->setToolTip(QStringLiteral("Potenza massima in corrente alternata dell'inverter: ora per ora, la produzione delle "
                                         "falde oltre questa potenza è persa."));
    inverterFisso_ = new QCheckBox(QStringLiteral("lo stesso inverter per ogni taglia della griglia"), this);
    inverterFisso_->setToolTip(QStringLiteral("Senza: nella griglia «Quale impianto» l'inverter cresce con l'impianto, con lo stesso "
                                              "rapporto kWp/kW."));
    esito_ = new QLabel(this);
    esito_->setWordWrap(true);
    esito_->setObjectName(QStringLiteral("esitoFalde"));
    disegno_ = new DisegnoFalde(this);
}

void SchedaImpianto::Collega()
{
    connect(aggiungi_, &QPushButton::clicked, this, [this] {
        // A new face: the first's tilt, facing the other way, with its power.
        Falda f;
        f.tilt = tabella_->item(0, Tilt) ? tabella_->item(0, Tilt)->data(Qt::UserRole).toDouble() : 30;
        const double az = tabella_->item(0, Azimut) ? tabella_->item(0, Azimut)->data(Qt::UserRole).toDouble() : 0;
        f.azimut = az > 0 ? az - 180 : az + 180;
        f.potenza = tabella_->item(0, Potenza) ? std::max(kPotenzaFalda.minimo, tabella_->item(0, Potenza)->data(Qt::UserRole).toDouble()) : 3;
        AggiungiRiga(f);
        emit cambiata();
    });
    connect(togli_, &QPushButton::clicked, this, [this] {
        const int riga = tabella_->currentRow() > 0 ? tabella_->currentRow() : tabella_->rowCount() - 1;
        if (riga < 1)
            return;
        tabella_->removeRow(riga);
        aggiungi_->setEnabled(true);
        togli_->setEnabled(tabella_->rowCount() > 1);
        emit cambiata();
    });
    connect(inverter_, &QDoubleSpinBox::valueChanged, this, [this] {
        if (!caricamento_)
            emit cambiata();
    });
    connect(inverterFisso_, &QCheckBox::toggled, this, [this] {
        if (!caricamento_)
            emit cambiata();
    });
}

void SchedaImpianto::AggiungiRiga(const Falda& f)
{
    const int riga = tabella_->rowCount();
    tabella_->insertRow(riga);
    const auto campo = [&](Colonna c, const LimiteFalda& l, double v, int decimali) {
        QDoubleSpinBox* s = NuovoNumero(tabella_, l.minimo, l.massimo, v, decimali, QString::fromUtf8(l.unita));
        s->setObjectName(QStringLiteral("falda%1_%2").arg(riga + 1).arg(int(c)));
        tabella_->setCellWidget(riga, c, s);
        connect(s, &QDoubleSpinBox::valueChanged, this, [this] {
            if (!caricamento_)
                emit cambiata();
        });
        return s;
    };
    if (riga > 0) {
        campo(Tilt, kTiltFalda, f.tilt, 1);
        campo(Azimut, kAzimutFalda, f.azimut, 1);
        campo(Potenza, kPotenzaFalda, f.potenza, 2);
    }
    // 0: no area given.
    QDoubleSpinBox* area = campo(Area, LimiteFalda{0, kAreaFalda.massimo, kAreaFalda.unita}, f.area.value_or(0), 1);
    area->setSpecialValueText(QStringLiteral("non indicata"));
    area->setToolTip(QStringLiteral("Superficie utile della falda: nella griglia «Quale impianto» la falda accoglie al più la "
                                    "superficie per densita_potenza; senza, la sua potenza."));
    campo(Ombra, kOmbraFalda, f.ombra, 1)
        ->setToolTip(QStringLiteral("Perdita per ombre vicine (camini, abbaini, alberi), in percentuale dell'energia della falda."));
    for (Colonna c : {Energia, Resa}) {
        auto* cella = new QTableWidgetItem;
        cella->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cella->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tabella_->setItem(riga, c, cella);
    }
    aggiungi_->setEnabled(tabella_->rowCount() < int(kFaldeMassime));
    togli_->setEnabled(tabella_->rowCount() > 1);
}

QDoubleSpinBox* SchedaImpianto::Cella(int riga, Colonna c) const
{
    return qobject_cast<QDoubleSpinBox*>(tabella_->cellWidget(riga, c));
}

RichiestaImpianto SchedaImpianto::Richiesta() const
{
    RichiestaImpianto r;
    const auto area = [&](int riga) {
        const double a = Cella(riga, Area)->value();
        return a > 0 ? std::optional<double>(a) : std::nullopt;
    };
    r.areaPrima = area(0);
    r.ombraPrima = Cella(0, Ombra)->value();
    for (int riga = 1; riga < tabella_->rowCount(); ++riga)
        r.altre.push_back({Cella(riga, Tilt)->value(), Cella(riga, Azimut)->value(), Cella(riga, Potenza)->value(), area(riga),
                           Cella(riga, Ombra)->value()});
    if (inverter_->value() > 0)
        r.inverter = inverter_->value();
    r.inverterFisso = inverterFisso_->isChecked() && r.inverter;
    return r;
}

void SchedaImpianto::MostraPrima(const Risultato& r)
{
    const FormatoNumeri f = FormatoUtente();
    const std::pair<Colonna, double> valori[] = {{Tilt, r.letti.tilt}, {Azimut, r.letti.azimut}, {Potenza, r.letti.potenza}};
    for (const auto& [c, v] : valori) {
        auto* cella = new QTableWidgetItem(QString::fromStdString(TestoArrotondato(v, c == Potenza ? 2 : 1, f))
                                           + (c == Potenza ? QStringLiteral(" kWp") : QStringLiteral(" °")));
        cella->setData(Qt::UserRole, v);
        cella->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cella->setToolTip(QStringLiteral("Dalla finestra di calcolo"));
        cella->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tabella_->setItem(0, c, cella);
    }
    Ridisegna();
}

void SchedaImpianto::Ridisegna()
{
    std::vector<Falda> falde;
    if (tabella_->item(0, Potenza))
        falde.push_back({tabella_->item(0, Tilt)->data(Qt::UserRole).toDouble(), tabella_->item(0, Azimut)->data(Qt::UserRole).toDouble(),
                         tabella_->item(0, Potenza)->data(Qt::UserRole).toDouble(), std::nullopt, 0});
    const RichiestaImpianto r = Richiesta();
    falde.insert(falde.end(), r.altre.begin(), r.altre.end());
    disegno_->Imposta(falde);
}

void SchedaImpianto::Mostra(const RisultatoBilancio* b)
{
    Ridisegna();
    const FormatoNumeri f = FormatoUtente();
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    for (int riga = 0; riga < tabella_->rowCount(); ++riga) {
        const bool nota = b && std::size_t(riga) < b->produzione.mesiFalde.size() && std::size_t(riga) < b->falde.size();
        double e = 0;
        if (nota)
            for (double m : b->produzione.mesiFalde[std::size_t(riga)])
                e += m;
        tabella_->item(riga, Energia)->setText(nota ? n(e, 0) : QString());
        tabella_->item(riga, Resa)->setText(nota ? n(e / b->falde[std::size_t(riga)].potenza, 0) : QString());
    }
    if (!b) {
        esito_->clear();
        return;
    }
    const double picco = b->PotenzaDiPicco();
    QString testo = QStringLiteral("Potenza di picco %1 kWp su %2 %3.")
                        .arg(n(picco, 2))
                        .arg(b->falde.size())
                        .arg(b->falde.size() == 1 ? QStringLiteral("falda") : QStringLiteral("falde"));
    if (b->produzione.inverter) {
        double prima = 0;
        for (const auto& m : b->produzione.mesiFalde)
            for (double v : m)
                prima += v;
        testo += QStringLiteral(" Inverter %1 kW (rapporto CC/CA %2): %3 %4 kWh all'anno (%5 %), energia dell'impianto %6 kWh.")
                     .arg(n(*b->produzione.inverter, 2), n(picco / *b->produzione.inverter, 2),
                          QString::fromUtf8(kPerditaInverter).toLower(), n(b->produzione.tagliata, b->produzione.tagliata < 10 ? 1 : 0),
                          n(prima > 0 ? 100 * b->produzione.tagliata / prima : 0, 2), n(prima - b->produzione.tagliata, 0));
    } else {
        testo += QStringLiteral(" Nessun limite dell'inverter.");
    }
    esito_->setText(testo);
}

void SchedaImpianto::Ricorda(QSettings& s) const
{
    const RichiestaImpianto r = Richiesta();
    QStringList falde;
    for (const Falda& f : r.altre)
        falde << QStringLiteral("%1:%2:%3:%4:%5")
                     .arg(f.tilt)
                     .arg(f.azimut)
                     .arg(f.potenza)
                     .arg(f.area.value_or(0))
                     .arg(f.ombra);
    s.setValue(QStringLiteral("falde"), falde);
    s.setValue(QStringLiteral("areaPrima"), r.areaPrima.value_or(0));
    s.setValue(QStringLiteral("ombraPrima"), r.ombraPrima);
    s.setValue(QStringLiteral("inverter"), inverter_->value());
    s.setValue(QStringLiteral("inverterFisso"), inverterFisso_->isChecked());
}

void SchedaImpianto::Richiama(const QSettings& s)
{
    caricamento_ = true;
    while (tabella_->rowCount() > 1)
        tabella_->removeRow(tabella_->rowCount() - 1);
    // Only well-formed faces come back (QString::number writes the C locale's point).
    for (const QString& testo : s.value(QStringLiteral("falde")).toStringList()) {
        const QStringList v = testo.split(u':');
        if (v.size() != 5 || tabella_->rowCount() >= int(kFaldeMassime))
            continue;
        Falda f{v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), std::nullopt, v[4].toDouble()};
        if (v[3].toDouble() > 0)
            f.area = v[3].toDouble();
        AggiungiRiga(f);
    }
    Cella(0, Area)->setValue(s.value(QStringLiteral("areaPrima"), 0).toDouble());
    Cella(0, Ombra)->setValue(s.value(QStringLiteral("ombraPrima"), 0).toDouble());
    inverter_->setValue(s.value(QStringLiteral("inverter"), 0).toDouble());
    inverterFisso_->setChecked(s.value(QStringLiteral("inverterFisso"), false).toBool());
    caricamento_ = false;
}

} // namespace fv
