#include "mainwindow/taddressmain.h"

#include "core/address_fixture.h"
#include "core/mru.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "core/tqbreindex.h"
#include "mainwindow/configuration_report.h"
#include "mainwindow/record_search.h"
#include "platform/help/help_viewer.h"
#include "window_test_support.h"

#include <csignal>
#include <sys/resource.h>

#include <QAbstractButton>
#include <QAction>
#include <QScreen>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;
using test::Row;

const Row kSmith{{"LNAME", "Smith"}, {"FNAME", "Ann"}, {"ORG", "Acme"}, {"STREET", "1 Main St"},
                 {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}};

// Takes the shortcut events of the objects it watches, so that a menu item's
// key can be seen to reach it without its command running.
class ShortcutCatcher : public QObject {
public:
    QStringList caught;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Shortcut)
            return false;
        caught << watched->objectName();
        return true;
    }
};

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

    // A fresh default database with rows and no window yet, for each case of a table.
    void reseed(const std::vector<Row>& rows)
    {
        window.reset();
        for (const char* ext : {".DBF", ".CDX", ".FPT"})
            QFile::remove(program.data(QStringLiteral("add0001") + ext));
        seed(rows);
    }

    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); }
    std::string field(const char* name) { return window->addressTable().table().text(name); }
    uint32_t recordCount() { return window->addressTable().table().recordCount(); }
    EditState state() { return window->editor().state(); }
    bool asked(const QString& text) { return log.texts().contains(text); }
    // Types n into "Codes" of the current record and saves it.
    void saveCodes(int n)
    {
        QLineEdit* codes = window->fieldEdit("CODES");
        codes->setFocus();
        codes->selectAll();
        QTest::keyClicks(codes, QString::number(n));
        ASSERT_EQ(state(), EditState::Editing);
        button("SaveButton")->click();
    }

    ProgramDir program;
    MessageLog log;
    std::unique_ptr<TAddressMain> window;
};

TEST_F(TAddressMainTest, FirstActivationCreatesAndOpensTheDefaultDatabase)
{
    TAddressMain& w = show();
    EXPECT_TRUE(QFileInfo::exists(defaultPath()));
    ASSERT_TRUE(w.addressTable().isOpen());
    EXPECT_EQ(w.windowTitle(), "Quillbase - " + defaultPath());
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
        reseed({kSmith});
        TAddressMain& w = show();
        button("AddButton")->click();
        QTest::keyClicks(w.fieldEdit("LNAME"), "Brown");
        log.messages.clear();
        log.answer = c.answer;
        QTest::keyClick(w.fieldEdit("LNAME"), Qt::Key_PageDown);
        EXPECT_TRUE(asked("Save changes?"));
        EXPECT_EQ(state(), c.after);
        if (c.after == EditState::Browsing) {
            EXPECT_EQ(w.editor().passingCount(), c.passing);
        }
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
        reseed({kSmith});
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

TEST_F(TAddressMainTest, AddWithPlugCityStateFillsThemFromTheNewRecordZip)
{
    seed({kSmith, {{"LNAME", "Roy"}, {"CITY", "Ottawa"}, {"STATE", "ON"}, {"ZIP", "K1A 0B1"}}});
    Settings::program().setBoolean("Adding", "PlugCityState", true);
    TAddressMain& w = show();
    std::vector<std::pair<bool, bool>> asked;   // askNames, askZip of each call
    w.setNewRecordDialog([&asked](bool askNames, bool askZip) {
        asked.emplace_back(askNames, askZip);
        return std::optional<NewRecordEntry>(NewRecordEntry{"", "", "k1a 0b1"});
    });

    button("AddButton")->click();
    ASSERT_EQ(state(), EditState::Adding);
    EXPECT_EQ(asked, (std::vector<std::pair<bool, bool>>{{false, true}}));
    EXPECT_EQ(w.fieldEdit("CITY")->text(), "Ottawa");
    EXPECT_EQ(w.fieldEdit("STATE")->text(), "ON");
    EXPECT_EQ(w.fieldEdit("ZIP")->text(), "k1a 0b1");

    QTest::keyClicks(w.fieldEdit("LNAME"), "Brown");
    button("SaveButton")->click();
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(recordCount(), 3u);
    EXPECT_EQ(field("LNAME"), "Brown");
    EXPECT_EQ(field("CITY"), "Ottawa");
    EXPECT_EQ(field("STATE"), "ON");
}

TEST_F(TAddressMainTest, DuplicateWarningAnsweredNoShowsTheFoundRecordAndAddsNothing)
{
    Row smith = kSmith;
    smith["STREET2"] = "Suite 2";
    smith["COUNTRY"] = "USA";
    seed({{{"LNAME", "Adams"}}, smith, {{"LNAME", "Young"}}});
    Settings::program().setBoolean("Adding", "AutoDupCheck", true);
    TAddressMain& w = show();
    ASSERT_EQ(w.fieldEdit("LNAME")->text(), "Adams");
    w.setNewRecordDialog(
        [](bool, bool) { return std::optional<NewRecordEntry>(NewRecordEntry{"smith", "ann", ""}); });

    log.answer = false;
    button("AddButton")->click();
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].kind, MessageKind::QuestionDefaultNo);
    EXPECT_EQ(log.messages[0].caption, "Possible Duplicate");
    EXPECT_EQ(log.messages[0].text,
              "Possible duplicate: \r\n\r\nAnn Smith\r\n1 Main St\r\nSpringfield,IL 62701\r\n\r\nContinue adding?");
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(recordCount(), 3u);
    EXPECT_EQ(field("LNAME"), "Smith");
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Smith");
    EXPECT_EQ(w.fieldEdit("FNAME")->text(), "Ann");
    EXPECT_EQ(w.filterStatus(), "3 records (no filter)");
}

TEST_F(TAddressMainTest, SavingTheMemoPageAppliesTheMemoLengthRule)
{
    seed({kSmith});
    TAddressMain& w = show();
    auto* tabs = w.findChild<QTabBar*>("PageTabs");
    ASSERT_NE(tabs, nullptr);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_EQ(tabs->currentIndex(), 1);
    auto* memo = w.findChild<QPlainTextEdit*>("MemoEditor");
    ASSERT_NE(memo, nullptr);
    ASSERT_TRUE(memo->isVisible());

    struct Case {
        const char* typed;
        std::string stored;
    } cases[] = {{"abcd", "abcd "}, {"abc", "abc"}, {"abcde", "abcde"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        memo->setFocus();
        memo->selectAll();
        QTest::keyClicks(memo, c.typed);
        EXPECT_EQ(state(), EditState::Editing);
        button("SaveButton")->click();
        EXPECT_EQ(state(), EditState::Browsing);
        EXPECT_EQ(w.addressTable().table().memo("MEMO"), c.stored);
    }
}

TEST_F(TAddressMainTest, AggressiveSavingReopensTheDatabaseAfterItsThreshold)
{
    struct Case {
        int level;
        std::vector<int> reopenedAfter;   // 1-based saves after which the database was opened again
    } cases[] = {{0, {}}, {1, {5, 10}}, {2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        reseed({kSmith, {{"LNAME", "Young"}}});
        Settings::program().setInteger("Editing", "AggressiveSave", c.level);
        TAddressMain& w = show();
        int opens = 0;
        w.setReopenDatabase([&opens, &w](const QString& path) {
            ++opens;
            return openAddressDatabase(w.addressTable(), path, {});
        });
        button("LastButton")->click();
        ASSERT_EQ(w.fieldEdit("LNAME")->text(), "Young");

        std::vector<int> reopened;
        for (int i = 1; i <= 10; ++i) {
            const int before = opens;
            saveCodes(i);
            if (opens != before)
                reopened.push_back(i);
            // After a reopen the window is back on the same record, in the same order.
            ASSERT_TRUE(w.addressTable().isOpen());
            EXPECT_EQ(state(), EditState::Browsing);
            EXPECT_EQ(field("LNAME"), "Young");
            EXPECT_EQ(field("CODES"), std::to_string(i));
            EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Young");
            EXPECT_EQ(w.fieldEdit("CODES")->text(), QString::number(i));
            EXPECT_EQ(w.addressTable().table().currentOrderName(), "LNAME");
            EXPECT_EQ(w.filterStatus(), "2 records (no filter)");
        }
        EXPECT_EQ(reopened, c.reopenedAfter);
        EXPECT_TRUE(log.messages.empty());
    }
}

TEST_F(TAddressMainTest, CloneMenuCopiesTheRecordWithoutItsTag)
{
    Row tagged = kSmith;
    tagged["TAG"] = "ABC";
    tagged["USER2"] = "note";
    seed({tagged});
    TAddressMain& w = show();
    auto* clone = w.findChild<QAction*>("mnuClone");
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->text(), "Create a Duplicate &Record (Clone)");
    ASSERT_TRUE(clone->isEnabled());

    clone->trigger();
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.front().text, "Clone this record?");
    EXPECT_EQ(log.messages.front().caption, "Clone");
    EXPECT_EQ(log.messages.back().text, "Clone completed. Current record is an exact copy");
    EXPECT_EQ(recordCount(), 2u);
    EXPECT_EQ(w.addressTable().table().recno(), 2u);
    EXPECT_EQ(field("TAG"), "");
    EXPECT_EQ(field("USER2"), "note");
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Smith");
    EXPECT_EQ(w.fieldEdit("USER2")->text(), "note");
    EXPECT_EQ(w.filterStatus(), "2 records (no filter)");
    EXPECT_EQ(state(), EditState::Browsing);
}

// The most recent database's first record points its memo outside the memo
// file: the program still starts, says what is wrong, loses nothing, and
// File > Open reaches another database.
TEST_F(TAddressMainTest, ADamagedFirstRecordStillStartsTheProgram)
{
    seed({{{"LNAME", "Adams"}, {"PHONE", "1"}, {"MEMO", "adams memo"}}, {{"LNAME", "Brown"}, {"MEMO", "brown memo"}}});
    test::pointMemoOutsideItsFile(defaultPath(), 1);
    const QString other = program.data("other.DBF");
    ASSERT_TRUE(createAddressTable(other, FieldLengths::settingsDefaults()));
    {
        AddressTable t;
        ASSERT_TRUE(t.open(other));
        test::addRow(t.table(), {{"LNAME", "Young"}, {"MEMO", "young memo"}});
    }
    Settings settings = Settings::program();
    recordMruOpen(settings, defaultPath());

    TAddressMain& w = show();
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].text.contains("lies outside the file")) << log.messages[0].text.toStdString();
    ASSERT_TRUE(w.addressTable().isOpen());
    EXPECT_EQ(w.windowTitle(), "Quillbase - " + defaultPath());
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Adams");
    EXPECT_EQ(w.memoEditor()->toPlainText(), "");
    EXPECT_FALSE(w.memoEditor()->placeholderText().isEmpty());

    // Another field of the damaged record can be saved; its memo pointer is left alone.
    const std::string pointer = w.addressTable().table().raw("MEMO");
    QLineEdit* phone = w.fieldEdit("PHONE");
    phone->setFocus();
    phone->selectAll();
    QTest::keyClicks(phone, "2");
    button("SaveButton")->click();
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(field("PHONE"), "2");
    EXPECT_EQ(w.addressTable().table().raw("MEMO"), pointer);

    button("NextButton")->click();
    EXPECT_EQ(w.memoEditor()->toPlainText(), "brown memo");
    log.messages.clear();
    button("PriorButton")->click();
    EXPECT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Adams");
    EXPECT_EQ(w.memoEditor()->toPlainText(), "");

    w.setOpenDatabaseQuestion([&] { return other; });
    w.findChild<QAction*>("mnuOpenDatabase")->trigger();
    EXPECT_EQ(w.windowTitle(), "Quillbase - " + other);
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Young");
    EXPECT_EQ(w.memoEditor()->toPlainText(), "young memo");
}

// Writes beyond this size fail as on a full disk; the limit goes with the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

// Adds "Brown" with a memo and saves it on a disk too full for the table to
// grow: the Save says "write error" and the record stays being added.
void addBrownOnAFullDisk(TAddressMain& w, const QString& table, test::MessageLog& log)
{
    w.findChild<QPushButton*>("AddButton")->click();
    QTest::keyClicks(w.fieldEdit("LNAME"), "Brown");
    w.memoEditor()->setFocus();
    QTest::keyClicks(w.memoEditor(), "a new memo");
    {
        FileSizeLimit full(rlim_t(QFileInfo(table).size()));
        w.findChild<QPushButton*>("SaveButton")->click();
    }
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].text.contains("write error")) << log.messages[0].text.toStdString();
    EXPECT_EQ(w.editor().state(), EditState::Adding);
}

// A Save the disk refuses says so and keeps the record being typed, so the
// user can save it once there is room, or give it up.
TEST_F(TAddressMainTest, ASaveTheDiskRefusesKeepsTheRecordBeingTyped)
{
    seed({kSmith});
    TAddressMain& w = show();
    addBrownOnAFullDisk(w, defaultPath(), log);
    auto* memo = w.memoEditor();
    EXPECT_TRUE(button("SaveButton")->isVisible());
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Brown");
    EXPECT_EQ(memo->toPlainText(), "a new memo");

    // The failed post lost the index; its rebuild offer is declined here.
    log.answer = false;
    button("SaveButton")->click();
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(recordCount(), 2u);
    EXPECT_EQ(field("LNAME"), "Brown");
    EXPECT_EQ(w.addressTable().table().memo("MEMO"), "a new memo");
    EXPECT_EQ(w.filterStatus(), "2 records (no filter)");
}

// A full disk on Save loses the index part way through the post. Once there
// is room again and the record is saved, the user is told once and offered
// the rebuild; five more saves (the fifth closes and reopens the database)
// ask nothing more, lose nothing, and Search says why it cannot search
// while the index is still to be rebuilt.
TEST_F(TAddressMainTest, AnIndexLostOnAFullDiskIsOfferedForRebuildOnce)
{
    for (const bool rebuild : {true, false}) {
        SCOPED_TRACE(rebuild ? "rebuilt" : "not rebuilt");
        reseed({kSmith});
        Settings::program().setInteger("Editing", "AggressiveSave", 1);
        TAddressMain& w = show();
        addBrownOnAFullDisk(w, defaultPath(), log);
        ASSERT_EQ(state(), EditState::Adding);

        log.answer = rebuild;
        if (rebuild) {
            test::whenShown<TQBReindex>([](TQBReindex* d) {
                QTest::mouseClick(test::child<QPushButton>(d, "ReindexButton"), Qt::LeftButton);
            });
        }
        button("SaveButton")->click();
        EXPECT_EQ(state(), EditState::Browsing);
        const QString question = rebuildQuestion(defaultPath());
        EXPECT_EQ(log.texts().count(question), 1);
        EXPECT_EQ(w.addressTable().checkValidIndex(), rebuild);

        for (int i = 1; i <= 5; ++i) {
            saveCodes(i);
            ASSERT_TRUE(w.addressTable().isOpen());
            EXPECT_EQ(state(), EditState::Browsing);
            EXPECT_EQ(field("LNAME"), "Brown");
            EXPECT_EQ(field("CODES"), std::to_string(i));
        }
        EXPECT_EQ(log.texts().count(question), 1);
        EXPECT_FALSE(asked(kReopenFailedMessage));
        EXPECT_EQ(recordCount(), 2u);
        EXPECT_EQ(w.addressTable().table().memo("MEMO"), "a new memo");
        EXPECT_EQ(w.filterStatus(), "2 records (no filter)");

        log.messages.clear();
        if (rebuild) {
            EXPECT_EQ(w.sortStatus(), "Sorted by Last Name");
        } else {
            w.findChild<QAction*>("mnuSearch")->trigger();
            ASSERT_EQ(log.messages.size(), 1u);
            EXPECT_EQ(log.messages[0].text, kSearchNeedsIndexMessage);
        }
        window.reset();
        AddressTable t;
        ASSERT_TRUE(t.open(defaultPath()));
        EXPECT_EQ(t.table().recordCount(), 2u);
        ASSERT_TRUE(t.table().go(2));
        EXPECT_EQ(t.table().text("LNAME"), "Brown");
        EXPECT_EQ(t.table().text("CODES"), "5");
        EXPECT_EQ(t.table().memo("MEMO"), "a new memo");
    }
}

// After aggressive saving gave up on the database, the window shows nothing
// of the lost record, and the next database's records are its own.
TEST_F(TAddressMainTest, AFailedReopenLeavesNoOldTextsBehind)
{
    seed({kSmith});
    Settings::program().setInteger("Editing", "AggressiveSave", 2);
    TAddressMain& w = show();
    w.setReopenDatabase([](const QString&) { return DatabaseOpening{}; });
    QLineEdit* phone = w.fieldEdit("PHONE");
    QTest::keyClicks(phone, "555");
    button("SaveButton")->click();
    EXPECT_TRUE(asked(kReopenFailedMessage));
    EXPECT_FALSE(w.addressTable().isOpen());
    EXPECT_EQ(state(), EditState::NoDatabase);
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "");
    EXPECT_EQ(phone->text(), "");

    const QString other = program.data("other.DBF");
    ASSERT_TRUE(createAddressTable(other, FieldLengths::settingsDefaults()));
    {
        AddressTable t;
        ASSERT_TRUE(t.open(other));
        test::addRow(t.table(), {{"LNAME", "Young"}});
    }
    w.setReopenDatabase([&w](const QString& path) { return openAddressDatabase(w.addressTable(), path, {}); });
    w.setOpenDatabaseQuestion([&] { return other; });
    w.findChild<QAction*>("mnuOpenDatabase")->trigger();
    EXPECT_EQ(w.fieldEdit("LNAME")->text(), "Young");
    EXPECT_EQ(phone->text(), "");
    phone->setFocus();
    QTest::keyClicks(phone, "7");
    button("SaveButton")->click();
    EXPECT_EQ(field("LNAME"), "Young");
    EXPECT_EQ(field("PHONE"), "7");
    EXPECT_EQ(field("ORG"), "");
}

TEST_F(TAddressMainTest, TheCaptionNamesTheDatabaseEvenWhenItDidNotOpen)
{
    seed({kSmith});
    TAddressMain& w = show();
    const QString broken = program.data("broken.DBF");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a table at all");
    f.close();
    w.setOpenDatabaseQuestion([&] { return broken; });
    w.findChild<QAction*>("mnuOpenDatabase")->trigger();
    EXPECT_FALSE(w.addressTable().isOpen());
    EXPECT_EQ(w.windowTitle(), "Quillbase - " + broken);
    EXPECT_TRUE(log.texts().last().startsWith("Unable to open " + broken));
}

// However an add ends, the fields skipped while typing it are tab stops again.
TEST_F(TAddressMainTest, SkippedFieldsComeBackAfterEveryWayAnAddEnds)
{
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } cases[] = {
        {"Ctrl+Enter", Qt::Key_Return, Qt::ControlModifier},
        {"Esc", Qt::Key_Escape, Qt::NoModifier},
        {"PgDn", Qt::Key_PageDown, Qt::NoModifier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reseed({kSmith});
        Settings::program().setBoolean("Adding", "SkipPhone1", true);
        TAddressMain& w = show();
        button("AddButton")->click();
        ASSERT_EQ(w.fieldEdit("PHONE")->focusPolicy(), Qt::ClickFocus);
        QTest::keyClicks(w.fieldEdit("LNAME"), "Brown");
        QTest::keyClick(w.fieldEdit("LNAME"), c.key, c.modifiers);
        EXPECT_EQ(state(), EditState::Browsing);
        EXPECT_EQ(w.fieldEdit("PHONE")->focusPolicy(), Qt::StrongFocus);
    }
}

TEST_F(TAddressMainTest, EscInAMenuIsTheMenusOwn)
{
    seed({kSmith});
    TAddressMain& w = show();
    QTest::keyClicks(w.fieldEdit("PHONE"), "5");
    ASSERT_EQ(state(), EditState::Editing);
    auto* help = w.findChild<QMenu*>("HelpMenu");
    ASSERT_NE(help, nullptr);
    QTest::keyClick(help, Qt::Key_Escape);
    EXPECT_FALSE(asked("Cancel changes?"));
    EXPECT_EQ(state(), EditState::Editing);
}

TEST_F(TAddressMainTest, FindNextBelongsToTheDatabaseItSearched)
{
    seed({{{"LNAME", "Adams"}, {"MEMO", "needle"}}, {{"LNAME", "Brown"}, {"MEMO", "needle"}}});
    TAddressMain& w = show();
    w.setMemoSearchQuestion([] { return QString("needle"); });
    button("SearchMemoButton")->click();
    ASSERT_FALSE(button("FindNextButton")->isHidden());
    w.setOpenDatabaseQuestion([&] { return defaultPath(); });
    w.findChild<QAction*>("mnuOpenDatabase")->trigger();
    EXPECT_TRUE(button("FindNextButton")->isHidden());
    EXPECT_FALSE(w.memoFound());
}

// The window keeps the size it was given whatever it shows, and one moved
// past the screen's right edge comes back to its left edge.
TEST_F(TAddressMainTest, TheWindowKeepsItsWidthAndStaysOnTheScreen)
{
    seed({kSmith});
    TAddressMain& w = show();
    const QRect screen = w.screen()->availableGeometry();
    w.resize(700, 400);
    QApplication::processEvents();
    const int width = w.width();
    button("AddButton")->click();
    QApplication::processEvents();
    EXPECT_EQ(w.width(), width);
    button("CancelButton")->click();
    w.filter().conditions.texts[0] = "Smith";
    w.applyFilter();
    w.SetButtons();
    ASSERT_TRUE(button("ClearFilterButton")->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(w.width(), width);

    w.move(screen.right() - 300, screen.top() + 10);
    QApplication::processEvents();
    EXPECT_EQ(w.frameGeometry().left(), screen.left());
    EXPECT_EQ(w.frameGeometry().top(), screen.top() + 10);
}

// Alt and the underlined letter reach the one control that shows it now.
TEST_F(TAddressMainTest, MnemonicsReachTheControlShowingThem)
{
    seed({kSmith});
    TAddressMain& w = show();
    QApplication::setActiveWindow(&w);
    QLineEdit* phone = w.fieldEdit("PHONE");
    phone->setFocus();
    QTest::keyClicks(phone, "5");
    ASSERT_EQ(state(), EditState::Editing);
    QTest::keyClick(phone, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(state(), EditState::Browsing);
    EXPECT_EQ(field("PHONE"), "5");

    auto* tabs = w.findChild<QTabBar*>("PageTabs");
    QTest::keyClick(phone, Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    bool asked = false;
    w.setMemoSearchQuestion([&asked] {
        asked = true;
        return std::optional<QString>();
    });
    QTest::keyClick(w.memoEditor(), Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(asked);
}

TEST_F(TAddressMainTest, EveryControlAnswersWhatsThis)
{
    seed({kSmith});
    TAddressMain& w = show();
    int controls = 0;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractButton*>(c) ||
                             qobject_cast<QPlainTextEdit*>(c) || qobject_cast<QTabBar*>(c);
        // Qt's own scroll and extension buttons of the tab and menu bars are not ours.
        const bool qtsOwn = qobject_cast<QTabBar*>(c->parentWidget()) || qobject_cast<QMenuBar*>(c->parentWidget());
        if (!control || qtsOwn || c->objectName().isEmpty())
            continue;
        ++controls;
        SCOPED_TRACE(c->objectName().toStdString());
        EXPECT_FALSE(c->whatsThis().isEmpty());
        EXPECT_EQ(c->contextMenuPolicy(), Qt::CustomContextMenu);
    }
    EXPECT_GE(controls, 40);
}

// Receives the addresses the program hands to the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(TAddressMainTest, HelpMenuOpensTheContentsAndTheProjectsPage)
{
    setHelpFolder(QStringLiteral(QB_SOURCE_DIR "/data/help"));
    seed({kSmith});
    TAddressMain& w = show();
    w.findChild<QAction*>("mnuContents")->trigger();
    auto* viewer = w.findChild<HelpViewer*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(QFileInfo(viewer->topicPath()).fileName(), "contents.html");
    viewer->close();

    UrlCatcher browser;
    QDesktopServices::setUrlHandler("https", &browser, "open");
    auto* website = w.findChild<QAction*>("mnuWebsite");
    EXPECT_TRUE(website->isEnabled());
    website->trigger();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(kProjectWebsite)});
    setHelpFolder({});
}

// Every command key the menus name reaches its menu item while the cursor is
// in a record field (the fields would take Ctrl+E, Ctrl+L and others as line
// editing keys). The keys are pressed as the user presses them; the item's
// shortcut is caught before its command runs. The Edit menu's keys stay the
// field's own.
TEST_F(TAddressMainTest, MenuCommandKeysWorkWhicheverFieldHasTheFocus)
{
    seed({kSmith});
    TAddressMain& w = show();
    ASSERT_TRUE(w.addressTable().isOpen());
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ShortcutCatcher catcher;
    QList<QAction*> keyed;
    for (QAction* a : w.menuBar()->findChildren<QAction*>())
        if (!a->shortcut().isEmpty() && a->isEnabled() &&
            !QStringList{"mnuUndo", "mnuCut", "mnuCopy", "mnuPaste"}.contains(a->objectName())) {
            a->installEventFilter(&catcher);
            keyed << a;
        }
    ASSERT_GE(keyed.size(), 10);
    for (const char* name : {"LNAME", "CITY", "ZIP"}) {
        QLineEdit* edit = w.fieldEdit(name);
        ASSERT_TRUE(edit);
        for (QAction* a : keyed) {
            catcher.caught.clear();
            edit->setFocus();
            const QKeyCombination key = a->shortcut()[0];
            QTest::keyClick(edit, key.key(), key.keyboardModifiers());
            EXPECT_EQ(catcher.caught, QStringList{a->objectName()})
                << name << " " << a->shortcut().toString().toStdString();
        }
    }
}

} // namespace
} // namespace qb

#include "taddressmain_test.moc"
