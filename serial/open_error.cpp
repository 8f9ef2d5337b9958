// SPDX-License-Identifier: MIT
#include "open_error.h"

#include <QSerialPortInfo>
#include <QStringList>

#include "port_names.h"

namespace q42 {

QString OpenErrorText(const OpenFailure& f)
{
    switch (f.error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("%1 does not exist. Plug in the USB serial adapter or choose another port. %2.")
            .arg(f.subject, f.portsNow);
    case QSerialPort::PermissionError:
#ifdef Q_OS_WIN
        // Windows answers "access denied" for a port another program holds; there is no group to join.
        return QStringLiteral("%1 is busy: another program holds it open (a serial terminal or a second copy of "
                              "this tool). Close that program, then try again.")
            .arg(f.subject);
#else
        // Qt reports a device another process holds (its lock file, or TIOCEXCL) as a permission error
        // too; only a device this user may not open at all is a real permission problem.
        if (f.mayAccess) {
            return QStringLiteral("%1 is busy: another program holds it open (often ModemManager, a serial "
                                  "terminal or a second copy of this tool). Close that program, then try again.")
                .arg(f.subject);
        }
        return QStringLiteral("%1 cannot be opened: permission denied. Add your user to the 'dialout' group "
                              "(sudo usermod -aG dialout $USER), log out and back in, then try again.")
            .arg(f.subject);
#endif
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("%1 is not a serial device (%2). Choose another port.").arg(f.subject, f.reason);
    default:
        return QStringLiteral("%1 could not be opened as a serial port: %2.").arg(f.subject, f.reason);
    }
}

QString DescribePortsNow()
{
    // How to reach a port the text lists, from the window and from q42ctl alike.
    const QString howToChoose = QStringLiteral(". To use one, choose its number in the COM list or type it there (12 or "
                                               "COM12 for COM12); q42ctl takes -p 12");
#ifdef Q_OS_WIN
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names << info.portName();
    }
    return names.isEmpty() ? QStringLiteral("No serial port is present now")
                           : QStringLiteral("Serial ports present now: %1").arg(names.join(QStringLiteral(", "))) +
                                 howToChoose;
#else
    const QStringList ports = SystemSerialPorts();
    return QStringLiteral("Port numbers reach now: %1").arg(DescribePortNumbers(ports, SystemEnvironment)) +
           (PortNumbersInUse(ports, SystemEnvironment).empty() ? QString() : howToChoose);
#endif
}

}  // namespace q42
