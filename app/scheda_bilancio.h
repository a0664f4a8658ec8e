// SPDX-License-Identifier: MIT
// How much of the energy the house uses: the year's headline figures with
// and without the battery, the months' flows, a month's mean day.
#pragma once

#include "app/sessione.h"

#include <QWidget>

#include <optional>

class QChartView;
class QComboBox;
class QLabel;

namespace fv {

class SchedaBilancio : public QWidget {
    Q_OBJECT

public:
    explicit SchedaBilancio(QWidget* parent);

    void Mostra(const RisultatoBilancio& b, bool batteria);
    void Svuota();
    // The headline figures as shown (HTML); empty with nothing on show.
    QString testoRiepilogo() const;

private:
    void MostraGiornoMedio();

    std::optional<RisultatoBilancio> bilancio_;
    bool batteria_ = false;
    QLabel* riepilogo_ = nullptr;
    QChartView* mesi_ = nullptr;
    QChartView* giorno_ = nullptr;
    QComboBox* mese_ = nullptr;
};

} // namespace fv
