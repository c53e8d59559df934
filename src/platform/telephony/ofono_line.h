#pragma once
// A telephone line on oFono. The modems come from org.ofono.Manager.GetModems
// on "/"; one whose "Interfaces" include org.ofono.VoiceCallManager and that
// is powered and online can call. VoiceCallManager.Dial(number, "") places a
// call and answers with its object path; oFono announces the call first
// (CallAdded with its properties), reports its "State" through the call's
// PropertyChanged, says why it ended with DisconnectReason ("local", "remote",
// "network") and takes it away with CallRemoved. VoiceCall.Hangup ends it.

#include "platform/telephony/telephony_line.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QHash>
#include <memory>

class QDBusPendingCallWatcher;

namespace qb {

class OfonoLine : public TelephonyLine {
    Q_OBJECT
public:
    // The line of the first voice-capable modem that is powered and online;
    // nullptr without one, with why set when such a modem exists but is off.
    static std::unique_ptr<OfonoLine> open(const QDBusConnection& bus, QString& why);
    ~OfonoLine() override;

    bool makeCall(const QString& number) override;
    bool drop() override;

private Q_SLOTS:
    void CallAdded(const QDBusObjectPath& path, const QVariantMap& properties);
    void CallRemoved(const QDBusObjectPath& path);
    void ModemRemoved(const QDBusObjectPath& path);
    void CallPropertyChanged(const QDBusMessage& message);
    void CallDisconnectReason(const QDBusMessage& message);

private:
    OfonoLine(const QDBusConnection& bus, const QString& modem);
    void dialled(QDBusPendingCallWatcher* watcher);
    void gotProperties(QDBusPendingCallWatcher* watcher);
    void hungUp(QDBusPendingCallWatcher* watcher);
    // What is known of a call, also before Dial has said which call is ours.
    struct Call {
        QString state;
        QString reason;
        bool removed = false;
    };
    void stateOfOurCall(const QString& path);
    void finishCall();

    QDBusConnection bus_;
    QString modem_;
    QString callPath_;
    QString number_;
    bool over_ = false;       // our call has ended (disconnected or removed)
    bool dropping_ = false;
    QString lastState_;
    QHash<QString, Call> calls_;
    QDBusServiceWatcher watcher_;
};

} // namespace qb
