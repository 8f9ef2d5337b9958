// SPDX-License-Identifier: MIT
// What the serial component's CommEvent reads after OnComm; burst gathering tells them apart too.
#pragma once

namespace q42 {

enum CommEventKind : int {
    comEvReceive = 2,           // received bytes wait in Input
    comEvDeviceLost = 1100,     // the device went away or failed; the port is now closed
};

}  // namespace q42
