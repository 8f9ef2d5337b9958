// SPDX-License-Identifier: MIT
// What 'q42ctl ports' prints, choosing an adapter by its serial number or a Windows COM name, and the
// trace's lines, on plain records: the system's device list cannot hold pseudo-terminals.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include "device_choice.h"
#include "line_trace.h"
#include "run_log.h"
#include "port_inventory.h"
#include "ports_report.h"
#include "unit_target.h"

namespace q42::ctl {
namespace {

SerialDeviceInfo Ftdi(const QString& device, const QString& serial)
{
    return {device, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_" + serial + "-if00-port0", "FT232R \"USB\" UART", "FTDI",
            serial, 0x0403, 0x6001};
}

SerialDeviceInfo Plain(const QString& device)
{
    return {device, {}, {}, {}, {}, {}, {}};
}

TEST(Ports, OneLinePerDeviceWithThePortNumberThatReachesIt)
{
    const QString usb0 = "/dev/ttyUSB0 serial=A50285BI usb=0403:6001 manufacturer=FTDI "
                         "description=\"FT232R \\\"USB\\\" UART\" by-id=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    const QList<SerialDeviceInfo> onLinux = {Ftdi("/dev/ttyUSB0", "A50285BI"), Plain("/dev/ttyS0")};
    QList<SerialDeviceInfo> nine;
    QStringList nineLines;
    for (int i = 0; i < 9; ++i) {
        nine << Plain(QStringLiteral("/dev/ttyS%1").arg(i));
        nineLines << QStringLiteral("COM%1 /dev/ttyS%2").arg(i + 1).arg(i);
    }
    struct Case {
        const char* name;
        QList<SerialDeviceInfo> system;
        QMap<QString, QString> env;
        bool windows;
        QStringList lines;
        QString numbers;  // what the numbers reach, as the "does not exist" message says it
    };
    const Case cases[] = {
        {"numbered in order", onLinux, {}, false, {"COM1 " + usb0, "COM2 /dev/ttyS0"}, "1 = /dev/ttyUSB0, 2 = /dev/ttyS0"},
        {"a variable names a device the system does not list", onLinux, {{"Q42_COM2", "/dev/pts/7"}}, false,
         {"COM1 " + usb0, "- /dev/ttyS0", "COM2 /dev/pts/7 set-by=Q42_COM2"}, "1 = /dev/ttyUSB0, 2 = /dev/pts/7"},
        {"a variable moves a listed device to another number", onLinux, {{"Q42_COM1", "/dev/ttyS0"}}, false,
         {"- " + usb0, "COM1 /dev/ttyS0 set-by=Q42_COM1"}, "1 = /dev/ttyS0, 2 = /dev/ttyS0"},
        {"a ninth device is COM9; variables reach up to 255", nine,
         {{"Q42_COM255", "/dev/pts/2"}, {"Q42_COM256", "/dev/pts/3"}, {"Q42_COM0", "/dev/pts/4"}}, false,
         nineLines + QStringList{"COM255 /dev/pts/2 set-by=Q42_COM255"},
         "1 = /dev/ttyS0, 2 = /dev/ttyS1, 3 = /dev/ttyS2, 4 = /dev/ttyS3, 5 = /dev/ttyS4, 6 = /dev/ttyS5, "
         "7 = /dev/ttyS6, 8 = /dev/ttyS7, 9 = /dev/ttyS8, 255 = /dev/pts/2"},
        {"Windows: a number is its own COM port, and a variable reaches COM12 in any case",
         {Plain("COM3"), Plain("com23")}, {{"Q42_COM1", "COM23"}}, true,
         {"COM3 COM3", "COM1 com23 set-by=Q42_COM1"}, "1 = COM23, 3 = COM3, 23 = COM23"},
        {"none", {}, {}, false, {}, "no serial ports are present"},
        {"a device's own strings with control characters, made visible",
         {{"/dev/ttyUSB3", {}, "Evil\x1b[2J Co\x7f", "UART\a\u0085", "S\x1b" "9", 0x0403, 0x6001}}, {}, false,
         {"COM1 /dev/ttyUSB3 serial=S\\x1b9 usb=0403:6001 manufacturer=UART\\x07\\x85 description=\"Evil\\x1b[2J Co\\x7f\""},
         "1 = /dev/ttyUSB3"},
    };
    for (const Case& c : cases) {
        const EnvLookup env = [&](const QString& n) { return c.env.value(n); };
        QStringList lines;
        for (const PortEntry& entry : ListPorts(c.system, env, c.windows)) {
            lines << FormatPortLine(entry);
        }
        EXPECT_EQ(lines.join("\n").toStdString(), c.lines.join("\n").toStdString()) << c.name;
        EXPECT_EQ(DescribePortNumbers(PortNumbersInUse(c.system, env, c.windows)), c.numbers) << c.name;
    }

    EXPECT_EQ(DeviceNames(InPortOrder({Plain("/dev/ttyS1"), Plain("/dev/ttyUSB0"), Plain("/dev/ttyS0")})),
              QStringList({"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyS1"}));
    const QList<PortEntry> entries = ListPorts(onLinux, [](const QString&) { return QString(); }, false);
    const QJsonArray json = QJsonDocument::fromJson(FormatPortsJson(entries).toUtf8()).array();
    ASSERT_EQ(json.size(), 2);
    EXPECT_EQ(json[0].toObject()["port"].toInt(), 1);
    EXPECT_EQ(json[0].toObject()["serial_number"].toString(), "A50285BI");
    EXPECT_EQ(json[0].toObject()["vendor_id"].toString() + ":" + json[0].toObject()["product_id"].toString(), "0403:6001");
    EXPECT_TRUE(json[1].toObject()["serial_number"].isNull());
    // The log's adapter: what tells this device's adapter apart, nothing for a device without one.
    EXPECT_EQ(AdapterJson(onLinux, "/dev/ttyUSB0"), (QJsonObject{{"serial", "A50285BI"}, {"usb", "0403:6001"}}));
    EXPECT_EQ(AdapterJson(onLinux, "/dev/ttyS0"), QJsonObject());
    EXPECT_EQ(AdapterJson({{"/dev/ttyUSB9", {}, {}, {}, "S9", 0x0403, {}}}, "/dev/ttyUSB9"), (QJsonObject{{"serial", "S9"}}))
        << "USB ids only when both are known";
    // The window's port tooltips add what tells adapters apart.
    EXPECT_EQ(PortToolTip(2, "/dev/ttyUSB0", onLinux, false), "COM2 opens /dev/ttyUSB0 (FT232R \"USB\" UART, FTDI, serial A50285BI)");
    EXPECT_EQ(PortToolTip(3, "/dev/ttyS0", onLinux, false), "COM3 opens /dev/ttyS0");
    EXPECT_EQ(PortToolTip(3, "com3", {{"COM3", {}, "FTDI", "FTDI", "A5", {}, {}}}, true), "COM3 opens com3 (FTDI, serial A5)");
}

TEST(Ports, ChoosingADevice)
{
    const QList<SerialDeviceInfo> present = {Ftdi("/dev/ttyUSB0", "A50285BI"), Ftdi("/dev/ttyUSB1", "FT0007"),
                                             Ftdi("/dev/ttyUSB2", "FT0007"), Plain("/dev/ttyS0")};
    struct Case {
        const char* given;
        bool windows;
        const char* device;
        const char* problem;  // part of it
    };
    const Case cases[] = {
        {"serial:A50285BI", false, "/dev/ttyUSB0", ""},
        {"serial:a50285bi", false, "", "serial:a50285bi: no adapter has this serial number; present: /dev/ttyUSB0 "
                                       "(serial A50285BI), /dev/ttyUSB1 (serial FT0007), /dev/ttyUSB2 (serial FT0007), "
                                       "/dev/ttyS0 (no serial number)."},
        {"serial:FT0007", false, "", "2 adapters have this serial number (/dev/ttyUSB1, /dev/ttyUSB2)"},
        {"/dev/serial/by-id/usb-FTDI_x", false, "/dev/serial/by-id/usb-FTDI_x", ""},
        {"com12", false, "com12", ""},
        {"com12", true, "COM12", ""},
        {R"(\\.\COM12)", true, "COM12", ""},
        {R"(\\.\com3)", true, "COM3", ""},
        {"COMX", true, "COMX", ""},
    };
    for (const Case& c : cases) {
        const DeviceChoice choice = ChooseDevice(c.given, c.windows, present);
        EXPECT_EQ(choice.device.toStdString(), c.device) << c.given;
        EXPECT_TRUE(choice.problem.contains(c.problem)) << c.given << ": " << choice.problem.toStdString();
        EXPECT_EQ(choice.problem.isEmpty(), *c.problem == '\0') << c.given;
    }
}

// What a station keeps to once open: its adapter's own serial number, found by the device's identity
// however it was named; none where the number is shared or absent. Character devices stand in for
// adapters, a link for a by-id name.
TEST(Ports, AStationKnowsItsAdapterByItsOwnSerialNumber)
{
    if (kWindowsPortNames) {
        GTEST_SKIP() << "device numbers are Unix's";
    }
    QTemporaryDir dir;
    const QString link = dir.filePath("usb-FTDI_A50285BI");
    ASSERT_TRUE(QFile::link("/dev/null", link));
    const QList<SerialDeviceInfo> present = {Ftdi("/dev/null", "A50285BI"), Ftdi("/dev/zero", "FT0007"),
                                             Ftdi("/dev/full", "FT0007"), Plain("/dev/random")};
    const struct {
        QString device;
        const char* serial;
    } cases[] = {{"/dev/null", "A50285BI"}, {link, "A50285BI"}, {"/dev/zero", ""}, {"/dev/random", ""},
                 {"/dev/urandom", ""}, {dir.filePath("absent"), ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(UniqueSerialNumberOf(c.device, present).toStdString(), c.serial) << c.device.toStdString();
    }
    EXPECT_EQ(DeviceIdentity(link), DeviceIdentity("/dev/null"));
    EXPECT_NE(DeviceIdentity("/dev/zero"), DeviceIdentity("/dev/null"));
    EXPECT_EQ(DeviceIdentity(dir.filePath("absent")), "");
}

// An adapter's by-id name is the link that leads to its device, whatever number the device got.
TEST(Ports, ByIdNameOfADevice)
{
    if (kWindowsPortNames) {
        GTEST_SKIP() << "Windows has no /dev/serial/by-id";
    }
    QTemporaryDir dir;
    QFile device(dir.filePath("ttyUSB3"));
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir(dir.path()).mkdir("by-id"));
    const QString link = dir.filePath("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    ASSERT_TRUE(QFile::link("../ttyUSB3", link));
    QFile plain(dir.filePath("by-id/not-a-link"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    EXPECT_EQ(ByIdLinkTo(device.fileName(), dir.filePath("by-id")), link);
    EXPECT_EQ(ByIdLinkTo(dir.filePath("by-id/not-a-link"), dir.filePath("by-id")), "");
}

TEST(Trace, BytesAsTheyWentOverTheLine)
{
    EXPECT_EQ(TraceLine(41.25, "/dev/pts/3", CMSComm::Direction::Received, ">06\r\n"),
              "[    41.250 ms] /dev/pts/3 received >06\\r\\n");
    EXPECT_EQ(TraceLine(0.5, "COM3", CMSComm::Direction::Sent, ":FF06\r\n"), "[     0.500 ms] COM3 sent     :FF06\\r\\n");
    EXPECT_EQ(EscapeBytes(QByteArray("a\0\x1b\x7f\xff\\ z", 8)), "a\\x00\\x1B\\x7F\\xFF\\\\ z");
}

}  // namespace
}  // namespace q42::ctl
