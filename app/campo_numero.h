// SPDX-License-Identifier: MIT
// A number field that reads what a person types as the command line does:
// a point or a comma as the decimal separator whatever the locale, never a
// thousands separator, and a text that could be either ("2.700", "2,700")
// refused with both readings instead of guessed.
#pragma once

#include <QDoubleSpinBox>

#include <optional>

namespace fv {

class CampoNumero : public QDoubleSpinBox {
    Q_OBJECT

public:
    explicit CampoNumero(QWidget* genitore = nullptr);

    // The value of a text as typed, with or without the field's unit; none
    // when it is not a number or could be read two ways.
    std::optional<double> Leggi(const QString& testo, QString* ambiguita = nullptr) const;
    // Why the text last confirmed (Enter, or leaving the field) was not
    // taken ("«2,700» può essere 2,7 oppure 2.700 ..."), empty when it was.
    QString Spiegazione() const { return spiegazione_; }

protected:
    QValidator::State validate(QString& testo, int& posizione) const override;
    double valueFromText(const QString& testo) const override;
    void fixup(QString& testo) const override;
    void focusOutEvent(QFocusEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    QString Nudo(const QString& testo) const;
    void Conferma();
    QString spiegazione_;
};

} // namespace fv
