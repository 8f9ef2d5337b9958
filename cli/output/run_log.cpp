// SPDX-License-Identifier: MIT
#include "run_log.h"

#include <QDateTime>

namespace q42::ctl {

QJsonObject AdapterJson(const QList<SerialDeviceInfo>& present, const QString& opened)
{
    QJsonObject adapter;
    for (const SerialDeviceInfo& info : present) {
        if (info.device != opened) {
            continue;
        }
        if (!info.serialNumber.isEmpty()) {
            adapter.insert(QStringLiteral("serial"), info.serialNumber);
        }
        if (info.vendorId && info.productId) {
            adapter.insert(QStringLiteral("usb"), HexId(*info.vendorId) + QLatin1Char(':') + HexId(*info.productId));
        }
    }
    return adapter;
}

QJsonObject LogRecordHead(const LogHeader& header, const QList<SerialDeviceInfo>& present, const Target& given,
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

}  // namespace q42::ctl
