// SPDX-License-Identifier: MIT
// The household's energy balance and the plant's economics on a finished
// calculation: one call, without widgets, for the dialog and the command
// line alike. The session keeps the site, the plant and the calculation;
// this object is fed by its result.
#pragma once

#include "app/sessione.h"
#include "calc/dimensiona.h"
#include "calc/contatore.h"

#include <QDateTime>

#include <stdexcept>
#include <string>

namespace fv {

// An input of the balance out of its range, named as the command line names
// it ("--batteria-rendimento") and as the dialog labels it.
class ErroreRichiesta : public std::runtime_error {
public:
    ErroreRichiesta(std::string opzione, const std::string& messaggio)
        : std::runtime_error(messaggio), opzione_(std::move(opzione)) {}
    const std::string& opzione() const noexcept { return opzione_; }

private:
    std::string opzione_;
};

// Checks a request's numbers: the annual consumption, the battery, the year,
// the date of the expense, the household's tax.
// Throws ErroreRichiesta with a sentence that names the input and its range.
void VerificaRichiesta(const RichiestaBilancio& richiesta);

// The plant's faces and inverter in their ranges; throws ErroreRichiesta
// naming the option ("falda", "inverter") and the face.
void VerificaImpianto(const Risultato& r, const RichiestaImpianto& impianto);

// A meter's file as text: a regular file only (no device, FIFO or folder),
// at most kDimensioneMassimaContatore bytes. Throws ErroreContatore.
std::string LeggiFileConsumi(const QString& percorso);

// The farthest a weather file's site may lie from the comune [km]: a
// valley's or a coast's own weather differs within a few tens of km, but
// beyond that the file describes another climate.
inline constexpr double kDistanzaMassimaMeteo = 50;

// What the mean-day option means, wherever its figures are shown.
extern const char* const kNotaGiorniMedi;

// The PNRR grant asked for: refused (ErroreRichiesta) when no window is open
// at the date of the expense or the comune is over the population limit;
// the notices when its population is unknown or near the limit, or nothing
// is shared in a community.
QStringList VerificaContributo(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri);

// The tornado and the Monte Carlo of an analysis' case on show, over the
// dataset's ranges of the parameters.
RisultatoIncertezza Incertezza(const Risultato& r, const Approfondimento& a, const std::vector<Parametro>& parametri);

// The household with its site's community-premium area and market zone.
Famiglia FamigliaDelSito(const Risultato& r, Famiglia famiglia);

// The rows in force for the request's date of expense (today when empty).
std::vector<Parametro> ParametriDellaRichiesta(const std::vector<Parametro>& righe, const RichiestaBilancio& richiesta);

class Analisi {
public:
    explicit Analisi(Sessione& sessione) : sessione_(sessione) {}

    // The balance with and without the battery, then the economics of both,
    // on the result's plant and site, with `parametri` the rows in force for
    // the request's date of expense (ParametriInVigore). Throws
    // ErroreRichiesta, ErroreContatore for a meter's file it cannot use,
    // ErroreParametro.
    Approfondimento Calcola(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri);
    // The balance alone.
    RisultatoBilancio BilancioEnergetico(const Risultato& r, const RichiestaBilancio& richiesta);
    // A weather file's year on the result's plant beside its monthly method,
    // on the reference year `anno`, with its notices. Throws ErroreRichiesta.
    RisultatoBilancio ConfrontoMeteo(const Risultato& r, const RichiestaMeteo& meteo, int anno);
    // The plant's faces and inverter on the year `anno`: a weather file's
    // hours when one is given, else the comune's climate; no consumption.
    // Throws ErroreRichiesta.
    RisultatoBilancio ProduzioneDellImpianto(const Risultato& r, const RichiestaMeteo& meteo, const RichiestaImpianto& impianto,
                                             int anno);
    // Every size of plant and battery on the grid of `limiti`, for the
    // request's household, site and weather. Throws as Calcola, and
    // std::invalid_argument for a grid out of its ranges.
    GrigliaDimensioni Dimensiona(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri,
                                 const LimitiDimensioni& limiti, const std::atomic<bool>* annulla = nullptr);
    // What a sizing grid needs, gathered here (the data file is read on this
    // thread) so that the grid itself can run on another: the year's hours
    // of production and consumption, the household with its site.
    struct OreDellaRichiesta {
        Calendario calendario;
        std::vector<Ore> produzione, consumo; // the plant's, after the inverter's limit
        double potenza = 0;                   // the faces' peak [kWp]
        ImpiantoDaDimensionare impianto;      // the faces' own hours, their order of filling, the inverter
        Batteria batteria;
        Famiglia famiglia;
    };
    OreDellaRichiesta OreDelCaso(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Parametro>& parametri);

private:
    // The economics with the battery's other strategy, said in a sentence.
    QString ConfrontoStrategie(const Risultato& r, const Approfondimento& a, const std::vector<Parametro>& parametri);
    double Longitudine(const Risultato& r, RisultatoBilancio& esito);
    std::vector<Ore> Consumo(const RichiestaConsumo& c, const Calendario& calendario, RisultatoBilancio& esito);
    // The house's consumption with what the household adds: the heat pump
    // in place of the gas boiler, then the car (which charges from the
    // surplus left by the house and the pump). Their hours kept in `esito`.
    std::vector<Ore> ConsumoFuturo(const Risultato& r, const RichiestaBilancio& richiesta, const std::vector<Ore>& produzione,
                                   const Calendario& calendario, RisultatoBilancio& esito);
    // The heat pump's year on the weather file's hours, or on the comune's months.
    AnnoPompa AnnoDellaPompa(const Risultato& r, const PompaDiCalore& pompa, const Calendario& calendario, RisultatoBilancio& esito);
    const LetturaContatore& LetturaDelFile(const QString& file, const Calendario& calendario, const ProfiloConsumo& profilo);
    const ProduzioneFalde& Produzione(const Risultato& r, const RichiestaImpianto& i, double longitudine,
                                      const Calendario& calendario, bool giorniMedi);
    const ProduzioneFalde& ProduzioneDaFile(const Risultato& r, const RichiestaMeteo& m, const RichiestaImpianto& i,
                                            double longitudine, const Calendario& calendario, RisultatoBilancio& esito);
    // The production of the request's plant on its weather, the faces kept in `esito`.
    const ProduzioneFalde& ProduzioneDelCaso(const Risultato& r, const RichiestaBilancio& richiesta, double longitudine,
                                             const Calendario& calendario, RisultatoBilancio& esito);

    Sessione& sessione_;
    // The last hourly production and what it was made from: a new battery
    // or consumption does not change it.
    struct ProduzioneTenuta {
        std::vector<ImpiantoOrario> falde;
        std::optional<double> inverter;
        int anno = 0;
        bool giorniMedi = false;
        ProduzioneFalde produzione;
    };
    std::optional<ProduzioneTenuta> produzione_;
    // The last meter's file read onto a year: read again only when the file,
    // its size or time, the year or the profile that fills its gaps change.
    struct ContatoreTenuto {
        QString file;
        qint64 dimensione = 0;
        QDateTime modifica;
        int anno = 0;
        std::string profilo;
        LetturaContatore lettura;
    };
    std::optional<ContatoreTenuto> contatore_;
    // The last weather file's year on the plant: computed again only when
    // the file, the horizon, the model, the plant or the year change.
    // Everything the file's year depends on, compared as a whole: an option
    // added here is in the key without another line.
    struct ChiaveMeteo {
        QString file, orizzonte;
        qint64 dimensione = 0;
        QDateTime modifica;
        int anno = 0;
        Trasposizione trasposizione = Trasposizione::Perez;
        double perditeSistema = 0, riflettanza = 0;
        std::vector<Falda> falde;
        std::optional<double> inverter;
        bool integrato = false;
        std::array<double, 12> metodoMensile{};
        bool operator==(const ChiaveMeteo&) const = default;
    };
    struct MeteoTenuto {
        ChiaveMeteo chiave;
        MeteoUsato usato;
        ProduzioneFalde produzione;
    };
    std::optional<MeteoTenuto> meteo_;
};

} // namespace fv
