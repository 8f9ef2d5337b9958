// SPDX-License-Identifier: MIT
// --trace: every frame sent and every piece received, in order, on standard error, so that a
// technician can paste what went over the line into a support request.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>

#include "mscomm.h"

namespace q42::ctl {

// Printable bytes as they are; CR and LF as \r and \n, every other control or non-ASCII byte as \xNN.
QString EscapeBytes(const QByteArray& bytes);

// "[  41.250 ms] /dev/pts/3 received >06\r\n"
QString TraceLine(double elapsedMs, const QString& device, CMSComm::Direction direction, const QByteArray& bytes);

class LineTrace {
public:
    // The clock starts with the program, so the times of several units line up.
    explicit LineTrace(bool enabled);

    // Traces what goes over comm's line under the name label() gives at that moment.
    void Watch(CMSComm& comm, std::function<QString()> label) const;
    // A line of its own about the exchange: bytes dropped as noise, a frame sent again.
    void Note(const QString& label, const QString& text) const;

private:
    bool m_enabled;
    QElapsedTimer m_clock;
};

}  // namespace q42::ctl
