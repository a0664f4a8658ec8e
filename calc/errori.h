// SPDX-License-Identifier: MIT
// The typed errors of the computation: each knows its field, month or step.
#pragma once

#include <cmath>
#include <stdexcept>
#include <string>

namespace fv {

// The fields whose text the calculation reads or writes. The window maps each
// to its control and caption; the computation knows only which value it is.
enum class Campo {
    Latitudine,
    Riflettanza,
    Tilt,
    Azimut,
    Potenza,
    PerditeGeneratore,
    EfficienzaInverter,
    ComuneRadiazione,
    Mese2,        // monthly plane value, with a month index
    TotAnnua2,
    Rapporto,
    Energia,
    CostoKwh,
    Annuo,
};

// The step at which an arithmetic failure happened. The model's steps come
// first, in the order the month's evaluation runs them.
enum class Passo {
    Declinazione,
    AngoloTramonto,
    Coefficienti,
    RadiazioneExtraterrestre,
    IndiceSerenita,
    FrazioneDiffusa,
    IncrociPiano,
    RapportoDiretta,
    RapportoTotale,
    RadiazionePiano,
    TotaleAnnuo,
    RapportoTotali,
    EnergiaAnnua,
    Ricavo,
};

// Base of every error the program reports to the user.
class Errore : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not a number in the user's locale.
class ErroreConversione : public Errore {
public:
    enum class Motivo { NonNumero, SeparatoreMigliaia, FuoriIntervallo };
    ErroreConversione(Campo campo, std::string testo, Motivo motivo);
    Campo campo() const noexcept { return campo_; }
    const std::string& testo() const noexcept { return testo_; }
    Motivo motivo() const noexcept { return motivo_; }

private:
    Campo campo_;
    std::string testo_;
    Motivo motivo_;
};

// A whole number outside the 16-bit range, or a 16-bit result that overflows.
class ErroreOverflow : public Errore {
public:
    ErroreOverflow(Campo campo, std::string testo);
    Campo campo() const noexcept { return campo_; }
    const std::string& testo() const noexcept { return testo_; }

private:
    Campo campo_;
    std::string testo_;
};

// A number outside the range it can physically take, or outside the range
// where the method holds: from minimo to massimo, the lower bound itself
// excluded when minimoEscluso.
class ErroreIntervallo : public Errore {
public:
    ErroreIntervallo(Campo campo, std::string testo, double minimo, double massimo,
                     bool minimoEscluso = false);
    Campo campo() const noexcept { return campo_; }
    const std::string& testo() const noexcept { return testo_; }
    double minimo() const noexcept { return minimo_; }
    double massimo() const noexcept { return massimo_; }
    bool minimoEscluso() const noexcept { return minimoEscluso_; }

private:
    Campo campo_;
    std::string testo_;
    double minimo_;
    double massimo_;
    bool minimoEscluso_;
};

// A month whose horizontal radiation does not belong with the latitude: its
// clearness index (horizontal over extraterrestrial radiation) lies outside
// (0, 1]. More radiation on the ground than at the top of the atmosphere, or
// none at all, means the latitude and the radiation data are of two sites.
class ErroreSerenita : public Errore {
public:
    ErroreSerenita(int mese, double KT);
    int mese() const noexcept { return mese_; }
    double KT() const noexcept { return KT_; }

private:
    int mese_;
    double KT_;
};

// A floating-point step that divided by zero, overflowed, took the root of a
// negative number or gave no number. mese is 1..12, or 0 outside the monthly loop.
class ErroreAritmetico : public Errore {
public:
    enum class Tipo { DivisionePerZero, RadiceNegativa, NonFinito };
    ErroreAritmetico(int mese, Passo passo, Tipo tipo);
    int mese() const noexcept { return mese_; }
    Passo passo() const noexcept { return passo_; }
    Tipo tipo() const noexcept { return tipo_; }

private:
    int mese_;
    Passo passo_;
    Tipo tipo_;
};

// An input left empty: nothing can be computed until it is given.
class ErroreCampoVuoto : public Errore {
public:
    explicit ErroreCampoVuoto(Campo campo);
    Campo campo() const noexcept { return campo_; }

private:
    Campo campo_;
};

// An index outside a table (the tariff table has 4 x 4 cells).
class ErroreIndice : public Errore {
public:
    ErroreIndice(std::string tabella, int indice);
    int indice() const noexcept { return indice_; }

private:
    int indice_;
};

// x itself when it is a finite number; otherwise the step fails (mese 1..12,
// or 0 outside the monthly loop).
inline double Finito(double x, int mese, Passo passo)
{
    if (!std::isfinite(x))
        throw ErroreAritmetico(mese, passo, ErroreAritmetico::Tipo::NonFinito);
    return x;
}

} // namespace fv
