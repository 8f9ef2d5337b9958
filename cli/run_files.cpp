// SPDX-License-Identifier: MIT
#include "run_files.h"

#include <QFile>
#include <QJsonDocument>
#include <QLockFile>
#include <QSaveFile>

namespace q42::ctl {

QString CheckOutputFile(const QString& path)
{
    // Opening makes the temporary beside FILE that the values will go to; never committed, it is
    // removed again when the QSaveFile goes, and FILE is untouched.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("%1: cannot be written: %2").arg(path, file.errorString());
    }
    return {};
}

QString CheckLogFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return QStringLiteral("%1: cannot be written: %2").arg(path, file.errorString());
    }
    return {};
}

QString ReplaceFile(const QString& path, const std::string& data)
{
    QSaveFile file(path);
    const auto size = static_cast<qint64>(data.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(data.data(), size) != size || !file.commit()) {
        return QStringLiteral("%1: could not be written: %2; it was left as it was").arg(path, file.errorString());
    }
    return {};
}

QString AppendLog(const QString& path, const QList<QJsonObject>& records)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    for (const QJsonObject& record : records) {
        if (!lock.lock()) {
            return QStringLiteral("%1: the log is locked by another run and could not be written").arg(path);
        }
        QFile file(path);
        const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
        const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(line) == line.size() &&
                             file.flush();
        lock.unlock();
        if (!written) {
            return QStringLiteral("%1: the log could not be written: %2").arg(path, file.errorString());
        }
    }
    return {};
}

}  // namespace q42::ctl
