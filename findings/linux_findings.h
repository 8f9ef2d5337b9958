// SPDX-License-Identifier: MIT
// The rules that name what a Linux system does to a serial adapter, each reading the view it is
// handed: the adapters on the bus, the node's rights against the user's groups, the programs that
// hold a device, ModemManager.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "finding.h"
#include "system_view.h"
#include "usb_adapters.h"

namespace q42 {

// The adapters on the bus: none at all, one without a driver, one taken through usbfs, one pulled
// during the scan; and ModemManager when it runs.
std::vector<Finding> ExamineAdapters(const SystemView& view, const AdapterScan& scan);

// One device node: whether this user may open it and why not, and, when asked, the programs that
// hold it (those of other users are counted as not seen).
std::vector<Finding> ExamineDevice(const SystemView& view, const std::string& device, bool lookForHolders);

// The one finding that explains a failure of the device, or none: what the window adds to its box.
std::optional<Finding> ExplainFailure(const SystemView& view, const std::string& device, Symptom symptom);

// "crw-rw----", as ls writes a character device's mode.
std::string ModeText(unsigned mode);

}  // namespace q42
