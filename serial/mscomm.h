// SPDX-License-Identifier: MIT
// The serial port component: the handful of operations the window and q42ctl ask of a port, on
// QSerialPort.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QString>

#include <functional>
#include <string_view>

#include "comm_event.h"
#include "line_end_watch.h"

namespace q42 {

class CMSComm : public QObject {
    Q_OBJECT

public:
    // What CommEvent reads after OnComm.
    using enum CommEventKind;

    explicit CMSComm(QObject* parent = nullptr);

    // Port number 1-255; written only while the port is closed.
    void CommPort(int portNumber);
    // Opens this device (a path, or COMn on Windows) instead of the one the port number reaches;
    // empty goes back to the number. Written only while the port is closed.
    void CommDevice(const QString& device);

    bool PortOpen() const;
    // true opens the device the port number reaches now; false closes it. Throws CommError.
    void PortOpen(bool open);

    // "57600,n,8,1" or "9600,n,8,1"; applies at once to an open port. Throws CommError.
    void Settings(const QString& settings);

    // Sends the text's characters as bytes. Throws CommError when the port is not open or the write fails.
    void Output(std::string_view text);

    // Returns and removes every byte waiting, as it came: QSerialPort has no text mode to switch off.
    QByteArray Input();

    int CommEvent() const { return m_commEvent; }
    // Raise comEvReceive once this many bytes wait; 0 raises none.
    void RThreshold(int threshold) { m_rThreshold = threshold; }

    // The device the last open reached, for messages.
    QString DeviceName() const { return m_deviceName; }
    // How messages name the port: "COM12" for a port number, else the device given.
    QString PortLabel() const;
    // Why the last non-receive event was raised, in a technician's words.
    QString EventDescription() const { return m_eventDescription; }

    // Sees every frame as it goes out and every piece as it is read, in order: a trace of the line is
    // a view of these bytes, never a second way to send or read them.
    enum class Direction { Sent, Received };
    using Tap = std::function<void(Direction direction, const QByteArray& bytes)>;
    void SetTap(Tap tap) { m_tap = std::move(tap); }

signals:
    // Raised on the owner's thread when bytes wait (CommEvent 2) or the line reports a problem.
    void OnComm();

private:
    void handleReadyRead();
    void handleError(QSerialPort::SerialPortError error);
    // Closes the port at once and raises comEvDeviceLost; why says what was seen.
    void loseDevice(const QString& why);
    // Windows: an operation the system ended as aborted while the device is still there. Reopens the
    // port, at most once a second; false when it does not open (the adapter is gone) or aborts again.
    bool reopenAfterAbort();
    // The port is closed: says why and raises comEvDeviceLost.
    void reportLost(const QString& why);
    void raise(int commEvent);
    [[noreturn]] void throwOpenError(QSerialPort::SerialPortError error) const;

    QSerialPort m_port;
    LineEndWatch m_lineEnd;
    int m_portNumber = 1;
    QString m_fixedDevice;
    qint32 m_baudRate = 9600;
    int m_rThreshold = 0;
    int m_commEvent = 0;
    QString m_deviceName;
    QString m_eventDescription;
    Tap m_tap;
    QElapsedTimer m_lastReopen;
};

// An error of an open port after which it cannot be used again: the cable was pulled, the adapter
// unplugged, the device hung up. Any other error leaves the port as it was.
bool MeansDeviceLost(QSerialPort::SerialPortError error);

}  // namespace q42
