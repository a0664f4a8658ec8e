// SPDX-License-Identifier: MIT
// The model, the annual results and the whole calculate command on any
// doubles: a finite value or a typed error, never a crash, never a NaN or an
// infinity written into a field.
#include "calc/calcolo.h"
#include "calc/modello.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class Controllo final : public fv::DestinazioneCalcolo {
public:
    void ScriviRadInc(int mese0, double valore) override
    {
        if (mese0 < 0 || mese0 > 11 || !std::isfinite(valore))
            std::abort();
    }
    void ScriviCampo(fv::Campo, int, const std::string& testo) override
    {
        if (testo.empty() || testo.find_first_of("nNiI") != std::string::npos)
            std::abort(); // "nan", "inf"
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    double v[18] = {};
    std::memcpy(v, data, std::min(size, sizeof v));
    const int mese = 1 + static_cast<int>(size % 12);
    try {
        const fv::PassiModello p = fv::PassiRadiazioneInclinata(mese, fv::CreaPiano(v[0], v[1], v[2], v[3]), v[4]);
        if (!std::isfinite(p.valore) || !std::isfinite(p.Rb))
            std::abort();
    } catch (const fv::ErroreAritmetico& e) {
        if (e.mese() != mese)
            std::abort();
    }
    const fv::FormatoNumeri f = (size & 1) ? fv::FormatoNumeri::Italiano() : fv::FormatoNumeri::C();
    fv::MonthlySeries oriz{};
    for (std::size_t i = 0; i < 12; ++i)
        oriz[i] = std::isfinite(v[6 + i]) ? v[6 + i] : 0.0;
    const auto testo = [&](double x) { return std::isfinite(x) ? fv::TestoNumero(x, f) : std::string("1"); };
    const fv::InputCalcolo in{testo(v[0]), testo(v[3]), testo(v[1]), testo(v[2]),
                              testo(v[4]), testo(std::fmod(v[5], 40000)), testo(std::fmod(v[5] * 3, 200)), "x"};
    Controllo c;
    try {
        if (fv::Calcola(in, oriz, fv::kGiorniMese, f, c))
            fv::ScriviTariffaRicavo(testo(std::nearbyint(v[4])), static_cast<int>(size % 4),
                                    static_cast<int>((size / 4) % 4), f, c);
    } catch (const fv::Errore&) {
    }
    return 0;
}
