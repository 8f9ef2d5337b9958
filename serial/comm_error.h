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

// A failure's text in the parts a window shows apart: what happened, on which device; what to do;
// the ports present now (empty when not said).
struct CommErrorParts {
    std::string happened;
    std::string todo;
    std::string portsNow;

    // The whole text, as a line says it: "X does not exist. Plug in ... Port numbers reach now: 1 = ...."
    std::string Joined() const
    {
        std::string text = happened;
        for (const std::string* part : {&todo, &portsNow}) {
            if (!part->empty()) {
                text += " " + *part;
            }
        }
        return portsNow.empty() ? text : text + ".";
    }
};

class CommError : public std::runtime_error {
public:
    CommError(CommErrorKind kind, const std::string& text, bool listsPorts = false)
        : CommError(kind, CommErrorParts{text, {}, {}}, listsPorts)
    {
    }
    CommError(CommErrorKind kind, const CommErrorParts& parts, bool listsPorts = false)
        : std::runtime_error(parts.Joined())
        , m_kind(kind)
        , m_parts(parts)
        , m_listsPorts(listsPorts)
    {
    }
    CommErrorKind Kind() const { return m_kind; }
    const CommErrorParts& Parts() const { return m_parts; }
    // The text ends with the ports present now, one of which the user may choose instead.
    bool ListsPorts() const { return m_listsPorts; }

private:
    CommErrorKind m_kind;
    CommErrorParts m_parts;
    bool m_listsPorts;
};

}  // namespace q42
