// SPDX-License-Identifier: MIT
// The real q42ctl as a test runs it: to its end, or as it goes (a prompt to answer, a record to wait
// for); and the JSON Lines it prints or keeps, read one object a line.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

namespace q42::test {

struct CtlRun {
    int exitCode = -1;  // -1: killed by a signal, or still running after the wait
    QString out;
    QString err;
};

// Runs q42ctl to its end (standard input closed); `inChild` runs in the child before it starts.
CtlRun RunCtl(const QStringList& args, const std::function<void()>& inChild = {});

// A running q42ctl whose output the test reads as it comes.
struct Ctl {
    QProcess process;
    QString out;
    QString err;

    explicit Ctl(const QStringList& args);
    // Waits until `text` has appeared `times` times on standard error (or output).
    bool Saw(const QString& text, int times = 1, bool onErr = true);
    // Waits for the end; the exit status, or -1.
    int Finish();
};

// One JSON object a line; empty lines are skipped.
QList<QJsonObject> JsonLines(const QByteArray& text);

// The whole of a file, as text.
QString Contents(const QString& path);

// Replaces the file at `path` with `text`; the path.
QString WriteFile(const QString& path, const QByteArray& text);

// Whether `part` stands in `text`; a failure shows the whole text.
::testing::AssertionResult Holds(const QString& text, const QString& part);

}  // namespace q42::test
