// SPDX-License-Identifier: MIT
#include "data/catalogo.h"

#include "data/funzioni.h"

#include <sqlite3.h>

#include <QSet>
#include <vector>

namespace fv::sql {

namespace {

QString Apici(const QString& testo) { return Funzioni::RaddoppiaApici(testo); }

} // namespace

QString Query1() { return QStringLiteral("select superficie from tblRiflettanza"); }

QString Query2()
{
    return QStringLiteral("select distinct provincia from tblRadiazioni order by provincia");
}

QString Query3(const QString& provincia)
{
    return QStringLiteral("select comune from tblLatitudini where provincia='") + Apici(provincia)
           + QStringLiteral("' order by comune");
}

QString Query4(const QString& provincia)
{
    return QStringLiteral("select comune from tblRadiazioni where provincia='") + Apici(provincia)
           + QStringLiteral("' order by comune");
}

// Selecting by name alone would take the first of two towns of the same name
// (Castro BG and Castro LE): the province that filled the lists selects too.
QString Query5(const QString& provincia, const QString& comune)
{
    return QStringLiteral("select gen,feb,mar,apr,mag,giu,lug,ago,set,ott,nov,dic from "
                          "tblRadiazioni where provincia='")
           + Apici(provincia) + QStringLiteral("' and comune='") + Apici(comune)
           + QStringLiteral("'");
}

QString Query6(const QString& provincia, const QString& comune)
{
    return QStringLiteral("select latitudine from tblLatitudini where provincia='")
           + Apici(provincia) + QStringLiteral("' and comune='") + Apici(comune)
           + QStringLiteral("'");
}

QString Query7(const QString& superficie)
{
    return QStringLiteral("select riflettanza from tblRiflettanza where superficie='")
           + Apici(superficie) + QStringLiteral("'");
}

namespace {

struct Token {
    enum Tipo { Parola, Simbolo, Altro } tipo;
    qsizetype inizio;
    qsizetype lunghezza;
};

bool InizioParola(QChar c) { return c.isLetter() || c == u'_'; }
bool DentroParola(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

// Reads the text into words, symbols and the rest (literals, quoted names,
// blanks are skipped but kept in place by the positions).
std::vector<Token> Tokens(const QString& s)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar chiusura = c == u'[' ? QChar(u']') : c;
            const qsizetype inizio = i++;
            while (i < n) {
                if (s[i] == chiusura) {
                    // A doubled quote inside a literal or quoted name is one quote.
                    if (chiusura != u']' && i + 1 < n && s[i + 1] == chiusura) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.push_back({Token::Altro, inizio, i - inizio});
        } else if (InizioParola(c)) {
            const qsizetype inizio = i;
            while (i < n && DentroParola(s[i]))
                ++i;
            tokens.push_back({Token::Parola, inizio, i - inizio});
        } else if (c.isDigit()) {
            const qsizetype inizio = i;
            while (i < n && (s[i].isLetterOrNumber() || s[i] == u'.'))
                ++i;
            tokens.push_back({Token::Altro, inizio, i - inizio});
        } else {
            tokens.push_back({Token::Simbolo, i, 1});
            ++i;
        }
    }
    return tokens;
}

bool ParolaRiservata(const QString& parola)
{
    const QByteArray utf8 = parola.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) != 0;
}

} // namespace

QString QuotaParoleRiservate(const QString& sql)
{
    // A reserved word stands as a column name when an expression may start
    // before it and one may end after it: "ago,set,ott", "select set from".
    static const QSet<QString> primaEspressione = {QStringLiteral("select"), QStringLiteral("distinct"), QStringLiteral("where"),
                                                   QStringLiteral("and"),    QStringLiteral("or"),       QStringLiteral("by"),
                                                   QStringLiteral("on"),     QStringLiteral("all")};
    static const QSet<QString> dopoEspressione = {QStringLiteral("from"),  QStringLiteral("where"), QStringLiteral("and"),
                                                  QStringLiteral("or"),    QStringLiteral("order"), QStringLiteral("group"),
                                                  QStringLiteral("asc"),   QStringLiteral("desc"),  QStringLiteral("is"),
                                                  QStringLiteral("like"),  QStringLiteral("in"),    QStringLiteral("collate"),
                                                  QStringLiteral("limit"), QStringLiteral("not"),   QStringLiteral("between")};
    static const QString simboliPrima = QStringLiteral(",(=<>!+-*/|");
    static const QString simboliDopo = QStringLiteral(",)=<>!+-*/|");

    const std::vector<Token> tokens = Tokens(sql);
    QString risultato;
    qsizetype copiato = 0;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        const Token& tok = tokens[t];
        if (tok.tipo != Token::Parola)
            continue;
        const QString parola = sql.mid(tok.inizio, tok.lunghezza);
        if (!ParolaRiservata(parola))
            continue;
        bool prima = false;
        if (t > 0) {
            const Token& p = tokens[t - 1];
            const QString testo = sql.mid(p.inizio, p.lunghezza).toLower();
            prima = (p.tipo == Token::Simbolo && simboliPrima.contains(testo))
                    || (p.tipo == Token::Parola && primaEspressione.contains(testo));
        }
        bool dopo = t + 1 == tokens.size();
        if (!dopo) {
            const Token& s = tokens[t + 1];
            const QString testo = sql.mid(s.inizio, s.lunghezza).toLower();
            dopo = (s.tipo == Token::Simbolo && simboliDopo.contains(testo))
                   || (s.tipo == Token::Parola && dopoEspressione.contains(testo));
        }
        if (!(prima && dopo))
            continue;
        risultato += QStringView(sql).mid(copiato, tok.inizio - copiato);
        risultato += u'"';
        risultato += parola;
        risultato += u'"';
        copiato = tok.inizio + tok.lunghezza;
    }
    if (copiato == 0)
        return sql;
    risultato += QStringView(sql).mid(copiato);
    return risultato;
}

} // namespace fv::sql
