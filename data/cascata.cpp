// SPDX-License-Identifier: MIT
// The choices from province to site values, and the comuni for the map.
#include "data/cascata.h"

#include "data/catalogo.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace fv {

namespace {

// Appends the non-null texts of one column, row by row.
template<typename Aggiungi>
void RiempiElenco(SessioneDati& sessione, const TestoSql& sql, const QString& colonna,
                  Aggiungi aggiungi)
{
    Recordset& rs = sessione.Apri(sql);
    while (!rs.Eof()) {
        const QVariant v = rs.Campo(colonna);
        if (!v.isNull())
            aggiungi(v.toString());
        rs.MoveNext();
    }
    sessione.Chiudi();
}

// Where a value came from, for an error that names it.
struct Origine {
    QString tabella;
    QString colonna;
    QString chiave;
};

ErroreDati ErroreValore(ErroreDati::Tipo tipo, const Recordset& rs, const Origine& o,
                        const QString& dettaglio)
{
    return ErroreDati(tipo, QStringLiteral("%1.%2").arg(o.tabella, o.colonna), {}, rs.sql(),
                      QStringLiteral("%1 [%2]").arg(dettaglio, o.chiave));
}

const QVariant& RigaPresente(const Recordset& rs, const Origine& o, const QVariant& v)
{
    if (v.isNull())
        throw ErroreValore(ErroreDati::Tipo::ValoreNullo, rs, o, QStringLiteral("null value"));
    return v;
}

QVariant PrimoValore(const Recordset& rs, const Origine& o, int posizione)
{
    if (rs.Eof())
        throw ErroreValore(ErroreDati::Tipo::NessunaRiga, rs, o, QStringLiteral("no row"));
    return RigaPresente(rs, o, rs.Campo(posizione));
}

QVariant PrimoValore(const Recordset& rs, const Origine& o)
{
    if (rs.Eof())
        throw ErroreValore(ErroreDati::Tipo::NessunaRiga, rs, o, QStringLiteral("no row"));
    return RigaPresente(rs, o, rs.Campo(o.colonna));
}

bool Numerico(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// A stored number as a double. A number stored as text is read in the user's
// locale, or else as files write numbers (a decimal point or comma).
double ComeDouble(const QVariant& v, const Recordset& rs, const Origine& o,
                  const FormatoNumeri& formato)
{
    double valore = 0;
    if (Numerico(v)) {
        valore = v.toDouble();
    } else {
        const std::string testo = v.toString().toStdString();
        try {
            valore = LeggiNumero(testo, formato, Campo::ComuneRadiazione);
        } catch (const ErroreConversione&) {
            try {
                valore = LeggiNumeroFile(testo, Campo::ComuneRadiazione);
            } catch (const ErroreConversione&) {
                throw ErroreValore(ErroreDati::Tipo::ValoreNonNumerico, rs, o,
                                   QStringLiteral("not a number: \"%1\"").arg(v.toString()));
            }
        }
    }
    if (!std::isfinite(valore))
        throw ErroreValore(ErroreDati::Tipo::ValoreNonNumerico, rs, o,
                           QStringLiteral("not a finite number"));
    return valore;
}

QString Chiave(const QString& provincia, const QString& comune)
{
    return QStringLiteral("provincia='%1', comune='%2'").arg(provincia, comune);
}

} // namespace

void CaricaElenchiIniziali(ContestoDati c, VistaSito& vista)
{
    SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
    RiempiElenco(sessione, sql::SqlSuperfici(), QStringLiteral("superficie"),
                 [&](const QString& s) { vista.AggiungiRiflettanza(s); });
    RiempiElenco(sessione, sql::SqlProvince(), QStringLiteral("provincia"),
                 [&](const QString& s) { vista.AggiungiProvincia(s); });
}

void ProvinciaScelta(ContestoDati c, const QString& provincia, VistaSito& vista)
{
    // The lists of the old province go first: a file that cannot be opened
    // must not leave them on show under the new province.
    vista.SvuotaComuniLat();
    vista.SvuotaComuniRad();
    SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
    RiempiElenco(sessione, sql::SqlComuniLatitudine(provincia), QStringLiteral("comune"),
                 [&](const QString& s) { vista.AggiungiComuneLat(s); });
    RiempiElenco(sessione, sql::SqlComuniRadiazione(provincia), QStringLiteral("comune"),
                 [&](const QString& s) { vista.AggiungiComuneRad(s); });
}

void ComuneRadScelto(ContestoDati c, const QString& provincia, const QString& comune,
                     const GiorniMese& giorni, const FormatoNumeri& formato, VistaSito& vista)
{
    SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
    const Recordset& rs = sessione.Apri(sql::SqlRadiazioniComune(provincia, comune));
    MonthlySeries serie{};
    for (int i = 0; i < 12; ++i) {
        const Origine o{QStringLiteral("tblRadiazioni"), QString::fromLatin1(kMesiBrevi[std::size_t(i)]),
                        Chiave(provincia, comune)};
        serie[std::size_t(i)] = ComeDouble(PrimoValore(rs, o, i), rs, o, formato);
    }
    const double totale = CalcolaTotaleAnnuo(serie, giorni);
    for (int i = 0; i < 12; ++i) {
        vista.ScriviRadOriz(i, serie[std::size_t(i)]);
        vista.ScriviMese(i, QString::fromStdString(TestoArrotondato(serie[std::size_t(i)], 2, formato)));
    }
    vista.ScriviTotAnnua(QString::fromStdString(TestoArrotondato(totale, 0, formato)));
}

namespace {

// A latitude or reflectance as the text its field shows: a stored number in
// the general form; a stored text as it stands when it reads as a number in
// the user's locale, else rewritten from the file's notation.
QString TestoValore(const QVariant& v, const Recordset& rs, const Origine& o,
                    const FormatoNumeri& formato)
{
    if (!Numerico(v)) {
        const std::string testo = v.toString().toStdString();
        try {
            LeggiNumero(testo, formato, Campo::Latitudine);
            return v.toString();
        } catch (const ErroreConversione&) {
        }
    }
    return QString::fromStdString(TestoNumero(ComeDouble(v, rs, o, formato), formato));
}

} // namespace

void ComuneLatScelto(ContestoDati c, const QString& provincia, const QString& comune,
                     const FormatoNumeri& formato, VistaSito& vista)
{
    SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
    const Recordset& rs = sessione.Apri(sql::SqlLatitudineComune(provincia, comune));
    const Origine o{QStringLiteral("tblLatitudini"), QStringLiteral("latitudine"),
                    Chiave(provincia, comune)};
    vista.ScriviLatitudine(TestoValore(PrimoValore(rs, o), rs, o, formato));
}

void RiflettanzaScelta(ContestoDati c, const QString& superficie, const FormatoNumeri& formato,
                       VistaSito& vista)
{
    SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
    const Recordset& rs = sessione.Apri(sql::SqlRiflettanzaSuperficie(superficie));
    const Origine o{QStringLiteral("tblRiflettanza"), QStringLiteral("riflettanza"),
                    QStringLiteral("superficie='%1'").arg(superficie)};
    vista.ScriviRiflettanza(TestoValore(PrimoValore(rs, o), rs, o, formato));
}

namespace {

// A stored value as a number, read as the window reads it, or nothing: a
// null, a text that is no number, a value that is not finite.
std::optional<double> ValoreMappa(const QVariant& v, const Recordset& rs, const FormatoNumeri& formato)
{
    if (v.isNull())
        return std::nullopt;
    try {
        return ComeDouble(v, rs, {}, formato);
    } catch (const ErroreDati&) {
        return std::nullopt;
    }
}

} // namespace

ComuniMappa LeggiComuniMappa(ContestoDati c, const FormatoNumeri& formato)
{
    SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
    Recordset& rs = sessione.Apri(sql::SqlComuniMappa());
    ComuniMappa mappa;
    for (; !rs.Eof(); rs.MoveNext()) {
        ComuneMappa comune{rs.Campo(0).toString(), rs.Campo(1).toString()};
        std::array<std::optional<double>, 14> valori;
        for (int i = 0; i < 14; ++i)
            valori[std::size_t(i)] = ValoreMappa(rs.Campo(i + 2), rs, formato);
        if (std::any_of(valori.begin(), valori.end(), [](const auto& v) { return !v; })) {
            ++mappa.esclusi;
            continue;
        }
        comune.latitudine = *valori[0];
        comune.longitudine = *valori[1];
        for (std::size_t m = 0; m < 12; ++m)
            comune.radOriz[m] = *valori[m + 2];
        mappa.comuni.push_back(std::move(comune));
    }
    sessione.Chiudi();
    return mappa;
}

QString FonteRadiazione(ContestoDati c)
{
    try {
        SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
        Recordset& rs = sessione.Apri(sql::SqlFonteRadiazione());
        const QString fonte = rs.Eof() ? QString() : rs.Campo(0).toString();
        sessione.Chiudi();
        return fonte;
    } catch (const ErroreDati&) {
        return {}; // no table of sources: the file does not say
    }
}

std::optional<TemperatureComune> LeggiTemperatureComune(ContestoDati c, const QString& provincia, const QString& comune,
                                                        const FormatoNumeri& formato)
{
    try {
        SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
        Recordset& rs = sessione.Apri(sql::SqlTemperatureComune(provincia, comune));
        std::optional<TemperatureComune> t;
        if (!rs.Eof()) {
            t.emplace();
            t->stazione = rs.Campo(0).toString();
            const Origine o{QStringLiteral("tblTemperature"), QStringLiteral("temperatura"), comune};
            t->distanzaKm = ComeDouble(RigaPresente(rs, o, rs.Campo(1)), rs, o, formato);
            for (int m = 0; m < 12; ++m)
                t->mesi[std::size_t(m)] = ComeDouble(RigaPresente(rs, o, rs.Campo(2 + m)), rs, o, formato);
        }
        sessione.Chiudi();
        return t;
    } catch (const ErroreDati&) {
        return std::nullopt; // no such table: the file does not say
    }
}

std::vector<RigaParametro> LeggiParametri(ContestoDati c, const FormatoNumeri& formato)
{
    std::vector<RigaParametro> righe;
    try {
        SessioneDati sessione(c.funzioni, c.rsDati, c.sqlText);
        Recordset& rs = sessione.Apri(sql::SqlParametri());
        for (; !rs.Eof(); rs.MoveNext()) {
            const Origine o{QStringLiteral("tblParametri"), QStringLiteral("valore"), rs.Campo(0).toString()};
            righe.push_back({rs.Campo(0).toString(), ComeDouble(RigaPresente(rs, o, rs.Campo(1)), rs, o, formato),
                             rs.Campo(2).toString(), rs.Campo(3).toString(), rs.Campo(4).toString(), rs.Campo(5).toString()});
        }
        sessione.Chiudi();
    } catch (const ErroreDati& e) {
        if (e.tipo() != ErroreDati::Tipo::Motore)
            throw;
        return {}; // no table of parameters: the program's own
    }
    return righe;
}

} // namespace fv
