// SPDX-License-Identifier: MIT
// get, set and save on one unit: a plan of steps over its exchange, run on the shared event loop
// so that several units go side by side.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

#include "exit_status.h"
#include "line_trace.h"
#include "unit_exchange.h"
#include "unit_target.h"
#include "value_text.h"

namespace q42::ctl {

// What one unit is to go through, handed over by the command line.
struct UnitTask {
    enum class Kind { Get, Set, Save };
    Kind kind = Kind::Get;
    qint32 baud = 57600;
    StepTiming timing;
    Edits edits;         // Set: the values to write over those read
    bool write = true;   // Set: false reads and works out the changes only (a dry run)
    bool save = false;   // Set: save after writing
    bool verify = false; // Set: read back and compare at the end
    QString backupFile;  // Set: the values read go here, whole, before the set goes out
};

class UnitSession : public QObject {
    Q_OBJECT

public:
    UnitSession(const UnitTask& task, const Target& target, const LineTrace& trace, QObject* parent = nullptr);

    void Start();

    ExitStatus Status() const { return m_status; }
    const Target& Given() const { return m_target; }
    // The device, for every message about this unit.
    QString Label() const { return m_exchange.Label(); }
    // The device opened, once it is known.
    QString Device() const { return m_exchange.Device(); }
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
    void handleReply(UnitReply* reply);
    void stepAnswered();
    QString timeoutText(const ExchangeFailure& failure) const;
    void finish(ExitStatus status, const QString& problem = {});

    const UnitTask m_task;
    const Target m_target;
    UnitExchange m_exchange;
    std::deque<Step> m_steps;
    Step m_step = Step::ReadBefore;
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
