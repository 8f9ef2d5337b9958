// SPDX-License-Identifier: MIT
#include "line_trace.h"

#include <cstdio>

namespace q42::ctl {

QString EscapeBytes(const QByteArray& bytes)
{
    QString out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\r') {
            out += QLatin1String("\\r");
        } else if (b == '\n') {
            out += QLatin1String("\\n");
        } else if (b == '\\') {
            out += QLatin1String("\\\\");
        } else if (b < 0x20 || b >= 0x7F) {
            out += QLatin1String("\\x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        } else {
            out += QLatin1Char(c);
        }
    }
    return out;
}

QString TraceLine(double elapsedMs, const QString& device, CMSComm::Direction direction, const QByteArray& bytes)
{
    return QStringLiteral("[%1 ms] %2 %3 %4")
        .arg(elapsedMs, 10, 'f', 3)
        .arg(device, direction == CMSComm::Direction::Sent ? QStringLiteral("sent    ") : QStringLiteral("received"),
             EscapeBytes(bytes));
}

LineTrace::LineTrace(bool enabled)
    : m_enabled(enabled)
{
    m_clock.start();
}

void LineTrace::Watch(CMSComm& comm, std::function<QString()> label) const
{
    if (!m_enabled) {
        return;
    }
    comm.SetTap([this, label = std::move(label)](CMSComm::Direction direction, const QByteArray& bytes) {
        const double ms = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
        std::fprintf(stderr, "%s\n", qPrintable(TraceLine(ms, label(), direction, bytes)));  // stderr: out at once
    });
}

void LineTrace::Note(const QString& label, const QString& text) const
{
    if (m_enabled) {
        const double ms = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
        std::fprintf(stderr, "%s\n", qPrintable(QStringLiteral("[%1 ms] %2 %3").arg(ms, 10, 'f', 3).arg(label, text)));
    }
}

}  // namespace q42::ctl
