// SPDX-License-Identifier: MIT
// Which device a -r argument names: a path, a COM port however Windows users write it, or an
// adapter by its USB serial number ("serial:A50285BI"), which stays the same whatever port it gets.
#pragma once

#include <QList>
#include <QString>

#include "port_inventory.h"

namespace q42::ctl {

inline constexpr char kSerialPrefix[] = "serial:";

// COM12, com12 and \\.\COM12 all name COM12 on Windows; anything else stays as given.
QString WindowsComName(const QString& given);

struct DeviceChoice {
    QString device;   // what to open
    QString problem;  // why nothing can be opened; the device list in it
};

// The device to open for a -r argument; `present` is asked only for a serial number.
DeviceChoice ChooseDevice(const QString& given, bool windows, const QList<SerialDeviceInfo>& present);
bool NamesSerialNumber(const QString& given);

}  // namespace q42::ctl
