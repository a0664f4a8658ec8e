// SPDX-License-Identifier: MIT
// One calculation session without widgets: the data file, the site picked
// with the provenance of each of its values, the plant's inputs as typed,
// and the calculation as a plain value. The window, the command line, the
// tools and the report all work on it.
#pragma once

#include "calc/bilancio.h"
#include "calc/catena.h"
#include "calc/calcolo.h"
#include "calc/dimensiona.h"
#include "calc/economia.h"
#include "calc/falde.h"
#include "calc/pompa_calore.h"
#include "calc/veicolo.h"
#include "calc/incertezza.h"
#include "calc/numeri.h"
#include "calc/serie.h"
#include "data/cascata.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace fv {

// Where a site value comes from: the province and list item picked, or the
// user's own typing; neither when nothing valid is loaded.
struct Provenienza {
    QString provincia;
    QString voce;
    bool aMano = false;
    bool caricata = false;
};

// The plant as typed, with the chosen options (index 0..2 each, 3: none).
struct ImpiantoTesti {
    QString tilt, azimut, potenza, perdite, efficienza;
    int fascia = 0;
    int integrazione = 0;
    bool operator==(const ImpiantoTesti&) const = default;
};

// The plant the window opens with, from the window table: the initial texts
// of its fields and the options selected at start.
ImpiantoTesti ImpiantoIniziale();

// The caption of option `indice` of a group of the window table ("optPow",
// "optInt"); "nessuna" when none.
QString TestoOpzione(const char* gruppo, int indice);

// A finished calculation: every figure as a number and as the text the window
// shows, the inputs it was made from and where the site values came from.
struct Risultato {
    // The site.
    QString provincia, comuneRadiazione, comuneLatitudine, terreno, latitudine, riflettanza;
    bool latitudineAMano = false, riflettanzaAMano = false;
    // The plant: the texts of its fields, the chosen options and their captions.
    ImpiantoTesti impianto;
    QString integrazione, fascia;
    // The band that the power itself selects; it differs from the chosen one
    // when the band was picked by hand against the power.
    int fasciaDellaPotenza = 0;
    // The plant's inputs as the calculation read them (whole percentages).
    IngressiLetti letti;
    // Month by month [kWh/m² day] and the monthly energy [kWh].
    MonthlySeries radOriz{}, radInc{};
    std::array<double, 12> energieMensili{};
    // Annual figures: horizontal and plane totals [kWh/m² year], their ratio,
    // energy [kWh], tariff [EUR/kWh], revenue [EUR], specific yield [kWh/kWp].
    double totOrizzontaleValore = 0, totPianoValore = 0, rapportoValore = 0;
    double tariffaValore = 0, ricavoValore = 0, resaValore = 0;
    // Where the radiation comes from, as the data file says ("dati del file"
    // when it does not), and the file itself.
    QString fonteRadiazione, fileDati;
    // The same as shown, in this number format.
    FormatoNumeri formato;
    std::array<QString, 12> orizzontale, piano, energiaMese;
    QString totOrizzontale, totPiano, rapporto, energia, tariffa, ricavo, resa;
};

// How the household's consumption is given for the energy balance.
struct RichiestaConsumo {
    enum class Modo { Annuo, Fasce, File } modo = Modo::Annuo;
    double annuo = 2700;                // [kWh/year], with Modo::Annuo
    std::string profilo = "fuori-casa"; // the shape (also within bands, and to fill a file's gaps)
    std::array<double, 3> fasceAnno{};  // [kWh/year] F1, F2, F3, when the months are not given
    std::optional<FasceMese> fasceMese; // [kWh] each month's F1, F2, F3 from twelve bills
    QString file;                       // a meter's file, with Modo::File
};

// The year's weather: the comune's monthly climate on synthetic days, or an
// installer's hourly file (PVGIS, EPW) computed as PVGIS does.
struct RichiestaMeteo {
    QString file;               // empty: the comune's climate
    QString orizzonte;          // a horizon file, or pairs "azimut:elevazione" typed
    Trasposizione trasposizione = Trasposizione::Perez;
    double perditeSistema = 14; // [%]
};

// The plant beyond the window's one plane: more faces of the roof, the
// window's plane's own area and shading, one inverter's AC limit.
struct RichiestaImpianto {
    std::vector<Falda> altre;          // up to three faces beside the window's plane
    std::optional<double> areaPrima;   // the window's plane's usable area [m²]
    double ombraPrima = 0;             // its near shading [%]
    std::optional<double> inverter;    // [kW]; none: no limit
    bool inverterFisso = false;        // sizing: the typed inverter at every size, else it grows with the plant
    bool operator==(const RichiestaImpianto&) const = default;
};

// The plant's faces: the window's plane first (its tilt, azimuth and
// power as the calculation read them), then the others.
std::vector<Falda> FaldeDelCaso(const Risultato& r, const RichiestaImpianto& impianto);

struct RichiestaBilancio {
    RichiestaConsumo consumo;
    RichiestaMeteo meteo;
    RichiestaImpianto impianto;
    AutoElettrica veicolo; // km 0: no car
    PompaDiCalore pompa;   // no gas: no heat pump
    Batteria batteria;     // capacity 0: no battery
    int anno = 0;          // the reference year
    bool giorniMedi = false; // every day its month's mean day
    // The tornado and the Monte Carlo with the economics; a front that runs
    // them on a worker of its own asks for them apart (Incertezza).
    bool incertezza = true;
    // The economics: the date of the expense [yyyy-mm-dd] picks the rules in
    // force (empty: today); the kind of home and the household's tax.
    std::string dataSpesa;
    // The plant's entry into service [yyyy-mm-dd] decides the community
    // premium (empty: the expense's date).
    std::string dataEsercizio;
    Famiglia famiglia;
};

// Today, as a date of expense [yyyy-mm-dd].
std::string Oggi();

// The balance of a finished calculation, with and without the battery.
// The weather file a balance ran on: what it is, where, and its production
// beside the comune's monthly method.
struct MeteoUsato {
    QString file;
    std::string formato, fonte;
    double latitudine = 0, longitudine = 0, quota = 0;
    double distanzaKm = 0;                      // from the comune
    std::vector<std::pair<int, int>> mesiAnni;  // a typical year's (month, year)
    Trasposizione trasposizione = Trasposizione::Perez;
    bool sulPiano = false;                      // a series on the plant's plane: no sky model used
    bool orizzonte = false;
    std::optional<double> inverter;             // [kW], when a limit was set
    ProduzioneMeteo produzione;                 // [kWh], with its losses, the faces summed and cut at the inverter
    std::vector<Ore> temperature;               // the file's air [°C] on the calendar's clock hours
    std::array<double, 12> metodoMensile{};     // the window's monthly energy [kWh]
};

struct RisultatoBilancio {
    Bilancio conBatteria, senzaBatteria;
    // The plant's faces (the window's plane first) and their hours, each
    // face's and the plant's after the inverter's limit, with what the limit cut.
    std::vector<Falda> falde;
    ProduzioneFalde produzione;
    // The electric car's charging at home [kWh per clock hour], part of the
    // consumption; empty without a car.
    std::vector<Ore> ricaricaAuto;
    double RicaricaAuto() const;
    // The heat pump in place of the gas boiler, part of the consumption, and
    // where its temperatures came from (the weather file, or the comune's
    // station and its distance).
    std::optional<AnnoPompa> pompa;
    QString temperatureDa;
    double ElettricaPompa() const { return pompa ? pompa->elettricaAnno : 0; }
    double PotenzaDiPicco() const { return fv::PotenzaDiPicco(falde); }
    std::optional<MeteoUsato> meteo;  // set when the year's weather came from a file
    std::vector<OraBilancio> ore;     // the year's clock hours of the balance with the battery (without, if none)
    // How the year's energy moves with its weather, per unit of production
    // factor (from balances at 95 and 105 %), without and with the battery.
    EnergiaAnno meteoSenza, meteoCon;
    int anno = 0;                     // the reference year
    // The year's energy as the battery ages (its capacity at a few shares),
    // for the economics; empty without a battery.
    CurvaBatteria curva;
    double longitudine = 0;     // [deg] east, of the comune
    bool longitudineStimata = false; // the file has none: Italy's middle, 12.5° E
    int oreRiempite = 0;        // a meter's file: hours filled from the profile
    QStringList avvisi;
};

// The economics of a balance, with and without its battery.
struct RisultatoConvenienza {
    Convenienza senza, con;
    std::vector<Parametro> parametri; // as used
};

// How sure: the tornado and the Monte Carlo of the case on show (with the
// battery when there is one).
struct RisultatoIncertezza {
    std::vector<BarraTornado> tornado;
    EsitoMonteCarlo montecarlo;
    bool conBatteria = false;
    double energia = 0;       // the expected year's production [kWh]
    bool annoDaFile = false;  // the resource's uncertainty a satellite year's, not the comune's climatology
};

// The balance and the economics worked out on a result, for its report.
struct Approfondimento {
    RichiestaBilancio richiesta;
    RisultatoBilancio bilancio;
    RisultatoConvenienza convenienza;
    std::optional<RisultatoIncertezza> incertezza;
    std::optional<GrigliaDimensioni> griglia; // when the sizes were weighed
};

// The reference year by default: the next calendar year.
int AnnoDiRiferimento();

class Sessione : public QObject {
    Q_OBJECT

public:
    // cartellaDati: where data.mdb is looked for; empty means the working directory.
    Sessione(const QString& cartellaDati, const FormatoNumeri& formato, QObject* parent = nullptr);

    const FormatoNumeri& formato() const { return formato_; }
    QString FileDati() const { return dati_.funzioni.PercorsoFile(); }

    // What changed in the site, for those who show it.
    enum Parte {
        Elenchi = 1,     // surface types and provinces
        Comuni = 2,      // the province and its two lists of comuni
        Radiazione = 4,  // the horizontal series of the radiation comune
        Latitudine = 8,
        Riflettanza = 16,
    };

    // Start-up: the surface types and the provinces. Throws the data errors;
    // what was read before the failure stays.
    void Avvia();
    // Picks, in the order a user makes them. Each throws the data layer's
    // errors; a failed pick empties the values it would have loaded, so that
    // no other site's value stays.
    void ScegliProvincia(const QString& provincia);
    void ScegliComuneRad(const QString& comune);
    void ScegliComuneLat(const QString& comune);
    void ScegliRiflettanza(const QString& superficie);
    // A comune picked from outside the window (the map): the province, then
    // the comune in both lists where it is listed.
    void ScegliComune(const QString& provincia, const QString& comune);
    // A latitude or reflectance typed by hand stands as typed.
    void ScriviLatitudine(const QString& testo);
    void ScriviRiflettanza(const QString& testo);

    const QStringList& riflettanze() const { return riflettanze_; }
    const QStringList& province() const { return province_; }
    const QStringList& comuniLat() const { return comuniLat_; }
    const QStringList& comuniRad() const { return comuniRad_; }
    // The province whose comuni the lists hold.
    const QString& provincia() const { return provincia_; }
    const Provenienza& radiazioneDa() const { return radiazioneDa_; }
    const Provenienza& latitudineDa() const { return latitudineDa_; }
    const Provenienza& riflettanzaDa() const { return riflettanzaDa_; }
    const MonthlySeries& radOriz() const { return radOriz_; }
    const std::array<QString, 12>& testiRadOriz() const { return testiRadOriz_; }
    const QString& totAnnua() const { return totAnnua_; }
    const QString& latitudine() const { return latitudine_; }
    const QString& riflettanza() const { return riflettanza_; }
    // "Torino (TO)", for a tool that names the site it shows.
    QString NomeSito() const;

    const ImpiantoTesti& impianto() const { return impianto_; }
    void ImpostaImpianto(const ImpiantoTesti& impianto);
    // A tilt, and an azimuth if given, written as typed [deg].
    void ImpostaOrientamento(int tilt, std::optional<int> azimut);

    // The site as the calculation reads and checks it. Throws ErroreCampoVuoto
    // for a value not loaded, and the calculation's own errors.
    SitoLetto LeggiSitoCorrente() const;
    // The plant as the calculation reads it (tilt, azimuth, reflectance,
    // losses, efficiency); throws as the calculation does.
    ImpiantoLetto LeggiImpiantoCorrente() const;

    // The checks of CALCOLA, in its order of reading the inputs, without a
    // result: throws the first failing step's typed error.
    void VerificaIngressi() const;
    // CALCOLA on the session's site and plant: empty when an input is empty;
    // throws the first failing step's typed error. The result is kept.
    std::optional<Risultato> Calcola();
    const std::optional<Risultato>& ultimo() const { return ultimo_; }
    // How many calculations the session has made: a tool that took a result
    // knows whether it is still the last one.
    int calcoli() const { return calcoli_; }

    // The balance and economics of the last result, once worked out (the
    // dialog registers them with the number of the calculation they are
    // of); a new calculation drops them.
    void RegistraApprofondimento(int calcolo, const Approfondimento& a);
    const std::optional<Approfondimento>& approfondimento() const { return approfondimento_; }

    // Every comune for the map, read once and kept.
    const ComuniMappa& ComuniPerMappa();

    // Another data file, chosen by the user: the site starts again from its
    // lists (throws its data errors; the lists then stay empty).
    void ApriFileDati(const QString& percorso);
    // Where the file says its radiation comes from, or "dati del file".
    QString FonteRadiazione();
    // A comune's monthly air temperature, from the data file; none when the
    // file has no such table (an Access file, an older file).
    std::optional<TemperatureComune> TemperatureDelComune(const QString& provincia, const QString& comune);
    // The economic parameters: the program's, each overridden by the data
    // file's row of the same name (its value, source and date).
    std::vector<Parametro> ParametriDelFile();

signals:
    void sitoCambiato(int parti);
    void impiantoCambiato();
    // A balance of the last calculation registered (its plant's faces among it).
    void approfondimentoCambiato();

private:
    class Vista;
    // The window's texts as the calculation takes them.
    InputCalcolo Ingressi() const;
    void Carica(Provenienza& da, const QString& voce, int parte, const std::function<void()>& carica,
                const std::function<void()>& svuota);
    void SvuotaRadiazione();

    FormatoNumeri formato_;
    StatoDati dati_;
    QStringList riflettanze_, province_, comuniLat_, comuniRad_;
    QString provincia_;
    Provenienza radiazioneDa_, latitudineDa_, riflettanzaDa_;
    MonthlySeries radOriz_{};
    std::array<QString, 12> testiRadOriz_;
    QString totAnnua_, latitudine_, riflettanza_;
    ImpiantoTesti impianto_;
    std::optional<Risultato> ultimo_;
    std::optional<Approfondimento> approfondimento_;
    int calcoli_ = 0;
    std::optional<ComuniMappa> comuniMappa_;
    std::optional<QString> fonte_;
    std::optional<std::vector<Parametro>> parametri_;
};

} // namespace fv
