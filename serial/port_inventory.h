// SPDX-License-Identifier: MIT
// The serial devices present, with what the system knows of each and the port number that reaches
// it, for listings, tooltips and choosing an adapter by its USB serial number.
#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

#include "port_names.h"

namespace q42 {

// What the system reports of one serial device. Empty texts are unknown.
struct SerialDeviceInfo {
    QString device;        // /dev/ttyUSB0; COM3 on Windows
    QString byId;          // /dev/serial/by-id/usb-..., where such a link names it
    QString description;
    QString manufacturer;
    QString serialNumber;  // the USB adapter's own serial number
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
};

// A USB id as the system writes it: four lower-case hex digits, "0403".
QString HexId(quint16 id);

// The devices' names, in the list's order.
QStringList DeviceNames(const QList<SerialDeviceInfo>& devices);

// The port numbers that reach a device now, in order, with that device: each number a Q42_COM<n>
// names, and on Windows each COMn present, elsewhere the n-th device present.
std::vector<std::pair<int, QString>> PortNumbersInUse(const QList<SerialDeviceInfo>& present, const EnvLookup& env,
                                                      bool windows = kWindowsPortNames);

// "1 = /dev/ttyUSB0, 12 = /dev/pts/3": what the numbers reach now, for error texts.
QString DescribePortNumbers(const std::vector<std::pair<int, QString>>& inUse);

// One device of a listing: the port number that opens it now (0: none), and the variable that
// points that number at it, when one does.
struct PortEntry {
    SerialDeviceInfo info;
    int portNumber = 0;
    QString numberFrom;  // "Q42_COM3"
};

// The devices the system reports (in port-number order), each with its port number, then the
// devices that only a Q42_COM<n> variable names. Device names compare without case on Windows.
QList<PortEntry> ListPorts(const QList<SerialDeviceInfo>& system, const EnvLookup& env, bool windows);

// The link in byIdFolder that names the device, or empty. The links of /dev/serial/by-id name an
// adapter by its make and serial number, whatever ttyUSB number it got at this plug-in.
QString ByIdLinkTo(const QString& device, const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

// "FT232R USB UART, FTDI, serial A50285BI": what tells one adapter from another, or empty.
QString DescribeAdapter(const SerialDeviceInfo& info);

// The window's tooltip for port number n: "COM1 opens /dev/ttyUSB0 (FT232R USB UART, FTDI, serial
// A50285BI)", so that two adapters alike are told apart by their serial numbers.
QString PortToolTip(int n, const QString& device, const QList<SerialDeviceInfo>& present, bool windows);

// The device of the one adapter whose USB serial number is `serial`; otherwise why not, naming what
// is present.
struct SerialNumberMatch {
    QString device;
    QString problem;
};
SerialNumberMatch FindBySerialNumber(const QList<SerialDeviceInfo>& present, const QString& serial);

// What this machine reports now, ordered as the port numbers count (USB adapters first): the one
// listing of serial devices that everything asks.
QList<SerialDeviceInfo> SystemSerialDevices();

// The devices in the order port numbers count them: USB adapters first, then by name and number.
QList<SerialDeviceInfo> InPortOrder(QList<SerialDeviceInfo> devices);

// The device port number n reaches on this machine now.
QString ResolvePortName(int n);

}  // namespace q42
