#include "platform/telephony/ofono_line.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace qb {
namespace {

const QString kService = QStringLiteral("org.ofono");
const QString kManager = QStringLiteral("org.ofono.Manager");
const QString kCallManager = QStringLiteral("org.ofono.VoiceCallManager");
const QString kCall = QStringLiteral("org.ofono.VoiceCall");

constexpr int kProbeTimeoutMs = 5000;

// "network" is a release by the network: a busy number, a bad number, no
// service. "local" and "remote" are someone hanging up.
DisconnectMode disconnectMode(const QString& reason)
{
    return reason == QLatin1String("network") ? DisconnectMode::Other : DisconnectMode::Normal;
}

// Dial answers with the call's object path; some implementations send it as a string.
QString pathArgument(const QVariant& v)
{
    if (v.userType() == qMetaTypeId<QDBusObjectPath>())
        return v.value<QDBusObjectPath>().path();
    return v.toString();
}

} // namespace

std::unique_ptr<OfonoLine> OfonoLine::open(const QDBusConnection& bus, QString& why)
{
    if (!bus.interface() || !bus.interface()->isServiceRegistered(kService))
        return nullptr;
    QDBusMessage ask = QDBusMessage::createMethodCall(kService, QStringLiteral("/"), kManager, QStringLiteral("GetModems"));
    const QDBusMessage reply = bus.call(ask, QDBus::Block, kProbeTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return nullptr;

    // a(oa{sv}): each modem with its properties, in oFono's order.
    const QDBusArgument arg = reply.arguments().constFirst().value<QDBusArgument>();
    arg.beginArray();
    std::unique_ptr<OfonoLine> line;
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        QVariantMap properties;
        arg.beginStructure();
        arg >> path >> properties;
        arg.endStructure();
        if (line)
            continue;
        const QVariant interfaces = properties.value(QStringLiteral("Interfaces"));
        const QStringList names = interfaces.userType() == qMetaTypeId<QDBusArgument>()
                                      ? qdbus_cast<QStringList>(interfaces.value<QDBusArgument>())
                                      : interfaces.toStringList();
        if (!names.contains(kCallManager))
            continue;
        if (!properties.value(QStringLiteral("Powered")).toBool() || !properties.value(QStringLiteral("Online")).toBool()) {
            why = TelephonyLine::cannotOpen();
            continue;
        }
        line.reset(new OfonoLine(bus, path.path()));
    }
    arg.endArray();
    return line;
}

OfonoLine::OfonoLine(const QDBusConnection& bus, const QString& modem)
    : bus_(bus), modem_(modem), watcher_(kService, bus, QDBusServiceWatcher::WatchForUnregistration)
{
    setOpen(QStringLiteral("oFono ") + modem);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { loseLine(QStringLiteral("* The telephony service has stopped")); });
    bus_.connect(kService, QStringLiteral("/"), kManager, QStringLiteral("ModemRemoved"), this,
                 SLOT(ModemRemoved(QDBusObjectPath)));
    bus_.connect(kService, modem_, kCallManager, QStringLiteral("CallAdded"), this,
                 SLOT(CallAdded(QDBusObjectPath, QVariantMap)));
    // Every call's signals: ours may speak before Dial has said which it is.
    // CallRemoved is the modem's, but is taken from any object: the argument
    // names the call, and not every implementation sends it from the modem.
    bus_.connect(kService, QString(), kCallManager, QStringLiteral("CallRemoved"), this, SLOT(CallRemoved(QDBusObjectPath)));
    bus_.connect(kService, QString(), kCall, QStringLiteral("PropertyChanged"), this, SLOT(CallPropertyChanged(QDBusMessage)));
    bus_.connect(kService, QString(), kCall, QStringLiteral("DisconnectReason"), this,
                 SLOT(CallDisconnectReason(QDBusMessage)));
}

OfonoLine::~OfonoLine()
{
    // Closing the line ends a call still on it, as shutting the line down would.
    if (isOpen() && callInProgress() && !callPath_.isEmpty() && !over_)
        bus_.send(QDBusMessage::createMethodCall(kService, callPath_, kCall, QStringLiteral("Hangup")));
}

bool OfonoLine::makeCall(const QString& number)
{
    if (!isOpen() || callInProgress())
        return false;
    setCallInProgress(true);
    number_ = number;
    callPath_.clear();
    lastState_.clear();
    calls_.clear();
    over_ = dropping_ = false;

    QDBusMessage dial = QDBusMessage::createMethodCall(kService, modem_, kCallManager, QStringLiteral("Dial"));
    dial << number << QString();
    auto* w = new QDBusPendingCallWatcher(bus_.asyncCall(dial), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, &OfonoLine::dialled);
    return true;
}

void OfonoLine::dialled(QDBusPendingCallWatcher* w)
{
    w->deleteLater();
    if (!isOpen())
        return;
    const QDBusMessage reply = w->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        postReply(false);
        postIdle();
        return;
    }
    callPath_ = pathArgument(reply.arguments().constFirst());
    postReply(true);
    if (dropping_) {
        dropping_ = false;
        drop();
        return;
    }
    if (!calls_.value(callPath_).state.isEmpty()) {
        stateOfOurCall(callPath_);
        return;
    }
    // The announcement may have come before the bus knew whom to listen to
    // (a line opened a moment ago): ask the call itself.
    auto* ask = new QDBusPendingCallWatcher(
        bus_.asyncCall(QDBusMessage::createMethodCall(kService, callPath_, kCall, QStringLiteral("GetProperties"))), this);
    connect(ask, &QDBusPendingCallWatcher::finished, this, &OfonoLine::gotProperties);
}

void OfonoLine::gotProperties(QDBusPendingCallWatcher* w)
{
    w->deleteLater();
    const QDBusMessage reply = w->reply();
    if (!isOpen() || callPath_.isEmpty() || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    Call& call = calls_[callPath_];
    // A signal that came meanwhile is newer than this answer.
    if (call.state.isEmpty())
        call.state = qdbus_cast<QVariantMap>(reply.arguments().constFirst()).value(QStringLiteral("State")).toString();
    stateOfOurCall(callPath_);
}

void OfonoLine::CallAdded(const QDBusObjectPath& path, const QVariantMap& properties)
{
    if (!callInProgress())
        return;
    calls_[path.path()].state = properties.value(QStringLiteral("State")).toString();
    if (path.path() == callPath_)
        stateOfOurCall(callPath_);
}

void OfonoLine::CallPropertyChanged(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (!callInProgress() || args.size() < 2 || args[0].toString() != QLatin1String("State"))
        return;
    calls_[message.path()].state = args[1].value<QDBusVariant>().variant().toString();
    if (message.path() == callPath_)
        stateOfOurCall(callPath_);
}

void OfonoLine::CallDisconnectReason(const QDBusMessage& message)
{
    if (!callInProgress() || message.arguments().isEmpty())
        return;
    calls_[message.path()].reason = message.arguments().constFirst().toString();
}

void OfonoLine::CallRemoved(const QDBusObjectPath& path)
{
    if (!callInProgress())
        return;
    calls_[path.path()].removed = true;
    if (path.path() == callPath_)
        stateOfOurCall(callPath_);
}

void OfonoLine::ModemRemoved(const QDBusObjectPath& path)
{
    if (path.path() == modem_)
        loseLine(QStringLiteral("* The modem has been removed"));
}

void OfonoLine::stateOfOurCall(const QString& path)
{
    const Call call = calls_.value(path);
    const bool disconnected = call.removed || call.state == QLatin1String("disconnected");
    if (disconnected) {
        if (dropping_) {
            // Hung up by us: over once oFono has let the call go.
            if (call.removed)
                finishCall();
            return;
        }
        if (!over_) {
            over_ = true;
            post({CallState::Disconnected, disconnectMode(call.reason), {}});
        }
        return;
    }
    if (call.state == lastState_)
        return;
    lastState_ = call.state;
    if (call.state == QLatin1String("dialing"))
        post({CallState::Dialing, {}, {}});
    else if (call.state == QLatin1String("alerting"))
        post({CallState::Proceeding, {}, {}});
    else if (call.state == QLatin1String("active"))
        post({CallState::Connected, {}, number_});
    // held, waiting, incoming: not a state of our outgoing call
}

bool OfonoLine::drop()
{
    if (!isOpen() || !callInProgress())
        return false;
    dropping_ = true;
    if (callPath_.isEmpty())
        return true;   // dialled() drops it once Dial has answered
    if (over_ || calls_.value(callPath_).removed) {
        finishCall();
        return true;
    }
    auto* w = new QDBusPendingCallWatcher(
        bus_.asyncCall(QDBusMessage::createMethodCall(kService, callPath_, kCall, QStringLiteral("Hangup"))), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, &OfonoLine::hungUp);
    return true;
}

void OfonoLine::hungUp(QDBusPendingCallWatcher* w)
{
    w->deleteLater();
    if (!isOpen() || callPath_.isEmpty())
        return;
    // oFono answers once the call is released; the call is over for us then,
    // whether or not its removal has been announced yet. A call that went
    // away just before the request is over too.
    if (!w->isError() || calls_.value(callPath_).removed) {
        finishCall();
        return;
    }
    dropping_ = false;
    postReply(false);
}

void OfonoLine::finishCall()
{
    calls_.remove(callPath_);
    callPath_.clear();
    postIdle();
}

} // namespace qb
