// SPDX-License-Identifier: MIT
// Records what the site operations write.
#pragma once

#include "data/cascata.h"

#include <QStringList>

struct RegistroSito final : fv::VistaSito {
    QStringList riflettanze, province, comuniLat, comuniRad, mesi;
    fv::MonthlySeries radOriz{};
    QString totAnnua, latitudine, riflettanza;
    int svuotamenti = 0;

    void AggiungiRiflettanza(const QString& s) override { riflettanze << s; }
    void AggiungiProvincia(const QString& s) override { province << s; }
    void SvuotaComuniLat() override { comuniLat.clear(); ++svuotamenti; }
    void AggiungiComuneLat(const QString& s) override { comuniLat << s; }
    void SvuotaComuniRad() override { comuniRad.clear(); ++svuotamenti; }
    void AggiungiComuneRad(const QString& s) override { comuniRad << s; }
    void ScriviRadOriz(int i, double v) override { radOriz[std::size_t(i)] = v; }
    void ScriviMese(int, const QString& t) override { mesi << t; }
    void ScriviTotAnnua(const QString& t) override { totAnnua = t; }
    void ScriviLatitudine(const QString& t) override { latitudine = t; }
    void ScriviRiflettanza(const QString& t) override { riflettanza = t; }
};
