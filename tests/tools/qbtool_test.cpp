// qbtool as scripts use it: plain output on stdout, errors on stderr, exit 1.

#include "platform/xbase/cdx_file.h"
#include "platform/xbase/table.h"
#include "test_support.h"

#include <cstdio>
#include <functional>
#include <sys/wait.h>

namespace qb::xbase::test {
namespace {

struct Result {
    int status = -1;
    std::string out;
};

Result qbtool(const std::string& args)
{
    Result r;
    FILE* p = ::popen((std::string(QB_QBTOOL) + " " + args + " 2>&1").c_str(), "r");
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        r.out.append(buf, n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

TEST(Qbtool, CommandsOnAFixtureTable)
{
    ScratchDir dir;
    const std::string table = copyFixture(dir, "addr500");
    struct Case {
        std::string args;
        int status;
        std::string out;   // whole output, or its start when it ends in "..."
    };
    const Case cases[] = {
        {"count " + table + " 'UPPER(STATE)=\"CA\" .and. !ISDEL'", 0, "83\n"},
        {"count " + table + " 'DELETED()'", 0, "0\n"},
        {"count " + table + " 'DELETED()' --deleted", 0, "13\n"},
        {"seek " + table + " LNAME ABER", 0, "21\n"},
        {"seek " + table + " LNAME ZZZZ", 0, "0\n"},
        {"dump " + table + " --tag LNAME --limit 2 --fields LNAME,STATE", 0, "21\tAbernathy\tpa\n210\tAbernathy\tCO\n"},
        {"dump " + table + " --filter 'RECNO() = 501' --fields LNAME", 0, "501\tM\xC3\xBCller\n"},
        {"info " + table, 0, "file\t" + table + "\nversion\t0xF5\nrecords\t501\n..."},
        {"check " + table, 0, "ok\n"},
        {"count " + table + " 'UPPER(STATE=\"CA\"'", 1, "qbtool: " + table + ": Unbalanced parenthesis at position 6\n"},
        {"count " + dir.file("NONE.DBF") + " .T.", 1, "qbtool: " + dir.file("NONE.DBF") + ": file not found\n"},
        {"seek " + table + " NOSUCH X", 1, "qbtool: " + table + ": no usable tag named NOSUCH\n"},
        {"frobnicate " + table, 1, "qbtool: unknown command frobnicate..."},
    };
    for (const Case& c : cases) {
        const Result r = qbtool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        if (c.out.size() > 3 && c.out.ends_with("..."))
            EXPECT_EQ(r.out.substr(0, c.out.size() - 3), c.out.substr(0, c.out.size() - 3)) << c.args;
        else
            EXPECT_EQ(r.out, c.out) << c.args;
    }
}

TEST(Qbtool, IndexPackAndCheckFindsDamage)
{
    ScratchDir dir;
    const std::string table = copyFixture(dir, "addr500");
    EXPECT_EQ(qbtool("index " + table + " ZIP5 'LEFT(ZIP,5)'").out, "27\n");
    EXPECT_EQ(qbtool("pack " + table).out, "488\n");
    EXPECT_EQ(qbtool("check " + table).out, "ok\n");
    EXPECT_EQ(qbtool("count " + table + " .T.").out, "488\n");

    // A key overwritten in place no longer matches its record.
    std::string cdx = readFile(dir.file("ADDR.CDX"));
    const auto at = cdx.find("ABERNATHY");
    ASSERT_NE(at, std::string::npos);
    cdx.replace(at, 9, "ZZZZZZZZZ");
    writeFile(dir.file("ADDR.CDX"), cdx);
    const Result r = qbtool("check " + table);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("ADDR.CDX"), std::string::npos) << r.out;
}

// An index check cannot pass over: unreadable, empty where the table's header
// names a structural index, marked in change, made for another record count.
TEST(Qbtool, CheckReportsAnIndexThatCannotBeTrusted)
{
    ScratchDir dir;
    const std::string table = copyFixture(dir, "addr500");
    ASSERT_EQ(qbtool("reindex " + table).status, 0);
    const std::string whole = readFile(dir.file("ADDR.CDX"));
    const struct {
        const char* name;
        std::function<std::string(std::string)> damage;
        const char* says;
    } cases[] = {
        {"unreadable", [](std::string) { return std::string(700, 'x'); }, "too short for the header"},
        {"no tags", [&](std::string) {
             // What a rebuild stopped early can leave: a new index without its tags.
             {
                 auto empty = CdxFile::create(dir.file("EMPTY.CDX"));
             }
             // As another engine writes it: nothing in the bytes that record the count.
             return readFile(dir.file("EMPTY.CDX")).replace(28, 8, 8, '\0');
         }, "holds no tags"},
        {"marked in change", [](std::string b) { return b.replace(30, 1, 1, '\x01'); }, "being changed when a program stopped"},
    };
    for (const auto& c : cases) {
        writeFile(dir.file("ADDR.CDX"), c.damage(whole));
        const Result r = qbtool("check " + table);
        EXPECT_EQ(r.status, 1) << c.name << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.name << "\n" << r.out;
    }
    writeFile(dir.file("ADDR.CDX"), whole);
    EXPECT_EQ(qbtool("check " + table).out, "ok\n");

    // Another count alone, as a program that kept the keys but not our count
    // leaves it: the keys cover the records, so the index is sound.
    writeFile(dir.file("ADDR.CDX"), whole.substr(0, 32) + char(whole.at(32) + 1) + whole.substr(33));
    EXPECT_EQ(qbtool("check " + table).out, "ok\n");
    // An index from before a record was appended: made for another count, and its keys say so.
    {
        auto t = Table::open(table);
        t->appendBlank();
        t->setText("LNAME", "Appended");
        t->post();
    }
    writeFile(dir.file("ADDR.CDX"), whole);
    const Result r = qbtool("check " + table);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("made for 501 records but the table holds 502"), std::string::npos) << r.out;
}

} // namespace
} // namespace qb::xbase::test

namespace qb::xbase::test {
namespace {

TEST(Qbtool, SingleOrderIndexFiles)
{
    ScratchDir dir;
    const std::string table = copyFixture(dir, "addr500");
    const std::string idx = dir.file("ADDR_chksz.idx");
    {
        auto t = Table::open(table);
        const int order = t->createIndexFile(idx, "upper(LNAME)");
        for (uint32_t r : {210u, 5u, 21u}) {
            t->go(r);
            t->addKey(order);
        }
        t->closeIndexFile(order);
    }
    const Result info = qbtool("info " + idx);
    EXPECT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("tag\tADDR_CHKSZ\tupper(LNAME)\tC\t"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("keys\t3\n"), std::string::npos) << info.out;
    const Result dump = qbtool("dump " + table + " --tag " + idx + " --fields LNAME");
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out.substr(0, dump.out.find('\n')), "21\tAbernathy");
    EXPECT_EQ(std::count(dump.out.begin(), dump.out.end(), '\n'), 3);
    EXPECT_EQ(qbtool("check " + idx).out, "ok\n");
    std::string bytes = readFile(idx);
    bytes[1024 + 2] = char(0xFF);   // the root's key count
    writeFile(idx, bytes);
    const Result damaged = qbtool("check " + idx);
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.out.find(idx), std::string::npos) << damaged.out;
}

} // namespace
} // namespace qb::xbase::test
