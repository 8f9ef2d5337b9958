// SPDX-License-Identifier: MIT
#include "unit_record.h"

#include <QJsonArray>
#include <QStringList>

#include "shell_words.h"
#include "value_text.h"
#include "visible_text.h"

namespace q42::ctl {

namespace {

std::vector<Change> ChangesMade(const UnitRecord& record)
{
    return record.setAcknowledged ? Changes(record.before, record.written) : std::vector<Change>{};
}

}  // namespace

QString RestoreCommand(const UnitRecord& record)
{
    return CommandLine(RestoreWords(record.device.isEmpty() ? record.station : record.device,
                                    record.adapter.value(QStringLiteral("serial")).toString(), record.baud, record.backupPath));
}

QJsonObject RecordJson(const UnitRecord& record, const GoldenFile& golden)
{
    QJsonArray changes;
    for (const Change& change : ChangesMade(record)) {
        changes.append(ChangeJson(change));
    }
    QJsonObject json{
        {QStringLiteral("time"), record.time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("version"), QStringLiteral(Q42_VERSION)},
        {QStringLiteral("command"), QStringLiteral("commission")},
        {QStringLiteral("result"), record.Passed() ? QStringLiteral("PASS") : QStringLiteral("FAIL")},
        {QStringLiteral("status"), static_cast<int>(record.Status())},
        {QStringLiteral("station"), record.station},
        {QStringLiteral("device"), record.device},
        {QStringLiteral("unit"), record.unitId.isEmpty() ? QJsonValue() : QJsonValue(record.unitId)},
        {QStringLiteral("baud"), record.baud},
        {QStringLiteral("values_before"), ValuesJson(record.before, {})},
        {QStringLiteral("changes"), changes},
        {QStringLiteral("set_sent"), record.setSent},
        {QStringLiteral("set_acknowledged"), record.setAcknowledged},
        {QStringLiteral("verified"), record.verified},
        {QStringLiteral("saved"), record.saved},
        {QStringLiteral("backup"), record.backupPath.isEmpty() ? QJsonValue() : QJsonValue(record.backupPath)},
        {QStringLiteral("golden"), QJsonObject{{QStringLiteral("file"), golden.name}, {QStringLiteral("sha256"), golden.sha256}}},
    };
    if (!record.adapter.isEmpty()) {
        json.insert(QStringLiteral("adapter"), record.adapter);
    }
    if (record.failure) {
        json.insert(QStringLiteral("failed_step"), record.failure->step);
        json.insert(QStringLiteral("message"), record.failure->message);
        if (!record.backupPath.isEmpty()) {
            json.insert(QStringLiteral("restore"), RestoreCommand(record));
        }
    }
    return json;
}

QString RecordLine(const UnitRecord& record)
{
    QStringList parts{record.Passed() ? QStringLiteral("PASS") : QStringLiteral("FAIL"), record.station,
                      QStringLiteral("id=") + (record.unitId.isEmpty() ? QStringLiteral("-") : QuoteWord(VisibleText(record.unitId)))};
    if (record.failure) {
        parts << QStringLiteral("failed at the %1%2").arg(record.failure->step,
                                                     record.setAcknowledged ? QStringLiteral(" after the set was acknowledged")
                                                                            : QString());
    }
    QStringList changes;
    for (const Change& change : ChangesMade(record)) {
        changes << QString::fromStdString(ChangeLine(change));
    }
    parts << QStringLiteral("changes: ") + (changes.isEmpty() ? QStringLiteral("none") : changes.join(QStringLiteral(", ")));
    if (!record.backupPath.isEmpty()) {
        parts << QStringLiteral("backup=") + QuoteWord(record.backupPath);
    }
    parts << (record.saved ? QStringLiteral("saved") : record.saveLeftOut ? QStringLiteral("not saved (--no-save)")
                                                                          : QStringLiteral("not saved"));
    if (!record.Passed() && !record.backupPath.isEmpty()) {
        parts << QStringLiteral("restore: ") + RestoreCommand(record);
    }
    return parts.join(QStringLiteral("  "));
}

}  // namespace q42::ctl
