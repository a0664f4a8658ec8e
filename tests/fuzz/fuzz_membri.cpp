// SPDX-License-Identifier: MIT
// Any bytes as a community's members file: members that satisfy every rule
// the reader states (a name, unique; a plant for prosumers and producers,
// none for consumers; consumption or a plant; values in range), or the
// reader's own refusal naming a line.
#include "calc/comunita.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n)
{
    const std::string testo(reinterpret_cast<const char*>(dati), n);
    try {
        const std::vector<fv::Membro> membri = fv::LeggiMembri(testo);
        if (membri.empty() || membri.size() > fv::kMembriMassimi)
            std::abort();
        std::set<std::string> nomi;
        for (const fv::Membro& m : membri) {
            const double picco = m.Picco();
            if (m.nome.empty() || !nomi.insert(m.nome).second || !std::isfinite(picco) || picco < 0
                || picco > fv::kPotenzaMembroMassima || m.consumoAnnuo < 0 || m.consumoAnnuo > fv::kConsumoMembroMassimo
                || m.batteria < 0 || m.batteria > fv::kBatteriaMembroMassima || m.tilt < 0 || m.tilt > 90)
                std::abort();
            if ((m.ruolo == fv::RuoloMembro::Consumatore) != (picco <= 0))
                std::abort();
            if (picco <= 0 && m.consumoAnnuo <= 0 && m.consumi.empty())
                std::abort();
        }
    } catch (const fv::ErroreMembri& e) {
        if (e.riga() < 0)
            std::abort();
    }
    return 0;
}
