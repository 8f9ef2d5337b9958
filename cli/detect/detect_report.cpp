// SPDX-License-Identifier: MIT
#include "detect_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include "run_sessions.h"

namespace q42::ctl {

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

QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const DetectSession& session)
{
    QJsonObject record = LogRecordHead(header, present, session.Given(), session.Device(), session.Status(), session.Problems());
    record.insert(QStringLiteral("baud"), session.FoundBaud() ? QJsonValue(*session.FoundBaud()) : QJsonValue());
    record.insert(QStringLiteral("saved"), false);
    return record;
}

ExitStatus RunDetect(const DetectRun& run, const LineTrace& trace)
{
    QList<Target> targets = run.targets;
    if (targets.isEmpty()) {
        for (const PortEntry& entry : ListPorts(SystemSerialDevices(), SystemEnvironment, kWindowsPortNames)) {
            targets.append(Target{entry.info.device});
        }
    }
    const auto sessions = RunAll<DetectSession>(run.task, targets, trace);
    const ExitStatus logged = LogSessions(run.log, run.header, sessions);
    return std::max(logged, Deliver(run.output, ReportDetect(run.json, sessions)));
}

}  // namespace q42::ctl
