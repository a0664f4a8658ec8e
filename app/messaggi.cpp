// SPDX-License-Identifier: MIT
// Errors into the Italian sentences the user reads.
#include "app/messaggi.h"

#include "app/inventario.h"
#include "data/funzioni.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace fv {

namespace {

QString Testo(const std::string& s) { return QString::fromStdString(s); }

QString NomeMese(int mese)
{
    static const char* const nomi[12] = {"gennaio", "febbraio", "marzo",     "aprile",
                                         "maggio",  "giugno",   "luglio",    "agosto",
                                         "settembre", "ottobre", "novembre", "dicembre"};
    return mese >= 1 && mese <= 12 ? QString::fromLatin1(nomi[mese - 1]) : QString();
}

QString NomePasso(Passo passo)
{
    switch (passo) {
    case Passo::Declinazione: return QStringLiteral("declinazione solare");
    case Passo::AngoloTramonto: return QStringLiteral("angolo orario del tramonto");
    case Passo::Coefficienti: return QStringLiteral("coefficienti del piano");
    case Passo::RadiazioneExtraterrestre: return QStringLiteral("radiazione extraterrestre");
    case Passo::IndiceSerenita: return QStringLiteral("indice di serenità");
    case Passo::FrazioneDiffusa: return QStringLiteral("frazione diffusa");
    case Passo::IncrociPiano: return QStringLiteral("alba e tramonto sul piano");
    case Passo::RapportoDiretta: return QStringLiteral("rapporto della radiazione diretta");
    case Passo::RapportoTotale: return QStringLiteral("rapporto della radiazione totale");
    case Passo::RadiazionePiano: return QStringLiteral("radiazione sul piano");
    case Passo::TotaleAnnuo: return QStringLiteral("totale annuo");
    case Passo::RapportoTotali: return QStringLiteral("rapporto tra i totali annui");
    case Passo::EnergiaAnnua: return QStringLiteral("energia annua");
    case Passo::Ricavo: return QStringLiteral("ricavo annuo");
    }
    return {};
}

QString NomeTipo(ErroreAritmetico::Tipo tipo)
{
    switch (tipo) {
    case ErroreAritmetico::Tipo::DivisionePerZero: return QStringLiteral("divisione per zero");
    case ErroreAritmetico::Tipo::RadiceNegativa:
        return QStringLiteral("radice quadrata di un numero negativo");
    case ErroreAritmetico::Tipo::NonFinito: return QStringLiteral("risultato non numerico o troppo grande");
    }
    return {};
}

// The engine's own words, which say what went wrong, told plainly.
QString FraseMotore(const QString& motore)
{
    if (motore.contains(QLatin1String("locked")) || motore.contains(QLatin1String("busy")))
        return QStringLiteral("Il file di dati è bloccato da un altro programma: riprovare tra poco.");
    if (motore.contains(QLatin1String("no such table")) || motore.contains(QLatin1String("no such column")))
        return QStringLiteral("Il file di dati non ha le tabelle e le colonne che il programma legge.");
    return QStringLiteral("Il file di dati è danneggiato o non è un file di dati di questo programma.");
}

// A data file the data tool could not read, by the tool's typed reason.
QString MessaggioAccesso(const ErroreDati& e)
{
    const QString& f = e.file();
    switch (e.codice()) {
    case CodiceDati::FileMancante: return QStringLiteral("Il file di dati «%1» non esiste o non è leggibile.").arg(f);
    case CodiceDati::NonDati: return QStringLiteral("Il file «%1» non è un file di dati di Access né di SQLite.").arg(f);
    case CodiceDati::TabellaMancante: return QStringLiteral("Nel file «%1» manca la tabella %2.").arg(f, e.tabella());
    case CodiceDati::ColonnaMancante:
        return QStringLiteral("Nel file «%1» la tabella %2 non ha la colonna «%3».").arg(f, e.tabella(), e.colonna());
    case CodiceDati::NonAvviato:
        return QStringLiteral("Il programma che legge i file di Access (calcolo-fv-dati) non si avvia: "
                              "l'installazione è incompleta. Il file di dati non è stato letto.");
    case CodiceDati::TempoScaduto:
        return QStringLiteral("La lettura del file di Access «%1» non è finita in 30 secondi ed è stata fermata.").arg(f);
    case CodiceDati::Scrittura:
        return QStringLiteral("Impossibile scrivere la copia di lavoro del file di Access: spazio o permessi "
                              "nella cartella temporanea.");
    case CodiceDati::Danneggiato:
    default: return QStringLiteral("Il file di Access «%1» è danneggiato: non si lascia leggere.").arg(f);
    }
}

Messaggio MessaggioDati(const ErroreDati& e, const QString& fileDati)
{
    const QString file = e.file().isEmpty() ? fileDati : e.file();
    QStringList dettagli;
    if (!file.isEmpty() && e.tipo() != ErroreDati::Tipo::FileMancante)
        dettagli << QStringLiteral("File: %1").arg(file);
    if (!e.routine().isEmpty())
        dettagli << QStringLiteral("Dove: %1").arg(e.routine());
    if (!e.sql().isEmpty())
        dettagli << QStringLiteral("SQL: %1").arg(e.sql());
    dettagli << QStringLiteral("Messaggio: %1").arg(e.messaggio());
    const QString d = dettagli.join(u'\n');
    switch (e.tipo()) {
    case ErroreDati::Tipo::FileMancante:
        return {QStringLiteral("Il file di dati data.mdb non è stato trovato: è stato cercato in %1.")
                    .arg(file.split(QStringLiteral("; ")).join(QStringLiteral(" e in "))), d};
    case ErroreDati::Tipo::Motore:
        return {FraseMotore(e.messaggio()), d};
    case ErroreDati::Tipo::TestoSqlNonValido:
        return {QStringLiteral("Il nome scelto contiene un carattere nullo e non può essere cercato."), d};
    case ErroreDati::Tipo::ValoreNullo:
        return {QStringLiteral("Nel file di dati manca un valore del sito scelto."), d};
    case ErroreDati::Tipo::ValoreNonNumerico:
        return {QStringLiteral("Nel file di dati un valore del sito scelto non è un numero."), d};
    case ErroreDati::Tipo::NessunaRiga:
        return {QStringLiteral("Il sito scelto non è più nel file di dati: sceglierlo di nuovo."), d};
    case ErroreDati::Tipo::Accesso:
        return {MessaggioAccesso(e), d};
    case ErroreDati::Tipo::ColonnaMancante:
        return {QStringLiteral("Il file di dati non ha le colonne che il programma legge."), d};
    }
    return {{}, d};
}

QString Limite(double v, const FormatoNumeri& formato) { return Testo(TestoNumero(v, formato)); }

QString MessaggioIntervallo(const ErroreIntervallo& e, const FormatoNumeri& formato)
{
    const QString min = Limite(e.minimo(), formato);
    const QString max = Limite(e.massimo(), formato);
    QString ammesso = e.minimoEscluso()
                          ? QStringLiteral("maggiore di %1 e al massimo %2").arg(min, max)
                          : QStringLiteral("da %1 a %2").arg(min, max);
    if (e.campo() == Campo::Latitudine)
        ammesso += QStringLiteral(" gradi nord: a sud dell'equatore si è fuori dai dati dell'Italia, oltre il "
                                  "circolo polare il sole di qualche mese non sorge o non tramonta");
    return QStringLiteral("Il valore «%1» del campo «%2» è fuori dall'intervallo ammesso: %3.")
        .arg(Citazione(e.testo()), DidascaliaCampo(e.campo()), ammesso);
}

QString MessaggioSerenita(const ErroreSerenita& e)
{
    const QString mese = NomeMese(e.mese());
    if (e.KT() > 1)
        return QStringLiteral("L'indice di serenità di %1 supera 1: latitudine e dati di radiazione "
                              "non sono coerenti.")
            .arg(mese);
    return QStringLiteral("L'indice di serenità di %1 non è positivo (radiazione orizzontale nulla "
                          "o negativa): latitudine e dati di radiazione non sono coerenti.")
        .arg(mese);
}

} // namespace

QString NomeControllo(Campo campo)
{
    // The field that shows each value.
    const char* nome = "";
    switch (campo) {
    case Campo::Latitudine: nome = "txtLatitudine"; break;
    case Campo::Riflettanza: nome = "txtRiflettanza"; break;
    case Campo::Tilt: nome = "txtTilt"; break;
    case Campo::Azimut: nome = "txtAzimut"; break;
    case Campo::Potenza: nome = "txtPow"; break;
    case Campo::PerditeGeneratore: nome = "txtEffGen"; break;
    case Campo::EfficienzaInverter: nome = "txtEffInv"; break;
    case Campo::ComuneRadiazione: nome = "cmbComuneRad"; break;
    case Campo::Mese2: nome = "Label26"; break; // the strip's heading names the whole strip
    case Campo::TotAnnua2: nome = "txtTotAnnua2"; break;
    case Campo::Rapporto: nome = "txtRapp"; break;
    case Campo::Energia: nome = "txtEnergia"; break;
    case Campo::CostoKwh: nome = "txtCostoKwh"; break;
    case Campo::Annuo: nome = "txtAnnuo"; break;
    }
    return QString::fromLatin1(nome);
}

QString DidascaliaCampo(Campo campo)
{
    // Its caption is its label's.
    const QString nome = NomeControllo(campo);
    const QString didascalia = DidascaliaDi(nome);
    if (!didascalia.isEmpty())
        return didascalia;
    for (const Controllo& c : kInventario) {
        if (QLatin1StringView(c.nome) == nome)
            return QString::fromUtf8(c.testo);
    }
    return {};
}

QString NotaCampoVuoto(Campo campo)
{
    return QStringLiteral("Il campo «%1» è vuoto.").arg(DidascaliaCampo(campo));
}

ErroreMappa::ErroreMappa(QString file) : Errore("no longitudes for the map"), file_(std::move(file)) {}

ErroreScelta::ErroreScelta(QString scelta)
    : Errore("choice not loaded: " + scelta.toStdString()), scelta_(std::move(scelta))
{
}

bool InstallaTraduzioneQt()
{
    auto* traduzione = new QTranslator(QCoreApplication::instance());
    if (!traduzione->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traduzione;
        return false;
    }
    return QCoreApplication::installTranslator(traduzione);
}

QString Citazione(const std::string& testo)
{
    constexpr qsizetype kMassimo = 40;
    const QString t = QString::fromStdString(testo);
    return t.size() <= kMassimo ? t : t.left(kMassimo - 1) + QChar(0x2026);
}

Messaggio MessaggioErrore(const std::exception_ptr& errore, const FormatoNumeri& formato,
                          const QString& fileDati)
{
    try {
        std::rethrow_exception(errore);
    } catch (const ErroreConversione& e) {
        const QString campo = DidascaliaCampo(e.campo());
        const QString testo = Citazione(e.testo());
        switch (e.motivo()) {
        case ErroreConversione::Motivo::SeparatoreMigliaia:
            return {QStringLiteral("Il testo «%1» del campo «%2» non è un numero: per i decimali "
                                   "usare «%3» e non separare le migliaia.")
                        .arg(testo, campo, Testo(formato.decimale)), {}};
        case ErroreConversione::Motivo::FuoriIntervallo:
            return {QStringLiteral("Il numero «%1» del campo «%2» è troppo grande.").arg(testo, campo), {}};
        case ErroreConversione::Motivo::NonNumero:
            break;
        }
        return {QStringLiteral("Il testo «%1» del campo «%2» non è un numero.").arg(testo, campo), {}};
    } catch (const ErroreIntervallo& e) {
        return {MessaggioIntervallo(e, formato), {}};
    } catch (const ErroreSerenita& e) {
        return {MessaggioSerenita(e), {}};
    } catch (const ErroreCampoVuoto& e) {
        return {NotaCampoVuoto(e.campo()), {}};
    } catch (const ErroreSenzaCalcolo&) {
        return {QStringLiteral("Premere CALCOLA: il bilancio e la convenienza partono dal calcolo della finestra."), {}};
    } catch (const ErroreMappa& e) {
        return {QStringLiteral("Il file di dati «%1» non ha le longitudini dei comuni (tabella tblCoordinate), "
                               "che servono solo alla mappa dell'Italia: il calcolo funziona lo stesso.")
                    .arg(e.file()), {}};
    } catch (const ErroreScelta& e) {
        return {QStringLiteral("Scegliere %1 dall'elenco.").arg(e.scelta()), {}};
    } catch (const ErroreOverflow& e) {
        return {QStringLiteral("Il valore «%1» del campo «%2» è fuori dall'intervallo ammesso "
                               "(da -32768 a 32767).")
                    .arg(Citazione(e.testo()), DidascaliaCampo(e.campo())), {}};
    } catch (const ErroreAritmetico& e) {
        if (e.mese() >= 1 && e.mese() <= 12)
            return {QStringLiteral("Errore aritmetico (%1) nel calcolo di %2, al passo «%3».")
                        .arg(NomeTipo(e.tipo()), NomeMese(e.mese()), NomePasso(e.passo())), {}};
        return {QStringLiteral("Errore aritmetico (%1) al passo «%2».")
                    .arg(NomeTipo(e.tipo()), NomePasso(e.passo())), {}};
    } catch (const ErroreDati& e) {
        return MessaggioDati(e, fileDati);
    } catch (const std::exception& e) {
        return {QStringLiteral("Errore imprevisto."), QString::fromLocal8Bit(e.what())};
    } catch (...) {
        return {QStringLiteral("Errore imprevisto."), {}};
    }
}

} // namespace fv
