// SPDX-License-Identifier: MIT
// What commission keeps of each unit it brought up: one record, the same for standard output's
// --json line and for --log, and a line of it for a person.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

#include "exit_status.h"
#include "unit_values.h"

namespace q42::ctl {

// The file whose values every unit gets, as each record names it.
struct GoldenFile {
    QString name;
    QString sha256;
};

struct UnitRecord {
    QDateTime time;
    QString station;  // the device as given
    QString device;   // as opened
    QString unitId;   // from --ask-unit-id; empty for none
    QJsonObject adapter;
    qint32 baud = 57600;
    UnitValues before{};   // as read when the unit answered
    UnitValues written{};  // what the set carried, or before when nothing differed
    bool setSent = false;
    bool setAcknowledged = false;
    bool verified = false;
    bool saved = false;
    bool saveLeftOut = false;  // --no-save
    QString backupPath;
    // How a FAIL failed; none for a PASS.
    struct Failure {
        QString step;  // "backup", "set", "read-back" or "save"
        QString message;
        ExitStatus status = ExitStatus::NoAnswer;
    };
    std::optional<Failure> failure;

    bool Passed() const { return !failure; }
    ExitStatus Status() const { return failure ? failure->status : ExitStatus::Done; }
};

// time, station, unit, adapter, values before, changes, verified, saved, the backup and the golden
// file; for a FAIL the step, the message and the command that restores the backup.
QJsonObject RecordJson(const UnitRecord& record, const GoldenFile& golden);

// "PASS /dev/ttyUSB0 id=A-0001 changes: L9 ATT_DL: 11 -> 20 backup=... saved"
QString RecordLine(const UnitRecord& record);

// The restore of the unit's backup, quoted for pasting: 'q42ctl -r serial:SN set --from BACKUP --save --verify'.
QString RestoreCommand(const UnitRecord& record);

}  // namespace q42::ctl
