// SPDX-License-Identifier: MIT
// What q42ctl's exit status tells a script.
#pragma once

namespace q42::ctl {

enum class ExitStatus : int {
    Done = 0,
    BadUsage = 2,    // bad usage or value; nothing was sent
    CannotOpen = 3,  // the port cannot be opened
    NoAnswer = 4,    // no answer, or one that cannot be read, within the timeout
    Differs = 5,     // --verify read back other values than were written
    OutputLost = 6,  // standard output could not be written (a full disk, say)
};

}  // namespace q42::ctl
