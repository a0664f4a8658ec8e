// SPDX-License-Identifier: MIT
// The program's icon, drawn in code for every size.
#include "app/icona.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace fv {

namespace {

// The icon in 16 colours, as the window's own icon is defined: every pixel
// the nearest of the drawing's colours, their mid-tones and transparent
// (the edges opaque from half their coverage).
QImage Sedici(const QImage& disegno)
{
    static const QRgb tavolozza[] = {
        qRgb(245, 170, 0),  qRgb(255, 200, 0),  qRgb(30, 70, 150),   qRgb(15, 35, 80),   qRgb(150, 190, 240),
        qRgb(90, 130, 195), qRgb(22, 52, 115),  qRgb(250, 185, 0),   qRgb(255, 255, 255), qRgb(0, 0, 0),
        qRgb(128, 128, 128), qRgb(200, 150, 60), qRgb(60, 100, 170),  qRgb(190, 210, 240), qRgb(120, 90, 40),
    };
    QImage img = disegno.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qAlpha(c) < 128) {
                img.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            const QRgb* migliore = std::min_element(std::begin(tavolozza), std::end(tavolozza), [c](QRgb a, QRgb b) {
                const auto d = [c](QRgb t) {
                    const int r = qRed(t) - qRed(c), g = qGreen(t) - qGreen(c), bl = qBlue(t) - qBlue(c);
                    return r * r + g * g + bl * bl;
                };
                return d(a) < d(b);
            });
            img.setPixel(x, y, *migliore);
        }
    }
    return img;
}

} // namespace

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
    return Sedici(img);
}

QIcon IconaProgramma()
{
    QIcon icona;
    icona.addPixmap(QPixmap::fromImage(DisegnaIcona(16)));
    icona.addPixmap(QPixmap::fromImage(DisegnaIcona(32)));
    return icona;
}

} // namespace fv
