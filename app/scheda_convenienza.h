// SPDX-License-Identifier: MIT
// What the plant is worth: the headline economics of both cases, the
// cumulative cash flow (with the Monte Carlo's P10 and P90 when weighed),
// the yearly table, and the parameters used, editable.
#pragma once

#include "app/sessione.h"

#include <QWidget>

#include <optional>
#include <string>

class QChartView;
class QComboBox;
class QLabel;
class QTableWidget;
class QTableWidgetItem;

namespace fv {

class SchedaConvenienza : public QWidget {
    Q_OBJECT

public:
    explicit SchedaConvenienza(QWidget* parent);

    void Mostra(const Approfondimento& a);
    void Svuota();
    void MostraParametri(const std::vector<Parametro>& parametri);

signals:
    void parametroScritto(const std::string& nome, const QString& testo);
    void ripristina();

private:
    void MostraAnni();
    void Cambiato(QTableWidgetItem* voce);

    std::optional<RisultatoConvenienza> convenienza_;
    std::vector<std::string> nomi_;
    bool riempimento_ = false; // the table being filled, not typed in
    QLabel* economia_ = nullptr;
    QChartView* cassa_ = nullptr;
    QTableWidget* anni_ = nullptr;
    QComboBox* casoAnni_ = nullptr; // which case the yearly table shows
    QTableWidget* parametri_ = nullptr;
};

// How sure: P10, P50 and P90 in words, the tornado of the parameters and
// the production.
class SchedaSicurezza : public QWidget {
    Q_OBJECT

public:
    explicit SchedaSicurezza(QWidget* parent);

    void InCorso();
    void Mostra(const RisultatoIncertezza& i, double vanCentrale);
    void NonCalcolabile();
    void Svuota();

private:
    QLabel* testo_ = nullptr;
    QChartView* tornado_ = nullptr;
};

} // namespace fv
