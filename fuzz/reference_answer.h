// SPDX-License-Identifier: MIT
// An independent, deliberately plain reading of a held burst, used to check the receive path.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device_settings.h"
#include "receive_buffer.h"

namespace q42 {

// The decoded answer the unit sent in this burst: nothing when the burst holds no complete frame,
// an empty vector when it holds one whose digits do not decode.
std::optional<std::vector<std::uint8_t>> ReferenceAnswer(const ReceiveBuffer& held);

// What the form must show for a query answer; "<not received>" when the answer is too short.
std::string ReferenceFieldText(const std::vector<std::uint8_t>& answer, TextField field);
int ReferenceSwitchChoice(const std::vector<std::uint8_t>& answer, SwitchField field);

}  // namespace q42
