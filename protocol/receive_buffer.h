// SPDX-License-Identifier: MIT
// The bytes received since the current burst opened.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace q42 {

inline constexpr std::size_t kReceiveCapacity = 160;

struct ReceiveBuffer {
    std::array<std::uint8_t, kReceiveCapacity> data{};
    std::uint32_t count = 0;  // bytes held; extraction lowers it, and it never exceeds kReceiveCapacity
};

}  // namespace q42
