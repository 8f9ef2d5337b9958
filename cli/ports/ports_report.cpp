// SPDX-License-Identifier: MIT
#include "ports_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include "visible_text.h"

namespace q42::ctl {

namespace {

// A value as the line shows it: quoted when it holds a space or a quote, so the line splits cleanly.
QString Field(const QString& key, const QString& text)
{
    // A device's own strings: never a control character raw on the terminal.
    const QString value = VisibleText(text);
    if (value.contains(QLatin1Char(' ')) || value.contains(QLatin1Char('"'))) {
        QString quoted = value;
        quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
        return QStringLiteral("%1=\"%2\"").arg(key, quoted);
    }
    return QStringLiteral("%1=%2").arg(key, value);
}

}  // namespace

QString FormatPortLine(const PortEntry& entry)
{
    const SerialDeviceInfo& info = entry.info;
    QStringList parts{entry.portNumber > 0 ? PortName(entry.portNumber) : QStringLiteral("-"),
                      VisibleText(info.device)};
    if (!entry.numberFrom.isEmpty()) {
        parts << Field(QStringLiteral("set-by"), entry.numberFrom);
    }
    if (!info.serialNumber.isEmpty()) {
        parts << Field(QStringLiteral("serial"), info.serialNumber);
    }
    if (info.vendorId) {  // a USB device reports both of its ids
        parts << QStringLiteral("usb=%1:%2").arg(HexId(*info.vendorId), HexId(info.productId.value_or(0)));
    }
    if (!info.manufacturer.isEmpty()) {
        parts << Field(QStringLiteral("manufacturer"), info.manufacturer);
    }
    if (!info.description.isEmpty()) {
        parts << Field(QStringLiteral("description"), info.description);
    }
    if (!info.byId.isEmpty()) {
        parts << Field(QStringLiteral("by-id"), info.byId);
    }
    return parts.join(QLatin1Char(' '));
}

QString FormatPortsJson(const QList<PortEntry>& entries)
{
    auto text = [](const QString& value) { return value.isEmpty() ? QJsonValue() : QJsonValue(value); };
    QJsonArray array;
    for (const PortEntry& entry : entries) {
        const SerialDeviceInfo& info = entry.info;
        array.append(QJsonObject{
            {QStringLiteral("port"), entry.portNumber > 0 ? QJsonValue(entry.portNumber) : QJsonValue()},
            {QStringLiteral("set_by"), text(entry.numberFrom)},
            {QStringLiteral("device"), info.device},
            {QStringLiteral("by_id"), text(info.byId)},
            {QStringLiteral("description"), text(info.description)},
            {QStringLiteral("manufacturer"), text(info.manufacturer)},
            {QStringLiteral("vendor_id"), info.vendorId ? QJsonValue(HexId(*info.vendorId)) : QJsonValue()},
            {QStringLiteral("product_id"), info.productId ? QJsonValue(HexId(*info.productId)) : QJsonValue()},
            {QStringLiteral("serial_number"), text(info.serialNumber)},
        });
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

ExitStatus PrintPorts(bool json)
{
    const QList<PortEntry> entries = ListPorts(SystemSerialDevices(), SystemEnvironment, kWindowsPortNames);
    if (json) {
        std::fputs(qPrintable(FormatPortsJson(entries)), stdout);
    } else {
        for (const PortEntry& entry : entries) {
            std::printf("%s\n", qPrintable(FormatPortLine(entry)));
        }
    }
    if (entries.isEmpty()) {
        std::fprintf(stderr, "q42ctl: no serial ports are present\n");
    }
    return ExitStatus::Done;
}

}  // namespace q42::ctl
