// SPDX-License-Identifier: MIT
// The three command payloads, written into the shared NibbleList.
#pragma once

#include "device_settings.h"
#include "unit_values.h"

namespace q42 {

// Each returns the payload length in nibbles, ready for EncodeFrame.
int BuildQueryPayload();                              // 92
int BuildSetPayload(const DeviceSettings& settings);  // 124: the form's values (ValuesOfForm)
int BuildSavePayload();                               // 2
// The set payload of values as the unit keeps them, for a caller that holds numbers, not form text.
int BuildSetPayload(const UnitValues& values);        // 124

}  // namespace q42
