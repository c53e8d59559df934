#include "dialer/tqbdialer.h"

#include "core/messages.h"
#include "core/placement.h"
#include "dialer/dial_string.h"
#include "dialer/tdialer.h"
#include "dialer/tfrmtapicall.h"
#include "platform/help/help_viewer.h"
#include "platform/serial/serial_line.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace qb {

QList<PortChoice> portChoices(const QStringList& presentDevices, const QString& storedDevice)
{
    QList<PortChoice> out;
    QStringList comDevices;
    for (int i = 0; i < kComPortCount; ++i) {
        out.append({QStringLiteral("COM %1").arg(i + 1), i, {}});
        comDevices << comPortDevice(i);
    }
    QStringList others;
    for (const QString& d : presentDevices)
        if (!comDevices.contains(d) && !others.contains(d))
            others << d;
    if (!storedDevice.isEmpty() && !others.contains(storedDevice))
        others << storedDevice;
    for (const QString& d : others)
        out.append({d, -1, d});
    return out;
}

TQBDialer::TQBDialer(const QString& number, Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings)
{
    setObjectName(QStringLiteral("TQBDialer"));
    setWindowTitle(QStringLiteral("Dial Phone Number"));

    number_ = new QLineEdit(number, this);
    number_->setObjectName(QStringLiteral("NumberEdit"));
    number_->setWhatsThis(QStringLiteral("The number to dial, as the record holds it."));
    prefix_ = new QLineEdit(this);
    prefix_->setObjectName(QStringLiteral("PrefixEdit"));
    prefix_->setWhatsThis(QStringLiteral("Dialled before the number: 9 for an outside line, 1 for long distance. "
                                         "A comma makes the modem pause."));
    useTapi_ = new QCheckBox(QStringLiteral("Use TAPI to dial"), this);
    useTapi_->setObjectName(QStringLiteral("UseTAPICheck"));
    useTapi_->setWhatsThis(QStringLiteral("Places the call through the computer's telephony service "
                                          "(ModemManager or oFono) instead of writing to the modem's port."));

    directPanel_ = new QGroupBox(this);
    directPanel_->setObjectName(QStringLiteral("DirectPanel"));
    port_ = new QComboBox(directPanel_);
    port_->setObjectName(QStringLiteral("PortCombo"));
    // A device the list does not offer (a modem plugged in later) is typed.
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    port_->setWhatsThis(QStringLiteral("The serial port the modem is on. COM 1 to COM 4 are /dev/ttyS0 to /dev/ttyS3; "
                                       "USB modems are listed by their device, such as /dev/ttyACM0, "
                                       "and any other device can be typed."));
    auto* method = new QGroupBox(QStringLiteral("Method"), directPanel_);
    method->setObjectName(QStringLiteral("MethodGroup"));
    tone_ = new QRadioButton(QStringLiteral("Tone"), method);
    tone_->setObjectName(QStringLiteral("ToneRadio"));
    pulse_ = new QRadioButton(QStringLiteral("Pulse"), method);
    pulse_->setObjectName(QStringLiteral("PulseRadio"));
    method->setWhatsThis(QStringLiteral("Tone dialling for nearly every line; pulse for the oldest exchanges."));
    auto* methodLayout = new QHBoxLayout(method);
    methodLayout->addWidget(tone_);
    methodLayout->addWidget(pulse_);
    init_ = new QLineEdit(directPanel_);
    init_->setObjectName(QStringLiteral("InitEdit"));
    init_->setWhatsThis(QStringLiteral("Commands sent to the modem before it dials, such as AT&F; "
                                       "leave it empty when the modem needs none."));
    auto* direct = new QFormLayout(directPanel_);
    direct->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    direct->addRow(QStringLiteral("Port"), port_);
    direct->addRow(method);
    direct->addRow(QStringLiteral("Modem Initialization String"), init_);

    dial_ = new QPushButton(QStringLiteral("Dial"), this);
    dial_->setObjectName(QStringLiteral("DialButton"));
    dial_->setDefault(true);
    dial_->setWhatsThis(QStringLiteral("Saves these settings and dials the prefix and number."));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setWhatsThis(QStringLiteral("Closes the window without dialling."));
    help_ = new QPushButton(QStringLiteral("Help"), this);
    help_->setObjectName(QStringLiteral("HelpButton"));
    mouseHelp_ = new QToolButton(this);
    mouseHelp_->setObjectName(QStringLiteral("MouseHelpButton"));
    mouseHelp_->setText(QStringLiteral("?"));
    mouseHelp_->setToolTip(QStringLiteral("What's this?"));

    connect(useTapi_, &QCheckBox::toggled, this, &TQBDialer::UseTAPICheckClick);
    connect(dial_, &QPushButton::clicked, this, &TQBDialer::DialButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(HelpContext, this); });
    connect(mouseHelp_, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });

    auto* numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("Number to Dial"), number_);
    numbers->addRow(QStringLiteral("Prefix"), prefix_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(dial_);
    buttons->addWidget(cancel);
    buttons->addWidget(help_);
    buttons->addWidget(mouseHelp_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numbers);
    layout->addWidget(useTapi_);
    layout->addWidget(directPanel_);
    layout->addStretch();
    layout->addLayout(buttons);

    installWhatsThisMenus(this);
}

void TQBDialer::showEvent(QShowEvent* event)
{
    if (!activated_) {
        activated_ = true;
        FormActivate();
    }
    QDialog::showEvent(event);
}

void TQBDialer::FormActivate()
{
    const DialingPreferences p = DialingPreferences::read(settings_);
    prefix_->setText(p.prefix);
    init_->setText(p.init);
    storedPort_ = p.port;
    (p.method == 1 ? pulse_ : tone_)->setChecked(true);

    port_->clear();
    for (const PortChoice& c : portChoices(presentDevices_ ? *presentDevices_ : serialDevices(), p.device)) {
        port_->addItem(c.text);
        port_->setItemData(port_->count() - 1, c.device);
    }
    // A port outside the list shows as the first one, as nothing else would be chosen.
    const int stored = p.device.isEmpty() ? (p.port >= 0 && p.port < kComPortCount ? p.port : 0) : port_->findText(p.device);
    port_->setCurrentIndex(stored);

    useTapi_->setChecked(p.useTapi);
    UseTAPICheckClick();
}

void TQBDialer::UseTAPICheckClick() { directPanel_->setVisible(!useTapi_->isChecked()); }

DialingPreferences TQBDialer::values() const
{
    DialingPreferences p;
    p.prefix = prefix_->text();
    p.init = init_->text();
    p.method = pulse_->isChecked() ? 1 : 0;
    p.useTapi = useTapi_->isChecked();
    // What the box shows is what is dialled: an entry of the list, or a device
    // typed by its path (a bare name is taken from /dev).
    const QString shown = port_->currentText().trimmed();
    const int entry = port_->findText(shown, Qt::MatchFixedString);
    if (entry >= 0)
        p.device = port_->itemData(entry).toString();
    else if (!shown.isEmpty())
        p.device = shown.startsWith(QLatin1Char('/')) ? shown : QStringLiteral("/dev/") + shown;
    // A device keeps the COM port stored before, so "Port" means what it always meant.
    p.port = p.device.isEmpty() ? std::max(entry, 0) : storedPort_;
    return p;
}

void TQBDialer::DialButtonClick()
{
    // The pause after the initialisation string processes events; a second
    // press meanwhile must not start a second dial on the same port.
    if (dialling_)
        return;
    dialling_ = true;
    help_->hide();
    mouseHelp_->hide();
    dial_->setEnabled(false);

    const DialingPreferences p = values();
    if (!p.write(settings_))
        showInformation(QStringLiteral("The dialing settings could not be saved in ") + settings_.path());
    const bool dialled = dial(p, p.prefix + number_->text());

    dialling_ = false;
    if (closeAfterDial_) {
        QDialog::reject();
        return;
    }
    if (dialled) {
        accept();
        return;
    }
    // Nothing went out: the user may mend the number or choose another port.
    help_->show();
    mouseHelp_->show();
    dial_->setEnabled(true);
}

bool TQBDialer::dial(const DialingPreferences& p, const QString& number)
{
    if (p.useTapi) {
        const QString refusal = dialStringRefusal(number, kTelephonyDialLength);
        if (!refusal.isEmpty()) {
            showInformation(refusal);
            return false;
        }
        TfrmTAPICall call(this);
        call.setNumber(number);
        centreWindow(&call);
        call.exec();
        return true;
    }
    TDialer dialer;
    dialer_ = &dialer;
    const auto done = qScopeGuard([this] { dialer_ = nullptr; });
    dialer.setNumberToDial(number);
    dialer.setInitStr(p.init);
    dialer.setMethod(p.method == 1 ? TDialer::dmPulse : TDialer::dmTone);
    if (p.device.isEmpty())
        dialer.setComPort(TDialer::TComPort(std::clamp(p.port, 0, kComPortCount - 1)));
    dialer.setDevice(p.device);
    return dialer.Dial() == TDialer::Result::Dialled;
}

void TQBDialer::reject()
{
    if (!dialling_) {
        QDialog::reject();
        return;
    }
    closeAfterDial_ = true;
    if (dialer_)
        dialer_->cancel();
}

} // namespace qb
