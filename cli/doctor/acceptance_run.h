// SPDX-License-Identifier: MIT
// q42ctl doctor --acceptance REPORT: a first run on real hardware, guided. Each step runs q42ctl
// itself with --trace (doctor, detect, get, a set with verify and save), the technician power-cycles
// the unit and pulls the cable when asked, and every step's result, output and trace go into one
// file to send back, written whole at the end.
#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "exit_status.h"
#include "unit_target.h"

namespace q42::ctl {

struct AcceptanceSetup {
    QList<Target> targets;  // none: the device doctor finds a unit on
    int timeoutMs = 1000;
    QString report;
    QString program;        // this q42ctl
    int pullWaitMs = 30000;  // how long the cable step waits for the cable to be pulled
};

// 0 when every step passed; else the status of the first step that failed. Each prompt goes to
// standard error, its answer comes from standard input.
ExitStatus RunAcceptance(const AcceptanceSetup& setup);

}  // namespace q42::ctl
