// SPDX-License-Identifier: MIT
// The readers of each command's own arguments, as the command table names them: get's value names,
// set's assignments or file, commission's golden file. Each returns what is wrong, or "".
#pragma once

#include <QString>
#include <QStringList>

#include "ctl_request.h"

namespace q42::ctl {

QString ReadValueNames(const QStringList& arguments, CtlRequest& request);
QString ReadSetValues(const QStringList& arguments, CtlRequest& request);
// commission: the golden file (named, as its row requires) is read whole before any unit is waited for.
QString ReadGoldenValues(const QStringList& arguments, CtlRequest& request);

}  // namespace q42::ctl
