// SPDX-License-Identifier: MIT
// The files commission keeps of each unit before it writes to it: named so that every system takes
// the name, written whole, and never over an earlier one.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "whole_file.h"

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

}  // namespace q42::ctl
