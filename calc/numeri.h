// SPDX-License-Identifier: MIT
// Numbers as the user reads and types them: parsing in a locale, rounding of
// shown results half to even on the exact binary value, and the general text
// form. Independent of Qt and of the C library's locale.
#pragma once

#include "calc/errori.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace fv {

// The separators of the user's locale, as UTF-8 texts.
struct FormatoNumeri {
    std::string decimale = ".";
    std::string migliaia = ",";

    static FormatoNumeri C() { return {".", ","}; }
    static FormatoNumeri Italiano() { return {",", "."}; }
};

// Reads a decimal number written with the locale's decimal separator. Blanks
// around it are allowed; a group separator is never read, so "1.000" in an
// Italian locale is an error, not a thousand. An exponent (1E-05) is read,
// since the general text form writes one for very small or large values.
double LeggiNumero(std::string_view testo, const FormatoNumeri& formato, Campo campo);

// A number as a data file or a CSV row stores it: the grammar of LeggiNumero
// with a decimal point, or else with a decimal comma (as a spreadsheet of an
// Italian locale saves it). No hexadecimal, no "inf" or "nan". Throws
// ErroreConversione.
double LeggiNumeroFile(std::string_view testo, Campo campo);

// Rounds to the nearest whole number, a half to the even neighbour, and checks
// the 16-bit signed range.
std::int16_t Intero16(double valore, Campo campo, std::string_view testo);

// Rounds to the given number of decimals (0..15), a half to the even
// neighbour, deciding on the exact binary value: 2.675 is stored just below
// the tie and goes to 2.67, while 2.125 is an exact tie and goes to 2.12.
double ArrotondaPari(double valore, int decimali);

// The general text form: the locale's decimal separator, no grouping, no
// trailing zeros, no separator for whole numbers, at most 15 significant
// digits, an exponent only where %.15g would write one. Any value of at most
// 15 significant digits reads back unchanged through LeggiNumero.
std::string TestoNumero(double valore, const FormatoNumeri& formato);

// ArrotondaPari then TestoNumero: the text of a shown result.
std::string TestoArrotondato(double valore, int decimali, const FormatoNumeri& formato);

// A number as a person writes it in an Italian sentence: thousands grouped
// with a point, a decimal comma, at most six significant digits
// ("10.000.000", "0,5", "-100"); for messages, never for data.
std::string TestoLeggibile(double valore);

// The article before a date said as "8/5": "l'" before 1, 8 and 11 (uno,
// otto, undici), "il " before the others; `di` gives "dell'" or "del ".
std::string ArticoloData(int giorno, bool di = false);

// A number typed by a person where a thousands separator is plausible (the
// command line, a parameters file, a field of bills): the grammar of
// LeggiNumeroFile, but a point or a comma followed by exactly three digits
// after one to three leading digits ("2.700", "96,000") is refused, since it
// may be a thousands separator as much as a decimal one. Throws ErroreAmbiguo.
double LeggiNumeroPersona(std::string_view testo, Campo campo);

class ErroreAmbiguo : public Errore {
public:
    ErroreAmbiguo(std::string testo, double comeDecimale, double comeMigliaia);
    const std::string& testo() const noexcept { return testo_; }
    // "«2.700» può essere 2,7 oppure 2.700: scrivere 2.7 oppure 2700."
    std::string Spiegazione() const;

private:
    std::string testo_;
    double decimale_, migliaia_;
};

} // namespace fv
