// SPDX-License-Identifier: MIT
// q42ctl doctor: the system's findings, each chosen device's node, then the read-only query at
// each rate to every device that may open. It reads only: no file, no set, no save.
#pragma once

#include <QList>

#include "detect_session.h"
#include "doctor_report.h"
#include "line_trace.h"
#include "system_view.h"
#include "unit_target.h"

namespace q42::ctl {

struct DoctorSetup {
    QList<Target> targets;  // empty: every serial device present
    DetectTask probe;
    SystemView view = SystemView::Live();
};

// Runs the examination and the probes on the running event loop and returns what was found.
DoctorReport RunDoctor(const DoctorSetup& setup, const LineTrace& trace);

// What a device's failed probe adds, looked for in the system: the finding that explains the open
// failure or the silence, else the line's own words.
std::vector<Finding> ProbeFindings(const SystemView& view, const QString& device, const DetectSession& probe);

}  // namespace q42::ctl
