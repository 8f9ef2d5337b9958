// SPDX-License-Identifier: MIT
// What a command has to say once every unit is done, and where it goes: the data to standard output
// or to -o FILE (replaced whole, only when every unit answered), the messages to standard error, and
// one --log record a unit.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "exit_status.h"
#include "port_inventory.h"
#include "run_files.h"
#include "run_log.h"

namespace q42::ctl {

// The results in the order the units were given: the data for standard output (or -o FILE), the
// lines for standard error, and the highest exit status.
struct RunReport {
    std::string data;
    QStringList messages;
    ExitStatus status = ExitStatus::Done;
};

// Prints the messages, and the data to standard output, or to `output` when every unit answered
// (otherwise the file keeps what it held). A file that could not be written is output lost.
ExitStatus Deliver(const QString& output, const RunReport& report);

// --log: one record per unit, in the order given, each made by the command's LogRecord. A record
// that could not be kept is output lost.
template <typename Session>
ExitStatus LogSessions(const QString& log, const LogHeader& header, const std::vector<std::unique_ptr<Session>>& sessions)
{
    if (log.isEmpty()) {
        return ExitStatus::Done;
    }
    const QList<SerialDeviceInfo> present = SystemSerialDevices();  // listed once, not once a unit
    QList<QJsonObject> records;
    for (const auto& session : sessions) {
        records.append(LogRecord(header, present, *session));
    }
    if (const QString problem = AppendLog(log, records); !problem.isEmpty()) {
        std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
        return ExitStatus::OutputLost;
    }
    return ExitStatus::Done;
}

}  // namespace q42::ctl
