// SPDX-License-Identifier: MIT
// Strumenti › Comunità energetica…: the members in a table (added, removed,
// edited, loaded from and saved to a members file), the community worked
// out on the window's site off the window's thread, with its progress and a
// way to stop it, and what it gives: the figures, the mean day with the
// shared energy, a bar per member, the split and each member's rows.
#pragma once

#include "app/comunita.h"

#include <QDialog>
#include <QFutureWatcher>

#include <atomic>
#include <memory>

class QCheckBox;
class QChartView;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLayout;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QTableWidget;

class DialogoComunita : public QDialog {
    Q_OBJECT

public:
    DialogoComunita(fv::Sessione& sessione, QWidget* parent);
    ~DialogoComunita() override;
    // The window's site must have been calculated (ErroreSenzaCalcolo otherwise).
    void Aggiorna();
    // The table's members, checked as a members file is; throws ErroreRichiesta.
    std::vector<fv::Membro> Membri() const;
    void CaricaFile(const QString& percorso);
    QString SalvaFile(const QString& percorso) const; // empty when written
    void Calcola();
    const std::optional<fv::RisultatoComunita>& risultato() const { return risultato_; }
    bool InCorso() const { return lavoro_.isRunning(); }

signals:
    void calcolata();

private:
    QWidget* CreaTabellaMembri();
    QLayout* CreaPulsanti();
    QLayout* CreaOpzioni();
    QWidget* CreaRisultati();
    void Finito();
    void Mostra();
    void Svuota(const QString& perche);
    QString TestoDellaTabella() const;

    fv::Sessione& sessione_;
    QTableWidget* membri_ = nullptr;
    QComboBox* ripartizione_ = nullptr;
    QDoubleSpinBox* quota_ = nullptr;
    QCheckBox* pnrr_ = nullptr;
    QDateEdit* esercizio_ = nullptr;
    QLineEdit* cabina_ = nullptr;
    QPushButton* calcola_ = nullptr;
    QTableWidget* cifre_ = nullptr;
    QTableWidget* esiti_ = nullptr;
    QChartView* giorno_ = nullptr;
    QChartView* barre_ = nullptr;
    QLabel* esito_ = nullptr;
    QString cartella_; // the loaded file's folder, for the members' meter files
    QString file_;
    std::optional<fv::Risultato> sito_;
    std::optional<fv::RisultatoComunita> risultato_;
    std::shared_ptr<std::atomic<bool>> annulla_;
    QFutureWatcher<std::shared_ptr<fv::RisultatoComunita>> lavoro_;
    QProgressDialog* progresso_ = nullptr;
    std::shared_ptr<std::atomic<int>> fatti_;
    std::exception_ptr errore_;
};
