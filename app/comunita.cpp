// SPDX-License-Identifier: MIT
#include "app/comunita.h"

#include "app/analisi.h"
#include "calc/catena.h"
#include "calc/contatore.h"
#include "calc/economia.h"
#include "calc/meteo.h"
#include "calc/numeri.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <map>
#include <numeric>

namespace fv {

namespace {

constexpr qint64 kDimensioneMassimaMembri = 4 * 1024 * 1024;

// The hours of one kWp on a plane, computed once for every member on it.
class PianiDelSito {
public:
    PianiDelSito(const Risultato& sito, double longitudine, const std::optional<AnnoMeteo>& meteo, const RichiestaMeteo& m,
                 const Calendario& cal)
        : sito_(sito), longitudine_(longitudine), meteo_(meteo), richiesta_(m), cal_(cal)
    {
    }

    const std::vector<Ore>& Ore1kWp(double tilt, double azimut)
    {
        const auto chiave = std::make_pair(tilt, azimut);
        auto trovato = piani_.find(chiave);
        if (trovato != piani_.end())
            return trovato->second;
        Falda f;
        f.tilt = tilt;
        f.azimut = azimut;
        f.potenza = 1;
        std::vector<Ore> ore;
        if (meteo_) {
            ImpiantoMeteo p;
            p.latitudine = meteo_->latitudine;
            p.longitudine = meteo_->longitudine;
            p.tilt = tilt;
            p.azimut = azimut;
            p.riflettanza = sito_.letti.riflettanza;
            p.potenza = 1;
            p.perditeSistema = richiesta_.perditeSistema;
            p.trasposizione = richiesta_.trasposizione;
            try {
                ore = ProduzioneDaMeteo(p, *meteo_, cal_).ore;
            } catch (const ErroreMeteo& e) {
                throw ErroreRichiesta("meteo", "«" + richiesta_.file.toStdString() + "»: " + e.what());
            }
        } else {
            ImpiantoOrario p;
            p.latitudine = sito_.letti.latitudine;
            p.longitudine = longitudine_;
            p.tilt = tilt;
            p.azimut = azimut;
            p.riflettanza = sito_.letti.riflettanza;
            p.radOriz = sito_.radOriz;
            p.energiaMese = MesiDellaFalda(f, sito_.letti.latitudine, sito_.letti.riflettanza, sito_.radOriz, sito_.letti.perdite,
                                           sito_.letti.efficienza)
                                .energia;
            ore = ProduzioneOraria(p, cal_, false);
        }
        return piani_.emplace(chiave, std::move(ore)).first->second;
    }

private:
    const Risultato& sito_;
    double longitudine_;
    const std::optional<AnnoMeteo>& meteo_;
    const RichiestaMeteo& richiesta_;
    const Calendario& cal_;
    std::map<std::pair<double, double>, std::vector<Ore>> piani_;
};

std::optional<AnnoMeteo> LeggiAnno(const RichiestaMeteo& m)
{
    if (m.file.isEmpty())
        return std::nullopt;
    const std::string nome = m.file.toStdString();
    QFile f(m.file);
    if (!QFileInfo(m.file).isFile() || !f.open(QIODevice::ReadOnly))
        throw ErroreRichiesta("meteo", "il file «" + nome + "» non si legge.");
    if (f.size() > kDimensioneMassimaMeteo)
        throw ErroreRichiesta("meteo", "il file «" + nome + "» è troppo grande per un anno meteorologico.");
    try {
        return LeggiMeteo(f.readAll().toStdString());
    } catch (const ErroreMeteo& e) {
        throw ErroreRichiesta("meteo", "«" + nome + "», " + e.what());
    }
}

// A member's consumption: its yearly figure over its profile, or its meter's file.
std::vector<Ore> ConsumoDelMembro(const Membro& m, const QDir& cartella, const Calendario& cal, QStringList& avvisi)
{
    const ProfiloConsumo* profilo = TrovaProfilo(m.profilo);
    if (!profilo)
        profilo = &ProfiliConsumo().front();
    if (m.consumi.empty())
        return m.consumoAnnuo > 0 ? ConsumoDaAnnuo(m.consumoAnnuo, *profilo, cal) : std::vector<Ore>(cal.giorni.size(), Ore{});
    const QString file = cartella.filePath(QString::fromStdString(m.consumi));
    try {
        LetturaContatore l = LeggiContatore(LeggiFileConsumi(file), cal, *profilo);
        if (l.oreRiempite > 0)
            avvisi << QStringLiteral("%1: %2 ore mancanti nel file dei consumi, riempite dal profilo.")
                          .arg(QString::fromStdString(m.nome))
                          .arg(l.oreRiempite);
        return std::move(l.consumo);
    } catch (const ErroreContatore& e) {
        throw ErroreRichiesta("membri", "riga " + std::to_string(m.riga) + " («" + m.nome + "»), consumi: il file «"
                                            + m.consumi + "» " + e.what());
    }
}

RegoleComunita RegoleDelSito(const Risultato& sito, const RichiestaComunita& q, const std::vector<Parametro>& parametri)
{
    const Famiglia famiglia = FamigliaDelSito(sito, {});
    RegoleComunita g;
    g.prezzoZonale = PrezzoZonaleDi(parametri, famiglia.zona);
    g.correzione = CorrezionePremio(parametri, famiglia.area);
    g.contributoPnrr = q.contributoPnrr;
    g.riduzionePnrr = Valore(parametri, "riduzione_premio_pnrr") / 100;
    g.premioAttivo = Valore(parametri, "premio_comunita") > 0;
    g.valorizzazione = g.premioAttivo ? Valore(parametri, "valorizzazione_arera") : 0;
    g.prezzoEnergia = Valore(parametri, "prezzo_energia");
    g.prezzoMinimo = Valore(parametri, "prezzo_minimo_garantito");
    g.ripartizione = q.ripartizione;
    g.quotaProduttori = q.quotaProduttori;
    return g;
}

// A member's plant under the household economics (no premium in it: the
// community's split is added year by year, for the premium's years).
void ConvenienzaDelMembro(const Membro& m, const Bilancio& b, const CurvaBatteria* curva, double premioAnno,
                          const std::vector<Parametro>& parametri, const Famiglia& sito, std::optional<double>& investimento,
                          std::optional<double>& van, std::optional<double>& ritorno)
{
    if (m.Picco() <= 0)
        return;
    std::vector<Parametro> senzaPremio = parametri;
    Imposta(senzaPremio, "quota_condivisa", 0);
    Famiglia f = sito;
    f.contributoPnrr = false;
    if (m.tipo != TipoMembro::Domestico)
        f.impostaLorda = 0; // no household deduction for a business or a public body
    Convenienza c = CalcolaConvenienza(EnergiaDelBilancio(b.anno), m.Picco(), m.batteria, senzaPremio, f, curva, nullptr, false);
    const int anni = int(Valore(parametri, "anni_premio"));
    const double degrado = Valore(parametri, "degrado") / 100;
    std::vector<double> flussi;
    for (const AnnoFlusso& a : c.anni)
        flussi.push_back(a.flusso + (a.anno >= 1 && a.anno <= anni ? premioAnno * std::pow(1 - degrado, a.anno - 1) : 0));
    investimento = c.investimento;
    van = ValoreAttuale(flussi, Valore(parametri, "tasso_sconto") / 100);
    ritorno = TempoDiRitorno(flussi);
}

// A member's year on its own meter: its faces' hours, its consumption, its
// battery; what it feeds in and draws; its battery's ageing for its economics.
void AnnoDelMembro(const Membro& m, PianiDelSito& piani, const QDir& cartella, const Calendario& cal, QStringList& avvisi,
                   FlussiMembro& fl, Bilancio& bilancio, std::optional<CurvaBatteria>& curva)
{
    std::vector<Ore> prod(cal.giorni.size(), Ore{});
    for (const Falda& f : m.Falde()) {
        const std::vector<Ore>& uno = piani.Ore1kWp(f.tilt, f.azimut);
        for (std::size_t d = 0; d < prod.size(); ++d)
            for (std::size_t h = 0; h < 24; ++h)
                prod[d][h] += uno[d][h] * f.potenza;
    }
    const std::vector<Ore> cons = ConsumoDelMembro(m, cartella, cal, avvisi);
    Batteria batteria;
    batteria.capacita = m.batteria;
    std::vector<OraBilancio> ore;
    bilancio = CalcolaBilancio(prod, cons, cal, batteria, &ore);
    if (m.batteria > 0 && m.Picco() > 0)
        curva = CurvaDellaBatteria(prod, cons, cal, batteria, CalcolaBilancio(prod, cons, cal, {}), bilancio, false);
    fl.immessa.assign(cal.giorni.size(), Ore{});
    fl.prelevata.assign(cal.giorni.size(), Ore{});
    for (std::size_t k = 0; k < ore.size(); ++k) {
        fl.immessa[k / 24][k % 24] = ore[k].immessa;
        fl.prelevata[k / 24][k % 24] = ore[k].prelevata;
    }
}

} // namespace

std::vector<Membro> LeggiFileMembri(const QString& percorso)
{
    const std::string nome = percorso.toStdString();
    const QFileInfo info(percorso);
    if (!info.exists())
        throw ErroreRichiesta("membri", "il file «" + nome + "» non esiste.");
    if (!info.isFile())
        throw ErroreRichiesta("membri", "«" + nome + "» non è un file ordinario.");
    if (info.size() > kDimensioneMassimaMembri)
        throw ErroreRichiesta("membri", "il file «" + nome + "» supera i 4 MB: non è un file dei membri.");
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly))
        throw ErroreRichiesta("membri", "impossibile leggere «" + nome + "»: " + f.errorString().toStdString() + ".");
    try {
        return LeggiMembri(f.read(kDimensioneMassimaMembri + 1).toStdString());
    } catch (const ErroreMembri& e) {
        throw ErroreRichiesta("membri", "«" + nome + "», " + e.what() + ".");
    }
}

double LongitudineDelSito(Sessione& sessione, const Risultato& sito)
{
    try {
        for (const ComuneMappa& m : sessione.ComuniPerMappa().comuni)
            if (m.provincia == sito.provincia && m.comune == sito.comuneRadiazione)
                return m.longitudine;
    } catch (const Errore&) {
    }
    return 12.5;
}

RisultatoComunita CalcolaComunitaEnergetica(const Risultato& sito, double longitudine, const RichiestaComunita& q,
                                            const std::vector<Parametro>& parametri, const std::atomic<bool>* annulla,
                                            const std::function<void(std::size_t, std::size_t)>& progresso)
{
    RisultatoComunita c;
    c.file = q.file;
    c.cabina = q.cabina;
    c.membri = q.membri;
    if (c.membri.empty())
        throw ErroreRichiesta("membri", "nessun membro.");
    c.anno = q.anno > 0 ? q.anno : AnnoDiRiferimento();
    const Calendario cal = CreaCalendario(c.anno);
    const std::optional<AnnoMeteo> meteo = LeggiAnno(q.meteo);
    PianiDelSito piani(sito, longitudine, meteo, q.meteo, cal);
    const QDir cartella(q.cartella);
    const std::size_t n = c.membri.size();
    std::vector<FlussiMembro> flussi(n);
    std::vector<double> produzione(n), consumo(n), coperto(n);
    std::vector<Bilancio> bilanci(n);
    std::vector<std::optional<CurvaBatteria>> curve(n); // a member's battery as it ages, for its economics
    for (std::size_t i = 0; i < n; ++i) {
        if (annulla && annulla->load())
            throw ErroreAnnullato();
        const Membro& m = c.membri[i];
        AnnoDelMembro(m, piani, cartella, cal, c.avvisi, flussi[i], bilanci[i], curve[i]);
        produzione[i] = bilanci[i].anno.produzione;
        consumo[i] = bilanci[i].anno.consumo;
        coperto[i] = bilanci[i].anno.Coperto();
        if (progresso)
            progresso(i + 1, n);
    }
    c.regole = RegoleDelSito(sito, q, parametri);
    c.esito = CalcolaComunita(c.membri, flussi, produzione, consumo, coperto, c.regole, cal);
    const Famiglia famiglia = FamigliaDelSito(sito, {});
    c.investimento.resize(n);
    c.van.resize(n);
    c.ritorno.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        ConvenienzaDelMembro(c.membri[i], bilanci[i], curve[i] ? &*curve[i] : nullptr, c.esito.membri[i].premio, parametri, famiglia,
                             c.investimento[i], c.van[i], c.ritorno[i]);
    if (!c.regole.premioAttivo)
        c.avvisi << QStringLiteral("Alla data di entrata in esercizio il decreto non dà la tariffa premio (DM 414/2023: impianti in "
                                   "esercizio entro il 31/12/2027): premio e valorizzazione a zero.");
    return c;
}

std::vector<QStringList> TabellaComunita(const RisultatoComunita& c, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    const EsitoComunita& e = c.esito;
    double produzione = 0, consumo = 0;
    for (const EsitoMembro& m : e.membri) {
        produzione += m.produzione;
        consumo += m.consumo;
    }
    return {
        {QStringLiteral("Comunità"), QString()},
        {QStringLiteral("Membri"), QString::number(c.membri.size())},
        {QStringLiteral("Cabina primaria"), c.cabina.isEmpty() ? QStringLiteral("non indicata (tutti i membri presi nella stessa)")
                                                               : c.cabina + QStringLiteral(" (tutti i membri presi al suo interno)")},
        {QStringLiteral("Prodotta (kWh)"), n(produzione, 0)},
        {QStringLiteral("Consumata (kWh)"), n(consumo, 0)},
        {QStringLiteral("Immessa in rete (kWh)"), n(e.ore.immessaAnno, 0)},
        {QStringLiteral("Prelevata dalla rete (kWh)"), n(e.ore.prelevataAnno, 0)},
        {QStringLiteral("Energia condivisa (kWh)"), n(e.ore.condivisaAnno, 0)},
        {QStringLiteral("Condivisa sull'immessa (%)"), n(e.ore.immessaAnno > 0 ? 100 * e.ore.condivisaAnno / e.ore.immessaAnno : 0, 1)},
        {QStringLiteral("Tariffa premio (€/anno)"), n(e.premio, 0)},
        {QStringLiteral("Valorizzazione ARERA (€/anno)"), n(e.valorizzazione, 0)},
        {QStringLiteral("Ripartizione"), QString::fromUtf8(NomeRipartizione(c.regole.ripartizione))
                                             + (c.regole.ripartizione == Ripartizione::QuotaProduttori
                                                    ? QStringLiteral(" (%1 % ai produttori)").arg(n(c.regole.quotaProduttori, 0))
                                                    : QString())},
    };
}

std::vector<QStringList> TabellaMembri(const RisultatoComunita& c, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    const auto forse = [&](const std::optional<double>& v, int d) { return v ? n(*v, d) : QStringLiteral("–"); };
    std::vector<QStringList> t = {{QStringLiteral("Membro"), QStringLiteral("Ruolo"), QStringLiteral("Tipo"), QStringLiteral("Consumo (kWh)"),
                                   QStringLiteral("Produzione (kWh)"), QStringLiteral("Immessa (kWh)"), QStringLiteral("Prelevata (kWh)"),
                                   QStringLiteral("Condivisa (kWh)"), QStringLiteral("Premio e valorizzazione (€/anno)"),
                                   QStringLiteral("Beneficio (€/anno)"), QStringLiteral("Investimento (€)"), QStringLiteral("VAN (€)"),
                                   QStringLiteral("Ritorno (anni)"), QStringLiteral("Condivisa senza il membro (kWh)")}};
    for (std::size_t i = 0; i < c.membri.size(); ++i) {
        const Membro& m = c.membri[i];
        const EsitoMembro& e = c.esito.membri[i];
        t.push_back({QString::fromStdString(m.nome), QString::fromUtf8(NomeRuolo(m.ruolo)), QString::fromUtf8(NomeTipo(m.tipo)),
                     n(e.consumo, 0), n(e.produzione, 0), n(e.immessa, 0), n(e.prelevata, 0), n(e.condivisa, 0), n(e.premio, 0),
                     n(e.Beneficio(), 0), forse(c.investimento[i], 0), forse(c.van[i], 0), forse(c.ritorno[i], 1),
                     n(c.esito.ore.senza[i], 0)});
    }
    return t;
}

std::vector<QStringList> TabellaMesiComunita(const RisultatoComunita& c, const FormatoNumeri& f)
{
    static const char* const kMesi[12] = {"Gennaio", "Febbraio", "Marzo",     "Aprile",  "Maggio",   "Giugno",
                                          "Luglio",  "Agosto",   "Settembre", "Ottobre", "Novembre", "Dicembre"};
    const auto n = [&](double v) { return QString::fromStdString(TestoArrotondato(v, 0, f)); };
    const CondivisaComunita& o = c.esito.ore;
    std::vector<QStringList> t = {
        {QStringLiteral("Mese"), QStringLiteral("Immessa (kWh)"), QStringLiteral("Prelevata (kWh)"), QStringLiteral("Condivisa (kWh)")}};
    for (std::size_t m = 0; m < 12; ++m)
        t.push_back({QString::fromUtf8(kMesi[m]), n(o.immessaMesi[m]), n(o.prelevataMesi[m]), n(o.condivisaMesi[m])});
    t.push_back({QStringLiteral("Totale"), n(o.immessaAnno), n(o.prelevataAnno), n(o.condivisaAnno)});
    return t;
}

std::vector<QStringList> TabellaOrariaComunita(const RisultatoComunita& c, const FormatoNumeri& f)
{
    const Calendario cal = CreaCalendario(c.anno);
    const auto n = [&](double v) { return QString::fromStdString(TestoArrotondato(v, 6, f)); };
    const CondivisaComunita& o = c.esito.ore;
    std::vector<QStringList> t = {{QStringLiteral("Data"), QStringLiteral("Ora"), QStringLiteral("Immessa (kWh)"),
                                   QStringLiteral("Prelevata (kWh)"), QStringLiteral("Condivisa (kWh)")}};
    for (std::size_t d = 0; d < cal.giorni.size() && d < o.condivisa.size(); ++d) {
        const Giorno& g = cal.giorni[d];
        const QString data = QStringLiteral("%1-%2-%3").arg(c.anno).arg(g.mese + 1, 2, 10, QLatin1Char('0')).arg(g.giorno, 2, 10, QLatin1Char('0'));
        for (std::size_t h = 0; h < 24; ++h)
            t.push_back({data, QStringLiteral("%1:00").arg(h, 2, 10, QLatin1Char('0')), n(o.immessa[d][h]), n(o.prelevata[d][h]),
                         n(o.condivisa[d][h])});
    }
    return t;
}

std::vector<QStringList> TabellaCsvComunita(const RisultatoComunita& c, const FormatoNumeri& f)
{
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, f)); };
    std::vector<QStringList> t = {{QStringLiteral("Dati"), QString()},
                                  {QStringLiteral("File dei membri"), c.file},
                                  {QStringLiteral("Anno di riferimento"), QString::number(c.anno)},
                                  {QStringLiteral("Prezzo zonale (€/kWh)"), n(c.regole.prezzoZonale, 4)},
                                  {QStringLiteral("Correzione regionale (€/kWh)"), n(c.regole.correzione, 4)},
                                  {QStringLiteral("Contributo PNRR"), c.regole.contributoPnrr ? QStringLiteral("sì") : QStringLiteral("no")},
                                  {QStringLiteral("Valorizzazione ARERA (€/kWh)"), n(c.regole.valorizzazione, 4)},
                                  {QStringLiteral("Prezzo dell'energia (€/kWh)"), n(c.regole.prezzoEnergia, 4)},
                                  {}};
    for (const auto& parte : {TabellaComunita(c, f), TabellaMembri(c, f), TabellaMesiComunita(c, f)}) {
        t.insert(t.end(), parte.begin(), parte.end());
        t.push_back({});
    }
    t.push_back({FraseCondizione(c, f)});
    return t;
}

QString FraseCondizione(const RisultatoComunita& c, const FormatoNumeri& f)
{
    const auto n = [&](double v) { return QString::fromStdString(TestoArrotondato(v, 0, f)); };
    const EsitoComunita& e = c.esito;
    const QString soglia = c.regole.contributoPnrr ? QStringLiteral("45 %") : QStringLiteral("55 %");
    if (e.premioEccedente <= 0)
        return QStringLiteral("La condivisa (%1 kWh) non supera il %2 dell'immessa (%3 kWh): nessun premio eccedente da "
                              "destinare ai consumatori diversi dalle imprese (DM 414/2023).")
            .arg(n(e.ore.condivisaAnno), soglia, n(e.sogliaCondivisa));
    return QStringLiteral("Sopra il %1 dell'immessa (%2 kWh) il premio eccedente è di %3 €/anno e va ai consumatori diversi dalle "
                          "imprese o a fini sociali (DM 414/2023): con la ripartizione «%4» ne ricevono %5 €, %6.")
        .arg(soglia, n(e.sogliaCondivisa), n(e.premioEccedente), QString::fromUtf8(NomeRipartizione(c.regole.ripartizione)),
             n(e.premioNonImprese),
             e.CondizioneRispettata() ? QStringLiteral("la condizione è rispettata")
                                      : QStringLiteral("la condizione NON è rispettata: scegliere un'altra ripartizione o "
                                                       "destinare la differenza a fini sociali"));
}

} // namespace fv
