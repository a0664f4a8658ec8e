// SPDX-License-Identifier: MIT
// Driving the window as a user does, and answering its message boxes.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QGraphicsSimpleTextItem>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

#include <charconv>
#include <cmath>

// While alive, answers every modal box that opens (as a user pressing OK)
// and keeps the texts it showed.
class Risponditore {
public:
    Risponditore()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titoli << box->windowTitle();
                testi << box->text();
                dettagli << box->detailedText();
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList titoli;
    QStringList testi;    // the plain sentence
    QStringList dettagli; // the technical text behind it

private:
    QTimer timer_;
};

template<typename T>
T* Controllo(QWidget& w, const QString& nome)
{
    T* c = w.findChild<T*>(nome);
    if (!c)
        qFatal("no control %s", qPrintable(nome));
    return c;
}

// Picks an item of a closed combo box with the arrow keys, one step at a time.
inline void ScegliConFrecce(QComboBox* box, int indice)
{
    box->setFocus();
    while (box->currentIndex() < indice)
        QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > indice)
        QTest::keyClick(box, Qt::Key_Up);
}

// Opens the list and clicks the item with the mouse.
inline void ScegliConMouse(QComboBox* box, const QString& testo)
{
    const int indice = box->findText(testo, Qt::MatchExactly);
    if (indice < 0)
        qFatal("no item %s", qPrintable(testo));
    box->showPopup();
    QAbstractItemView* vista = box->view();
    if (!QTest::qWaitForWindowExposed(vista->window()))
        qFatal("the list did not open");
    const QModelIndex mi = vista->model()->index(indice, box->modelColumn(), vista->rootIndex());
    vista->scrollTo(mi);
    const QRect r = vista->visualRect(mi);
    const QPoint punto(std::min(r.center().x(), vista->viewport()->width() / 2), r.center().y());
    QTest::mouseClick(vista->viewport(), Qt::LeftButton, {}, punto);
    QApplication::processEvents();
}

// Replaces a field's text by typing, as a user does.
inline void Scrivi(QLineEdit* campo, const QString& testo)
{
    campo->setFocus();
    campo->selectAll();
    QTest::keyClick(campo, Qt::Key_Delete);
    QTest::keyClicks(campo, testo);
}

// Picks a whole site in a window as a user does: province, both comuni, ground.
inline void ScegliSito(QWidget& w, const QString& provincia, const QString& comune, const QString& terreno)
{
    ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), provincia);
    ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), comune);
    ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), comune);
    ScegliConMouse(Controllo<QComboBox>(w, "cmbRiflettanza"), terreno);
}

// Types into the edit field of a list box, over what it held.
inline void Digita(QComboBox* box, const QString& testo)
{
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, testo);
}

// The offscreen platform warns at every popup ("does not support raise()"):
// keep the test log readable.
inline void FiltraAvvisiOffscreen()
{
    static QtMessageHandler precedente = nullptr;
    precedente = qInstallMessageHandler([](QtMsgType t, const QMessageLogContext& c, const QString& m) {
        if (!m.startsWith(QLatin1String("This plugin does not support")))
            precedente(t, c, m);
    });
}

// The text a shown result must have, computed apart from the program's own
// rounding: the exact decimal expansion with ties to even (std::to_chars),
// trailing zeros dropped, the general form where more than 15 digits remain,
// the decimal separator of the user's locale.
inline QString TestoAtteso(double x, int decimali, const QString& separatore)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimali);
    QString s = QString::fromLatin1(buf, int(r.ptr - buf));
    if (s.contains('.')) {
        while (s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
    }
    QString cifre = s;
    cifre.remove('-').remove('.');
    while (cifre.startsWith('0'))
        cifre.remove(0, 1);
    if (cifre.size() > 15 || std::fabs(x) >= 1e15) {
        r = std::to_chars(buf, buf + sizeof buf, s.toDouble(), std::chars_format::general, 15);
        s = QString::fromLatin1(buf, int(r.ptr - buf)).replace('e', 'E');
    }
    if (s == "-0")
        s = "0";
    return s.replace('.', separatore);
}

// The chart's own legend, as drawn: its texts top to bottom, and where it
// stands in the chart's coordinates.
inline QList<QGraphicsItem*> VociLegenda(const QChartView& grafico)
{
    QList<QGraphicsItem*> voci;
    for (QGraphicsItem* i : grafico.chart()->childItems()) {
        if (i->data(0).toString() == QLatin1String("legenda"))
            voci << i;
    }
    return voci;
}

inline QStringList TestiLegenda(const QChartView& grafico)
{
    QStringList testi;
    for (QGraphicsItem* i : VociLegenda(grafico)) {
        if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(i))
            testi << t->text();
    }
    return testi;
}

inline QRectF AreaLegenda(const QChartView& grafico)
{
    QRectF area;
    for (QGraphicsItem* i : VociLegenda(grafico))
        area = area.united(i->sceneBoundingRect());
    return area;
}
