// SPDX-License-Identifier: MIT
#include "device_choice.h"

#include "port_names.h"

namespace q42::ctl {

QString WindowsComName(const QString& given)
{
    const QLatin1String devicePrefix(R"(\\.\)");
    const QString name = given.startsWith(devicePrefix) ? given.mid(devicePrefix.size()) : given;
    // A bare number is a file's name here: only a COM name is a port.
    const auto n = name.startsWith(QLatin1String("com"), Qt::CaseInsensitive) ? ParsePortNumber(name) : std::nullopt;
    return n ? PortName(*n) : given;
}

bool NamesSerialNumber(const QString& given)
{
    return given.startsWith(QLatin1String(kSerialPrefix));
}

DeviceChoice ChooseDevice(const QString& given, bool windows, const QList<SerialDeviceInfo>& present)
{
    if (NamesSerialNumber(given)) {
        const SerialNumberMatch match = FindBySerialNumber(present, given.mid(QLatin1String(kSerialPrefix).size()));
        return {match.device, match.problem};
    }
    return {windows ? WindowsComName(given) : given, {}};
}

}  // namespace q42::ctl
