// SPDX-License-Identifier: MIT
// The one way to reach a unit: open its line, and send it a payload as a frame.
#pragma once

#include <QString>

#include <cstddef>

#include "mscomm.h"

namespace q42 {

// Which line a unit is on and how fast it talks.
struct UnitLine {
    int portNumber = 1;  // as the window counts ports
    QString device;      // when set, this device is opened instead of the port number's
    qint32 baud = 57600;
};

// "57600,n,8,1": the unit talks 8 data bits, no parity, one stop bit.
QString LineSettings(qint32 baud);

// The unit's other rate, to suggest when it does not answer at this one.
inline qint32 OtherUnitRate(qint32 baud)
{
    return baud == 57600 ? 9600 : 57600;
}

// Opens the line at its rate, raises OnComm for every received piece, and drops whatever waited
// before the open. The port must be closed. Throws CommError naming the device.
void OpenUnitLine(CMSComm& comm, const UnitLine& line);

// Sends the payload of `nibbles` nibbles, just built into the shared nibble list, as one frame of
// exactly its length, and returns that length. Throws CommError.
std::size_t SendPayload(CMSComm& comm, int nibbles);

// The unit answers within a second of a frame's end.
inline constexpr int kUnitAnswerMs = 1000;

// How long after sending a frame of frameChars its answer of answerBytes may take to be on the line
// at baud: the unit's second plus both frames' time, ten bits a character.
int AnswerWaitMs(qint32 baud, std::size_t frameChars, std::size_t answerBytes);

}  // namespace q42
