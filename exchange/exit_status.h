// SPDX-License-Identifier: MIT
// What q42ctl's exit status tells a script.
#pragma once

#include "comm_error.h"

namespace q42::ctl {

enum class ExitStatus : int {
    Done = 0,
    BadUsage = 2,    // bad usage or value; nothing was sent
    CannotOpen = 3,  // the port cannot be opened
    NoAnswer = 4,    // no answer, or one that cannot be read, within the timeout
    Differs = 5,     // --verify read back other values than were written
    OutputLost = 6,  // standard output or -o FILE could not be written (a full disk, say)
};

// What a failure of the line means for a script: the port never opened (nothing reached the unit),
// or a frame or its answer was lost on an open line.
constexpr ExitStatus ExitStatusOf(CommErrorKind kind)
{
    switch (kind) {
    case CommErrorKind::DeviceLost:
    case CommErrorKind::NotOpen:
    case CommErrorKind::WriteRefused:
        return ExitStatus::NoAnswer;
    case CommErrorKind::NotFound:
    case CommErrorKind::Permission:
    case CommErrorKind::Busy:
    case CommErrorKind::NotSerial:
    case CommErrorKind::Unsupported:
    case CommErrorKind::Other:
        break;
    }
    return ExitStatus::CannotOpen;
}

}  // namespace q42::ctl
