// SPDX-License-Identifier: MIT
#include "app/opzioni.h"

#include "calc/bilancio.h"
#include "calc/dimensiona.h"
#include "calc/pompa_calore.h"
#include "calc/veicolo.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace fv {

const std::vector<OpzioneNumero>& OpzioniNumero()
{
    static const std::vector<OpzioneNumero> opzioni = {
        // The household and its battery (calc's limits: a battery's inputs, a year's consumption).
        {"consumo-annuo", "kWh/anno", kConsumoAnnuoMinimo, kConsumoAnnuoMassimo, 2700, 0, "annuo"},
        {kCapacitaBatteria.nome, "kWh", kCapacitaBatteria.minimo, kCapacitaBatteria.massimo, 0, 1, "capacita"},
        {kPotenzaBatteria.nome, "kW", kPotenzaBatteria.minimo, kPotenzaBatteria.massimo, 0, 1, "potenza"},
        {kRendimentoBatteria.nome, "%", kRendimentoBatteria.minimo, kRendimentoBatteria.massimo, 90, 0, "rendimento"},
        {"anno", "", 1901, 2099, 0, 0, "anno", true}, // 0: the next calendar year
        // The electric car (a car's defaults from calc).
        {kKmAuto.nome, "km/anno", kKmAuto.minimo, kKmAuto.massimo, 0, 0, "autoKm"},
        {kConsumoAuto.nome, "kWh/100 km", kConsumoAuto.minimo, kConsumoAuto.massimo, AutoElettrica{}.consumo, 1, "autoConsumo"},
        {kQuotaCasaAuto.nome, "%", kQuotaCasaAuto.minimo, kQuotaCasaAuto.massimo, AutoElettrica{}.quotaCasa, 0, "autoCasa"},
        {kPotenzaAuto.nome, "kW", kPotenzaAuto.minimo, kPotenzaAuto.massimo, AutoElettrica{}.potenza, 1, "autoPotenza"},
        {kPerditeAuto.nome, "%", kPerditeAuto.minimo, kPerditeAuto.massimo, AutoElettrica{}.perdite, 0, "autoPerdite"},
        // The heat pump in place of the gas boiler (0 Smc: none; SCOP 0: from the COP curve).
        {kGasAnno.nome, "Smc/anno", kGasAnno.minimo, kGasAnno.massimo, 0, 0, "gasAnno"},
        {kRendimentoCaldaia.nome, "", kRendimentoCaldaia.minimo, kRendimentoCaldaia.massimo, PompaDiCalore{}.rendimento, 2,
         "rendimentoCaldaia"},
        {kScop.nome, "", kScop.minimo, kScop.massimo, 0, 1, "scop"},
        // The weather file's chain: PVGIS's 14 % system losses.
        {"perdite-sistema", "%", 0, 50, 14, 1, "perditeSistema"},
        // The inverter's AC limit: 0 for none (the analysis refuses 0 typed on the command line).
        {"inverter", "kW", 0, 10000, 0, 2, "inverter"},
        // The household's tax: 0 for none given.
        {"imposta-lorda", "€/anno", 0, 1e7, 0, 0, "impostaLorda"},
        // The sizing grid.
        {"potenza-max", "kWp", 0.5, kPotenzaMassimaCasa, 10, 1, "potenzaMax"},
        {"superficie", "m²", 1, 1000, 0, 0, "superficie"},
        {"passo-potenza", "kWp", 0.5, 1, 1, 1, "passoPotenza"},
        {"batteria-max", "kWh", 0, kBatteriaMassimaCasa, 20, 0, "batteriaMax"},
    };
    return opzioni;
}

const OpzioneNumero& Dichiarata(std::string_view nome)
{
    const auto& o = OpzioniNumero();
    const auto i = std::find_if(o.begin(), o.end(), [&](const OpzioneNumero& x) { return nome == x.nome; });
    if (i == o.end())
        throw std::logic_error("opzione non dichiarata: " + std::string(nome));
    return *i;
}

} // namespace fv
