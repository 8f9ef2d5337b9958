// SPDX-License-Identifier: MIT
// Ctrl-C and SIGTERM as a Qt signal on the event loop's thread, so that a run can finish the unit
// under way before it stops; on Windows the console's Ctrl-C and close the same.
#pragma once

#include <QObject>

namespace q42::ctl {

class StopSignals : public QObject {
    Q_OBJECT

public:
    // Takes over SIGINT and SIGTERM (the console's control events on Windows) until the program ends.
    // One object at a time.
    explicit StopSignals(QObject* parent = nullptr);

    // A stop request, from the signal handler's way in (or a test).
    void Deliver();

signals:
    // count: 1 for the first request, 2 and more for each one after it.
    void stopRequested(int count);

private:
    int m_count = 0;
};

}  // namespace q42::ctl
