#pragma once
// The direct dialler: Hayes commands written to the serial port a modem sits
// on. The modem only dials; once the user has picked up the handset the modem
// hangs up and the telephone keeps the line.
//
// Bytes sent, each command ended by CR LF:
//   [init]  the initialisation string, "AT" put in front when it lacks it,
//           then a pause of 1500 ms for the modem to settle
//   ATDTn   dial n by tone (ATDPn by pulse); n is the prefix and number run together
//   ATH     after the user confirmed "Pick up phone"
//
// A dial cancelled while it runs (the window's Cancel during the pause or
// while a command is being written) writes nothing more; when the dial
// command has already gone out, ATH hangs the modem up.

#include <QObject>
#include <QString>
#include <functional>

namespace qb {

class SerialLine;

class TDialer : public QObject {
    Q_OBJECT
public:
    enum TComPort { dpCOM1, dpCOM2, dpCOM3, dpCOM4 };
    Q_ENUM(TComPort)
    enum TDialMethod { dmTone, dmPulse };
    Q_ENUM(TDialMethod)

    enum class Result {
        Dialled,       // the dial command went out
        Declined,      // the user said No to the confirmation
        Refused,       // the number or initialisation string may not be sent; nothing was
        PortFailed,    // the port could not be opened
        WriteFailed,   // the port failed while the commands were written
        Cancelled,     // stopped by cancel(); nothing was written after it
    };

    static constexpr int InitWaitMs = 1500;

    explicit TDialer(QObject* parent = nullptr);

    TComPort ComPort() const { return comPort_; }
    void setComPort(TComPort port) { comPort_ = port; }
    TDialMethod Method() const { return method_; }
    void setMethod(TDialMethod method) { method_ = method; }
    const QString& NumberToDial() const { return number_; }
    void setNumberToDial(const QString& number) { number_ = number; }
    const QString& InitStr() const { return init_; }
    void setInitStr(const QString& init) { init_ = init; }
    bool Confirm() const { return confirm_; }
    void setConfirm(bool confirm) { confirm_ = confirm; }
    // A device named in the settings, used instead of ComPort when not empty.
    const QString& Device() const { return device_; }
    void setDevice(const QString& device) { device_ = device; }

    // The device the dial goes to, and the name messages give it.
    QString portDevice() const;
    QString portName() const;

    // Dials NumberToDial, telling the user of every failure.
    Result Dial();
    // Stops a dial in progress: the pause ends at once and nothing more is
    // written (but ATH, when the dial command went out already).
    void cancel();
    bool cancelled() const { return cancelled_; }

    // What happens during the pause after the initialisation string; by
    // default the window's events are processed for that long, or until
    // cancel().
    using Waiter = std::function<void(int ms)>;
    void setWaiter(Waiter waiter) { waiter_ = std::move(waiter); }
    void waitProcessingEvents(int ms);

Q_SIGNALS:
    // A command the modem has been given, CR LF included.
    void commandSent(const QByteArray& command);
    void cancelRequested();

private:
    bool send(SerialLine& line, const QByteArray& command);

    TComPort comPort_ = dpCOM1;
    TDialMethod method_ = dmTone;
    QString number_;
    QString init_;
    QString device_;
    bool confirm_ = false;
    bool cancelled_ = false;
    Waiter waiter_ = [this](int ms) { waitProcessingEvents(ms); };
};

} // namespace qb
