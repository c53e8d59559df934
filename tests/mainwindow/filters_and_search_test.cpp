// The filter, tag, search and browse commands driven through the main window.

#include "mainwindow/taddressmain.h"

#include "core/address_fixture.h"
#include "core/fields_list.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "core/tqbreindex.h"
#include "mainwindow/record_search.h"
#include "mainwindow/taddressbrowseform.h"
#include "mainwindow/taddressqueryform.h"
#include "mainwindow/tsearchbox.h"
#include "core/ttagallrecords.h"
#include "labels/tlabelsetupscreen.h"
#include "platform/xbase/table.h"
#include "window_test_support.h"
#include "help_topic.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;
using test::Row;

using test::child;
using test::whenShown;

class FiltersAndSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        Settings::program().setBoolean("Misc", "GettingStarted", true);
        Settings::program().setString("Misc", "GlobalTagId", "OLDID");
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        AddressTable t;
        ASSERT_TRUE(t.open(path));
        const std::vector<Row> rows = {
            {{"LNAME", "Adams"}, {"FNAME", "Al"}, {"CITY", "Dayton"}, {"STATE", "OH"}, {"ZIP", "45401"},
             {"MEMO", "Adams memo"}},
            {{"LNAME", "Baker"}, {"FNAME", "Bo"}, {"CITY", "Columbus"}, {"STATE", "OH"}, {"ZIP", "43201"},
             {"MEMO", "call about the Spring letters"}},
            {{"LNAME", "Carter"}, {"FNAME", "Cy"}, {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}},
            {{"LNAME", "Dawson"}, {"FNAME", "Di"}, {"CITY", "Springfield"}, {"STATE", "MA"}, {"ZIP", "01101"},
             {"MEMO", "spring fair volunteer"}},
            {{"LNAME", "Evans"}, {"FNAME", "Ed"}, {"CITY", "Toledo"}, {"STATE", "OH"}, {"ZIP", "43601"},
             {"TAG", "OLDID"}},
            {{"LNAME", "Baxter"}, {"FNAME", "Bea"}, {"CITY", "Akron"}, {"STATE", "OH"}, {"ZIP", "44301"}},
        };
        for (const Row& r : rows)
            test::addRow(t.table(), r);
        t.close();
        window = std::make_unique<TAddressMain>();
        window->show();
    }

    // Moves the way a user does, with the window's own buttons.
    void walkTo(const char* lname)
    {
        window->findChild<QPushButton*>("FirstButton")->click();
        for (int i = 0; i < 10 && window->fieldEdit("LNAME")->text() != lname; ++i)
            window->findChild<QPushButton*>("NextButton")->click();
        ASSERT_EQ(window->fieldEdit("LNAME")->text(), lname);
    }

    xbase::Table& table() { return window->addressTable().table(); }
    std::string current() { return table().eof() ? std::string() : table().text("LNAME"); }
    void goTo(const char* lname)
    {
        for (bool more = table().first(); more; more = table().next())
            if (table().text("LNAME") == lname)
                return;
        FAIL() << lname;
    }
    QAction* action(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }
    void setFilter(const char* field, const QString& text, bool tagged = false)
    {
        FilterConditions c;
        for (int i = 0; i < kFilterFieldCount; ++i)
            if (QLatin1String(filterFields()[size_t(i)].mainField) == QLatin1String(field))
                c.texts[size_t(i)] = text;
        c.taggedOnly = tagged;
        window->filter().conditions = c;
        window->applyFilter();
        table().first();
        window->SetButtons();
    }

    ProgramDir program;
    MessageLog log;
    std::unique_ptr<TAddressMain> window;
};

TEST_F(FiltersAndSearch, FilterDialogTestOkAndCancel)
{
    EXPECT_EQ(window->filterStatus(), "6 records (no filter)");
    whenShown<TAddressQueryForm>([](TAddressQueryForm* d) {
        EXPECT_EQ(d->windowTitle(), "Address Filter");
        child<QLineEdit>(d, "STATEBox")->setText("oh");
        QTest::mouseClick(child<QPushButton>(d, "TestButton"), Qt::LeftButton);
        EXPECT_EQ(d->matchLine(), "4 matches");
        child<QLineEdit>(d, "STATEBox")->setText("tx");
        QTest::mouseClick(child<QPushButton>(d, "TestButton"), Qt::LeftButton);
        EXPECT_EQ(d->matchLine(), "No filter set");
        child<QLineEdit>(d, "STATEBox")->setText("oh");
        child<QLineEdit>(d, "LNAMEBox")->setText("ba");
        QTest::mouseClick(child<QPushButton>(d, "OkButton"), Qt::LeftButton);
    });
    window->findChild<QPushButton*>("FilterButton")->click();
    EXPECT_EQ(window->filterStatus(), "2 filter matches");
    EXPECT_EQ(current(), "Baker");
    EXPECT_TRUE(window->findChild<QPushButton*>("ClearFilterButton")->isVisible());
    EXPECT_TRUE(action("mnuSaveFilter")->isEnabled());

    // Cancel undoes what "Test" did.
    whenShown<TAddressQueryForm>([](TAddressQueryForm* d) {
        EXPECT_EQ(child<QLineEdit>(d, "LNAMEBox")->text(), "ba");
        QTest::mouseClick(child<QPushButton>(d, "ClearButton"), Qt::LeftButton);
        EXPECT_EQ(d->matchLine(), "No filter set");
        QTest::mouseClick(child<QPushButton>(d, "CancelButton"), Qt::LeftButton);
    });
    window->findChild<QPushButton*>("FilterButton")->click();
    EXPECT_EQ(window->filterStatus(), "2 filter matches");

    window->findChild<QPushButton*>("ClearFilterButton")->click();
    EXPECT_EQ(window->filterStatus(), "6 records (no filter)");
    EXPECT_FALSE(window->filter().isSet());
    EXPECT_FALSE(action("mnuTagAllFilterMatches")->isEnabled());
}

TEST_F(FiltersAndSearch, FilterBoxesLineUpUnderTheirFields)
{
    whenShown<TAddressQueryForm>([this](TAddressQueryForm* d) {
        for (const char* field : {"LNAME", "CITY", "USER2"}) {
            QLineEdit* mainEdit = window->fieldEdit(field);
            QLineEdit* box = child<QLineEdit>(d, (QByteArray(field) + "Box").constData());
            EXPECT_EQ(box->width(), mainEdit->width()) << field;
        }
        const QRect city = d->findChild<QLineEdit*>("CITYBox")->geometry();
        const QRect state = d->findChild<QLineEdit*>("STATEBox")->geometry();
        const QWidget* area = window->fieldEdit("CITY")->parentWidget();
        EXPECT_EQ(state.top() - city.top(), window->fieldEdit("STATE")->mapTo(area, QPoint()).y() -
                                                window->fieldEdit("CITY")->mapTo(area, QPoint()).y());
        QCheckBox* tagged = child<QCheckBox>(d, "TaggedCheckBox");
        QCheckBox* reverse = child<QCheckBox>(d, "ReverseCheckBox");
        EXPECT_EQ(reverse->x(), tagged->geometry().right() + 1 + 10);
        EXPECT_EQ(child<QLineEdit>(d, "DATEBox")->toolTip(), kFilterDateHint);
        // Every label shows its whole caption.
        QStringList captions;
        for (QLabel* label : d->findChildren<QLabel*>())
            if (qobject_cast<QLineEdit*>(label->buddy())) {
                captions << label->text();
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            }
        EXPECT_TRUE(captions.contains("Comment 1"));
        EXPECT_TRUE(captions.contains("Comment 2"));
        d->reject();
    });
    window->findChild<QPushButton*>("FilterButton")->click();
}

TEST_F(FiltersAndSearch, FilterFilesSaveAndRestore)
{
    const QString saved = program.folder() + "ohio.FLT";
    window->setFilterFileQuestion([&](bool) { return saved; });
    setFilter("STATE", "oh");
    action("mnuSaveFilter")->trigger();
    ASSERT_TRUE(QFile::exists(saved));

    window->findChild<QPushButton*>("ClearFilterButton")->click();
    action("mnuRestoreFilter")->trigger();
    EXPECT_EQ(window->filterStatus(), "4 filter matches");

    // Overwriting asks first, No the default; No keeps the file.
    setFilter("STATE", "il");
    log.answer = false;
    action("mnuSaveFilter")->trigger();
    EXPECT_EQ(log.messages.back().caption, "Warning!");
    EXPECT_EQ(log.messages.back().text, saved + " already exists.\r\nDo you want to overwrite it?");
    EXPECT_EQ(RestoreFilterFrom(saved)->texts[8], "oh");

    window->setFilterFileQuestion([&](bool) { return program.folder() + "ohio.txt"; });
    action("mnuSaveFilter")->trigger();
    EXPECT_EQ(log.texts().back(), kMustHaveFltExtension);
    action("mnuRestoreFilter")->trigger();
    EXPECT_EQ(log.texts().back(), kMustBeFltFile);
    EXPECT_EQ(window->filterStatus(), "1 filter matches");
}

TEST_F(FiltersAndSearch, TagsAcrossGenerations)
{
    // Evans carries the identifier in use; Clear Tags starts a new generation.
    setFilter("", "", true);
    EXPECT_EQ(window->filterStatus(), "1 filter matches");
    const QByteArray before = [&] {
        QFile f(window->addressTable().path());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    action("mnuClearTags")->trigger();
    const QString id = Settings::program().string("Misc", "GlobalTagId");
    EXPECT_NE(id, "OLDID");
    EXPECT_EQ(window->addressTable().tagId(), id);
    QFile f(window->addressTable().path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);    // no record written
    EXPECT_FALSE(window->filter().isSet());   // the tagged filter matched nothing and went

    // The old identifier counts as untagged; toggling tags with the current one.
    window->findChild<QPushButton*>("LastButton")->click();
    ASSERT_EQ(current(), "Evans");
    auto* box = window->findChild<QCheckBox*>("TaggedCheckBox");
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_EQ(table().text("TAG"), id.toStdString());
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(window->editor().state(), EditState::Browsing);
    box->click();
    EXPECT_EQ(table().text("TAG"), "");
    EXPECT_FALSE(box->isChecked());

    // While the record is edited the tag goes with the edit: Cancel drops it.
    window->findChild<QPushButton*>("EditButton")->click();
    box->click();
    EXPECT_EQ(window->editor().state(), EditState::Editing);
    window->findChild<QPushButton*>("CancelButton")->click();
    EXPECT_EQ(table().text("TAG"), "");
}

TEST_F(FiltersAndSearch, TagAllCancelledHalfWayKeepsWhatWasDone)
{
    setFilter("STATE", "oh");
    ASSERT_EQ(window->filterStatus(), "4 filter matches");
    TTagAllRecords* seen = nullptr;
    QString status;
    whenShown<TTagAllRecords>([&](TTagAllRecords* d) {
        seen = d;
        EXPECT_EQ(d->windowTitle(), "Tagging");
        EXPECT_FALSE(child<QPushButton>(d, "OkButton")->isVisible());
        QObject::connect(d, &TTagAllRecords::progressed, d, [d](quint64 tagged) {
            if (tagged == 2)
                d->findChild<QPushButton*>("CancelButton")->click();
        });
        auto* poll = new QTimer(d);
        QObject::connect(poll, &QTimer::timeout, d, [d, &status] {
            if (!d->finished())
                return;
            status = d->findChild<QLabel*>("StatusLabel")->text();
            EXPECT_TRUE(d->findChild<QPushButton*>("OkButton")->isVisible());
            EXPECT_FALSE(d->findChild<QPushButton*>("CancelButton")->isVisible());
            d->findChild<QPushButton*>("OkButton")->click();
        });
        poll->start(5);
    });
    action("mnuTagAllFilterMatches")->trigger();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(status, "Cancelled before completion");
    EXPECT_TRUE(log.texts().contains("Tag all records matching filter?"));
    EXPECT_TRUE(log.texts().contains("Cancel Tagging?"));
    const std::string id = window->addressTable().tagId().toStdString();
    // Adams and Baker, and Evans, who already carried the identifier.
    EXPECT_EQ(table().count("TAG=\"" + id + "\""), 3u);
    EXPECT_EQ(current(), "Adams");   // back on the first record
    EXPECT_FALSE(window->editor().utilityFlag);

    // Run to the end this time; Return closes the finished window.
    whenShown<TTagAllRecords>([&](TTagAllRecords* d) {
        auto* poll = new QTimer(d);
        QObject::connect(poll, &QTimer::timeout, d, [d, &status, poll] {
            if (d->finished()) {
                poll->stop();
                status = d->findChild<QLabel*>("StatusLabel")->text();
                QWidget* focus = d->focusWidget();
                EXPECT_EQ(focus, d->findChild<QPushButton*>("OkButton"));
                QTest::keyClick(focus ? focus : d, Qt::Key_Return);
            }
        });
        poll->start(5);
    });
    action("mnuTagAllFilterMatches")->trigger();
    EXPECT_EQ(status, "Complete");
    EXPECT_EQ(table().count("TAG=\"" + id + "\""), 4u);
}

TEST_F(FiltersAndSearch, KeySearch)
{
    const struct {
        const char* order;
        const char* text;
        const char* startOn;
        const char* endOn;
    } cases[] = {
        {"Last Name", "bax", "Adams", "Baxter"},        // lower-case prefix
        {"Last Name", "zz", "Carter", "Carter"},        // beyond the last key: stays
        {"City", "springfield", "Adams", "Carter"},     // city with any state (IL before MA)
        {"Zip", "436", "Adams", "Evans"},
    };
    for (const auto& c : cases) {
        goTo(c.startOn);
        whenShown<TSearchBox>([&](TSearchBox* d) {
            child<QComboBox>(d, "OrderComboBox")->setCurrentText(c.order);
            EXPECT_EQ(child<QLabel>(d, "SearchLabel")->text(), QString("Search ") + c.order + " starting with...");
            QTest::keyClicks(child<QLineEdit>(d, "SearchEdit"), c.text);
            QTest::keyClick(child<QLineEdit>(d, "SearchEdit"), Qt::Key_Return);
        });
        window->findChild<QPushButton*>("SearchButton")->click();
        EXPECT_EQ(current(), c.endOn) << c.text;
        EXPECT_EQ(window->sortStatus(), QString("Sorted by ") + c.order);
    }
}

TEST_F(FiltersAndSearch, MemoSearchFromTheStartThenFindNext)
{
    goTo("Dawson");
    window->setMemoSearchQuestion([] { return QString("SPRING"); });
    auto* findNext = window->findChild<QPushButton*>("FindNextButton");
    window->findChild<QPushButton*>("SearchMemoButton")->click();
    EXPECT_EQ(current(), "Baker");      // from the first record, though Dawson was current
    EXPECT_TRUE(window->memoFound());
    EXPECT_FALSE(findNext->isHidden());
    findNext->click();
    EXPECT_EQ(current(), "Dawson");
    findNext->click();
    EXPECT_EQ(current(), "Dawson");     // nothing after it: back where it was
    EXPECT_FALSE(window->memoFound());
    EXPECT_TRUE(findNext->isHidden());
}

TEST_F(FiltersAndSearch, CancelledMemoSearchReturnsToTheRecord)
{
    goTo("Carter");
    window->setMemoSearchQuestion([] { return QString("no such words"); });
    whenShown<TQBWSearching>([](TQBWSearching* d) {
        QObject::connect(d, &TQBWSearching::searching, d, [d] { d->findChild<QPushButton*>("CancelButton")->click(); });
    });
    window->findChild<QPushButton*>("SearchMemoButton")->click();
    EXPECT_EQ(current(), "Carter");
    EXPECT_FALSE(window->memoFound());
}

TEST_F(FiltersAndSearch, SearchAndBrowseHelpOpenTheirTopics)
{
    test::ShippedHelp help;
    whenShown<TSearchBox>([](TSearchBox* d) {
        test::expectHelpTopic(*d, "1026.html", "Searching for a record");
        d->reject();
    });
    window->findChild<QPushButton*>("SearchButton")->click();
    whenShown<TAddressBrowseForm>([](TAddressBrowseForm* d) {
        test::expectHelpTopic(*d, "1034.html", "Browsing the records");
        d->reject();
    });
    window->findChild<QPushButton*>("BrowseButton")->click();
}

TEST(MemoContains, Rules)
{
    EXPECT_TRUE(memoContains("Call about the Spring letter", "spring"));
    EXPECT_FALSE(memoContains("", ""));
    EXPECT_TRUE(memoContains(QString(32760, ' ') + "needle", "need"));
    EXPECT_FALSE(memoContains(QString(32767, ' ') + "needle", "need"));
}

TEST_F(FiltersAndSearch, BrowseKeepsMovedColumnsAndMovesTheRecord)
{
    setFilter("STATE", "oh");
    whenShown<TAddressBrowseForm>([this](TAddressBrowseForm* d) {
        EXPECT_EQ(d->windowTitle(), "Address Browse");
        EXPECT_EQ(d->model()->rowCount(), 4);
        EXPECT_EQ(d->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Tagged");
        QHeaderView* header = d->grid()->horizontalHeader();
        const int zip = d->columnOrder().indexOf("ZIP");
        header->moveSection(zip, 0);
        EXPECT_EQ(d->columnOrder().first(), "ZIP");

        QTest::mouseClick(child<QPushButton>(d, "LastButton"), Qt::LeftButton);
        EXPECT_EQ(current(), "Evans");
        const int tagged = 0;   // the model keeps its own column order, "Tagged" first
        EXPECT_EQ(d->model()->data(d->model()->index(3, tagged), Qt::DisplayRole), "Yes");
        QTest::mouseClick(child<QPushButton>(d, "TagButton"), Qt::LeftButton);   // Evans was tagged: now he is not
        EXPECT_EQ(table().text("TAG"), "");
        EXPECT_EQ(d->model()->data(d->model()->index(3, tagged), Qt::DisplayRole), "No");
        QTest::mouseClick(child<QPushButton>(d, "PriorButton"), Qt::LeftButton);
        EXPECT_EQ(current(), "Baxter");
        d->accept();
    });
    window->findChild<QPushButton*>("BrowseButton")->click();
    EXPECT_EQ(current(), "Baxter");
    const std::optional<QStringList> listed = readFieldsList(fieldsListPath());
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->first(), "ZIP");
    EXPECT_EQ(listed->size(), 28);

    whenShown<TAddressBrowseForm>([](TAddressBrowseForm* d) {
        EXPECT_EQ(d->columnOrder().first(), "ZIP");
        d->accept();
    });
    window->findChild<QPushButton*>("BrowseButton")->click();
}

TEST_F(FiltersAndSearch, BrowseOpenedAtTheLastRecordShowsWholeRows)
{
    for (int i = 0; i < 60; ++i)
        test::addRow(table(), {{"LNAME", "Zz" + std::to_string(100 + i)}});
    window->findChild<QPushButton*>("LastButton")->click();
    ASSERT_EQ(current(), "Zz159");
    whenShown<TAddressBrowseForm>([](TAddressBrowseForm* d) {
        QTableView* grid = d->grid();
        EXPECT_EQ(grid->currentIndex().row(), d->model()->rowCount() - 1);
        EXPECT_GT(grid->rowAt(0), 0);   // scrolled
        EXPECT_EQ(grid->rowViewportPosition(grid->rowAt(0)), 0);
        const int lastRow = d->model()->rowCount() - 1;
        EXPECT_LE(grid->rowViewportPosition(lastRow) + grid->rowHeight(lastRow), grid->viewport()->height());
        d->accept();
    });
    window->findChild<QPushButton*>("BrowseButton")->click();
}

TEST_F(FiltersAndSearch, BrowseWhileAddingOpensNothing)
{
    window->editor().setPreferences({}, {});
    window->findChild<QPushButton*>("AddButton")->click();
    ASSERT_EQ(window->editor().state(), EditState::Adding);
    action("mnuBrowse")->trigger();   // disabled: nothing happens
    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TAddressBrowseForm*>(w), nullptr);
    window->findChild<QPushButton*>("CancelButton")->click();
}

TEST_F(FiltersAndSearch, PrintLabelsOpensThePrintScreenAndPutsTheFilterBack)
{
    setFilter("STATE", "oh");
    goTo("Baxter");
    const uint32_t recno = table().recno();
    bool opened = false;
    whenShown<TLabelSetupScreen>([&](TLabelSetupScreen* screen) {
        opened = true;
        EXPECT_EQ(screen->windowTitle(), "Print Labels");
        EXPECT_TRUE(screen->findChild<QRadioButton*>("rbQFilter")->isChecked());
        EXPECT_TRUE(window->addressTable().extraFieldsEnabled());
        table().setFilter("!ISDEL");   // as a print run would, before putting it back
        screen->accept();
    });
    window->findChild<QPushButton*>("LabelsButton")->click();
    EXPECT_TRUE(opened);
    EXPECT_EQ(table().filter(), (window->filter().filterText() + ".and. !ISDEL").toStdString());
    EXPECT_EQ(table().recno(), recno);
    EXPECT_FALSE(window->addressTable().extraFieldsEnabled());
}

// Every way the table moves outside the record editor: the memo page then
// shows the memo of the record reached, and saving another field keeps it.
TEST_F(FiltersAndSearch, MovesOutsideTheEditorShowAndKeepTheMemoOfTheRecordReached)
{
    const QString ma = program.folder() + "ma.FLT";
    FilterConditions maOnly;
    maOnly.texts[8] = "ma";
    ASSERT_TRUE(SaveFilterTo(ma, maOnly));
    struct Case {
        const char* name;
        std::function<void()> move;
        const char* endOn;
        const char* memo;
    } cases[] = {
        {"key search",
         [&] {
             walkTo("Carter");
             whenShown<TSearchBox>([](TSearchBox* d) {
                 QTest::keyClicks(child<QLineEdit>(d, "SearchEdit"), "bak");
                 QTest::keyClick(child<QLineEdit>(d, "SearchEdit"), Qt::Key_Return);
             });
             window->findChild<QPushButton*>("SearchButton")->click();
         },
         "Baker", "call about the Spring letters"},
        {"memo search",
         [&] {
             walkTo("Carter");
             window->setMemoSearchQuestion([] { return QString("spring"); });
             window->findChild<QPushButton*>("SearchMemoButton")->click();
         },
         "Baker", "call about the Spring letters"},
        {"find next",
         [&] {
             walkTo("Carter");
             window->setMemoSearchQuestion([] { return QString("spring"); });
             window->findChild<QPushButton*>("SearchMemoButton")->click();
             window->findChild<QPushButton*>("FindNextButton")->click();
         },
         "Dawson", "spring fair volunteer"},
        {"filter set",
         [&] {
             walkTo("Carter");
             whenShown<TAddressQueryForm>([](TAddressQueryForm* d) {
                 child<QLineEdit>(d, "STATEBox")->setText("ma");
                 QTest::mouseClick(child<QPushButton>(d, "OkButton"), Qt::LeftButton);
             });
             window->findChild<QPushButton*>("FilterButton")->click();
         },
         "Dawson", "spring fair volunteer"},
        {"filter cleared",
         [&] {
             whenShown<TAddressQueryForm>([](TAddressQueryForm* d) {
                 child<QLineEdit>(d, "STATEBox")->setText("il");
                 QTest::mouseClick(child<QPushButton>(d, "OkButton"), Qt::LeftButton);
             });
             window->findChild<QPushButton*>("FilterButton")->click();
             ASSERT_EQ(window->fieldEdit("LNAME")->text(), "Carter");
             window->findChild<QPushButton*>("ClearFilterButton")->click();
         },
         "Adams", "Adams memo"},
        {"filter restored",
         [&] {
             walkTo("Carter");
             window->setFilterFileQuestion([&](bool) { return ma; });
             action("mnuRestoreFilter")->trigger();
         },
         "Dawson", "spring fair volunteer"},
        {"browse",
         [&] {
             walkTo("Carter");
             whenShown<TAddressBrowseForm>([](TAddressBrowseForm* d) {
                 QTest::mouseClick(child<QPushButton>(d, "FirstButton"), Qt::LeftButton);
                 d->accept();
             });
             window->findChild<QPushButton*>("BrowseButton")->click();
         },
         "Adams", "Adams memo"},
        {"tag all",
         [&] {
             whenShown<TAddressQueryForm>([](TAddressQueryForm* d) {
                 child<QLineEdit>(d, "STATEBox")->setText("oh");
                 QTest::mouseClick(child<QPushButton>(d, "OkButton"), Qt::LeftButton);
             });
             window->findChild<QPushButton*>("FilterButton")->click();
             window->findChild<QPushButton*>("LastButton")->click();
             ASSERT_EQ(window->fieldEdit("LNAME")->text(), "Evans");
             whenShown<TTagAllRecords>([](TTagAllRecords* d) {
                 auto* poll = new QTimer(d);
                 QObject::connect(poll, &QTimer::timeout, d, [d] {
                     if (d->finished())
                         d->accept();
                 });
                 poll->start(5);
             });
             action("mnuTagAllFilterMatches")->trigger();
         },
         "Adams", "Adams memo"},
        {"rebuild indexes",
         [&] {
             walkTo("Carter");
             whenShown<TQBReindex>([](TQBReindex* d) {
                 QTest::mouseClick(child<QPushButton>(d, "ReindexButton"), Qt::LeftButton);
             });
             action("mnuRebuildIndexes")->trigger();
         },
         "Adams", "Adams memo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window = std::make_unique<TAddressMain>();
        window->show();
        c.move();
        auto* memo = window->memoEditor();
        EXPECT_EQ(current(), c.endOn);
        EXPECT_EQ(window->fieldEdit("LNAME")->text(), c.endOn);
        EXPECT_EQ(memo->toPlainText(), c.memo);

        QLineEdit* phone = window->fieldEdit("PHONE");
        phone->setFocus();
        phone->selectAll();
        QTest::keyClicks(phone, c.name);
        ASSERT_EQ(window->editor().state(), EditState::Editing);
        window->findChild<QPushButton*>("SaveButton")->click();
        EXPECT_EQ(window->editor().state(), EditState::Browsing);
        EXPECT_EQ(current(), c.endOn);
        EXPECT_EQ(table().text("PHONE"), c.name);
        EXPECT_EQ(table().memo("MEMO"), c.memo);
        EXPECT_EQ(memo->toPlainText(), c.memo);
    }
}

TEST(BrowseFormSize, WidenedAbove96Dpi)
{
    EXPECT_EQ(browseFormSize({640, 400}, 96), QSize(640, 400));
    EXPECT_EQ(browseFormSize({640, 400}, 120), QSize(760, 475));
}

TEST(FieldOrderAfterBrowse, VisibleFieldsTakeTheVisibleSlots)
{
    EXPECT_EQ(fieldOrderAfterBrowse({"Tagged", "MEMO", "LNAME", "ZIP"}, {"ZIP", "Tagged", "LNAME"}),
              QStringList({"ZIP", "MEMO", "Tagged", "LNAME"}));
}

} // namespace
} // namespace qb
