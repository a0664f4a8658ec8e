// SPDX-License-Identifier: MIT
// A program of another project that links the library and opens the window.
#include "app/frmFv.h"

#include <QApplication>
#include <QLineEdit>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    frmFv w; // its data.mdb may be missing here: the window is built all the same
    const auto* tilt = w.findChild<QLineEdit*>(QStringLiteral("txtTilt"));
    return tilt && tilt->text() == QStringLiteral("20") ? 0 : 1;
}
