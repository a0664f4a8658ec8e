// SPDX-License-Identifier: MIT
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

ErroreAritmetico::ErroreAritmetico(int mese, Passo passo, Tipo tipo)
    : Errore("arithmetic error in month " + std::to_string(mese) + ", step "
             + std::to_string(static_cast<int>(passo))),
      mese_(mese), passo_(passo), tipo_(tipo)
{
}

ErroreIndice::ErroreIndice(std::string tabella, int indice)
    : Errore("index " + std::to_string(indice) + " outside " + tabella), indice_(indice)
{
}

} // namespace fv
