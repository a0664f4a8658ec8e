// SPDX-License-Identifier: MIT
// The map of Italy: every comune coloured by the plant's yield there.
#include "app/mappa.h"

#include "app/aspetto.h"
#include "app/messaggi.h"
#include "app/sessione.h"
#include "calc/orientamento.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

namespace {

// From blue (least) through green and yellow to red (most).
QColor Colore(double t)
{
    return QColor::fromHsvF(float(0.66 * (1 - std::clamp(t, 0.0, 1.0))), 0.85f, 0.9f);
}

QString Numero(double v) { return fv::TestoIntero(v); }

constexpr double kMargine = 12;
constexpr double kLegenda = 70;          // room at the right for the colour legend [px]
constexpr double kZoomRotella = 1.2;     // scale factor per wheel notch (120 eighths of a degree)
constexpr double kZoomTasto = 1.25;      // scale factor of + (and 1 / it of -)
constexpr double kPassoFreccia = 40;     // pan of an arrow key [px]
constexpr double kSogliaTrascinamento = 4; // a press that moves less is a click [px]
constexpr double kRaggioPresa = 6;       // a click picks a dot within this distance [px]

} // namespace

MappaItalia::MappaItalia(QWidget* genitore) : QWidget(genitore)
{
    setMinimumSize(520, 560);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Mappa dell'Italia: resa annua per kWp di ogni comune"));
    setAccessibleDescription(QStringLiteral("Rotella o + e - per ingrandire, frecce o trascinamento per spostare, "
                                            "clic su un comune per sceglierlo"));
}

void MappaItalia::Imposta(std::vector<Punto> punti, const QString& provincia, const QString& comune)
{
    punti_ = std::move(punti);
    provincia_ = provincia;
    comune_ = comune;
    minimo_ = massimo_ = 0;
    double latitudini = 0;
    if (!punti_.empty()) {
        const auto [a, b] = std::minmax_element(punti_.begin(), punti_.end(),
                                                [](const Punto& x, const Punto& y) { return x.resa < y.resa; });
        minimo_ = a->resa;
        massimo_ = b->resa;
        for (const Punto& p : punti_)
            latitudini += p.comune->latitudine;
        latitudini /= double(punti_.size());
    }
    // Equirectangular, with the east-west scale of the mean latitude.
    coseno_ = std::cos(latitudini * M_PI / 180);
    Adatta();
    update();
}

void MappaItalia::ImpostaSito(const QString& provincia, const QString& comune)
{
    provincia_ = provincia;
    comune_ = comune;
    update();
}

QPointF MappaItalia::Proiezione(const fv::ComuneMappa& c) const { return {c.longitudine * coseno_, -c.latitudine}; }

QPointF MappaItalia::Posizione(const fv::ComuneMappa& c) const { return origine_ + Proiezione(c) * scala_; }

void MappaItalia::Adatta()
{
    if (punti_.empty())
        return;
    QRectF estensione(Proiezione(*punti_.front().comune), QSizeF());
    for (const Punto& p : punti_) {
        const QPointF q = Proiezione(*p.comune);
        estensione = estensione.united(QRectF(q, QSizeF(1e-9, 1e-9)));
    }
    const QRectF area = QRectF(rect()).adjusted(kMargine, kMargine, -kMargine - kLegenda, -kMargine);
    scala_ = std::min(area.width() / estensione.width(), area.height() / estensione.height());
    origine_ = area.center() - estensione.center() * scala_;
}

int MappaItalia::PuntoIn(const QPointF& p) const
{
    int migliore = -1;
    double distanza = kRaggioPresa * kRaggioPresa;
    for (std::size_t i = 0; i < punti_.size(); ++i) {
        const QPointF d = Posizione(*punti_[i].comune) - p;
        const double d2 = QPointF::dotProduct(d, d);
        if (d2 < distanza) {
            distanza = d2;
            migliore = int(i);
        }
    }
    return migliore;
}

void MappaItalia::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const double ampiezza = std::max(massimo_ - minimo_, 1e-9);
    const double lato = std::clamp(scala_ / 60, 2.0, 8.0);
    for (const Punto& punto : punti_) {
        const QPointF q = Posizione(*punto.comune);
        p.fillRect(QRectF(q.x() - lato / 2, q.y() - lato / 2, lato, lato), Colore((punto.resa - minimo_) / ampiezza));
    }
    p.setRenderHint(QPainter::Antialiasing);
    for (const Punto& punto : punti_) {
        if (punto.comune->provincia == provincia_ && punto.comune->comune == comune_) {
            p.setPen(QPen(Qt::black, 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(Posizione(*punto.comune), 7, 7);
        }
    }
    Legenda(p);
}

void MappaItalia::Legenda(QPainter& p) const
{
    const QRectF barra(width() - kLegenda + 8, kMargine + 20, 14, height() / 2.0);
    for (int i = 0; i < int(barra.height()); ++i)
        p.fillRect(QRectF(barra.left(), barra.bottom() - i - 1, barra.width(), 1), Colore(i / barra.height()));
    p.setPen(Qt::black);
    p.drawText(QRectF(barra.left() - 8, kMargine, kLegenda, 16), Qt::AlignLeft, QStringLiteral("kWh/kWp"));
    p.drawText(QRectF(barra.right() + 3, barra.top() - 6, 50, 14), Qt::AlignLeft, Numero(massimo_));
    p.drawText(QRectF(barra.right() + 3, barra.bottom() - 8, 50, 14), Qt::AlignLeft, Numero(minimo_));
}

void MappaItalia::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton) {
        const QPointF spostamento = e->position() - premuto_;
        if (trascinato_ || spostamento.manhattanLength() > kSogliaTrascinamento) {
            trascinato_ = true;
            origine_ += spostamento;
            premuto_ = e->position();
            update();
        }
        return;
    }
    const int i = PuntoIn(e->position());
    if (i < 0) {
        QToolTip::hideText();
        return;
    }
    const Punto& punto = punti_[std::size_t(i)];
    QToolTip::showText(e->globalPosition().toPoint(),
                       QStringLiteral("%1 (%2): %3 kWh/kWp, %4 kWh/m² sul piano")
                           .arg(punto.comune->comune, punto.comune->provincia, Numero(punto.resa), Numero(punto.piano)),
                       this);
}

void MappaItalia::mousePressEvent(QMouseEvent* e)
{
    premuto_ = e->position();
    trascinato_ = false;
}

void MappaItalia::mouseReleaseEvent(QMouseEvent* e)
{
    if (trascinato_ || e->button() != Qt::LeftButton)
        return;
    const int i = PuntoIn(e->position());
    if (i >= 0)
        emit comuneScelto(punti_[std::size_t(i)].comune->provincia, punti_[std::size_t(i)].comune->comune);
}

void MappaItalia::Zoom(double fattore, const QPointF& centro)
{
    origine_ = centro + (origine_ - centro) * fattore;
    scala_ *= fattore;
    update();
}

void MappaItalia::wheelEvent(QWheelEvent* e)
{
    Zoom(std::pow(kZoomRotella, e->angleDelta().y() / 120.0), e->position());
}

void MappaItalia::keyPressEvent(QKeyEvent* e)
{
    const QPointF centro = QRectF(rect()).center();
    switch (e->key()) {
    case Qt::Key_Plus: Zoom(kZoomTasto, centro); break;
    case Qt::Key_Minus: Zoom(1 / kZoomTasto, centro); break;
    case Qt::Key_Left: origine_ += QPointF(kPassoFreccia, 0); break;
    case Qt::Key_Right: origine_ -= QPointF(kPassoFreccia, 0); break;
    case Qt::Key_Up: origine_ += QPointF(0, kPassoFreccia); break;
    case Qt::Key_Down: origine_ -= QPointF(0, kPassoFreccia); break;
    default: QWidget::keyPressEvent(e); return;
    }
    update();
}

void MappaItalia::resizeEvent(QResizeEvent*) { Adatta(); }

std::vector<MappaItalia::Punto> PuntiMappa(const fv::ComuniMappa& comuni, const fv::ImpiantoLetto& impianto,
                                           int& incoerenti)
{
    std::vector<MappaItalia::Punto> punti;
    punti.reserve(comuni.comuni.size());
    incoerenti = 0;
    for (const fv::ComuneMappa& c : comuni.comuni) {
        const std::optional<double> piano = fv::AnnuoSulPianoCoerente(
            c.latitudine, impianto.tilt, impianto.azimut, impianto.riflettanza, c.radOriz, fv::kGiorniMese);
        if (!piano) {
            ++incoerenti;
            continue;
        }
        punti.push_back({&c, fv::CalcolaEnergiaAnnua(*piano, 1.0, impianto.perdite, impianto.efficienza), *piano});
    }
    return punti;
}

DialogoMappa::DialogoMappa(fv::Sessione& sessione, QWidget* parent) : QDialog(parent), sessione_(sessione)
{
    setWindowTitle(QStringLiteral("Mappa dell'Italia"));
    mappa_ = new MappaItalia(this);
    nota_ = new QLabel(this);
    nota_->setWordWrap(true);
    auto* chiudi = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(chiudi, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* disposizione = new QVBoxLayout(this);
    disposizione->addWidget(mappa_, 1);
    disposizione->addWidget(nota_);
    disposizione->addWidget(chiudi);
    connect(mappa_, &MappaItalia::comuneScelto, this, [this](const QString& provincia, const QString& comune) {
        try {
            sessione_.ScegliComune(provincia, comune);
        } catch (...) {
            emit errore(std::current_exception());
        }
    });
    connect(&lavoro_, &QFutureWatcher<std::shared_ptr<const Rese>>::finished, this, [this] {
        if (!inCorso_)
            return;
        const auto [chiave, impianto] = *std::exchange(inCorso_, std::nullopt);
        if (cache_.size() >= 16) // a plant's yields are 190 kB: the last few are kept
            cache_.erase(cache_.begin());
        cache_[chiave] = lavoro_.result();
        Mostra(chiave, impianto);
    });
    connect(&sessione_, &fv::Sessione::sitoCambiato, this, [this](int parti) {
        if (parti & fv::Sessione::Elenchi) {
            // Another data file: the comuni read before are gone with it.
            lavoro_.waitForFinished();
            inCorso_.reset();
            cache_.clear();
            comuni_ = nullptr;
            pronta_ = false;
            mappa_->Imposta({}, {}, {});
            if (isVisible())
                Segui();
            return;
        }
        mappa_->ImpostaSito(sessione_.provincia(), sessione_.radiazioneDa().voce);
    });
    connect(&sessione_, &fv::Sessione::impiantoCambiato, this, &DialogoMappa::Segui);
    connect(&sessione_, &fv::Sessione::sitoCambiato, this, [this](int parti) {
        if (parti & fv::Sessione::Riflettanza) // the plant's reflectance is the site's
            Segui();
    });
    resize(620, 720);
}

DialogoMappa::~DialogoMappa() { lavoro_.waitForFinished(); }

void DialogoMappa::Aggiorna()
{
    const fv::ImpiantoLetto impianto = sessione_.LeggiImpiantoCorrente();
    if (!comuni_)
        comuni_ = &sessione_.ComuniPerMappa();
    const Chiave chiave{impianto.tilt, impianto.azimut, impianto.riflettanza, impianto.perdite, impianto.efficienza};
    if (cache_.count(chiave)) {
        Mostra(chiave, impianto);
        return;
    }
    pronta_ = false;
    nota_->setText(QStringLiteral("Calcolo in corso per l'impianto della finestra…"));
    lavoro_.waitForFinished();
    inCorso_ = {chiave, impianto};
    const fv::ComuniMappa* comuni = comuni_;
    lavoro_.setFuture(QtConcurrent::run([comuni, impianto] {
        auto rese = std::make_shared<Rese>();
        rese->punti = PuntiMappa(*comuni, impianto, rese->incoerenti);
        return std::shared_ptr<const Rese>(std::move(rese));
    }));
}

void DialogoMappa::Segui()
{
    if (!isVisible())
        return;
    try {
        Aggiorna();
    } catch (const fv::ErroreMappa&) {
        nota_->setText(fv::MessaggioErrore(std::current_exception(), sessione_.formato(), {}).testo);
    } catch (...) {
        // The plant in the window is not valid now: the dots stay, said to be
        // another plant's.
        pronta_ = false;
        nota_->setText(QStringLiteral("La mappa non è aggiornata: %1")
                           .arg(fv::MessaggioErrore(std::current_exception(), sessione_.formato(), {}).testo));
    }
}

void DialogoMappa::Mostra(const Chiave& chiave, const fv::ImpiantoLetto& impianto)
{
    const Rese& rese = *cache_.at(chiave);
    mappa_->Imposta(rese.punti, sessione_.provincia(), sessione_.radiazioneDa().voce);
    QString nota = QStringLiteral("%1 comuni, per l'impianto della finestra (inclinazione %2°, azimut %3°, "
                                  "riflettanza %4).")
                       .arg(mappa_->punti().size())
                       .arg(fv::TestoGenerale(impianto.tilt), fv::TestoGenerale(impianto.azimut),
                            fv::TestoGenerale(impianto.riflettanza));
    const int esclusi = comuni_->esclusi + rese.incoerenti;
    if (esclusi > 0)
        nota += QStringLiteral(" %1 comuni senza latitudine, coordinate o radiazione valide non sono segnati.").arg(esclusi);
    nota_->setText(nota);
    pronta_ = true;
    emit calcolata();
}
