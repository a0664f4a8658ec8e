// SPDX-License-Identifier: MIT
// What the plant is worth today: a yearly cash flow under the rules in force
// (energy not bought, export through the GSE's dedicated withdrawal, the
// renewable energy community's premium on shared energy, the home
// renovation tax deduction), with payback, NPV, IRR and LCOE.
#pragma once

#include "calc/bilancio.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fv {

// One economic parameter: its name (as the data file and the command line
// give it), value, unit, Italian description, source and date of validity,
// and the range a value must lie in.
struct Parametro {
    std::string nome;
    double valore = 0;
    std::string unita, descrizione, fonte, validita;
    double minimo = 0, massimo = 0;
    bool minimoEscluso = false, massimoEscluso = false;
    bool intero = false; // a whole number (years, a yes/no flag)
};

// The project's defaults, researched and dated (each with its source); a
// data file's table of parameters overrides them by name.
std::vector<Parametro> ParametriPredefiniti();

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
};
// The year's flows of a balance as the cash flow reads them.
EnergiaAnno EnergiaDelBilancio(const FlussiEnergia& anno);

// One year of the cash flow [EUR], t = 0 the investment.
struct AnnoFlusso {
    int anno = 0;
    double produzione = 0, coperto = 0, immessa = 0, prelevata = 0; // [kWh]
    double risparmio = 0, vendita = 0, premioComunita = 0, detrazione = 0;
    double costi = 0;   // investment (year 0), O&M, the inverter's replacement
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
    bool detrazioneApplicata = true;       // false when the community premium excludes it
};

// The cash flow of a plant of `potenza` kW with a battery of `batteria` kWh.
// Year 0: minus the investment. Year t: production scales by
// (1 - degradation)^(t-1) and with it the energy covered and exported;
// savings = covered x price x (1 + escalation)^(t-1); export at the greater
// of the zonal and the guaranteed minimum price, escalated alike; the
// community premium on the shared part of the export for its years; the
// deduction in equal instalments over its years on the expense up to its
// cap; minus O&M and the inverter's replacement in its year.
Convenienza CalcolaConvenienza(const EnergiaAnno& energia, double potenza, double batteria,
                               const std::vector<Parametro>& parametri);

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

// NPV of a series of flows (t = 0, 1, ...) at rate r: sum of F_t / (1 + r)^t.
double ValoreAttuale(const std::vector<double>& flussi, double r);
// The rate at which NPV is zero, by bisection on (-0.99, 10): empty when the
// flows never change sign or no root lies in the range. A negative rate is
// found as well (a plant that never repays its cost).
std::optional<double> TassoInterno(const std::vector<double>& flussi);
// The payback time [years] as defined above; empty when the cumulative does
// not stay non-negative by the last year.
std::optional<double> TempoDiRitorno(const std::vector<double>& flussi);

} // namespace fv
