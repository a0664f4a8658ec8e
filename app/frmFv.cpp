// SPDX-License-Identifier: MIT
#include "app/frmFv.h"

#include "app/aspetto.h"
#include "app/icona.h"
#include "app/inventario.h"
#include "app/messaggi.h"
#include "chart/grafico.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QScreen>
#include <QScrollBar>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolTip>
#include <QtCharts/QChartView>

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace {

// An option button chosen by a click anywhere on its coloured box, not only
// on the indicator and the caption.
class PulsanteOpzione final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& punto) const override { return rect().contains(punto); }

    // Tab enters a group at its selected button, whichever comes first in
    // the tab order.
    void focusInEvent(QFocusEvent* evento) override
    {
        const bool tab = evento->reason() == Qt::TabFocusReason || evento->reason() == Qt::BacktabFocusReason;
        if (tab && !isChecked()) {
            for (QRadioButton* altro : parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
                if (altro != this && altro->isChecked()) {
                    altro->setFocus(evento->reason());
                    return;
                }
            }
        }
        QRadioButton::focusInEvent(evento);
    }
};

// A list box whose open list is wide enough for its longest item, even
// where the closed box is narrow (the province box is 57 pixels wide).
class ElencoATendina final : public QComboBox {
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        QAbstractItemView* vista = view();
        const int larghezza = vista->sizeHintForColumn(0) + vista->verticalScrollBar()->sizeHint().width() + 8;
        const int schermo = screen() ? screen()->availableGeometry().width() : larghezza;
        vista->setMinimumWidth(std::min(std::max(larghezza, width()), schermo));
        QComboBox::showPopup();
    }
};

QString NomeOggetto(const fv::Controllo& c)
{
    const QString nome = QString::fromLatin1(c.nome);
    return c.indice >= 0 ? QStringLiteral("%1(%2)").arg(nome).arg(c.indice) : nome;
}

void ApplicaRuolo(QWidget* w, fv::Ruolo ruolo)
{
    QPalette p = w->palette();
    switch (ruolo) {
    case fv::Ruolo::Input:
    case fv::Ruolo::Risultato:
        p.setColor(QPalette::Base, fv::SfondoRuolo(ruolo));
        break;
    case fv::Ruolo::RisultatoChiave:
        p.setColor(QPalette::Base, fv::SfondoRuolo(ruolo));
        p.setColor(QPalette::Text, QColor(255, 0, 0));
        w->setFont(fv::CarattereFinestra(true));
        break;
    case fv::Ruolo::Etichetta:
    case fv::Ruolo::Cornice:
        p.setColor(QPalette::Window, fv::SfondoRuolo(ruolo));
        w->setAutoFillBackground(true);
        break;
    case fv::Ruolo::Pulsante:
        p.setColor(QPalette::Button, fv::SfondoRuolo(ruolo));
        w->setFont(fv::CarattereFinestra(true));
        break;
    case fv::Ruolo::Nessuno:
        return;
    }
    w->setPalette(p);
}

// The text of the item just picked. It is the box's own text too, except
// that an edit field may hold a shortened copy of a very long one.
QString TestoScelto(const QComboBox* box)
{
    const int i = box->currentIndex();
    return i >= 0 ? box->itemText(i) : box->currentText();
}

fv::FormatoNumeri FormatoUtente()
{
    const QLocale locale = QLocale::system();
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

} // namespace

frmFv::frmFv(QWidget* parent, const QString& cartellaDati)
    : QWidget(parent), funzioni(cartellaDati), formato_(FormatoUtente())
{
    CreaControlli();
    CollegaEventi();
    Form_Load();
}

frmFv::~frmFv() = default;

void frmFv::CreaControlli()
{
    setObjectName(QStringLiteral("frmFv"));
    setWindowTitle(QString::fromUtf8(fv::kTitolo));
    setWindowIcon(fv::IconaProgramma());
    setFont(fv::CarattereFinestra());
    QPalette bianco = palette();
    bianco.setColor(QPalette::Window, Qt::white);
    setPalette(bianco);
    setAutoFillBackground(true);
    setFixedSize(fv::RettangoloPixel({0, 0, fv::kLarghezzaClienteTwip, fv::kAltezzaClienteTwip}).size());

    std::map<QString, QWidget*> contenitori;
    std::vector<std::pair<int, QWidget*>> ordine;
    for (const fv::Controllo& c : fv::kInventario) {
        QWidget* genitore = c.contenitore ? contenitori.at(QString::fromLatin1(c.contenitore)) : this;
        const QString testo = c.testo ? QString::fromUtf8(c.testo) : QString();
        QWidget* w = nullptr;
        switch (c.tipo) {
        case fv::Tipo::Etichetta: {
            auto* l = new QLabel(testo, genitore);
            l->setFrameShape(QFrame::Box);
            l->setAlignment(Qt::AlignCenter);
            l->setWordWrap(true);
            w = l;
            break;
        }
        case fv::Tipo::Testo: {
            auto* e = new QLineEdit(testo, genitore);
            e->setMaxLength(std::numeric_limits<int>::max());
            e->setCursorPosition(0);
            w = e;
            break;
        }
        case fv::Tipo::Combo: {
            auto* b = new ElencoATendina(genitore);
            b->setEditable(true);
            b->setInsertPolicy(QComboBox::NoInsert);
            // Typing into the field looks nothing up: no completer, which
            // would pick a matching item and report it as chosen.
            b->setCompleter(nullptr);
            // The box also picks the item whose name was typed once editing
            // ends (Enter, focus leaving) and reports it as activated: a
            // typed text is never a pick here.
            QObject::disconnect(b->lineEdit(), &QLineEdit::editingFinished, b, nullptr);
            b->setMaxVisibleItems(20);
            b->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
            w = b;
            break;
        }
        case fv::Tipo::Cornice:
            w = new QGroupBox(testo, genitore);
            contenitori[NomeOggetto(c)] = w;
            break;
        case fv::Tipo::Opzione: {
            auto* o = new PulsanteOpzione(testo, genitore);
            o->setChecked(c.selezionato);
            w = o;
            break;
        }
        case fv::Tipo::Pulsante: {
            auto* p = new QPushButton(testo, genitore);
            p->setAutoDefault(true); // Enter, like Space, presses the focused button
            w = p;
            break;
        }
        case fv::Tipo::Linea: {
            auto* f = new QFrame(genitore);
            QPalette p = f->palette();
            p.setColor(QPalette::Window, p.color(QPalette::WindowText));
            f->setPalette(p);
            f->setAutoFillBackground(true);
            w = f;
            break;
        }
        case fv::Tipo::Grafico:
            w = fv::CreaGrafico(genitore);
            break;
        }
        w->setObjectName(NomeOggetto(c));
        if (c.tipo == fv::Tipo::Linea) {
            // One pixel thick, from the first end point to the second, both included.
            const QRect a = fv::RettangoloPixel({c.twip.left, c.twip.top, 0, 0});
            const QRect b = fv::RettangoloPixel({c.twip.left + c.twip.width, c.twip.top + c.twip.height, 0, 0});
            w->setGeometry(QRect(a.topLeft(), b.topLeft()).normalized());
        } else {
            w->setGeometry(fv::RettangoloPixel(c.twip));
        }
        ApplicaRuolo(w, c.ruolo);
        if (c.tab >= 0 && w->focusPolicy() != Qt::NoFocus)
            ordine.emplace_back(c.tab, w);
    }

    std::sort(ordine.begin(), ordine.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < ordine.size(); ++i)
        QWidget::setTabOrder(ordine[i - 1].second, ordine[i].second);

    const auto trova = [this](auto*& puntatore, const QString& nome) {
        using T = std::remove_pointer_t<std::remove_reference_t<decltype(puntatore)>>;
        puntatore = findChild<T*>(nome);
        Q_ASSERT(puntatore);
    };
    trova(cmbProvincia, QStringLiteral("cmbProvincia"));
    trova(cmbComuneLat, QStringLiteral("cmbComuneLat"));
    trova(cmbComuneRad, QStringLiteral("cmbComuneRad"));
    trova(cmbRiflettanza, QStringLiteral("cmbRiflettanza"));
    trova(txtLatitudine, QStringLiteral("txtLatitudine"));
    trova(txtRiflettanza, QStringLiteral("txtRiflettanza"));
    trova(txtTilt, QStringLiteral("txtTilt"));
    trova(txtAzimut, QStringLiteral("txtAzimut"));
    trova(txtPow, QStringLiteral("txtPow"));
    trova(txtEffGen, QStringLiteral("txtEffGen"));
    trova(txtEffInv, QStringLiteral("txtEffInv"));
    trova(txtEnergia, QStringLiteral("txtEnergia"));
    trova(txtRapp, QStringLiteral("txtRapp"));
    trova(txtAnnuo, QStringLiteral("txtAnnuo"));
    trova(txtCostoKwh, QStringLiteral("txtCostoKwh"));
    trova(txtTotAnnua, QStringLiteral("txtTotAnnua"));
    trova(txtTotAnnua2, QStringLiteral("txtTotAnnua2"));
    for (int i = 0; i < 12; ++i) {
        trova(txtMese[static_cast<std::size_t>(i)], QStringLiteral("txtMese(%1)").arg(i));
        trova(txtMese2[static_cast<std::size_t>(i)], QStringLiteral("txtMese2(%1)").arg(i));
    }
    for (int i = 0; i < 3; ++i) {
        trova(optInt[static_cast<std::size_t>(i)], QStringLiteral("optInt(%1)").arg(i));
        trova(optPow[static_cast<std::size_t>(i)], QStringLiteral("optPow(%1)").arg(i));
    }
    trova(cmdCalcola, QStringLiteral("cmdCalcola"));
    trova(msc1, QStringLiteral("msc1"));
    DescriviPerAccessibilita();
    cmbProvincia->setFocus();
}

void frmFv::DescriviPerAccessibilita()
{
    // A screen reader says "Latitudine (°)", not "text box": each field is
    // named by its label, and the label points at it.
    for (const fv::Didascalia& d : fv::Didascalie()) {
        auto* campo = findChild<QWidget*>(d.campo);
        auto* etichetta = findChild<QLabel*>(d.etichetta);
        auto* intestazione = findChild<QLabel*>(d.descrizione);
        etichetta->setBuddy(campo);
        campo->setAccessibleName(etichetta->text());
        campo->setAccessibleDescription(intestazione ? intestazione->text() : d.descrizione);
    }
    cmdCalcola->setAccessibleName(cmdCalcola->text());
    cmdCalcola->setAccessibleDescription(
        QStringLiteral("Calcola la radiazione sul piano dei moduli, l'energia annua, la tariffa e il ricavo"));
    for (QGroupBox* gruppo : findChildren<QGroupBox*>()) {
        gruppo->setAccessibleName(gruppo->title());
        for (QRadioButton* o : gruppo->findChildren<QRadioButton*>()) {
            o->setAccessibleName(o->text());
            o->setAccessibleDescription(gruppo->title());
        }
    }
    msc1->setAccessibleName(QStringLiteral("Grafico della radiazione giornaliera media mensile"));
    msc1->setAccessibleDescription(QStringLiteral("Orizzontale e sul piano dei moduli, kWh/m² al giorno"));
}

void frmFv::CollegaEventi()
{
    connect(cmbProvincia, &QComboBox::activated, this, &frmFv::cmbProvincia_Click);
    connect(cmbComuneRad, &QComboBox::activated, this, &frmFv::cmbComuneRad_Click);
    connect(cmbComuneLat, &QComboBox::activated, this, &frmFv::cmbComuneLat_Click);
    connect(cmbRiflettanza, &QComboBox::activated, this, &frmFv::cmbRiflettanza_Click);
    connect(cmdCalcola, &QPushButton::clicked, this, &frmFv::cmdCalcola_Click);
    connect(txtPow, &QLineEdit::textChanged, this, &frmFv::txtPow_Change);
    // Enter in an input field calculates, as users of a calculator expect.
    for (QLineEdit* e : {txtLatitudine, txtRiflettanza, txtTilt, txtAzimut, txtPow, txtEffGen, txtEffInv})
        connect(e, &QLineEdit::returnPressed, this, &frmFv::cmdCalcola_Click);
}

template<typename Corpo>
void frmFv::Esegui(Corpo corpo)
{
    try {
        corpo();
    } catch (...) {
        RiportaErrore(std::current_exception());
    }
}

void frmFv::RiportaErrore(const std::exception_ptr& errore)
{
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(fv::kTitolo),
                    fv::MessaggioErrore(errore, formato_, funzioni.PercorsoFile()), QMessageBox::Ok,
                    this);
    box.exec();
}

fv::ContestoDati frmFv::Contesto() { return {funzioni, rsDati, sqlText}; }

void frmFv::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (mostrata)
        return;
    mostrata = true;
    if (erroreAvvio) {
        // The window opens first; the start-up failure is then reported over it.
        QTimer::singleShot(0, this, [this] {
            const std::exception_ptr errore = std::exchange(erroreAvvio, nullptr);
            RiportaErrore(errore);
        });
    }
}

void frmFv::Form_Load()
{
    giorniMese = fv::kGiorniMese;
    etichetteMesi = {QStringLiteral("gen"), QStringLiteral("feb"), QStringLiteral("mar"),
                     QStringLiteral("apr"), QStringLiteral("mag"), QStringLiteral("giu"),
                     QStringLiteral("lug"), QStringLiteral("ago"), QStringLiteral("set"),
                     QStringLiteral("ott"), QStringLiteral("nov"), QStringLiteral("dic")};
    try {
        fv::CaricaElenchiIniziali(Contesto(), *this);
    } catch (...) {
        erroreAvvio = std::current_exception();
    }
}

void frmFv::cmbProvincia_Click()
{
    Esegui([this] {
        provinciaElenchi = TestoScelto(cmbProvincia);
        fv::ProvinciaScelta(Contesto(), provinciaElenchi, *this);
    });
}

void frmFv::cmbComuneRad_Click()
{
    Esegui([this] {
        fv::ComuneRadScelto(Contesto(), provinciaElenchi, TestoScelto(cmbComuneRad), giorniMese,
                            formato_, *this);
    });
}

void frmFv::cmbComuneLat_Click()
{
    Esegui([this] {
        fv::ComuneLatScelto(Contesto(), provinciaElenchi, TestoScelto(cmbComuneLat), formato_,
                            *this);
    });
}

void frmFv::cmbRiflettanza_Click()
{
    Esegui([this] {
        fv::RiflettanzaScelta(Contesto(), TestoScelto(cmbRiflettanza), formato_, *this);
    });
}

void frmFv::cmdCalcola_Click()
{
    Esegui([this] {
        const fv::InputCalcolo input{
            txtLatitudine->text().toStdString(), txtRiflettanza->text().toStdString(),
            txtTilt->text().toStdString(),       txtAzimut->text().toStdString(),
            txtPow->text().toStdString(),        txtEffGen->text().toStdString(),
            txtEffInv->text().toStdString(),     cmbComuneRad->currentText().toStdString()};
        if (!fv::Calcola(input, radOriz_, giorniMese, formato_, *this))
            return;
        fv::RiempiGrafico(*msc1, etichetteMesi, radOriz_, radInc_);
        const int fascia = fv::IndiceOpzione(
            {optPow[0]->isChecked(), optPow[1]->isChecked(), optPow[2]->isChecked()});
        const int integrazione = fv::IndiceOpzione(
            {optInt[0]->isChecked(), optInt[1]->isChecked(), optInt[2]->isChecked()});
        fv::ScriviTariffaRicavo(txtEnergia->text().toStdString(), fascia, integrazione, formato_,
                                *this);
    });
}

void frmFv::txtPow_Change()
{
    // Runs at every keystroke: a text on its way to a number ("-" before
    // "-1") must not raise a modal box. The note stays at the field instead,
    // and the band stays as it was.
    try {
        const std::optional<int> fascia = fv::FasciaDaTesto(txtPow->text().toStdString(), formato_);
        if (fascia)
            optPow[static_cast<std::size_t>(*fascia)]->setChecked(true);
        if (!txtPow->toolTip().isEmpty()) {
            txtPow->setToolTip({});
            QToolTip::hideText();
        }
    } catch (...) {
        const QString nota = fv::MessaggioErrore(std::current_exception(), formato_, {});
        txtPow->setToolTip(nota);
        if (txtPow->isVisible())
            QToolTip::showText(txtPow->mapToGlobal(QPoint(0, txtPow->height())), nota, txtPow);
    }
}

void frmFv::AggiungiRiflettanza(const QString& superficie)
{
    cmbRiflettanza->addItem(superficie);
    cmbRiflettanza->setCurrentIndex(-1); // filling chooses nothing
}

void frmFv::AggiungiProvincia(const QString& provincia)
{
    cmbProvincia->addItem(provincia);
    cmbProvincia->setCurrentIndex(-1);
}

void frmFv::SvuotaComuniLat()
{
    cmbComuneLat->clear();
    cmbComuneLat->clearEditText();
}

void frmFv::AggiungiComuneLat(const QString& comune)
{
    cmbComuneLat->addItem(comune);
    cmbComuneLat->setCurrentIndex(-1);
}

void frmFv::SvuotaComuniRad()
{
    cmbComuneRad->clear();
    cmbComuneRad->clearEditText();
}

void frmFv::AggiungiComuneRad(const QString& comune)
{
    cmbComuneRad->addItem(comune);
    cmbComuneRad->setCurrentIndex(-1);
}

void frmFv::ScriviRadOriz(int mese0, double valore) { radOriz_[static_cast<std::size_t>(mese0)] = valore; }

void frmFv::ScriviMese(int mese0, const QString& testo) { txtMese[static_cast<std::size_t>(mese0)]->setText(testo); }

void frmFv::ScriviTotAnnua(const QString& testo) { txtTotAnnua->setText(testo); }

void frmFv::ScriviLatitudine(const QString& testo) { txtLatitudine->setText(testo); }

void frmFv::ScriviRiflettanza(const QString& testo) { txtRiflettanza->setText(testo); }

void frmFv::ScriviRadInc(int mese0, double valore) { radInc_[static_cast<std::size_t>(mese0)] = valore; }

void frmFv::ScriviCampo(fv::Campo campo, int indice, const std::string& testo)
{
    QLineEdit* campoTesto = nullptr;
    switch (campo) {
    case fv::Campo::Mese2: campoTesto = txtMese2[static_cast<std::size_t>(indice)]; break;
    case fv::Campo::TotAnnua2: campoTesto = txtTotAnnua2; break;
    case fv::Campo::Rapporto: campoTesto = txtRapp; break;
    case fv::Campo::Energia: campoTesto = txtEnergia; break;
    case fv::Campo::CostoKwh: campoTesto = txtCostoKwh; break;
    case fv::Campo::Annuo: campoTesto = txtAnnuo; break;
    default: return; // inputs are never written by the calculation
    }
    campoTesto->setText(QString::fromStdString(testo));
    campoTesto->setCursorPosition(0);
}
