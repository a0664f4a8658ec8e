// SPDX-License-Identifier: MIT
// The data tool's commands: converti and crea, their checks and their
// all-or-nothing output.
#include "data/strumento.h"

#include "data/parametri.h"

#include "calc/economia.h"
#include "calc/nomi.h"
#include "calc/numeri.h"
#include "data/accesso.h"
#include "data/csv.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fv {

namespace {

namespace fs = std::filesystem;

const char* const kAiuto =
    "Uso: calcolo-fv-dati converti INGRESSO USCITA [--sovrascrivi]\n"
    "     calcolo-fv-dati crea USCITA [--radiazioni FILE.csv]... [--parametri FILE.csv]... [--aggiungi-comuni]\n"
    "                          [--sovrascrivi]\n"
    "     calcolo-fv-dati --help\n"
    "\n"
    "converti  copia le tre tabelle di un file di dati di Access (.mdb, .accdb) o SQLite\n"
    "          in un nuovo file SQLite: colonne per nome, numeri identici al bit.\n"
    "crea      scrive i dati forniti con il programma, con le righe mensili dei file CSV\n"
    "          che sostituiscono quelle dello stesso comune.\n"
    "          Il CSV: intestazione provincia;comune;gen;...;dic (punto e virgola o\n"
    "          virgola), numeri con punto o virgola decimale, UTF-8; valori in kWh/m²\n"
    "          al giorno, da 0 a 12; la provincia deve essere una sigla nota e il comune\n"
    "          uno dei suoi, una sola volta. Con --aggiungi-comuni un comune che non c'è\n"
    "          è aggiunto invece che rifiutato.\n"
    "          --parametri: i parametri economici (intestazione nome;valore;unita;descrizione;\n"
    "          fonte;validita) che sostituiscono quelli dello stesso nome, ognuno nel suo intervallo;\n"
    "          validita è una data o un periodo aaaa-mm-gg/aaaa-mm-gg (.. per un estremo aperto): un\n"
    "          nome può avere una riga per periodo, senza sovrapposizioni né buchi.\n"
    "\n"
    "I file d'ingresso non sono mai modificati; l'uscita è scritta per intero o per\n"
    "niente, e un file esistente è sostituito solo con --sovrascrivi.\n"
    "Con --codice un errore è scritto come riga \"codice<TAB>file<TAB>tabella<TAB>colonna\"\n"
    "per un programma che la legge; lo stato d'uscita è il codice.\n";

// A mistake in the arguments or in a CSV row: its own sentence.
ErroreFileDati Rifiuto(CodiceDati codice, const std::string& testo, const std::string& file = {})
{
    return ErroreFileDati(codice, file, {}, {}, testo);
}

// The temporary output beside the real one: removed, with SQLite's journal,
// unless renamed into place; also when the tool is interrupted.
char gTemporaneo[4096];
volatile pid_t gFiglio = 0;

class Temporaneo {
public:
    Temporaneo(const fs::path& uscita, bool sovrascrivi) : uscita_(uscita)
    {
        std::error_code e;
        if (fs::exists(uscita, e) && !sovrascrivi)
            throw ErroreFileDati(CodiceDati::UscitaEsistente, uscita.string());
        percorso_ = uscita.string() + ".tmp-" + std::to_string(getpid());
        Rimuovi();
        std::snprintf(gTemporaneo, sizeof gTemporaneo, "%s", percorso_.c_str());
    }
    ~Temporaneo()
    {
        if (!fatto_)
            Rimuovi();
        gTemporaneo[0] = '\0';
    }
    Temporaneo(const Temporaneo&) = delete;
    Temporaneo& operator=(const Temporaneo&) = delete;
    const std::string& percorso() const { return percorso_; }
    const std::string nome() const { return uscita_.string(); }
    void Sposta()
    {
        if (std::rename(percorso_.c_str(), uscita_.c_str()) != 0)
            throw ErroreFileDati(CodiceDati::Scrittura, uscita_.string());
        fatto_ = true;
    }

private:
    void Rimuovi() const
    {
        std::error_code e;
        fs::remove(percorso_, e);
        fs::remove(percorso_ + "-journal", e);
    }
    fs::path uscita_;
    std::string percorso_;
    bool fatto_ = false;
};

// Reads `ingresso` into the new SQLite file `temporaneo` in a child process:
// a reader that dies on a damaged file (libmdb is C code reading untrusted
// bytes) ends the child only, and the tool says the file is damaged. The
// child's standard error is silenced: libmdb's notes on the pages it reads
// are English lines about its internals, not about the user's file.
void LeggiInFiglio(const std::string& ingresso, const std::string& temporaneo, const std::string& nomeUscita)
{
    int tubo[2];
    if (pipe(tubo) != 0)
        throw ErroreFileDati(CodiceDati::Scrittura, nomeUscita);
    std::fflush(nullptr);
    const pid_t figlio = fork();
    if (figlio < 0)
        throw ErroreFileDati(CodiceDati::Scrittura, nomeUscita);
    if (figlio == 0) {
        close(tubo[0]);
        const int nulla = open("/dev/null", O_WRONLY);
        if (nulla >= 0)
            dup2(nulla, STDERR_FILENO);
        int stato = static_cast<int>(CodiceDati::Danneggiato);
        std::string riga;
        try {
            CopiaTabelle(ingresso, temporaneo, nomeUscita);
            stato = 0;
        } catch (const ErroreFileDati& e) {
            stato = static_cast<int>(e.codice());
            riga = RigaCodice(e);
        } catch (...) {
            riga = RigaCodice(ErroreFileDati(CodiceDati::Danneggiato, ingresso));
        }
        if (!riga.empty() && write(tubo[1], riga.data(), riga.size()) < 0)
            stato = static_cast<int>(CodiceDati::Danneggiato);
        _exit(stato);
    }
    gFiglio = figlio;
    close(tubo[1]);
    std::string riga;
    char buffer[512];
    for (ssize_t n; (n = read(tubo[0], buffer, sizeof buffer)) > 0;)
        riga.append(buffer, std::size_t(n));
    close(tubo[0]);
    int stato = 0;
    while (waitpid(figlio, &stato, 0) < 0 && errno == EINTR) {
    }
    gFiglio = 0;
    if (WIFSIGNALED(stato))
        throw ErroreFileDati(CodiceDati::Danneggiato, ingresso);
    if (WEXITSTATUS(stato) != 0)
        throw DaRigaCodice(riga, WEXITSTATUS(stato), ingresso);
}

void Esegui(sqlite3* db, const std::string& sql, const std::string& nome)
{
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw ErroreFileDati(CodiceDati::Scrittura, nome);
}

bool Utf8Valido(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size() || (n == 2 && c < 0xC2))
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

std::string Rifilato(const std::string& s)
{
    const auto inizio = s.find_first_not_of(" \t");
    if (inizio == std::string::npos)
        return {};
    return s.substr(inizio, s.find_last_not_of(" \t") - inizio + 1);
}

struct RigaRadiazione {
    std::string provincia, comune;
    double mesi[12];
};

// The comuni of each province in the data.
using Comuni = std::map<std::string, std::vector<std::string>>;

double NumeroCsv(const std::string& testo, const std::string& dove, const std::string& colonna)
{
    double v = NAN;
    try {
        v = LeggiNumeroFile(testo, Campo::ComuneRadiazione);
    } catch (const ErroreConversione&) {
    }
    if (!std::isfinite(v))
        throw Rifiuto(CodiceDati::RigaNonValida, dove + ": il valore di «" + colonna + "» non è un numero («" + testo + "»).");
    if (v < 0 || v > 12)
        throw Rifiuto(CodiceDati::RigaNonValida, dove + ": il valore di «" + colonna + "» è «" + testo
                                                    + "», fuori dall'intervallo da 0 a 12 kWh/m² al giorno.");
    return v;
}

std::string Elenco(const std::vector<std::string>& nomi)
{
    std::string t;
    for (const std::string& n : nomi)
        t += (t.empty() ? "«" : ", «") + n + "»";
    return t;
}

// A CSV file's rows, `;`-separated where its first line has one, else `,`.
std::vector<RigaCsv> RigheCsv(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw ErroreFileDati(CodiceDati::FileMancante, file);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string testo = ss.str();
    const char separatore = testo.substr(0, testo.find('\n')).find(';') != std::string::npos ? ';' : ',';
    return LeggiCsv(testo, separatore);
}

// The rows of one CSV file, every one checked; the first bad one stops all.
// `visti` holds the comuni already given, in this file or an earlier one.
std::vector<RigaRadiazione> LeggiRadiazioni(const std::string& file, const Comuni& comuni, bool aggiungi,
                                            std::map<std::pair<std::string, std::string>, std::string>& visti)
{
    const std::vector<RigaCsv> righe = RigheCsv(file);
    const RigaCsv attesa = {"provincia", "comune", "gen", "feb", "mar", "apr", "mag", "giu",
                            "lug", "ago", "set", "ott", "nov", "dic"};
    if (righe.empty() || righe.front() != attesa)
        throw Rifiuto(CodiceDati::RigaNonValida, file + ", riga 1: l'intestazione deve essere provincia;comune;gen;...;dic.");
    std::vector<RigaRadiazione> letti;
    for (std::size_t r = 1; r < righe.size(); ++r) {
        const std::string dove = file + ", riga " + std::to_string(r + 1);
        const RigaCsv& riga = righe[r];
        for (const std::string& campo : riga) {
            if (!Utf8Valido(campo))
                throw Rifiuto(CodiceDati::RigaNonValida,
                             dove + ": il testo non è UTF-8 (salvare il file come «CSV UTF-8»).");
        }
        if (riga.size() != 14)
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": servono provincia, comune e 12 valori mensili, ce ne sono "
                                                        + std::to_string(riga.size() < 2 ? 0 : riga.size() - 2) + ".");
        const std::string provincia = Rifilato(riga[0]);
        const std::string comune = Rifilato(riga[1]);
        const auto elenco = comuni.find(provincia);
        if (elenco == comuni.end())
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": la provincia «" + provincia + "» non è una sigla nota.");
        if (comune.empty())
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": manca il comune.");
        const bool noto = std::find(elenco->second.begin(), elenco->second.end(), comune) != elenco->second.end();
        if (!noto && !aggiungi) {
            const std::vector<std::string> vicini = NomiVicini(comune, elenco->second);
            throw Rifiuto(CodiceDati::RigaNonValida,
                         dove + ": il comune «" + comune + "» non è tra quelli di " + provincia
                             + (vicini.empty() ? "" : " (forse " + Elenco(vicini) + "?)")
                             + "; per aggiungerlo usare --aggiungi-comuni.");
        }
        const auto [gia, nuovo] = visti.emplace(std::pair{provincia, comune}, dove);
        if (!nuovo)
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": il comune «" + comune + "» (" + provincia
                                                        + ") è già in " + gia->second + ".");
        RigaRadiazione letta{provincia, comune, {}};
        for (std::size_t m = 0; m < 12; ++m)
            letta.mesi[m] = NumeroCsv(riga[m + 2], dove, attesa[m + 2]);
        letti.push_back(letta);
    }
    return letti;
}

Comuni ComuniDelFile(sqlite3* db)
{
    Comuni comuni;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select provincia, comune from tblLatitudini union select provincia, comune from tblRadiazioni",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        const auto* c = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        if (p && c)
            comuni[p].push_back(c);
    }
    sqlite3_finalize(st);
    return comuni;
}

void Sostituisci(sqlite3* db, const RigaRadiazione& r, const std::string& nome)
{
    sqlite3_stmt* st = nullptr;
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
        throw ErroreFileDati(CodiceDati::Scrittura, nome);
}

} // namespace

// The rows of a CSV of economic parameters (nome;valore;unita;descrizione;
// fonte;validita, the last four optional), each a known name given once,
// with a value in its range read without a doubt about thousands, and a
// real date; the first bad one stops all.
std::vector<std::vector<std::string>> ParametriDaTesto(const std::string& testo, const std::string& file)
{
    const char separatore = testo.substr(0, testo.find('\n')).find(';') != std::string::npos ? ';' : ',';
    const std::vector<RigaCsv> righe = LeggiCsv(testo, separatore);
    if (righe.empty() || righe.front().size() < 2 || righe.front()[0] != "nome" || righe.front()[1] != "valore")
        throw Rifiuto(CodiceDati::RigaNonValida, file + ", riga 1: l'intestazione deve essere nome;valore;unita;descrizione;fonte;validita.");
    const std::vector<Parametro> dichiarati = DichiarazioniParametri();
    std::vector<Parametro> periodi;
    std::vector<std::vector<std::string>> letti;
    for (std::size_t r = 1; r < righe.size(); ++r) {
        const std::string dove = file + ", riga " + std::to_string(r + 1);
        std::vector<std::string> riga = righe[r];
        riga.resize(6);
        for (const std::string& campo : riga) {
            if (!Utf8Valido(campo))
                throw Rifiuto(CodiceDati::RigaNonValida, dove + ": il testo non è UTF-8.");
        }
        riga[0] = Rifilato(riga[0]);
        riga[5] = Rifilato(riga[5]);
        std::vector<Parametro> uno = dichiarati;
        try {
            Imposta(uno, riga[0], LeggiNumeroPersona(riga[1], Campo::Energia));
        } catch (const ErroreParametro& e) {
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": " + e.what());
        } catch (const ErroreAmbiguo& e) {
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": " + riga[0] + ": " + e.Spiegazione());
        } catch (const ErroreConversione&) {
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": il valore di «" + riga[0] + "» non è un numero («" + riga[1] + "»).");
        }
        Parametro p;
        p.nome = riga[0];
        if (!LeggiPeriodo(riga[5], p.dal, p.al))
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": la validità «" + riga[5]
                                                          + "» non è una data del calendario né un periodo (aaaa-mm-gg/aaaa-mm-gg, .. "
                                                            "per un estremo aperto).");
        // The same name twice with no period is the same rule given twice.
        if (std::any_of(periodi.begin(), periodi.end(), [&](const Parametro& x) {
                return x.nome == p.nome && x.dal.empty() && x.al.empty() && p.dal.empty() && p.al.empty();
            }))
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": «" + riga[0] + "» è già in una riga precedente senza periodo: "
                                                          "ogni parametro una volta sola, o una volta per periodo.");
        periodi.push_back(p);
        if (const std::string no = ControllaPeriodi(periodi); !no.empty())
            throw Rifiuto(CodiceDati::RigaNonValida, dove + ": " + no);
        letti.push_back(riga);
    }
    return letti;
}

namespace {

std::vector<std::vector<std::string>> LeggiParametri(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw ErroreFileDati(CodiceDati::FileMancante, file);
    std::stringstream ss;
    ss << in.rdbuf();
    return ParametriDaTesto(ss.str(), file);
}

// The file's rows of a name go (once per name: a name may have a row per period).
void TogliParametro(sqlite3* db, const std::string& nomeParametro)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "delete from tblParametri where nome = ?1", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, nomeParametro.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_finalize(st);
}

void SostituisciParametro(sqlite3* db, const std::vector<std::string>& r, const std::string& nome)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "insert into tblParametri (nome, valore, unita, descrizione, fonte, validita) values (?,?,?,?,?,?)",
                       -1, &st, nullptr);
    for (int c = 0; c < 6; ++c) {
        if (c == 1)
            sqlite3_bind_double(st, 2, LeggiNumeroFile(r[1], Campo::Energia));
        else
            sqlite3_bind_text(st, c + 1, r[std::size_t(c)].c_str(), -1, SQLITE_TRANSIENT);
    }
    const int esito = sqlite3_step(st);
    sqlite3_finalize(st);
    if (esito != SQLITE_DONE)
        throw ErroreFileDati(CodiceDati::Scrittura, nome);
}

void Crea(const std::string& datiForniti, const std::string& uscita, const std::vector<std::string>& csv,
          const std::vector<std::string>& parametri, bool aggiungi, bool sovrascrivi)
{
    std::error_code e;
    if (datiForniti.empty() || !fs::is_regular_file(datiForniti, e))
        throw ErroreFileDati(CodiceDati::DatiForniti, datiForniti);
    Temporaneo temporaneo(uscita, sovrascrivi);
    // The CSV files are read and checked whole before anything is written.
    LeggiInFiglio(datiForniti, temporaneo.percorso(), temporaneo.nome());
    sqlite3* db = nullptr;
    sqlite3_open(temporaneo.percorso().c_str(), &db);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> chiudi(db, sqlite3_close);
    const Comuni comuni = ComuniDelFile(db);
    std::map<std::pair<std::string, std::string>, std::string> visti;
    std::vector<RigaRadiazione> righe;
    for (const std::string& file : csv) {
        const std::vector<RigaRadiazione> lette = LeggiRadiazioni(file, comuni, aggiungi, visti);
        righe.insert(righe.end(), lette.begin(), lette.end());
    }
    std::vector<std::vector<std::string>> valori;
    for (const std::string& file : parametri) {
        const auto letti = LeggiParametri(file);
        valori.insert(valori.end(), letti.begin(), letti.end());
    }
    Esegui(db, "begin", temporaneo.nome());
    Esegui(db, "create table if not exists tblParametri (nome text collate nocase not null, unita text, descrizione text, "
               "fonte text, validita text, valore real)", temporaneo.nome());
    for (const RigaRadiazione& r : righe)
        Sostituisci(db, r, temporaneo.nome());
    std::set<std::string> tolti;
    for (const auto& r : valori)
        if (tolti.insert(r[0]).second)
            TogliParametro(db, r[0]);
    for (const auto& r : valori)
        SostituisciParametro(db, r, temporaneo.nome());
    Esegui(db, "commit", temporaneo.nome());
    temporaneo.Sposta();
}

void Converti(const std::string& ingresso, const std::string& uscita, bool sovrascrivi)
{
    std::error_code e;
    if (!fs::is_regular_file(ingresso, e))
        throw ErroreFileDati(CodiceDati::FileMancante, ingresso);
    if (fs::exists(uscita, e) && fs::equivalent(ingresso, uscita, e))
        throw Rifiuto(CodiceDati::Uso, "l'uscita non può essere lo stesso file dell'ingresso.");
    Temporaneo temporaneo(uscita, sovrascrivi);
    LeggiInFiglio(ingresso, temporaneo.percorso(), temporaneo.nome());
    temporaneo.Sposta();
}

} // namespace

int EseguiStrumentoDati(const std::vector<std::string>& a, std::ostream& uscita, std::ostream& errori,
                        const std::string& datiForniti)
{
    if (a.empty() || a[0] == "--help" || a[0] == "-h") {
        uscita << kAiuto;
        return a.empty() ? static_cast<int>(CodiceDati::Uso) : 0;
    }
    const bool codice = std::find(a.begin(), a.end(), "--codice") != a.end();
    try {
        bool sovrascrivi = false, aggiungi = false;
        std::vector<std::string> posizionali, csv, parametri;
        for (std::size_t i = 1; i < a.size(); ++i) {
            if (a[i] == "--sovrascrivi")
                sovrascrivi = true;
            else if (a[i] == "--aggiungi-comuni")
                aggiungi = true;
            else if (a[i] == "--codice")
                continue;
            else if (a[i] == "--radiazioni" && (i + 1 == a.size() || a[i + 1].rfind("--", 0) == 0))
                throw Rifiuto(CodiceDati::Uso, "manca il nome del file CSV dopo --radiazioni.");
            else if (a[i] == "--radiazioni")
                csv.push_back(a[++i]);
            else if (a[i] == "--parametri" && (i + 1 == a.size() || a[i + 1].rfind("--", 0) == 0))
                throw Rifiuto(CodiceDati::Uso, "manca il nome del file CSV dopo --parametri.");
            else if (a[i] == "--parametri")
                parametri.push_back(a[++i]);
            else if (a[i].rfind("--", 0) == 0)
                throw Rifiuto(CodiceDati::Uso, "opzione sconosciuta «" + a[i] + "» (vedere --help).");
            else
                posizionali.push_back(a[i]);
        }
        if (a[0] == "converti" && posizionali.size() == 2 && csv.empty() && parametri.empty() && !aggiungi)
            Converti(posizionali[0], posizionali[1], sovrascrivi);
        else if (a[0] == "crea" && posizionali.size() == 1)
            Crea(datiForniti, posizionali[0], csv, parametri, aggiungi, sovrascrivi);
        else
            throw Rifiuto(CodiceDati::Uso, "comando o argomenti non validi (vedere --help).");
        return 0;
    } catch (const ErroreFileDati& e) {
        if (codice)
            errori << RigaCodice(e) << "\n";
        else
            errori << "calcolo-fv-dati: " << e.what() << "\n";
        return static_cast<int>(e.codice());
    }
}

} // namespace fv

// The interrupted tool leaves nothing: the temporary output and its journal
// go, and the reading child with them. Only async-signal-safe calls here.
extern "C" void FvStrumentoInterrotto(int)
{
    if (fv::gFiglio > 0)
        kill(fv::gFiglio, SIGKILL);
    if (fv::gTemporaneo[0] != '\0') {
        unlink(fv::gTemporaneo);
        char journal[sizeof fv::gTemporaneo + 8];
        std::size_t n = std::strlen(fv::gTemporaneo);
        std::memcpy(journal, fv::gTemporaneo, n);
        std::memcpy(journal + n, "-journal", 9);
        unlink(journal);
    }
    static const char kMessaggio[] = "calcolo-fv-dati: interrotto: nessun file scritto.\n";
    if (write(STDERR_FILENO, kMessaggio, sizeof kMessaggio - 1) < 0) {
    }
    _exit(static_cast<int>(fv::CodiceDati::Interrotto));
}
