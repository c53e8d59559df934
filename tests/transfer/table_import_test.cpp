// Imports from other xBase tables and from databases of the program's earlier
// versions, with tables other programs wrote as sources.

#include "transfer/import_date.h"
#include "transfer/import_run.h"
#include "transfer/transfer_error.h"
#include "transfer_fixture.h"

#include <cstring>

namespace qb {
namespace {

using test::AddressDatabase;
using test::MessageLog;
using test::Row;
using test::rowNamed;
using test::rowsOf;
using test::shell;
using xbase::test::readFile;
using xbase::test::writeFile;

int sourceNamed(const FieldMatch& m, const std::string& name)
{
    for (int s = 0; s < int(m.sources().size()); ++s)
        if (m.sources()[size_t(s)].name == name)
            return s;
    return -1;
}

class TableImport : public ::testing::Test {
protected:
    std::string source(const char* name) const { return db.program.folder().toStdString() + name; }

    // Writes a table with python-dbf: rows as dbf_make.py reads them.
    std::string make(const char* name, const char* kind, const char* fields, const std::string& rows, const std::string& codePage = "")
    {
        const std::string path = source(name);
        writeFile(path + ".rows", rows);
        shell("/usr/bin/python3 " + test::kWitnesses + "/dbf_make.py " + path + " " + kind + " '" + fields + "' " + codePage + " < " +
              path + ".rows");
        return path;
    }

    // Imports with the automatic match; notes, when given, receives the notes.
    std::optional<ImportResult> importTable(const std::string& path, const std::function<void(FieldMatch&)>& adjust = {},
                                            std::vector<std::string>* notes = nullptr)
    {
        TableImportSource src(path);
        FieldMatch match(FieldMatch::Kind::Table, tableImportFields(db.t()), src.fields());
        match.preMatch();
        if (adjust)
            adjust(match);
        src.useMatch(match, db.t());
        ImportRun::Hooks hooks;
        if (notes)
            hooks.note = [notes](const std::string& n) { notes->push_back(n); };
        return ImportRun(db.t(), match.rows(), hooks).run(src);
    }

    AddressDatabase db;
    MessageLog messages;
};

// dBase III with its .DBT and Visual FoxPro, both written by python-dbf: the
// fields named like ours match themselves, the rest are matched by hand, the
// deleted record stays out, the memos come along.
class OtherKinds : public TableImport, public ::testing::WithParamInterface<const char*> {};
INSTANTIATE_TEST_SUITE_P(Import, OtherKinds, ::testing::Values("db3", "vfp"));

TEST_P(OtherKinds, TablesWithTheirMemosImport)
{
    {
        const char* kind = GetParam();
        const std::string path = source((std::string(kind) + ".dbf").c_str());
        shell("/usr/bin/python3 " + test::kWitnesses + "/dbf_write.py " + path + " " + kind);
        AddressDatabase& into = db;
        TableImportSource src(path);
        FieldMatch match(FieldMatch::Kind::Table, tableImportFields(into.t()), src.fields());
        match.preMatch();
        EXPECT_EQ(match.sourceOf(rowNamed(match, "LNAME")), sourceNamed(match, "LNAME"));
        EXPECT_EQ(match.sourceOf(rowNamed(match, "MEMO")), sourceNamed(match, "NOTES"));
        EXPECT_EQ(match.sourceOf(rowNamed(match, "DATE")), -1);
        EXPECT_TRUE(match.select(rowNamed(match, "DATE"), sourceNamed(match, "BORN")));
        EXPECT_TRUE(match.select(rowNamed(match, "USER1"), sourceNamed(match, "BAL")));
        EXPECT_TRUE(match.select(rowNamed(match, "USER2"), sourceNamed(match, "ACTIVE")));
        src.useMatch(match, into.t());
        const auto r = ImportRun(into.t(), match.rows(), {}).run(src);
        ASSERT_TRUE(r);
        EXPECT_EQ(importMessage(ImportRun::Kind::Table, *r), "Import complete. Imported 3 records.");
        const std::vector<Row> expected{
            {{"LNAME", "Anderson"}, {"FNAME", "Ann"}, {"STATE", "CA"}, {"DATE", "19900131"}, {"USER1", "1250.50"}, {"USER2", "T"},
             {"MEMO", "Short memo"}},
            {{"LNAME", "Müller"}, {"FNAME", "Dörte"}, {"STATE", "TX"}, {"DATE", "20011201"}, {"USER1", "-3.25"}, {"USER2", "F"},
             {"MEMO", "Zeile 1\r\nZeile 2: é à ö"}},
            {{"LNAME", "Zed"}, {"FNAME", "Zoë"}, {"STATE", "ca"}, {"DATE", "19690720"}, {"USER1", "99999.99"}, {"USER2", "T"},
             {"MEMO", std::string(3000, 'x')}},
        };
        EXPECT_EQ(rowsOf(into.t()), expected);
        EXPECT_TRUE(into.table.checkValidIndex());
        EXPECT_TRUE(into.t().check().empty());
    }
}

TEST_F(TableImport, BadSourcesAreRefusedAndChangeNothing)
{
    const std::string good = make("good.dbf", "db3", "LNAME C(20); NOTES M", "-\tOne\tfirst memo\n-\tTwo\tsecond memo\n");
    const auto filesOf = [&] { return readFile(db.file(".DBF")) + "|" + readFile(db.file(".FPT")) + "|" + readFile(db.file(".CDX")); };
    const std::string before = filesOf();

    // A memo pointer beyond the end of the source's memo file, in record 2.
    std::string bytes = readFile(good);
    const uint16_t header = uint16_t(uint8_t(bytes[8]) | uint8_t(bytes[9]) << 8), length = uint16_t(uint8_t(bytes[10]) | uint8_t(bytes[11]) << 8);
    std::memcpy(&bytes[header + length + 1 + 20], "    999999", 10);
    writeFile(source("badmemo.dbf"), bytes);
    writeFile(source("badmemo.dbt"), readFile(source("good.dbt")));
    writeFile(source("garbage.dbf"), "this is not a table at all, only a few words of text");
    make("empty.dbf", "db3", "LNAME C(20)", "");
    make("alldeleted.dbf", "db3", "LNAME C(20)", "*\tGone\n");

    const struct {
        const char* file;
        std::string message;
    } cases[] = {
        {"badmemo.dbf", source("badmemo.dbf") + ", record 2: " + source("badmemo.dbt") + ": memo block 999999 lies outside the file"},
        {"garbage.dbf", "Unable to open the file " + source("garbage.dbf") + "\r\n\r\n" + source("garbage.dbf") + ": not a table: unknown version byte 0x74"},
        {"empty.dbf", "There are no records in " + source("empty.dbf")},
        {"alldeleted.dbf", "There are no records in " + source("alldeleted.dbf")},
    };
    for (const auto& c : cases) {
        try {
            importTable(source(c.file));
            ADD_FAILURE() << c.file << " imported";
        } catch (const TransferError& e) {
            EXPECT_EQ(e.what(), c.message) << c.file;
        }
        EXPECT_EQ(filesOf(), before) << c.file;
    }
}

// A 2.x database: every field of the same name, ISDEL too; the memo through
// the memo box, so a memo of 8 characters is stored with 9.
TEST_F(TableImport, Version2CopiesItsFields)
{
    const std::string path = source("OLD2.DBF");
    {
        std::vector<xbase::FieldDef> fields;
        for (const char* f : OlderVersionSource::requiredFields(2))
            fields.push_back({f, std::strcmp(f, "ISDEL") == 0 ? 'L' : std::strcmp(f, "MEMO") == 0 ? 'M' : 'C', 20, 0});
        auto t = xbase::Table::create(path, fields);
        test::addRow(*t, {{"LNAME", "Baker"}, {"STREET2", "Suite 5"}, {"PHONE2", "555-2"}, {"USER1", "u1"}, {"USER2", "u2"},
                          {"CODES", "XMAS"}, {"DATE", "19991231"}, {"TAG", "ABC"}, {"MEMO", "12345678"}});
        test::addRow(*t, {{"LNAME", "Hidden"}, {"ISDEL", "F"}});
        t->go(2);
        t->edit();
        t->setLogical("ISDEL", true);
        t->post();
        test::addRow(*t, {{"LNAME", "Removed"}, {"ISDEL", "T"}});   // deleted-marked: passed over
    }
    OlderVersionSource src(path, 2, db.t());
    const auto r = ImportRun(db.t(), tableImportFields(db.t()), {}).run(src);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->count, 2u);
    const auto rows = rowsOf(db.t());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (Row{{"LNAME", "Baker"}, {"STREET2", "Suite 5"}, {"PHONE2", "555-2"}, {"USER1", "u1"}, {"USER2", "u2"},
                            {"CODES", "XMAS"}, {"DATE", "19991231"}, {"MEMO", "12345678 "}}));
    EXPECT_EQ(rows[1], (Row{{"LNAME", "Hidden"}, {"ISDEL", "T"}}));
}

// A 1.x database from a dBase program: NOTES become the codes, dates are
// brought to yyyymmdd or dropped, CARRIER is left behind.
TEST_F(TableImport, Version1ConvertsItsDates)
{
    const char* spec = "LNAME C(20); FNAME C(20); MIDDLE C(1); TITLE C(20); ORG C(20); STREET C(30); CITY C(20); STATE C(2); "
                       "ZIP C(10); COUNTRY C(10); PHONE C(15); EMAIL C(30); FAX C(15); NOTES C(30); PREFIX C(5); CARRIER C(4); "
                       "DATE C(10); MEMO M";
    const std::string path = make("old1.dbf", "db3", spec,
                                  "-\tAdams\tAl\tB\tDr\tACME\t1 Main\tTroy\tOH\t45373\tUSA\t555\ta@b.c\t556\tVIP\tMr\tC001\t19970428\tfour\n"
                                  "-\tBrown\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t04/28/1997\t\n"
                                  "-\tClark\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\tsoon\t\n"
                                  "-\tDavis\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t04/28/05\t\n"
                                  "-\tEvans\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t4/8/97\t\n");
    OlderVersionSource src(path, 1, db.t());
    std::vector<std::string> notes;
    ImportRun::Hooks hooks;
    hooks.note = [&](const std::string& n) { notes.push_back(n); };
    ASSERT_TRUE(ImportRun(db.t(), tableImportFields(db.t()), hooks).run(src));
    EXPECT_EQ(notes, std::vector<std::string>{"record 3, Actual Date: \"soon\" is not a date; left empty"});
    const auto rows = rowsOf(db.t());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (Row{{"LNAME", "Adams"}, {"FNAME", "Al"}, {"MIDDLE", "B"}, {"TITLE", "Dr"}, {"ORG", "ACME"}, {"STREET", "1 Main"},
                            {"CITY", "Troy"}, {"STATE", "OH"}, {"ZIP", "45373"}, {"COUNTRY", "USA"}, {"PHONE", "555"},
                            {"EMAIL", "a@b.c"}, {"FAX", "556"}, {"CODES", "VIP"}, {"PREFIX", "Mr"}, {"DATE", "19970428"},
                            {"MEMO", "four "}}));
    EXPECT_EQ(rows[1], (Row{{"LNAME", "Brown"}, {"DATE", "19970428"}}));
    EXPECT_EQ(rows[2], (Row{{"LNAME", "Clark"}}));
    // Two-digit years about the pivot (00-49 this century), no leading zeros needed.
    EXPECT_EQ(rows[3], (Row{{"LNAME", "Davis"}, {"DATE", "20050428"}}));
    EXPECT_EQ(rows[4], (Row{{"LNAME", "Evans"}, {"DATE", "19970408"}}));

    // Without CARRIER it is not a 1.x file.
    const std::string lacking = make("nocarrier.dbf", "db3", "LNAME C(20); FNAME C(20)", "-\tX\tY\n");
    try {
        OlderVersionSource(lacking, 1, db.t());
        ADD_FAILURE() << "taken as 1.x";
    } catch (const TransferError& e) {
        EXPECT_EQ(e.what(), lacking + " does not appear to be a Quillbase 1.x DBF");
    }
}

// The date forms imports read, whatever the locale: yyyymmdd, the ISO form,
// month/day/year with two or four digits (00-49 is 20xx, 50-99 19xx), and
// day.month.year.
TEST(ImportDate, Forms)
{
    const struct {
        const char* text;
        std::optional<std::string> date;
    } cases[] = {
        {"", ""},
        {"19970428", "19970428"},
        {"04/28/1997", "19970428"},
        {"4/8/1997", "19970408"},
        {"4/8/97", "19970408"},
        {"04/28/05", "20050428"},
        {"1/2/49", "20490102"},
        {"1/2/50", "19500102"},
        {" 12-31-1999 ", "19991231"},
        {"1997-04-28", "19970428"},
        {"1997-04-28T10:15:00Z", "19970428"},
        {"28.04.1997", "19970428"},
        {"19971328", std::nullopt},
        {"02/30/2000", std::nullopt},
        {"2/29/2000", "20000229"},
        {"2/29/1900", std::nullopt},
        {"someday", std::nullopt},
        {"4/8", std::nullopt},
        {"--0428", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(importDate(c.text), c.date) << c.text;
}

// What goes into DATE from another table is a date as yyyymmdd: a date field
// as it is, text when it reads as a date; anything else is left empty and
// named. The field is matched by its name.
TEST_F(TableImport, DatesBecomeYyyymmdd)
{
    const std::string path = make("dates.dbf", "db3", "LNAME C(20); DATE C(12)",
                                  "-\tA\t19970428\n-\tB\t04/28/1997\n-\tC\t4/8/97\n-\tD\t1997-04-28\n-\tE\tsoon\n-\tF\t13/45/2000\n-\tG\t\n");
    std::vector<std::string> notes;
    ASSERT_TRUE(importTable(path, {}, &notes));
    EXPECT_EQ(notes, (std::vector<std::string>{"record 5, Actual Date: \"soon\" is not a date; left empty",
                                               "record 6, Actual Date: \"13/45/2000\" is not a date; left empty"}));
    std::vector<std::string> dates;
    for (const Row& r : rowsOf(db.t()))
        dates.push_back(r.count("DATE") ? r.at("DATE") : "");
    EXPECT_EQ(dates, (std::vector<std::string>{"19970428", "19970428", "19970408", "19970428", "", "", ""}));
}

// A DOS program's table names its code page in its header (437, 850): its
// text and memos arrive as they were written. python-dbf writes the tables.
TEST_F(TableImport, TextInTheSourcesCodePage)
{
    for (const char* page : {"cp437", "cp850"}) {
        AddressDatabase into;
        const std::string path = make((std::string(page) + ".dbf").c_str(), "db3", "LNAME C(20); CITY C(20); NOTES M",
                                      "-\tMüller\tNiño\tÇa va, Zoë\n", page);
        TableImportSource src(path);
        FieldMatch match(FieldMatch::Kind::Table, tableImportFields(into.t()), src.fields());
        match.preMatch();
        src.useMatch(match, into.t());
        ASSERT_TRUE(ImportRun(into.t(), match.rows(), {}).run(src));
        EXPECT_EQ(rowsOf(into.t()), (std::vector<Row>{{{"LNAME", "Müller"}, {"CITY", "Niño"}, {"MEMO", "Ça va, Zoë"}}})) << page;
    }
}

} // namespace
} // namespace qb
