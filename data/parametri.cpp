// SPDX-License-Identifier: MIT
// The dataset's parameters, read from the text built into the program.
#include "data/parametri.h"

#include "calc/numeri.h"
#include "data/csv.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace fv {

extern const char* const kParametriCsv;  // generated from data/dataset/parametri.csv
extern const char* const kIntervalliCsv; // generated from data/dataset/intervalli.csv

std::vector<Parametro> ParametriDaCsv(const std::string& testo, const std::string& file)
{
    const std::vector<RigaCsv> righe = LeggiCsv(testo, ',');
    if (righe.empty() || righe.front() != RigaCsv{"nome", "valore", "dal", "al", "fonte"})
        throw std::runtime_error(file + ": l'intestazione deve essere nome,valore,dal,al,fonte.");
    const std::vector<Parametro> dichiarati = DichiarazioniParametri();
    std::vector<Parametro> esito;
    for (std::size_t r = 1; r < righe.size(); ++r) {
        const RigaCsv& c = righe[r];
        const std::string dove = file + ", riga " + std::to_string(r + 1) + ": ";
        const auto d = std::find_if(dichiarati.begin(), dichiarati.end(), [&](const Parametro& p) { return c.size() == 5 && p.nome == c[0]; });
        if (d == dichiarati.end())
            throw std::runtime_error(dove + "parametro sconosciuto o riga incompleta.");
        Parametro p = *d;
        try {
            p.valore = LeggiNumeroFile(c[1], Campo::Energia);
        } catch (const ErroreConversione&) {
            throw std::runtime_error(dove + "«" + c[1] + "» non è un numero.");
        }
        std::vector<Parametro> prova = {p};
        Imposta(prova, p.nome, p.valore); // in its range, or ErroreParametro
        if (!LeggiPeriodo(c[2].empty() && c[3].empty() ? std::string() : (c[2].empty() ? ".." : c[2]) + "/" + (c[3].empty() ? ".." : c[3]),
                          p.dal, p.al))
            throw std::runtime_error(dove + "periodo non valido («" + c[2] + "», «" + c[3] + "»).");
        p.fonte = c[4];
        esito.push_back(p);
    }
    if (const std::string no = ControllaPeriodi(esito); !no.empty())
        throw std::runtime_error(file + ": " + no);
    return esito;
}

std::vector<Parametro> ParametriPredefiniti() { return ParametriDaCsv(kParametriCsv, "parametri.csv"); }

const std::vector<IntervalloParametro>& IntervalliPredefiniti()
{
    static const std::vector<IntervalloParametro> intervalli = [] {
        const std::vector<RigaCsv> righe = LeggiCsv(kIntervalliCsv, ',');
        if (righe.empty() || righe.front() != RigaCsv{"nome", "basso", "alto", "fonte"})
            throw std::runtime_error("intervalli.csv: l'intestazione deve essere nome,basso,alto,fonte.");
        std::vector<IntervalloParametro> v;
        for (std::size_t r = 1; r < righe.size(); ++r) {
            const RigaCsv& c = righe[r];
            if (c.size() != 4)
                throw std::runtime_error("intervalli.csv, riga " + std::to_string(r + 1) + ": servono 4 campi.");
            v.push_back({c[0], LeggiNumeroFile(c[1], Campo::Energia), LeggiNumeroFile(c[2], Campo::Energia), c[3]});
        }
        VerificaIntervalli(v);
        return v;
    }();
    return intervalli;
}

std::string ControllaPeriodi(const std::vector<Parametro>& righe)
{
    std::map<std::string, std::vector<const Parametro*>> perNome;
    for (const Parametro& p : righe)
        perNome[p.nome].push_back(&p);
    for (auto& [nome, lista] : perNome) {
        if (lista.size() < 2)
            continue;
        // Sorted by start, an open start first; each period must begin the day after the one before ends.
        std::sort(lista.begin(), lista.end(), [](const Parametro* a, const Parametro* b) { return a->dal < b->dal; });
        for (std::size_t i = 1; i < lista.size(); ++i) {
            const Parametro& prima = *lista[i - 1];
            const Parametro& dopo = *lista[i];
            if (prima.al.empty() || dopo.dal.empty() || dopo.dal <= prima.al)
                return "le regole di «" + nome + "» si sovrappongono (" + PeriodoLeggibile(prima) + "; " + PeriodoLeggibile(dopo) + ").";
            if (!GiornoDopo(prima.al, dopo.dal))
                return "tra le regole di «" + nome + "» manca un periodo (" + PeriodoLeggibile(prima) + "; " + PeriodoLeggibile(dopo) + ").";
        }
    }
    return {};
}

} // namespace fv
