// SPDX-License-Identifier: MIT
// The program's main window: the calculation window frmFv as it stands, with
// a menu bar in Italian around it (report, export, print, copy, guide, about)
// and a status bar with the specific yield of the last calculation.
#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class DialogoBilancio;
class DialogoComunita;
class DialogoMappa;
class DialogoOrientamento;
class frmFv;
namespace fv {
struct Approfondimento;
}

class FinestraPrincipale : public QMainWindow {
    Q_OBJECT

public:
    // cartellaDati: where data.mdb is looked for, as for frmFv.
    explicit FinestraPrincipale(QWidget* parent = nullptr, const QString& cartellaDati = {});

    frmFv* modulo() const { return modulo_; }

    // The menu actions, for whoever drives the window from outside.
    QAction* azioneSalvaPdf() const { return salvaPdf_; }
    QAction* azioneEsportaCsv() const { return esportaCsv_; }
    QAction* azioneStampa() const { return stampa_; }
    QAction* azioneCopia() const { return copia_; }
    // The tools' dialog, once opened.
    DialogoOrientamento* orientamento() const { return orientamento_; }
    DialogoMappa* mappaItalia() const { return mappa_; }
    DialogoBilancio* bilancio() const { return bilancio_; }
    DialogoComunita* comunita() const { return comunita_; }

    // The short guide shown by "Guida": the README's own section.
    static QString TestoGuida();
    // What "Informazioni" shows: version, licence, data sources.
    static QString TestoInformazioni();

private:
    void CreaMenu();
    void AggiornaRisultati(bool aggiornati);
    void SalvaPdf();
    void EsportaCsv();
    void Stampa();
    void CopiaRisultati();
    void Guida();
    void Informazioni();
    void Orientamento();
    void Comunita();
    void MappaDellItalia();
    void ApriFileDati();
    void Bilancio(bool economia);
    // A name for a file of the current result, e.g. "relazione-Torino.pdf".
    QString NomeProposto(const QString& tipo, const QString& estensione) const;
    void RiportaSeErrore(const QString& errore);
    // The balance and economics of the result on show, when worked out.
    const fv::Approfondimento* Approfondimento() const;

    frmFv* modulo_ = nullptr;
    QAction* salvaPdf_ = nullptr;
    QAction* esportaCsv_ = nullptr;
    QAction* stampa_ = nullptr;
    QAction* copia_ = nullptr;
    QLabel* stato_ = nullptr;
    QLabel* file_ = nullptr;
    DialogoOrientamento* orientamento_ = nullptr;
    DialogoMappa* mappa_ = nullptr;
    DialogoBilancio* bilancio_ = nullptr;
    DialogoComunita* comunita_ = nullptr;
};
