// SPDX-License-Identifier: MIT
#include "app/messaggi.h"

#include "app/inventario.h"
#include "data/funzioni.h"

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

QString MessaggioDati(const ErroreDati& e, const QString& fileDati)
{
    const QString file = e.file().isEmpty() ? fileDati : e.file();
    switch (e.tipo()) {
    case ErroreDati::Tipo::FileMancante:
        return QStringLiteral("Il file di dati «%1» non esiste o non è leggibile (%2).")
            .arg(file, e.messaggio());
    case ErroreDati::Tipo::Motore:
        if (e.sql().isEmpty())
            return QStringLiteral("Impossibile aprire il file di dati «%1» (%2): %3.")
                .arg(file, e.routine(), e.messaggio());
        return QStringLiteral("Errore del database nel file «%1» eseguendo «%2»: %3.")
            .arg(file, e.sql(), e.messaggio());
    case ErroreDati::Tipo::TestoSqlNonValido:
        return QStringLiteral("Interrogazione rifiutata sul file «%1»: il testo contiene un "
                              "carattere nullo.")
            .arg(file);
    case ErroreDati::Tipo::ValoreNullo:
        return QStringLiteral("Nel file di dati «%1» manca il valore di %2 %3.")
            .arg(file, e.routine(), e.messaggio());
    case ErroreDati::Tipo::ValoreNonNumerico:
        return QStringLiteral("Nel file di dati «%1» il valore di %2 non è un numero: %3.")
            .arg(file, e.routine(), e.messaggio());
    case ErroreDati::Tipo::NessunaRiga:
        return QStringLiteral("Nel file di dati «%1» non c'è la riga cercata in %2 %3.")
            .arg(file, e.routine(), e.messaggio());
    case ErroreDati::Tipo::ColonnaMancante:
        return QStringLiteral("Nel file di dati «%1» manca una colonna eseguendo «%2»: %3.")
            .arg(file, e.sql(), e.messaggio());
    }
    return {};
}

} // namespace

QString DidascaliaCampo(Campo campo)
{
    // The field that shows each value; its caption is its label's.
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
    const QString didascalia = DidascaliaDi(QString::fromLatin1(nome));
    if (!didascalia.isEmpty())
        return didascalia;
    for (const Controllo& c : kInventario) {
        if (QLatin1StringView(c.nome) == QLatin1StringView(nome))
            return QString::fromUtf8(c.testo);
    }
    return {};
}

QString MessaggioErrore(const std::exception_ptr& errore, const FormatoNumeri& formato,
                        const QString& fileDati)
{
    try {
        std::rethrow_exception(errore);
    } catch (const ErroreConversione& e) {
        const QString campo = DidascaliaCampo(e.campo());
        switch (e.motivo()) {
        case ErroreConversione::Motivo::SeparatoreMigliaia:
            return QStringLiteral("Il testo «%1» del campo «%2» non è un numero: per i decimali "
                                  "usare «%3» e non separare le migliaia.")
                .arg(Testo(e.testo()), campo, Testo(formato.decimale));
        case ErroreConversione::Motivo::FuoriIntervallo:
            return QStringLiteral("Il numero «%1» del campo «%2» è troppo grande.")
                .arg(Testo(e.testo()), campo);
        case ErroreConversione::Motivo::NonNumero:
            break;
        }
        return QStringLiteral("Il testo «%1» del campo «%2» non è un numero.")
            .arg(Testo(e.testo()), campo);
    } catch (const ErroreOverflow& e) {
        return QStringLiteral("Il valore «%1» del campo «%2» è fuori dall'intervallo ammesso "
                              "(da -32768 a 32767).")
            .arg(Testo(e.testo()), DidascaliaCampo(e.campo()));
    } catch (const ErroreAritmetico& e) {
        if (e.mese() >= 1 && e.mese() <= 12)
            return QStringLiteral("Errore aritmetico (%1) nel calcolo di %2, al passo «%3».")
                .arg(NomeTipo(e.tipo()), NomeMese(e.mese()), NomePasso(e.passo()));
        return QStringLiteral("Errore aritmetico (%1) al passo «%2».")
            .arg(NomeTipo(e.tipo()), NomePasso(e.passo()));
    } catch (const ErroreDati& e) {
        return MessaggioDati(e, fileDati);
    } catch (const std::exception& e) {
        return QStringLiteral("Errore imprevisto: %1.").arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return QStringLiteral("Errore imprevisto.");
    }
}

} // namespace fv
