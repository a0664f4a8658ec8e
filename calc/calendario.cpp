// SPDX-License-Identifier: MIT
// The reference year: weekdays, holidays, summer time, time bands.
#include "calc/calendario.h"

namespace fv {

namespace {

bool Bisestile(int anno) { return (anno % 4 == 0 && anno % 100 != 0) || anno % 400 == 0; }

// Days from 1970-01-01 to a civil date (H. Hinnant's days_from_civil).
long GiorniDal1970(int a, int m, int g)
{
    a -= m <= 2;
    const long era = (a >= 0 ? a : a - 399) / 400;
    const long anno = a - era * 400;
    const long giornoAnno = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + g - 1;
    const long giornoEra = anno * 365 + anno / 4 - anno / 100 + giornoAnno;
    return era * 146097 + giornoEra - 719468;
}

} // namespace

int GiornoPasqua(int anno)
{
    // The anonymous Gregorian algorithm (Meeus, Astronomical Algorithms, ch. 8).
    const int a = anno % 19, b = anno / 100, c = anno % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 22 * l) / 451;
    const int mese = (h + l - 7 * m + 114) / 31, giorno = (h + l - 7 * m + 114) % 31 + 1;
    return int(GiorniDal1970(anno, mese, giorno) - GiorniDal1970(anno, 1, 1));
}

Calendario CreaCalendario(int anno)
{
    Calendario c;
    c.anno = anno;
    c.giorniMese = {31, Bisestile(anno) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const long inizio = GiorniDal1970(anno, 1, 1);
    // 1970-01-01 was a Thursday (3, counting from Monday = 0).
    const auto settimana = [](long giorni) { return int(((giorni % 7) + 7 + 3) % 7); };
    // The last Sunday of March or October (both months have 31 days).
    const auto ultimaDomenica = [&](int mese) {
        const long g = GiorniDal1970(anno, mese, 31);
        return g - (settimana(g) + 1) % 7;
    };
    const long inizioLegale = ultimaDomenica(3), fineLegale = ultimaDomenica(10);
    const long pasquetta = inizio + GiornoPasqua(anno) + 1;
    const std::array<std::pair<int, int>, 10> feste = {
        {{1, 1}, {1, 6}, {4, 25}, {5, 1}, {6, 2}, {8, 15}, {11, 1}, {12, 8}, {12, 25}, {12, 26}}};
    for (int m = 0; m < 12; ++m) {
        for (int g = 1; g <= c.giorniMese[std::size_t(m)]; ++g) {
            const long n = GiorniDal1970(anno, m + 1, g);
            Giorno giorno{m, g, settimana(n), n == pasquetta, n >= inizioLegale && n < fineLegale};
            for (const auto& [fm, fg] : feste)
                giorno.festivo = giorno.festivo || (fm == m + 1 && fg == g);
            c.giorni.push_back(giorno);
        }
    }
    return c;
}

TipoGiorno TipoDelGiorno(const Giorno& g)
{
    if (g.festivo || g.settimana == 6)
        return TipoGiorno::Festivo;
    return g.settimana == 5 ? TipoGiorno::Sabato : TipoGiorno::Feriale;
}

int FasciaOraria(const Giorno& g, int ora)
{
    switch (TipoDelGiorno(g)) {
    case TipoGiorno::Festivo: return 3;
    case TipoGiorno::Sabato: return ora >= 7 && ora < 23 ? 2 : 3;
    case TipoGiorno::Feriale: break;
    }
    if (ora >= 8 && ora < 19)
        return 1;
    return ora == 7 || (ora >= 19 && ora < 23) ? 2 : 3;
}

} // namespace fv
