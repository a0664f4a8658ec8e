// SPDX-License-Identifier: MIT
// The report: its table (CSV, clipboard, terminal) and its page (PDF, printer).
#include "app/relazione.h"

#include "app/comunita.h"
#include <functional>
#include <numeric>

#include "app/analisi.h"

#include "app/inventario.h"
#include "app/messaggi.h"
#include "app/versione.h"
#include "calc/risultati.h"
#include "chart/grafico.h"

#include <QDate>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QFileInfo>
#include <QSaveFile>

namespace fv {

namespace {

QString Didascalia(const char* campo) { return DidascaliaDi(QString::fromLatin1(campo)); }

QString NomeMese(std::size_t m) { return DidascaliaDi(QStringLiteral("txtMese(%1)").arg(m)); }

const char* const kOrigineTariffa =
    "Tariffa incentivante del Conto Energia (DM 19 febbraio 2007), valori per gli impianti "
    "entrati in esercizio nel 2010: un regime chiuso, che non si applica più ai nuovi impianti.";
const char* const kOrigineRadiazione =
    "Radiazione orizzontale dal file di dati data.mdb: quello fornito con il programma riporta la "
    "climatologia NASA SSE 6.0 (medie di 22 anni, 1983-2005, su celle di 1° × 1°) interpolata "
    "alle coordinate del comune; una cella di 1° non distingue una valle alpina o il cielo di un "
    "paese costiero. \"The data was obtained from the National Aeronautics and Space "
    "Administration (NASA) Langley Research Center (LaRC) Prediction of Worldwide Energy Resource "
    "(POWER) Project funded through the NASA Earth Science/Applied Science Program.\"";

// What the report says of the radiation: NASA's climatology with its
// attribution when the file credits it, else the file the values came from.
QString OrigineRadiazione(const Risultato& r)
{
    if (r.fonteRadiazione.startsWith(QLatin1String("NASA")))
        return QString::fromUtf8(kOrigineRadiazione);
    return QStringLiteral("Radiazione orizzontale dal file di dati «%1», che non ne dichiara la fonte.").arg(r.fileDati);
}

// A figure of the printed table with a fixed number of decimals, so that the
// columns line up (the window and the CSV keep the general form).
QString Fisso(double valore, int decimali, const Risultato& r)
{
    QString t = QString::fromStdString(TestoArrotondato(valore, decimali, FormatoNumeri::C()));
    if (decimali > 0) {
        if (!t.contains(u'.'))
            t += u'.';
        t += QString(decimali - int(t.size() - t.indexOf(u'.') - 1), u'0');
    }
    return t.replace(u'.', QString::fromStdString(r.formato.decimale));
}

QString CampoDelimitato(const QString& testo, QChar separatore)
{
    const bool virgolette = testo.contains(separatore) || testo.contains(u'"') || testo.contains(u'\n')
                            || testo.contains(u'\r');
    if (!virgolette)
        return testo;
    QString t = testo;
    t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + t + u'"';
}


// The monthly energies are rounded each on its own: their sum can differ from
// the rounded annual total by a few kWh, as a spreadsheet user would notice.
const char* const kNotaArrotondamento =
    "Le energie mensili sono arrotondate al kWh ciascuna: la loro somma può differire di qualche kWh "
    "dall'energia annua.";

using Voci = std::vector<std::pair<QString, QString>>;

// A site value typed over the list's pick is the user's own, not the comune's.
QString Scelta(const QString& voce, bool aMano) { return aMano ? QStringLiteral("(scritta a mano)") : voce; }

Voci VociSito(const Risultato& r)
{
    return {{Didascalia("cmbProvincia"), r.provincia},
            {Didascalia("cmbComuneRad"), r.comuneRadiazione},
            {Didascalia("cmbComuneLat"), Scelta(r.comuneLatitudine, r.latitudineAMano)},
            {Didascalia("txtLatitudine"), r.latitudine},
            {Didascalia("cmbRiflettanza"), Scelta(r.terreno, r.riflettanzaAMano)},
            {Didascalia("txtRiflettanza"), r.riflettanza}};
}

// The percentages as the calculation used them: whole numbers.
Voci VociImpianto(const Risultato& r)
{
    return {{QStringLiteral("Inclinazione (°)"), r.impianto.tilt},
            {QStringLiteral("Azimut rispetto al sud (°)"), r.impianto.azimut},
            {Didascalia("txtPow"), r.impianto.potenza},
            {Didascalia("txtEffGen"), QString::number(r.letti.perdite)},
            {Didascalia("txtEffInv"), QString::number(r.letti.efficienza)},
            {QStringLiteral("Tipo impianto"), r.integrazione},
            {QStringLiteral("Fascia di potenza"), r.fascia}};
}

// The window's figures; beside a weather file's year, the energy is named
// for the method it comes from, so that two figures are never one.
Voci VociRisultati(const Risultato& r, const MeteoUsato* meteo = nullptr)
{
    return {{QStringLiteral("Rapporto tra radiazione sul piano e orizzontale"), r.rapporto},
            {meteo ? QStringLiteral("Energia annua, metodo mensile del comune (kWh)") : QStringLiteral("Energia annua (kWh)"), r.energia},
            {QStringLiteral("Resa specifica (kWh/kWp)"), r.resa},
            {QStringLiteral("Tariffa incentivante (€/kWh)"), r.tariffa},
            {QStringLiteral("Ricavo annuo (€)"), r.ricavo}};
}

} // namespace

QStringList NoteTariffa(const Risultato& r)
{
    QStringList note;
    if (r.impianto.fascia != r.fasciaDellaPotenza)
        note << QStringLiteral("La fascia di potenza «%1» è stata scelta a mano e non corrisponde alla potenza "
                               "di %2 kW (fascia «%3»).")
                    .arg(r.fascia, r.impianto.potenza, TestoOpzione("optPow", r.fasciaDellaPotenza));
    if (r.letti.potenza < 1)
        note << QStringLiteral("Il DM 19 febbraio 2007 incentiva gli impianti da 1 kW in su: un impianto di %1 kW "
                               "non ha diritto alla tariffa mostrata.")
                    .arg(r.impianto.potenza);
    return note;
}

namespace {

} // namespace

QString RigaProduzioneMeteo(const MeteoUsato& m, const FormatoNumeri& f)
{
    const double mensile = std::accumulate(m.metodoMensile.begin(), m.metodoMensile.end(), 0.0);
    const QString scarto = QString::fromStdString(TestoArrotondato(mensile > 0 ? 100 * (m.produzione.anno / mensile - 1) : 0, 1, f));
    return QStringLiteral("Con l'anno meteorologico «%1»: %2 kWh all'anno (%3 % sul metodo mensile), la produzione "
                          "usata per autoconsumo e convenienza.")
        .arg(QFileInfo(m.file).fileName(), QString::fromStdString(TestoArrotondato(m.produzione.anno, 0, f)),
             (m.produzione.anno >= mensile ? QStringLiteral("+") : QString()) + scarto);
}

std::vector<QStringList> TabellaRelazione(const Risultato& r, const MeteoUsato* meteo)
{
    std::vector<QStringList> t = {{QStringLiteral("Dato"), QStringLiteral("Valore")}};
    for (const auto& [didascalia, valore] : VociSito(r))
        t.push_back({didascalia, valore});
    for (const auto& [didascalia, valore] : VociImpianto(r))
        t.push_back({didascalia, valore});
    t.push_back({});
    t.push_back({QStringLiteral("Mese"), QStringLiteral("Radiazione orizzontale (kWh/m² al giorno)"),
                 QStringLiteral("Radiazione sul piano dei moduli (kWh/m² al giorno)"), QStringLiteral("Energia (kWh)")});
    for (std::size_t m = 0; m < 12; ++m)
        t.push_back({NomeMese(m), r.orizzontale[m], r.piano[m], r.energiaMese[m]});
    t.push_back({QStringLiteral("Totale annuo (kWh/m², kWh)"), r.totOrizzontale, r.totPiano, r.energia});
    t.push_back({QString::fromUtf8(kNotaArrotondamento)});
    t.push_back({});
    t.push_back({QStringLiteral("Risultato"), QStringLiteral("Valore")});
    for (const auto& [didascalia, valore] : VociRisultati(r, meteo))
        t.push_back({didascalia, valore});
    if (meteo)
        t.push_back({QStringLiteral("Energia annua dall'anno meteorologico (kWh)"),
                     QString::fromStdString(TestoArrotondato(meteo->produzione.anno, 0, r.formato)), meteo->file});
    for (const QString& nota : NoteTariffa(r))
        t.push_back({nota});
    return t;
}

namespace {

QString Kwh(double v, const FormatoNumeri& f) { return QString::fromStdString(TestoArrotondato(v, 0, f)); }

// A headline figure, declared once: its label, unit and decimals, its value
// in each case (empty where it does not exist, shown as `assente`). The
// screen, the PDF and the terminal show "12,3 %"; a CSV holds 12.3 under a
// label that carries the unit.
struct Cifra {
    QString nome, unita;
    int decimali = 0;
    std::optional<double> senza, con;
    QString assente;
};

std::vector<QStringList> Mostra(const QString& titolo, const std::vector<Cifra>& cifre, const FormatoNumeri& f, bool conBatteria,
                                bool perCsv)
{
    std::vector<QStringList> t = {{titolo, QStringLiteral("Senza batteria")}};
    if (conBatteria)
        t.front() << QStringLiteral("Con batteria");
    const auto testo = [&](const Cifra& c, const std::optional<double>& v) {
        if (!v)
            return c.assente;
        const QString n = QString::fromStdString(TestoArrotondato(*v, c.decimali, f));
        return perCsv || c.unita.isEmpty() ? n : n + u' ' + c.unita;
    };
    for (const Cifra& c : cifre) {
        QStringList riga = {perCsv && !c.unita.isEmpty() ? QStringLiteral("%1 (%2)").arg(c.nome, c.unita) : c.nome, testo(c, c.senza)};
        if (conBatteria)
            riga << testo(c, c.con);
        t.push_back(riga);
    }
    return t;
}

std::vector<Cifra> CifreBilancio(const RisultatoBilancio& b)
{
    const FlussiEnergia& con = b.conBatteria.anno;
    const FlussiEnergia& senza = b.senzaBatteria.anno;
    const auto kwh = [](const QString& nome, double s, double c) { return Cifra{nome, QStringLiteral("kWh"), 0, s, c, {}}; };
    const auto quota = [](const QString& nome, double s, double c) { return Cifra{nome, QStringLiteral("%"), 1, 100 * s, 100 * c, {}}; };
    return {
        kwh(QStringLiteral("Produzione"), senza.produzione, con.produzione),
        kwh(QStringLiteral("Consumo"), senza.consumo, con.consumo),
        quota(QStringLiteral("Autoconsumo (quota della produzione usata)"), senza.Autoconsumo(), con.Autoconsumo()),
        quota(QStringLiteral("Autosufficienza (quota del consumo coperta)"), senza.Autosufficienza(), con.Autosufficienza()),
        kwh(QStringLiteral("Immessa in rete"), senza.immessa, con.immessa),
        kwh(QStringLiteral("Prelevata dalla rete"), senza.prelevata, con.prelevata),
        kwh(QStringLiteral("Perdite della batteria"), senza.perdite, con.perdite),
    };
}

// The inverter's cut, the same in both cases (the battery sits after the inverter).
// The car's charging, part of the consumption.
void AggiungiAuto(std::vector<Cifra>& cifre, const RisultatoBilancio& b)
{
    if (b.ricaricaAuto.empty())
        return;
    const auto consumo = std::find_if(cifre.begin(), cifre.end(), [](const Cifra& c) { return c.nome == QStringLiteral("Consumo"); });
    const double e = b.RicaricaAuto();
    cifre.insert(consumo + 1, Cifra{QStringLiteral("di cui ricarica dell'auto"), QStringLiteral("kWh"), 0, e, e, {}});
}

// The heat pump's electricity, part of the consumption, and the heat it gives.
void AggiungiPompa(std::vector<Cifra>& cifre, const RisultatoBilancio& b)
{
    if (!b.pompa)
        return;
    const auto consumo = std::find_if(cifre.begin(), cifre.end(), [](const Cifra& c) { return c.nome == QStringLiteral("Consumo"); });
    const double e = b.pompa->elettricaAnno;
    cifre.insert(consumo + 1, Cifra{QStringLiteral("di cui pompa di calore"), QStringLiteral("kWh"), 0, e, e, {}});
}

void AggiungiPerditaInverter(std::vector<Cifra>& cifre, const RisultatoBilancio& b)
{
    if (b.produzione.inverter)
        cifre.insert(cifre.begin() + 1, Cifra{QString::fromUtf8(kPerditaInverter), QStringLiteral("kWh"), 0, b.produzione.tagliata,
                                              b.produzione.tagliata, {}});
}

std::vector<Cifra> CifreConvenienza(const Convenienza& senza, const Convenienza& con)
{
    const QString oltre = QStringLiteral("oltre l'orizzonte");
    const auto tir = [](const Convenienza& c) { return c.tir ? std::optional<double>(100 * *c.tir) : std::nullopt; };
    return {
        {QStringLiteral("Investimento"), QStringLiteral("€"), 0, senza.investimento, con.investimento, {}},
        {QStringLiteral("Risparmio e ricavi del primo anno"), QStringLiteral("€"), 0, senza.risparmioPrimoAnno, con.risparmioPrimoAnno, {}},
        {QStringLiteral("Tempo di ritorno semplice"), QStringLiteral("anni"), 1, senza.ritornoSemplice, con.ritornoSemplice, oltre},
        {QStringLiteral("Tempo di ritorno attualizzato"), QStringLiteral("anni"), 1, senza.ritornoAttualizzato, con.ritornoAttualizzato, oltre},
        {QStringLiteral("Valore attuale netto (VAN)"), QStringLiteral("€"), 0, senza.van, con.van, {}},
        {QStringLiteral("Tasso interno di rendimento (TIR)"), QStringLiteral("%"), 1, tir(senza), tir(con), QStringLiteral("non esiste")},
        {QStringLiteral("Costo livellato dell'energia (LCOE)"), QStringLiteral("€/kWh"), 3, senza.lcoe, con.lcoe, {}},
        {QStringLiteral("Detrazione persa (oltre l'IRPEF della famiglia)"), QStringLiteral("€"), 0, senza.detrazionePersa,
         con.detrazionePersa, {}},
        {QStringLiteral("Contributo PNRR in conto capitale"), QStringLiteral("€"), 0, senza.contributo, con.contributo, {}},
        {QStringLiteral("Prima sostituzione della batteria (anno)"), QString(), 0, std::nullopt,
         con.sostituzioniBatteria.empty() ? std::nullopt : std::optional<double>(con.sostituzioniBatteria.front()),
         QStringLiteral("nessuna")},
    };
}

} // namespace

std::vector<QStringList> RiepilogoBilancio(const RisultatoBilancio& b, const FormatoNumeri& f, bool conBatteria, bool perCsv)
{
    std::vector<Cifra> cifre = CifreBilancio(b);
    AggiungiPerditaInverter(cifre, b);
    AggiungiAuto(cifre, b);
    AggiungiPompa(cifre, b);
    return Mostra(QStringLiteral("Bilancio"), cifre, f, conBatteria, perCsv);
}

std::vector<QStringList> TabellaBilancio(const Bilancio& b, const FormatoNumeri& f)
{
    std::vector<QStringList> t = {{QStringLiteral("Mese"), QStringLiteral("Produzione (kWh)"), QStringLiteral("Consumo (kWh)"),
                                   QStringLiteral("Autoconsumo diretto (kWh)"), QStringLiteral("In batteria (kWh)"),
                                   QStringLiteral("Da batteria (kWh)"), QStringLiteral("Perdite batteria (kWh)"),
                                   QStringLiteral("Immessa (kWh)"), QStringLiteral("Prelevata (kWh)")}};
    const auto riga = [&](const QString& nome, const FlussiEnergia& x) {
        t.push_back({nome, Kwh(x.produzione, f), Kwh(x.consumo, f), Kwh(x.diretto, f), Kwh(x.inBatteria, f),
                     Kwh(x.daBatteria, f), Kwh(x.perdite, f), Kwh(x.immessa, f), Kwh(x.prelevata, f)});
    };
    for (std::size_t m = 0; m < 12; ++m)
        riga(NomeMese(m), b.mesi[m]);
    riga(QStringLiteral("Totale"), b.anno);
    return t;
}

std::vector<QStringList> TabellaMeteo(const MeteoUsato& m, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    std::vector<QStringList> t = {{QStringLiteral("Mese"), QStringLiteral("Dal file (kWh)"), QStringLiteral("Metodo mensile (kWh)"),
                                   QStringLiteral("Differenza (%)"), QStringLiteral("Sul piano (kWh/m²)")}};
    const auto riga = [&](const QString& nome, double file, double mensile, double piano) {
        t.push_back({nome, n(file, 1), n(mensile, 1), mensile > 0 ? n(100 * (file / mensile - 1), 1) : QStringLiteral("-"),
                     n(piano, 1)});
    };
    double file = 0, mensile = 0, piano = 0;
    for (std::size_t i = 0; i < 12; ++i) {
        riga(NomeMese(i), m.produzione.mesi[i], m.metodoMensile[i], m.produzione.pianoMesi[i]);
        file += m.produzione.mesi[i];
        mensile += m.metodoMensile[i];
        piano += m.produzione.pianoMesi[i];
    }
    riga(QStringLiteral("Totale"), file, mensile, piano);
    t.push_back({});
    t.push_back({QStringLiteral("File meteo"), m.file});
    t.push_back({QStringLiteral("Formato e fonte"), QString::fromStdString(m.formato + (m.fonte.empty() ? "" : ", " + m.fonte))});
    t.push_back({QStringLiteral("Sito del file (° N, ° E, m)"), n(m.latitudine, 4), n(m.longitudine, 4), n(m.quota, 0)});
    t.push_back({QStringLiteral("Distanza dal comune (km)"), n(m.distanzaKm, 1)});
    if (!m.mesiAnni.empty()) {
        QStringList anni = {QStringLiteral("Anni dei mesi dell'anno tipo")};
        for (const auto& [mese, anno] : m.mesiAnni)
            anni << QStringLiteral("%1/%2").arg(mese).arg(anno);
        t.push_back(anni);
    }
    t.push_back({QStringLiteral("Cielo diffuso"), m.sulPiano ? QStringLiteral("nessun modello: irradianza del file sul piano")
                                                             : QString::fromUtf8(NomeTrasposizione(m.trasposizione))});
    t.push_back({QStringLiteral("Perdita per l'orizzonte (%)"), m.orizzonte ? n(100 * m.produzione.perditaOrizzonte, 2)
                                                                            : QStringLiteral("nessun orizzonte")});
    t.push_back({QStringLiteral("Perdita per l'angolo di incidenza (%)"), n(100 * m.produzione.perditaAngolo, 2)});
    t.push_back({QStringLiteral("Perdita per temperatura e bassa irradianza (%)"), n(100 * m.produzione.perditaTemperatura, 2)});
    t.push_back({QStringLiteral("Perdite di sistema (%)"), n(100 * m.produzione.perditaSistema, 1)});
    if (m.inverter)
        t.push_back({QString::fromUtf8(kPerditaInverter) + QStringLiteral(" (%)"), n(100 * m.produzione.perditaInverter, 2)});
    t.push_back({QString::fromUtf8(kNotaPerditeMeteo)});
    return t;
}

namespace {

OraBilancio Scalata(const OraBilancio& o, double k)
{
    return {o.produzione * k, o.consumo * k, o.diretto * k, o.inBatteria * k, o.daBatteria * k,
            o.immessa * k, o.prelevata * k, o.carica, o.perdite * k};
}

OraBilancio Somma(const OraBilancio& a, const OraBilancio& b)
{
    return {a.produzione + b.produzione, a.consumo + b.consumo, a.diretto + b.diretto, a.inBatteria + b.inBatteria,
            a.daBatteria + b.daBatteria, a.immessa + b.immessa, a.prelevata + b.prelevata, b.carica, a.perdite + b.perdite};
}

// One hour of the export: the balance's flows, each face's output before
// the inverter and the inverter's cut [kWh].
struct OraEsportata {
    OraBilancio flussi;
    std::array<double, kFaldeMassime + 3> falde{}; // the faces, the cut, the heat pump, the car last
};

OraEsportata Scalata(const OraEsportata& o, double k)
{
    OraEsportata r{Scalata(o.flussi, k), {}};
    for (std::size_t i = 0; i < o.falde.size(); ++i)
        r.falde[i] = o.falde[i] * k;
    return r;
}

OraEsportata Somma(const OraEsportata& a, const OraEsportata& b)
{
    OraEsportata r{Somma(a.flussi, b.flussi), {}};
    for (std::size_t i = 0; i < a.falde.size(); ++i)
        r.falde[i] = a.falde[i] + b.falde[i];
    return r;
}

// One exported hour: its clock time, its offset from UTC, its flows.
struct OraDellOrologio {
    int ora;
    bool legale;
    OraEsportata flussi;
};

// The balance runs on 24 clock hours a day, summer time from midnight to
// midnight; the clock of the year has a 23-hour day in March (02:00 does not
// exist: its flows go with 03:00) and a 25-hour one in October (02:00 twice,
// summer time then winter time, each with half the hour's flows and the
// charge between). The rows still sum to the months.
std::vector<OraDellOrologio> OreDelGiorno(const OraEsportata* ore, bool legale, bool ieriLegale)
{
    std::vector<OraDellOrologio> giorno;
    const bool marzo = legale && !ieriLegale, ottobre = !legale && ieriLegale;
    for (int h = 0; h < 24; ++h) {
        if (marzo && h == 2)
            continue;
        if (marzo && h == 3) {
            giorno.push_back({3, true, Somma(ore[2], ore[3])});
        } else if (ottobre && h == 2) {
            OraEsportata prima = Scalata(ore[2], 0.5);
            prima.flussi.carica = (ore[1].flussi.carica + ore[2].flussi.carica) / 2;
            giorno.push_back({2, true, prima});
            giorno.push_back({2, false, Scalata(ore[2], 0.5)});
        } else {
            giorno.push_back({h, marzo ? h >= 3 : ottobre ? h < 2 : legale, ore[h]});
        }
    }
    return giorno;
}

} // namespace

std::vector<QStringList> TabellaOraria(const RisultatoBilancio& b, const FormatoNumeri& f)
{
    std::vector<QStringList> t = {{QStringLiteral("Data"), QStringLiteral("Ora"), QStringLiteral("Inizio (ora locale e scarto da UTC)"),
                                   QStringLiteral("Produzione (kWh)"), QStringLiteral("Consumo (kWh)"),
                                   QStringLiteral("Autoconsumo diretto (kWh)"), QStringLiteral("In batteria (kWh)"),
                                   QStringLiteral("Da batteria (kWh)"), QStringLiteral("Perdite batteria (kWh)"),
                                   QStringLiteral("Immessa (kWh)"), QStringLiteral("Prelevata (kWh)"),
                                   QStringLiteral("Carica a fine ora (kWh)")}};
    const bool falde = PiuFalde(b) && b.produzione.falde.size() == b.falde.size();
    if (falde) {
        for (std::size_t i = 0; i < b.falde.size(); ++i)
            t.front() << QStringLiteral("Falda %1 (kWh)").arg(i + 1);
        t.front() << QString::fromUtf8(kPerditaInverter) + QStringLiteral(" (kWh)");
    }
    const bool veicolo = b.ricaricaAuto.size() * 24 == b.ore.size() && !b.ricaricaAuto.empty();
    const bool pompa = b.pompa && b.pompa->elettrica.size() * 24 == b.ore.size();
    if (pompa)
        t.front() << QStringLiteral("Pompa di calore (kWh)");
    if (veicolo)
        t.front() << QStringLiteral("Ricarica auto (kWh)");
    t.reserve(b.ore.size() + 2);
    const Calendario cal = CreaCalendario(b.anno);
    // Six decimals: the rows of a month sum to its table to well under a watt-hour.
    const auto n = [&](double v) { return QString::fromStdString(TestoArrotondato(v, 6, f)); };
    for (std::size_t d = 0; d < cal.giorni.size() && 24 * d + 23 < b.ore.size(); ++d) {
        const Giorno& g = cal.giorni[d];
        const QString data = QStringLiteral("%1-%2-%3").arg(b.anno).arg(g.mese + 1, 2, 10, QLatin1Char('0')).arg(g.giorno, 2, 10, QLatin1Char('0'));
        std::array<OraEsportata, 24> giorno;
        for (std::size_t h = 0; h < 24; ++h) {
            giorno[h].flussi = b.ore[24 * d + h];
            double somma = 0;
            for (std::size_t i = 0; falde && i < b.falde.size(); ++i) {
                giorno[h].falde[i] = b.produzione.falde[i][d][h];
                somma += giorno[h].falde[i];
            }
            if (falde)
                giorno[h].falde[b.falde.size()] = std::max(0.0, somma - b.produzione.ore[d][h]);
            if (pompa)
                giorno[h].falde[kFaldeMassime + 1] = b.pompa->elettrica[d][h];
            if (veicolo)
                giorno[h].falde.back() = b.ricaricaAuto[d][h];
        }
        for (const OraDellOrologio& h : OreDelGiorno(giorno.data(), g.legale, d > 0 && cal.giorni[d - 1].legale)) {
            const QString ora = QStringLiteral("%1:00").arg(h.ora, 2, 10, QLatin1Char('0'));
            const OraBilancio& o = h.flussi.flussi;
            t.push_back({data, ora, data + u'T' + ora + (h.legale ? QStringLiteral("+02:00") : QStringLiteral("+01:00")),
                         n(o.produzione), n(o.consumo), n(o.diretto), n(o.inBatteria), n(o.daBatteria), n(o.perdite),
                         n(o.immessa), n(o.prelevata), n(o.carica)});
            for (std::size_t i = 0; falde && i <= b.falde.size(); ++i)
                t.back() << n(h.flussi.falde[i]);
            if (pompa)
                t.back() << n(h.flussi.falde[kFaldeMassime + 1]);
            if (veicolo)
                t.back() << n(h.flussi.falde.back());
        }
    }
    return t;
}

const char* const kPerditaInverter = "Perdita per limite dell'inverter";

bool PiuFalde(const RisultatoBilancio& b) { return b.falde.size() > 1 || b.produzione.inverter.has_value(); }

double EnergiaFalda(const RisultatoBilancio& b, std::size_t f)
{
    return f < b.produzione.mesiFalde.size()
               ? std::accumulate(b.produzione.mesiFalde[f].begin(), b.produzione.mesiFalde[f].end(), 0.0)
               : 0;
}

std::vector<QStringList> TabellaFalde(const RisultatoBilancio& b, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    std::vector<QStringList> t = {{QStringLiteral("Falda"), QStringLiteral("Inclinazione (°)"), QStringLiteral("Azimut (°)"),
                                   QStringLiteral("Potenza (kWp)"), QStringLiteral("Superficie (m²)"),
                                   QStringLiteral("Ombre vicine (%)"), QStringLiteral("Energia (kWh/anno)"),
                                   QStringLiteral("Resa (kWh/kWp)")}};
    double totale = 0;
    for (std::size_t i = 0; i < b.falde.size(); ++i) {
        const Falda& x = b.falde[i];
        const double e = EnergiaFalda(b, i);
        totale += e;
        t.push_back({i == 0 ? QStringLiteral("1 (finestra)") : QString::number(i + 1), n(x.tilt, 1), n(x.azimut, 1),
                     n(x.potenza, 2), x.area ? n(*x.area, 1) : QStringLiteral("-"), n(x.ombra, 1), n(e, 0),
                     n(x.potenza > 0 ? e / x.potenza : 0, 0)});
    }
    const double picco = b.PotenzaDiPicco();
    t.push_back({QStringLiteral("Totale"), {}, {}, n(picco, 2), {}, {}, n(totale, 0), n(picco > 0 ? totale / picco : 0, 0)});
    const std::optional<double>& inv = b.produzione.inverter;
    t.push_back({QStringLiteral("Potenza dell'inverter (kW c.a.)"), inv ? n(*inv, 2) : QStringLiteral("nessun limite")});
    if (inv) {
        t.push_back({QStringLiteral("Rapporto CC/CA (kWp/kW)"), n(picco / *inv, 2)});
        t.push_back({QString::fromUtf8(kPerditaInverter) + QStringLiteral(" (kWh)"), n(b.produzione.tagliata, 0),
                     totale > 0 ? n(100 * b.produzione.tagliata / totale, 2) + QStringLiteral(" %") : QString()});
    }
    t.push_back({QStringLiteral("Energia annua dell'impianto (kWh)"), n(totale - b.produzione.tagliata, 0)});
    return t;
}

std::vector<QStringList> TabellaFaldeMesi(const RisultatoBilancio& b, const FormatoNumeri& f)
{
    const auto n = [&](double v) { return QString::fromStdString(TestoArrotondato(v, 0, f)); };
    QStringList testa = {QStringLiteral("Mese")};
    for (std::size_t i = 0; i < b.falde.size(); ++i)
        testa << QStringLiteral("Falda %1 (kWh)").arg(i + 1);
    testa << QString::fromUtf8(kPerditaInverter) + QStringLiteral(" (kWh)") << QStringLiteral("Impianto (kWh)");
    std::vector<QStringList> t = {testa};
    std::vector<double> somme(b.falde.size() + 2, 0.0);
    for (std::size_t m = 0; m <= 12; ++m) {
        QStringList riga = {m < 12 ? NomeMese(m) : QStringLiteral("Totale")};
        double impianto = 0;
        for (std::size_t i = 0; i < b.falde.size(); ++i) {
            const double e = m < 12 ? b.produzione.mesiFalde[i][m] : somme[i];
            somme[i] += m < 12 ? e : 0;
            impianto += e;
            riga << n(e);
        }
        const double tagliata = m < 12 ? b.produzione.tagliataMesi[m] : b.produzione.tagliata;
        riga << n(tagliata) << n(impianto - tagliata);
        t.push_back(riga);
    }
    return t;
}

std::vector<QStringList> TabellaIncertezza(const RisultatoIncertezza& i, const FormatoNumeri& f, std::size_t barre)
{
    const auto n = [&](double v, int d) {
        return std::isinf(v) ? QStringLiteral("oltre l'orizzonte") : QString::fromStdString(TestoArrotondato(v, d, f));
    };
    const EsitoMonteCarlo& m = i.montecarlo;
    std::vector<QStringList> t = {
        {QStringLiteral("Quanto è sicuro (%1, %2 estrazioni)")
             .arg(i.conBatteria ? QStringLiteral("con batteria") : QStringLiteral("senza batteria"))
             .arg(m.estrazioni),
         QStringLiteral("P10"), QStringLiteral("P50"), QStringLiteral("P90")},
        {QStringLiteral("Valore attuale netto (€)"), n(m.van.p10, 0), n(m.van.p50, 0), n(m.van.p90, 0)},
        {QStringLiteral("Tempo di ritorno semplice (anni)"), n(m.ritorno.p10, 1), n(m.ritorno.p50, 1), n(m.ritorno.p90, 1)},
        {QStringLiteral("Produzione di un anno (kWh)"), n(i.energia * m.energiaAnno.p10, 0), n(i.energia * m.energiaAnno.p50, 0),
         n(i.energia * m.energiaAnno.p90, 0)},
        {QStringLiteral("Produzione media dell'orizzonte (kWh/anno)"), n(i.energia * m.energiaMedia.p10, 0),
         n(i.energia * m.energiaMedia.p50, 0), n(i.energia * m.energiaMedia.p90, 0)},
        {QStringLiteral("P90: superato 9 volte su 10, P10: 1 su 10; la produzione con l'incertezza del clima %1 e del modello, "
                        "comune a tutti gli anni, e il tempo di ogni anno")
             .arg(i.annoDaFile ? QStringLiteral("dell'anno da satellite") : QStringLiteral("del comune"))},
        {},
        {QStringLiteral("Parametro (dal più influente)"), QStringLiteral("Basso"), QStringLiteral("Alto"), QStringLiteral("VAN al basso (€)"),
         QStringLiteral("VAN all'alto (€)")}};
    for (std::size_t k = 0; k < i.tornado.size() && (barre == 0 || k < barre); ++k) {
        const BarraTornado& b = i.tornado[k];
        if (b.nome == kBarraProduzione)
            t.push_back({QStringLiteral("produzione (kWh/anno, P90-P10)"), n(i.energia * b.basso, 0),
                         n(i.energia * b.alto, 0), n(b.vanBasso, 0), n(b.vanAlto, 0)});
        else
            t.push_back({QString::fromStdString(b.nome), QString::fromStdString(TestoNumero(b.basso, f)),
                         QString::fromStdString(TestoNumero(b.alto, f)), n(b.vanBasso, 0), n(b.vanAlto, 0)});
    }
    return t;
}

QString RigaIncertezza(const RisultatoIncertezza& i, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) {
        return std::isinf(v) ? QStringLiteral("oltre l'orizzonte") : QString::fromStdString(TestoArrotondato(v, d, f));
    };
    const EsitoMonteCarlo& m = i.montecarlo;
    QString testo = QStringLiteral("Quanto è sicuro (%1 estrazioni sugli intervalli dei parametri, sul clima, sul modello e sul "
                                   "tempo di ogni anno): produzione P50 %8, P90 %9 kWh/anno; VAN "
                                   "P10 %2 €, P50 %3 €, P90 %4 €; ritorno P10 %5, P50 %6, P90 %7 anni (P90: raggiunto o "
                                   "superato 9 volte su 10, la cifra prudente; il ritorno: il tempo dopo il quale il "
                                   "flusso cumulato resta positivo).")
                        .arg(m.estrazioni)
                        .arg(n(m.van.p10, 0), n(m.van.p50, 0), n(m.van.p90, 0), n(m.ritorno.p10, 1), n(m.ritorno.p50, 1),
                             n(m.ritorno.p90, 1), n(i.energia * m.energiaMedia.p50, 0), n(i.energia * m.energiaMedia.p90, 0));
    if (!i.tornado.empty())
        testo += QStringLiteral(" Il parametro che conta di più: %1 (VAN da %2 a %3 €).")
                     .arg(QString::fromStdString(i.tornado.front().nome == kBarraProduzione ? "la produzione" : i.tornado.front().nome),
                          n(i.tornado.front().vanBasso, 0),
                          n(i.tornado.front().vanAlto, 0));
    return testo;
}

namespace {

// A size's faces as "4 + 1,5" [kWp], the faces' own order, a face unused as 0.
QString QuoteFalde(const CellaDimensioni& c, const FormatoNumeri& f)
{
    QStringList q;
    for (double v : c.falde)
        q << QString::fromStdString(TestoArrotondato(v, 2, f));
    return q.join(QStringLiteral(" + "));
}

} // namespace

QString FaldeDelleTaglie(const GrigliaDimensioni& g, const FormatoNumeri& f, double potenzaMax)
{
    if (g.celle.empty() || g.celle.front().falde.size() < 2)
        return {};
    const auto n = [&](double v) { return QString::fromStdString(TestoArrotondato(v, 1, f)); };
    // Runs of sizes that use the same faces.
    QStringList parti;
    std::size_t inizio = 0;
    const auto usate = [&](std::size_t p) {
        QStringList u;
        const std::vector<double>& q = g.Cella(p, 0).falde;
        for (std::size_t i = 0; i < q.size(); ++i)
            if (q[i] > 1e-9)
                u << QString::number(i + 1);
        return u;
    };
    for (std::size_t p = 1; p <= g.potenze.size(); ++p) {
        if (p < g.potenze.size() && usate(p) == usate(inizio))
            continue;
        const QStringList u = usate(inizio);
        const QString taglie = p - 1 == inizio ? n(g.potenze[inizio]) : n(g.potenze[inizio]) + QStringLiteral("–") + n(g.potenze[p - 1]);
        parti << QStringLiteral("%1 kWp %2 %3").arg(taglie, u.size() == 1 ? QStringLiteral("falda") : QStringLiteral("falde"),
                                                  u.join(QStringLiteral(" e ")));
        inizio = p;
    }
    QString testo = QStringLiteral("Falde per taglia (la più produttiva per prima): %1.").arg(parti.join(QStringLiteral("; ")));
    if (g.potenze.back() + 1e-9 < potenzaMax)
        testo += QStringLiteral(" Le falde accolgono al più %1 kWp (la superficie o la potenza di ciascuna): nessuna taglia oltre.")
                     .arg(n(g.potenze.back()));
    return testo;
}

std::vector<QStringList> TabellaOggiEDomani(const GrigliaDimensioni& oggi, double consumoOggi, const GrigliaDimensioni& domani,
                                            double consumoDomani, const QString& domaniNome, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    const auto riga = [&](const QString& nome, double consumo, const CellaDimensioni& c) {
        return QStringList{nome, n(consumo, 0), n(c.potenza, 1), n(c.batteria, 0), n(c.van, 0), n(100 * c.autosufficienza, 1)};
    };
    return {{QStringLiteral("Famiglia"), QStringLiteral("Consumo (kWh/anno)"), QStringLiteral("Potenza migliore (kWp)"),
             QStringLiteral("Batteria (kWh)"), QStringLiteral("VAN (€)"), QStringLiteral("Autosufficienza (%)")},
            riga(QStringLiteral("Oggi"), consumoOggi, oggi.celle[oggi.migliore]),
            riga(domaniNome, consumoDomani, domani.celle[domani.migliore])};
}

std::vector<QStringList> TabellaDimensioni(const GrigliaDimensioni& g, double potenzaAttuale, double batteriaAttuale,
                                           const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    const auto anni = [&](const std::optional<double>& v) { return v ? n(*v, 1) : QStringLiteral("oltre l'orizzonte"); };
    const auto tir = [&](const std::optional<double>& v) { return v ? n(100 * *v, 1) : QStringLiteral("non esiste"); };
    const auto riga = [&](const QString& nome, const CellaDimensioni& c) {
        return QStringList{nome, n(c.potenza, 1), n(c.batteria, 0), n(c.van, 0), tir(c.tir), anni(c.ritorno)};
    };
    std::vector<QStringList> t = {{QStringLiteral("Configurazione"), QStringLiteral("Potenza (kWp)"), QStringLiteral("Batteria (kWh)"),
                                   QStringLiteral("VAN (€)"), QStringLiteral("TIR (%)"), QStringLiteral("Ritorno (anni)")}};
    t.push_back(riga(QStringLiteral("La migliore"), g.celle[g.migliore]));
    for (std::size_t p = 0; p < g.potenze.size(); ++p)
        for (std::size_t b = 0; b < g.batterie.size(); ++b)
            if (std::fabs(g.potenze[p] - potenzaAttuale) < 1e-9 && std::fabs(g.batterie[b] - batteriaAttuale) < 1e-9)
                t.push_back(riga(QStringLiteral("Quella calcolata"), g.Cella(p, b)));
    t.push_back({});
    t.push_back({QStringLiteral("Potenza (kWp)"), QStringLiteral("VAN senza batteria (€)"), QStringLiteral("Batteria migliore (kWh)"),
                 QStringLiteral("VAN con la migliore (€)"), QStringLiteral("Ritorno con la migliore (anni)")});
    const bool falde = !g.celle.empty() && g.celle.front().falde.size() > 1;
    if (falde)
        t.back() << QStringLiteral("Falde (kWp)");
    const std::vector<std::size_t> migliori = g.MiglioreBatteriaPerPotenza();
    for (std::size_t p = 0; p < g.potenze.size(); ++p) {
        const CellaDimensioni& m = g.Cella(p, migliori[p]);
        t.push_back({n(g.potenze[p], 1), n(g.Cella(p, 0).van, 0), n(m.batteria, 0), n(m.van, 0), anni(m.ritorno)});
        if (falde)
            t.back() << QuoteFalde(m, f);
    }
    return t;
}

std::vector<QStringList> GrigliaDimensioniCsv(const GrigliaDimensioni& g, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    std::vector<QStringList> t = {{QStringLiteral("Potenza (kWp)"), QStringLiteral("Batteria (kWh)"), QStringLiteral("Investimento (€)"),
                                   QStringLiteral("VAN (€)"), QStringLiteral("TIR (%)"), QStringLiteral("Ritorno semplice (anni)"),
                                   QStringLiteral("Autosufficienza (%)"), QStringLiteral("Produzione (kWh)"), QStringLiteral("Migliore"),
                                   QStringLiteral("Falde (kWp)"), QStringLiteral("Inverter (kW)"),
                                   QString::fromUtf8(kPerditaInverter) + QStringLiteral(" (kWh)")}};
    for (std::size_t i = 0; i < g.celle.size(); ++i) {
        const CellaDimensioni& c = g.celle[i];
        t.push_back({n(c.potenza, 1), n(c.batteria, 1), n(c.investimento, 2), n(c.van, 2), c.tir ? n(100 * *c.tir, 2) : QString(),
                     c.ritorno ? n(*c.ritorno, 2) : QString(), n(100 * c.autosufficienza, 1), n(c.produzione, 1),
                     i == g.migliore ? QStringLiteral("sì") : QString(), QuoteFalde(c, f),
                     c.inverter > 0 ? n(c.inverter, 2) : QStringLiteral("nessun limite"), n(c.tagliata, 1)});
    }
    return t;
}

const char* const kNotaPerditeMeteo =
    "Con un file meteorologico la produzione segue la catena di PVGIS: riflessione sul vetro (Martin e Ruiz), temperatura "
    "(Faiman) e bassa irradianza (Huld), poi le perdite di sistema (14 % come PVGIS). «Perdite» ed «Efficienza inverter» "
    "della finestra restano quelle del metodo mensile: le perdite di sistema le sostituiscono.";

const char* const kRegimeNuoviImpianti =
    "Per un impianto nuovo la tariffa del Conto Energia non si applica più: valgono il risparmio in bolletta, "
    "la vendita dell'energia immessa con il ritiro dedicato del GSE, la detrazione IRPEF per il recupero edilizio "
    "e, in una comunità energetica rinnovabile, la tariffa premio sull'energia condivisa.";

std::vector<QStringList> RiepilogoConvenienza(const Convenienza& senza, const Convenienza& con, const FormatoNumeri& f,
                                              bool conBatteria, bool perCsv)
{
    return Mostra(QStringLiteral("Convenienza"), CifreConvenienza(senza, con), f, conBatteria, perCsv);
}

std::vector<QStringList> TabellaConvenienza(const Convenienza& c, const FormatoNumeri& f)
{
    std::vector<QStringList> t = {{QStringLiteral("Anno"), QStringLiteral("Produzione (kWh)"), QStringLiteral("Consumo coperto (kWh)"),
                                   QStringLiteral("Immessa (kWh)"), QStringLiteral("Risparmio (€)"), QStringLiteral("Vendita (€)"),
                                   QStringLiteral("Premio comunità (€)"), QStringLiteral("Detrazione (€)"),
                                   QStringLiteral("Detrazione persa (€)"), QStringLiteral("Contributo PNRR (€)"),
                                   QStringLiteral("Imposte sulla vendita (€)"),
                                   QStringLiteral("Capacità batteria (%)"), QStringLiteral("Sostituzione batteria (€)"),
                                   QStringLiteral("Costi (€)"),
                                   QStringLiteral("Flusso (€)"), QStringLiteral("Cumulato (€)"), QStringLiteral("Cumulato attualizzato (€)")}};
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    for (const AnnoFlusso& a : c.anni)
        t.push_back({QString::number(a.anno), n(a.produzione, 0), n(a.coperto, 0), n(a.immessa, 0), n(a.risparmio, 2),
                     n(a.vendita, 2), n(a.premioComunita, 2), n(a.detrazione, 2), n(a.detrazionePersa, 2), n(a.contributo, 2), n(a.imposte, 2),
                     n(100 * a.capacitaBatteria, 1), n(a.sostituzioneBatteria, 2), n(a.costi, 2), n(a.flusso, 2),
                     n(a.cumulato, 2), n(a.cumulatoAttualizzato, 2)});
    return t;
}

namespace {

// The heat pump's inputs and what it gives, for the inputs' table.
void RighePompa(std::vector<QStringList>& t, const Approfondimento& a, const FormatoNumeri& f)
{
    const auto n = [&](double v) { return QString::fromStdString(TestoNumero(v, f)); };
    if (const PompaDiCalore& p = a.richiesta.pompa; p.Presente()) {
        if (p.gasMesi) {
            QStringList riga = {QStringLiteral("Gas delle bollette, da gennaio (Smc)")};
            for (double v : *p.gasMesi)
                riga << n(v);
            t.push_back(riga);
        } else {
            t.push_back({QStringLiteral("Gas dell'anno (Smc)"), n(p.gasAnno)});
        }
        t.push_back({QStringLiteral("Rendimento della caldaia"), n(p.rendimento)});
        t.push_back({QStringLiteral("Il gas scaldava l'acqua"), p.acquaCalda ? QStringLiteral("sì") : QStringLiteral("no")});
        t.push_back({QStringLiteral("Emissione del calore"), QString::fromUtf8(NomeEmissione(p.emissione))});
        t.push_back({QStringLiteral("SCOP della pompa"), p.scop ? n(*p.scop) : QStringLiteral("dalla curva alle temperature del sito")});
        if (const auto& y = a.bilancio.pompa) {
            t.push_back({QStringLiteral("Calore utile (kWh/anno)"), QString::fromStdString(TestoArrotondato(y->calore, 0, f))});
            t.push_back({QStringLiteral("Pompa di calore (kWh/anno)"), QString::fromStdString(TestoArrotondato(y->elettricaAnno, 0, f))});
            t.push_back({QStringLiteral("COP stagionale"), QString::fromStdString(TestoArrotondato(y->copStagionale, 2, f))});
            t.push_back({QStringLiteral("Temperature"), a.bilancio.temperatureDa});
        }
    }
}

} // namespace

std::vector<QStringList> IngressiApprofondimento(const Approfondimento& a, const FormatoNumeri& f)
{
    const RichiestaConsumo& c = a.richiesta.consumo;
    const auto n = [&](double v) { return QString::fromStdString(TestoNumero(v, f)); };
    std::vector<QStringList> t = {{QStringLiteral("Consumi e batteria")}};
    switch (c.modo) {
    case RichiestaConsumo::Modo::Annuo: t.push_back({QStringLiteral("Consumo annuo (kWh)"), n(c.annuo)}); break;
    case RichiestaConsumo::Modo::Fasce:
        if (c.fasceMese) {
            for (std::size_t m = 0; m < 12; ++m)
                t.push_back({QStringLiteral("Fasce F1, F2, F3 di %1 (kWh)").arg(NomeMese(m).toLower()), n((*c.fasceMese)[m][0]),
                             n((*c.fasceMese)[m][1]), n((*c.fasceMese)[m][2])});
        } else {
            t.push_back({QStringLiteral("Fasce F1, F2, F3 dell'anno (kWh)"), n(c.fasceAnno[0]), n(c.fasceAnno[1]), n(c.fasceAnno[2])});
        }
        break;
    case RichiestaConsumo::Modo::File: t.push_back({QStringLiteral("File del contatore"), c.file}); break;
    }
    t.push_back({QStringLiteral("Profilo dei consumi"), QString::fromStdString(c.profilo)});
    t.push_back({QStringLiteral("Batteria utile (kWh)"), n(a.richiesta.batteria.capacita)});
    t.push_back({QStringLiteral("Potenza della batteria (kW, 0 = come la capacità)"), n(a.richiesta.batteria.potenza)});
    t.push_back({QStringLiteral("Rendimento della batteria (%)"), n(a.richiesta.batteria.rendimento)});
    if (const AutoElettrica& v = a.richiesta.veicolo; v.km > 0) {
        t.push_back({QStringLiteral("Auto elettrica (km/anno)"), n(v.km)});
        t.push_back({QStringLiteral("Consumo dell'auto (kWh/100 km)"), n(v.consumo)});
        t.push_back({QStringLiteral("Quota ricaricata a casa (%)"), n(v.quotaCasa)});
        t.push_back({QStringLiteral("Caricatore (kW)"), n(v.potenza)});
        t.push_back({QStringLiteral("Perdite di ricarica (%)"), n(v.perdite)});
        t.push_back({QStringLiteral("Ricarica dell'auto"), QString::fromUtf8(NomeRicarica(v.ricarica))
                                                               + (v.aCasaFeriali ? QStringLiteral(", a casa anche nei feriali") : QString())});
        t.push_back({QStringLiteral("Ricarica dell'auto a casa (kWh/anno)"), QString::fromStdString(TestoArrotondato(EnergiaAuto(v), 0, f))});
    }
    RighePompa(t, a, f);
    t.push_back({QStringLiteral("Strategia della batteria"), QString::fromUtf8(NomeStrategia(a.richiesta.batteria.strategia))});
    if (const auto& p = a.richiesta.famiglia.prezziFasce)
        t.push_back({QStringLiteral("Prezzi dell'energia F1, F2, F3 (€/kWh)"), n((*p)[0]), n((*p)[1]), n((*p)[2])});
    else
        t.push_back({QStringLiteral("Prezzi dell'energia F1, F2, F3 (€/kWh)"), QStringLiteral("prezzo unico (prezzo_energia)")});
    t.push_back({QStringLiteral("Anno di riferimento"), QString::number(a.richiesta.anno > 0 ? a.richiesta.anno : AnnoDiRiferimento())});
    t.push_back({QStringLiteral("Solo giorni medi"), a.richiesta.giorniMedi ? QStringLiteral("sì") : QStringLiteral("no")});
    t.push_back({QStringLiteral("Data della spesa"), QString::fromStdString(a.richiesta.dataSpesa.empty() ? Oggi() : a.richiesta.dataSpesa)});
    t.push_back({QStringLiteral("Entrata in esercizio"), a.richiesta.dataEsercizio.empty()
                                                             ? QStringLiteral("alla data della spesa")
                                                             : QString::fromStdString(a.richiesta.dataEsercizio)});
    t.push_back({QStringLiteral("Abitazione principale"), a.richiesta.famiglia.secondaCasa ? QStringLiteral("no") : QStringLiteral("sì")});
    t.push_back({QStringLiteral("IRPEF lorda annua (€)"), a.richiesta.famiglia.impostaLorda ? n(*a.richiesta.famiglia.impostaLorda)
                                                                                            : QStringLiteral("non indicata")});
    t.push_back({QStringLiteral("Contributo PNRR"), a.richiesta.famiglia.contributoPnrr ? QStringLiteral("sì") : QStringLiteral("no")});
    t.push_back({QStringLiteral("Zona di mercato"), a.richiesta.famiglia.zona.empty() ? QStringLiteral("non nota (prezzo nazionale)")
                                                                                     : QString::fromStdString(a.richiesta.famiglia.zona)});
    return t;
}

std::vector<QStringList> TabelleApprofondimento(const Approfondimento& a, const FormatoNumeri& f, bool economia)
{
    const bool batteria = a.richiesta.batteria.capacita > 0;
    std::vector<QStringList> t = IngressiApprofondimento(a, f);
    const auto aggiungi = [&t](const QString& titolo, const std::vector<QStringList>& parte) {
        t.push_back({});
        if (!titolo.isEmpty())
            t.push_back({titolo});
        t.insert(t.end(), parte.begin(), parte.end());
    };
    aggiungi({}, RiepilogoBilancio(a.bilancio, f, batteria, true));
    if (batteria)
        aggiungi(QStringLiteral("Bilancio mese per mese, con batteria"), TabellaBilancio(a.bilancio.conBatteria, f));
    aggiungi(QStringLiteral("Bilancio mese per mese, senza batteria"), TabellaBilancio(a.bilancio.senzaBatteria, f));
    if (PiuFalde(a.bilancio)) {
        aggiungi(QStringLiteral("Falde e inverter"), TabellaFalde(a.bilancio, f));
        aggiungi(QStringLiteral("Falde mese per mese"), TabellaFaldeMesi(a.bilancio, f));
    }
    if (a.bilancio.meteo)
        aggiungi(QStringLiteral("Produzione dal file meteo"), TabellaMeteo(*a.bilancio.meteo, f));
    if (!economia)
        return t;
    aggiungi({}, RiepilogoConvenienza(a.convenienza.senza, a.convenienza.con, f, batteria, true));
    if (batteria)
        aggiungi(QStringLiteral("Flussi di cassa anno per anno, con batteria"), TabellaConvenienza(a.convenienza.con, f));
    aggiungi(QStringLiteral("Flussi di cassa anno per anno, senza batteria"), TabellaConvenienza(a.convenienza.senza, f));
    aggiungi(QStringLiteral("Parametri usati"), TabellaParametri(a.convenienza.parametri, f));
    if (a.incertezza)
        aggiungi({}, TabellaIncertezza(*a.incertezza, f));
    t.push_back({QString::fromUtf8(kRegimeNuoviImpianti)});
    if (a.richiesta.giorniMedi)
        t.push_back({QString::fromUtf8(kNotaGiorniMedi)});
    return t;
}

std::vector<QStringList> TabellaParametri(const std::vector<Parametro>& parametri, const FormatoNumeri& f)
{
    std::vector<QStringList> t = {{QStringLiteral("Parametro"), QStringLiteral("Valore"), QStringLiteral("Unità"),
                                   QStringLiteral("Descrizione"), QStringLiteral("Fonte"), QStringLiteral("Validità")}};
    for (const Parametro& p : parametri)
        t.push_back({QString::fromStdString(p.nome), QString::fromStdString(TestoNumero(p.valore, f)),
                     QString::fromStdString(p.unita), QString::fromStdString(p.descrizione),
                     QString::fromStdString(p.fonte), QString::fromStdString(PeriodoLeggibile(p))});
    return t;
}

QString TestoDelimitato(const std::vector<QStringList>& tabella, QChar separatore)
{
    QString testo;
    for (const QStringList& riga : tabella) {
        QStringList campi;
        for (const QString& c : riga)
            campi << CampoDelimitato(c, separatore);
        testo += campi.join(separatore) + QStringLiteral("\r\n");
    }
    return testo;
}

QChar SeparatoreCsv(const FormatoNumeri& formato) { return formato.decimale == "," ? u';' : u','; }

const MeteoUsato* MeteoDi(const Approfondimento* a) { return a && a->bilancio.meteo ? &*a->bilancio.meteo : nullptr; }

std::vector<QStringList> TabellaCompleta(const Risultato& r, const Approfondimento* a, const RisultatoBilancio* produzione,
                                         bool economia)
{
    const MeteoUsato* meteo = produzione && produzione->meteo ? &*produzione->meteo : MeteoDi(a);
    std::vector<QStringList> t = TabellaRelazione(r, meteo);
    if (!a && produzione && PiuFalde(*produzione)) {
        t.push_back({});
        t.push_back({QStringLiteral("Falde e inverter")});
        for (const auto& parte : {TabellaFalde(*produzione, r.formato), TabellaFaldeMesi(*produzione, r.formato)}) {
            t.insert(t.end(), parte.begin(), parte.end());
            t.push_back({});
        }
        t.pop_back();
    }
    if (!a) {
        if (meteo) {
            t.push_back({});
            t.push_back({QStringLiteral("Produzione dal file meteo")});
            const std::vector<QStringList> parte = TabellaMeteo(*meteo, r.formato);
            t.insert(t.end(), parte.begin(), parte.end());
        }
        return t;
    }
    t.push_back({});
    const std::vector<QStringList> parte = TabelleApprofondimento(*a, r.formato, economia);
    t.insert(t.end(), parte.begin(), parte.end());
    return t;
}

QString SalvaCsv(const QString& percorso, const Risultato& r, const FormatoNumeri& formato, const Approfondimento* a,
                 const RisultatoBilancio* produzione)
{
    return SalvaTabellaCsv(percorso, TabellaCompleta(r, a, produzione), formato);
}

namespace {

// A file is written only to a new path or over a regular file: a device, a
// FIFO or a folder is refused, and never replaced by a regular file.
QString DestinazioneNonValida(const QString& percorso)
{
    const QFileInfo info(percorso);
    if (info.exists() && !info.isFile())
        return QStringLiteral("Impossibile scrivere «%1»: non è un file ordinario (è una cartella, un dispositivo o una "
                              "pipe).").arg(percorso);
    return {};
}

QString NonScritto(const QString& percorso, const QString& motivo)
{
    return QStringLiteral("Impossibile scrivere il file «%1»: %2.").arg(percorso, motivo);
}

// Every byte written, flushed and closed before the file takes the name; on
// any failure (a full disk among them) the temporary file goes and an
// existing file stays as it was.
QString Conferma(QSaveFile& file, const QString& percorso)
{
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString motivo = file.errorString();
        file.cancelWriting();
        file.commit();
        return NonScritto(percorso, motivo);
    }
    if (!file.commit())
        return NonScritto(percorso, file.errorString());
    return {};
}

} // namespace

QString SalvaTabellaCsv(const QString& percorso, const std::vector<QStringList>& tabella, const FormatoNumeri& formato)
{
    if (const QString no = DestinazioneNonValida(percorso); !no.isEmpty())
        return no;
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly))
        return NonScritto(percorso, file.errorString());
    const QByteArray testo = "\xEF\xBB\xBF" + TestoDelimitato(tabella, SeparatoreCsv(formato)).toUtf8();
    if (file.write(testo) != testo.size()) {
        const QString motivo = file.errorString();
        file.cancelWriting();
        file.commit();
        return NonScritto(percorso, motivo);
    }
    return Conferma(file, percorso);
}

// The report's pages in order, each drawn into the page rectangle it is given:
// the calculation; with the balance, its page, the parameters (as many
// pages as they fill) and, when weighed, how sure and which plant.
std::vector<std::function<void(QPainter&, const QRectF&)>> PagineRelazione(const Risultato& r, const Approfondimento* a,
                                                                           const RisultatoBilancio* produzione)
{
    std::vector<std::function<void(QPainter&, const QRectF&)>> pagine;
    const MeteoUsato* meteo = produzione && produzione->meteo ? &*produzione->meteo : MeteoDi(a);
    pagine.push_back([&r, meteo](QPainter& p, const QRectF& q) { DisegnaRelazione(p, q, r, meteo); });
    // The faces and the inverter: what a connection request asks for.
    const RisultatoBilancio* impianto = a ? &a->bilancio : produzione;
    if (impianto && PiuFalde(*impianto))
        pagine.push_back([&r, impianto](QPainter& p, const QRectF& q) { DisegnaFalde(p, q, r, *impianto); });
    if (!a)
        return pagine;
    pagine.push_back([&r, a](QPainter& p, const QRectF& q) { DisegnaApprofondimento(p, q, r, *a); });
    for (int i = 0; i < PagineParametri(*a); ++i)
        pagine.push_back([&r, a, i](QPainter& p, const QRectF& q) { DisegnaParametri(p, q, r, *a, i); });
    if (a->incertezza || a->griglia)
        pagine.push_back([&r, a](QPainter& p, const QRectF& q) { DisegnaDecisione(p, q, r, *a); });
    return pagine;
}

QString SalvaPdf(const QString& percorso, const Risultato& r, const Approfondimento* a, const RisultatoBilancio* produzione)
{
    if (const QString no = DestinazioneNonValida(percorso); !no.isEmpty())
        return no;
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly))
        return NonScritto(percorso, file.errorString());
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(600);
        pdf.setTitle(QStringLiteral("Relazione di calcolo - %1").arg(QString::fromUtf8(kTitolo)));
        pdf.setCreator(QStringLiteral("calcolo-fv %1").arg(QString::fromUtf8(kVersioneMostrata)));
        QPainter painter(&pdf);
        const auto pagine = PagineRelazione(r, a, produzione);
        for (std::size_t i = 0; i < pagine.size(); ++i) {
            if (i > 0)
                pdf.newPage();
            pagine[i](painter, QRectF(0, 0, pdf.width(), pdf.height()));
        }
    }
    return Conferma(file, percorso);
}

QString StampaRelazione(QPrinter& stampante, const Risultato& r, const Approfondimento* a)
{
    QPainter painter;
    if (!painter.begin(&stampante))
        return QStringLiteral("Impossibile avviare la stampa.");
    const auto pagine = PagineRelazione(r, a, nullptr);
    for (std::size_t i = 0; i < pagine.size(); ++i) {
        if (i > 0)
            stampante.newPage();
        pagine[i](painter, stampante.paperRect(QPrinter::DevicePixel));
    }
    return {};
}

namespace {

// A report page in millimetres from its top left corner, whatever the
// painter's device units.
class Foglio {
public:
    Foglio(QPainter& p, const QRectF& pagina) : p_(p), pagina_(pagina), mm_(pagina.width() / 210.0) {}

    QRectF R(double x, double y, double l, double a) const
    {
        return {pagina_.left() + x * mm_, pagina_.top() + y * mm_, l * mm_, a * mm_};
    }
    void Carattere(double punti, bool grassetto = false)
    {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPointSizeF(punti);
        f.setBold(grassetto);
        p_.setFont(f);
    }
    void Testo(double x, double y, double l, double a, const QString& t, int allineamento = Qt::AlignLeft)
    {
        p_.drawText(R(x, y, l, a), allineamento | Qt::AlignVCenter | Qt::TextWordWrap, t);
    }
    void Linea(double x1, double y, double x2, const QColor& colore = Qt::black)
    {
        p_.setPen(QPen(colore, 0.25 * mm_));
        p_.drawLine(R(x1, y, 0, 0).topLeft(), R(x2, y, 0, 0).topLeft());
        p_.setPen(Qt::black);
    }
    // Caption and value pairs in a column.
    void Voci(double x, double y, double l, const std::vector<std::pair<QString, QString>>& voci)
    {
        for (const auto& [didascalia, valore] : voci) {
            Carattere(9);
            Testo(x, y, l * 0.55, 5, didascalia);
            // A long name (a comune of 24 letters or more) is set smaller
            // until it fits its cell, down to 6 points.
            double punti = 9;
            Carattere(punti, true);
            while (punti > 6 && p_.fontMetrics().horizontalAdvance(valore) > R(0, 0, l * 0.45, 0).width()) {
                punti -= 0.5;
                Carattere(punti, true);
            }
            Testo(x + l * 0.55, y, l * 0.45, 5, valore);
            y += 5;
        }
    }
    // A table: columns' widths [mm], one row every `altezza` mm; the first
    // row bold; the first column left-aligned, the others right. Returns
    // where the table ends.
    double Tabella(double y, const std::vector<double>& larghezze, const std::vector<QStringList>& righe, double punti,
                   double altezza, const std::vector<int>& aSinistra = {0})
    {
        for (std::size_t r = 0; r < righe.size(); ++r) {
            Carattere(punti, r == 0);
            // A heading that wraps gets two lines.
            double alta = altezza;
            double x = kSinistraTabella;
            for (int c = 0; r == 0 && c < righe[r].size() && c < int(larghezze.size()); ++c)
                if (p_.fontMetrics().horizontalAdvance(righe[r][c]) > R(0, 0, larghezze[std::size_t(c)] - 1.5, 0).width())
                    alta = 2 * altezza;
            for (int c = 0; c < righe[r].size() && c < int(larghezze.size()); ++c) {
                const bool sinistra = std::find(aSinistra.begin(), aSinistra.end(), c) != aSinistra.end();
                Testo(x, y, larghezze[std::size_t(c)] - 1.5, alta, righe[r][c], sinistra ? Qt::AlignLeft : Qt::AlignRight);
                x += larghezze[std::size_t(c)];
            }
            y += alta;
        }
        return y;
    }
    QPainter& painter() { return p_; }
    static constexpr double kSinistraTabella = 18;

private:
    QPainter& p_;
    QRectF pagina_;
    double mm_;
};

constexpr double kSinistra = 18;
constexpr double kLarghezza = 174;

void Intestazione(Foglio& f)
{
    f.Carattere(16, true);
    f.Testo(kSinistra, 14, kLarghezza, 9, QString::fromUtf8(kTitolo));
    f.Carattere(10);
    f.Testo(kSinistra, 23, kLarghezza / 2, 6, QStringLiteral("Relazione di calcolo"));
    f.Testo(kSinistra + kLarghezza / 2, 23, kLarghezza / 2,
            6, QLocale(QLocale::Italian).toString(QDate::currentDate(), QStringLiteral("d MMMM yyyy")),
            Qt::AlignRight);
    f.Linea(kSinistra, 30, kSinistra + kLarghezza);
}

void SitoEImpianto(Foglio& f, const Risultato& r)
{
    f.Carattere(11, true);
    f.Testo(kSinistra, 33, 80, 6, QStringLiteral("Sito"));
    f.Testo(kSinistra + 92, 33, 80, 6, QStringLiteral("Impianto"));
    f.Voci(kSinistra, 40, 84, VociSito(r));
    f.Voci(kSinistra + 92, 40, 82, VociImpianto(r));
}

void TabellaMesi(Foglio& f, const Risultato& r, double y)
{
    const double colonne[] = {kSinistra, kSinistra + 54, kSinistra + 94, kSinistra + 134, kSinistra + kLarghezza};
    const QStringList testa = {QStringLiteral("Mese"), QStringLiteral("Orizzontale\n(kWh/m² al giorno)"),
                               QStringLiteral("Sul piano dei moduli\n(kWh/m² al giorno)"), QStringLiteral("Energia\n(kWh)")};
    const auto riga = [&](const QStringList& celle, bool grassetto, double altezza) {
        f.Carattere(9, grassetto);
        for (int c = 0; c < 4; ++c)
            f.Testo(colonne[c], y, colonne[c + 1] - colonne[c] - 2, altezza, celle[c], c ? Qt::AlignRight : Qt::AlignLeft);
        y += altezza;
    };
    riga(testa, true, 8.4);
    f.Linea(kSinistra, y, kSinistra + kLarghezza);
    for (std::size_t m = 0; m < 12; ++m)
        riga({NomeMese(m), Fisso(r.radOriz[m], 2, r), Fisso(r.radInc[m], 2, r), Fisso(r.energieMensili[m], 0, r)}, false, 4.3);
    f.Linea(kSinistra, y, kSinistra + kLarghezza);
    riga({QStringLiteral("Totale annuo (kWh/m², kWh)"), r.totOrizzontale, r.totPiano, r.energia}, true, 4.6);
}

void Risultati(Foglio& f, const Risultato& r, double y, const MeteoUsato* meteo)
{
    f.Carattere(11, true);
    f.Testo(kSinistra, y, kLarghezza, 6, meteo ? QStringLiteral("Risultati del metodo mensile") : QStringLiteral("Risultati"));
    f.Voci(kSinistra, y + 7, 150, VociRisultati(r, meteo));
}

} // namespace

namespace {

// A text cut to at most n characters at a word's end, "…" marking the cut.
QString Accorciato(const QString& testo, qsizetype n)
{
    if (testo.size() <= n)
        return testo;
    const qsizetype spazio = testo.lastIndexOf(u' ', n - 1);
    return testo.left(spazio > n / 2 ? spazio : n - 1).trimmed() + QStringLiteral("…");
}

} // namespace

namespace {

// A page of its own: the title in large bold, the text after it at 9 pt.
void TitoloPagina(Foglio& f, const QString& titolo)
{
    f.Carattere(16, true);
    f.Testo(kSinistra, 14, kLarghezza, 9, titolo);
    f.Carattere(9);
}

void PiePagina(Foglio& f)
{
    f.Linea(kSinistra, 280, kSinistra + kLarghezza);
    f.Carattere(8);
    f.Testo(kSinistra, 281, kLarghezza, 5,
            QStringLiteral("calcolo-fv %1 · %2").arg(QString::fromUtf8(kVersioneMostrata), QString::fromUtf8(kTitolo)));
}

} // namespace

namespace {
QString FraseMeteo(const Approfondimento& a, const Risultato& r);
QString FraseFamiglia(const Approfondimento& a, const FormatoNumeri& f);
} // namespace

void DisegnaApprofondimento(QPainter& painter, const QRectF& pagina, const Risultato& r, const Approfondimento& a)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Foglio f(painter, pagina);
    TitoloPagina(f, QStringLiteral("Autoconsumo e convenienza economica"));
    const RichiestaBilancio& q = a.richiesta;
    QString consumo = q.consumo.modo == RichiestaConsumo::Modo::File
                          ? QStringLiteral("consumi dal file %1").arg(q.consumo.file)
                          : q.consumo.modo == RichiestaConsumo::Modo::Fasce
                                ? QStringLiteral("consumi dalle fasce della bolletta")
                                : QStringLiteral("consumo annuo %1 kWh").arg(QString::fromStdString(TestoArrotondato(q.consumo.annuo, 0, r.formato)));
    const QString data = QString::fromStdString(q.dataSpesa.empty() ? Oggi() : q.dataSpesa);
    f.Testo(kSinistra, 23, kLarghezza, 6,
            QStringLiteral("%1 · %2 kW · %3 · batteria %4 kWh · anno di riferimento %5%6 · spesa del %7, %8")
                .arg(r.comuneRadiazione, r.impianto.potenza, consumo,
                     QString::fromStdString(TestoNumero(q.batteria.capacita, r.formato)))
                .arg(q.anno)
                .arg(q.giorniMedi ? QStringLiteral(" · giorni medi") : QString(),
                     QDate::fromString(data, Qt::ISODate).toString(QStringLiteral("dd/MM/yyyy")),
                     q.famiglia.secondaCasa ? QStringLiteral("altra abitazione") : QStringLiteral("abitazione principale")));
    f.Linea(kSinistra, 30, kSinistra + kLarghezza);
    const bool batteria = q.batteria.capacita > 0;
    const Bilancio& mostrato = batteria ? a.bilancio.conBatteria : a.bilancio.senzaBatteria;
    double y = f.Tabella(33, {86, 44, 44}, RiepilogoBilancio(a.bilancio, r.formato, batteria), 8.5, 4.6);
    f.Carattere(7.5);
    f.Testo(kSinistra, y + 1, kLarghezza, 4, batteria ? QStringLiteral("Mese per mese, con batteria:") : QStringLiteral("Mese per mese:"));
    y = f.Tabella(y + 5, {20, 19, 19, 22, 18, 18, 20, 19, 19}, TabellaBilancio(mostrato, r.formato), 7, 4.0);
    y = f.Tabella(y + 4, {86, 44, 44}, RiepilogoConvenienza(a.convenienza.senza, a.convenienza.con, r.formato, batteria), 8.5, 4.6);
    f.Carattere(7.5);
    f.Testo(kSinistra, y + 1, kLarghezza, 8, QString::fromUtf8(kRegimeNuoviImpianti));
    f.Testo(kSinistra, y + 9, kLarghezza, 8, FraseMeteo(a, r));
    if (a.incertezza)
        f.Testo(kSinistra, y + 17, kLarghezza, 11, RigaIncertezza(*a.incertezza, r.formato)); // three lines
    double sotto = y + 29;
    if (const QString famiglia = FraseFamiglia(a, r.formato); !famiglia.isEmpty()) {
        f.Testo(kSinistra, sotto, kLarghezza, 8, famiglia);
        sotto += 9;
    }
    f.Testo(kSinistra, sotto, kLarghezza, 4, QStringLiteral("I parametri usati, con fonte e periodo, sono alle pagine seguenti."));
    PiePagina(f);
    painter.restore();
}

namespace {

// What the household adds to the house's consumption, and from what.
QString FraseFamiglia(const Approfondimento& a, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    QStringList parti;
    if (const auto& y = a.bilancio.pompa) {
        const PompaDiCalore& p = a.richiesta.pompa;
        parti << QStringLiteral("pompa di calore al posto della caldaia, %1 kWh dai %2 Smc di gas%3 (calore %4 kWh, rendimento "
                                "della caldaia %5, %6, COP stagionale %7; temperature: %8)")
                     .arg(n(y->elettricaAnno, 0), n(p.GasAnno(), 0), p.gasMesi ? QStringLiteral(" delle bollette") : QString(),
                          n(y->calore, 0), n(p.rendimento, 2), QString::fromUtf8(NomeEmissione(p.emissione)),
                          n(y->copStagionale, 2), a.bilancio.temperatureDa);
    }
    if (const AutoElettrica& v = a.richiesta.veicolo; v.km > 0)
        parti << QStringLiteral("auto elettrica, %1 kWh per %2 km (ricarica «%3»)")
                     .arg(n(a.bilancio.RicaricaAuto(), 0), n(v.km, 0), QString::fromUtf8(NomeRicarica(v.ricarica)));
    return parti.isEmpty() ? QString() : QStringLiteral("Consumi aggiunti alla casa: ") + parti.join(QStringLiteral("; ")) + u'.';
}

// Which weather the balance ran on, for the report's second page.
QString FraseMeteo(const Approfondimento& a, const Risultato& r)
{
    const std::optional<MeteoUsato>& m = a.bilancio.meteo;
    return m ? QStringLiteral("Anno meteorologico dal file %1 (%2), sito %3° N %4° E a %5 km dal comune; cielo %6, perdite di sistema "
                           "%7%8: %9 kWh contro %10 kWh del metodo mensile.")
                .arg(QFileInfo(m->file).fileName(), QString::fromStdString(m->formato),
                     QString::fromStdString(TestoArrotondato(m->latitudine, 3, r.formato)),
                     QString::fromStdString(TestoArrotondato(m->longitudine, 3, r.formato)),
                     QString::fromStdString(TestoArrotondato(m->distanzaKm, 0, r.formato)),
                     QString::fromUtf8(NomeTrasposizione(m->trasposizione)),
                     QString::fromStdString(TestoArrotondato(100 * m->produzione.perditaSistema, 1, r.formato)) + QStringLiteral(" %"),
                     m->orizzonte ? QStringLiteral(", con orizzonte") : QString(),
                     QString::fromStdString(TestoArrotondato(m->produzione.anno, 0, r.formato)))
                .arg(QString::fromStdString(TestoArrotondato(std::accumulate(m->metodoMensile.begin(), m->metodoMensile.end(), 0.0), 0,
                                                             r.formato)))
          : QStringLiteral("Anno meteorologico: il clima mensile del comune su giorni sintetici (serie di giorni sereni e "
                           "nuvolosi con la media del mese).");
}

} // namespace

void DisegnaFalde(QPainter& painter, const QRectF& pagina, const Risultato& r, const RisultatoBilancio& b)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Foglio f(painter, pagina);
    TitoloPagina(f, QStringLiteral("Impianto: falde e inverter"));
    const QString fonte = b.meteo ? QStringLiteral("ore dell'anno meteorologico «%1»").arg(QFileInfo(b.meteo->file).fileName())
                                  : QStringLiteral("clima mensile del comune distribuito ora per ora");
    f.Testo(kSinistra, 23, kLarghezza, 6,
            QStringLiteral("%1 · potenza di picco %2 kWp · %3 · anno %4")
                .arg(r.comuneRadiazione, QString::fromStdString(TestoArrotondato(b.PotenzaDiPicco(), 2, r.formato)), fonte)
                .arg(b.anno));
    f.Linea(kSinistra, 30, kSinistra + kLarghezza);
    const std::vector<QStringList> t = TabellaFalde(b, r.formato);
    const std::size_t falde = b.falde.size() + 2;
    double y = f.Tabella(33, {26, 20, 18, 20, 22, 24, 24, 20}, {t.begin(), t.begin() + std::ptrdiff_t(falde)}, 8, 5);
    y = f.Tabella(y + 3, {86, 44, 44}, {t.begin() + std::ptrdiff_t(falde), t.end()}, 8.5, 4.8);
    f.Carattere(9, true);
    f.Testo(kSinistra, y + 4, kLarghezza, 6, QStringLiteral("Mese per mese"));
    y = f.Tabella(y + 10, std::vector<double>(b.falde.size() + 3, kLarghezza / double(b.falde.size() + 3)),
                  TabellaFaldeMesi(b, r.formato), 8, 4.4);
    f.Carattere(7.5);
    f.Testo(kSinistra, y + 3, kLarghezza, 16,
            QStringLiteral("La falda 1 è il piano della finestra di calcolo, le cui cifre alla prima pagina restano quelle del "
                           "metodo mensile per una falda. Ogni falda ha le sue ore; la loro somma, ora per ora, oltre la potenza "
                           "dell'inverter è persa: è la «%1». Autoconsumo e convenienza usano l'energia dell'impianto dopo il "
                           "limite; i costi seguono la potenza di picco di tutte le falde.")
                .arg(QString::fromUtf8(kPerditaInverter).toLower()));
    PiePagina(f);
    painter.restore();
}

int PagineParametri(const Approfondimento& a)
{
    const int n = int(a.convenienza.parametri.size());
    return std::max(1, (n + kParametriPerPagina - 1) / kParametriPerPagina);
}

void DisegnaParametri(QPainter& painter, const QRectF& pagina, const Risultato& r, const Approfondimento& a, int parte)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Foglio f(painter, pagina);
    TitoloPagina(f, parte == 0 ? QStringLiteral("Parametri economici usati")
                               : QStringLiteral("Parametri economici usati (segue, %1 di %2)").arg(parte + 1).arg(PagineParametri(a)));
    const QString data = QString::fromStdString(a.richiesta.dataSpesa.empty() ? Oggi() : a.richiesta.dataSpesa);
    f.Testo(kSinistra, 23, kLarghezza, 6,
            QStringLiteral("Le regole in vigore per una spesa del %1; ogni valore con la sua fonte (\"stima\" dove nessuna fonte "
                           "ufficiale lo fissa).")
                .arg(QDate::fromString(data, Qt::ISODate).toString(QStringLiteral("dd/MM/yyyy"))));
    f.Linea(kSinistra, 30, kSinistra + kLarghezza);
    // The heading on every page, then this page's share of the rows.
    const std::vector<QStringList> tutti = TabellaParametri(a.convenienza.parametri, r.formato);
    std::vector<QStringList> parametri;
    for (std::size_t i = 0; i < tutti.size(); ++i) {
        const std::size_t riga = i == 0 ? 0 : i - 1;
        if (i > 0 && (riga < std::size_t(parte * kParametriPerPagina) || riga >= std::size_t((parte + 1) * kParametriPerPagina)))
            continue;
        parametri.push_back({tutti[i][0], tutti[i][1], tutti[i][2], Accorciato(tutti[i][4], 150), tutti[i][5]});
    }
    f.Tabella(33, {34, 12, 16, 84, 28}, parametri, 6.5, 5.6, {0, 3});
    PiePagina(f);
    painter.restore();
}

void DisegnaDecisione(QPainter& painter, const QRectF& pagina, const Risultato& r, const Approfondimento& a)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Foglio f(painter, pagina);
    TitoloPagina(f, QStringLiteral("Quale impianto e quanto è sicuro"));
    f.Testo(kSinistra, 23, kLarghezza, 6,
            QStringLiteral("Altre potenze e batterie con le stesse regole e gli stessi consumi; quanto le cifre dipendono "
                           "dai parametri incerti."));
    f.Linea(kSinistra, 30, kSinistra + kLarghezza);
    double y = 33;
    if (a.incertezza) {
        const std::vector<QStringList> t = TabellaIncertezza(*a.incertezza, r.formato, 10);
        const auto vuota = std::find_if(t.begin(), t.end(), [](const QStringList& x) { return x.isEmpty(); });
        // The figures as a table, its notes (rows of one cell) across the page below.
        std::vector<QStringList> cifre;
        QStringList note;
        for (auto x = t.begin(); x != vuota; ++x)
            (x->size() == 1 ? static_cast<void>(note << x->front()) : cifre.push_back(*x));
        y = f.Tabella(y, {86, 30, 30, 30}, cifre, 8, 4.8) + 1;
        f.Carattere(7.5);
        f.Testo(kSinistra, y, kLarghezza, 8, note.join(u' '));
        y += 10;
        if (vuota != t.end())
            y = f.Tabella(y, {56, 24, 24, 35, 35}, {vuota + 1, t.end()}, 7, 4.2) + 4;
    }
    if (a.griglia) {
        const double attuale = a.richiesta.batteria.capacita;
        const std::vector<QStringList> t = TabellaDimensioni(*a.griglia, a.bilancio.PotenzaDiPicco(), attuale, r.formato);
        const auto vuota = std::find_if(t.begin(), t.end(), [](const QStringList& x) { return x.isEmpty(); });
        y = f.Tabella(y, {46, 28, 28, 24, 20, 28}, {t.begin(), vuota}, 8, 4.8) + 3;
        if (vuota != t.end())
            f.Tabella(y, {30, 36, 36, 36, 36}, {vuota + 1, t.end()}, 7, 3.9);
    } else {
        f.Carattere(7.5);
        f.Testo(kSinistra, y, kLarghezza, 5, QStringLiteral("La griglia delle potenze e delle batterie non è stata calcolata "
                                                            "(«Quale impianto» nel dialogo, o calcolo-fv dimensiona)."));
    }
    PiePagina(f);
    painter.restore();
}

void DisegnaRelazione(QPainter& painter, const QRectF& pagina, const Risultato& r, const MeteoUsato* meteo)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Foglio f(painter, pagina);
    Intestazione(f);
    SitoEImpianto(f, r);
    f.Carattere(8);
    std::array<QString, 12> mesi;
    for (std::size_t m = 0; m < 12; ++m)
        mesi[m] = NomeMese(m).left(3).toLower();
    DisegnaGraficoCarta(painter, f.R(kSinistra, 79, kLarghezza, 62), mesi, r.radOriz, r.radInc);
    TabellaMesi(f, r, 144);
    f.Carattere(7);
    f.Testo(kSinistra, 208.8, kLarghezza, 4, QString::fromUtf8(kNotaArrotondamento));
    Risultati(f, r, 212, meteo);
    f.Carattere(7.5, true);
    QStringList note = NoteTariffa(r);
    if (meteo)
        note.prepend(RigaProduzioneMeteo(*meteo, r.formato));
    f.Testo(kSinistra, 244, kLarghezza, 8, note.join(u' '));
    f.Carattere(7.5);
    f.Testo(kSinistra, 252, kLarghezza, 8, QString::fromUtf8(kOrigineTariffa));
    f.Testo(kSinistra, 260, kLarghezza, 19, OrigineRadiazione(r));
    f.Linea(kSinistra, 280, kSinistra + kLarghezza);
    f.Carattere(8);
    f.Testo(kSinistra, 281, kLarghezza, 5,
            QStringLiteral("calcolo-fv %1 · %2").arg(QString::fromUtf8(kVersioneMostrata), QString::fromUtf8(kTitolo)));
    painter.restore();
}

namespace {

// The community's mean day [kWh per clock hour]: fed in and drawn as lines,
// the shared part filled.
void DisegnaGiornoComunita(Foglio& f, double y, double altezza, const CondivisaComunita& o)
{
    QPainter& p = f.painter();
    const QRectF area = f.R(kSinistra + 10, y, kLarghezza - 14, altezza);
    double massimo = 0.001;
    for (std::size_t h = 0; h < 24; ++h)
        massimo = std::max({massimo, o.immessaMedia[h], o.prelevataMedia[h]});
    const auto punto = [&](std::size_t h, double v) {
        return QPointF(area.left() + area.width() * (double(h) + 0.5) / 24, area.bottom() - area.height() * v / massimo);
    };
    QPolygonF condivisa;
    condivisa << QPointF(punto(0, 0));
    for (std::size_t h = 0; h < 24; ++h)
        condivisa << punto(h, o.condivisaMedia[h]);
    condivisa << punto(23, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 190, 120));
    p.drawPolygon(condivisa);
    p.setBrush(Qt::NoBrush);
    for (const auto& [serie, colore] : {std::pair{&o.immessaMedia, QColor(220, 140, 20)}, std::pair{&o.prelevataMedia, QColor(40, 90, 200)}}) {
        QPolygonF linea;
        for (std::size_t h = 0; h < 24; ++h)
            linea << punto(h, (*serie)[h]);
        p.setPen(QPen(colore, f.R(0, 0, 0.5, 0).width()));
        p.drawPolyline(linea);
    }
    p.setPen(Qt::black);
    p.drawRect(area);
    f.Carattere(6.5);
    for (std::size_t h = 0; h < 24; h += 3)
        f.Testo(kSinistra + 10 + (kLarghezza - 14) * double(h) / 24, y + altezza + 0.5, 8, 3, QString::number(h));
    f.Testo(kSinistra, y, 10, 3, QString::number(massimo, 'f', 1));
    f.Testo(kSinistra, y + altezza - 3, 10, 3, QStringLiteral("0"));
    f.Testo(kSinistra, y + altezza + 4, kLarghezza, 4,
            QStringLiteral("Giorno medio dell'anno, kWh per ora: immessa (arancio), prelevata (blu), condivisa (area verde)."));
}

void PaginaComunita(Foglio& f, const RisultatoComunita& c, const FormatoNumeri& fn)
{
    TitoloPagina(f, QStringLiteral("Comunità energetica rinnovabile"));
    f.Carattere(8);
    f.Testo(kSinistra, 23, kLarghezza, 6,
            QStringLiteral("%1 membri · anno %2 · file %3").arg(c.membri.size()).arg(c.anno).arg(QFileInfo(c.file).fileName()));
    f.Linea(kSinistra, 30, kSinistra + kLarghezza);
    std::vector<QStringList> cifre = TabellaComunita(c, fn);
    double y = f.Tabella(33, {90, 84}, cifre, 8.5, 4.6, {0, 1});
    f.Carattere(7.5);
    f.Testo(kSinistra, y + 1, kLarghezza, 10, FraseCondizione(c, fn));
    y = f.Tabella(y + 12, {40, 40, 40, 40}, TabellaMesiComunita(c, fn), 7, 3.9);
    DisegnaGiornoComunita(f, y + 5, 45, c.esito.ore);
    PiePagina(f);
}

// The members' rows, as many pages as they take.
std::vector<std::vector<QStringList>> PagineMembri(const RisultatoComunita& c, const FormatoNumeri& fn)
{
    const std::vector<QStringList> t = TabellaMembri(c, fn);
    constexpr std::size_t kRighe = 52;
    std::vector<std::vector<QStringList>> pagine;
    for (std::size_t r = 1; r < t.size(); r += kRighe) {
        std::vector<QStringList> pagina = {t.front()};
        for (std::size_t k = r; k < std::min(t.size(), r + kRighe); ++k)
            pagina.push_back(t[k]);
        pagine.push_back(std::move(pagina));
    }
    return pagine;
}

} // namespace

QString SalvaPdfComunita(const QString& percorso, const RisultatoComunita& c, const FormatoNumeri& fn)
{
    if (const QString no = DestinazioneNonValida(percorso); !no.isEmpty())
        return no;
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly))
        return NonScritto(percorso, file.errorString());
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(600);
        pdf.setTitle(QStringLiteral("Comunità energetica - %1").arg(QString::fromUtf8(kTitolo)));
        pdf.setCreator(QStringLiteral("calcolo-fv %1").arg(QString::fromUtf8(kVersioneMostrata)));
        QPainter painter(&pdf);
        const QRectF pagina(0, 0, pdf.width(), pdf.height());
        {
            Foglio f(painter, pagina);
            PaginaComunita(f, c, fn);
        }
        for (const std::vector<QStringList>& righe : PagineMembri(c, fn)) {
            pdf.newPage();
            Foglio f(painter, pagina);
            TitoloPagina(f, QStringLiteral("I membri: energia, premio e convenienza"));
            f.Linea(kSinistra, 30, kSinistra + kLarghezza);
            f.Tabella(33, {22, 14, 12, 12, 12, 12, 12, 12, 13, 12, 12, 11, 9, 14}, righe, 5.8, 4.2, {0, 1, 2});
            PiePagina(f);
        }
    }
    return Conferma(file, percorso);
}

} // namespace fv
