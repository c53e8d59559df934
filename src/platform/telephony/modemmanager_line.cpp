#include "platform/telephony/modemmanager_line.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QMap>

namespace qb {
namespace {

const QString kService = QStringLiteral("org.freedesktop.ModemManager1");
const QString kRoot = QStringLiteral("/org/freedesktop/ModemManager1");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kModem = QStringLiteral("org.freedesktop.ModemManager1.Modem");
const QString kVoice = QStringLiteral("org.freedesktop.ModemManager1.Modem.Voice");
const QString kCall = QStringLiteral("org.freedesktop.ModemManager1.Call");

// MMModemState: from ENABLED on, a modem can be asked to call.
constexpr int kModemEnabled = 6;

// MMCallState and MMCallStateReason.
enum : int { kDialing = 1, kRingingOut = 2, kActive = 4, kTerminated = 7 };
enum : uint { kReasonTerminated = 4, kReasonRefusedOrBusy = 5 };

constexpr int kProbeTimeoutMs = 5000;

DisconnectMode disconnectMode(uint reason)
{
    switch (reason) {
    case kReasonTerminated: return DisconnectMode::Normal;
    case kReasonRefusedOrBusy: return DisconnectMode::Busy;
    default: return DisconnectMode::Other;
    }
}

} // namespace

std::unique_ptr<ModemManagerLine> ModemManagerLine::open(const QDBusConnection& bus, QString& why)
{
    // Asking an absent service would start it, or wait for nobody.
    if (!bus.interface() || !bus.interface()->isServiceRegistered(kService))
        return nullptr;

    QDBusMessage ask = QDBusMessage::createMethodCall(kService, kRoot, kObjectManager, QStringLiteral("GetManagedObjects"));
    const QDBusMessage reply = bus.call(ask, QDBus::Block, kProbeTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return nullptr;

    // a{oa{sa{sv}}}: object path -> interface -> property -> value
    QMap<QString, QMap<QString, QVariantMap>> objects;
    const QDBusArgument arg = reply.arguments().constFirst().value<QDBusArgument>();
    arg.beginMap();
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        QMap<QString, QVariantMap> interfaces;
        arg.beginMapEntry();
        arg >> path >> interfaces;
        arg.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    arg.endMap();

    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (!it->contains(kVoice))
            continue;
        const int state = it->value(kModem).value(QStringLiteral("State"), kModemEnabled).toInt();
        if (state < kModemEnabled) {
            why = TelephonyLine::cannotOpen();
            continue;
        }
        return std::unique_ptr<ModemManagerLine>(new ModemManagerLine(bus, it.key()));
    }
    return nullptr;
}

ModemManagerLine::ModemManagerLine(const QDBusConnection& bus, const QString& modem)
    : bus_(bus), modem_(modem), watcher_(kService, bus, QDBusServiceWatcher::WatchForUnregistration)
{
    setOpen(QStringLiteral("ModemManager ") + modem);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { loseLine(QStringLiteral("* The telephony service has stopped")); });
    bus_.connect(kService, kRoot, kObjectManager, QStringLiteral("InterfacesRemoved"), this,
                 SLOT(InterfacesRemoved(QDBusObjectPath, QStringList)));
}

ModemManagerLine::~ModemManagerLine()
{
    // Closing the line ends a call still on it, as shutting the line down would.
    if (isOpen() && !callPath_.isEmpty()) {
        QDBusMessage remove = QDBusMessage::createMethodCall(kService, modem_, kVoice, QStringLiteral("DeleteCall"));
        remove << QVariant::fromValue(QDBusObjectPath(callPath_));
        bus_.send(remove);
    }
    watchCall(false);
}

bool ModemManagerLine::makeCall(const QString& number)
{
    if (!isOpen() || callInProgress())
        return false;
    setCallInProgress(true);
    number_ = number;
    callPath_.clear();
    terminated_ = dropping_ = false;

    QDBusMessage create = QDBusMessage::createMethodCall(kService, modem_, kVoice, QStringLiteral("CreateCall"));
    create << QVariantMap{{QStringLiteral("number"), number}};
    auto* w = new QDBusPendingCallWatcher(bus_.asyncCall(create), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, &ModemManagerLine::created);
    return true;
}

void ModemManagerLine::created(QDBusPendingCallWatcher* w)
{
    w->deleteLater();
    if (!isOpen())
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = *w;
    if (reply.isError()) {
        postReply(false);
        postIdle();
        return;
    }
    callPath_ = reply.value().path();
    watchCall(true);
    if (dropping_) {
        finishCall();
        return;
    }
    QDBusMessage start = QDBusMessage::createMethodCall(kService, callPath_, kCall, QStringLiteral("Start"));
    auto* s = new QDBusPendingCallWatcher(bus_.asyncCall(start), this);
    connect(s, &QDBusPendingCallWatcher::finished, this, &ModemManagerLine::started);
}

void ModemManagerLine::started(QDBusPendingCallWatcher* w)
{
    w->deleteLater();
    if (!isOpen())
        return;
    const bool ok = !w->isError();
    postReply(ok);
    // A call that failed to start has ended, whether or not the service said so.
    if (!ok && !terminated_ && !dropping_) {
        terminated_ = true;
        post({CallState::Disconnected, DisconnectMode::Other, {}});
    }
}

void ModemManagerLine::CallStateChanged(int, int newState, uint reason)
{
    if (!isOpen() || callPath_.isEmpty() || terminated_)
        return;
    switch (newState) {
    case kDialing: post({CallState::Dialing, {}, {}}); break;
    case kRingingOut: post({CallState::Proceeding, {}, {}}); break;
    case kActive: post({CallState::Connected, {}, number_}); break;
    case kTerminated:
        terminated_ = true;
        if (dropping_)
            finishCall();
        else
            post({CallState::Disconnected, disconnectMode(reason), {}});
        break;
    default: break;   // held, waiting, incoming: not a state of our outgoing call
    }
}

bool ModemManagerLine::drop()
{
    if (!isOpen() || !callInProgress())
        return false;
    if (callPath_.isEmpty() || terminated_) {
        // Not created yet (created() finishes it) or already over.
        dropping_ = true;
        if (!callPath_.isEmpty())
            finishCall();
        return true;
    }
    dropping_ = true;
    QDBusMessage hangup = QDBusMessage::createMethodCall(kService, callPath_, kCall, QStringLiteral("Hangup"));
    auto* w = new QDBusPendingCallWatcher(bus_.asyncCall(hangup), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, &ModemManagerLine::hungUp);
    return true;
}

void ModemManagerLine::hungUp(QDBusPendingCallWatcher* w)
{
    w->deleteLater();
    if (!isOpen() || !w->isError())
        return;
    dropping_ = false;
    postReply(false);
}

void ModemManagerLine::InterfacesRemoved(const QDBusObjectPath& path, const QStringList&)
{
    if (path.path() == modem_)
        loseLine(QStringLiteral("* The modem has been removed"));
}

void ModemManagerLine::watchCall(bool on)
{
    if (callPath_.isEmpty())
        return;
    if (on)
        bus_.connect(kService, callPath_, kCall, QStringLiteral("StateChanged"), this,
                     SLOT(CallStateChanged(int, int, uint)));
    else
        bus_.disconnect(kService, callPath_, kCall, QStringLiteral("StateChanged"), this,
                        SLOT(CallStateChanged(int, int, uint)));
}

void ModemManagerLine::finishCall()
{
    watchCall(false);
    QDBusMessage remove = QDBusMessage::createMethodCall(kService, modem_, kVoice, QStringLiteral("DeleteCall"));
    remove << QVariant::fromValue(QDBusObjectPath(callPath_));
    bus_.send(remove);
    callPath_.clear();
    postIdle();
}

} // namespace qb
