// SPDX-License-Identifier: MIT
// Every SQL text the program sends. Each is a fixed template of the program's
// own with one literal per chosen text, the text's quotes doubled; the
// number in the comment is the query's place in the catalogue.
#pragma once

#include "data/funzioni.h"

#include <QString>

namespace fv::sql {

TestoSql SqlSuperfici();                                      // 1: surface types
TestoSql SqlProvince();                                       // 2: provinces with radiation data
TestoSql SqlComuniLatitudine(const QString& provincia);       // 3: municipalities with a latitude
TestoSql SqlComuniRadiazione(const QString& provincia);       // 4: municipalities with radiation data
TestoSql SqlRadiazioniComune(const QString& provincia, const QString& comune); // 5: twelve monthly values
TestoSql SqlLatitudineComune(const QString& provincia, const QString& comune); // 6: latitude
TestoSql SqlRiflettanzaSuperficie(const QString& superficie);                  // 7: reflectance
// 8, for the map of Italy only: every comune with a latitude, with its
// longitude and its twelve monthly values where the file has them.
TestoSql SqlComuniMappa();
// Where the file says its radiation comes from (the bundled file's tblFonti).
TestoSql SqlFonteRadiazione();
// A comune's monthly mean air temperature and the station it comes from
// (tblTemperature; the bundled file has it).
TestoSql SqlTemperatureComune(const QString& provincia, const QString& comune);
// The economic parameters the file holds (tblParametri).
TestoSql SqlParametri();

// SQLite reserves some words that the templates use as column names (the
// September column is called set): the template as the engine takes it, each
// such column name in double quotes. Only the program's own templates pass
// through here, never a chosen text.
QString QuotaColonneRiservate(const QString& modello);

} // namespace fv::sql
