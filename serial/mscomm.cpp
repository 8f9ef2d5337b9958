// SPDX-License-Identifier: MIT
#include "mscomm.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "comm_error.h"
#include "open_error.h"
#include "port_inventory.h"

namespace q42 {

namespace {

[[noreturn]] void Throw(CommErrorKind kind, const QString& text, bool listsPorts = false)
{
    throw CommError(kind, text.toStdString(), listsPorts);
}

// The device exists and this user may read and write it: then a refused open means another
// program holds it, not a missing permission. (Windows names no COM port as a file, and its text
// for a refused port does not ask.)
bool MayAccess(const QString& device)
{
    const QFileInfo file(device);
    return file.exists() && file.isReadable() && file.isWritable();
}

// Empties both directions of a port just opened. On Windows, QSerialPort::clear() purges with the
// abort flags, which cancel the wait for data Qt keeps pending from the open; the cancelled wait
// then comes back as a resource error, the same as a pulled adapter (Windows does so, and Wine 10).
// The buffers are emptied there without cancelling anything.
void DropStaleBytes(QSerialPort& port)
{
#ifdef Q_OS_WIN
    ::PurgeComm(reinterpret_cast<HANDLE>(port.handle()), PURGE_RXCLEAR | PURGE_TXCLEAR);
#else
    port.clear(QSerialPort::AllDirections);
#endif
    // What Qt itself read before the purge.
    port.readAll();
}

}  // namespace

bool MeansDeviceLost(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError || error == QSerialPort::WriteError;
}

CMSComm::CMSComm(QObject* parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &CMSComm::handleReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CMSComm::handleError);
    connect(&m_lineEnd, &LineEndWatch::ended, this, &CMSComm::loseDevice);
}

QString CMSComm::PortLabel() const
{
    return m_fixedDevice.isEmpty() ? PortName(m_portNumber) : m_fixedDevice;
}

void CMSComm::CommDevice(const QString& device)
{
    if (m_port.isOpen()) {
        Throw(CommErrorKind::Other, QStringLiteral("%1: the device cannot change while %2 is open.").arg(PortLabel(), m_deviceName));
    }
    m_fixedDevice = device;
}

void CMSComm::CommPort(int portNumber)
{
    if (m_port.isOpen()) {
        Throw(CommErrorKind::Other, QStringLiteral("%1: the port number cannot change while %2 is open.").arg(PortLabel(), m_deviceName));
    }
    m_portNumber = portNumber;
}

bool CMSComm::PortOpen() const
{
    return m_port.isOpen();
}

void CMSComm::PortOpen(bool open)
{
    if (!open) {
        m_lineEnd.Stop();
        m_port.close();
        return;
    }
    if (m_port.isOpen()) {
        return;
    }
    // Looked up afresh at every open, so an adapter plugged in after start-up is found.
    m_deviceName = m_fixedDevice.isEmpty() ? ResolvePortName(m_portNumber) : m_fixedDevice;
    m_port.setPortName(m_deviceName);
    // QSerialPort opens at 8N1 without flow control, the unit's line, whatever the device was left at.
    m_port.setBaudRate(m_baudRate);
    if (!m_port.open(QIODevice::ReadWrite)) {
        throwOpenError(m_port.error());
    }
    // Bytes the device held before we opened it are not an answer to anything we sent.
    DropStaleBytes(m_port);
    if (m_port.isOpen()) {  // a line that ended at once is closed already, and said so
        m_lineEnd.Watch(m_port.handle());
    }
}

void CMSComm::throwOpenError(QSerialPort::SerialPortError error) const
{
    // "COM1: the device /dev/ttyUSB0" for a port number, saying where the path came from so that a
    // mistyped variable is easy to find; "/dev/ttyUSB0: the device" when the device was named directly.
    OpenFailure failure{error, QStringLiteral("%1: the device").arg(m_deviceName), MayAccess(m_deviceName),
                        m_port.errorString(), {}};
    if (m_fixedDevice.isEmpty()) {
        const QString variable = PortVariable(m_portNumber);
        failure.subject = QStringLiteral("%1: the device %2").arg(PortLabel(), m_deviceName);
        if (!SystemEnvironment(variable).isEmpty()) {
            failure.subject += QStringLiteral(" (set by %1)").arg(variable);
        }
    }
    if (error == QSerialPort::DeviceNotFoundError) {
        const PortsNow now = DescribePortsNow();
        failure.portsNow = now.text;
        failure.portsListed = now.any;
    }
    throw CommError(OpenErrorKind(failure), OpenErrorParts(failure), failure.portsListed);
}

void CMSComm::Settings(const QString& settings)
{
    const QStringList fields = settings.split(QLatin1Char(','));
    const bool lineOk = fields.size() == 4 && fields[1].compare(QLatin1String("n"), Qt::CaseInsensitive) == 0 &&
                        fields[2] == QLatin1String("8") && fields[3] == QLatin1String("1");
    const int baud = fields.value(0).toInt();
    if (!lineOk || (baud != 9600 && baud != 57600)) {
        Throw(CommErrorKind::Unsupported, QStringLiteral("%1: the line settings \"%2\" are not supported; the unit talks at 9600,n,8,1 or "
                             "57600,n,8,1.")
                  .arg(PortLabel(), settings));
    }
    m_baudRate = baud;
    if (m_port.isOpen() && !m_port.setBaudRate(baud)) {
        Throw(CommErrorKind::Unsupported, QStringLiteral("%1: the device %2 refused %3 baud: %4.")
                  .arg(PortLabel(), m_deviceName)
                  .arg(baud)
                  .arg(m_port.errorString()));
    }
}

void CMSComm::Output(std::string_view text)
{
    if (!m_port.isOpen()) {
        Throw(CommErrorKind::NotOpen, QStringLiteral("%1: the port is not open, so nothing was sent.").arg(PortLabel()));
    }
    // A write to a line that is gone can look taken; the frame must not be reported as sent.
    if (const QString why = LineEndReason(m_port.handle()); !why.isEmpty()) {
        loseDevice(why);
        Throw(CommErrorKind::WriteRefused, QStringLiteral("%1: writing to %2 failed: %3.").arg(PortLabel(), m_deviceName, why));
    }
    const auto size = static_cast<qint64>(text.size());
    // Handed to the driver at once, so a frame is never lost in our buffer if the window closes next.
    if (m_port.write(text.data(), size) != size || !m_port.flush()) {
        Throw(CommErrorKind::WriteRefused, QStringLiteral("%1: writing to %2 failed: %3.").arg(PortLabel(), m_deviceName, m_port.errorString()));
    }
    if (m_tap) {
        m_tap(Direction::Sent, QByteArray(text.data(), size));
    }
}

QByteArray CMSComm::Input()
{
    if (!m_port.isOpen()) {
        return {};
    }
    const QByteArray bytes = m_port.readAll();
    if (m_tap && !bytes.isEmpty()) {
        m_tap(Direction::Received, bytes);
    }
    return bytes;
}

void CMSComm::handleReadyRead()
{
    if (m_rThreshold > 0 && m_port.bytesAvailable() >= m_rThreshold) {
        raise(comEvReceive);
    }
}

void CMSComm::handleError(QSerialPort::SerialPortError error)
{
    if (!m_port.isOpen() || !MeansDeviceLost(error)) {
        return;
    }
    if (kWindowsPortNames && error == QSerialPort::ResourceError && reopenAfterAbort()) {
        return;
    }
    // The handle's own word first, so a hang-up reads the same whatever Qt made of it.
    const QString seen = LineEndReason(m_port.handle());
    loseDevice(seen.isEmpty() ? m_port.errorString() : seen);
}

bool CMSComm::reopenAfterAbort()
{
    // Qt takes ERROR_OPERATION_ABORTED for a lost device and stops reading after it; only a device
    // that no longer opens is gone. Bytes on their way meanwhile are the exchange's to ask again.
    if (m_lastReopen.isValid() && m_lastReopen.elapsed() < 1000) {
        return false;
    }
    m_lastReopen.start();
    const QString why = m_port.errorString();
    m_port.close();
    if (m_port.open(QIODevice::ReadWrite)) {
        return true;
    }
    reportLost(why);
    return true;
}

void CMSComm::loseDevice(const QString& why)
{
    if (!m_port.isOpen()) {
        return;
    }
    // Close at the first sign: a hung-up device otherwise reports read errors in a tight loop.
    m_lineEnd.Stop();
    m_port.close();
    reportLost(why);
}

void CMSComm::reportLost(const QString& why)
{
    m_eventDescription = QStringLiteral("%1: the device %2 went away (%3). Check the cable or plug the adapter "
                                        "back in, then start again.")
                             .arg(PortLabel(), m_deviceName, why);
    raise(comEvDeviceLost);
}

void CMSComm::raise(int commEvent)
{
    m_commEvent = commEvent;
    emit OnComm();
}

}  // namespace q42
