// SPDX-License-Identifier: MIT
// Monthly series and the annual sum.
#include "calc/serie.h"

#include "calc/errori.h"

namespace fv {

double CalcolaTotaleAnnuo(const MonthlySeries& serie, const GiorniMese& giorni)
{
    double totale = 0;
    for (std::size_t i = 0; i < serie.size(); ++i)
        totale = totale + serie[i] * giorni[i];
    return Finito(totale, 0, Passo::TotaleAnnuo);
}

} // namespace fv
