// SPDX-License-Identifier: MIT
#include "port_inventory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace q42 {

namespace {

bool SameDevice(const QString& a, const QString& b, bool windows)
{
    return a.compare(b, windows ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

#ifndef Q_OS_WIN
// The USB device's own serial number, as the kernel's sysfs has it, for a tty whose listing gave
// none: Qt reads udev's database, which a system without udevd (a container, a rescue system) lacks.
QString SysfsSerialNumber(const QString& device)
{
    QDir dir(QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(QFileInfo(device).fileName())).canonicalFilePath());
    for (int up = 0; up < 3 && !dir.path().isEmpty() && dir.path() != QLatin1String("/"); ++up, dir.cdUp()) {
        if (QFileInfo::exists(dir.filePath(QStringLiteral("idVendor")))) {
            QFile serial(dir.filePath(QStringLiteral("serial")));
            return serial.open(QIODevice::ReadOnly) ? QString::fromLatin1(serial.readLine(256)).trimmed() : QString();
        }
    }
    return {};
}
#endif

}  // namespace

QString HexId(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

QStringList DeviceNames(const QList<SerialDeviceInfo>& devices)
{
    QStringList names;
    for (const SerialDeviceInfo& info : devices) {
        names << info.device;
    }
    return names;
}

std::vector<std::pair<int, QString>> PortNumbersInUse(const QList<SerialDeviceInfo>& present, const EnvLookup& env,
                                                      bool windows)
{
    const QStringList ordered = DeviceNames(present);
    std::vector<std::pair<int, QString>> inUse;
    for (int n = 1; n <= kHighestPortNumber; ++n) {
        const auto isPortN = [&](const QString& device) { return SameDevice(device, PortName(n), true); };
        const bool systemHasIt = windows ? std::ranges::any_of(ordered, isPortN) : n <= ordered.size();
        if (systemHasIt || !env(PortVariable(n)).isEmpty()) {
            inUse.emplace_back(n, ResolvePortName(n, ordered, env, windows));
        }
    }
    return inUse;
}

QString DescribePortNumbers(const std::vector<std::pair<int, QString>>& inUse)
{
    QStringList parts;
    for (const auto& [n, device] : inUse) {
        parts << QStringLiteral("%1 = %2").arg(n).arg(device);
    }
    return parts.isEmpty() ? QStringLiteral("no serial ports are present") : parts.join(QStringLiteral(", "));
}

QList<PortEntry> ListPorts(const QList<SerialDeviceInfo>& system, const EnvLookup& env, bool windows)
{
    QList<PortEntry> entries;
    for (const SerialDeviceInfo& info : system) {
        entries.append({info, 0, {}});
    }
    // Each device gets the lowest number that reaches it; a device only a variable names comes last.
    for (const auto& [n, device] : PortNumbersInUse(system, env, windows)) {
        auto known = std::find_if(entries.begin(), entries.end(),
                                  [&](const PortEntry& e) { return SameDevice(e.info.device, device, windows); });
        if (known == entries.end()) {
            entries.append({SerialDeviceInfo{device, {}, {}, {}, {}, {}, {}}, 0, {}});
            known = entries.end() - 1;
        }
        if (known->portNumber == 0) {
            known->portNumber = n;
        }
        if (known->portNumber == n && !env(PortVariable(n)).isEmpty()) {
            known->numberFrom = PortVariable(n);
        }
    }
    return entries;
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
        QString serialNumber = port.serialNumber();
#ifndef Q_OS_WIN
        if (serialNumber.isEmpty()) {
            serialNumber = SysfsSerialNumber(device);
        }
#endif
        devices << SerialDeviceInfo{
            device, byId, port.description(), port.manufacturer(), serialNumber,
            port.hasVendorIdentifier() ? std::optional<quint16>(port.vendorIdentifier()) : std::nullopt,
            port.hasProductIdentifier() ? std::optional<quint16>(port.productIdentifier()) : std::nullopt};
    }
    return InPortOrder(devices);
}

QList<SerialDeviceInfo> InPortOrder(QList<SerialDeviceInfo> devices)
{
    const QStringList order = OrderSerialPorts(DeviceNames(devices));
    std::ranges::stable_sort(devices, {}, [&](const SerialDeviceInfo& d) { return order.indexOf(d.device); });
    return devices;
}

QString ResolvePortName(int n)
{
    return ResolvePortName(n, DeviceNames(SystemSerialDevices()), SystemEnvironment);
}

}  // namespace q42
