// SPDX-License-Identifier: MIT
#include "app/frmFv.h"
#include "app/messaggi.h"
#include "app/versione.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("calcolo-fv"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(fv::kTitolo));
    QApplication::setApplicationVersion(QString::fromUtf8(fv::kVersioneMostrata));
    QApplication::setStyle(QStringLiteral("Fusion"));
    fv::InstallaTraduzioneQt();
    frmFv finestra;
    finestra.show();
    return QApplication::exec();
}
