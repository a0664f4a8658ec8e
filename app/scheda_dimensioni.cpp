// SPDX-License-Identifier: MIT
#include "app/scheda_dimensioni.h"

#include "app/aspetto.h"
#include "app/opzioni.h"
#include "app/pezzi_dialogo.h"
#include "app/relazione.h"
#include "calc/numeri.h"
#include "chart/grafico.h"
#include "chart/griglia.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChartView> // the views are made and drawn in chart/; here only laid out

#include <cmath>
#include <thread>

namespace fv {

SchedaDimensioni::SchedaDimensioni(QWidget* parent) : QWidget(parent)
{
    auto* riga = new QHBoxLayout;
    potenzaMax_ = NuovoNumero(this, Dichiarata("potenza-max"));
    superficie_ = NuovoNumero(this, Dichiarata("superficie"));
    superficie_->setMinimum(0); // 0: no roof given, the power above instead
    superficie_->setValue(0);
    superficie_->setSpecialValueText(QStringLiteral("non indicata"));
    superficie_->setToolTip(QStringLiteral("Superficie utile del tetto: la potenza massima è la superficie per il parametro "
                                           "densita_potenza (kWp/m²)."));
    passoPotenza_ = new QComboBox(this);
    passoPotenza_->addItem(QStringLiteral("passo 1 kWp"), 1.0);
    passoPotenza_->addItem(QStringLiteral("passo 0,5 kWp"), 0.5);
    batteriaMax_ = NuovoNumero(this, Dichiarata("batteria-max"));
    dimensiona_ = new QPushButton(QStringLiteral("Calcola la griglia"), this);
    dimensiona_->setObjectName(QStringLiteral("dimensiona"));
    riga->addWidget(new QLabel(QStringLiteral("Fino a"), this));
    riga->addWidget(potenzaMax_);
    riga->addWidget(new QLabel(QStringLiteral("o tetto"), this));
    riga->addWidget(superficie_);
    riga->addWidget(passoPotenza_);
    riga->addWidget(new QLabel(QStringLiteral("batteria fino a"), this));
    riga->addWidget(batteriaMax_);
    riga->addWidget(dimensiona_);
    esito_ = new QLabel(this);
    esito_->setWordWrap(true);
    esito_->setObjectName(QStringLiteral("esitoDimensioni"));
    mappa_ = new MappaGriglia(this);
    curva_ = CreaGraficoVuoto(this, QStringLiteral("VAN per potenza"));
    auto* sotto = new QHBoxLayout;
    sotto->addWidget(mappa_, 1);
    sotto->addWidget(curva_, 1);
    auto* v = new QVBoxLayout(this);
    v->addLayout(riga);
    v->addWidget(esito_);
    v->addLayout(sotto, 1);
    connect(dimensiona_, &QPushButton::clicked, this, &SchedaDimensioni::richiesta);
    for (QDoubleSpinBox* s : {potenzaMax_, superficie_, batteriaMax_})
        connect(s, &QDoubleSpinBox::valueChanged, this, &SchedaDimensioni::Annulla);
    connect(passoPotenza_, &QComboBox::activated, this, &SchedaDimensioni::Annulla);
    Annulla();
}

SchedaDimensioni::~SchedaDimensioni()
{
    if (annulla_)
        annulla_->store(true);
}

void SchedaDimensioni::Annulla()
{
    ++generazione_;
    if (annulla_)
        annulla_->store(true);
    annulla_.reset();
    griglia_.reset();
    mappa_->Svuota();
    SvuotaGrafico(*curva_);
    esito_->setText(QStringLiteral("Premere «Calcola la griglia» per il valore di ogni potenza e batteria."));
    dimensiona_->setEnabled(true);
}

void SchedaDimensioni::Errore(const QString& testo) { esito_->setText(testo); }

LimitiDimensioni SchedaDimensioni::Limiti(const std::vector<Parametro>& parametri) const
{
    LimitiDimensioni limiti;
    limiti.potenzaMax = superficie_->value() > 0 ? superficie_->value() * Valore(parametri, "densita_potenza") : potenzaMax_->value();
    limiti.passoPotenza = passoPotenza_->currentData().toDouble();
    limiti.batteriaMax = batteriaMax_->value() > 0 ? batteriaMax_->value() : 1e-9;
    limiti.passoBatteria = batteriaMax_->value() > 0 ? 2 : 1e-9;
    limiti.potenzaAttuale = potenzaAttuale_;
    limiti.batteriaAttuale = batteriaAttuale_;
    return limiti;
}

// The grid on a worker thread; its result shown only if no input changed meanwhile.
void SchedaDimensioni::Avvia(std::shared_ptr<const Analisi::OreDellaRichiesta> ore, const std::vector<Parametro>& parametri,
                             double potenzaAttuale, double batteriaAttuale,
                             std::shared_ptr<const Analisi::OreDellaRichiesta> oggi)
{
    Annulla();
    potenzaAttuale_ = potenzaAttuale;
    batteriaAttuale_ = batteriaAttuale;
    const LimitiDimensioni limiti = Limiti(parametri);
    if (limiti.potenzaMax > kPotenzaMassimaCasa || limiti.potenzaMax < 0.5)
        return Errore(QStringLiteral("La potenza massima (dal tetto) vale da 0,5 a 100 kWp, non %1.")
                          .arg(QString::fromStdString(TestoArrotondato(limiti.potenzaMax, 1, FormatoUtente()))));
    auto annulla = std::make_shared<std::atomic<bool>>(false);
    annulla_ = annulla;
    const int generazione = generazione_;
    dimensiona_->setEnabled(false);
    esito_->setText(QStringLiteral("Calcolo della griglia…"));
    QPointer<SchedaDimensioni> io(this);
    const auto somma = [](const std::vector<Ore>& anno) {
        double s = 0;
        for (const Ore& g : anno)
            for (double h : g)
                s += h;
        return s;
    };
    consumoDomani_ = somma(ore->consumo);
    consumoOggi_ = oggi ? somma(oggi->consumo) : 0;
    std::thread([io, ore, oggi, parametri, limiti, annulla, generazione] {
        std::optional<GrigliaDimensioni> g;
        std::optional<CellaDimensioni> miglioreOggi;
        QString errore;
        try {
            g = Dimensiona(ore->impianto, ore->consumo, ore->calendario, ore->batteria, parametri, ore->famiglia, limiti,
                           annulla.get());
            if (oggi) {
                const GrigliaDimensioni o = Dimensiona(oggi->impianto, oggi->consumo, oggi->calendario, oggi->batteria, parametri,
                                                       oggi->famiglia, limiti, annulla.get());
                miglioreOggi = o.celle[o.migliore];
            }
        } catch (const std::exception& e) {
            errore = QString::fromStdString(e.what());
        }
        if (annulla->load())
            return;
        QMetaObject::invokeMethod(qApp, [io, g = std::move(g), miglioreOggi, errore, generazione] {
            if (!io || io->generazione_ != generazione)
                return; // gone, or of inputs before
            io->dimensiona_->setEnabled(true);
            io->annulla_.reset();
            io->miglioreOggi_ = miglioreOggi;
            if (!g)
                return io->Errore(errore);
            io->Mostra(*g);
            emit io->calcolata(*g);
        });
    }).detach();
}

void SchedaDimensioni::Mostra(const GrigliaDimensioni& g)
{
    griglia_ = g;
    const FormatoNumeri f = FormatoUtente();
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    DatiMappa dati;
    dati.colonne = g.batterie;
    dati.righe = g.potenze;
    for (const CellaDimensioni& c : g.celle)
        dati.valori.push_back(c.van);
    dati.titoloColonne = QStringLiteral("→ batteria kWh");
    dati.titoloRighe = QStringLiteral("↑ potenza kWp");
    dati.unita = QStringLiteral("nero: la migliore, blu: la calcolata");
    dati.migliore = std::pair{g.migliore / g.batterie.size(), g.migliore % g.batterie.size()};
    for (std::size_t p = 0; p < g.potenze.size(); ++p)
        for (std::size_t b = 0; b < g.batterie.size(); ++b)
            if (std::fabs(g.potenze[p] - potenzaAttuale_) < 1e-9 && std::fabs(g.batterie[b] - batteriaAttuale_) < 1e-9)
                dati.attuale = std::pair{p, b};
    mappa_->Imposta(dati);
    std::vector<SerieGrafico> serie = {{QStringLiteral("Senza batteria"), {}}, {QStringLiteral("Con la batteria migliore"), {}}};
    const std::vector<std::size_t> migliori = g.MiglioreBatteriaPerPotenza();
    for (std::size_t p = 0; p < g.potenze.size(); ++p) {
        serie[0].valori.push_back(g.Cella(p, 0).van);
        serie[1].valori.push_back(g.Cella(p, migliori[p]).van);
    }
    serie[0].x = serie[1].x = g.potenze;
    RiempiLinee(*curva_, QStringLiteral("VAN per potenza"), serie, QStringLiteral("potenza (kWp)"), QStringLiteral("€"));
    const CellaDimensioni& m = g.celle[g.migliore];
    esito_->setText(QStringLiteral("La migliore: %1 kWp con %2 kWh di batteria, VAN %3 €, ritorno %4. Quella calcolata: "
                                   "%5 kWp con %6 kWh.")
                        .arg(n(m.potenza, 1), n(m.batteria, 0), n(m.van, 0),
                             m.ritorno ? n(*m.ritorno, 1) + QStringLiteral(" anni") : QStringLiteral("oltre l'orizzonte"),
                             n(potenzaAttuale_, 1), n(batteriaAttuale_, 1))
                        + (g.celle.front().falde.size() > 1 ? u' ' + FaldeDelleTaglie(g, f, potenzaMax_->value()) : QString())
                        + (miglioreOggi_ ? QStringLiteral(" Con i consumi aggiunti (pompa di calore, auto) la famiglia consuma %1 kWh; "
                                                          "oggi, con %2 kWh, la migliore sarebbe %3 kWp con %4 kWh di batteria, "
                                                          "VAN %5 €.")
                                               .arg(n(consumoDomani_, 0), n(consumoOggi_, 0), n(miglioreOggi_->potenza, 1),
                                                    n(miglioreOggi_->batteria, 0), n(miglioreOggi_->van, 0))
                                         : QString()));
}

} // namespace fv
