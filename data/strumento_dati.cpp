// SPDX-License-Identifier: MIT
// calcolo-fv-dati: the data tool. Converts a data file (Access or SQLite)
// into a new SQLite data.mdb, or makes one from the bundled dataset with the
// monthly rows of CSV files of one's own. Never modifies its inputs; writes
// its output beside it under a temporary name, then renames it into place.
#include "data/strumento.h"

#include <csignal>
#include <filesystem>
#include <iostream>

namespace {

// Where the dataset that the program is installed with lies: beside this
// tool in the build folder, or in the installed data folder; empty if neither.
std::string DatiForniti()
{
    namespace fs = std::filesystem;
    std::error_code e;
    const fs::path qui = fs::read_symlink("/proc/self/exe", e).parent_path();
    for (const fs::path& p : {qui / "data.mdb", qui / FV_DATI_DAL_PROGRAMMA / "data.mdb"}) {
        if (fs::is_regular_file(p, e))
            return p.string();
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, FvStrumentoInterrotto);
    std::signal(SIGTERM, FvStrumentoInterrotto);
    return fv::EseguiStrumentoDati(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                                   DatiForniti());
}
