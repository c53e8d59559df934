#pragma once
// A telephone line on ModemManager's voice interface. The modems are the
// objects below /org/freedesktop/ModemManager1 (its object manager) that
// carry org.freedesktop.ModemManager1.Modem.Voice; a call is an object of
// org.freedesktop.ModemManager1.Call made by Voice.CreateCall({"number"}),
// started by Call.Start, ended by Call.Hangup and removed by Voice.DeleteCall;
// its progress comes as Call.StateChanged(old, new, reason).

#include "platform/telephony/telephony_line.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <memory>

class QDBusPendingCallWatcher;

namespace qb {

class ModemManagerLine : public TelephonyLine {
    Q_OBJECT
public:
    // The line of the first voice-capable modem that is enabled; nullptr
    // without one, with why set when a voice modem exists but cannot call.
    static std::unique_ptr<ModemManagerLine> open(const QDBusConnection& bus, QString& why);
    ~ModemManagerLine() override;

    bool makeCall(const QString& number) override;
    bool drop() override;

private Q_SLOTS:
    void CallStateChanged(int oldState, int newState, uint reason);
    void InterfacesRemoved(const QDBusObjectPath& path, const QStringList& interfaces);

private:
    ModemManagerLine(const QDBusConnection& bus, const QString& modem);
    void created(QDBusPendingCallWatcher* watcher);
    void started(QDBusPendingCallWatcher* watcher);
    void hungUp(QDBusPendingCallWatcher* watcher);
    void watchCall(bool on);
    // The call is over: the service forgets it and the line goes idle.
    void finishCall();

    QDBusConnection bus_;
    QString modem_;
    QString callPath_;        // the call's object path once created
    QString number_;
    bool terminated_ = false;
    bool dropping_ = false;
    QDBusServiceWatcher watcher_;
};

} // namespace qb
