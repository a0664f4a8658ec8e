// SPDX-License-Identifier: MIT
// The one working window "CALCOLO ENERGIA FOTOVOLTAICO": it builds its
// controls from the inventory, wires the seven events to their handlers and
// delegates: the site data to data/, the computation to calc/, the chart to chart/.
#pragma once

#include "calc/calcolo.h"
#include "calc/numeri.h"
#include "calc/serie.h"
#include "app/sessione.h"

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

class frmFv : public QWidget {
    Q_OBJECT

public:
    // cartellaDati: where data.mdb is looked for; empty means the working
    // directory. Form_Load runs here, before the window is first shown.
    explicit frmFv(QWidget* parent = nullptr, const QString& cartellaDati = {});
    ~frmFv() override;

    // The session the window shows and edits: its site, its plant, its last result.
    fv::Sessione& sessione() const { return *sessione_; }

    // The form-level series, for whoever checks the window from outside.
    const fv::MonthlySeries& SerieRadOriz() const { return sessione_->radOriz(); }
    const fv::MonthlySeries& SerieRadInc() const { return radInc; }
    const fv::FormatoNumeri& formatoNumeri() const { return sessione_->formato(); }

    // Whether results are on show and still those of the inputs on show.
    bool RisultatiAggiornati() const { return risultati == Risultati::Aggiornati; }

    // Another data file for the session (File › Apri file dati…): the lists
    // are filled again, the results on show are no longer up to date.
    void ApriFileDati(const QString& percorso);

    // The note CALCOLA shows at an empty field, for a value the session lacks.
    void SegnalaCampo(fv::Campo campo);
    // Reports an error over the window, as its own handlers do.
    void RiportaErrore(const std::exception_ptr& errore);

signals:
    // true after every calculation, false at the first input change after one.
    void risultatiCambiati(bool aggiornati);
    // The data file the lists now come from.
    void fileDatiCambiato(const QString& percorso);

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

    // The session's site and plant into the controls, and the plant's
    // controls into the session.
    void MostraSito(int parti);
    void MostraImpianto();
    void PassaImpianto();
    // A result into its fields through the table of result fields, and the chart.
    void MostraRisultato(const fv::Risultato& r);
    // A non-modal note at the first empty input, naming it; false when none is empty.
    bool SegnalaCampoVuoto();
    bool SegnalaPrimoVuoto(std::initializer_list<QWidget*> campi);
    // Throws ErroreScelta unless the radiation, the latitude and the
    // reflectance come from the province and the items the window shows.
    void VerificaSito() const;
    // Whether a latitude typed by hand may be used: asked when outside Italy.
    bool ConfermaLatitudine();
    // The results on show, greyed while they no longer match the inputs.
    std::vector<QLineEdit*> CampiRisultato() const;
    void SegnaRisultati(bool aggiornati);

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

    // Form-level state: the session holds the data routines, the site and
    // its provenance, the plant and the last result.
    fv::Sessione* sessione_ = nullptr;
    std::array<QString, 12> etichetteMesi;
    fv::MonthlySeries radInc{};
    enum class Risultati { Nessuno, Aggiornati, NonAggiornati } risultati = Risultati::Nessuno;
    std::exception_ptr erroreAvvio; // a start-up failure, reported once shown
    bool mostrata = false;
};
