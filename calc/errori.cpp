// SPDX-License-Identifier: MIT
// The typed errors of the computation.
#include "calc/errori.h"

#include <utility>

namespace fv {

ErroreConversione::ErroreConversione(Campo campo, std::string testo, Motivo motivo)
    : Errore("conversion error: '" + testo + "'"), campo_(campo), testo_(std::move(testo)),
      motivo_(motivo)
{
}

ErroreOverflow::ErroreOverflow(Campo campo, std::string testo)
    : Errore("overflow: '" + testo + "'"), campo_(campo), testo_(std::move(testo))
{
}

ErroreIntervallo::ErroreIntervallo(Campo campo, std::string testo, double minimo, double massimo,
                                   bool minimoEscluso)
    : Errore("out of range: '" + testo + "'"), campo_(campo), testo_(std::move(testo)),
      minimo_(minimo), massimo_(massimo), minimoEscluso_(minimoEscluso)
{
}

ErroreSerenita::ErroreSerenita(int mese, double KT)
    : Errore("clearness index out of (0, 1] in month " + std::to_string(mese)), mese_(mese), KT_(KT)
{
}

ErroreAritmetico::ErroreAritmetico(int mese, Passo passo, Tipo tipo)
    : Errore("arithmetic error in month " + std::to_string(mese) + ", step "
             + std::to_string(static_cast<int>(passo))),
      mese_(mese), passo_(passo), tipo_(tipo)
{
}

ErroreCampoVuoto::ErroreCampoVuoto(Campo campo)
    : Errore("empty input " + std::to_string(static_cast<int>(campo))), campo_(campo)
{
}

ErroreIndice::ErroreIndice(std::string tabella, int indice)
    : Errore("index " + std::to_string(indice) + " outside " + tabella), indice_(indice)
{
}

} // namespace fv
