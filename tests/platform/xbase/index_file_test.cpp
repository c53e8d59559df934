// Single-order index files (.IDX) beside a table's compound index: the order
// holds only the records given to it, follows their edits, survives a reopen
// and is read by another engine in the same order.
#include "platform/xbase/cdx_file.h"
#include "platform/xbase/table.h"
#include "test_support.h"

#include <algorithm>
#include <cstdlib>

using namespace qb::xbase;
using qb::xbase::test::ScratchDir;

namespace {

const char* const kLast[] = {"Smith", "jones", "Brown", "Müller", "Adams", "smith", "Zeta", "O'Brien"};

std::unique_ptr<Table> people(const ScratchDir& dir, uint32_t count)
{
    auto t = Table::create(dir.file("PEOPLE.DBF"), {{"LNAME", 'C', 12, 0}, {"FNAME", 'C', 10, 0}, {"ISDEL", 'L', 1, 0}});
    {
        Table::BulkChange bulk(*t);
        for (uint32_t i = 0; i < count; ++i) {
            t->appendBlank();
            t->setText("LNAME", kLast[i % 8]);
            t->setText("FNAME", "F" + std::to_string(count - i));
            t->post();
        }
    }
    t->createTags({{"LNAME", "UPPER(LNAME)"}, {"DEL", "DELETED()"}});
    return t;
}

// Record numbers in the order upper(LNAME)+upper(FNAME) sorts them.
std::vector<uint32_t> expectedOrder(Table& t, const std::vector<uint32_t>& recnos)
{
    std::vector<std::pair<std::string, uint32_t>> keyed;
    for (uint32_t r : recnos) {
        t.go(r);
        std::string k = t.raw("LNAME") + t.raw("FNAME");
        for (char& c : k)
            if (c >= 'a' && c <= 'z')
                c = char(c - 32);
        keyed.emplace_back(k, r);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<uint32_t> out;
    for (auto& [k, r] : keyed)
        out.push_back(r);
    return out;
}

std::vector<uint32_t> walk(Table& t)
{
    std::vector<uint32_t> out;
    for (bool ok = t.first(); ok; ok = t.next())
        out.push_back(t.recno());
    return out;
}

} // namespace

TEST(IndexFile, HoldsTheChosenRecordsFollowsTheirEditsAndReopens)
{
    ScratchDir dir;
    auto t = people(dir, 3000);
    const std::string idx = dir.file("PEOPLE_chksz.idx");
    const int order = t->createIndexFile(idx, "upper(LNAME)+upper(FNAME)");
    EXPECT_EQ(order, t->tagCount() + 1);
    EXPECT_EQ(t->tagInfo(order).name, "PEOPLE_CHKSZ");
    std::vector<uint32_t> chosen;
    for (uint32_t r = 2; r <= 3000; r += 3) {
        t->go(r);
        t->addKey(order);
        chosen.push_back(r);
    }
    EXPECT_EQ(t->selectOrder("people_chksz"), order);
    EXPECT_EQ(walk(*t), expectedOrder(*t, chosen));
    EXPECT_EQ(t->visibleRecnos(), expectedOrder(*t, chosen));

    // A held record moves with its new key; an edit elsewhere adds nothing.
    t->go(2);
    t->edit();
    t->setText("LNAME", "Aaron");
    t->post();
    t->go(3);
    t->edit();
    t->setText("LNAME", "Aaberg");
    t->post();
    t->first();
    EXPECT_EQ(t->recno(), 2u);
    EXPECT_EQ(walk(*t), expectedOrder(*t, chosen));
    // A deleted record drops out of the view, as in every order.
    t->go(5);
    t->deleteRecord();
    std::vector<uint32_t> shown = chosen;
    shown.erase(std::find(shown.begin(), shown.end(), 5u));
    EXPECT_EQ(walk(*t), expectedOrder(*t, shown));

    // The compound index's planning never takes the partial order for a count.
    EXPECT_EQ(t->count("upper(LNAME)+upper(FNAME) = 'SMITH'"), 750u);

    t->closeIndexFile(order);
    EXPECT_EQ(t->currentOrder(), 0);
    EXPECT_EQ(t->orderCount(), t->tagCount());
    t.reset();

    auto file = CdxFile::openSingle(idx, true);
    EXPECT_TRUE(file->check().empty()) << file->check().front();
    EXPECT_THROW(CdxFile::open(idx, true), XbaseError);
    EXPECT_THROW(CdxFile::openSingle(dir.file("PEOPLE.CDX"), true), XbaseError);
    file.reset();

    t = Table::open(dir.file("PEOPLE.DBF"));
    const int again = t->openIndexFile(idx);
    t->selectOrder(again);
    EXPECT_EQ(walk(*t), expectedOrder(*t, shown));
    EXPECT_TRUE(t->check().empty());

    // Another engine's reader of compact trees walks the same keys in the same order.
    ASSERT_EQ(std::system("perl -MXBase::Index -e 1 2>/dev/null"), 0)
        << "perl with XBase::Index is missing (libdbd-xbase-perl, see scripts/test-deps.sh)";
    const std::string script = dir.file("walk.pl");
    std::ofstream(script) << "use XBase::Index; my $i = bless { tag => 'X' }, 'XBase::cdx';"
                             " $i->open($ARGV[0]) or die XBase::Index->errstr; $i->prepare_select;"
                             " while (my ($k, $r) = $i->fetch) { print \"$r\\n\"; }";
    const std::string out = dir.file("out.txt");
    ASSERT_EQ(std::system(("perl " + script + " " + idx + " > " + out).c_str()), 0);
    std::string expected;
    for (uint32_t r : expectedOrder(*t, chosen))
        expected += std::to_string(r) + "\n";
    EXPECT_EQ(qb::xbase::test::readFile(out), expected);
}

TEST(IndexFile, DamagedFilesAreFaultsOfTheFile)
{
    ScratchDir dir;
    auto t = people(dir, 50);
    const std::string idx = dir.file("P.IDX");
    const int order = t->createIndexFile(idx, "upper(LNAME)");
    t->go(1);
    t->addKey(order);
    t->closeIndexFile(order);
    const std::string good = qb::xbase::test::readFile(idx);
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string rootOutside = good, keyZero = good, compound = good;
    rootOutside[1] = 0x7f;
    keyZero[12] = keyZero[13] = 0;
    compound[14] = char(compound[14] | 0x40);
    const Case cases[] = {{"truncated", good.substr(0, 700)}, {"root outside", rootOutside}, {"key length 0", keyZero}, {"compound", compound}};
    for (const Case& c : cases) {
        qb::xbase::test::writeFile(idx, c.bytes);
        EXPECT_THROW(t->openIndexFile(idx), XbaseError) << c.what;
        EXPECT_EQ(t->orderCount(), t->tagCount()) << c.what;
    }
    // A key expression that does not fit this table is refused, not trusted.
    auto other = Table::create(dir.file("OTHER.DBF"), {{"LNAME", 'C', 30, 0}});
    qb::xbase::test::writeFile(idx, good);
    EXPECT_THROW(other->openIndexFile(idx), XbaseError);
}
