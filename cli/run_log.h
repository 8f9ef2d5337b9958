// SPDX-License-Identifier: MIT
// The record --log keeps of each unit a run talked to: what it was given, read, changed and saved.
#pragma once

#include <QJsonObject>

#include "ctl_options.h"
#include "detect_session.h"
#include "unit_session.h"

namespace q42::ctl {

QJsonObject LogRecord(const CtlRequest& request, const UnitSession& session);
QJsonObject LogRecord(const CtlRequest& request, const DetectSession& session);

}  // namespace q42::ctl
