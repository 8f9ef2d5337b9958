// SPDX-License-Identifier: MIT
#include "line_end_watch.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace q42 {

QString LineEndReason(PortHandle handle)
{
#ifdef Q_OS_UNIX
    if (handle < 0) {
        return {};
    }
    // Asks for nothing: the hang-up, error and invalid states are reported whatever is asked, and
    // asking for input would tell a hung-up line from one with no bytes waiting no better.
    pollfd line{handle, 0, 0};
    if (::poll(&line, 1, 0) <= 0) {
        return {};
    }
    if (line.revents & POLLNVAL) {
        return QStringLiteral("the port was closed under us");
    }
    if (line.revents & POLLHUP) {
        return QStringLiteral("the line hung up");
    }
    if (line.revents & POLLERR) {
        return QStringLiteral("the device reported an error");
    }
    return {};
#else
    Q_UNUSED(handle);
    return {};
#endif
}

LineEndWatch::LineEndWatch(QObject* parent)
    : QObject(parent)
{
    m_rearm.setSingleShot(true);
    m_rearm.setInterval(100);
    connect(&m_rearm, &QTimer::timeout, this, [this] {
        if (m_notifier) {
            m_notifier->setEnabled(true);
        }
    });
}

LineEndWatch::~LineEndWatch() = default;

void LineEndWatch::Watch(PortHandle handle)
{
    Stop();
#ifdef Q_OS_UNIX
    m_handle = handle;
    // An exception notifier wakes on a hang-up or an error and, on a serial line, on nothing else,
    // so it costs nothing while the line is up and leaves reading to Qt's own read notifier.
    m_notifier = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Exception);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &LineEndWatch::check);
#else
    Q_UNUSED(handle);
#endif
}

void LineEndWatch::Stop()
{
    m_rearm.stop();
    m_notifier.reset();
    m_handle.reset();
}

void LineEndWatch::check()
{
    if (!m_handle) {
        return;
    }
    const QString reason = LineEndReason(*m_handle);
    if (reason.isEmpty()) {
        m_notifier->setEnabled(false);
        m_rearm.start();
        return;
    }
    Stop();
    emit ended(reason);
}

}  // namespace q42
