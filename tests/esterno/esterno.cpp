// SPDX-License-Identifier: MIT
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
