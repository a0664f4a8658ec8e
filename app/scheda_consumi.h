// SPDX-License-Identifier: MIT
// The household that is changing: a heat pump in place of the gas boiler,
// an electric car and how it charges; below, the consumption's parts month
// by month (the house, the pump, the car) and the share of the whole
// covered by the plant.
#pragma once

#include "app/sessione.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSettings;
class QTableWidget;

namespace fv {

class SchedaConsumi : public QWidget {
    Q_OBJECT

public:
    explicit SchedaConsumi(QWidget* parent);

    AutoElettrica Auto() const;
    // Throws ErroreRichiesta for bills that cannot be read.
    PompaDiCalore Pompa() const;
    void Mostra(const RisultatoBilancio* b, bool conBatteria);
    void Ricorda(QSettings& s) const;
    void Richiama(const QSettings& s);

signals:
    void cambiata(); // an edit the user made

private:
    QDoubleSpinBox* km_ = nullptr;
    QDoubleSpinBox* consumo_ = nullptr;
    QDoubleSpinBox* casa_ = nullptr;
    QDoubleSpinBox* potenza_ = nullptr;
    QDoubleSpinBox* perdite_ = nullptr;
    QComboBox* ricarica_ = nullptr;
    QCheckBox* feriali_ = nullptr;
    QDoubleSpinBox* gas_ = nullptr;
    QLineEdit* gasMesi_ = nullptr;
    QDoubleSpinBox* rendimentoCaldaia_ = nullptr;
    QDoubleSpinBox* scop_ = nullptr;
    QCheckBox* acqua_ = nullptr;
    QComboBox* emissione_ = nullptr;
    QTableWidget* tabella_ = nullptr;
    QLabel* esito_ = nullptr;
    bool caricamento_ = false;
};

} // namespace fv
