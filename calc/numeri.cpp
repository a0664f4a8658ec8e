// SPDX-License-Identifier: MIT
// Number conventions: reading in a locale, rounding ties to even, the general text form.
#include "calc/numeri.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace fv {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

bool Digit(char c) { return c >= '0' && c <= '9'; }

bool StartsWith(std::string_view s, std::size_t at, std::string_view what)
{
    return !what.empty() && s.substr(at, what.size()) == what;
}

constexpr std::array<double, 16> kPotenze = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

} // namespace

namespace {

// The number rebuilt in the C form that from_chars reads, validating the
// grammar  [sign] digits [sep digits] [e [sign] digits]  on the way; the
// sign apart. Empty when the text does not follow the grammar.
std::optional<std::string> FormaC(std::string_view s, const std::string& decimale, bool& negativo)
{
    std::string ascii;
    ascii.reserve(s.size());
    std::size_t i = 0;
    negativo = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negativo = s[i] == '-';
        ++i;
    }
    std::size_t cifre = 0;
    while (i < s.size() && Digit(s[i])) {
        ascii += s[i++];
        ++cifre;
    }
    if (StartsWith(s, i, decimale)) {
        i += decimale.size();
        ascii += '.';
        while (i < s.size() && Digit(s[i])) {
            ascii += s[i++];
            ++cifre;
        }
    }
    if (cifre == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ascii += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ascii += s[i++];
        std::size_t esponente = 0;
        while (i < s.size() && Digit(s[i])) {
            ascii += s[i++];
            ++esponente;
        }
        if (esponente == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    return ascii;
}

} // namespace

double LeggiNumero(std::string_view testo, const FormatoNumeri& formato, Campo campo)
{
    std::string_view s = testo;
    while (!s.empty() && Blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && Blank(s.back()))
        s.remove_suffix(1);

    const auto fallisci = [&]() -> double {
        const bool gruppo = !formato.migliaia.empty()
                            && testo.find(formato.migliaia) != std::string_view::npos
                            && formato.migliaia != formato.decimale;
        throw ErroreConversione(campo, std::string(testo),
                                gruppo ? ErroreConversione::Motivo::SeparatoreMigliaia
                                       : ErroreConversione::Motivo::NonNumero);
    };

    bool negativo = false;
    const std::optional<std::string> ascii = FormaC(s, formato.decimale, negativo);
    if (!ascii)
        return fallisci();
    double valore = 0;
    const char* const fineTesto = ascii->data() + ascii->size();
    const auto [fine, errore] = std::from_chars(ascii->data(), fineTesto, valore);
    if (errore == std::errc::result_out_of_range)
        throw ErroreConversione(campo, std::string(testo), ErroreConversione::Motivo::FuoriIntervallo);
    if (errore != std::errc() || fine != fineTesto)
        return fallisci();
    return negativo ? -valore : valore;
}

double LeggiNumeroFile(std::string_view testo, Campo campo)
{
    try {
        return LeggiNumero(testo, FormatoNumeri::C(), campo);
    } catch (const ErroreConversione& e) {
        if (e.motivo() == ErroreConversione::Motivo::FuoriIntervallo)
            throw;
        return LeggiNumero(testo, FormatoNumeri::Italiano(), campo);
    }
}

std::int16_t Intero16(double valore, Campo campo, std::string_view testo)
{
    const double intero = std::nearbyint(valore); // ties to even in the default rounding mode
    if (!(intero >= -32768.0 && intero <= 32767.0))
        throw ErroreOverflow(campo, std::string(testo));
    return static_cast<std::int16_t>(intero);
}

double ArrotondaPari(double valore, int decimali)
{
    if (!std::isfinite(valore) || decimali < 0 || decimali > 15)
        return valore;
    const double scala = kPotenze[static_cast<std::size_t>(decimali)];
    const double prodotto = valore * scala;
    double risultato;
    if (std::fabs(prodotto) < 0x1p52) {
        // prodotto + resto is exactly valore * scala: the resto decides a tie
        // that the rounded product only appears to hit.
        const double resto = std::fma(valore, scala, -prodotto);
        double intero = std::nearbyint(prodotto);
        if (std::fabs(prodotto - intero) == 0.5 && resto != 0.0)
            intero = resto > 0.0 ? prodotto + 0.5 : prodotto - 0.5;
        // Integer over a power of ten, correctly rounded: the double nearest
        // to the decimal, as reading its text would give.
        risultato = intero / scala;
    } else {
        // The value has no fraction finer than the last decimals kept to hand
        // to the fast path: take the exact decimal expansion.
        std::array<char, 400> buf{};
        auto r = std::to_chars(buf.data(), buf.data() + buf.size(), valore,
                               std::chars_format::fixed, decimali);
        std::from_chars(buf.data(), r.ptr, risultato);
    }
    return risultato == 0.0 ? 0.0 : risultato;
}

std::string TestoNumero(double valore, const FormatoNumeri& formato)
{
    if (!std::isfinite(valore))
        throw Errore("a value that is not a finite number cannot be shown");
    if (valore == 0.0)
        return "0";
    std::array<char, 64> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), valore,
                                 std::chars_format::general, 15);
    std::string testo;
    testo.reserve(static_cast<std::size_t>(r.ptr - buf.data()) + 2);
    for (const char* p = buf.data(); p != r.ptr; ++p) {
        if (*p == '.')
            testo += formato.decimale;
        else if (*p == 'e')
            testo += 'E';
        else
            testo += *p;
    }
    return testo;
}

std::string TestoArrotondato(double valore, int decimali, const FormatoNumeri& formato)
{
    const double arrotondato = ArrotondaPari(valore, decimali);
    if (decimali < 0 || decimali > 4)
        return TestoNumero(arrotondato, formato);
    const double intero = std::nearbyint(arrotondato * kPotenze[static_cast<std::size_t>(decimali)]);
    if (!(std::fabs(intero) < 1e15))
        return TestoNumero(arrotondato, formato);
    // At most 15 digits and at least 0.0001: the general form is the whole
    // number's digits with the separator put back, trailing zeros dropped.
    std::array<char, 24> cifre{};
    const auto r = std::to_chars(cifre.data(), cifre.data() + cifre.size(),
                                 static_cast<long long>(std::fabs(intero)));
    std::string_view d(cifre.data(), static_cast<std::size_t>(r.ptr - cifre.data()));
    std::string testo;
    testo.reserve(d.size() + 4);
    if (intero < 0)
        testo += '-';
    const auto k = static_cast<std::size_t>(decimali);
    if (d.size() <= k) {
        testo += '0';
        testo += formato.decimale;
        testo.append(k - d.size(), '0');
        testo += d;
    } else {
        testo += d.substr(0, d.size() - k);
        if (k > 0) {
            testo += formato.decimale;
            testo += d.substr(d.size() - k);
        }
    }
    if (k > 0) {
        while (testo.back() == '0')
            testo.pop_back();
        if (testo.size() >= formato.decimale.size()
            && testo.compare(testo.size() - formato.decimale.size(), formato.decimale.size(),
                             formato.decimale) == 0)
            testo.resize(testo.size() - formato.decimale.size());
    }
    return testo == "-0" ? std::string("0") : testo;
}

} // namespace fv
