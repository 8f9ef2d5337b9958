// SPDX-License-Identifier: MIT
#include "acceptance_run.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "line_trace.h"
#include "unit_exchange.h"

namespace q42::ctl {

namespace {

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
    Acceptance(const AcceptanceSetup& setup, const AskLine& ask)
        : m_setup(setup)
        , m_ask(ask)
    {
    }

    ExitStatus Run();

private:
    Ran q42ctl(const QStringList& args)
    {
        QStringList all = m_target;
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

    bool record(const QString& name, const Ran& ran, bool passed, const QString& said)
    {
        StepRecord step{name, passed, passed ? ExitStatus::Done : StatusOf(ran.exitCode), said, {}};
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
    ExitStatus finish(const QString& note = {});

    const AcceptanceSetup m_setup;
    const AskLine m_ask;
    QStringList m_target;  // -r DEVICE -s BAUD once doctor found the unit
    QList<StepRecord> m_steps;
    QString m_device;
};

bool Acceptance::doctor()
{
    QStringList given;
    for (const Target& target : m_setup.targets) {
        given << TargetOption(target).split(QLatin1Char(' '));
    }
    m_target = given;
    const Ran ran = q42ctl({QStringLiteral("doctor"), QStringLiteral("--json")});
    const QJsonArray answered = QJsonDocument::fromJson(ran.out.toUtf8()).object()[QStringLiteral("answered")].toArray();
    if (answered.isEmpty()) {
        return record(QStringLiteral("doctor"), ran, false,
                      QStringLiteral("no unit answered; the findings are in the report (q42ctl doctor shows them)"));
    }
    m_device = answered.first()[QStringLiteral("device")].toString();
    const int baud = answered.first()[QStringLiteral("baud")].toInt();
    m_target = {QStringLiteral("-r"), m_device, QStringLiteral("-s"), QString::number(baud)};
    return record(QStringLiteral("doctor"), ran, true, QStringLiteral("a unit answered on %1 at %2 baud").arg(m_device).arg(baud));
}

// Polls the unit with the read-only query until the line is lost, as the cable is pulled.
bool Acceptance::pullCable()
{
    const LineTrace trace(false);
    UnitExchange exchange(trace);
    exchange.SetLabel(m_device);
    StepRecord step{QStringLiteral("cable pulled"), false, ExitStatus::NoAnswer, {}, {}};
    const int baud = m_target.value(3).toInt();
    if (const auto failure = exchange.Open(UnitLine{0, m_device, baud})) {
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
    QTemporaryDir dir;
    const QString firstFile = dir.filePath(QStringLiteral("first-values.json"));
    QSaveFile keep(firstFile);
    if (!keep.open(QIODevice::WriteOnly) || keep.write(first.out.toUtf8()) < 0 || !keep.commit()) {
        return finish(QStringLiteral("the unit's first values could not be kept in %1, so nothing was written").arg(firstFile));
    }
    const auto change = m_ask(QStringLiteral(
        "Type one value to change for the test as NAME=VALUE (for example L9_ATT_DL=11), or press Enter to write the "
        "unit's own values back unchanged: "));
    if (!change) {
        return finish(QStringLiteral("standard input ended: the run stopped before the set"));
    }
    const QStringList setArgs = change->trimmed().isEmpty()
                                    ? QStringList{QStringLiteral("set"), QStringLiteral("--from"), firstFile}
                                    : QStringList{QStringLiteral("set"), change->trimmed()};
    const Ran set = q42ctl(setArgs + QStringList{QStringLiteral("--save"), QStringLiteral("--verify")});
    if (!record(QStringLiteral("set, verify, save"), set, set.exitCode == 0, set.out.trimmed().replace(QLatin1Char('\n'), QStringLiteral("; ")))) {
        return finish();
    }
    const QJsonObject written = Values(q42ctl({QStringLiteral("get"), QStringLiteral("--json")}));
    if (!m_ask(QStringLiteral("Switch the unit off, then on again; when it is up, press Enter: "))) {
        return finish(QStringLiteral("standard input ended: the run stopped before the power cycle"));
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
    if (!m_ask(QStringLiteral("Next the cable: press Enter, then pull the USB cable out of the laptop within %1 s: ")
                   .arg(m_setup.pullWaitMs / 1000))) {
        return finish(QStringLiteral("standard input ended: the run stopped before the cable step"));
    }
    pullCable();
    if (!m_ask(QStringLiteral("Plug the cable back in; when it is in, press Enter to put the unit's first values back: "))) {
        return finish(QStringLiteral("standard input ended: the unit keeps the test's values; %1 puts the first back")
                          .arg(QStringLiteral("q42ctl -r %1 set --from BACKUP --save --verify").arg(m_device)));
    }
    Ran restore;
    for (int attempt = 0; attempt < 5; ++attempt) {  // the adapter may take a few seconds to come back
        restore = q42ctl({QStringLiteral("set"), QStringLiteral("--from"), firstFile, QStringLiteral("--save"),
                          QStringLiteral("--verify")});
        if (restore.exitCode != static_cast<int>(ExitStatus::CannotOpen)) {
            break;
        }
        Pause(1000);
    }
    record(QStringLiteral("first values put back"), restore, restore.exitCode == 0, restore.out.trimmed().replace(QLatin1Char('\n'), QStringLiteral("; ")));
    return finish();
}

ExitStatus Acceptance::finish(const QString& note)
{
    QString text = QStringLiteral("q42ctl acceptance run, %1\nq42ctl %2 on %3, %4 %5, %6\n")
                       .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate), QStringLiteral(Q42_VERSION),
                            QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                            QSysInfo::currentCpuArchitecture());
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
        std::fprintf(stderr, "acceptance: %s\n", qPrintable(note));
    }
    QSaveFile file(m_setup.report);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "acceptance: %s could not be written: %s\n", qPrintable(m_setup.report), qPrintable(file.errorString()));
        return ExitStatus::OutputLost;
    }
    std::fprintf(stderr, "acceptance: %d of %lld steps passed; send %s back\n", passed,
                 static_cast<long long>(m_steps.size()), qPrintable(m_setup.report));
    return status;
}

}  // namespace

std::optional<QString> AskOnTerminal(const QString& prompt)
{
    std::fputs(qPrintable(prompt), stderr);
    std::fflush(stderr);
    char line[512];
    if (std::fgets(line, sizeof line, stdin) == nullptr) {
        return std::nullopt;
    }
#ifndef _WIN32
    if (::isatty(STDIN_FILENO) == 0) {
        std::fputc('\n', stderr);  // an answer from a pipe is not echoed: the next line starts afresh
    }
#endif
    return QString::fromLocal8Bit(line).trimmed();
}

ExitStatus RunAcceptance(const AcceptanceSetup& setup, const AskLine& ask)
{
    Acceptance run(setup, ask);
    return run.Run();
}

}  // namespace q42::ctl
