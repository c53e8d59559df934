// What a failing disk or an interrupted program leaves: the table as it was
// or as it was to become, never a mix, and an index that is either whole or
// known to be stale.
#include "platform/xbase/cdx_file.h"
#include "platform/xbase/file_io.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "test_support.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace qb::xbase::test {
namespace {

const std::vector<FieldDef> kFields = {{"ID", 'C', 6, 0}, {"NAME", 'C', 20, 0}, {"ISDEL", 'L', 1, 0}, {"MEMO", 'M', 10, 0}};
const std::vector<TagSpec> kTags = {{"ID", "ID"}, {"NAME", "UPPER(NAME)"}, {"DELETED", "DELETED()"}, {"ISDEL", "ISDEL"}};

// Every record in file order: deleted mark, fields and memo.
std::vector<std::string> contents(Table& t)
{
    std::vector<std::string> out;
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.go(r);
        out.push_back((t.deleted() ? "*" : " ") + t.text("ID") + "|" + t.text("NAME") + "|" + t.text("ISDEL") + "|" + t.memo("MEMO"));
    }
    return out;
}

void addRecord(Table& t, int id, const std::string& memo)
{
    t.appendBlank();
    t.setText("ID", std::to_string(id));
    t.setText("NAME", "Name " + std::to_string(id * 7 % 13));
    if (!memo.empty())
        t.setMemo("MEMO", memo);
    t.post();
}

class CrashSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        engineSettings() = EngineSettings{};
        auto t = Table::create(dir.file("T.DBF"), kFields);
        for (int id = 1; id <= 12; ++id)
            addRecord(*t, id, id % 3 ? "memo of " + std::to_string(id) + std::string(size_t(id * 11), '.') : "");
        t->createTags(kTags);
        for (uint32_t r : {2u, 5u, 9u}) {
            t->go(r);
            t->deleteRecord();
        }
    }
    void TearDown() override
    {
        injectIoFaults(0, 0, 0);
        engineSettings() = EngineSettings{};
    }

    std::map<std::string, std::string> saveFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            files[e.path().filename().string()] = readFile(e.path().string());
        return files;
    }
    void restoreFiles(const std::map<std::string, std::string>& files) const
    {
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directories(dir.path());
        for (const auto& [name, bytes] : files)
            writeFile(dir.file(name), bytes);
    }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            if (name != "T.DBF" && name != "T.FPT" && name != "T.CDX")
                out.push_back(name);
        }
        return out;
    }

    ScratchDir dir;
};

// The disk fails at each write, rename or sync of an operation in turn (full,
// or broken): the error reaches the caller, and the table opened afterwards
// holds what it held before or what the operation was to make of it, with an
// index that passes the check or is known stale and then rebuilt.
TEST_F(CrashSafety, EveryFailingWriteOrSyncLeavesTheOldStateOrTheNew)
{
    engineSettings().syncPosts = true;
    // A bulk change is no single step: each of its posts may be the last that
    // reached the disk, so the table after any of them counts as well.
    std::vector<std::vector<std::string>> between;
    const struct {
        const char* name;
        std::function<void(Table&)> run;
    } operations[] = {
        {"append with a memo", [](Table& t) { addRecord(t, 13, "a new memo " + std::string(300, 'n')); }},
        {"edit that grows a memo",
         [](Table& t) {
             t.go(4);
             t.edit();
             t.setText("NAME", "Grown");
             t.setMemo("MEMO", std::string(900, 'g'));
             t.post();
         }},
        {"edit that shrinks a memo",
         [](Table& t) {
             t.go(11);
             t.edit();
             t.setMemo("MEMO", "short");
             t.post();
         }},
        {"delete", [](Table& t) { t.go(7); t.deleteRecord(); }},
        {"bulk change",
         [&](Table& t) {
             Table::BulkChange change(t);
             for (uint32_t r : {1u, 3u, 12u}) {
                 t.go(r);
                 t.edit();
                 t.setText("NAME", "Bulk " + std::to_string(r));
                 t.post();
                 between.push_back(contents(t));
             }
             change.commit();
         }},
        {"pack", [](Table& t) { t.pack(); }},
        {"pack with other tags", [](Table& t) { t.pack({{"NAME", "NAME"}, {"MEMOLEN", "STR(LEN(MEMO),5)"}}, {}, {}); }},
        {"reindex", [](Table& t) { t.reindex(); }},
        {"zap", [](Table& t) { t.zap(); }},
    };
    const auto original = saveFiles();
    for (const auto& op : operations) {
        SCOPED_TRACE(op.name);
        restoreFiles(original);
        std::vector<std::string> before, after;
        IoCounts counts;
        {
            auto t = Table::open(dir.file("T.DBF"));
            before = contents(*t);
            between.clear();
            injectIoFaults(0, 0, 0);
            op.run(*t);
            counts = ioCounts();
            after = contents(*t);
        }
        const auto states = between;
        ASSERT_GT(counts.writes, 0u);
        ASSERT_GT(counts.syncs, 0u);
        for (const bool sync : {false, true}) {
            for (uint64_t n = 1; n <= (sync ? counts.syncs : counts.writes); ++n) {
                SCOPED_TRACE((sync ? "sync " : "write ") + std::to_string(n));
                restoreFiles(original);
                const int error = n % 2 ? ENOSPC : EIO;
                {
                    auto t = Table::open(dir.file("T.DBF"));
                    injectIoFaults(sync ? 0 : n, sync ? n : 0, error);
                    EXPECT_THROW(op.run(*t), XbaseError);
                    injectIoFaults(0, 0, 0);
                }
                auto t = Table::open(dir.file("T.DBF"));
                const auto now = contents(*t);
                EXPECT_TRUE(now == before || now == after || std::find(states.begin(), states.end(), now) != states.end());
                if (!t->indexError().empty() || t->tagCount() == 0) {
                    EXPECT_TRUE(t->indexStale()) << t->indexError();
                    t->reindex();
                }
                const auto faults = t->check();
                EXPECT_TRUE(faults.empty()) << faults.front();
                EXPECT_TRUE(leftovers().empty()) << leftovers().front();
                t.reset();

                // The same fault, and the session goes on once the disk is
                // well again: Save what a failed post left pending, add and
                // delete a record, pack, add another. The next open finds
                // all of it.
                restoreFiles(original);
                std::vector<std::string> kept;
                {
                    auto s = Table::open(dir.file("T.DBF"));
                    injectIoFaults(sync ? 0 : n, sync ? n : 0, error);
                    EXPECT_THROW(op.run(*s), XbaseError);
                    injectIoFaults(0, 0, 0);
                    engineSettings().syncPosts = false;
                    if (s->editing())
                        s->post();
                    addRecord(*s, 98, "deleted after the fault");
                    s->deleteRecord();
                    addRecord(*s, 99, "added after the fault");
                    for (const std::string& line : contents(*s))
                        if (line[0] != '*')
                            kept.push_back(line);
                    s->pack();
                    addRecord(*s, 100, "added after the pack");
                    kept.push_back(contents(*s).back());
                    EXPECT_EQ(contents(*s), kept);
                    engineSettings().syncPosts = true;
                }
                t = Table::open(dir.file("T.DBF"));
                EXPECT_EQ(contents(*t), kept);
                EXPECT_FALSE(t->indexStale()) << t->indexError();
                const auto afterSession = t->check();
                EXPECT_TRUE(afterSession.empty()) << afterSession.front();
                EXPECT_TRUE(leftovers().empty()) << leftovers().front();
            }
        }
    }
}

// Save after a post that failed once its record was in the table writes the
// record where it is; Cancel keeps it as written.
TEST_F(CrashSafety, FailedAppendIsEditedWhereItLies)
{
    engineSettings().syncPosts = true;
    for (const bool saveAgain : {true, false}) {
        SCOPED_TRACE(saveAgain ? "save again" : "cancel");
        auto t = Table::open(dir.file("T.DBF"));
        const uint32_t count = t->recordCount();
        t->appendBlank();
        t->setText("ID", saveAgain ? "100" : "200");
        t->setMemo("MEMO", "kept");
        // Memo file, index mark, then the table: its sync fails after the append.
        injectIoFaults(0, 3, EIO);
        EXPECT_THROW(t->post(), XbaseError);
        injectIoFaults(0, 0, 0);
        EXPECT_TRUE(t->editing());
        EXPECT_EQ(t->recno(), count + 1);
        EXPECT_TRUE(t->indexStale());
        if (saveAgain) {
            t->setText("NAME", "Saved twice");
            t->post();
        } else {
            t->cancel();
        }
        EXPECT_EQ(t->recordCount(), count + 1);
        t->go(count + 1);
        EXPECT_EQ(t->text("ID"), saveAgain ? "100" : "200");
        EXPECT_EQ(t->text("NAME"), saveAgain ? "Saved twice" : "");
        EXPECT_EQ(t->memo("MEMO"), "kept");
        t.reset();
        t = Table::open(dir.file("T.DBF"));
        EXPECT_TRUE(t->indexStale());
        t->reindex();
        EXPECT_EQ(t->count("ID = \"" + std::string(saveAgain ? "100" : "200") + "\""), 1u);
        EXPECT_TRUE(t->check().empty()) << t->check().front();
    }
}

// An index marked in change, or made for another number of records, is not
// used: orders and counts come from the records until it is rebuilt from the
// tags it names, which a rebuild keeps even when the program knows none of them.
TEST_F(CrashSafety, StaleIndexIsNotTrustedAndRebuildsFromItsOwnTags)
{
    const auto whole = saveFiles();
    const struct {
        const char* name;
        std::function<void()> damage;
        const char* says;
    } cases[] = {
        {"marked in change",
         [&] {
             std::string cdx = readFile(dir.file("T.CDX"));
             cdx[30] = 0x01;
             writeFile(dir.file("T.CDX"), cdx);
         },
         "being changed"},
        {"from before two appends",
         [&] {
             const std::string old = readFile(dir.file("T.CDX"));
             auto t = Table::open(dir.file("T.DBF"));
             addRecord(*t, 13, "");
             addRecord(*t, 14, "");
             t.reset();
             writeFile(dir.file("T.CDX"), old);
         },
         "made for 12 records but the table holds 14"},
        {"table cut short",
         [&] {
             std::string dbf = readFile(dir.file("T.DBF"));
             dbf.resize(dbf.size() - 1 - 2 * 38);
             writeFile(dir.file("T.DBF"), dbf);
         },
         "fewer records than its header counts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restoreFiles(whole);
        c.damage();
        auto t = Table::open(dir.file("T.DBF"));
        EXPECT_TRUE(t->indexStale());
        EXPECT_NE(t->indexError().find(c.says), std::string::npos) << t->indexError();
        EXPECT_EQ(t->tagCount(), 0);
        EXPECT_EQ(t->selectOrder("NAME"), 0);
        const uint32_t n = t->count("UPPER(NAME) = \"NAME 1\"");
        EXPECT_FALSE(t->lastCountUsedIndex());
        EXPECT_FALSE(t->check().empty());
        // Edits meanwhile leave the stale index as it is, still marked stale.
        t->go(1);
        t->edit();
        t->setText("NAME", "Changed");
        t->post();
        t.reset();
        t = Table::open(dir.file("T.DBF"));
        EXPECT_TRUE(t->indexStale());
        t->reindex();
        EXPECT_FALSE(t->indexStale());
        ASSERT_EQ(t->tagCount(), int(kTags.size()));
        for (size_t i = 0; i < kTags.size(); ++i)
            EXPECT_EQ(t->tagInfo(int(i) + 1).keyExpr, kTags[i].keyExpr);
        EXPECT_EQ(t->count("UPPER(NAME) = \"NAME 1\""), n);
        EXPECT_TRUE(t->lastCountUsedIndex());
        EXPECT_TRUE(t->check().empty()) << t->check().front();
    }
}

// A bulk change's memos reach the disk before the records that name them are
// written out and counted: when the memo file cannot be synced, the table's
// header still counts the records it counted before.
TEST_F(CrashSafety, ABulkChangeSyncsItsMemosBeforeItCountsItsRecords)
{
    engineSettings().syncPosts = true;
    auto t = Table::open(dir.file("T.DBF"));
    const std::string header = readFile(dir.file("T.DBF")).substr(4, 4);
    Table::BulkChange change(*t);
    for (int id = 20; id < 23; ++id)
        addRecord(*t, id, "a memo of the bulk change " + std::to_string(id));
    injectIoFaults(0, 1, EIO);
    EXPECT_THROW(change.commit(), XbaseError);
    injectIoFaults(0, 0, 0);
    EXPECT_EQ(readFile(dir.file("T.DBF")).substr(4, 4), header);
}

// A memo pointer outside the memo file does not stop a pack: the record is
// kept with no memo and named, the deleted records go, the rest keep theirs.
TEST_F(CrashSafety, PackKeepsARecordWhoseMemoCannotBeReadWithoutIt)
{
    uint32_t memoOffset = 0;
    std::vector<std::string> before;
    {
        auto t = Table::open(dir.file("T.DBF"));
        memoOffset = t->field(t->fieldIndex("MEMO")).offset;
        before = contents(*t);
    }
    std::string dbf = readFile(dir.file("T.DBF"));
    const auto u16 = [&](size_t at) { return size_t(uint8_t(dbf[at])) | size_t(uint8_t(dbf[at + 1])) << 8; };
    dbf.replace(u16(8) + 3 * u16(10) + memoOffset, 10, "    999999");   // record 4
    writeFile(dir.file("T.DBF"), dbf);

    auto t = Table::open(dir.file("T.DBF"));
    t->pack();
    ASSERT_EQ(t->lostMemos().size(), 1u);
    EXPECT_EQ(t->lostMemos()[0].recno, 3u);
    EXPECT_EQ(t->lostMemos()[0].formerRecno, 4u);
    EXPECT_EQ(t->lostMemos()[0].field, "MEMO");
    EXPECT_NE(t->lostMemos()[0].why.find("outside"), std::string::npos) << t->lostMemos()[0].why;
    std::vector<std::string> expected;
    for (const std::string& line : before)
        if (line[0] != '*')
            expected.push_back(line.rfind(" 4|", 0) == 0 ? line.substr(0, line.rfind('|') + 1) : line);
    EXPECT_EQ(contents(*t), expected);
    EXPECT_TRUE(t->check().empty()) << t->check().front();
    t.reset();
    t = Table::open(dir.file("T.DBF"));
    EXPECT_EQ(contents(*t), expected);
    t->pack();
    EXPECT_TRUE(t->lostMemos().empty());
}

// Another program appended records and kept the index up to date, but not
// the record count we keep in the index's header: its keys cover the records,
// so the index is used as it is.
TEST_F(CrashSafety, AnIndexAnotherProgramKeptUpIsTrustedDespiteItsCount)
{
    {
        auto t = Table::open(dir.file("T.DBF"));
        addRecord(*t, 13, "");
        addRecord(*t, 14, "from the other program");
    }
    std::string cdx = readFile(dir.file("T.CDX"));
    ASSERT_EQ(uint8_t(cdx[32]), 14);
    cdx[32] = 12;
    writeFile(dir.file("T.CDX"), cdx);
    for (const OpenMode mode : {OpenMode::ReadOnly, OpenMode::Exclusive}) {
        auto t = Table::open(dir.file("T.DBF"), mode);
        EXPECT_FALSE(t->indexStale()) << t->indexError();
        EXPECT_EQ(t->tagCount(), int(kTags.size()));
        ASSERT_GT(t->selectOrder("ID"), 0);
        EXPECT_TRUE(t->seek("14"));
        EXPECT_EQ(t->memo("MEMO"), "from the other program");
        EXPECT_TRUE(t->check().empty()) << t->check().front();
    }
    // The same index once the table has a record more: stale after all.
    {
        auto t = Table::open(dir.file("T.DBF"));
        addRecord(*t, 15, "");
    }
    writeFile(dir.file("T.CDX"), cdx);
    auto t = Table::open(dir.file("T.DBF"));
    EXPECT_TRUE(t->indexStale());
    EXPECT_NE(t->indexError().find("keys do not match"), std::string::npos) << t->indexError();
}

// New files a crash left beside the table: those of a pack that had written
// its list of names replace the table's; the rest are removed.
TEST_F(CrashSafety, OpenFinishesACommittedPackAndRemovesAnUnfinishedOne)
{
    std::map<std::string, std::string> packed;
    const auto whole = saveFiles();
    {
        auto t = Table::open(dir.file("T.DBF"));
        t->pack();
        packed = saveFiles();
    }
    const struct {
        const char* name;
        std::string list;   // empty: none
        bool packedAfter;
    } cases[] = {
        {"list complete", "T.DBF\nT.FPT\nT.CDX\nend\n", true},
        {"list cut short", "T.DBF\nT.FPT\n", false},
        {"no list", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restoreFiles(whole);
        for (const char* f : {"T.DBF", "T.FPT", "T.CDX"})
            writeFile(dir.file(std::string(f) + ".qbnew"), packed.at(f));
        if (!c.list.empty())
            writeFile(dir.file("T.DBF.qbswap"), c.list);
        if (c.packedAfter) {
            EXPECT_THROW(Table::open(dir.file("T.DBF"), OpenMode::ReadOnly), XbaseError);
        }
        auto t = Table::open(dir.file("T.DBF"));
        EXPECT_EQ(t->recordCount(), c.packedAfter ? 9u : 12u);
        EXPECT_TRUE(t->check().empty()) << t->check().front();
        EXPECT_TRUE(leftovers().empty()) << leftovers().front();
    }
}

// The table is read through the descriptor it was opened with: renamed away
// and replaced, it still reads its own records; cut short by another program,
// a read past the new end is an error, not the end of the program.
TEST_F(CrashSafety, TableReadsFollowTheOpenFileNotThePath)
{
    {
        auto w = Table::open(dir.file("T.DBF"));
        for (int id = 13; id <= 300; ++id)
            addRecord(*w, id, "");
    }
    auto t = Table::open(dir.file("T.DBF"), OpenMode::ReadOnly);
    const auto before = contents(*t);
    std::filesystem::rename(dir.file("T.DBF"), dir.file("OLD.DBF"));
    writeFile(dir.file("T.DBF"), std::string(4096, 'x'));
    EXPECT_EQ(contents(*t), before);

    // The last records lie pages past the new end of the file.
    ASSERT_EQ(::truncate(dir.file("OLD.DBF").c_str(), 100), 0);
    EXPECT_THROW(t->go(300), XbaseError);
}

// A Visual FoxPro field offset near 2^32 must not wrap the check that the
// field lies inside the record.
TEST_F(CrashSafety, FieldOffsetNearTheTopOfItsRangeIsRefused)
{
    std::string header(32, '\0');
    header[0] = 0x30;
    std::string d(32, '\0');
    d.replace(0, 4, "NAME");
    d[11] = 'C';
    const uint32_t offset = 0xFFFFFFF8u;
    std::memcpy(&d[12], &offset, 4);
    d[16] = 10;
    header += d + '\r' + std::string(263, '\0');
    const uint16_t headerLength = uint16_t(header.size()), recordLength = 11;
    std::memcpy(&header[8], &headerLength, 2);
    std::memcpy(&header[10], &recordLength, 2);
    header[4] = 1;
    writeFile(dir.file("VFP.DBF"), header + std::string(11, ' ') + "\x1A");
    try {
        Table::open(dir.file("VFP.DBF"));
        ADD_FAILURE() << "opened";
    } catch (const XbaseError& e) {
        EXPECT_NE(std::string(e.what()).find("lies outside the record"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace qb::xbase::test
