// SPDX-License-Identifier: MIT
#include "run_report.h"

#include "whole_file.h"

namespace q42::ctl {

ExitStatus Deliver(const QString& output, const RunReport& report)
{
    for (const QString& message : report.messages) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
    if (output.isEmpty()) {
        std::fputs(report.data.c_str(), stdout);
        return report.status;
    }
    if (report.status != ExitStatus::Done) {
        std::fprintf(stderr, "q42ctl: %s was left as it was, since not every unit answered\n", qPrintable(output));
        return report.status;
    }
    if (const QString problem = ReplaceWhole(output, QByteArray::fromStdString(report.data)); !problem.isEmpty()) {
        std::fprintf(stderr, "q42ctl: %s\n", qPrintable(problem));
        return ExitStatus::OutputLost;
    }
    return report.status;
}

}  // namespace q42::ctl
