// SPDX-License-Identifier: MIT
// The command line: --help, --version and calcola on a session.
#include "app/riga_comando.h"

#include "app/opzioni.h"

#include "app/analisi.h"
#include "app/aspetto.h"
#include "app/inventario.h"
#include "app/messaggi.h"
#include "app/comunita.h"
#include "app/relazione.h"
#include "app/versione.h"
#include "app/sessione.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace fv {

namespace {

// A command-line mistake, told as it stands.
class ErroreArgomento : public std::runtime_error {
public:
    explicit ErroreArgomento(const QString& testo) : std::runtime_error(testo.toStdString()) {}
};

// The list item a name stands for, ignoring case, as a name typed in the
// window; `cosa` says what is missing where ("Il comune «%1» non è …").
QString Voce(const QStringList& elenco, const QString& nome, const QString& cosa)
{
    const auto i = std::find_if(elenco.begin(), elenco.end(),
                                [&](const QString& v) { return v.compare(nome, Qt::CaseInsensitive) == 0; });
    if (i == elenco.end())
        throw ErroreArgomento(cosa.arg(Citazione(nome.toStdString())));
    return *i;
}

struct Opzione {
    const char* nome;
    const char* descrizione;
    const char* valore; // nullptr: a switch
    // The default, from the window's own initial inputs; required when absent.
    QString (*predefinito)() = nullptr;
};

const Opzione kOpzioni[] = {
    {"provincia", "Sigla della provincia (es. TO).", "sigla"},
    {"comune-radiazione", "Comune di cui usare la radiazione.", "comune"},
    {"comune-latitudine", "Comune di cui usare la latitudine (predefinito: il comune della radiazione).", "comune",
     [] { return QString(); }},
    {"terreno", "Tipo di terreno (es. Erba).", "tipo"},
    {"tilt", "Inclinazione dei moduli in gradi.", "gradi"},
    {"azimut", "Azimut in gradi rispetto al sud, positivo verso ovest.", "gradi"},
    {"potenza", "Potenza di picco in kW.", "kW"},
    {"perdite", "Perdite del generatore in percentuale intera.", "%", [] { return ImpiantoIniziale().perdite; }},
    {"efficienza", "Efficienza dell'inverter in percentuale intera.", "%", [] { return ImpiantoIniziale().efficienza; }},
    {"integrazione", "Tipo di impianto: non, parziale o totale.", "tipo", [] { return QStringLiteral("non"); }},
    {"falda", "Un'altra falda del tetto, TILT:AZIMUT:KWP (es. 30:90:3,5): ripetibile fino a tre oltre il piano di --tilt, "
              "--azimut e --potenza, che è la prima.", "T:A:K"},
    {"inverter", "Potenza massima in corrente alternata dell'inverter in kW: oltre, ora per ora, l'energia è persa "
                 "(predefinito: nessun limite).", "kW"},
    {"inverter-fisso", "dimensiona: lo stesso inverter di --inverter per ogni taglia (predefinito: cresce con l'impianto, "
                       "con lo stesso rapporto kWp/kW).", nullptr},
    {"csv", "Scrive i risultati in un file CSV (calcola non li stampa; bilancio e convenienza stampano comunque le cifre "
            "principali e nel file mettono anche i dati, entrambi i casi e le tabelle).", "file"},
    {"pdf", "Scrive la relazione PDF: una pagina con calcola; cinque con convenienza (calcolo, bilancio e convenienza, parametri usati su due pagine, probabilità e dimensioni); una in più, dopo la prima, con più falde o un inverter.", "file"},
    {"sovrascrivi", "Scrive il file di --csv o --pdf anche se esiste già.", nullptr},
    // bilancio:
    {"consumo-annuo", "bilancio: consumo annuo in kWh (da 100 a 10000000, senza separatore delle migliaia), distribuito secondo --profilo.", "kWh"},
    {"profilo", "bilancio: forma dei consumi: fuori-casa, a-casa o attivita-diurna.", "nome",
     [] { return QStringLiteral("fuori-casa"); }},
    {"fasce", "bilancio: consumi in kWh delle fasce F1,F2,F3 della bolletta, dell'anno o di ogni mese (36 valori, "
              "gennaio per primo), separati da virgole, punti e virgola o spazi.", "F1,F2,F3"},
    {"consumi", "bilancio: file del contatore con i consumi orari o quartorari (CSV).", "file"},
    {"batteria", "bilancio: capacità utile della batteria in kWh (predefinito: nessuna batteria).", "kWh"},
    {"batteria-potenza", "bilancio: potenza massima di carica e scarica in kW (predefinito: la capacità per un'ora).", "kW"},
    {"batteria-rendimento", "bilancio: rendimento di andata e ritorno in percentuale, da 50 a 100.", "%"},
    {"anno", "bilancio: anno di riferimento del calendario (predefinito: il prossimo).", "AAAA"},
    {"auto-km", "bilancio: un'auto elettrica, i chilometri percorsi in un anno (predefinito: nessuna auto).", "km"},
    {"auto-consumo", "bilancio: consumo dell'auto in kWh/100 km alla batteria (predefinito 17).", "kWh/100 km"},
    {"auto-casa", "bilancio: quota dei chilometri ricaricata a casa in percentuale (predefinito 80).", "%"},
    {"auto-potenza", "bilancio: potenza del caricatore di casa in kW, 3,7 o 7,4 (predefinito 3,7).", "kW"},
    {"auto-perdite", "bilancio: perdite di ricarica in percentuale (predefinito 10).", "%"},
    {"auto-ricarica", "bilancio: quando l'auto si ricarica: sera (dalle 19), notte (le ore F3) o solare (con il surplus "
                      "dell'impianto quando è a casa, il resto della settimana di notte).", "modo", [] { return QStringLiteral("sera"); }},
    {"auto-feriali", "bilancio: con --auto-ricarica solare, l'auto è a casa anche nei giorni feriali (predefinito: sabato, "
                     "domenica e festivi).", nullptr},
    {"gas", "bilancio: una pompa di calore al posto della caldaia a gas, i metri cubi standard di gas dell'anno "
            "(divisi nei mesi con le temperature del sito).", "Smc"},
    {"gas-mesi", "bilancio: le bollette del gas mese per mese in Smc, 12 valori da gennaio, separati da punti e virgola "
                 "(al posto di --gas).", "V1;…;V12"},
    {"rendimento-caldaia", "bilancio: rendimento stagionale della vecchia caldaia sul potere calorifico inferiore "
                           "(predefinito 0,9; 1,05 una caldaia a condensazione).", "numero"},
    {"scop", "bilancio: il coefficiente di prestazione stagionale della pompa dalla sua scheda (predefinito: dalla curva "
             "delle pompe aria-acqua alle temperature del sito).", "numero"},
    {"acqua-calda-gas", "bilancio: si se il gas scaldava anche l'acqua sanitaria (la pompa la scalderà tutto l'anno), no se "
                        "solo la casa.", "si|no", [] { return QStringLiteral("si"); }},
    {"emissione", "bilancio: radiatori (acqua a 40 - T °C) o pavimento (30 - T/2 °C), per il COP della pompa.", "tipo",
     [] { return QStringLiteral("radiatori"); }},
    {"membri", "comunita: il file dei membri della comunità energetica (CSV; --modello ne scrive un esempio).", "file"},
    {"modello", "comunita: scrive un file dei membri di esempio, ogni colonna spiegata in testa.", "file"},
    {"ripartizione", "comunita: come la comunità divide premio e valorizzazione: prelievi (per l'energia prelevata nelle ore "
                     "condivise), immissioni (per l'energia immessa), uguali, produttori (una quota fissa ai produttori, il resto "
                     "ai consumatori).", "regola", [] { return QStringLiteral("prelievi"); }},
    {"quota-produttori", "comunita: con --ripartizione produttori, la quota ai produttori in percentuale (predefinito 50).", "%"},
    {"cabina", "comunita: il codice della cabina primaria (tutti i membri sono presi al suo interno).", "codice"},
    {"strategia-batteria", "bilancio: quando la batteria si scarica: autoconsumo (quando la casa consuma) o fasce (mai nelle ore "
                           "F3, la carica tenuta per F1 e F2).", "nome", [] { return QStringLiteral("autoconsumo"); }},
    {"prezzi-fasce", "convenienza: prezzi dell'energia non comprata in F1, F2 e F3 in €/kWh con le imposte, di un contratto "
                     "biorario o multiorario (es. 0,32;0,27;0,24), al posto del parametro prezzo_energia.", "F1;F2;F3"},
    {"giorni-medi", "bilancio: ogni giorno uguale al giorno medio del suo mese, solo per confronto (rispetto a un anno "
                    "meteorologico reale l'autosufficienza con batteria risulta più alta di circa 10 punti).", nullptr},
    {"orario", "bilancio, convenienza: scrive in un file CSV il bilancio ora per ora (8.760 righe, 8.784 in un anno bisestile).",
     "file"},
    {"meteo", "bilancio, convenienza, calcola: anno meteorologico orario da un file PVGIS (anno tipo CSV, JSON, EPW; serie "
              "oraria con le componenti) o EPW, al posto del clima mensile del comune.", "file"},
    {"orizzonte", "con --meteo: profilo dell'orizzonte, file PVGIS o pvlib oppure coppie azimut:elevazione da nord "
                  "(\"0:5 90:10 180:3 270:8\").", "file|coppie"},
    {"trasposizione", "con --meteo: modello del cielo diffuso: perez, hay-davies o isotropo.", "modello",
     [] { return QStringLiteral("perez"); }},
    {"perdite-sistema", "con --meteo: perdite di sistema in percentuale (cavi, inverter, sporcizia), come in PVGIS.", "%"},
    // convenienza:
    {"data-spesa", "convenienza: data della spesa, che sceglie le regole in vigore (detrazione, tetto).", "AAAA-MM-GG",
     [] { return QString::fromStdString(Oggi()); }},
    {"data-esercizio", "convenienza: data di entrata in esercizio dell'impianto, che sceglie la tariffa premio della comunità "
                       "(per gli impianti in esercizio entro il 31/12/2027; predefinita: la data della spesa).", "AAAA-MM-GG"},
    {"seconda-casa", "convenienza: l'impianto non è sull'abitazione principale (detrazione e tetto delle altre abitazioni).", nullptr},
    {"imposta-lorda", "convenienza: IRPEF lorda annua della famiglia in euro; la detrazione oltre è persa (predefinito: senza limite).",
     "euro"},
    {"contributo-pnrr", "convenienza: con il contributo PNRR in conto capitale (impianto di una comunità energetica in un "
                        "comune sotto il limite di abitanti, con una quota condivisa; esclude la detrazione).", nullptr},
    // dimensiona:
    {"potenza-max", "dimensiona: potenza massima dell'impianto in kWp (il tetto), fino a 100.", "kWp"},
    {"superficie", "dimensiona: superficie utile del tetto in m², per densita_potenza kWp/m² (al posto di --potenza-max).", "m²"},
    {"passo-potenza", "dimensiona: passo delle potenze in kWp, 0,5 o 1.", "kWp"},
    {"batteria-max", "dimensiona: batteria utile massima in kWh, fino a 100 (a passi di 2 kWh).", "kWh"},
    {"parametro", "convenienza: un parametro economico, nome=valore (ripetibile; elenco con --parametri).", "nome=valore"},
    {"parametri", "convenienza: elenca i parametri economici con valore, fonte e data.", nullptr},
};

void PreparaOpzioni(QCommandLineParser& p)
{
    p.setApplicationDescription(QStringLiteral(
        "%1: produzione annua e ricavo incentivato di un impianto fotovoltaico.\n"
        "Senza argomenti apre la finestra; \"calcola\" fa lo stesso calcolo senza finestra.\n"
        "Opzioni obbligatorie di calcola: --provincia, --comune-radiazione, --terreno, --tilt, --azimut, --potenza.")
                                    .arg(QString::fromUtf8(kTitolo)));
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Mostra questo aiuto.")});
    p.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Mostra la versione.")});
    for (const Opzione& o : kOpzioni) {
        QString descrizione = QString::fromUtf8(o.descrizione);
        if (o.predefinito && !o.predefinito().isEmpty())
            descrizione += QStringLiteral(" Predefinito: %1.").arg(o.predefinito());
        else if (const auto d = std::find_if(OpzioniNumero().begin(), OpzioniNumero().end(),
                                             [&](const OpzioneNumero& x) { return std::string_view(x.nome) == o.nome; });
                 !o.predefinito && d != OpzioniNumero().end() && d->predefinito != 0)
            descrizione += QStringLiteral(" Predefinito: %1.").arg(QString::fromStdString(TestoLeggibile(d->predefinito)));
        if (o.valore)
            p.addOption({QString::fromLatin1(o.nome), descrizione, QString::fromUtf8(o.valore)});
        else
            p.addOption({QString::fromLatin1(o.nome), descrizione});
    }
    p.addPositionalArgument(QStringLiteral("comando"),
                            QStringLiteral("calcola: il calcolo della finestra; bilancio: anche l'autoconsumo ora per ora "
                                           "con i consumi della casa e un'eventuale batteria; convenienza: anche i flussi "
                                           "di cassa, il tempo di ritorno, VAN, TIR e LCOE; dimensiona: il VAN di ogni "
                                           "potenza e batteria, la migliore; comunita: la comunità "
                                           "energetica del file dei membri (--membri), l'energia condivisa, il premio e la "
                                           "sua ripartizione."),
                            QStringLiteral("[calcola|bilancio|convenienza|dimensiona|comunita]"));
}

QString Valore(const QCommandLineParser& p, const char* nome)
{
    const QString n = QString::fromLatin1(nome);
    if (p.isSet(n))
        return p.value(n);
    for (const Opzione& o : kOpzioni) {
        if (o.predefinito && n == QLatin1String(o.nome))
            return o.predefinito();
    }
    throw ErroreArgomento(QStringLiteral("Manca l'opzione --%1.").arg(n));
}

int Integrazione(const QString& testo)
{
    const QStringList nomi = {QStringLiteral("non"), QStringLiteral("parziale"), QStringLiteral("totale")};
    const int i = static_cast<int>(nomi.indexOf(testo.toLower()));
    if (i < 0)
        throw ErroreArgomento(QStringLiteral("--integrazione vale non, parziale o totale, non «%1».").arg(testo));
    return i;
}

// The site's picks, in the window's order, each by its name in the lists.
void Scegli(Sessione& s, const QCommandLineParser& p)
{
    s.Avvia();
    s.ScegliProvincia(Voce(s.province(), Valore(p, "provincia"), QStringLiteral("La provincia «%1» non è nel file di dati.")));
    const QString comune = QStringLiteral("Il comune «%1» non è tra quelli di %2 nel file di dati.").arg(u"%1", s.provincia());
    const QString rad = Voce(s.comuniRad(), Valore(p, "comune-radiazione"), comune);
    s.ScegliComuneRad(rad);
    const QString lat = Valore(p, "comune-latitudine");
    s.ScegliComuneLat(Voce(s.comuniLat(), lat.isEmpty() ? rad : lat, comune));
    s.ScegliRiflettanza(Voce(s.riflettanze(), Valore(p, "terreno"), QStringLiteral("Il tipo di terreno «%1» non è nel file di dati.")));
}

// The picks, the plant and the calculation, on one session as the window makes them.
Risultato Calcola(Sessione& s, const QCommandLineParser& p)
{
    Scegli(s, p);
    ImpiantoTesti impianto{Valore(p, "tilt"), Valore(p, "azimut"), Valore(p, "potenza"), Valore(p, "perdite"),
                           Valore(p, "efficienza"), 0, Integrazione(Valore(p, "integrazione"))};
    impianto.fascia = FasciaDaTesto(impianto.potenza.toStdString(), s.formato()).value_or(3);
    s.ImpostaImpianto(impianto);
    const std::optional<Risultato> r = s.Calcola();
    if (!r)
        throw ErroreArgomento(QStringLiteral("Un dato è vuoto."));
    return *r;
}

// A number given on the command line, in its range: a point before three
// digits (2.700) is refused as ambiguous, never read as a decimal point.
double NumeroOpzione(const QCommandLineParser& p, const char* nome, double minimo, double massimo, bool intero = false)
{
    const QString testo = Valore(p, nome);
    double v = 0;
    try {
        v = LeggiNumeroPersona(testo.toStdString(), Campo::Energia);
    } catch (const ErroreAmbiguo& e) {
        throw ErroreArgomento(QStringLiteral("--%1: %2").arg(QLatin1String(nome), QString::fromStdString(e.Spiegazione())));
    } catch (const ErroreConversione&) {
        throw ErroreArgomento(QStringLiteral("--%1 vuole un numero, non «%2».").arg(QLatin1String(nome), testo));
    }
    if (!(v >= minimo && v <= massimo) || (intero && v != std::floor(v)))
        throw ErroreArgomento(QStringLiteral("--%1 vale %2da %3 a %4, non «%5».")
                                  .arg(QLatin1String(nome), intero ? QStringLiteral("un numero intero ") : QString(),
                                       QString::fromStdString(TestoLeggibile(minimo)),
                                       QString::fromStdString(TestoLeggibile(massimo)), testo));
    return v;
}

// A declared number: its spelling, range and wholeness from the declaration.
// A declared number: its spelling, range and wholeness from the declaration,
// its default when not given.
double NumeroOpzione(const QCommandLineParser& p, const OpzioneNumero& o)
{
    if (!p.isSet(QLatin1String(o.nome)))
        return o.predefinito;
    return NumeroOpzione(p, o.nome, o.minimo, o.massimo, o.intero);
}

const char* const kOpzioniConsumo[] = {"consumo-annuo", "fasce", "consumi"};

RichiestaConsumo LeggiConsumo(const QCommandLineParser& p)
{
    RichiestaConsumo c;
    QStringList date;
    for (const char* o : kOpzioniConsumo)
        if (p.isSet(QLatin1String(o)))
            date << QStringLiteral("--%1").arg(QLatin1String(o));
    if (date.isEmpty())
        throw ErroreArgomento(QStringLiteral("per il bilancio serve uno tra --consumo-annuo, --fasce e --consumi."));
    if (date.size() > 1)
        throw ErroreArgomento(QStringLiteral("i consumi si danno in un modo solo: %1 insieme non vanno.").arg(date.join(QStringLiteral(" e "))));
    c.profilo = Valore(p, "profilo").toStdString();
    if (!TrovaProfilo(c.profilo))
        throw ErroreArgomento(QStringLiteral("--profilo vale fuori-casa, a-casa o attivita-diurna, non «%1».").arg(Valore(p, "profilo")));
    if (p.isSet(QStringLiteral("consumo-annuo"))) {
        c.annuo = NumeroOpzione(p, Dichiarata("consumo-annuo"));
    } else if (p.isSet(QStringLiteral("fasce"))) {
        c.modo = RichiestaConsumo::Modo::Fasce;
        try {
            const FasceLette f = LeggiFasce(p.value(QStringLiteral("fasce")).toStdString());
            c.fasceAnno = f.anno;
            c.fasceMese = f.mesi;
        } catch (const ErroreFasce& e) {
            throw ErroreArgomento(QStringLiteral("--fasce: %1").arg(QString::fromStdString(e.what())));
        }
    } else {
        c.modo = RichiestaConsumo::Modo::File;
        c.file = p.value(QStringLiteral("consumi"));
    }
    return c;
}

RichiestaMeteo LeggiRichiestaMeteo(const QCommandLineParser& p)
{
    RichiestaMeteo m;
    m.file = p.value(QStringLiteral("meteo"));
    if (p.isSet(QStringLiteral("meteo")) && m.file.trimmed().isEmpty())
        throw ErroreArgomento(QStringLiteral("--meteo vuole il percorso di un file meteorologico, non un testo vuoto."));
    m.orizzonte = p.value(QStringLiteral("orizzonte"));
    if (!LeggiTrasposizione(Valore(p, "trasposizione").toStdString(), m.trasposizione))
        throw ErroreArgomento(QStringLiteral("--trasposizione vuole perez, hay-davies o isotropo, non «%1».")
                                  .arg(Valore(p, "trasposizione")));
    m.perditeSistema = NumeroOpzione(p, Dichiarata("perdite-sistema"));
    for (const char* o : {"orizzonte", "trasposizione", "perdite-sistema"})
        if (m.file.isEmpty() && p.isSet(QLatin1String(o)))
            throw ErroreArgomento(QStringLiteral("--%1 vale per le ore di un file meteorologico: manca --meteo.").arg(QLatin1String(o)));
    return m;
}

// The faces beside the window's plane and the inverter, as typed; their
// ranges are checked with the plant's peak power (VerificaImpianto).
RichiestaImpianto LeggiRichiestaImpianto(const QCommandLineParser& p)
{
    RichiestaImpianto i;
    const QStringList falde = p.values(QStringLiteral("falda"));
    if (falde.size() > qsizetype(kFaldeMassime - 1))
        throw ErroreArgomento(QStringLiteral("--falda: al più %1 falde oltre il piano di --tilt e --azimut (%2 in tutto), non %3.")
                                  .arg(kFaldeMassime - 1)
                                  .arg(kFaldeMassime)
                                  .arg(falde.size()));
    for (qsizetype k = 0; k < falde.size(); ++k) {
        try {
            i.altre.push_back(LeggiFalda(falde[k].trimmed().toStdString(), std::size_t(k) + 2));
        } catch (const ErroreFalda& e) {
            throw ErroreArgomento(QStringLiteral("--falda: %1").arg(QString::fromStdString(e.what())));
        }
    }
    if (p.isSet(QStringLiteral("inverter")))
        i.inverter = NumeroOpzione(p, "inverter", 0, 1e6);
    i.inverterFisso = p.isSet(QStringLiteral("inverter-fisso"));
    if (i.inverterFisso && !i.inverter)
        throw ErroreArgomento(QStringLiteral("--inverter-fisso vuole la potenza dell'inverter (--inverter)."));
    return i;
}

// The electric car's options: its habits only with its kilometres.
AutoElettrica LeggiAuto(const QCommandLineParser& p)
{
    AutoElettrica a;
    a.km = NumeroOpzione(p, Dichiarata(kKmAuto.nome));
    for (const char* o : {"auto-consumo", "auto-casa", "auto-potenza", "auto-perdite", "auto-ricarica", "auto-feriali"})
        if (p.isSet(QLatin1String(o)) && !p.isSet(QStringLiteral("auto-km")))
            throw ErroreArgomento(QStringLiteral("--%1 descrive l'auto elettrica: manca --auto-km.").arg(QLatin1String(o)));
    a.consumo = NumeroOpzione(p, Dichiarata(kConsumoAuto.nome));
    a.quotaCasa = NumeroOpzione(p, Dichiarata(kQuotaCasaAuto.nome));
    a.potenza = NumeroOpzione(p, Dichiarata(kPotenzaAuto.nome));
    a.perdite = NumeroOpzione(p, Dichiarata(kPerditeAuto.nome));
    if (!LeggiRicarica(Valore(p, "auto-ricarica").toStdString(), a.ricarica))
        throw ErroreArgomento(QStringLiteral("--auto-ricarica vale sera, notte o solare, non «%1».").arg(Valore(p, "auto-ricarica")));
    a.aCasaFeriali = p.isSet(QStringLiteral("auto-feriali"));
    if (a.aCasaFeriali && a.ricarica != RicaricaAuto::Solare)
        throw ErroreArgomento(QStringLiteral("--auto-feriali vale con --auto-ricarica solare."));
    return a;
}

// The heat pump's options: its details only with the gas it replaces.
PompaDiCalore LeggiPompa(const QCommandLineParser& p)
{
    PompaDiCalore a;
    const bool anno = p.isSet(QStringLiteral("gas")), mesi = p.isSet(QStringLiteral("gas-mesi"));
    if (anno && mesi)
        throw ErroreArgomento(QStringLiteral("il gas si dà in un modo solo: --gas per l'anno o --gas-mesi mese per mese."));
    for (const char* o : {"rendimento-caldaia", "scop", "acqua-calda-gas", "emissione"})
        if (p.isSet(QLatin1String(o)) && !anno && !mesi)
            throw ErroreArgomento(QStringLiteral("--%1 descrive la pompa di calore: manca il gas che sostituisce (--gas o --gas-mesi).")
                                      .arg(QLatin1String(o)));
    a.gasAnno = NumeroOpzione(p, Dichiarata(kGasAnno.nome));
    if (mesi) {
        try {
            a.gasMesi = LeggiGasMesi(p.value(QStringLiteral("gas-mesi")).toStdString());
        } catch (const std::invalid_argument& e) {
            throw ErroreArgomento(QStringLiteral("--gas-mesi: %1").arg(QString::fromStdString(e.what())));
        }
    }
    a.rendimento = NumeroOpzione(p, Dichiarata(kRendimentoCaldaia.nome));
    if (p.isSet(QStringLiteral("scop")))
        a.scop = NumeroOpzione(p, Dichiarata(kScop.nome));
    const QString acqua = Valore(p, "acqua-calda-gas");
    if (acqua != QLatin1String("si") && acqua != QLatin1String("no"))
        throw ErroreArgomento(QStringLiteral("--acqua-calda-gas vale si o no, non «%1».").arg(acqua));
    a.acquaCalda = acqua == QLatin1String("si");
    if (!LeggiEmissione(Valore(p, "emissione").toStdString(), a.emissione))
        throw ErroreArgomento(QStringLiteral("--emissione vale radiatori o pavimento, non «%1».").arg(Valore(p, "emissione")));
    return a;
}

RichiestaBilancio LeggiRichiestaBilancio(const QCommandLineParser& p)
{
    RichiestaBilancio r;
    r.impianto = LeggiRichiestaImpianto(p);
    r.consumo = LeggiConsumo(p);
    r.batteria.capacita = NumeroOpzione(p, Dichiarata(kCapacitaBatteria.nome));
    r.batteria.potenza = p.isSet(QLatin1String(kPotenzaBatteria.nome))
                             ? NumeroOpzione(p, Dichiarata(kPotenzaBatteria.nome))
                             : 0;
    r.batteria.rendimento = NumeroOpzione(p, Dichiarata(kRendimentoBatteria.nome));
    r.anno = p.isSet(QStringLiteral("anno")) ? int(NumeroOpzione(p, Dichiarata("anno"))) : AnnoDiRiferimento();
    r.giorniMedi = p.isSet(QStringLiteral("giorni-medi"));
    r.dataSpesa = Valore(p, "data-spesa").toStdString();
    if (!QDate::fromString(QString::fromStdString(r.dataSpesa), Qt::ISODate).isValid() || r.dataSpesa.size() != 10)
        throw ErroreArgomento(QStringLiteral("--data-spesa vuole una data AAAA-MM-GG del calendario, non «%1».")
                                  .arg(QString::fromStdString(r.dataSpesa)));
    if (p.isSet(QStringLiteral("data-esercizio"))) {
        r.dataEsercizio = p.value(QStringLiteral("data-esercizio")).toStdString();
        if (!QDate::fromString(QString::fromStdString(r.dataEsercizio), Qt::ISODate).isValid() || r.dataEsercizio.size() != 10)
            throw ErroreArgomento(QStringLiteral("--data-esercizio vuole una data AAAA-MM-GG del calendario, non «%1».")
                                      .arg(QString::fromStdString(r.dataEsercizio)));
    }
    r.famiglia.secondaCasa = p.isSet(QStringLiteral("seconda-casa"));
    if (p.isSet(QStringLiteral("imposta-lorda")))
        r.famiglia.impostaLorda = NumeroOpzione(p, Dichiarata("imposta-lorda"));
    r.famiglia.contributoPnrr = p.isSet(QStringLiteral("contributo-pnrr"));
    if (!LeggiStrategia(Valore(p, "strategia-batteria").toStdString(), r.batteria.strategia))
        throw ErroreArgomento(QStringLiteral("--strategia-batteria vale autoconsumo o fasce, non «%1».").arg(Valore(p, "strategia-batteria")));
    if (p.isSet(QStringLiteral("prezzi-fasce"))) {
        try {
            r.famiglia.prezziFasce = LeggiPrezziFasce(p.value(QStringLiteral("prezzi-fasce")).toStdString());
        } catch (const std::invalid_argument& e) {
            throw ErroreArgomento(QStringLiteral("--prezzi-fasce: %1").arg(QString::fromStdString(e.what())));
        }
    }
    r.veicolo = LeggiAuto(p);
    r.pompa = LeggiPompa(p);
    r.meteo = LeggiRichiestaMeteo(p);
    return r;
}

// The table with the columns of each part aligned, for a terminal.
QString TabellaAllineata(const std::vector<QStringList>& tabella)
{
    QString testo;
    for (auto inizio = tabella.begin(); inizio != tabella.end();) {
        const auto fine = std::find_if(inizio, tabella.end(), [](const QStringList& r) { return r.isEmpty(); });
        std::vector<qsizetype> larghezze;
        // A note (a row of one cell) among rows of several is printed as it is,
        // not a column's width.
        const bool colonne = std::any_of(inizio, fine, [](const QStringList& r) { return r.size() > 1; });
        for (auto r = inizio; r != fine; ++r) {
            if (colonne && r->size() == 1)
                continue;
            larghezze.resize(std::max(larghezze.size(), std::size_t(r->size())));
            for (qsizetype c = 0; c < r->size(); ++c)
                larghezze[std::size_t(c)] = std::max(larghezze[std::size_t(c)], r->at(c).size());
        }
        for (auto r = inizio; r != fine; ++r) {
            if (colonne && r->size() == 1) {
                testo += r->at(0) + u'\n';
                continue;
            }
            QString linea = r->at(0).leftJustified(larghezze[0]);
            for (qsizetype c = 1; c < r->size(); ++c)
                linea += QStringLiteral("  ") + r->at(c).rightJustified(larghezze[std::size_t(c)]);
            testo += linea + u'\n';
        }
        inizio = fine == tabella.end() ? fine : fine + 1;
        if (inizio != tabella.end())
            testo += u'\n';
    }
    return testo;
}

// The file's parameters with those given as nome=valore; a bad one named with its range.
std::vector<Parametro> ParametriDati(Sessione& s, const QCommandLineParser& p, const RichiestaBilancio& richiesta)
{
    std::vector<Parametro> parametri;
    try {
        parametri = ParametriDellaRichiesta(s.ParametriDelFile(), richiesta);
    } catch (const ErroreParametro& e) {
        throw ErroreArgomento(QStringLiteral("--data-spesa: %1").arg(QString::fromStdString(e.what())));
    }
    for (const QString& coppia : p.values(QStringLiteral("parametro"))) {
        const qsizetype uguale = coppia.indexOf(u'=');
        if (uguale <= 0)
            throw ErroreArgomento(QStringLiteral("--parametro vuole nome=valore, non «%1».").arg(coppia));
        double valore = 0;
        try {
            valore = LeggiNumeroPersona(coppia.mid(uguale + 1).toStdString(), Campo::Energia);
        } catch (const ErroreAmbiguo& e) {
            throw ErroreArgomento(QStringLiteral("--parametro %1: %2").arg(coppia.left(uguale), QString::fromStdString(e.Spiegazione())));
        } catch (const ErroreConversione&) {
            throw ErroreArgomento(QStringLiteral("--parametro %1: «%2» non è un numero.").arg(coppia.left(uguale), coppia.mid(uguale + 1)));
        }
        try {
            Imposta(parametri, coppia.left(uguale).toStdString(), valore);
        } catch (const ErroreParametro& e) {
            throw ErroreArgomento(QString::fromStdString(e.what()));
        }
    }
    return parametri;
}

// What the terminal shows of a balance: the headline figures (both cases);
// the economics, how sure; without a CSV, the monthly table; the weather file's
// year.
std::vector<QStringList> TabelleDelTerminale(const Approfondimento& a, const FormatoNumeri& f, bool convenienza, bool mesi)
{
    const bool batteria = a.richiesta.batteria.capacita > 0;
    std::vector<QStringList> tutto = RiepilogoBilancio(a.bilancio, f, batteria);
    const auto aggiungi = [&tutto](const std::vector<QStringList>& parte, std::size_t togli = 0) {
        tutto.push_back({});
        tutto.insert(tutto.end(), parte.begin(), parte.end() - std::ptrdiff_t(togli));
    };
    if (PiuFalde(a.bilancio))
        aggiungi(TabellaFalde(a.bilancio, f));
    if (convenienza)
        aggiungi(RiepilogoConvenienza(a.convenienza.senza, a.convenienza.con, f, batteria));
    else if (mesi)
        aggiungi(TabellaBilancio(batteria ? a.bilancio.conBatteria : a.bilancio.senzaBatteria, f));
    if (convenienza && a.incertezza)
        aggiungi(TabellaIncertezza(*a.incertezza, f, 8));
    if (a.bilancio.meteo)
        aggiungi(TabellaMeteo(*a.bilancio.meteo, f), 1); // the note goes with the notices
    return tutto;
}

// The headline figures (both cases), the notices; the CSV or the PDF report
// when asked.
int EseguiBilancio(const QCommandLineParser& p, const QString& cartellaDati, QTextStream& uscita,
                   const std::function<int(const QString&)>& errore, bool convenienza)
{
    Sessione s(cartellaDati, FormatoUtente());
    if (convenienza && p.isSet(QStringLiteral("parametri"))) {
        uscita << TabellaAllineata(TabellaParametri(s.ParametriDelFile(), s.formato()));
        return 0;
    }
    const RichiestaBilancio richiesta = LeggiRichiestaBilancio(p);
    const std::vector<Parametro> parametri = ParametriDati(s, p, richiesta);
    const Risultato r = Calcola(s, p);
    Analisi analisi(s);
    Approfondimento a;
    try {
        a = analisi.Calcola(r, richiesta, parametri);
    } catch (const ErroreContatore& e) {
        return errore(QStringLiteral("%1: %2").arg(richiesta.consumo.file, QString::fromStdString(e.what())));
    } catch (const ErroreRichiesta& e) {
        return errore(QStringLiteral("--%1: %2").arg(QString::fromStdString(e.opzione()), QString::fromStdString(e.what())));
    }
    if (convenienza && p.isSet(QStringLiteral("pdf"))) {
        // The report's page of sizes: a grid to twice the plant (at least 10 kWp) and 20 kWh.
        LimitiDimensioni limiti;
        const double picco = a.bilancio.PotenzaDiPicco();
        limiti.potenzaMax = std::min(kPotenzaMassimaCasa, std::max(10.0, std::ceil(2 * picco)));
        limiti.potenzaAttuale = picco;
        limiti.batteriaAttuale = richiesta.batteria.capacita;
        a.griglia = analisi.Dimensiona(r, richiesta, parametri, limiti);
    }
    uscita << TabellaAllineata(TabelleDelTerminale(a, s.formato(), convenienza, !p.isSet(QStringLiteral("csv"))));
    if (a.bilancio.meteo)
        uscita << '\n' << QString::fromUtf8(kNotaPerditeMeteo) << '\n';
    if (convenienza)
        uscita << '\n' << QString::fromUtf8(kRegimeNuoviImpianti) << '\n';
    for (const QString& avviso : a.bilancio.avvisi)
        uscita << avviso << '\n';
    QString scritto;
    if (p.isSet(QStringLiteral("orario")))
        scritto = SalvaTabellaCsv(p.value(QStringLiteral("orario")), TabellaOraria(a.bilancio, s.formato()), s.formato());
    if (!scritto.isEmpty())
        return errore(scritto);
    if (p.isSet(QStringLiteral("csv")))
        scritto = SalvaTabellaCsv(p.value(QStringLiteral("csv")), TabellaCompleta(r, &a, nullptr, convenienza), s.formato());
    else if (p.isSet(QStringLiteral("pdf")))
        scritto = SalvaPdf(p.value(QStringLiteral("pdf")), r, &a);
    return scritto.isEmpty() ? 0 : errore(scritto);
}

// The sizing grid: every plant and battery, the best printed, the grid in CSV.
// The grid's limits from the command line: a power or a roof's area, which
// for a household stops at the deduction's limit unless a power is asked
// beyond it (`nota` says so).
LimitiDimensioni LimitiDellaRiga(const QCommandLineParser& p, const std::vector<Parametro>& parametri, QString& nota)
{
    LimitiDimensioni limiti;
    if (p.isSet(QStringLiteral("superficie")) == p.isSet(QStringLiteral("potenza-max")))
        throw ErroreArgomento(QStringLiteral("dimensiona vuole --potenza-max (kWp) oppure --superficie (m²), uno dei due."));
    limiti.potenzaMax = p.isSet(QStringLiteral("potenza-max"))
                            ? NumeroOpzione(p, Dichiarata("potenza-max"))
                            : NumeroOpzione(p, Dichiarata("superficie")) * Valore(parametri, "densita_potenza");
    const double limiteCasa = Valore(parametri, "potenza_massima_detrazione");
    if (p.isSet(QStringLiteral("superficie")) && limiti.potenzaMax > limiteCasa) {
        nota = QStringLiteral("La superficie darebbe %1 kWp: la griglia si ferma ai %2 kW di un impianto al servizio "
                              "dell'abitazione (oltre, nessuna detrazione: risoluzione 22/E/2013); --potenza-max per "
                              "andare oltre.")
                   .arg(QString::fromStdString(TestoLeggibile(std::round(limiti.potenzaMax * 10) / 10)),
                        QString::fromStdString(TestoLeggibile(limiteCasa)));
        limiti.potenzaMax = limiteCasa;
    } else if (limiti.potenzaMax > limiteCasa) {
        nota = QStringLiteral("Oltre i %1 kW di un impianto al servizio dell'abitazione le taglie non hanno la detrazione "
                              "(Agenzia delle Entrate, risoluzione 22/E/2013).")
                   .arg(QString::fromStdString(TestoLeggibile(limiteCasa)));
    }
    limiti.passoPotenza = NumeroOpzione(p, Dichiarata("passo-potenza"));
    if (limiti.passoPotenza != 0.5 && limiti.passoPotenza != 1)
        throw ErroreArgomento(QStringLiteral("--passo-potenza vale 0,5 oppure 1."));
    limiti.batteriaMax = NumeroOpzione(p, Dichiarata("batteria-max"));
    if (limiti.batteriaMax == 0)
        limiti.batteriaMax = limiti.passoBatteria = 1e-9; // only the column without a battery
    return limiti;
}

int EseguiDimensiona(const QCommandLineParser& p, const QString& cartellaDati, QTextStream& uscita,
                     const std::function<int(const QString&)>& errore)
{
    Sessione s(cartellaDati, FormatoUtente());
    const RichiestaBilancio richiesta = LeggiRichiestaBilancio(p);
    const std::vector<Parametro> parametri = ParametriDati(s, p, richiesta);
    const Risultato r = Calcola(s, p);
    QString notaLimite;
    LimitiDimensioni limiti = LimitiDellaRiga(p, parametri, notaLimite);
    // The typed plant: all its faces.
    const double picco = PotenzaDiPicco(FaldeDelCaso(r, richiesta.impianto));
    limiti.potenzaAttuale = picco;
    limiti.batteriaAttuale = richiesta.batteria.capacita;
    Analisi analisi(s);
    GrigliaDimensioni g;
    try {
        g = analisi.Dimensiona(r, richiesta, parametri, limiti);
    } catch (const ErroreContatore& e) {
        return errore(QStringLiteral("%1: %2").arg(richiesta.consumo.file, QString::fromStdString(e.what())));
    } catch (const ErroreRichiesta& e) {
        return errore(QStringLiteral("--%1: %2").arg(QString::fromStdString(e.opzione()), QString::fromStdString(e.what())));
    } catch (const std::invalid_argument& e) {
        return errore(QString::fromStdString(e.what()));
    }
    uscita << TabellaAllineata(TabellaDimensioni(g, picco, richiesta.batteria.capacita, s.formato()));
    if (richiesta.pompa.Presente() || richiesta.veicolo.km > 0) {
        // The household as it is beside the one it will be: the same grid without the pump and the car.
        RichiestaBilancio oggi = richiesta;
        oggi.pompa = {};
        oggi.veicolo = {};
        const auto consumo = [&](const RichiestaBilancio& q) {
            double totale = 0;
            for (const Ore& giorno : analisi.OreDelCaso(r, q, parametri).consumo)
                totale += std::accumulate(giorno.begin(), giorno.end(), 0.0);
            return totale;
        };
        const QString domani = richiesta.pompa.Presente() && richiesta.veicolo.km > 0 ? QStringLiteral("Con pompa di calore e auto")
                               : richiesta.pompa.Presente()                           ? QStringLiteral("Con pompa di calore")
                                                                                      : QStringLiteral("Con l'auto elettrica");
        uscita << '\n'
               << TabellaAllineata(TabellaOggiEDomani(analisi.Dimensiona(r, oggi, parametri, limiti), consumo(oggi), g,
                                                      consumo(richiesta), domani, s.formato()));
    }
    if (!notaLimite.isEmpty())
        uscita << notaLimite << '\n';
    if (const QString falde = FaldeDelleTaglie(g, s.formato(), limiti.potenzaMax); !falde.isEmpty())
        uscita << falde << '\n';
    if (p.isSet(QStringLiteral("csv"))) {
        const QString scritto = SalvaTabellaCsv(p.value(QStringLiteral("csv")), GrigliaDimensioniCsv(g, s.formato()), s.formato());
        if (!scritto.isEmpty())
            return errore(scritto);
    }
    return 0;
}

// The community's options, checked; the members are read later.
RichiestaComunita LeggiRichiestaComunita(const QCommandLineParser& p)
{
    RichiestaComunita q;
    q.file = p.value(QStringLiteral("membri"));
    q.cartella = QFileInfo(q.file).absolutePath();
    q.meteo = LeggiRichiestaMeteo(p);
    q.anno = p.isSet(QStringLiteral("anno")) ? int(NumeroOpzione(p, Dichiarata("anno"))) : AnnoDiRiferimento();
    q.dataSpesa = Valore(p, "data-spesa").toStdString();
    if (p.isSet(QStringLiteral("data-esercizio")))
        q.dataEsercizio = p.value(QStringLiteral("data-esercizio")).toStdString();
    for (const std::string& d : {q.dataSpesa, q.dataEsercizio})
        if (!d.empty() && (!QDate::fromString(QString::fromStdString(d), Qt::ISODate).isValid() || d.size() != 10))
            throw ErroreArgomento(QStringLiteral("le date vogliono AAAA-MM-GG del calendario, non «%1».").arg(QString::fromStdString(d)));
    q.contributoPnrr = p.isSet(QStringLiteral("contributo-pnrr"));
    if (!LeggiRipartizione(Valore(p, "ripartizione").toStdString(), q.ripartizione))
        throw ErroreArgomento(QStringLiteral("--ripartizione vale prelievi, immissioni, uguali o produttori, non «%1».")
                                  .arg(Valore(p, "ripartizione")));
    if (p.isSet(QStringLiteral("quota-produttori"))) {
        if (q.ripartizione != Ripartizione::QuotaProduttori)
            throw ErroreArgomento(QStringLiteral("--quota-produttori vale con --ripartizione produttori."));
        q.quotaProduttori = NumeroOpzione(p, "quota-produttori", 0, 100);
    }
    q.cabina = p.value(QStringLiteral("cabina"));
    return q;
}

// The community: the site as the window picks it (a plant of its own is not
// needed: each member brings its own), the members' year, the figures and
// the members' rows; CSV and hourly files written only after it all worked.
int EseguiComunita(const QCommandLineParser& p, const QString& cartellaDati, QTextStream& uscita,
                   const std::function<int(const QString&)>& errore)
{
    if (p.isSet(QStringLiteral("modello"))) {
        const QString percorso = p.value(QStringLiteral("modello"));
        if (QFileInfo::exists(percorso) && !p.isSet(QStringLiteral("sovrascrivi")))
            return errore(QStringLiteral("il file «%1» esiste già: usare --sovrascrivi per sostituirlo.").arg(percorso));
        QSaveFile f(percorso);
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray::fromStdString(ModelloMembri())) < 0 || !f.commit())
            return errore(QStringLiteral("impossibile scrivere «%1»: %2").arg(percorso, f.errorString()));
        return 0;
    }
    Sessione s(cartellaDati, FormatoUtente());
    RichiestaComunita q = LeggiRichiestaComunita(p);
    Scegli(s, p);
    // The site's calculation on a plant of 1 kWp: its comune, climate, reflectance, losses and efficiency.
    ImpiantoTesti impianto{QStringLiteral("30"), QStringLiteral("0"), QStringLiteral("1"), Valore(p, "perdite"), Valore(p, "efficienza"),
                           0, Integrazione(Valore(p, "integrazione"))};
    impianto.fascia = 1;
    s.ImpostaImpianto(impianto);
    const std::optional<Risultato> sito = s.Calcola();
    if (!sito)
        throw ErroreArgomento(QStringLiteral("Un dato è vuoto."));
    std::vector<Parametro> parametri;
    try {
        parametri = ParametriInVigore(s.ParametriDelFile(), q.dataSpesa.empty() ? Oggi() : q.dataSpesa, q.dataEsercizio);
    } catch (const ErroreParametro& e) {
        throw ErroreArgomento(QStringLiteral("--data-spesa: %1").arg(QString::fromStdString(e.what())));
    }
    RisultatoComunita c;
    try {
        q.membri = LeggiFileMembri(q.file);
        c = CalcolaComunitaEnergetica(*sito, LongitudineDelSito(s, *sito), q, parametri);
    } catch (const ErroreRichiesta& e) {
        return errore(QStringLiteral("--%1: %2").arg(QString::fromStdString(e.opzione()), QString::fromStdString(e.what())));
    }
    QString scritto;
    if (p.isSet(QStringLiteral("orario")))
        scritto = SalvaTabellaCsv(p.value(QStringLiteral("orario")), TabellaOrariaComunita(c, s.formato()), s.formato());
    if (scritto.isEmpty() && p.isSet(QStringLiteral("csv")))
        scritto = SalvaTabellaCsv(p.value(QStringLiteral("csv")), TabellaCsvComunita(c, s.formato()), s.formato());
    if (scritto.isEmpty() && p.isSet(QStringLiteral("pdf")))
        scritto = SalvaPdfComunita(p.value(QStringLiteral("pdf")), c, s.formato());
    if (!scritto.isEmpty())
        return errore(scritto);
    uscita << TabellaAllineata(TabellaComunita(c, s.formato())) << '\n'
           << TabellaAllineata(TabellaMembri(c, s.formato())) << '\n'
           << TabellaAllineata(TabellaMesiComunita(c, s.formato())) << '\n'
           << FraseCondizione(c, s.formato()) << '\n';
    for (const QString& a : c.avvisi)
        uscita << a << '\n';
    return 0;
}

// A command and options that do not go together, said; empty when they do.
QString OpzioniIncompatibili(const QCommandLineParser& p, const QStringList& comandi)
{
    if (comandi.size() != 1
        || !QStringList{QStringLiteral("calcola"), QStringLiteral("bilancio"), QStringLiteral("convenienza"),
                        QStringLiteral("dimensiona"), QStringLiteral("comunita")}
                .contains(comandi[0]))
        return QStringLiteral("comando sconosciuto: usare \"calcola\", \"bilancio\", \"convenienza\", \"dimensiona\", "
                              "\"comunita\" oppure --help.");
    const bool comunita = comandi[0] == QLatin1String("comunita");
    for (const char* o : {"membri", "modello", "ripartizione", "quota-produttori", "cabina"})
        if (p.isSet(QLatin1String(o)) && !comunita)
            return QStringLiteral("--%1 è di comunita.").arg(QLatin1String(o));
    if (comunita) {
        // The members carry their own plants, consumption, batteries, cars: the site's options only.
        for (const char* o : {"tilt", "azimut", "potenza", "consumo-annuo", "fasce", "consumi", "batteria", "batteria-potenza",
                              "falda", "inverter", "auto-km", "gas", "gas-mesi", "orizzonte", "giorni-medi", "potenza-max",
                              "superficie", "prezzi-fasce", "strategia-batteria", "imposta-lorda", "seconda-casa"})
            if (p.isSet(QLatin1String(o)))
                return QStringLiteral("--%1 non è della comunità: impianti e consumi sono nel file dei membri.").arg(QLatin1String(o));
        if (p.isSet(QStringLiteral("modello")) == p.isSet(QStringLiteral("membri")))
            return QStringLiteral("comunita vuole --membri FILE (o --modello FILE per scriverne uno di esempio), uno dei due.");
    }
    if (comandi[0] == QLatin1String("dimensiona") && (p.isSet(QStringLiteral("pdf")) || p.isSet(QStringLiteral("orario"))))
        return QStringLiteral("dimensiona scrive la griglia con --csv (non --pdf né --orario).");
    if (comandi[0] != QLatin1String("dimensiona"))
        for (const char* o : {"potenza-max", "superficie", "passo-potenza", "batteria-max", "inverter-fisso"})
            if (p.isSet(QLatin1String(o)))
                return QStringLiteral("--%1 è di dimensiona.").arg(QLatin1String(o));
    if (comandi[0] == QLatin1String("bilancio") && p.isSet(QStringLiteral("pdf")))
        return QStringLiteral("la relazione PDF con il bilancio e la convenienza si fa con convenienza --pdf.");
    if (comandi[0] == QLatin1String("calcola")) {
        for (const char* o : {"consumo-annuo", "fasce", "consumi", "batteria", "batteria-potenza", "batteria-rendimento", "anno",
                              "strategia-batteria", "prezzi-fasce", "auto-km", "auto-consumo", "auto-casa", "auto-potenza",
                              "auto-perdite", "auto-ricarica", "auto-feriali", "gas", "gas-mesi", "rendimento-caldaia",
                              "scop", "acqua-calda-gas", "emissione", "giorni-medi", "parametro", "data-spesa", "data-esercizio", "seconda-casa", "imposta-lorda", "orario",
                              "contributo-pnrr"})
            if (p.isSet(QLatin1String(o)))
                return QStringLiteral("calcola non fa il bilancio (--%1): usare bilancio o convenienza.").arg(QLatin1String(o));
    }
    if (p.isSet(QStringLiteral("csv")) && p.isSet(QStringLiteral("pdf")))
        return QStringLiteral("usare --csv oppure --pdf, non entrambi.");
    // Two outputs on one path: the second would overwrite the first.
    for (const auto& [a, b] : {std::pair{"csv", "orario"}, std::pair{"pdf", "orario"}})
        if (p.isSet(QLatin1String(a)) && p.isSet(QLatin1String(b))
            && QDir::cleanPath(QFileInfo(p.value(QLatin1String(a))).absoluteFilePath())
                   == QDir::cleanPath(QFileInfo(p.value(QLatin1String(b))).absoluteFilePath()))
            return QStringLiteral("--%1 e --%2 scrivono sullo stesso file «%3»: dare due file diversi.")
                .arg(QLatin1String(a), QLatin1String(b), p.value(QLatin1String(a)));
    for (const char* file : {"csv", "pdf", "orario"}) {
        const QString percorso = p.value(QString::fromLatin1(file));
        if (!percorso.isEmpty() && QFileInfo::exists(percorso) && !p.isSet(QStringLiteral("sovrascrivi")))
            return QStringLiteral("il file «%1» esiste già: usare --sovrascrivi per sostituirlo.").arg(percorso);
    }
    return {};
}

} // namespace

bool ArgomentoDellaRigaDiComando(const char* argomento)
{
    for (const char* a : {"calcola", "bilancio", "convenienza", "dimensiona", "comunita", "--help", "-h", "--version", "-v"}) {
        if (std::strcmp(argomento, a) == 0)
            return true;
    }
    return false;
}

// The window's calculation: its table, or its CSV or PDF; with --meteo the
// file's year beside it, read before anything is written (a run that fails
// leaves no file).
int EseguiCalcola(const QCommandLineParser& p, const QString& cartellaDati, QTextStream& uscita,
                  const std::function<int(const QString&)>& errore)
{
    Sessione sessione(cartellaDati, FormatoUtente());
    const RichiestaImpianto impianto = LeggiRichiestaImpianto(p);
    const Risultato r = Calcola(sessione, p);
    std::optional<RisultatoBilancio> esito;
    const bool falde = !impianto.altre.empty() || impianto.inverter;
    if (p.isSet(QStringLiteral("meteo")) || falde) {
        Analisi analisi(sessione);
        try {
            esito = analisi.ProduzioneDellImpianto(r, LeggiRichiestaMeteo(p), impianto, AnnoDiRiferimento());
        } catch (const ErroreRichiesta& e) {
            return errore(QStringLiteral("--%1: %2").arg(QString::fromStdString(e.opzione()), QString::fromStdString(e.what())));
        }
    }
    const MeteoUsato* meteo = esito && esito->meteo ? &*esito->meteo : nullptr;
    const RisultatoBilancio* produzione = esito ? &*esito : nullptr;
    QString scritto;
    if (p.isSet(QStringLiteral("csv")))
        scritto = SalvaCsv(p.value(QStringLiteral("csv")), r, FormatoUtente(), nullptr, produzione);
    if (scritto.isEmpty() && p.isSet(QStringLiteral("pdf")))
        scritto = SalvaPdf(p.value(QStringLiteral("pdf")), r, nullptr, produzione);
    if (!scritto.isEmpty())
        return errore(scritto);
    if (!p.isSet(QStringLiteral("csv")) && !p.isSet(QStringLiteral("pdf"))) {
        uscita << TabellaAllineata(TabellaRelazione(r, meteo));
        if (esito && PiuFalde(*esito))
            uscita << '\n' << TabellaAllineata(TabellaFalde(*esito, sessione.formato())) << '\n'
                   << TabellaAllineata(TabellaFaldeMesi(*esito, sessione.formato()));
    }
    if (meteo) {
        // The file's year beside the window's months.
        const auto m = TabellaMeteo(*meteo, sessione.formato());
        uscita << '\n' << TabellaAllineata({m.begin(), m.end() - 1}) << '\n' << QString::fromUtf8(kNotaPerditeMeteo) << '\n';
        for (const QString& avviso : esito->avvisi)
            uscita << avviso << '\n';
    }
    return 0;
}

int EseguiRigaComando(const QStringList& argomenti, QTextStream& uscita, QTextStream& errori,
                      const QString& cartellaDati)
{
    QCommandLineParser p;
    PreparaOpzioni(p);
    const auto errore = [&](const QString& testo) {
        errori << "calcolo-fv: " << testo << Qt::endl;
        return 1;
    };
    if (!p.parse(QStringList{QStringLiteral("calcolo-fv")} + argomenti))
        return errore(p.errorText());
    if (p.isSet(QStringLiteral("help"))) {
        uscita << p.helpText();
        return 0;
    }
    if (p.isSet(QStringLiteral("version"))) {
        uscita << "calcolo-fv " << QString::fromUtf8(kVersioneMostrata) << Qt::endl;
        return 0;
    }
    const QStringList comandi = p.positionalArguments();
    if (const QString no = OpzioniIncompatibili(p, comandi); !no.isEmpty())
        return errore(no);
    const bool bilancio = comandi[0] != QLatin1String("calcola");
    try {
        if (comandi[0] == QLatin1String("dimensiona"))
            return EseguiDimensiona(p, cartellaDati, uscita, errore);
        if (comandi[0] == QLatin1String("comunita"))
            return EseguiComunita(p, cartellaDati, uscita, errore);
        if (bilancio)
            return EseguiBilancio(p, cartellaDati, uscita, errore, comandi[0] == QLatin1String("convenienza"));
        return EseguiCalcola(p, cartellaDati, uscita, errore);
    } catch (const ErroreArgomento& e) {
        return errore(QString::fromStdString(e.what()));
    } catch (...) {
        return errore(MessaggioErrore(std::current_exception(), FormatoUtente(), {}).testo);
    }
}

} // namespace fv
