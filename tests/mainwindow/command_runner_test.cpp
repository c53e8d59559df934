// The command table and its runner, through the real main window.

#include "mainwindow/taddressmain.h"

#include "core/address_fixture.h"
#include "core/settings.h"
#include "envelopes/tqbenvelopes.h"
#include "labels/tlabelsetupscreen.h"
#include "letters/tqbletters.h"
#include "mainwindow/command_list.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;
using test::Row;

std::string describe(const CommandScope::Steps& s)
{
    std::string out;
    const std::pair<bool, const char*> flags[] = {
        {s.detach, "detach"},          {s.clearRefresh, "clearRefresh"},     {s.utility, "utility"},
        {s.rememberRecord, "record"},  {s.rememberFilter, "filter"},         {s.rememberPrinter, "printer"},
        {s.filterDuring == CommandScope::TableFilter::NotDeleted, "!ISDEL"},
        {s.filterDuring == CommandScope::TableFilter::ConditionsOnly, "conditions"},
        {s.filterDuring == CommandScope::TableFilter::None, "noFilter"},
        {s.reselectOrder, "order"},    {s.reapplyFilter, "applyFilter"},     {s.firstRecord, "first"},
        {s.refreshButtons, "buttons"},
    };
    for (const auto& [on, name] : flags)
        if (on)
            out += (out.empty() ? "" : " ") + std::string(name);
    return out;
}

TEST(CommandTable, EachCommandWithItsControlsNeedsAndSteps)
{
    ProgramDir program;
    MessageLog log;
    TAddressMain window;   // every subsystem's commands, as the program has them
    const unsigned browsing = NeedDatabase | NeedNotEditing;
    const unsigned onRecord = browsing | NeedRecord;
    const unsigned print = browsing | NeedPassingRecords | NeedPrinter;
    struct Expect {
        const char* menuItem;
        const char* button;
        unsigned needs;
        const char* steps;
        const char* refusal;
        bool check;
    } expects[] = {
        {"mnuPrintLabels", "LabelsButton", print, "detach clearRefresh record filter printer", "", false},
        {"mnuPrintLetters", "LettersButton", print, "detach clearRefresh printer", "", false},
        {"mnuPrintEnvelopes", "EnvelopesButton", onRecord | NeedPrinter, "clearRefresh printer", "", false},
        {"mnuSetFilter", "FilterButton", browsing, "", "", false},
        {"mnuClearFilter", "ClearFilterButton", NeedNotEditing, "", "", false},
        {"mnuSaveFilter", "", NeedNothing, "", "", false},
        {"mnuRestoreFilter", "", browsing, "", "", false},
        {"mnuClearTags", "", browsing, "", "", false},
        {"mnuTagAllFilterMatches", "", browsing, "detach clearRefresh utility first", "", true},
        {"mnuSearch", "SearchButton", onRecord, "", "", false},
        {"", "SearchMemoButton", onRecord, "detach", "", false},
        {"", "FindNextButton", onRecord, "detach", "", false},
        {"mnuBrowse", "BrowseButton", browsing, "", "", false},
        {"mnuRebuildIndexes", "", browsing, "detach order applyFilter first",
         "You need to have a database file open first", false},
        {"mnuRebuildSystemIndexes", "", NeedNotEditing, "", "", false},
        {"mnuImportAscii", "", browsing, "detach clearRefresh utility noFilter order applyFilter first buttons",
         "You need to have a database file open first", false},
        {"mnuImportDbf", "", browsing, "detach clearRefresh utility noFilter order applyFilter first buttons",
         "You need to have a database file open first", false},
        {"mnuImportVersion1", "", browsing, "detach clearRefresh utility noFilter order applyFilter buttons",
         "You need to have a database file open first", false},
        {"mnuImportVersion2", "", browsing, "detach clearRefresh utility noFilter order applyFilter buttons",
         "You need to have a database file open first", false},
        {"mnuExport", "", browsing | NeedPassingRecords, "detach clearRefresh record order",
         "No active records for current filter. Nothing to copy", false},
        {"", "DialPhone1Button", onRecord, "", "", false},
        {"", "DialPhone2Button", onRecord, "", "", false},
    };
    for (const Expect& r : expects) {
        SCOPED_TRACE(std::string(r.menuItem) + r.button);
        const Command* c = *r.menuItem ? window.commands().find(r.menuItem) : window.commands().findButton(r.button);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->button, r.button);
        EXPECT_EQ(c->needs, r.needs);
        EXPECT_EQ(describe(c->steps), r.steps);
        EXPECT_EQ(c->refusal, r.refusal);
        EXPECT_EQ(bool(c->check), r.check);
        EXPECT_TRUE(c->run);
    }
    // Every command's controls are in the window (binding would have thrown otherwise).
    for (const Command& c : window.commands().commands()) {
        if (!c.menuItem.isEmpty()) {
            EXPECT_NE(window.findChild<QAction*>(c.menuItem), nullptr) << c.menuItem.toStdString();
        }
        if (!c.button.isEmpty()) {
            EXPECT_NE(window.findChild<QPushButton*>(c.button), nullptr) << c.button.toStdString();
        }
    }
}

TEST(CommandTable, ARepeatedOrNamelessCommandIsRefused)
{
    CommandRegistry r;
    Command c;
    c.menuItem = "mnuPrintLabels";
    r.add(c);
    EXPECT_THROW(r.add(c), std::logic_error);
    EXPECT_THROW(r.add(Command{}), std::logic_error);
    Command b;
    b.button = "DialPhone1Button";
    r.add(b);
    EXPECT_EQ(r.findButton("DialPhone1Button"), &r.commands().back());
    EXPECT_EQ(r.find(""), nullptr);
    EXPECT_THROW(r.add(b), std::logic_error);
}

class CommandRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        Settings::program().setBoolean("Misc", "GettingStarted", true);
    }

    void seed(const std::vector<Row>& rows)
    {
        ASSERT_TRUE(createAddressTable(path(), FieldLengths::settingsDefaults()));
        AddressTable t;
        ASSERT_TRUE(t.open(path()));
        for (const Row& r : rows)
            test::addRow(t.table(), r);
    }

    // A window whose subsystem commands are only the probe, on the "Print
    // &Reports" item and the "Reports" button.
    TAddressMain& showWithProbe(unsigned needs, CommandScope::Steps steps, std::function<void(CommandHost&)> run,
                                const QString& refusal = {})
    {
        window = std::make_unique<TAddressMain>([=](CommandRegistry& r) {
            Command c;
            c.menuItem = "mnuPrintReports";
            c.button = "ReportsButton";
            c.needs = needs;
            c.refusal = refusal;
            c.steps = steps;
            c.run = run;
            r.add(c);
        });
        window->show();
        return *window;
    }
    const Command& probe() { return *window->commands().find("mnuPrintReports"); }

    QString path() const { return program.data("add0001.DBF"); }
    xbase::Table& table() { return window->addressTable().table(); }
    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); }
    QString shownName() { return window->fieldEdit("LNAME")->text(); }

    ProgramDir program;
    MessageLog log;
    std::unique_ptr<TAddressMain> window;
};

TEST_F(CommandRunnerTest, MenuItemsWithoutACommandStayDisabled)
{
    seed({{{"LNAME", "Adams"}}});
    window = std::make_unique<TAddressMain>([](CommandRegistry&) {});
    window->show();
    EXPECT_FALSE(window->findChild<QAction*>("mnuPrintLabels")->isEnabled());
    EXPECT_FALSE(button("LabelsButton")->isEnabled());
    EXPECT_TRUE(button("BrowseButton")->isEnabled());

    window = std::make_unique<TAddressMain>();
    window->show();
    EXPECT_TRUE(window->findChild<QAction*>("mnuPrintLabels")->isEnabled());
    EXPECT_TRUE(button("LabelsButton")->isEnabled());
}

TEST_F(CommandRunnerTest, ARefusedNeedRunsNothing)
{
    const QString noRecords = "No active records for current filter. Nothing to copy";
    struct Case {
        const char* name;
        unsigned needs;
        bool database;      // the default database is there with a record
        bool editing;       // a field is being typed into
        QString message;    // shown, or empty
    } cases[] = {
        {"database", NeedDatabase, false, false, "You need to have a database file open first"},
        {"not editing", NeedDatabase | NeedNotEditing, true, true, ""},
        {"record", NeedRecord, false, false, ""},
        {"passing records", NeedPassingRecords, false, false, noRecords},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.reset();
        QDir(program.folder() + "DATA").removeRecursively();
        QDir().mkpath(program.folder() + "DATA");
        if (c.database)
            seed({{{"LNAME", "Adams"}}});
        else
            QDir(program.folder() + "DATA").removeRecursively();   // nothing opens at all
        bool ran = false;
        showWithProbe(c.needs, CommandScope::printLabelsOrReports(), [&](CommandHost&) { ran = true; },
                      c.message.isEmpty() ? noRecords : c.message);
        if (c.editing)
            QTest::keyClicks(window->fieldEdit("PHONE"), "5");
        log.messages.clear();
        EXPECT_EQ(window->runCommand(probe()), CommandRunner::Outcome::Refused);
        EXPECT_FALSE(ran);
        EXPECT_EQ(log.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (c.editing) {
            EXPECT_EQ(window->editor().state(), EditState::Editing);
            EXPECT_EQ(window->fieldEdit("PHONE")->text(), "5");
        }
        QDir().mkpath(program.folder() + "DATA");
    }
}

// A memo pointer outside the memo file stops the memo search: the message
// names the file, the window is back on the record it was on, with that
// record's memo, and editing goes on.
TEST_F(CommandRunnerTest, AnEngineErrorBecomesAMessageAndTheWindowBrowsesOn)
{
    seed({{{"LNAME", "Adams"}, {"MEMO", "adams memo"}},
          {{"LNAME", "Carter"}, {"MEMO", "carter memo"}},
          {{"LNAME", "Zed"}, {"MEMO", "zed memo"}}});
    test::pointMemoOutsideItsFile(path(), 3);
    window = std::make_unique<TAddressMain>();
    window->show();
    button("NextButton")->click();
    ASSERT_EQ(shownName(), "Carter");
    window->setMemoSearchQuestion([] { return QString("no such words"); });
    log.messages.clear();

    button("SearchMemoButton")->click();
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].text.contains("lies outside the file")) << log.messages[0].text.toStdString();
    EXPECT_TRUE(log.messages[0].text.contains("add0001.FPT", Qt::CaseInsensitive)) << log.messages[0].text.toStdString();
    EXPECT_EQ(window->editor().state(), EditState::Browsing);
    EXPECT_EQ(table().text("LNAME"), "Carter");
    EXPECT_EQ(shownName(), "Carter");
    EXPECT_EQ(window->memoEditor()->toPlainText(), "carter memo");
    EXPECT_TRUE(button("FindNextButton")->isHidden());
    EXPECT_TRUE(button("SearchMemoButton")->isEnabled());

    QTest::keyClicks(window->fieldEdit("PHONE"), "555");
    button("SaveButton")->click();
    EXPECT_EQ(table().text("PHONE"), "555");
    EXPECT_EQ(table().memo("MEMO"), "carter memo");
}

// A command that fails half-way through a change: the table drops the
// change, the steps after it still run, and the record editor browses.
TEST_F(CommandRunnerTest, AFailedChangeIsDroppedAndTheStepsAfterItRun)
{
    seed({{{"LNAME", "Adams"}, {"MEMO", "adams memo"}}, {{"LNAME", "Carter"}}});
    showWithProbe(NeedDatabase | NeedNotEditing, CommandScope::convertCase(), [](CommandHost& host) {
        xbase::Table& t = host.addressTable().table();
        t.last();
        t.edit();
        t.setText("LNAME", "CHANGED");
        t.setText("NOSUCHFIELD", "x");   // the engine refuses
    });
    ASSERT_EQ(shownName(), "Adams");
    log.messages.clear();
    EXPECT_EQ(window->runCommand(probe()), CommandRunner::Outcome::Failed);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].text.contains("NOSUCHFIELD")) << log.messages[0].text.toStdString();
    EXPECT_FALSE(table().editing());
    EXPECT_FALSE(window->editor().utilityFlag);
    EXPECT_TRUE(window->editor().refreshFlag);
    EXPECT_EQ(table().text("LNAME"), "Adams");   // the remembered record
    EXPECT_EQ(shownName(), "Adams");
    EXPECT_EQ(window->memoEditor()->toPlainText(), "adams memo");
    table().last();
    EXPECT_EQ(table().text("LNAME"), "Carter");
}

// Print Labels moves through the records while it prints; afterwards the
// window is on the record it was on, with that record's memo and the filter.
TEST_F(CommandRunnerTest, PrintLabelsPutsRecordMemoAndFilterBack)
{
    seed({{{"LNAME", "Adams"}, {"MEMO", "adams memo"}},
          {{"LNAME", "Carter"}, {"MEMO", "carter memo"}},
          {{"LNAME", "Zed"}}});
    window = std::make_unique<TAddressMain>();
    window->show();
    button("NextButton")->click();
    ASSERT_EQ(shownName(), "Carter");
    const std::string filter = table().filter();
    bool opened = false;
    test::whenShown<TLabelSetupScreen>([&](TLabelSetupScreen* screen) {
        opened = true;
        EXPECT_TRUE(window->addressTable().extraFieldsEnabled());
        table().setFilter("");
        table().last();   // as a print run leaves it
        screen->accept();
    });
    button("LabelsButton")->click();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(log.messages.empty());
    EXPECT_FALSE(window->addressTable().extraFieldsEnabled());
    EXPECT_EQ(table().filter(), filter);
    EXPECT_EQ(table().text("LNAME"), "Carter");
    EXPECT_EQ(shownName(), "Carter");
    EXPECT_EQ(window->memoEditor()->toPlainText(), "carter memo");
}

// Print Envelopes opens the envelope screen over ENVELOPE.DBF, made when
// missing; a move in its record panel moves the window, memo and all.
TEST_F(CommandRunnerTest, PrintEnvelopesOpensTheEnvelopeScreenAndTheWindowFollowsItsMoves)
{
    seed({{{"LNAME", "Adams"}, {"MEMO", "adams memo"}}, {{"LNAME", "Carter"}, {"MEMO", "carter memo"}}});
    window = std::make_unique<TAddressMain>();
    window->show();
    ASSERT_EQ(shownName(), "Adams");
    ASSERT_FALSE(QFile::exists(program.folder() + "sysdata/ENVELOPE.DBF"));
    bool opened = false;
    // Waits for the screen to show, however long its set-up takes.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TQBEnvelopes* screen = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TQBEnvelopes*>(w); d && d->isVisible())
                screen = d;
        if (!screen)
            return;
        poll.stop();
        opened = true;
        EXPECT_TRUE(window->addressTable().extraFieldsEnabled());
        screen->findChild<QPushButton*>("NextButton")->click();
        EXPECT_EQ(screen->findChild<QLabel*>("LastName")->text(), "Carter");
        screen->accept();
    });
    poll.start(10);
    button("EnvelopesButton")->click();
    EXPECT_TRUE(opened) << log.texts().join(" | ").toStdString();
    EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/ENVELOPE.DBF"));
    EXPECT_FALSE(window->addressTable().extraFieldsEnabled());
    EXPECT_EQ(shownName(), "Carter");
    EXPECT_EQ(window->memoEditor()->toPlainText(), "carter memo");
}

// Print Letters opens the letters screen over LETTER.DBF, made when missing;
// the letters it previews move the window to their record.
TEST_F(CommandRunnerTest, PrintLettersOpensTheLettersScreen)
{
    seed({{{"LNAME", "Adams"}}, {{"LNAME", "Carter"}}});
    window = std::make_unique<TAddressMain>();
    window->show();
    ASSERT_FALSE(QFile::exists(program.folder() + "sysdata/LETTER.DBF"));
    bool opened = false;
    test::whenShown<TQBLetters>([&](TQBLetters* screen) {
        opened = true;
        EXPECT_TRUE(QFile::exists(program.folder() + "sysdata/LETTER.DBF"));
        EXPECT_FALSE(screen->findChild<QWidget*>("rbQFilter")->isEnabled());
        EXPECT_FALSE(screen->findChild<QPushButton*>("PrintButton")->isEnabled());
        table().last();   // as the preview's record buttons leave it
        screen->accept();
    });
    window->findChild<QAction*>("mnuPrintLetters")->trigger();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(log.messages.empty());
    EXPECT_EQ(shownName(), "Carter");
}

} // namespace
} // namespace qb
