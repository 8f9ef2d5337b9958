// SPDX-License-Identifier: MIT
// The one error a serial operation raises: its text names the device and says what to do.
#pragma once

#include <stdexcept>
#include <string>

namespace q42 {

class CommError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace q42
