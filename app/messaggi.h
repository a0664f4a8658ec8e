// SPDX-License-Identifier: MIT
// The one place where errors become the Italian sentences the user reads.
#pragma once

#include "calc/errori.h"
#include "calc/numeri.h"

#include <QString>

#include <exception>

namespace fv {

inline constexpr const char* kTitolo = "CALCOLO ENERGIA FOTOVOLTAICO";

// The caption of the control that shows a field, as the user sees it.
QString DidascaliaCampo(Campo campo);

// One sentence naming the error and where it happened. fileDati names the
// data file when the error itself does not.
QString MessaggioErrore(const std::exception_ptr& errore, const FormatoNumeri& formato,
                        const QString& fileDati);

} // namespace fv
