// SPDX-License-Identifier: MIT
#include "port_inventory.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace q42 {

namespace {

bool SameDevice(const QString& a, const QString& b, bool windows)
{
    return a.compare(b, windows ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

}  // namespace

QStringList DeviceNames(const QList<SerialDeviceInfo>& devices)
{
    QStringList names;
    for (const SerialDeviceInfo& info : devices) {
        names << info.device;
    }
    return names;
}

QList<PortEntry> ListPorts(const QList<SerialDeviceInfo>& system, const EnvLookup& env, bool windows)
{
    const QStringList ordered = DeviceNames(system);
    // What each number opens now; on Windows a number without a variable is its own COM port.
    QStringList named;
    QStringList reached;
    for (int n = 1; n <= kHighestPortNumber; ++n) {
        named << env(PortVariable(n));
        reached << (!named.last().isEmpty() ? named.last()
                    : windows               ? PortName(n)
                                            : (n <= ordered.size() ? ordered.at(n - 1) : QString()));
    }
    auto numberOf = [&](const QString& device) {
        const auto at = std::find_if(reached.begin(), reached.end(),
                                     [&](const QString& r) { return SameDevice(r, device, windows); });
        return at == reached.end() ? 0 : static_cast<int>(at - reached.begin()) + 1;
    };
    QList<PortEntry> entries;
    for (const SerialDeviceInfo& info : system) {
        entries.append({info, numberOf(info.device), {}});
    }
    int n = 0;
    for (const QString& device : named) {
        ++n;
        if (device.isEmpty()) {
            continue;
        }
        auto known = std::find_if(entries.begin(), entries.end(),
                                  [&](const PortEntry& e) { return SameDevice(e.info.device, device, windows); });
        if (known == entries.end()) {
            SerialDeviceInfo info;
            info.device = device;
            entries.append({info, 0, {}});
            known = entries.end() - 1;
        }
        if (known->portNumber == 0) {
            known->portNumber = n;
        }
        if (known->portNumber == n) {
            known->numberFrom = PortVariable(n);
        }
    }
    return entries;
}

std::vector<int> PortNumbersBeyondList(const QList<SerialDeviceInfo>& present, const EnvLookup& env, bool windows)
{
    std::vector<int> numbers;
    for (int n = kListedPortNumbers + 1; n <= kHighestPortNumber; ++n) {
        const auto isPortN = [&](const SerialDeviceInfo& info) { return SameDevice(info.device, PortName(n), true); };
        const bool systemHasIt = windows ? std::ranges::any_of(present, isPortN) : n <= present.size();
        if (systemHasIt || !env(PortVariable(n)).isEmpty()) {
            numbers.push_back(n);
        }
    }
    return numbers;
}

QString ByIdLinkTo(const QString& device, const QString& byIdFolder)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    const QDir folder(byIdFolder);
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (link.isSymLink() && !target.isEmpty() && link.canonicalFilePath() == target) {
            return link.absoluteFilePath();
        }
    }
    return {};
}

QString DescribeAdapter(const SerialDeviceInfo& info)
{
    QStringList parts;
    for (const QString& part : {info.description, info.manufacturer}) {
        if (!part.isEmpty() && !parts.contains(part)) {
            parts << part;
        }
    }
    if (!info.serialNumber.isEmpty()) {
        parts << QStringLiteral("serial %1").arg(info.serialNumber);
    }
    return parts.join(QStringLiteral(", "));
}

QString PortToolTip(int n, const QString& device, const QList<SerialDeviceInfo>& present, bool windows)
{
    QString tip = QStringLiteral("%1 opens %2").arg(PortName(n), device);
    for (const SerialDeviceInfo& info : present) {
        const QString adapter = SameDevice(info.device, device, windows) ? DescribeAdapter(info) : QString();
        if (!adapter.isEmpty()) {
            tip += QStringLiteral(" (%1)").arg(adapter);
        }
    }
    return tip;
}

SerialNumberMatch FindBySerialNumber(const QList<SerialDeviceInfo>& present, const QString& serial)
{
    QStringList matches;
    QStringList known;
    for (const SerialDeviceInfo& info : present) {
        if (info.serialNumber == serial) {
            matches << info.device;
        }
        known << (info.serialNumber.isEmpty() ? QStringLiteral("%1 (no serial number)").arg(info.device)
                                              : QStringLiteral("%1 (serial %2)").arg(info.device, info.serialNumber));
    }
    const QString presentText = known.isEmpty() ? QStringLiteral("no serial device is present")
                                             : QStringLiteral("present: %1").arg(known.join(QStringLiteral(", ")));
    if (matches.size() == 1) {
        return {matches.first(), {}};
    }
    if (matches.isEmpty()) {
        return {{}, QStringLiteral("serial:%1: no adapter has this serial number; %2.").arg(serial, presentText)};
    }
    return {{}, QStringLiteral("serial:%1: %2 adapters have this serial number (%3), so it does not tell them apart; "
                               "name the device instead.")
                    .arg(serial)
                    .arg(matches.size())
                    .arg(matches.join(QStringLiteral(", ")))};
}

QList<SerialDeviceInfo> SystemSerialDevices()
{
    QList<SerialDeviceInfo> devices;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString device = port.portName();
        const QString byId;
#else
        const QString device = port.systemLocation();
        const QString byId = ByIdLinkTo(device);
#endif
        devices << SerialDeviceInfo{
            device, byId, port.description(), port.manufacturer(), port.serialNumber(),
            port.hasVendorIdentifier() ? std::optional<quint16>(port.vendorIdentifier()) : std::nullopt,
            port.hasProductIdentifier() ? std::optional<quint16>(port.productIdentifier()) : std::nullopt};
    }
    const QStringList order = OrderSerialPorts(DeviceNames(devices));
    std::ranges::stable_sort(devices, {}, [&](const SerialDeviceInfo& d) { return order.indexOf(d.device); });
    return devices;
}

}  // namespace q42
