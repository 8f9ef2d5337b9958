// SPDX-License-Identifier: MIT
#include "commission_run.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "run_files.h"
#include "stop_signals.h"
#include "visible_text.h"

namespace q42::ctl {

namespace {

// false when standard output did not take the record.
bool PrintRecord(const UnitRecord& record, const CommissionSetup& setup)
{
    if (setup.json) {
        std::printf("%s\n", QJsonDocument(RecordJson(record, setup.golden)).toJson(QJsonDocument::Compact).constData());
    } else if (setup.colour) {
        QString line = RecordLine(record);
        const QString word = line.left(4);
        line.replace(0, 4, (record.Passed() ? QStringLiteral("\033[1;32m") : QStringLiteral("\033[1;31m")) + word +
                               QStringLiteral("\033[0m"));
        std::printf("%s%s\n", qPrintable(line), record.Passed() ? "" : "\a");
    } else {
        std::printf("%s\n", qPrintable(RecordLine(record)));
    }
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}

}  // namespace

QString CommissionSummary(const QList<UnitRecord>& records)
{
    QStringList failed;
    for (const UnitRecord& record : records) {
        if (!record.Passed()) {
            failed << QStringLiteral("%1: failed at the %2").arg(record.unitId.isEmpty() ? record.station : VisibleText(record.unitId),
                                                                record.failure->step);
        }
    }
    const qsizetype passed = records.size() - failed.size();
    return QStringLiteral("%1 unit%2: %3 passed, %4 failed%5")
        .arg(records.size())
        .arg(records.size() == 1 ? QString() : QStringLiteral("s"))
        .arg(passed)
        .arg(failed.size())
        .arg(failed.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(failed.join(QStringLiteral("; "))));
}

ExitStatus RunCommission(const CommissionSetup& setup, const LineTrace& trace)
{
    CommissionLedger ledger;
    ledger.limit = setup.units;
    LineReader reader;
    LineReader* ids = setup.askUnitId ? &reader : nullptr;
    std::vector<std::unique_ptr<CommissionStation>> stations;
    QList<UnitRecord> records;
    ExitStatus status = ExitStatus::Done;
    bool outputLost = false;
    int running = 0;
    for (const Target& target : setup.targets) {
        stations.push_back(std::make_unique<CommissionStation>(setup.task, target, ledger, ids, trace));
        CommissionStation* station = stations.back().get();
        QObject::connect(station, &CommissionStation::message, [](const QString& text) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        });
        QObject::connect(station, &CommissionStation::prompt, [](const QString& text) {
            std::fprintf(stderr, "%s", qPrintable(text));
            std::fflush(stderr);
        });
        QObject::connect(station, &CommissionStation::unitFinished, [&](const UnitRecord& record) {
            records << record;
            status = std::max(status, record.Status());
            if (record.failure) {
                std::fprintf(stderr, "%s\n", qPrintable(record.failure->message));
            }
            // Unit by unit, the log first: a run that ends at unit 15 keeps the 14 before it, and
            // a closed standard output loses no line of the log.
            if (!setup.log.isEmpty()) {
                if (const QString problem = AppendLog(setup.log, {RecordJson(record, setup.golden)}); !problem.isEmpty()) {
                    std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
                    status = std::max(status, ExitStatus::OutputLost);
                }
            }
            if (!PrintRecord(record, setup) && !outputLost) {
                // Nobody reads the records any more (a pipe closed, a full disk): no next unit.
                outputLost = true;
                status = std::max(status, ExitStatus::OutputLost);
                std::fprintf(stderr, "q42ctl: standard output could not be written: stopping once the unit under way is done\n");
                for (auto& other : stations) {
                    other->StopAfterUnit();
                }
            }
        });
        QObject::connect(station, &CommissionStation::stopped, [&running] {
            if (--running == 0) {
                QCoreApplication::quit();
            }
        });
        ++running;
    }
    StopSignals stops;
    QObject::connect(&stops, &StopSignals::stopRequested, [&](int count, const QString& what) {
        ledger.stopping = true;
        if (count == 1) {
            if (what == QLatin1String("Ctrl-C")) {
                std::fprintf(stderr, "q42ctl: stopping once the unit under way is done (Ctrl-C again stops at once)\n");
            } else {
                std::fprintf(stderr, "q42ctl: %s came: stopping once the unit under way is done (another stops at once)\n",
                             qPrintable(what));
            }
        }
        for (auto& station : stations) {
            count == 1 ? station->StopAfterUnit() : station->StopNow(what);
        }
    });
    if (ids != nullptr) {
        ids->Start();
    }
    for (auto& station : stations) {
        station->Start();
    }
    if (std::any_of(stations.begin(), stations.end(), [](const auto& s) { return !s->Stopped(); })) {
        QCoreApplication::exec();
    }
    for (const auto& station : stations) {
        status = std::max(status, station->Status());
    }
    std::fprintf(stderr, "q42ctl: %s\n", qPrintable(CommissionSummary(records)));
    return status;
}

}  // namespace q42::ctl
