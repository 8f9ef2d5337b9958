// SPDX-License-Identifier: MIT
// The record --log keeps of each unit a run talked to: what is common to every command's record,
// and the adapter a unit was reached through. Each command adds what it read, changed and saved.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include "exit_status.h"
#include "port_inventory.h"
#include "unit_target.h"

namespace q42::ctl {

// What every record of a run shares.
struct LogHeader {
    QString command;  // the command's word
    qint32 baud = 0;
    QString unitId;   // empty: none given
    bool dryRun = false;
};

// The adapter behind the opened device, as the records name it: its serial number and USB ids, when
// the system knows them; empty otherwise.
QJsonObject AdapterJson(const QList<SerialDeviceInfo>& present, const QString& opened);

// What is common to every record: when, which q42ctl, which unit on which line, how it ended;
// `present` is the system's listing, taken once for the whole run.
QJsonObject LogRecordHead(const LogHeader& header, const QList<SerialDeviceInfo>& present, const Target& given,
                          const QString& opened, ExitStatus status, const QStringList& problems);

}  // namespace q42::ctl
