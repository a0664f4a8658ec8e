// SPDX-License-Identifier: MIT
// Annual energy, monthly energy, power band, tariff and revenue.
#include "calc/risultati.h"

#include "calc/errori.h"
#include "calc/numeri.h"

#include <cmath>

namespace fv {

double CalcolaEnergiaAnnua(double totInc, double potenza, std::int16_t perdite,
                           std::int16_t efficienza)
{
    const int fattore = 100 - perdite;
    if (fattore < -32768 || fattore > 32767)
        throw ErroreOverflow(Campo::PerditeGeneratore, std::to_string(perdite));
    return Finito(totInc * potenza * fattore * efficienza / 10000, 0, Passo::EnergiaAnnua);
}

double EnergiaMensile(double radIncMese, int giorni, double potenza, std::int16_t perdite,
                      std::int16_t efficienza)
{
    return CalcolaEnergiaAnnua(radIncMese * giorni, potenza, perdite, efficienza);
}

int FasciaPotenza(double potenza)
{
    // DM 19 febbraio 2007, art. 6: up to 3 kW, above 3 and up to 20 kW, above 20 kW.
    if (potenza <= 3)
        return 0;
    if (potenza <= 20)
        return 1;
    return 2;
}

double TariffaIncentivante(int fascia, int integrazione)
{
    // Tariffs for plants entering service in 2010 under the decree of
    // 19 February 2007 (art. 6): the 2008 values less 4 % (2 % of them for
    // each of 2009 and 2010, not compounded), to three decimals:
    // 0.40 0.44 0.49 / 0.38 0.42 0.46 / 0.36 0.40 0.44 EUR/kWh x 0.96.
    // Rows: power band; columns: not integrated, partly integrated, integrated.
    static constexpr double tariffe[4][4] = {
        {0.384, 0.422, 0.47, 0},
        {0.365, 0.403, 0.442, 0},
        {0.346, 0.384, 0.422, 0},
        {0, 0, 0, 0},
    };
    if (fascia < 0 || fascia > 3)
        throw ErroreIndice("tariffe", fascia);
    if (integrazione < 0 || integrazione > 3)
        throw ErroreIndice("tariffe", integrazione);
    return tariffe[fascia][integrazione];
}

double RicavoAnnuo(double energia, double tariffa)
{
    return ArrotondaPari(Finito(energia * tariffa, 0, Passo::Ricavo), 2);
}

} // namespace fv
