// SPDX-License-Identifier: MIT
#include "acceptance_run.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdio>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "line_trace.h"
#include "shell_words.h"
#include "stop_signals.h"
#include "system_line.h"
#include "unit_exchange.h"
#include "whole_file.h"

namespace q42::ctl {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

#ifndef _WIN32
void OnStopSignal(int signal)
{
    g_stopSignal = signal;
}
#endif

// A prompt on standard error, its answer from standard input; nothing when the input ended.
std::optional<QString> AskOnTerminal(const QString& prompt)
{
    std::fputs(qPrintable(prompt), stderr);
    std::fflush(stderr);
    char line[512];
    if (g_stopSignal != 0 || std::fgets(line, sizeof line, stdin) == nullptr || g_stopSignal != 0) {
        std::fputc('\n', stderr);
        return std::nullopt;
    }
#ifndef _WIN32
    if (::isatty(STDIN_FILENO) == 0) {
        std::fputc('\n', stderr);  // an answer from a pipe is not echoed: the next line starts afresh
    }
#endif
    return QString::fromLocal8Bit(line).trimmed();
}

struct StepRecord {
    QString name;
    bool passed = false;
    ExitStatus status = ExitStatus::Done;
    QString said;  // what the step found, in a line
    QString detail;  // the command, its output and its trace
};

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
    QString command;
};

class Acceptance {
public:
    explicit Acceptance(const AcceptanceSetup& setup)
        : m_setup(setup)
    {
    }

    ExitStatus Run();

private:
    Ran q42ctl(const QStringList& args)
    {
        QStringList all = targetWords();
        all << QStringLiteral("-t") << QString::number(m_setup.timeoutMs) << QStringLiteral("--trace") << args;
        QProcess process;
        process.start(m_setup.program, all);
        process.closeWriteChannel();
        const QString command = QStringLiteral("q42ctl ") + all.join(QLatin1Char(' '));
        if (!process.waitForStarted()) {
            return {-1, {}, QStringLiteral("%1 could not be started: %2\n").arg(m_setup.program, process.errorString()), command};
        }
        // Every step ends on its own timeouts; one that does not is stopped rather than waited for.
        const int limitMs = 20 * m_setup.timeoutMs + 30000;
        if (!process.waitForFinished(limitMs)) {
            process.kill();
            process.waitForFinished();
            return {-1, QString::fromLocal8Bit(process.readAllStandardOutput()),
                    QString::fromLocal8Bit(process.readAllStandardError()) +
                        QStringLiteral("stopped: it had not finished after %1 s\n").arg(limitMs / 1000),
                    command};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError()), command};
    }

    // Lets time pass with the event loop running, so the line goes on reading what comes.
    static void Pause(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    // A failed step whose output says nothing says the last thing its q42ctl said, the trace left
    // out: the reason, where the technician reads it.
    bool record(const QString& name, const Ran& ran, bool passed, const QString& said)
    {
        StepRecord step{name, passed, passed ? ExitStatus::Done : StatusOf(ran.exitCode), said, {}};
        const QStringList errLines = ran.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (auto line = errLines.crbegin(); !passed && step.said.isEmpty() && line != errLines.crend(); ++line) {
            if (!line->startsWith(QLatin1Char('['))) {
                step.said = line->trimmed();
            }
        }
        step.detail = QStringLiteral("$ %1\nexit status %2\n--- standard output\n%3--- standard error and trace\n%4")
                          .arg(ran.command)
                          .arg(ran.exitCode)
                          .arg(ran.out, ran.err);
        return add(step);
    }

    bool add(const StepRecord& step)
    {
        m_steps.append(step);
        std::fprintf(stderr, "acceptance: %s: %s: %s\n", qPrintable(step.name), step.passed ? "PASS" : "FAIL",
                     qPrintable(step.said));
        return step.passed;
    }

    static ExitStatus StatusOf(int code)
    {
        return code >= 2 && code <= 6 ? static_cast<ExitStatus>(code) : ExitStatus::NoAnswer;
    }

    // The unit's values as get --json printed them, or an empty object.
    static QJsonObject Values(const Ran& ran)
    {
        return ran.exitCode == 0 ? QJsonDocument::fromJson(ran.out.toUtf8()).object() : QJsonObject();
    }

    bool doctor();
    bool pullCable();
    // Puts the first values back on the unit, or says the command that does.
    void putBack();
    // Why a prompt got no answer: the input ended, or a stop signal came.
    static QString whyNoAnswer();
    ExitStatus finish(const QString& note = {});

    const AcceptanceSetup m_setup;
    // The unit as given, until doctor finds it: then -r DEVICE -s BAUD.
    QStringList targetWords() const;

    QList<StepRecord> m_steps;
    QString m_device;  // where doctor found the unit, at this rate
    qint32 m_baud = 0;
    QString m_firstValues;  // beside the report, once read
    bool m_setSent = false;  // the unit may hold the test's values until they are put back
    QStringList m_notes;     // what the technician must do after the run
};

QStringList Acceptance::targetWords() const
{
    if (!m_device.isEmpty()) {
        return {QStringLiteral("-r"), m_device, QStringLiteral("-s"), QString::number(m_baud)};
    }
    QStringList given;
    for (const Target& target : m_setup.targets) {
        given << TargetWords(target);
    }
    return given;
}

bool Acceptance::doctor()
{
    const Ran ran = q42ctl({QStringLiteral("doctor"), QStringLiteral("--json")});
    const QJsonArray answered = QJsonDocument::fromJson(ran.out.toUtf8()).object()[QStringLiteral("answered")].toArray();
    if (answered.isEmpty()) {
        return record(QStringLiteral("doctor"), ran, false,
                      QStringLiteral("no unit answered; the findings are in the report (q42ctl doctor shows them)"));
    }
    m_device = answered.first()[QStringLiteral("device")].toString();
    m_baud = answered.first()[QStringLiteral("baud")].toInt();
    return record(QStringLiteral("doctor"), ran, true, QStringLiteral("a unit answered on %1 at %2 baud").arg(m_device).arg(m_baud));
}

// Polls the unit with the read-only query until the line is lost, as the cable is pulled.
bool Acceptance::pullCable()
{
    const LineTrace trace(false);
    UnitExchange exchange(trace);
    exchange.SetLabel(m_device);
    StepRecord step{QStringLiteral("cable pulled"), false, ExitStatus::NoAnswer, {}, {}};
    if (const auto failure = exchange.Open(UnitLine{0, m_device, m_baud})) {
        step.said = QStringLiteral("the port did not open: ") + failure->text;
        return add(step);
    }
    QElapsedTimer waited;
    waited.start();
    int answers = 0;
    while (waited.elapsed() < m_setup.pullWaitMs) {
        UnitReply* reply = exchange.Send(UnitStep::Query(), StepTiming{m_setup.timeoutMs, 0});
        QEventLoop loop;
        QObject::connect(reply, &UnitReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const ExchangeFailure failure = reply->Failure();
        reply->deleteLater();
        if (failure.error == ExchangeError::NoError) {
            ++answers;
            Pause(300);
            continue;
        }
        if (failure.error == ExchangeError::Line) {
            step.passed = failure.lineKind == CommErrorKind::DeviceLost;
            step.said = QStringLiteral("%1 answers, then after %2 ms: %3").arg(answers).arg(waited.elapsed()).arg(failure.text);
            return add(step);
        }
        step.detail += QStringLiteral("%1 ms: no answer\n").arg(waited.elapsed());
    }
    step.said = QStringLiteral("the line was not lost within %1 s (%2 answers)").arg(m_setup.pullWaitMs / 1000).arg(answers);
    return add(step);
}

ExitStatus Acceptance::Run()
{
    if (!doctor()) {
        return finish();
    }
    const Ran detect = q42ctl({QStringLiteral("detect")});
    if (!record(QStringLiteral("detect"), detect, detect.exitCode == 0, detect.out.trimmed())) {
        return finish();
    }
    const Ran first = q42ctl({QStringLiteral("get"), QStringLiteral("--json")});
    const QJsonObject firstValues = Values(first);
    if (!record(QStringLiteral("get"), first, !firstValues.isEmpty(), QStringLiteral("%1 values read").arg(firstValues.size()))) {
        return finish();
    }
    // Kept beside the report before anything is written, and named first: whatever ends the run
    // after the set, these values can go back.
    const QFileInfo report(m_setup.report);
    m_firstValues = report.absolutePath() + QLatin1Char('/') + report.completeBaseName() + QStringLiteral("-first-values.json");
    if (const QString problem = ReplaceWhole(m_firstValues, first.out.toUtf8()); !problem.isEmpty()) {
        return finish(QStringLiteral("the unit's first values could not be kept (%1), so nothing was written").arg(problem));
    }
    std::fprintf(stderr, "acceptance: the unit's first values are kept in %s\n", qPrintable(m_firstValues));
    const auto change = AskOnTerminal(QStringLiteral(
        "Type one value to change for the test as NAME=VALUE (for example L9_ATT_DL=11), or press Enter to write the "
        "unit's own values back unchanged: "));
    if (!change) {
        return finish(whyNoAnswer() + QStringLiteral(": the run stopped before the set"));
    }
    const QStringList setArgs = change->trimmed().isEmpty()
                                    ? QStringList{QStringLiteral("set"), QStringLiteral("--from"), m_firstValues}
                                    : QStringList{QStringLiteral("set"), change->trimmed()};
    m_setSent = true;
    const Ran set = q42ctl(setArgs + QStringList{QStringLiteral("--save"), QStringLiteral("--verify")});
    if (!record(QStringLiteral("set, verify, save"), set, set.exitCode == 0, set.out.trimmed().replace(QLatin1Char('\n'), QStringLiteral("; ")))) {
        return finish();
    }
    const QJsonObject written = Values(q42ctl({QStringLiteral("get"), QStringLiteral("--json")}));
    if (!AskOnTerminal(QStringLiteral("Switch the unit off, then on again; when it is up, press Enter: "))) {
        return finish(whyNoAnswer() + QStringLiteral(": the run stopped before the power cycle"));
    }
    const Ran after = q42ctl({QStringLiteral("get"), QStringLiteral("--json")});
    QStringList lost;
    for (auto it = written.begin(); it != written.end(); ++it) {
        if (Values(after).value(it.key()) != it.value()) {
            lost << it.key();
        }
    }
    const bool kept = after.exitCode == 0 && !written.isEmpty() && lost.isEmpty();
    record(QStringLiteral("values after the power cycle"), after, kept,
           kept ? QStringLiteral("every value as saved") : QStringLiteral("not as saved: ") + lost.join(QStringLiteral(", ")));
    if (!AskOnTerminal(QStringLiteral("Next the cable: press Enter, then pull the USB cable out of the laptop within %1 s: ")
                   .arg(m_setup.pullWaitMs / 1000))) {
        return finish(whyNoAnswer() + QStringLiteral(": the run stopped before the cable step"));
    }
    pullCable();
    if (!AskOnTerminal(QStringLiteral("Plug the cable back in; when it is in, press Enter to put the unit's first values back: "))) {
        return finish(whyNoAnswer() + QStringLiteral(": the run stopped before the cable was back"));
    }
    return finish();
}

void Acceptance::putBack()
{
    Ran restore;
    for (int attempt = 0; attempt < 5; ++attempt) {  // the adapter may take a few seconds to come back
        restore = q42ctl({QStringLiteral("set"), QStringLiteral("--from"), m_firstValues, QStringLiteral("--save"),
                          QStringLiteral("--verify")});
        if (restore.exitCode != static_cast<int>(ExitStatus::CannotOpen)) {
            break;
        }
        Pause(1000);
    }
    m_setSent = false;  // put back, or said how to: never twice
    if (!record(QStringLiteral("first values put back"), restore, restore.exitCode == 0,
                restore.out.trimmed().replace(QLatin1Char('\n'), QStringLiteral("; ")))) {
        const QString command = CommandLine(RestoreWords(m_device, {}, m_baud, m_firstValues));
        m_notes << QStringLiteral("the unit may still hold the test's values; this puts the first back: %1").arg(command);
    }
}

QString Acceptance::whyNoAnswer()
{
    return g_stopSignal != 0 ? StopSignals::Name(g_stopSignal) + QStringLiteral(" came") : QStringLiteral("standard input ended");
}

ExitStatus Acceptance::finish(const QString& note)
{
    if (!note.isEmpty()) {
        std::fprintf(stderr, "acceptance: %s\n", qPrintable(note));
    }
    if (m_setSent) {  // at the end, or stopped after the set: the unit is never left holding the test's values
        putBack();
    }
    QString text = QStringLiteral("q42ctl acceptance run, %1\n%2\n")
                       .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate), SystemLine());
    ExitStatus status = ExitStatus::Done;
    int passed = 0;
    for (const StepRecord& step : m_steps) {
        text += QStringLiteral("\n== %1: %2: %3\n%4").arg(step.name, step.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"), step.said, step.detail);
        passed += step.passed ? 1 : 0;
        if (!step.passed && status == ExitStatus::Done) {
            status = step.status;
        }
    }
    if (!note.isEmpty()) {
        text += QStringLiteral("\n== stopped: %1\n").arg(note);
        status = status == ExitStatus::Done ? ExitStatus::NoAnswer : status;
    }
    if (!m_firstValues.isEmpty()) {
        text += QStringLiteral("\n== the unit's first values: %1\n").arg(m_firstValues);
    }
    for (const QString& said : m_notes) {
        text += QStringLiteral("\n== %1\n").arg(said);
        std::fprintf(stderr, "acceptance: %s\n", qPrintable(said));
    }
    if (const QString problem = ReplaceWhole(m_setup.report, text.toUtf8()); !problem.isEmpty()) {
        std::fprintf(stderr, "acceptance: %s\n", qPrintable(problem));
        return ExitStatus::OutputLost;
    }
    // A run that stopped early says so: every step it took may have passed, and it still did not finish.
    std::fprintf(stderr, "acceptance: %s%d of %lld steps passed; send %s back\n", note.isEmpty() ? "" : "stopped early: ",
                 passed, static_cast<long long>(m_steps.size()), qPrintable(m_setup.report));
    return status;
}

}  // namespace

ExitStatus RunAcceptance(const AcceptanceSetup& setup)
{
    // Ctrl-C, SIGTERM or SIGHUP at a prompt end the wait for its answer, and the run goes on to put
    // the unit's first values back before it ends.
#ifndef _WIN32
    TakeStopSignals(OnStopSignal, false);
#endif
    Acceptance run(setup);
    return run.Run();
}

}  // namespace q42::ctl
