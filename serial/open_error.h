// SPDX-License-Identifier: MIT
// What to tell a technician when a serial port does not open: which device, why, and what to do.
#pragma once

#include <QSerialPort>
#include <QString>

#include "comm_error.h"

namespace q42 {

struct OpenFailure {
    QSerialPort::SerialPortError error = QSerialPort::NoError;
    QString subject;       // "COM1: the device /dev/ttyUSB0", or "/dev/ttyUSB0: the device"
    bool mayAccess = false;  // the device exists and this user may read and write it
    QString reason;        // Qt's own words, for the rare kinds
    QString portsNow;      // what the port numbers reach now
    bool portsListed = false;  // portsNow names at least one port to choose instead
};

// What kind of failure it is: Windows, and Qt for a device another process holds, report a busy
// port as a permission error, so only a device this user may not open at all is a permission problem.
CommErrorKind OpenErrorKind(const OpenFailure& failure);
CommErrorParts OpenErrorParts(const OpenFailure& failure);
QString OpenErrorText(const OpenFailure& failure);

// "Port numbers reach now: 1 = /dev/ttyUSB0" (on Windows: "Serial ports present now: COM3"), for the
// text of a missing device, and whether it names any port at all.
struct PortsNow {
    QString text;
    bool any = false;
};
PortsNow DescribePortsNow();

}  // namespace q42
