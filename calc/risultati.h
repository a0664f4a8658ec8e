// SPDX-License-Identifier: MIT
// Annual results of a calculation and the incentive tariff.
#pragma once

#include "calc/serie.h"

#include <cstdint>

namespace fv {

// Annual energy [kWh]: the yield at 1 kW/m² per kW peak reduced by the
// generator losses L and the inverter efficiency I (whole percent):
// ((totInc x P) x (100 - L)) x I / 10000, with 100 - L in 16-bit arithmetic.
double CalcolaEnergiaAnnua(double totInc, double potenza, std::int16_t perdite,
                           std::int16_t efficienza);

// Energy of one month [kWh]: the month's mean daily radiation on the plane
// [kWh/m² day] times its days, with the same factors as the annual energy, so
// that the twelve sum to the annual energy before rounding.
double EnergiaMensile(double radIncMese, int giorni, double potenza, std::int16_t perdite,
                      std::int16_t efficienza);

// Power band of a plant of the given peak power [kW], with the decree's
// bounds: 0 up to 3 kW, 1 above 3 kW up to 20 kW, 2 above 20 kW.
int FasciaPotenza(double potenza);

// Incentive tariff [EUR/kWh] by power band and integration type (each 0..2;
// 3 means no option chosen and gives 0).
double TariffaIncentivante(int fascia, int integrazione);

// Annual revenue [EUR]: energy x tariff, rounded half to even to cents.
double RicavoAnnuo(double energia, double tariffa);

} // namespace fv
