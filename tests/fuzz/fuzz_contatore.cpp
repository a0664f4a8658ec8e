// SPDX-License-Identifier: MIT
// Any bytes as a meter's file: consumption for every hour of the reference
// year, finite and not negative, or the reader's own refusal.
#include "calc/contatore.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n)
{
    static const fv::Calendario anno = fv::CreaCalendario(2027);
    const std::string testo(reinterpret_cast<const char*>(dati), n);
    try {
        const fv::LetturaContatore l = fv::LeggiContatore(testo, anno, fv::ProfiliConsumo().front());
        if (l.consumo.size() != anno.giorni.size())
            std::abort();
        for (const fv::Ore& o : l.consumo)
            for (double x : o)
                if (!std::isfinite(x) || x < 0)
                    std::abort();
    } catch (const fv::ErroreContatore&) {
    }
    return 0;
}
