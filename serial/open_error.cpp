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

CommErrorParts OpenErrorParts(const OpenFailure& f)
{
    const auto parts = [](const QString& happened, const QString& todo, const QString& portsNow = {}) {
        return CommErrorParts{happened.toStdString(), todo.toStdString(), portsNow.toStdString()};
    };
    switch (OpenErrorKind(f)) {
    case CommErrorKind::NotFound:
        return parts(QStringLiteral("%1 does not exist.").arg(f.subject),
                     QStringLiteral("Plug in the USB serial adapter or choose another port."), f.portsNow);
    case CommErrorKind::Busy:
        return parts(QStringLiteral("%1 is busy: another program holds it open (%2).")
                         .arg(f.subject, kWindowsPortNames ? QStringLiteral("a serial terminal or a second copy of this tool")
                                                           : QStringLiteral("often ModemManager, a serial terminal or a "
                                                                            "second copy of this tool")),
                     QStringLiteral("Close that program, then try again."));
    case CommErrorKind::Permission:
        return parts(QStringLiteral("%1 cannot be opened: permission denied.").arg(f.subject),
                     QStringLiteral("Add your user to the 'dialout' group (sudo usermod -aG dialout $USER), log out "
                                    "and back in, then try again."));
    case CommErrorKind::NotSerial:
        return parts(QStringLiteral("%1 is not a serial device (%2).").arg(f.subject, f.reason),
                     QStringLiteral("Choose another port."));
    default:
        return parts(QStringLiteral("%1 could not be opened as a serial port: %2.").arg(f.subject, f.reason), {});
    }
}

QString OpenErrorText(const OpenFailure& f)
{
    return QString::fromStdString(OpenErrorParts(f).Joined());
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
    const auto inUse = PortNumbersInUse(present, SystemEnvironment);
    return {QStringLiteral("Port numbers reach now: %1").arg(DescribePortNumbers(inUse)), !inUse.empty()};
}

}  // namespace q42
