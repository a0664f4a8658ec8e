// SPDX-License-Identifier: MIT
// Any bytes read as a number in an Italian and a C locale: a number or a
// conversion error; a number written back reads back unchanged.
#include "calc/numeri.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Significant digits of the mantissa of a text that parsed (leading zeros
// do not count; trailing zeros do, conservatively).
int CifreSignificative(std::string_view s)
{
    int n = 0;
    bool inizio = false;
    for (char c : s) {
        if (c == 'e' || c == 'E')
            break;
        if (c >= '0' && c <= '9') {
            if (c != '0')
                inizio = true;
            if (inizio)
                ++n;
        }
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view testo(reinterpret_cast<const char*>(data), size);
    for (const fv::FormatoNumeri& f : {fv::FormatoNumeri::Italiano(), fv::FormatoNumeri::C()}) {
        double x = 0;
        try {
            x = fv::LeggiNumero(testo, f, fv::Campo::Potenza);
        } catch (const fv::ErroreConversione&) {
            continue;
        }
        if (!std::isfinite(x))
            std::abort();
        const std::string scritto = fv::TestoNumero(x, f);
        const double y = fv::LeggiNumero(scritto, f, fv::Campo::Potenza); // must not throw
        // The text form is a fixed point, and exact for 15 digits or fewer.
        if (fv::TestoNumero(y, f) != scritto)
            std::abort();
        const bool esponente = testo.find_first_of("eE") != std::string_view::npos;
        if (!esponente && CifreSignificative(testo) <= 15 && std::fabs(x) >= 1e-300 && y != x)
            std::abort();
        for (int d : {0, 2}) {
            const std::string t = fv::TestoArrotondato(x, d, f);
            if (t != fv::TestoNumero(fv::ArrotondaPari(x, d), f))
                std::abort();
            fv::LeggiNumero(t, f, fv::Campo::Energia);
        }
        try {
            const std::int16_t i = fv::Intero16(fv::LeggiNumero(testo, f, fv::Campo::PerditeGeneratore), fv::Campo::PerditeGeneratore, testo);
            if (std::fabs(x - i) > 0.5)
                std::abort();
        } catch (const fv::ErroreOverflow&) {
            if (std::fabs(x) < 32767)
                std::abort();
        }
    }
    return 0;
}
