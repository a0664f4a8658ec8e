// SPDX-License-Identifier: MIT
// Records the writes of the calculate command, in the order it makes them.
#pragma once

#include "calc/calcolo.h"

#include <string>
#include <vector>

struct Scrittura {
    bool serie = false; // true: radInc[indice] = valore; false: field text
    fv::Campo campo = fv::Campo::Mese2;
    int indice = 0;
    double valore = 0;
    std::string testo;
};

struct RegistroCalcolo final : fv::DestinazioneCalcolo {
    std::vector<Scrittura> scritture;

    void ScriviRadInc(int mese0, double valore) override
    {
        scritture.push_back({true, fv::Campo::Mese2, mese0, valore, {}});
    }
    void ScriviCampo(fv::Campo campo, int indice, const std::string& testo) override
    {
        scritture.push_back({false, campo, indice, 0.0, testo});
    }
};
