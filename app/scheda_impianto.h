// SPDX-License-Identifier: MIT
// The plant on the roof: its faces (the window's plane first, up to three
// more with their tilt, azimuth, power, area and shading) and one inverter's
// AC limit; beside each face its yearly energy and yield, below the energy
// the limit cuts, and a sketch of the faces by azimuth.
#pragma once

#include "app/sessione.h"

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSettings;
class QTableWidget;

namespace fv {

class DisegnoFalde;

class SchedaImpianto : public QWidget {
    Q_OBJECT

public:
    explicit SchedaImpianto(QWidget* parent);

    // The faces beside the window's plane, the first's area and shading, the inverter.
    RichiestaImpianto Richiesta() const;
    // The window's plane as the calculation read it, in the first row.
    void MostraPrima(const Risultato& r);
    // Each face's figures from the balance; none: emptied.
    void Mostra(const RisultatoBilancio* b);
    void Ricorda(QSettings& s) const;
    void Richiama(const QSettings& s);

    QTableWidget* tabella() const { return tabella_; }
    QPushButton* aggiungi() const { return aggiungi_; }
    QPushButton* togli() const { return togli_; }
    QDoubleSpinBox* inverter() const { return inverter_; }

signals:
    void cambiata(); // an edit the user made

private:
    enum Colonna { Tilt, Azimut, Potenza, Area, Ombra, Energia, Resa, Colonne };
    void CreaTabella();
    void CreaComandi(); // the buttons, the inverter, the figures and the sketch
    void Collega();
    void AggiungiRiga(const Falda& f);
    QDoubleSpinBox* Cella(int riga, Colonna c) const;
    void Ridisegna();

    QTableWidget* tabella_ = nullptr;
    QPushButton* aggiungi_ = nullptr;
    QPushButton* togli_ = nullptr;
    QDoubleSpinBox* inverter_ = nullptr;
    QCheckBox* inverterFisso_ = nullptr;
    QLabel* esito_ = nullptr;
    DisegnoFalde* disegno_ = nullptr;
    bool caricamento_ = false;
};

} // namespace fv
