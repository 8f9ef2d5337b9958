// SPDX-License-Identifier: MIT
#include "ctl_process.h"

#include <QFile>
#include <QJsonDocument>

#include "sim_process.h"

namespace q42::test {

CtlRun RunCtl(const QStringList& args, const std::function<void()>& inChild)
{
    QProcess process;
    process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(Q42CTL_PATH), args);
    process.waitForFinished(20000);
    return {process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()), QString::fromLocal8Bit(process.readAllStandardError())};
}

Ctl::Ctl(const QStringList& args)
{
    process.start(QStringLiteral(Q42CTL_PATH), args);
    process.waitForStarted();
}

bool Ctl::Saw(const QString& text, int times, bool onErr)
{
    return WaitFor([&] {
        out += QString::fromLocal8Bit(process.readAllStandardOutput());
        err += QString::fromLocal8Bit(process.readAllStandardError());
        return (onErr ? err : out).count(text) >= times;
    }, std::chrono::seconds(20));
}

int Ctl::Finish()
{
    const bool ended = WaitFor([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(20));
    out += QString::fromLocal8Bit(process.readAllStandardOutput());
    err += QString::fromLocal8Bit(process.readAllStandardError());
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QList<QJsonObject> JsonLines(const QByteArray& text)
{
    QList<QJsonObject> objects;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty()) {
            objects << QJsonDocument::fromJson(line).object();
        }
    }
    return objects;
}

QString Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString WriteFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size()) << path.toStdString();
    return path;
}

::testing::AssertionResult Holds(const QString& text, const QString& part)
{
    if (text.contains(part)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << part.toStdString() << "\" is not in:\n" << text.toStdString();
}

}  // namespace q42::test
