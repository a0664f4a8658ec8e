// SPDX-License-Identifier: MIT
// The chart of the two monthly radiation series, horizontal and on the plane.
#pragma once

#include "calc/serie.h"

#include <QString>
#include <QStringList>

#include <QPointF>

#include <array>
#include <vector>

class QChartView;
class QPainter;
class QRectF;
class QWidget;

namespace fv {

inline constexpr const char* kLegendaOrizzontale = "Irraggiamento giornaliero (kWh/m2)";
inline constexpr const char* kLegendaIncidente = "Irraggiamento giornaliero incidente (kWh/m2)";

// The chart view as it stands before the first calculation: both series
// named in the legend (top right), empty axes, no data.
QChartView* CreaGrafico(QWidget* parent);

// An empty chart view for the dialogs' figures (bars, lines, a tornado),
// named for assistive technology, at least 380 × 260.
QChartView* CreaGraficoVuoto(QWidget* parent, const QString& nome);

// Loads the row labels and the two series, replacing whatever the chart held.
// Values go in at full precision; the legend stays at the top right.
void RiempiGrafico(QChartView& grafico, const std::array<QString, 12>& etichette,
                   const MonthlySeries& serie1, const MonthlySeries& serie2);

// The same chart drawn as vector shapes for paper (a report page, a
// printer): bars of both series, the vertical axis in kWh/m² with the same
// nice numbers as on screen, month labels and the legend above the plot.
// Sizes follow the painter's font; `rettangolo` is in the painter's units.
void DisegnaGraficoCarta(QPainter& painter, const QRectF& rettangolo,
                         const std::array<QString, 12>& etichette, const MonthlySeries& serie1,
                         const MonthlySeries& serie2);

// A line of values against a whole-degree angle 0..90 (the orientation
// tool's annual radiation against tilt): title, horizontal axis title, points.
void RiempiCurva(QChartView& grafico, const QString& titolo, const QString& asseX, const std::vector<QPointF>& punti);

// A named series of values, one per category or point.
struct SerieGrafico {
    SerieGrafico(QString n = {}, std::vector<double> v = {}, std::vector<double> ascisse = {})
        : nome(std::move(n)), valori(std::move(v)), x(std::move(ascisse))
    {
    }
    QString nome;
    std::vector<double> valori;
    std::vector<double> x; // the points' abscissas; empty: 0, 1, 2, ...
};

// Bars grouped by category (the months of the balance), one set per series,
// the vertical axis titled; replaces whatever the chart held.
void RiempiBarre(QChartView& grafico, const QString& titolo, const QStringList& categorie,
                 const std::vector<SerieGrafico>& serie, const QString& asseY);

// Lines over x = 0, 1, ... (the hours of a mean day, the years of a cash
// flow), the horizontal and vertical axes titled.
void RiempiLinee(QChartView& grafico, const QString& titolo, const std::vector<SerieGrafico>& serie, const QString& asseX,
                 const QString& asseY);

// A tornado: one horizontal bar a row, from the central value to the value
// at the parameter's low and at its high, the first row on top.
struct BarraOrizzontale {
    QString nome;
    double basso = 0, alto = 0; // the values at the two ends
};
void RiempiTornado(QChartView& grafico, const QString& titolo, const std::vector<BarraOrizzontale>& barre, double centro,
                   const QString& asseX);

// The community's mean day: the energy fed in and drawn as lines, the shared
// part (the lesser of the two each hour) filled beneath.
void RiempiCondivisa(QChartView& grafico, const QString& titolo, const std::vector<double>& immessa,
                     const std::vector<double>& prelevata, const std::vector<double>& condivisa);

// Nothing on show: no series, no axes, no title (after a failed input).
void SvuotaGrafico(QChartView& grafico);

} // namespace fv
