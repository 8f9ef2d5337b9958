// SPDX-License-Identifier: MIT
// The one error a serial operation raises: a kind a program decides by, and a text for a person
// that names the device, what failed and what to do about the system. How to choose another port
// differs between the window and q42ctl, so each face adds that itself where the text lists ports.
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
    CommError(CommErrorKind kind, const std::string& text, bool listsPorts = false)
        : std::runtime_error(text)
        , m_kind(kind)
        , m_listsPorts(listsPorts)
    {
    }
    CommErrorKind Kind() const { return m_kind; }
    // The text ends with the ports present now, one of which the user may choose instead.
    bool ListsPorts() const { return m_listsPorts; }

private:
    CommErrorKind m_kind;
    bool m_listsPorts;
};

}  // namespace q42
