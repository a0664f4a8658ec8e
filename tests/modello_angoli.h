// SPDX-License-Identifier: MIT
// The model called with the site's and plane's angles themselves [rad], as
// the tests write their cases.
#pragma once

#include "calc/modello.h"

namespace fv {

inline PassiModello PassiRadiazioneInclinata(int mese, double phi, double beta, double gamma,
                                             double rho, double H)
{
    return PassiRadiazioneInclinata(mese, CreaPiano(phi, beta, gamma, rho), H);
}

inline double CalcolaRadiazioneInclinata(int mese, double phi, double beta, double gamma,
                                         double rho, double H)
{
    return PassiRadiazioneInclinata(mese, CreaPiano(phi, beta, gamma, rho), H).valore;
}

} // namespace fv
