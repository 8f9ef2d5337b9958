// SPDX-License-Identifier: MIT
#include "panel_app.h"

#include <QCommandLineParser>

#include "app_icon.h"
#include "panel_dlg.h"

namespace q42 {

CPanelApp::CPanelApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("q42-panel"));
    setApplicationVersion(QStringLiteral(Q42_VERSION));
    setDesktopFileName(QStringLiteral("q42-panel"));
}

int CPanelApp::InitInstance()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads, edits and writes the settings of a VARNEK-Q42 radio unit over a serial line.\n"
                       "Port number n opens the device named by the environment variable Q42_COM<n> when it is "
                       "set, else the n-th serial port of this machine, USB adapters first."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(*this);

    setWindowIcon(AppIcon());
    CPanelDlg dialog;
    dialog.exec();
    return 0;
}

}  // namespace q42
