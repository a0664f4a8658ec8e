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
        const int i = findText(testo, Qt::MatchFixedString);
        if (i < 0)
            return;
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

void TogliNota(QWidget* campo)
{
    if (campo->toolTip().isEmpty())
        return;
    campo->setToolTip({});
    QToolTip::hideText();
}


} // namespace

frmFv::frmFv(QWidget* parent, const QString& cartellaDati)
    : QWidget(parent), dati(cartellaDati), formato(fv::FormatoUtente())
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
        auto* p = new QPushButton(testo, genitore);
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
    connect(txtLatitudine, &QLineEdit::textEdited, this, [this] { latitudineDa = {{}, {}, true, true}; });
    connect(txtRiflettanza, &QLineEdit::textEdited, this, [this] { riflettanzaDa = {{}, {}, true, true}; });
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
    const fv::Messaggio m = fv::MessaggioErrore(errore, formato, dati.funzioni.PercorsoFile());
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
    giorniMese = fv::kGiorniMese;
    for (std::size_t m = 0; m < 12; ++m)
        etichetteMesi[m] = QString::fromLatin1(fv::kMesiBrevi[m]);
    try {
        fv::CaricaElenchiIniziali(dati.Contesto(), *this);
    } catch (...) {
        erroreAvvio = std::current_exception();
    }
}

void frmFv::cmbProvincia_Click()
{
    // The latitude and the horizontal radiation on show belong to a comune
    // of the old province.
    radiazioneDa = {};
    latitudineDa = {};
    txtLatitudine->clear();
    SvuotaRadiazione();
    Esegui([this] {
        provinciaElenchi = TestoScelto(cmbProvincia);
        fv::ProvinciaScelta(dati.Contesto(), provinciaElenchi, *this);
    });
}

void frmFv::CaricaScelta(Provenienza& da, const QString& voce, const std::function<void()>& carica,
                         const std::function<void()>& svuota)
{
    da = {};
    Esegui([&] {
        try {
            carica();
        } catch (...) {
            svuota();
            throw;
        }
        da = {provinciaElenchi, voce, false, true};
    });
}

void frmFv::SvuotaRadiazione()
{
    for (QLineEdit* e : txtMese)
        e->clear();
    txtTotAnnua->clear();
}

void frmFv::cmbComuneRad_Click()
{
    const QString comune = TestoScelto(cmbComuneRad);
    CaricaScelta(radiazioneDa, comune, [&] {
        fv::ComuneRadScelto(dati.Contesto(), provinciaElenchi, comune, giorniMese, formato, *this);
    }, [this] { SvuotaRadiazione(); });
}

void frmFv::cmbComuneLat_Click()
{
    const QString comune = TestoScelto(cmbComuneLat);
    CaricaScelta(latitudineDa, comune, [&] {
        fv::ComuneLatScelto(dati.Contesto(), provinciaElenchi, comune, formato, *this);
    }, [this] { txtLatitudine->clear(); });
}

void frmFv::cmbRiflettanza_Click()
{
    const QString superficie = TestoScelto(cmbRiflettanza);
    CaricaScelta(riflettanzaDa, superficie, [&] {
        fv::RiflettanzaScelta(dati.Contesto(), superficie, formato, *this);
    }, [this] { txtRiflettanza->clear(); });
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
    const auto inVista = [](const Provenienza& da, const QString& provincia, const QComboBox* box) {
        return da.aMano || (da.caricata && da.provincia == provincia && da.voce == box->currentText());
    };
    if (provinciaElenchi.isEmpty() || cmbProvincia->currentText() != provinciaElenchi)
        throw fv::ErroreScelta(QStringLiteral("la provincia"));
    if (!inVista(radiazioneDa, provinciaElenchi, cmbComuneRad))
        throw fv::ErroreScelta(QStringLiteral("il comune (radiazione)"));
    if (!inVista(latitudineDa, provinciaElenchi, cmbComuneLat))
        throw fv::ErroreScelta(QStringLiteral("il comune (latitudine)"));
    if (!inVista(riflettanzaDa, riflettanzaDa.provincia, cmbRiflettanza))
        throw fv::ErroreScelta(QStringLiteral("il tipo di terreno"));
}

void frmFv::cmdCalcola_Click()
{
    if (SegnalaCampoVuoto())
        return;
    Esegui([this] {
        VerificaSito();
        const fv::InputCalcolo input{
            txtLatitudine->text().toStdString(), txtRiflettanza->text().toStdString(),
            txtTilt->text().toStdString(),       txtAzimut->text().toStdString(),
            txtPow->text().toStdString(),        txtEffGen->text().toStdString(),
            txtEffInv->text().toStdString(),     cmbComuneRad->currentText().toStdString()};
        fv::IngressiLetti letti;
        if (!fv::Calcola(input, radOriz, giorniMese, formato, *this, &letti))
            return;
        fv::RiempiGrafico(*msc1, etichetteMesi, radOriz, radInc);
        const int fascia = fv::IndiceOpzione(
            {optPow[0]->isChecked(), optPow[1]->isChecked(), optPow[2]->isChecked()});
        const int integrazione = fv::IndiceOpzione(
            {optInt[0]->isChecked(), optInt[1]->isChecked(), optInt[2]->isChecked()});
        fv::ScriviTariffaRicavo(txtEnergia->text().toStdString(), fascia, integrazione, formato,
                                *this);
        SegnaRisultati(true);
        FotografaRisultati(letti, fascia, integrazione);
        emit risultatiCambiati(true);
    });
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

std::optional<frmFv::SitoStrumenti> frmFv::SitoPerStrumenti()
{
    if (SegnalaCampoVuoto())
        return std::nullopt;
    try {
        VerificaSito();
        SitoStrumenti s{fv::LeggiSito(txtLatitudine->text().toStdString(), txtRiflettanza->text().toStdString(),
                                      radOriz, formato),
                        radOriz, {}, {}};
        const auto angolo = [this](QLineEdit* campo, fv::Campo c, const fv::Intervallo& i) -> std::optional<double> {
            try {
                const double v = fv::LeggiNumero(campo->text().toStdString(), formato, c);
                return v >= i.minimo && v <= i.massimo ? std::optional(v) : std::nullopt;
            } catch (const fv::Errore&) {
                return std::nullopt;
            }
        };
        s.tilt = angolo(txtTilt, fv::Campo::Tilt, fv::kIntervalloTilt);
        s.azimut = angolo(txtAzimut, fv::Campo::Azimut, fv::kIntervalloAzimut);
        return s;
    } catch (...) {
        RiportaErrore(std::current_exception());
        return std::nullopt;
    }
}

void frmFv::ImpostaOrientamento(int tilt, std::optional<int> azimut)
{
    txtTilt->setText(QString::number(tilt));
    if (azimut)
        txtAzimut->setText(QString::number(*azimut));
}

std::optional<fv::ImpiantoLetto> frmFv::ImpiantoPerMappa()
{
    if (SegnalaPrimoVuoto({txtRiflettanza, txtTilt, txtAzimut, txtEffGen, txtEffInv}))
        return std::nullopt;
    try {
        fv::InputCalcolo in;
        in.riflettanza = txtRiflettanza->text().toStdString();
        in.tilt = txtTilt->text().toStdString();
        in.azimut = txtAzimut->text().toStdString();
        in.perditeGeneratore = txtEffGen->text().toStdString();
        in.efficienzaInverter = txtEffInv->text().toStdString();
        return fv::LeggiImpianto(in, formato);
    } catch (...) {
        RiportaErrore(std::current_exception());
        return std::nullopt;
    }
}

void frmFv::ScegliComune(const QString& provincia, const QString& comune)
{
    const auto scegli = [](QComboBox* box, const QString& voce) {
        box->setCurrentIndex(box->findText(voce, Qt::MatchFixedString));
        return box->currentIndex() >= 0;
    };
    if (!scegli(cmbProvincia, provincia))
        return;
    cmbProvincia_Click();
    if (scegli(cmbComuneRad, comune))
        cmbComuneRad_Click();
    if (scegli(cmbComuneLat, comune))
        cmbComuneLat_Click();
}

std::optional<fv::ComuniMappa> frmFv::ComuniPerMappa()
{
    try {
        return fv::LeggiComuniMappa(dati.Contesto());
    } catch (...) {
        RiportaErrore(std::current_exception());
        return std::nullopt;
    }
}

QString frmFv::ProvinciaMostrata() const { return cmbProvincia->currentText(); }

QString frmFv::ComuneMostrato() const { return cmbComuneRad->currentText(); }

void frmFv::FotografaRisultati(const fv::IngressiLetti& letti, int fascia, int integrazione)
{
    const auto opzione = [](const std::array<QRadioButton*, 3>& gruppo, int i) {
        return i >= 0 && i < 3 ? gruppo[static_cast<std::size_t>(i)]->text() : QStringLiteral("nessuna");
    };
    fv::Relazione& r = relazione;
    r = {};
    r.provincia = cmbProvincia->currentText();
    r.comuneRadiazione = cmbComuneRad->currentText();
    r.comuneLatitudine = cmbComuneLat->currentText();
    r.latitudine = txtLatitudine->text();
    r.terreno = cmbRiflettanza->currentText();
    r.riflettanza = txtRiflettanza->text();
    r.tilt = txtTilt->text();
    r.azimut = txtAzimut->text();
    r.potenza = txtPow->text();
    r.perdite = txtEffGen->text();
    r.efficienza = txtEffInv->text();
    r.integrazione = opzione(optInt, integrazione);
    r.fascia = opzione(optPow, fascia);
    r.radOriz = radOriz;
    r.radInc = radInc;
    for (std::size_t m = 0; m < 12; ++m) {
        r.orizzontale[m] = txtMese[m]->text();
        r.piano[m] = txtMese2[m]->text();
    }
    r.totOrizzontale = txtTotAnnua->text();
    r.totPiano = txtTotAnnua2->text();
    r.rapporto = txtRapp->text();
    r.energia = txtEnergia->text();
    r.tariffa = txtCostoKwh->text();
    r.ricavo = txtAnnuo->text();
    fv::CompletaRelazione(r, letti, giorniMese, formato);
}

void frmFv::txtPow_Change()
{
    // Runs at every keystroke: a text on its way to a number ("-" before
    // "-1") must not raise a modal box. The note stays at the field instead,
    // and the band stays as it was.
    try {
        const std::optional<int> fascia = fv::FasciaDaTesto(txtPow->text().toStdString(), formato);
        if (fascia)
            optPow[static_cast<std::size_t>(*fascia)]->setChecked(true);
    } catch (...) {
        Suggerisci(txtPow, fv::MessaggioErrore(std::current_exception(), formato, {}).testo);
    }
}

// Filling a list chooses nothing; emptying it clears its text too.
void frmFv::AggiungiRiflettanza(const QString& superficie) { AggiungiVoce(cmbRiflettanza, superficie); }
void frmFv::AggiungiProvincia(const QString& provincia) { AggiungiVoce(cmbProvincia, provincia); }
void frmFv::SvuotaComuniLat() { SvuotaElenco(cmbComuneLat); }
void frmFv::AggiungiComuneLat(const QString& comune) { AggiungiVoce(cmbComuneLat, comune); }
void frmFv::SvuotaComuniRad() { SvuotaElenco(cmbComuneRad); }
void frmFv::AggiungiComuneRad(const QString& comune) { AggiungiVoce(cmbComuneRad, comune); }

void frmFv::ScriviRadOriz(int mese0, double valore) { radOriz[static_cast<std::size_t>(mese0)] = valore; }

void frmFv::ScriviMese(int mese0, const QString& testo) { txtMese[static_cast<std::size_t>(mese0)]->setText(testo); }

void frmFv::ScriviTotAnnua(const QString& testo) { txtTotAnnua->setText(testo); }

void frmFv::ScriviLatitudine(const QString& testo) { txtLatitudine->setText(testo); }

void frmFv::ScriviRiflettanza(const QString& testo) { txtRiflettanza->setText(testo); }

void frmFv::ScriviRadInc(int mese0, double valore) { radInc[static_cast<std::size_t>(mese0)] = valore; }

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
