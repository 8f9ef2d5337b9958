// SPDX-License-Identifier: MIT
#include "open_error.h"

#include <QStringList>

#include "port_inventory.h"

namespace q42 {

CommErrorKind OpenErrorKind(const OpenFailure& f)
{
    switch (f.error) {
    case QSerialPort::DeviceNotFoundError: return CommErrorKind::NotFound;
    case QSerialPort::PermissionError: return kWindowsPortNames || f.mayAccess ? CommErrorKind::Busy : CommErrorKind::Permission;
    case QSerialPort::UnsupportedOperationError: return CommErrorKind::NotSerial;
    default: return CommErrorKind::Other;
    }
}

QString OpenErrorText(const OpenFailure& f)
{
    switch (OpenErrorKind(f)) {
    case CommErrorKind::NotFound:
        return QStringLiteral("%1 does not exist. Plug in the USB serial adapter or choose another port. %2.")
            .arg(f.subject, f.portsNow);
    case CommErrorKind::Busy:
        return QStringLiteral("%1 is busy: another program holds it open (%2). Close that program, then try again.")
            .arg(f.subject, kWindowsPortNames ? QStringLiteral("a serial terminal or a second copy of this tool")
                                              : QStringLiteral("often ModemManager, a serial terminal or a second "
                                                               "copy of this tool"));
    case CommErrorKind::Permission:
        return QStringLiteral("%1 cannot be opened: permission denied. Add your user to the 'dialout' group "
                              "(sudo usermod -aG dialout $USER), log out and back in, then try again.")
            .arg(f.subject);
    case CommErrorKind::NotSerial:
        return QStringLiteral("%1 is not a serial device (%2). Choose another port.").arg(f.subject, f.reason);
    default:
        return QStringLiteral("%1 could not be opened as a serial port: %2.").arg(f.subject, f.reason);
    }
}

PortsNow DescribePortsNow()
{
    const QList<SerialDeviceInfo> present = SystemSerialDevices();
    if (kWindowsPortNames) {
        return present.isEmpty()
                   ? PortsNow{QStringLiteral("No serial port is present now"), false}
                   : PortsNow{QStringLiteral("Serial ports present now: %1").arg(DeviceNames(present).join(QStringLiteral(", "))),
                              true};
    }
    const auto inUse = PortNumbersInUse(present, SystemEnvironment, kWindowsPortNames);
    return {QStringLiteral("Port numbers reach now: %1").arg(DescribePortNumbers(inUse)), !inUse.empty()};
}

}  // namespace q42
