// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QMap>

#include "port_names.h"

namespace q42 {
namespace {

EnvLookup Env(QMap<QString, QString> vars)
{
    return [vars](const QString& name) { return vars.value(name); };
}

TEST(PortNames, UsbAdaptersFirstInNaturalOrder)
{
    const QStringList ordered = OrderSerialPorts({"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyACM0",
                                                  "/dev/ttyUSB2", "/dev/ttyAMA0", "/dev/ttyUSB0", "/dev/ttyS10",
                                                  "/dev/ttyS2"});
    EXPECT_EQ(ordered, QStringList({"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyAMA0",
                                    "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10"}));
}

TEST(PortNames, Resolution)
{
    const QStringList system = {"/dev/ttyUSB0", "/dev/ttyS0"};
    struct Case {
        const char* name;
        int port;
        QMap<QString, QString> env;
        QString device;
    };
    const Case cases[] = {
        {"first system port", 1, {}, "/dev/ttyUSB0"},
        {"second system port", 2, {}, "/dev/ttyS0"},
        {"past the system ports: conventional name", 3, {}, "/dev/ttyS2"},
        {"port 8 past them", 8, {}, "/dev/ttyS7"},
        {"environment wins", 1, {{"Q42_COM1", "/dev/pts/7"}}, "/dev/pts/7"},
        {"environment of another port ignored", 2, {{"Q42_COM1", "/dev/pts/7"}}, "/dev/ttyS0"},
        {"environment past the system ports", 5, {{"Q42_COM5", "/tmp/unit"}}, "/tmp/unit"},
        {"empty variable ignored", 1, {{"Q42_COM1", ""}}, "/dev/ttyUSB0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolvePortName(c.port, system, Env(c.env)), c.device) << c.name;
    }
}

TEST(PortNames, DescribesWhatEachNumberReaches)
{
    EXPECT_EQ(DescribePortNumbers({"/dev/ttyUSB0"}, Env({{"Q42_COM3", "/dev/pts/4"}})),
              "1 = /dev/ttyUSB0, 3 = /dev/pts/4");
    EXPECT_EQ(DescribePortNumbers({}, Env({})), "no serial ports are present");
}

}  // namespace
}  // namespace q42
