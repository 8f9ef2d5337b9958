// SPDX-License-Identifier: MIT
// Windows' device manager view of the USB serial adapters: each present device's instance id, name,
// COM port and problem code. An adapter Windows could not start has no COM port, so the findings
// come from every present device, not from the ports.
#pragma once

#include <string>
#include <vector>

#include "finding.h"

namespace q42 {

struct PresentDevice {
    std::string instanceId;  // "USB\VID_067B&PID_2303\5&2A8A6C1&0&2"
    std::string name;        // "Prolific USB-to-Serial Comm Port (COM4)"
    unsigned problem = 0;    // the device manager's problem code; 0: working
};

struct DeviceList {
    std::vector<PresentDevice> devices;
    bool listed = false;  // false: the system's device list could not be read
};

// The USB ids in an instance id ("067b", "2303"), lower case; empty when it names none.
std::pair<std::string, std::string> UsbIdsOf(const std::string& instanceId);

// One finding for every USB serial adapter with a problem code, naming the code, what it means and
// what to do.
std::vector<Finding> ExamineWindowsDevices(const DeviceList& list);

}  // namespace q42
