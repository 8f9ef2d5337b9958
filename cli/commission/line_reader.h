// SPDX-License-Identifier: MIT
// Standard input, a line at a time, without holding up the event loop: a barcode scanner types a
// unit's label and Enter whenever the technician scans it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <memory>
#include <optional>

namespace q42::ctl {

// An id is a label's text: a longer line is refused, and no more lines wait than a run could use.
inline constexpr std::size_t kIdLineLimit = 1024;
inline constexpr int kLinesWaitingLimit = 64;

class LineReader : public QObject {
    Q_OBJECT

public:
    struct Line {
        QString text;
        bool tooLong = false;  // over kIdLineLimit bytes: text holds its start only
    };

    LineReader();
    ~LineReader() override;

    // Starts reading on a thread of its own, which ends only with the program (a read cannot be
    // taken back); what it reads after the reader is gone is dropped.
    void Start();

    // The oldest line not yet taken, without its line end.
    std::optional<Line> TakeLine();
    // Standard input has ended and every line has been taken.
    bool Ended() const { return m_ended && m_lines.empty(); }

signals:
    // A line came, or the input ended.
    void changed();

private:
    struct Backlog;  // how many lines wait, shared with the reading thread

    // From the reading thread: a line, or nothing for the end of the input.
    static void post(const QPointer<LineReader>& reader, const std::optional<Line>& line);
    void arrive(const Line& line);
    void end();

    std::deque<Line> m_lines;
    bool m_ended = false;
    std::shared_ptr<Backlog> m_backlog;
};

}  // namespace q42::ctl
