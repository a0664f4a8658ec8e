// SPDX-License-Identifier: MIT
// The window table: every control of the calculation window, top to bottom.
#include "app/inventario.h"

namespace fv {

// clang-format off
const std::array<Controllo, 99> kInventario = {{
    {"Label2", -1, Tipo::Etichetta, nullptr, "Provincia", {120, 120, 1890, 255}, 42, Ruolo::Etichetta, false, "cmbProvincia", "Dato del sito"},
    {"cmbProvincia", -1, Tipo::Combo, nullptr, nullptr, {2040, 120, 855, 315}, 0, Ruolo::Input, false},
    {"Label4", -1, Tipo::Etichetta, nullptr, "Comune (latitudine)", {120, 480, 1890, 255}, 44, Ruolo::Etichetta, false, "cmbComuneLat", "Dato del sito"},
    {"cmbComuneLat", -1, Tipo::Combo, nullptr, nullptr, {2040, 480, 2775, 315}, 1, Ruolo::Input, false},
    {"Label11", -1, Tipo::Etichetta, nullptr, "Latitudine (°)", {120, 840, 1890, 255}, 51, Ruolo::Etichetta, false, "txtLatitudine", "Dato del sito"},
    {"txtLatitudine", -1, Tipo::Testo, nullptr, nullptr, {2040, 840, 855, 285}, 40, Ruolo::Input, false},
    {"Label3", -1, Tipo::Etichetta, nullptr, "Comune (radiazione)", {120, 1200, 1890, 255}, 43, Ruolo::Etichetta, false, "cmbComuneRad", "Dato del sito"},
    {"cmbComuneRad", -1, Tipo::Combo, nullptr, nullptr, {2040, 1200, 2775, 315}, 2, Ruolo::Input, false},
    {"Line1", -1, Tipo::Linea, nullptr, nullptr, {120, 1560, 4680, 0}, -1, Ruolo::Nessuno, false},
    {"Label1", -1, Tipo::Etichetta, nullptr, "Tipo terreno", {120, 1680, 1890, 255}, 41, Ruolo::Etichetta, false, "cmbRiflettanza", "Dato del sito"},
    {"cmbRiflettanza", -1, Tipo::Combo, nullptr, nullptr, {2040, 1680, 2775, 315}, 3, Ruolo::Input, false},
    {"Label12", -1, Tipo::Etichetta, nullptr, "Riflettanza", {120, 2040, 1890, 255}, 52, Ruolo::Etichetta, false, "txtRiflettanza", "Dato del sito"},
    {"txtRiflettanza", -1, Tipo::Testo, nullptr, nullptr, {2040, 2040, 855, 285}, 4, Ruolo::Input, false},
    {"Line2", -1, Tipo::Linea, nullptr, nullptr, {120, 2400, 2760, 0}, -1, Ruolo::Nessuno, false},
    {"Label6", -1, Tipo::Etichetta, nullptr, "tilt (°) (inclinazione falda)", {120, 2520, 1890, 255}, 46, Ruolo::Etichetta, false, "txtTilt", "Dato dell'impianto"},
    {"txtTilt", -1, Tipo::Testo, nullptr, kImpiantoIniziale.tilt, {2040, 2520, 855, 285}, 5, Ruolo::Input, false},
    {"Label7", -1, Tipo::Etichetta, nullptr, "azimut (°) (rispetto al sud)", {120, 2880, 1890, 255}, 47, Ruolo::Etichetta, false, "txtAzimut", "Dato dell'impianto"},
    {"txtAzimut", -1, Tipo::Testo, nullptr, kImpiantoIniziale.azimut, {2040, 2880, 855, 285}, 6, Ruolo::Input, false},
    {"cmdCalcola", -1, Tipo::Pulsante, nullptr, "CALCOLA", {3240, 2760, 1335, 735}, 10, Ruolo::Pulsante, false},
    {"Line3", -1, Tipo::Linea, nullptr, nullptr, {120, 3240, 2760, 0}, -1, Ruolo::Nessuno, false},
    {"Label5", -1, Tipo::Etichetta, nullptr, "Potenza (kW)", {120, 3360, 1890, 255}, 45, Ruolo::Etichetta, false, "txtPow", "Dato dell'impianto"},
    {"txtPow", -1, Tipo::Testo, nullptr, kImpiantoIniziale.potenza, {2040, 3360, 855, 285}, 7, Ruolo::Input, false},
    {"Label8", -1, Tipo::Etichetta, nullptr, "Perdite generatore (%)", {120, 3720, 1890, 255}, 48, Ruolo::Etichetta, false, "txtEffGen", "Dato dell'impianto"},
    {"txtEffGen", -1, Tipo::Testo, nullptr, kImpiantoIniziale.perdite, {2040, 3720, 855, 285}, 8, Ruolo::Input, false},
    {"Label9", -1, Tipo::Etichetta, nullptr, "Efficienza inverter (%)", {120, 4080, 1890, 255}, 49, Ruolo::Etichetta, false, "txtEffInv", "Dato dell'impianto"},
    {"txtEffInv", -1, Tipo::Testo, nullptr, kImpiantoIniziale.efficienza, {2040, 4080, 855, 285}, 9, Ruolo::Input, false},
    {"Line4", -1, Tipo::Linea, nullptr, nullptr, {120, 4440, 4200, 0}, -1, Ruolo::Nessuno, false},
    {"Frame2", -1, Tipo::Cornice, nullptr, "Potenza", {120, 4560, 1935, 1335}, 88, Ruolo::Cornice, false},
    {"optPow", 0, Tipo::Opzione, "Frame2", "fino a 3 kW", {120, 240, 1695, 255}, 91, Ruolo::Etichetta, kImpiantoIniziale.fascia == 0},
    {"optPow", 1, Tipo::Opzione, "Frame2", "tra 3 kW e 20 kW", {120, 600, 1695, 255}, 90, Ruolo::Etichetta, kImpiantoIniziale.fascia == 1},
    {"optPow", 2, Tipo::Opzione, "Frame2", "oltre 20 kW", {120, 960, 1695, 255}, 89, Ruolo::Etichetta, kImpiantoIniziale.fascia == 2},
    {"Frame1", -1, Tipo::Cornice, nullptr, "Tipo Impianto", {2160, 4560, 2175, 1335}, 84, Ruolo::Cornice, false},
    {"optInt", 0, Tipo::Opzione, "Frame1", "Non Integrato", {120, 240, 1935, 255}, 85, Ruolo::Etichetta, kImpiantoIniziale.integrazione == 0},
    {"optInt", 1, Tipo::Opzione, "Frame1", "Parzialmente Integrato", {120, 600, 1935, 255}, 86, Ruolo::Etichetta, kImpiantoIniziale.integrazione == 1},
    {"optInt", 2, Tipo::Opzione, "Frame1", "Integrato", {120, 960, 1935, 255}, 87, Ruolo::Etichetta, kImpiantoIniziale.integrazione == 2},
    {"msc1", -1, Tipo::Grafico, nullptr, nullptr, {4920, 120, 7815, 5055}, 13, Ruolo::Nessuno, false},
    {"Label10", -1, Tipo::Etichetta, nullptr, "kWh/Anno", {4920, 5280, 1215, 255}, 50, Ruolo::Etichetta, false, "txtEnergia", "Risultato annuo"},
    {"txtEnergia", -1, Tipo::Testo, nullptr, nullptr, {6240, 5280, 1095, 285}, 12, Ruolo::RisultatoChiave, false},
    {"Label41", -1, Tipo::Etichetta, nullptr, "Rapporto Orizzontale/incidente", {7560, 5280, 2535, 255}, 81, Ruolo::Etichetta, false, "txtRapp", "Risultato annuo"},
    {"txtRapp", -1, Tipo::Testo, nullptr, nullptr, {10200, 5280, 1095, 285}, 11, Ruolo::Risultato, false},
    {"Label43", -1, Tipo::Etichetta, nullptr, "€/Anno", {4920, 5640, 1215, 255}, 92, Ruolo::Etichetta, false, "txtAnnuo", "Risultato annuo"},
    {"txtAnnuo", -1, Tipo::Testo, nullptr, nullptr, {6240, 5640, 1095, 285}, 93, Ruolo::RisultatoChiave, false},
    {"Label42", -1, Tipo::Etichetta, nullptr, "€/kWh", {7560, 5640, 1215, 255}, 82, Ruolo::Etichetta, false, "txtCostoKwh", "Risultato annuo"},
    {"txtCostoKwh", -1, Tipo::Testo, nullptr, "0", {8880, 5640, 855, 285}, 83, Ruolo::Risultato, false},
    {"Line5", -1, Tipo::Linea, nullptr, nullptr, {120, 6000, 12720, 0}, -1, Ruolo::Nessuno, false},
    {"Label13", -1, Tipo::Etichetta, nullptr, "Radiazione giornaliera media mensile superficie orizzontale (kWh/m2/g)", {120, 6120, 12750, 255}, 53, Ruolo::Etichetta, false},
    {"Label14", -1, Tipo::Etichetta, nullptr, "Gennaio", {120, 6360, 975, 255}, 54, Ruolo::Etichetta, false, "txtMese(0)", "Label13"},
    {"Label15", -1, Tipo::Etichetta, nullptr, "Febbraio", {1080, 6360, 975, 255}, 55, Ruolo::Etichetta, false, "txtMese(1)", "Label13"},
    {"Label16", -1, Tipo::Etichetta, nullptr, "Marzo", {2040, 6360, 975, 255}, 56, Ruolo::Etichetta, false, "txtMese(2)", "Label13"},
    {"Label17", -1, Tipo::Etichetta, nullptr, "Aprile", {3000, 6360, 975, 255}, 57, Ruolo::Etichetta, false, "txtMese(3)", "Label13"},
    {"Label18", -1, Tipo::Etichetta, nullptr, "Maggio", {3960, 6360, 975, 255}, 58, Ruolo::Etichetta, false, "txtMese(4)", "Label13"},
    {"Label19", -1, Tipo::Etichetta, nullptr, "Giugno", {4920, 6360, 975, 255}, 59, Ruolo::Etichetta, false, "txtMese(5)", "Label13"},
    {"Label20", -1, Tipo::Etichetta, nullptr, "Luglio", {5880, 6360, 975, 255}, 60, Ruolo::Etichetta, false, "txtMese(6)", "Label13"},
    {"Label21", -1, Tipo::Etichetta, nullptr, "Agosto", {6840, 6360, 975, 255}, 61, Ruolo::Etichetta, false, "txtMese(7)", "Label13"},
    {"Label22", -1, Tipo::Etichetta, nullptr, "Settembre", {7800, 6360, 975, 255}, 62, Ruolo::Etichetta, false, "txtMese(8)", "Label13"},
    {"Label23", -1, Tipo::Etichetta, nullptr, "Ottobre", {8760, 6360, 975, 255}, 63, Ruolo::Etichetta, false, "txtMese(9)", "Label13"},
    {"Label24", -1, Tipo::Etichetta, nullptr, "Novembre", {9720, 6360, 975, 255}, 64, Ruolo::Etichetta, false, "txtMese(10)", "Label13"},
    {"Label25", -1, Tipo::Etichetta, nullptr, "Dicembre", {10680, 6360, 975, 255}, 65, Ruolo::Etichetta, false, "txtMese(11)", "Label13"},
    {"txtMese", 0, Tipo::Testo, nullptr, nullptr, {120, 6600, 975, 285}, 14, Ruolo::Risultato, false},
    {"txtMese", 1, Tipo::Testo, nullptr, nullptr, {1080, 6600, 975, 285}, 15, Ruolo::Risultato, false},
    {"txtMese", 2, Tipo::Testo, nullptr, nullptr, {2040, 6600, 975, 285}, 16, Ruolo::Risultato, false},
    {"txtMese", 3, Tipo::Testo, nullptr, nullptr, {3000, 6600, 975, 285}, 17, Ruolo::Risultato, false},
    {"txtMese", 4, Tipo::Testo, nullptr, nullptr, {3960, 6600, 975, 285}, 18, Ruolo::Risultato, false},
    {"txtMese", 5, Tipo::Testo, nullptr, nullptr, {4920, 6600, 975, 285}, 19, Ruolo::Risultato, false},
    {"txtMese", 6, Tipo::Testo, nullptr, nullptr, {5880, 6600, 975, 285}, 20, Ruolo::Risultato, false},
    {"txtMese", 7, Tipo::Testo, nullptr, nullptr, {6840, 6600, 975, 285}, 21, Ruolo::Risultato, false},
    {"txtMese", 8, Tipo::Testo, nullptr, nullptr, {7800, 6600, 975, 285}, 22, Ruolo::Risultato, false},
    {"txtMese", 9, Tipo::Testo, nullptr, nullptr, {8760, 6600, 975, 285}, 23, Ruolo::Risultato, false},
    {"txtMese", 10, Tipo::Testo, nullptr, nullptr, {9720, 6600, 975, 285}, 24, Ruolo::Risultato, false},
    {"txtMese", 11, Tipo::Testo, nullptr, nullptr, {10680, 6600, 975, 285}, 25, Ruolo::Risultato, false},
    {"Label39", -1, Tipo::Etichetta, nullptr, "Totale annua", {11640, 6360, 1215, 255}, 79, Ruolo::Etichetta, false, "txtTotAnnua", "Label13"},
    {"txtTotAnnua", -1, Tipo::Testo, nullptr, nullptr, {11640, 6600, 1215, 285}, 26, Ruolo::Risultato, false},
    {"Label26", -1, Tipo::Etichetta, nullptr, "Radiazione giornaliera media mensile incidente (kWh/m2/g)", {120, 6960, 12750, 255}, 66, Ruolo::Etichetta, false},
    {"Label27", -1, Tipo::Etichetta, nullptr, "Gennaio", {120, 7200, 975, 255}, 67, Ruolo::Etichetta, false, "txtMese2(0)", "Label26"},
    {"Label28", -1, Tipo::Etichetta, nullptr, "Febbraio", {1080, 7200, 975, 255}, 68, Ruolo::Etichetta, false, "txtMese2(1)", "Label26"},
    {"Label29", -1, Tipo::Etichetta, nullptr, "Marzo", {2040, 7200, 975, 255}, 69, Ruolo::Etichetta, false, "txtMese2(2)", "Label26"},
    {"Label30", -1, Tipo::Etichetta, nullptr, "Aprile", {3000, 7200, 975, 255}, 70, Ruolo::Etichetta, false, "txtMese2(3)", "Label26"},
    {"Label31", -1, Tipo::Etichetta, nullptr, "Maggio", {3960, 7200, 975, 255}, 71, Ruolo::Etichetta, false, "txtMese2(4)", "Label26"},
    {"Label32", -1, Tipo::Etichetta, nullptr, "Giugno", {4920, 7200, 975, 255}, 72, Ruolo::Etichetta, false, "txtMese2(5)", "Label26"},
    {"Label33", -1, Tipo::Etichetta, nullptr, "Luglio", {5880, 7200, 975, 255}, 73, Ruolo::Etichetta, false, "txtMese2(6)", "Label26"},
    {"Label34", -1, Tipo::Etichetta, nullptr, "Agosto", {6840, 7200, 975, 255}, 74, Ruolo::Etichetta, false, "txtMese2(7)", "Label26"},
    {"Label35", -1, Tipo::Etichetta, nullptr, "Settembre", {7800, 7200, 975, 255}, 75, Ruolo::Etichetta, false, "txtMese2(8)", "Label26"},
    {"Label36", -1, Tipo::Etichetta, nullptr, "Ottobre", {8760, 7200, 975, 255}, 76, Ruolo::Etichetta, false, "txtMese2(9)", "Label26"},
    {"Label37", -1, Tipo::Etichetta, nullptr, "Novembre", {9720, 7200, 975, 255}, 77, Ruolo::Etichetta, false, "txtMese2(10)", "Label26"},
    {"Label38", -1, Tipo::Etichetta, nullptr, "Dicembre", {10680, 7200, 975, 255}, 78, Ruolo::Etichetta, false, "txtMese2(11)", "Label26"},
    {"txtMese2", 0, Tipo::Testo, nullptr, nullptr, {120, 7440, 975, 285}, 27, Ruolo::Risultato, false},
    {"txtMese2", 1, Tipo::Testo, nullptr, nullptr, {1080, 7440, 975, 285}, 28, Ruolo::Risultato, false},
    {"txtMese2", 2, Tipo::Testo, nullptr, nullptr, {2040, 7440, 975, 285}, 29, Ruolo::Risultato, false},
    {"txtMese2", 3, Tipo::Testo, nullptr, nullptr, {3000, 7440, 975, 285}, 30, Ruolo::Risultato, false},
    {"txtMese2", 4, Tipo::Testo, nullptr, nullptr, {3960, 7440, 975, 285}, 31, Ruolo::Risultato, false},
    {"txtMese2", 5, Tipo::Testo, nullptr, nullptr, {4920, 7440, 975, 285}, 32, Ruolo::Risultato, false},
    {"txtMese2", 6, Tipo::Testo, nullptr, nullptr, {5880, 7440, 975, 285}, 33, Ruolo::Risultato, false},
    {"txtMese2", 7, Tipo::Testo, nullptr, nullptr, {6840, 7440, 975, 285}, 34, Ruolo::Risultato, false},
    {"txtMese2", 8, Tipo::Testo, nullptr, nullptr, {7800, 7440, 975, 285}, 35, Ruolo::Risultato, false},
    {"txtMese2", 9, Tipo::Testo, nullptr, nullptr, {8760, 7440, 975, 285}, 36, Ruolo::Risultato, false},
    {"txtMese2", 10, Tipo::Testo, nullptr, nullptr, {9720, 7440, 975, 285}, 37, Ruolo::Risultato, false},
    {"txtMese2", 11, Tipo::Testo, nullptr, nullptr, {10680, 7440, 975, 285}, 38, Ruolo::Risultato, false},
    {"Label40", -1, Tipo::Etichetta, nullptr, "Totale annua", {11640, 7200, 1215, 255}, 80, Ruolo::Etichetta, false, "txtTotAnnua2", "Label26"},
    {"txtTotAnnua2", -1, Tipo::Testo, nullptr, nullptr, {11640, 7440, 1215, 285}, 39, Ruolo::Risultato, false},
}};
// clang-format on

QString NomeOggetto(const Controllo& c)
{
    const QString nome = QString::fromLatin1(c.nome);
    return c.indice >= 0 ? QStringLiteral("%1(%2)").arg(nome).arg(c.indice) : nome;
}

std::vector<const Controllo*> Etichette()
{
    std::vector<const Controllo*> etichette;
    for (const Controllo& c : kInventario) {
        if (c.campo)
            etichette.push_back(&c);
    }
    return etichette;
}

QString DidascaliaDi(const QString& campo)
{
    for (const Controllo* c : Etichette()) {
        if (QLatin1StringView(c->campo) == campo)
            return QString::fromUtf8(c->testo);
    }
    return {};
}

} // namespace fv
