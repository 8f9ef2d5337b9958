// SPDX-License-Identifier: MIT
#include "backup_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace q42::ctl {

namespace {

// On the disk, not only in the system's cache: a backup must outlive a power cut right after it.
bool SyncToDisk(QFile& file)
{
    if (!file.flush()) {
        return false;
    }
#ifdef _WIN32
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

}  // namespace

QString SafeFileName(const QString& text)
{
    QString name;
    for (const QChar c : text.left(64)) {
        const bool kept = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                          (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
                          c == QLatin1Char('_') || c == QLatin1Char('.');
        name += kept ? c : QLatin1Char('_');
    }
    if (name.startsWith(QLatin1Char('.'))) {
        name[0] = QLatin1Char('_');
    }
    static const QRegularExpression reserved(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])(\\..*)?$"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (reserved.match(name).hasMatch()) {
        name.prepend(QLatin1Char('_'));
    }
    return name.isEmpty() ? QStringLiteral("unit") : name;
}

QString BackupStem(const QString& unit, const QDateTime& utc)
{
    return SafeFileName(unit) + QLatin1Char('_') + utc.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

QString DefaultBackupDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/backups");
}

QString PrepareBackupDir(const QString& dir)
{
    if (!QDir().mkpath(dir)) {
        return QStringLiteral("%1: the backup folder cannot be made").arg(dir);
    }
    QTemporaryFile probe(dir + QStringLiteral("/.q42ctl-XXXXXX"));
    if (!probe.open() || probe.write("{}") != 2 || !probe.flush()) {
        return QStringLiteral("%1: the backup folder cannot be written: %2").arg(dir, probe.errorString());
    }
    return {};
}

NewFile WriteNewFile(const QString& dir, const QString& stem, const QByteArray& data)
{
    QTemporaryFile temporary(dir + QStringLiteral("/.q42ctl-XXXXXX"));
    if (!temporary.open() || temporary.write(data) != data.size() || !SyncToDisk(temporary)) {
        return {{}, QStringLiteral("%1: the backup could not be written: %2").arg(dir, temporary.errorString())};
    }
    temporary.close();
    for (int n = 1; n < 1000; ++n) {
        const QString path = QStringLiteral("%1/%2%3.json").arg(dir, stem, n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        // A rename never replaces a file that is there; the temporary goes with the QTemporaryFile otherwise.
        if (!QFile::exists(path) && temporary.rename(path)) {
            temporary.setAutoRemove(false);
            return {path, {}};
        }
    }
    return {{}, QStringLiteral("%1: no free name for the backup %2.json").arg(dir, stem)};
}

}  // namespace q42::ctl
