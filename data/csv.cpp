// SPDX-License-Identifier: MIT
// A small RFC 4180 CSV reader.
#include "data/csv.h"

namespace fv {

std::vector<RigaCsv> LeggiCsv(const std::string& s, char separatore)
{
    std::vector<RigaCsv> righe;
    RigaCsv riga;
    std::string campo;
    bool virgolette = false;
    bool qualcosa = false;
    const std::size_t inizio = s.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    for (std::size_t i = inizio; i < s.size(); ++i) {
        const char c = s[i];
        if (virgolette) {
            if (c == '"') {
                if (i + 1 < s.size() && s[i + 1] == '"') {
                    campo += '"';
                    ++i;
                } else {
                    virgolette = false;
                }
            } else {
                campo += c;
            }
        } else if (c == '"') {
            virgolette = true;
            qualcosa = true;
        } else if (c == separatore) {
            riga.push_back(campo);
            campo.clear();
            qualcosa = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            if (qualcosa || !campo.empty()) {
                riga.push_back(campo);
                righe.push_back(riga);
            }
            riga.clear();
            campo.clear();
            qualcosa = false;
        } else {
            campo += c;
            qualcosa = true;
        }
    }
    if (qualcosa || !campo.empty()) {
        riga.push_back(campo);
        righe.push_back(riga);
    }
    return righe;
}

} // namespace fv
