// SPDX-License-Identifier: MIT
// Commands q42ctl prints for a person to paste: each word quoted for the shell a technician opens
// by default (POSIX sh on Linux, PowerShell on Windows), so that a path holding a space, a quote, a
// '$', a ';' or a backtick is one word and never runs anything.
#pragma once

#include <QString>
#include <QStringList>

#include "unit_target.h"

namespace q42::ctl {

// 'it'\''s' for sh: bare when every character is safe, else in single quotes.
QString QuotePosix(const QString& word);
// 'it''s' for PowerShell, whose single quotes take everything but a quote literally.
QString QuotePowerShell(const QString& word);
// The quoting of this system's shell.
QString QuoteWord(const QString& word);
QString CommandLine(const QStringList& words);

// "-r DEVICE" or "-p N", as words.
QStringList TargetWords(const Target& target);

// The words of q42ctl that put a backup back on the unit: by the adapter's serial number when it
// has one (a replug may give it another device name), at the rate the unit talked at.
QStringList RestoreWords(const QString& device, const QString& adapterSerial, qint32 baud, const QString& backupPath);

}  // namespace q42::ctl
