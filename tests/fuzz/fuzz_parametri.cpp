// SPDX-License-Identifier: MIT
// Any bytes as a CSV of economic parameters: rows that each name a known
// parameter once, with a value its range accepts, or the tool's refusal.
#include "calc/economia.h"
#include "calc/numeri.h"
#include "data/file_dati.h"
#include "data/strumento.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n)
{
    const std::string testo(reinterpret_cast<const char*>(dati), n);
    try {
        std::set<std::string> nomi;
        std::vector<fv::Parametro> parametri = fv::ParametriPredefiniti();
        for (const auto& riga : fv::ParametriDaTesto(testo, "fuzz.csv")) {
            if (riga.size() != 6 || !nomi.insert(riga[0]).second)
                std::abort();
            fv::Imposta(parametri, riga[0], fv::LeggiNumeroFile(riga[1], fv::Campo::Energia)); // throws if out of range
        }
    } catch (const fv::ErroreFileDati&) {
    }
    return 0;
}
