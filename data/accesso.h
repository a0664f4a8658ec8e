// SPDX-License-Identifier: MIT
// A data file's three tables copied into a new SQLite file: from a Microsoft
// Access file (Jet 4 .mdb, ACE .accdb, read with libmdb) or from an SQLite
// file. Columns are found by name, other tables and columns are ignored;
// doubles come over bit for bit, texts as UTF-8, NULL as NULL. The input is
// opened read-only. Plain C++: the data tool runs it, so that a damaged file
// can only end the tool, never the window.
#pragma once

#include "data/file_dati.h"

#include <optional>
#include <string>

namespace fv {

// A number as a column of libmdb type `tipo` stores it (`lunghezza` bytes,
// `scala` decimals of a Numeric): Double, Single, Byte, Integer, Long
// Integer, Currency and Numeric(p, s). Empty for another type or a length
// that is not the type's.
std::optional<double> NumeroMemorizzato(int tipo, const unsigned char* dati, int lunghezza, int scala);

// Writes the three tables of `ingresso` into the new SQLite file `uscita`
// (which must not exist), and the longitudes of the map when it has them.
// Throws ErroreFileDati naming the input, or the output by `nomeUscita` (the
// user's name for it, when `uscita` is a temporary file), and the table or
// column when one is missing.
void CopiaTabelle(const std::string& ingresso, const std::string& uscita, const std::string& nomeUscita = {});

} // namespace fv
