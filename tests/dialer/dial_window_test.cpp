// "Dial Phone Number" during a direct dial and with a port typed in: Cancel,
// Esc or the close box in the pause after the initialisation string stop the
// dial before anything more goes to the modem; a device the list does not
// offer can be typed and is dialled and kept.

#include "dialer/tqbdialer.h"
#include "message_log.h"
#include "pty_pair.h"
#include "test_support.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace qb::test {
namespace {

class DialWindow : public ::testing::Test {
protected:
    DialWindow() : settings(QString::fromStdString(dir.file("QUILLB.ini"))) {}

    xbase::test::ScratchDir dir;
    Settings settings;
    MessageLog log;
};

TEST_F(DialWindow, CancelDuringThePauseStopsTheDialBeforeTheDialCommand)
{
    const struct {
        const char* name;
        std::function<void(TQBDialer&)> stop;
    } cases[] = {
        {"Cancel", [](TQBDialer& w) { w.findChild<QPushButton*>("CancelButton")->click(); }},
        {"Esc", [](TQBDialer& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"close box", [](TQBDialer& w) { w.close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPair pty;
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE((DialingPreferences{"9", "&F", 0, 0, false, pty.device()}).write(settings));
        log.messages.clear();
        TQBDialer window(QStringLiteral("555-1234"), settings);
        window.setPresentDevices({});
        window.show();

        QByteArray beforeStop;
        QTimer::singleShot(300, &window, [&] {
            beforeStop = pty.read();
            c.stop(window);
        });
        QElapsedTimer clock;
        clock.start();
        window.findChild<QPushButton*>("DialButton")->click();

        EXPECT_EQ(beforeStop, QByteArray("AT&F\r\n"));
        EXPECT_EQ(pty.read(), QByteArray());
        EXPECT_LT(clock.elapsed(), 1200);   // the pause ends with the stop
        EXPECT_TRUE(log.texts().isEmpty()) << log.texts().join('|').toStdString();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
    }
}

TEST_F(DialWindow, ATypedDeviceIsDialledAndKept)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TQBDialer window(QStringLiteral("555-1234"), settings);
    window.setPresentDevices({QStringLiteral("/dev/ttyS0")});
    window.show();
    auto* port = window.findChild<QComboBox*>("PortCombo");
    ASSERT_TRUE(port->isEditable());
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), pty.device());
    window.findChild<QPushButton*>("DialButton")->click();

    EXPECT_EQ(pty.read(), QByteArray("ATDT555-1234\r\nATH\r\n"));
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("Pick up phone")});
    EXPECT_EQ(DialingPreferences::read(settings).device, pty.device());

    // Shown again, the list offers the device it was given.
    TQBDialer again(QStringLiteral("555-1234"), settings);
    again.setPresentDevices({});
    again.show();
    EXPECT_EQ(again.findChild<QComboBox*>("PortCombo")->currentText(), pty.device());
    EXPECT_EQ(again.values().device, pty.device());
}

} // namespace
} // namespace qb::test
