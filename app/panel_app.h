// SPDX-License-Identifier: MIT
// The application: one window, run modally; when it closes, the program ends.
#pragma once

#include <QApplication>

namespace q42 {

class CPanelApp : public QApplication {
    Q_OBJECT

public:
    CPanelApp(int& argc, char** argv);
    // Runs the window and returns the process exit status.
    int InitInstance();
};

}  // namespace q42
