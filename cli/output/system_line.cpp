// SPDX-License-Identifier: MIT
#include "system_line.h"

#include <QSysInfo>

namespace q42::ctl {

QString SystemLine()
{
    return QStringLiteral("q42ctl %1 on %2, %3 %4, %5")
        .arg(QStringLiteral(Q42_VERSION), QSysInfo::prettyProductName(), QSysInfo::kernelType(),
             QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture());
}

}  // namespace q42::ctl
