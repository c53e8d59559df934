// The utility windows when the disk lets them down: a table cut short under
// them, a reference table without its fields, a full disk while a result
// index closes or a save is written. Each window tells the user, ends its
// run and can be closed; the program lives.
#include "utilities/result_grid.h"
#include "utilities/tcheckduplicates.h"
#include "utilities/tcheckstatezip.h"
#include "utilities/tzipcodecount.h"
#include "utilities_fixture.h"
#include "window_support.h"

#include "disk_full.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <functional>
#include <memory>
#include <unistd.h>

using namespace qb;
using namespace qb::test;

namespace {

// Cuts the table's file short after its first record, as a damaged disk
// would: every later record is a read error.
void cutShort(const QString& dbf) { ASSERT_EQ(::truncate(dbf.toLocal8Bit().constData(), off_t(recordsEnd(dbf, 1))), 0); }

std::vector<Row> people(int n)
{
    std::vector<Row> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({{"LNAME", i % 2 ? "Smith" : "Jones"}, {"FNAME", "Al"}, {"STATE", "NY"}, {"ZIP", "99999"}});
    return rows;
}

} // namespace

TEST(UtilityErrors, AnUnreadableTableIsToldAndTheWindowCloses)
{
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>(UtilityDatabase&)> make;
        std::function<void(QDialog*)> run;
    } cases[] = {
        {"zip count", [](UtilityDatabase& db) { return std::make_unique<TZipCodeCount>(db.t()); }, [](QDialog*) {}},
        {"state and zip", [](UtilityDatabase& db) { return std::make_unique<TCheckStateZip>(db.table); },
         [](QDialog* w) { click(w, "PerformCheckButton"); }},
        {"duplicates", [](UtilityDatabase& db) { return std::make_unique<TCheckDuplicates>(db.table); },
         [](QDialog* w) { click(w, "PerformCheckButton"); }},
    };
    for (const auto& c : cases) {
        MessageLog log;
        UtilityDatabase db(people(200));
        writeCsz(db.program, {{"New York", "NY", "10000", "14999"}});
        db.t().setFilter("!ISDEL");
        std::unique_ptr<QDialog> window = c.make(db);
        cutShort(db.path);
        window->show();
        c.run(window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!log.messages.empty(), 2000);
        EXPECT_TRUE(log.texts().join('\n').contains("add0001", Qt::CaseInsensitive)) << c.name << ": " << log.texts().join('|').toStdString();
        // No Cancel is left showing; the window closes when asked.
        EXPECT_FALSE(child<QPushButton>(window.get(), "CancelButton")->isVisible()) << c.name;
        window->accept();
        EXPECT_EQ(window->result(), QDialog::Accepted) << c.name;
    }
}

// A CSZ.DBF without LOW_ZIP: "Perform Check Now" says so and the setup
// stays for another try.
TEST(UtilityErrors, AReferenceTableWithoutItsFieldsIsTold)
{
    MessageLog log;
    UtilityDatabase db(people(3));
    QDir().mkpath(db.program.folder() + "sysdata");
    xbase::Table::create((db.program.folder() + "sysdata/CSZ.DBF").toStdString(),
                         {{"NAME", 'C', 30, 0}, {"STATE", 'C', 4, 0}, {"HIGH_ZIP", 'C', 10, 0}});
    db.t().setFilter("!ISDEL");
    TCheckStateZip window(db.table);
    window.show();
    click(&window, "PerformCheckButton");
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.texts()[0].contains("LOW_ZIP")) << log.texts()[0].toStdString();
    EXPECT_FALSE(window.checking());
    EXPECT_TRUE(child<QWidget>(&window, "SetupPanel")->isVisible());
    window.accept();
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

// A CSZ.DBF that is there but cannot be read: the reference panel says so in
// its own words and does not open; nothing replaces the file.
TEST(UtilityErrors, AnUnreadableReferenceTableIsNotOpenedForEditing)
{
    MessageLog log;
    UtilityDatabase db(people(3));
    QDir().mkpath(db.program.folder() + "sysdata");
    const QString csz = db.program.folder() + "sysdata/CSZ.DBF";
    {
        QFile f(csz);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a table");
    }
    db.t().setFilter("!ISDEL");
    TCheckStateZip window(db.table);
    window.show();
    click(&window, "EditReferenceButton");
    EXPECT_EQ(log.texts(), QStringList{"Unable to open CSZ.DBF"});
    EXPECT_EQ(window.referenceGrid(), nullptr);
    EXPECT_EQ(bytesOf(csz), QByteArray("not a table"));
    window.accept();
}

// The result index is scratch: closing the window on a full disk writes
// nothing of it, and the file goes.
TEST(UtilityErrors, ClosingOnAFullDiskLeavesNoIndex)
{
    const struct {
        std::function<std::unique_ptr<QDialog>(UtilityDatabase&)> make;
        const char* index;
    } cases[] = {
        {[](UtilityDatabase& db) { return std::make_unique<TCheckStateZip>(db.table); }, "DATA/add0001_chksz.idx"},
        {[](UtilityDatabase& db) { return std::make_unique<TCheckDuplicates>(db.table); }, "_chkdup.idx"},
    };
    for (const auto& c : cases) {
        MessageLog log;
        UtilityDatabase db(people(300));
        writeCsz(db.program, {{"New York", "NY", "10000", "14999"}});
        db.t().setFilter("!ISDEL");
        std::unique_ptr<QDialog> window = c.make(db);
        window->show();
        click(window.get(), "PerformCheckButton");
        const QString index = db.program.folder() + c.index;
        ASSERT_TRUE(QFile::exists(index)) << c.index;
        {
            DiskFull full(600);
            window->accept();
        }
        EXPECT_FALSE(QFile::exists(index)) << c.index;
        EXPECT_EQ(db.t().orderCount(), db.t().tagCount());
    }
}

// Tag All of a check's result goes through the Tagging window; the disk
// fills after a third of the table: the window says how far it got, exactly
// those records carry the tag, the index is not trusted, nothing else changed.
TEST(UtilityErrors, TagAllOnAFullDiskTagsExactlyWhatItReports)
{
    MessageLog log;
    UtilityDatabase db(people(300));
    writeCsz(db.program, {{"New York", "NY", "10000", "14999"}});
    db.table.setTagId("T1");
    db.t().setFilter("!ISDEL");
    TCheckStateZip window(db.table);
    window.show();
    click(&window, "PerformCheckButton");
    ASSERT_EQ(window.found(), 300u);
    uint64_t tagged = 0;
    bool sawTagging = false;
    auto* watch = new QTimer;
    watch->setInterval(10);
    QObject::connect(watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<TTagAllRecords*>(w); t && t->isVisible() && t->finished()) {
                sawTagging = true;
                tagged = t->outcome().tagged;
                t->accept();
                watch->stop();
            }
    });
    watch->start();
    {
        // Records past the hundredth cannot be written.
        DiskFull full(recordsEnd(db.path, 100));
        click(&window, "TagAllButton");
    }
    delete watch;
    ASSERT_TRUE(sawTagging);
    EXPECT_GT(tagged, 0u);
    EXPECT_LE(tagged, 100u);
    ASSERT_FALSE(log.messages.empty());
    EXPECT_TRUE(log.messages.back().text.endsWith("Tagging stopped after " + QString::number(tagged) + " records."))
        << log.messages.back().text.toStdString();
    window.accept();
    db.table.close();
    auto t = xbase::Table::open(db.path.toStdString(), xbase::OpenMode::ReadOnly);
    EXPECT_TRUE(t->indexStale());
    uint64_t onDisk = 0;
    for (uint32_t r = 1; r <= t->recordCount(); ++r) {
        t->go(r);
        onDisk += t->text("TAG") == "T1";
        EXPECT_EQ(t->text("ZIP"), "99999") << r;
    }
    EXPECT_EQ(onDisk, tagged);
}

// A save that fails on a full disk costs the table its own index for the
// session; the result index is still found, closed, and the check runs
// again in a new window.
TEST(UtilityErrors, AFailedSaveLeavesTheCheckUsable)
{
    MessageLog log;
    UtilityDatabase db(people(4));
    writeCsz(db.program, {{"New York", "NY", "10000", "14999"}});
    db.t().setFilter("!ISDEL");
    {
        TCheckStateZip window(db.table);
        window.show();
        click(&window, "PerformCheckButton");
        ASSERT_EQ(window.found(), 4u);
        QTableView* grid = window.resultGrid()->view();
        typeIntoCell(grid, 0, columnTitled(grid, "Zip"), "12345");
        {
            DiskFull full(600);
            click(&window, "SaveButton");
        }
        ASSERT_EQ(log.messages.size(), 1u);
        // "Save changes?" on closing: No.
        log.answer = false;
        window.accept();
        EXPECT_EQ(window.result(), QDialog::Accepted);
    }
    EXPECT_FALSE(QFile::exists(db.program.data("add0001_chksz.idx")));
    EXPECT_EQ(db.t().orderCount(), db.t().tagCount());
    log.messages.clear();
    log.answer = true;
    TCheckStateZip again(db.table);
    again.show();
    click(&again, "PerformCheckButton");
    EXPECT_TRUE(log.messages.empty()) << log.texts().join('|').toStdString();
    EXPECT_EQ(again.found(), 4u);
    EXPECT_EQ(again.resultGrid()->model().rowCount(), 4);
    again.accept();
}
