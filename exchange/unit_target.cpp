// SPDX-License-Identifier: MIT
#include "unit_target.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "device_choice.h"
#include "port_names.h"

namespace q42::ctl {

QString TargetLabel(const Target& target)
{
    return target.device.isEmpty() ? PortName(target.portNumber) : target.device;
}

QString LineProblemText(const ExchangeFailure& failure)
{
    return failure.listsPorts ? failure.text + QStringLiteral(" To use one, give its number with -p (12 or COM12 for COM12).")
                              : failure.text;
}

QString TargetDevice(const Target& target, const QList<SerialDeviceInfo>& present)
{
    if (target.device.isEmpty()) {
        return ResolvePortName(target.portNumber, DeviceNames(present), SystemEnvironment);
    }
    return ChooseDevice(target.device, kWindowsPortNames, present).device;
}

QString DeviceIdentity(const QString& device)
{
    if (device.isEmpty()) {
        return {};
    }
#ifdef _WIN32
    return WindowsComName(device).toUpper();
#else
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0) {
        return {};
    }
    if (S_ISCHR(st.st_mode)) {
        return QStringLiteral("char %1").arg(static_cast<qulonglong>(st.st_rdev));
    }
    return QFileInfo(device).canonicalFilePath();
#endif
}

std::optional<SameDeviceTwice> FindSameDeviceTwice(const QList<Target>& targets, const QList<SerialDeviceInfo>& present)
{
    QStringList identities;
    for (const Target& target : targets) {
        const QString device = TargetDevice(target, present);
        const QString identity = DeviceIdentity(device);
        if (const qsizetype earlier = identity.isEmpty() ? -1 : identities.indexOf(identity); earlier >= 0) {
            const QString real = QFileInfo(device).canonicalFilePath();
            return SameDeviceTwice{TargetLabel(targets[earlier]), TargetLabel(target), real.isEmpty() ? device : real};
        }
        identities << identity;
    }
    return std::nullopt;
}

QString UniqueSerialNumberOf(const QString& device, const QList<SerialDeviceInfo>& present)
{
    const QString identity = DeviceIdentity(device);
    QString serial;
    for (const SerialDeviceInfo& info : present) {
        if (!identity.isEmpty() && DeviceIdentity(info.device) == identity) {
            serial = info.serialNumber;
        }
    }
    const auto sharing = std::count_if(present.begin(), present.end(),
                                       [&](const SerialDeviceInfo& info) { return info.serialNumber == serial; });
    return sharing == 1 ? serial : QString();
}

std::optional<OpenProblem> OpenTarget(UnitExchange& exchange, const Target& target, qint32 baud)
{
    exchange.SetLabel(TargetLabel(target));
    UnitLine line{target.portNumber, QString(), baud};
    if (!target.device.isEmpty()) {
        const DeviceChoice choice = ChooseDevice(target.device, kWindowsPortNames,
                                                 NamesSerialNumber(target.device) ? SystemSerialDevices()
                                                                                  : QList<SerialDeviceInfo>());
        if (!choice.problem.isEmpty()) {
            return OpenProblem{ExitStatus::CannotOpen, choice.problem, true, CommErrorKind::NotFound};
        }
        if (choice.device != target.device) {
            exchange.SetLabel(QStringLiteral("%1 (%2)").arg(target.device, choice.device));
        }
        line.device = choice.device;
    }
    if (const auto failure = exchange.Open(line)) {
        return OpenProblem{ExitStatusOf(failure->lineKind), LineProblemText(*failure),
                           failure->lineKind == CommErrorKind::NotFound, failure->lineKind};
    }
    if (target.device.isEmpty()) {
        exchange.SetLabel(QStringLiteral("%1 (%2)").arg(exchange.PortLabel(), exchange.Device()));
    }
    return std::nullopt;
}

}  // namespace q42::ctl
