#include "mainwindow/taddressmain.h"

#include "core/address_fixture.h"
#include "core/mru.h"
#include "core/preferences.h"
#include "core/settings.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;
using test::Row;

const Row kSmith{{"LNAME", "Smith"}, {"FNAME", "Ann"}, {"ORG", "Acme"}, {"STREET", "1 Main St"},
                 {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}};

class TAddressMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        // The Getting Started window is modal; these tests are about the main window.
        Settings::program().setBoolean("Misc", "GettingStarted", true);
    }

    QString defaultPath() const { return program.data("add0001.DBF"); }

    // The default database with rows, made before the window first shows.
    void seed(const std::vector<Row>& rows)
    {
        ASSERT_TRUE(createAddressTable(defaultPath(), FieldLengths::settingsDefaults()));
        AddressTable t;
        ASSERT_TRUE(t.open(defaultPath()));
        for (const Row& r : rows)
            test::addRow(t.table(), r);
        t.close();
    }

    TAddressMain& show()
    {
        window = std::make_unique<TAddressMain>();
        window->show();
        return *window;
    }

    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); }
    std::string field(const char* name) { return window->addressTable().table().text(name); }
    EditState state() { return window->editor().state(); }
    bool asked(const QString& text) { return log.texts().contains(text); }

    ProgramDir program;
    MessageLog log;
    std::unique_ptr<TAddressMain> window;
};

TEST_F(TAddressMainTest, FirstActivationCreatesAndOpensTheDefaultDatabase)
{
    TAddressMain& w = show();
    EXPECT_TRUE(QFileInfo::exists(defaultPath()));
    ASSERT_TRUE(w.addressTable().isOpen());
    EXPECT_EQ(w.windowTitle(), "Quillbase");
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(w.filterStatus(), "No records");
    EXPECT_EQ(w.sortStatus(), "Sorted by Last Name");
    EXPECT_TRUE(button("AddButton")->isEnabled());
    EXPECT_FALSE(button("EditButton")->isEnabled());

    Settings settings = Settings::program();
    EXPECT_EQ(readMru(settings), QStringList{w.addressTable().path()});
    EXPECT_FALSE(settings.string("Misc", "GlobalTagId").isEmpty());
    EXPECT_TRUE(settings.contains("TAddressMain_Placement", "Bottom"));
}

TEST_F(TAddressMainTest, WithoutADatabaseTheEmptyPanelCoversTheRecord)
{
    QDir(program.folder() + "DATA").removeRecursively();
    TAddressMain& w = show();
    EXPECT_FALSE(w.addressTable().isOpen());
    auto* panel = w.findChild<QLabel*>("EmptyTablePanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(), "Please Open or Create a Quillbase Address file");
    EXPECT_FALSE(button("AddButton")->isEnabled());
    EXPECT_FALSE(w.findChild<QAction*>("mnuRebuildIndexes")->isEnabled());
    EXPECT_EQ(w.filterStatus(), "");
}

TEST_F(TAddressMainTest, TypingIntoAFieldAndSaveStoresIt)
{
    struct Case {
        const char* field;
        bool insert;          // Insert toggled on before typing
        const char* typed;
        const char* stored;
    } cases[] = {
        {"PHONE", false, "555-1234", "555-1234"},
        {"LNAME", false, "J", "Jmith"},     // overtype replaces the character at the caret
        {"LNAME", true, "J", "JSmith"},
        {"MIDDLE", false, "q", "Q"},        // typed in capitals
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        window.reset();
        QFile::remove(defaultPath());
        QFile::remove(program.data("add0001.CDX"));
        QFile::remove(program.data("add0001.FPT"));
        seed({kSmith});
        TAddressMain& w = show();
        QLineEdit* edit = w.fieldEdit(c.field);
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->setCursorPosition(0);
        if (c.insert)
            QTest::keyClick(edit, Qt::Key_Insert);
        QTest::keyClicks(edit, c.typed);
        EXPECT_EQ(state(), EditState::Editing);
        EXPECT_TRUE(button("SaveButton")->isVisible());
        EXPECT_FALSE(button("EditButton")->isVisible());
        button("SaveButton")->click();
        EXPECT_EQ(state(), EditState::Browsing);
        EXPECT_EQ(field(c.field), c.stored);
        EXPECT_EQ(edit->text().toStdString(), c.stored);
    }
}

TEST_F(TAddressMainTest, AddCarriesTheChosenFieldsForward)
{
    seed({kSmith});
    Settings settings = Settings::program();
    settings.setBoolean("Adding", "CarryCity", true);
    settings.setBoolean("Adding", "CarryZip", true);
    TAddressMain& w = show();

    button("AddButton")->click();
    ASSERT_EQ(state(), EditState::Adding);
    EXPECT_EQ(w.fieldEdit("CITY")->text(), "Springfield");
    EXPECT_EQ(w.fieldEdit("ZIP")->text(), "62701");
    EXPECT_EQ(w.fieldEdit("ORG")->text(), "");
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "");
    EXPECT_EQ(w.focusWidget(), w.fieldEdit("LNAME"));

    QTest::keyClicks(w.fieldEdit("LNAME"), "Brown");
    button("SaveButton")->click();
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(field("LNAME"), "Brown");
    EXPECT_EQ(field("CITY"), "Springfield");
    EXPECT_EQ(field("ORG"), "");
    EXPECT_EQ(w.filterStatus(), "2 records (no filter)");
}

TEST_F(TAddressMainTest, DeletingTheOnlyRecordLeavesNoRecords)
{
    seed({kSmith});
    TAddressMain& w = show();
    EXPECT_EQ(w.filterStatus(), "1 records (no filter)");
    button("DeleteButton")->click();
    EXPECT_TRUE(asked("Delete this record?"));
    EXPECT_EQ(w.filterStatus(), "No records");
    for (const char* name : {"EditButton", "DeleteButton", "SearchButton", "BrowseButton", "LabelsButton",
                             "LettersButton", "EnvelopesButton", "ReportsButton"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(button(name)->isEnabled());
    }
    EXPECT_TRUE(button("AddButton")->isEnabled());
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "");
}

TEST_F(TAddressMainTest, PageDownWhileAddingAsksToSave)
{
    struct Case {
        bool answer;
        EditState after;
        uint32_t passing;
    } cases[] = {{false, EditState::Adding, 1}, {true, EditState::Browsing, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        window.reset();
        for (const char* ext : {".DBF", ".CDX", ".FPT"})
            QFile::remove(program.data(QStringLiteral("add0001") + ext));
        seed({kSmith});
        TAddressMain& w = show();
        button("AddButton")->click();
        QTest::keyClicks(w.fieldEdit("LNAME"), "Brown");
        log.messages.clear();
        log.answer = c.answer;
        QTest::keyClick(w.fieldEdit("LNAME"), Qt::Key_PageDown);
        EXPECT_TRUE(asked("Save changes?"));
        EXPECT_EQ(state(), c.after);
        if (c.after == EditState::Browsing)
            EXPECT_EQ(w.editor().passingCount(), c.passing);
        log.answer = true;
    }
}

TEST_F(TAddressMainTest, ChoosingASortOrderUpdatesTheStatus)
{
    seed({kSmith});
    TAddressMain& w = show();
    auto* city = w.findChild<QAction*>("mnuSortCity");
    ASSERT_NE(city, nullptr);
    city->trigger();
    EXPECT_EQ(w.sortStatus(), "Sorted by City");
    EXPECT_TRUE(city->isChecked());
    EXPECT_FALSE(w.findChild<QAction*>("mnuSortLastName")->isChecked());
    EXPECT_EQ(w.editor().currentOrder(), "CITY");
}

TEST_F(TAddressMainTest, ClosingWithAPendingEditAsksToSave)
{
    struct Case {
        bool answer;
        const char* stored;
    } cases[] = {{true, "Jones"}, {false, "Smith"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        window.reset();
        for (const char* ext : {".DBF", ".CDX", ".FPT"})
            QFile::remove(program.data(QStringLiteral("add0001") + ext));
        seed({kSmith});
        TAddressMain& w = show();
        QLineEdit* last = w.fieldEdit("LNAME");
        last->selectAll();
        QTest::keyClicks(last, "Jones");
        ASSERT_EQ(state(), EditState::Editing);
        log.messages.clear();
        log.answer = c.answer;
        EXPECT_TRUE(w.close());
        EXPECT_TRUE(asked("Save changes?"));
        EXPECT_FALSE(w.addressTable().isOpen());
        log.answer = true;

        AddressTable t;
        ASSERT_TRUE(t.open(defaultPath()));
        t.table().first();
        EXPECT_EQ(t.table().text("LNAME"), c.stored);
    }
}

} // namespace
} // namespace qb
