// SPDX-License-Identifier: MIT
// Ctrl-C, SIGTERM and SIGHUP (a terminal closed, an SSH session dropped) as a Qt signal on the event
// loop's thread, so that a run can finish the unit under way and keep its record before it stops;
// on Windows the console's Ctrl-C and close the same.
#pragma once

#include <QObject>
#include <QString>

namespace q42::ctl {

// The signals a run cannot use in its own way: a write to a closed pipe or past the file size limit
// fails with an error to report (status 6), rather than ending the program before its record is kept.
void IgnoreWriteSignals();

// Gives SIGINT, SIGTERM and SIGHUP to handler; a SIGHUP ignored when q42ctl started (nohup) stays
// ignored. restartReads: a read the signal comes in goes on, else it ends with EINTR. Unix only.
void TakeStopSignals(void (*handler)(int), bool restartReads);

class StopSignals : public QObject {
    Q_OBJECT

public:
    // Takes over SIGINT, SIGTERM and SIGHUP (the console's control events on Windows) until it goes.
    // A SIGHUP ignored when q42ctl started (nohup) stays ignored. One object at a time.
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // A stop request, from the signal handler's way in (or a test): "Ctrl-C", "SIGTERM", ...
    void Deliver(const QString& what);

    // How messages name a signal number.
    static QString Name(int signal);

signals:
    // count: 1 for the first request, 2 and more for each one after it; what: the signal's name.
    void stopRequested(int count, const QString& what);

private:
    int m_count = 0;
};

}  // namespace q42::ctl
