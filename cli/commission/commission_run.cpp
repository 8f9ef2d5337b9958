// SPDX-License-Identifier: MIT
#include "commission_run.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "backup_file.h"
#include "run_files.h"
#include "stop_signals.h"
#include "visible_text.h"

namespace q42::ctl {

namespace {

// A terminal that shows colour: never a pipe or a file, never with NO_COLOR set.
bool ColourTerminal()
{
#ifdef _WIN32
    return false;
#else
    return ::isatty(STDOUT_FILENO) != 0 && qEnvironmentVariableIsEmpty("NO_COLOR") &&
           qEnvironmentVariable("TERM") != QLatin1String("dumb");
#endif
}

// Run through sudo, HOME is root's: the files q42ctl keeps go where the technician may not look for
// them. Said once, before anything is sent; the files are given to the user who ran sudo.
void SayWhereFilesGoUnderSudo(const QString& backupDir, const QString& log)
{
#ifndef _WIN32
    const QString user = qEnvironmentVariable("SUDO_USER");
    if (::geteuid() != 0 || user.isEmpty()) {
        return;
    }
    QStringList where;
    if (!backupDir.isEmpty()) {
        where << QStringLiteral("the backups go to %1").arg(QFileInfo(backupDir).absoluteFilePath());
    }
    if (!log.isEmpty()) {
        where << QStringLiteral("the log is %1").arg(QFileInfo(log).absoluteFilePath());
    }
    if (!where.isEmpty()) {
        std::fprintf(stderr, "q42ctl: run as root through sudo: %s; new files there belong to %s\n",
                     qPrintable(where.join(QStringLiteral(", "))), qPrintable(user));
    }
#else
    Q_UNUSED(backupDir);
    Q_UNUSED(log);
#endif
}

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

// commission: the backups' folder is proved writable and the golden file's digest taken before any
// unit is waited for; a problem is bad usage, with nothing sent.
ExitStatus Commission(CommissionSetup setup, const QString& goldenPath, const LineTrace& trace)
{
    SayWhereFilesGoUnderSudo(setup.task.backupDir, setup.log);
    if (!setup.task.backupDir.isEmpty()) {
        if (const QString problem = PrepareBackupDir(setup.task.backupDir); !problem.isEmpty()) {
            std::fprintf(stderr, "q42ctl: %s; nothing was sent (--backup-dir DIR chooses another)\n", qPrintable(problem));
            return ExitStatus::BadUsage;
        }
    }
    QFile golden(goldenPath);
    if (!golden.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "q42ctl: %s: cannot be read: %s\n", qPrintable(goldenPath), qPrintable(golden.errorString()));
        return ExitStatus::BadUsage;
    }
    setup.golden = {QFileInfo(goldenPath).fileName(),
                    QString::fromLatin1(QCryptographicHash::hash(golden.readAll(), QCryptographicHash::Sha256).toHex())};
    setup.colour = !setup.json && ColourTerminal();
    return RunCommission(setup, trace);
}

}  // namespace q42::ctl
