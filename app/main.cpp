// SPDX-License-Identifier: MIT
#include "panel_app.h"

int main(int argc, char** argv)
{
    q42::CPanelApp app(argc, argv);
    return app.InitInstance();
}
