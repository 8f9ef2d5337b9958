// SPDX-License-Identifier: MIT
// What this machine's system does to an adapter, Linux or Windows: the one place that chooses.
// Nothing is examined while things work: a finding is looked for once a failure has happened, or
// when the technician asks (q42ctl doctor).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "finding.h"

namespace q42 {

// The one finding that explains a failed open or a silent unit. Linux: the rules over this machine
// as this user; Windows: the adapters the device manager cannot start, for a device that does not
// exist.
std::optional<Finding> ExplainFailureHere(const std::string& device, Symptom symptom);

// The adapters' findings: Linux's USB serial adapters and their drivers; Windows' device manager,
// with "no serial port" when none is present.
std::vector<Finding> AdapterFindingsHere(bool anyPortPresent);

// A device node's findings (its rights, its holders; after a silence, a program that holds it
// without a lock). Windows has no nodes to look at: none.
std::vector<Finding> DeviceFindingsHere(const std::string& device, bool afterSilence);

// Whether a device node is there; never on Windows, whose ports are no files.
bool DeviceNodeHere(const std::string& device);

}  // namespace q42
