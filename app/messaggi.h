// SPDX-License-Identifier: MIT
// The one place where errors become the Italian sentences the user reads.
#pragma once

#include "calc/errori.h"
#include "calc/numeri.h"

#include <QString>

#include <exception>

namespace fv {

inline constexpr const char* kTitolo = "CALCOLO ENERGIA FOTOVOLTAICO";

// A site choice that the window no longer shows as loaded: what to choose
// again, as the user reads it ("il comune (radiazione)").
class ErroreScelta : public Errore {
public:
    explicit ErroreScelta(QString scelta);
    const QString& scelta() const noexcept { return scelta_; }

private:
    QString scelta_;
};

// A data file without the longitudes that only the map needs.
class ErroreMappa : public Errore {
public:
    explicit ErroreMappa(QString file);
    const QString& file() const noexcept { return file_; }

private:
    QString file_;
};

// A tool that works on the last calculation, asked for before CALCOLA.
class ErroreSenzaCalcolo : public Errore {
public:
    ErroreSenzaCalcolo() : Errore("no calculation yet") {}
};

// The control that shows a field (its objectName), and its caption as the user sees it.
QString NomeControllo(Campo campo);
QString DidascaliaCampo(Campo campo);
// The note at an empty field: "Il campo «Latitudine (°)» è vuoto."
QString NotaCampoVuoto(Campo campo);

// A report for the user: one plain Italian sentence, and the technical
// details behind it (engine message, SQL text, file), empty when there are none.
struct Messaggio {
    QString testo;
    QString dettagli;
};

// fileDati names the data file when the error itself does not.
Messaggio MessaggioErrore(const std::exception_ptr& errore, const FormatoNumeri& formato,
                          const QString& fileDati);

// Qt's own texts (context menus, standard buttons, dialogs) in Italian, like
// the rest of the window, whatever the user's locale. False when Qt's Italian
// translation is not installed; the window then works with Qt's English texts.
bool InstallaTraduzioneQt();

// A typed text as a message quotes it: past 40 characters it is cut, with an
// ellipsis, so that a message never grows wider than the screen.
QString Citazione(const std::string& testo);

} // namespace fv
