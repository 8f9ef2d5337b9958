// SPDX-License-Identifier: MIT
// What q42ctl doctor prints: a line a support request needs, then one finding a line with its fix
// and q42ctl's own step, and which device and rate a unit answered on, or that none did; or all of
// it as one JSON object.
#pragma once

#include <QList>
#include <QString>

#include <string>
#include <vector>

#include "exit_status.h"
#include "finding.h"

namespace q42::ctl {

// Where a unit answered, and the window's port number for that device (0: none reaches it).
struct AnsweredOn {
    QString device;
    qint32 baud = 0;
    int portNumber = 0;
};

struct DoctorReport {
    QString system;  // "q42ctl 1.0.0 on Debian GNU/Linux 12 (bookworm), linux 6.1.0-57-amd64, x86_64"
    std::vector<Finding> findings;
    QList<AnsweredOn> answered;
    // A finding kept a device from opening (a holder found after silence did not: the port opened).
    bool portShut = false;
};

// 0 when a unit answered; else 3 when a port stayed shut; else 4.
ExitStatus DoctorStatus(const DoctorReport& report);

// A finding as q42ctl words it: the fact, the fix, and the way to the port after it.
QString FindingLine(const Finding& finding);

// The finding of a unit answering: "a unit answered on DEVICE at BAUD baud: in the window choose
// COM n and BAUD; here: q42ctl -r DEVICE -s BAUD get".
Finding AnsweredFinding(const AnsweredOn& answered);

QString DoctorText(const DoctorReport& report);
std::string DoctorJson(const DoctorReport& report);

}  // namespace q42::ctl
