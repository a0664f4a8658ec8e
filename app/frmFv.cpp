// SPDX-License-Identifier: MIT
// The calculation window: built from the window table, wired to its handlers, showing the session.
#include "app/frmFv.h"

#include "app/aspetto.h"
#include "app/icona.h"
#include "app/inventario.h"
#include "app/messaggi.h"
#include "calc/nomi.h"
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
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWheelEvent>
#include <QtCharts/QChart>
#include <QToolTip>
#include <QtCharts/QChartView>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <variant>
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

// A command button painted flat in its face colour, as the window defines it
// (the Fusion style would paint a gradient): a one-pixel frame, a darker
// face while pressed, the focus shown by a dotted rectangle inside.
class PulsanteComando final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        const QColor faccia = palette().color(QPalette::Button);
        p.fillRect(rect(), isDown() ? faccia.darker(115) : faccia);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(r);
        if (hasFocus()) {
            QPen tratteggio(palette().color(QPalette::ButtonText), 1, Qt::DotLine);
            p.setPen(tratteggio);
            p.drawRect(r.adjusted(3, 3, -3, -3));
        }
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
    }
};

// A list box whose open list is wide enough for its longest item, even
// where the closed box is narrow (the province box is 57 pixels wide).
class ElencoATendina final : public QComboBox {
public:
    explicit ElencoATendina(QWidget* genitore) : QComboBox(genitore)
    {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        // Typing into the field looks nothing up: no completer, which
        // would pick a matching item and report it as chosen.
        setCompleter(nullptr);
        // A name typed in full (in any case) is a pick once editing ends,
        // by Enter or by leaving the box; any other text picks nothing. Qt's
        // own handling would match case-sensitively, so it gives way to ours.
        QObject::disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
        QObject::connect(lineEdit(), &QLineEdit::editingFinished, this, [this] { ScegliTestoDigitato(); });
        setMaxVisibleItems(20);
        lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    }

    void showPopup() override
    {
        QAbstractItemView* vista = view();
        const int larghezza = vista->sizeHintForColumn(0) + vista->verticalScrollBar()->sizeHint().width() + 8;
        const int schermo = screen() ? screen()->availableGeometry().width() : larghezza;
        vista->setMinimumWidth(std::min(std::max(larghezza, width()), schermo));
        QComboBox::showPopup();
    }

protected:
    // The wheel over a closed list scrolls the window's owner, not the pick:
    // a pick comes from the open list or the arrow keys.
    void wheelEvent(QWheelEvent* evento) override { evento->ignore(); }

private:
    void ScegliTestoDigitato()
    {
        const QString testo = currentText();
        if (testo.isEmpty() || (currentIndex() >= 0 && itemText(currentIndex()) == testo))
            return; // nothing typed, or the item already picked
        int i = findText(testo, Qt::MatchFixedString);
        std::vector<std::string> voci;
        for (int k = 0; k < count(); ++k)
            voci.push_back(itemText(k).toStdString());
        if (i < 0) {
            // Accents, apostrophes, spaces and case aside, one item only.
            const std::string cercato = fv::NomeNormalizzato(testo.toStdString());
            const auto uguali = std::count_if(voci.begin(), voci.end(),
                                              [&](const std::string& v) { return fv::NomeNormalizzato(v) == cercato; });
            if (uguali == 1)
                i = int(std::find_if(voci.begin(), voci.end(),
                                     [&](const std::string& v) { return fv::NomeNormalizzato(v) == cercato; })
                        - voci.begin());
        }
        if (i < 0) {
            QStringList vicini;
            for (const std::string& v : fv::NomiVicini(testo.toStdString(), voci))
                vicini << QStringLiteral("«%1»").arg(QString::fromStdString(v));
            const QString nota = vicini.isEmpty()
                                     ? QStringLiteral("Nessuna voce dell'elenco si chiama «%1».").arg(testo)
                                     : QStringLiteral("Nessuna voce dell'elenco si chiama «%1»: forse %2?")
                                           .arg(testo, vicini.join(QStringLiteral(", ")));
            setToolTip(nota);
            if (isVisible())
                QToolTip::showText(mapToGlobal(QPoint(0, height())), nota, this);
            return;
        }
        setCurrentIndex(i);
        emit activated(i);
    }
};

// A line of the window: one pixel of the text colour.
class Linea final : public QFrame {
public:
    explicit Linea(QWidget* genitore) : QFrame(genitore)
    {
        QPalette p = palette();
        p.setColor(QPalette::Window, p.color(QPalette::WindowText));
        setPalette(p);
        setAutoFillBackground(true);
    }
};

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
        // A button (the option buttons) fills its background with the
        // Button colour unless told otherwise.
        w->setBackgroundRole(QPalette::Window);
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

// A value the program fills in shows its start: a long figure is read from
// its first digit.
void MostraTesto(QLineEdit* campo, const QString& testo)
{
    campo->setText(testo);
    campo->setCursorPosition(0);
}

void AggiungiVoce(QComboBox* elenco, const QString& voce)
{
    elenco->addItem(voce);
    elenco->setCurrentIndex(-1);
}

void SvuotaElenco(QComboBox* elenco)
{
    elenco->clear();
    elenco->clearEditText();
}

void Suggerisci(QWidget* campo, const QString& nota)
{
    campo->setToolTip(nota);
    if (campo->isVisible())
        QToolTip::showText(campo->mapToGlobal(QPoint(0, campo->height())), nota, campo);
}

// The field's own tooltip, if it has one, comes back in place of a note.
void TogliNota(QWidget* campo)
{
    const QString propria = campo->property("notaPropria").toString();
    if (campo->toolTip() == propria)
        return;
    campo->setToolTip(propria);
    QToolTip::hideText();
}


} // namespace

frmFv::frmFv(QWidget* parent, const QString& cartellaDati)
    : QWidget(parent), sessione_(new fv::Sessione(cartellaDati, fv::FormatoUtente(), this))
{
    ImpostaFinestra();
    CreaControlli();
    OrdinaTabulazione();
    DescriviPerAccessibilita();
    CollegaEventi();
    Form_Load();
}

frmFv::~frmFv() = default;

void frmFv::ImpostaFinestra()
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
}

void frmFv::CreaControlli()
{
    std::map<QString, QWidget*> contenitori;
    for (const fv::Controllo& c : fv::kInventario) {
        QWidget* genitore = c.contenitore ? contenitori.at(QString::fromLatin1(c.contenitore)) : this;
        QWidget* w = CreaControllo(c, genitore);
        w->setObjectName(fv::NomeOggetto(c));
        if (c.tipo == fv::Tipo::Linea) {
            // One pixel thick, from the first end point to the second, both included.
            const QRect a = fv::RettangoloPixel({c.twip.left, c.twip.top, 0, 0});
            const QRect b = fv::RettangoloPixel({c.twip.left + c.twip.width, c.twip.top + c.twip.height, 0, 0});
            w->setGeometry(QRect(a.topLeft(), b.topLeft()).normalized());
        } else {
            w->setGeometry(fv::RettangoloPixel(c.twip));
        }
        ApplicaRuolo(w, c.ruolo);
        if (c.tipo == fv::Tipo::Cornice)
            contenitori[fv::NomeOggetto(c)] = w;
        Lega(c, w);
    }
    cmbProvincia->setFocus();
}

QWidget* frmFv::CreaControllo(const fv::Controllo& c, QWidget* genitore)
{
    const QString testo = c.testo ? QString::fromUtf8(c.testo) : QString();
    switch (c.tipo) {
    case fv::Tipo::Etichetta: {
        auto* l = new QLabel(testo, genitore);
        l->setFrameShape(QFrame::Box);
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(true);
        return l;
    }
    case fv::Tipo::Testo: {
        auto* e = new QLineEdit(testo, genitore);
        e->setMaxLength(std::numeric_limits<int>::max());
        // What the window computes or reads from the file is not typed over;
        // it can still be selected and copied.
        e->setReadOnly(c.ruolo != fv::Ruolo::Input);
        e->setCursorPosition(0);
        return e;
    }
    case fv::Tipo::Combo: return new ElencoATendina(genitore);
    case fv::Tipo::Cornice: return new QGroupBox(testo, genitore);
    case fv::Tipo::Opzione: {
        auto* o = new PulsanteOpzione(testo, genitore);
        o->setChecked(c.selezionato);
        return o;
    }
    case fv::Tipo::Pulsante: {
        auto* p = new PulsanteComando(testo, genitore);
        p->setAutoDefault(true); // Enter, like Space, presses the focused button
        return p;
    }
    case fv::Tipo::Linea: return new Linea(genitore);
    case fv::Tipo::Grafico: return fv::CreaGrafico(genitore);
    }
    return nullptr;
}

void frmFv::Lega(const fv::Controllo& c, QWidget* w)
{
    // The members that the handlers use, each bound to the control of its
    // name (array elements by their index) and of the member's own kind.
    using Membro = std::variant<QComboBox**, QLineEdit**, QRadioButton**, QPushButton**, QChartView**>;
    const std::pair<const char*, Membro> membri[] = {
        {"cmbProvincia", &cmbProvincia},     {"cmbComuneLat", &cmbComuneLat},
        {"cmbComuneRad", &cmbComuneRad},     {"cmbRiflettanza", &cmbRiflettanza},
        {"txtLatitudine", &txtLatitudine},   {"txtRiflettanza", &txtRiflettanza},
        {"txtTilt", &txtTilt},               {"txtAzimut", &txtAzimut},
        {"txtPow", &txtPow},                 {"txtEffGen", &txtEffGen},
        {"txtEffInv", &txtEffInv},           {"txtEnergia", &txtEnergia},
        {"txtRapp", &txtRapp},               {"txtAnnuo", &txtAnnuo},
        {"txtCostoKwh", &txtCostoKwh},       {"txtTotAnnua", &txtTotAnnua},
        {"txtTotAnnua2", &txtTotAnnua2},     {"txtMese", txtMese.data()},
        {"txtMese2", txtMese2.data()},       {"optInt", optInt.data()},
        {"optPow", optPow.data()},           {"cmdCalcola", &cmdCalcola},
        {"msc1", &msc1},
    };
    for (const auto& [nome, membro] : membri) {
        if (std::strcmp(nome, c.nome) != 0)
            continue;
        std::visit([&](auto** m) {
            using T = std::remove_pointer_t<std::remove_reference_t<decltype(*m)>>;
            auto*& posto = m[std::max(c.indice, 0)];
            posto = qobject_cast<T*>(w);
            if (!posto)
                qFatal("frmFv: control %s is not of its member's kind", c.nome);
        }, membro);
    }
}

void frmFv::OrdinaTabulazione()
{
    std::vector<std::pair<int, QWidget*>> ordine;
    for (const fv::Controllo& c : fv::kInventario) {
        auto* w = findChild<QWidget*>(fv::NomeOggetto(c));
        if (c.tab >= 0 && w->focusPolicy() != Qt::NoFocus)
            ordine.emplace_back(c.tab, w);
    }
    std::sort(ordine.begin(), ordine.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < ordine.size(); ++i)
        QWidget::setTabOrder(ordine[i - 1].second, ordine[i].second);
}

void frmFv::DescriviPerAccessibilita()
{
    // A screen reader says "Latitudine (°)", not "text box": each field is
    // named by its label, and the label points at it.
    for (const fv::Controllo* e : fv::Etichette()) {
        auto* campo = findChild<QWidget*>(QString::fromLatin1(e->campo));
        auto* etichetta = findChild<QLabel*>(fv::NomeOggetto(*e));
        const QString descrizione = QString::fromUtf8(e->descrizione);
        auto* intestazione = findChild<QLabel*>(descrizione);
        etichetta->setBuddy(campo);
        campo->setAccessibleName(etichetta->text());
        campo->setAccessibleDescription(intestazione ? intestazione->text() : descrizione);
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
    const auto nonAggiornati = [this] { SegnaRisultati(false); };
    const auto ingressi = {txtLatitudine, txtRiflettanza, txtTilt, txtAzimut, txtPow, txtEffGen, txtEffInv};
    for (QLineEdit* e : ingressi) {
        // A note at the field lasts until the field changes.
        connect(e, &QLineEdit::textChanged, e, [e] { TogliNota(e); });
        connect(e, &QLineEdit::textChanged, this, nonAggiornati);
        // Enter in an input field calculates, as users of a calculator expect.
        connect(e, &QLineEdit::returnPressed, this, &frmFv::cmdCalcola_Click);
    }
    for (QLineEdit* e : txtMese)
        connect(e, &QLineEdit::textChanged, this, nonAggiornati);
    // The percentages are used as whole numbers: the fields say so.
    for (QLineEdit* e : {txtEffGen, txtEffInv}) {
        e->setProperty("notaPropria", QStringLiteral("Il calcolo usa percentuali intere: un valore con decimali è "
                                                     "arrotondato all'intero pari più vicino (12,5 diventa 12, 15,5 diventa 16)."));
        e->setToolTip(e->property("notaPropria").toString());
    }
    for (QComboBox* b : {cmbProvincia, cmbComuneLat, cmbComuneRad, cmbRiflettanza}) {
        connect(b, &QComboBox::editTextChanged, b, [b] { TogliNota(b); });
        connect(b, &QComboBox::editTextChanged, this, nonAggiornati);
    }
    for (auto* o : optInt)
        connect(o, &QRadioButton::toggled, this, nonAggiornati);
    for (auto* o : optPow)
        connect(o, &QRadioButton::toggled, this, nonAggiornati);
    connect(txtPow, &QLineEdit::textChanged, this, &frmFv::txtPow_Change);
    // A latitude or reflectance typed by hand stands as typed.
    connect(txtLatitudine, &QLineEdit::textEdited, sessione_, &fv::Sessione::ScriviLatitudine);
    connect(txtRiflettanza, &QLineEdit::textEdited, sessione_, &fv::Sessione::ScriviRiflettanza);
    // The plant as typed goes to the session at once, so that the tools
    // follow it; what the session changes (a tool's tilt) comes back.
    for (QLineEdit* e : {txtTilt, txtAzimut, txtPow, txtEffGen, txtEffInv})
        connect(e, &QLineEdit::textChanged, this, &frmFv::PassaImpianto);
    for (auto* o : optInt)
        connect(o, &QRadioButton::toggled, this, &frmFv::PassaImpianto);
    for (auto* o : optPow)
        connect(o, &QRadioButton::toggled, this, &frmFv::PassaImpianto);
    connect(sessione_, &fv::Sessione::sitoCambiato, this, &frmFv::MostraSito);
    connect(sessione_, &fv::Sessione::impiantoCambiato, this, &frmFv::MostraImpianto);
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
    const fv::Messaggio m = fv::MessaggioErrore(errore, sessione_->formato(), sessione_->FileDati());
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(fv::kTitolo), m.testo, QMessageBox::Ok, this);
    box.setDetailedText(m.dettagli); // engine text, SQL and path: behind "Mostra dettagli"
    box.exec();
}

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
    for (std::size_t m = 0; m < 12; ++m)
        etichetteMesi[m] = QString::fromLatin1(fv::kMesiBrevi[m]);
    try {
        sessione_->Avvia();
    } catch (...) {
        erroreAvvio = std::current_exception();
    }
}

void frmFv::ApriFileDati(const QString& percorso)
{
    SegnaRisultati(false);
    Esegui([&] { sessione_->ApriFileDati(percorso); });
}

void frmFv::cmbProvincia_Click()
{
    Esegui([this] { sessione_->ScegliProvincia(TestoScelto(cmbProvincia)); });
}

void frmFv::cmbComuneRad_Click()
{
    Esegui([this] { sessione_->ScegliComuneRad(TestoScelto(cmbComuneRad)); });
}

void frmFv::cmbComuneLat_Click()
{
    Esegui([this] { sessione_->ScegliComuneLat(TestoScelto(cmbComuneLat)); });
}

void frmFv::cmbRiflettanza_Click()
{
    Esegui([this] { sessione_->ScegliRiflettanza(TestoScelto(cmbRiflettanza)); });
}

namespace {

// A list shown again from the session: every item, nothing chosen.
void Riempi(QComboBox* elenco, const QStringList& voci)
{
    SvuotaElenco(elenco);
    for (const QString& v : voci)
        AggiungiVoce(elenco, v);
}

// A pick made elsewhere (the map) shown in its list as chosen.
void MostraScelta(QComboBox* elenco, const QString& voce)
{
    if (!voce.isEmpty() && TestoScelto(elenco) != voce)
        elenco->setCurrentIndex(elenco->findText(voce, Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

} // namespace

void frmFv::MostraSito(int parti)
{
    const fv::Sessione& s = *sessione_;
    if (parti & fv::Sessione::Elenchi) {
        Riempi(cmbRiflettanza, s.riflettanze());
        Riempi(cmbProvincia, s.province());
        emit fileDatiCambiato(s.FileDati());
    }
    if (parti & fv::Sessione::Comuni) {
        MostraScelta(cmbProvincia, s.provincia());
        Riempi(cmbComuneLat, s.comuniLat());
        Riempi(cmbComuneRad, s.comuniRad());
        if (s.radiazioneDa().caricata)
            MostraScelta(cmbComuneRad, s.radiazioneDa().voce);
        if (s.latitudineDa().caricata && !s.latitudineDa().aMano)
            MostraScelta(cmbComuneLat, s.latitudineDa().voce);
    }
    if (parti & fv::Sessione::Radiazione) {
        for (std::size_t m = 0; m < 12; ++m)
            MostraTesto(txtMese[m], s.testiRadOriz()[m]);
        MostraTesto(txtTotAnnua, s.totAnnua());
        if (s.radiazioneDa().caricata)
            MostraScelta(cmbComuneRad, s.radiazioneDa().voce);
    }
    if (parti & fv::Sessione::Latitudine) {
        if (txtLatitudine->text() != s.latitudine())
            MostraTesto(txtLatitudine, s.latitudine());
        if (s.latitudineDa().caricata && !s.latitudineDa().aMano)
            MostraScelta(cmbComuneLat, s.latitudineDa().voce);
    }
    if ((parti & fv::Sessione::Riflettanza) && txtRiflettanza->text() != s.riflettanza())
        MostraTesto(txtRiflettanza, s.riflettanza());
}

void frmFv::PassaImpianto()
{
    const auto scelta = [](const std::array<QRadioButton*, 3>& gruppo) {
        return fv::IndiceOpzione({gruppo[0]->isChecked(), gruppo[1]->isChecked(), gruppo[2]->isChecked()});
    };
    sessione_->ImpostaImpianto({txtTilt->text(), txtAzimut->text(), txtPow->text(), txtEffGen->text(),
                                txtEffInv->text(), scelta(optPow), scelta(optInt)});
}

void frmFv::MostraImpianto()
{
    const fv::ImpiantoTesti& i = sessione_->impianto();
    const std::pair<QLineEdit*, const QString*> campi[] = {
        {txtTilt, &i.tilt}, {txtAzimut, &i.azimut}, {txtPow, &i.potenza}, {txtEffGen, &i.perdite}, {txtEffInv, &i.efficienza}};
    for (const auto& [campo, testo] : campi) {
        if (campo->text() != *testo)
            campo->setText(*testo);
    }
    if (i.fascia < 3)
        optPow[std::size_t(i.fascia)]->setChecked(true);
    if (i.integrazione < 3)
        optInt[std::size_t(i.integrazione)]->setChecked(true);
}

bool frmFv::SegnalaCampoVuoto()
{
    // Down the window, as the user reads it.
    return SegnalaPrimoVuoto({txtLatitudine, cmbComuneRad, txtRiflettanza, txtTilt, txtAzimut, txtPow, txtEffGen,
                              txtEffInv});
}

bool frmFv::SegnalaPrimoVuoto(std::initializer_list<QWidget*> campi)
{
    for (QWidget* campo : campi) {
        const auto* testo = qobject_cast<QLineEdit*>(campo);
        const auto* elenco = qobject_cast<QComboBox*>(campo);
        if ((testo ? testo->text() : elenco->currentText()).isEmpty()) {
            Suggerisci(campo, QStringLiteral("Il campo «%1» è vuoto.").arg(fv::DidascaliaDi(campo->objectName())));
            return true;
        }
    }
    return false;
}

void frmFv::VerificaSito() const
{
    const fv::Sessione& s = *sessione_;
    const auto inVista = [](const fv::Provenienza& da, const QString& provincia, const QComboBox* box) {
        return da.aMano || (da.caricata && da.provincia == provincia && da.voce == box->currentText());
    };
    if (s.provincia().isEmpty() || cmbProvincia->currentText() != s.provincia())
        throw fv::ErroreScelta(QStringLiteral("la provincia"));
    if (!inVista(s.radiazioneDa(), s.provincia(), cmbComuneRad))
        throw fv::ErroreScelta(QStringLiteral("il comune (radiazione)"));
    if (!inVista(s.latitudineDa(), s.provincia(), cmbComuneLat))
        throw fv::ErroreScelta(QStringLiteral("il comune (latitudine)"));
    if (!inVista(s.riflettanzaDa(), s.riflettanzaDa().provincia, cmbRiflettanza))
        throw fv::ErroreScelta(QStringLiteral("il tipo di terreno"));
}

void frmFv::cmdCalcola_Click()
{
    if (SegnalaCampoVuoto())
        return;
    Esegui([this] {
        VerificaSito();
        // Every input read and checked in the calculation's order before a
        // latitude typed outside Italy is asked about.
        sessione_->VerificaIngressi();
        if (!ConfermaLatitudine())
            return;
        const std::optional<fv::Risultato> r = sessione_->Calcola();
        if (!r)
            return;
        MostraRisultato(*r);
        SegnaRisultati(true);
        emit risultatiCambiati(true);
    });
}

bool frmFv::ConfermaLatitudine()
{
    // A latitude typed by hand outside Italy is most likely a slip (4,5 for
    // 45): asked about once the checks of the calculation have passed.
    if (!sessione_->latitudineDa().aMano)
        return true;
    const double latitudine = sessione_->LeggiSitoCorrente().latitudine;
    if (latitudine >= fv::kLatitudineItalia.minimo && latitudine <= fv::kLatitudineItalia.massimo)
        return true;
    QMessageBox domanda(QMessageBox::Question, QString::fromUtf8(fv::kTitolo),
                        QStringLiteral("La latitudine scritta, %1°, è fuori dall'Italia (da %2 a %3° nord). Usarla comunque?")
                            .arg(txtLatitudine->text(), fv::TestoGenerale(fv::kLatitudineItalia.minimo),
                                 fv::TestoGenerale(fv::kLatitudineItalia.massimo)),
                        QMessageBox::Yes | QMessageBox::No, this);
    domanda.setDefaultButton(QMessageBox::No);
    return domanda.exec() == QMessageBox::Yes;
}

namespace {

// The result fields of the window and the figure of the result each shows.
struct CampoRisultato {
    const char* nome;
    QString fv::Risultato::*testo;              // a single field
    std::array<QString, 12> fv::Risultato::*mesi; // or a strip of twelve, by month
};
const CampoRisultato kCampiRisultato[] = {
    {"txtMese2", nullptr, &fv::Risultato::piano},      {"txtTotAnnua2", &fv::Risultato::totPiano, nullptr},
    {"txtRapp", &fv::Risultato::rapporto, nullptr},   {"txtEnergia", &fv::Risultato::energia, nullptr},
    {"txtCostoKwh", &fv::Risultato::tariffa, nullptr}, {"txtAnnuo", &fv::Risultato::ricavo, nullptr},
};

} // namespace

void frmFv::MostraRisultato(const fv::Risultato& r)
{
    radInc = r.radInc;
    for (const CampoRisultato& c : kCampiRisultato) {
        if (c.mesi) {
            for (std::size_t m = 0; m < 12; ++m)
                MostraTesto(findChild<QLineEdit*>(QStringLiteral("%1(%2)").arg(QLatin1String(c.nome)).arg(m)), (r.*c.mesi)[m]);
        } else {
            MostraTesto(findChild<QLineEdit*>(QLatin1String(c.nome)), r.*c.testo);
        }
    }
    fv::RiempiGrafico(*msc1, etichetteMesi, r.radOriz, r.radInc);
}

std::vector<QLineEdit*> frmFv::CampiRisultato() const
{
    std::vector<QLineEdit*> campi(txtMese2.begin(), txtMese2.end());
    campi.insert(campi.end(), {txtTotAnnua2, txtRapp, txtEnergia, txtCostoKwh, txtAnnuo});
    return campi;
}

void frmFv::SegnaRisultati(bool aggiornati)
{
    if (risultati == Risultati::Nessuno && !aggiornati)
        return; // nothing on show yet
    const Risultati prima = std::exchange(risultati, aggiornati ? Risultati::Aggiornati : Risultati::NonAggiornati);
    if (prima == risultati || prima == Risultati::Nessuno)
        return;
    if (!aggiornati)
        emit risultatiCambiati(false);
    // Greyed, not emptied: the figures stay readable beside the changed
    // input, and plainly not its result.
    const QString nota = aggiornati ? QString() : QStringLiteral("Dati cambiati: premere CALCOLA per aggiornare.");
    for (QLineEdit* e : CampiRisultato()) {
        QPalette p = e->palette();
        if (!aggiornati)
            e->setProperty("coloreAggiornato", p.color(QPalette::Text));
        p.setColor(QPalette::Text, aggiornati ? e->property("coloreAggiornato").value<QColor>()
                                              : QColor(150, 150, 150));
        e->setPalette(p);
        e->setToolTip(nota);
    }
    msc1->chart()->setOpacity(aggiornati ? 1.0 : 0.3);
    msc1->setToolTip(nota);
}

void frmFv::SegnalaCampo(fv::Campo campo)
{
    if (auto* w = findChild<QWidget*>(fv::NomeControllo(campo)))
        Suggerisci(w, fv::NotaCampoVuoto(campo));
}

void frmFv::txtPow_Change()
{
    // Runs at every keystroke: a text on its way to a number ("-" before
    // "-1") must not raise a modal box. The note stays at the field instead,
    // and the band stays as it was.
    try {
        const std::optional<int> fascia = fv::FasciaDaTesto(txtPow->text().toStdString(), sessione_->formato());
        if (fascia)
            optPow[static_cast<std::size_t>(*fascia)]->setChecked(true);
    } catch (...) {
        Suggerisci(txtPow, fv::MessaggioErrore(std::current_exception(), sessione_->formato(), {}).testo);
    }
}

