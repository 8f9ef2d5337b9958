// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QMap>

#include "comm_error.h"
#include "mscomm.h"
#include "open_error.h"
#include "port_names.h"
#include "unit_line.h"

namespace q42 {
namespace {

TEST(PortNames, UsbAdaptersFirstInNaturalOrder)
{
    // Names that number alike keep the order the system gave them.
    const QStringList ordered = OrderSerialPorts({"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyS1", "/dev/ttyS0", "/dev/ttyS", "/dev/ttyACM0",
                                                  "/dev/ttyUSB2", "/dev/ttyAMA0", "/dev/ttyUSB0", "/dev/ttyS10",
                                                  "/dev/ttyS2", "/dev/ttyS01"});
    EXPECT_EQ(ordered, QStringList({"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyAMA0",
                                    "/dev/ttyS", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS01", "/dev/ttyS2", "/dev/ttyS10"}));
}

TEST(PortNames, Resolution)
{
    const QStringList system = {"/dev/ttyUSB0", "/dev/ttyS0"};
    struct Case {
        const char* name;
        int port;
        QMap<QString, QString> env;
        bool windows;
        QString device;
    };
    const Case cases[] = {
        {"first system port", 1, {}, false, "/dev/ttyUSB0"},
        {"second system port", 2, {}, false, "/dev/ttyS0"},
        {"past the system ports: conventional name", 3, {}, false, "/dev/ttyS2"},
        {"environment wins", 1, {{"Q42_COM1", "/dev/pts/7"}}, false, "/dev/pts/7"},
        {"environment of another port ignored", 2, {{"Q42_COM1", "/dev/pts/7"}}, false, "/dev/ttyS0"},
        {"environment past the system ports", 5, {{"Q42_COM5", "/tmp/unit"}}, false, "/tmp/unit"},
        {"empty variable ignored", 1, {{"Q42_COM1", ""}}, false, "/dev/ttyUSB0"},
        {"Windows: the number is its own COM port", 2, {}, true, "COM2"},
        {"Windows: the variable still wins", 200, {{"Q42_COM200", "COM7"}}, true, "COM7"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolvePortName(c.port, system, [&](const QString& n) { return c.env.value(n); }, c.windows).toStdString(), c.device.toStdString()) << c.name;
    }
}

// What may be typed for a port: its number or COMn, 1 to 255.
TEST(PortNames, TypedNumbers)
{
    const std::pair<QString, std::optional<int>> cases[] = {
        {"1", 1},        {"12", 12},     {"COM12", 12},     {"com12", 12},    {" Com7 ", 7},
        {"255", 255},    {"256", {}},    {"0", {}},         {"COM0", {}},     {"", {}},
        {"COM", {}},     {"12a", {}},    {"COM-1", {}},     {"COM 12", {}},   {"1234", {}},
        {"\\\\.\\COM12", {}}, {"+5", {}}, {QString::fromUtf8("\u0661\u0662"), {}},
    };
    for (const auto& [typed, number] : cases) {
        EXPECT_EQ(ParsePortNumber(typed), number) << typed.toStdString();
    }
}

// Windows says "access denied" for a port another program holds: busy there, never 'dialout'.
// The wait for an answer: the unit's second, then the frame's and the answer's line time at 10 bits a
// character, rounded up to the next whole millisecond (never down, never a millisecond more when exact).
TEST(UnitLine, AnswerWaitIsTheUnitsSecondAndTheLineTime)
{
    EXPECT_EQ(AnswerWaitMs(9600, 10, 2), 1018);   // 170 bits: 17.7 ms
    EXPECT_EQ(AnswerWaitMs(9600, 7, 7), 1025);    // 240 bits: 25 ms exactly
    EXPECT_EQ(AnswerWaitMs(57600, 95, 23), 1025); // 1440 bits: 25 ms exactly
}

TEST(OpenErrors, TextsSayWhatToDo)
{
    using K = CommErrorKind;
    struct Case {
        QSerialPort::SerialPortError error;
        bool mayAccess;
        CommErrorKind kind;
        const char* says;
        const char* never;
    };
    const Case cases[] = {
        {QSerialPort::DeviceNotFoundError, false, K::NotFound,
         "COM3: the device X does not exist. Plug in the USB serial adapter or choose another port. Ports now.", "busy"},
        {QSerialPort::PermissionError, true, K::Busy, "COM3: the device X is busy: another program holds it open", "dialout"},
        {QSerialPort::PermissionError, false, kWindowsPortNames ? K::Busy : K::Permission,
         kWindowsPortNames ? "COM3: the device X is busy" : "COM3: the device X cannot be opened: permission denied. Add "
                                                   "your user to the 'dialout' group",
         kWindowsPortNames ? "dialout" : "busy"},
        {QSerialPort::UnsupportedOperationError, true, K::NotSerial, "COM3: the device X is not a serial device (why).",
         "busy"},
        {QSerialPort::OpenError, true, K::Other, "COM3: the device X could not be opened as a serial port: why.", "busy"},
    };
    for (const Case& c : cases) {
        const OpenFailure failure{c.error, "COM3: the device X", c.mayAccess, "why", "Ports now"};
        const std::string text = OpenErrorText(failure).toStdString();
        EXPECT_EQ(OpenErrorKind(failure), c.kind) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_EQ(text.find(c.never), std::string::npos) << text;
    }
}

TEST(LineSettings, OnlyTheUnitsTwoRatesAt8N1)
{
    CMSComm comm;
    for (const char* bad : {"115200,n,8,1", "9600,e,8,1", "9600,n,7,1", "9600,n,8,2", "fast"}) {
        EXPECT_THROW(comm.Settings(bad), CommError) << bad;
    }
    EXPECT_NO_THROW(comm.Settings("57600,N,8,1"));
}

}  // namespace
}  // namespace q42
