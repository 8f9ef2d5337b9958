// SPDX-License-Identifier: MIT
// q42ctl's exchange with one unit, in the shape of a Modbus client and its replies: it owns the
// port, sends one step at a time as a frame, takes the answer as soon as its frame is complete (a
// script waits for one known reply, so the window's quiet gap is not needed to find its end),
// sends a frame that got no answer again, and after such a step lets the line fall quiet before
// the next frame. What a step came to is a UnitReply, finished through a queued signal, so that no
// caller is ever re-entered from inside Send().
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>

#include "answer.h"
#include "comm_error.h"
#include "line_trace.h"
#include "mscomm.h"
#include "receive_accumulator.h"
#include "unit_line.h"

namespace q42::ctl {

// One frame to the unit and the answer that fits it: a query is answered by every value, a set and
// a save by an acknowledgement.
struct UnitStep {
    enum class Frame { Query, Set, Save };
    Frame frame = Frame::Query;
    UnitValues values{};  // Set: what it writes

    static UnitStep Query() { return {Frame::Query, {}}; }
    static UnitStep Set(const UnitValues& values) { return {Frame::Set, values}; }
    static UnitStep Save() { return {Frame::Save, {}}; }
    bool WaitsForSettings() const { return frame == Frame::Query; }
};

// How long each attempt of a step waits for its answer, and how often a step without one is sent
// again. The query, the set and the save are each safe to repeat: the same set twice leaves the
// unit as once.
struct StepTiming {
    int timeoutMs = 1000;
    int retries = 0;
};

enum class ExchangeError {
    NoError,
    Line,       // the port did not open, took no frame or went away; lineKind says which
    Timeout,    // no fitting answer in any attempt; heard tells silence from bytes that were no answer
    Cancelled,  // Cancel() or Close() ended the step
};

struct ExchangeFailure {
    ExchangeError error = ExchangeError::NoError;
    CommErrorKind lineKind = CommErrorKind::Other;
    QString text;             // Line: the serial component's words, naming the device
    bool listsPorts = false;  // Line: the text ends with the ports present now
    int attempts = 0;         // frames sent for the step
    bool heard = false;       // bytes came after the step's first frame went out
};

class UnitReply : public QObject {
    Q_OBJECT

public:
    const UnitStep& Step() const { return m_step; }
    bool IsFinished() const { return m_finished; }
    // The answer that fitted the step; nothing when it failed.
    const std::optional<UnitAnswer>& Answer() const { return m_answer; }
    // error is NoError when the step was answered; attempts and heard hold either way.
    const ExchangeFailure& Failure() const { return m_failure; }

signals:
    void finished();

private:
    friend class UnitExchange;
    explicit UnitReply(const UnitStep& step)
        : m_step(step)
    {
    }

    UnitStep m_step;
    bool m_finished = false;
    std::optional<UnitAnswer> m_answer;
    ExchangeFailure m_failure;
};

class UnitExchange : public QObject {
    Q_OBJECT

public:
    explicit UnitExchange(const LineTrace& trace, QObject* parent = nullptr);

    // How the trace names this unit; it may change once the device a port number reaches is known.
    void SetLabel(const QString& label) { m_label = label; }
    QString Label() const { return m_label; }

    // Opens the line, closing it first when open: for a first open, after the device went away, or
    // at another rate. The failure when it does not open (error Line), the port closed then.
    std::optional<ExchangeFailure> Open(const UnitLine& line);
    // Ends a pending step (Cancelled) and closes the port.
    void Close();
    bool IsOpen() const { return m_comm.PortOpen(); }
    // The device the last open reached, and how the port was chosen ("COM3", or the device given).
    QString Device() const { return m_comm.DeviceName(); }
    QString PortLabel() const { return m_comm.PortLabel(); }

    // Sends the step's frame. The reply finishes once an answer fits, every attempt went unanswered,
    // the line failed or the step was cancelled; the line stays open whatever it came to. One step
    // at a time: a step still pending is cancelled first. The reply is the caller's to delete.
    UnitReply* Send(const UnitStep& step, const StepTiming& timing);
    // Ends the pending step, if there is one, as Cancelled.
    void Cancel();

private:
    void beginStep();
    void sendFrame();
    void handleComm();
    void handleDeadline();
    void handleLineSettled();
    void answered(const UnitAnswer& answer);
    void fail(ExchangeFailure failure);
    void finishPending();

    const LineTrace& m_trace;
    QString m_label;
    CMSComm m_comm;
    ReceiveAccumulator m_receive;
    QTimer m_deadline;
    // After a step that needed its frame again, a late answer to an earlier attempt must not pass
    // for the next step's: the next frame waits until the line has been quiet this long.
    QTimer m_settle;
    QPointer<UnitReply> m_pending;
    StepTiming m_timing;
    int m_attempt = 0;
    bool m_heard = false;
    // The device went away between steps: the next step fails with it instead of writing to nothing.
    std::optional<QString> m_lostBetweenSteps;
};

}  // namespace q42::ctl
