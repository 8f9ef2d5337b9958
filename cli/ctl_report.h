// SPDX-License-Identifier: MIT
// What q42ctl has to say once every unit is done: the data for standard output and the messages for
// standard error, which main prints.
#pragma once

#include <QStringList>

#include <memory>
#include <string>
#include <vector>

#include "detect_session.h"
#include "exit_status.h"
#include "unit_session.h"
#include "value_text.h"

namespace q42::ctl {

// The results in the order the units were given: the data for standard output (or -o FILE), the
// lines for standard error, and the highest exit status. A set the unit acknowledged is reported
// whatever a later step did.
struct RunReport {
    std::string data;
    QStringList messages;
    ExitStatus status = ExitStatus::Done;
};
// What get, set and save were asked to show.
struct UnitReportForm {
    bool listValues = false;  // get: the values read
    bool json = false;
    Selection selection;
    bool dryRun = false;
    bool saveAsked = false;  // set --save: no reminder that the values last only until power is lost
};
RunReport Report(const UnitReportForm& form, const std::vector<std::unique_ptr<UnitSession>>& sessions);

// detect: "DEVICE BAUD" for each unit found (or a JSON array of every device tried), what went wrong
// elsewhere; 0 when a unit answered, else 4.
RunReport ReportDetect(bool json, const std::vector<std::unique_ptr<DetectSession>>& sessions);

}  // namespace q42::ctl
