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
    // Labels only: the field the label names (its objectName), and the
    // field's description for screen readers: the name of the heading over
    // its strip, or a text.
    const char* campo = nullptr;
    const char* descrizione = nullptr;
};

// The plant the window opens with: the initial texts of its fields and the
// options selected at start. The window table below shows them; the session
// and the command line start from them.
struct ValoriIniziali {
    const char* tilt = "20";       // [deg]
    const char* azimut = "5";      // [deg] from south
    const char* potenza = "1";     // [kW]
    const char* perdite = "15";    // [%]
    const char* efficienza = "90"; // [%]
    int fascia = 0;                // optPow: up to 3 kW
    int integrazione = 0;          // optInt: not integrated
};
inline constexpr ValoriIniziali kImpiantoIniziale{};

inline constexpr int kLarghezzaClienteTwip = 12975;
inline constexpr int kAltezzaClienteTwip = 7830;
inline constexpr int kTwipPerPixel = 15; // at 96 dpi

extern const std::array<Controllo, 99> kInventario;

// The objectName of a row: its name, with "(indice)" for an array element.
QString NomeOggetto(const Controllo& c);

// The labels that name a field, from the table.
std::vector<const Controllo*> Etichette();

// The caption of the label that names the field with this objectName; empty
// when no label names it.
QString DidascaliaDi(const QString& campo);

} // namespace fv
