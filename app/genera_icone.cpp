// SPDX-License-Identifier: MIT
// Writes the icon as PNG images for the desktop's icon theme:
//   genera-icone FOLDER SIZE...  ->  FOLDER/calcolo-fv-SIZE.png
#include "app/icona.h"

#include <QDir>
#include <QGuiApplication>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QDir cartella(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int lato = QString::fromLatin1(argv[i]).toInt();
        if (!fv::DisegnaIcona(lato).save(cartella.filePath(QStringLiteral("calcolo-fv-%1.png").arg(lato))))
            return 1;
    }
    return 0;
}
