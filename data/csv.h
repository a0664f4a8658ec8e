// SPDX-License-Identifier: MIT
// Reading RFC 4180 text: the dataset's CSV files, and the files the program
// writes, read back by the tests. Plain C++.
#pragma once

#include <string>
#include <vector>

namespace fv {

using RigaCsv = std::vector<std::string>;

// Fields separated by `separatore`, optionally in double quotes, with a
// doubled quote standing for one; rows end at LF or CRLF outside quotes.
// A UTF-8 byte-order mark at the start is skipped; empty lines give no row.
std::vector<RigaCsv> LeggiCsv(const std::string& testo, char separatore);

} // namespace fv
