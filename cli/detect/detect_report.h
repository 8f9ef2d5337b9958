// SPDX-License-Identifier: MIT
// 'q42ctl detect': the read-only query at each rate to each device given (or every one present),
// and which device and rate a unit answered on.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

#include "detect_session.h"
#include "exit_status.h"
#include "line_trace.h"
#include "run_report.h"

namespace q42::ctl {

// "DEVICE BAUD" for each unit found (or a JSON array of every device tried), what went wrong
// elsewhere; 0 when a unit answered, else 4.
RunReport ReportDetect(bool json, const std::vector<std::unique_ptr<DetectSession>>& sessions);

// One device's --log record: the rate a unit answered at, or none.
QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const DetectSession& session);

struct DetectRun {
    DetectTask task;
    QList<Target> targets;  // none: every device present
    bool json = false;
    LogHeader header;
    QString log;
    QString output;
};

ExitStatus RunDetect(const DetectRun& run, const LineTrace& trace);

}  // namespace q42::ctl
