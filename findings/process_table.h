// SPDX-License-Identifier: MIT
// The processes /proc shows this user: which have a device open, and which run by name. A process
// of another user keeps its open files to itself, so what could not be looked at is counted too:
// "nobody holds it" is never said of what was not seen.
#pragma once

#include <string>
#include <vector>

#include "system_view.h"

namespace q42 {

struct ProcessEntry {
    int pid = 0;
    std::string name;  // /proc/PID/comm
};

struct HolderScan {
    std::vector<ProcessEntry> holders;
    int unseen = 0;  // processes whose open files this user cannot read
};

// The processes that have any of the paths open, the program itself left out.
HolderScan FindHolders(const SystemView& view, const std::vector<std::string>& paths);

// The processes whose name is `name`.
std::vector<ProcessEntry> ProcessesNamed(const SystemView& view, const std::string& name);

}  // namespace q42
