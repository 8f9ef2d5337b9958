// SPDX-License-Identifier: MIT
// Hands one OnComm event of the port to burst gathering: the kind, and for a receive event the bytes.
#pragma once

#include "mscomm.h"
#include "receive_accumulator.h"

namespace q42 {

// Returns the event's kind (CMSComm::comEvReceive, comEvDeviceLost, ...).
int DeliverCommEvent(CMSComm& comm, ReceiveAccumulator& receive);

}  // namespace q42
