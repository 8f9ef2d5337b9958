// SPDX-License-Identifier: MIT
// The record --log keeps of each unit a run talked to: what it was given, read, changed and saved.
#pragma once

#include <QJsonObject>

#include "detect_session.h"
#include "port_inventory.h"
#include "ports_report.h"
#include "unit_session.h"

namespace q42::ctl {

// What every record of a run shares.
struct LogHeader {
    QString command;  // the command's word
    qint32 baud = 0;
    QString unitId;   // empty: none given
    bool dryRun = false;
};

// One unit's record; `present` is the system's listing, taken once for the whole run.
QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const UnitSession& session);
QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const DetectSession& session);

}  // namespace q42::ctl
