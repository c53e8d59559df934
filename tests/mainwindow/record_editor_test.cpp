#include "mainwindow/record_editor.h"

#include "core/address_fixture.h"
#include "mainwindow/button_rules.h"
#include "core/memo_text.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;
using test::Row;

class RecordEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = program.data("ADD0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
    }

    // Rows in the order given; the editor opened on them, at the first record.
    RecordEditor& start(const std::vector<Row>& rows, int aggressiveSave = 0)
    {
        for (const Row& r : rows)
            test::addRow(table.table(), r);
        RecordEditor::Hooks hooks;
        hooks.beep = [this] { ++beeps; };
        hooks.today = [] { return QDate(2024, 3, 9); };
        hooks.openDatabase = [this](const QString& p) {
            ++opens;
            DatabaseOpening opening;
            opening.fileOpened = opening.usable = opens > failingOpens && table.open(p);
            return opening;
        };
        hooks.askNewRecord = [this](bool, bool) { return entry; };
        hooks.refreshButtons = [this] {
            buttons = buttonStates({table.isOpen(), isPending(editor->state()), editor->hasRecord(), false});
        };
        editor = std::make_unique<RecordEditor>(table, hooks);
        EditingPreferences editing;
        editing.aggressiveSave = aggressiveSave;
        editor->setPreferences(adding, editing);
        table.table().setFilter("!ISDEL");
        table.table().first();
        editor->databaseOpened();
        return *editor;
    }

    std::string field(const char* name) { return table.table().text(name); }

    ProgramDir program;
    MessageLog log;
    QString path;
    AddressTable table;
    AddingPreferences adding;
    std::optional<NewRecordEntry> entry;
    std::unique_ptr<RecordEditor> editor;
    ButtonStates buttons;
    int beeps = 0;
    int opens = 0;
    int failingOpens = 0;
};

const Row kSmith{{"LNAME", "Smith"}, {"FNAME", "Ann"}, {"ORG", "Acme"}, {"STREET", "1 Main St"},
                 {"STREET2", "Suite 2"}, {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"},
                 {"COUNTRY", "USA"}};

TEST_F(RecordEditorTest, AddCarriesForwardOnlyTheChosenFields)
{
    adding.carry.org = adding.carry.city = adding.carry.zip = true;
    adding.plugDate = true;
    adding.defaultCountry = "Canada";
    RecordEditor& e = start({kSmith});
    ASSERT_TRUE(e.add());
    EXPECT_EQ(e.state(), EditState::Adding);
    EXPECT_EQ(field("ORG"), "Acme");
    EXPECT_EQ(field("CITY"), "Springfield");
    EXPECT_EQ(field("ZIP"), "62701");
    EXPECT_EQ(field("STATE"), "");
    EXPECT_EQ(field("STREET"), "");
    EXPECT_EQ(field("LNAME"), "");
    // The country is not carried, so the default one goes in.
    EXPECT_EQ(field("COUNTRY"), "Canada");
    EXPECT_EQ(field("DATE"), "20240309");
    ASSERT_TRUE(e.save());
    EXPECT_EQ(table.table().recordCount(), 2u);
    EXPECT_EQ(e.state(), EditState::Browsing);
}

TEST_F(RecordEditorTest, ACarriedCountryWinsOverTheDefault)
{
    adding.carry.country = true;
    adding.defaultCountry = "Canada";
    start({kSmith}).add();
    EXPECT_EQ(field("COUNTRY"), "USA");
}

TEST_F(RecordEditorTest, PlugCityStateFindsAStoredCodeFromALowerCaseEntry)
{
    adding.plugCityState = true;
    entry = NewRecordEntry{"", "", "k1a 0b1"};
    RecordEditor& e = start({kSmith, {{"LNAME", "Roy"}, {"CITY", "Ottawa"}, {"STATE", "ON"}, {"ZIP", "K1A 0B1"}}});
    e.last();
    ASSERT_TRUE(e.add());
    EXPECT_EQ(field("CITY"), "Ottawa");
    EXPECT_EQ(field("STATE"), "ON");
    EXPECT_EQ(field("ZIP"), "k1a 0b1");
    e.cancel();
    EXPECT_EQ(field("LNAME"), "Smith");   // back where the add began
    EXPECT_EQ(table.table().currentOrderName(), "LNAME");
}

TEST_F(RecordEditorTest, NewRecordDialogCancelledAbandonsTheAdd)
{
    adding.autoDupCheck = true;
    RecordEditor& e = start({kSmith});
    EXPECT_FALSE(e.add());
    EXPECT_EQ(e.state(), EditState::Browsing);
}

TEST_F(RecordEditorTest, DuplicateWarningAnsweredNoLeavesTheFoundRecordAndNoNewOne)
{
    adding.autoDupCheck = true;
    entry = NewRecordEntry{"smith", "ann", ""};
    RecordEditor& e = start({{{"LNAME", "Adams"}}, kSmith, {{"LNAME", "Young"}}});
    log.answer = false;
    EXPECT_FALSE(e.add());
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].kind, MessageKind::QuestionDefaultNo);
    EXPECT_EQ(log.messages[0].caption, "Possible Duplicate");
    EXPECT_EQ(log.messages[0].text,
              "Possible duplicate: \r\n\r\nAnn Smith\r\n1 Main St\r\nSpringfield,IL 62701\r\n\r\nContinue adding?");
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(field("LNAME"), "Smith");
    EXPECT_EQ(table.table().recordCount(), 3u);
    EXPECT_EQ(e.state(), EditState::Browsing);
}

TEST_F(RecordEditorTest, DuplicateWarningAnsweredYesAddsWithTheTypedNames)
{
    adding.autoDupCheck = true;
    entry = NewRecordEntry{"Smith", "Ann", "99999"};   // zip not asked, so not used
    RecordEditor& e = start({kSmith});
    ASSERT_TRUE(e.add());
    EXPECT_EQ(field("LNAME"), "Smith");
    EXPECT_EQ(field("FNAME"), "Ann");
    EXPECT_EQ(field("ZIP"), "");
}

TEST_F(RecordEditorTest, SaveAppliesTheMemoLengthRule)
{
    struct Case {
        QString typed;
        std::string stored;
    } cases[] = {
        {"abcd", "abcd "}, {"abc", "abc"}, {"abcde", "abcde"}, {"", ""},
        {"a\nb", "a\r\nb "},                 // 1 + 2 + 1 = 4
        {"ab\n", "ab \r\n"},                 // the blank goes on the last line, before its break
    };
    RecordEditor& e = start({kSmith});
    for (const Case& c : cases) {
        ASSERT_TRUE(e.beginEdit());
        e.setMemoText(c.typed);
        ASSERT_TRUE(e.save());
        EXPECT_EQ(table.table().memo("MEMO"), c.stored) << c.typed.toStdString();
        EXPECT_EQ(e.memoText(), memoForEditor(QString::fromStdString(c.stored)));
    }
}

TEST_F(RecordEditorTest, AggressiveSavingReopensAfterItsThreshold)
{
    struct Case {
        int level;
        bool utility;
        std::vector<int> reopenedAfter;   // 1-based saves after which the table was reopened
    } cases[] = {{0, false, {}}, {1, false, {5, 10}}, {2, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, {2, true, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        table.close();
        QFile::remove(path);
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        opens = 0;
        RecordEditor& e = start({kSmith, {{"LNAME", "Young"}}}, c.level);
        e.last();
        e.utilityFlag = c.utility;
        std::vector<int> reopened;
        for (int i = 1; i <= 10; ++i) {
            const int before = opens;
            ASSERT_TRUE(e.beginEdit());
            table.table().setText("CODES", std::to_string(i));
            ASSERT_TRUE(e.save());
            if (opens != before)
                reopened.push_back(i);
            // The reopened table is back on the same record, in the same order.
            EXPECT_EQ(field("LNAME"), "Young");
            EXPECT_EQ(field("CODES"), std::to_string(i));
            EXPECT_EQ(table.table().currentOrderName(), "LNAME");
        }
        EXPECT_EQ(reopened, c.reopenedAfter);
        EXPECT_TRUE(log.messages.empty());
    }
}

TEST_F(RecordEditorTest, AggressiveSavingGivesUpAfterTenAttempts)
{
    failingOpens = 10;
    RecordEditor& e = start({kSmith}, 2);
    ASSERT_TRUE(e.beginEdit());
    ASSERT_TRUE(e.save());
    EXPECT_EQ(opens, 10);
    EXPECT_FALSE(table.isOpen());
    EXPECT_EQ(e.state(), EditState::NoDatabase);
    EXPECT_TRUE(e.databasePath().isEmpty());
    EXPECT_EQ(log.texts(), QStringList{kReopenFailedMessage});
    EXPECT_FALSE(buttons.enabled(MainControl::AddButton));
}

TEST_F(RecordEditorTest, AggressiveSavingSucceedsOnALaterAttempt)
{
    failingOpens = 9;
    RecordEditor& e = start({kSmith}, 2);
    ASSERT_TRUE(e.beginEdit());
    ASSERT_TRUE(e.save());
    EXPECT_EQ(opens, 10);
    EXPECT_TRUE(table.isOpen());
    EXPECT_TRUE(log.messages.empty());
}

TEST_F(RecordEditorTest, DeletingTheOnlyRecordLeavesNoRecords)
{
    RecordEditor& e = start({kSmith});
    ASSERT_TRUE(e.deleteCurrent());
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].text, "Delete this record?");
    EXPECT_EQ(log.messages[0].caption, "DELETE");
    EXPECT_FALSE(e.hasRecord());
    EXPECT_EQ(filterStatusText(false, e.passingCount()), "No records");
    for (MainControl c : {MainControl::EditButton, MainControl::DeleteButton, MainControl::SearchButton,
                          MainControl::BrowseButton, MainControl::LabelsButton, MainControl::LettersButton,
                          MainControl::EnvelopesButton, MainControl::ReportsButton, MainControl::PrintMenu})
        EXPECT_FALSE(buttons.enabled(c)) << controlCaption(c).toStdString();
    EXPECT_TRUE(buttons.enabled(MainControl::AddButton));
    // Marked for the engine and for every window that reads ISDEL.
    ASSERT_TRUE(table.table().go(1));
    EXPECT_TRUE(table.table().deleted());
    EXPECT_TRUE(table.table().logical("ISDEL"));
}

TEST_F(RecordEditorTest, DeleteMovesToThePreviousRecordOrTheNextAtTheStart)
{
    struct Case {
        int at;   // position in LNAME order
        std::string after;
    } cases[] = {{2, "B"}, {1, "B"}};
    for (const Case& c : cases) {
        table.close();
        QFile::remove(path);
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        RecordEditor& e = start({{{"LNAME", "C"}}, {{"LNAME", "A"}}, {{"LNAME", "B"}}});
        if (c.at == 2)
            e.last();   // C, the third
        ASSERT_TRUE(e.deleteCurrent());
        EXPECT_EQ(field("LNAME"), c.after) << c.at;
        EXPECT_EQ(e.passingCount(), 2u);
    }
}

TEST_F(RecordEditorTest, DeleteAnsweredNoChangesNothing)
{
    log.answer = false;
    RecordEditor& e = start({kSmith});
    EXPECT_FALSE(e.deleteCurrent());
    EXPECT_EQ(e.passingCount(), 1u);
    EXPECT_FALSE(table.table().logical("ISDEL"));
}

TEST_F(RecordEditorTest, CloneMakesTheCopyCurrent)
{
    Row tagged = kSmith;
    tagged["TAG"] = "ABC";
    tagged["USER2"] = "note";
    RecordEditor& e = start({tagged});
    table.table().edit();
    table.table().setMemo("MEMO", "line\r\nmore");
    table.table().post();
    ASSERT_TRUE(e.cloneCurrent());
    EXPECT_EQ(log.messages.front().text, "Clone this record?");
    EXPECT_EQ(log.messages.front().caption, "Clone");
    EXPECT_EQ(log.messages.back().text, "Clone completed. Current record is an exact copy");
    EXPECT_EQ(table.table().recno(), 2u);
    EXPECT_EQ(field("LNAME"), "Smith");
    EXPECT_EQ(field("USER2"), "note");
    EXPECT_EQ(field("COUNTRY"), "USA");
    EXPECT_EQ(field("TAG"), "");
    EXPECT_EQ(table.table().memo("MEMO"), "line\r\nmore");
    EXPECT_EQ(e.memoText(), "line\nmore");
}

TEST_F(RecordEditorTest, PgDnWhileAddingAsksToSave)
{
    for (bool yes : {false, true}) {
        table.close();
        QFile::remove(path);
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        log.messages.clear();
        RecordEditor& e = start({kSmith});
        ASSERT_TRUE(e.add());
        log.answer = yes;
        EXPECT_TRUE(e.perform(keyAction(Qt::Key_PageDown, Qt::NoModifier, e.state())));
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_EQ(log.messages[0].text, "Save changes?");
        EXPECT_EQ(log.messages[0].caption, "Save");
        EXPECT_EQ(e.state(), yes ? EditState::Browsing : EditState::Adding);
        // A new record reaches the file only when posted.
        EXPECT_EQ(table.table().recordCount(), yes ? 2u : 1u);
        if (!yes)
            e.cancel();
    }
}

TEST_F(RecordEditorTest, EscCancelsOnlyOnYes)
{
    RecordEditor& e = start({kSmith});
    ASSERT_TRUE(e.beginEdit());
    table.table().setText("LNAME", "Jones");
    log.answer = false;
    e.perform(KeyAction::AskCancel);
    EXPECT_EQ(e.state(), EditState::Editing);
    log.answer = true;
    e.perform(KeyAction::AskCancel);
    EXPECT_EQ(e.state(), EditState::Browsing);
    EXPECT_EQ(field("LNAME"), "Smith");
    EXPECT_EQ(log.messages.back().caption, "Cancel");
    EXPECT_EQ(log.messages.back().text, "Cancel changes?");
}

TEST_F(RecordEditorTest, ClosingWithAPendingEditAsksToSave)
{
    for (bool yes : {true, false}) {
        RecordEditor& e = start({});
        ASSERT_TRUE(e.add());
        table.table().setText("LNAME", yes ? "Kept" : "Dropped");
        log.answer = yes;
        e.settleBeforeClose();
        EXPECT_EQ(e.state(), EditState::Browsing);
        EXPECT_EQ(log.messages.back().text, "Save changes?");
    }
    EXPECT_EQ(table.table().recordCount(), 1u);
    table.table().first();
    EXPECT_EQ(field("LNAME"), "Kept");
}

TEST_F(RecordEditorTest, AltEnterSavesAndOffersAnother)
{
    RecordEditor& e = start({kSmith});
    ASSERT_TRUE(e.beginEdit());
    log.answer = true;
    EXPECT_TRUE(e.perform(keyAction(Qt::Key_Return, Qt::AltModifier, e.state())));
    EXPECT_EQ(log.messages.back().text, "Add another record?");
    EXPECT_EQ(log.messages.back().caption, "Add");
    EXPECT_EQ(e.state(), EditState::Adding);
}

TEST_F(RecordEditorTest, NavigationBeepsAtTheEndsAndStays)
{
    RecordEditor& e = start({{{"LNAME", "B"}}, {{"LNAME", "A"}}});
    e.prior();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(field("LNAME"), "A");
    e.next();
    EXPECT_EQ(field("LNAME"), "B");
    EXPECT_EQ(beeps, 1);
    e.next();
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(field("LNAME"), "B");
    EXPECT_TRUE(e.hasRecord());
    // Moving is for browsing only.
    ASSERT_TRUE(e.beginEdit());
    EXPECT_FALSE(e.perform(KeyAction::First));
    EXPECT_EQ(field("LNAME"), "B");
}

TEST_F(RecordEditorTest, SortChangeSelectsTheTagAndKeepsTheRecord)
{
    RecordEditor& e = start({{{"LNAME", "A"}, {"ZIP", "90000"}}, {{"LNAME", "B"}, {"ZIP", "10000"}}});
    EXPECT_EQ(e.sortStatus(), "Sorted by Last Name");
    ASSERT_TRUE(e.selectSortOrder("&Zip"));
    EXPECT_EQ(e.sortStatus(), "Sorted by Zip");
    EXPECT_EQ(e.currentOrder(), "ZIP");
    EXPECT_EQ(table.table().currentOrderName(), "ZIP");
    EXPECT_EQ(field("LNAME"), "A");
    e.first();
    EXPECT_EQ(field("LNAME"), "B");
    EXPECT_FALSE(e.selectSortOrder("&Nothing"));
    EXPECT_EQ(e.currentOrder(), "ZIP");
    e.databaseOpened();
    EXPECT_EQ(e.sortStatus(), "Sorted by Last Name");
}

TEST_F(RecordEditorTest, DateDialogStartsFromTheStoredDate)
{
    RecordEditor& e = start({{{"LNAME", "A"}, {"DATE", "19991231"}}, {{"LNAME", "B"}}});
    EXPECT_EQ(e.dateForDialog(), QDate(1999, 12, 31));
    ASSERT_TRUE(e.setDate(QDate(2001, 2, 3)));
    EXPECT_EQ(e.state(), EditState::Editing);
    EXPECT_EQ(field("DATE"), "20010203");
    ASSERT_TRUE(e.setDate(std::nullopt));
    EXPECT_EQ(field("DATE"), "");
    e.cancel();
    e.next();
    EXPECT_EQ(e.dateForDialog(), QDate(2024, 3, 9));
}

TEST(AddFocus, FirstFieldNotSkippedAndEmpty)
{
    AddingPreferences::Skip none, names;
    names.lastName = names.firstName = true;
    AddingPreferences::Skip allNames = names;
    allNames.middleInitial = allNames.prefix = allNames.title = allNames.organization = true;
    struct Case {
        AddingPreferences::Skip skip;
        bool lastEmpty, firstEmpty;
        QString field;
    } cases[] = {
        {none, true, true, "LNAME"}, {none, false, true, "FNAME"}, {none, false, false, "MIDDLE"},
        {names, true, true, "MIDDLE"}, {allNames, true, true, "STREET"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(addFocusField(c.skip, c.lastEmpty, c.firstEmpty), c.field);
    EXPECT_EQ(skippedFields(allNames), (QStringList{"LNAME", "FNAME", "MIDDLE", "PREFIX", "TITLE", "ORG"}));
}

} // namespace
} // namespace qb
