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
#ifdef Q_OS_WIN
    // Drawn as it always was: Qt 6.8 would pick its Windows 11 style on Windows 11. The style is
    // the modern Windows style plugin's, shipped beside the program; QT_STYLE_OVERRIDE still rules.
    if (qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE")) {
        setStyle(QStringLiteral("windowsvista"));
    }
#endif
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
