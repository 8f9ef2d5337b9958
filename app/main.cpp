// SPDX-License-Identifier: MIT
#include "panel_app.h"
#include "running_mark.h"

int main(int argc, char** argv)
{
    q42::HoldRunningMark();
    q42::CPanelApp app(argc, argv);
    return app.InitInstance();
}
