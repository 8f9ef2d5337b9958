// SPDX-License-Identifier: MIT
#include "ctl_commands.h"

#include <QCoreApplication>

#include "acceptance_run.h"
#include "backup_file.h"
#include "commission_run.h"
#include "detect_report.h"
#include "doctor_run.h"
#include "ports_report.h"
#include "unit_report.h"

namespace q42::ctl {

namespace {

// What every session is handed: never the whole command line.
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

LogHeader LogHeaderOf(const CtlRequest& request, const QString& word)
{
    return {word, request.Baud(), request.unitId, request.dryRun};
}

}  // namespace

ExitStatus RunUnitCommand(const CtlRequest& request, const QString& word, const LineTrace& trace)
{
    const UnitReportForm form{request.command == Command::Get, request.json, request.selection, request.dryRun,
                              request.save.value_or(false)};
    return RunUnits({UnitTaskOf(request), request.targets, form, LogHeaderOf(request, word), request.log, request.output}, trace);
}

ExitStatus RunPortsCommand(const CtlRequest& request, const QString&, const LineTrace&)
{
    return PrintPorts(request.json);
}

ExitStatus RunDetectCommand(const CtlRequest& request, const QString& word, const LineTrace& trace)
{
    return RunDetect({DetectTaskOf(request), request.targets, request.json, LogHeaderOf(request, word), request.log, request.output},
                     trace);
}

ExitStatus RunCommissionCommand(const CtlRequest& request, const QString&, const LineTrace& trace)
{
    CommissionSetup setup;
    setup.task = {request.Baud(), {request.timeoutMs, request.retries}, request.edits,
                  request.backupDir.value_or(DefaultBackupDir()), request.save.value_or(true)};
    setup.targets = request.targets;
    setup.log = request.log;
    setup.askUnitId = request.askUnitId;
    setup.units = request.units;
    setup.json = request.json;
    return Commission(setup, request.from, trace);
}

ExitStatus RunDoctorCommand(const CtlRequest& request, const QString&, const LineTrace& trace)
{
    if (!request.acceptance.isEmpty()) {
        return RunAcceptance({request.targets, request.timeoutMs, request.acceptance, QCoreApplication::applicationFilePath()});
    }
    return PrintDoctor(request.targets, DetectTaskOf(request), request.json, trace);
}

}  // namespace q42::ctl
