// SPDX-License-Identifier: MIT
#include "chart/grafico.h"

#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QValueAxis>

#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>

#include <algorithm>
#include <cmath>

namespace fv {

namespace {

// Room above the plot for the legend, two lines at the top right.
constexpr qreal kSpazioLegenda = 36;
constexpr int kTaccheAsseY = 5; // before nice numbers adjust them

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

} // namespace

QChartView* CreaGrafico(QWidget* parent)
{
    auto* chart = new QChart();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, static_cast<int>(kSpazioLegenda), 8, 2));
    chart->setAnimationOptions(QChart::NoAnimation);

    auto* serie = new QBarSeries(chart);
    auto* orizzontale = new QBarSet(QString::fromUtf8(kLegendaOrizzontale));
    auto* incidente = new QBarSet(QString::fromUtf8(kLegendaIncidente));
    orizzontale->setColor(QColor(70, 130, 200));
    orizzontale->setBorderColor(QColor(40, 90, 150));
    incidente->setColor(QColor(240, 160, 40));
    incidente->setBorderColor(QColor(190, 115, 20));
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
    double massimo = 0;
    for (std::size_t m = 0; m < 12; ++m) {
        valori1 << serie1[m];
        valori2 << serie2[m];
        massimo = std::max({massimo, serie1[m], serie2[m]});
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

    double minimo = 0;
    for (std::size_t m = 0; m < 12; ++m)
        minimo = std::min({minimo, serie1[m], serie2[m]});
    auto* asseY = static_cast<QValueAxis*>(chart->axes(Qt::Vertical).first());
    // The nice-number step depends on the tick count, which the previous
    // call changed: start from the same count, so the axis depends on the data only.
    asseY->setTickCount(kTaccheAsseY);
    asseY->setRange(std::floor(minimo), std::max(1.0, std::ceil(massimo)));
    asseY->applyNiceNumbers();
    if (auto* vista = dynamic_cast<VistaGrafico*>(&grafico))
        vista->AggiornaLegenda();
}

} // namespace fv
