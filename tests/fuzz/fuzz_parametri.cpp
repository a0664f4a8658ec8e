// SPDX-License-Identifier: MIT
// Any bytes as a CSV of economic parameters: rows that each name a declared
// parameter with a value its range accepts and a period that neither
// overlaps nor leaves a gap with another row of its name, or the tool's
// refusal.
#include "calc/economia.h"
#include "calc/numeri.h"
#include "data/file_dati.h"
#include "data/parametri.h"
#include "data/strumento.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n)
{
    const std::string testo(reinterpret_cast<const char*>(dati), n);
    try {
        std::vector<fv::Parametro> periodi;
        for (const auto& riga : fv::ParametriDaTesto(testo, "fuzz.csv")) {
            std::vector<fv::Parametro> dichiarati = fv::DichiarazioniParametri();
            if (riga.size() != 6)
                std::abort();
            fv::Imposta(dichiarati, riga[0], fv::LeggiNumeroFile(riga[1], fv::Campo::Energia)); // throws if out of range
            fv::Parametro p;
            p.nome = riga[0];
            if (!fv::LeggiPeriodo(riga[5], p.dal, p.al))
                std::abort();
            periodi.push_back(p);
        }
        if (!fv::ControllaPeriodi(periodi).empty())
            std::abort();
    } catch (const fv::ErroreFileDati&) {
    }
    return 0;
}
