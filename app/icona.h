// SPDX-License-Identifier: MIT
// The program's icon, drawn in code for every size.
#pragma once

#include <QIcon>
#include <QImage>

namespace fv {

// The program's icon: a sun over a tilted blue panel, drawn at any size.
QImage DisegnaIcona(int lato);

// The window icon, with its 16 and 32 pixel images.
QIcon IconaProgramma();

} // namespace fv
