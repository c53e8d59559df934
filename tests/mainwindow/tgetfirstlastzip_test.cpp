#include "mainwindow/tgetfirstlastzip.h"

#include "core/address_table.h"
#include "core/field_lengths.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

QLineEdit* edit(TGetFirstLastZip& d, const char* name) { return d.findChild<QLineEdit*>(name); }

// The grid row a control sits in; -1 when it is not laid out.
int rowOf(TGetFirstLastZip& d, const char* name)
{
    auto* grid = d.findChild<QGridLayout*>();
    const int index = grid->indexOf(d.findChild<QWidget*>(name));
    if (index < 0)
        return -1;
    int row, column, rowSpan, columnSpan;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    return row;
}

TEST(TGetFirstLastZip, ShowsTheAskedBoxesWithTheZipInTheLastNamesPlaceWithoutNames)
{
    struct Case {
        bool names, zip;
        int lastRow, firstRow, zipRow;   // -1: not shown
    };
    const Case cases[] = {
        {true, true, 0, 1, 2},
        {true, false, 0, 1, -1},
        {false, true, -1, -1, 0},
    };
    for (const Case& c : cases) {
        TGetFirstLastZip d(c.names, c.zip);
        d.show();
        EXPECT_EQ(rowOf(d, "LastNameEdit"), c.lastRow) << c.names << c.zip;
        EXPECT_EQ(rowOf(d, "LastNameLabel"), c.lastRow) << c.names << c.zip;
        EXPECT_EQ(rowOf(d, "FirstNameEdit"), c.firstRow) << c.names << c.zip;
        EXPECT_EQ(rowOf(d, "ZipEdit"), c.zipRow) << c.names << c.zip;
        EXPECT_EQ(rowOf(d, "ZipLabel"), c.zipRow) << c.names << c.zip;
        EXPECT_EQ(edit(d, "LastNameEdit")->isVisible(), c.names);
        EXPECT_EQ(edit(d, "FirstNameEdit")->isVisible(), c.names);
        EXPECT_EQ(edit(d, "ZipEdit")->isVisible(), c.zip);
        EXPECT_EQ(d.focusWidget(), edit(d, c.names ? "LastNameEdit" : "ZipEdit"));
    }
}

TEST(TGetFirstLastZip, Captions)
{
    TGetFirstLastZip d(true, true);
    EXPECT_EQ(d.windowTitle(), "New Record");
    EXPECT_EQ(d.findChild<QLabel*>("LastNameLabel")->text(), "Last Name");
    EXPECT_EQ(d.findChild<QLabel*>("FirstNameLabel")->text(), "First Name");
    EXPECT_EQ(d.findChild<QLabel*>("ZipLabel")->text(), "Zip Code or Postal Code");
    EXPECT_EQ(d.findChild<QPushButton*>("OkButton")->text(), "Ok [PgDn]");
    EXPECT_EQ(d.findChild<QPushButton*>("CancelButton")->text(), "Cancel");
}

TEST(TGetFirstLastZip, BoxesTakeNoMoreThanTheTablesFieldWidths)
{
    QTemporaryDir dir;
    FieldLengths lengths = FieldLengths::settingsDefaults();
    lengths.setAt(FieldLengths::indexOf("LNAME"), 12);
    lengths.setAt(FieldLengths::indexOf("FNAME"), 8);
    lengths.setAt(FieldLengths::indexOf("ZIP"), 5);
    const QString path = dir.filePath("add0001.DBF");
    ASSERT_TRUE(createAddressTable(path, lengths));
    const NewRecordWidths widths = newRecordWidths(*xbase::Table::open(path.toStdString()));
    EXPECT_EQ(widths.lastName, 12);
    EXPECT_EQ(widths.firstName, 8);
    EXPECT_EQ(widths.zip, 5);

    TGetFirstLastZip d(true, true, widths);
    QTest::keyClicks(edit(d, "LastNameEdit"), "Abcdefghijklmnop");
    QTest::keyClicks(edit(d, "FirstNameEdit"), "Abcdefghijk");
    QTest::keyClicks(edit(d, "ZipEdit"), "12345-6789");
    const NewRecordEntry e = d.entry();
    EXPECT_EQ(e.lastName, "Abcdefghijkl");
    EXPECT_EQ(e.firstName, "Abcdefgh");
    EXPECT_EQ(e.zip, "12345");
}

TEST(TGetFirstLastZip, EntryHoldsWhatTheShownBoxesHoldWithoutTrailingBlanks)
{
    struct Case {
        bool names, zip;
        const char *last, *first, *zipCode;
    };
    const Case cases[] = {
        {true, true, "Smith", "Ann", "k1a 0b1"},
        {true, false, "Smith", "Ann", ""},
        {false, true, "", "", "k1a 0b1"},
    };
    for (const Case& c : cases) {
        TGetFirstLastZip d(c.names, c.zip);
        edit(d, "LastNameEdit")->setText("Smith  ");
        edit(d, "FirstNameEdit")->setText("Ann ");
        edit(d, "ZipEdit")->setText("k1a 0b1 ");
        const NewRecordEntry e = d.entry();
        EXPECT_EQ(e.lastName, c.last);
        EXPECT_EQ(e.firstName, c.first);
        EXPECT_EQ(e.zip, c.zipCode);
    }
    TGetFirstLastZip blanks(true, true);
    edit(blanks, "LastNameEdit")->setText("   ");
    EXPECT_EQ(blanks.entry().lastName, "");   // blanks alone are nothing typed
}

TEST(TGetFirstLastZip, PgDnEnterInTheZipAndEnterPastTheLastBoxAccept)
{
    struct Case {
        bool names, zip;
        const char* box;
        Qt::Key key;
        bool accepted;
        const char* focusAfter;   // where the caret is when the dialog stays
    };
    const Case cases[] = {
        {true, true, "LastNameEdit", Qt::Key_PageDown, true, nullptr},
        {true, true, "FirstNameEdit", Qt::Key_PageDown, true, nullptr},
        {false, true, "ZipEdit", Qt::Key_PageDown, true, nullptr},
        {true, true, "ZipEdit", Qt::Key_Return, true, nullptr},
        {false, true, "ZipEdit", Qt::Key_Enter, true, nullptr},
        {true, false, "FirstNameEdit", Qt::Key_Return, true, nullptr},
        {true, true, "LastNameEdit", Qt::Key_Return, false, "FirstNameEdit"},
        {true, false, "LastNameEdit", Qt::Key_Return, false, "FirstNameEdit"},
        {true, true, "FirstNameEdit", Qt::Key_Return, false, "ZipEdit"},
    };
    for (const Case& c : cases) {
        TGetFirstLastZip d(c.names, c.zip);
        d.show();
        QLineEdit* box = edit(d, c.box);
        box->setFocus();
        QTest::keyClick(box, c.key);
        EXPECT_EQ(d.result() == QDialog::Accepted, c.accepted) << c.box << " " << c.key;
        EXPECT_EQ(d.isVisible(), !c.accepted) << c.box << " " << c.key;
        if (c.focusAfter) {
            EXPECT_EQ(d.focusWidget(), edit(d, c.focusAfter)) << c.box;
        }
    }
}

TEST(TGetFirstLastZip, LeavingTheFirstNameByKeyboardAcceptsOnlyWithoutAZipBox)
{
    struct Case {
        bool zip;
        Qt::FocusReason reason;
        bool accepted;
    };
    const Case cases[] = {
        {false, Qt::TabFocusReason, true},
        {false, Qt::BacktabFocusReason, true},
        {false, Qt::MouseFocusReason, false},        // a click on "Cancel" still cancels
        {false, Qt::ActiveWindowFocusReason, false}, // another window came forward
        {true, Qt::TabFocusReason, false},
    };
    for (const Case& c : cases) {
        TGetFirstLastZip d(true, c.zip);
        d.show();
        QFocusEvent out(QEvent::FocusOut, c.reason);
        QApplication::sendEvent(edit(d, "FirstNameEdit"), &out);
        EXPECT_EQ(d.result() == QDialog::Accepted, c.accepted) << c.zip << " " << c.reason;
    }
}

// Runs the modal dialog; act drives it once it is up.
template <typename Act>
std::optional<NewRecordEntry> run(bool names, bool zip, Act act)
{
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<TGetFirstLastZip*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        act(*d);
    });
    return askNewRecordEntry(names, zip, nullptr, {});
}

TEST(AskNewRecordEntry, OkGivesTheEntryAndCancelOrEscNothing)
{
    const auto typed = run(true, true, [](TGetFirstLastZip& d) {
        QTest::keyClicks(edit(d, "LastNameEdit"), "Smith");
        QTest::keyClicks(edit(d, "FirstNameEdit"), "Ann");
        QTest::keyClicks(edit(d, "ZipEdit"), "12345");
        QTest::mouseClick(d.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
    });
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(typed->lastName, "Smith");
    EXPECT_EQ(typed->firstName, "Ann");
    EXPECT_EQ(typed->zip, "12345");

    EXPECT_FALSE(run(true, false, [](TGetFirstLastZip& d) {
        QTest::keyClicks(edit(d, "LastNameEdit"), "Smith");
        QTest::mouseClick(d.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
    }).has_value());
    EXPECT_FALSE(run(false, true, [](TGetFirstLastZip& d) {
        QTest::keyClick(edit(d, "ZipEdit"), Qt::Key_Escape);
    }).has_value());
}

} // namespace
} // namespace qb::test
