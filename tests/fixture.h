// SPDX-License-Identifier: MIT
// Small site databases written by the tests themselves.
#pragma once

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

namespace fixture {

// A file's bytes, hashed: compared before and after to show it was never written.
inline QByteArray Impronta(const QString& percorso)
{
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Runs statements on a new SQLite file at percorso (writable connection of
// the test's own, closed at the end). Returns the first error, empty if none.
inline QString Scrivi(const QString& percorso, const QStringList& istruzioni)
{
    const QString nome = QStringLiteral("fixture-") + percorso;
    QString errore;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
        db.setDatabaseName(percorso);
        if (!db.open()) {
            errore = db.lastError().text();
        } else {
            QSqlQuery q(db);
            for (const QString& s : istruzioni) {
                if (!q.exec(s)) {
                    errore = s + QStringLiteral(": ") + q.lastError().text();
                    break;
                }
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(nome);
    return errore;
}

inline QStringList Schema()
{
    return {
        QStringLiteral("create table tblLatitudini (provincia text collate nocase, comune text collate nocase, latitudine real)"),
        QStringLiteral("create table tblRadiazioni (provincia text collate nocase, comune text collate nocase, gen real, feb real, mar real, apr real, mag real, giu real, lug real, ago real, \"set\" real, ott real, nov real, dic real)"),
        QStringLiteral("create table tblRiflettanza (superficie text collate nocase, riflettanza real)"),
    };
}

// A radiation row: twelve monthly values.
inline QString Radiazione(const QString& provincia, const QString& comune, const QList<double>& mesi)
{
    QStringList v;
    for (double x : mesi)
        v << QString::number(x, 'g', 17);
    QString p = provincia, c = comune;
    return QStringLiteral("insert into tblRadiazioni values ('%1','%2',%3)")
        .arg(p.replace("'", "''"), c.replace("'", "''"), v.join(','));
}

inline QString Latitudine(const QString& provincia, const QString& comune, double lat)
{
    QString p = provincia, c = comune;
    return QStringLiteral("insert into tblLatitudini values ('%1','%2',%3)")
        .arg(p.replace("'", "''"), c.replace("'", "''"))
        .arg(lat, 0, 'g', 17);
}

// The standard fixture: apostrophes in a province ("D'Ora") and in towns,
// the homonyms Castro (BG, LE), the worked examples' January (1.5) and
// June (6.5) horizontal values at "Esempio", a value 4.125 and a total of 365.
inline QStringList Standard()
{
    QStringList s = Schema();
    s << Latitudine("BG", "Castro", 45.8) << Latitudine("LE", "Castro", 40.0)
      << Latitudine("TO", "Torino", 45.07) << Latitudine("TO", "Sant'Antonino di Susa", 45.1)
      << Latitudine("TO", "Esempio", 45) << Latitudine("D'Ora", "L'Isola", 44.5)
      << Latitudine("SO", "Solo latitudine", 46.1);
    s << Radiazione("BG", "Castro", {1.1, 2, 3, 4, 5, 6, 6, 5, 4, 3, 2, 1})
      << Radiazione("LE", "Castro", {2.2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 2})
      << Radiazione("TO", "Torino", {1.71, 2.6, 3.9, 5.04, 5.9, 6.5, 6.29, 5.4, 4.0, 2.43, 1.6, 1.21})
      << Radiazione("TO", "Esempio", {1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 6.5, 5.5, 4.5, 3.5, 2.5, 1.5})
      << Radiazione("TO", "Uno", {4.125, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1})
      << Radiazione("D'Ora", "L'Isola", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1})
      << Radiazione("SR", "Solo radiazione", {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2});
    s << QStringLiteral("insert into tblRiflettanza values ('Erba',0.2)")
      << QStringLiteral("insert into tblRiflettanza values ('Neve fresca',0.75)")
      << QStringLiteral("insert into tblRiflettanza values ('Tetto d''ardesia',0.1)")
      << QStringLiteral("insert into tblRiflettanza values ('Asfalto',0.12)");
    return s;
}

} // namespace fixture
