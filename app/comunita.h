// SPDX-License-Identifier: MIT
// The energy community worked out on the site of a calculation: each
// member's hours (its plant on the comune's climate or on a weather file,
// its consumption from a yearly figure or its meter's file, its battery),
// the energy shared, the premium and its split, each member's economics.
#pragma once

#include "app/sessione.h"
#include "calc/comunita.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace fv {

struct RichiestaComunita {
    std::vector<Membro> membri;
    QString file;                     // the members file they came from (for the report)
    QString cartella;                 // where the members' meter files are found
    RichiestaMeteo meteo;             // empty file: the comune's climate for every member
    int anno = 0;                     // the reference year (0: the next)
    std::string dataSpesa;            // the plants' expense [yyyy-mm-dd], empty: today
    std::string dataEsercizio;        // their entry into service, empty: the expense's date
    bool contributoPnrr = false;      // the community's plants take the PNRR grant
    Ripartizione ripartizione = Ripartizione::Prelievi;
    double quotaProduttori = 50;      // [%], with Ripartizione::QuotaProduttori
    QString cabina;                   // the primary substation's code, as text
};

struct RisultatoComunita {
    std::vector<Membro> membri;
    EsitoComunita esito;
    // For each member with a plant: its investment, NPV and payback under
    // the household economics with its part of the premium added; none
    // for a member without a plant.
    std::vector<std::optional<double>> investimento, van, ritorno;
    int anno = 0;
    QString file, cabina;
    RegoleComunita regole;
    QStringList avvisi;
};

// The members file read whole (at most 4 MB) and checked. Throws
// ErroreRichiesta("membri", ...) naming the row, the member and the field.
std::vector<Membro> LeggiFileMembri(const QString& percorso);

// The community on the site of `sito` (its comune, climate, reflectance,
// losses and efficiency) with the rules in force in `parametri`.
// `progresso(fatti, tutti)` is called after each member; when `annulla`
// turns true the work stops with ErroreAnnullato. Throws ErroreRichiesta for
// a member's meter file or weather file that cannot be used.
class ErroreAnnullato : public std::runtime_error {
public:
    ErroreAnnullato() : std::runtime_error("calcolo annullato") {}
};
// The comune's longitude from the data file's map table (Italy's middle, 12.5° E, when it has none).
double LongitudineDelSito(Sessione& sessione, const Risultato& sito);
// Safe on a worker thread: it touches no session, only the request's files.
RisultatoComunita CalcolaComunitaEnergetica(const Risultato& sito, double longitudine, const RichiestaComunita& richiesta,
                                            const std::vector<Parametro>& parametri, const std::atomic<bool>* annulla = nullptr,
                                            const std::function<void(std::size_t, std::size_t)>& progresso = {});

// The community's figures, the members' rows and the months, as tables.
std::vector<QStringList> TabellaComunita(const RisultatoComunita& c, const FormatoNumeri& f);
std::vector<QStringList> TabellaMembri(const RisultatoComunita& c, const FormatoNumeri& f);
std::vector<QStringList> TabellaMesiComunita(const RisultatoComunita& c, const FormatoNumeri& f);
// The decree's condition on the premium above the threshold, said.
QString FraseCondizione(const RisultatoComunita& c, const FormatoNumeri& f);
// Every clock hour of the year: the community's energy fed in, drawn and shared.
std::vector<QStringList> TabellaOrariaComunita(const RisultatoComunita& c, const FormatoNumeri& f);
// The inputs, the community's figures, the members' rows and the months, one after the other.
std::vector<QStringList> TabellaCsvComunita(const RisultatoComunita& c, const FormatoNumeri& f);
// The community's report: figures, months, the mean day, the split and the members. Empty when written.
QString SalvaPdfComunita(const QString& percorso, const RisultatoComunita& c, const FormatoNumeri& f);

} // namespace fv
