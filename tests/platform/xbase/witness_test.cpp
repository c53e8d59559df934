// Other xBase implementations as witnesses: python-dbf and the Perl XBase
// modules read the tables we write, and we read the tables python-dbf writes.

#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "test_support.h"

#include <charconv>
#include <cstdio>

namespace qb::xbase::test {
namespace {

const char* kWitnesses = QB_TEST_DATA "/../witness";

// The rows tests/witness/dbf_write.py writes, as the readers print them.
const char* kExpected =
    "1\t-\tAnderson\tAnn\tCA\t34\t1250.5\tT\t19900131\tShort memo\n"
    "2\t-\tMüller\tDörte\tTX\t45\t-3.25\tF\t20011201\tZeile 1\\r\\nZeile 2: é à ö\n"
    "3\t*\tO'Brien\tSeán\tNY\t0\t0\tF\t\t\n";

std::string expectedWithLongMemo() { return std::string(kExpected) + "4\t-\tZed\tZoë\tca\t99\t99999.99\tT\t19690720\t" + std::string(3000, 'x') + "\n"; }

bool have(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string run(const std::string& command)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << command;
    return out;
}

std::string escape(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\\' ? "\\\\" : std::string(1, c);
    return out;
}

std::string shortest(double v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Our reading of a table, in the witnesses' form.
std::string readWithUs(const std::string& path)
{
    auto t = Table::open(path, OpenMode::ReadOnly);
    std::string out;
    for (uint32_t r = 1; r <= t->recordCount(); ++r) {
        t->go(r);
        out += std::to_string(r) + "\t" + (t->deleted() ? "*" : "-");
        for (int i = 0; i < t->fieldCount(); ++i) {
            const Field& f = t->field(i);
            out += "\t";
            if (f.type == 'N')
                out += shortest(t->number(f.name));
            else if (f.type == 'L')
                out += t->logical(f.name) ? "T" : "F";
            else
                out += escape(t->text(f.name));
        }
        out += "\n";
    }
    return out;
}

class WitnessTest : public ::testing::Test {
protected:
    void SetUp() override { engineSettings() = EngineSettings{}; }
    ScratchDir dir;
};

TEST_F(WitnessTest, TablesWeWriteReadTheSameInPythonAndPerl)
{
    {
        auto t = Table::create(dir.file("OURS.DBF"), {{"LNAME", 'C', 20, 0}, {"FNAME", 'C', 15, 0}, {"STATE", 'C', 2, 0},
                                                       {"AGE", 'N', 3, 0}, {"BAL", 'N', 9, 2}, {"ACTIVE", 'L', 1, 0},
                                                       {"BORN", 'D', 8, 0}, {"NOTES", 'M', 10, 0}});
        struct Row { const char *l, *f, *s; double age, bal; bool active; const char* born; std::string memo; };
        const Row rows[] = {
            {"Anderson", "Ann", "CA", 34, 1250.5, true, "19900131", "Short memo"},
            {"Müller", "Dörte", "TX", 45, -3.25, false, "20011201", "Zeile 1\r\nZeile 2: é à ö"},
            {"O'Brien", "Seán", "NY", 0, 0, false, "", ""},
            {"Zed", "Zoë", "ca", 99, 99999.99, true, "19690720", std::string(3000, 'x')},
        };
        for (const Row& r : rows) {
            t->appendBlank();
            t->setText("LNAME", r.l);
            t->setText("FNAME", r.f);
            t->setText("STATE", r.s);
            t->setNumber("AGE", r.age);
            t->setNumber("BAL", r.bal);
            t->setLogical("ACTIVE", r.active);
            t->setText("BORN", r.born);
            t->setMemo("NOTES", r.memo);
            t->post();
        }
        t->go(3);
        t->deleteRecord();
        t->createTag("LNAME", "UPPER(LNAME)");
    }
    EXPECT_EQ(readWithUs(dir.file("OURS.DBF")), expectedWithLongMemo());
    if (have("/usr/bin/python3 -c 'import dbf'"))
        EXPECT_EQ(run("/usr/bin/python3 " + std::string(kWitnesses) + "/dbf_read.py " + dir.file("OURS.DBF")), expectedWithLongMemo());
    else
        ADD_FAILURE() << "python3-dbf is missing";
    if (have("perl -MXBase -e 1"))
        EXPECT_EQ(run("perl " + std::string(kWitnesses) + "/dbf_read.pl " + dir.file("OURS.DBF")), expectedWithLongMemo());
    else
        ADD_FAILURE() << "the Perl XBase modules are missing";
}

TEST_F(WitnessTest, TablesPythonWritesOpenInOurs)
{
    ASSERT_TRUE(have("/usr/bin/python3 -c 'import dbf'")) << "python3-dbf is missing (see scripts/test-deps.sh)";
    run("/usr/bin/python3 " + std::string(kWitnesses) + "/dbf_write.py " + dir.file("theirs.dbf"));
    EXPECT_EQ(readWithUs(dir.file("theirs.dbf")), expectedWithLongMemo());

    // And ours can go on writing it: python-dbf must still read every value.
    {
        auto t = Table::open(dir.file("theirs.dbf"));
        t->createTag("STATE", "UPPER(STATE)");
        t->go(1);
        t->edit();
        t->setMemo("NOTES", "Changed by us");
        t->post();
        EXPECT_EQ(t->count("UPPER(STATE) = \"CA\""), 2u);
        EXPECT_TRUE(t->check().empty());
    }
    std::string expected = expectedWithLongMemo();
    expected.replace(expected.find("Short memo"), 10, "Changed by us");
    EXPECT_EQ(run("/usr/bin/python3 " + std::string(kWitnesses) + "/dbf_read.py " + dir.file("theirs.dbf")), expected);
}

// dBase III keeps its memos in a .DBT, Visual FoxPro its own way in the .FPT;
// both open read-only with every value and memo, the deleted mark included.
TEST_F(WitnessTest, DBaseAndVisualFoxProTablesPythonWritesOpenInOurs)
{
    ASSERT_TRUE(have("/usr/bin/python3 -c 'import dbf'")) << "python3-dbf is missing (see scripts/test-deps.sh)";
    for (const char* kind : {"db3", "vfp"}) {
        SCOPED_TRACE(kind);
        const std::string path = dir.file(std::string(kind) + ".dbf");
        run("/usr/bin/python3 " + std::string(kWitnesses) + "/dbf_write.py " + path + " " + kind);
        EXPECT_EQ(readWithUs(path), expectedWithLongMemo());
        auto t = Table::open(path);
        EXPECT_TRUE(t->readOnly());
        EXPECT_TRUE(t->check().empty());
    }
}

} // namespace
} // namespace qb::xbase::test
