// SPDX-License-Identifier: MIT
// The one working window "CALCOLO ENERGIA FOTOVOLTAICO": it builds its
// controls from the inventory, wires the seven events to their handlers and
// delegates: the site data to data/, the computation to calc/, the chart to chart/.
#pragma once

#include "calc/calcolo.h"
#include "calc/numeri.h"
#include "calc/serie.h"
#include "app/relazione.h"
#include "data/cascata.h"

#include <QString>
#include <QWidget>

#include <array>
#include <exception>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class QChartView;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace fv {
struct Controllo;
}

class frmFv : public QWidget, private fv::VistaSito, private fv::DestinazioneCalcolo {
    Q_OBJECT

public:
    // cartellaDati: where data.mdb is looked for; empty means the working
    // directory. Form_Load runs here, before the window is first shown.
    explicit frmFv(QWidget* parent = nullptr, const QString& cartellaDati = {});
    ~frmFv() override;

    // The form-level series, for whoever checks the window from outside.
    const fv::MonthlySeries& SerieRadOriz() const { return radOriz; }
    const fv::MonthlySeries& SerieRadInc() const { return radInc; }
    const fv::FormatoNumeri& formatoNumeri() const { return formato; }

    // Whether results are on show and still those of the inputs on show.
    bool RisultatiAggiornati() const { return risultati == Risultati::Aggiornati; }
    // The last calculation as the window showed it; meaningful while
    // RisultatiAggiornati().
    const fv::Relazione& RelazioneCorrente() const { return relazione; }

    // The site now in the window for the tools that try other planes on it,
    // checked as CALCOLA checks it, with the same notes and messages; empty
    // when it is not complete. Tilt and azimuth [deg] are those of the
    // fields when they are valid.
    struct SitoStrumenti {
        fv::SitoLetto sito;
        fv::MonthlySeries radOriz{};
        std::optional<double> tilt, azimut;
    };
    std::optional<SitoStrumenti> SitoPerStrumenti();
    // Writes a tilt, and an azimuth if given, into their fields as typed [deg].
    void ImpostaOrientamento(int tilt, std::optional<int> azimut);
    // The plant now in the window for the map of Italy, checked as CALCOLA
    // checks it, with the same notes and messages; empty when not valid.
    std::optional<fv::ImpiantoLetto> ImpiantoPerMappa();
    // Picks a comune as a user would: the province, then the comune in both
    // lists, through the same handlers (and the same messages).
    void ScegliComune(const QString& provincia, const QString& comune);
    // Every comune for the map, read through the data routines; empty, with
    // the window's message, when the file cannot be read.
    std::optional<fv::ComuniMappa> ComuniPerMappa();
    // The province and the radiation comune the window shows.
    QString ProvinciaMostrata() const;
    QString ComuneMostrato() const;

signals:
    // true after every calculation, false at the first input change after one.
    void risultatiCambiati(bool aggiornati);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The steps of building the window, in order.
    void ImpostaFinestra();
    void CreaControlli();
    QWidget* CreaControllo(const fv::Controllo& c, QWidget* genitore);
    void Lega(const fv::Controllo& c, QWidget* w);
    void OrdinaTabulazione();
    void DescriviPerAccessibilita();
    void CollegaEventi();

    // The handlers.
    void Form_Load();
    void cmbProvincia_Click();
    void cmbComuneRad_Click();
    void cmbComuneLat_Click();
    void cmbRiflettanza_Click();
    void cmdCalcola_Click();
    void txtPow_Change();

    // Runs a handler's body; an error ends it and is reported to the user.
    template<typename Corpo>
    void Esegui(Corpo corpo);
    void RiportaErrore(const std::exception_ptr& errore);

    // Where a site value that the command would use was loaded from: the
    // province and the list item picked, or the user's own typing. Empty
    // (neither) when nothing valid is loaded.
    struct Provenienza {
        QString provincia;
        QString voce;
        bool aMano = false;
        bool caricata = false;
    };
    // A pick: its value counts only once loaded; a failed pick empties the
    // fields it would have filled, so that no other site's value stays on show.
    void CaricaScelta(Provenienza& da, const QString& voce, const std::function<void()>& carica,
                      const std::function<void()>& svuota);
    void SvuotaRadiazione();
    // A non-modal note at the first empty input, naming it; false when none is empty.
    bool SegnalaCampoVuoto();
    bool SegnalaPrimoVuoto(std::initializer_list<QWidget*> campi);
    // Throws ErroreScelta unless the radiation, the latitude and the
    // reflectance come from the province and the items the window shows.
    void VerificaSito() const;
    // The results on show, greyed while they no longer match the inputs.
    std::vector<QLineEdit*> CampiRisultato() const;
    void SegnaRisultati(bool aggiornati);
    void FotografaRisultati(const fv::IngressiLetti& letti, int fascia, int integrazione);

    // VistaSito
    void AggiungiRiflettanza(const QString& superficie) override;
    void AggiungiProvincia(const QString& provincia) override;
    void SvuotaComuniLat() override;
    void AggiungiComuneLat(const QString& comune) override;
    void SvuotaComuniRad() override;
    void AggiungiComuneRad(const QString& comune) override;
    void ScriviRadOriz(int mese0, double valore) override;
    void ScriviMese(int mese0, const QString& testo) override;
    void ScriviTotAnnua(const QString& testo) override;
    void ScriviLatitudine(const QString& testo) override;
    void ScriviRiflettanza(const QString& testo) override;

    // DestinazioneCalcolo
    void ScriviRadInc(int mese0, double valore) override;
    void ScriviCampo(fv::Campo campo, int indice, const std::string& testo) override;

    // Controls.
    QComboBox* cmbProvincia = nullptr;
    QComboBox* cmbComuneLat = nullptr;
    QComboBox* cmbComuneRad = nullptr;
    QComboBox* cmbRiflettanza = nullptr;
    QLineEdit* txtLatitudine = nullptr;
    QLineEdit* txtRiflettanza = nullptr;
    QLineEdit* txtTilt = nullptr;
    QLineEdit* txtAzimut = nullptr;
    QLineEdit* txtPow = nullptr;
    QLineEdit* txtEffGen = nullptr;
    QLineEdit* txtEffInv = nullptr;
    QLineEdit* txtEnergia = nullptr;
    QLineEdit* txtRapp = nullptr;
    QLineEdit* txtAnnuo = nullptr;
    QLineEdit* txtCostoKwh = nullptr;
    QLineEdit* txtTotAnnua = nullptr;
    QLineEdit* txtTotAnnua2 = nullptr;
    std::array<QLineEdit*, 12> txtMese{};
    std::array<QLineEdit*, 12> txtMese2{};
    std::array<QRadioButton*, 3> optInt{};
    std::array<QRadioButton*, 3> optPow{};
    QPushButton* cmdCalcola = nullptr;
    QChartView* msc1 = nullptr;

    // Form-level state.
    fv::GiorniMese giorniMese{};
    std::array<QString, 12> etichetteMesi;
    fv::MonthlySeries radOriz{};
    fv::MonthlySeries radInc{};
    fv::StatoDati dati; // the data routines, rsDati and sqlText
    QString provinciaElenchi; // the province whose towns the two lists show
    Provenienza radiazioneDa;
    Provenienza latitudineDa;
    Provenienza riflettanzaDa;
    enum class Risultati { Nessuno, Aggiornati, NonAggiornati } risultati = Risultati::Nessuno;
    fv::Relazione relazione;
    fv::FormatoNumeri formato;
    std::exception_ptr erroreAvvio; // a start-up failure, reported once shown
    bool mostrata = false;
};
