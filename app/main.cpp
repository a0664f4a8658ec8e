// SPDX-License-Identifier: MIT
// Start-up: the command line, or the main window.
#include "app/finestra_principale.h"
#include "app/messaggi.h"
#include "app/riga_comando.h"
#include "app/versione.h"

#include <QApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Past a file size limit (ulimit -f) the kernel would end the program by
    // SIGXFSZ in the middle of a write, without a word; ignored, the write
    // fails with EFBIG and is reported, its partial file removed, as a full
    // disk is.
    std::signal(SIGXFSZ, SIG_IGN);
    // A command, --help or --version makes the program work on the command
    // line: no window, and no display needed (the report is still drawn with
    // the window's fonts). Any other argument is Qt's own (-style, -platform).
    bool rigaComando = false;
    for (int i = 1; i < argc; ++i)
        rigaComando = rigaComando || fv::ArgomentoDellaRigaDiComando(argv[i]);
    if (rigaComando) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries the command's own line only, not Qt's notes.
        qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext&, const QString& testo) {
            if (tipo == QtCriticalMsg || tipo == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(testo));
        });
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("calcolo-fv"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(fv::kTitolo));
    QApplication::setApplicationVersion(QString::fromUtf8(fv::kVersioneMostrata));
    fv::InstallaTraduzioneQt();
    if (rigaComando) {
        QTextStream uscita(stdout);
        QTextStream errori(stderr);
        return fv::EseguiRigaComando(QApplication::arguments().mid(1), uscita, errori);
    }
    QApplication::setStyle(QStringLiteral("Fusion"));
    FinestraPrincipale finestra;
    finestra.show();
    return QApplication::exec();
}
