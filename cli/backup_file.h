// SPDX-License-Identifier: MIT
// The files commission keeps of each unit before it writes to it: named so that every system takes
// the name, written whole, and never over an earlier one.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace q42::ctl {

// Letters, digits, '-', '_' and '.' kept, anything else '_'; no leading dot; at most 64 characters;
// Windows' device names (CON, NUL, COM1, LPT9, ...) taken apart with a '_' in front; "unit" for nothing.
QString SafeFileName(const QString& text);

// "<name>_20261209T101500Z": the unit, then the UTC time, for the backup's file name.
QString BackupStem(const QString& unit, const QDateTime& utc);

// q42ctl's own backups folder in the user's data folder.
QString DefaultBackupDir();

// Makes DIR and proves it takes a file; empty when it does, else why not.
QString PrepareBackupDir(const QString& dir);

struct NewFile {
    QString path;     // where it went
    QString problem;  // why it could not be written; then nothing was left behind
};
// Writes data to a temporary file in DIR, flushes it to the disk, then gives it the name
// DIR/<stem>.json, or <stem>-2.json, -3 ... where that is taken: an earlier file is never replaced.
NewFile WriteNewFile(const QString& dir, const QString& stem, const QByteArray& data);

}  // namespace q42::ctl
