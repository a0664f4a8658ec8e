// SPDX-License-Identifier: MIT
#include "app/scheda_bilancio.h"

#include "app/aspetto.h"
#include "app/pezzi_dialogo.h"
#include "app/relazione.h"
#include "chart/grafico.h"

#include <QComboBox>

#include <algorithm>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QtCharts/QChartView> // the views are made and drawn in chart/; here only laid out

namespace fv {

SchedaBilancio::SchedaBilancio(QWidget* parent) : QWidget(parent)
{
    riepilogo_ = new QLabel(this);
    riepilogo_->setTextFormat(Qt::RichText);
    mesi_ = CreaGraficoVuoto(this, QStringLiteral("Bilancio mensile"));
    giorno_ = CreaGraficoVuoto(this, QStringLiteral("Giorno medio del mese"));
    mese_ = new QComboBox(this);
    for (const char* m : {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto", "settembre",
                          "ottobre", "novembre", "dicembre"})
        mese_->addItem(QString::fromLatin1(m));
    mese_->setCurrentIndex(5);
    connect(mese_, &QComboBox::activated, this, &SchedaBilancio::MostraGiornoMedio);
    // The year's figures beside the mean day of a month; the months below, full width.
    auto* sopra = new QHBoxLayout;
    sopra->addWidget(riepilogo_, 0, Qt::AlignTop);
    auto* destra = new QVBoxLayout;
    destra->addWidget(mese_);
    destra->addWidget(giorno_, 1);
    sopra->addLayout(destra, 1);
    auto* v = new QVBoxLayout(this);
    v->addLayout(sopra, 1);
    v->addWidget(mesi_, 1);
}

void SchedaBilancio::Mostra(const RisultatoBilancio& risultato, bool batteria)
{
    bilancio_ = risultato;
    batteria_ = batteria;
    riepilogo_->setText(testoRiepilogo());
    const Bilancio& b = batteria ? risultato.conBatteria : risultato.senzaBatteria;
    QStringList mesi;
    std::vector<SerieGrafico> serie = {{QStringLiteral("Produzione"), {}}, {QStringLiteral("Consumo"), {}},
                                       {QStringLiteral("Autoconsumata"), {}}, {QStringLiteral("Immessa"), {}},
                                       {QStringLiteral("Prelevata"), {}}};
    for (int m = 0; m < 12; ++m) {
        const FlussiEnergia& x = b.mesi[std::size_t(m)];
        mesi << mese_->itemText(m).left(3);
        for (auto [i, v] : {std::pair{0, x.produzione}, {1, x.consumo}, {2, x.Coperto()}, {3, x.immessa}, {4, x.prelevata}})
            serie[std::size_t(i)].valori.push_back(v);
    }
    RiempiBarre(*mesi_, batteria ? QStringLiteral("Bilancio mese per mese, con batteria") : QStringLiteral("Bilancio mese per mese"),
                mesi, serie, QStringLiteral("kWh"));
    MostraGiornoMedio();
}

void SchedaBilancio::Svuota()
{
    bilancio_.reset();
    riepilogo_->clear();
    SvuotaGrafico(*mesi_);
    SvuotaGrafico(*giorno_);
}

QString SchedaBilancio::testoRiepilogo() const
{
    return bilancio_ ? TabellaHtml(RiepilogoBilancio(*bilancio_, FormatoUtente(), batteria_)) : QString();
}

namespace {

// A part of the consumption over the mean day of a month [kWh per clock hour].
std::vector<double> MediaDelMese(const std::vector<Ore>& ore, const Calendario& cal, std::size_t mese)
{
    std::vector<double> media(24, 0.0);
    int giorni = 0;
    for (std::size_t d = 0; d < ore.size() && d < cal.giorni.size(); ++d) {
        if (std::size_t(cal.giorni[d].mese) != mese)
            continue;
        ++giorni;
        for (std::size_t h = 0; h < 24; ++h)
            media[h] += ore[d][h];
    }
    for (double& v : media)
        v /= std::max(giorni, 1);
    return media;
}

} // namespace

void SchedaBilancio::MostraGiornoMedio()
{
    if (!bilancio_)
        return;
    const auto m = std::size_t(mese_->currentIndex());
    const Bilancio& b = batteria_ ? bilancio_->conBatteria : bilancio_->senzaBatteria;
    std::vector<SerieGrafico> serie = {{QStringLiteral("Produzione"), {b.produzioneMedia[m].begin(), b.produzioneMedia[m].end()}},
                                       {QStringLiteral("Consumo"), {b.consumoMedio[m].begin(), b.consumoMedio[m].end()}}};
    // The consumption's parts the household adds, each on its own line.
    const Calendario cal = CreaCalendario(bilancio_->anno);
    if (bilancio_->pompa)
        serie.push_back({QStringLiteral("Pompa di calore"), MediaDelMese(bilancio_->pompa->elettrica, cal, m)});
    if (!bilancio_->ricaricaAuto.empty())
        serie.push_back({QStringLiteral("Ricarica auto"), MediaDelMese(bilancio_->ricaricaAuto, cal, m)});
    if (batteria_)
        serie.push_back({QStringLiteral("Carica della batteria"), {b.caricaMedia[m].begin(), b.caricaMedia[m].end()}});
    RiempiLinee(*giorno_, QStringLiteral("Giorno medio di %1, ora per ora").arg(mese_->currentText()), serie, QStringLiteral("ora"),
                QStringLiteral("kWh"));
}

} // namespace fv
