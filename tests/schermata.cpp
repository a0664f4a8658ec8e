// SPDX-License-Identifier: MIT
// Opens the window on data.mdb in the working directory, makes a full
// calculation as a user would (Torino, tilt 30, 3 kW, partly integrated) and
// saves a picture of the main window: schermata OUTPUT.png [seconds to stay open]
#include "app/finestra_principale.h"
#include "app/frmFv.h"
#include "app/messaggi.h"

#include "finestra_aiuti.h"

#include <QRadioButton>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 2)
        return 2;
    fv::InstallaTraduzioneQt();
    FinestraPrincipale principale;
    principale.show();
    if (!QTest::qWaitForWindowExposed(&principale))
        return 1;
    frmFv& w = *principale.modulo();
    ScegliConMouse(Controllo<QComboBox>(w, "cmbProvincia"), "TO");
    ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneRad"), "Torino");
    ScegliConMouse(Controllo<QComboBox>(w, "cmbComuneLat"), "Torino");
    ScegliConMouse(Controllo<QComboBox>(w, "cmbRiflettanza"), "Erba");
    Scrivi(Controllo<QLineEdit>(w, "txtTilt"), "30");
    Scrivi(Controllo<QLineEdit>(w, "txtPow"), "3");
    QTest::mouseClick(Controllo<QRadioButton>(w, "optInt(1)"), Qt::LeftButton);
    QTest::mouseClick(Controllo<QWidget>(w, "cmdCalcola"), Qt::LeftButton);
    QTest::qWait(200);
    if (!principale.grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc > 2)
        QTest::qWait(QString::fromLocal8Bit(argv[2]).toInt() * 1000);
    return 0;
}
