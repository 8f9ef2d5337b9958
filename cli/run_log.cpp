// SPDX-License-Identifier: MIT
#include "run_log.h"

#include <QDateTime>
#include <QJsonArray>

namespace q42::ctl {

namespace {

// What is common to every record: when, which q42ctl, which unit on which line, how it ended.
QJsonObject Record(const LogHeader& header, const QList<SerialDeviceInfo>& present, const Target& given,
                   const QString& opened, ExitStatus status, const QStringList& problems)
{
    QJsonObject record{
        {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
        {QStringLiteral("version"), QStringLiteral(Q42_VERSION)},
        {QStringLiteral("command"), header.command},
        {QStringLiteral("device"), TargetLabel(given)},
        {QStringLiteral("baud"), header.baud},
        {QStringLiteral("status"), static_cast<int>(status)},
    };
    if (!header.unitId.isEmpty()) {
        record.insert(QStringLiteral("unit"), header.unitId);
    }
    if (const QJsonObject adapter = AdapterJson(present, opened); !adapter.isEmpty()) {
        record.insert(QStringLiteral("adapter"), adapter);
    }
    if (!problems.isEmpty()) {
        record.insert(QStringLiteral("message"), problems.join(QLatin1Char(' ')));
    }
    return record;
}

}  // namespace

QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const UnitSession& session)
{
    QJsonObject record = Record(header, present, session.Given(), session.Device(), session.Status(), session.Problems());
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

QJsonObject LogRecord(const LogHeader& header, const QList<SerialDeviceInfo>& present, const DetectSession& session)
{
    QJsonObject record = Record(header, present, session.Given(), session.Device(), session.Status(), session.Problems());
    record.insert(QStringLiteral("baud"), session.FoundBaud() ? QJsonValue(*session.FoundBaud()) : QJsonValue());
    record.insert(QStringLiteral("saved"), false);
    return record;
}

}  // namespace q42::ctl
