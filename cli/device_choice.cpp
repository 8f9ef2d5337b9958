// SPDX-License-Identifier: MIT
#include "device_choice.h"

#include <QRegularExpression>

#include "port_names.h"

namespace q42::ctl {

QString WindowsComName(const QString& given)
{
    static const QRegularExpression com(QString::fromLatin1(R"(^(?:\\\\\.\\)?com([1-9][0-9]{0,2})$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(given);
    return match.hasMatch() ? PortName(match.captured(1).toInt()) : given;
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
