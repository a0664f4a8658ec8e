// SPDX-License-Identifier: MIT
// Building SQL from chosen texts: whatever the texts, the statement that
// reaches SQLite is one statement holding exactly one string literal per
// inserted text, equal to that text.
#include "data/catalogo.h"
#include "data/funzioni.h"

#include <sqlite3.h>

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

// The string literals of an SQL text, read independently of the data layer.
QStringList Letterali(const QString& sql)
{
    QStringList letterali;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] == u'"') { // a quoted name: skip it
            for (++i; i < sql.size() && sql[i] != u'"'; ++i) {
            }
            continue;
        }
        if (sql[i] != u'\'')
            continue;
        QString l;
        for (++i;; ++i) {
            if (i >= sql.size())
                std::abort(); // unterminated
            if (sql[i] == u'\'') {
                if (i + 1 < sql.size() && sql[i + 1] == u'\'') {
                    l += u'\'';
                    ++i;
                    continue;
                }
                break;
            }
            l += sql[i];
        }
        letterali << l;
    }
    return letterali;
}

sqlite3* Database()
{
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        sqlite3_exec(d,
                     "create table tblLatitudini (provincia text, comune text, latitudine real);"
                     "create table tblRadiazioni (provincia text, comune text, gen real, feb real, mar real,"
                     " apr real, mag real, giu real, lug real, ago real, \"set\" real, ott real, nov real, dic real);"
                     "create table tblRiflettanza (superficie text, riflettanza real);",
                     nullptr, nullptr, nullptr);
        return d;
    }();
    return db;
}

void Verifica(const fv::TestoSql& sql, const QStringList& attesi)
{
    if (Letterali(sql.testo) != attesi)
        std::abort();
    const QString finale = sql.motore;
    if (Letterali(finale) != attesi)
        std::abort();
    if (finale.contains(QChar(u'\0')))
        return; // refused before it reaches SQLite
    const QByteArray utf8 = finale.toUtf8();
    sqlite3_stmt* st = nullptr;
    const char* resto = nullptr;
    if (sqlite3_prepare_v2(Database(), utf8.constData(), static_cast<int>(utf8.size()), &st, &resto) != SQLITE_OK)
        std::abort();
    if (resto != utf8.constData() + utf8.size())
        std::abort(); // a second statement
    sqlite3_finalize(st);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype taglio = bytes.indexOf('\xff');
    const QString a = QString::fromUtf8(taglio < 0 ? bytes : bytes.left(taglio));
    const QString b = QString::fromUtf8(taglio < 0 ? QByteArray() : bytes.mid(taglio + 1));
    Verifica(fv::sql::SqlComuniLatitudine(a), {a});
    Verifica(fv::sql::SqlComuniRadiazione(a), {a});
    Verifica(fv::sql::SqlRadiazioniComune(a, b), {a, b});
    Verifica(fv::sql::SqlLatitudineComune(b, a), {b, a});
    Verifica(fv::sql::SqlRiflettanzaSuperficie(a), {a});
    return 0;
}
