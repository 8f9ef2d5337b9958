// SPDX-License-Identifier: MIT
// What q42ctl prints once every unit is done: data on standard output, messages on standard error.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ctl_options.h"
#include "detect_session.h"
#include "exit_status.h"
#include "unit_session.h"

namespace q42::ctl {

// The results in the order the units were given: the data for standard output (or -o FILE), and
// the highest exit status. Messages go to standard error at once. A set the unit acknowledged is
// reported whatever a later step did.
struct RunReport {
    std::string data;
    ExitStatus status = ExitStatus::Done;
};
RunReport Report(const CtlRequest& request, const std::vector<std::unique_ptr<UnitSession>>& sessions);

// detect: "DEVICE BAUD" for each unit found (or a JSON array of every device tried) on standard
// output, what went wrong elsewhere on standard error; 0 when a unit answered, else 4.
ExitStatus ReportDetect(const CtlRequest& request, const std::vector<std::unique_ptr<DetectSession>>& sessions);

// Values lost on a full disk must not pass for success: flushes standard output and returns
// OutputLost when it could not be written, else the status given.
ExitStatus FlushOutput(ExitStatus status);

}  // namespace q42::ctl
