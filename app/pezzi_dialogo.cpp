// SPDX-License-Identifier: MIT
#include "app/pezzi_dialogo.h"

#include "app/aspetto.h"
#include "app/campo_numero.h"
#include "app/opzioni.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace fv {

QDoubleSpinBox* NuovoNumero(QWidget* genitore, double minimo, double massimo, double valore, int decimali, const QString& unita)
{
    auto* s = new CampoNumero(genitore);
    s->setRange(minimo, massimo);
    s->setDecimals(decimali);
    s->setValue(valore);
    s->setSuffix(u' ' + unita);
    s->setLocale(LocaleNumeri());
    return s;
}

QDoubleSpinBox* NuovoNumero(QWidget* genitore, const OpzioneNumero& o)
{
    QDoubleSpinBox* s = NuovoNumero(genitore, o.minimo, o.massimo, o.predefinito, o.decimali, QString::fromUtf8(o.unita));
    s->setObjectName(QString::fromLatin1(o.chiave));
    return s;
}

void RiempiTabella(QTableWidget* t, const std::vector<QStringList>& righe)
{
    t->clear();
    if (righe.empty()) {
        t->setRowCount(0);
        t->setColumnCount(0);
        return;
    }
    t->setRowCount(int(righe.size()) - 1);
    t->setColumnCount(int(righe.front().size()));
    t->setHorizontalHeaderLabels(righe.front());
    for (std::size_t r = 1; r < righe.size(); ++r)
        for (int c = 0; c < righe[r].size(); ++c) {
            auto* voce = new QTableWidgetItem(righe[r][c]);
            voce->setFlags(voce->flags() & ~Qt::ItemIsEditable);
            t->setItem(int(r - 1), c, voce);
        }
    t->resizeColumnsToContents();
}

QWidget* CampoFile(QWidget* genitore, QLineEdit*& campo, const QString& nome, const QString& segnaposto, const QString& filtro,
                   const std::function<void()>& letto)
{
    campo = new QLineEdit(genitore);
    campo->setObjectName(nome);
    campo->setPlaceholderText(segnaposto);
    auto* scegli = new QPushButton(QStringLiteral("Scegli…"), genitore);
    auto* riga = new QWidget(genitore);
    auto* h = new QHBoxLayout(riga);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(campo, 1);
    h->addWidget(scegli);
    QLineEdit* c = campo;
    QObject::connect(scegli, &QPushButton::clicked, riga, [riga, c, filtro, letto] {
        const QString f = QFileDialog::getOpenFileName(riga, QStringLiteral("Scegli il file"), c->text(), filtro);
        if (!f.isEmpty()) {
            c->setText(f);
            letto();
        }
    });
    QObject::connect(campo, &QLineEdit::editingFinished, riga, letto);
    return riga;
}

QString TabellaHtml(const std::vector<QStringList>& righe)
{
    QString html = QStringLiteral("<table cellspacing=6>");
    for (const QStringList& r : righe) {
        if (r.isEmpty())
            continue;
        html += QStringLiteral("<tr><td>%1</td>").arg(r[0]);
        for (qsizetype c = 1; c < r.size(); ++c)
            html += QStringLiteral("<td align=right><b>%1</b></td>").arg(r[c]);
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

} // namespace fv
