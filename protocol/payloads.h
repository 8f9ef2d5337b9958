// SPDX-License-Identifier: MIT
// The three command payloads, written into the shared NibbleList.
#pragma once

#include "device_settings.h"

namespace q42 {

// Each returns the payload length in nibbles, ready for EncodeFrame.
int BuildQueryPayload();                              // 92
int BuildSetPayload(const DeviceSettings& settings);  // 124
int BuildSavePayload();                               // 2

}  // namespace q42
