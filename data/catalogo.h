// SPDX-License-Identifier: MIT
// Every SQL text the program sends, built from fixed fragments and chosen
// texts with their quotes doubled.
#pragma once

#include <QString>

namespace fv::sql {

QString Query1();                                          // surface types
QString Query2();                                          // provinces with radiation data
QString Query3(const QString& provincia);                  // municipalities with a latitude
QString Query4(const QString& provincia);                  // municipalities with radiation data
QString Query5(const QString& provincia, const QString& comune); // twelve monthly values
QString Query6(const QString& provincia, const QString& comune); // latitude
QString Query7(const QString& superficie);                 // reflectance

// SQLite reserves some words that the texts use as column names (the
// September column is called set). Quotes every reserved word that stands
// as a bare column name outside string literals; everything else, literals
// included, passes unchanged.
QString QuotaParoleRiservate(const QString& sql);

} // namespace fv::sql
