// SPDX-License-Identifier: MIT
// "Autoconsumo e batteria…" and "Convenienza economica…": one dialog, one
// set of inputs (the household's consumption, a battery, the reference year,
// the economic parameters) on the session's last calculation; the balance on
// one tab, the economics on the other, recomputed as the inputs change.
#pragma once

#include "app/analisi.h"
#include "app/sessione.h"
#include "chart/grafico.h"

#include <QDate>
#include <QDialog>

#include <atomic>
#include <memory>
#include <optional>

class QCheckBox;
class QChartView;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class QTableWidgetItem;
class QTabWidget;
namespace fv {
class MappaGriglia;
}

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
    std::vector<fv::Parametro> ParametriDelFileInVigore() const;
    void ApplicaRicordati();
    void CollegaIngressi();
    QWidget* CreaSchedaBilancio();
    QWidget* CreaSchedaConvenienza();
    QWidget* CreaSchedaMeteo();
    QWidget* CreaSchedaDimensioni();
    QWidget* CampoConScelta(QWidget* genitore, QLineEdit*& campo, const QString& nome, const QString& segnaposto,
                            const QString& filtro);
    void MostraIncertezza(std::vector<fv::SerieGrafico>& cassa);
    void AvviaIncertezza();
    void AvviaDimensioni();
    void AnnullaDimensioni();
    void MostraDimensioni(const fv::GrigliaDimensioni& g);
    void EsportaOrario();
    void MostraMeteo();
    void MostraSito();
    void Ricalcola();
    void Svuota(const QString& nota);
    void MostraGrafici();
    void MostraAnni();
    void MostraGiornoMedio();
    void RiempiParametri();
    void ParametroCambiato(QTableWidgetItem* voce);
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

    QComboBox* modo_ = nullptr;
    QStackedWidget* pagine_ = nullptr;
    QDoubleSpinBox* annuo_ = nullptr;
    QComboBox* profilo_ = nullptr;
    QLineEdit* fasce_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* scegli_ = nullptr;
    QDoubleSpinBox* capacita_ = nullptr;
    QDoubleSpinBox* potenza_ = nullptr;
    QDoubleSpinBox* rendimento_ = nullptr;
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
    QLabel* riepilogo_ = nullptr;
    QChartView* mesi_ = nullptr;
    QChartView* giorno_ = nullptr;
    QComboBox* mese_ = nullptr;
    QLabel* economia_ = nullptr;
    QChartView* cassa_ = nullptr;
    QTableWidget* anni_ = nullptr;
    QComboBox* casoAnni_ = nullptr; // which case the yearly table shows
    QTableWidget* tabellaParametri_ = nullptr;
    QLabel* sicurezza_ = nullptr;      // P10, P50, P90
    QChartView* tornado_ = nullptr;
    // The year's weather: the comune's climate or an hourly file.
    QComboBox* meteoModo_ = nullptr;
    QWidget* meteoFile_ = nullptr;
    QLineEdit* fileMeteo_ = nullptr;
    QLineEdit* orizzonte_ = nullptr;
    QComboBox* trasposizione_ = nullptr;
    QDoubleSpinBox* perditeSistema_ = nullptr;
    QTableWidget* tabellaMeteo_ = nullptr;
    QLabel* notaMeteo_ = nullptr;
    QLabel* infoMeteo_ = nullptr;
    QPushButton* esporta_ = nullptr;
    // Which plant and battery: the grid, computed on another thread, dropped
    // when an input changes.
    QDoubleSpinBox* potenzaMax_ = nullptr;
    QDoubleSpinBox* superficie_ = nullptr;
    QComboBox* passoPotenza_ = nullptr;
    QDoubleSpinBox* batteriaMax_ = nullptr;
    QPushButton* dimensiona_ = nullptr;
    QLabel* esitoDimensioni_ = nullptr;
    fv::MappaGriglia* mappaDimensioni_ = nullptr;
    QChartView* curvaDimensioni_ = nullptr;
    std::shared_ptr<std::atomic<bool>> annullaDimensioni_;
    int generazioneDimensioni_ = 0;
    int generazioneIncertezza_ = 0; // the economics the Monte Carlo on its way is of
public:
    const std::optional<fv::GrigliaDimensioni>& griglia() const { return griglia_; }
private:
    std::optional<fv::GrigliaDimensioni> griglia_;
};
