// SPDX-License-Identifier: MIT
// The balance and the economics of a result, for every front.
#include "app/analisi.h"

#include "app/opzioni.h"

#include "calc/contatore.h"
#include "data/parametri.h"
#include "data/province.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cctype>
#include <cmath>
#include <numeric>
#include <future>

namespace fv {

const char* const kNotaGiorniMedi =
    "Solo giorni medi: ogni giorno è il giorno medio del suo mese, per confronto. Senza le serie di giorni grigi e "
    "sereni l'autosufficienza con la batteria risulta più alta di circa 10 punti che con un anno meteorologico reale.";

namespace {

void NellIntervallo(const std::string& opzione, const std::string& cosa, double v, double minimo, double massimo,
                const std::string& unita)
{
    if (!(v >= minimo && v <= massimo))
        throw ErroreRichiesta(opzione, cosa + " vale da " + TestoLeggibile(minimo) + " a " + TestoLeggibile(massimo)
                                           + (unita.empty() ? "" : " " + unita) + ", non " + TestoLeggibile(v) + ".");
}

// A declared option's value within its declared range.
void NellIntervallo(const char* nome, const std::string& cosa, double v)
{
    const OpzioneNumero& o = Dichiarata(nome);
    NellIntervallo(o.nome, cosa, v, o.minimo, o.massimo, o.unita);
}

} // namespace

namespace {

void VerificaAuto(const AutoElettrica& a)
{
    NellIntervallo(kKmAuto.nome, "La percorrenza annua dell'auto", a.km);
    if (a.km <= 0)
        return;
    NellIntervallo(kConsumoAuto.nome, "Il consumo dell'auto", a.consumo);
    NellIntervallo(kQuotaCasaAuto.nome, "La quota ricaricata a casa", a.quotaCasa);
    NellIntervallo(kPotenzaAuto.nome, "La potenza del caricatore", a.potenza);
    NellIntervallo(kPerditeAuto.nome, "Le perdite di ricarica", a.perdite);
    // A day's charge within 20 hours of the charger: beyond, the car would never be full.
    const double giorno = EnergiaAuto(a) / 365;
    if (giorno > 20 * a.potenza)
        throw ErroreRichiesta(kPotenzaAuto.nome, "L'auto chiede " + TestoLeggibile(std::round(giorno * 10) / 10)
                                                    + " kWh al giorno: un caricatore di " + TestoLeggibile(a.potenza)
                                                    + " kW non li dà in meno di 20 ore.");
}

void VerificaPompa(const PompaDiCalore& p)
{
    if (!p.gasMesi)
        NellIntervallo(kGasAnno.nome, "Il gas dell'anno", p.gasAnno, kGasAnno.minimo, kGasAnno.massimo, "Smc");
    else
        for (double v : *p.gasMesi)
            NellIntervallo(kGasMese.nome, "Il gas di un mese", v, kGasMese.minimo, kGasMese.massimo, "Smc");
    if (!p.Presente())
        return;
    NellIntervallo(kRendimentoCaldaia.nome, "Il rendimento della caldaia", p.rendimento, kRendimentoCaldaia.minimo,
                   kRendimentoCaldaia.massimo, "");
    if (p.scop)
        NellIntervallo(kScop.nome, "Lo SCOP della pompa di calore", *p.scop, kScop.minimo, kScop.massimo, "");
}

} // namespace

void VerificaRichiesta(const RichiestaBilancio& r)
{
    if (r.consumo.modo == RichiestaConsumo::Modo::Annuo)
        NellIntervallo("consumo-annuo", "Il consumo annuo", r.consumo.annuo);
    if (r.consumo.modo == RichiestaConsumo::Modo::Fasce) {
        FasceLette f{r.consumo.fasceAnno, r.consumo.fasceMese};
        NellIntervallo("fasce", "Il consumo dell'anno nelle fasce", f.Totale(), kConsumoAnnuoMinimo, kConsumoAnnuoMassimo, "kWh");
    }
    NellIntervallo(kCapacitaBatteria.nome, "La capacità della batteria", r.batteria.capacita);
    NellIntervallo(kPotenzaBatteria.nome, "La potenza della batteria", r.batteria.potenza);
    NellIntervallo(kRendimentoBatteria.nome, "Il rendimento della batteria", r.batteria.rendimento);
    if (r.anno != 0)
        NellIntervallo("anno", "L'anno di riferimento", r.anno);
    if (!r.dataSpesa.empty() && (r.dataSpesa.size() != 10 || r.dataSpesa[4] != '-' || !DataDiValiditaValida(r.dataSpesa)))
        throw ErroreRichiesta("data-spesa", "La data della spesa «" + r.dataSpesa + "» non è un giorno del calendario (AAAA-MM-GG).");
    if (!r.dataEsercizio.empty()
        && (r.dataEsercizio.size() != 10 || r.dataEsercizio[4] != '-' || !DataDiValiditaValida(r.dataEsercizio)))
        throw ErroreRichiesta("data-esercizio", "La data di entrata in esercizio «" + r.dataEsercizio
                                                    + "» non è un giorno del calendario (AAAA-MM-GG).");
    if (r.famiglia.impostaLorda)
        NellIntervallo("imposta-lorda", "L'IRPEF lorda annua", *r.famiglia.impostaLorda);
    VerificaAuto(r.veicolo);
    VerificaPompa(r.pompa);
    if (!r.meteo.file.isEmpty()) {
        NellIntervallo("perdite-sistema", "Le perdite di sistema", r.meteo.perditeSistema);
        if (r.giorniMedi)
            throw ErroreRichiesta("giorni-medi", "I giorni medi sono del clima mensile del comune: con un file meteorologico "
                                                 "si usano le sue ore.");
    }
    if (r.meteo.file.isEmpty() && !r.meteo.orizzonte.isEmpty())
        throw ErroreRichiesta("orizzonte", "L'orizzonte si applica alle ore di un file meteorologico (--meteo).");
}

void VerificaImpianto(const Risultato& r, const RichiestaImpianto& impianto)
{
    try {
        VerificaFalde(FaldeDelCaso(r, impianto), impianto.inverter);
    } catch (const ErroreFalda& e) {
        std::string testo = e.what();
        testo[0] = char(std::toupper(static_cast<unsigned char>(testo[0])));
        throw ErroreRichiesta(e.campo() == "inverter" ? "inverter" : "falda", testo);
    }
}

QStringList VerificaContributo(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri)
{
    const std::string data = richiesta.dataSpesa.empty() ? Oggi() : richiesta.dataSpesa;
    if (Valore(parametri, "contributo_pnrr") <= 0)
        throw ErroreRichiesta("contributo-pnrr", "Nessuno sportello del contributo PNRR è aperto per una spesa del "
                                                     + DataLeggibile(data) + " (vedi il parametro contributo_pnrr).");
    const int soglia = int(Valore(parametri, "soglia_abitanti_pnrr"));
    const std::string comune = r.comuneRadiazione.toStdString();
    const std::optional<int> abitanti = PopolazioneDi(r.provincia.toStdString(), comune);
    QStringList avvisi;
    if (!abitanti) {
        avvisi << QStringLiteral("La popolazione di %1 non è nei dati: il contributo PNRR spetta solo nei comuni fino a %2 "
                                 "abitanti, da verificare.")
                      .arg(r.comuneRadiazione, QString::fromStdString(TestoLeggibile(soglia)));
    } else if (*abitanti > soglia) {
        throw ErroreRichiesta("contributo-pnrr", comune + " ha " + TestoLeggibile(*abitanti) + " abitanti (censimento "
                                                     + std::to_string(kAnnoPopolazione) + "): il contributo PNRR spetta "
                                                     + "nei comuni fino a " + TestoLeggibile(soglia) + ".");
    } else if (*abitanti > 0.9 * soglia) {
        avvisi << QStringLiteral("%1 aveva %2 abitanti al censimento %3, vicino al limite di %4 del contributo PNRR: conta "
                                 "il dato ISTAT alla data della domanda.")
                      .arg(r.comuneRadiazione, QString::fromStdString(TestoLeggibile(*abitanti)))
                      .arg(kAnnoPopolazione)
                      .arg(QString::fromStdString(TestoLeggibile(soglia)));
    }
    if (Valore(parametri, "quota_condivisa") <= 0)
        throw ErroreRichiesta("contributo-pnrr", "il contributo PNRR spetta solo a un impianto di una comunità energetica "
                                                 "(DM 414/2023): con la quota condivisa a 0 l'impianto non ne fa parte. "
                                                 "Indicare la quota dell'energia immessa condivisa (parametro quota_condivisa).");
    return avvisi;
}

Famiglia FamigliaDelSito(const Risultato& r, Famiglia famiglia)
{
    // The community premium's correction follows the plant's region, the
    // price of the energy sold its market zone.
    if (const std::optional<Provincia> p = ProvinciaDi(r.provincia.toStdString())) {
        famiglia.area = p->area;
        famiglia.zona = p->zonaMercato;
    }
    return famiglia;
}

std::vector<Parametro> ParametriDellaRichiesta(const std::vector<Parametro>& righe, const RichiestaBilancio& richiesta)
{
    return ParametriInVigore(righe, richiesta.dataSpesa.empty() ? Oggi() : richiesta.dataSpesa, richiesta.dataEsercizio);
}

std::string LeggiFileConsumi(const QString& percorso)
{
    const std::string nome = percorso.toStdString();
    const QFileInfo info(percorso);
    if (percorso.isEmpty())
        throw ErroreContatore(0, "nessun file del contatore scelto.");
    if (!info.exists())
        throw ErroreContatore(0, "il file «" + nome + "» non esiste.");
    if (!info.isFile())
        throw ErroreContatore(0, "«" + nome + "» non è un file ordinario (è una cartella, un dispositivo o una pipe).");
    if (info.size() > kDimensioneMassimaContatore)
        throw ErroreContatore(0, "il file «" + nome + "» è di " + TestoLeggibile(double(info.size()) / 1048576.0)
                                     + " MB: un file del contatore di un anno non supera i "
                                     + TestoLeggibile(double(kDimensioneMassimaContatore) / 1048576.0) + " MB.");
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        throw ErroreContatore(0, "impossibile leggere il file «" + nome + "»: " + file.errorString().toStdString() + ".");
    // At most one byte more than allowed, in case it grew after the check.
    const QByteArray testo = file.read(kDimensioneMassimaContatore + 1);
    if (testo.size() > kDimensioneMassimaContatore)
        throw ErroreContatore(0, "il file «" + nome + "» è troppo grande per un file del contatore.");
    return testo.toStdString();
}

double Analisi::Longitudine(const Risultato& r, RisultatoBilancio& esito)
{
    // The comune's longitude, where the file has it (the map's table).
    esito.longitudine = 12.5;
    esito.longitudineStimata = true;
    try {
        for (const ComuneMappa& c : sessione_.ComuniPerMappa().comuni) {
            if (c.provincia == r.provincia && c.comune == r.comuneRadiazione) {
                esito.longitudine = c.longitudine;
                esito.longitudineStimata = false;
            }
        }
    } catch (const Errore&) {
    }
    if (esito.longitudineStimata)
        esito.avvisi << QStringLiteral("Il file di dati non dà la longitudine del comune: usata quella del centro "
                                       "dell'Italia (12,5° E); le ore del giorno possono spostarsi di qualche minuto.");
    return esito.longitudine;
}

const LetturaContatore& Analisi::LetturaDelFile(const QString& file, const Calendario& calendario, const ProfiloConsumo& profilo)
{
    const QFileInfo info(file);
    const bool tenuta = contatore_ && contatore_->file == file && contatore_->dimensione == info.size()
                        && contatore_->modifica == info.lastModified() && contatore_->anno == calendario.anno
                        && contatore_->profilo == profilo.nome && info.isFile();
    if (!tenuta) {
        contatore_.reset();
        LetturaContatore lettura = LeggiContatore(LeggiFileConsumi(file), calendario, profilo);
        contatore_ = ContatoreTenuto{file, info.size(), info.lastModified(), calendario.anno, profilo.nome, std::move(lettura)};
    }
    return contatore_->lettura;
}

std::vector<Ore> Analisi::Consumo(const RichiestaConsumo& c, const Calendario& calendario, RisultatoBilancio& esito)
{
    const ProfiloConsumo* profilo = TrovaProfilo(c.profilo);
    if (!profilo)
        profilo = &ProfiliConsumo().front();
    switch (c.modo) {
    case RichiestaConsumo::Modo::Annuo: return ConsumoDaAnnuo(c.annuo, *profilo, calendario);
    case RichiestaConsumo::Modo::Fasce:
        return ConsumoDaFasce(c.fasceMese ? *c.fasceMese : FasceDellAnnoNeiMesi(c.fasceAnno, *profilo, calendario), *profilo,
                              calendario);
    case RichiestaConsumo::Modo::File: break;
    }
    const LetturaContatore& lettura = LetturaDelFile(c.file, calendario, *profilo);
    esito.oreRiempite = lettura.oreRiempite;
    for (const std::string& a : lettura.avvisi)
        esito.avvisi << QString::fromStdString(a);
    return lettura.consumo;
}

const ProduzioneFalde& Analisi::Produzione(const Risultato& r, const RichiestaImpianto& i, double longitudine,
                                            const Calendario& calendario, bool giorniMedi)
{
    // Each face spread from its own monthly energy over its own plane's day.
    std::vector<ImpiantoOrario> falde;
    const std::vector<Falda> dati = FaldeDelCaso(r, i);
    for (std::size_t f = 0; f < dati.size(); ++f) {
        ImpiantoOrario impianto;
        impianto.latitudine = r.letti.latitudine;
        impianto.longitudine = longitudine;
        impianto.tilt = dati[f].tilt;
        impianto.azimut = dati[f].azimut;
        impianto.riflettanza = r.letti.riflettanza;
        impianto.radOriz = r.radOriz;
        // The window's plane keeps the window's months.
        impianto.energiaMese = f == 0 ? r.energieMensili
                                      : MesiDellaFalda(dati[f], r.letti.latitudine, r.letti.riflettanza, r.radOriz,
                                                       r.letti.perdite, r.letti.efficienza)
                                            .energia;
        if (f == 0 && dati[f].ombra > 0)
            for (double& e : impianto.energiaMese)
                e *= 1 - dati[f].ombra / 100;
        falde.push_back(impianto);
    }
    const bool tenuta = produzione_ && produzione_->falde == falde && produzione_->inverter == i.inverter
                        && produzione_->anno == calendario.anno && produzione_->giorniMedi == giorniMedi;
    if (!tenuta) {
        produzione_.reset();
        std::vector<std::vector<Ore>> ore;
        for (const ImpiantoOrario& f : falde)
            ore.push_back(ProduzioneOraria(f, calendario, giorniMedi));
        produzione_ = ProduzioneTenuta{falde, i.inverter, calendario.anno, giorniMedi,
                                       LimiteInverter(std::move(ore), i.inverter, calendario)};
    }
    return produzione_->produzione;
}

namespace {

// A file of a weather year or a horizon: regular, not too large, read whole.
std::string LeggiFileMeteo(const QString& percorso, const char* opzione, qint64 massimo)
{
    const std::string nome = percorso.toStdString();
    const QFileInfo info(percorso);
    if (!info.exists())
        throw ErroreRichiesta(opzione, "il file «" + nome + "» non esiste.");
    if (!info.isFile())
        throw ErroreRichiesta(opzione, "«" + nome + "» non è un file ordinario.");
    if (info.size() > massimo)
        throw ErroreRichiesta(opzione, "il file «" + nome + "» è di " + TestoLeggibile(double(info.size()) / 1048576.0)
                                           + " MB: troppo grande per un anno meteorologico.");
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        throw ErroreRichiesta(opzione, "impossibile leggere «" + nome + "»: " + file.errorString().toStdString() + ".");
    const QByteArray testo = file.read(massimo + 1);
    if (testo.size() > massimo)
        throw ErroreRichiesta(opzione, "il file «" + nome + "» è troppo grande.");
    return testo.toStdString();
}

// The horizon: a file when one is named, else the pairs typed.
Orizzonte OrizzonteDellaRichiesta(const QString& testo)
{
    if (testo.trimmed().isEmpty())
        return {};
    const bool file = QFileInfo::exists(testo);
    // A path that names no file is said as such, not read as typed pairs.
    const QString nome = testo.trimmed();
    if (!file && (nome.contains(u'/') || nome.contains(u'\\')
                  || QRegularExpression(QStringLiteral("\\.(csv|json|txt|hor)$"), QRegularExpression::CaseInsensitiveOption)
                         .match(nome)
                         .hasMatch()))
        throw ErroreRichiesta("orizzonte", "il file dell'orizzonte «" + nome.toStdString() + "» non esiste.");
    try {
        return LeggiOrizzonte(file ? LeggiFileMeteo(testo, "orizzonte", 1 << 20) : testo.toStdString());
    } catch (const ErroreMeteo& e) {
        throw ErroreRichiesta("orizzonte", (file ? "«" + testo.toStdString() + "», " : std::string()) + e.what());
    }
}

} // namespace

namespace {

// The file's site against the comune's: beyond a distance a valley's weather
// could not excuse, another place's climate, refused with both sites named.
void VerificaDistanza(const Risultato& r, const AnnoMeteo& anno, const QString& file, double longitudine, bool stimata,
                      double distanza)
{
    if (distanza <= kDistanzaMassimaMeteo)
        return;
    throw ErroreRichiesta("meteo", "«" + file.toStdString() + "» è l'anno meteorologico del sito " + TestoLeggibile(anno.latitudine)
                                       + "° N " + TestoLeggibile(anno.longitudine) + "° E, a " + TestoLeggibile(std::round(distanza))
                                       + " km da " + r.comuneRadiazione.toStdString() + " (" + TestoLeggibile(r.letti.latitudine)
                                       + "° N "
                                       + (stimata ? std::string("e longitudine non nota")
                                                  : TestoLeggibile(std::round(longitudine * 1000) / 1000) + "° E")
                                       + "): oltre " + TestoLeggibile(kDistanzaMassimaMeteo)
                                       + " km è il clima di un altro luogo. Scaricare l'anno del sito dell'impianto.");
}

// The plant on the file's site: the file's irradiance is its site's, so the sun is placed there.
ImpiantoMeteo ImpiantoSulSito(const Risultato& r, const RichiestaMeteo& m, const AnnoMeteo& anno, const Falda& falda,
                              bool integrato)
{
    ImpiantoMeteo p;
    p.latitudine = anno.latitudine;
    p.longitudine = anno.longitudine;
    p.tilt = falda.tilt;
    p.azimut = falda.azimut;
    p.riflettanza = r.letti.riflettanza;
    p.potenza = falda.potenza;
    p.integrato = integrato;
    p.perditeSistema = m.perditeSistema;
    p.trasposizione = m.trasposizione;
    return p;
}

// The file read, checked against the comune, and its year on each face's
// plane, the faces summed and cut at the inverter.
struct AnnoDelFile {
    MeteoUsato usato;
    ProduzioneFalde produzione;
};
AnnoDelFile AnnoSulleFalde(const Risultato& r, const RichiestaMeteo& m, const AnnoMeteo& anno, MeteoUsato u,
                           const Orizzonte& orizzonte, const std::vector<Falda>& falde, const std::optional<double>& inverter,
                           const Calendario& calendario, bool integrato);

AnnoDelFile LeggiAnnoDelFile(const Risultato& r, const RichiestaMeteo& m, const std::vector<Falda>& falde,
                             const std::optional<double>& inverter, double longitudine, const Calendario& calendario,
                             bool stimata, bool integrato)
{
    const auto errore = [&](const ErroreMeteo& e) { return ErroreRichiesta("meteo", "«" + m.file.toStdString() + "», " + e.what()); };
    AnnoMeteo anno;
    try {
        anno = LeggiMeteo(LeggiFileMeteo(m.file, "meteo", kDimensioneMassimaMeteo));
    } catch (const ErroreMeteo& e) {
        throw errore(e);
    }
    MeteoUsato u;
    u.file = m.file;
    u.formato = anno.formato;
    u.fonte = anno.fonte;
    u.latitudine = anno.latitudine;
    u.longitudine = anno.longitudine;
    u.quota = anno.quota;
    // Without the comune's longitude, the distance along the meridian alone.
    u.distanzaKm = DistanzaKm(r.letti.latitudine, stimata ? anno.longitudine : longitudine, anno.latitudine, anno.longitudine);
    VerificaDistanza(r, anno, m.file, longitudine, stimata, u.distanzaKm);
    u.mesiAnni = anno.mesiAnni;
    u.trasposizione = m.trasposizione;
    u.sulPiano = anno.suPiano;
    const Orizzonte orizzonte = OrizzonteDellaRichiesta(m.orizzonte);
    u.orizzonte = !orizzonte.Vuoto();
    u.inverter = inverter;
    u.metodoMensile = r.energieMensili;
    u.temperature = TemperatureDelCalendario(anno, calendario);
    return AnnoSulleFalde(r, m, anno, std::move(u), orizzonte, falde, inverter, calendario, integrato);
}

// The file's year on each face's plane (each with its near shading), the
// faces summed and cut at the inverter.
AnnoDelFile AnnoSulleFalde(const Risultato& r, const RichiestaMeteo& m, const AnnoMeteo& anno, MeteoUsato u,
                           const Orizzonte& orizzonte, const std::vector<Falda>& falde, const std::optional<double>& inverter,
                           const Calendario& calendario, bool integrato)
{
    std::vector<ProduzioneMeteo> perFalda;
    std::vector<std::vector<Ore>> ore;
    std::vector<double> potenze;
    for (std::size_t f = 0; f < falde.size(); ++f) {
        ImpiantoMeteo p = ImpiantoSulSito(r, m, anno, falde[f], integrato);
        p.orizzonte = orizzonte; // the site's horizon, seen by each face at its own angle
        try {
            perFalda.push_back(ProduzioneDaMeteo(p, anno, calendario));
        } catch (const ErroreMeteo& e) {
            throw ErroreRichiesta("meteo", "«" + m.file.toStdString() + "», falda " + std::to_string(f + 1) + ": " + e.what());
        }
        if (falde[f].ombra > 0) {
            ProduzioneMeteo& pm = perFalda.back();
            const double k = 1 - falde[f].ombra / 100;
            for (Ore& g : pm.ore)
                for (double& h : g)
                    h *= k;
            for (double& v : pm.mesi)
                v *= k;
            pm.anno *= k;
        }
        ore.push_back(perFalda.back().ore);
        potenze.push_back(falde[f].potenza);
    }
    AnnoDelFile a{std::move(u), LimiteInverter(std::move(ore), inverter, calendario)};
    a.usato.produzione = ProduzioneDelleFalde(perFalda, potenze, a.produzione);
    return a;
}

// What the balance says of the file's year: its site, its energy against the
// monthly method's, every figure in the user's number format.
QStringList AvvisiMeteo(const Risultato& r, const RichiestaMeteo& m, const MeteoUsato& u)
{
    QStringList avvisi;
    if (u.sulPiano && m.trasposizione != Trasposizione::Perez)
        avvisi << QStringLiteral("Il file dà l'irradianza già sul piano dei moduli: il modello del cielo diffuso (%1) non si usa.")
                      .arg(QString::fromUtf8(NomeTrasposizione(m.trasposizione)));
    const double mensile = std::accumulate(u.metodoMensile.begin(), u.metodoMensile.end(), 0.0);
    const auto n = [&](double v, int d) { return QString::fromStdString(TestoArrotondato(v, d, r.formato)); };
    avvisi << QStringLiteral("Anno meteorologico da «%1» (%2%3), sito %4° N %5° E, %6 m: produzione %7 kWh contro %8 "
                             "kWh del metodo mensile del comune (%9).")
                  .arg(m.file, QString::fromStdString(u.formato),
                       u.fonte.empty() ? QString() : QStringLiteral(", ") + QString::fromStdString(u.fonte), n(u.latitudine, 3),
                       n(u.longitudine, 3), n(u.quota, 0), n(u.produzione.anno, 0), n(mensile, 0),
                       mensile > 0 ? n(100 * (u.produzione.anno / mensile - 1), 1) + QStringLiteral(" %")
                                   : QStringLiteral("nessun confronto"));
    if (u.distanzaKm > 25)
        avvisi << QStringLiteral("Il sito del file è a %1 km dal comune: si usano le ore e la posizione del file, non del comune.")
                      .arg(n(u.distanzaKm, 0));
    return avvisi;
}

} // namespace

const ProduzioneFalde& Analisi::ProduzioneDaFile(const Risultato& r, const RichiestaMeteo& m, const RichiestaImpianto& i,
                                                  double longitudine, const Calendario& calendario, RisultatoBilancio& esito)
{
    const QFileInfo info(m.file);
    const bool integrato = r.impianto.integrazione == 2;
    const std::vector<Falda> falde = FaldeDelCaso(r, i);
    const ChiaveMeteo chiave{m.file,          m.orizzonte,         info.size(), info.lastModified(), calendario.anno,
                             m.trasposizione, m.perditeSistema,    r.letti.riflettanza, falde,      i.inverter,
                             integrato,       r.energieMensili};
    if (!meteo_ || !info.isFile() || !(meteo_->chiave == chiave)) {
        meteo_.reset();
        AnnoDelFile a = LeggiAnnoDelFile(r, m, falde, i.inverter, longitudine, calendario, esito.longitudineStimata, integrato);
        meteo_ = MeteoTenuto{chiave, std::move(a.usato), std::move(a.produzione)};
    }
    esito.meteo = meteo_->usato;
    esito.avvisi << AvvisiMeteo(r, m, meteo_->usato);
    return meteo_->produzione;
}

const ProduzioneFalde& Analisi::ProduzioneDelCaso(const Risultato& r, const RichiestaBilancio& richiesta, double longitudine,
                                                  const Calendario& calendario, RisultatoBilancio& esito)
{
    VerificaImpianto(r, richiesta.impianto);
    const ProduzioneFalde& p =
        richiesta.meteo.file.isEmpty()
            ? Produzione(r, richiesta.impianto, longitudine, calendario, richiesta.giorniMedi)
            : ProduzioneDaFile(r, richiesta.meteo, richiesta.impianto, longitudine, calendario, esito);
    esito.falde = FaldeDelCaso(r, richiesta.impianto);
    esito.produzione = p;
    return p;
}

RisultatoBilancio Analisi::ConfrontoMeteo(const Risultato& r, const RichiestaMeteo& meteo, int anno)
{
    return ProduzioneDellImpianto(r, meteo, {}, anno);
}

RisultatoBilancio Analisi::ProduzioneDellImpianto(const Risultato& r, const RichiestaMeteo& meteo, const RichiestaImpianto& impianto,
                                                  int anno)
{
    RichiestaBilancio richiesta;
    richiesta.meteo = meteo;
    richiesta.impianto = impianto;
    richiesta.anno = anno;
    VerificaRichiesta(richiesta);
    RisultatoBilancio esito;
    esito.anno = anno;
    const double longitudine = Longitudine(r, esito);
    ProduzioneDelCaso(r, richiesta, longitudine, CreaCalendario(anno), esito);
    return esito;
}

namespace {

// The house's consumption with the car's charging on it (its hours kept in `esito`).
std::vector<Ore> ConAuto(std::vector<Ore> casa, const std::vector<Ore>& produzione, const AutoElettrica& veicolo,
                         const Calendario& calendario, RisultatoBilancio& esito)
{
    esito.ricaricaAuto.clear();
    if (veicolo.km <= 0)
        return casa;
    // The surplus before the house battery: the car, at home, takes the sun first.
    std::vector<Ore> surplus = produzione;
    for (std::size_t g = 0; g < surplus.size(); ++g)
        for (std::size_t h = 0; h < 24; ++h)
            surplus[g][h] -= casa[g][h];
    esito.ricaricaAuto = RicaricaOraria(veicolo, calendario, surplus);
    for (std::size_t g = 0; g < casa.size(); ++g)
        for (std::size_t h = 0; h < 24; ++h)
            casa[g][h] += esito.ricaricaAuto[g][h];
    return casa;
}

} // namespace

AnnoPompa Analisi::AnnoDellaPompa(const Risultato& r, const PompaDiCalore& pompa, const Calendario& calendario,
                                  RisultatoBilancio& esito)
{
    std::vector<Ore> temperature;
    if (esito.meteo && esito.meteo->temperature.size() == calendario.giorni.size()) {
        temperature = esito.meteo->temperature;
        esito.temperatureDa = QStringLiteral("le ore del file meteorologico");
    } else {
        const std::optional<TemperatureComune> t = sessione_.TemperatureDelComune(r.provincia, r.comuneRadiazione);
        if (!t)
            throw ErroreRichiesta(kGasAnno.nome, "Il file di dati non ha le temperature del comune (tabella tblTemperature): la "
                                                 "pompa di calore vuole quelle, o un file meteorologico (--meteo).");
        temperature = TemperatureDeiMesi(t->mesi, calendario);
        esito.temperatureDa = QStringLiteral("le medie mensili della stazione %1, a %2 km")
                                  .arg(t->stazione, QString::fromStdString(TestoArrotondato(t->distanzaKm, 0, r.formato)));
    }
    try {
        AnnoPompa a = CalcolaPompa(pompa, calendario, temperature);
        for (const std::string& s : a.avvisi)
            esito.avvisi << QString::fromStdString(s);
        return a;
    } catch (const std::invalid_argument& e) {
        throw ErroreRichiesta(pompa.gasMesi ? kGasMese.nome : kGasAnno.nome, e.what());
    }
}

std::vector<Ore> Analisi::ConsumoFuturo(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Ore>& produzione,
                                        const Calendario& calendario, RisultatoBilancio& esito)
{
    std::vector<Ore> casa = Consumo(richiesta.consumo, calendario, esito);
    esito.pompa.reset();
    if (richiesta.pompa.Presente()) {
        esito.pompa = AnnoDellaPompa(r, richiesta.pompa, calendario, esito);
        for (std::size_t g = 0; g < casa.size(); ++g)
            for (std::size_t h = 0; h < 24; ++h)
                casa[g][h] += esito.pompa->elettrica[g][h];
    }
    return ConAuto(std::move(casa), produzione, richiesta.veicolo, calendario, esito);
}

Analisi::OreDellaRichiesta Analisi::OreDelCaso(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri)
{
    VerificaRichiesta(richiesta);
    if (richiesta.famiglia.contributoPnrr)
        VerificaContributo(r, richiesta, parametri);
    RisultatoBilancio esito;
    OreDellaRichiesta o;
    const double longitudine = Longitudine(r, esito);
    o.calendario = CreaCalendario(richiesta.anno > 0 ? richiesta.anno : AnnoDiRiferimento());
    const ProduzioneFalde& p = ProduzioneDelCaso(r, richiesta, longitudine, o.calendario, esito);
    // The car's hours are the typed plant's: with solar charging a larger plant would give it a little more sun.
    o.consumo = ConsumoFuturo(r, richiesta, p.ore, o.calendario, esito);
    o.produzione = p.ore;
    o.potenza = esito.PotenzaDiPicco();
    o.impianto.falde = p.falde;
    std::vector<double> anno;
    for (std::size_t f = 0; f < esito.falde.size(); ++f) {
        o.impianto.potenze.push_back(esito.falde[f].potenza);
        anno.push_back(std::accumulate(p.mesiFalde[f].begin(), p.mesiFalde[f].end(), 0.0));
    }
    o.impianto.ordine = OrdineDiRiempimento(esito.falde, anno, Valore(parametri, "densita_potenza"));
    o.impianto.inverter = richiesta.impianto.inverter;
    o.impianto.inverterFisso = richiesta.impianto.inverterFisso;
    o.batteria = richiesta.batteria;
    o.famiglia = FamigliaDelSito(r, richiesta.famiglia);
    return o;
}

GrigliaDimensioni Analisi::Dimensiona(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri,
                                      const LimitiDimensioni& limiti, const std::atomic<bool>* annulla)
{
    const OreDellaRichiesta o = OreDelCaso(r, richiesta, parametri);
    return fv::Dimensiona(o.impianto, o.consumo, o.calendario, o.batteria, parametri, o.famiglia, limiti, annulla);
}

RisultatoBilancio Analisi::BilancioEnergetico(const Risultato& r, const RichiestaBilancio& richiesta)
{
    VerificaRichiesta(richiesta);
    RisultatoBilancio esito;
    const double longitudine = Longitudine(r, esito);
    const Calendario calendario = CreaCalendario(richiesta.anno > 0 ? richiesta.anno : AnnoDiRiferimento());
    const std::vector<Ore>& produzione = ProduzioneDelCaso(r, richiesta, longitudine, calendario, esito).ore;
    const std::vector<Ore> consumo = ConsumoFuturo(r, richiesta, produzione, calendario, esito);
    esito.conBatteria = CalcolaBilancio(produzione, consumo, calendario, richiesta.batteria, &esito.ore);
    esito.anno = calendario.anno;
    esito.senzaBatteria = CalcolaBilancio(produzione, consumo, calendario, {});
    // An ageing battery: the year at 60 and 80 % of its capacity, read between
    // (the two older batteries on the two cores: pure functions of their inputs).
    esito.curva = CurvaDellaBatteria(produzione, consumo, calendario, richiesta.batteria, esito.senzaBatteria, esito.conBatteria);
    // How the year's energy moves with a sunnier or a greyer year: balances at 95 and 105 %.
    const auto pendenza = [&](const Batteria& batteria) {
        std::array<EnergiaAnno, 2> e;
        for (std::size_t i = 0; i < 2; ++i) {
            std::vector<Ore> scalata = produzione;
            for (Ore& g : scalata)
                for (double& h : g)
                    h *= i == 0 ? 0.95 : 1.05;
            e[i] = EnergiaDelBilancio(CalcolaBilancio(scalata, consumo, calendario, batteria).anno);
        }
        return EnergiaAnno{(e[1].produzione - e[0].produzione) / 0.1, (e[1].coperto - e[0].coperto) / 0.1,
                           (e[1].immessa - e[0].immessa) / 0.1, 0, {}};
    };
    esito.meteoSenza = pendenza({});
    esito.meteoCon = richiesta.batteria.capacita > 0 ? pendenza(richiesta.batteria) : esito.meteoSenza;
    if (calendario.giorni.size() == 366)
        esito.avvisi << QStringLiteral("%1 è bisestile: la produzione di febbraio è quella di 29 giorni, e l'anno supera di "
                                       "un giorno medio di febbraio l'energia annua della finestra.")
                            .arg(calendario.anno);
    if (richiesta.giorniMedi)
        esito.avvisi << QString::fromUtf8(kNotaGiorniMedi);
    return esito;
}

Approfondimento Analisi::Calcola(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri)
{
    Approfondimento a;
    a.richiesta = richiesta;
    a.richiesta.famiglia = FamigliaDelSito(r, richiesta.famiglia);
    const QStringList avvisiContributo =
        richiesta.famiglia.contributoPnrr ? VerificaContributo(r, richiesta, parametri) : QStringList();
    a.bilancio = BilancioEnergetico(r, richiesta);
    a.bilancio.avvisi << avvisiContributo;
    // The costs by the plant's whole peak power, all faces.
    const double picco = a.bilancio.PotenzaDiPicco();
    a.convenienza = {CalcolaConvenienza(EnergiaDelBilancio(a.bilancio.senzaBatteria.anno), picco, 0, parametri,
                                        a.richiesta.famiglia),
                     CalcolaConvenienza(EnergiaDelBilancio(a.bilancio.conBatteria.anno), picco,
                                        richiesta.batteria.capacita, parametri, a.richiesta.famiglia, &a.bilancio.curva),
                     parametri};
    if (a.convenienza.senza.oltreLimiteDetrazione)
        a.bilancio.avvisi << QStringLiteral("Un impianto di %1 kW supera i %2 kW di un impianto al servizio dell'abitazione "
                                            "(Agenzia delle Entrate, risoluzione 22/E/2013): nessuna detrazione, e i ricavi della "
                                            "vendita non sono più redditi diversi di una persona fisica ma di un'attività "
                                            "commerciale (qui tassati ancora con l'aliquota IRPEF: una stima).")
                                 .arg(QString::fromStdString(TestoLeggibile(picco)),
                                      QString::fromStdString(TestoLeggibile(Valore(parametri, "potenza_massima_detrazione"))));
    if (richiesta.batteria.capacita > 0
        && (richiesta.batteria.strategia != StrategiaBatteria::Autoconsumo || richiesta.famiglia.prezziFasce))
        a.bilancio.avvisi << ConfrontoStrategie(r, a, parametri);
    if (richiesta.incertezza)
        a.incertezza = Incertezza(r, a, parametri);
    return a;
}

QString Analisi::ConfrontoStrategie(const Risultato& r, const Approfondimento& a, const std::vector<Parametro>& parametri)
{
    // The same household and plant with the battery's other strategy.
    RichiestaBilancio altra = a.richiesta;
    altra.batteria.strategia = a.richiesta.batteria.strategia == StrategiaBatteria::Fasce ? StrategiaBatteria::Autoconsumo
                                                                                          : StrategiaBatteria::Fasce;
    const RisultatoBilancio b = BilancioEnergetico(r, altra);
    const Convenienza c = CalcolaConvenienza(EnergiaDelBilancio(b.conBatteria.anno), b.PotenzaDiPicco(), altra.batteria.capacita,
                                             parametri, a.richiesta.famiglia, &b.curva);
    const auto n = [&](double v) { return QString::fromStdString(TestoArrotondato(v, 0, r.formato)); };
    const Convenienza& questa = a.convenienza.con;
    return QStringLiteral("Batteria con la strategia «%1»: VAN %2 €, risparmio e ricavi del primo anno %3 €, autosufficienza "
                          "%4 %; con «%5»: VAN %6 €, %7 €, %8 %.")
        .arg(QString::fromUtf8(NomeStrategia(a.richiesta.batteria.strategia)), n(questa.van), n(questa.risparmioPrimoAnno),
             QString::fromStdString(TestoArrotondato(100 * a.bilancio.conBatteria.anno.Autosufficienza(), 1, r.formato)),
             QString::fromUtf8(NomeStrategia(altra.batteria.strategia)), n(c.van), n(c.risparmioPrimoAnno),
             QString::fromStdString(TestoArrotondato(100 * b.conBatteria.anno.Autosufficienza(), 1, r.formato)));
}

RisultatoIncertezza Incertezza(const Risultato& /*r: the plant is the balance's*/, const Approfondimento& a, const std::vector<Parametro>& parametri)
{
    // The case on show: with the battery when there is one.
    const bool batteria = a.richiesta.batteria.capacita > 0;
    const EnergiaAnno energia = EnergiaDelBilancio(batteria ? a.bilancio.conBatteria.anno : a.bilancio.senzaBatteria.anno);
    const EnergiaAnno pendenza = batteria ? a.bilancio.meteoCon : a.bilancio.meteoSenza;
    const Valutazione valuta = [&](const std::vector<Parametro>& p, const std::vector<double>* fattori) {
        MeteoDegliAnni meteo;
        if (fattori)
            meteo = {*fattori, pendenza};
        return CalcolaConvenienza(energia, a.bilancio.PotenzaDiPicco(), a.richiesta.batteria.capacita, p, a.richiesta.famiglia,
                                  batteria ? &a.bilancio.curva : nullptr, fattori ? &meteo : nullptr, false);
    };
    RisultatoIncertezza i;
    i.conBatteria = batteria;
    const bool daFile = a.bilancio.meteo.has_value();
    i.tornado = Tornado(valuta, parametri, IntervalliPredefiniti(), daFile);
    i.montecarlo = MonteCarlo(valuta, parametri, IntervalliPredefiniti(), 1000, 20261208, daFile);
    i.energia = energia.produzione;
    i.annoDaFile = daFile;
    return i;
}

} // namespace fv
