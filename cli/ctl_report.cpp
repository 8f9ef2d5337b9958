// SPDX-License-Identifier: MIT
#include "ctl_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace q42::ctl {

namespace {

std::string UnitData(const CtlRequest& request, const UnitSession& session, bool several)
{
    const std::string label = session.Label().toStdString();
    std::string data;
    if (request.command == Command::Get && session.Status() == ExitStatus::Done && !request.json) {
        data = (several ? "# " + label + "\n" : std::string()) + FormatLines(*session.ValuesRead(), request.selection);
    }
    const bool dryRunDone = request.dryRun && session.Status() == ExitStatus::Done;
    if (session.WriteAcknowledged() || dryRunDone) {
        const std::vector<Change> changes = Changes(session.Before(), session.Written());
        for (const Change& change : changes) {
            data += (several ? label + ": " : std::string()) + ChangeLine(change) + "\n";
        }
        if (changes.empty()) {
            std::fprintf(stderr, "%s: no value %s; the unit already %s these values\n", label.c_str(),
                         dryRunDone ? "would change" : "changed", dryRunDone ? "holds" : "held");
        } else if (dryRunDone) {
            std::fprintf(stderr, "%s: --dry-run: nothing was written; set without it makes these changes\n",
                         label.c_str());
        }
    }
    return data;
}

}  // namespace

RunReport Report(const CtlRequest& request, const std::vector<std::unique_ptr<UnitSession>>& sessions)
{
    const bool several = sessions.size() > 1;
    RunReport report;
    QJsonObject byDevice;  // several units' JSON: one object keyed by device
    for (const auto& session : sessions) {
        report.data += UnitData(request, *session, several);
        if (request.json && session->Status() == ExitStatus::Done) {
            const QJsonObject values = ValuesJson(*session->ValuesRead(), request.selection);
            if (several) {
                byDevice.insert(session->Label(), values);
            } else {
                report.data = FormatJson(values);
            }
        }
        for (const QString& problem : session->Problems()) {
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        }
        report.status = std::max(report.status, session->Status());
    }
    if (!byDevice.isEmpty()) {
        report.data = FormatJson(byDevice);
    }
    if (several) {
        // One line per unit, so a script or a technician sees the whole batch at a glance.
        for (const auto& session : sessions) {
            const char* result = session->Status() == ExitStatus::Done ? "done" : "FAILED";
            std::fprintf(stderr, "%s: %s (exit status %d)\n", qPrintable(session->Label()), result,
                         static_cast<int>(session->Status()));
        }
    }
    return report;
}

ExitStatus ReportDetect(const CtlRequest& request, const std::vector<std::unique_ptr<DetectSession>>& sessions)
{
    QJsonArray found;
    bool any = false;
    for (const auto& session : sessions) {
        any = any || session->FoundBaud().has_value();
        for (const QString& problem : session->Problems()) {
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        }
        if (request.json) {
            found.append(QJsonObject{
                {QStringLiteral("device"), session->FoundBaud() ? session->Device() : session->Label()},
                {QStringLiteral("baud"), session->FoundBaud() ? QJsonValue(*session->FoundBaud()) : QJsonValue()},
                {QStringLiteral("problem"), session->Problems().isEmpty() ? QJsonValue()
                                                                          : QJsonValue(session->Problems().join(' '))},
            });
        } else if (session->FoundBaud()) {
            std::printf("%s %d\n", qPrintable(session->Device()), *session->FoundBaud());
        }
    }
    if (request.json) {
        std::fputs(QJsonDocument(found).toJson(QJsonDocument::Indented).constData(), stdout);
    }
    if (sessions.empty()) {
        std::fprintf(stderr, "q42ctl: no serial device is present to try\n");
    }
    return any ? ExitStatus::Done : ExitStatus::NoAnswer;
}

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

}  // namespace q42::ctl
