// SPDX-License-Identifier: MIT
// Pieces the dialog's widgets share: a number field as a person types it,
// a read-only table of texts, headline figures as an HTML table.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QDoubleSpinBox;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace fv {

struct OpzioneNumero;

// A number field in the user's locale with its unit after the value.
QDoubleSpinBox* NuovoNumero(QWidget* genitore, double minimo, double massimo, double valore, int decimali, const QString& unita);
// The field of a declared option: its range, default, decimals and unit, named by its settings key.
QDoubleSpinBox* NuovoNumero(QWidget* genitore, const OpzioneNumero& o);

// Rows of texts (the first the heading) into a read-only table; none: empty.
void RiempiTabella(QTableWidget* t, const std::vector<QStringList>& righe);

// A path field with its "Scegli…" button: `letto` runs when a file is
// chosen, or when the field is left or Enter pressed.
QWidget* CampoFile(QWidget* genitore, QLineEdit*& campo, const QString& nome, const QString& segnaposto, const QString& filtro,
                   const std::function<void()>& letto);

// Label and values, the values bold and right-aligned.
QString TabellaHtml(const std::vector<QStringList>& righe);

} // namespace fv
