// SPDX-License-Identifier: MIT
#include "app/riga_comando.h"

#include "app/aspetto.h"
#include "app/inventario.h"
#include "app/messaggi.h"
#include "app/relazione.h"
#include "app/versione.h"
#include "data/cascata.h"

#include <QCommandLineParser>

#include <algorithm>
#include <stdexcept>

namespace fv {

namespace {

// A command-line mistake, told as it stands.
class ErroreArgomento : public std::runtime_error {
public:
    explicit ErroreArgomento(const QString& testo) : std::runtime_error(testo.toStdString()) {}
};

// The site as the picks leave it, and the results as the command writes them.
class SitoSenzaFinestra final : public VistaSito, public DestinazioneCalcolo {
public:
    QStringList riflettanze, province, comuniLat, comuniRad;
    MonthlySeries radOriz{}, radInc{};
    std::array<QString, 12> mesi, mesi2;
    QString totAnnua, totAnnua2, latitudine, riflettanza, rapporto, energia, costoKwh, annuo;

    void AggiungiRiflettanza(const QString& s) override { riflettanze << s; }
    void AggiungiProvincia(const QString& s) override { province << s; }
    void SvuotaComuniLat() override { comuniLat.clear(); }
    void AggiungiComuneLat(const QString& s) override { comuniLat << s; }
    void SvuotaComuniRad() override { comuniRad.clear(); }
    void AggiungiComuneRad(const QString& s) override { comuniRad << s; }
    void ScriviRadOriz(int m, double v) override { radOriz[std::size_t(m)] = v; }
    void ScriviMese(int m, const QString& t) override { mesi[std::size_t(m)] = t; }
    void ScriviTotAnnua(const QString& t) override { totAnnua = t; }
    void ScriviLatitudine(const QString& t) override { latitudine = t; }
    void ScriviRiflettanza(const QString& t) override { riflettanza = t; }
    void ScriviRadInc(int m, double v) override { radInc[std::size_t(m)] = v; }
    void ScriviCampo(Campo campo, int indice, const std::string& testo) override
    {
        const QString t = QString::fromStdString(testo);
        switch (campo) {
        case Campo::Mese2: mesi2[std::size_t(indice)] = t; break;
        case Campo::TotAnnua2: totAnnua2 = t; break;
        case Campo::Rapporto: rapporto = t; break;
        case Campo::Energia: energia = t; break;
        case Campo::CostoKwh: costoKwh = t; break;
        case Campo::Annuo: annuo = t; break;
        default: break;
        }
    }
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
    const char* predefinito = nullptr;
};

const Opzione kOpzioni[] = {
    {"provincia", "Sigla della provincia (es. TO).", "sigla"},
    {"comune-radiazione", "Comune di cui usare la radiazione.", "comune"},
    {"comune-latitudine", "Comune di cui usare la latitudine (predefinito: il comune della radiazione).", "comune"},
    {"terreno", "Tipo di terreno (es. Erba).", "tipo"},
    {"tilt", "Inclinazione dei moduli in gradi.", "gradi", "20"},
    {"azimut", "Azimut in gradi rispetto al sud, positivo verso ovest.", "gradi", "5"},
    {"potenza", "Potenza di picco in kW.", "kW", "1"},
    {"perdite", "Perdite del generatore in percentuale.", "%", "15"},
    {"efficienza", "Efficienza dell'inverter in percentuale.", "%", "90"},
    {"integrazione", "Tipo di impianto: non, parziale o totale (predefinito: non).", "tipo", "non"},
    {"csv", "Scrive i risultati in un file CSV invece di stamparli.", "file"},
    {"pdf", "Scrive la relazione di una pagina in un file PDF invece di stampare i risultati.", "file"},
};

void PreparaOpzioni(QCommandLineParser& p)
{
    p.setApplicationDescription(QStringLiteral(
        "%1: produzione annua e ricavo incentivato di un impianto fotovoltaico.\n"
        "Senza argomenti apre la finestra; \"calcola\" fa lo stesso calcolo senza finestra.")
                                    .arg(QString::fromUtf8(kTitolo)));
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Mostra questo aiuto.")});
    p.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Mostra la versione.")});
    for (const Opzione& o : kOpzioni)
        p.addOption({QString::fromLatin1(o.nome), QString::fromUtf8(o.descrizione), QString::fromUtf8(o.valore)});
    p.addPositionalArgument(QStringLiteral("calcola"), QStringLiteral("Calcola senza aprire la finestra."),
                            QStringLiteral("[calcola]"));
}

QString Valore(const QCommandLineParser& p, const char* nome)
{
    const QString n = QString::fromLatin1(nome);
    if (p.isSet(n))
        return p.value(n);
    for (const Opzione& o : kOpzioni) {
        if (o.predefinito && n == QLatin1String(o.nome))
            return QString::fromLatin1(o.predefinito);
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

QString TestoOpzione(const char* gruppo, int indice)
{
    for (const Controllo& c : kInventario) {
        if (QLatin1String(c.nome) == QLatin1String(gruppo) && c.indice == indice)
            return QString::fromUtf8(c.testo);
    }
    return QStringLiteral("nessuna");
}

// The site's picks, in the window's order, each by its name in the lists.
void Scegli(ContestoDati dati, const QCommandLineParser& p, const FormatoNumeri& formato, SitoSenzaFinestra& sito,
            Relazione& r)
{
    CaricaElenchiIniziali(dati, sito);
    r.provincia = Voce(sito.province, Valore(p, "provincia"), QStringLiteral("La provincia «%1» non è nel file di dati."));
    const QString comune = QStringLiteral("Il comune «%1» non è tra quelli di %2 nel file di dati.").arg(u"%1", r.provincia);
    ProvinciaScelta(dati, r.provincia, sito);
    r.comuneRadiazione = Voce(sito.comuniRad, Valore(p, "comune-radiazione"), comune);
    ComuneRadScelto(dati, r.provincia, r.comuneRadiazione, kGiorniMese, formato, sito);
    const QString lat = p.isSet(QStringLiteral("comune-latitudine")) ? p.value(QStringLiteral("comune-latitudine"))
                                                                      : r.comuneRadiazione;
    r.comuneLatitudine = Voce(sito.comuniLat, lat, comune);
    ComuneLatScelto(dati, r.provincia, r.comuneLatitudine, formato, sito);
    r.terreno = Voce(sito.riflettanze, Valore(p, "terreno"), QStringLiteral("Il tipo di terreno «%1» non è nel file di dati."));
    RiflettanzaScelta(dati, r.terreno, formato, sito);
}

// The picks, the calculation and the tariff, as CALCOLA makes them.
Relazione Calcola(const QCommandLineParser& p, const QString& cartellaDati)
{
    const FormatoNumeri formato = FormatoUtente();
    StatoDati stato(cartellaDati);
    SitoSenzaFinestra sito;
    Relazione r;
    Scegli(stato.Contesto(), p, formato, sito, r);
    r.tilt = Valore(p, "tilt");
    r.azimut = Valore(p, "azimut");
    r.potenza = Valore(p, "potenza");
    r.perdite = Valore(p, "perdite");
    r.efficienza = Valore(p, "efficienza");
    const int integrazione = Integrazione(Valore(p, "integrazione"));
    const InputCalcolo input{sito.latitudine.toStdString(), sito.riflettanza.toStdString(), r.tilt.toStdString(),
                             r.azimut.toStdString(),       r.potenza.toStdString(),     r.perdite.toStdString(),
                             r.efficienza.toStdString(),   r.comuneRadiazione.toStdString()};
    IngressiLetti letti;
    if (!fv::Calcola(input, sito.radOriz, kGiorniMese, formato, sito, &letti))
        throw ErroreArgomento(QStringLiteral("Un dato è vuoto."));
    const int fascia = FasciaDaTesto(input.potenza, formato).value_or(3);
    ScriviTariffaRicavo(sito.energia.toStdString(), fascia, integrazione, formato, sito);
    r.latitudine = sito.latitudine;
    r.riflettanza = sito.riflettanza;
    r.integrazione = TestoOpzione("optInt", integrazione);
    r.fascia = TestoOpzione("optPow", fascia);
    r.radOriz = sito.radOriz;
    r.radInc = sito.radInc;
    r.orizzontale = sito.mesi;
    r.piano = sito.mesi2;
    r.totOrizzontale = sito.totAnnua;
    r.totPiano = sito.totAnnua2;
    r.rapporto = sito.rapporto;
    r.energia = sito.energia;
    r.tariffa = sito.costoKwh;
    r.ricavo = sito.annuo;
    CompletaRelazione(r, letti, kGiorniMese, formato);
    return r;
}

// The table with the columns of each part aligned, for a terminal.
QString TabellaAllineata(const std::vector<QStringList>& tabella)
{
    QString testo;
    for (auto inizio = tabella.begin(); inizio != tabella.end();) {
        const auto fine = std::find_if(inizio, tabella.end(), [](const QStringList& r) { return r.isEmpty(); });
        std::vector<qsizetype> larghezze;
        for (auto r = inizio; r != fine; ++r) {
            larghezze.resize(std::max(larghezze.size(), std::size_t(r->size())));
            for (qsizetype c = 0; c < r->size(); ++c)
                larghezze[std::size_t(c)] = std::max(larghezze[std::size_t(c)], r->at(c).size());
        }
        for (auto r = inizio; r != fine; ++r) {
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

} // namespace

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
    if (p.positionalArguments() != QStringList{QStringLiteral("calcola")})
        return errore(QStringLiteral("comando sconosciuto: usare \"calcola\" oppure --help."));
    if (p.isSet(QStringLiteral("csv")) && p.isSet(QStringLiteral("pdf")))
        return errore(QStringLiteral("usare --csv oppure --pdf, non entrambi."));
    try {
        const Relazione r = Calcola(p, cartellaDati);
        QString scritto;
        if (p.isSet(QStringLiteral("csv")))
            scritto = SalvaCsv(p.value(QStringLiteral("csv")), r, FormatoUtente());
        if (scritto.isEmpty() && p.isSet(QStringLiteral("pdf")))
            scritto = SalvaPdf(p.value(QStringLiteral("pdf")), r);
        if (!scritto.isEmpty())
            return errore(scritto);
        if (!p.isSet(QStringLiteral("csv")) && !p.isSet(QStringLiteral("pdf")))
            uscita << TabellaAllineata(TabellaRelazione(r));
        return 0;
    } catch (const ErroreArgomento& e) {
        return errore(QString::fromStdString(e.what()));
    } catch (...) {
        return errore(MessaggioErrore(std::current_exception(), FormatoUtente(), {}).testo);
    }
}

} // namespace fv
