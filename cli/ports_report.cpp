// SPDX-License-Identifier: MIT
#include "ports_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "visible_text.h"

namespace q42::ctl {

namespace {

QString Hex4(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

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
        parts << QStringLiteral("usb=%1:%2").arg(Hex4(*info.vendorId), Hex4(info.productId.value_or(0)));
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
            {QStringLiteral("vendor_id"), info.vendorId ? QJsonValue(Hex4(*info.vendorId)) : QJsonValue()},
            {QStringLiteral("product_id"), info.productId ? QJsonValue(Hex4(*info.productId)) : QJsonValue()},
            {QStringLiteral("serial_number"), text(info.serialNumber)},
        });
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

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
            adapter.insert(QStringLiteral("usb"), Hex4(*info.vendorId) + QLatin1Char(':') + Hex4(*info.productId));
        }
    }
    return adapter;
}

}  // namespace q42::ctl
