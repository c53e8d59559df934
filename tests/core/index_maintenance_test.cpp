#include "core/index_maintenance.h"
#include "core/address_table.h"
#include "address_fixture.h"
#include "disk_full.h"
#include "mainwindow/window_test_support.h"

#include <QFile>

namespace qb::test {
namespace {

// ---- gauge -----------------------------------------------------------------

TEST(ReindexGauge, DirectShowsEachReportAndSummingAddsRisesOver2100)
{
    const struct {
        ReindexGauge::Mode mode;
        std::vector<int> reports;
        int shown;
    } cases[] = {
        {ReindexGauge::Mode::Direct, {10, 55}, 55},
        {ReindexGauge::Mode::Direct, {120}, 100},
        {ReindexGauge::Mode::Direct, {-5}, 0},
        {ReindexGauge::Mode::Summing, {10}, 0},              // 10/21 rounds down
        {ReindexGauge::Mode::Summing, {11}, 1},              // 11/21 rounds up
        {ReindexGauge::Mode::Summing, {60, 30, 40}, 3},      // a fall adds nothing; the rise after it does
        {ReindexGauge::Mode::Summing, {0, 50, 100, 0, 50}, 7},
    };
    for (const auto& c : cases) {
        ReindexGauge gauge;
        gauge.setMode(c.mode);
        for (int r : c.reports)
            gauge.report(r);
        EXPECT_EQ(gauge.value(), c.shown);
    }

    // One full series per tag: five tags fill a quarter, 21 fill it, 26 keep it full.
    ReindexGauge gauge;
    gauge.setMode(ReindexGauge::Mode::Summing);
    std::vector<int> afterTag;
    for (int tag = 0; tag < 26; ++tag) {
        for (int p = 0; p <= 100; p += 25)
            gauge.report(p);
        afterTag.push_back(gauge.value());
    }
    EXPECT_EQ(afterTag[0], 5);
    EXPECT_EQ(afterTag[4], 24);
    EXPECT_EQ(afterTag[19], 95);
    EXPECT_EQ(afterTag[20], 100);
    EXPECT_EQ(afterTag[25], 100);

    gauge.reset();
    EXPECT_EQ(gauge.value(), 0);
    gauge.report(42);
    EXPECT_EQ(gauge.value(), 2);
}

TEST(TagSeries, CutsTheOverallSeriesIntoOnePerTag)
{
    TagSeries series(4);
    std::vector<int> perTag;
    for (int overall : {0, 10, 30, 30, 100})
        series.report(overall, [&](int p) { perTag.push_back(p); });
    EXPECT_EQ(perTag, (std::vector<int>{0, 40, 100, 0, 20, 20, 100, 0, 100, 0, 100}));

    ReindexGauge gauge;
    gauge.setMode(ReindexGauge::Mode::Summing);
    TagSeries twentySix(26);
    for (int overall : {0, 50, 81})
        twentySix.report(overall, [&](int p) { gauge.report(p); });
    EXPECT_EQ(gauge.value(), 100);   // 81% of 26 tags is past 21 of them
}

// ---- building the tags -----------------------------------------------------

TEST(BuildAllTags, ReplacesWhateverIndexThereWas)
{
    ProgramDir program;
    MessageLog log;
    const QString path = program.data("ADD0001.DBF");
    auto t = xbase::Table::create(path.toStdString(), addressFieldDefs(FieldLengths::settingsDefaults()));
    addRow(*t, {{"LNAME", "Smith"}, {"STATE", "MA"}});
    addRow(*t, {{"LNAME", "Adams"}, {"STATE", "CA"}});
    t->createTags({{"JUNK", "UPPER(CODES)"}, {"LNAME", "UPPER(FNAME)"}});

    std::vector<int> progress;
    ASSERT_TRUE(buildAllTags(*t, [&](int p) { progress.push_back(p); }));
    EXPECT_TRUE(log.messages.empty());
    ASSERT_EQ(t->tagCount(), 26);
    for (int i = 1; i <= 26; ++i) {
        EXPECT_EQ(t->tagInfo(i).name, addressTags()[size_t(i - 1)].name);
        EXPECT_EQ(t->tagInfo(i).keyExpr, addressTags()[size_t(i - 1)].keyExpr);
    }
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    ASSERT_GT(t->selectOrder("LNAME"), 0);
    t->first();
    EXPECT_EQ(t->text("LNAME"), "Adams");
    EXPECT_TRUE(t->check().empty());
}

TEST(BuildAllTags, AnEngineErrorSaysUnableToCreateIndexFiles)
{
    ProgramDir program;
    MessageLog log;
    const QString path = program.data("NOISDEL.DBF");
    auto defs = addressFieldDefs(FieldLengths::settingsDefaults());
    std::erase_if(defs, [](const xbase::FieldDef& d) { return d.name == "ISDEL"; });
    auto t = xbase::Table::create(path.toStdString(), defs);
    EXPECT_FALSE(buildAllTags(*t));
    EXPECT_EQ(log.texts(), QStringList{"Unable to create index files"});
}

// ---- rebuilding ------------------------------------------------------------

class Rebuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        auto t = xbase::Table::open(path.toStdString());
        for (int i = 0; i < 10; ++i) {
            const bool gone = i == 2 || i == 5 || i == 9;
            addRow(*t, {{"LNAME", "Name" + std::to_string(i)}, {"ISDEL", gone ? "T" : "F"}});
        }
        // Hidden by ISDEL alone: stays in the file.
        addRow(*t, {{"LNAME", "Kept"}, {"ISDEL", "F"}});
        t->go(11);
        t->edit();
        t->setLogical("ISDEL", true);
        t->post();
    }

    struct Run {
        bool ok;
        QStringList statuses;
        std::vector<int> gauge;
    };
    Run rebuild(xbase::Table& t, Reindexer::Work work = Reindexer::Work::PackAndTags)
    {
        Run run;
        Reindexer reindexer({[&](const QString& s) { run.statuses << s; }, [&](int v) { run.gauge.push_back(v); }, {}});
        run.ok = reindexer.run(t, work);
        return run;
    }

    ProgramDir program;
    MessageLog log;
    QString path = program.data("ADD0001.DBF");
};

TEST_F(Rebuild, PacksOutDeletedRecordsAndBuildsEveryTag)
{
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    ASSERT_EQ(table.table().recordCount(), 11u);
    const Run run = rebuild(table.table());
    EXPECT_TRUE(run.ok);
    EXPECT_EQ(run.statuses, (QStringList{"Cleaning out old deleted records", "Rebuilding indexes"}));
    ASSERT_FALSE(run.gauge.empty());
    EXPECT_EQ(run.gauge.front(), 0);
    EXPECT_EQ(*std::max_element(run.gauge.begin(), run.gauge.end()), 100);
    EXPECT_EQ(run.gauge.back(), 0);

    EXPECT_EQ(table.table().recordCount(), 8u);
    EXPECT_TRUE(table.checkValidIndex());
    EXPECT_EQ(table.table().count("ISDEL"), 1u);
    EXPECT_EQ(table.table().count("LNAME = \"Name2\""), 0u);
    EXPECT_TRUE(table.table().check().empty());
    EXPECT_TRUE(log.messages.empty());

    table.close();
    auto reopened = xbase::Table::open(path.toStdString());
    EXPECT_EQ(reopened->recordCount(), 8u);
    EXPECT_EQ(reopened->tagCount(), 26);
    EXPECT_TRUE(reopened->check().empty());
}

TEST_F(Rebuild, WorksWhenTheIndexFileWasDeletedByHand)
{
    ASSERT_TRUE(QFile::remove(program.data("ADD0001.CDX")));
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    EXPECT_FALSE(table.checkValidIndex());
    EXPECT_TRUE(rebuild(table.table()).ok);
    EXPECT_EQ(table.table().recordCount(), 8u);
    EXPECT_TRUE(table.checkValidIndex());
    EXPECT_TRUE(table.table().check().empty());
    EXPECT_TRUE(QFile::exists(program.data("ADD0001.CDX")));
}

// A memo pointer outside the memo file: the rebuild still packs, keeps the
// record without its memo and names it in a message and in a file beside
// the table.
TEST_F(Rebuild, ARecordWhoseMemoCannotBeReadIsKeptAndListed)
{
    {
        AddressTable table;
        ASSERT_TRUE(table.open(path));
        for (uint32_t r : {4u, 5u}) {
            table.table().go(r);
            table.table().edit();
            table.table().setText("FNAME", r == 4 ? "Ann" : "Bo");
            table.table().setMemo("MEMO", "memo of " + std::to_string(r));
            table.table().post();
        }
    }
    pointMemoOutsideItsFile(path, 4);
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    EXPECT_TRUE(rebuild(table.table()).ok);
    EXPECT_EQ(table.table().recordCount(), 8u);
    const QString file = Reindexer::lostMemosFile(path);
    EXPECT_EQ(file, program.data("ADD0001_MEMOS.TXT"));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].text, "The memos of these records could not be read; the records were kept with empty memos:\r\n\r\n"
                                    "Record 3: Name3, Ann\r\n\r\nThe list is in " + file);
    QFile list(file);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().startsWith("Record 3: Name3, Ann (")) << file.toStdString();
    table.table().go(3);
    EXPECT_EQ(table.table().text("LNAME"), "Name3");
    EXPECT_EQ(table.table().memo("MEMO"), "");
    table.table().go(4);
    EXPECT_EQ(table.table().memo("MEMO"), "memo of 5");
    EXPECT_TRUE(table.table().check().empty()) << table.table().check().front();
}

// A pack the disk refuses says so, and the database keeps its records.
TEST_F(Rebuild, AFailedPackIsReported)
{
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    Run run;
    {
        DiskFull full(100);
        run = rebuild(table.table());
    }
    EXPECT_FALSE(run.ok);
    ASSERT_FALSE(log.messages.empty());
    EXPECT_TRUE(log.messages[0].text.startsWith("The deleted records could not be removed:\r\n")) << log.messages[0].text.toStdString();
    EXPECT_EQ(table.table().recordCount(), 11u);
    EXPECT_TRUE(table.checkValidIndex());
}

// A program stopped while it wrote the index leaves it marked in change: the
// database opens as one with a missing index, asks to rebuild, and the
// rebuild builds the tags again without packing: the deleted records are
// still there for the user's own Rebuild Indexes to remove.
TEST_F(Rebuild, AnIndexLeftInChangeAsksToRebuild)
{
    QFile cdx(program.data("ADD0001.CDX"));
    ASSERT_TRUE(cdx.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cdx.seek(30));
    ASSERT_EQ(cdx.write("\x01", 1), 1);
    cdx.close();

    log.answer = true;
    AddressTable table;
    bool staleWhenAsked = false;
    Run run;
    const DatabaseOpening opening = openAddressDatabase(table, path, [&] {
        staleWhenAsked = table.table().indexStale();
        run = rebuild(table.table(), Reindexer::workFor(table.table()));
    });
    EXPECT_TRUE(opening.usable);
    EXPECT_TRUE(staleWhenAsked);
    EXPECT_TRUE(run.ok);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].text, rebuildQuestion(path));
    EXPECT_EQ(run.statuses, QStringList{"Rebuilding indexes"});
    EXPECT_EQ(table.table().recordCount(), 11u);
    EXPECT_EQ(table.table().count("ISDEL"), 1u);
    EXPECT_TRUE(table.table().lastCountUsedIndex());
    EXPECT_TRUE(table.table().check().empty());
}

} // namespace
} // namespace qb::test
