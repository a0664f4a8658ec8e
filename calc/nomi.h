// SPDX-License-Identifier: MIT
// Names of places as a person types them: compared with case, accents,
// apostrophes (’ and '), spaces and hyphens ignored, and the nearest ones
// suggested when none matches. Plain C++ on UTF-8 text.
#pragma once

#include <string>
#include <vector>

namespace fv {

// The name reduced for comparison: lower case, Latin-1 letters without
// their accents, no apostrophes, spaces or hyphens.
std::string NomeNormalizzato(const std::string& nome);

// The names of `elenco` nearest to `nome` (edit distance between the reduced
// names, within a third of its length), at most `quanti`, nearest first.
std::vector<std::string> NomiVicini(const std::string& nome, const std::vector<std::string>& elenco,
                                    std::size_t quanti = 3);

} // namespace fv
