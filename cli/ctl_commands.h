// SPDX-License-Identifier: MIT
// Each command's handler, as the command table names it: what it runs, prints and returns, once the
// command line has been read and checked.
#pragma once

#include <QString>

#include "ctl_request.h"
#include "exit_status.h"
#include "line_trace.h"

namespace q42::ctl {

ExitStatus RunUnitCommand(const CtlRequest& request, const QString& word, const LineTrace& trace);  // get, set, save
ExitStatus RunPortsCommand(const CtlRequest& request, const QString& word, const LineTrace& trace);
ExitStatus RunDetectCommand(const CtlRequest& request, const QString& word, const LineTrace& trace);
ExitStatus RunCommissionCommand(const CtlRequest& request, const QString& word, const LineTrace& trace);
ExitStatus RunDoctorCommand(const CtlRequest& request, const QString& word, const LineTrace& trace);

}  // namespace q42::ctl
