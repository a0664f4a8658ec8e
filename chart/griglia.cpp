// SPDX-License-Identifier: MIT
// The sizing grid's heat map, drawn by hand: a few hundred cells.
#include "chart/griglia.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace fv {

namespace {

// Blue (low) through white to green (high); below zero a red tint.
QColor Colore(double v, double minimo, double massimo)
{
    if (v < 0 && minimo < 0)
        return QColor::fromHsvF(0.0f, float(std::clamp(v / minimo, 0.15, 0.8)), 0.95f);
    const double t = massimo > std::max(0.0, minimo) ? (v - std::max(0.0, minimo)) / (massimo - std::max(0.0, minimo)) : 1;
    return QColor::fromHsvF(0.33f, float(std::clamp(0.1 + 0.75 * t, 0.0, 1.0)), float(0.95 - 0.3 * std::clamp(t, 0.0, 1.0)));
}

QString Numero(double v)
{
    return QString::number(v, 'g', 4);
}

} // namespace

std::vector<std::size_t> EtichetteAsse(const std::vector<double>& valori, double cella, double spazio)
{
    std::vector<std::size_t> scelte;
    if (valori.empty())
        return scelte;
    const std::size_t ogni = std::max<std::size_t>(1, std::size_t(std::ceil(spazio / std::max(cella, 1e-9))));
    if (ogni == 1 || valori.size() < 2) {
        for (std::size_t i = 0; i < valori.size(); ++i)
            scelte.push_back(i);
        return scelte;
    }
    // The smallest round step at least `ogni` cells wide, in the sizes' units.
    const double passoCelle = (valori.back() - valori.front()) / double(valori.size() - 1);
    const double minimo = passoCelle * double(ogni);
    double tondo = std::pow(10.0, std::floor(std::log10(minimo)));
    for (double k : {1.0, 2.0, 5.0, 10.0})
        if (k * tondo >= minimo - 1e-9) {
            tondo *= k;
            break;
        }
    for (std::size_t i = 0; i < valori.size(); ++i) {
        const double q = valori[i] / tondo;
        if (std::fabs(q - std::round(q)) < 1e-6)
            scelte.push_back(i);
    }
    return scelte;
}

MappaGriglia::MappaGriglia(QWidget* genitore) : QWidget(genitore)
{
    setMinimumSize(420, 260);
    setAccessibleName(QStringLiteral("Mappa del valore attuale netto per potenza e batteria"));
}

void MappaGriglia::Imposta(DatiMappa dati)
{
    dati_ = std::move(dati);
    update();
}

void MappaGriglia::Svuota()
{
    dati_ = {};
    update();
}

namespace {

void DisegnaAssi(QPainter& p, const DatiMappa& d, const QRectF& area, int larghezza, const QFontMetrics& m)
{
    const double lc = area.width() / double(d.colonne.size()), lr = area.height() / double(d.righe.size());
    double larga = 0; // the widest size's label, and a gap
    for (double v : d.colonne)
        larga = std::max(larga, double(m.horizontalAdvance(Numero(v))));
    for (std::size_t c : EtichetteAsse(d.colonne, lc, larga + 6))
        p.drawText(QRectF(area.left() + double(c) * lc - 20, area.bottom() + 2, lc + 40, m.height()), Qt::AlignCenter,
                   Numero(d.colonne[c]));
    for (std::size_t r : EtichetteAsse(d.righe, lr, m.height() * 1.2))
        p.drawText(QRectF(0, area.bottom() - double(r + 1) * lr - m.height(), area.left() - 4, lr + 2 * m.height()),
                   Qt::AlignRight | Qt::AlignVCenter, Numero(d.righe[r]));
    // The caption across the whole widget, wrapped, never cut at its sides.
    p.drawText(QRectF(0, area.bottom() + m.height() + 4, larghezza, 2 * m.height()), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               d.titoloColonne + QStringLiteral(" · ") + d.titoloRighe + QStringLiteral(" · ") + d.unita);
}

} // namespace

void MappaGriglia::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const DatiMappa& d = dati_;
    if (d.colonne.empty() || d.righe.empty() || d.valori.size() != d.colonne.size() * d.righe.size())
        return;
    const QFontMetrics m(font());
    const QRectF area(m.horizontalAdvance(QStringLiteral("00.0")) + 24, 4, width() - m.horizontalAdvance(QStringLiteral("00.0")) - 30,
                      height() - 3 * m.height() - 12); // the sizes, then two lines of caption
    const double lc = area.width() / double(d.colonne.size()), lr = area.height() / double(d.righe.size());
    const auto [piccolo, grande] = std::minmax_element(d.valori.begin(), d.valori.end());
    QFont testo = font();
    testo.setPointSizeF(std::max(6.0, std::min(testo.pointSizeF(), lr * 0.45)));
    const bool scritte = QFontMetrics(testo).horizontalAdvance(QStringLiteral("-00.0")) < lc - 2;
    for (std::size_t r = 0; r < d.righe.size(); ++r)
        for (std::size_t c = 0; c < d.colonne.size(); ++c) {
            // The first row at the bottom: sizes grow upwards.
            const QRectF cella(area.left() + double(c) * lc, area.bottom() - double(r + 1) * lr, lc, lr);
            const double v = d.valori[r * d.colonne.size() + c];
            p.fillRect(cella, Colore(v, *piccolo, *grande));
            if (scritte) {
                p.setFont(testo);
                p.setPen(Qt::black);
                p.drawText(cella, Qt::AlignCenter, QString::number(v / 1000, 'f', 1));
            }
        }
    const auto segna = [&](const std::optional<std::pair<std::size_t, std::size_t>>& dove, const QColor& colore, qreal spessore) {
        if (!dove)
            return;
        const QRectF cella(area.left() + double(dove->second) * lc, area.bottom() - double(dove->first + 1) * lr, lc, lr);
        p.setPen(QPen(colore, spessore));
        p.setBrush(Qt::NoBrush);
        p.drawRect(cella.adjusted(1.5, 1.5, -1.5, -1.5));
    };
    segna(d.attuale, QColor(30, 60, 200), 2.5);
    segna(d.migliore, Qt::black, 3);
    // Axes: the sizes at the cells' middles, on round steps where they crowd.
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    DisegnaAssi(p, d, area, width(), m);
}

} // namespace fv
