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
#include <filesystem>
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
    {"tblFonti", {"tabella", "fonte"}, {}, true},
    {"tblParametri", {"nome", "unita", "descrizione", "fonte", "validita"}, {"valore"}, true},
};

using Valore = std::optional<std::variant<double, std::string>>;

[[noreturn]] void Manca(const std::string& file, const std::string& tabella, const char* colonna = nullptr)
{
    if (colonna)
        throw ErroreFileDati(CodiceDati::ColonnaMancante, file, tabella, colonna);
    throw ErroreFileDati(CodiceDati::TabellaMancante, file, tabella);
}

// The output file: the three tables as the program's data file has them,
// every column nullable so that a NULL stays a NULL.
class Uscita {
public:
    // percorso: where it is written; nome: the file the user named, for messages.
    Uscita(const std::string& percorso, std::string nome) : nome_(std::move(nome))
    {
        if (sqlite3_open_v2(percorso.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK)
            throw ErroreFileDati(CodiceDati::Scrittura, nome_);
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
            throw ErroreFileDati(CodiceDati::Scrittura, nome_);
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
            throw ErroreFileDati(CodiceDati::Scrittura, nome_);
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
            throw ErroreFileDati(CodiceDati::Scrittura, nome_);
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
    std::string nome_;
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

void CopiaTabellaAccesso(MdbHandle* mdb, const std::string& file, std::uintmax_t dimensione, const Tabella& t, Uscita& uscita)
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
        throw ErroreFileDati(CodiceDati::Danneggiato, file, t.nome);
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
    // A row takes at least 8 bytes of a page (its offset and its fields): a
    // table with more rows than that is a damaged file whose page chain turns
    // back on itself, and libmdb would read it round for ever.
    const std::uintmax_t massime = dimensione / 8 + 1;
    std::uintmax_t lette = 0;
    while (mdb_fetch_row(tabella.get())) {
        if (++lette > massime)
            throw ErroreFileDati(CodiceDati::Danneggiato, file, t.nome);
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
    // A file cut short is damaged, whatever tables its first pages list:
    // Jet 3 pages are 2 kB, Jet 4 and ACE pages 4 kB.
    std::error_code e;
    const auto dimensione = std::filesystem::file_size(ingresso, e);
    const std::unique_ptr<MdbHandle, ChiudiMdb> mdb(mdb_open(ingresso.c_str(), MDB_NOFLAGS));
    if (e || !mdb || !mdb->fmt || mdb->fmt->pg_size <= 0 || dimensione % std::uintmax_t(mdb->fmt->pg_size) != 0
        || !mdb_read_catalog(mdb.get(), MDB_TABLE))
        throw ErroreFileDati(CodiceDati::Danneggiato, ingresso);
    for (const Tabella& t : kTabelle)
        CopiaTabellaAccesso(mdb.get(), ingresso, dimensione, t, uscita);
}

// Whether a query on the attached input finds a row; a query the engine
// refuses means a file that is no database or a damaged one.
bool OggettoSqlite(sqlite3* db, const std::string& sql, const char* nome, const std::string& ingresso)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw ErroreFileDati(CodiceDati::NonDati, ingresso);
    sqlite3_bind_text(st, 1, nome, -1, SQLITE_STATIC);
    const int esito = sqlite3_step(st);
    sqlite3_finalize(st);
    if (esito != SQLITE_ROW && esito != SQLITE_DONE)
        throw ErroreFileDati(esito == SQLITE_NOTADB ? CodiceDati::NonDati : CodiceDati::Danneggiato, ingresso);
    return esito == SQLITE_ROW;
}

// From an SQLite file: attached read-only, each table copied by column name.
void CopiaDaSqlite(const std::string& ingresso, Uscita& uscita)
{
    char* uri = sqlite3_mprintf("file:%q?mode=ro", ingresso.c_str());
    const std::string attacca = "attach database '" + std::string(uri) + "' as ingresso";
    sqlite3_free(uri);
    if (sqlite3_exec(uscita.db(), attacca.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw ErroreFileDati(CodiceDati::NonDati, ingresso);
    for (const Tabella& t : kTabelle) {
        std::string colonne;
        for (const auto* elenco : {&t.testi, &t.numeri}) {
            for (const char* c : *elenco)
                colonne += std::string(colonne.empty() ? "\"" : ",\"") + c + "\"";
        }
        // Tables and columns are looked up by name in the file's own
        // catalogue, before anything is copied.
        if (!OggettoSqlite(uscita.db(), "select 1 from ingresso.sqlite_master where type in ('table','view') "
                                        "and name = ?1 collate nocase", t.nome, ingresso)) {
            if (t.facoltativa)
                continue;
            Manca(ingresso, t.nome);
        }
        for (const auto* elenco : {&t.testi, &t.numeri}) {
            for (const char* c : *elenco) {
                const std::string sql = std::string("select 1 from pragma_table_info(?1, 'ingresso') where name = '")
                                        + c + "' collate nocase";
                if (!OggettoSqlite(uscita.db(), sql, t.nome, ingresso))
                    Manca(ingresso, t.nome, c);
            }
        }
        const std::string copia =
            std::string("insert into main.") + t.nome + " select " + colonne + " from ingresso." + t.nome;
        if (sqlite3_exec(uscita.db(), copia.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw ErroreFileDati(CodiceDati::Danneggiato, ingresso, t.nome);
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

void CopiaTabelle(const std::string& ingresso, const std::string& uscita, const std::string& nomeUscita)
{
    {
        std::ifstream prova(ingresso, std::ios::binary);
        if (!prova)
            throw ErroreFileDati(CodiceDati::FileMancante, ingresso);
    }
    Uscita u(uscita, nomeUscita.empty() ? uscita : nomeUscita);
    if (FileAccesso(ingresso))
        CopiaDaAccesso(ingresso, u);
    else
        CopiaDaSqlite(ingresso, u);
    u.Chiudi();
}

} // namespace fv
