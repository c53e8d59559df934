#include "dialer/tdialer.h"

#include "core/messages.h"
#include "dialer/dial_string.h"
#include "platform/serial/serial_line.h"

#include <QEventLoop>
#include <QTimer>

namespace qb {

TDialer::TDialer(QObject* parent) : QObject(parent) {}

QString TDialer::portDevice() const { return device_.isEmpty() ? comPortDevice(comPort_) : device_; }

QString TDialer::portName() const
{
    if (!device_.isEmpty())
        return device_;
    return QStringLiteral("COM%1 (%2)").arg(int(comPort_) + 1).arg(portDevice());
}

void TDialer::waitProcessingEvents(int ms)
{
    if (cancelled_)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    connect(this, &TDialer::cancelRequested, &loop, &QEventLoop::quit);
    loop.exec();
}

void TDialer::cancel()
{
    cancelled_ = true;
    Q_EMIT cancelRequested();
}

TDialer::Result TDialer::Dial()
{
    cancelled_ = false;
    const QString refusal = dialStringRefusal(number_, kModemDialLength);
    if (!refusal.isEmpty()) {
        showInformation(refusal);
        return Result::Refused;
    }
    const QString initRefusal = initStringRefusal(init_);
    if (!initRefusal.isEmpty()) {
        showInformation(initRefusal);
        return Result::Refused;
    }
    if (confirm_ && !askQuestion(QStringLiteral("About to dial the number ") + number_ + QStringLiteral(". Are you sure?"),
                                 QStringLiteral("Dial")))
        return Result::Declined;

    SerialLine line;
    if (!line.open(portDevice())) {
        showInformation(QStringLiteral("Unable to open ") + portName() + QStringLiteral("\r\n") + line.failure(),
                        QStringLiteral("Error"));
        return Result::PortFailed;
    }
    const auto failed = [&line] {
        showInformation(QStringLiteral("Unable to dial number\r\n") + line.failure(), QStringLiteral("Error"));
        return Result::WriteFailed;
    };

    if (!init_.isEmpty()) {
        if (init_.left(2).toUpper() != QLatin1String("AT"))
            init_.prepend(QStringLiteral("AT"));
        if (!send(line, init_.toLatin1() + "\r\n"))
            return failed();
        if (!cancelled_)
            waiter_(InitWaitMs);
        if (cancelled_)
            return Result::Cancelled;
    }
    const QByteArray dial = QByteArray(method_ == dmPulse ? "ATDP" : "ATDT") + number_.toLatin1() + "\r\n";
    if (!send(line, dial))
        return failed();
    if (cancelled_) {
        // The modem is dialling: it hangs up before anyone is called.
        send(line, "ATH\r\n");
        return Result::Cancelled;
    }

    showInformation(QStringLiteral("Pick up phone"));
    // The handset has the line now; should the port have gone meanwhile there
    // is nothing left to tell the user.
    send(line, "ATH\r\n");
    line.close();
    return Result::Dialled;
}

bool TDialer::send(SerialLine& line, const QByteArray& command)
{
    if (!line.write(command))
        return false;
    Q_EMIT commandSent(command);
    return true;
}

} // namespace qb
