// SPDX-License-Identifier: MIT
// What the plant is worth today: a yearly cash flow under the rules in force
// (energy not bought, export through the GSE's dedicated withdrawal, the
// renewable energy community's premium on shared energy, the home
// renovation tax deduction), with payback, NPV, IRR and LCOE.
#pragma once

#include "calc/bilancio.h"

#include <optional>
#include <stdexcept>
#include <functional>
#include <string>
#include <vector>

namespace fv {

// One economic parameter: its name (as the data file and the command line
// give it), value, unit, Italian description, source and date of validity,
// and the range a value must lie in.
struct Parametro {
    std::string nome;
    double valore = 0;
    std::string unita, descrizione, fonte;
    std::string dal, al; // the period the row is in force [yyyy-mm-dd]; empty: open
    double minimo = 0, massimo = 0;
    bool minimoEscluso = false, massimoEscluso = false;
    bool intero = false; // a whole number (years, a yes/no flag)
    bool frazioneSospetta = false; // a percentage nobody means below 1 % (0.23 typed for 23 %)
};

// Every parameter the cash flow reads, with its unit, meaning and range and
// no value: the values, their periods and sources are rows of the dataset
// (see data/parametri.h), several rows a name where a rule changes by date.
std::vector<Parametro> DichiarazioniParametri();

// A period as a data file writes it: "2025-01-01/2026-12-31", ".." for an
// open end ("2028-01-01/.."); a single date, or nothing, is the date of a
// source and no period. False when it is neither.
bool LeggiPeriodo(const std::string& testo, std::string& dal, std::string& al);
std::string TestoPeriodo(const std::string& dal, const std::string& al);
// Whether `dopo` is the day after `prima` (both yyyy-mm-dd).
bool GiornoDopo(const std::string& prima, const std::string& dopo);
// "31/12/2026" from "2026-12-31".
std::string DataLeggibile(const std::string& iso);
// "dal 01/01/2025 al 31/12/2026", "dal 01/01/2028", "sempre".
std::string PeriodoLeggibile(const Parametro& p);

// One row a declared parameter, the one in force on `data` (yyyy-mm-dd, the
// date of the expense). Throws ErroreParametro naming the parameter and the
// period the rows cover when none is.
// The community premium and its corrections are those of the plant's entry
// into service (DM 414/2023: plants in service by 31/12/2027); the others
// those of the expense. An empty entry date is the expense's.
bool DellEntrataInEsercizio(const std::string& nome);
// The PNRR grant's eligible cost per kW for a plant of this power [€/kW]:
// its band's (up to 20 kW, 200, 600, 1,000).
double CostoAmmissibilePnrr(double potenza, const std::function<double(const char*)>& valore);
std::vector<Parametro> ParametriInVigore(const std::vector<Parametro>& righe, const std::string& dataSpesa,
                                         const std::string& dataEsercizio = {});

// A parameter out of its range or unknown, named.
class ErroreParametro : public std::runtime_error {
public:
    ErroreParametro(const std::string& nome, const std::string& messaggio);
    const std::string& nome() const noexcept { return nome_; }

private:
    std::string nome_;
};

// The value of a parameter by name; throws ErroreParametro when unknown.
double Valore(const std::vector<Parametro>& parametri, const std::string& nome);
// Sets one ("nome=valore" from the command line, or a dialog's field),
// checked against its range; throws ErroreParametro.
void Imposta(std::vector<Parametro>& parametri, const std::string& nome, double valore);
// Checks every value against its range; throws the first ErroreParametro.
void Verifica(const std::vector<Parametro>& parametri);
// A parameter's date of validity: empty, or a real day written yyyy-mm-dd
// or dd/mm/yyyy (31/02/2026 is none).
bool DataDiValiditaValida(const std::string& testo);

// The energy of the plant's first year, from the balance [kWh/year].
struct EnergiaAnno {
    double produzione = 0;
    double coperto = 0;   // consumption covered on site (direct + from the battery)
    double immessa = 0;   // exported
    double consumo = 0;
    std::array<double, 3> copertoFasce{}; // of `coperto`, in F1, F2, F3
};
// The year's flows of a balance as the cash flow reads them.
EnergiaAnno EnergiaDelBilancio(const FlussiEnergia& anno);

// One year of the cash flow [EUR], t = 0 the investment.
struct AnnoFlusso {
    int anno = 0;
    double produzione = 0, coperto = 0, immessa = 0, prelevata = 0; // [kWh]
    double risparmio = 0, vendita = 0, premioComunita = 0, detrazione = 0;
    double detrazionePersa = 0; // an instalment beyond the year's gross tax
    double imposte = 0;         // IRPEF on the dedicated withdrawal's revenue
    double contributo = 0;      // the PNRR capital grant, paid in year 1
    double costi = 0;   // investment (year 0), O&M, the inverter's and the battery's replacements
    double sostituzioneBatteria = 0; // the battery replaced this year, part of costi [EUR]
    double capacitaBatteria = 0;     // the battery's capacity this year, share of the new one
    double flusso = 0, cumulato = 0, attualizzato = 0, cumulatoAttualizzato = 0;
};

struct Convenienza {
    double investimento = 0;               // [EUR]
    std::vector<AnnoFlusso> anni;          // 0..N
    double van = 0;                        // net present value [EUR]
    std::optional<double> tir;             // internal rate of return, when it exists
    std::optional<double> ritornoSemplice, ritornoAttualizzato; // [years], within the horizon
    double lcoe = 0;                       // [EUR/kWh], incentives excluded
    double risparmioPrimoAnno = 0;         // savings + export + premium of year 1 [EUR]
    bool detrazioneApplicata = true;       // false when the community premium, a grant or the plant's size excludes it
    bool oltreLimiteDetrazione = false;    // the plant exceeds potenza_massima_detrazione
    double detrazionePersa = 0;            // instalments beyond the household's tax, summed [EUR]
    double contributo = 0;                 // the PNRR capital grant [EUR]
    std::vector<int> sostituzioniBatteria; // the years the battery is replaced
};

// The year's energy with the battery at a share of its capacity (its
// ageing): points (share, energy) from a few balances, read between them
// linearly; the share 0 is the balance without a battery. `cicliAnno` is
// the new battery's equivalent full cycles a year (energy out of the store
// over its capacity).
struct CurvaBatteria {
    std::vector<std::pair<double, EnergiaAnno>> punti; // by share, increasing
    double cicliAnno = 0;
    EnergiaAnno A(double quota) const;
};

// The curve of a battery from the year's hours: the balance without it
// (share 0) and with it new (share 1) as computed, the battery at 60 and 80 %
// of its capacity computed here (the second on another thread when
// `parallelo`); the cycles a year from the new battery's discharge.
CurvaBatteria CurvaDellaBatteria(const std::vector<Ore>& produzione, const std::vector<Ore>& consumo,
                                 const Calendario& calendario, const Batteria& batteria, const Bilancio& senza,
                                 const Bilancio& con, bool parallelo = true);

// The weather of each year: a factor on the mean year's production (index
// t = 1..N, 1 the mean year) and how the year's energy moves with it (per
// unit of factor, from balances at 95 and 105 % of the production).
struct MeteoDegliAnni {
    std::vector<double> fattori;
    EnergiaAnno derivata;
};

// What the rules ask of the household: the kind of home (the deduction's
// rate and cap), its yearly gross IRPEF when known (the deduction is used up
// to it; the rest of an instalment is lost).
// Where the plant is, for the community premium's correction by region and
// the market zone's price of the energy sold. Whether the plant takes the
// PNRR capital grant for plants of a community in a small comune (DM MASE
// 414/2023 art. 7, DM 127/2025): the caller checks the comune and the date.
enum class AreaPremio { Nord, Centro, Altre };
struct Famiglia {
    bool secondaCasa = false;
    std::optional<double> impostaLorda; // [EUR/year]
    AreaPremio area = AreaPremio::Altre;
    std::string zona;                   // NORD, CNOR, CSUD, SUD, CALA, SICI, SARD; empty: the national price
    bool contributoPnrr = false;
    // A contract priced by band (bioraria, multioraria): the energy not bought
    // in F1, F2, F3 [EUR/kWh, taxes in], in place of prezzo_energia.
    std::optional<std::array<double, 3>> prezziFasce;
};

// The price of the energy sold in a market zone [EUR/kWh]: prezzo_zonale
// plus the zone's difference (an unknown zone: the national estimate).
double PrezzoZonaleDi(const std::vector<Parametro>& parametri, const std::string& zona);
// The community premium's correction for the photovoltaic by area [EUR/kWh].
double CorrezionePremio(const std::vector<Parametro>& parametri, AreaPremio area);

// The bands' prices as typed, "F1,F2,F3" [EUR/kWh]: three values separated
// by semicolons or blanks, or by commas when none has a decimal comma; each
// from 0.01 to 2 EUR/kWh. Throws std::invalid_argument with the reason.
std::array<double, 3> LeggiPrezziFasce(const std::string& testo);

// The cash flow of a plant of `potenza` kW with a battery of `batteria` kWh.
// Year 0: minus the investment. Year t: production scales by
// (1 - degradation)^(t-1) and with it the energy covered and exported;
// savings = covered x price x (1 + escalation)^(t-1); export at the greater
// of the zonal price (the national one plus the zone's difference) and the
// guaranteed minimum price, escalated alike; the
// community premium on the shared part of the export for its years; the
// deduction in equal instalments over its years on the expense up to its
// cap (by the kind of home), up to the household's tax; the premium only in
// the share the community passes on, untaxed for a private member (Agenzia
// delle Entrate, risoluzione 18/E/2021); the dedicated withdrawal's revenue
// taxed at the household's marginal IRPEF rate (redditi diversi, art. 67
// c. 1 lett. i TUIR; circolare 46/E/2007, GSE FAQ 2022-2024); minus O&M and
// the inverter's replacement in its year. The first instalment falls in year
// 1, the year after the expense.
// With the PNRR grant: `contributo_pnrr` % of the cost up to
// `costo_ammissibile_pnrr` per kWp, paid in year 1 (on the final report,
// after the plant is running); no deduction (the two exclude each other);
// the premium reduced by the factor (1 - F), F growing linearly from 0
// without a grant to `riduzione_premio_pnrr` % with a 40 % grant (DM
// 414/2023, allegato 1).
// With a battery's curve, each year's energy is that of the year's capacity:
// the battery loses `degrado_batteria` a year and is replaced, at the price
// of that year, after `vita_batteria` years or `cicli_batteria` cycles,
// whichever comes first, unless less than half its life is left to the
// horizon (then the old one runs on, losing capacity).
// With `meteo`, each year's energy moves with its weather factor; without
// `conTir` the IRR is left empty (a Monte Carlo's draws need only NPV and
// payback, and the IRR's scan is most of the work).
Convenienza CalcolaConvenienza(const EnergiaAnno& energia, double potenza, double batteria,
                               const std::vector<Parametro>& parametri, const Famiglia& famiglia = {},
                               const CurvaBatteria* curva = nullptr, const MeteoDegliAnni* meteo = nullptr,
                               bool conTir = true);

// The figures of merit, as defined in W. Short, D. J. Packey and T. Holt, "A
// Manual for the Economic Evaluation of Energy Efficiency and Renewable
// Energy Technologies", NREL/TP-462-5173 (1995), ch. 4:
//   NPV  = sum over t = 0..N of F_t / (1 + d)^t               (net present value)
//   IRR  = the rate r at which sum F_t / (1 + r)^t = 0          (internal rate of return)
//   LCOE = sum C_t / (1 + d)^t  /  sum E_t / (1 + d)^t          (levelized cost,
//          C_t the costs without incentives, E_t the energy produced)
//   payback: the time T after which the cumulative sum of F_t (or of the
//   discounted F_t) stays at or above zero up to the horizon, interpolated
//   linearly within the year it last turns non-negative. A cumulative that
//   turns positive and falls back below zero (an inverter replaced) has not
//   paid back yet; one that ends below zero has no payback.

// A cost per unit read from a table of (size, cost per unit) in increasing
// size: linear between rows, the end rows' cost beyond them.
double CostoPerTaglia(const std::vector<std::pair<double, double>>& tabella, double taglia);

// NPV of a series of flows (t = 0, 1, ...) at rate r: sum of F_t / (1 + r)^t.
double ValoreAttuale(const std::vector<double>& flussi, double r);
// The rate at which NPV is zero, scanned over (-0.99, 10) and refined by
// bisection: where there are several (flows that change sign more than
// once), the highest at which NPV falls through zero as the rate rises.
// Empty when the flows never change sign or no root lies in the range. A
// negative rate is found as well (a plant that never repays its cost).
std::optional<double> TassoInterno(const std::vector<double>& flussi);
// The payback time [years] as defined above; empty when the cumulative does
// not stay non-negative by the last year.
std::optional<double> TempoDiRitorno(const std::vector<double>& flussi);

} // namespace fv
