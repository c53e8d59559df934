#include "platform/telephony/telephony_line.h"

#include "platform/telephony/modemmanager_line.h"
#include "platform/telephony/ofono_line.h"

#include <QMetaObject>

namespace qb {
namespace {

// A line that never opened.
class ClosedLine : public TelephonyLine {
public:
    explicit ClosedLine(const QString& why) { setFailure(why); }
};

} // namespace

TelephonyLine::~TelephonyLine() = default;

bool TelephonyLine::makeCall(const QString&) { return false; }
bool TelephonyLine::drop() { return false; }

void TelephonyLine::setOpen(const QString& description)
{
    open_ = true;
    failure_.clear();
    description_ = description;
}

void TelephonyLine::setFailure(const QString& failure)
{
    open_ = false;
    failure_ = failure;
}

void TelephonyLine::post(const CallEvent& event)
{
    QMetaObject::invokeMethod(this, [this, event] { Q_EMIT callStateChanged(event); }, Qt::QueuedConnection);
}

void TelephonyLine::postReply(bool accepted)
{
    QMetaObject::invokeMethod(this, [this, accepted] { Q_EMIT replied(accepted); }, Qt::QueuedConnection);
}

void TelephonyLine::postIdle()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!call_)
                return;
            call_ = false;
            Q_EMIT callStateChanged(CallEvent{CallState::Idle, DisconnectMode::Normal, {}});
        },
        Qt::QueuedConnection);
}

void TelephonyLine::loseLine(const QString& why)
{
    if (!open_)
        return;
    setFailure(noDevices());
    call_ = false;
    Q_EMIT lost(why);
}

std::unique_ptr<TelephonyLine> openTelephonyLine(const QDBusConnection& bus)
{
    qRegisterMetaType<CallEvent>();
    if (!bus.isConnected())
        return std::make_unique<ClosedLine>(TelephonyLine::noDevices());

    // A modem that is there but cannot call is worth saying; an absent
    // service is not, as the other one may still have a modem.
    QString modemManagerWhy, ofonoWhy;
    if (auto line = ModemManagerLine::open(bus, modemManagerWhy))
        return line;
    if (auto line = OfonoLine::open(bus, ofonoWhy))
        return line;
    const QString why = !modemManagerWhy.isEmpty() ? modemManagerWhy
                        : !ofonoWhy.isEmpty()      ? ofonoWhy
                                                   : TelephonyLine::noDevices();
    return std::make_unique<ClosedLine>(why);
}

std::unique_ptr<TelephonyLine> openTelephonyLine() { return openTelephonyLine(QDBusConnection::systemBus()); }

} // namespace qb
