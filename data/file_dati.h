// SPDX-License-Identifier: MIT
// What the program and the data tool share about data files, in plain C++:
// how an Access file is recognised, and the typed outcome of reading or
// writing one (the data tool's exit status).
#pragma once

#include <stdexcept>
#include <string>

namespace fv {

// Whether the file starts as an Access file does ("Standard Jet DB" or
// "Standard ACE DB" at byte 4): recognised by its header, never by its name.
bool FileAccesso(const std::string& percorso);

// Why a data file could not be read or written. The data tool exits with the
// number; the program turns each into its own Italian sentence.
enum class CodiceDati : int {
    Riuscito = 0,
    Uso = 2,             // the tool's command line itself
    FileMancante = 3,    // the input does not exist or cannot be read
    NonDati = 4,         // neither an Access nor an SQLite data file
    TabellaMancante = 5, // a table the program reads is missing
    ColonnaMancante = 6, // a column the program reads is missing
    Danneggiato = 7,     // damaged: the reader refused it, or died reading it
    UscitaEsistente = 8, // the output exists and --sovrascrivi was not given
    Scrittura = 9,       // the output cannot be written
    DatiForniti = 10,    // the data installed with the program are not found
    RigaNonValida = 11,  // a row of a CSV file refused
    Interrotto = 12,     // stopped by the user (Ctrl+C)
    // Seen only by the program that runs the tool:
    NonAvviato = 13,     // the tool could not be started
    TempoScaduto = 14,   // the tool did not finish in time and was stopped
};

// A typed failure on a data file: the file it concerns (the real one, never a
// temporary name), and the table and column where they matter. what() is the
// data tool's own Italian sentence for its terminal.
class ErroreFileDati : public std::runtime_error {
public:
    ErroreFileDati(CodiceDati codice, std::string file, std::string tabella = {}, std::string colonna = {},
                   const std::string& testo = {});
    CodiceDati codice() const noexcept { return codice_; }
    const std::string& file() const noexcept { return file_; }
    const std::string& tabella() const noexcept { return tabella_; }
    const std::string& colonna() const noexcept { return colonna_; }

private:
    CodiceDati codice_;
    std::string file_, tabella_, colonna_;
};

// The line the data tool writes on standard error for a program that runs it
// (with --codice), and its reading back: "codice\tfile\ttabella\tcolonna".
std::string RigaCodice(const ErroreFileDati& e);
ErroreFileDati DaRigaCodice(const std::string& riga, int stato, const std::string& file);

} // namespace fv
