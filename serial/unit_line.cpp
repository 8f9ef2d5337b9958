// SPDX-License-Identifier: MIT
#include "unit_line.h"

#include "frame_codec.h"

namespace q42 {

QString LineSettings(qint32 baud)
{
    return QStringLiteral("%1,n,8,1").arg(baud);
}

void OpenUnitLine(CMSComm& comm, const UnitLine& line)
{
    // Both, so that a device an earlier open named never outlives it.
    comm.CommDevice(line.device);
    comm.CommPort(line.portNumber);
    // The rate is set before the open, so the line never runs at another one.
    comm.Settings(LineSettings(line.baud));
    comm.RThreshold(1);
    comm.PortOpen(true);
}

std::size_t SendPayload(CMSComm& comm, int nibbles)
{
    const std::size_t length = EncodeFrame(nibbles);
    comm.Output(FrameTextView().substr(0, length));
    return length;
}

int AnswerWaitMs(qint32 baud, std::size_t frameChars, std::size_t answerBytes)
{
    const std::size_t answerChars = 1 + 2 * answerBytes + 2;  // ">", the hex digits, CR LF
    const auto lineBits = static_cast<qint64>(10 * (frameChars + answerChars));
    return kUnitAnswerMs + static_cast<int>((lineBits * 1000 + baud - 1) / baud);
}

}  // namespace q42
