// SPDX-License-Identifier: MIT
// Names of places compared as a person types them, and the nearest suggested.
#include "calc/nomi.h"

#include <algorithm>
#include <cctype>

namespace fv {

std::string NomeNormalizzato(const std::string& nome)
{
    // Latin-1's letters with accents (U+00C0..U+00FF) to their base letter.
    static const char kBase[] = "aaaaaaaceeeeiiiidnooooo/ouuuuyts"  // U+00C0..U+00DF, lowered
                                "aaaaaaaceeeeiiiidnooooo/ouuuuyty"; // U+00E0..U+00FF
    std::string n;
    for (std::size_t i = 0; i < nome.size();) {
        const auto c = static_cast<unsigned char>(nome[i]);
        if (c < 0x80) {
            if (c != ' ' && c != '\'' && c != '-')
                n += static_cast<char>(std::tolower(c));
            ++i;
            continue;
        }
        std::size_t lunghezza = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
        if (lunghezza == 2 && i + 1 < nome.size()) {
            const unsigned codice = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(nome[i + 1]) & 0x3Fu);
            if (codice >= 0xC0 && codice <= 0xFF) {
                n += kBase[codice - 0xC0];
                i += 2;
                continue;
            }
        }
        if (nome.compare(i, 3, "\xE2\x80\x99") == 0) { // ’
            i += 3;
            continue;
        }
        lunghezza = std::min(lunghezza, nome.size() - i);
        n += nome.substr(i, lunghezza);
        i += lunghezza;
    }
    return n;
}

std::vector<std::string> NomiVicini(const std::string& nome, const std::vector<std::string>& elenco, std::size_t quanti)
{
    const std::string a = NomeNormalizzato(nome);
    const auto distanza = [&a](const std::string& b) {
        std::vector<std::size_t> riga(b.size() + 1);
        for (std::size_t j = 0; j <= b.size(); ++j)
            riga[j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            std::size_t diagonale = riga[0];
            riga[0] = i;
            for (std::size_t j = 1; j <= b.size(); ++j) {
                const std::size_t sopra = riga[j];
                riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
                diagonale = sopra;
            }
        }
        return riga[b.size()];
    };
    std::vector<std::pair<std::size_t, std::string>> voti;
    for (const std::string& v : elenco)
        voti.emplace_back(distanza(NomeNormalizzato(v)), v);
    std::stable_sort(voti.begin(), voti.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> vicini;
    // Only names within a third of the name's length: a guess, not any name.
    for (const auto& [d, v] : voti) {
        if (vicini.size() == quanti || d > std::max<std::size_t>(2, a.size() / 3))
            break;
        vicini.push_back(v);
    }
    return vicini;
}

} // namespace fv
