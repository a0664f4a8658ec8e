// SPDX-License-Identifier: MIT
// Reading and writing numbers: independent of the process locale, which the
// test sets from the environment (it runs under an Italian and a C locale).
#include "calc/numeri.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <random>

using fv::Campo;
using fv::ErroreConversione;
using fv::FormatoNumeri;

Q_DECLARE_METATYPE(std::string)

namespace {
FormatoNumeri Formato(const QString& nome) { return nome == "it" ? FormatoNumeri::Italiano() : FormatoNumeri::C(); }
} // namespace

class TestNumeri : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { std::setlocale(LC_ALL, ""); } // as QApplication does

    void articoloDelleDate()
    {
        // "l'8/5", "dell'11/3", "l'1/4"; "il 2/5", "del 18/6" (diciotto).
        QCOMPARE(fv::ArticoloData(8) + "8/5", std::string("l'8/5"));
        QCOMPARE(fv::ArticoloData(11, true), std::string("dell'"));
        QCOMPARE(fv::ArticoloData(1), std::string("l'"));
        QCOMPARE(fv::ArticoloData(2), std::string("il "));
        QCOMPARE(fv::ArticoloData(18, true), std::string("del "));
    }

    void leggi_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<double>("atteso");
        QTest::newRow("it comma") << "it" << "3,5" << 3.5;
        QTest::newRow("it blanks around") << "it" << "  45,4\t" << 45.4;
        QTest::newRow("it sign") << "it" << "-1" << -1.0;
        QTest::newRow("it plus") << "it" << "+2,25" << 2.25;
        QTest::newRow("it trailing sep") << "it" << "3," << 3.0;
        QTest::newRow("it leading sep") << "it" << ",5" << 0.5;
        QTest::newRow("it exponent") << "it" << "1E-05" << 1e-05;
        QTest::newRow("it exponent lower") << "it" << "2,5e3" << 2500.0;
        QTest::newRow("c point") << "c" << "3.5" << 3.5;
        QTest::newRow("c latitude") << "c" << "45.4" << 45.4;
        QTest::newRow("c zero") << "c" << "0" << 0.0;
    }
    void leggi()
    {
        QFETCH(QString, locale);
        QFETCH(QString, testo);
        QFETCH(double, atteso);
        QCOMPARE(fv::LeggiNumero(testo.toStdString(), Formato(locale), Campo::Potenza), atteso);
    }

    void rifiuta_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<int>("motivo");
        const int non = int(ErroreConversione::Motivo::NonNumero);
        const int gruppo = int(ErroreConversione::Motivo::SeparatoreMigliaia);
        QTest::newRow("it point is a group separator") << "it" << "3.5" << gruppo;
        QTest::newRow("it thousand") << "it" << "1.000" << gruppo;
        QTest::newRow("c comma is a group separator") << "c" << "1,000" << gruppo;
        QTest::newRow("lone minus") << "it" << "-" << non;
        QTest::newRow("lone plus") << "c" << "+" << non;
        QTest::newRow("letters") << "it" << "abc" << non;
        QTest::newRow("blanks only") << "it" << "   " << non;
        QTest::newRow("number then letters") << "c" << "12kW" << non;
        QTest::newRow("inner blank") << "c" << "1 2" << non;
        QTest::newRow("exponent without digits") << "c" << "3e" << non;
        QTest::newRow("infinity word") << "c" << "inf" << non;
        QTest::newRow("nan word") << "c" << "nan" << non;
        QTest::newRow("hex") << "c" << "0x10" << non;
        QTest::newRow("two signs") << "c" << "--1" << non;
        QTest::newRow("beyond double") << "c" << "1e400" << int(ErroreConversione::Motivo::FuoriIntervallo);
    }
    void rifiuta()
    {
        QFETCH(QString, locale);
        QFETCH(QString, testo);
        QFETCH(int, motivo);
        try {
            fv::LeggiNumero(testo.toStdString(), Formato(locale), Campo::Tilt);
            QFAIL("no conversion error");
        } catch (const ErroreConversione& e) {
            QCOMPARE(int(e.motivo()), motivo);
            QCOMPARE(e.campo(), Campo::Tilt);
            QCOMPARE(QString::fromStdString(e.testo()), testo);
        }
    }

    void numeroDiFile()
    {
        // Files and CSV rows: a decimal point or a comma, nothing else strtod takes.
        for (const auto& [testo, atteso] : {std::pair{"1.5", 1.5}, {"1,5", 1.5}, {" 7 ", 7.0}, {"2.5e-1", 0.25}, {"-0,125", -0.125}})
            QCOMPARE(fv::LeggiNumeroFile(testo, Campo::ComuneRadiazione), atteso);
        for (const char* testo : {"0x5", "inf", "nan", "1.5.2", "1,000.5", "", "1e", "5 kWh"})
            QVERIFY_THROWS_EXCEPTION(fv::ErroreConversione, fv::LeggiNumeroFile(testo, Campo::ComuneRadiazione));
    }

    void intero16_data()
    {
        QTest::addColumn<double>("valore");
        QTest::addColumn<int>("atteso");
        QTest::newRow("12.5 to even 12") << 12.5 << 12;
        QTest::newRow("13.5 to even 14") << 13.5 << 14;
        QTest::newRow("-2.5 to even -2") << -2.5 << -2;
        QTest::newRow("12.51 up") << 12.51 << 13;
        QTest::newRow("top") << 32767.0 << 32767;
        QTest::newRow("bottom") << -32768.0 << -32768;
        QTest::newRow("bottom tie to even") << -32768.5 << -32768;
    }
    void intero16()
    {
        QFETCH(double, valore);
        QFETCH(int, atteso);
        QCOMPARE(int(fv::Intero16(valore, Campo::PerditeGeneratore, "x")), atteso);
    }

    void intero16Overflow()
    {
        for (double v : {32767.5, 32768.0, -32769.0, 1e10}) {
            QVERIFY_THROWS_EXCEPTION(fv::ErroreOverflow, fv::Intero16(v, Campo::EfficienzaInverter, "x"));
        }
        QCOMPARE(int(fv::Intero16(fv::LeggiNumero("12,5", FormatoNumeri::Italiano(), Campo::PerditeGeneratore), Campo::PerditeGeneratore, "12,5")), 12);
    }

    void arrotonda_data()
    {
        QTest::addColumn<double>("valore");
        QTest::addColumn<int>("decimali");
        QTest::addColumn<double>("atteso");
        // Exact binary ties go to the even neighbour; values stored below or
        // above a decimal tie go where their binary value lies.
        QTest::newRow("2.125 exact tie") << 2.125 << 2 << 2.12;
        QTest::newRow("182.5 exact tie") << 182.5 << 0 << 182.0;
        QTest::newRow("1234.5") << 1234.5 << 0 << 1234.0;
        QTest::newRow("1235.5") << 1235.5 << 0 << 1236.0;
        QTest::newRow("473.856") << 473.856 << 2 << 473.86;
        QTest::newRow("2.675 below the tie") << 2.675 << 2 << 2.67;
        QTest::newRow("1.005 below the tie") << 1.005 << 2 << 1.0;
        QTest::newRow("0.125 exact tie") << 0.125 << 2 << 0.12;
        QTest::newRow("0.375 exact tie") << 0.375 << 2 << 0.38;
        QTest::newRow("4.125 radiation") << 4.125 << 2 << 4.12;
        QTest::newRow("negative tie") << -2.5 << 0 << -2.0;
        QTest::newRow("negative 473.856") << -473.856 << 2 << -473.86;
        QTest::newRow("tiny negative gives zero") << -0.001 << 2 << 0.0;
        QTest::newRow("large exact tie") << 123456789012345.5 << 0 << 123456789012346.0;
        QTest::newRow("large with cents") << 70368744177664.125 << 2 << 70368744177664.12;
    }
    void arrotonda()
    {
        QFETCH(double, valore);
        QFETCH(int, decimali);
        QFETCH(double, atteso);
        const double r = fv::ArrotondaPari(valore, decimali);
        QCOMPARE(r, atteso);
        QVERIFY(!std::signbit(r) || r != 0.0); // never a negative zero
    }

    void testo_data()
    {
        QTest::addColumn<double>("valore");
        QTest::addColumn<QString>("it");
        QTest::addColumn<QString>("c");
        QTest::newRow("latitude") << 45.4 << "45,4" << "45.4";
        QTest::newRow("whole") << 1675.0 << "1675" << "1675";
        QTest::newRow("no grouping") << 1234567.0 << "1234567" << "1234567";
        QTest::newRow("tariff") << 0.384 << "0,384" << "0.384";
        QTest::newRow("zero") << 0.0 << "0" << "0";
        QTest::newRow("negative zero") << -0.0 << "0" << "0";
        QTest::newRow("15 digits at most") << 0.1 + 0.2 << "0,3" << "0.3";
        QTest::newRow("small") << 1e-05 << "1E-05" << "1E-05";
        QTest::newRow("negative") << -12.5 << "-12,5" << "-12.5";
        QTest::newRow("two decimals") << 2.12 << "2,12" << "2.12";
    }
    void testo()
    {
        QFETCH(double, valore);
        QFETCH(QString, it);
        QFETCH(QString, c);
        QCOMPARE(QString::fromStdString(fv::TestoNumero(valore, FormatoNumeri::Italiano())), it);
        QCOMPARE(QString::fromStdString(fv::TestoNumero(valore, FormatoNumeri::C())), c);
    }

    void testoArrotondato()
    {
        QCOMPARE(fv::TestoArrotondato(473.856, 2, FormatoNumeri::Italiano()), std::string("473,86"));
        QCOMPARE(fv::TestoArrotondato(182.5, 0, FormatoNumeri::C()), std::string("182"));
        QCOMPARE(fv::TestoArrotondato(1.0 / 3.0, 2, FormatoNumeri::C()), std::string("0.33"));
        QVERIFY_THROWS_EXCEPTION(fv::Errore, fv::TestoNumero(NAN, FormatoNumeri::C()));
    }

    // The shortcut for shown results writes what the general form writes.
    void arrotondatoComeGenerale()
    {
        std::mt19937_64 gen(7);
        std::uniform_real_distribution<double> u(-1, 1);
        std::uniform_int_distribution<int> scala(-6, 16);
        for (int i = 0; i < 50000; ++i) {
            const double x = u(gen) * std::pow(10.0, scala(gen));
            for (int d : {0, 1, 2, 3, 4}) {
                for (const FormatoNumeri& f : {FormatoNumeri::Italiano(), FormatoNumeri::C()}) {
                    const std::string a = fv::TestoArrotondato(x, d, f);
                    const std::string b = fv::TestoNumero(fv::ArrotondaPari(x, d), f);
                    if (a != b)
                        QFAIL(qPrintable(QStringLiteral("%1 to %2: %3 vs %4").arg(x, 0, 'g', 17).arg(d)
                                             .arg(QString::fromStdString(a), QString::fromStdString(b))));
                }
            }
        }
    }

    // Any number of at most 15 significant digits written in the general form
    // reads back to the same double, in both notations.
    void andataRitorno()
    {
        std::mt19937_64 gen(20261207);
        std::uniform_int_distribution<long long> mantissa(-999999999999999LL, 999999999999999LL);
        std::uniform_int_distribution<int> cifre(1, 15);
        std::uniform_int_distribution<int> esponente(-20, 20);
        for (int i = 0; i < 20000; ++i) {
            const int n = cifre(gen);
            long long m = mantissa(gen);
            for (int k = n; k < 15; ++k)
                m /= 10;
            const std::string decimale = std::to_string(m) + "e" + std::to_string(esponente(gen));
            const double x = std::stod(decimale); // the double nearest that decimal
            for (const FormatoNumeri& f : {FormatoNumeri::Italiano(), FormatoNumeri::C()}) {
                const std::string t = fv::TestoNumero(x, f);
                const double y = fv::LeggiNumero(t, f, Campo::Latitudine);
                if (y != x)
                    QFAIL(qPrintable(QStringLiteral("%1 -> %2 -> %3")
                                         .arg(QString::fromStdString(decimale), QString::fromStdString(t))
                                         .arg(y, 0, 'g', 17)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestNumeri)
#include "tst_numeri.moc"
