// SPDX-License-Identifier: MIT
// Reading an Access file: whatever the bytes, the copy into SQLite ends with
// a copied file or an Italian error, never a crash, a hang or a leak. (The
// program itself reads Access files in a child process, so that a fault
// in libmdb could end only that process.)
#include "data/accesso.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t dimensione)
{
    static const std::string base = "/tmp/fuzz_accesso_" + std::to_string(getpid());
    const std::string ingresso = base + ".mdb";
    const std::string uscita = base + ".sqlite";
    {
        std::ofstream f(ingresso, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(dati), static_cast<std::streamsize>(dimensione));
    }
    std::remove(uscita.c_str());
    try {
        fv::CopiaTabelle(ingresso, uscita);
    } catch (const std::runtime_error&) {
        // an Italian sentence for the user: the expected outcome of a bad file
    }
    std::remove(uscita.c_str());
    std::remove(ingresso.c_str());
    return 0;
}
