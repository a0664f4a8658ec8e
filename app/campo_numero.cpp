// SPDX-License-Identifier: MIT
#include "app/campo_numero.h"

#include "calc/numeri.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

namespace fv {

CampoNumero::CampoNumero(QWidget* genitore) : QDoubleSpinBox(genitore)
{
    // The value is taken when the field is left or Enter pressed: on the
    // way to "2,700" the field would otherwise take 2,7 as it passes.
    setKeyboardTracking(false);
}

QString CampoNumero::Nudo(const QString& testo) const
{
    QString t = testo;
    if (!suffix().isEmpty() && t.endsWith(suffix()))
        t.chop(suffix().size());
    else if (!suffix().trimmed().isEmpty() && t.trimmed().endsWith(suffix().trimmed()))
        t = t.trimmed().chopped(suffix().trimmed().size());
    if (!prefix().isEmpty() && t.startsWith(prefix()))
        t.remove(0, prefix().size());
    return t.trimmed();
}

std::optional<double> CampoNumero::Leggi(const QString& testo, QString* ambiguita) const
{
    const QString t = Nudo(testo);
    if (t.isEmpty())
        return std::nullopt;
    try {
        return LeggiNumeroPersona(t.toStdString(), Campo::Energia);
    } catch (const ErroreAmbiguo& e) {
        if (ambiguita)
            *ambiguita = QString::fromStdString(e.Spiegazione());
    } catch (const Errore&) {
    }
    return std::nullopt;
}

QValidator::State CampoNumero::validate(QString& testo, int&) const
{
    const QString t = Nudo(testo);
    // What may still become a number while it is typed.
    if (t.isEmpty() || t == QLatin1String("-") || t == QLatin1String("+") || t.endsWith(u'.') || t.endsWith(u','))
        return QValidator::Intermediate;
    QString ambiguita;
    const std::optional<double> v = Leggi(testo, &ambiguita);
    if (!v)
        return ambiguita.isEmpty() ? QValidator::Invalid : QValidator::Intermediate;
    return *v >= minimum() && *v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

double CampoNumero::valueFromText(const QString& testo) const
{
    return Leggi(testo).value_or(value());
}

void CampoNumero::fixup(QString&) const
{
    // Qt's own fixup drops what it takes for thousands separators ("2,5" ->
    // "25" in an English locale): nothing is changed here, and a text that
    // is not taken goes back to the last value.
}

void CampoNumero::Conferma()
{
    // A text read two ways is not taken; the person is told why.
    spiegazione_.clear();
    Leggi(lineEdit()->text(), &spiegazione_);
    if (!spiegazione_.isEmpty())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), spiegazione_, this);
}

void CampoNumero::focusOutEvent(QFocusEvent* evento)
{
    Conferma();
    QDoubleSpinBox::focusOutEvent(evento);
}

void CampoNumero::keyPressEvent(QKeyEvent* evento)
{
    if (evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter)
        Conferma();
    QDoubleSpinBox::keyPressEvent(evento);
}

} // namespace fv
