// SPDX-License-Identifier: MIT
#include "backup_file.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace q42::ctl {

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

}  // namespace q42::ctl
