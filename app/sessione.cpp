// SPDX-License-Identifier: MIT
// The calculation session: picks, plant, checks and the result as a value.
#include "app/sessione.h"

#include "app/inventario.h"
#include "app/messaggi.h"
#include "calc/risultati.h"
#include "data/parametri.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace fv {

namespace {

// The calculation's writes, gathered into the result.
class Raccolta final : public DestinazioneCalcolo {
public:
    explicit Raccolta(Risultato& r) : r_(r) {}
    void ScriviRadInc(int mese0, double valore) override { r_.radInc[std::size_t(mese0)] = valore; }
    void ScriviCampo(Campo campo, int indice, const std::string& testo) override
    {
        const QString t = QString::fromStdString(testo);
        switch (campo) {
        case Campo::Mese2: r_.piano[std::size_t(indice)] = t; break;
        case Campo::TotAnnua2: r_.totPiano = t; break;
        case Campo::Rapporto: r_.rapporto = t; break;
        case Campo::Energia: r_.energia = t; break;
        case Campo::CostoKwh: r_.tariffa = t; break;
        case Campo::Annuo: r_.ricavo = t; break;
        default: break; // inputs are never written by the calculation
        }
    }

private:
    Risultato& r_;
};

QString Testo(double valore, int decimali, const FormatoNumeri& formato)
{
    return QString::fromStdString(TestoArrotondato(valore, decimali, formato));
}

} // namespace

std::vector<Falda> FaldeDelCaso(const Risultato& r, const RichiestaImpianto& impianto)
{
    Falda prima;
    prima.tilt = r.letti.tilt;
    prima.azimut = r.letti.azimut;
    prima.potenza = r.letti.potenza;
    prima.area = impianto.areaPrima;
    prima.ombra = impianto.ombraPrima;
    std::vector<Falda> falde{prima};
    falde.insert(falde.end(), impianto.altre.begin(), impianto.altre.end());
    return falde;
}

double RisultatoBilancio::RicaricaAuto() const
{
    double e = 0;
    for (const Ore& g : ricaricaAuto)
        for (double h : g)
            e += h;
    return e;
}

ImpiantoTesti ImpiantoIniziale()
{
    const ValoriIniziali& v = kImpiantoIniziale;
    return {QString::fromUtf8(v.tilt),     QString::fromUtf8(v.azimut), QString::fromUtf8(v.potenza),
            QString::fromUtf8(v.perdite),  QString::fromUtf8(v.efficienza), v.fascia, v.integrazione};
}

QString TestoOpzione(const char* gruppo, int indice)
{
    for (const Controllo& c : kInventario) {
        if (std::strcmp(c.nome, gruppo) == 0 && c.indice == indice)
            return QString::fromUtf8(c.testo);
    }
    return QStringLiteral("nessuna");
}

// The data layer's writes, into the session's state.
class Sessione::Vista final : public VistaSito {
public:
    explicit Vista(Sessione& s) : s_(s) {}
    void AggiungiRiflettanza(const QString& v) override { s_.riflettanze_ << v; }
    void AggiungiProvincia(const QString& v) override { s_.province_ << v; }
    void SvuotaComuniLat() override { s_.comuniLat_.clear(); }
    void AggiungiComuneLat(const QString& v) override { s_.comuniLat_ << v; }
    void SvuotaComuniRad() override { s_.comuniRad_.clear(); }
    void AggiungiComuneRad(const QString& v) override { s_.comuniRad_ << v; }
    void ScriviRadOriz(int m, double v) override { s_.radOriz_[std::size_t(m)] = v; }
    void ScriviMese(int m, const QString& t) override { s_.testiRadOriz_[std::size_t(m)] = t; }
    void ScriviTotAnnua(const QString& t) override { s_.totAnnua_ = t; }
    void ScriviLatitudine(const QString& t) override { s_.latitudine_ = t; }
    void ScriviRiflettanza(const QString& t) override { s_.riflettanza_ = t; }

private:
    Sessione& s_;
};

Sessione::Sessione(const QString& cartellaDati, const FormatoNumeri& formato, QObject* parent)
    : QObject(parent), formato_(formato), dati_(cartellaDati), impianto_(ImpiantoIniziale())
{
}

void Sessione::Avvia()
{
    riflettanze_.clear();
    province_.clear();
    Vista vista(*this);
    try {
        CaricaElenchiIniziali(dati_.Contesto(), vista);
    } catch (...) {
        emit sitoCambiato(Elenchi);
        throw;
    }
    emit sitoCambiato(Elenchi);
}

void Sessione::SvuotaRadiazione()
{
    radOriz_ = {};
    testiRadOriz_ = {};
    totAnnua_.clear();
}

void Sessione::ScegliProvincia(const QString& provincia)
{
    // The latitude and the horizontal radiation belong to a comune of the
    // old province: they go with it, even when the new lists fail to load.
    // The province already shown picked again keeps them.
    if (provincia != provincia_ || comuniRad_.isEmpty()) {
        radiazioneDa_ = {};
        latitudineDa_ = {};
        latitudine_.clear();
        SvuotaRadiazione();
    }
    provincia_ = provincia;
    Vista vista(*this);
    try {
        ProvinciaScelta(dati_.Contesto(), provincia, vista);
    } catch (...) {
        emit sitoCambiato(Comuni | Radiazione | Latitudine);
        throw;
    }
    emit sitoCambiato(Comuni | Radiazione | Latitudine);
}

void Sessione::Carica(Provenienza& da, const QString& voce, int parte, const std::function<void()>& carica,
                      const std::function<void()>& svuota)
{
    da = {};
    try {
        carica();
    } catch (...) {
        svuota();
        emit sitoCambiato(parte);
        throw;
    }
    da = {provincia_, voce, false, true};
    emit sitoCambiato(parte);
}

void Sessione::ScegliComuneRad(const QString& comune)
{
    Vista vista(*this);
    Carica(radiazioneDa_, comune, Radiazione, [&] {
        ComuneRadScelto(dati_.Contesto(), provincia_, comune, kGiorniMese, formato_, vista);
    }, [this] { SvuotaRadiazione(); });
}

void Sessione::ScegliComuneLat(const QString& comune)
{
    Vista vista(*this);
    Carica(latitudineDa_, comune, Latitudine, [&] {
        ComuneLatScelto(dati_.Contesto(), provincia_, comune, formato_, vista);
    }, [this] { latitudine_.clear(); });
}

void Sessione::ScegliRiflettanza(const QString& superficie)
{
    Vista vista(*this);
    Carica(riflettanzaDa_, superficie, Riflettanza, [&] {
        RiflettanzaScelta(dati_.Contesto(), superficie, formato_, vista);
    }, [this] { riflettanza_.clear(); });
}

void Sessione::ScegliComune(const QString& provincia, const QString& comune)
{
    const auto voce = [](const QStringList& elenco, const QString& nome) {
        for (const QString& v : elenco) {
            if (v.compare(nome, Qt::CaseInsensitive) == 0)
                return v;
        }
        return QString();
    };
    const QString p = voce(province_, provincia);
    if (p.isEmpty())
        return;
    ScegliProvincia(p);
    if (const QString c = voce(comuniRad_, comune); !c.isEmpty())
        ScegliComuneRad(c);
    if (const QString c = voce(comuniLat_, comune); !c.isEmpty())
        ScegliComuneLat(c);
}

void Sessione::ScriviLatitudine(const QString& testo)
{
    if (latitudineDa_.aMano && latitudine_ == testo)
        return;
    latitudine_ = testo;
    latitudineDa_ = {{}, {}, true, true};
    emit sitoCambiato(Latitudine);
}

void Sessione::ScriviRiflettanza(const QString& testo)
{
    if (riflettanzaDa_.aMano && riflettanza_ == testo)
        return;
    riflettanza_ = testo;
    riflettanzaDa_ = {{}, {}, true, true};
    emit sitoCambiato(Riflettanza);
}

QString Sessione::NomeSito() const
{
    if (!radiazioneDa_.caricata)
        return {};
    return QStringLiteral("%1 (%2)").arg(radiazioneDa_.voce, radiazioneDa_.provincia);
}

void Sessione::ImpostaImpianto(const ImpiantoTesti& impianto)
{
    if (impianto == impianto_)
        return;
    impianto_ = impianto;
    emit impiantoCambiato();
}

void Sessione::ImpostaOrientamento(int tilt, std::optional<int> azimut)
{
    ImpiantoTesti nuovo = impianto_;
    nuovo.tilt = QString::number(tilt);
    if (azimut)
        nuovo.azimut = QString::number(*azimut);
    ImpostaImpianto(nuovo);
}

SitoLetto Sessione::LeggiSitoCorrente() const
{
    if (latitudine_.isEmpty() || !latitudineDa_.caricata)
        throw ErroreCampoVuoto(Campo::Latitudine);
    if (!radiazioneDa_.caricata)
        throw ErroreCampoVuoto(Campo::ComuneRadiazione);
    if (riflettanza_.isEmpty() || !riflettanzaDa_.caricata)
        throw ErroreCampoVuoto(Campo::Riflettanza);
    return LeggiSito(latitudine_.toStdString(), riflettanza_.toStdString(), radOriz_, formato_);
}

ImpiantoLetto Sessione::LeggiImpiantoCorrente() const
{
    const std::pair<const QString*, Campo> campi[] = {{&riflettanza_, Campo::Riflettanza},
                                                      {&impianto_.tilt, Campo::Tilt},
                                                      {&impianto_.azimut, Campo::Azimut},
                                                      {&impianto_.perdite, Campo::PerditeGeneratore},
                                                      {&impianto_.efficienza, Campo::EfficienzaInverter}};
    for (const auto& [testo, campo] : campi) {
        if (testo->isEmpty())
            throw ErroreCampoVuoto(campo);
    }
    InputCalcolo in;
    in.riflettanza = riflettanza_.toStdString();
    in.tilt = impianto_.tilt.toStdString();
    in.azimut = impianto_.azimut.toStdString();
    in.perditeGeneratore = impianto_.perdite.toStdString();
    in.efficienzaInverter = impianto_.efficienza.toStdString();
    return LeggiImpianto(in, formato_);
}

InputCalcolo Sessione::Ingressi() const
{
    const QString comune = radiazioneDa_.caricata ? radiazioneDa_.voce : QString();
    return {latitudine_.toStdString(),         riflettanza_.toStdString(),
            impianto_.tilt.toStdString(),      impianto_.azimut.toStdString(),
            impianto_.potenza.toStdString(),   impianto_.perdite.toStdString(),
            impianto_.efficienza.toStdString(), comune.toStdString()};
}

void Sessione::VerificaIngressi() const
{
    // The calculation itself, its figures dropped: the same checks in the same order.
    const InputCalcolo input = Ingressi();
    Risultato scartato;
    Raccolta raccolta(scartato);
    fv::Calcola(input, radOriz_, kGiorniMese, formato_, raccolta, nullptr);
}

std::optional<Risultato> Sessione::Calcola()
{
    const InputCalcolo input = Ingressi();
    Risultato r;
    Raccolta raccolta(r);
    if (!fv::Calcola(input, radOriz_, kGiorniMese, formato_, raccolta, &r.letti))
        return std::nullopt;
    ScriviTariffaRicavo(r.energia.toStdString(), impianto_.fascia, impianto_.integrazione, formato_, raccolta);

    r.provincia = provincia_;
    r.comuneRadiazione = radiazioneDa_.voce;
    r.comuneLatitudine = latitudineDa_.aMano ? QString() : latitudineDa_.voce;
    r.terreno = riflettanzaDa_.aMano ? QString() : riflettanzaDa_.voce;
    r.latitudine = latitudine_;
    r.riflettanza = riflettanza_;
    r.latitudineAMano = latitudineDa_.aMano;
    r.riflettanzaAMano = riflettanzaDa_.aMano;
    r.impianto = impianto_;
    r.integrazione = TestoOpzione("optInt", impianto_.integrazione);
    r.fascia = TestoOpzione("optPow", impianto_.fascia);
    r.fasciaDellaPotenza = FasciaPotenza(r.letti.potenza);
    r.radOriz = radOriz_;
    r.orizzontale = testiRadOriz_;
    r.totOrizzontale = totAnnua_;
    r.totOrizzontaleValore = CalcolaTotaleAnnuo(radOriz_, kGiorniMese);
    r.totPianoValore = CalcolaTotaleAnnuo(r.radInc, kGiorniMese);
    r.rapportoValore = r.totPianoValore / r.totOrizzontaleValore;
    r.tariffaValore = TariffaIncentivante(impianto_.fascia, impianto_.integrazione);
    // The revenue of the energy as shown, whole kWh rounded half to even: the
    // number itself, not its text read back.
    r.ricavoValore = RicavoAnnuo(ArrotondaPari(r.letti.energia, 0), r.tariffaValore);
    for (std::size_t m = 0; m < 12; ++m) {
        r.energieMensili[m] = EnergiaMensile(r.radInc[m], kGiorniMese[m], r.letti.potenza, r.letti.perdite,
                                             r.letti.efficienza);
        r.energiaMese[m] = Testo(r.energieMensili[m], 0, formato_);
    }
    r.formato = formato_;
    r.fonteRadiazione = FonteRadiazione();
    r.fileDati = FileDati();
    r.resaValore = r.letti.energia / r.letti.potenza;
    r.resa = Testo(r.resaValore, 0, formato_);
    ultimo_ = r;
    approfondimento_.reset();
    ++calcoli_;
    return r;
}

void Sessione::ApriFileDati(const QString& percorso)
{
    dati_.funzioni.ImpostaFile(percorso);
    riflettanze_.clear();
    province_.clear();
    comuniLat_.clear();
    comuniRad_.clear();
    provincia_.clear();
    radiazioneDa_ = latitudineDa_ = riflettanzaDa_ = {};
    SvuotaRadiazione();
    latitudine_.clear();
    riflettanza_.clear();
    ultimo_.reset();
    approfondimento_.reset();
    comuniMappa_.reset();
    fonte_.reset();
    parametri_.reset();
    // Everything of the old file goes, the lists first (a tool drops what it
    // read from it before anything else is shown).
    emit sitoCambiato(Elenchi | Comuni | Radiazione | Latitudine | Riflettanza);
    Avvia();
}

void Sessione::RegistraApprofondimento(int calcolo, const Approfondimento& a)
{
    if (calcolo != calcoli_ || !ultimo_)
        return;
    approfondimento_ = a;
    emit approfondimentoCambiato();
}

QString Sessione::FonteRadiazione()
{
    if (!fonte_) {
        // On a connection of its own: the window's SQL text stays the last
        // of its own events.
        StatoDati stato;
        stato.funzioni.ImpostaFile(FileDati());
        const QString fonte = fv::FonteRadiazione(stato.Contesto());
        fonte_ = fonte.isEmpty() ? QStringLiteral("dati del file %1").arg(QFileInfo(FileDati()).fileName()) : fonte;
    }
    return *fonte_;
}

std::optional<TemperatureComune> Sessione::TemperatureDelComune(const QString& provincia, const QString& comune)
{
    // On a connection of its own, as the sources are read.
    StatoDati stato;
    stato.funzioni.ImpostaFile(FileDati());
    return LeggiTemperatureComune(stato.Contesto(), provincia, comune, formato_);
}

int AnnoDiRiferimento() { return QDate::currentDate().year() + 1; }

std::string Oggi() { return QDate::currentDate().toString(Qt::ISODate).toStdString(); }

std::vector<Parametro> Sessione::ParametriDelFile()
{
    if (!parametri_) {
        // The file's rows of a name replace every default row of that name
        // (a file may date its own rules); a row's period is its "validita".
        const std::vector<Parametro> dichiarati = DichiarazioniParametri();
        std::vector<Parametro> delFile;
        StatoDati stato;
        stato.funzioni.ImpostaFile(FileDati());
        for (const RigaParametro& r : LeggiParametri(stato.Contesto(), formato_)) {
            const auto d = std::find_if(dichiarati.begin(), dichiarati.end(),
                                        [&](const Parametro& p) { return QString::fromStdString(p.nome) == r.nome; });
            if (d == dichiarati.end())
                continue; // a parameter this program does not use
            Parametro p = *d;
            p.valore = r.valore;
            if (!r.descrizione.isEmpty())
                p.descrizione = r.descrizione.toStdString();
            p.fonte = r.fonte.toStdString();
            if (!LeggiPeriodo(r.validita.toStdString(), p.dal, p.al))
                p.dal = p.al = std::string();
            delFile.push_back(p);
        }
        std::vector<Parametro> parametri;
        for (const Parametro& p : ParametriPredefiniti())
            if (std::none_of(delFile.begin(), delFile.end(), [&](const Parametro& f) { return f.nome == p.nome; }))
                parametri.push_back(p);
        parametri.insert(parametri.end(), delFile.begin(), delFile.end());
        parametri_ = parametri;
    }
    return *parametri_;
}

const ComuniMappa& Sessione::ComuniPerMappa()
{
    if (!comuniMappa_) {
        ComuniMappa comuni;
        try {
            comuni = LeggiComuniMappa(dati_.Contesto(), formato_);
        } catch (const ErroreDati& e) {
            if (e.tipo() != ErroreDati::Tipo::Motore)
                throw;
            throw ErroreMappa(FileDati()); // the query's extra table is what fails
        }
        if (comuni.comuni.empty())
            throw ErroreMappa(FileDati());
        comuniMappa_ = std::move(comuni);
    }
    return *comuniMappa_;
}

} // namespace fv
