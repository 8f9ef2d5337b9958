// SPDX-License-Identifier: MIT
// The one finding that explains a failed open or a silent unit on this machine, looked for only
// once the failure has happened: nothing is examined while things work.
#pragma once

#include <optional>
#include <string>

#include "finding.h"

namespace q42 {

// Linux: the rules over this machine as this user; Windows: the adapters the device manager cannot
// start, for a device that does not exist.
std::optional<Finding> ExplainFailureHere(const std::string& device, Symptom symptom);

}  // namespace q42
