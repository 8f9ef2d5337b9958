// SPDX-License-Identifier: MIT
// Standard input, a line at a time, without holding up the event loop: a barcode scanner types a
// unit's label and Enter whenever the technician scans it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <optional>

namespace q42::ctl {

class LineReader : public QObject {
    Q_OBJECT

public:
    // Starts reading on a thread of its own, which ends only with the program (a read cannot be
    // taken back); what it reads after the reader is gone is dropped.
    void Start();

    // The oldest line not yet taken, without its line end.
    std::optional<QString> TakeLine();
    // Standard input has ended and every line has been taken.
    bool Ended() const { return m_ended && m_lines.empty(); }

signals:
    // A line came, or the input ended.
    void changed();

private:
    // From the reading thread: a line, or nothing for the end of the input.
    static void post(const QPointer<LineReader>& reader, const std::optional<QString>& line);
    void arrive(const QString& line);
    void end();

    std::deque<QString> m_lines;
    bool m_ended = false;
};

}  // namespace q42::ctl
