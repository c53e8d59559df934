// "Dial Phone Number" driven as the user drives it: its settings appear when
// it is first shown and are written when Dial is pressed, the direct-dial
// panel follows "Use TAPI to dial", and Dial sends the prefix and number to
// the port or hands them to the telephony window.

#include "dialer/tfrmtapicall.h"
#include "dialer/tqbdialer.h"
#include "message_log.h"
#include "platform/help/help_viewer.h"
#include "pty_pair.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qb::test {
namespace {

class TQBDialerTest : public ::testing::Test {
protected:
    TQBDialerTest() : settings(QString::fromStdString(dir.file("QUILLB.ini"))) {}

    void store(const DialingPreferences& p) { ASSERT_TRUE(p.write(settings)); }

    TQBDialer& open(const QString& number, const QStringList& presentDevices = {})
    {
        window = std::make_unique<TQBDialer>(number, settings);
        window->setPresentDevices(presentDevices);
        window->show();
        return *window;
    }

    template <class W>
    W* child(const char* name) const
    {
        W* w = window->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool panelShown() const { return child<QGroupBox>("DirectPanel")->isVisible(); }

    xbase::test::ScratchDir dir;
    Settings settings;
    MessageLog log;
    std::unique_ptr<TQBDialer> window;
};

TEST_F(TQBDialerTest, SettingsAppearWhenFirstShownAndThePanelFollowsUseTAPI)
{
    store({"9,", "&F", 2, 1, true, {}});
    window = std::make_unique<TQBDialer>(QStringLiteral("555-1234"), settings);
    window->setPresentDevices({});
    EXPECT_EQ(child<QLineEdit>("PrefixEdit")->text(), QString());   // not before it is shown
    window->show();

    EXPECT_EQ(child<QLineEdit>("NumberEdit")->text(), QStringLiteral("555-1234"));
    EXPECT_EQ(child<QLineEdit>("PrefixEdit")->text(), QStringLiteral("9,"));
    EXPECT_EQ(child<QLineEdit>("InitEdit")->text(), QStringLiteral("&F"));
    EXPECT_EQ(child<QComboBox>("PortCombo")->currentText(), QStringLiteral("COM 3"));
    EXPECT_TRUE(child<QRadioButton>("PulseRadio")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("UseTAPICheck")->isChecked());
    EXPECT_FALSE(panelShown());

    auto* useTapi = child<QCheckBox>("UseTAPICheck");
    QTest::mouseClick(useTapi, Qt::LeftButton, {}, QPoint(4, useTapi->height() / 2));
    EXPECT_TRUE(panelShown());
    QTest::mouseClick(useTapi, Qt::LeftButton, {}, QPoint(4, useTapi->height() / 2));
    EXPECT_FALSE(panelShown());
}

TEST_F(TQBDialerTest, DialWritesTheSettingsAndSendsPrefixAndNumberToThePort)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    store({"", "", 3, 0, false, pty.device()});
    open(QStringLiteral("555-1234"), {QStringLiteral("/dev/ttyS0")});
    EXPECT_EQ(child<QComboBox>("PortCombo")->currentText(), pty.device());

    QTest::keyClicks(child<QLineEdit>("PrefixEdit"), QStringLiteral("9,"));
    child<QRadioButton>("PulseRadio")->click();
    child<QPushButton>("DialButton")->click();

    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("Pick up phone")});
    EXPECT_EQ(pty.read(), QByteArray("ATDP9,555-1234\r\nATH\r\n"));
    EXPECT_EQ(window->result(), QDialog::Accepted);
    // The device is kept beside the COM port stored before, which keeps its meaning.
    EXPECT_EQ(DialingPreferences::read(settings), (DialingPreferences{"9,", "", 3, 1, false, pty.device()}));
}

TEST_F(TQBDialerTest, ChoosingACOMPortAgainForgetsTheDevice)
{
    store({"", "", 0, 0, false, QStringLiteral("/dev/ttyACM0")});
    open(QStringLiteral("5551234"), {QStringLiteral("/dev/ttyACM0")});
    EXPECT_EQ(window->values().device, QStringLiteral("/dev/ttyACM0"));
    child<QComboBox>("PortCombo")->setCurrentIndex(1);
    EXPECT_EQ(window->values(), (DialingPreferences{"", "", 1, 0, false, {}}));
}

TEST_F(TQBDialerTest, RefusedNumberSendsNothingAndTheWindowStaysForAnotherTry)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    store({"9", "ATZ", 0, 0, false, pty.device()});
    open(QStringLiteral("555-CALL"));
    child<QPushButton>("DialButton")->click();

    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].text.startsWith(QLatin1String("Unable to dial \"9555-CALL\"")));
    EXPECT_EQ(pty.read(), QByteArray());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(child<QPushButton>("HelpButton")->isVisible());
    EXPECT_TRUE(child<QToolButton>("MouseHelpButton")->isVisible());
    EXPECT_TRUE(child<QPushButton>("DialButton")->isEnabled());
}

TEST_F(TQBDialerTest, UseTAPIHandsPrefixAndNumberToTheTelephonyWindow)
{
    const struct {
        const char* prefix;
        const char* number;
        const char* called;
    } cases[] = {
        {"9", "555-1234", "9555-1234"},
        {"", "+44 20 7946 0958", "+44 20 7946 0958"},   // an international number as written
    };
    for (const auto& c : cases) {
        store({c.prefix, "", 0, 0, true, {}});
        open(QString::fromLatin1(c.number));
        QStringList shown;
        QString number;
        // The telephony window is modal; read it once its call has failed
        // (no service runs on the tests' bus here) and close it.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* call = qobject_cast<TfrmTAPICall*>(QApplication::activeModalWidget());
            if (!call || !call->statusLines().contains(QStringLiteral("* Is the line busy?")))
                return;
            poll.stop();
            shown = call->statusLines();
            number = call->findChild<QLineEdit*>(QStringLiteral("NumberEdit"))->text();
            call->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
        });
        poll.start(10);
        child<QPushButton>("DialButton")->click();

        EXPECT_TRUE(log.texts().isEmpty()) << log.texts().join('|').toStdString();
        EXPECT_EQ(number, QString::fromLatin1(c.called));
        EXPECT_EQ(shown.value(0), QStringLiteral("Error!! - No TAPI devices found"));
        EXPECT_EQ(window->result(), QDialog::Accepted);
    }
}

TEST_F(TQBDialerTest, UseTAPIRefusesANumberTooLongForTheCallWindow)
{
    store({"9,", "", 0, 0, true, {}});
    open(QStringLiteral("1 (555) 123-4567 ext 1234"));   // letters too
    child<QPushButton>("DialButton")->click();
    open(QStringLiteral("011 44 20 7946 0958 0000 1111"));   // 31 with the prefix, one past the edit's length
    child<QPushButton>("DialButton")->click();
    ASSERT_EQ(log.messages.size(), 2u);
    EXPECT_TRUE(log.messages[0].text.contains(QLatin1String("\"e\", which a telephone cannot dial")));
    EXPECT_TRUE(log.messages[1].text.contains(QLatin1String("31 characters long, and at most 30")))
        << log.messages[1].text.toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(TQBDialerTest, HelpShowsTheDialingTopic)
{
    setHelpFolder(QStringLiteral(QB_SOURCE_DIR "/data/help"));
    open(QStringLiteral("5551234"));
    child<QPushButton>("HelpButton")->click();
    auto* viewer = window->findChild<HelpViewer*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(QFileInfo(viewer->topicPath()).fileName(), QStringLiteral("1091.html"));
    setHelpFolder({});
}

TEST(PortChoices, TheFourCOMPortsKeepTheirPlacesBeforeTheDevicesPresent)
{
    const auto texts = [](const QList<PortChoice>& choices) {
        QStringList out;
        for (const PortChoice& c : choices)
            out << c.text;
        return out;
    };
    const QStringList com{"COM 1", "COM 2", "COM 3", "COM 4"};
    struct Case {
        QStringList present;
        QString stored;
        QStringList expected;
    } cases[] = {
        {{}, {}, com},
        {{"/dev/ttyS0", "/dev/ttyS3", "/dev/ttyS4", "/dev/ttyACM0"}, {}, com + QStringList{"/dev/ttyS4", "/dev/ttyACM0"}},
        {{"/dev/ttyUSB0"}, "/dev/ttyUSB0", com + QStringList{"/dev/ttyUSB0"}},
        {{"/dev/ttyUSB0"}, "/dev/ttyACM1", com + QStringList{"/dev/ttyUSB0", "/dev/ttyACM1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.present.join(',').toStdString() + " / " + c.stored.toStdString());
        const QList<PortChoice> choices = portChoices(c.present, c.stored);
        EXPECT_EQ(texts(choices), c.expected);
        EXPECT_EQ(choices.value(2), (PortChoice{"COM 3", 2, {}}));
    }
}

} // namespace
} // namespace qb::test
