// SPDX-License-Identifier: MIT
#include "ctl_commands.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "acceptance_run.h"
#include "backup_file.h"
#include "commission_run.h"
#include "ctl_report.h"
#include "ctl_table.h"
#include "detect_session.h"
#include "doctor_run.h"
#include "port_inventory.h"
#include "ports_report.h"
#include "run_files.h"
#include "run_log.h"
#include "run_sessions.h"
#include "unit_session.h"
#include "whole_file.h"

namespace q42::ctl {

namespace {

QList<PortEntry> PortsNow()
{
    return ListPorts(SystemSerialDevices(), SystemEnvironment, kWindowsPortNames);
}

// What each unit's session is handed: never the whole command line.
UnitTask UnitTaskOf(const CtlRequest& request)
{
    UnitTask task;
    task.kind = request.command == Command::Set    ? UnitTask::Kind::Set
                : request.command == Command::Save ? UnitTask::Kind::Save
                                                   : UnitTask::Kind::Get;
    task.baud = request.Baud();
    task.timing = {request.timeoutMs, request.retries};
    task.edits = request.edits;
    task.write = !request.dryRun;
    task.save = request.save.value_or(false);
    task.verify = request.verify;
    task.backupFile = request.backupFile;
    return task;
}

DetectTask DetectTaskOf(const CtlRequest& request)
{
    DetectTask task;
    if (request.baud) {
        task.rates = {*request.baud};  // only the rate asked for when one was
    }
    task.timing = {request.timeoutMs, request.retries};
    return task;
}

// A terminal that shows colour: never a pipe or a file, never with NO_COLOR set.
bool ColourTerminal()
{
#ifdef _WIN32
    return false;
#else
    return ::isatty(STDOUT_FILENO) != 0 && qEnvironmentVariableIsEmpty("NO_COLOR") &&
           qEnvironmentVariable("TERM") != QLatin1String("dumb");
#endif
}

// Run through sudo, HOME is root's: the files q42ctl keeps go where the technician may not look for
// them. Said once, before anything is sent; the files are given to the user who ran sudo.
void SayWhereFilesGoUnderSudo(const QString& backupDir, const QString& log)
{
#ifndef _WIN32
    const QString user = qEnvironmentVariable("SUDO_USER");
    if (::geteuid() != 0 || user.isEmpty()) {
        return;
    }
    QStringList where;
    if (!backupDir.isEmpty()) {
        where << QStringLiteral("the backups go to %1").arg(QFileInfo(backupDir).absoluteFilePath());
    }
    if (!log.isEmpty()) {
        where << QStringLiteral("the log is %1").arg(QFileInfo(log).absoluteFilePath());
    }
    if (!where.isEmpty()) {
        std::fprintf(stderr, "q42ctl: run as root through sudo: %s; new files there belong to %s\n",
                     qPrintable(where.join(QStringLiteral(", "))), qPrintable(user));
    }
#else
    Q_UNUSED(backupDir);
    Q_UNUSED(log);
#endif
}

void PrintMessages(const QStringList& messages)
{
    for (const QString& message : messages) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

// --log: one record per unit, in the order given. A record that could not be kept is output lost.
template <typename Session>
ExitStatus Log(const CtlRequest& request, const std::vector<std::unique_ptr<Session>>& sessions)
{
    if (request.log.isEmpty()) {
        return ExitStatus::Done;
    }
    const LogHeader header{QLatin1String(CommandWord(request.command)), request.Baud(), request.unitId, request.dryRun};
    const QList<SerialDeviceInfo> present = SystemSerialDevices();  // listed once, not once a unit
    QList<QJsonObject> records;
    for (const auto& session : sessions) {
        records.append(LogRecord(header, present, *session));
    }
    if (const QString problem = AppendLog(request.log, records); !problem.isEmpty()) {
        std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
        return ExitStatus::OutputLost;
    }
    return ExitStatus::Done;
}

// The values go to -o FILE only when every unit answered; otherwise FILE keeps what it held.
ExitStatus Deliver(const QString& output, const RunReport& report)
{
    PrintMessages(report.messages);
    if (output.isEmpty()) {
        std::fputs(report.data.c_str(), stdout);
        return report.status;
    }
    if (report.status != ExitStatus::Done) {
        std::fprintf(stderr, "q42ctl: %s was left as it was, since not every unit answered\n", qPrintable(output));
        return report.status;
    }
    if (const QString problem = ReplaceWhole(output, QByteArray::fromStdString(report.data)); !problem.isEmpty()) {
        std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
        return ExitStatus::OutputLost;
    }
    return report.status;
}

}  // namespace

ExitStatus RunUnitCommand(const CtlRequest& request, const LineTrace& trace)
{
    const auto sessions = RunAll<UnitSession>(UnitTaskOf(request), request.targets, trace);
    const UnitReportForm form{request.command == Command::Get, request.json, request.selection, request.dryRun,
                              request.save.value_or(false)};
    const ExitStatus logged = Log(request, sessions);
    return std::max(logged, Deliver(request.output, Report(form, sessions)));
}

ExitStatus RunPortsCommand(const CtlRequest& request, const LineTrace&)
{
    const QList<PortEntry> entries = PortsNow();
    if (request.json) {
        std::fputs(qPrintable(FormatPortsJson(entries)), stdout);
    } else {
        for (const PortEntry& entry : entries) {
            std::printf("%s\n", qPrintable(FormatPortLine(entry)));
        }
    }
    if (entries.isEmpty()) {
        std::fprintf(stderr, "q42ctl: no serial ports are present\n");
    }
    return ExitStatus::Done;
}

ExitStatus RunDetectCommand(const CtlRequest& request, const LineTrace& trace)
{
    QList<Target> targets = request.targets;
    if (targets.isEmpty()) {
        for (const PortEntry& entry : PortsNow()) {
            targets.append(Target{entry.info.device});
        }
    }
    const auto sessions = RunAll<DetectSession>(DetectTaskOf(request), targets, trace);
    const ExitStatus logged = Log(request, sessions);
    return std::max(logged, Deliver(request.output, ReportDetect(request.json, sessions)));
}

// commission: the backups' folder is proved writable and the golden file's digest taken before any
// unit is waited for; a problem is bad usage, with nothing sent.
ExitStatus RunCommissionCommand(const CtlRequest& request, const LineTrace& trace)
{
    CommissionSetup setup;
    setup.task = {request.Baud(), {request.timeoutMs, request.retries}, request.edits,
                  request.backupDir.value_or(DefaultBackupDir()), request.save.value_or(true)};
    SayWhereFilesGoUnderSudo(setup.task.backupDir, request.log);
    if (!setup.task.backupDir.isEmpty()) {
        if (const QString problem = PrepareBackupDir(setup.task.backupDir); !problem.isEmpty()) {
            std::fprintf(stderr, "q42ctl: %s; nothing was sent (--backup-dir DIR chooses another)\n", qPrintable(problem));
            return ExitStatus::BadUsage;
        }
    }
    QFile golden(request.from);
    if (!golden.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "q42ctl: %s: cannot be read: %s\n", qPrintable(request.from), qPrintable(golden.errorString()));
        return ExitStatus::BadUsage;
    }
    setup.golden = {QFileInfo(request.from).fileName(),
                    QString::fromLatin1(QCryptographicHash::hash(golden.readAll(), QCryptographicHash::Sha256).toHex())};
    setup.targets = request.targets;
    setup.log = request.log;
    setup.askUnitId = request.askUnitId;
    setup.units = request.units;
    setup.json = request.json;
    setup.colour = !request.json && ColourTerminal();
    return RunCommission(setup, trace);
}

ExitStatus RunDoctorCommand(const CtlRequest& request, const LineTrace& trace)
{
    if (!request.acceptance.isEmpty()) {
        const AcceptanceSetup acceptance{request.targets, request.timeoutMs, request.acceptance,
                                         QCoreApplication::applicationFilePath()};
        return RunAcceptance(acceptance);
    }
    const DoctorReport report = RunDoctor(request.targets, DetectTaskOf(request), trace);
    std::fputs(request.json ? DoctorJson(report).c_str() : qPrintable(DoctorText(report)), stdout);
    return DoctorStatus(report);
}

}  // namespace q42::ctl
