// SPDX-License-Identifier: MIT
// 'q42ctl get', 'set' and 'save' on each unit given, side by side: what each unit's session found,
// said on standard output and error, in --log, and in the exit status.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

#include "exit_status.h"
#include "line_trace.h"
#include "run_report.h"
#include "unit_session.h"
#include "value_text.h"

namespace q42::ctl {

// What get, set and save were asked to show.
struct UnitReportForm {
    bool listValues = false;  // get: the values read
    bool json = false;
    Selection selection;
    bool dryRun = false;
    bool saveAsked = false;  // set --save: no reminder that the values last only until power is lost
};

// The results in the order the units were given; the highest exit status. A set the unit
// acknowledged is reported whatever a later step did.
RunReport Report(const UnitReportForm& form, const std::vector<std::unique_ptr<UnitSession>>& sessions);

// One unit's --log record: what it was given, read, changed and saved.
QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const UnitSession& session);

struct UnitRun {
    UnitTask task;
    QList<Target> targets;
    UnitReportForm form;
    LogHeader header;
    QString log;     // --log FILE; empty: none
    QString output;  // -o FILE; empty: standard output
};

ExitStatus RunUnits(const UnitRun& run, const LineTrace& trace);

}  // namespace q42::ctl
