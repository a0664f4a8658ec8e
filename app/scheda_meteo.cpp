// SPDX-License-Identifier: MIT
#include "app/scheda_meteo.h"

#include "app/aspetto.h"
#include "app/opzioni.h"
#include "app/pezzi_dialogo.h"
#include "app/relazione.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace fv {

SchedaMeteo::SchedaMeteo(QWidget* parent) : QWidget(parent)
{
    auto* forma = new QFormLayout;
    modo_ = new QComboBox(this);
    modo_->setObjectName(QStringLiteral("meteoModo"));
    modo_->addItems({QStringLiteral("dal clima del comune"), QStringLiteral("da file…")});
    forma->addRow(QStringLiteral("Anno meteorologico"), modo_);
    forma->addRow(CreaCampi());
    tabella_ = new QTableWidget(this);
    tabella_->setObjectName(QStringLiteral("tabellaMeteo"));
    tabella_->verticalHeader()->setVisible(false);
    info_ = new QLabel(this);
    info_->setTextFormat(Qt::RichText);
    info_->setWordWrap(true);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* nota = new QLabel(QString::fromUtf8(kNotaPerditeMeteo), this);
    nota->setWordWrap(true);
    auto* v = new QVBoxLayout(this);
    v->addLayout(forma);
    auto* sotto = new QHBoxLayout;
    sotto->addWidget(tabella_, 5);
    sotto->addWidget(info_, 3, Qt::AlignTop);
    v->addLayout(sotto, 1);
    v->addWidget(nota);
    // The user's picks, not a refill of the lists.
    connect(modo_, &QComboBox::activated, this, [this] {
        campi_->setVisible(modo_->currentIndex() == 1);
        emit cambiata();
    });
}

// The file's fields: the file, the horizon, the sky model, the system losses.
QWidget* SchedaMeteo::CreaCampi()
{
    campi_ = new QWidget(this);
    auto* formaFile = new QFormLayout(campi_);
    formaFile->setContentsMargins(0, 0, 0, 0);
    const auto letto = [this] { emit cambiata(); };
    formaFile->addRow(QStringLiteral("File orario"),
                      CampoFile(campi_, file_, QStringLiteral("fileMeteo"), QStringLiteral("anno tipo PVGIS (CSV, JSON, EPW) o file EPW"),
                                QStringLiteral("Meteo (*.csv *.json *.epw);;Tutti i file (*)"), letto));
    formaFile->addRow(QStringLiteral("Orizzonte"),
                      CampoFile(campi_, orizzonte_, QStringLiteral("orizzonte"),
                                QStringLiteral("file PVGIS, oppure coppie azimut:elevazione da nord"),
                                QStringLiteral("Orizzonte (*.csv *.txt *.json);;Tutti i file (*)"), letto));
    trasposizione_ = new QComboBox(campi_);
    trasposizione_->addItem(QStringLiteral("Perez (1990)"), QStringLiteral("perez"));
    trasposizione_->addItem(QStringLiteral("Hay-Davies (1980)"), QStringLiteral("hay-davies"));
    trasposizione_->addItem(QStringLiteral("isotropo (come il metodo mensile)"), QStringLiteral("isotropo"));
    formaFile->addRow(QStringLiteral("Cielo diffuso"), trasposizione_);
    perdite_ = NuovoNumero(campi_, Dichiarata("perdite-sistema"));
    perdite_->setToolTip(QStringLiteral("Cavi, inverter, disaccoppiamento e sporcizia: 14 % come in PVGIS."));
    formaFile->addRow(QStringLiteral("Perdite di sistema"), perdite_);
    connect(trasposizione_, &QComboBox::activated, this, letto);
    connect(perdite_, &QDoubleSpinBox::valueChanged, this, letto);
    campi_->setVisible(false);
    return campi_;
}

RichiestaMeteo SchedaMeteo::Richiesta() const
{
    RichiestaMeteo m;
    if (modo_->currentIndex() != 1)
        return m;
    m.file = file_->text().trimmed();
    m.orizzonte = orizzonte_->text().trimmed();
    LeggiTrasposizione(trasposizione_->currentData().toString().toStdString(), m.trasposizione);
    m.perditeSistema = perdite_->value();
    return m;
}

bool SchedaMeteo::FileMancante() const { return modo_->currentIndex() == 1 && file_->text().trimmed().isEmpty(); }

// The file's months in the table; where it comes from and its losses beside.
void SchedaMeteo::Mostra(const std::optional<MeteoUsato>& meteo)
{
    if (!meteo) {
        RiempiTabella(tabella_, {});
        info_->setText(QStringLiteral("Clima mensile del comune su giorni sintetici: scegliere «da file…» per un anno "
                                      "orario di PVGIS o un file EPW."));
        return;
    }
    const std::vector<QStringList> tutto = TabellaMeteo(*meteo, FormatoUtente());
    const auto vuota = std::find_if(tutto.begin(), tutto.end(), [](const QStringList& r) { return r.isEmpty(); });
    RiempiTabella(tabella_, {tutto.begin(), vuota});
    // Every column whole, the last one too: the table as wide as its columns.
    tabella_->setMinimumWidth(tabella_->horizontalHeader()->length() + 2 * tabella_->frameWidth()
                              + tabella_->verticalScrollBar()->sizeHint().width());
    QString html = QStringLiteral("<table cellspacing=3>");
    for (auto r = vuota == tutto.end() ? vuota : vuota + 1; r != tutto.end() && r + 1 != tutto.end(); ++r)
        html += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td></tr>").arg(r->value(0), r->mid(1).join(QStringLiteral("  ")));
    info_->setText(html + QStringLiteral("</table>"));
}

void SchedaMeteo::Ricorda(QSettings& s) const
{
    s.setValue(QStringLiteral("meteoModo"), modo_->currentIndex());
    s.setValue(QStringLiteral("fileMeteo"), file_->text());
    s.setValue(QStringLiteral("orizzonte"), orizzonte_->text());
    s.setValue(QStringLiteral("trasposizione"), trasposizione_->currentIndex());
    s.setValue(QString::fromLatin1(Dichiarata("perdite-sistema").chiave), perdite_->value());
}

void SchedaMeteo::Richiama(const QSettings& s)
{
    const QSignalBlocker blocco(perdite_);
    modo_->setCurrentIndex(s.value(QStringLiteral("meteoModo"), 0).toInt());
    campi_->setVisible(modo_->currentIndex() == 1);
    file_->setText(s.value(QStringLiteral("fileMeteo")).toString());
    orizzonte_->setText(s.value(QStringLiteral("orizzonte")).toString());
    trasposizione_->setCurrentIndex(s.value(QStringLiteral("trasposizione"), 0).toInt());
    const OpzioneNumero& perdite = Dichiarata("perdite-sistema");
    perdite_->setValue(s.value(QString::fromLatin1(perdite.chiave), perdite.predefinito).toDouble());
}

} // namespace fv
