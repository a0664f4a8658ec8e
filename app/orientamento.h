// SPDX-License-Identifier: MIT
// "Orientamento ottimale…": the annual radiation on the plane for every tilt
// and azimuth at the site now in the window, as a heat map with its contours
// at 95, 90 and 80 % of the best, the best orientation and the roof's own;
// and the annual value against tilt at the roof's azimuth.
#pragma once

#include "calc/orientamento.h"
#include "calc/serie.h"

#include <QDialog>
#include <QFutureWatcher>

#include <exception>
#include <memory>
#include <optional>

class QChartView;
class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
namespace fv {
class Sessione;
}

class MappaCalore;

class DialogoOrientamento : public QDialog {
    Q_OBJECT

public:
    DialogoOrientamento(fv::Sessione& sessione, QWidget* parent);
    ~DialogoOrientamento() override;

    // Takes the session's site (checked as CALCOLA checks it) and computes
    // off the window's thread; throws the calculation's errors when the site
    // is not complete or not valid. A site already computed is shown at once.
    // While open, the dialog follows the session: a new site is computed
    // again, a new plant moves the roof's mark.
    void Aggiorna();
    // The sweep on show, once computed.
    const fv::MappaOrientamenti* mappa() const { return mappa_.get(); }
    QString testoOttimo() const;
    QString testoTetto() const;

    // The tilt "Usa questa inclinazione" writes: the best of the heat map,
    // or on the tab of the roof's azimuth the best tilt of the curve on show.
    int TiltDaUsare() const;

signals:
    void calcolata();

private:
    void Mostra();
    void UsaOttimo();
    void SeguiSito();
    void SeguiImpianto();
    void LeggiTetto();

    fv::Sessione& sessione_;
    QTabWidget* schede_ = nullptr;
    QLabel* sito_ = nullptr;
    MappaCalore* calore_ = nullptr;
    QChartView* curva_ = nullptr;
    QLabel* ottimo_ = nullptr;
    QLabel* tetto_ = nullptr;
    QCheckBox* ancheAzimut_ = nullptr;
    QPushButton* usa_ = nullptr;
    struct Chiave {
        double latitudine, riflettanza;
        fv::MonthlySeries radOriz;
        bool operator==(const Chiave&) const = default;
    };
    std::optional<Chiave> chiave_;
    QString nomeSito_;
    std::optional<double> tilt_, azimut_;
    std::shared_ptr<const fv::MappaOrientamenti> mappa_;
    // The sweep's outcome: the map, or the typed error of the model.
    struct Esito {
        std::shared_ptr<const fv::MappaOrientamenti> mappa;
        std::exception_ptr errore;
    };
    Esito esito_;
    QFutureWatcher<Esito> lavoro_;
};
