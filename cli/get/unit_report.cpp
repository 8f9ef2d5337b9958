// SPDX-License-Identifier: MIT
#include "unit_report.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

#include "run_sessions.h"
#include "shell_words.h"

namespace q42::ctl {

namespace {

std::string UnitData(const UnitReportForm& form, const UnitSession& session, bool several, QStringList& messages)
{
    const std::string label = session.Label().toStdString();
    std::string data;
    if (form.listValues && session.Status() == ExitStatus::Done && !form.json) {
        data = (several ? "# " + label + "\n" : std::string()) + FormatLines(*session.ValuesRead(), form.selection);
    }
    const bool dryRunDone = form.dryRun && session.Status() == ExitStatus::Done;
    if (session.WriteAcknowledged() || dryRunDone) {
        const std::vector<Change> changes = Changes(session.Before(), session.Written());
        for (const Change& change : changes) {
            data += (several ? label + ": " : std::string()) + ChangeLine(change) + "\n";
        }
        if (changes.empty()) {
            messages << QStringLiteral("%1: no value %2; the unit already %3 these values")
                            .arg(session.Label(), dryRunDone ? QStringLiteral("would change") : QStringLiteral("changed"),
                                 dryRunDone ? QStringLiteral("holds") : QStringLiteral("held"));
        } else if (dryRunDone) {
            messages << QStringLiteral("%1: --dry-run: nothing was written; set without it makes these changes")
                            .arg(session.Label());
        }
        if (session.WriteAcknowledged() && session.Status() == ExitStatus::Done && !form.saveAsked) {
            messages << QStringLiteral("%1: the unit keeps the values written only until it loses power; 'q42ctl %2 "
                                       "save' makes it keep them")
                            .arg(session.Label(), CommandLine(TargetWords(session.Given())));
        }
    }
    return data;
}

}  // namespace

RunReport Report(const UnitReportForm& form, const std::vector<std::unique_ptr<UnitSession>>& sessions)
{
    const bool several = sessions.size() > 1;
    RunReport report;
    QJsonObject byDevice;  // several units' JSON: one object keyed by device
    for (const auto& session : sessions) {
        report.data += UnitData(form, *session, several, report.messages);
        if (form.json && session->Status() == ExitStatus::Done) {
            const QJsonObject values = ValuesJson(*session->ValuesRead(), form.selection);
            if (several) {
                byDevice.insert(session->Label(), values);
            } else {
                report.data = FormatJson(values);
            }
        }
        report.messages << session->Problems();
        report.status = std::max(report.status, session->Status());
    }
    if (!byDevice.isEmpty()) {
        report.data = FormatJson(byDevice);
    }
    if (several) {
        // One line per unit, so a script or a technician sees the whole batch at a glance.
        for (const auto& session : sessions) {
            report.messages << QStringLiteral("%1: %2 (exit status %3)")
                                   .arg(session->Label(),
                                        session->Status() == ExitStatus::Done ? QStringLiteral("done") : QStringLiteral("FAILED"))
                                   .arg(static_cast<int>(session->Status()));
        }
    }
    return report;
}

QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const UnitSession& session)
{
    QJsonObject record = LogRecordHead(header, present, session.Given(), session.Device(), session.Status(), session.Problems());
    if (session.ValuesRead()) {
        record.insert(QStringLiteral("values"), ValuesJson(*session.ValuesRead(), {}));
    }
    if (session.WriteAcknowledged()) {
        QJsonArray changes;
        for (const Change& change : Changes(session.Before(), session.Written())) {
            changes.append(ChangeJson(change));
        }
        record.insert(QStringLiteral("changes"), changes);
    }
    if (header.dryRun) {
        record.insert(QStringLiteral("dry_run"), true);  // values read, nothing written
    }
    record.insert(QStringLiteral("saved"), session.Saved());
    return record;
}

ExitStatus RunUnits(const UnitRun& run, const LineTrace& trace)
{
    const auto sessions = RunAll<UnitSession>(run.task, run.targets, trace);
    const ExitStatus logged = LogSessions(run.log, run.header, sessions);
    return std::max(logged, Deliver(run.output, Report(run.form, sessions)));
}

}  // namespace q42::ctl
