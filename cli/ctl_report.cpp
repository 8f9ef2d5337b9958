// SPDX-License-Identifier: MIT
#include "ctl_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

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

RunReport ReportDetect(bool json, const std::vector<std::unique_ptr<DetectSession>>& sessions)
{
    RunReport report;
    QJsonArray found;
    bool any = false;
    for (const auto& session : sessions) {
        any = any || session->FoundBaud().has_value();
        report.messages << session->Problems();
        if (json) {
            found.append(QJsonObject{
                {QStringLiteral("device"), session->FoundBaud() ? session->Device() : session->Label()},
                {QStringLiteral("baud"), session->FoundBaud() ? QJsonValue(*session->FoundBaud()) : QJsonValue()},
                {QStringLiteral("problem"), session->Problems().isEmpty() ? QJsonValue()
                                                                          : QJsonValue(session->Problems().join(' '))},
            });
        } else if (session->FoundBaud()) {
            report.data += QStringLiteral("%1 %2\n").arg(session->Device()).arg(*session->FoundBaud()).toStdString();
        }
    }
    if (json) {
        report.data = QJsonDocument(found).toJson(QJsonDocument::Indented).toStdString();
    }
    if (sessions.empty()) {
        report.messages << QStringLiteral("q42ctl: no serial device is present to try");
    }
    report.status = any ? ExitStatus::Done : ExitStatus::NoAnswer;
    return report;
}

}  // namespace q42::ctl
