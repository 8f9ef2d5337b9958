// SPDX-License-Identifier: MIT
// The record --log keeps of each unit a run talked to: what it was given, read, changed and saved.
#pragma once

#include <QJsonObject>

#include "ctl_options.h"
#include "detect_session.h"
#include "port_inventory.h"
#include "ports_report.h"
#include "unit_session.h"

namespace q42::ctl {

// One unit's record; `present` is the system's listing, taken once for the whole run.
QJsonObject LogRecord(const CtlRequest& request, const QList<SerialDeviceInfo>& present, const UnitSession& session);
QJsonObject LogRecord(const CtlRequest& request, const QList<SerialDeviceInfo>& present, const DetectSession& session);

}  // namespace q42::ctl
