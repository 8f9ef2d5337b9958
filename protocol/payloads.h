// SPDX-License-Identifier: MIT
// The three command payloads, written into the shared NibbleList.
#pragma once

#include "device_settings.h"
#include "parameter_table.h"

namespace q42 {

// Each returns the payload length in nibbles, ready for EncodeFrame.
int BuildQueryPayload();                              // 92
int BuildSetPayload(const DeviceSettings& settings);  // 124
int BuildSavePayload();                               // 2
// The set payload of values as the unit keeps them, for a caller that holds numbers, not form text.
int BuildSetPayload(const WireValues& values);        // 124

// What the form's values send: each field's text read as the unit's tool always read it (hours
// times 60 for ISO TIME), a switch 1 when ON and 0 otherwise, including when neither is chosen.
WireValues WireValuesOf(const DeviceSettings& settings);

}  // namespace q42
