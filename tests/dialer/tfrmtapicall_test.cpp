// The telephony window against real D-Bus services on the tests' private bus:
// ModemManager played by our dbusmock template, oFono by dbusmock's own. Each
// test lets the service play a call and reads the window's status lines and
// buttons, the way the user follows the call.

#include "dialer/tfrmtapicall.h"
#include "message_log.h"
#include "telephony_bus.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QPushButton>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

const QString kNumber = QStringLiteral("5551234");
const QString kMmRoot = QStringLiteral("/org/freedesktop/ModemManager1");
const QString kMmModem = QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
const QString kMmVoice = QStringLiteral("org.freedesktop.ModemManager1.Modem.Voice");
const QString kMockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kOfonoCall = QStringLiteral("/ril_0/voicecall01");
const QString kOfonoCallInterface = QStringLiteral("org.ofono.VoiceCall");

// The window as the dial window opens it: shown, it calls the number at once.
struct CallWindow {
    CallWindow() : window(std::make_unique<TfrmTAPICall>(nullptr))
    {
        window->setNumber(kNumber);
        window->show();
    }
    QStringList lines() const { return window->statusLines(); }
    std::string dump() const { return lines().join(QLatin1Char('|')).toStdString(); }
    bool waitForLine(const QString& line, int ms = 5000) const
    {
        return QTest::qWaitFor([&] { return lines().contains(line); }, ms);
    }
    bool callEnabled() const { return button("CallButton")->isEnabled(); }
    bool hangupEnabled() const { return button("HangupButton")->isEnabled(); }
    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(QLatin1String(name)); }
    // The call's lines as they follow one another; the service's answer to
    // the request may come before or after its first state.
    QStringList callLines() const
    {
        QStringList out = lines();
        out.removeAll(QStringLiteral("TAPI started"));
        return out;
    }

    // The end of a played call: the user presses Hangup once the line
    // before "Idle" shows (when userHangsUp), then the call is over, its lines
    // are these and the line is free for the next call.
    void finishCall(bool userHangsUp, const QStringList& expected) const
    {
        if (userHangsUp) {
            ASSERT_TRUE(waitForLine(expected.value(expected.size() - 2))) << dump();
            button("HangupButton")->click();
        }
        ASSERT_TRUE(waitForLine(QStringLiteral("Idle"))) << dump();
        EXPECT_EQ(callLines(), expected);
        EXPECT_TRUE(callEnabled());
        EXPECT_FALSE(hangupEnabled());
    }

    std::unique_ptr<TfrmTAPICall> window;
};

QStringList mmCalls(const MockService& mm)
{
    const QDBusMessage reply = mm.call(kMmModem, kMmVoice, QStringLiteral("ListCalls"));
    QStringList out;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        const auto paths = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().value(0));
        for (const QDBusObjectPath& p : paths)
            out << p.path();
    }
    return out;
}

TEST(TfrmTAPICall, WithoutAServiceShowsWhyAndCallFails)
{
    ASSERT_FALSE(serviceRunning(QLatin1String(MockService::ModemManager)));
    ASSERT_FALSE(serviceRunning(QLatin1String(MockService::Ofono)));
    CallWindow w;
    ASSERT_TRUE(w.waitForLine(QStringLiteral("* Is the line busy?"))) << w.dump();
    EXPECT_EQ(w.lines(), (QStringList{QStringLiteral("Error!! - No TAPI devices found"),
                                      QStringLiteral("* Unknown Error calling number"), QStringLiteral("* Is the line busy?")}));
    EXPECT_TRUE(w.callEnabled());
    EXPECT_FALSE(w.hangupEnabled());
}

TEST(TfrmTAPICall, ModemManagerModemThatIsDisabledCannotOpenTheLine)
{
    MockService mm(QLatin1String(MockService::ModemManager), MockService::modemManagerTemplate(), R"({"ModemState": 3})");
    ASSERT_TRUE(mm.started());
    CallWindow w;
    ASSERT_TRUE(w.waitForLine(QStringLiteral("* Is the line busy?"))) << w.dump();
    EXPECT_EQ(w.lines().value(0), QStringLiteral("Error!! - Unable to open line for outgoing calls"));
}

// ---- ModemManager: a call played state by state ---------------------------

struct MmState {
    int state;
    uint reason;
};

struct MmCallCase {
    const char* name;
    std::vector<MmState> play;    // after Start has made the call DIALING
    bool userHangsUp;             // the user presses Hangup after the states
    QStringList lines;            // without "TAPI started"
};
void PrintTo(const MmCallCase& c, std::ostream* os) { *os << c.name; }

class ModemManagerCall : public ::testing::TestWithParam<MmCallCase> {};

TEST_P(ModemManagerCall, StatusFollowsTheCallAndTheLineIsFreeAgain)
{
    const MmCallCase& c = GetParam();
    MockService mm(QLatin1String(MockService::ModemManager), MockService::modemManagerTemplate());
    ASSERT_TRUE(mm.started());
    CallWindow w;
    ASSERT_TRUE(w.waitForLine(QStringLiteral("Dialing"))) << w.dump();
    ASSERT_TRUE(w.waitForLine(QStringLiteral("TAPI started"))) << w.dump();
    EXPECT_EQ(w.lines().count(QStringLiteral("TAPI started")), 1);
    EXPECT_FALSE(w.callEnabled());
    EXPECT_TRUE(w.hangupEnabled());
    ASSERT_EQ(mmCalls(mm), QStringList{kMmRoot + QStringLiteral("/Call/1")});

    for (const MmState& s : c.play)
        mm.call(kMmRoot, kMockInterface, QStringLiteral("SetCallState"),
                {kMmRoot + QStringLiteral("/Call/1"), s.state, int(s.reason)});
    w.finishCall(c.userHangsUp, c.lines);
    // The service forgets the call, as the line deallocates it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return mmCalls(mm).isEmpty(); }, 5000));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModemManagerCall,
    ::testing::Values(
        MmCallCase{"AnsweredThenHungUpByTheUser",
                   {{2, 1}, {4, 3}},
                   true,
                   {"Dialing", "Proceeding...", "Connected: 5551234", "Idle"}},
        MmCallCase{"HungUpByTheOtherEnd",
                   {{2, 1}, {4, 3}, {7, 4}},
                   false,
                   {"Dialing", "Proceeding...", "Connected: 5551234", "Disconnected: normal...", "Idle"}},
        MmCallCase{"Busy", {{2, 1}, {7, 5}}, false, {"Dialing", "Proceeding...", "Busy...", "Idle"}},
        MmCallCase{"NetworkError", {{7, 6}}, false, {"Dialing", "", "Idle"}},
        MmCallCase{"HungUpWhileDialling", {}, true, {"Dialing", "Idle"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TfrmTAPICall, ModemManagerStartThatFailsEndsTheCall)
{
    MockService mm(QLatin1String(MockService::ModemManager), MockService::modemManagerTemplate(), R"({"StartFails": true})");
    ASSERT_TRUE(mm.started());
    CallWindow w;
    ASSERT_TRUE(w.waitForLine(QStringLiteral("Idle"))) << w.dump();
    EXPECT_TRUE(w.lines().contains(QStringLiteral("TAPI Error")));
    EXPECT_TRUE(w.lines().contains(QString())) << w.dump();
    EXPECT_TRUE(w.callEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return mmCalls(mm).isEmpty(); }, 5000));
}

TEST(TfrmTAPICall, ClosingTheWindowEndsTheCall)
{
    MockService mm(QLatin1String(MockService::ModemManager), MockService::modemManagerTemplate());
    ASSERT_TRUE(mm.started());
    {
        CallWindow w;
        ASSERT_TRUE(w.waitForLine(QStringLiteral("TAPI started"))) << w.dump();
        ASSERT_EQ(mmCalls(mm).size(), 1);
        w.button("CloseButton")->click();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return mmCalls(mm).isEmpty(); }, 5000));
}

// ---- oFono: dbusmock's template, its call played by signals -----------------

void ofonoState(const MockService& ofono, const QString& state)
{
    // Each argument travels as a variant, which becomes the "v" of the signal.
    ofono.emitSignal(kOfonoCall, kOfonoCallInterface, QStringLiteral("PropertyChanged"), QStringLiteral("sv"),
                     {QStringLiteral("State"), state});
}

int ofonoCallCount(const MockService& ofono)
{
    const QDBusMessage reply =
        ofono.call(QStringLiteral("/ril_0"), QStringLiteral("org.ofono.VoiceCallManager"), QStringLiteral("GetCalls"));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return -1;
    const QDBusArgument calls = reply.arguments().value(0).value<QDBusArgument>();
    int n = 0;
    calls.beginArray();
    while (!calls.atEnd()) {
        QDBusObjectPath path;
        QVariantMap properties;
        calls.beginStructure();
        calls >> path >> properties;
        calls.endStructure();
        ++n;
    }
    calls.endArray();
    return n;
}

struct OfonoCallCase {
    const char* name;
    QStringList states;        // "State" values after dialing
    QString disconnectReason;  // empty: the call does not end by itself
    bool userHangsUp;
    QStringList lines;
};
void PrintTo(const OfonoCallCase& c, std::ostream* os) { *os << c.name; }

class OfonoCall : public ::testing::TestWithParam<OfonoCallCase> {};

TEST_P(OfonoCall, StatusFollowsTheCallAndTheLineIsFreeAgain)
{
    const OfonoCallCase& c = GetParam();
    MockService ofono(QLatin1String(MockService::Ofono), QStringLiteral("ofono"));
    ASSERT_TRUE(ofono.started());
    CallWindow w;
    ASSERT_TRUE(w.waitForLine(QStringLiteral("Dialing"))) << w.dump();
    ASSERT_TRUE(w.waitForLine(QStringLiteral("TAPI started"))) << w.dump();
    EXPECT_TRUE(w.hangupEnabled());

    for (const QString& s : c.states)
        ofonoState(ofono, s);
    if (!c.disconnectReason.isEmpty()) {
        // oFono says why, marks the call disconnected and lets it go.
        ofono.emitSignal(kOfonoCall, kOfonoCallInterface, QStringLiteral("DisconnectReason"), QStringLiteral("s"),
                         {c.disconnectReason});
        ofonoState(ofono, QStringLiteral("disconnected"));
        ofono.call(kOfonoCall, kOfonoCallInterface, QStringLiteral("Hangup"));
    }
    w.finishCall(c.userHangsUp, c.lines);
    EXPECT_EQ(ofonoCallCount(ofono), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OfonoCall,
    ::testing::Values(OfonoCallCase{"AnsweredThenHungUpByTheUser",
                                    {"alerting", "active"},
                                    {},
                                    true,
                                    {"Dialing", "Proceeding...", "Connected: 5551234", "Idle"}},
                      OfonoCallCase{"HungUpByTheOtherEnd",
                                    {"alerting", "active"},
                                    "remote",
                                    false,
                                    {"Dialing", "Proceeding...", "Connected: 5551234", "Disconnected: normal...", "Idle"}},
                      OfonoCallCase{"ReleasedByTheNetwork", {"alerting"}, "network", false, {"Dialing", "Proceeding...", "", "Idle"}}),
    [](const auto& param) { return std::string(param.param.name); });

// ---- a service that goes away in the middle of a call ----------------------

struct VanishCase {
    const char* name;
    const char* busName;
    QString templ;
};
void PrintTo(const VanishCase& c, std::ostream* os) { *os << c.name; }

class ServiceVanishes : public ::testing::TestWithParam<VanishCase> {};

TEST_P(ServiceVanishes, CallEndsWithALineAndTheWindowStaysUsable)
{
    const VanishCase& c = GetParam();
    MessageLog log;
    auto service = std::make_unique<MockService>(QLatin1String(c.busName), c.templ);
    ASSERT_TRUE(service->started());
    CallWindow w;
    ASSERT_TRUE(w.waitForLine(QStringLiteral("TAPI started"))) << w.dump();
    ASSERT_TRUE(w.hangupEnabled());

    service->stop();
    ASSERT_TRUE(w.waitForLine(QStringLiteral("* The telephony service has stopped"))) << w.dump();
    EXPECT_TRUE(w.callEnabled());
    EXPECT_FALSE(w.hangupEnabled());

    // The line is gone: another call fails with the usual lines, and nothing crashes.
    w.button("CallButton")->click();
    EXPECT_EQ(w.lines().mid(w.lines().size() - 2),
              (QStringList{QStringLiteral("* Unknown Error calling number"), QStringLiteral("* Is the line busy?")}));
    w.button("CloseButton")->click();
    EXPECT_TRUE(log.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ServiceVanishes,
                         ::testing::Values(VanishCase{"ModemManager", MockService::ModemManager,
                                                      MockService::modemManagerTemplate()},
                                           VanishCase{"Ofono", MockService::Ofono, QStringLiteral("ofono")}),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- which service the line uses -------------------------------------------

TEST(TelephonyLine, ModemManagerComesFirstAndOfonoStandsInWithoutAVoiceModem)
{
    MockService ofono(QLatin1String(MockService::Ofono), QStringLiteral("ofono"));
    ASSERT_TRUE(ofono.started());
    {
        MockService mm(QLatin1String(MockService::ModemManager), MockService::modemManagerTemplate());
        ASSERT_TRUE(mm.started());
        EXPECT_EQ(openTelephonyLine(testBus())->description(), QStringLiteral("ModemManager ") + kMmModem);
    }
    {
        MockService mm(QLatin1String(MockService::ModemManager), MockService::modemManagerTemplate(), R"({"Voice": false})");
        ASSERT_TRUE(mm.started());
        EXPECT_EQ(openTelephonyLine(testBus())->description(), QStringLiteral("oFono /ril_0"));
    }
    ofono.stop();
    MockService modemless(QLatin1String(MockService::Ofono), QStringLiteral("ofono"), R"({"no_modem": true})");
    ASSERT_TRUE(modemless.started());
    const auto line = openTelephonyLine(testBus());
    EXPECT_FALSE(line->isOpen());
    EXPECT_EQ(line->failure(), QStringLiteral("No TAPI devices found"));
}

} // namespace
} // namespace qb::test
