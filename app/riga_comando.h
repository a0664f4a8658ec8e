// SPDX-License-Identifier: MIT
// The program's command line: --help, --version, and "calcola", which makes
// the window's picks and calculation without a window and prints the results
// (or writes them as CSV or PDF).
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace fv {

// Whether an argument selects the command line: a command ("calcola"),
// --help/-h or --version/-v.
bool ArgomentoDellaRigaDiComando(const char* argomento);

// argomenti: the arguments after the program's name. Returns the exit status:
// 0 on success; otherwise one Italian line has gone to `errori` and no file
// has been written. cartellaDati: where data.mdb is looked for, as for the window.
int EseguiRigaComando(const QStringList& argomenti, QTextStream& uscita, QTextStream& errori,
                      const QString& cartellaDati = {});

} // namespace fv
