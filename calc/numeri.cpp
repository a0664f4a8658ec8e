// SPDX-License-Identifier: MIT
// Number conventions: reading in a locale, rounding ties to even, the general text form.
#include "calc/numeri.h"

#include <algorithm>
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

std::string ArticoloData(int giorno, bool di)
{
    const bool vocale = giorno == 1 || giorno == 8 || giorno == 11;
    return vocale ? (di ? "dell'" : "l'") : (di ? "del " : "il ");
}

std::string TestoLeggibile(double valore)
{
    if (!std::isfinite(valore))
        return valore != valore ? "nan" : valore > 0 ? "infinito" : "-infinito";
    if (std::fabs(valore) >= 1e15) { // "1E+300", as the general text form writes it
        std::array<char, 32> g{};
        const auto r = std::to_chars(g.data(), g.data() + g.size(), valore, std::chars_format::scientific, 5);
        std::string t(g.data(), r.ptr);
        const auto e = t.find('e');
        std::string mantissa = t.substr(0, e);
        while (mantissa.find('.') != std::string::npos && (mantissa.back() == '0' || mantissa.back() == '.'))
            mantissa.pop_back();
        std::replace(mantissa.begin(), mantissa.end(), '.', ',');
        return mantissa + "E" + t.substr(e + 1);
    }
    std::array<char, 64> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), valore, std::chars_format::fixed,
                                 std::fabs(valore) >= 1e5 ? 0 : 6);
    std::string cifre(buf.data(), r.ptr);
    // Six significant digits at most, trailing zeros and a bare point dropped.
    std::string segno;
    if (!cifre.empty() && cifre[0] == '-')
        segno = "-", cifre.erase(0, 1);
    const auto punto = cifre.find('.');
    std::string intera = cifre.substr(0, punto), decimali = punto == std::string::npos ? "" : cifre.substr(punto + 1);
    const std::size_t significative = intera == "0" ? 0 : intera.size();
    if (significative >= 6)
        decimali.clear();
    else if (significative > 0)
        decimali.resize(std::min(decimali.size(), 6 - significative));
    while (!decimali.empty() && decimali.back() == '0')
        decimali.pop_back();
    std::string gruppi;
    for (std::size_t i = 0; i < intera.size(); ++i) {
        if (i > 0 && (intera.size() - i) % 3 == 0)
            gruppi += '.';
        gruppi += intera[i];
    }
    if (gruppi == "0" && decimali.empty())
        segno.clear();
    return segno + gruppi + (decimali.empty() ? "" : "," + decimali);
}

ErroreAmbiguo::ErroreAmbiguo(std::string testo, double comeDecimale, double comeMigliaia)
    : Errore("«" + testo + "» may be a decimal or a whole number with a thousands separator"),
      testo_(std::move(testo)), decimale_(comeDecimale), migliaia_(comeMigliaia)
{
}

std::string ErroreAmbiguo::Spiegazione() const
{
    const auto scritto = [](double v) {
        std::array<char, 64> buf{};
        const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
        return std::string(buf.data(), r.ptr);
    };
    return "«" + testo_ + "» può essere " + TestoLeggibile(decimale_) + " oppure " + TestoLeggibile(migliaia_)
           + ": scrivere " + scritto(decimale_) + " oppure " + scritto(migliaia_) + ".";
}

double LeggiNumeroPersona(std::string_view testo, Campo campo)
{
    const double v = LeggiNumeroFile(testo, campo);
    // Blanks and a sign around the digits do not change the reading.
    std::string_view t = testo;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.remove_suffix(1);
    if (!t.empty() && (t.front() == '+' || t.front() == '-'))
        t.remove_prefix(1);
    // A point or a comma: either is read as the decimal separator, and either
    // may be a thousands separator ("2.700" in Italy, "2,700" in English).
    const auto punto = t.find_first_of(".,");
    const auto cifre = [](std::string_view s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (punto == std::string_view::npos || punto < 1 || punto > 3 || t[0] == '0' || !cifre(t.substr(0, punto))
        || t.size() - punto - 1 != 3 || !cifre(t.substr(punto + 1)))
        return v;
    throw ErroreAmbiguo(std::string(testo), v, v * 1000);
}

} // namespace fv
