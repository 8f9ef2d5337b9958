// SPDX-License-Identifier: MIT
// The files a run of q42ctl writes for a script: the values of get (-o), replaced only whole, and the
// bench's record (--log), one JSON line per unit, appended under a lock.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

namespace q42::ctl {

// Why the log cannot be appended to, found before anything is sent; empty when it can.
QString CheckLogFile(const QString& path);

// How long a run waits for another that holds the log before it says which run that is.
inline constexpr int kLogWaitMs = 5000;

// Appends each record as one line. Parallel runs, on Windows too, never interleave or overwrite each
// other's lines: every line is written whole while a lock file beside the log is held.
QString AppendLog(const QString& path, const QList<QJsonObject>& records);

}  // namespace q42::ctl
