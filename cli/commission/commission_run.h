// SPDX-License-Identifier: MIT
// 'q42ctl commission': a station for each device, side by side on one event loop, until Ctrl-C,
// the end of the ids' input or the last of N units. Each unit's record is printed and logged the
// moment it is done, so a run cut short keeps every unit before it.
#pragma once

#include <QList>
#include <QString>

#include "commission_station.h"
#include "exit_status.h"
#include "line_trace.h"
#include "unit_record.h"

namespace q42::ctl {

struct CommissionSetup {
    CommissionTask task;
    QList<Target> targets;
    GoldenFile golden;       // Commission() fills it
    QString log;             // each unit's record is appended here
    bool askUnitId = false;  // ids from standard input
    int units = 0;           // 0: until stopped
    bool json = false;       // JSON Lines on standard output
    bool colour = false;     // PASS and FAIL in colour, and a bell at a FAIL; Commission() decides
};

// Runs the stations until the run ends, then prints the summary on standard error. Returns 0 when
// every unit passed, else the highest status of a unit that failed (or of a station that could
// not open its device, or 6 for a record the log did not take).
ExitStatus RunCommission(const CommissionSetup& setup, const LineTrace& trace);

// The run as the command line orders it: the backups' folder (setup.task.backupDir; empty: none) is
// proved writable and the golden file's digest taken before any unit is waited for; a problem there
// is bad usage, with nothing sent. The records are in colour on a terminal that shows it.
ExitStatus Commission(CommissionSetup setup, const QString& goldenPath, const LineTrace& trace);

// "3 units: 2 passed, 1 failed (A-0002: failed at the read-back)"
QString CommissionSummary(const QList<UnitRecord>& records);

}  // namespace q42::ctl
