#pragma once
// A telephone line for voice calls through the desktop's telephony service.
// The program asks for a line once, places one call at a time on it, drops
// it, and watches the call's progress as events. Two services can stand
// behind a line: ModemManager (most desktops) and oFono, both on the system
// bus; the first that offers a modem able to make voice calls is used.
//
// Events arrive on the thread that opened the line, through its event loop.
// The services' call states come out as these:
//
//   ModemManager (Call.State, reason)        oFono (VoiceCall State)   event
//   DIALING                                  dialing                   Dialing
//   RINGING_OUT                              alerting                  Proceeding
//   ACTIVE                                   active                    Connected
//   TERMINATED, reason TERMINATED            disconnected, local or    Disconnected, Normal
//                                            remote (or no reason)
//   TERMINATED, reason REFUSED_OR_BUSY       -                         Disconnected, Busy
//   TERMINATED, any other reason             disconnected, network     Disconnected, Other
//   the call dropped by us, or dropped after a disconnection          Idle
//
// Neither service reports a dial tone or a busy signal before the call ends,
// so DialTone and Busy never come from them; held, waiting and incoming calls
// are not ours and are passed over.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

namespace qb {

enum class CallState { DialTone, Dialing, Proceeding, Busy, Connected, Disconnected, Idle };
enum class DisconnectMode { Normal, Busy, Other };

struct CallEvent {
    CallState state = CallState::Idle;
    DisconnectMode mode = DisconnectMode::Normal;
    QString info;   // Connected: the number the call reached
};

class TelephonyLine : public QObject {
    Q_OBJECT
public:
    // The reasons a line is not open.
    static QString noDevices() { return QStringLiteral("No TAPI devices found"); }
    static QString cannotOpen() { return QStringLiteral("Unable to open line for outgoing calls"); }

    ~TelephonyLine() override;

    bool isOpen() const { return open_; }
    // Why the line is not open; empty while it is.
    const QString& failure() const { return failure_; }
    // The service and modem behind the line, for people and tools.
    const QString& description() const { return description_; }
    bool callInProgress() const { return call_; }

    // Asks the service to place a call. False when there is no line or a
    // call is already placed; otherwise replied() tells whether the service
    // took the request and callStateChanged() follows the call.
    virtual bool makeCall(const QString& number);
    // Asks the service to end the call. False without a call; a call that
    // has already ended goes idle.
    virtual bool drop();

Q_SIGNALS:
    void replied(bool accepted);
    void callStateChanged(const qb::CallEvent& event);
    // The service or the modem went away: any call is over and the line is
    // closed. why is the line the status shows.
    void lost(const QString& why);

protected:
    explicit TelephonyLine(QObject* parent = nullptr) : QObject(parent) {}
    void setOpen(const QString& description);
    void setFailure(const QString& failure);
    // One call from makeCall until it is idle again.
    void setCallInProgress(bool on) { call_ = on; }
    // Events and replies go out from the event loop, in the order the service
    // sent them, never from inside the caller's own request, so a window that
    // drops the call on an event is not re-entered.
    void post(const CallEvent& event);
    void postReply(bool accepted);
    void postIdle();
    void loseLine(const QString& why);

private:
    bool open_ = false;
    bool call_ = false;
    QString failure_;
    QString description_;
};

// The line of the first voice-capable modem on the bus, or a closed line
// saying why there is none.
std::unique_ptr<TelephonyLine> openTelephonyLine(const QDBusConnection& bus);
// The same on the system bus.
std::unique_ptr<TelephonyLine> openTelephonyLine();

} // namespace qb

Q_DECLARE_METATYPE(qb::CallEvent)
