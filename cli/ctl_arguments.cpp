// SPDX-License-Identifier: MIT
#include "ctl_arguments.h"

#include "values_file.h"

namespace q42::ctl {

QString ReadValueNames(const QStringList& arguments, CtlRequest& request)
{
    for (const QString& name : arguments) {
        const auto named = FindName(name.toStdString());
        if (!named) {
            return QStringLiteral("unknown value name \"%1\"; 'q42ctl --help' lists the names").arg(name);
        }
        for (const NamedValue& earlier : request.selection.names) {
            if (earlier.index == named->index && earlier.minutes == named->minutes) {
                return QStringLiteral("%1 is named twice").arg(name);
            }
        }
        request.selection.names.push_back(*named);
    }
    return {};
}

QString ReadSetValues(const QStringList& arguments, CtlRequest& request)
{
    const QString& file = request.from;
    if (!file.isEmpty() && !arguments.isEmpty()) {
        return QStringLiteral("give NAME=VALUE arguments or --from FILE, not both");
    }
    std::string problem;
    if (!file.isEmpty()) {
        problem = ReadValuesFile(file, request.edits);
    } else {
        for (const QString& assignment : arguments) {
            problem = AddAssignment(request.edits, assignment.toStdString());
            if (!problem.empty()) {
                break;
            }
        }
        if (problem.empty()) {
            problem = CheckEdits(request.edits);
        }
    }
    if (!problem.empty()) {
        return QString::fromStdString(problem);
    }
    if (request.edits.HoldsNone() && !file.isEmpty()) {
        return QStringLiteral("%1 holds no values to write").arg(file == QLatin1String("-") ? QStringLiteral("standard input") : file);
    }
    return request.edits.HoldsNone() ? QStringLiteral("set needs NAME=VALUE arguments or --from FILE") : QString();
}

QString ReadGoldenValues(const QStringList&, CtlRequest& request)
{
    if (request.askUnitId && request.targets.size() > 1) {
        return QStringLiteral("--ask-unit-id reads every id from one input, so it takes one -r or -p");
    }
    if (!request.output.isEmpty() || !request.unitId.isEmpty()) {
        return QStringLiteral("commission writes one record a unit: it takes no -o or --unit-id (--ask-unit-id asks for each)");
    }
    const std::string problem = ReadValuesFile(request.from, request.edits);
    if (!problem.empty()) {
        return QString::fromStdString(problem);
    }
    return request.edits.HoldsNone() ? QStringLiteral("%1 holds no values to write").arg(request.from) : QString();
}

}  // namespace q42::ctl
