// SPDX-License-Identifier: MIT
// A heat map of a value over two sizes (the NPV over plant and battery):
// one coloured cell each, its value written in it, the best and the current
// configuration marked.
#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

namespace fv {

struct DatiMappa {
    std::vector<double> colonne, righe;     // the sizes along x and y
    std::vector<double> valori;             // by row, then column
    QString titoloColonne, titoloRighe, unita;
    std::optional<std::pair<std::size_t, std::size_t>> migliore, attuale; // (row, column)
};

// Which of an axis's sizes get a label: those on a round step (1, 2, 5 times
// a power of ten, in the sizes' own units) wide enough that labels `spazio`
// apart never touch on cells `cella` apart; every one when they fit.
std::vector<std::size_t> EtichetteAsse(const std::vector<double>& valori, double cella, double spazio);

class MappaGriglia final : public QWidget {
public:
    explicit MappaGriglia(QWidget* genitore);
    void Imposta(DatiMappa dati);
    void Svuota();
    const DatiMappa& dati() const { return dati_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    DatiMappa dati_;
};

} // namespace fv
