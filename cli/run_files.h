// SPDX-License-Identifier: MIT
// The files a run of q42ctl writes for a script: the values of get (-o), replaced only whole, and the
// bench's record (--log), one JSON line per unit, appended under a lock.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <string>

namespace q42::ctl {

// Why FILE cannot be written, found before anything is sent; empty when it can.
QString CheckOutputFile(const QString& path);
QString CheckLogFile(const QString& path);

// Writes data to a temporary beside FILE and renames it over FILE once complete. Returns why not.
QString ReplaceFile(const QString& path, const std::string& data);

// Appends each record as one line. Parallel runs, on Windows too, never interleave or overwrite each
// other's lines: every line is written whole while a lock file beside the log is held.
QString AppendLog(const QString& path, const QList<QJsonObject>& records);

}  // namespace q42::ctl
