// SPDX-License-Identifier: MIT
#include "comm_receive.h"

namespace q42 {

int DeliverCommEvent(CMSComm& comm, ReceiveAccumulator& receive)
{
    const int kind = comm.CommEvent();
    const QByteArray input = kind == CMSComm::comEvReceive ? comm.Input() : QByteArray();
    receive.OnCommEvent(kind, std::span(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                        static_cast<std::size_t>(input.size())));
    return kind;
}

}  // namespace q42
