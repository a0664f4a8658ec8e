// SPDX-License-Identifier: MIT
// The numbers a request takes, each declared once: its command-line
// spelling, unit, accepted range, default, decimals and the dialog's
// settings key. The command line reads and checks them from here, the
// analysis checks them, the dialog builds its fields and remembers them.
#pragma once

#include <string_view>
#include <vector>

namespace fv {

struct OpzioneNumero {
    const char* nome;    // --nome on the command line
    const char* unita;   // shown after the value
    double minimo, massimo;
    double predefinito;
    int decimali;        // as the dialog shows it
    const char* chiave;  // the dialog's settings key
    bool intero = false; // a whole number
};

const std::vector<OpzioneNumero>& OpzioniNumero();
// The declaration of an option by its command-line name; a name not
// declared is a programming error (std::logic_error).
const OpzioneNumero& Dichiarata(std::string_view nome);

} // namespace fv
