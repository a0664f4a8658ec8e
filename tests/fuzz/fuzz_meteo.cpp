// SPDX-License-Identifier: MIT
// Any bytes as a weather file or a horizon: a whole year whose production is
// finite and not negative, a horizon within 0-90°, or the reader's refusal.
#include "calc/catena.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n)
{
    static const fv::Calendario anno = fv::CreaCalendario(2027);
    const std::string testo(reinterpret_cast<const char*>(dati), n);
    try {
        const fv::AnnoMeteo a = fv::LeggiMeteo(testo);
        if (a.ore.size() != 8760 && a.ore.size() != 8784)
            std::abort();
        fv::ImpiantoMeteo p;
        p.latitudine = a.latitudine;
        p.longitudine = a.longitudine;
        p.tilt = a.suPiano ? a.tiltPiano : 30;
        p.azimut = a.suPiano ? a.azimutPiano : 0;
        const fv::ProduzioneMeteo r = fv::ProduzioneDaMeteo(p, a, anno);
        if (!std::isfinite(r.anno) || r.anno < 0)
            std::abort();
    } catch (const fv::ErroreMeteo&) {
    }
    try {
        const fv::Orizzonte o = fv::LeggiOrizzonte(testo);
        for (double az = 0; az < 360; az += 7)
            if (!(o.Elevazione(az) >= 0 && o.Elevazione(az) <= 90))
                std::abort();
    } catch (const fv::ErroreMeteo&) {
    }
    return 0;
}
