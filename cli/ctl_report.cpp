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

void PrintData(const CtlRequest& request, const UnitSession& session, bool several, bool& firstJson)
{
    const std::string label = session.Label().toStdString();
    if (request.command == Command::Get) {
        const UnitValues& values = session.ValuesRead();
        if (request.json) {
            std::string object = FormatJson(values, request.selection);
            if (several) {
                // One object keyed by device; each unit's object indented inside it.
                std::string nested;
                for (char c : object.substr(0, object.size() - 1)) {
                    nested += c;
                    if (c == '\n') {
                        nested += "  ";
                    }
                }
                object = std::string(firstJson ? "{\n" : ",\n") + "  \"" + label + "\": " + nested;
                firstJson = false;
            }
            std::fputs(object.c_str(), stdout);
        } else {
            if (several) {
                std::printf("# %s\n", label.c_str());
            }
            std::fputs(FormatLines(values, request.selection).c_str(), stdout);
        }
    }
    if (request.command == Command::Set) {
        for (const std::string& change : session.Changes()) {
            std::printf("%s%s\n", several ? (label + ": ").c_str() : "", change.c_str());
        }
        if (session.Changes().empty()) {
            std::fprintf(stderr, "%s: no value changed; the unit already held these values\n", label.c_str());
        }
    }
}

}  // namespace

ExitStatus Report(const CtlRequest& request, const std::vector<std::unique_ptr<UnitSession>>& sessions)
{
    const bool several = sessions.size() > 1;
    bool firstJson = true;
    ExitStatus worst = ExitStatus::Done;
    for (const auto& session : sessions) {
        if (session->Status() == ExitStatus::Done) {
            PrintData(request, *session, several, firstJson);
        }
        for (const QString& problem : session->Problems()) {
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        }
        worst = std::max(worst, session->Status());
    }
    // Several units' JSON: the object keyed by device that the first answering unit opened.
    if (!firstJson) {
        std::fputs("\n}\n", stdout);
    }
    if (several) {
        // One line per unit, so a script or a technician sees the whole batch at a glance.
        for (const auto& session : sessions) {
            const char* result = session->Status() == ExitStatus::Done ? "done" : "FAILED";
            std::fprintf(stderr, "%s: %s (exit status %d)\n", qPrintable(session->Label()), result,
                         static_cast<int>(session->Status()));
        }
    }
    return worst;
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
