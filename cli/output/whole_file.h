// SPDX-License-Identifier: MIT
// The one way q42ctl puts a file a user keeps on the disk (-o, --backup, commission's backups, the
// acceptance report and the guided run's first values): a temporary beside it, every write, flush
// and sync checked here, then a rename. A library's own flush is not trusted with this: Qt 6.4's
// QSaveFile commits after a flush that failed. And the one way a line is appended to the log.
#pragma once

#include <QByteArray>
#include <QString>

namespace q42::ctl {

// The words for a write the system refused: a full disk is said as full.
QString WriteErrorText(int error);

// Why PATH cannot be a file a user keeps, found before anything is sent; empty when it can. A
// PATH that is there must be a regular file: a device node, a FIFO or a folder is refused.
QString CheckKeptFile(const QString& path);

// Replaces PATH with data whole: PATH holds either what it held or all of data, never less, and
// keeps its permissions and owner. Returns why not.
QString ReplaceWhole(const QString& path, const QByteArray& data);

struct NewFile {
    QString path;     // where it went
    QString problem;  // why it could not be written; then nothing was left behind
};
// Writes data as DIR/<stem><suffix>, or <stem>-2<suffix>, -3 ... where that is taken: an earlier
// file is never replaced.
NewFile WriteNewFile(const QString& dir, const QString& stem, const QByteArray& data,
                     const QString& suffix = QStringLiteral(".json"));

// Appends line (its own line end included) to PATH while PATH.lock is held, waiting for another run
// at most waitMs and then naming it. The line is on the disk when this returns empty; otherwise PATH
// is cut back to its length before it, so a reader never sees half a line.
QString AppendLine(const QString& path, const QByteArray& line, int waitMs);

}  // namespace q42::ctl
