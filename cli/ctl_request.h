// SPDX-License-Identifier: MIT
// What a q42ctl command line asks for, once parsed: each option's value in the one field its row of
// the command table binds it to.
#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "unit_target.h"
#include "value_text.h"

namespace q42::ctl {

enum class Command { Get, Set, Save, Ports, Detect, Commission, Doctor };

inline constexpr qint32 kDefaultBaud = 57600;

struct CtlRequest {
    Command command = Command::Get;
    QList<Target> targets;
    std::optional<qint32> baud;  // absent: kDefaultBaud, and detect tries every rate
    int timeoutMs = 0;           // the table's defaults fill these
    int retries = 0;             // a step without an answer sends the same frame again, this many times at most
    QString output;              // get: the values go to this file, replaced whole, only when every unit answered
    QString log;                 // one JSON line per unit and run is appended here
    QString unitId;              // the label or barcode on the unit, for the log
    bool json = false;
    std::optional<bool> save;    // set: --save; commission: saves unless --no-save
    bool verify = false;
    bool dryRun = false;         // set: read the unit and print what would change, writing nothing
    bool trace = false;
    Edits edits;                 // set, commission
    Selection selection;         // get
    QString from;                // set, commission: the file the values came from
    QString backupFile;          // set: the values read first go here, whole, before the set goes out
    bool askUnitId = false;      // commission: each unit's id from standard input
    std::optional<QString> backupDir;  // commission: absent for the default folder, empty for --no-backup
    int units = 0;               // commission: stop after this many units in all; 0: until stopped
    QString acceptance;          // doctor: the guided first run's record goes here

    qint32 Baud() const { return baud.value_or(kDefaultBaud); }
};

}  // namespace q42::ctl
