#pragma once
// "Dial Phone Number": dials a record's number through the modem on a serial
// port, or hands it to the telephony window. Its settings live in section
// "Dialing" of QUILLB.ini, read when the window is first shown and written
// when "Dial" is pressed.

#include "core/preferences.h"
#include "core/settings.h"

#include <QDialog>
#include <QStringList>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace qb {

// One entry of the port list: a COM port (index 0-3, device empty) or a
// serial device by its path.
struct PortChoice {
    QString text;
    int comPort = -1;
    QString device;
    bool operator==(const PortChoice&) const = default;
};

// "COM 1" to "COM 4", then every other serial device present, then the
// stored device when it is not present (so the settings show as they are).
// The four COM entries keep their places, so "Port" keeps its meaning.
QList<PortChoice> portChoices(const QStringList& presentDevices, const QString& storedDevice);

class TDialer;

class TQBDialer : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1091;

    TQBDialer(const QString& number, Settings& settings, QWidget* parent = nullptr);

    // The serial devices the port list offers; by default those present.
    void setPresentDevices(const QStringList& devices) { presentDevices_ = devices; }
    // The settings as the window shows them now.
    DialingPreferences values() const;

protected:
    void showEvent(QShowEvent* event) override;
    // Cancel, Esc and the close box during a direct dial stop the dial
    // first; the window closes once it has stopped.
    void reject() override;

private:
    void FormActivate();
    void UseTAPICheckClick();
    void DialButtonClick();
    // True when the number went out (or the telephony window was shown).
    bool dial(const DialingPreferences& p, const QString& number);

    Settings& settings_;
    std::optional<QStringList> presentDevices_;
    bool activated_ = false;
    bool dialling_ = false;
    bool closeAfterDial_ = false;
    TDialer* dialer_ = nullptr;
    int storedPort_ = 0;
    QLineEdit* number_ = nullptr;
    QLineEdit* prefix_ = nullptr;
    QCheckBox* useTapi_ = nullptr;
    QWidget* directPanel_ = nullptr;
    QComboBox* port_ = nullptr;
    QRadioButton* tone_ = nullptr;
    QRadioButton* pulse_ = nullptr;
    QLineEdit* init_ = nullptr;
    QPushButton* dial_ = nullptr;
    QPushButton* help_ = nullptr;
    QToolButton* mouseHelp_ = nullptr;
};

} // namespace qb
