// SPDX-License-Identifier: MIT
// The unit a command line names, and opening the exchange on it: the device as given (COMn on
// Windows, serial:NUMBER for a USB adapter's serial number) or a port number as the window counts.
#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "exit_status.h"
#include "port_inventory.h"
#include "unit_exchange.h"

namespace q42::ctl {

struct Target {
    QString device;
    int portNumber = 0;
    bool operator==(const Target&) const = default;
};

// How messages name a unit before its device is opened: the device as given, or COMn.
QString TargetLabel(const Target& target);

// What went wrong at the open, worded for q42ctl, and what it means for the exit status.
struct OpenProblem {
    ExitStatus status = ExitStatus::CannotOpen;
    QString text;
    bool absent = false;  // no such device, or no adapter with that serial number: it may be plugged in later
    CommErrorKind kind = CommErrorKind::NotFound;  // what the line said, for what to look for next
};

// The words for a failure of the line, with q42ctl's way to another port where the text lists
// those present.
QString LineProblemText(const ExchangeFailure& failure);

// The device the target leads to on this machine now, from a listing already made; empty when none
// does (no adapter with that serial number).
QString TargetDevice(const Target& target, const QList<SerialDeviceInfo>& present);

// What tells one device from another whatever name leads to it: a character device's number on
// Unix (a by-id link and its ttyUSB are one), the COM name on Windows; empty when nothing is there.
QString DeviceIdentity(const QString& device);

// Two targets that lead to the same device now, however each names it; the device they share.
struct SameDeviceTwice {
    QString first, second, device;
};
std::optional<SameDeviceTwice> FindSameDeviceTwice(const QList<Target>& targets, const QList<SerialDeviceInfo>& present);

// The USB serial number of the adapter behind device, when present lists one and no other adapter
// shares it: what keeps a station on its own adapter whatever port it gets. Empty otherwise.
QString UniqueSerialNumberOf(const QString& device, const QList<SerialDeviceInfo>& present);

// Opens the exchange on the target at baud, looking a serial number up afresh each time (an
// adapter plugged back in may have another device name), and names the unit for messages and the
// trace: "COM3 (/dev/ttyUSB0)" for a port number, the device given with the one it led to when they
// differ.
std::optional<OpenProblem> OpenTarget(UnitExchange& exchange, const Target& target, qint32 baud);

}  // namespace q42::ctl
