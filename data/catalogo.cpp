// SPDX-License-Identifier: MIT
// The SQL texts the program runs, built from templates with quoted literals.
#include "data/catalogo.h"

#include "calc/serie.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QStringList>

#include <initializer_list>

namespace fv::sql {

namespace {

// Where a chosen text goes in a template, always between single quotes.
constexpr QChar kPosto = u'?';

// The column names of the three tables.
const QStringList& Colonne()
{
    static const QStringList colonne = [] {
        QStringList c = {QStringLiteral("superficie"), QStringLiteral("riflettanza"),
                         QStringLiteral("provincia"), QStringLiteral("comune"),
                         QStringLiteral("latitudine")};
        for (const char* mese : kMesiBrevi)
            c << QString::fromLatin1(mese);
        return c;
    }();
    return colonne;
}

bool ParolaRiservata(const QString& parola)
{
    const QByteArray utf8 = parola.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) != 0;
}

// The template as the catalogue gives it and as the engine takes it, each
// place filled with a chosen text, its quotes doubled.
TestoSql Componi(const char* modello, std::initializer_list<QString> testi)
{
    const QString testo = QString::fromUtf8(modello);
    const QString motore = QuotaColonneRiservate(testo);
    const auto riempi = [&](const QString& m) {
        QString r;
        auto t = testi.begin();
        for (const QChar c : m) {
            if (c == kPosto && t != testi.end())
                r += Funzioni::RaddoppiaApici(*t++);
            else
                r += c;
        }
        return r;
    };
    return {riempi(testo), riempi(motore)};
}

} // namespace

QString QuotaColonneRiservate(const QString& modello)
{
    // Split at the quotes: even pieces lie outside literals, odd ones inside.
    QStringList pezzi = modello.split(u'\'');
    for (qsizetype i = 0; i < pezzi.size(); i += 2) {
        for (const QString& colonna : Colonne()) {
            if (ParolaRiservata(colonna))
                pezzi[i].replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(colonna)),
                                 QStringLiteral("\"%1\"").arg(colonna));
        }
    }
    return pezzi.join(u'\'');
}

TestoSql SqlSuperfici() { return Componi("select superficie from tblRiflettanza", {}); }

TestoSql SqlProvince()
{
    return Componi("select distinct provincia from tblRadiazioni order by provincia", {});
}

TestoSql SqlComuniLatitudine(const QString& provincia)
{
    return Componi("select comune from tblLatitudini where provincia='?' order by comune", {provincia});
}

TestoSql SqlComuniRadiazione(const QString& provincia)
{
    return Componi("select comune from tblRadiazioni where provincia='?' order by comune", {provincia});
}

// Selecting by name alone would take the first of two towns of the same name
// (Castro BG and Castro LE): the province that filled the lists selects too.
TestoSql SqlRadiazioniComune(const QString& provincia, const QString& comune)
{
    return Componi("select gen,feb,mar,apr,mag,giu,lug,ago,set,ott,nov,dic from tblRadiazioni "
                   "where provincia='?' and comune='?'",
                   {provincia, comune});
}

TestoSql SqlLatitudineComune(const QString& provincia, const QString& comune)
{
    return Componi("select latitudine from tblLatitudini where provincia='?' and comune='?'",
                   {provincia, comune});
}

TestoSql SqlRiflettanzaSuperficie(const QString& superficie)
{
    return Componi("select riflettanza from tblRiflettanza where superficie='?'", {superficie});
}

TestoSql SqlComuniMappa()
{
    return Componi("select l.provincia,l.comune,l.latitudine,c.longitudine,"
                   "r.gen,r.feb,r.mar,r.apr,r.mag,r.giu,r.lug,r.ago,r.set,r.ott,r.nov,r.dic "
                   "from tblLatitudini l "
                   "left join tblCoordinate c on c.provincia=l.provincia and c.comune=l.comune "
                   "left join tblRadiazioni r on r.provincia=l.provincia and r.comune=l.comune",
                   {});
}

TestoSql SqlFonteRadiazione()
{
    return Componi("select fonte from tblFonti where tabella='tblRadiazioni'", {});
}

TestoSql SqlTemperatureComune(const QString& provincia, const QString& comune)
{
    return Componi("select stazione,distanza_km,gen,feb,mar,apr,mag,giu,lug,ago,set,ott,nov,dic from tblTemperature "
                   "where provincia='?' and comune='?'",
                   {provincia, comune});
}

TestoSql SqlParametri()
{
    return Componi("select nome,valore,unita,descrizione,fonte,validita from tblParametri", {});
}

} // namespace fv::sql
