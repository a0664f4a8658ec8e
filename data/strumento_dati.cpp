// SPDX-License-Identifier: MIT
// calcolo-fv-dati: the data tool. Converts a data file (Access or SQLite)
// into a new SQLite data.mdb, or makes one from the bundled dataset with the
// monthly rows of CSV files of one's own. Never modifies its inputs; writes
// its output beside it under a temporary name, then renames it into place.
#include "data/accesso.h"
#include "data/csv.h"
#include "calc/numeri.h"

#include <sqlite3.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kAiuto =
    "Uso: calcolo-fv-dati converti INGRESSO USCITA [--sovrascrivi]\n"
    "     calcolo-fv-dati crea USCITA [--radiazioni FILE.csv]... [--sovrascrivi]\n"
    "     calcolo-fv-dati --help\n"
    "\n"
    "converti  copia le tre tabelle di un file di dati di Access (.mdb, .accdb) o SQLite\n"
    "          in un nuovo file SQLite: colonne per nome, numeri identici al bit.\n"
    "crea      scrive i dati forniti con il programma, con le righe mensili dei file CSV\n"
    "          che sostituiscono o aggiungono le righe della stessa provincia e comune.\n"
    "          Il CSV: intestazione provincia;comune;gen;...;dic (punto e virgola o\n"
    "          virgola), numeri con punto o virgola decimale, UTF-8; valori in kWh/m²\n"
    "          al giorno, da 0 a 12; la provincia deve essere una sigla nota.\n"
    "\n"
    "I file d'ingresso non sono mai modificati; l'uscita è scritta per intero o per\n"
    "niente, e un file esistente è sostituito solo con --sovrascrivi.\n";

struct Errore : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where the dataset that the program is installed with lies: beside this
// tool in the build folder, or in the installed data folder.
fs::path DatiForniti()
{
    std::error_code e;
    const fs::path qui = fs::read_symlink("/proc/self/exe", e).parent_path();
    for (const fs::path& p : {qui / "data.mdb", qui / FV_DATI_DAL_PROGRAMMA / "data.mdb"}) {
        if (fs::is_regular_file(p, e))
            return p;
    }
    throw Errore("non trovo i dati forniti con il programma (data.mdb accanto al programma o in share/calcolo-fv).");
}

// The output's temporary name beside it, removed unless renamed into place.
class Temporaneo {
public:
    Temporaneo(const fs::path& uscita, bool sovrascrivi) : uscita_(uscita)
    {
        std::error_code e;
        if (fs::exists(uscita, e) && !sovrascrivi)
            throw Errore("il file «" + uscita.string() + "» esiste già: usare --sovrascrivi per sostituirlo.");
        percorso_ = uscita.string() + ".tmp-" + std::to_string(getpid());
        fs::remove(percorso_, e);
    }
    ~Temporaneo()
    {
        std::error_code e;
        if (!fatto_)
            fs::remove(percorso_, e);
    }
    const std::string& percorso() const { return percorso_; }
    void Sposta()
    {
        if (std::rename(percorso_.c_str(), uscita_.c_str()) != 0)
            throw Errore("impossibile scrivere «" + uscita_.string() + "»: " + std::strerror(errno) + ".");
        fatto_ = true;
    }

private:
    fs::path uscita_;
    std::string percorso_;
    bool fatto_ = false;
};

struct RigaRadiazione {
    std::string provincia, comune;
    double mesi[12];
};

double NumeroCsv(std::string testo, const std::string& dove, const std::string& colonna)
{
    double v = NAN;
    try {
        v = fv::LeggiNumeroFile(testo, fv::Campo::ComuneRadiazione);
    } catch (const fv::ErroreConversione&) {
    }
    if (!std::isfinite(v))
        throw Errore(dove + ": il valore di «" + colonna + "» non è un numero («" + testo + "»).");
    if (v < 0 || v > 12)
        throw Errore(dove + ": il valore di «" + colonna + "» è " + testo
                     + ", fuori dall'intervallo da 0 a 12 kWh/m² al giorno.");
    return v;
}

// The rows of one CSV file, every one checked; the first bad one stops all.
std::vector<RigaRadiazione> LeggiRadiazioni(const std::string& file, const std::set<std::string>& province)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw Errore("impossibile leggere «" + file + "».");
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string testo = ss.str();
    const std::string prima = testo.substr(0, testo.find('\n'));
    const char separatore = prima.find(';') != std::string::npos ? ';' : ',';
    const std::vector<fv::RigaCsv> righe = fv::LeggiCsv(testo, separatore);
    const fv::RigaCsv attesa = {"provincia", "comune", "gen", "feb", "mar", "apr", "mag", "giu",
                                "lug", "ago", "set", "ott", "nov", "dic"};
    if (righe.empty() || righe.front() != attesa)
        throw Errore(file + ", riga 1: l'intestazione deve essere provincia;comune;gen;...;dic.");
    std::vector<RigaRadiazione> letti;
    for (std::size_t r = 1; r < righe.size(); ++r) {
        const std::string dove = file + ", riga " + std::to_string(r + 1);
        const fv::RigaCsv& riga = righe[r];
        if (riga.size() != 14)
            throw Errore(dove + ": servono provincia, comune e dodici valori, ce ne sono " + std::to_string(riga.size()) + ".");
        if (!province.count(riga[0]))
            throw Errore(dove + ": la provincia «" + riga[0] + "» non è una sigla nota.");
        if (riga[1].empty())
            throw Errore(dove + ": manca il comune.");
        RigaRadiazione letta{riga[0], riga[1], {}};
        for (std::size_t m = 0; m < 12; ++m)
            letta.mesi[m] = NumeroCsv(riga[m + 2], dove, attesa[m + 2]);
        letti.push_back(letta);
    }
    return letti;
}

void Esegui(sqlite3* db, const std::string& sql)
{
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw Errore(std::string("errore del database: ") + sqlite3_errmsg(db) + ".");
}

void Crea(const std::string& uscita, const std::vector<std::string>& csv, bool sovrascrivi)
{
    Temporaneo temporaneo(uscita, sovrascrivi);
    fv::CopiaTabelle(DatiForniti().string(), temporaneo.percorso());
    sqlite3* db = nullptr;
    sqlite3_open(temporaneo.percorso().c_str(), &db);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> chiudi(db, sqlite3_close);
    std::set<std::string> province;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select distinct provincia from tblLatitudini", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        province.insert(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    Esegui(db, "begin");
    for (const std::string& file : csv) {
        for (const RigaRadiazione& r : LeggiRadiazioni(file, province)) {
            sqlite3_prepare_v2(db, "delete from tblRadiazioni where provincia = ?1 and comune = ?2", -1, &st, nullptr);
            sqlite3_bind_text(st, 1, r.provincia.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, r.comune.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(st);
            sqlite3_finalize(st);
            sqlite3_prepare_v2(db, "insert into tblRadiazioni values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)", -1, &st, nullptr);
            sqlite3_bind_text(st, 1, r.provincia.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, r.comune.c_str(), -1, SQLITE_TRANSIENT);
            for (int m = 0; m < 12; ++m)
                sqlite3_bind_double(st, m + 3, r.mesi[m]);
            const int esito = sqlite3_step(st);
            sqlite3_finalize(st);
            if (esito != SQLITE_DONE)
                throw Errore(std::string("errore del database: ") + sqlite3_errmsg(db) + ".");
        }
    }
    Esegui(db, "commit");
    temporaneo.Sposta();
}

void Converti(const std::string& ingresso, const std::string& uscita, bool sovrascrivi)
{
    std::error_code e;
    if (fs::exists(uscita, e) && fs::equivalent(ingresso, uscita, e))
        throw Errore("l'uscita non può essere lo stesso file dell'ingresso.");
    Temporaneo temporaneo(uscita, sovrascrivi);
    fv::CopiaTabelle(ingresso, temporaneo.percorso());
    temporaneo.Sposta();
}

int Principale(const std::vector<std::string>& a)
{
    if (a.empty() || a[0] == "--help" || a[0] == "-h") {
        std::cout << kAiuto;
        return a.empty() ? 2 : 0;
    }
    bool sovrascrivi = false;
    std::vector<std::string> posizionali, csv;
    for (std::size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "--sovrascrivi")
            sovrascrivi = true;
        else if (a[i] == "--radiazioni" && i + 1 < a.size())
            csv.push_back(a[++i]);
        else if (a[i].rfind("--", 0) == 0)
            throw Errore("opzione sconosciuta «" + a[i] + "» (vedere --help).");
        else
            posizionali.push_back(a[i]);
    }
    if (a[0] == "converti" && posizionali.size() == 2 && csv.empty())
        Converti(posizionali[0], posizionali[1], sovrascrivi);
    else if (a[0] == "crea" && posizionali.size() == 1)
        Crea(posizionali[0], csv, sovrascrivi);
    else
        throw Errore("comando o argomenti non validi (vedere --help).");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Principale(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "calcolo-fv-dati: " << e.what() << "\n";
        return 1;
    }
}
