// SPDX-License-Identifier: MIT
#include "stop_signals.h"

#include <QPointer>

#ifdef _WIN32
#include <windows.h>
#else
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace q42::ctl {

namespace {

#ifdef _WIN32
QPointer<StopSignals> g_receiver;  // the console's handler runs on a thread of its own

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    if (StopSignals* receiver = g_receiver.data()) {
        QMetaObject::invokeMethod(receiver, [receiver] { receiver->Deliver(); }, Qt::QueuedConnection);
    }
    return TRUE;
}
#else
int g_pipe[2] = {-1, -1};  // a signal handler may only write; the event loop reads the other end

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}
#endif

}  // namespace

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{
#ifdef _WIN32
    g_receiver = this;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        if (::read(g_pipe[0], &byte, 1) == 1) {
            Deliver();
        }
    });
    struct sigaction action{};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
#endif
}

void StopSignals::Deliver()
{
    emit stopRequested(++m_count);
}

}  // namespace q42::ctl
