// SPDX-License-Identifier: MIT
// The command line of q42ctl: connection options, one command and its arguments.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "ctl_table.h"
#include "unit_target.h"
#include "value_text.h"

namespace q42::ctl {

struct CtlRequest {
    Command command = Command::Get;
    QList<Target> targets;
    qint32 baud = 57600;
    bool baudGiven = false;  // detect tries only this rate then
    int timeoutMs = 1000;
    int retries = 0;     // a step without an answer sends the same frame again, this many times at most
    QString output;      // get: the values go to this file, replaced whole, only when every unit answered
    QString log;         // one JSON line per unit and run is appended here
    QString unitId;      // the label or barcode on the unit, for the log
    bool json = false;
    bool save = false;
    bool verify = false;
    bool dryRun = false;  // set: read the unit and print what would change, writing nothing
    bool trace = false;
    Edits edits;          // set, commission
    Selection selection;  // get
    QString from;         // set, commission: the file the values came from
    QString backupFile;   // set: the values read first go here, whole, before the set goes out
    // commission
    bool askUnitId = false;  // each unit's id from standard input
    QString backupDir;       // where each unit's values are kept before it is written
    bool noBackup = false;
    bool noSave = false;
    int units = 0;  // stop after this many units in all; 0: until stopped
    QString acceptance;  // doctor: the guided first run's record goes here
};

struct ParsedCommandLine {
    std::optional<CtlRequest> request;
    QString error;  // bad usage or value: nothing is sent
    bool help = false;
    bool version = false;
};

ParsedCommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace q42::ctl
