// SPDX-License-Identifier: MIT
// q42ctl: reads, writes, saves and copies VARNEK-Q42 settings from a terminal or a script.
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ctl_options.h"
#include "ctl_table.h"
#include "line_trace.h"
#include "port_inventory.h"
#include "running_mark.h"
#include "run_files.h"
#include "stop_signals.h"
#include "unit_target.h"
#include "visible_text.h"
#include "whole_file.h"

namespace {

using namespace q42::ctl;

// Values lost on a full disk must not pass for success: flushes standard output and returns
// OutputLost when it could not be written, else the status given.
int FlushOutput(ExitStatus status)
{
    // A failed write, now or while printing, leaves the stream's error indicator set.
    std::fflush(stdout);
    if (std::ferror(stdout) != 0) {
        std::fprintf(stderr, "q42ctl: standard output could not be written: %s\n", std::strerror(errno));
        return static_cast<int>(ExitStatus::OutputLost);
    }
    return static_cast<int>(status);
}

// A file that cannot be written, or two names of one device (two sessions would fight over it), is
// bad usage found before anything is sent: exit status 2 keeps meaning that no unit was touched.
QString ProblemBeforeSending(const CtlRequest& request)
{
    for (const QString& problem : {request.output.isEmpty() ? QString() : CheckKeptFile(request.output),
                                   request.backupFile.isEmpty() ? QString() : CheckKeptFile(request.backupFile),
                                   request.log.isEmpty() ? QString() : CheckLogFile(request.log),
                                   request.acceptance.isEmpty() ? QString() : CheckKeptFile(request.acceptance)}) {
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    if (request.targets.size() > 1) {
        if (const auto same = FindSameDeviceTwice(request.targets, q42::SystemSerialDevices())) {
            return QStringLiteral("%1 and %2 are the same device (%3); give each device once")
                .arg(VisibleText(same->first), VisibleText(same->second), VisibleText(same->device));
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    q42::HoldRunningMark();
    IgnoreWriteSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q42ctl"));
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    if (parsed.help) {
        std::fputs(qPrintable(UsageText()), stdout);
        return FlushOutput(ExitStatus::Done);
    }
    if (parsed.version) {
        std::printf("q42ctl %s\n", Q42_VERSION);
        return FlushOutput(ExitStatus::Done);
    }
    if (!parsed.request) {
        std::fprintf(stderr, "q42ctl: %s\nTry 'q42ctl --help'.\n", qPrintable(parsed.error));
        return static_cast<int>(ExitStatus::BadUsage);
    }
    const CtlRequest& request = *parsed.request;
    if (const QString problem = ProblemBeforeSending(request); !problem.isEmpty()) {
        std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
        return static_cast<int>(ExitStatus::BadUsage);
    }
    const LineTrace trace(request.trace);
    const CommandRow& command = CommandRowOf(request.command);
    return FlushOutput(command.run(request, QLatin1String(command.word), trace));
}
