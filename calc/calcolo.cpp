// SPDX-License-Identifier: MIT
#include "calc/calcolo.h"

#include "calc/modello.h"

#include <cmath>

namespace fv {

bool Calcola(const InputCalcolo& in, const MonthlySeries& radOriz, const GiorniMese& giorni,
             const FormatoNumeri& formato, DestinazioneCalcolo& destinazione)
{
    for (const std::string* testo : {&in.latitudine, &in.riflettanza, &in.tilt, &in.azimut,
                                     &in.potenza, &in.perditeGeneratore, &in.efficienzaInverter,
                                     &in.comuneRadiazione}) {
        if (testo->empty())
            return false;
    }

    const double phi = LeggiNumero(in.latitudine, formato, Campo::Latitudine) * kGradiRadianti;
    const double beta = LeggiNumero(in.tilt, formato, Campo::Tilt) * kGradiRadianti;
    const double gamma = LeggiNumero(in.azimut, formato, Campo::Azimut) * kGradiRadianti;
    const double rho = LeggiNumero(in.riflettanza, formato, Campo::Riflettanza);
    const double potenza = LeggiNumero(in.potenza, formato, Campo::Potenza);
    const std::int16_t perdite =
        LeggiIntero16(in.perditeGeneratore, formato, Campo::PerditeGeneratore);
    const std::int16_t efficienza =
        LeggiIntero16(in.efficienzaInverter, formato, Campo::EfficienzaInverter);

    const Piano piano = CreaPiano(phi, beta, gamma, rho);
    MonthlySeries radInc{};
    for (int m = 1; m <= 12; ++m) {
        const auto i = static_cast<std::size_t>(m - 1);
        radInc[i] = CalcolaRadiazioneInclinata(m, piano, radOriz[i]);
        destinazione.ScriviRadInc(m - 1, radInc[i]);
        destinazione.ScriviCampo(Campo::Mese2, m - 1, TestoArrotondato(radInc[i], 2, formato));
    }

    const double totInc = CalcolaTotaleAnnuo(radInc, giorni);
    const double totOriz = CalcolaTotaleAnnuo(radOriz, giorni);
    destinazione.ScriviCampo(Campo::TotAnnua2, 0, TestoArrotondato(totInc, 0, formato));
    if (totOriz == 0.0)
        throw ErroreAritmetico(0, Passo::RapportoTotali, ErroreAritmetico::Tipo::DivisionePerZero);
    const double rapporto = totInc / totOriz;
    if (!std::isfinite(rapporto))
        throw ErroreAritmetico(0, Passo::RapportoTotali, ErroreAritmetico::Tipo::NonFinito);
    destinazione.ScriviCampo(Campo::Rapporto, 0, TestoArrotondato(rapporto, 2, formato));
    const double energia = CalcolaEnergiaAnnua(totInc, potenza, perdite, efficienza);
    destinazione.ScriviCampo(Campo::Energia, 0, TestoArrotondato(energia, 0, formato));
    return true;
}

void ScriviTariffaRicavo(const std::string& testoEnergia, int fascia, int integrazione,
                         const FormatoNumeri& formato, DestinazioneCalcolo& destinazione)
{
    const double tariffa = TariffaIncentivante(fascia, integrazione);
    destinazione.ScriviCampo(Campo::CostoKwh, 0, TestoNumero(tariffa, formato));
    const double energia = LeggiNumero(testoEnergia, formato, Campo::Energia);
    destinazione.ScriviCampo(Campo::Annuo, 0,
                             TestoNumero(RicavoAnnuo(energia, tariffa), formato));
}

int IndiceOpzione(const std::array<bool, 3>& selezionate)
{
    for (int i = 0; i < 3; ++i) {
        if (selezionate[static_cast<std::size_t>(i)])
            return i;
    }
    return 3;
}

std::optional<int> FasciaDaTesto(const std::string& testo, const FormatoNumeri& formato)
{
    if (testo.empty())
        return std::nullopt;
    return FasciaPotenza(LeggiNumero(testo, formato, Campo::Potenza));
}

} // namespace fv
