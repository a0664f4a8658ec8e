// SPDX-License-Identifier: MIT
// The window as data: every control of frmFv with its kind, container,
// caption or initial text, rectangle in twips, tab index and colour role, in
// the order the window is described, top to bottom.
#pragma once

#include <QString>

#include <array>
#include <vector>

namespace fv {

enum class Tipo { Etichetta, Testo, Combo, Cornice, Opzione, Pulsante, Linea, Grafico };

enum class Ruolo {
    Nessuno,
    Input,           // light cyan background
    Risultato,       // light yellow background
    RisultatoChiave, // light yellow background, red bold text
    Etichetta,       // pale green background (labels and option buttons)
    Pulsante,        // light grey face, bold text
    Cornice,         // the platform's face colour
};

// A rectangle in twips (1/1440 inch; 15 twips = 1 pixel at 96 dpi) from the
// top-left corner of the container's client area. A line is stored as its
// first end point and the offset to the second.
struct RettangoloTwip {
    int left, top, width, height;
};

struct Controllo {
    const char* nome;        // objectName; array elements get "(indice)"
    int indice;              // -1 outside control arrays
    Tipo tipo;
    const char* contenitore; // nullptr: the window
    const char* testo;       // caption or initial text (UTF-8), nullptr when empty
    RettangoloTwip twip;
    int tab;                 // place in the tab order, -1 for lines
    Ruolo ruolo;
    bool selezionato;        // option buttons selected at start
};

inline constexpr int kLarghezzaClienteTwip = 12975;
inline constexpr int kAltezzaClienteTwip = 7830;
inline constexpr int kTwipPerPixel = 15; // at 96 dpi

extern const std::array<Controllo, 99> kInventario;

// Which label names which field, for screen readers: the field's accessible
// name is the label's caption; its description is the heading of its row
// (the monthly strips) or of its area.
struct Didascalia {
    QString campo;
    QString etichetta;
    QString descrizione;
};
std::vector<Didascalia> Didascalie();

} // namespace fv
