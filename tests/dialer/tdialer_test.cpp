// The direct dialler against a pseudo-terminal: the exact bytes a modem gets,
// what is refused before anything is sent, and ports that are missing, busy
// or go away in the middle of a dial.

#include "dialer/dial_string.h"
#include "dialer/tdialer.h"
#include "message_log.h"
#include "pty_pair.h"

#include <QSerialPort>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

struct DialRun {
    TDialer::Result result;
    QByteArray beforeConfirmation;   // what the modem had when "Pick up phone" showed
    QByteArray all;
    std::vector<int> waits;
    QStringList messages;
};

// Dials into a fresh pseudo-terminal; the message responder reads what the
// modem had got at the moment each message showed.
DialRun dialInto(PtyPair& pty, TDialer& dialer)
{
    DialRun run;
    QByteArray sent;
    MessageLog log;
    setMessageResponder([&](const Message& m) {
        sent += pty.read();
        if (m.text == QLatin1String("Pick up phone"))
            run.beforeConfirmation = sent;
        log.messages.push_back(m);
        return true;
    });
    dialer.setDevice(pty.device());
    dialer.setWaiter([&run](int ms) { run.waits.push_back(ms); });
    run.result = dialer.Dial();
    run.all = sent + pty.read();
    run.messages = log.texts();
    return run;
}

struct DialCase {
    const char* name;
    QString number;   // prefix and number, as the dial window runs them together
    QString init;
    TDialer::TDialMethod method;
    QByteArray beforeConfirmation;
    std::vector<int> waits;
    QString initAfter;   // the component's initialisation string after the dial
};
void PrintTo(const DialCase& c, std::ostream* os) { *os << c.name; }

class DialBytes : public ::testing::TestWithParam<DialCase> {};

TEST_P(DialBytes, ModemGetsExactlyTheseCommandsThenATHAfterTheConfirmation)
{
    const DialCase& c = GetParam();
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TDialer dialer;
    dialer.setNumberToDial(c.number);
    dialer.setInitStr(c.init);
    dialer.setMethod(c.method);
    const DialRun run = dialInto(pty, dialer);

    EXPECT_EQ(run.result, TDialer::Result::Dialled);
    EXPECT_EQ(run.beforeConfirmation, c.beforeConfirmation);
    EXPECT_EQ(run.all, c.beforeConfirmation + "ATH\r\n");
    EXPECT_EQ(run.waits, c.waits);
    EXPECT_EQ(run.messages, QStringList{QStringLiteral("Pick up phone")});
    EXPECT_EQ(dialer.InitStr(), c.initAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialBytes,
    ::testing::Values(
        DialCase{"PrefixRunTogetherWithTheNumber", "9555-1234", "", TDialer::dmTone, "ATDT9555-1234\r\n", {}, ""},
        DialCase{"InitWithoutATGetsIt", "5551234", "&F", TDialer::dmTone, "AT&F\r\nATDT5551234\r\n", {1500}, "AT&F"},
        DialCase{"InitStartingWithAtInAnyCaseUnchanged", "5551234", "at&f", TDialer::dmTone, "at&f\r\nATDT5551234\r\n",
                 {1500}, "at&f"},
        DialCase{"MixedCaseAtUnchanged", "5551234", "aTZ", TDialer::dmTone, "aTZ\r\nATDT5551234\r\n", {1500}, "aTZ"},
        DialCase{"PulseDialling", "9,5551234", "", TDialer::dmPulse, "ATDP9,5551234\r\n", {}, ""},
        DialCase{"EveryDiallingCharacter", "*70, 1 (555) 123-4567 W#@!", "", TDialer::dmTone,
                 "ATDT*70, 1 (555) 123-4567 W#@!\r\n", {}, ""},
        DialCase{"InternationalNumberWithPlus", "+44 20 7946 0958", "", TDialer::dmTone, "ATDT+44 20 7946 0958\r\n",
                 {}, ""},
        DialCase{"LongestNumberAModemTakes", QString(kModemDialLength, u'5'), "", TDialer::dmTone,
                 "ATDT" + QByteArray(kModemDialLength, '5') + "\r\n", {}, ""}),
    [](const auto& param) { return std::string(param.param.name); });

struct RefusedCase {
    const char* name;
    QString number;
    QString init;
    const char* because;
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedDial : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedDial, SendsNothingAndSaysWhy)
{
    const RefusedCase& c = GetParam();
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TDialer dialer;
    dialer.setNumberToDial(c.number);
    dialer.setInitStr(c.init);
    const DialRun run = dialInto(pty, dialer);

    EXPECT_EQ(run.result, TDialer::Result::Refused);
    EXPECT_EQ(run.all, QByteArray());
    EXPECT_TRUE(run.waits.empty());
    ASSERT_EQ(run.messages.size(), 1);
    EXPECT_TRUE(run.messages[0].contains(QLatin1String(c.because))) << run.messages[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedDial,
    ::testing::Values(RefusedCase{"Letters", "1-800-FLOWERS", "", "\"F\", which a telephone cannot dial"},
                      RefusedCase{"SemicolonThatWouldEndTheCommand", "555;H0", "", "\";\""},
                      RefusedCase{"CarriageReturnThatWouldStartAnother", "555\rATZ", "", "a control character"},
                      RefusedCase{"LowerCaseLetter", "555w1234", "", "\"w\""},
                      RefusedCase{"PlusInsideTheNumber", "9+44 20 7946 0958", "", "\"+\" only begins a number"},
                      RefusedCase{"TooLongIsNotCut", QString(kModemDialLength + 1, u'5'), "",
                                  "39 characters long, and at most 38"},
                      RefusedCase{"InitWithALineBreak", "5551234", "ATZ\r\nATDT911", "a control character"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TDialer, MissingPortSaysSoAndSendsNothing)
{
    MessageLog log;
    TDialer dialer;
    dialer.setNumberToDial(QStringLiteral("5551234"));
    dialer.setDevice(QStringLiteral("/dev/quillbase-no-such-modem"));
    EXPECT_EQ(dialer.Dial(), TDialer::Result::PortFailed);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].text,
              QStringLiteral("Unable to open /dev/quillbase-no-such-modem\r\nThere is no such port on this computer."));
}

TEST(TDialer, ComPortsAreTheFirstFourSerialDevices)
{
    TDialer dialer;
    dialer.setComPort(TDialer::dpCOM3);
    EXPECT_EQ(dialer.portDevice(), QStringLiteral("/dev/ttyS2"));
    EXPECT_EQ(dialer.portName(), QStringLiteral("COM3 (/dev/ttyS2)"));
    dialer.setDevice(QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(dialer.portDevice(), QStringLiteral("/dev/ttyACM0"));
}

TEST(TDialer, PortHeldByAnotherProgramIsBusy)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    // Another program holds the port the way terminal programs do: a lock
    // file and exclusive use.
    QSerialPort other(pty.device());
    ASSERT_TRUE(other.open(QIODevice::ReadWrite)) << other.errorString().toStdString();

    TDialer dialer;
    dialer.setNumberToDial(QStringLiteral("5551234"));
    const DialRun run = dialInto(pty, dialer);
    EXPECT_EQ(run.result, TDialer::Result::PortFailed);
    EXPECT_EQ(run.all, QByteArray());
    EXPECT_EQ(run.messages,
              QStringList{QStringLiteral("Unable to open ") + pty.device() + QStringLiteral("\r\nThe port is in use by another program.")});
}

TEST(TDialer, ModemThatGoesAwayDuringThePauseFailsTheDial)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TDialer dialer;
    dialer.setNumberToDial(QStringLiteral("5551234"));
    dialer.setInitStr(QStringLiteral("ATZ"));
    dialer.setDevice(pty.device());
    QByteArray got;
    dialer.setWaiter([&](int) {
        got = pty.read();
        pty.hangUp();
    });
    MessageLog log;
    EXPECT_EQ(dialer.Dial(), TDialer::Result::WriteFailed);
    EXPECT_EQ(got, QByteArray("ATZ\r\n"));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].text.startsWith(QLatin1String("Unable to dial number"))) << log.messages[0].text.toStdString();
}

TEST(TDialer, ConfirmationAnsweredNoOpensNothing)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TDialer dialer;
    dialer.setConfirm(true);
    dialer.setNumberToDial(QStringLiteral("5551234"));
    dialer.setDevice(pty.device());
    MessageLog log;
    log.answer = false;
    EXPECT_EQ(dialer.Dial(), TDialer::Result::Declined);
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("About to dial the number 5551234. Are you sure?")});
    EXPECT_EQ(pty.read(), QByteArray());
}

} // namespace
} // namespace qb::test

namespace qb::test {
namespace {

// A cancel that comes once the dial command is out hangs the modem up at
// once; the user is not asked to pick up the phone.
TEST(TDialer, CancelledWhileTheModemDialsHangsUp)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TDialer dialer;
    dialer.setNumberToDial(QStringLiteral("5551234"));
    QObject::connect(&dialer, &TDialer::commandSent, &dialer, [&dialer](const QByteArray& command) {
        if (command.startsWith("ATDT"))
            dialer.cancel();
    });
    const DialRun run = dialInto(pty, dialer);
    EXPECT_EQ(run.result, TDialer::Result::Cancelled);
    EXPECT_EQ(run.all, QByteArray("ATDT5551234\r\nATH\r\n"));
    EXPECT_TRUE(run.messages.isEmpty()) << run.messages.join('|').toStdString();
}

} // namespace
} // namespace qb::test
