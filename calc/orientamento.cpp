// SPDX-License-Identifier: MIT
// Every orientation of the plane at one site, and the map's annual plane totals.
#include "calc/orientamento.h"

#include "calc/calcolo.h"
#include "calc/modello.h"
#include "calc/risultati.h"

#include <algorithm>
#include <exception>
#include <thread>

namespace fv {

double AnnuoSulPiano(double latitudine, double tilt, double azimut, double riflettanza,
                     const MonthlySeries& radOriz, const GiorniMese& giorni)
{
    // Degrees to radians with the command's own factor, so that the value
    // is bit for bit the command's annual plane total.
    const Piano piano = CreaPiano(latitudine * kGradiRadianti, tilt * kGradiRadianti,
                                  azimut * kGradiRadianti, riflettanza);
    MonthlySeries radInc{};
    for (int m = 1; m <= 12; ++m)
        radInc[std::size_t(m - 1)] = CalcolaRadiazioneInclinata(m, piano, radOriz[std::size_t(m - 1)]);
    return CalcolaTotaleAnnuo(radInc, giorni);
}

MappaOrientamenti::MappaOrientamenti(double latitudine, double riflettanza, const MonthlySeries& radOriz,
                                     const GiorniMese& giorni)
    : annuo_(static_cast<std::size_t>((kTiltMassimo + 1) * kAzimut))
{
    // Tilts shared out among the threads, one row of azimuths at a time.
    const int fili = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 16);
    std::vector<std::exception_ptr> errori(static_cast<std::size_t>(fili));
    std::vector<std::thread> lavoro;
    for (int f = 0; f < fili; ++f) {
        lavoro.emplace_back([&, f] {
            try {
                for (int t = f; t <= kTiltMassimo; t += fili) {
                    for (int a = kAzimutMinimo; a <= kAzimutMassimo; ++a)
                        annuo_[static_cast<std::size_t>(t * kAzimut + a - kAzimutMinimo)] =
                            AnnuoSulPiano(latitudine, t, a, riflettanza, radOriz, giorni);
                }
            } catch (...) {
                errori[static_cast<std::size_t>(f)] = std::current_exception();
            }
        });
    }
    for (std::thread& t : lavoro)
        t.join();
    for (const std::exception_ptr& e : errori) {
        if (e)
            std::rethrow_exception(e);
    }
    // The first of equal maxima in the order tilt, then azimuth.
    const auto piu = std::max_element(annuo_.begin(), annuo_.end());
    const auto indice = static_cast<int>(piu - annuo_.begin());
    massimo_ = *piu;
    minimo_ = *std::min_element(annuo_.begin(), annuo_.end());
    tiltOttimo_ = indice / kAzimut;
    azimutOttimo_ = indice % kAzimut + kAzimutMinimo;
}

std::optional<double> AnnuoSulPianoCoerente(double latitudine, double tilt, double azimut, double riflettanza,
                                            const MonthlySeries& radOriz, const GiorniMese& giorni)
{
    // One pass of the model on the plane checks the site too: the clearness
    // index does not depend on the plane.
    try {
        VerificaLatitudine(latitudine, {});
        const Piano piano = CreaPiano(latitudine * kGradiRadianti, tilt * kGradiRadianti,
                                      azimut * kGradiRadianti, riflettanza);
        std::array<PassiModello, 12> passi;
        VerificaSerenita(piano, radOriz, passi);
        MonthlySeries radInc{};
        for (std::size_t m = 0; m < 12; ++m)
            radInc[m] = passi[m].valore;
        return CalcolaTotaleAnnuo(radInc, giorni);
    } catch (const Errore&) {
        return std::nullopt;
    }
}

} // namespace fv
