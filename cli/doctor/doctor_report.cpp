// SPDX-License-Identifier: MIT
#include "doctor_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "shell_words.h"
#include "visible_text.h"

namespace q42::ctl {

ExitStatus DoctorStatus(const DoctorReport& report)
{
    if (!report.answered.isEmpty()) {
        return ExitStatus::Done;
    }
    return report.portShut ? ExitStatus::CannotOpen : ExitStatus::NoAnswer;
}

QString FindingLine(const Finding& finding)
{
    QString line = QString::fromStdString(FindingSentence(finding));
    if (finding.thenChoosePort) {
        line += QStringLiteral(" Then give its device with -r, or its number with -p ('q42ctl ports' lists them).");
    }
    return line;
}

Finding AnsweredFinding(const AnsweredOn& answered)
{
    Finding f{FindingKind::UnitAnswered, answered.device.toStdString(), {}, {}, {}, false};
    const QString window = answered.portNumber > 0
                               ? QStringLiteral("in the window choose COM %1 and %2").arg(answered.portNumber).arg(answered.baud)
                               : QStringLiteral("no COM number of the window reaches it (Q42_COM<n>=%1 gives it one)")
                                     .arg(answered.device);
    f.text = QStringLiteral("A unit answered on %1 at %2 baud: %3.").arg(answered.device).arg(answered.baud).arg(window)
                 .toStdString();
    f.fix = (QStringLiteral("Here: ") + CommandLine({QStringLiteral("q42ctl"), QStringLiteral("-r"), answered.device,
                                                     QStringLiteral("-s"), QString::number(answered.baud),
                                                     QStringLiteral("get")}))
                .toStdString();
    return f;
}

QString DoctorText(const DoctorReport& report)
{
    // Every line holds names the system or a device chose; JSON needs no such care, its writer escapes.
    QString text = VisibleText(report.system) + QLatin1Char('\n');
    for (const Finding& finding : report.findings) {
        text += QStringLiteral("%1: %2\n").arg(QLatin1String(FindingKindName(finding.kind)), VisibleText(FindingLine(finding)));
    }
    if (report.answered.isEmpty()) {
        text += QStringLiteral("No unit answered.\n");
    }
    return text;
}

std::string DoctorJson(const DoctorReport& report)
{
    QJsonArray findings;
    for (const Finding& finding : report.findings) {
        findings.append(QJsonObject{
            {QStringLiteral("kind"), QLatin1String(FindingKindName(finding.kind))},
            {QStringLiteral("device"), QString::fromStdString(finding.device)},
            {QStringLiteral("adapter"), QString::fromStdString(finding.adapter)},
            {QStringLiteral("text"), QString::fromStdString(finding.text)},
            {QStringLiteral("fix"), QString::fromStdString(finding.fix)},
        });
    }
    QJsonArray answered;
    for (const AnsweredOn& on : report.answered) {
        answered.append(QJsonObject{{QStringLiteral("device"), on.device},
                                    {QStringLiteral("baud"), on.baud},
                                    {QStringLiteral("port"), on.portNumber}});
    }
    const QJsonObject root{{QStringLiteral("system"), report.system},
                           {QStringLiteral("findings"), findings},
                           {QStringLiteral("answered"), answered}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace q42::ctl
