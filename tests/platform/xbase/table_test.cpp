#include "platform/xbase/file_io.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

namespace qb::xbase::test {
namespace {

const std::vector<FieldDef> kPeople = {
    {"LNAME", 'C', 20, 0}, {"FNAME", 'C', 15, 0}, {"STATE", 'C', 2, 0}, {"AGE", 'N', 3, 0},
    {"BALANCE", 'N', 9, 2}, {"ISDEL", 'L', 1, 0}, {"BORN", 'D', 8, 0}, {"MEMO", 'M', 10, 0},
};

struct Person {
    const char* lname;
    const char* fname;
    const char* state;
    double age;
    bool isdel;
};

const Person kRows[] = {
    {"Smith", "Anna", "CA", 34, false}, {"smithers", "Bob", "NY", 51, false}, {"Jones", "Carl", "CA", 28, true},
    {"Müller", "Dörte", "TX", 45, false}, {"Adams", "Eve", "ca", 19, false},  {"Smith", "Zed", "CA", 70, false},
};

class TableTest : public ::testing::Test {
protected:
    void SetUp() override { engineSettings() = EngineSettings{}; }
    void TearDown() override { engineSettings() = EngineSettings{}; }

    std::unique_ptr<Table> makePeople()
    {
        auto t = Table::create(dir.file("PEOPLE.DBF"), kPeople);
        for (const Person& p : kRows) {
            t->appendBlank();
            t->setText("LNAME", p.lname);
            t->setText("fname", p.fname);
            t->setText("STATE", p.state);
            t->setNumber("AGE", p.age);
            t->setNumber("BALANCE", p.age * 10.5);
            t->setLogical("ISDEL", p.isdel);
            t->setText("BORN", "19700101");
            t->post();
        }
        t->createTags({{"LNAME", "UPPER(LNAME)+UPPER(FNAME)"},
                       {"STATE", "UPPER(STATE)"},
                       {"AGE", "AGE"},
                       {"ISDEL", "ISDEL"},
                       {"DELETED", "DELETED()"}});
        return t;
    }

    std::vector<uint32_t> walk(Table& t)
    {
        std::vector<uint32_t> out;
        for (bool ok = t.first(); ok; ok = t.next())
            out.push_back(t.recno());
        return out;
    }

    ScratchDir dir;
};

TEST_F(TableTest, ValuesRoundTripThroughTheFiles)
{
    const std::string longMemo = std::string(5000, 'x') + "\r\nEnde: é";
    {
        auto t = makePeople();
        t->go(4);
        t->edit();
        t->setMemo("MEMO", longMemo);
        t->post();
        t->go(1);
        t->edit();
        t->setMemo("MEMO", "short");
        t->post();
    }
    auto t = Table::open(dir.file("people.dbf"), OpenMode::ReadOnly);
    EXPECT_EQ(t->version(), 0xF5);
    EXPECT_EQ(t->recordCount(), 6u);
    ASSERT_TRUE(t->go(4));
    EXPECT_EQ(t->text("LNAME"), "Müller");
    EXPECT_EQ(t->raw("LNAME").substr(0, 7), std::string("M\xFCller "));
    EXPECT_EQ(t->text("FNAME"), "Dörte");
    EXPECT_EQ(t->number("AGE"), 45);
    EXPECT_EQ(t->text("BALANCE"), "472.50");
    EXPECT_FALSE(t->logical("ISDEL"));
    EXPECT_EQ(t->text("BORN"), "19700101");
    EXPECT_EQ(t->memo("MEMO"), longMemo);
    t->go(1);
    EXPECT_EQ(t->memo("MEMO"), "short");
    t->go(2);
    EXPECT_EQ(t->memo("MEMO"), "");
    EXPECT_TRUE(t->check().empty());
}

// A changed memo never overwrites the old one: until the record names the new
// blocks, the old text stays whole on the disk. Packing takes the space back.
TEST_F(TableTest, ChangedMemosGoToNewBlocksAndPackReclaimsTheOld)
{
    auto t = makePeople();
    t->go(1);
    t->edit();
    t->setMemo("MEMO", std::string(100, 'a'));
    t->post();
    const auto size = std::filesystem::file_size(dir.file("PEOPLE.FPT"));
    for (const auto& [text, fill] : {std::pair{std::string(90, 'b'), 'b'}, std::pair{std::string(1000, 'c'), 'c'}}) {
        t->edit();
        t->setMemo("MEMO", text);
        t->post();
        EXPECT_EQ(t->memo("MEMO"), text);
        EXPECT_NE(readFile(dir.file("PEOPLE.FPT")).find(std::string(100, 'a')), std::string::npos) << "overwritten by " << fill;
    }
    EXPECT_GT(std::filesystem::file_size(dir.file("PEOPLE.FPT")), size);
    t->pack();
    t->go(1);
    EXPECT_EQ(t->memo("MEMO"), std::string(1000, 'c'));
    const std::string packed = readFile(dir.file("PEOPLE.FPT"));
    EXPECT_EQ(packed.find(std::string(90, 'b')), std::string::npos);
    EXPECT_EQ(packed.size(), 512u + 1024u);   // the header and the one memo left: 1008 bytes in 16 blocks
    EXPECT_TRUE(t->check().empty());
}

// Saving a record whose memo text did not change writes no new memo blocks
// and waits for the disk no more than an edit that leaves the memo alone.
TEST_F(TableTest, AMemoSetToTheTextItHoldsIsNotWrittenAgain)
{
    engineSettings().syncPosts = true;
    auto t = makePeople();
    const std::string memo(10000, 'm');
    t->go(1);
    t->edit();
    t->setMemo("MEMO", memo);
    t->post();
    const auto size = std::filesystem::file_size(dir.file("PEOPLE.FPT"));
    auto syncsOfAnEdit = [&](bool setMemo, const char* state) {
        injectIoFaults(0, 0, 0);
        t->edit();
        t->setText("STATE", state);
        if (setMemo)
            t->setMemo("MEMO", memo);
        t->post();
        return ioCounts().syncs;
    };
    const uint64_t withMemo = syncsOfAnEdit(true, "NV");
    const uint64_t without = syncsOfAnEdit(false, "OR");
    EXPECT_EQ(withMemo, without);
    EXPECT_EQ(std::filesystem::file_size(dir.file("PEOPLE.FPT")), size);
    EXPECT_EQ(t->memo("MEMO"), memo);
    EXPECT_EQ(t->text("STATE"), "OR");
}

// A memo file that ends past the last block number its header can hold is
// full: a new memo is refused, never written near the start over others.
TEST_F(TableTest, AMemoFilePastItsLastBlockNumberIsFull)
{
    engineSettings().memoBlockSize = 1;
    {
        auto t = makePeople();
        t->go(1);
        t->edit();
        t->setMemo("MEMO", "the first memo");
        t->post();
    }
    std::filesystem::resize_file(dir.file("PEOPLE.FPT"), (uint64_t(1) << 32) + 100);   // sparse
    auto t = Table::open(dir.file("PEOPLE.DBF"));
    t->go(2);
    t->edit();
    t->setMemo("MEMO", "a second memo");
    EXPECT_THROW(t->post(), XbaseError);
    t->cancel();
    t->go(1);
    EXPECT_EQ(t->memo("MEMO"), "the first memo");
}

TEST_F(TableTest, OrdersFiltersAndSeeks)
{
    auto t = makePeople();
    ASSERT_GT(t->selectOrder("lname"), 0);
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{5, 3, 4, 1, 6, 2}));
    EXPECT_TRUE(t->seek("SMITH"));
    EXPECT_EQ(t->recno(), 1u);
    EXPECT_TRUE(t->next());
    EXPECT_EQ(t->recno(), 6u);
    EXPECT_FALSE(t->seek("SMYTH"));
    EXPECT_TRUE(t->eof());
    engineSettings().softSeek = true;
    EXPECT_FALSE(t->seek("SMITHA"));
    EXPECT_EQ(t->recno(), 2u);
    engineSettings().softSeek = false;

    EXPECT_EQ(t->setFilter("UPPER(STATE)=\"CA\" .and. !ISDEL"), 3u);
    EXPECT_TRUE(t->lastCountUsedIndex());
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{5, 1, 6}));
    EXPECT_TRUE(t->last());
    EXPECT_EQ(t->recno(), 6u);
    EXPECT_TRUE(t->prior());
    EXPECT_EQ(t->recno(), 1u);

    t->selectOrder(0);
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{1, 5, 6}));
    EXPECT_EQ(t->setFilter("AGE >= 45 .and. AGE < 70"), 2u);
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{2, 4}));
    EXPECT_EQ(t->setFilter(""), 6u);
}

// The index answers a count only where it can; either way the answer must be
// the one a full read gives.
TEST_F(TableTest, CountsThroughTagsMatchFullScans)
{
    auto t = makePeople();
    t->go(2);
    t->deleteRecord();
    const char* conditions[] = {
        "UPPER(STATE)=\"CA\"", "UPPER(STATE)=\"CA\" .and. !ISDEL", "ISDEL", "!ISDEL .or. AGE > 60",
        "UPPER(LNAME)+UPPER(FNAME) = \"SMITH\"", "UPPER(LNAME)+UPPER(FNAME) >= \"M\"", "AGE < 45", "AGE <= 45",
        "AGE > 28", "UPPER(STATE) <> \"CA\"", "not ISDEL and LNAME = \"S\"", "DELETED()",
    };
    for (bool skip : {true, false}) {
        engineSettings().skipDeleted = skip;
        for (const char* c : conditions) {
            const uint32_t indexed = t->count(c);
            uint32_t scanned = 0;
            t->selectOrder(0);
            t->setFilter(c);
            for (bool ok = t->first(); ok; ok = t->next())
                ++scanned;
            t->setFilter("");
            EXPECT_EQ(indexed, scanned) << c << " skipDeleted=" << skip;
        }
    }
}

// Tag All and the utilities walk the filtered records and post each one: the
// walk must reach every record the filter lets through, with or without a
// bulk change around it.
TEST_F(TableTest, AWalkThatPostsEachRecordReachesEveryMatch)
{
    auto t = Table::create(dir.file("WALK.DBF"), {{"LNAME", 'C', 10, 0}, {"CODES", 'C', 10, 0}, {"TAG", 'C', 8, 0}});
    for (int i = 1; i <= 1000; ++i) {
        t->appendBlank();
        t->setText("LNAME", "N" + std::to_string(i % 37));
        if (i % 25 == 0)
            t->setText("CODES", "SPRING");
        t->post();
    }
    t->createTags({{"LNAME", "UPPER(LNAME)"}, {"CODES", "UPPER(CODES)"}, {"TAG", "UPPER(TAG)"}});
    for (bool bulk : {false, true}) {
        for (const char* order : {"", "LNAME"}) {
            SCOPED_TRACE(std::string(order) + (bulk ? " bulk" : ""));
            t->selectOrder(order);
            ASSERT_EQ(t->setFilter("UPPER(CODES)=\"SPRING\""), 40u);
            const std::string mark = std::string(bulk ? "B" : "P") + order;
            int visited = 0;
            {
                std::optional<Table::BulkChange> change;
                if (bulk)
                    change.emplace(*t);
                for (bool more = t->first(); more; more = t->next()) {
                    t->edit();
                    t->setText("TAG", mark);
                    t->post();
                    ++visited;
                }
            }
            EXPECT_EQ(visited, 40);
            EXPECT_EQ(t->count("TAG=\"" + mark + "\""), 40u);
        }
    }
}

// The visible records listed at once are those a walk meets, in its order;
// filters the tags decide and deleted marks in a tag need no record read.
TEST_F(TableTest, VisibleRecordNumbersAreThoseAWalkMeets)
{
    auto t = makePeople();
    t->go(2);
    t->deleteRecord();
    struct Case {
        const char* filter;
        bool indexOnly;   // when deleted records are skipped
    } cases[] = {
        {"", true},
        {"!ISDEL", true},
        {"UPPER(STATE)=\"CA\" .and. !ISDEL", true},
        {"\"MIT\"$UPPER(LNAME) .and. !ISDEL", false},   // "$" is no tag's range
        {"AGE > 28 .or. ISDEL", true},
    };
    for (bool skip : {true, false}) {
        engineSettings().skipDeleted = skip;
        for (const char* order : {"", "LNAME", "AGE"}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(std::string(c.filter) + " order " + order + (skip ? " skipping" : ""));
                t->selectOrder(order);
                t->setFilter(c.filter);
                t->go(4);
                const std::vector<uint32_t> listed = t->visibleRecnos();
                EXPECT_EQ(t->recno(), 4u);
                EXPECT_EQ(listed, walk(*t));
                EXPECT_EQ(t->lastListUsedIndexOnly(), c.indexOnly);
                EXPECT_FALSE(listed.empty());
            }
        }
    }
    t->setFilter("");
    // Without a tag on DELETED() the marks must be read.
    t->closeIndexes();
    engineSettings().skipDeleted = true;
    EXPECT_EQ(t->visibleRecnos(), walk(*t));
    EXPECT_FALSE(t->lastListUsedIndexOnly());
}

// A table large enough that its tags are built on two threads. Each tag must
// walk in the order a sort of the records gives, the tags must be listed in the
// order asked for, and progress must come from the calling thread only.
TEST_F(TableTest, TagsBuiltTogetherMatchTheOrderOfASort)
{
    struct Row {
        std::string lname, city;
        double amount;
        bool isdel, deleted;
    };
    const uint32_t count = 25000;
    static const char* const names[] = {"smith", "Smithers", "JONES", "Adams", "o'neil", "", "Zed", "muller"};
    static const char* const cities[] = {"Boston", "BERLIN", "bonn", "", "Austin"};
    std::mt19937 rng(21);
    std::vector<Row> rows;
    auto t = Table::create(dir.file("MANY.DBF"), {{"LNAME", 'C', 20, 0}, {"CITY", 'C', 15, 0}, {"AMOUNT", 'N', 9, 2}, {"ISDEL", 'L', 1, 0}});
    for (uint32_t r = 1; r <= count; ++r) {
        Row row{std::string(names[rng() % 8]) + (rng() % 2 ? std::to_string(rng() % 300) : ""), cities[rng() % 5],
                double(int(rng() % 200000) - 100000) / 100, rng() % 3 == 0, r % 7 == 0};
        t->appendBlank();
        t->setText("LNAME", row.lname);
        t->setText("CITY", row.city);
        t->setNumber("AMOUNT", row.amount);
        t->setLogical("ISDEL", row.isdel);
        t->post();
        if (row.deleted)
            t->deleteRecord();
        rows.push_back(row);
    }
    t->createTags({{"KEEP", "UPPER(CITY)"}, {"CITY", "LNAME"}});

    auto upper = [](std::string s, size_t width) {
        for (char& c : s)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        s.resize(width, ' ');
        return s;
    };
    using Less = std::function<bool(const Row&, const Row&)>;
    const std::vector<std::pair<TagSpec, Less>> cases = {
        {{"LNAME", "UPPER(LNAME)"}, [&](const Row& a, const Row& b) { return upper(a.lname, 20) < upper(b.lname, 20); }},
        {{"CITY", "UPPER(CITY)+UPPER(LNAME)"},
         [&](const Row& a, const Row& b) { return upper(a.city, 15) + upper(a.lname, 20) < upper(b.city, 15) + upper(b.lname, 20); }},
        {{"AMOUNT", "AMOUNT"}, [](const Row& a, const Row& b) { return a.amount < b.amount; }},
        {{"ISDEL", "ISDEL"}, [](const Row& a, const Row& b) { return a.isdel < b.isdel; }},
        {{"DELETED", "DELETED()"}, [](const Row& a, const Row& b) { return a.deleted < b.deleted; }},
    };
    std::vector<TagSpec> specs;
    for (const auto& c : cases)
        specs.push_back(c.first);
    const std::thread::id caller = std::this_thread::get_id();
    int last = -1;
    t->createTags(specs, [&](int percent) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_GE(percent, last);
        last = percent;
    });
    EXPECT_EQ(last, 100);

    auto faults = t->check();
    EXPECT_TRUE(faults.empty()) << faults.front();
    ASSERT_EQ(t->tagCount(), 1 + int(cases.size()));
    EXPECT_EQ(t->tagInfo(1).name, "KEEP");
    engineSettings().skipDeleted = false;
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].first.name);
        EXPECT_EQ(t->tagInfo(int(i) + 2).name, cases[i].first.name);
        EXPECT_EQ(t->tagInfo(int(i) + 2).keyExpr, cases[i].first.keyExpr);
        std::vector<uint32_t> expected(count);
        for (uint32_t r = 0; r < count; ++r)
            expected[r] = r + 1;
        std::stable_sort(expected.begin(), expected.end(),
                         [&](uint32_t a, uint32_t b) { return cases[i].second(rows[a - 1], rows[b - 1]); });
        ASSERT_GT(t->selectOrder(cases[i].first.name), 0);
        EXPECT_TRUE(walk(*t) == expected);
    }
}

TEST_F(TableTest, EditsKeepTagsCurrent)
{
    auto t = makePeople();
    t->selectOrder("STATE");
    t->go(2);
    t->edit();
    t->setText("STATE", "AA");
    t->post();
    EXPECT_TRUE(t->first());
    EXPECT_EQ(t->recno(), 2u);
    t->appendBlank();
    t->setText("LNAME", "Zulu");
    t->setText("STATE", "A");
    t->post();
    EXPECT_EQ(t->recno(), 7u);
    EXPECT_TRUE(t->first());
    EXPECT_EQ(t->recno(), 7u);
    t->go(1);
    t->deleteRecord();
    EXPECT_EQ(t->count("UPPER(STATE)=\"CA\""), 3u);
    EXPECT_TRUE(t->check().empty()) << t->check().front();

    EXPECT_EQ(t->setFilter("UPPER(STATE)=\"CA\""), 3u);
    t->pack();
    EXPECT_EQ(t->recordCount(), 6u);
    EXPECT_EQ(t->count("UPPER(STATE)=\"CA\""), 3u);
    EXPECT_EQ(walk(*t).size(), 3u);   // the filter follows the records to their new numbers
    t->setFilter("");
    EXPECT_TRUE(t->check().empty());
    t->zap();
    EXPECT_EQ(t->recordCount(), 0u);
    EXPECT_FALSE(t->first());
    EXPECT_TRUE(t->eof());
    EXPECT_TRUE(t->check().empty());
}

TEST_F(TableTest, CancelDiscardsAppendAndEdit)
{
    auto t = makePeople();
    t->go(3);
    t->appendBlank();
    t->setText("LNAME", "Ghost");
    t->cancel();
    EXPECT_EQ(t->recordCount(), 6u);
    EXPECT_EQ(t->recno(), 3u);
    t->go(1);
    t->edit();
    t->setText("LNAME", "Changed");
    t->setMemo("MEMO", "never");
    t->cancel();
    EXPECT_EQ(t->text("LNAME"), "Smith");
    EXPECT_EQ(t->memo("MEMO"), "");
    EXPECT_THROW(t->setText("LNAME", "x"), XbaseError);
}

// Another program appended two records and stopped before it counted them in
// the header or gave them keys: opening for writing takes them back and
// inserts their keys into the index it left.
TEST_F(TableTest, InterruptedAppendIsTakenBackOnOpen)
{
    std::string indexBefore;
    {
        auto t = makePeople();
        t.reset();
        indexBefore = readFile(dir.file("PEOPLE.CDX"));
        t = Table::open(dir.file("PEOPLE.DBF"));
        for (const char* name : {"Young", "Zulu"}) {
            t->appendBlank();
            t->setText("LNAME", name);
            t->setText("STATE", "CA");
            t->post();
        }
    }
    std::string bytes = readFile(dir.file("PEOPLE.DBF"));
    bytes[4] = 6;
    writeFile(dir.file("PEOPLE.DBF"), bytes);
    writeFile(dir.file("PEOPLE.CDX"), indexBefore);
    {
        auto t = Table::open(dir.file("PEOPLE.DBF"), OpenMode::ReadOnly);
        EXPECT_TRUE(t->indexStale()) << "read-only, the index lacks the two records";
    }
    auto t = Table::open(dir.file("PEOPLE.DBF"));
    EXPECT_TRUE(t->countWasReconciled());
    EXPECT_FALSE(t->indexStale()) << t->indexError();
    EXPECT_EQ(t->recordCount(), 8u);
    EXPECT_EQ(t->count("UPPER(STATE)=\"CA\""), 6u);
    EXPECT_TRUE(t->lastCountUsedIndex());
    ASSERT_GT(t->selectOrder("LNAME"), 0);
    EXPECT_TRUE(t->seek("ZULU"));
    EXPECT_EQ(t->recno(), 8u);
    for (const auto& fault : t->check())
        ADD_FAILURE() << fault;
    t.reset();
    EXPECT_EQ(readFile(dir.file("PEOPLE.DBF"))[4], 8);
    t = Table::open(dir.file("PEOPLE.DBF"));
    EXPECT_FALSE(t->indexStale());
    EXPECT_TRUE(t->check().empty());
}

TEST_F(TableTest, ExclusiveOpenKeepsOthersOutAndSharedEditsLock)
{
    makePeople();
    {
        auto t = Table::open(dir.file("PEOPLE.DBF"), OpenMode::Exclusive);
        EXPECT_THROW(Table::open(dir.file("PEOPLE.DBF"), OpenMode::Shared), XbaseError);
    }
    engineSettings().lockTimeoutSeconds = 0;
    auto a = Table::open(dir.file("PEOPLE.DBF"), OpenMode::Shared);
    auto b = Table::open(dir.file("PEOPLE.DBF"), OpenMode::Shared);
    EXPECT_THROW(Table::open(dir.file("PEOPLE.DBF"), OpenMode::Exclusive), XbaseError);
    const std::string before = readFile(dir.file("PEOPLE.DBF"));
    EXPECT_THROW(Table::create(dir.file("PEOPLE.DBF"), kPeople), XbaseError);
    EXPECT_EQ(readFile(dir.file("PEOPLE.DBF")), before);
    a->go(3);
    a->edit();
    b->go(3);
    EXPECT_THROW(b->edit(), LockError);
    b->go(2);
    EXPECT_NO_THROW(b->edit());
    b->cancel();
    a->cancel();
    b->go(3);
    EXPECT_NO_THROW(b->edit());
    b->cancel();
    // Whole files are replaced only by a program that has the table alone.
    const std::string index = readFile(dir.file("PEOPLE.CDX"));
    EXPECT_THROW(b->replaceIndex({{"AGE", "AGE"}}), XbaseError);
    EXPECT_THROW(b->reindex(), XbaseError);
    EXPECT_THROW(b->pack(), XbaseError);
    EXPECT_EQ(readFile(dir.file("PEOPLE.CDX")), index);
}

// Two programs appending to one shared table must not take the same record
// number, memo block or index page.
TEST_F(TableTest, SharedWritersKeepEachOthersAppends)
{
    makePeople();
    auto a = Table::open(dir.file("PEOPLE.DBF"), OpenMode::Shared);
    auto b = Table::open(dir.file("PEOPLE.DBF"), OpenMode::Shared);
    for (Table* t : {a.get(), b.get(), a.get()}) {
        t->selectOrder("LNAME");
        t->appendBlank();
        t->setText("LNAME", t == a.get() ? "Appended by A" : "Appended by B");
        t->setMemo("MEMO", t == a.get() ? "memo of A" : "memo of B");
        t->post();
    }
    EXPECT_EQ(a->recordCount(), 9u);
    EXPECT_EQ(b->recno(), 8u);
    a.reset();
    b.reset();
    auto t = Table::open(dir.file("PEOPLE.DBF"), OpenMode::ReadOnly);
    EXPECT_EQ(t->count("LNAME = \"Appended by A\""), 2u);
    t->go(8);
    EXPECT_EQ(t->memo("MEMO"), "memo of B");
    t->go(9);
    EXPECT_EQ(t->memo("MEMO"), "memo of A");
    EXPECT_TRUE(t->check().empty()) << t->check().front();
}

TEST_F(TableTest, DamagedTablesAreRefusedWithTheFault)
{
    {
        auto t = Table::create(dir.file("GOOD.DBF"), kPeople);
        t->appendBlank();
        t->setMemo("MEMO", "hello");
        t->post();
    }
    const std::string good = readFile(dir.file("GOOD.DBF"));
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
        const char* fault;
    };
    const Case cases[] = {
        {"truncated header", [](std::string& b) { b.resize(20); }, "file ends inside the table header"},
        {"version byte", [](std::string& b) { b[0] = 0x55; }, "unknown version byte 0x55"},
        {"header length", [](std::string& b) { b[8] = char(0xFF); b[9] = 0x7F; }, "bad header length"},
        {"record length", [](std::string& b) { b[10] = 0; b[11] = 0; }, "bad record length"},
        {"field type", [](std::string& b) { b[32 + 11] = 'X'; }, "unknown field type 'X' in field LNAME"},
        {"no terminator", [](std::string& b) { b[32 + 32 * 8] = 'Z'; }, "field"},
        {"field width", [](std::string& b) { b[32 + 16] = char(250); }, "outside the record"},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        writeFile(dir.file("BAD.DBF"), bytes);
        std::filesystem::copy_file(dir.file("GOOD.FPT"), dir.file("BAD.FPT"), std::filesystem::copy_options::overwrite_existing);
        try {
            Table::open(dir.file("BAD.DBF"));
            ADD_FAILURE() << c.name << " opened";
        } catch (const XbaseError& e) {
            EXPECT_NE(std::string(e.what()).find(c.fault), std::string::npos) << c.name << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("BAD.DBF"), std::string::npos) << c.name;
        }
        EXPECT_EQ(readFile(dir.file("BAD.DBF")), bytes) << c.name << " was written to";
    }

    // A memo pointer past the end of the memo file is a read error, not a crash.
    std::string bytes = good;
    const size_t memoAt = readFile(dir.file("GOOD.DBF")).size() - 1 - 10;
    std::memcpy(bytes.data() + memoAt, "    999999", 10);
    writeFile(dir.file("BAD.DBF"), bytes);
    auto t = Table::open(dir.file("BAD.DBF"), OpenMode::ReadOnly);
    t->go(1);
    EXPECT_THROW(t->memo("MEMO"), XbaseError);
    EXPECT_FALSE(t->check().empty());
}

// Visual FoxPro's binary types read as numbers and text; such tables never take writes.
TEST_F(TableTest, VisualFoxProBinaryFieldsRead)
{
    struct F { const char* name; char type; uint8_t length, decimals; };
    const F fields[] = {{"ID", 'I', 4, 0}, {"PRICE", 'Y', 8, 4}, {"RATIO", 'B', 8, 2}, {"STAMP", 'T', 8, 0}, {"NAME", 'C', 5, 0}};
    std::string header(32, '\0');
    header[0] = 0x30;
    uint32_t offset = 1;
    for (const F& f : fields) {
        std::string d(32, '\0');
        d.replace(0, std::strlen(f.name), f.name);
        d[11] = f.type;
        std::memcpy(&d[12], &offset, 4);
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        header += d;
        offset += f.length;
    }
    header += '\r';
    header += std::string(263, '\0');
    const uint16_t headerLength = uint16_t(header.size()), recordLength = uint16_t(offset);
    std::memcpy(&header[8], &headerLength, 2);
    std::memcpy(&header[10], &recordLength, 2);
    header[4] = 1;
    std::string record(1, ' ');
    const int32_t id = -42;
    const int64_t price = 123456;   // 12.3456
    const double ratio = 0.75;
    const int32_t day = 2451545, ms = (13 * 3600 + 14 * 60 + 15) * 1000;   // 2000-01-01 13:14:15
    record.append(reinterpret_cast<const char*>(&id), 4);
    record.append(reinterpret_cast<const char*>(&price), 8);
    record.append(reinterpret_cast<const char*>(&ratio), 8);
    record.append(reinterpret_cast<const char*>(&day), 4);
    record.append(reinterpret_cast<const char*>(&ms), 4);
    record += "abc  ";
    writeFile(dir.file("VFP.DBF"), header + record + "\x1A");

    auto t = Table::open(dir.file("VFP.DBF"));
    EXPECT_TRUE(t->readOnly());
    ASSERT_TRUE(t->go(1));
    EXPECT_EQ(t->number("ID"), -42);
    EXPECT_EQ(t->text("ID"), "-42");
    EXPECT_DOUBLE_EQ(t->number("PRICE"), 12.3456);
    EXPECT_EQ(t->text("PRICE"), "12.3456");
    EXPECT_EQ(t->text("RATIO"), "0.75");
    EXPECT_EQ(t->text("STAMP"), "20000101131415");
    EXPECT_EQ(t->text("NAME"), "abc");
    EXPECT_EQ(t->count("ID < 0 .and. PRICE > 12"), 1u);
    EXPECT_THROW(t->appendBlank(), XbaseError);
}

// dBase and Clipper memo files: dBase III text ended by 0x1A, dBase IV blocks
// with their own length and block size. A pointer outside the file, or a
// length running past its end, is the memo's read error.
TEST_F(TableTest, DBaseMemoFilesRead)
{
    const auto table = [](uint8_t version, const std::vector<std::string>& blocks) {
        std::string h(32, '\0');
        h[0] = char(version);
        h[4] = char(blocks.size());
        std::string d(32, '\0');
        d.replace(0, 4, "NAME");
        d[11] = 'C';
        d[16] = 4;
        std::string m(32, '\0');
        m.replace(0, 5, "NOTES");
        m[11] = 'M';
        m[16] = 10;
        h += d + m + "\r";
        const uint16_t headerLength = uint16_t(h.size()), recordLength = 15;
        std::memcpy(&h[8], &headerLength, 2);
        std::memcpy(&h[10], &recordLength, 2);
        for (const std::string& b : blocks)
            h += " name" + std::string(10 - b.size(), ' ') + b;
        return h + "\x1A";
    };
    const auto blockAt = [](std::string& file, size_t at, const std::string& bytes) {
        if (file.size() < at + bytes.size())
            file.resize(at + bytes.size(), '\0');
        file.replace(at, bytes.size(), bytes);
    };

    // dBase III: 512-byte blocks; a memo longer than a block runs on.
    std::string dbt3(512, '\0');
    blockAt(dbt3, 512, "first\r\nmemo\x1A\x1A");
    blockAt(dbt3, 1024, std::string(700, 'y') + "\x1A\x1A");
    writeFile(dir.file("D3.DBF"), table(0x83, {"1", "2", "0", "99"}));
    writeFile(dir.file("D3.DBT"), dbt3);
    {
        auto t = Table::open(dir.file("D3.DBF"));
        EXPECT_TRUE(t->readOnly());
        t->go(1);
        EXPECT_EQ(t->memo("NOTES"), "first\r\nmemo");
        t->go(2);
        EXPECT_EQ(t->memo("NOTES"), std::string(700, 'y'));
        t->go(3);
        EXPECT_EQ(t->memo("NOTES"), "");
        t->go(4);
        try {
            t->memo("NOTES");
            ADD_FAILURE() << "a memo outside its file was read";
        } catch (const XbaseError& e) {
            EXPECT_NE(std::string(e.what()).find("D3.DBT: memo block 99 lies outside the file"), std::string::npos) << e.what();
        }
        EXPECT_EQ(t->check().size(), 1u);
    }

    // dBase IV: the block size in the header, each memo with its length.
    std::string dbt4(512, '\0');
    dbt4[20] = 0;
    dbt4[21] = 1;   // 256-byte blocks
    const auto memo4 = [](const std::string& text, uint32_t length) {
        std::string b("\xFF\xFF\x08\x00", 4);
        b.append(reinterpret_cast<const char*>(&length), 4);
        return b + text;
    };
    blockAt(dbt4, 512, memo4("dBase IV memo", 8 + 13));
    blockAt(dbt4, 768, memo4("cut", 5000));
    writeFile(dir.file("D4.DBF"), table(0x8B, {"2", "3"}));
    writeFile(dir.file("D4.DBT"), dbt4);
    auto t = Table::open(dir.file("D4.DBF"));
    t->go(1);
    EXPECT_EQ(t->memo("NOTES"), "dBase IV memo");
    t->go(2);
    EXPECT_THROW(t->memo("NOTES"), XbaseError);

    // A dBase table whose memo file is missing says which file it wanted.
    std::filesystem::remove(dir.file("D3.DBT"));
    try {
        Table::open(dir.file("D3.DBF"));
        ADD_FAILURE() << "opened without its memo file";
    } catch (const XbaseError& e) {
        EXPECT_NE(std::string(e.what()).find("D3.DBT: memo file not found"), std::string::npos) << e.what();
    }
}

// Inside a bulk change appended records wait in memory and go to the disk
// together; meanwhile they read, change and count like any other, and the
// file holds them all once the change ends.
TEST_F(TableTest, RecordsAppendedInABulkChangeReadAsAnyOther)
{
    {
        auto t = Table::create(dir.file("BULK.DBF"), kPeople);
        Table::BulkChange bulk(*t);
        for (int i = 1; i <= 3000; ++i) {
            t->appendBlank();
            t->setText("LNAME", "Name" + std::to_string(i));
            t->setText("STATE", i % 3 ? "OH" : "CA");
            t->post();
        }
        EXPECT_LT(readFile(dir.file("BULK.DBF")).size(), 3000u * 69) << "69 bytes a record: not all written yet";
        ASSERT_TRUE(t->go(2999));
        EXPECT_EQ(t->text("LNAME"), "Name2999");
        t->edit();
        t->setText("LNAME", "Changed");
        t->post();
        EXPECT_EQ(t->count("STATE = \"CA\""), 1000u);
        EXPECT_EQ(t->count("LNAME = \"Changed\""), 1u);
        bulk.commit();
    }
    auto t = Table::open(dir.file("BULK.DBF"));
    EXPECT_FALSE(t->countWasReconciled());
    EXPECT_EQ(t->recordCount(), 3000u);
    t->go(2999);
    EXPECT_EQ(t->text("LNAME"), "Changed");
    t->go(3000);
    EXPECT_EQ(t->text("LNAME"), "Name3000");
    EXPECT_TRUE(t->check().empty());
}

// An import that fails part way takes its records and memos off again: the
// files are as they were before it began.
TEST_F(TableTest, CutBackRemovesWhatWasAppended)
{
    auto t = Table::create(dir.file("CUT.DBF"), kPeople);
    t->appendBlank();
    t->setText("LNAME", "Kept");
    t->setMemo("MEMO", "kept memo");
    t->post();
    const std::string dbf = readFile(dir.file("CUT.DBF")), fpt = readFile(dir.file("CUT.FPT"));
    const Table::End end = t->end();
    for (int i = 0; i < 30; ++i) {
        t->appendBlank();
        t->setText("LNAME", "Gone");
        t->setMemo("MEMO", std::string(100 + i, 'm'));
        t->post();
    }
    t->appendBlank();   // one being typed when it failed
    t->cutBack(end);
    EXPECT_EQ(t->recordCount(), 1u);
    EXPECT_EQ(readFile(dir.file("CUT.DBF")), dbf);
    EXPECT_EQ(readFile(dir.file("CUT.FPT")), fpt);
    EXPECT_TRUE(t->check().empty());
    // An open index would keep keys of the records taken off: refused.
    t->createTag("LNAME", "UPPER(LNAME)");
    EXPECT_THROW(t->cutBack(end), XbaseError);
}

// Tables written by another FoxPro-compatible engine: counts and orders as it reported them.
TEST_F(TableTest, ForeignTablesGiveTheCountsAndOrdersTheirEngineReported)
{
    const auto facts = expectedFacts();
    for (const char* set : {"addr500", "vfp200"}) {
        SCOPED_TRACE(set);
        const auto& f = facts.at(set);
        engineSettings().skipDeleted = false;
        auto t = Table::open(fixture(std::string("xbase-independent/") + set + "/addr.dbf"), OpenMode::ReadOnly);
        EXPECT_EQ(std::to_string(t->recordCount()), f.at("records"));
        EXPECT_EQ(t->tagCount(), 26);
        for (const auto& [key, value] : f) {
            if (key.rfind("count ", 0) == 0) {
                EXPECT_EQ(std::to_string(t->count(key.substr(6))), value) << key;
            } else if (key.rfind("order ", 0) == 0) {
                const std::string tag = key.substr(6, key.find(' ', 6) - 6);
                ASSERT_GT(t->selectOrder(tag), 0) << tag;
                std::string got;
                int n = 0;
                for (bool ok = t->first(); ok && n < 25; ok = t->next(), ++n)
                    got += std::to_string(t->recno()) + " ";
                EXPECT_EQ(got, value) << key;
            }
        }
        // Conditions the tags answer only in part: candidates from the tags,
        // the rest read from the records, as a plain read of every record says.
        auto unindexed = Table::open(fixture(std::string("xbase-independent/") + set + "/ADDR.DBF"), OpenMode::ReadOnly);
        unindexed->closeIndexes();
        for (const char* c : {"ISDEL .and. LEN(TRIM(LNAME)) > 5", "UPPER(STATE)=\"CA\" .and. \"VIP\"$UPPER(CODES)",
                              "UPPER(ZIP) >= \"9\" .or. ISDEL", "!ISDEL .and. RECNO() > 400"}) {
            EXPECT_EQ(t->count(c), unindexed->count(c)) << c;
            EXPECT_FALSE(unindexed->lastCountUsedIndex());
        }

        engineSettings().skipDeleted = true;
        uint32_t marked = 0;
        for (uint32_t r = 1; r <= t->recordCount(); ++r) {
            t->go(r);
            marked += t->deleted();
        }
        EXPECT_EQ(std::to_string(marked), f.at("deleted_marked"));
        t->go(t->recordCount());
        EXPECT_EQ(t->text("LNAME"), "Müller");
        EXPECT_NE(t->memo("MEMO").find("é"), std::string::npos);
        EXPECT_TRUE(t->check().empty()) << t->check().front();
    }
}

} // namespace
} // namespace qb::xbase::test
