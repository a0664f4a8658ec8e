// SPDX-License-Identifier: MIT
// The cash flow against a small case computed by hand, and the rules of its
// parameters: NPV at the IRR, payback within the year, the deduction's cap,
// the community premium's years, degradation and escalation compounding.
#include "calc/dimensiona.h"
#include "calc/economia.h"
#include "calc/incertezza.h"
#include "data/parametri.h"
#include "data/province.h"
#include "calc/numeri.h"

#include <QTest>

#include <cmath>
#include <tuple>

using namespace fv;

namespace {

// A 2 kW plant, no battery: 2000 kWh a year, 800 covered on site, 1200 exported.
const EnergiaAnno kEnergia{2000, 800, 1200, 2000};

// Households that differ from the default in one thing.
Famiglia Area(AreaPremio area)
{
    Famiglia f;
    f.area = area;
    return f;
}
Famiglia SecondaCasa()
{
    Famiglia f;
    f.secondaCasa = true;
    return f;
}
Famiglia Capienza(double imposta)
{
    Famiglia f;
    f.impostaLorda = imposta;
    return f;
}

std::vector<Parametro> Piccolo()
{
    std::vector<Parametro> p = ParametriInVigore(ParametriPredefiniti(), "2026-06-01");
    for (const auto& [nome, valore] :
         std::vector<std::pair<const char*, double>>{{"orizzonte", 3}, {"tasso_sconto", 10}, {"degrado", 0},
                                                     {"aumento_prezzi", 0}, {"prezzo_energia", 0.5}, {"prezzo_zonale", 0.05},
                                                     {"prezzo_minimo_garantito", 0.04}, {"quota_condivisa", 0},
                                                     {"detrazione", 50}, {"detrazione_rate", 2}, {"costo_impianto", 1000},
                                                     {"manutenzione", 10}, {"anno_inverter", 0}, {"aliquota_irpef", 0}, {"inflazione", 0},
                                                     {"quota_premio_socio", 100}})
        Imposta(p, nome, valore);
    return p;
}

// The 2 kWp plant's cash flow, with the weather's factor on each year along a slope.
Convenienza ValutaDueKw(const std::vector<Parametro>& q, const std::vector<double>* fattori)
{
    MeteoDegliAnni meteo;
    if (fattori)
        meteo = {*fattori, {2000, 300, 1700, 0}};
    return CalcolaConvenienza(kEnergia, 2, 0, q, {}, nullptr, fattori ? &meteo : nullptr, false);
}

} // namespace

class TestEconomia : public QObject {
    Q_OBJECT

private slots:
    void prezziPerFascia()
    {
        // 800 kWh covered: 500 in F1, 200 in F2, 100 in F3. F1 at 0.40 and the
        // others at 0.20 save 500 x 0.20 more than 0.20 for every hour; three
        // equal prices are the one price, to the cent.
        EnergiaAnno e = kEnergia;
        e.copertoFasce = {500, 200, 100};
        std::vector<Parametro> p = Piccolo();
        Imposta(p, "prezzo_energia", 0.2);
        Famiglia bioraria;
        bioraria.prezziFasce = std::array<double, 3>{0.4, 0.2, 0.2};
        const Convenienza unico = CalcolaConvenienza(e, 2, 0, p);
        const Convenienza fasce = CalcolaConvenienza(e, 2, 0, p, bioraria);
        QVERIFY(std::fabs(fasce.anni[1].risparmio - unico.anni[1].risparmio - 500 * 0.2) < 1e-9);
        QVERIFY(fasce.van > unico.van);
        // With a battery the year's energy is read off its ageing curve, bands and all:
        // the new battery's year 1 saves 600 x 0.4 + 300 x 0.2 + 200 x 0.2.
        CurvaBatteria curva;
        curva.punti = {{0, e}, {1, {2000, 1100, 800, 2000, {600, 300, 200}}}};
        const Convenienza conBatteria = CalcolaConvenienza(e, 2, 5, p, bioraria, &curva);
        QVERIFY(std::fabs(conBatteria.anni[1].risparmio - (600 * 0.4 + 300 * 0.2 + 200 * 0.2)) < 1e-9);
        bioraria.prezziFasce = std::array<double, 3>{0.2, 0.2, 0.2};
        QCOMPARE(CalcolaConvenienza(e, 2, 0, p, bioraria).anni[1].risparmio, unico.anni[1].risparmio);
        // As typed: semicolons with decimal commas, or commas with points; three values in range.
        QCOMPARE(LeggiPrezziFasce("0,32;0,27;0,24"), (std::array<double, 3>{0.32, 0.27, 0.24}));
        QCOMPARE(LeggiPrezziFasce("0.32,0.27,0.24"), (std::array<double, 3>{0.32, 0.27, 0.24}));
        for (const auto& [testo, motivo] : {std::pair{"0,32,0,27", "tre"}, std::pair{"0,32;0,27;3", "F3 vale da 0,01 a 2"},
                                            std::pair{"0,32;x;0,2", "F2"}}) {
            try {
                LeggiPrezziFasce(testo);
                QFAIL(testo);
            } catch (const std::invalid_argument& ex) {
                QVERIFY2(std::string(ex.what()).find(motivo) != std::string::npos, ex.what());
            }
        }
    }

    void casoCalcolatoAMano()
    {
        // Year 0: -2000. Years 1-2: 800 x 0.5 + 1200 x 0.05 + 2000 x 50 % / 2 - 2 x 10 = 940.
        // Year 3: 400 + 60 - 20 = 440.
        const Convenienza c = CalcolaConvenienza(kEnergia, 2, 0, Piccolo());
        QCOMPARE(c.investimento, 2000.0);
        QCOMPARE(int(c.anni.size()), 4);
        QCOMPARE(c.anni[1].flusso, 940.0);
        QCOMPARE(c.anni[2].flusso, 940.0);
        QCOMPARE(c.anni[3].flusso, 440.0);
        QCOMPARE(c.anni[3].cumulato, 320.0);
        // NPV at 10 %: -2000 + 940/1.1 + 940/1.21 + 440/1.331.
        QVERIFY(std::fabs(c.van - (-2000 + 854.5454545454545 + 776.8595041322314 + 330.5785123966942)) < 1e-9);
        // Simple payback: 120 left after year 2, 440 in year 3.
        QVERIFY(std::fabs(*c.ritornoSemplice - (2 + 120.0 / 440)) < 1e-12);
        QVERIFY(!c.ritornoAttualizzato); // NPV < 0: never within the horizon
        // LCOE: (2000 + 20/1.1 + 20/1.21 + 20/1.331) / (2000/1.1 + 2000/1.21 + 2000/1.331).
        const double costi = 2000 + 20 / 1.1 + 20 / 1.21 + 20 / 1.331;
        const double energia = 2000 / 1.1 + 2000 / 1.21 + 2000 / 1.331;
        QVERIFY(std::fabs(c.lcoe - costi / energia) < 1e-12);
        QCOMPARE(c.risparmioPrimoAnno, 460.0);
        // The IRR zeroes the NPV.
        QVERIFY(c.tir);
        std::vector<double> flussi;
        for (const AnnoFlusso& a : c.anni)
            flussi.push_back(a.flusso);
        QVERIFY(std::fabs(ValoreAttuale(flussi, *c.tir)) < 1e-9);
        QVERIFY(*c.tir < 0.10 && *c.tir > 0.05);
        // Flows that never change sign have none.
        QVERIFY(!TassoInterno({-100, -5, -5}));
        QVERIFY(!TassoInterno({100, 5}));
    }

    void regoleDegliIncentivi()
    {
        std::vector<Parametro> p = Piccolo();
        // The deduction on the expense up to its cap.
        Imposta(p, "detrazione_tetto", 1000);
        QCOMPARE(CalcolaConvenienza(kEnergia, 2, 0, p).anni[1].detrazione, 250.0);
        // The premium on the shared export, only for its years.
        Imposta(p, "quota_condivisa", 50);
        Imposta(p, "anni_premio", 2);
        Imposta(p, "premio_comunita", 0.1);
        Imposta(p, "correzione_nord", 0.01);
        Imposta(p, "correzione_centro", 0.004);
        Imposta(p, "valorizzazione_arera", 0.01);
        // The region's correction: +10 EUR/MWh in the North, +4 in the Centre, none elsewhere.
        const Convenienza c = CalcolaConvenienza(kEnergia, 2, 0, p, Area(AreaPremio::Nord));
        QVERIFY(std::fabs(c.anni[2].premioComunita - 1200 * 0.5 * 0.12) < 1e-12);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, p, Area(AreaPremio::Centro)).anni[2].premioComunita
                          - 1200 * 0.5 * 0.114) < 1e-12);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, p).anni[2].premioComunita - 1200 * 0.5 * 0.11) < 1e-12);
        QCOMPARE(c.anni[3].premioComunita, 0.0);
        // Where the rule excludes the deduction with the premium: none.
        Imposta(p, "detrazione_con_premio", 0);
        QCOMPARE(CalcolaConvenienza(kEnergia, 2, 0, p).anni[1].detrazione, 0.0);
    }

    void detrazioneFinoAVentiKw()
    {
        // The deduction is for a plant at the dwelling's service, up to 20 kW
        // (risoluzione 22/E/2013): either side of the limit, the same rules.
        const std::vector<Parametro> p = Piccolo();
        for (const auto& [potenza, spetta] : {std::pair{3.0, true}, std::pair{19.5, true}, std::pair{20.0, true},
                                              std::pair{20.5, false}, std::pair{76.0, false}}) {
            const Convenienza c = CalcolaConvenienza(kEnergia, potenza, 0, p);
            QCOMPARE(c.oltreLimiteDetrazione, !spetta);
            QCOMPARE(c.detrazioneApplicata, spetta);
            // Two instalments of half the cost.
            QCOMPARE(c.anni[1].detrazione, spetta ? c.investimento * 0.5 / 2 : 0.0);
        }
    }

    void degradoEAumentiComposti()
    {
        std::vector<Parametro> p = Piccolo();
        Imposta(p, "degrado", 2.5);
        Imposta(p, "aumento_prezzi", 10);
        const Convenienza c = CalcolaConvenienza(kEnergia, 2, 0, p);
        // Year 3: 800 x 0.975^2 = 760.5 covered, at 0.5 x 1.1^2.
        QVERIFY(std::fabs(c.anni[3].coperto - 760.5) < 1e-9);
        QVERIFY(std::fabs(c.anni[3].risparmio - 760.5 * 0.605) < 1e-9);
        QVERIFY(std::fabs(c.anni[3].prelevata - (2000 - 760.5)) < 1e-9);
    }

    void parametriFuoriIntervallo()
    {
        std::vector<Parametro> p = ParametriInVigore(ParametriPredefiniti(), "2026-06-01");
        for (const auto& [nome, valore] : std::vector<std::pair<const char*, double>>{
                 {"tasso_sconto", -100}, {"degrado", 100}, {"orizzonte", 41}, {"orizzonte", 0}, {"prezzo_energia", -0.1}}) {
            try {
                Imposta(p, nome, valore);
                QFAIL(nome);
            } catch (const ErroreParametro& e) {
                QCOMPARE(e.nome(), std::string(nome));
                QVERIFY(std::string(e.what()).find(nome) != std::string::npos);
            }
        }
        QVERIFY_THROWS_EXCEPTION(ErroreParametro, Imposta(p, "inesistente", 1));
        Verifica(ParametriPredefiniti()); // the dataset's rows are in range
    }

    void ritornoQuandoIlCumulatoResta()
    {
        // +19 in year 11, -229 in year 12 (an inverter), +44 in year 13: paid back in year 13.
        const std::vector<double> flussi = {-1000, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 19 + 0.0, -248, 273};
        double c = 0;
        for (std::size_t t = 0; t < 12; ++t)
            c += flussi[t];
        QCOMPARE(c, 19.0);
        QVERIFY(std::fabs(*TempoDiRitorno(flussi) - (12 + 229.0 / 273)) < 1e-12);
        // A cumulative that ends below zero has no payback, whatever it crossed before.
        QVERIFY(!TempoDiRitorno({-1000, 600, 600, -300}));
        QCOMPARE(*TempoDiRitorno({-1000, 500, 500}), 2.0);
        // A plant that never repays its cost has a negative rate of return, found.
        const std::optional<double> tir = TassoInterno({-1000, 300, 300, 300});
        QVERIFY(tir && *tir < -0.04 && *tir > -0.06);
        QVERIFY(std::fabs(ValoreAttuale({-1000, 300, 300, 300}, *tir)) < 1e-9);
    }

    void parametriComeLiScriveUnaPersona()
    {
        std::vector<Parametro> p = ParametriInVigore(ParametriPredefiniti(), "2026-06-01");
        // Whole numbers and flags.
        for (const auto& [nome, valore, atteso] : std::vector<std::tuple<const char*, double, const char*>>{
                 {"orizzonte", 2.5, "un numero intero da 1 a 40 anni, non 2,5"},
                 {"anno_inverter", 12.5, "un numero intero"},
                 {"detrazione_rate", 0.5, "un numero intero"},
                 {"detrazione_con_premio", 0.5, "1 (sì) o 0 (no)"},
                 {"costo_impianto", 1.9, "da 500 a 5.000 €/kWp, non 1,9"},
                 {"aliquota_irpef", 0.23, "forse 23 %?"},
                 {"prezzo_energia", 30, "forse 0,3 €/kWh"},
                 {"tasso_sconto", -50, "oltre 0 %/anno e al massimo 15"},
                 {"detrazione_tetto", 96, "da 1.000 a 1.000.000 €"}}) {
            try {
                Imposta(p, nome, valore);
                QFAIL(nome);
            } catch (const ErroreParametro& e) {
                QVERIFY2(std::string(e.what()).find(atteso) != std::string::npos, e.what());
            }
        }
        // "2.700" may be 2,7 or 2700: refused with both readings; "0.300" is a decimal.
        try {
            LeggiNumeroPersona("2.700", Campo::Energia);
            QFAIL("read");
        } catch (const ErroreAmbiguo& e) {
            QCOMPARE(e.Spiegazione(), std::string("«2.700» può essere 2,7 oppure 2.700: scrivere 2.7 oppure 2700."));
        }
        QVERIFY_THROWS_EXCEPTION(ErroreAmbiguo, LeggiNumeroPersona("2,700", Campo::Energia));
        QVERIFY_THROWS_EXCEPTION(ErroreAmbiguo, LeggiNumeroPersona("-96,000", Campo::Energia));
        QCOMPARE(LeggiNumeroPersona("2,5", Campo::Energia), 2.5);
        QCOMPARE(LeggiNumeroPersona("0,300", Campo::Energia), 0.3);
        QCOMPARE(LeggiNumeroPersona("0.300", Campo::Energia), 0.3);
        QCOMPARE(LeggiNumeroPersona("2.75", Campo::Energia), 2.75);
        QCOMPARE(LeggiNumeroPersona("2700", Campo::Energia), 2700.0);
        QCOMPARE(TestoLeggibile(1e7), std::string("10.000.000"));
        QCOMPARE(TestoLeggibile(-0.5), std::string("-0,5"));
        // Dates of validity: real days only.
        QVERIFY(DataDiValiditaValida("2026-02-28") && DataDiValiditaValida("29/02/2028") && DataDiValiditaValida(""));
        QVERIFY(!DataDiValiditaValida("31/02/2026") && !DataDiValiditaValida("2026-13-01") && !DataDiValiditaValida("domani"));
    }

    void regoleSecondoLaDataDellaSpesa()
    {
        // The dataset's rows: the deduction by the year of the expense and the kind of home.
        const std::vector<Parametro> righe = ParametriPredefiniti();
        const auto in = [&](const char* data, const char* nome) { return Valore(ParametriInVigore(righe, data), nome); };
        QCOMPARE(in("2026-12-31", "detrazione"), 50.0);
        QCOMPARE(in("2027-01-01", "detrazione"), 36.0);
        QCOMPARE(in("2028-06-01", "detrazione"), 30.0);
        QCOMPARE(in("2026-06-01", "detrazione_seconda_casa"), 36.0);
        QCOMPARE(in("2027-06-01", "detrazione_seconda_casa"), 30.0);
        QCOMPARE(in("2027-12-31", "detrazione_tetto"), 96000.0);
        QCOMPARE(in("2028-01-01", "detrazione_tetto"), 48000.0);
        QCOMPARE(in("2028-01-01", "premio_comunita"), 0.0);
        // Before the first rule: refused, the parameter and the covered period named.
        try {
            ParametriInVigore(righe, "2024-06-01");
            QFAIL("no rule in force, and a result");
        } catch (const ErroreParametro& e) {
            QVERIFY2(std::string(e.what()).find("dal 01/01/2025") != std::string::npos, e.what());
        }
        // Periods of one name: an overlap and a gap said, the next day accepted.
        const auto riga = [](const char* dal, const char* al) {
            Parametro p;
            p.nome = "detrazione";
            p.dal = dal;
            p.al = al;
            return p;
        };
        QVERIFY(ControllaPeriodi({riga("2025-01-01", "2026-12-31"), riga("2027-01-01", "")}).empty());
        QVERIFY(ControllaPeriodi({riga("2025-01-01", "2027-01-01"), riga("2027-01-01", "")}).find("sovrappongono") != std::string::npos);
        QVERIFY(ControllaPeriodi({riga("2025-01-01", "2026-11-30"), riga("2027-01-01", "")}).find("manca un periodo") != std::string::npos);
        QVERIFY(GiornoDopo("2028-02-28", "2028-02-29") && GiornoDopo("2026-12-31", "2027-01-01") && !GiornoDopo("2027-02-28", "2027-02-29"));
    }

    void impostePremioECapienza()
    {
        std::vector<Parametro> p = Piccolo();
        // Sales taxed at the household's rate: 1200 kWh x 0.05 = 60 EUR, 23 % of it.
        Imposta(p, "aliquota_irpef", 23);
        const Convenienza tassata = CalcolaConvenienza(kEnergia, 2, 0, p);
        QVERIFY(std::fabs(tassata.anni[1].imposte - 13.8) < 1e-12);
        QVERIFY(std::fabs(tassata.anni[1].flusso - (940 - 13.8)) < 1e-12);
        // The community passes on its share of the premium.
        Imposta(p, "quota_condivisa", 50);
        Imposta(p, "quota_premio_socio", 60);
        Imposta(p, "premio_comunita", 0.1);
        Imposta(p, "correzione_nord", 0);
        Imposta(p, "valorizzazione_arera", 0);
        const Convenienza conPremio = CalcolaConvenienza(kEnergia, 2, 0, p);
        QVERIFY(std::fabs(conPremio.anni[1].premioComunita - 1200 * 0.5 * 0.6 * 0.1) < 1e-12);
        // A natural person's premium is not income: the tax stays the sales' alone.
        QVERIFY(std::fabs(conPremio.anni[1].imposte - 13.8) < 1e-12);
        // A second home's rate; a tax of 300 EUR a year caps the 500 EUR instalments.
        Imposta(p, "detrazione_seconda_casa", 36);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, p, SecondaCasa()).anni[1].detrazione - 2000 * 0.36 / 2) < 1e-12);
        // Each kind of home its own cap: a second home's of 1,000 EUR takes 1,000 of the 2,000.
        Imposta(p, "detrazione_tetto_seconda_casa", 1000);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, p, SecondaCasa()).anni[1].detrazione - 1000 * 0.36 / 2) < 1e-12);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, p).anni[1].detrazione - 2000 * 0.5 / 2) < 1e-12);
        const Convenienza capiente = CalcolaConvenienza(kEnergia, 2, 0, p, Capienza(300));
        QCOMPARE(capiente.anni[1].detrazione, 300.0);
        QCOMPARE(capiente.anni[1].detrazionePersa, 200.0);
        QCOMPARE(capiente.detrazionePersa, 400.0);
    }

    void contributoPnrrEPrezzoDellaZona()
    {
        std::vector<Parametro> p = Piccolo();
        Imposta(p, "quota_condivisa", 50);
        Imposta(p, "quota_premio_socio", 100);
        Imposta(p, "premio_comunita", 0.1);
        Imposta(p, "correzione_nord", 0.01);
        Imposta(p, "valorizzazione_arera", 0.008);
        Imposta(p, "detrazione_con_premio", 1);
        Imposta(p, "contributo_pnrr", 40);
        Imposta(p, "costo_ammissibile_pnrr", 800);
        Imposta(p, "riduzione_premio_pnrr", 50);
        Famiglia f = Area(AreaPremio::Nord);
        f.contributoPnrr = true;
        // 40 % of the cost up to 800 EUR/kWp (2 kWp at 1000: 1600 admitted), in year 1
        // only; no deduction; the premium with its correction halved, ARERA's part whole.
        const Convenienza c = CalcolaConvenienza(kEnergia, 2, 0, p, f);
        QCOMPARE(c.anni[1].contributo, 640.0);
        QCOMPARE(c.anni[2].contributo, 0.0);
        QCOMPARE(c.contributo, 640.0);
        QVERIFY(!c.detrazioneApplicata && c.anni[1].detrazione == 0);
        QVERIFY(std::fabs(c.anni[1].premioComunita - 1200 * 0.5 * (0.11 * 0.5 + 0.008)) < 1e-12);
        // A smaller grant cuts the premium in proportion: 20 % of 40, F = 0.25.
        Imposta(p, "contributo_pnrr", 20);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, p, f).anni[1].premioComunita - 1200 * 0.5 * (0.11 * 0.75 + 0.008))
                < 1e-12);
        // Without asking for it, nothing of the grant; nor outside a community (no share).
        QCOMPARE(CalcolaConvenienza(kEnergia, 2, 0, p, Area(AreaPremio::Nord)).contributo, 0.0);
        std::vector<Parametro> fuori = p;
        Imposta(fuori, "quota_condivisa", 0);
        QCOMPARE(CalcolaConvenienza(kEnergia, 2, 0, fuori, f).contributo, 0.0);
        // The eligible cost by the plant's band (DM 414/2023): 1,500 €/kW up to 20 kW, then
        // 1,200, 1,100, 1,050, each for the whole plant; a turnkey cost above every cap.
        std::vector<Parametro> bande = ParametriInVigore(ParametriPredefiniti(), "2026-03-01");
        for (const char* costo : {"costo_impianto", "costo_impianto_6", "costo_impianto_10", "costo_impianto_20"})
            Imposta(bande, costo, 3000);
        Imposta(bande, "quota_condivisa", 50);
        for (const auto& [kw, perKw] : std::vector<std::pair<double, double>>{
                 {3, 1500}, {20, 1500}, {20.5, 1200}, {200, 1200}, {200.5, 1100}, {600, 1100}, {601, 1050}})
            QVERIFY2(std::fabs(CalcolaConvenienza(kEnergia, kw, 0, bande, f).contributo - 0.4 * kw * perKw) < 1e-6,
                     qPrintable(QString::number(kw)));
        // The premium's cut for a grant: halved for an expense before DM 127/2025 (in force
        // 26/6/2025), whole for a natural person's after it.
        const auto premio = [&](const char* data) {
            std::vector<Parametro> q = ParametriInVigore(ParametriPredefiniti(), data);
            Imposta(q, "quota_condivisa", 50);
            Imposta(q, "quota_premio_socio", 100);
            Imposta(q, "valorizzazione_arera", 0);
            return CalcolaConvenienza(kEnergia, 3, 0, q, f).anni[1].premioComunita / (1200 * 0.5 * (0.12 + 0.01));
        };
        QVERIFY2(std::fabs(premio("2025-06-25") - 0.5) < 1e-9 && std::fabs(premio("2025-06-26") - 1) < 1e-9,
                 qPrintable(QStringLiteral("%1 %2").arg(premio("2025-06-25")).arg(premio("2025-06-26"))));
        // The energy sold at the zone's price: the national one plus the zone's difference,
        // never under the guaranteed minimum.
        std::vector<Parametro> z = Piccolo();
        Imposta(z, "prezzo_zonale", 0.1);
        Imposta(z, "prezzo_minimo_garantito", 0.05);
        Imposta(z, "differenza_zonale_sud", -0.02);
        Imposta(z, "differenza_zonale_sici", -0.08);
        Famiglia sud;
        sud.zona = "SUD";
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, z, sud).anni[1].vendita - 1200 * 0.08) < 1e-12);
        Famiglia sicilia;
        sicilia.zona = "SICI";
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, z, sicilia).anni[1].vendita - 1200 * 0.05) < 1e-12);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, z).anni[1].vendita - 1200 * 0.1) < 1e-12);
    }

    void migliorBatteriaPerPotenza()
    {
        // Per size, the battery of the highest NPV among all, not the last one
        // better than none: NPVs 0, 5, 3 pick the second; all worse than none, none.
        GrigliaDimensioni g;
        g.potenze = {3, 4};
        g.batterie = {0, 5, 10};
        for (double van : {0.0, 5.0, 3.0, 2.0, -1.0, -4.0}) {
            CellaDimensioni c;
            c.van = van;
            g.celle.push_back(c);
        }
        QCOMPARE(g.MiglioreBatteriaPerPotenza(), (std::vector<std::size_t>{1, 0}));
    }

    void premioDellEntrataInEsercizio()
    {
        // The community premium is for plants in service by 31/12/2027: paid in
        // November 2027, a plant in service in December has it, one in February 2028
        // none; the deduction is the expense's either way.
        const std::vector<Parametro> righe = ParametriPredefiniti();
        QCOMPARE(Valore(ParametriInVigore(righe, "2027-11-15", "2027-12-31"), "premio_comunita"), 0.12);
        QCOMPARE(Valore(ParametriInVigore(righe, "2027-11-15", "2028-01-01"), "premio_comunita"), 0.0);
        QCOMPARE(Valore(ParametriInVigore(righe, "2027-11-15"), "premio_comunita"), 0.12);
        QCOMPARE(Valore(ParametriInVigore(righe, "2027-11-15", "2028-02-01"), "detrazione"),
                 Valore(ParametriInVigore(righe, "2027-11-15"), "detrazione"));
        QVERIFY(Valore(ParametriInVigore(righe, "2027-11-15"), "detrazione") != Valore(ParametriInVigore(righe, "2028-02-01"), "detrazione"));
    }

    void quantoESicuro()
    {
        std::vector<Parametro> p = ParametriInVigore(ParametriPredefiniti(), "2026-12-01");
        const Valutazione valuta = ValutaDueKw;
        const std::vector<IntervalloParametro>& intervalli = IntervalliPredefiniti();
        // The draws ordered; the same seed, the same figures; the NPV's P50 near the single figure.
        const EsitoMonteCarlo m = MonteCarlo(valuta, p, intervalli, 1000);
        // P90 the prudent end: the NPV beaten in nine draws of ten, the payback reached in nine.
        QVERIFY(m.van.p90 < m.van.p50 && m.van.p50 < m.van.p10);
        QVERIFY(m.ritorno.p10 <= m.ritorno.p50 && m.ritorno.p50 <= m.ritorno.p90);
        QVERIFY(m.cumulato.back().p90 < m.cumulato.back().p10);
        QCOMPARE(MonteCarlo(valuta, p, intervalli, 1000).van.p50, m.van.p50);
        QVERIFY(MonteCarlo(valuta, p, intervalli, 1000, 7).van.p50 != m.van.p50);
        QCOMPARE(int(m.cumulato.size()), 26);
        const double unico = valuta(p, nullptr).van;
        QVERIFY2(std::fabs(m.van.p50 - unico) < 0.5 * (m.van.p10 - m.van.p90), qPrintable(QStringLiteral("%1 %2").arg(m.van.p50).arg(unico)));

        // A value set beyond the dataset's range carries the range: its median stays near
        // the single figure (the range 0.20-0.35 stretched to 0.5 put P50 far below it).
        {
            std::vector<Parametro> caro = p;
            Imposta(caro, "prezzo_energia", 0.5);
            const double singolo = valuta(caro, nullptr).van;
            const EsitoMonteCarlo mc = MonteCarlo(valuta, caro, IntervalliPredefiniti());
            QVERIFY2(std::fabs(mc.van.p50 - singolo) < 0.25 * (mc.van.p10 - mc.van.p90),
                     qPrintable(QStringLiteral("%1 %2 %3").arg(mc.van.p50).arg(singolo).arg(mc.van.p10 - mc.van.p90)));
            const auto barre = Tornado(valuta, caro, IntervalliPredefiniti());
            const auto prezzo = std::find_if(barre.begin(), barre.end(), [](const BarraTornado& b) { return b.nome == "prezzo_energia"; });
            QVERIFY(prezzo != barre.end() && prezzo->basso < 0.5 && prezzo->alto > 0.5);
        }
        // No range and no weather spread: the band closes to the single line.
        std::vector<IntervalloParametro> punti;
        for (const IntervalloParametro& i : intervalli)
            punti.push_back({i.nome, Valore(p, i.nome), Valore(p, i.nome), i.fonte});
        std::vector<Parametro> fermo = p;
        for (const char* nome : {"variabilita_meteo", "incertezza_clima_comune", "incertezza_modello"})
            Imposta(fermo, nome, 0);
        const EsitoMonteCarlo chiuso = MonteCarlo(valuta, fermo, punti, 200);
        QCOMPARE(chiuso.van.p10, valuta(fermo, nullptr).van);
        QCOMPARE(chiuso.van.p90, chiuso.van.p10);
        QCOMPARE(chiuso.cumulato[10].p10, chiuso.cumulato[10].p90);
        QCOMPARE(chiuso.energiaMedia.p90, 1.0);
        QVERIFY(Tornado(valuta, fermo, punti).empty());
        Imposta(p, "variabilita_meteo", 0);
        // Each tornado bar is the NPV at its parameter's two ends, the widest first;
        // the production's, every year at P90 and P10 of clima and model together.
        const std::vector<BarraTornado> barre = Tornado(valuta, p, intervalli);
        QVERIFY(barre.size() > 5);
        for (std::size_t k = 0; k < barre.size(); ++k) {
            if (k > 0)
                QVERIFY(barre[k - 1].Escursione() >= barre[k].Escursione());
            if (barre[k].nome == kBarraProduzione) {
                const double sigma = std::hypot(0.05, 0.03);
                QVERIFY(std::fabs(barre[k].basso - (1 - 1.28155 * sigma)) < 1e-4 && std::fabs(barre[k].alto - (1 + 1.28155 * sigma)) < 1e-4);
                const std::vector<double> basso(26, barre[k].basso);
                QCOMPARE(barre[k].vanBasso, valuta(p, &basso).van);
                QVERIFY(barre[k].vanBasso < barre[k].vanAlto);
                continue;
            }
            std::vector<Parametro> q = p;
            Imposta(q, barre[k].nome, barre[k].basso);
            QCOMPARE(barre[k].vanBasso, valuta(q, nullptr).van);
            Imposta(q, barre[k].nome, barre[k].alto);
            QCOMPARE(barre[k].vanAlto, valuta(q, nullptr).van);
        }
        QVERIFY(std::any_of(barre.begin(), barre.end(), [](const BarraTornado& b) { return b.nome == kBarraProduzione; }));
        // A price of 0.40 over its range 0.20-0.35 carries the range, in proportion to its
        // centre 0.275: 0.40 x 0.20/0.275 = 0.2909 to 0.40 x 0.35/0.275 = 0.5091.
        Imposta(p, "prezzo_energia", 0.40);
        for (const BarraTornado& b : Tornado(valuta, p, intervalli))
            if (b.nome == "prezzo_energia")
                QVERIFY(std::fabs(b.basso - 0.290909) < 1e-6 && std::fabs(b.alto - 0.509091) < 1e-6);
        // A sunnier year sells more: the weather's factor moves the year's export.
        MeteoDegliAnni sole{std::vector<double>(4, 1.1), {2000, 300, 1700, 0}};
        QVERIFY(CalcolaConvenienza(kEnergia, 2, 0, Piccolo(), {}, nullptr, &sole).anni[1].immessa > kEnergia.immessa);
        // Ranges refused: low over high, an unknown name, a name twice.
        QVERIFY_THROWS_EXCEPTION(ErroreParametro, VerificaIntervalli({{"tasso_sconto", 5, 1, ""}}));
        QVERIFY_THROWS_EXCEPTION(ErroreParametro, VerificaIntervalli({{"nessuno", 1, 2, ""}}));
        QVERIFY_THROWS_EXCEPTION(ErroreParametro, VerificaIntervalli({{"degrado", 0.1, 1, ""}, {"degrado", 0.2, 1, ""}}));
        QCOMPARE(Percentile({1, 2, 3, 4, 5}, 50), 3.0);
        QCOMPARE(Percentile({1, 2, 3, 4, 5}, 10), 1.4);
    }

    void incertezzaDelSole()
    {
        // The year-to-year weather alone averages out over 25 years: the mean's P90
        // stays within 2 % of the expected year. The long-term resource (the comune's
        // climatology, 5 %) and the model (3 %) are common to every year and do not:
        // P90 about 1 - 1.2816 x 5.83 % = 0.925 of it; a single year adds its own weather
        // (7.1 %: 0.909). A satellite year of the site (3 %) narrows the band.
        std::vector<Parametro> p = ParametriInVigore(ParametriPredefiniti(), "2026-12-01");
        const Valutazione valuta = ValutaDueKw;
        std::vector<IntervalloParametro> nessuno;
        std::vector<Parametro> soloAnni = p;
        Imposta(soloAnni, "incertezza_clima_comune", 0);
        Imposta(soloAnni, "incertezza_modello", 0);
        const EsitoMonteCarlo anni = MonteCarlo(valuta, soloAnni, nessuno, 2000);
        QVERIFY2(anni.energiaMedia.p90 > 0.98 && anni.energiaMedia.p90 < 1, qPrintable(QString::number(anni.energiaMedia.p90)));
        const EsitoMonteCarlo tutto = MonteCarlo(valuta, p, nessuno, 2000);
        QVERIFY2(std::fabs(tutto.energiaMedia.p90 - 0.925) < 0.012, qPrintable(QString::number(tutto.energiaMedia.p90)));
        QVERIFY2(std::fabs(tutto.energiaAnno.p90 - 0.909) < 0.012, qPrintable(QString::number(tutto.energiaAnno.p90)));
        QVERIFY(tutto.energiaMedia.p10 > 1.05 && std::fabs(tutto.energiaMedia.p50 - 1) < 0.01);
        const EsitoMonteCarlo file = MonteCarlo(valuta, p, nessuno, 2000, 20261208, true);
        QVERIFY(file.energiaMedia.p90 > tutto.energiaMedia.p90 + 0.015); // 4.2 % against 5.8 %
        // The NPV's band widens with the common part, where it barely moved with the years'.
        QVERIFY(tutto.van.p10 - tutto.van.p90 > 2 * (anni.van.p10 - anni.van.p90));
    }

    void costiPerTagliaEInflazione()
    {
        // Per kWp between the sizes of the table, flat beyond its ends.
        const std::vector<std::pair<double, double>> t = {{3, 1900}, {6, 1500}, {10, 1450}, {20, 1250}};
        QCOMPARE(CostoPerTaglia(t, 4.5), 1700.0);
        QCOMPARE(CostoPerTaglia(t, 1), 1900.0);
        QCOMPARE(CostoPerTaglia(t, 15), 1350.0);
        QCOMPARE(CostoPerTaglia(t, 50), 1250.0);
        std::vector<Parametro> p = Piccolo();
        Imposta(p, "costo_impianto_6", 500);
        QCOMPARE(CalcolaConvenienza(kEnergia, 4.5, 0, p).investimento, 4.5 * 750); // between 1000 at 3 kWp and 500 at 6
        // Running costs grow with general inflation: O&M of year 3 is 20 x 1.1^2.
        Imposta(p, "inflazione", 10);
        QVERIFY(std::fabs(CalcolaConvenienza(kEnergia, 2, 0, p).anni[3].costi - 20 * 1.21) < 1e-12);
    }

    void provinceERegioni()
    {
        // Every province of the site data has its region, market zone and area.
        QCOMPARE(ProvinciaDi("mi")->regione, std::string("Lombardia"));
        QVERIFY(ProvinciaDi("PA")->area == AreaPremio::Altre && ProvinciaDi("PA")->zonaMercato == "SICI");
        QVERIFY(ProvinciaDi("PG")->area == AreaPremio::Centro && ProvinciaDi("PG")->zonaMercato == "CSUD");
        QVERIFY(ProvinciaDi("AO")->area == AreaPremio::Nord);
        QVERIFY(!ProvinciaDi("XX"));
    }

    void batteriaCheInvecchia()
    {
        std::vector<Parametro> p = Piccolo();
        Imposta(p, "orizzonte", 8);
        Imposta(p, "costo_batteria", 500);
        Imposta(p, "vita_batteria", 5);
        Imposta(p, "cicli_batteria", 10000);
        Imposta(p, "degrado_batteria", 10);
        Imposta(p, "andamento_prezzo_batteria", -10);
        // Covered energy 800 kWh without a battery, 1200 with a new one; the shares between read linearly.
        CurvaBatteria curva;
        curva.punti = {{0, {2000, 800, 1200, 2000}}, {1, {2000, 1200, 800, 2000}}};
        curva.cicliAnno = 200;
        const Convenienza c = CalcolaConvenienza(kEnergia, 2, 2, p, {}, &curva);
        QCOMPARE(c.anni[1].capacitaBatteria, 1.0);
        QVERIFY(std::fabs(c.anni[3].capacitaBatteria - 0.81) < 1e-12);
        QVERIFY(std::fabs(c.anni[3].coperto - (800 + 0.81 * 400)) < 1e-9);
        // Replaced after five years, at the price of year 6: 2 kWh x 500 x 0.9^5.
        QCOMPARE(c.sostituzioniBatteria, std::vector<int>{6});
        QVERIFY(std::fabs(c.anni[6].sostituzioneBatteria - 1000 * std::pow(0.9, 5)) < 1e-9);
        QCOMPARE(c.anni[6].capacitaBatteria, 1.0);
        // With less than half a life left to the horizon the old battery runs on.
        Imposta(p, "orizzonte", 7);
        const Convenienza corto = CalcolaConvenienza(kEnergia, 2, 2, p, {}, &curva);
        QVERIFY(corto.sostituzioniBatteria.empty());
        QVERIFY(std::fabs(corto.anni[7].capacitaBatteria - std::pow(0.9, 6)) < 1e-12);
        // Heavier use ends it by its cycles: 1000 cycles at 400 a year, two years.
        Imposta(p, "cicli_batteria", 1000);
        curva.cicliAnno = 400;
        QCOMPARE(CalcolaConvenienza(kEnergia, 2, 2, p, {}, &curva).sostituzioniBatteria, (std::vector<int>{3, 5, 7}));
        // A late expense makes the flows change sign twice: the rate of return is still found.
        const std::vector<double> flussi = {-1000, 300, 300, 300, 300, 300, 300, -50};
        const std::optional<double> tir = TassoInterno(flussi);
        QVERIFY(tir && *tir > 0.1 && std::fabs(ValoreAttuale(flussi, *tir)) < 1e-9);
    }
};

QTEST_APPLESS_MAIN(TestEconomia)
#include "tst_economia.moc"
