// SPDX-License-Identifier: MIT
// Which plant and which battery: the NPV of every size on a grid, computed
// on a worker thread and dropped when an input changes, as a heat map and
// against size without a battery and with each size's best one.
#pragma once

#include "app/analisi.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <optional>

class QChartView;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace fv {

class MappaGriglia;

class SchedaDimensioni : public QWidget {
    Q_OBJECT

public:
    explicit SchedaDimensioni(QWidget* parent);
    ~SchedaDimensioni() override;

    // The grid of the hours given, with the plant and battery computed marked;
    // with `oggi` (the household without its heat pump and car) today's best
    // plant is said beside the future household's.
    void Avvia(std::shared_ptr<const Analisi::OreDellaRichiesta> ore, const std::vector<Parametro>& parametri,
               double potenzaAttuale, double batteriaAttuale,
               std::shared_ptr<const Analisi::OreDellaRichiesta> oggi = nullptr);
    // An input changed: a grid on its way is dropped, one on show is of the inputs before.
    void Annulla();
    void Errore(const QString& testo);
    const std::optional<GrigliaDimensioni>& griglia() const { return griglia_; }

signals:
    void richiesta();                          // "Calcola la griglia" pressed
    void calcolata(const fv::GrigliaDimensioni& g);

private:
    LimitiDimensioni Limiti(const std::vector<Parametro>& parametri) const;
    void Mostra(const GrigliaDimensioni& g);

    std::optional<GrigliaDimensioni> griglia_;
    std::optional<CellaDimensioni> miglioreOggi_;
    double consumoOggi_ = 0, consumoDomani_ = 0;
    double potenzaAttuale_ = 0, batteriaAttuale_ = 0;
    QDoubleSpinBox* potenzaMax_ = nullptr;
    QDoubleSpinBox* superficie_ = nullptr;
    QComboBox* passoPotenza_ = nullptr;
    QDoubleSpinBox* batteriaMax_ = nullptr;
    QPushButton* dimensiona_ = nullptr;
    QLabel* esito_ = nullptr;
    MappaGriglia* mappa_ = nullptr;
    QChartView* curva_ = nullptr;
    std::shared_ptr<std::atomic<bool>> annulla_;
    int generazione_ = 0;
};

} // namespace fv
