// SPDX-License-Identifier: MIT
// The CALCOLA command on values: inputs read and checked, the model run, results written.
#include "calc/calcolo.h"

#include "calc/modello.h"

#include <array>
#include <cmath>

namespace fv {

namespace {

double Verifica(double valore, const Intervallo& i, Campo campo, const std::string& testo)
{
    const bool sotto = i.minimoEscluso ? !(valore > i.minimo) : !(valore >= i.minimo);
    if (sotto || !(valore <= i.massimo))
        throw ErroreIntervallo(campo, testo, i.minimo, i.massimo, i.minimoEscluso);
    return valore;
}

// A whole percentage: read, rounded half to even, and within 0..100.
std::int16_t LeggiPercentuale(const std::string& testo, const FormatoNumeri& formato, Campo campo)
{
    const double valore = LeggiNumero(testo, formato, campo);
    Verifica(std::nearbyint(valore), kIntervalloPercentuale, campo, testo);
    return Intero16(valore, campo, testo);
}

} // namespace

void VerificaSerenita(const Piano& piano, const MonthlySeries& radOriz, std::array<PassiModello, 12>& passi)
{
    for (int m = 1; m <= 12; ++m) {
        const auto i = static_cast<std::size_t>(m - 1);
        passi[i] = PassiRadiazioneInclinata(m, piano, radOriz[i]);
        if (!(passi[i].KT > 0.0 && passi[i].KT <= 1.0))
            throw ErroreSerenita(m, passi[i].KT);
    }
}

double VerificaLatitudine(double latitudine, const std::string& testo)
{
    return Verifica(latitudine, kIntervalloLatitudine, Campo::Latitudine, testo);
}

SitoLetto LeggiSito(const std::string& latitudine, const std::string& riflettanza,
                    const MonthlySeries& radOriz, const FormatoNumeri& formato)
{
    const SitoLetto sito{
        VerificaLatitudine(LeggiNumero(latitudine, formato, Campo::Latitudine), latitudine),
        Verifica(LeggiNumero(riflettanza, formato, Campo::Riflettanza), kIntervalloRiflettanza,
                 Campo::Riflettanza, riflettanza)};
    std::array<PassiModello, 12> passi;
    VerificaSerenita(CreaPiano(sito.latitudine * kGradiRadianti, 0, 0, sito.riflettanza), radOriz, passi);
    return sito;
}

ImpiantoLetto LeggiImpianto(const InputCalcolo& in, const FormatoNumeri& formato)
{
    ImpiantoLetto i;
    i.tilt = Verifica(LeggiNumero(in.tilt, formato, Campo::Tilt), kIntervalloTilt, Campo::Tilt, in.tilt);
    i.azimut = Verifica(LeggiNumero(in.azimut, formato, Campo::Azimut), kIntervalloAzimut, Campo::Azimut, in.azimut);
    i.riflettanza = Verifica(LeggiNumero(in.riflettanza, formato, Campo::Riflettanza), kIntervalloRiflettanza,
                             Campo::Riflettanza, in.riflettanza);
    i.perdite = LeggiPercentuale(in.perditeGeneratore, formato, Campo::PerditeGeneratore);
    i.efficienza = LeggiPercentuale(in.efficienzaInverter, formato, Campo::EfficienzaInverter);
    return i;
}

bool Calcola(const InputCalcolo& in, const MonthlySeries& radOriz, const GiorniMese& giorni,
             const FormatoNumeri& formato, DestinazioneCalcolo& destinazione, IngressiLetti* letti)
{
    for (const std::string* testo : {&in.latitudine, &in.riflettanza, &in.tilt, &in.azimut,
                                     &in.potenza, &in.perditeGeneratore, &in.efficienzaInverter,
                                     &in.comuneRadiazione}) {
        if (testo->empty())
            return false;
    }

    // The angles as read [deg], kept for whoever goes on from this result.
    const double latitudine = VerificaLatitudine(LeggiNumero(in.latitudine, formato, Campo::Latitudine), in.latitudine);
    const double tilt = Verifica(LeggiNumero(in.tilt, formato, Campo::Tilt), kIntervalloTilt, Campo::Tilt, in.tilt);
    const double azimut = Verifica(LeggiNumero(in.azimut, formato, Campo::Azimut), kIntervalloAzimut, Campo::Azimut, in.azimut);
    const double phi = latitudine * kGradiRadianti, beta = tilt * kGradiRadianti, gamma = azimut * kGradiRadianti;
    const double rho = Verifica(LeggiNumero(in.riflettanza, formato, Campo::Riflettanza),
                                kIntervalloRiflettanza, Campo::Riflettanza, in.riflettanza);
    const double potenza = Verifica(LeggiNumero(in.potenza, formato, Campo::Potenza),
                                    kIntervalloPotenza, Campo::Potenza, in.potenza);
    const std::int16_t perdite =
        LeggiPercentuale(in.perditeGeneratore, formato, Campo::PerditeGeneratore);
    const std::int16_t efficienza =
        LeggiPercentuale(in.efficienzaInverter, formato, Campo::EfficienzaInverter);

    // Every month is computed and checked before the first is written.
    const Piano piano = CreaPiano(phi, beta, gamma, rho);
    std::array<PassiModello, 12> passi;
    VerificaSerenita(piano, radOriz, passi);
    MonthlySeries radInc{};
    for (int m = 1; m <= 12; ++m) {
        const auto i = static_cast<std::size_t>(m - 1);
        radInc[i] = passi[i].valore;
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
    if (letti)
        *letti = {potenza, perdite, efficienza, energia, latitudine, tilt, azimut, rho};
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
