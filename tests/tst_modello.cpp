// SPDX-License-Identifier: MIT
// The monthly radiation model, step by step against the two published worked
// examples, and the beam on the plane against an independent integration.
#include "calc/modello.h"
#include "modello_angoli.h"

#include <QTest>

#include <cmath>
#include <functional>
#include <vector>

using fv::PassiModello;

namespace {

constexpr double kDeg = fv::kGradiRadianti;

// True when x agrees with a value printed with its significant digits: the
// difference is at most half a unit of the last printed digit.
bool Stampato(double x, const char* stampato)
{
    const QString s = QString::fromLatin1(stampato);
    const double v = s.toDouble();
    const QString mantissa = s.split(QLatin1Char('e')).first();
    const qsizetype punto = mantissa.indexOf(QLatin1Char('.'));
    const int decimali = punto < 0 ? 0 : int(mantissa.size() - punto - 1);
    return std::fabs(x - v) <= 0.5 * std::pow(10.0, -decimali) * (1 + 1e-9);
}

// Within 2e-5 relative: what the printed inputs of a step allow.
bool Vicino(double x, const char* stampato)
{
    const double v = QString::fromLatin1(stampato).toDouble();
    return std::fabs(x - v) <= 2e-5 * std::fabs(v);
}

// The two worked examples: latitude 45, tilt 30, reflectance 0.2;
// January, azimuth 0, H = 1.5; June, azimuth -30, H = 6.5.
PassiModello Esempio1() { return fv::PassiRadiazioneInclinata(1, 45 * kDeg, 30 * kDeg, 0 * kDeg, 0.2, 1.5); }
PassiModello Esempio2() { return fv::PassiRadiazioneInclinata(6, 45 * kDeg, 30 * kDeg, -30 * kDeg, 0.2, 6.5); }

// Independent of the closed form: integral over [-ws, ws] of the positive
// part of the incidence cosine, splitting at sign changes found by a scan
// and bisection, then Simpson's rule on each smooth piece.
double IntegraleNumerico(const std::function<double(double)>& f, double a, double b)
{
    const int scansione = 4000;
    std::vector<double> nodi{a};
    double xPrec = a;
    double fPrec = f(a);
    for (int i = 1; i <= scansione; ++i) {
        const double x = a + (b - a) * i / scansione;
        const double fx = f(x);
        if ((fPrec > 0) != (fx > 0)) {
            double lo = xPrec, hi = x;
            for (int k = 0; k < 80; ++k) {
                const double m = 0.5 * (lo + hi);
                if ((f(m) > 0) == (fPrec > 0))
                    lo = m;
                else
                    hi = m;
            }
            nodi.push_back(0.5 * (lo + hi));
        }
        xPrec = x;
        fPrec = fx;
    }
    nodi.push_back(b);
    double totale = 0;
    for (std::size_t p = 1; p < nodi.size(); ++p) {
        const double x0 = nodi[p - 1], x1 = nodi[p];
        const int n = 200; // even
        const double h = (x1 - x0) / n;
        double s = std::max(0.0, f(x0)) + std::max(0.0, f(x1));
        for (int i = 1; i < n; ++i)
            s += (i % 2 ? 4 : 2) * std::max(0.0, f(x0 + i * h));
        totale += s * h / 3;
    }
    return totale;
}

} // namespace

class TestModello : public QObject {
    Q_OBJECT

private slots:
    void costanti()
    {
        // The declination amplitude is 23.45 deg through the method's own
        // degree factor, rounded in double precision, one ulp below 0.40927285.
        volatile double gradi = 23.45;
        QCOMPARE(fv::kAmpiezzaDeclinazione, gradi * 0.017453);
        QVERIFY(fv::kAmpiezzaDeclinazione < 0.40927285);
        QCOMPARE(std::nextafter(fv::kAmpiezzaDeclinazione, 1.0), 0.40927285);
        volatile double giro = 360;
        QCOMPARE(fv::kGiro, giro * 0.017453);
        QCOMPARE(fv::kMezzoGiro, 180 * 0.017453);
    }

    void numeriGiorno()
    {
        const int attesi[12] = {15, 45, 76, 106, 137, 167, 197, 228, 258, 289, 319, 350};
        for (int m = 1; m <= 12; ++m)
            QCOMPARE(fv::NumeroGiorno(m), attesi[m - 1]);
    }

    void passi_data()
    {
        QTest::addColumn<int>("esempio");
        QTest::addColumn<QString>("grandezza");
        QTest::addColumn<QString>("stampato");
        const auto righe = [](int e, std::initializer_list<std::pair<const char*, const char*>> v) {
            for (const auto& [nome, valore] : v)
                QTest::addRow("example %d %s", e, nome) << e << QString::fromLatin1(nome) << QString::fromLatin1(valore);
        };
        // Worked example 1 (January, facing south) and 2 (June, 30 deg east of south).
        righe(1, {{"n", "15"}, {"delta", "-0.371231"}, {"omegaS", "1.17096"}, {"A", "-0.0938884"},
                  {"B", "0.900129"}, {"C", "0"}, {"D", "-0.256509"}, {"E", "0.658948"},
                  {"H0", "11.7735"}, {"KT", "0.458659"}, {"Kd", "0.435184"}, {"w1", "-1.4663"},
                  {"w2", "1.4663"}, {"omegaSr", "-1.17096"}, {"omegaSs", "1.17096"},
                  {"Rb", "2.34561"}, {"R", "1.74427"}, {"valore", "2.6164"}});
        righe(2, {{"n", "167"}, {"delta", "0.407598"}, {"omegaS", "2.01719"}, {"A", "0.121371"},
                  {"B", "0.84331"}, {"C", "-0.229512"}, {"D", "0.280297"}, {"E", "0.649186"},
                  {"H0", "41.4663"}, {"KT", "0.564314"}, {"Kd", "0.332486"},
                  {"alba", "-1.97584"}, {"tramonto", "1.4444"}, {"omegaSr", "-1.97584"},
                  {"omegaSs", "1.4444"}, {"Rb", "0.93231"}, {"R", "0.945942"}, {"valore", "6.14862"}});
    }
    void passi()
    {
        QFETCH(int, esempio);
        QFETCH(QString, grandezza);
        QFETCH(QString, stampato);
        const PassiModello p = esempio == 1 ? Esempio1() : Esempio2();
        const std::map<QString, double> valori = {
            {"n", p.n},         {"delta", p.delta},       {"omegaS", p.omegaS},
            {"A", p.k.A},       {"B", p.k.B},             {"C", p.k.C},
            {"D", p.k.D},       {"E", p.k.E},             {"H0", p.H0},
            {"KT", p.KT},       {"Kd", p.Kd},             {"w1", p.w1},
            {"w2", p.w2},       {"alba", p.alba},         {"tramonto", p.tramonto},
            {"omegaSr", p.omegaSr}, {"omegaSs", p.omegaSs}, {"Rb", p.Rb},
            {"R", p.R},         {"valore", p.valore}};
        const double x = valori.at(grandezza);
        QVERIFY2(Stampato(x, qPrintable(stampato)),
                 qPrintable(QStringLiteral("%1 = %2, printed %3").arg(grandezza).arg(x, 0, 'g', 17).arg(stampato)));
        QCOMPARE(p.illuminazione, fv::Illuminazione::Intervallo);
    }

    // Each step function on its own, fed the printed (rounded) values of the
    // steps before it: a wrong constant fails at the step that holds it.
    void passiSingoli()
    {
        QVERIFY(Vicino(fv::Declinazione(15, 1), "-0.371231"));
        QVERIFY(Vicino(fv::Declinazione(167, 6), "0.407598"));
        QVERIFY(Vicino(fv::AngoloOrarioTramonto(fv::SoleDelGiorno(15, -0.371231), fv::CreaPiano(45 * kDeg, 0, 0, 0), 1), "1.17096"));
        QVERIFY(Vicino(fv::AngoloOrarioTramonto(fv::SoleDelGiorno(167, 0.407598), fv::CreaPiano(45 * kDeg, 0, 0, 0), 6), "2.01719"));
        const fv::Coefficienti k = fv::CoefficientiPiano(fv::SoleDelGiorno(167, 0.407598), fv::CreaPiano(45 * kDeg, 30 * kDeg, -30 * kDeg, 0.2), 6);
        QVERIFY(Vicino(k.C, "-0.229512"));
        QVERIFY(Vicino(fv::RadiazioneExtraterrestre(fv::SoleDelGiorno(15, -0.371231), 1.17096, {0, 0, 0, -0.256509, 0.658948}, 1), "11.7735"));
        QVERIFY(Vicino(fv::IndiceSerenita(6.5, 41.4663, 6), "0.564314"));
        QVERIFY(Vicino(fv::FrazioneDiffusa(0.458659, 1), "0.435184"));
        QVERIFY(Vicino(fv::RapportoTotale(fv::CreaPiano(0, 30 * kDeg, 0, 0.2), 0.332486, 0.93231, 6), "0.945942"));
    }

    void risultatoComeRH()
    {
        // Step 12 multiplies R by KT H0 / 3.6, which is H up to the last digits.
        for (const PassiModello& p : {Esempio1(), Esempio2()}) {
            const double H = p.KT * p.H0 / 3.6;
            QVERIFY(std::fabs(p.valore - p.R * H) <= 1e-12 * p.valore);
        }
        QVERIFY(std::fabs(Esempio1().valore - 1.74427 * 1.5) < 1e-4);
    }

    void orizzontale()
    {
        // Tilt 0: any azimuth and reflectance give back the horizontal value.
        for (int m = 1; m <= 12; ++m) {
            for (double az : {-170.0, -45.0, 0.0, 5.0, 90.0, 180.0}) {
                const PassiModello p = fv::PassiRadiazioneInclinata(m, 41.9 * kDeg, 0, az * kDeg, 0.7, 3.3);
                QVERIFY(std::fabs(p.R - 1) < 1e-12);
                QVERIFY(std::fabs(p.valore - 3.3) < 1e-12);
            }
        }
    }

    void simmetriaEAlbedo()
    {
        for (int m = 1; m <= 12; ++m) {
            const double est = fv::CalcolaRadiazioneInclinata(m, 44 * kDeg, 35 * kDeg, -40 * kDeg, 0.2, 4);
            const double ovest = fv::CalcolaRadiazioneInclinata(m, 44 * kDeg, 35 * kDeg, 40 * kDeg, 0.2, 4);
            QVERIFY(std::fabs(est - ovest) < 1e-12);
            // The ground term is (1 - cos beta) / 2 x rho x H.
            const double senza = fv::CalcolaRadiazioneInclinata(m, 44 * kDeg, 35 * kDeg, 10 * kDeg, 0, 4);
            const double con = fv::CalcolaRadiazioneInclinata(m, 44 * kDeg, 35 * kDeg, 10 * kDeg, 0.5, 4);
            const PassiModello p = fv::PassiRadiazioneInclinata(m, 44 * kDeg, 35 * kDeg, 10 * kDeg, 0.5, 4);
            QVERIFY(std::fabs((con - senza) - (1 - std::cos(35 * kDeg)) / 2 * 0.5 * p.KT * p.H0 / 3.6) < 1e-12);
        }
    }

    void sudEstateInverno()
    {
        // Facing south at 45 N: in the months of negative declination the
        // plane's own crossings lie outside the day; in summer, with the tilt
        // equal to the latitude, they are about a quarter turn from noon.
        for (int m = 1; m <= 12; ++m) {
            const PassiModello p = fv::PassiRadiazioneInclinata(m, 45 * kDeg, 45 * kDeg, 0, 0.2, 3);
            QCOMPARE(p.omegaSr, -p.omegaSs);
            if (m <= 3 || m >= 10) {
                QCOMPARE(p.omegaSs, p.omegaS);
            } else {
                QVERIFY(p.omegaSs < p.omegaS);
                QVERIFY(std::fabs(p.omegaSs - 1.5708) < 1e-3);
            }
        }
        // A vertical wall facing west sees the sun from about noon to sunset.
        const PassiModello w = fv::PassiRadiazioneInclinata(6, 45 * kDeg, 90 * kDeg, 90 * kDeg, 0.2, 6);
        QVERIFY(std::fabs(w.omegaSr) < 1e-3);
        QCOMPARE(w.omegaSs, w.omegaS);
    }

    void frazioneDiffusaNegativa()
    {
        // A very clear month: KT above 0.9064 makes Kd negative and the model goes on.
        const PassiModello p = fv::PassiRadiazioneInclinata(6, 45 * kDeg, 30 * kDeg, 0, 0.2, 11);
        QVERIFY(p.KT > 0.9064);
        QVERIFY(p.Kd < 0);
        QVERIFY(std::isfinite(p.valore));
    }

    void errori_data()
    {
        QTest::addColumn<double>("latitudine");
        QTest::addColumn<int>("mese");
        QTest::addColumn<int>("tipo");
        // Latitude 0: tan phi = 0, the sunset formula divides by zero.
        QTest::newRow("equator") << 0.0 << 1 << int(fv::ErroreAritmetico::Tipo::DivisionePerZero);
        // Beyond about 66.6 deg the sun does not set (or rise) on some day numbers.
        QTest::newRow("polar winter") << 70.0 << 1 << int(fv::ErroreAritmetico::Tipo::RadiceNegativa);
        QTest::newRow("polar south") << -70.0 << 1 << int(fv::ErroreAritmetico::Tipo::RadiceNegativa);
    }
    void errori()
    {
        QFETCH(double, latitudine);
        QFETCH(int, mese);
        QFETCH(int, tipo);
        try {
            fv::CalcolaRadiazioneInclinata(mese, latitudine * kDeg, 30 * kDeg, 0, 0.2, 2);
            QFAIL("no arithmetic error");
        } catch (const fv::ErroreAritmetico& e) {
            QCOMPARE(e.mese(), mese);
            QCOMPARE(e.passo(), fv::Passo::AngoloTramonto);
            QCOMPARE(int(e.tipo()), tipo);
        }
        // H0 = 0 cannot happen at a real site; H = 0 is a value, not an error.
        QCOMPARE(fv::CalcolaRadiazioneInclinata(1, 45 * kDeg, 30 * kDeg, 0, 0.2, 0), 0.0);
    }

    // Planes that see the sun all day, never, or in two spells: the beam
    // ratio is the integral of the incidence cosine over the hours when the
    // sun is up and in front of the plane.
    void pianiDifficili()
    {
        // North-facing roof, 60 deg, at 45 N in December: never in the sun.
        const PassiModello dic = fv::PassiRadiazioneInclinata(12, 45 * kDeg, 60 * kDeg, 180 * kDeg, 0.2, 1.2);
        QCOMPARE(dic.illuminazione, fv::Illuminazione::Mai);
        QCOMPARE(dic.Rb, 0.0);
        QVERIFY(dic.valore > 0); // sky and ground still reach it
        // A vertical wall facing north at 45 N in December has no beam.
        QCOMPARE(fv::PassiRadiazioneInclinata(12, 45 * kDeg, 90 * kDeg, 180 * kDeg, 0.2, 1.2).Rb, 0.0);
        // A steep north-facing plane in June is lit early and late.
        const PassiModello giu = fv::PassiRadiazioneInclinata(6, 45 * kDeg, 80 * kDeg, 180 * kDeg, 0.2, 6.5);
        QCOMPARE(giu.illuminazione, fv::Illuminazione::DueIntervalli);
        QVERIFY(giu.Rb > 0);
        QVERIFY(giu.omegaSs < giu.omegaSr2);
    }

    void integrazioneNumerica()
    {
        int casi = 0;
        double peggiore = 0;
        QString dove;
        for (int lat = 36; lat <= 47; ++lat) {
            for (int m = 1; m <= 12; ++m) {
                for (int tilt : {0, 10, 20, 30, 45, 60, 75, 90, 100, 120, 150, 180, -20}) {
                    for (int az = -180; az <= 180; az += 20) {
                        const PassiModello p = fv::PassiRadiazioneInclinata(m, lat * kDeg, tilt * kDeg, az * kDeg, 0.2, 3);
                        const fv::Coefficienti& k = p.k;
                        const double integrale = IntegraleNumerico(
                            [&](double w) { return k.A + k.B * std::cos(w) + k.C * std::sin(w); }, -p.omegaS, p.omegaS);
                        const double rb = integrale / (2 * (std::sin(p.omegaS) * k.E + k.D * p.omegaS));
                        const double errore = std::fabs(rb - p.Rb);
                        if (errore > peggiore) {
                            peggiore = errore;
                            dove = QStringLiteral("lat %1 month %2 tilt %3 az %4: Rb %5 vs %6")
                                       .arg(lat).arg(m).arg(tilt).arg(az).arg(p.Rb, 0, 'g', 12).arg(rb, 0, 'g', 12);
                        }
                        ++casi;
                    }
                }
            }
        }
        QVERIFY2(peggiore < 1e-7, qPrintable(dove));
        QVERIFY(casi > 30000);
    }
};

QTEST_APPLESS_MAIN(TestModello)
#include "tst_modello.moc"
