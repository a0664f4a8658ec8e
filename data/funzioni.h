// SPDX-License-Identifier: MIT
// Access to the site database data.mdb, an SQLite file in the working
// directory, opened strictly read-only. Each event that needs data opens a
// connection, runs its queries one after the other and closes it again: no
// connection is held while the user works.
#pragma once

#include "calc/errori.h"
#include "data/file_dati.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace fv {

// A failure of the data layer: the routine, the file or the SQL text, and
// the engine's own message.
class ErroreDati : public Errore {
public:
    enum class Tipo {
        FileMancante,    // no data.mdb where it is looked for
        Motore,          // the engine refused (not a database, damaged, bad SQL ...)
        TestoSqlNonValido, // an SQL text holding a NUL character
        ValoreNullo,     // a null where a value is needed
        ValoreNonNumerico, // a text where a number is needed
        NessunaRiga,     // the chosen item has no row
        ColonnaMancante, // the result has no such column
        Accesso,         // an Access file the data tool could not read: codice() says why
    };
    ErroreDati(Tipo tipo, QString routine, QString file, QString sql, QString messaggio);
    // An Access file the data tool could not read, with the tool's typed reason.
    ErroreDati(CodiceDati codice, QString routine, QString file, QString tabella, QString colonna);

    Tipo tipo() const noexcept { return tipo_; }
    const QString& routine() const noexcept { return routine_; }
    const QString& file() const noexcept { return file_; }
    const QString& sql() const noexcept { return sql_; }
    const QString& messaggio() const noexcept { return messaggio_; }
    CodiceDati codice() const noexcept { return codice_; }
    const QString& tabella() const noexcept { return tabella_; }
    const QString& colonna() const noexcept { return colonna_; }

private:
    Tipo tipo_;
    QString routine_;
    QString file_;
    QString sql_;
    QString messaggio_;
    CodiceDati codice_ = CodiceDati::Riuscito;
    QString tabella_, colonna_;
};

// An SQL text as the catalogue gives it (kept in sqlText) and as the engine
// takes it. A text built elsewhere goes to the engine as it stands.
struct TestoSql {
    TestoSql(QString t) : testo(t), motore(std::move(t)) {}
    TestoSql(QString t, QString m) : testo(std::move(t)), motore(std::move(m)) {}
    QString testo;
    QString motore;
};

// A client-side snapshot of a query's rows: it stands on its first row after
// it opens and is read by column name or by position.
class Recordset {
public:
    Recordset(QString sql, QStringList colonne, std::vector<QVariantList> righe);

    bool Eof() const noexcept { return corrente_ >= righe_.size(); }
    QVariant Campo(const QString& nome) const;
    QVariant Campo(int posizione) const;
    void MoveNext();
    const QString& sql() const noexcept { return sql_; }

private:
    QString sql_;
    QStringList colonne_;
    std::vector<QVariantList> righe_;
    std::size_t corrente_ = 0;
};

// The data routines: the one connection cnDati, and result sets opened on it.
class Funzioni {
public:
    // cartella: where data.mdb is looked for. Empty: the process's working
    // directory at the moment of each opening, then the installed data
    // folder beside the program (share/calcolo-fv).
    explicit Funzioni(QString cartella = {});
    ~Funzioni();
    Funzioni(const Funzioni&) = delete;
    Funzioni& operator=(const Funzioni&) = delete;

    // Each either does its work or throws ErroreDati.
    void ApriConnessione();
    void ChiudiConnessione();
    void ApriRecordset(std::unique_ptr<Recordset>& rs, const TestoSql& sqlText);
    void ChiudiRecordset(std::unique_ptr<Recordset>& rs);

    // Doubles every single quote, so that a text can stand inside an SQL
    // literal: "Sant'Angelo" -> "Sant''Angelo".
    static QString RaddoppiaApici(const QString& testo);

    // A data file chosen by the user (File › Apri file dati…), of any name:
    // the only place looked in from now on.
    void ImpostaFile(const QString& percorso) { scelto_ = percorso; }

    bool ConnessioneAperta() const { return !cnDati_.isEmpty(); }
    // The absolute path of data.mdb as the next opening would use it: the
    // first of the places looked in that holds the file, else the first.
    QString PercorsoFile() const;
    // Every place data.mdb is looked for, in order.
    QStringList Percorsi() const;
    // Connections of this layer open in the whole process (for checks).
    static int ConnessioniAperte();

private:
    QString cartella_;
    QString scelto_; // a file chosen by the user, else empty
    QString cnDati_; // name of the open connection, empty between events
    QString file_;   // the file cnDati_ was opened on
};

// The calling discipline as a scope: ApriConnessione on entry; on exit,
// normal or by an error, the result set and the connection are closed.
class SessioneDati {
public:
    SessioneDati(Funzioni& funzioni, std::unique_ptr<Recordset>& rsDati, QString& sqlText);
    ~SessioneDati();
    SessioneDati(const SessioneDati&) = delete;
    SessioneDati& operator=(const SessioneDati&) = delete;

    // Sets sqlText and opens rsDati on it.
    Recordset& Apri(const TestoSql& sql);
    // Closes rsDati.
    void Chiudi();

private:
    Funzioni& funzioni_;
    std::unique_ptr<Recordset>& rsDati_;
    QString& sqlText_;
};

} // namespace fv
