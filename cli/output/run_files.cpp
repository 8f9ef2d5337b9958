// SPDX-License-Identifier: MIT
#include "run_files.h"

#include <QFile>
#include <QJsonDocument>

#include "whole_file.h"

namespace q42::ctl {

QString CheckLogFile(const QString& path)
{
    if (const QString problem = CheckKeptFile(path); !problem.isEmpty()) {
        return problem;
    }
    // A log not there yet is made by its first line, so that it gets that line's owner.
    QFile file(path);
    if (file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return QStringLiteral("%1: cannot be written: %2").arg(path, file.errorString());
    }
    return {};
}

QString AppendLog(const QString& path, const QList<QJsonObject>& records)
{
    for (const QJsonObject& record : records) {
        const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
        if (const QString problem = AppendLine(path, line, kLogWaitMs); !problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

}  // namespace q42::ctl
