// SPDX-License-Identifier: MIT
// The window driven as a user drives it, against a small data.mdb written by
// the test: layout from the inventory, start-up, the site cascade, CALCOLA
// with chart, tariff and revenue, and the error reports. Runs under an
// Italian and a C locale.
#include "app/aspetto.h"
#include "app/frmFv.h"
#include "app/icona.h"
#include "app/inventario.h"
#include "app/messaggi.h"
#include "calc/modello.h"
#include "chart/grafico.h"
#include "data/funzioni.h"

#include "finestra_aiuti.h"
#include "fixture.h"
#include "modello_angoli.h"

#include <QAccessible>
#include <QFile>
#include <QStringDecoder>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>

#include <charconv>
#include <cmath>

namespace {


QString Nome(const fv::Controllo& c)
{
    return c.indice >= 0 ? QStringLiteral("%1(%2)").arg(c.nome).arg(c.indice) : QString::fromLatin1(c.nome);
}

} // namespace

class TestFinestra : public QObject {
    Q_OBJECT

    QTemporaryDir cartella;
    std::unique_ptr<frmFv> w;
    QString dec; // the decimal separator of the user's locale

    QLineEdit* T(const QString& nome) { return Controllo<QLineEdit>(*w, nome); }
    QComboBox* C(const QString& nome) { return Controllo<QComboBox>(*w, nome); }
    QRadioButton* O(const QString& nome) { return Controllo<QRadioButton>(*w, nome); }
    QPushButton* Calcola() { return Controllo<QPushButton>(*w, "cmdCalcola"); }
    QChartView* Grafico() { return Controllo<QChartView>(*w, "msc1"); }

    // A number as the user's locale writes it.
    QString N(QString s) const { return s.replace('.', dec); }

    QString Atteso(double x, int decimali) const { return TestoAtteso(x, decimali, dec); }

    QList<qreal> Valori(int serie)
    {
        auto* barre = static_cast<QBarSeries*>(Grafico()->chart()->series().first());
        QList<qreal> v;
        QBarSet* insieme = barre->barSets().at(serie);
        for (int i = 0; i < insieme->count(); ++i)
            v << insieme->at(i);
        return v;
    }

    // Site "Esempio" (TO), latitude 45 and the worked examples' horizontal values.
    void ScegliEsempio()
    {
        ScegliSito(*w, "TO", "Esempio", "Erba");
    }

    QStringList Risultati()
    {
        QStringList v;
        for (int m = 0; m < 12; ++m)
            v << T(QStringLiteral("txtMese2(%1)").arg(m))->text();
        for (const char* n : {"txtTotAnnua2", "txtRapp", "txtEnergia", "txtCostoKwh", "txtAnnuo"})
            v << T(n)->text();
        return v;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(cartella.isValid());
        QCOMPARE(fixture::Scrivi(cartella.filePath("data.mdb"), fixture::Standard()), QString());
    }

    void init()
    {
        w = std::make_unique<frmFv>(nullptr, cartella.path());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        dec = QString::fromStdString(w->formatoNumeri().decimale);
    }

    void cleanup()
    {
        QCOMPARE(fv::Funzioni::ConnessioniAperte(), 0);
        w.reset();
    }

    void finestra()
    {
        // Qt's own texts are Italian too: the context menu of a field.
        QVERIFY(fv::InstallaTraduzioneQt());
        const std::unique_ptr<QMenu> menu(T("txtTilt")->createStandardContextMenu());
        QStringList voci;
        for (const QAction* a : menu->actions())
            voci << a->text();
        QVERIFY2(voci.join(' ').contains("Incolla"), qPrintable(voci.join(' ')));

        QCOMPARE(w->windowTitle(), "CALCOLO ENERGIA FOTOVOLTAICO");
        QCOMPARE(w->size(), QSize(865, 522)); // 12975 x 7830 twips
        QCOMPARE(w->minimumSize(), w->maximumSize());
        const QList<QSize> misure = w->windowIcon().availableSizes();
        QVERIFY(misure.contains(QSize(16, 16)));
        QVERIFY(misure.contains(QSize(32, 32)));
        QCOMPARE(w->palette().color(QPalette::Window), QColor(255, 255, 255));
    }

    void inventario()
    {
        int etichette = 0, testi = 0;
        for (const fv::Controllo& c : fv::kInventario) {
            QWidget* x = w->findChild<QWidget*>(Nome(c));
            QVERIFY2(x, qPrintable(Nome(c)));
            QWidget* contenitore = c.contenitore ? w->findChild<QWidget*>(c.contenitore) : w.get();
            QCOMPARE(x->parentWidget(), contenitore);
            const QRect g = x->geometry();
            if (c.tipo == fv::Tipo::Linea) {
                QCOMPARE(g.topLeft(), QPoint(c.twip.left / 15, c.twip.top / 15));
                QCOMPARE(g.right(), (c.twip.left + c.twip.width) / 15);
                QCOMPARE(g.height(), 1);
            } else {
                QCOMPARE(g, QRect(c.twip.left / 15, c.twip.top / 15, c.twip.width / 15, c.twip.height / 15));
            }
            QVERIFY(x->isVisible());
            QVERIFY(x->isEnabled());
            const QString testo = c.testo ? QString::fromUtf8(c.testo) : QString();
            const QPalette p = x->palette();
            switch (c.tipo) {
            case fv::Tipo::Etichetta:
                ++etichette;
                QCOMPARE(qobject_cast<QLabel*>(x)->text(), testo);
                QCOMPARE(p.color(QPalette::Window), QColor(162, 191, 163));
                QCOMPARE(x->focusPolicy(), Qt::NoFocus);
                break;
            case fv::Tipo::Testo: {
                ++testi;
                auto* e = qobject_cast<QLineEdit*>(x);
                QCOMPARE(e->text(), testo);
                QCOMPARE(e->isReadOnly(), c.ruolo != fv::Ruolo::Input); // nothing reads typing there
                const QColor atteso = c.ruolo == fv::Ruolo::Input ? QColor(192, 255, 255) : QColor(255, 255, 192);
                QCOMPARE(p.color(QPalette::Base), atteso);
                const bool chiave = c.ruolo == fv::Ruolo::RisultatoChiave;
                QCOMPARE(p.color(QPalette::Text) == QColor(255, 0, 0), chiave);
                QCOMPARE(x->font().bold(), chiave);
                break;
            }
            case fv::Tipo::Combo: {
                auto* b = qobject_cast<QComboBox*>(x);
                QVERIFY(b->isEditable());
                QCOMPARE(b->insertPolicy(), QComboBox::NoInsert);
                QCOMPARE(p.color(QPalette::Base), QColor(192, 255, 255));
                break;
            }
            case fv::Tipo::Opzione:
                QCOMPARE(qobject_cast<QRadioButton*>(x)->text(), testo);
                QCOMPARE(qobject_cast<QRadioButton*>(x)->isChecked(), c.selezionato);
                // The colour painted, right of the caption, not only the palette's.
                QCOMPARE(x->grab().toImage().pixelColor(x->width() - 2, x->height() / 2), QColor(162, 191, 163));
                break;
            case fv::Tipo::Cornice:
                QCOMPARE(qobject_cast<QGroupBox*>(x)->title(), testo);
                break;
            case fv::Tipo::Pulsante:
                QCOMPARE(qobject_cast<QPushButton*>(x)->text(), testo);
                QCOMPARE(p.color(QPalette::Button), QColor(224, 224, 224));
                // Painted flat: the same face at the top and at the bottom.
                {
                    const QImage immagine = x->grab().toImage();
                    for (int y : {3, immagine.height() - 4})
                        QCOMPARE(immagine.pixelColor(immagine.width() / 2, y), QColor(224, 224, 224));
                }
                QVERIFY(x->font().bold());
                break;
            case fv::Tipo::Linea:
            case fv::Tipo::Grafico:
                break;
            }
        }
        QCOMPARE(etichette, 43);
        QCOMPARE(testi, 37);
    }

    void ordineTab()
    {
        // Follow the focus chain from the first control; the option groups
        // offer only their selected button.
        std::vector<std::pair<int, QString>> attesi;
        for (const fv::Controllo& c : fv::kInventario) {
            const bool prende = c.tipo == fv::Tipo::Testo || c.tipo == fv::Tipo::Combo || c.tipo == fv::Tipo::Pulsante
                                || c.tipo == fv::Tipo::Grafico || (c.tipo == fv::Tipo::Opzione);
            if (prende)
                attesi.emplace_back(c.tab, Nome(c));
        }
        std::sort(attesi.begin(), attesi.end());
        QWidget* x = C("cmbProvincia");
        for (const auto& [tab, nome] : attesi) {
            QCOMPARE(x->objectName(), nome);
            x = x->nextInFocusChain();
            while (x->focusPolicy() == Qt::NoFocus || !x->isVisible() || x->objectName().isEmpty())
                x = x->nextInFocusChain();
        }
        QCOMPARE(QApplication::focusWidget(), C("cmbProvincia"));
    }

    void tastoTab()
    {
        // The keyboard alone: Tab walks the listed order; of an option group
        // only the selected button takes the focus.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        T("txtCostoKwh")->setFocus();
        const auto tab = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); return QApplication::focusWidget()->objectName(); };
        QCOMPARE(tab(), "optInt(0)");
        QCOMPARE(tab(), "optPow(0)");
        QCOMPARE(tab(), "txtAnnuo");
        QCOMPARE(tab(), "cmbProvincia");
        QCOMPARE(tab(), "cmbComuneLat");
        T("txtEffInv")->setFocus();
        QCOMPARE(tab(), "cmdCalcola");
        QCOMPARE(tab(), "txtRapp");
        QCOMPARE(tab(), "txtEnergia");
        QCOMPARE(tab(), "msc1");
        QCOMPARE(tab(), "txtMese(0)");
    }

    void accessibilita()
    {
        QCOMPARE(fv::Etichette().size(), std::size_t(41)); // 15 fields, two strips of 12 and their totals
        for (const fv::Controllo* e : fv::Etichette()) {
            QWidget* campo = w->findChild<QWidget*>(e->campo);
            auto* etichetta = w->findChild<QLabel*>(fv::NomeOggetto(*e));
            QVERIFY2(campo && etichetta, e->campo);
            QCOMPARE(etichetta->buddy(), campo);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(campo);
            QVERIFY(a);
            QCOMPARE(a->text(QAccessible::Name), etichetta->text());
            QVERIFY(!a->text(QAccessible::Description).isEmpty());
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(T("txtLatitudine"))->text(QAccessible::Name), "Latitudine (°)");
        QCOMPARE(QAccessible::queryAccessibleInterface(T("txtMese2(0)"))->text(QAccessible::Description),
                 "Radiazione giornaliera media mensile incidente (kWh/m2/g)");
        QCOMPARE(QAccessible::queryAccessibleInterface(Calcola())->text(QAccessible::Name), "CALCOLA");
        QCOMPARE(QAccessible::queryAccessibleInterface(O("optPow(1)"))->text(QAccessible::Description), "Potenza");
        // Every input and result field is named.
        for (QLineEdit* e : w->findChildren<QLineEdit*>()) {
            if (!e->objectName().isEmpty())
                QVERIFY2(!e->accessibleName().isEmpty(), qPrintable(e->objectName()));
        }
    }

    void scala()
    {
        // On a high-dpi screen (QT_SCALE_FACTOR=2) the window and its fonts
        // scale as one piece: the same layout in logical pixels, twice the pixels.
        const qreal scala = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() : 1.0;
        QCOMPARE(w->devicePixelRatioF(), scala);
        QCOMPARE(w->grab().size(), QSize(qRound(865 * scala), qRound(522 * scala)));
        QCOMPARE(T("txtTilt")->geometry(), QRect(136, 168, 57, 19));
    }

    void didascalie()
    {
        // At 96 dpi every caption fits its box on one line: a cut caption is a defect.
        for (QLabel* l : w->findChildren<QLabel*>()) {
            if (l->objectName().isEmpty())
                continue;
            const QFontMetrics fm(l->font());
            const QRect r = l->contentsRect();
            QVERIFY2(fm.horizontalAdvance(l->text()) <= r.width() - 2,
                     qPrintable(QStringLiteral("%1: %2 > %3").arg(l->text()).arg(fm.horizontalAdvance(l->text())).arg(r.width() - 2)));
            QVERIFY2(fm.height() <= r.height(), qPrintable(l->text()));
        }
        for (QRadioButton* o : w->findChildren<QRadioButton*>())
            QVERIFY2(o->sizeHint().width() <= o->width(), qPrintable(o->text()));
        auto* b = Calcola();
        QVERIFY(QFontMetrics(b->font()).horizontalAdvance(b->text()) < b->width() - 8);
        for (QGroupBox* g : w->findChildren<QGroupBox*>())
            QVERIFY(QFontMetrics(g->font()).horizontalAdvance(g->title()) < g->width() - 16);
        // The installed font draws the degree and euro signs and accented letters.
        for (QChar c : QStringLiteral("°€àèéìòù"))
            QVERIFY2(QFontMetrics(fv::CarattereFinestra()).inFont(c), qPrintable(QString(c)));
        QVERIFY(QFontInfo(fv::CarattereFinestra()).exactMatch() || QFontInfo(fv::CarattereFinestra()).family() == "Liberation Sans");
    }

    void nomiComeSiScrivono()
    {
        // Accents, apostrophes, spaces and case aside, a typed name picks its item.
        ScegliConMouse(C("cmbProvincia"), "TO");
        Digita(C("cmbComuneLat"), "santantonino DI susa");
        QTest::keyClick(C("cmbComuneLat"), Qt::Key_Return);
        QCOMPARE(C("cmbComuneLat")->currentText(), "Sant'Antonino di Susa");
        QCOMPARE(T("txtLatitudine")->text(), N("45.1"));
    }

    void latitudineFuoriDallItalia()
    {
        // 4,5 typed for 45: asked before it is used; not confirmed, nothing computed.
        Risponditore r;
        ScegliEsempio();
        Scrivi(T("txtLatitudine"), N("4.5"));
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 1);
        QVERIFY2(r.testi.first().contains("fuori dall'Italia"), qPrintable(r.testi.first()));
        QCOMPARE(T("txtEnergia")->text(), QString());
        Scrivi(T("txtLatitudine"), "45");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QVERIFY(!T("txtEnergia")->text().isEmpty());
        QCOMPARE(r.testi.size(), 1);
        // The inputs are read in the calculation's order before the question:
        // a bad tilt is named before a bad reflectance, and nothing is asked.
        Scrivi(T("txtLatitudine"), N("4.5"));
        Scrivi(T("txtRiflettanza"), "abc");
        Scrivi(T("txtTilt"), "xyz");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 2);
        QVERIFY2(r.testi.last().contains("tilt") && !r.testi.last().contains("fuori dall'Italia"), qPrintable(r.testi.last()));
    }

    void iconaInSediciColori()
    {
        for (int lato : {16, 32, 48}) {
            const QImage icona = fv::DisegnaIcona(lato);
            QSet<QRgb> colori;
            for (int y = 0; y < lato; ++y)
                for (int x = 0; x < lato; ++x)
                    colori.insert(icona.pixel(x, y));
            QVERIFY2(colori.size() <= 16 && colori.size() >= 6, qPrintable(QString::number(colori.size())));
        }
    }

    void testiDelDataset()
    {
        // Every name the lists can show: valid UTF-8 (no bytes of another
        // encoding), no control characters, every glyph in the window's font.
        const QFontMetrics fm(fv::CarattereFinestra());
        for (const char* nome : {"latitudini.csv", "latitudini_dettaglio.csv", "riflettanza.csv"}) {
            QFile f(QStringLiteral(FV_DATASET_DIR "/") + nome);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray byte = f.readAll();
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString testo = utf8(byte);
            QVERIFY2(!utf8.hasError(), nome);
            for (QChar c : testo) {
                if (c == u'\n' || c == u'\r')
                    continue;
                QVERIFY2(!c.isNonCharacter() && c.category() != QChar::Other_Control && c != QChar::ReplacementCharacter
                             && c != u'?',
                         qPrintable(QStringLiteral("%1: U+%2").arg(nome).arg(c.unicode(), 4, 16, QChar(u'0'))));
                QVERIFY2(fm.inFont(c), qPrintable(QStringLiteral("%1: %2").arg(nome, c)));
            }
        }
    }

    void avvio()
    {
        QCOMPARE(C("cmbProvincia")->count(), 5);
        QCOMPARE(C("cmbProvincia")->itemText(1), "D'Ora");
        QCOMPARE(C("cmbProvincia")->currentIndex(), -1);
        QCOMPARE(C("cmbProvincia")->currentText(), QString());
        QCOMPARE(C("cmbRiflettanza")->count(), 4);
        QCOMPARE(C("cmbRiflettanza")->itemText(2), "Tetto d'ardesia");
        QCOMPARE(C("cmbRiflettanza")->currentText(), QString());
        QCOMPARE(C("cmbComuneLat")->count(), 0);
        QCOMPARE(C("cmbComuneRad")->count(), 0);
        for (double v : w->SerieRadOriz())
            QCOMPARE(v, 0.0);
        // Nothing before the first calculation: axes and legend, no data.
        QCOMPARE(Valori(0).size(), 0);
        QCOMPARE(TestiLegenda(*Grafico()),
                 QStringList({"Irraggiamento giornaliero (kWh/m2)", "Irraggiamento giornaliero incidente (kWh/m2)"}));
        // An empty input: CALCOLA changes nothing.
        const QStringList prima = Risultati();
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QCOMPARE(Risultati(), prima);
        QCOMPARE(Valori(0).size(), 0);
    }

    void cascata()
    {
        Risponditore r;
        auto* provincia = C("cmbProvincia");
        // Arrow keys on the closed list: one lookup per step.
        ScegliConFrecce(provincia, 0);
        QCOMPARE(provincia->currentText(), "BG");
        QCOMPARE(C("cmbComuneLat")->count(), 1);
        ScegliConFrecce(provincia, 1);
        QCOMPARE(C("cmbComuneRad")->itemText(0), "L'Isola");
        ScegliConMouse(C("cmbComuneRad"), "L'Isola");
        QCOMPARE(T("txtTotAnnua")->text(), "365");
        ScegliConMouse(provincia, "TO");
        QCOMPARE(C("cmbComuneLat")->count(), 3);
        QCOMPARE(C("cmbComuneRad")->count(), 3);
        QCOMPARE(C("cmbComuneRad")->currentText(), QString()); // nothing chosen
        QCOMPARE(T("txtTotAnnua")->text(), QString());         // nor left from the old province
        ScegliConMouse(C("cmbComuneRad"), "Uno");
        QCOMPARE(w->SerieRadOriz()[0], 4.125);
        QCOMPARE(T("txtMese(0)")->text(), N("4.12"));
        QCOMPARE(T("txtTotAnnua")->text(), "462");
        ScegliConMouse(C("cmbComuneLat"), "Sant'Antonino di Susa");
        QCOMPARE(T("txtLatitudine")->text(), N("45.1"));
        ScegliConFrecce(C("cmbRiflettanza"), 1);
        QCOMPARE(T("txtRiflettanza")->text(), N("0.75"));
        // The homonyms resolve by the province whose towns the lists show.
        ScegliConMouse(provincia, "LE");
        ScegliConMouse(C("cmbComuneLat"), "Castro");
        QCOMPARE(T("txtLatitudine")->text(), "40");
        QVERIFY(r.testi.isEmpty());
    }

    // A text typed into a list box and the site the results belong to.
    void sitoMostrato()
    {
        Risponditore r;
        ScegliEsempio();
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        const QStringList esempio = Risultati();
        const QColor rosso = T("txtEnergia")->palette().color(QPalette::Text);
        // Another province: the old comune's latitude and radiation go; the
        // results stay, greyed as no longer up to date.
        ScegliConMouse(C("cmbProvincia"), "BG");
        QCOMPARE(T("txtLatitudine")->text(), QString());
        QCOMPARE(T("txtMese(0)")->text(), QString());
        QCOMPARE(Risultati(), esempio);
        QVERIFY(T("txtEnergia")->palette().color(QPalette::Text) != rosso);
        QVERIFY(Grafico()->chart()->opacity() < 1);
        // A name typed in full, in any case, is a pick on Enter; a part of one is not.
        Digita(C("cmbComuneRad"), "castro");
        QTest::keyClick(C("cmbComuneRad"), Qt::Key_Return);
        QCOMPARE(C("cmbComuneRad")->currentText(), "Castro");
        QCOMPARE(T("txtMese(0)")->text(), N("1.1"));
        Digita(C("cmbComuneLat"), "Cast");
        T("txtTilt")->setFocus();
        QCOMPARE(T("txtLatitudine")->text(), QString());
        QTRY_VERIFY2(C("cmbComuneLat")->toolTip().contains("forse «Castro»"), qPrintable(C("cmbComuneLat")->toolTip()));
        // An empty field: a note at the field, naming it; no box, nothing written.
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QVERIFY2(T("txtLatitudine")->toolTip().contains("Latitudine (°)"), qPrintable(T("txtLatitudine")->toolTip()));
        QCOMPARE(Risultati(), esempio);
        // Leaving the box for CALCOLA picks the typed name before the calculation.
        Digita(C("cmbComuneLat"), "CASTRO");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QCOMPARE(T("txtLatitudine")->text(), N("45.8"));
        QVERIFY(Risultati() != esempio);
        QCOMPARE(T("txtEnergia")->palette().color(QPalette::Text), rosso);
        QCOMPARE(Grafico()->chart()->opacity(), 1.0);
        const QStringList castro = Risultati();
        // The vertical axis depends on the data only (here up to 6, where a
        // second calculation used to give 0-10 after 0-6).
        const auto asse = [this] {
            auto* y = static_cast<QValueAxis*>(Grafico()->chart()->axes(Qt::Vertical).first());
            return QList<qreal>{y->min(), y->max()};
        };
        const QList<qreal> primoAsse = asse();
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QCOMPARE(asse(), primoAsse);
        // A comune the lists do not hold is no site: CALCOLA says which choice to make.
        Digita(C("cmbComuneRad"), "Bolzano");
        T("txtTilt")->setFocus();
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 1);
        QCOMPARE(r.testi.last(), "Scegliere il comune (radiazione) dall'elenco.");
        QCOMPARE(Risultati(), castro);
        // A latitude typed by hand stands as typed, whatever the latitude list shows.
        ScegliConMouse(C("cmbComuneRad"), "Castro");
        Scrivi(T("txtLatitudine"), "46");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QCOMPARE(r.testi.size(), 1);
        QVERIFY(Risultati() != castro);
        // The wheel over a closed list changes nothing.
        QWheelEvent rotella(QPointF(5, 5), C("cmbProvincia")->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(C("cmbProvincia"), &rotella);
        QCOMPARE(C("cmbProvincia")->currentText(), "BG");
        QCOMPARE(C("cmbComuneRad")->currentText(), "Castro");
    }

    void calcola()
    {
        Risponditore r;
        ScegliEsempio();
        Scrivi(T("txtTilt"), "30");
        Scrivi(T("txtAzimut"), "0");
        Scrivi(T("txtPow"), "4");
        QVERIFY(O("optPow(1)")->isChecked());
        QTest::mouseClick(O("optInt(2)"), Qt::LeftButton);
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QVERIFY(r.testi.isEmpty());

        // Worked example 1: January 2.6164 shown as 2.62.
        QCOMPARE(T("txtMese2(0)")->text(), N("2.62"));
        // Everything else against an independent recomputation.
        const fv::MonthlySeries oriz = {1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 6.5, 5.5, 4.5, 3.5, 2.5, 1.5};
        const fv::GiorniMese& giorni = fv::kGiorniMese;
        double totInc = 0, totOriz = 0;
        for (int m = 0; m < 12; ++m) {
            const double v = fv::CalcolaRadiazioneInclinata(m + 1, 45 * 0.017453, 30 * 0.017453, 0, 0.2, oriz[std::size_t(m)]);
            QCOMPARE(w->SerieRadInc()[std::size_t(m)], v);
            QCOMPARE(T(QStringLiteral("txtMese2(%1)").arg(m))->text(), Atteso(v, 2));
            totInc += v * giorni[std::size_t(m)];
            totOriz += oriz[std::size_t(m)] * giorni[std::size_t(m)];
        }
        QCOMPARE(T("txtTotAnnua2")->text(), Atteso(totInc, 0));
        QCOMPARE(T("txtRapp")->text(), Atteso(totInc / totOriz, 2));
        const double energia = totInc * 4 * 85 * 90 / 10000;
        QCOMPARE(T("txtEnergia")->text(), Atteso(energia, 0));
        QCOMPARE(T("txtCostoKwh")->text(), N("0.442"));
        const double shown = std::nearbyint(energia); // revenue from the energy as shown
        QCOMPARE(T("txtAnnuo")->text(), Atteso(shown * 0.442, 2));
        // The chart: twelve rows, full precision, both series.
        auto* asse = static_cast<QBarCategoryAxis*>(Grafico()->chart()->axes(Qt::Horizontal).first());
        QStringList etichette;
        for (const char* m : fv::kMesiBrevi)
            etichette << m;
        QCOMPARE(asse->categories(), etichette);
        const QList<qreal> uno = Valori(0), due = Valori(1);
        QCOMPARE(uno.size(), 12);
        for (int m = 0; m < 12; ++m) {
            QCOMPARE(uno[m], oriz[std::size_t(m)]);
            QCOMPARE(due[m], w->SerieRadInc()[std::size_t(m)]);
        }
        QVERIFY(Grafico()->chart()->rect().contains(AreaLegenda(*Grafico())));
        QVERIFY(AreaLegenda(*Grafico()).left() > Grafico()->width() / 3.0); // at the top right
        QVERIFY(AreaLegenda(*Grafico()).top() < 10);
    }

    void secondoCalcoloEAltreScelte()
    {
        ScegliEsempio();
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        const QList<qreal> primo = Valori(1);
        const QStringList risultati = Risultati();
        // Another town after a calculation: results and chart stay.
        ScegliConMouse(C("cmbComuneRad"), "Torino");
        QCOMPARE(Risultati(), risultati);
        QCOMPARE(Valori(1), primo);
        QCOMPARE(Valori(0)[0], 1.5);
        // A second calculation replaces all 24 values.
        Scrivi(T("txtTilt"), "50");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        const QList<qreal> uno = Valori(0), due = Valori(1);
        for (int m = 0; m < 12; ++m) {
            QCOMPARE(uno[m], w->SerieRadOriz()[std::size_t(m)]);
            QVERIFY(due[m] != primo[m]);
        }
        QCOMPARE(uno[0], 1.71);
    }

    void tiltZero()
    {
        ScegliEsempio();
        Scrivi(T("txtTilt"), "0");
        QTest::keyClick(T("txtTilt"), Qt::Key_Return); // Enter in a field calculates
        for (int m = 0; m < 12; ++m)
            QCOMPARE(T(QStringLiteral("txtMese2(%1)").arg(m))->text(), T(QStringLiteral("txtMese(%1)").arg(m))->text());
        QCOMPARE(T("txtRapp")->text(), "1");
    }

    void perdite()
    {
        ScegliEsempio();
        Scrivi(T("txtEffGen"), N("12.5"));
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        const QString mezzo = T("txtEnergia")->text();
        Scrivi(T("txtEffGen"), "12");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QCOMPARE(T("txtEnergia")->text(), mezzo);
        Scrivi(T("txtEffGen"), "13");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QVERIFY(T("txtEnergia")->text() != mezzo);
    }

    void errori()
    {
        Risponditore r;
        ScegliEsempio();
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        const QStringList prima = Risultati();
        // Out of range, or latitude and radiation of two sites: nothing
        // written, the field and the accepted range (or the month) named.
        Scrivi(T("txtLatitudine"), "0");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 1);
        QCOMPARE(r.titoli.first(), "CALCOLO ENERGIA FOTOVOLTAICO");
        QVERIFY2(r.testi.first().contains("«Latitudine (°)»") && r.testi.first().contains("maggiore di 0 e al massimo 66"), qPrintable(r.testi.first()));
        Scrivi(T("txtLatitudine"), "66");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 2);
        QCOMPARE(r.testi.last(), "L'indice di serenità di gennaio supera 1: latitudine e dati di radiazione non sono coerenti.");
        Scrivi(T("txtLatitudine"), "45");
        Scrivi(T("txtPow"), QString(300, '9'));
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 3);
        QVERIFY2(r.testi.last().contains(QString(39, '9') + QChar(0x2026) + "»") && r.testi.last().size() < 200, qPrintable(r.testi.last()));
        Scrivi(T("txtPow"), "1");
        QCOMPARE(Risultati(), prima);
        // A text that is not a number names the field and the text.
        Scrivi(T("txtLatitudine"), "45");
        Scrivi(T("txtAzimut"), "sud");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 4);
        QVERIFY(r.testi.last().contains("«sud»") && r.testi.last().contains("azimut (°) (rispetto al sud)"));
        // The other separator is never read as grouping.
        Scrivi(T("txtAzimut"), dec == "," ? "1.000" : "1,000");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QTRY_COMPARE(r.testi.size(), 5);
        QVERIFY(r.testi.last().contains(QStringLiteral("«%1»").arg(dec)));
        QCOMPARE(Risultati(), prima);
        // The window goes on working.
        Scrivi(T("txtAzimut"), "5");
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QCOMPARE(r.testi.size(), 5);
        QCOMPARE(Risultati(), prima);
    }

    void fasce()
    {
        Risponditore r;
        const std::pair<const char*, int> casi[] = {{"2.99", 0}, {"3", 0}, {"3.01", 1}, {"20", 1}, {"20.01", 2}, {"0", 0}, {"-1", 0}, {"3.5", 1}};
        for (const auto& [testo, fascia] : casi) {
            Scrivi(T("txtPow"), N(testo));
            QVERIFY2(O(QStringLiteral("optPow(%1)").arg(fascia))->isChecked(), testo);
        }
        // Clearing the power keeps the band; a text on its way to a number
        // leaves a note at the field, never a modal box.
        Scrivi(T("txtPow"), "25");
        QVERIFY(O("optPow(2)")->isChecked());
        Scrivi(T("txtPow"), "");
        QVERIFY(O("optPow(2)")->isChecked());
        QTest::keyClicks(T("txtPow"), "-");
        QVERIFY(O("optPow(2)")->isChecked());
        QVERIFY(T("txtPow")->toolTip().contains("Potenza (kW)"));
        QTest::keyClicks(T("txtPow"), "1");
        QVERIFY(O("optPow(0)")->isChecked());
        QVERIFY(T("txtPow")->toolTip().isEmpty());
        QApplication::processEvents();
        QVERIFY(r.testi.isEmpty());
    }

    void piuGrandeImpiantoInVista()
    {
        // The largest plant accepted, no losses, on the sunniest site of the
        // fixture: every result is shown whole inside its field.
        ScegliConMouse(C("cmbProvincia"), "LE");
        ScegliConMouse(C("cmbComuneRad"), "Castro");
        ScegliConMouse(C("cmbComuneLat"), "Castro");
        ScegliConMouse(C("cmbRiflettanza"), "Neve fresca");
        Scrivi(T("txtTilt"), "30");
        Scrivi(T("txtPow"), "99999");
        Scrivi(T("txtEffGen"), "0");
        Scrivi(T("txtEffInv"), "100");
        QTest::mouseClick(O("optInt(2)"), Qt::LeftButton);
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QVERIFY(T("txtEnergia")->text().size() >= 9);
        for (const char* nome : {"txtEnergia", "txtAnnuo", "txtTotAnnua2", "txtRapp", "txtCostoKwh"}) {
            QLineEdit* e = T(nome);
            QVERIFY2(e->fontMetrics().horizontalAdvance(e->text()) < e->contentsRect().width() - 4, nome);
        }
    }

    void nessunaOpzione()
    {
        ScegliEsempio();
        for (const char* g : {"optPow", "optInt"}) {
            for (int i = 0; i < 3; ++i) {
                auto* o = O(QStringLiteral("%1(%2)").arg(g).arg(i));
                o->setAutoExclusive(false);
                o->setChecked(false);
                o->setAutoExclusive(true);
            }
            QTest::mouseClick(Calcola(), Qt::LeftButton);
            QCOMPARE(T("txtCostoKwh")->text(), "0");
            QCOMPARE(T("txtAnnuo")->text(), "0");
            QTest::mouseClick(O(QStringLiteral("%1(0)").arg(g)), Qt::LeftButton);
        }
        QTest::mouseClick(O("optInt(1)"), Qt::LeftButton);
        QTest::mouseClick(O("optPow(2)"), Qt::LeftButton);
        QTest::mouseClick(Calcola(), Qt::LeftButton);
        QCOMPARE(T("txtCostoKwh")->text(), N("0.384")); // partly integrated, over 20 kW
    }

    void fileMancante()
    {
        QTemporaryDir vuota;
        Risponditore r;
        frmFv f(nullptr, vuota.path());
        f.show();
        QTRY_COMPARE(r.testi.size(), 1);
        QVERIFY2(r.testi.first().contains(vuota.filePath("data.mdb")), qPrintable(r.testi.first()));
        QCOMPARE(Controllo<QComboBox>(f, "cmbProvincia")->count(), 0);
        QVERIFY(!QFile::exists(vuota.filePath("data.mdb")));
        QVERIFY(f.isVisible());
    }

    void fileSparitoDopoAvvio()
    {
        // The file goes away while the window is open: the pick reports the
        // file and changes nothing; the window goes on.
        QTemporaryDir altra;
        QCOMPARE(fixture::Scrivi(altra.filePath("data.mdb"), fixture::Standard()), QString());
        Risponditore r;
        frmFv f(nullptr, altra.path());
        f.show();
        ScegliConMouse(Controllo<QComboBox>(f, "cmbProvincia"), "TO");
        QVERIFY(QFile::remove(altra.filePath("data.mdb")));
        ScegliConMouse(Controllo<QComboBox>(f, "cmbComuneRad"), "Torino");
        QTRY_COMPARE(r.testi.size(), 1);
        QVERIFY(r.testi.first().contains("data.mdb"));
        QCOMPARE(Controllo<QLineEdit>(f, "txtMese(0)")->text(), QString());
    }
};

QTEST_MAIN(TestFinestra)
#include "tst_finestra.moc"
