// SPDX-License-Identifier: MIT
// The best orientation: heat map of every tilt and azimuth, and the tilt curve.
#include "app/orientamento.h"

#include "app/aspetto.h"
#include "chart/grafico.h"
#include "app/sessione.h"
#include "app/messaggi.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

using fv::MappaOrientamenti;

namespace {

// From dark blue (least) through green to red (most).
QColor Rampa(double t)
{
    static const QColor tappe[] = {{40, 30, 120}, {30, 120, 200}, {40, 180, 120}, {240, 220, 60}, {220, 50, 30}};
    t = std::clamp(t, 0.0, 1.0) * 4;
    const int i = std::min(static_cast<int>(t), 3);
    const double f = t - i;
    const QColor& a = tappe[i];
    const QColor& b = tappe[i + 1];
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * f), float(a.greenF() + (b.greenF() - a.greenF()) * f),
                            float(a.blueF() + (b.blueF() - a.blueF()) * f));
}

QString Gradi(double v) { return fv::TestoGenerale(v) + u'°'; }

} // namespace

// The heat map: azimuth across (-180 at the left, north; 0 in the middle,
// south), tilt up, one cell per whole degree.
class MappaCalore final : public QWidget {
public:
    explicit MappaCalore(QWidget* genitore) : QWidget(genitore)
    {
        setMinimumSize(560, 260);
        setAccessibleName(QStringLiteral("Mappa della radiazione annua per inclinazione e azimut"));
    }

    void Imposta(std::shared_ptr<const MappaOrientamenti> mappa, std::optional<double> tilt,
                 std::optional<double> azimut)
    {
        mappa_ = std::move(mappa);
        tilt_ = tilt;
        azimut_ = azimut;
        Prepara();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void Prepara();
    QRectF Area() const { return QRectF(44, 8, width() - 44 - 96, height() - 8 - 34); }
    QPointF Punto(double tilt, double azimut) const
    {
        const QRectF a = Area();
        return {a.left() + (azimut - MappaOrientamenti::kAzimutMinimo + 0.5) / MappaOrientamenti::kAzimut * a.width(),
                a.bottom() - (tilt + 0.5) / (MappaOrientamenti::kTiltMassimo + 1) * a.height()};
    }
    void Assi(QPainter& p) const;
    void Legenda(QPainter& p) const;

    std::shared_ptr<const MappaOrientamenti> mappa_;
    std::optional<double> tilt_, azimut_;
    QImage immagine_;
    QPainterPath contorni_; // in cell units: x = azimuth index, y = 90 - tilt
};

void MappaCalore::Prepara()
{
    if (!mappa_)
        return;
    const MappaOrientamenti& m = *mappa_;
    const int righe = MappaOrientamenti::kTiltMassimo + 1;
    immagine_ = QImage(MappaOrientamenti::kAzimut, righe, QImage::Format_RGB32);
    const double ampiezza = std::max(m.massimo() - m.minimo(), 1e-9);
    for (int t = 0; t < righe; ++t) {
        for (int a = 0; a < MappaOrientamenti::kAzimut; ++a)
            immagine_.setPixelColor(a, righe - 1 - t,
                                    Rampa((m.Annuo(t, a + MappaOrientamenti::kAzimutMinimo) - m.minimo()) / ampiezza));
    }
    // Each contour follows the cell edges where the level is crossed.
    contorni_ = {};
    for (double frazione : {0.95, 0.9, 0.8}) {
        const double livello = frazione * m.massimo();
        const auto sopra = [&](int t, int a) { return m.Annuo(t, a + MappaOrientamenti::kAzimutMinimo) >= livello; };
        for (int t = 0; t < righe; ++t) {
            for (int a = 0; a < MappaOrientamenti::kAzimut; ++a) {
                const double y = righe - 1 - t;
                if (a + 1 < MappaOrientamenti::kAzimut && sopra(t, a) != sopra(t, a + 1)) {
                    contorni_.moveTo(a + 1, y);
                    contorni_.lineTo(a + 1, y + 1);
                }
                if (t + 1 < righe && sopra(t, a) != sopra(t + 1, a)) {
                    contorni_.moveTo(a, y);
                    contorni_.lineTo(a + 1, y);
                }
            }
        }
    }
}

void MappaCalore::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!mappa_) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Calcolo in corso…"));
        return;
    }
    const QRectF area = Area();
    p.drawImage(area, immagine_);
    p.save();
    p.translate(area.topLeft());
    p.scale(area.width() / MappaOrientamenti::kAzimut, area.height() / (MappaOrientamenti::kTiltMassimo + 1));
    p.setPen(QPen(Qt::white, 0));
    p.drawPath(contorni_);
    p.restore();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF ottimo = Punto(mappa_->tiltOttimo(), mappa_->azimutOttimo());
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(ottimo + QPointF(-6, -6), ottimo + QPointF(6, 6));
    p.drawLine(ottimo + QPointF(-6, 6), ottimo + QPointF(6, -6));
    if (tilt_ && azimut_) {
        p.setPen(QPen(Qt::white, 2));
        p.drawEllipse(Punto(*tilt_, *azimut_), 6, 6);
    }
    Assi(p);
    Legenda(p);
}

void MappaCalore::Assi(QPainter& p) const
{
    p.setPen(palette().color(QPalette::WindowText));
    const QRectF area = Area();
    const std::pair<int, const char*> azimut[] = {{-180, "N"}, {-90, "E"}, {0, "S"}, {90, "O"}, {180, "N"}};
    for (const auto& [a, punto] : azimut) {
        const double x = Punto(0, a).x();
        p.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 4));
        p.drawText(QRectF(x - 40, area.bottom() + 4, 80, 14), Qt::AlignCenter,
                   QStringLiteral("%1 (%2)").arg(Gradi(a), QLatin1String(punto)));
    }
    p.drawText(QRectF(area.left(), area.bottom() + 18, area.width(), 14), Qt::AlignCenter,
               QStringLiteral("azimut rispetto al sud"));
    for (int t : {0, 30, 60, 90}) {
        const double y = Punto(t, 0).y();
        p.drawText(QRectF(0, y - 7, 38, 14), Qt::AlignRight | Qt::AlignVCenter, Gradi(t));
    }
}

void MappaCalore::Legenda(QPainter& p) const
{
    const QRectF area = Area();
    const QRectF barra(area.right() + 12, area.top(), 14, area.height());
    for (int i = 0; i < int(barra.height()); ++i)
        p.fillRect(QRectF(barra.left(), barra.bottom() - i - 1, barra.width(), 1), Rampa(i / barra.height()));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(barra);
    const auto testo = [](double v) { return fv::TestoIntero(v); };
    p.drawText(QRectF(barra.right() + 4, barra.top() - 2, 60, 14), Qt::AlignLeft, testo(mappa_->massimo()));
    p.drawText(QRectF(barra.right() + 4, barra.bottom() - 12, 60, 14), Qt::AlignLeft, testo(mappa_->minimo()));
    p.drawText(QRectF(barra.right() + 4, barra.center().y() - 14, 70, 28), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("kWh/m²\nall'anno"));
}

DialogoOrientamento::DialogoOrientamento(fv::Sessione& sessione, QWidget* parent)
    : QDialog(parent), sessione_(sessione)
{
    setWindowTitle(QStringLiteral("Orientamento ottimale"));
    calore_ = new MappaCalore(this);
    curva_ = new QChartView(new QChart(), this);
    curva_->setRenderHint(QPainter::Antialiasing);
    curva_->setAccessibleName(QStringLiteral("Radiazione annua secondo l'inclinazione"));
    auto* schede = schede_ = new QTabWidget(this);
    schede->addTab(calore_, QStringLiteral("Inclinazione e azimut"));
    schede->addTab(curva_, QStringLiteral("Inclinazione all'azimut del tetto"));
    sito_ = new QLabel(this);
    ottimo_ = new QLabel(this);
    tetto_ = new QLabel(this);
    auto* nota = new QLabel(QStringLiteral("× ottimo   ○ tetto attuale   linee: 95, 90 e 80 % dell'ottimo"), this);
    ancheAzimut_ = new QCheckBox(QStringLiteral("anche l'azimut"), this);
    usa_ = new QPushButton(QStringLiteral("Usa questa inclinazione"), this);
    auto* chiudi = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(chiudi, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(usa_, &QPushButton::clicked, this, &DialogoOrientamento::UsaOttimo);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addWidget(ancheAzimut_);
    pulsanti->addStretch();
    pulsanti->addWidget(usa_);
    pulsanti->addWidget(chiudi);
    auto* disposizione = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(sito_), static_cast<QWidget*>(schede), static_cast<QWidget*>(nota),
                       static_cast<QWidget*>(ottimo_), static_cast<QWidget*>(tetto_)})
        disposizione->addWidget(w);
    disposizione->addLayout(pulsanti);
    connect(&lavoro_, &QFutureWatcher<Esito>::finished, this, [this] {
        esito_ = lavoro_.result();
        mappa_ = esito_.mappa;
        Mostra();
    });
    connect(&sessione_, &fv::Sessione::sitoCambiato, this, &DialogoOrientamento::SeguiSito);
    connect(&sessione_, &fv::Sessione::impiantoCambiato, this, &DialogoOrientamento::SeguiImpianto);
    resize(720, 500);
}

DialogoOrientamento::~DialogoOrientamento() { lavoro_.waitForFinished(); }

void DialogoOrientamento::LeggiTetto()
{
    // The roof's mark: the plant's tilt and azimuth when they are valid.
    try {
        const fv::ImpiantoLetto i = sessione_.LeggiImpiantoCorrente();
        tilt_ = i.tilt;
        azimut_ = i.azimut;
    } catch (const fv::Errore&) {
        tilt_.reset();
        azimut_.reset();
    }
}

void DialogoOrientamento::Aggiorna()
{
    const fv::SitoLetto sito = sessione_.LeggiSitoCorrente();
    LeggiTetto();
    nomeSito_ = sessione_.NomeSito();
    sito_->setText(QStringLiteral("Sito: %1, latitudine %2").arg(nomeSito_, Gradi(sito.latitudine)));
    const Chiave chiave{sito.latitudine, sito.riflettanza, sessione_.radOriz()};
    if (chiave_ == chiave && (mappa_ || lavoro_.isRunning())) {
        if (mappa_)
            Mostra();
        return;
    }
    lavoro_.waitForFinished();
    chiave_ = chiave;
    mappa_.reset();
    usa_->setEnabled(false);
    ottimo_->setText(QStringLiteral("Calcolo in corso…"));
    tetto_->clear();
    calore_->Imposta(nullptr, {}, {});
    lavoro_.setFuture(QtConcurrent::run([chiave]() -> Esito {
        try {
            return {std::make_shared<const MappaOrientamenti>(chiave.latitudine, chiave.riflettanza, chiave.radOriz,
                                                              fv::kGiorniMese),
                    nullptr};
        } catch (...) {
            return {nullptr, std::current_exception()}; // told as CALCOLA tells it, below
        }
    }));
}

void DialogoOrientamento::SeguiSito()
{
    if (!isVisible())
        return;
    try {
        Aggiorna();
    } catch (...) {
        // The window's site is not complete now: nothing of another site
        // stays on show, and nothing is written back.
        lavoro_.waitForFinished();
        chiave_.reset();
        mappa_.reset();
        calore_->Imposta(nullptr, {}, {});
        usa_->setEnabled(false);
        sito_->setText(QStringLiteral("Il sito della finestra non è completo o non è valido: %1")
                           .arg(fv::MessaggioErrore(std::current_exception(), sessione_.formato(), {}).testo));
        ottimo_->clear();
        tetto_->clear();
    }
}

void DialogoOrientamento::SeguiImpianto()
{
    if (!isVisible() || !mappa_)
        return;
    LeggiTetto();
    Mostra();
}

QString DialogoOrientamento::testoOttimo() const
{
    if (!mappa_)
        return {};
    return QStringLiteral("Ottimo: inclinazione %1, azimut %2: %3 kWh/m² all'anno.")
        .arg(Gradi(mappa_->tiltOttimo()), Gradi(mappa_->azimutOttimo()),
             fv::TestoIntero(mappa_->massimo()));
}

QString DialogoOrientamento::testoTetto() const
{
    if (!mappa_ || !tilt_ || !azimut_)
        return QStringLiteral("Inclinazione o azimut del tetto non validi: il tetto non è segnato.");
    const double tetto = fv::AnnuoSulPiano(chiave_->latitudine, *tilt_, *azimut_, chiave_->riflettanza,
                                           chiave_->radOriz, fv::kGiorniMese);
    return QStringLiteral("Il tetto attuale (inclinazione %1, azimut %2) rende il %3 % dell'ottimo.")
        .arg(Gradi(*tilt_), Gradi(*azimut_), fv::TestoIntero(100 * tetto / mappa_->massimo()));
}

void DialogoOrientamento::Mostra()
{
    if (!mappa_) {
        ottimo_->setText(QStringLiteral("Il calcolo degli orientamenti non è riuscito per questo sito: %1")
                             .arg(fv::MessaggioErrore(esito_.errore, sessione_.formato(), {}).testo));
        return;
    }
    calore_->Imposta(mappa_, tilt_, azimut_);
    sito_->setText(QStringLiteral("Sito: %1, latitudine %2").arg(nomeSito_, Gradi(chiave_->latitudine)));
    ottimo_->setText(testoOttimo());
    tetto_->setText(testoTetto());
    usa_->setEnabled(true);
    // The annual value against tilt at the roof's azimuth (south when it is not valid).
    const double azimut = azimut_.value_or(0);
    std::vector<QPointF> punti;
    for (int t = 0; t <= MappaOrientamenti::kTiltMassimo; ++t)
        punti.emplace_back(t, fv::AnnuoSulPiano(chiave_->latitudine, t, azimut, chiave_->riflettanza,
                                                chiave_->radOriz, fv::kGiorniMese));
    fv::RiempiCurva(*curva_, QStringLiteral("Radiazione annua sul piano (kWh/m²) all'azimut %1").arg(Gradi(azimut)),
                    QStringLiteral("inclinazione (°)"), punti);
    emit calcolata();
}

int DialogoOrientamento::TiltDaUsare() const
{
    if (schede_->currentWidget() != curva_)
        return mappa_->tiltOttimo();
    // The first of equal maxima of the curve at the roof's azimuth.
    const double azimut = azimut_.value_or(0);
    int migliore = 0;
    double massimo = -1;
    for (int t = 0; t <= MappaOrientamenti::kTiltMassimo; ++t) {
        const double v = fv::AnnuoSulPiano(chiave_->latitudine, t, azimut, chiave_->riflettanza, chiave_->radOriz,
                                           fv::kGiorniMese);
        if (v > massimo) {
            massimo = v;
            migliore = t;
        }
    }
    return migliore;
}

void DialogoOrientamento::UsaOttimo()
{
    // Only a sweep of the session's own site is written back.
    if (!mappa_ || !chiave_)
        return;
    try {
        const fv::SitoLetto sito = sessione_.LeggiSitoCorrente();
        if (!(*chiave_ == Chiave{sito.latitudine, sito.riflettanza, sessione_.radOriz()}))
            return;
    } catch (const fv::Errore&) {
        return;
    }
    const bool curva = schede_->currentWidget() == curva_;
    sessione_.ImpostaOrientamento(TiltDaUsare(), !curva && ancheAzimut_->isChecked()
                                                     ? std::optional(mappa_->azimutOttimo())
                                                     : std::nullopt);
}
