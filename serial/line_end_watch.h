// SPDX-License-Identifier: MIT
// Notices the end of an open line (the cable pulled, the adapter unplugged, the other side hung up)
// from the port's own handle. Qt SerialPort's releases differ here: some raise a read error at a
// hang-up and some do not, and then their read notifier fires on and on over a line that is gone.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

class QSocketNotifier;

namespace q42 {

// What QSerialPort::handle() gives: a file descriptor on Unix, a HANDLE on Windows (its own name for
// the type is private).
using PortHandle = decltype(std::declval<const QSerialPort&>().handle());

// Why the line behind an open port's handle has ended, or empty while it is still there. Asks the
// system about the handle and reads nothing from it. Always empty on Windows, whose serial layer
// reports a lost device itself.
QString LineEndReason(PortHandle handle);

class LineEndWatch : public QObject {
    Q_OBJECT

public:
    explicit LineEndWatch(QObject* parent = nullptr);
    ~LineEndWatch() override;

    // Watches the handle of a port just opened; the port stays Qt's to read and write.
    void Watch(PortHandle handle);
    // Before the port is closed, so that nothing watches a handle the system may give out again.
    void Stop();

signals:
    // The line ended; raised once a Watch, on the owner's thread.
    void ended(const QString& reason);

private:
    void check();

    std::optional<PortHandle> m_handle;  // while watched
    std::unique_ptr<QSocketNotifier> m_notifier;
    // A wake-up that was no line end is not taken again at once, so it can never spin.
    QTimer m_rearm;
};

}  // namespace q42
