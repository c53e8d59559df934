// The main window's dial buttons through the command runner: each dials its
// own field of the record shown, into a pseudo-terminal standing in for the
// modem, and the window is on the same record with the same memo afterwards.

#include "core/address_fixture.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "dialer/pty_pair.h"
#include "dialer/tqbdialer.h"
#include "mainwindow/taddressmain.h"
#include "window_test_support.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;

TEST(DialButtons, EachDialsItsFieldOfTheRecordShown)
{
    struct Case {
        const char* button;
        QByteArray sent;
    } cases[] = {
        {"DialPhone1Button", "ATDT9,555-1111\r\nATH\r\n"},
        {"DialPhone2Button", "ATDT9,555-2222\r\nATH\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        ProgramDir program;
        MessageLog log;
        QDir().mkpath(program.folder() + "sysdata");
        Settings settings = Settings::program();
        settings.setBoolean("Misc", "GettingStarted", true);
        test::PtyPair pty;
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(DialingPreferences({"9,", "", 0, 0, false, pty.device()}).write(settings));
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        {
            AddressTable t;
            ASSERT_TRUE(t.open(path));
            test::addRow(t.table(), {{"LNAME", "Adams"}, {"PHONE", "555-0000"}});
            test::addRow(t.table(), {{"LNAME", "Baker"}, {"PHONE", "555-1111"}, {"PHONE2", "555-2222"}, {"MEMO", "baker memo"}});
        }

        TAddressMain window;
        window.show();
        window.findChild<QPushButton*>("NextButton")->click();
        ASSERT_EQ(window.fieldEdit("LNAME")->text(), "Baker");
        bool opened = false;
        test::whenShown<TQBDialer>([&](TQBDialer* dialer) {
            opened = true;
            dialer->findChild<QPushButton*>("DialButton")->click();
        });
        window.findChild<QPushButton*>(c.button)->click();

        EXPECT_TRUE(opened);
        EXPECT_EQ(log.texts(), QStringList{"Pick up phone"});
        EXPECT_EQ(pty.read(), c.sent);
        EXPECT_EQ(window.fieldEdit("LNAME")->text(), "Baker");
        EXPECT_EQ(window.memoEditor()->toPlainText(), "baker memo");
    }
}

} // namespace
} // namespace qb
