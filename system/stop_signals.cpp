// SPDX-License-Identifier: MIT
#include "stop_signals.h"

#include <QPointer>

#include <csignal>

#ifdef _WIN32
#include <windows.h>
#else
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#endif

namespace q42::ctl {

namespace {

#ifdef _WIN32
QPointer<StopSignals> g_receiver;  // the console's handler runs on a thread of its own
HANDLE g_runEnded = nullptr;      // set when the run has kept its records

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    const QString what = event == CTRL_CLOSE_EVENT ? QStringLiteral("the console window closing") : QStringLiteral("Ctrl-C");
    if (StopSignals* receiver = g_receiver.data()) {
        QMetaObject::invokeMethod(receiver, [receiver, what] { receiver->Deliver(what); }, Qt::QueuedConnection);
    }
    if (event == CTRL_CLOSE_EVENT && g_runEnded != nullptr) {
        // Windows ends the process when this returns, and at the latest after five seconds: the
        // unit under way gets what is left of them to keep its record and log line.
        WaitForSingleObject(g_runEnded, 4500);
    }
    return TRUE;
}
#else
int g_pipe[2] = {-1, -1};  // a signal handler may only write; the event loop reads the other end

void OnSignal(int signal)
{
    const auto byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}
#endif

}  // namespace

void IgnoreWriteSignals()
{
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void TakeStopSignals([[maybe_unused]] void (*handler)(int), [[maybe_unused]] bool restartReads)
{
#ifndef _WIN32
    struct sigaction action {};
    action.sa_handler = handler;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = restartReads ? SA_RESTART : 0;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    struct sigaction hangUp {};
    if (::sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN) {
        ::sigaction(SIGHUP, &action, nullptr);
    }
#endif
}

QString StopSignals::Name(int signal)
{
    switch (signal) {
    case SIGINT:
        return QStringLiteral("Ctrl-C");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
#ifndef _WIN32
    case SIGHUP:
        return QStringLiteral("SIGHUP (the terminal closed)");
#endif
    default:
        return QStringLiteral("signal %1").arg(signal);
    }
}

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{
#ifdef _WIN32
    g_receiver = this;
    g_runEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        if (::read(g_pipe[0], &byte, 1) == 1) {
            Deliver(Name(static_cast<unsigned char>(byte)));
        }
    });
    TakeStopSignals(OnSignal, true);
#endif
}

StopSignals::~StopSignals()
{
#ifdef _WIN32
    if (g_runEnded != nullptr) {
        SetEvent(g_runEnded);
    }
#endif
}

void StopSignals::Deliver(const QString& what)
{
    emit stopRequested(++m_count, what);
}

}  // namespace q42::ctl
