// SPDX-License-Identifier: MIT
// "Autoconsumo e batteria…" and "Convenienza economica…": one dialog on the
// session's last calculation, one set of inputs (the household's
// consumption, a battery, the reference year, the household's rules) beside
// one widget per question: how much the house uses, what the plant is worth,
// how sure, which weather year, which plant, the plant's faces and inverter. The dialog owns the latest
// analysis and registers it in the session, for the report and the exports.
#pragma once

#include "app/analisi.h"
#include "app/sessione.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;

namespace fv {
struct OpzioneNumero;
class SchedaBilancio;
class SchedaConvenienza;
class SchedaDimensioni;
class SchedaImpianto;
class SchedaConsumi;
class SchedaMeteo;
class SchedaSicurezza;
} // namespace fv

class DialogoBilancio : public QDialog {
    Q_OBJECT

public:
    DialogoBilancio(fv::Sessione& sessione, QWidget* parent);

    // Takes the session's last result; throws ErroreScelta-like errors when
    // there is none up to date (the window says to press CALCOLA).
    void Aggiorna();
    void MostraConvenienza(bool economia);

    // The last figures shown, for whoever checks the dialog.
    const std::optional<fv::RisultatoBilancio>& bilancio() const { return bilancio_; }
    const std::optional<fv::RisultatoConvenienza>& convenienza() const { return convenienza_; }
    const std::optional<fv::GrigliaDimensioni>& griglia() const;
    QString testoRiepilogo() const;
    // The inputs as the dialog holds them; throws ErroreFasce for a bands
    // field it cannot read.
    fv::RichiestaBilancio Richiesta() const;

signals:
    void calcolata();

private:
    QWidget* CreaIngressi();
    QWidget* CreaPagineConsumo(QWidget* pannello);
    QWidget* CreaIngressiFamiglia(QWidget* pannello);
    // A field of a declared option, remembered under its key.
    QDoubleSpinBox* Numero(QWidget* genitore, const char* opzione);
    QDateEdit* CreaData(QWidget* genitore, const QString& nome, const QDate& giorno, const QString& aiuto);
    void CollegaIngressi();
    void CollegaSchede();
    std::vector<fv::Parametro> ParametriDelFileInVigore() const;
    void ApplicaRicordati();
    // The one writer of the latest analysis: changes it, shows it, registers
    // it in the session while the window still shows this calculation.
    void AggiornaApprofondimento(const std::function<void(fv::Approfondimento&)>& modifica);
    void AvviaIncertezza();
    void AvviaDimensioni();
    void EsportaOrario();
    void MostraSito();
    void Ricalcola();
    void Svuota(const QString& nota);
    void ParametroScritto(const std::string& nome, const QString& testo);
    void Ricorda() const;
    void Richiama();

    fv::Sessione& sessione_;
    fv::Analisi analisi_;
    std::optional<fv::Risultato> risultato_;
    int calcolo_ = 0; // the session's calculation the result is of
    std::optional<fv::RisultatoBilancio> bilancio_;
    std::optional<fv::RisultatoConvenienza> convenienza_;
    std::optional<fv::Approfondimento> approfondimento_;
    std::vector<fv::Parametro> parametri_;
    bool caricamento_ = false;
    int generazioneIncertezza_ = 0; // the economics the Monte Carlo on its way is of

    std::vector<std::pair<QDoubleSpinBox*, const fv::OpzioneNumero*>> numeri_;
    QComboBox* modo_ = nullptr;
    QStackedWidget* pagine_ = nullptr;
    QDoubleSpinBox* annuo_ = nullptr;
    QComboBox* profilo_ = nullptr;
    QLineEdit* fasce_ = nullptr;
    QLineEdit* file_ = nullptr;
    QDoubleSpinBox* capacita_ = nullptr;
    QDoubleSpinBox* potenza_ = nullptr;
    QDoubleSpinBox* rendimento_ = nullptr;
    QComboBox* strategia_ = nullptr;
    QLineEdit* prezziFasce_ = nullptr;
    QSpinBox* anno_ = nullptr;
    QCheckBox* giorniMedi_ = nullptr;
    QDateEdit* dataSpesa_ = nullptr;
    QDateEdit* dataEsercizio_ = nullptr;
    static inline const QDate kEsercizioComeSpesa{2000, 1, 1};
    QCheckBox* secondaCasa_ = nullptr;
    QCheckBox* contributoPnrr_ = nullptr;
    QDoubleSpinBox* impostaLorda_ = nullptr;
    QLabel* sito_ = nullptr;
    QLabel* nota_ = nullptr;
    QTabWidget* schede_ = nullptr;
    QPushButton* esporta_ = nullptr;
    fv::SchedaBilancio* bilancioScheda_ = nullptr;
    fv::SchedaConvenienza* convenienzaScheda_ = nullptr;
    fv::SchedaSicurezza* sicurezzaScheda_ = nullptr;
    fv::SchedaMeteo* meteoScheda_ = nullptr;
    fv::SchedaDimensioni* dimensioniScheda_ = nullptr;
    fv::SchedaImpianto* impiantoScheda_ = nullptr;
    fv::SchedaConsumi* consumiScheda_ = nullptr;
};
