// SPDX-License-Identifier: MIT
// The data tool's work as a library, so that tests run it in process:
// converti (a data file, Access or SQLite, into a new SQLite data.mdb) and
// crea (the bundled data with monthly rows of one's own). Plain C++.
#pragma once

#include "data/file_dati.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace fv {

// Runs the tool on its arguments (those after the program's name): 0 on
// success, else the CodiceDati of the failure with one line on `errori`:
// the Italian sentence, or with --codice the line RigaCodice gives, for a
// program that reads it. Inputs are read in a child process, so that a
// reader that dies on a damaged file ends only the child; the output is
// written under a temporary name and renamed into place only once whole.
// `datiForniti`: the bundled data.mdb for crea.
int EseguiStrumentoDati(const std::vector<std::string>& argomenti, std::ostream& uscita, std::ostream& errori,
                        const std::string& datiForniti);

// The rows of a parameters CSV (`file` names it in messages), checked;
// throws ErroreFileDati with the line of the first bad row.
std::vector<std::vector<std::string>> ParametriDaTesto(const std::string& testo, const std::string& file);

} // namespace fv

// The handler of SIGINT and SIGTERM the tool installs: removes the temporary
// output and its journal, ends the reading child, exits with Interrotto.
extern "C" void FvStrumentoInterrotto(int segnale);
