// SPDX-License-Identifier: MIT
// 'q42ctl ports': one line (or JSON object) per serial device, with the port number that reaches it
// and what tells adapters apart.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include "exit_status.h"
#include "port_inventory.h"

namespace q42::ctl {

// "COM1 /dev/ttyUSB0 serial=A50285BI usb=0403:6001 manufacturer=FTDI description="FT232R USB UART"
// by-id=/dev/serial/by-id/usb-FTDI_...": the port number ("-" for none), the device, then what is known.
QString FormatPortLine(const PortEntry& entry);

// One JSON array of objects with the same fields; unknown ones are null.
QString FormatPortsJson(const QList<PortEntry>& entries);

// The devices present now, as lines or JSON on standard output; "no serial ports" on standard error.
ExitStatus PrintPorts(bool json);

}  // namespace q42::ctl
