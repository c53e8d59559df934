// qbtool dial PORT NUMBER [--init S] [--pulse]
//   sends the modem commands of a direct dial to PORT (COM1 to COM4, or a
//   device path), one "sent" line per command, and hangs the modem up once the
//   handset is off the hook: after Enter, or at once when input has ended.
// qbtool telephony
//   the telephony line a voice call would use, or why there is none.

#include "qbtool_commands.h"

#include "core/messages.h"
#include "dialer/tdialer.h"
#include "platform/telephony/telephony_line.h"

#include <QApplication>
#include <QRegularExpression>

#include <iostream>
#include <string>

namespace {

const char* kDialUsage = "usage: qbtool dial PORT NUMBER [--init STRING] [--pulse]\n"
                         "  PORT is COM1 to COM4 (/dev/ttyS0 to /dev/ttyS3) or a device such as /dev/ttyACM0.\n";

// CR and LF as the two characters \r and \n, so each command stays on its line.
std::string shown(const QByteArray& command)
{
    std::string out;
    for (const char c : command) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

int dial(int argc, char** argv)
{
    QStringList positional;
    QString init;
    bool pulse = false;
    for (int i = 2; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--init") && i + 1 < argc)
            init = QString::fromLocal8Bit(argv[++i]);
        else if (a == QLatin1String("--pulse"))
            pulse = true;
        else
            positional << a;
    }
    if (positional.size() != 2) {
        std::cerr << kDialUsage;
        return 1;
    }
    const auto app = ensureApplication(argc, argv);

    qb::TDialer dialer;
    const QRegularExpressionMatch com =
        QRegularExpression(QStringLiteral("^COM([1-4])$"), QRegularExpression::CaseInsensitiveOption).match(positional[0]);
    if (com.hasMatch())
        dialer.setComPort(qb::TDialer::TComPort(com.captured(1).toInt() - 1));
    else
        dialer.setDevice(positional[0]);
    dialer.setNumberToDial(positional[1]);
    dialer.setInitStr(init);
    dialer.setMethod(pulse ? qb::TDialer::dmPulse : qb::TDialer::dmTone);
    QObject::connect(&dialer, &qb::TDialer::commandSent,
                     [](const QByteArray& command) { std::cout << "sent " << shown(command) << std::endl; });
    qb::setMessageResponder([](const qb::Message& m) {
        if (m.text == QLatin1String("Pick up phone")) {
            std::cout << "Pick up phone" << std::endl;
            std::string line;
            std::getline(std::cin, line);
        } else {
            std::cerr << "qbtool: " << QString(m.text).replace(QLatin1String("\r\n"), QLatin1String("\n")).toStdString()
                      << "\n";
        }
        return true;
    });
    const bool dialled = dialer.Dial() == qb::TDialer::Result::Dialled;
    qb::setMessageResponder({});
    return dialled ? 0 : 1;
}

int telephony(int argc, char** argv)
{
    const auto app = ensureApplication(argc, argv);
    const auto line = qb::openTelephonyLine();
    if (!line->isOpen()) {
        std::cout << line->failure().toStdString() << "\n";
        return 1;
    }
    std::cout << line->description().toStdString() << "\n";
    return 0;
}

} // namespace

int dialCommand(const std::string& command, int argc, char** argv)
{
    if (command == "dial")
        return dial(argc, argv);
    if (command == "telephony")
        return telephony(argc, argv);
    return -1;
}
