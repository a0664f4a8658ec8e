// SPDX-License-Identifier: MIT
// "Mappa dell'Italia…": every comune a dot at its place, coloured by the
// annual energy per kW of peak power that the plant now in the window would
// give there, each comune with its own latitude and radiation. Pointing at a
// dot names it; clicking picks it in the window.
#pragma once

#include "calc/calcolo.h"
#include "data/cascata.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QWidget>

#include <exception>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

class QLabel;
namespace fv {
class Sessione;
}

class MappaItalia final : public QWidget {
    Q_OBJECT

public:
    struct Punto {
        const fv::ComuneMappa* comune;
        double resa;  // [kWh/kWp]
        double piano; // annual radiation on the plane [kWh/m²]
    };

    explicit MappaItalia(QWidget* genitore);
    // New dots (and the view fitted to them), or only the comune ringed.
    void Imposta(std::vector<Punto> punti, const QString& provincia, const QString& comune);
    void ImpostaSito(const QString& provincia, const QString& comune);
    const std::vector<Punto>& punti() const { return punti_; }
    // Where a comune's dot is drawn now, in the widget's pixels.
    QPointF Posizione(const fv::ComuneMappa& c) const;
    // The dot under a point of the widget, within a few pixels; -1 if none.
    int PuntoIn(const QPointF& p) const;

signals:
    void comuneScelto(const QString& provincia, const QString& comune);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void Adatta();
    void Zoom(double fattore, const QPointF& centro);
    void Legenda(QPainter& p) const;
    QPointF Proiezione(const fv::ComuneMappa& c) const;

    std::vector<Punto> punti_;
    QString provincia_, comune_;
    double minimo_ = 0, massimo_ = 1;
    double coseno_ = 1;           // cosine of the mean latitude
    double scala_ = 1;            // pixels per projected degree
    QPointF origine_;             // where the projected (0, 0) falls
    QPointF premuto_;             // where a drag started
    bool trascinato_ = false;
};

// The dots of the comuni whose data belong together, with the yield of the
// plant at each; `incoerenti` counts the others.
std::vector<MappaItalia::Punto> PuntiMappa(const fv::ComuniMappa& comuni, const fv::ImpiantoLetto& impianto,
                                           int& incoerenti);

class DialogoMappa : public QDialog {
    Q_OBJECT

public:
    DialogoMappa(fv::Sessione& sessione, QWidget* parent);
    ~DialogoMappa() override;
    // Reads the comuni (once) and colours them for the session's plant, off
    // the window's thread and kept per plant; throws the calculation's errors
    // when the plant's inputs are not valid, the data errors when the file
    // cannot be read. While open, the dialog follows the session.
    void Aggiorna();
    MappaItalia* mappa() const { return mappa_; }
    const fv::ComuniMappa& comuni() const { return *comuni_; }
    // Whether the dots on show are those of the session's plant.
    bool Pronta() const { return !lavoro_.isRunning() && pronta_; }

signals:
    void calcolata();
    // A pick from the map that failed, for the window to report.
    void errore(std::exception_ptr errore);

private:
    using Chiave = std::tuple<double, double, double, int, int>; // tilt, azimuth, reflectance, losses, efficiency
    struct Rese {
        std::vector<MappaItalia::Punto> punti;
        int incoerenti = 0;
    };
    void Mostra(const Chiave& chiave, const fv::ImpiantoLetto& impianto);
    void Segui();

    fv::Sessione& sessione_;
    MappaItalia* mappa_ = nullptr;
    QLabel* nota_ = nullptr;
    const fv::ComuniMappa* comuni_ = nullptr;
    std::map<Chiave, std::shared_ptr<const Rese>> cache_;
    QFutureWatcher<std::shared_ptr<const Rese>> lavoro_;
    std::optional<std::pair<Chiave, fv::ImpiantoLetto>> inCorso_;
    bool pronta_ = false;
};
