// SPDX-License-Identifier: MIT
// Access files read with libmdb, values from their stored bytes.
#include "data/accesso.h"

// glib first: mdbtools.h includes it inside an extern "C" block, where its
// C++ templates cannot stand.
#include <glib.h>
#include <mdbtools.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <strings.h>
#include <variant>
#include <vector>

namespace fv {

namespace {

struct Tabella {
    const char* nome;
    std::vector<const char*> testi;  // text columns
    std::vector<const char*> numeri; // double columns
    bool facoltativa = false;        // copied when present (the map's longitudes)
};

const Tabella kTabelle[] = {
    {"tblLatitudini", {"provincia", "comune"}, {"latitudine"}},
    {"tblRadiazioni", {"provincia", "comune"},
     {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"}},
    {"tblRiflettanza", {"superficie"}, {"riflettanza"}},
    {"tblCoordinate", {"provincia", "comune"}, {"longitudine"}, true},
};

using Valore = std::optional<std::variant<double, std::string>>;

[[noreturn]] void Manca(const std::string& file, const std::string& tabella, const char* colonna = nullptr)
{
    if (colonna)
        throw std::runtime_error("Nel file «" + file + "» la tabella " + tabella + " non ha la colonna «"
                                 + colonna + "».");
    throw std::runtime_error("Nel file «" + file + "» manca la tabella " + tabella + ".");
}

// The output file: the three tables as the program's data file has them,
// every column nullable so that a NULL stays a NULL.
class Uscita {
public:
    explicit Uscita(const std::string& percorso)
    {
        if (sqlite3_open_v2(percorso.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK)
            throw std::runtime_error("Impossibile creare il file «" + percorso + "».");
        Esegui("begin");
        for (const Tabella& t : kTabelle) {
            // Appended piece by piece: GCC 12 at -O3 misreads a chain of +.
            std::string sql = "create table ";
            sql.append(t.nome).append(" (");
            for (const char* c : t.testi)
                sql.append(c).append(" text collate nocase,");
            for (const char* c : t.numeri)
                sql.append("\"").append(c).append("\" real,");
            sql.back() = ')';
            Esegui(sql);
        }
    }
    ~Uscita() { sqlite3_close(db_); }
    Uscita(const Uscita&) = delete;
    Uscita& operator=(const Uscita&) = delete;

    void Esegui(const std::string& sql)
    {
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("Errore del database in uscita: ") + sqlite3_errmsg(db_) + ".");
    }
    // Inserts one row of a table, its columns in the table's order.
    void Inserisci(const Tabella& t, const std::vector<Valore>& riga)
    {
        sqlite3_stmt* st = nullptr;
        std::string sql = std::string("insert into ") + t.nome + " values (";
        for (std::size_t i = 0; i < riga.size(); ++i)
            sql += i ? ",?" : "?";
        sql += ")";
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        for (std::size_t i = 0; i < riga.size(); ++i) {
            const int p = static_cast<int>(i) + 1;
            if (!riga[i])
                sqlite3_bind_null(st, p);
            else if (const double* d = std::get_if<double>(&*riga[i]))
                sqlite3_bind_double(st, p, *d);
            else {
                const std::string& s = std::get<std::string>(*riga[i]);
                sqlite3_bind_text(st, p, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            }
        }
        const int esito = sqlite3_step(st);
        sqlite3_finalize(st);
        if (esito != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    void Chiudi()
    {
        Esegui("create index idxLatProvinciaComune on tblLatitudini (provincia, comune)");
        Esegui("create index idxRadProvinciaComune on tblRadiazioni (provincia, comune)");
        Esegui("commit");
        // An SQLite input was attached for the copy; an Access one was not.
        sqlite3_exec(db_, "detach database ingresso", nullptr, nullptr, nullptr);
    }
    sqlite3* db() { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// A stored number: the bytes themselves, never a formatted text.
Valore Numero(const MdbHandle* mdb, const MdbColumn* c, const char* testo)
{
    const int n = c->cur_value_len;
    if (n <= 0 || c->cur_value_start < 0 || c->cur_value_start + n > MDB_PGSIZE)
        return std::nullopt;
    // libmdb's two fields of a Numeric(p, s) hold p and s the other way round
    // from their names; the scale is never above the precision.
    const int scala = std::min(c->col_scale, c->col_prec);
    if (const std::optional<double> v = NumeroMemorizzato(c->col_type, mdb->pg_buf + c->cur_value_start, n, scala))
        return *v;
    switch (c->col_type) {
    case MDB_DOUBLE: case MDB_FLOAT: case MDB_BYTE: case MDB_INT: case MDB_LONGINT: case MDB_MONEY: case MDB_NUMERIC:
        return std::nullopt; // a number of the wrong length: damaged
    default: return std::string(testo); // another type: its text, read as a number by the program
    }
}

struct ChiudiMdb {
    void operator()(MdbHandle* m) const { mdb_close(m); }
};
struct ChiudiTabella {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};

void CopiaTabellaAccesso(MdbHandle* mdb, const std::string& file, const Tabella& t, Uscita& uscita)
{
    MdbTableDef* trovata = nullptr;
    for (unsigned int i = 0; mdb->catalog && i < mdb->catalog->len && !trovata; ++i) {
        auto* voce = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (voce->object_type == MDB_TABLE && strcasecmp(voce->object_name, t.nome) == 0)
            trovata = mdb_read_table(voce);
    }
    if (!trovata && t.facoltativa)
        return;
    if (!trovata)
        Manca(file, t.nome);
    const std::unique_ptr<MdbTableDef, ChiudiTabella> tabella(trovata);
    if (!mdb_read_columns(tabella.get()) || !tabella->columns || tabella->columns->len < tabella->num_cols)
        throw std::runtime_error("Il file «" + file + "» è danneggiato: la tabella " + t.nome + " non si lascia leggere.");
    mdb_rewind_table(tabella.get());
    std::vector<const char*> nomi = t.testi;
    nomi.insert(nomi.end(), t.numeri.begin(), t.numeri.end());
    std::vector<int> indici;
    for (const char* nome : nomi) {
        int indice = -1;
        for (unsigned int i = 0; i < tabella->num_cols; ++i) {
            if (strcasecmp(static_cast<MdbColumn*>(g_ptr_array_index(tabella->columns, i))->name, nome) == 0)
                indice = static_cast<int>(i);
        }
        if (indice < 0)
            Manca(file, t.nome, nome);
        indici.push_back(indice);
    }
    std::vector<std::vector<char>> buffer(nomi.size(), std::vector<char>(MDB_BIND_SIZE + 1));
    std::vector<int> lunghezze(nomi.size());
    for (std::size_t i = 0; i < nomi.size(); ++i)
        mdb_bind_column(tabella.get(), indici[i] + 1, buffer[i].data(), &lunghezze[i]);
    while (mdb_fetch_row(tabella.get())) {
        std::vector<Valore> riga;
        for (std::size_t i = 0; i < nomi.size(); ++i) {
            const auto* c = static_cast<MdbColumn*>(g_ptr_array_index(tabella->columns, unsigned(indici[i])));
            if (i < t.testi.size())
                riga.push_back(c->cur_value_len > 0 ? Valore(std::string(buffer[i].data())) : std::nullopt);
            else
                riga.push_back(Numero(mdb, c, buffer[i].data()));
        }
        uscita.Inserisci(t, riga);
    }
}

void CopiaDaAccesso(const std::string& ingresso, Uscita& uscita)
{
    const std::unique_ptr<MdbHandle, ChiudiMdb> mdb(mdb_open(ingresso.c_str(), MDB_NOFLAGS));
    if (!mdb || !mdb_read_catalog(mdb.get(), MDB_TABLE))
        throw std::runtime_error("Il file «" + ingresso + "» è danneggiato o non è un file di Access leggibile.");
    for (const Tabella& t : kTabelle)
        CopiaTabellaAccesso(mdb.get(), ingresso, t, uscita);
}

// From an SQLite file: attached read-only, each table copied by column name.
void CopiaDaSqlite(const std::string& ingresso, Uscita& uscita)
{
    char* uri = sqlite3_mprintf("file:%q?mode=ro", ingresso.c_str());
    const std::string attacca = "attach database '" + std::string(uri) + "' as ingresso";
    sqlite3_free(uri);
    uscita.Esegui(attacca);
    for (const Tabella& t : kTabelle) {
        std::string colonne;
        for (const auto* elenco : {&t.testi, &t.numeri}) {
            for (const char* c : *elenco)
                colonne += std::string(colonne.empty() ? "\"" : ",\"") + c + "\"";
        }
        const std::string copia =
            std::string("insert into main.") + t.nome + " select " + colonne + " from ingresso." + t.nome;
        if (sqlite3_exec(uscita.db(), copia.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
            continue;
        const std::string errore = sqlite3_errmsg(uscita.db());
        const std::string colonna = "no such column: ";
        if (errore.find("no such table") != std::string::npos && t.facoltativa)
            continue;
        if (errore.find("no such table") != std::string::npos)
            Manca(ingresso, t.nome);
        if (errore.rfind(colonna, 0) == 0)
            Manca(ingresso, t.nome, errore.substr(colonna.size()).c_str());
        throw std::runtime_error("Il file «" + ingresso + "» è danneggiato o non è un file di dati (" + errore + ").");
    }
}

} // namespace

std::optional<double> NumeroMemorizzato(int tipo, const unsigned char* dati, int lunghezza, int scala)
{
    const auto intero = [&](auto esempio) {
        decltype(esempio) i{};
        std::memcpy(&i, dati, sizeof i); // little-endian, as the file and this machine store it
        return i;
    };
    switch (tipo) {
    case MDB_DOUBLE: if (lunghezza == 8) return intero(double{}); break;
    case MDB_FLOAT: if (lunghezza == 4) return double(intero(float{})); break;
    case MDB_BYTE: if (lunghezza == 1) return double(dati[0]); break;
    case MDB_INT: if (lunghezza == 2) return double(intero(std::int16_t{})); break;
    case MDB_LONGINT: if (lunghezza == 4) return double(intero(std::int32_t{})); break;
    case MDB_MONEY: // a signed count of 1/10000
        if (lunghezza == 8) return double(intero(std::int64_t{})) / 10000.0;
        break;
    case MDB_NUMERIC: {
        // A sign byte, then the unscaled integer as four 32-bit little-endian
        // words, the most significant first; exact below 2^53, as any
        // radiation or latitude is.
        if (lunghezza != 17 || scala < 0 || scala > 28)
            break;
        double intero128 = 0;
        for (int w = 0; w < 4; ++w) {
            std::uint32_t parola = 0;
            std::memcpy(&parola, dati + 1 + 4 * w, 4);
            intero128 = intero128 * 4294967296.0 + parola;
        }
        double potenza = 1;
        for (int i = 0; i < scala; ++i)
            potenza *= 10;
        return (dati[0] ? -intero128 : intero128) / potenza;
    }
    default: break;
    }
    return std::nullopt;
}

bool FileAccesso(const std::string& percorso)
{
    std::ifstream in(percorso, std::ios::binary);
    char testa[19] = {};
    in.read(testa, sizeof testa);
    return in.gcount() == sizeof testa
           && (std::memcmp(testa + 4, "Standard Jet DB", 15) == 0 || std::memcmp(testa + 4, "Standard ACE DB", 15) == 0);
}

void CopiaTabelle(const std::string& ingresso, const std::string& uscita)
{
    {
        std::ifstream prova(ingresso, std::ios::binary);
        if (!prova)
            throw std::runtime_error("Il file «" + ingresso + "» non esiste o non è leggibile.");
    }
    Uscita u(uscita);
    if (FileAccesso(ingresso))
        CopiaDaAccesso(ingresso, u);
    else
        CopiaDaSqlite(ingresso, u);
    u.Chiudi();
}

} // namespace fv
