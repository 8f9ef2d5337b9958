// SPDX-License-Identifier: MIT
// This machine as the findings read it: the live view of a Linux system, and Windows' device list.
#pragma once

#include "system_view.h"
#include "windows_devices.h"

namespace q42 {

// This machine, as the user running the program sees it (Q42_SYSTEM_ROOT replays another's records).
SystemView LiveSystemView();

// The devices present now; on other systems, an empty list not read.
DeviceList LiveWindowsDevices();

}  // namespace q42
