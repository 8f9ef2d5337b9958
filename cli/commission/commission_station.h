// SPDX-License-Identifier: MIT
// One station of 'q42ctl commission': one device, and the units a technician connects to it one
// after another. A plan over the device's exchange: poll for a unit, back its values up, write what
// differs from the golden file, read it back, save, report, and wait for the next unit.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

#include "line_reader.h"
#include "line_trace.h"
#include "unit_exchange.h"
#include "unit_record.h"
#include "unit_target.h"
#include "value_text.h"

namespace q42::ctl {

// What every station of a run is handed.
struct CommissionTask {
    qint32 baud = 57600;
    StepTiming timing;
    Edits golden;
    QString backupDir;  // empty: no backups
    bool save = true;
};

// What the stations of one run share: how many units may still start, whether the run is
// stopping, and the ids given so far.
struct CommissionLedger {
    int started = 0;
    int limit = 0;  // 0: no limit
    bool stopping = false;
    QStringList ids;
};

class CommissionStation : public QObject {
    Q_OBJECT

public:
    // ids: where each unit's id comes from; nullptr when none are asked for.
    CommissionStation(const CommissionTask& task, const Target& target, CommissionLedger& ledger, LineReader* ids,
                      const LineTrace& trace, QObject* parent = nullptr);

    void Start();
    // Ctrl-C: stop once the unit under way is done (at once when none is).
    void StopAfterUnit();
    // A second Ctrl-C: the unit under way fails as stopped, and the station stops now.
    void StopNow(const QString& what);

    QString Label() const { return m_exchange.Label(); }
    bool Stopped() const { return m_state == State::Stopped; }
    // Why the station could not run at all (a device it may not open); Done otherwise.
    ExitStatus Status() const { return m_status; }

signals:
    void message(const QString& text);
    // A prompt for the unit's id, without a line end.
    void prompt(const QString& text);
    void unitFinished(const UnitRecord& record);
    void stopped();

private:
    enum class State { Opening, Polling, Asking, Working, Stopped };
    enum class Step { Set, ReadBack, Save };

    bool nothingLeft() const;
    void open();
    void poll();
    void schedulePoll();
    void handlePoll(UnitReply* reply);
    void lost();
    void beginUnit(const UnitValues& values);
    void takeId();
    void backUp();
    void send(Step step);
    void handleStep(UnitReply* reply);
    void stepDone(const UnitReply& reply);
    void fail(const QString& step, ExitStatus status, const QString& text);
    void finishUnit();
    void stop();
    QString timeoutText(const ExchangeFailure& failure) const;

    const CommissionTask m_task;
    const Target m_target;
    CommissionLedger& m_ledger;
    LineReader* m_ids;
    const LineTrace& m_trace;
    UnitExchange m_exchange;
    State m_state = State::Opening;
    Step m_step = Step::Set;
    bool m_saidAway = false;    // the device is gone and the technician was told
    bool m_openedOnce = false;  // after that, a device that will not open is waited for
    QString m_adapterSerial;  // the adapter's own USB serial number, from the first open; empty: none
    QString m_lastDevice;
    // The unit last brought up, as it was left (either of two when a set went out unacknowledged),
    // while it answers.
    std::optional<UnitValues> m_onCable;
    std::optional<UnitValues> m_onCableOr;
    int m_misses = 0;                     // polls in a row without an answer
    QTimer m_pollTimer;
    QTimer m_reopenTimer;
    QElapsedTimer m_pollStarted;
    UnitRecord m_record;
    ExitStatus m_status = ExitStatus::Done;
};

}  // namespace q42::ctl
