// SPDX-License-Identifier: MIT
#include "port_names.h"

#include <QRegularExpression>

#include <algorithm>
#include <tuple>

namespace q42 {

namespace {

bool IsUsbAdapter(const QString& device)
{
    const QString name = device.section('/', -1);
    return name.startsWith("ttyUSB") || name.startsWith("ttyACM");
}

// Splits "/dev/ttyUSB12" into "/dev/ttyUSB" and 12 for natural ordering; a name without a number
// comes before those with one.
std::tuple<QString, bool, qlonglong> NaturalKey(const QString& device)
{
    static const QRegularExpression trailingNumber(QStringLiteral("^(.*?)(\\d*)$"));
    const QRegularExpressionMatch parts = trailingNumber.match(device);
    return {parts.captured(1), !parts.captured(2).isEmpty(), parts.captured(2).toLongLong()};
}

}  // namespace

QString PortName(int n)
{
    return QStringLiteral("COM%1").arg(n);
}

QString PortVariable(int n)
{
    return QStringLiteral("Q42_COM%1").arg(n);
}

std::optional<int> ParsePortNumber(const QString& text)
{
    static const QRegularExpression typed(QStringLiteral("^\\s*(?:COM)?(\\d{1,3})\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = typed.match(text);
    const int n = match.captured(1).toInt();
    if (!match.hasMatch() || n < 1 || n > kHighestPortNumber) {
        return std::nullopt;
    }
    return n;
}

QString SystemEnvironment(const QString& name)
{
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}

QStringList OrderSerialPorts(QStringList devices)
{
    std::stable_sort(devices.begin(), devices.end(), [](const QString& a, const QString& b) {
        const bool usbA = IsUsbAdapter(a);
        const bool usbB = IsUsbAdapter(b);
        if (usbA != usbB) {
            return usbA;
        }
        return NaturalKey(a) < NaturalKey(b);
    });
    devices.removeDuplicates();
    return devices;
}

QString ResolvePortName(int n, const QStringList& orderedSystemPorts, const EnvLookup& env, bool windows)
{
    const QString fromEnv = env(PortVariable(n));
    if (!fromEnv.isEmpty()) {
        return fromEnv;
    }
    if (windows) {
        return PortName(n);
    }
    if (n >= 1 && n <= orderedSystemPorts.size()) {
        return orderedSystemPorts.at(n - 1);
    }
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

}  // namespace q42
