// SPDX-License-Identifier: MIT
// Reading q42ctl's command line by its table: each option into its field, checked against its range
// and the commands it goes with; then the command's own arguments.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "ctl_request.h"

namespace q42::ctl {

struct ParsedCommandLine {
    std::optional<CtlRequest> request;
    QString error;  // bad usage or value: nothing is sent
    bool help = false;
    bool version = false;
};

ParsedCommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace q42::ctl
