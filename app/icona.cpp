// SPDX-License-Identifier: MIT
// The program's icon, drawn in code for every size.
#include "app/icona.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace fv {

QImage DisegnaIcona(int lato)
{
    QImage img(lato, lato, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lato / 32.0, lato / 32.0);

    // The sun, top left, with eight rays.
    const QPointF centro(10, 9);
    p.setPen(QPen(QColor(245, 170, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const double a = i * 3.14159265358979 / 4;
        p.drawLine(centro + QPointF(std::cos(a) * 6.5, std::sin(a) * 6.5),
                   centro + QPointF(std::cos(a) * 8.8, std::sin(a) * 8.8));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 0));
    p.drawEllipse(centro, 5, 5);

    // The panel, a parallelogram seen from the front and below, with its cells.
    QPainterPath pannello;
    pannello.moveTo(8, 30);
    pannello.lineTo(31, 30);
    pannello.lineTo(27, 15);
    pannello.lineTo(12, 15);
    pannello.closeSubpath();
    p.setBrush(QColor(30, 70, 150));
    p.setPen(QPen(QColor(15, 35, 80), 1.2));
    p.drawPath(pannello);
    p.setPen(QPen(QColor(150, 190, 240), 0.8));
    for (int i = 1; i < 3; ++i) {
        const double t = i / 3.0;
        p.drawLine(QPointF(8 + (12 - 8) * t, 30 - 15 * t), QPointF(31 + (27 - 31) * t, 30 - 15 * t));
    }
    for (int i = 1; i < 4; ++i) {
        const double t = i / 4.0;
        p.drawLine(QPointF(8 + 23 * t, 30), QPointF(12 + 15 * t, 15));
    }
    p.end();
    return img;
}

QIcon IconaProgramma()
{
    QIcon icona;
    icona.addPixmap(QPixmap::fromImage(DisegnaIcona(16)));
    icona.addPixmap(QPixmap::fromImage(DisegnaIcona(32)));
    return icona;
}

} // namespace fv
