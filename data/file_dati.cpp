// SPDX-License-Identifier: MIT
// Data files: the Access header, and the typed failures of reading and writing them.
#include "data/file_dati.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace fv {

namespace {

std::string Frase(CodiceDati codice, const std::string& file, const std::string& tabella, const std::string& colonna)
{
    switch (codice) {
    case CodiceDati::FileMancante: return "il file «" + file + "» non esiste o non è leggibile.";
    case CodiceDati::NonDati: return "il file «" + file + "» non è un file di dati di Access né di SQLite.";
    case CodiceDati::TabellaMancante: return "nel file «" + file + "» manca la tabella " + tabella + ".";
    case CodiceDati::ColonnaMancante:
        return "nel file «" + file + "» la tabella " + tabella + " non ha la colonna «" + colonna + "».";
    case CodiceDati::Danneggiato: return "il file «" + file + "» è danneggiato: non si lascia leggere.";
    case CodiceDati::UscitaEsistente:
        return "il file «" + file + "» esiste già: usare --sovrascrivi per sostituirlo.";
    case CodiceDati::Scrittura: return "impossibile scrivere il file «" + file + "».";
    case CodiceDati::DatiForniti:
        return "non trovo i dati forniti con il programma (data.mdb accanto al programma o in share/calcolo-fv).";
    case CodiceDati::Interrotto: return "interrotto: nessun file scritto.";
    case CodiceDati::NonAvviato:
    case CodiceDati::TempoScaduto:
    case CodiceDati::Uso:
    case CodiceDati::RigaNonValida:
    case CodiceDati::Riuscito: break;
    }
    return {};
}

} // namespace

bool FileAccesso(const std::string& percorso)
{
    std::ifstream in(percorso, std::ios::binary);
    char testa[19] = {};
    in.read(testa, sizeof testa);
    return in.gcount() == sizeof testa
           && (std::memcmp(testa + 4, "Standard Jet DB", 15) == 0 || std::memcmp(testa + 4, "Standard ACE DB", 15) == 0);
}

ErroreFileDati::ErroreFileDati(CodiceDati codice, std::string file, std::string tabella, std::string colonna,
                               const std::string& testo)
    : std::runtime_error(testo.empty() ? Frase(codice, file, tabella, colonna) : testo), codice_(codice),
      file_(std::move(file)), tabella_(std::move(tabella)), colonna_(std::move(colonna))
{
}

std::string RigaCodice(const ErroreFileDati& e)
{
    return std::to_string(static_cast<int>(e.codice())) + '\t' + e.file() + '\t' + e.tabella() + '\t' + e.colonna();
}

ErroreFileDati DaRigaCodice(const std::string& riga, int stato, const std::string& file)
{
    std::vector<std::string> campi;
    std::istringstream in(riga);
    for (std::string c; std::getline(in, c, '\t');)
        campi.push_back(c);
    campi.resize(4);
    int codice = stato;
    try {
        codice = campi[0].empty() ? stato : std::stoi(campi[0]);
    } catch (const std::exception&) {
    }
    const auto c = static_cast<CodiceDati>(codice);
    return ErroreFileDati(c, campi[1].empty() ? file : campi[1], campi[2], campi[3]);
}

} // namespace fv
