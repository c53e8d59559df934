#include "platform/serial/serial_line.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTimer>

#include <unistd.h>

namespace qb {

QString comPortDevice(int index) { return QStringLiteral("/dev/ttyS%1").arg(index); }

QStringList serialDevices()
{
    QStringList out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        out << info.systemLocation();
    out.removeDuplicates();
    out.sort();
    return out;
}

SerialLine::SerialLine() = default;
SerialLine::~SerialLine() { close(); }

bool SerialLine::isOpen() const { return port_ && port_->isOpen(); }

bool SerialLine::open(const QString& device)
{
    close();
    failure_.clear();
    if (!QFileInfo::exists(device)) {
        failure_ = QStringLiteral("There is no such port on this computer.");
        return false;
    }
    port_ = std::make_unique<QSerialPort>(device);
    if (port_->open(QIODevice::WriteOnly))
        return true;

    switch (port_->error()) {
    case QSerialPort::DeviceNotFoundError:
        failure_ = QStringLiteral("There is no such port on this computer.");
        break;
    case QSerialPort::PermissionError:
        // Qt refuses a port another program has locked, and the system refuses
        // one the user may not write to; only the second shows in the file's access.
        if (::access(QFile::encodeName(device).constData(), W_OK) != 0)
            failure_ = QStringLiteral("You may not use this port. Ask for your account to be added to the group \"dialout\".");
        else
            failure_ = QStringLiteral("The port is in use by another program.");
        break;
    default:
        failure_ = port_->errorString();
        break;
    }
    port_.reset();
    return false;
}

bool SerialLine::write(const QByteArray& bytes, int timeoutMs)
{
    if (!isOpen()) {
        failure_ = QStringLiteral("The port is not open.");
        return false;
    }
    if (port_->write(bytes) != bytes.size()) {
        failure_ = port_->errorString();
        return false;
    }
    // The bytes leave through the event loop; wait for them while the window
    // stays responsive, giving up when the port takes nothing for a while.
    QElapsedTimer idle;
    idle.start();
    qint64 pending = port_->bytesToWrite();
    while (pending > 0) {
        if (port_->error() != QSerialPort::NoError)
            break;
        QEventLoop loop;
        QTimer tick;
        tick.setSingleShot(true);
        QObject::connect(port_.get(), &QSerialPort::bytesWritten, &loop, &QEventLoop::quit);
        QObject::connect(port_.get(), &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
        QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
        tick.start(std::max<qint64>(1, timeoutMs - idle.elapsed()));
        loop.exec();
        const qint64 now = port_->bytesToWrite();
        if (now < pending)
            idle.restart();
        else if (idle.elapsed() >= timeoutMs) {
            failure_ = QStringLiteral("The port took nothing for %1 seconds.").arg(timeoutMs / 1000.0);
            return false;
        }
        pending = now;
    }
    if (port_->error() != QSerialPort::NoError) {
        failure_ = port_->errorString();
        return false;
    }
    return true;
}

void SerialLine::close()
{
    if (port_) {
        port_->close();
        port_.reset();
    }
}

} // namespace qb
