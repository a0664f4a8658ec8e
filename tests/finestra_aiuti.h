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
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList titoli;
    QStringList testi;

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
