// SPDX-License-Identifier: MIT
// The one error a serial operation raises: a kind a program decides by, and a text for a person
// that names the device and says what to do.
#pragma once

#include <stdexcept>
#include <string>

namespace q42 {

enum class CommErrorKind {
    NotFound,      // no device by that name
    Permission,    // this user may not open it
    Busy,          // another program holds it
    NotSerial,     // a file or a device that is not a serial port
    Unsupported,   // a line setting the unit or the device does not take
    DeviceLost,    // the device went away while open
    NotOpen,       // a frame given to a port that is not open; nothing was sent
    WriteRefused,  // the line did not take a frame
    Other,         // anything else the system reports, in its own words
};

class CommError : public std::runtime_error {
public:
    CommError(CommErrorKind kind, const std::string& text)
        : std::runtime_error(text)
        , m_kind(kind)
    {
    }
    CommErrorKind Kind() const { return m_kind; }

private:
    CommErrorKind m_kind;
};

}  // namespace q42
