// SPDX-License-Identifier: MIT
// Which weather year: the comune's monthly climate on synthetic days, or the
// installer's hourly file with its horizon, sky model and system losses;
// below, the file's year month by month beside the monthly method.
#pragma once

#include "app/sessione.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSettings;
class QTableWidget;

namespace fv {

class SchedaMeteo : public QWidget {
    Q_OBJECT

public:
    explicit SchedaMeteo(QWidget* parent);

    // The request's weather: no file when the comune's climate is chosen.
    RichiestaMeteo Richiesta() const;
    // "da file…" chosen and no file named yet.
    bool FileMancante() const;
    void Mostra(const std::optional<MeteoUsato>& meteo);
    void Ricorda(QSettings& s) const;
    void Richiama(const QSettings& s);

signals:
    void cambiata(); // a choice the user made

private:
    QWidget* CreaCampi();

    QComboBox* modo_ = nullptr;
    QWidget* campi_ = nullptr;
    QLineEdit* file_ = nullptr;
    QLineEdit* orizzonte_ = nullptr;
    QComboBox* trasposizione_ = nullptr;
    QDoubleSpinBox* perdite_ = nullptr;
    QTableWidget* tabella_ = nullptr;
    QLabel* info_ = nullptr;
};

} // namespace fv
