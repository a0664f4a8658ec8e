// SPDX-License-Identifier: MIT
#include "app/frmFv.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("calcolo-fv"));
    QApplication::setApplicationDisplayName(QStringLiteral("CALCOLO ENERGIA FOTOVOLTAICO"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    frmFv finestra;
    finestra.show();
    return QApplication::exec();
}
