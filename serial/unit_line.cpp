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
    if (line.device.isEmpty()) {
        comm.CommPort(line.portNumber);
    } else {
        comm.CommDevice(line.device);
    }
    // The rate is set before the open, so the line never runs at another one.
    comm.Settings(LineSettings(line.baud));
    comm.RThreshold(1);
    comm.PortOpen(true);
}

void SendPayload(CMSComm& comm, int nibbles)
{
    const std::size_t length = EncodeFrame(nibbles);
    comm.Output(FrameTextView().substr(0, length));
}

}  // namespace q42
