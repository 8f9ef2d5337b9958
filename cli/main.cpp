// SPDX-License-Identifier: MIT
// q42ctl: reads, writes, saves and copies VARNEK-Q42 settings from a terminal or a script.
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "acceptance_run.h"
#include "backup_file.h"
#include "commission_run.h"
#include "ctl_options.h"
#include "ctl_report.h"
#include "detect_session.h"
#include "doctor_run.h"
#include "line_trace.h"
#include "port_inventory.h"
#include "ports_report.h"
#include "running_mark.h"
#include "run_files.h"
#include "run_log.h"
#include "run_sessions.h"
#include "stop_signals.h"
#include "whole_file.h"
#include "unit_session.h"
#include "unit_target.h"
#include "visible_text.h"

namespace {

using namespace q42::ctl;

QList<q42::PortEntry> PortsNow()
{
    return q42::ListPorts(q42::SystemSerialDevices(), q42::SystemEnvironment, q42::kWindowsPortNames);
}

ExitStatus PrintPortList(const CtlRequest& request)
{
    const QList<q42::PortEntry> entries = PortsNow();
    if (request.json) {
        std::fputs(qPrintable(FormatPortsJson(entries)), stdout);
    } else {
        for (const q42::PortEntry& entry : entries) {
            std::printf("%s\n", qPrintable(FormatPortLine(entry)));
        }
    }
    if (entries.isEmpty()) {
        std::fprintf(stderr, "q42ctl: no serial ports are present\n");
    }
    return ExitStatus::Done;
}

// What each unit's session is handed: never the whole command line.
UnitTask UnitTaskOf(const CtlRequest& request)
{
    UnitTask task;
    task.kind = request.command == Command::Set    ? UnitTask::Kind::Set
                : request.command == Command::Save ? UnitTask::Kind::Save
                                                   : UnitTask::Kind::Get;
    task.baud = request.baud;
    task.timing = {request.timeoutMs, request.retries};
    task.edits = request.edits;
    task.write = !request.dryRun;
    task.save = request.save;
    task.verify = request.verify;
    task.backupFile = request.backupFile;
    return task;
}

DetectTask DetectTaskOf(const CtlRequest& request)
{
    DetectTask task;
    if (request.baudGiven) {
        task.rates = {request.baud};  // only the rate asked for when one was
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

// commission: the backups' folder is proved writable and the golden file's digest taken before any
// unit is waited for; a problem is bad usage, with nothing sent.
ExitStatus Commission(const CtlRequest& request, const LineTrace& trace)
{
    CommissionSetup setup;
    setup.task = {request.baud, {request.timeoutMs, request.retries}, request.edits,
                  request.noBackup ? QString() : request.backupDir.isEmpty() ? DefaultBackupDir() : request.backupDir,
                  !request.noSave};
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

ExitStatus Doctor(const CtlRequest& request, const LineTrace& trace)
{
    if (!request.acceptance.isEmpty()) {
        const AcceptanceSetup acceptance{request.targets, request.timeoutMs, request.acceptance,
                                         QCoreApplication::applicationFilePath()};
        return RunAcceptance(acceptance, AskOnTerminal);
    }
    DoctorSetup setup;
    setup.targets = request.targets;
    setup.probe = DetectTaskOf(request);
    const DoctorReport report = RunDoctor(setup, trace);
    std::fputs(request.json ? DoctorJson(report).c_str() : qPrintable(DoctorText(report)), stdout);
    return DoctorStatus(report);
}

// Values lost on a full disk must not pass for success: flushes standard output and returns
// OutputLost when it could not be written, else the status given.
ExitStatus FlushOutput(ExitStatus status)
{
    // A failed write, now or while printing, leaves the stream's error indicator set.
    std::fflush(stdout);
    if (std::ferror(stdout) != 0) {
        std::fprintf(stderr, "q42ctl: standard output could not be written: %s\n", std::strerror(errno));
        return ExitStatus::OutputLost;
    }
    return status;
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
    const QList<q42::SerialDeviceInfo> present = q42::SystemSerialDevices();  // listed once, not once a unit
    QList<QJsonObject> records;
    for (const auto& session : sessions) {
        records.append(LogRecord(request, present, *session));
    }
    if (const QString problem = AppendLog(request.log, records); !problem.isEmpty()) {
        std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
        return ExitStatus::OutputLost;
    }
    return ExitStatus::Done;
}

// The values go to -o FILE only when every unit answered; otherwise FILE keeps what it held.
ExitStatus Deliver(const CtlRequest& request, const RunReport& report)
{
    PrintMessages(report.messages);
    if (request.output.isEmpty()) {
        std::fputs(report.data.c_str(), stdout);
        return report.status;
    }
    if (report.status != ExitStatus::Done) {
        std::fprintf(stderr, "q42ctl: %s was left as it was, since not every unit answered\n", qPrintable(request.output));
        return report.status;
    }
    if (const QString problem = ReplaceWhole(request.output, QByteArray::fromStdString(report.data)); !problem.isEmpty()) {
        std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
        return ExitStatus::OutputLost;
    }
    return report.status;
}

}  // namespace

int main(int argc, char** argv)
{
    q42::HoldRunningMark();
    IgnoreWriteSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q42ctl"));
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    if (parsed.help) {
        std::fputs(qPrintable(UsageText()), stdout);
        return static_cast<int>(FlushOutput(ExitStatus::Done));
    }
    if (parsed.version) {
        std::printf("q42ctl %s\n", Q42_VERSION);
        return static_cast<int>(FlushOutput(ExitStatus::Done));
    }
    if (!parsed.request) {
        std::fprintf(stderr, "q42ctl: %s\nTry 'q42ctl --help'.\n", qPrintable(parsed.error));
        return static_cast<int>(ExitStatus::BadUsage);
    }
    const CtlRequest& request = *parsed.request;
    // A file that cannot be written is bad usage, found before anything is sent: exit status 2 keeps
    // meaning that the unit was not touched.
    for (const QString& problem : {request.output.isEmpty() ? QString() : CheckKeptFile(request.output),
                                   request.backupFile.isEmpty() ? QString() : CheckKeptFile(request.backupFile),
                                   request.log.isEmpty() ? QString() : CheckLogFile(request.log),
                                   request.acceptance.isEmpty() ? QString() : CheckKeptFile(request.acceptance)}) {
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
            return static_cast<int>(ExitStatus::BadUsage);
        }
    }
    // Two names of one device would have two sessions fight over it: refused before anything is sent.
    if (request.targets.size() > 1) {
        if (const auto same = FindSameDeviceTwice(request.targets, q42::SystemSerialDevices())) {
            std::fprintf(stderr, "q42ctl: %s and %s are the same device (%s); give each device once\n",
                         qPrintable(VisibleText(same->first)), qPrintable(VisibleText(same->second)),
                         qPrintable(VisibleText(same->device)));
            return static_cast<int>(ExitStatus::BadUsage);
        }
    }
    const LineTrace trace(request.trace);
    if (request.command == Command::Ports) {
        return static_cast<int>(FlushOutput(PrintPortList(request)));
    }
    if (request.command == Command::Commission) {
        return static_cast<int>(FlushOutput(Commission(request, trace)));
    }
    if (request.command == Command::Doctor) {
        return static_cast<int>(FlushOutput(Doctor(request, trace)));
    }
    if (request.command == Command::Detect) {
        QList<Target> targets = request.targets;
        if (targets.isEmpty()) {
            for (const q42::PortEntry& entry : PortsNow()) {
                targets.append(Target{entry.info.device});
            }
        }
        const auto sessions = RunAll<DetectSession>(DetectTaskOf(request), targets, trace);
        const ExitStatus logged = Log(request, sessions);
        return static_cast<int>(FlushOutput(std::max(logged, Deliver(request, ReportDetect(request, sessions)))));
    }
    const auto sessions = RunAll<UnitSession>(UnitTaskOf(request), request.targets, trace);
    const ExitStatus logged = Log(request, sessions);
    return static_cast<int>(FlushOutput(std::max(logged, Deliver(request, Report(request, sessions)))));
}
