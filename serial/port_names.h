// SPDX-License-Identifier: MIT
// Port numbers: how one is shown, typed and which device it reaches on this machine.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace q42 {

// Port names follow Windows' rules (COMn, any case) on Windows.
#ifdef Q_OS_WIN
inline constexpr bool kWindowsPortNames = true;
#else
inline constexpr bool kWindowsPortNames = false;
#endif

// The window's list always offers 1 to kListedPortNumbers; any number up to kHighestPortNumber can
// be chosen, since Windows gives USB adapters numbers such as COM12 or COM23.
inline constexpr int kListedPortNumbers = 8;
inline constexpr int kHighestPortNumber = 255;

// "COM12": how port number n is shown everywhere.
QString PortName(int n);
// "Q42_COM12": the environment variable that points port number n at a device.
QString PortVariable(int n);
// A typed port number, "12", "COM12" or "com12" (spaces around it allowed); nothing for any other
// text or a number outside 1 to kHighestPortNumber.
std::optional<int> ParsePortNumber(const QString& text);

// Reads an environment variable; empty when unset.
using EnvLookup = std::function<QString(const QString& name)>;

// Orders device paths as the port numbers count them: USB adapters (ttyUSB*, ttyACM*) first, then the
// rest, each group in natural order (ttyUSB2 before ttyUSB10).
QStringList OrderSerialPorts(QStringList devices);

// Port n opens the device named by Q42_COM<n> when set; on Windows else COMn itself; elsewhere else
// the n-th of the ordered system ports, else the conventional name /dev/ttyS<n-1> so that an error
// names a real path.
QString ResolvePortName(int n, const QStringList& orderedSystemPorts, const EnvLookup& env,
                        bool windows = kWindowsPortNames);

// This process's environment, as an EnvLookup.
QString SystemEnvironment(const QString& name);

}  // namespace q42
