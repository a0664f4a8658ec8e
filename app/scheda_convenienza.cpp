// SPDX-License-Identifier: MIT
#include "app/scheda_convenienza.h"

#include "app/aspetto.h"
#include "app/pezzi_dialogo.h"
#include "app/relazione.h"
#include "chart/grafico.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChartView> // the views are made and drawn in chart/; here only laid out

namespace fv {

SchedaConvenienza::SchedaConvenienza(QWidget* parent) : QWidget(parent)
{
    economia_ = new QLabel(this);
    economia_->setTextFormat(Qt::RichText);
    economia_->setWordWrap(true);
    cassa_ = CreaGraficoVuoto(this, QStringLiteral("Flusso di cassa cumulato"));
    anni_ = new QTableWidget(this);
    parametri_ = new QTableWidget(this);
    parametri_->setObjectName(QStringLiteral("parametri"));
    auto* ripristina = new QPushButton(QStringLiteral("Ripristina i valori del file dati"), this);
    connect(ripristina, &QPushButton::clicked, this, &SchedaConvenienza::ripristina);
    connect(parametri_, &QTableWidget::itemChanged, this, &SchedaConvenienza::Cambiato);
    auto* schede = new QTabWidget(this);
    schede->addTab(cassa_, QStringLiteral("Flusso di cassa"));
    casoAnni_ = new QComboBox(this);
    casoAnni_->setAccessibleName(QStringLiteral("Caso della tabella"));
    connect(casoAnni_, &QComboBox::activated, this, &SchedaConvenienza::MostraAnni);
    auto* pannelloAnni = new QWidget(this);
    auto* va = new QVBoxLayout(pannelloAnni);
    va->addWidget(casoAnni_, 0, Qt::AlignLeft);
    va->addWidget(anni_, 1);
    schede->addTab(pannelloAnni, QStringLiteral("Anno per anno"));
    auto* pannelloParametri = new QWidget(this);
    auto* vp = new QVBoxLayout(pannelloParametri);
    vp->addWidget(parametri_);
    vp->addWidget(ripristina, 0, Qt::AlignRight);
    schede->addTab(pannelloParametri, QStringLiteral("Parametri"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(economia_);
    v->addWidget(schede, 1);
}

// The headline figures side by side, the cumulative cash flow of both cases
// and, when weighed, the Monte Carlo's P10 and P90 of the case on show.
void SchedaConvenienza::Mostra(const Approfondimento& a)
{
    convenienza_ = a.convenienza;
    const bool batteria = a.richiesta.batteria.capacita > 0;
    economia_->setText(TabellaHtml(RiepilogoConvenienza(a.convenienza.senza, a.convenienza.con, FormatoUtente(), batteria))
                       + QStringLiteral("<p><small>%1</small></p>").arg(QString::fromUtf8(kRegimeNuoviImpianti)));
    std::vector<SerieGrafico> cassa = {{QStringLiteral("Senza batteria"), {}}};
    for (const AnnoFlusso& x : a.convenienza.senza.anni)
        cassa[0].valori.push_back(x.cumulato);
    if (batteria) {
        cassa.push_back({QStringLiteral("Con batteria"), {}});
        for (const AnnoFlusso& x : a.convenienza.con.anni)
            cassa[1].valori.push_back(x.cumulato);
    }
    if (a.incertezza) {
        const QString caso = a.incertezza->conBatteria ? QStringLiteral("con batteria") : QStringLiteral("senza");
        SerieGrafico p10{QStringLiteral("P10 (%1)").arg(caso), {}}, p90{QStringLiteral("P90 (%1)").arg(caso), {}};
        for (const Percentili& p : a.incertezza->montecarlo.cumulato) {
            p10.valori.push_back(p.p10);
            p90.valori.push_back(p.p90);
        }
        cassa.push_back(p10);
        cassa.push_back(p90);
    }
    RiempiLinee(*cassa_, QStringLiteral("Flusso di cassa cumulato: attraversa lo zero al tempo di ritorno"), cassa,
                QStringLiteral("anno"), QStringLiteral("€"));
    const int scelto = casoAnni_->currentIndex();
    casoAnni_->clear();
    casoAnni_->addItem(QStringLiteral("Senza batteria"));
    if (batteria)
        casoAnni_->addItem(QStringLiteral("Con batteria"));
    casoAnni_->setCurrentIndex(batteria ? (scelto == 0 ? 0 : 1) : 0);
    MostraAnni();
}

void SchedaConvenienza::Svuota()
{
    convenienza_.reset();
    economia_->clear();
    anni_->clear();
    anni_->setRowCount(0);
    anni_->setColumnCount(0);
    casoAnni_->clear();
    SvuotaGrafico(*cassa_);
}

void SchedaConvenienza::MostraAnni()
{
    if (!convenienza_)
        return;
    const bool con = casoAnni_->currentIndex() == 1;
    RiempiTabella(anni_, TabellaConvenienza(con ? convenienza_->con : convenienza_->senza, FormatoUtente()));
}

void SchedaConvenienza::MostraParametri(const std::vector<Parametro>& parametri)
{
    riempimento_ = true;
    const FormatoNumeri f = FormatoUtente();
    nomi_.clear();
    parametri_->clear();
    parametri_->setColumnCount(5);
    parametri_->setHorizontalHeaderLabels({QStringLiteral("Parametro"), QStringLiteral("Valore"), QStringLiteral("Unità"),
                                          QStringLiteral("Fonte"), QStringLiteral("Validità")});
    parametri_->setRowCount(int(parametri.size()));
    for (std::size_t i = 0; i < parametri.size(); ++i) {
        const Parametro& p = parametri[i];
        nomi_.push_back(p.nome);
        const QStringList celle = {QString::fromStdString(p.descrizione), QString::fromStdString(TestoNumero(p.valore, f)),
                                   QString::fromStdString(p.unita), QString::fromStdString(p.fonte),
                                   QString::fromStdString(PeriodoLeggibile(p))};
        for (int c = 0; c < 5; ++c) {
            auto* voce = new QTableWidgetItem(celle[c]);
            if (c != 1)
                voce->setFlags(voce->flags() & ~Qt::ItemIsEditable);
            // The whole text where the cell cuts it: name, description, source and date.
            voce->setData(Qt::UserRole, QString::fromStdString(p.nome));
            voce->setToolTip(QStringLiteral("<p><b>%1</b>: %2</p><p>Fonte: %3 (%4)</p>")
                                 .arg(QString::fromStdString(p.nome), celle[0].toHtmlEscaped(), celle[3].toHtmlEscaped(),
                                      celle[4].isEmpty() ? QStringLiteral("senza data") : celle[4]));
            parametri_->setItem(int(i), c, voce);
        }
    }
    parametri_->setWordWrap(true);
    parametri_->setColumnWidth(0, 320);
    parametri_->setColumnWidth(3, 320);
    parametri_->resizeRowsToContents();
    riempimento_ = false;
}

void SchedaConvenienza::Cambiato(QTableWidgetItem* voce)
{
    if (riempimento_ || voce->column() != 1 || voce->row() < 0 || std::size_t(voce->row()) >= nomi_.size())
        return;
    emit parametroScritto(nomi_[std::size_t(voce->row())], voce->text());
}

SchedaSicurezza::SchedaSicurezza(QWidget* parent) : QWidget(parent)
{
    testo_ = new QLabel(this);
    testo_->setWordWrap(true);
    tornado_ = CreaGraficoVuoto(this, QStringLiteral("Parametri più influenti"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(2, 2, 2, 2);
    v->addWidget(testo_);
    v->addWidget(tornado_, 1);
}

void SchedaSicurezza::InCorso() { testo_->setText(QStringLiteral("Calcolo delle probabilità…")); }

void SchedaSicurezza::NonCalcolabile()
{
    testo_->setText(QStringLiteral("Le probabilità non si possono calcolare con questi parametri."));
}

// The tornado's bars as the command line's table names them.
void SchedaSicurezza::Mostra(const RisultatoIncertezza& i, double vanCentrale)
{
    testo_->setText(RigaIncertezza(i, FormatoUtente()));
    const std::vector<QStringList> tabella = TabellaIncertezza(i, FormatoUtente());
    const auto vuota = std::find_if(tabella.begin(), tabella.end(), [](const QStringList& r) { return r.isEmpty(); });
    std::vector<BarraOrizzontale> barre;
    for (std::size_t k = 0; k < i.tornado.size() && k < 7; ++k) {
        const auto riga = vuota == tabella.end() ? tabella.end() : vuota + 2 + std::ptrdiff_t(k);
        const QString nome = riga < tabella.end() ? riga->value(0) : QString::fromStdString(i.tornado[k].nome);
        barre.push_back({nome, i.tornado[k].vanBasso, i.tornado[k].vanAlto});
    }
    RiempiTornado(*tornado_, QStringLiteral("VAN con ogni parametro al basso e all'alto (gli altri al loro valore)"), barre,
                  vanCentrale, QStringLiteral("VAN rispetto al valore centrale (€)"));
}

void SchedaSicurezza::Svuota()
{
    testo_->clear();
    SvuotaGrafico(*tornado_);
}

} // namespace fv
