// SPDX-License-Identifier: MIT
// Form text to number and back, the way the unit's tool always read its fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace q42 {

// Skips leading white space, takes an optional sign and the leading decimal digits, ignores the
// rest; text without digits gives 0. A number beyond 32 bits saturates at the nearest limit.
std::int32_t TextToInt(std::string_view text);

// "%d".
std::string IntToText(std::int64_t value);

}  // namespace q42
