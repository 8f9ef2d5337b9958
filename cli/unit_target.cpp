// SPDX-License-Identifier: MIT
#include "unit_target.h"

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
