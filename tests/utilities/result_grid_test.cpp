// The checks' grids as a user meets them: a cell opened with a double click
// or "Edit", typed into, and kept or dropped with the window's own buttons;
// the table's files compared byte for byte where nothing may change.
#include "utilities/result_grid.h"
#include "utilities/tcheckduplicates.h"
#include "utilities/tcheckstatezip.h"
#include "utilities_fixture.h"
#include "window_support.h"

#include "core/messages.h"
#include "core/system_tables.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace qb;
using namespace qb::test;

namespace {

// A check window with questionable records shown in its grid.
struct StateZipWindow {
    StateZipWindow()
        : db({{{"LNAME", "Adams"}, {"CITY", "Albany"}, {"STATE", "NY"}, {"ZIP", "90210"}},
              {{"LNAME", "Baker"}, {"CITY", "Buffalo"}, {"STATE", "NY"}, {"ZIP", "12345"}},
              {{"LNAME", "Clark"}, {"CITY", "Chicago"}, {"STATE", "QQ"}, {"ZIP", "60601"}}})
    {
        writeCsz(db.program, {{"New York", "NY", "10000", "14999"}, {"California", "CA", "90000", "96199"}});
        db.t().setFilter("!ISDEL");
        window = std::make_unique<TCheckStateZip>(db.table);
        window->show();
        // Active, so that a click moves the focus as it does for the user.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        click(window.get(), "PerformCheckButton");
    }
    QTableView* grid() { return window->resultGrid()->view(); }

    UtilityDatabase db;
    std::unique_ptr<TCheckStateZip> window;
};

} // namespace

// Cancel and Undo drop what was typed: the table stays byte for byte, the
// grid shows the record again. Save writes it.
TEST(ResultGridEditing, TypedTextReachesTheTableOnlyOnSave)
{
    MessageLog log;
    StateZipWindow w;
    ASSERT_EQ(w.window->found(), 2u);
    QTableView* grid = w.grid();
    const int city = columnTitled(grid, "City");
    const QByteArray before = tableBytes(w.db.path);
    typeIntoCell(grid, 0, city, "Newtown");
    click(w.window.get(), "UndoButton");   // "&Cancel"
    EXPECT_EQ(tableBytes(w.db.path), before);
    EXPECT_EQ(grid->model()->index(0, city).data().toString(), "Albany");

    typeIntoCell(grid, 0, city, "Newtown");
    click(w.window.get(), "SaveButton");
    w.db.t().go(1);
    EXPECT_EQ(w.db.t().text("CITY"), "Newtown");
    EXPECT_TRUE(log.messages.empty()) << log.texts().join('|').toStdString();
}

// A 35-character city in the 30-wide CITY cell: the editor takes 30. A value
// the table cannot hold is refused with its message and nothing is written.
TEST(ResultGridEditing, TheEditorHoldsWhatTheFieldCanStore)
{
    MessageLog log;
    StateZipWindow w;
    QTableView* grid = w.grid();
    const int city = columnTitled(grid, "City");
    const int width = w.db.t().field(w.db.t().fieldIndex("CITY")).length;
    QLineEdit* editor = typeIntoCell(grid, 0, city, QString(width + 5, 'x'));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), QString(width, 'x'));
    click(w.window.get(), "UndoButton");

    const QByteArray before = tableBytes(w.db.path);
    typeIntoCell(grid, 0, city, QStringLiteral("東京"));
    click(w.window.get(), "SaveButton");
    EXPECT_EQ(log.texts(), QStringList{unstorableMessage(QStringLiteral("東京"))});
    EXPECT_EQ(tableBytes(w.db.path), before);
}

// "Edit" opens the current cell with the focus in it: what the user types
// next goes into the cell, not to the button just clicked.
TEST(ResultGridEditing, EditTakesTheTypingAtOnce)
{
    MessageLog log;
    StateZipWindow w;
    QTableView* grid = w.grid();
    const int city = columnTitled(grid, "City");
    grid->setCurrentIndex(grid->model()->index(1, city));
    click(w.window.get(), "EditButton");
    QWidget* focus = QApplication::focusWidget();
    ASSERT_TRUE(focus);
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focus, "Typed");
    click(w.window.get(), "SaveButton");
    const uint32_t recno = w.window->resultGrid()->model().recnoAt(1);
    w.db.t().go(recno);
    EXPECT_EQ(w.db.t().text("CITY"), "Typed");
}

// The duplicates window's Undo, and the reference table's Undo after an
// edit and after Add: nothing reaches the tables. A row added and saved
// empty is not posted either.
TEST(ResultGridEditing, UndoAndAddLeaveTheTablesAsTheyWere)
{
    MessageLog log;
    {
        UtilityDatabase db({{{"LNAME", "Smith"}, {"FNAME", "John"}}, {{"LNAME", "Smith"}, {"FNAME", "John"}}});
        db.t().setFilter("!ISDEL");
        TCheckDuplicates window(db.table);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        click(&window, "PerformCheckButton");
        const QByteArray before = tableBytes(db.path);
        typeIntoCell(window.resultGrid()->view(), 0, columnTitled(window.resultGrid()->view(), "First Name"), "Jane");
        click(&window, "UndoButton");
        EXPECT_EQ(tableBytes(db.path), before);
        window.accept();
    }
    StateZipWindow w;
    click(w.window.get(), "EditReferenceButton");
    ResultGrid* reference = w.window->referenceGrid();
    ASSERT_TRUE(reference);
    const QString csz = w.db.program.folder() + "sysdata/CSZ.DBF";
    const QByteArray before = tableBytes(csz);
    typeIntoCell(reference->view(), 0, 2, "00000");
    click(w.window.get(), "CszUndoButton");
    click(w.window.get(), "CszAddButton");
    EXPECT_EQ(reference->model().rowCount(), 3);
    // Add opens the new row's first cell.
    QWidget* editor = reference->view()->indexWidget(reference->view()->currentIndex());
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, "Somewhere");
    click(w.window.get(), "CszUndoButton");
    EXPECT_EQ(reference->model().rowCount(), 2);
    click(w.window.get(), "CszAddButton");
    click(w.window.get(), "CszSaveButton");
    EXPECT_EQ(tableBytes(csz), before);
    EXPECT_EQ(reference->model().rowCount(), 2);

    // Added and filled in, it is there once saved, in the order of the abbreviations.
    click(w.window.get(), "CszAddButton");
    const int row = reference->model().rowCount() - 1;
    typeIntoCell(reference->view(), row, 1, "AK");
    click(w.window.get(), "CszSaveButton");
    ASSERT_EQ(reference->model().rowCount(), 3);
    EXPECT_EQ(reference->model().index(0, 1).data().toString(), "AK");
    EXPECT_EQ(reference->model().index(1, 1).data().toString(), "CA");
    click(w.window.get(), "EditReferenceButton");
    auto table = xbase::Table::open(csz.toStdString(), xbase::OpenMode::ReadOnly);
    EXPECT_EQ(table->recordCount(), 3u);
}

// The row chosen is the record deleted, however the grid repaints while
// "Delete this record?" is open.
TEST(ResultGridActions, DeleteActsOnTheChosenRowsRecord)
{
    UtilityDatabase db({{{"LNAME", "Smith"}, {"FNAME", "John"}},
                        {{"LNAME", "Brown"}, {"FNAME", "Al"}},
                        {{"LNAME", "Jones"}, {"FNAME", "Bo"}},
                        {{"LNAME", "Smith"}, {"FNAME", "John"}},
                        {{"LNAME", "Brown"}, {"FNAME", "Al"}}});
    db.t().setFilter("!ISDEL");
    TCheckDuplicates window(db.table);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    click(&window, "PerformCheckButton");
    QTableView* grid = window.resultGrid()->view();
    ASSERT_EQ(grid->model()->rowCount(), 4);   // Brown 2, Brown 5, Smith 1, Smith 4
    const QModelIndex second = grid->model()->index(1, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(second).center());
    const uint32_t chosen = window.resultGrid()->model().recnoAt(1);
    ASSERT_EQ(chosen, 5u);
    std::vector<Message> asked;
    setMessageResponder([&](const Message& m) {
        asked.push_back(m);
        grid->viewport()->repaint();
        return true;
    });
    click(&window, "DeleteButton");
    setMessageResponder({});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Delete this record?");
    EXPECT_EQ(asked[0].kind, MessageKind::QuestionDefaultNo);
    std::vector<uint32_t> deleted;
    for (uint32_t r = 1; r <= db.t().recordCount(); ++r) {
        db.t().go(r);
        if (db.t().deleted() && db.t().logical("ISDEL"))
            deleted.push_back(r);
    }
    EXPECT_EQ(deleted, std::vector<uint32_t>{chosen});
    window.accept();
}

// The running count of a check: what the check has found so far shows at the
// window's next break, while the check goes on.
TEST(CheckProgress, ShowsTheCountWhileTheCheckRuns)
{
    QProgressBar gauge;
    QLabel count;
    const bool cancelled = false;
    CheckProgress progress(&gauge, &count, [](uint64_t n) { return "Found " + QString::number(n) + " possible duplicates"; }, cancelled);
    progress.begin();
    EXPECT_EQ(count.text(), "Found 0 possible duplicates");
    const KeepGoing keepGoing = progress.keepGoing();
    progress.onFound()(7);
    QTest::qWait(60);
    EXPECT_TRUE(keepGoing(50, 100));
    EXPECT_EQ(count.text(), "Found 7 possible duplicates");
    EXPECT_EQ(gauge.value(), 50);
    progress.end(9);
    EXPECT_EQ(count.text(), "Found 9 possible duplicates");
}
