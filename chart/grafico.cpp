// SPDX-License-Identifier: MIT
// The charts: the two monthly series on screen and on paper, the tilt curve.
#include "chart/grafico.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QHorizontalStackedBarSeries>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <QFontMetricsF>
#include <QPainter>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace fv {

namespace {

// Room above the plot for the legend, two lines at the top right.
constexpr qreal kSpazioLegenda = 36;
constexpr int kTaccheAsseY = 5; // before nice numbers adjust them

// Fill and border of the horizontal and of the plane series.
const QColor kOrizzontale(70, 130, 200), kBordoOrizzontale(40, 90, 150);
const QColor kIncidente(240, 160, 40), kBordoIncidente(190, 115, 20);

// The legend, one entry under the other at the top right of the chart: a
// colour swatch and the series' legend text for each series.
class VistaGrafico final : public QChartView {
public:
    VistaGrafico(QChart* chart, QWidget* parent) : QChartView(chart, parent)
    {
        for (int i = 0; i < 2; ++i) {
            campioni_[i] = new QGraphicsRectItem(chart);
            testi_[i] = new QGraphicsSimpleTextItem(chart);
            // Named, so that whoever inspects the scene can tell the legend's items.
            campioni_[i]->setData(0, QStringLiteral("legenda"));
            testi_[i]->setData(0, QStringLiteral("legenda"));
        }
    }

    void AggiornaLegenda()
    {
        const QList<QBarSet*> insiemi = static_cast<QBarSeries*>(chart()->series().first())->barSets();
        const QFont font = chart()->legend()->font();
        const QFontMetricsF fm(font);
        qreal larghezza = 0;
        for (int i = 0; i < 2; ++i)
            larghezza = std::max(larghezza, fm.horizontalAdvance(insiemi[i]->label()));
        const qreal destra = chart()->rect().right() - 8;
        const qreal x = destra - larghezza - 16;
        for (int i = 0; i < 2; ++i) {
            const qreal y = 5 + i * (fm.height() + 3);
            campioni_[i]->setRect(x, y + (fm.height() - 10) / 2, 10, 10);
            campioni_[i]->setBrush(insiemi[i]->color());
            campioni_[i]->setPen(QPen(insiemi[i]->borderColor()));
            testi_[i]->setFont(font);
            testi_[i]->setText(insiemi[i]->label());
            testi_[i]->setPos(x + 16, y);
        }
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QChartView::resizeEvent(event);
        AggiornaLegenda();
    }

private:
    QGraphicsRectItem* campioni_[2]{};
    QGraphicsSimpleTextItem* testi_[2]{};
};

QBarSeries* Serie(QChart* chart) { return static_cast<QBarSeries*>(chart->series().first()); }

// The vertical range of both series, from the lowest value (at most 0) to
// the highest (at least 1), widened to nice numbers.
void ImpostaAsseY(QValueAxis& asse, const MonthlySeries& serie1, const MonthlySeries& serie2)
{
    double minimo = 0;
    double massimo = 0;
    for (std::size_t m = 0; m < 12; ++m) {
        minimo = std::min({minimo, serie1[m], serie2[m]});
        massimo = std::max({massimo, serie1[m], serie2[m]});
    }
    // The nice-number step depends on the tick count, which the previous
    // call changed: start from the same count, so the axis depends on the data only.
    asse.setTickCount(kTaccheAsseY);
    asse.setRange(std::floor(minimo), std::max(1.0, std::ceil(massimo)));
    asse.applyNiceNumbers();
}

// The legend on paper: a swatch and its text for each series, one under the other.
void DisegnaLegendaCarta(QPainter& p, const QRectF& r, qreal riga)
{
    const std::pair<const char*, std::pair<QColor, QColor>> voci[] = {
        {kLegendaOrizzontale, {kOrizzontale, kBordoOrizzontale}},
        {kLegendaIncidente, {kIncidente, kBordoIncidente}},
    };
    qreal y = r.top();
    for (const auto& [testo, colori] : voci) {
        p.setPen(QPen(colori.second, 0));
        p.setBrush(colori.first);
        p.drawRect(QRectF(r.left(), y + riga * 0.2, riga * 0.6, riga * 0.6));
        p.setPen(Qt::black);
        p.drawText(QRectF(r.left() + riga, y, r.width() - riga, riga), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromUtf8(testo));
        y += riga;
    }
}

} // namespace

void DisegnaGraficoCarta(QPainter& p, const QRectF& r, const std::array<QString, 12>& etichette,
                         const MonthlySeries& serie1, const MonthlySeries& serie2)
{
    p.save();
    const QFontMetricsF fm(p.font());
    const qreal riga = fm.height() * 1.2;
    DisegnaLegendaCarta(p, QRectF(r.left() + r.width() / 2, r.top(), r.width() / 2, 2 * riga), riga);
    QValueAxis asse;
    ImpostaAsseY(asse, serie1, serie2);
    const qreal margine = fm.horizontalAdvance(QStringLiteral("00")) + riga * 1.5;
    const QRectF area(r.left() + margine, r.top() + 2.5 * riga, r.width() - margine, r.height() - 3.7 * riga);
    const auto y = [&](double v) { return area.bottom() - (v - asse.min()) / (asse.max() - asse.min()) * area.height(); };
    for (int t = 0; t < asse.tickCount(); ++t) {
        const double v = asse.min() + (asse.max() - asse.min()) * t / (asse.tickCount() - 1);
        p.setPen(QPen(QColor(200, 200, 200), 0));
        p.drawLine(QPointF(area.left(), y(v)), QPointF(area.right(), y(v)));
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left() - margine, y(v) - riga / 2, margine - riga * 0.3, riga),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'f', 0));
    }
    p.save();
    p.translate(r.left() + riga * 0.5, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-area.height() / 2, -riga / 2, area.height(), riga), Qt::AlignCenter, QStringLiteral("kWh/m²"));
    p.restore();
    const qreal passo = area.width() / 12;
    for (std::size_t m = 0; m < 12; ++m) {
        const qreal x = area.left() + passo * qreal(m);
        const qreal barra = passo * 0.35;
        for (const auto& [v, dx, colori] : {std::tuple{serie1[m], passo * 0.15, std::pair{kOrizzontale, kBordoOrizzontale}},
                                             std::tuple{serie2[m], passo * 0.5, std::pair{kIncidente, kBordoIncidente}}}) {
            p.setPen(QPen(colori.second, 0));
            p.setBrush(colori.first);
            p.drawRect(QRectF(QPointF(x + dx, y(v)), QPointF(x + dx + barra, y(0))));
        }
        p.setPen(Qt::black);
        p.drawText(QRectF(x, area.bottom() + riga * 0.1, passo, riga), Qt::AlignHCenter | Qt::AlignTop, etichette[m]);
    }
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(QPointF(area.left(), y(0)), QPointF(area.right(), y(0)));
    p.restore();
}

QChartView* CreaGraficoVuoto(QWidget* parent, const QString& nome)
{
    auto* g = new QChartView(new QChart(), parent);
    g->setRenderHint(QPainter::Antialiasing);
    g->setAccessibleName(nome);
    g->setMinimumSize(380, 260);
    return g;
}

QChartView* CreaGrafico(QWidget* parent)
{
    auto* chart = new QChart();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, static_cast<int>(kSpazioLegenda), 8, 2));
    chart->setAnimationOptions(QChart::NoAnimation);

    auto* serie = new QBarSeries(chart);
    auto* orizzontale = new QBarSet(QString::fromUtf8(kLegendaOrizzontale));
    auto* incidente = new QBarSet(QString::fromUtf8(kLegendaIncidente));
    orizzontale->setColor(kOrizzontale);
    orizzontale->setBorderColor(kBordoOrizzontale);
    incidente->setColor(kIncidente);
    incidente->setBorderColor(kBordoIncidente);
    serie->append(orizzontale);
    serie->append(incidente);
    chart->addSeries(serie);

    auto* asseX = new QBarCategoryAxis(chart);
    auto* asseY = new QValueAxis(chart);
    asseY->setTitleText(QStringLiteral("kWh/m²"));
    asseY->setLabelFormat(QStringLiteral("%.0f"));
    asseY->setRange(0, 8);
    asseY->setTickCount(kTaccheAsseY);
    QFont piccolo = asseY->labelsFont();
    piccolo.setPixelSize(10);
    asseY->setLabelsFont(piccolo);
    asseY->setTitleFont(piccolo);
    asseX->setLabelsFont(piccolo);
    chart->addAxis(asseX, Qt::AlignBottom);
    chart->addAxis(asseY, Qt::AlignLeft);
    serie->attachAxis(asseX);
    serie->attachAxis(asseY);

    // The chart's own legend lays two long entries side by side and cuts
    // them; the view draws its own, one under the other.
    chart->legend()->setFont(piccolo);
    chart->legend()->hide();

    auto* vista = new VistaGrafico(chart, parent);
    vista->AggiornaLegenda();
    vista->setRenderHint(QPainter::Antialiasing);
    vista->setFocusPolicy(Qt::StrongFocus);
    return vista;
}

void RiempiGrafico(QChartView& grafico, const std::array<QString, 12>& etichette,
                   const MonthlySeries& serie1, const MonthlySeries& serie2)
{
    QChart* chart = grafico.chart();
    QBarSeries* serie = Serie(chart);
    const QList<QBarSet*> insiemi = serie->barSets();
    QList<qreal> valori1;
    QList<qreal> valori2;
    for (std::size_t m = 0; m < 12; ++m) {
        valori1 << serie1[m];
        valori2 << serie2[m];
    }
    insiemi[0]->remove(0, insiemi[0]->count());
    insiemi[1]->remove(0, insiemi[1]->count());
    insiemi[0]->append(valori1);
    insiemi[1]->append(valori2);
    insiemi[0]->setLabel(QString::fromUtf8(kLegendaOrizzontale));
    insiemi[1]->setLabel(QString::fromUtf8(kLegendaIncidente));

    auto* asseX = static_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).first());
    asseX->clear();
    asseX->append(QStringList(etichette.begin(), etichette.end()));

    ImpostaAsseY(*static_cast<QValueAxis*>(chart->axes(Qt::Vertical).first()), serie1, serie2);
    if (auto* vista = dynamic_cast<VistaGrafico*>(&grafico))
        vista->AggiornaLegenda();
}

namespace {

// Series and axes out of the chart; the chart hands a removed axis back to
// its caller, so it is deleted here.
void Svuota(QChart* grafico)
{
    grafico->removeAllSeries();
    for (QAbstractAxis* asse : grafico->axes()) {
        grafico->removeAxis(asse);
        delete asse;
    }
}

} // namespace

void RiempiCurva(QChartView& vista, const QString& titolo, const QString& asseX, const std::vector<QPointF>& punti)
{
    auto* linea = new QLineSeries;
    for (const QPointF& p : punti)
        linea->append(p);
    QChart* grafico = vista.chart();
    Svuota(grafico);
    grafico->addSeries(linea);
    grafico->legend()->hide();
    grafico->setTitle(titolo);
    auto* x = new QValueAxis;
    x->setRange(0, 90);
    x->setTickCount(7);
    x->setLabelFormat(QStringLiteral("%.0f"));
    x->setTitleText(asseX);
    auto* y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%.0f"));
    grafico->addAxis(x, Qt::AlignBottom);
    grafico->addAxis(y, Qt::AlignLeft);
    linea->attachAxis(x);
    linea->attachAxis(y);
    y->applyNiceNumbers();
}


void RiempiBarre(QChartView& vista, const QString& titolo, const QStringList& categorie, const std::vector<SerieGrafico>& serie,
                 const QString& asseY)
{
    QChart* grafico = vista.chart();
    // The same shape as on show (a recomputation): the values replaced in
    // place, far cheaper than new series and axes.
    const auto presenti = grafico->series();
    if (presenti.size() == 1 && grafico->title() == titolo) {
        auto* barre = qobject_cast<QBarSeries*>(presenti.front());
        if (barre && barre->count() == qsizetype(serie.size())) {
            double massimo = 0;
            for (std::size_t i = 0; i < serie.size(); ++i) {
                QBarSet* insieme = barre->barSets()[qsizetype(i)];
                for (std::size_t k = 0; k < serie[i].valori.size() && int(k) < insieme->count(); ++k)
                    insieme->replace(int(k), serie[i].valori[k]);
                for (double v : serie[i].valori)
                    massimo = std::max(massimo, v);
            }
            if (auto* y = qobject_cast<QValueAxis*>(grafico->axes(Qt::Vertical).value(0))) {
                y->setRange(0, massimo);
                y->applyNiceNumbers();
            }
            return;
        }
    }
    Svuota(grafico);
    auto* barre = new QBarSeries;
    for (const SerieGrafico& s : serie) {
        auto* insieme = new QBarSet(s.nome);
        for (double v : s.valori)
            *insieme << v;
        barre->append(insieme);
    }
    grafico->addSeries(barre);
    grafico->setTitle(titolo);
    auto* x = new QBarCategoryAxis;
    x->append(categorie);
    auto* y = new QValueAxis;
    y->setTitleText(asseY);
    y->setLabelFormat(QStringLiteral("%.0f"));
    grafico->addAxis(x, Qt::AlignBottom);
    grafico->addAxis(y, Qt::AlignLeft);
    barre->attachAxis(x);
    barre->attachAxis(y);
    y->applyNiceNumbers();
    grafico->legend()->setVisible(true);
    grafico->legend()->setAlignment(Qt::AlignBottom);
}

namespace {

// The same series as shown, new values: moved in place (no flicker, no new
// axes). False when the chart holds other series.
bool AggiornaLinee(QChart* grafico, const QString& titolo, const std::vector<SerieGrafico>& serie)
{
    const auto presenti = grafico->series();
    if (presenti.size() != qsizetype(serie.size()) || grafico->title() != titolo)
        return false;
    for (std::size_t i = 0; i < serie.size(); ++i) {
        auto* linea = qobject_cast<QLineSeries*>(presenti[qsizetype(i)]);
        if (!linea || linea->count() != qsizetype(serie[i].valori.size()) || linea->name() != serie[i].nome)
            return false;
    }
    double minimo = 0, massimo = 0;
    for (std::size_t i = 0; i < serie.size(); ++i) {
        QList<QPointF> punti;
        for (std::size_t k = 0; k < serie[i].valori.size(); ++k) {
            punti.append(QPointF(double(k), serie[i].valori[k]));
            minimo = std::min(minimo, serie[i].valori[k]);
            massimo = std::max(massimo, serie[i].valori[k]);
        }
        qobject_cast<QLineSeries*>(presenti[qsizetype(i)])->replace(punti);
    }
    if (auto* y = qobject_cast<QValueAxis*>(grafico->axes(Qt::Vertical).value(0))) {
        y->setRange(minimo, massimo);
        y->applyNiceNumbers();
    }
    return true;
}

} // namespace

namespace {

// Sizes along x: their own range in round numbers; else hours every 3 or
// years every 5, from 0.
void ScalaX(QValueAxis& x, bool ascisse, double minimo, double massimo)
{
    if (ascisse) {
        x.setRange(minimo, std::max(massimo, minimo + 1));
        x.setLabelFormat(QStringLiteral("%.1f"));
        x.applyNiceNumbers();
        return;
    }
    x.setRange(0, massimo);
    x.setTickType(QValueAxis::TicksDynamic);
    x.setTickAnchor(0);
    x.setTickInterval(massimo <= 24 ? 3 : 5);
}

} // namespace

void RiempiCondivisa(QChartView& vista, const QString& titolo, const std::vector<double>& immessa,
                     const std::vector<double>& prelevata, const std::vector<double>& condivisa)
{
    SvuotaGrafico(vista); // the filled area is not one of the lines RiempiLinee would update in place
    RiempiLinee(vista, titolo, {{QStringLiteral("Immessa"), immessa}, {QStringLiteral("Prelevata"), prelevata}},
                QStringLiteral("ora"), QStringLiteral("kWh"));
    QChart* grafico = vista.chart();
    // The area does not own its two edges: they are its children, freed with it.
    auto* area = new QAreaSeries;
    auto* sopra = new QLineSeries(area);
    auto* sotto = new QLineSeries(area);
    for (std::size_t h = 0; h < condivisa.size(); ++h) {
        sopra->append(double(h), condivisa[h]);
        sotto->append(double(h), 0);
    }
    area->setUpperSeries(sopra);
    area->setLowerSeries(sotto);
    area->setName(QStringLiteral("Condivisa"));
    area->setColor(QColor(120, 190, 120, 170));
    area->setBorderColor(QColor(60, 140, 60));
    grafico->addSeries(area);
    for (QAbstractAxis* a : grafico->axes())
        area->attachAxis(a);
    grafico->legend()->setVisible(true);
}

void RiempiLinee(QChartView& vista, const QString& titolo, const std::vector<SerieGrafico>& serie, const QString& asseX,
                 const QString& asseY)
{
    QChart* grafico = vista.chart();
    const bool ascisse = std::any_of(serie.begin(), serie.end(), [](const SerieGrafico& s) { return !s.x.empty(); });
    if (!ascisse && AggiornaLinee(grafico, titolo, serie))
        return;
    Svuota(grafico);
    grafico->setTitle(titolo);
    auto* x = new QValueAxis;
    x->setTitleText(asseX);
    x->setLabelFormat(QStringLiteral("%.0f"));
    auto* y = new QValueAxis;
    y->setTitleText(asseY);
    y->setLabelFormat(asseY == QStringLiteral("€") ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
    grafico->addAxis(x, Qt::AlignBottom);
    grafico->addAxis(y, Qt::AlignLeft);
    double minimoX = ascisse ? 1e300 : 0, massimoX = ascisse ? -1e300 : 1, minimoY = 0, massimoY = 0;
    for (const SerieGrafico& s : serie) {
        for (double v : s.valori) {
            minimoY = std::min(minimoY, v);
            massimoY = std::max(massimoY, v);
        }
        auto* linea = new QLineSeries;
        linea->setName(s.nome);
        for (std::size_t i = 0; i < s.valori.size(); ++i) {
            const double xi = i < s.x.size() ? s.x[i] : double(i);
            linea->append(xi, s.valori[i]);
            minimoX = std::min(minimoX, xi);
            massimoX = std::max(massimoX, xi);
        }
        grafico->addSeries(linea);
        linea->attachAxis(x);
        linea->attachAxis(y);
    }
    y->setRange(minimoY, massimoY);
    ScalaX(*x, ascisse, minimoX, massimoX);
    y->applyNiceNumbers();
    grafico->legend()->setVisible(serie.size() > 1);
    grafico->legend()->setAlignment(Qt::AlignBottom);
    // Three names under a chart a third of a dialog wide: a slightly smaller
    // face keeps each whole ("Carica della batteria", not "Carica della batt…").
    QFont piccolo = vista.font();
    piccolo.setPointSizeF(piccolo.pointSizeF() * 0.85);
    grafico->legend()->setFont(piccolo);
}

void SvuotaGrafico(QChartView& vista)
{
    Svuota(vista.chart());
    vista.chart()->setTitle(QString());
    vista.chart()->legend()->setVisible(false);
}

void RiempiTornado(QChartView& vista, const QString& titolo, const std::vector<BarraOrizzontale>& barre, double centro,
                   const QString& asseX)
{
    QChart* grafico = vista.chart();
    Svuota(grafico);
    // Stacked from the centre: the low end's difference and the high end's,
    // each to its side; categories listed bottom up, so the widest is on top.
    auto* serie = new QHorizontalStackedBarSeries;
    auto* basso = new QBarSet(QStringLiteral("parametro al basso"));
    auto* alto = new QBarSet(QStringLiteral("parametro all'alto"));
    QStringList nomi;
    double estremo = 1;
    for (auto b = barre.rbegin(); b != barre.rend(); ++b) {
        *basso << b->basso - centro;
        *alto << b->alto - centro;
        nomi << b->nome;
        estremo = std::max({estremo, std::abs(b->basso - centro), std::abs(b->alto - centro)});
    }
    serie->append(basso);
    serie->append(alto);
    grafico->addSeries(serie);
    grafico->setTitle(titolo);
    auto* y = new QBarCategoryAxis;
    y->append(nomi);
    QFont piccolo = y->labelsFont();
    piccolo.setPointSizeF(std::max(7.0, piccolo.pointSizeF() - 1));
    y->setLabelsFont(piccolo);
    y->setTruncateLabels(false); // a name a row, whole
    auto* x = new QValueAxis;
    x->setTitleText(asseX);
    x->setLabelFormat(QStringLiteral("%.0f"));
    x->setRange(-estremo, estremo);
    x->applyNiceNumbers();
    grafico->addAxis(y, Qt::AlignLeft);
    grafico->addAxis(x, Qt::AlignBottom);
    serie->attachAxis(y);
    serie->attachAxis(x);
    grafico->legend()->setVisible(true);
    grafico->legend()->setAlignment(Qt::AlignBottom);
}

} // namespace fv
