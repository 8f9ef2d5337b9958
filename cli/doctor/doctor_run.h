// SPDX-License-Identifier: MIT
// q42ctl doctor: the system's findings, each chosen device's node, then the read-only query at
// each rate to every device that may open. It reads only: no file, no set, no save.
#pragma once

#include <QList>

#include "detect_session.h"
#include "doctor_report.h"
#include "line_trace.h"
#include "unit_target.h"

namespace q42::ctl {

// Runs the examination of the live system and the probes of the targets given (none: every serial
// device present) on the running event loop, and returns what was found.
DoctorReport RunDoctor(const QList<Target>& given, const DetectTask& task, const LineTrace& trace);

// Runs doctor and prints its report, as text or JSON; returns its status (DoctorStatus).
ExitStatus PrintDoctor(const QList<Target>& given, const DetectTask& task, bool json, const LineTrace& trace);

}  // namespace q42::ctl
