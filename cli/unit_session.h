// SPDX-License-Identifier: MIT
// One unit's exchange for q42ctl: open its port, then send each frame of the command and wait
// for its answer, on the shared event loop, so that several units run side by side. An answer is
// taken as soon as its frame is complete; the window's quiet gap is not needed to find its end.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "answer.h"
#include "ctl_options.h"
#include "exit_status.h"
#include "line_trace.h"
#include "mscomm.h"
#include "receive_accumulator.h"
#include "value_text.h"

namespace q42::ctl {

class UnitSession : public QObject {
    Q_OBJECT

public:
    UnitSession(const CtlRequest& request, const Target& target, const LineTrace& trace, QObject* parent = nullptr);

    void Start();

    ExitStatus Status() const { return m_status; }
    const Target& Given() const { return m_target; }
    // The device, for every message about this unit.
    QString Label() const { return m_label; }
    // The device opened, once it is known.
    QString Device() const { return m_comm.DeviceName(); }
    // What went wrong, or for --verify what differed; one line per problem.
    QStringList Problems() const { return m_problems; }
    // The values the unit last sent, once it has sent them.
    const std::optional<UnitValues>& ValuesRead() const { return m_read; }
    // A set the unit acknowledged: the values before it and those written. The unit holds them
    // whatever a later step does.
    bool WriteAcknowledged() const { return m_writeAcknowledged; }
    const UnitValues& Before() const { return m_before; }
    const UnitValues& Written() const { return m_written; }
    bool Saved() const { return m_saved; }

signals:
    void Done();

private:
    enum class Step { ReadBefore, Write, Save, ReadBack };

    void sendNext();
    void sendFrame();
    // Fills the shared nibble list with this step's payload and returns its length.
    int buildPayload() const;
    void handleComm();
    void handleDeadline();
    void handleLineSettled();
    // Takes the answer the current step waits for and goes on; any other is dropped. True when taken.
    bool takeAnswer(const UnitAnswer& answer);
    void stepAnswered();
    bool waitsForSettings() const { return m_step == Step::ReadBefore || m_step == Step::ReadBack; }
    void finish(ExitStatus status, const QString& problem = {});

    const CtlRequest& m_request;
    const Target m_target;
    const LineTrace& m_trace;
    QString m_label;
    CMSComm m_comm;
    ReceiveAccumulator m_receive{nullptr};
    QTimer m_deadline;
    // After a step that needed its frame again, a late answer to an earlier attempt must not pass
    // for the next step's: the next frame waits until the line has been quiet this long.
    QTimer m_settle;
    std::deque<Step> m_steps;
    Step m_step = Step::ReadBefore;
    int m_attempt = 1;
    bool m_heard = false;  // bytes came since the step's first frame went out
    std::optional<UnitValues> m_read;
    UnitValues m_before{};
    UnitValues m_written{};
    bool m_writeAcknowledged = false;
    bool m_saved = false;
    bool m_finished = false;
    ExitStatus m_status = ExitStatus::Done;
    QStringList m_problems;
};

}  // namespace q42::ctl
