// SPDX-License-Identifier: MIT
// A renewable energy community: its members, read from a members file; the
// energy they share hour by hour (for each hour the lesser of what the
// members feed in and what they draw, all inside one primary substation);
// the premium on it (DM MASE 7 dicembre 2023 n. 414) and ARERA's
// valorisation; how the community splits them; what each member gains and
// what each brings.
#pragma once

#include "calc/calendario.h"
#include "calc/falde.h"
#include "calc/orario.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fv {

enum class RuoloMembro { Consumatore, Prosumer, Produttore };
enum class TipoMembro { Domestico, Impresa, Ente };
const char* NomeRuolo(RuoloMembro r);
const char* NomeTipo(TipoMembro t);

struct Membro {
    std::string nome;
    RuoloMembro ruolo = RuoloMembro::Consumatore;
    double consumoAnnuo = 0;           // [kWh/year], with `profilo`
    std::string profilo = "fuori-casa";
    std::string consumi;               // a meter's file, relative to the members file; replaces consumoAnnuo
    double potenza = 0;                // [kWp] of the first face
    double tilt = 30, azimut = 0;      // [deg], azimuth from south, positive toward west
    std::vector<Falda> falde;          // further faces
    double batteria = 0;               // [kWh]
    TipoMembro tipo = TipoMembro::Domestico;
    int riga = 0;                      // the members file's line
    // The member's faces, the first from potenza, tilt and azimut.
    std::vector<Falda> Falde() const;
    double Picco() const;
};

// The columns of a members file, in this order when written.
inline constexpr std::array<const char*, 11> kColonneMembri = {"nome",    "ruolo",  "consumo_annuo", "profilo",
                                                               "consumi", "potenza", "tilt",          "azimut",
                                                               "falde",   "batteria", "tipo"};
inline constexpr std::size_t kMembriMassimi = 1000;
inline constexpr double kConsumoMembroMassimo = 10e6; // [kWh/year]: a large school or a factory, not a typing slip
inline constexpr double kPotenzaMembroMassima = 1000; // [kWp]: the decree's plants stop at 1 MW
inline constexpr double kBatteriaMembroMassima = 2000; // [kWh]

// A members file that cannot be used: its line, the member and the field,
// and what is wrong, in Italian.
class ErroreMembri : public std::runtime_error {
public:
    ErroreMembri(int riga, std::string membro, std::string campo, const std::string& messaggio);
    int riga() const noexcept { return riga_; }
    const std::string& membro() const noexcept { return membro_; }
    const std::string& campo() const noexcept { return campo_; }

private:
    int riga_;
    std::string membro_, campo_;
};

// The members of a file (UTF-8, a BOM allowed; fields split by ';' or ',',
// the header's choice; lines starting with '#' and blank lines skipped; a
// header naming the columns, in any order, unknown ones refused). Numbers
// take a decimal point, or a comma when the file splits by ';'. Every row is
// checked before any is returned: the first fault throws ErroreMembri.
std::vector<Membro> LeggiMembri(const std::string& testo);

// An example file, every column explained in its header comment.
std::string ModelloMembri();

// How the community splits the premium and the valorisation among members.
enum class Ripartizione {
    Prelievi,        // by each member's energy drawn in the shared hours (its part of the shared energy)
    Immissioni,      // by each member's energy fed in within the shared hours
    PartiUguali,     // the same to every member
    QuotaProduttori, // a fixed share to the producers by their feed-in, the rest to the consumers by their draw
};
// "prelievi", "immissioni", "uguali", "produttori"; false when none.
bool LeggiRipartizione(const std::string& testo, Ripartizione& r);
const char* NomeRipartizione(Ripartizione r);

// Each member's year as its own meter sees it [kWh per clock hour]: what it
// feeds into the grid and what it draws, after its own plant and battery.
struct FlussiMembro {
    std::vector<Ore> immessa, prelevata;
};

// The community's hours. Shared energy in an hour = min(total fed in, total
// drawn); each member's part of it as a consumer is its draw's share of the
// hour's draw, as a producer its feed-in's share of the hour's feed-in.
struct CondivisaComunita {
    std::vector<Ore> immessa, prelevata, condivisa;  // [kWh per clock hour]
    std::array<double, 12> condivisaMesi{}, immessaMesi{}, prelevataMesi{};
    double condivisaAnno = 0, immessaAnno = 0, prelevataAnno = 0;
    Ore immessaMedia{}, prelevataMedia{}, condivisaMedia{}; // the year's mean day
    std::vector<double> comeConsumatore, comeProduttore;     // each member's part [kWh/year]
    // The community's shared energy without each member [kWh/year].
    std::vector<double> senza;
};
CondivisaComunita CondividiOre(const std::vector<FlussiMembro>& membri, const Calendario& calendario);

// The premium rate of a plant [EUR/kWh] (DM 414/2023, allegato 1, as the
// Regione Emilia-Romagna sets it out): up to 200 kW 80 + max(0, 180 - Pz)
// EUR/MWh, at most 120; up to 600 kW 70 + ..., at most 110; beyond, 60 + ...,
// at most 100; Pz the zonal price [EUR/MWh]; then + the photovoltaic's
// regional correction (10 EUR/MWh in the North, 4 in the Centre), times
// (1 - F) for a plant with a capital grant.
double TariffaPremio(double potenzaKw, double prezzoZonale, double correzione, double riduzionePnrr);

struct RegoleComunita {
    double prezzoZonale = 0.09;       // [EUR/kWh]
    double correzione = 0;            // [EUR/kWh], by region
    double riduzionePnrr = 0;         // F, a share, for plants with the grant
    bool contributoPnrr = false;
    bool premioAttivo = true;         // the plants enter service while the decree pays
    double valorizzazione = 0.008;    // ARERA's [EUR/kWh] on the shared energy
    double prezzoEnergia = 0.25;      // the energy not bought [EUR/kWh]
    double prezzoMinimo = 0.0475;     // the dedicated withdrawal's guaranteed minimum [EUR/kWh], plants up to 100 kW
    Ripartizione ripartizione = Ripartizione::Prelievi;
    double quotaProduttori = 50;      // [%], with Ripartizione::QuotaProduttori
};

struct EsitoMembro {
    double consumo = 0, produzione = 0, immessa = 0, prelevata = 0, coperto = 0; // [kWh/year]
    double condivisa = 0;       // its part of the shared energy, as consumer and as producer [kWh/year]
    double premioGenerato = 0;  // the premium on the shared energy its plant fed [EUR/year]
    double premio = 0;          // its part of premium and valorisation by the community's rule [EUR/year]
    double risparmio = 0, vendita = 0; // its own energy not bought, its export sold [EUR/year]
    double Beneficio() const { return premio + risparmio + vendita; }
};

struct EsitoComunita {
    CondivisaComunita ore;
    std::vector<EsitoMembro> membri;
    double premio = 0, valorizzazione = 0; // [EUR/year]
    // The decree's condition: the premium on the shared energy above 55 % of
    // the energy fed in (45 % with a capital grant) goes to consumers other
    // than businesses or to social ends.
    double sogliaCondivisa = 0;   // [kWh/year]
    double premioEccedente = 0;   // [EUR/year]
    double premioNonImprese = 0;  // the split's part to households and public bodies [EUR/year]
    bool CondizioneRispettata() const { return premioNonImprese + 1e-9 >= premioEccedente; }
};
// The community's year: production[i], consumption[i] and coperto[i] are
// member i's year [kWh]; flussi[i] its meter's hours.
EsitoComunita CalcolaComunita(const std::vector<Membro>& membri, const std::vector<FlussiMembro>& flussi,
                              const std::vector<double>& produzione, const std::vector<double>& consumo,
                              const std::vector<double>& coperto, const RegoleComunita& regole, const Calendario& calendario);

// The split of `totale` among the members by the rule: weights from their
// parts of the shared energy (as consumers, as producers), summing to `totale`.
std::vector<double> Ripartisci(double totale, const std::vector<Membro>& membri, const CondivisaComunita& c,
                               Ripartizione regola, double quotaProduttori);

} // namespace fv
