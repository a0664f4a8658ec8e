// SPDX-License-Identifier: MIT
// A meter's file (hourly or quarter-hourly consumption, as Italian
// distributors let customers download it, or a user's spreadsheet), read in
// stages: its rows, then its days on its own clock, then those days on the
// reference year, then the gaps.
#pragma once

#include "calc/bilancio.h"

#include <array>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace fv {

struct LetturaContatore {
    std::vector<Ore> consumo;        // [kWh] every hour of the reference year
    int oreRiempite = 0;             // hours missing in the file, filled from the profile
    std::vector<std::string> avvisi; // what the reader assumed or found (in Italian)
};

// A file that cannot be used: its line (0 when the whole file) and why.
class ErroreContatore : public std::runtime_error {
public:
    ErroreContatore(int riga, const std::string& messaggio);
    int riga() const noexcept { return riga_; }

private:
    int riga_;
};

// The largest file read [bytes]: a year of quarter-hours one per row with a
// POD and a long date is some 3 MB; ten times that and more is no meter file.
constexpr long long kDimensioneMassimaContatore = 64LL * 1024 * 1024;
// An hour above this [kWh] is beyond what a home's supply can draw (6 kW is
// the largest common domestic contract; 15 leaves room for a heat pump and a
// car): said, not refused. Above kOraImpossibile it is refused as a misread
// unit or a typo.
constexpr double kOraOltreUnaCasa = 15, kOraImpossibile = 1000;

struct DataFile {
    int anno = 0, mese = 0, giorno = 0; // mese 1..12
    auto operator<=>(const DataFile&) const = default;
};

// Stage 1: the rows. Each reading with its date and time as the file writes
// them (minute of the day, 0..1440; UTC already turned into Italian clock
// time), or a day per row with its values; the unit read from the header.
struct LetturaRiga {
    DataFile data;
    int minuto = 0;
    double kWh = 0;
    int riga = 0;
    int minutoScritto = 0; // as the file writes it, before any change of time zone
};
struct GiornataRiga {
    DataFile data;
    std::vector<double> kWh; // 23, 24, 25, 92, 96 or 100 values
    int riga = 0;
};
struct RigheContatore {
    std::vector<LetturaRiga> letture;
    std::vector<GiornataRiga> giornate;
    int intervallo = 60;             // [min] 60 or 15
    std::vector<std::string> avvisi;
};
RigheContatore LeggiRigheContatore(const std::string& testo);

// Stage 2: the file's days on its own clock: every clock hour's energy
// [kWh] and how many of its readings were found; the clock-change days of
// the file's year keep their 23 or 25 hours (the repeated hour in slot 2).
struct GiornoFile {
    Ore kWh{};
    std::array<int, 24> letture{};
    std::array<int, 24> attese{};   // readings an hour must have to be whole
    int perOra = 1;                 // readings in an hour: 1 or 4
    int riga = 0;                   // the first line of the day
};
using GiorniFile = std::map<DataFile, GiornoFile>;
struct GiorniContatore {
    GiorniFile giorni;
    std::vector<std::string> avvisi;
};
GiorniContatore PosizionaLetture(const RigheContatore& righe);

// Stage 3: the file's days onto the reference year by month and day, with
// the reference year's clock changes: an hour the reference day has and
// the file's did not is filled from its neighbours, a repeated hour halved
// or doubled as the days differ. Hours of the reference year found nowhere
// stay missing (false in `presenti`).
struct ConsumoPosto {
    std::vector<Ore> consumo;
    std::vector<std::array<bool, 24>> presenti;
    std::vector<std::string> avvisi;
};
ConsumoPosto PosizionaSulCalendario(const GiorniContatore& giorni, const Calendario& calendario);

// Stage 4: hours missing filled from the profile at the file's own level;
// more than 5 % of the year missing is refused.
LetturaContatore RiempiLacune(ConsumoPosto posto, const Calendario& calendario, const ProfiloConsumo& profilo);

// The four stages.
LetturaContatore LeggiContatore(const std::string& testo, const Calendario& calendario, const ProfiloConsumo& profilo);

} // namespace fv
