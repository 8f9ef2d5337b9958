// SPDX-License-Identifier: MIT
// What the system does to an adapter, as a fact a program decides by (the kind) and a text for a
// person: what is wrong, and the system's own fix, with the command to run. How to choose a port
// after the fix differs between the window and q42ctl, so each face adds that step itself.
#pragma once

#include <string>
#include <vector>

namespace q42 {

enum class FindingKind {
    NoAdapter,       // no USB serial adapter on the bus at all
    NoDriver,        // an adapter whose interface no driver serves
    TakenByUsbfs,    // an adapter taken from its driver by a program through usbfs
    NotInGroup,      // the device's group is not among the user's
    NotInThisLogin,  // the user joined the group after logging in
    NoAccess,        // neither the mode nor an ACL lets this user open the device
    ReservedPort,    // root's or a group's the mode gives nothing: a console or a service's port
    HeldByProgram,   // a program has the device open
    HeldUnseen,      // busy, and the program holding it cannot be seen from this user
    ModemManager,    // ModemManager runs and may probe the adapter
    DeviceProblem,   // Windows: the device manager reports a problem code for the adapter
    AdapterPulled,   // the adapter went away while it was being examined
    NotSerial,       // the device given is not a serial port
    CannotOpen,      // the port did not open for a reason none of the above explains
    NotVisible,      // a part of the system this user cannot look at
    UnitAnswered,
    NoAnswer,        // the port opened and no unit answered at either rate
};

struct Finding {
    FindingKind kind = FindingKind::NoAnswer;
    std::string device;   // "/dev/ttyUSB0", "COM3"; empty when it concerns the whole system
    std::string adapter;  // "FT232R USB UART (0403:6001, serial A50285BI)"; empty when none is known
    std::string text;     // the fact, naming the device or the adapter
    std::string fix;      // what to do, with the command; empty when there is nothing to do
    bool thenChoosePort = false;  // after the fix the adapter has a port the user may have to choose
};

// The documented word of each kind, for --json: "no-adapter", "taken-by-usbfs", ...
const char* FindingKindName(FindingKind kind);

// The kinds, in the order they are documented.
std::vector<FindingKind> AllFindingKinds();

// A finding of this kind keeps the port from opening.
bool KeepsPortShut(FindingKind kind);

// The text and the fix as one sentence or two: what a box or a line shows.
std::string FindingSentence(const Finding& finding);

// What made the port fail, as the explanation is looked for.
enum class Symptom {
    Missing,  // the device does not exist
    Denied,   // permission denied
    Busy,     // another program holds it
    Silent,   // it opened and no unit answered
};

// Of the findings, the first that explains the symptom, in the order: no adapter, no driver, taken
// through usbfs, device problem, not in the group, not in this login, no access, held by a program,
// ModemManager. nullptr when none does.
const Finding* Explaining(const std::vector<Finding>& findings, Symptom symptom);

}  // namespace q42
