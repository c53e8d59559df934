// Imports into an address database: the field match, text files, other
// tables and earlier versions' databases, their checks and their failures.

#include "transfer/import_run.h"

#include "core/index_maintenance.h"
#include "transfer/transfer_error.h"
#include "transfer_fixture.h"

#include <QFile>
#include <filesystem>

namespace qb {
namespace {

using test::AddressDatabase;
using test::MessageLog;
using test::Row;
using test::rowNamed;
using test::rowsOf;
using xbase::test::readFile;
using xbase::test::writeFile;

// Imports a text file with columns (from 1) matched to fields by name; notes,
// when given, receives every note.
ImportResult importCsv(xbase::Table& t, const std::string& path, const std::map<std::string, int>& columns,
                       ImportRun::Hooks hooks = {}, std::vector<std::string>* notes = nullptr)
{
    if (notes)
        hooks.note = [notes](const std::string& n) { notes->push_back(n); };
    const CsvSample sample = sampleCsv(path);
    FieldMatch match(FieldMatch::Kind::Text, textImportFields(t), csvColumns(sample.columns()));
    for (const auto& [name, column] : columns)
        EXPECT_TRUE(match.select(rowNamed(match, name), column - 1)) << name;
    CsvImportSource source(path, sample.kind, sample.columns(), match, t);
    ImportRun run(t, match.rows(), std::move(hooks));
    return *run.run(source);
}

// The database's three files, byte for byte.
std::string filesOf(const AddressDatabase& db)
{
    return readFile(db.file(".DBF")) + "|" + readFile(db.file(".FPT")) + "|" + readFile(db.file(".CDX"));
}

class Import : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::addRow(db.t(), {{"LNAME", "Existing"}, {"CITY", "Dayton"}, {"MEMO", "kept memo"}});
        db.t().setFilter("!ISDEL");
    }
    std::string csv(const std::string& bytes)
    {
        const std::string path = db.program.folder().toStdString() + "in.csv";
        writeFile(path, bytes);
        return path;
    }

    AddressDatabase db;
    MessageLog messages;
};

TEST_F(Import, FieldMatchRules)
{
    // Text files feed the shown text fields; tables every stored field but ISDEL and TAG.
    FieldMatch text(FieldMatch::Kind::Text, textImportFields(db.t()), csvColumns(3));
    std::vector<std::string> textRows, tableRows;
    for (const ImportField& f : text.rows())
        textRows.push_back(f.name);
    EXPECT_EQ(textRows, (std::vector<std::string>{"LNAME", "FNAME", "MIDDLE", "PREFIX", "TITLE", "ORG", "STREET", "STREET2", "CITY",
                                                  "STATE", "ZIP", "COUNTRY", "PHONE", "PHONE2", "FAX", "EMAIL", "CODES", "USER1",
                                                  "USER2"}));
    for (const ImportField& f : tableImportFields(db.t()))
        tableRows.push_back(f.label);
    EXPECT_EQ(tableRows.size(), 21u);
    EXPECT_EQ(tableRows[19], "Memo");
    EXPECT_EQ(tableRows[20], "Actual Date");

    // A column feeds one field: choosing it for another row takes it away.
    const int lname = rowNamed(text, "LNAME"), city = rowNamed(text, "CITY");
    EXPECT_TRUE(text.select(lname, 0));
    EXPECT_TRUE(text.select(city, 0));
    EXPECT_EQ(text.sourceOf(lname), -1);
    EXPECT_EQ(text.rowOf(0), city);
    text.clear(city);
    EXPECT_FALSE(text.any());

    // A table's memo feeds only the memo; its other fields anything but the memo.
    const std::vector<ImportSourceField> sources{{"LAST", 'C'}, {"NOTES", 'M'}, {"BORN", 'D'}, {"ID", 'I'}};
    FieldMatch table(FieldMatch::Kind::Table, tableImportFields(db.t()), sources);
    const int memo = rowNamed(table, "MEMO");
    EXPECT_EQ(table.choices(memo), (std::vector<int>{1}));
    EXPECT_EQ(table.choices(rowNamed(table, "DATE")), (std::vector<int>{0, 2, 3}));
    EXPECT_FALSE(table.select(memo, 0));
    EXPECT_FALSE(table.select(rowNamed(table, "LNAME"), 1));
}

TEST_F(Import, PreMatchByLabelNameAndMemo)
{
    const std::vector<ImportSourceField> sources{{"LAST NAME", 'C'}, {"CITY", 'C'}, {"NOTES", 'M'}, {"MORE", 'M'},
                                                 {"ZIP", 'N'},       {"ID", 'I'},   {"ORGANIZAT", 'C'}};
    FieldMatch m(FieldMatch::Kind::Table, tableImportFields(db.t()), sources);
    m.preMatch();
    EXPECT_EQ(m.rowOf(0), rowNamed(m, "LNAME")) << "by the label Last Name";
    EXPECT_EQ(m.rowOf(1), rowNamed(m, "CITY"));
    EXPECT_EQ(m.rowOf(2), rowNamed(m, "MEMO")) << "the first memo";
    EXPECT_EQ(m.rowOf(3), -1) << "the second memo stays out";
    EXPECT_EQ(m.rowOf(4), rowNamed(m, "ZIP"));
    EXPECT_EQ(m.rowOf(5), -1) << "types beyond C N L D M are matched by hand only";
    EXPECT_EQ(m.rowOf(6), -1);
}

TEST_F(Import, TextFileValuesLandInTheirFields)
{
    const std::string path = csv("Smith,John,\"12 Oak St, Apt 4\",Springfield,OH\r\n"
                                 "\"O'Brien \"\"Bud\"\"\",Seán,,\"Line one\nline two\",IL,,\r\n"
                                 "Short,Only\r\n"
                                 "\r\n"
                                 "M\xFCller,D\xF6rte,1 Rue,Paris,\r\n");
    std::vector<std::string> notes;
    const ImportResult r =
        importCsv(db.t(), path, {{"LNAME", 1}, {"FNAME", 2}, {"STREET", 3}, {"CITY", 4}, {"STATE", 5}}, {}, &notes);
    EXPECT_EQ(importMessage(ImportRun::Kind::Text, r), "Import complete. Imported 4 records.");
    // UTF-8 line by line: the one line in Windows-1252 is read as such and
    // named; a line break in a single-line field becomes a blank.
    EXPECT_EQ(notes, (std::vector<std::string>{"line 2, City: its line breaks become blanks",
                                               "line 6 is not UTF-8 text; it was read as Windows-1252"}));
    const std::vector<Row> expected{
        {{"LNAME", "Existing"}, {"CITY", "Dayton"}, {"MEMO", "kept memo"}},
        {{"LNAME", "Smith"}, {"FNAME", "John"}, {"STREET", "12 Oak St, Apt 4"}, {"CITY", "Springfield"}, {"STATE", "OH"}},
        {{"LNAME", "O'Brien \"Bud\""}, {"FNAME", "Seán"}, {"CITY", "Line one line two"}, {"STATE", "IL"}},
        {{"LNAME", "Short"}, {"FNAME", "Only"}},
        {{"LNAME", "Müller"}, {"FNAME", "Dörte"}, {"STREET", "1 Rue"}, {"CITY", "Paris"}},
    };
    EXPECT_EQ(rowsOf(db.t()), expected);
    EXPECT_TRUE(db.table.checkValidIndex());
    EXPECT_TRUE(db.t().check().empty());
    EXPECT_EQ(db.t().count("UPPER(LNAME) = \"SMITH\""), 1u) << "the tags know the new records";
}

TEST_F(Import, EmptyValuesNeverOverwriteAndUtf8IsConverted)
{
    const std::string path = csv("\xEF\xBB\xBFNamé,\r\nZoë,Łódź\r\n");
    const ImportResult r = importCsv(db.t(), path, {{"LNAME", 1}, {"CITY", 2}});
    EXPECT_EQ(r.count, 2u);
    const auto rows = rowsOf(db.t());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (Row{{"LNAME", "Namé"}}));
    EXPECT_EQ(rows[2], (Row{{"LNAME", "Zoë"}, {"CITY", "?ód?"}}));
}

TEST_F(Import, ValuesThatWouldChangeAreReportedFirst)
{
    const std::string path = csv("Łukasz," + std::string(45, 'o') + "\r\nplain,x\r\n");
    const CsvSample sample = sampleCsv(path);
    FieldMatch match(FieldMatch::Kind::Text, textImportFields(db.t()), csvColumns(sample.columns()));
    match.select(rowNamed(match, "LNAME"), 0);
    match.select(rowNamed(match, "ORG"), 1);
    CsvImportSource source(path, sample.kind, sample.columns(), match, db.t());
    ImportRun run(db.t(), match.rows(), {});
    const std::string before = filesOf(db);
    std::vector<std::string> seen;
    EXPECT_FALSE(run.run(source, [&](const ImportCheck& c) {
        seen = c.notes;
        return false;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "line 1, Last Name: Ł cannot be stored in the database's characters and would become ?",
                        "line 1, Organization: 45 characters, of which the field holds 30"}));
    EXPECT_EQ(filesOf(db), before) << "declined: nothing changed";
}

TEST_F(Import, BadTextFilesAreRefusedAndChangeNothing)
{
    const std::string path = csv(std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const std::string before = filesOf(db);
    try {
        sampleCsv(path);
        ADD_FAILURE() << "a picture sampled";
    } catch (const TransferError& e) {
        EXPECT_EQ(e.what(), path + " is not a text file (a control character on line 2)");
    }
    EXPECT_EQ(filesOf(db), before);
    // A file of one record is not taken, as before.
    try {
        sampleCsv(csv("only,one\r\n"));
        ADD_FAILURE() << "one record sampled";
    } catch (const TransferError& e) {
        EXPECT_STREQ(e.what(), "Unable to import from this file");
    }
}

// A line longer than 2048 characters, a field longer than 255 (in a column
// nobody matched too), a line with more fields than the first: each record
// is imported with what its bounds hold, and each cut is named first.
TEST_F(Import, OversizeAndRaggedLinesImportWithNotes)
{
    const std::string path = csv("a,b,c\r\nd,e,f\r\ng,h,i,j,k\r\n" + std::string(100000, 'x') + "\r\n" + std::string(300, 'y') +
                                 ",z," + std::string(256, 'u') + "\r\nl,m\r\n");
    std::vector<std::string> notes;
    const ImportResult r = importCsv(db.t(), path, {{"LNAME", 1}, {"CITY", 2}}, {}, &notes);
    EXPECT_EQ(importMessage(ImportRun::Kind::Text, r), "Import complete. Imported 6 records.");
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "line 3: 5 fields, the first line 3; fields 4 to 5 are left out",
                         "line 4 is longer than 2048 characters; the rest of it is left out",
                         "line 4, field 1: 2048 characters; the first 255 are kept",
                         "line 4, Last Name: 255 characters, of which the field holds 30",
                         "line 5, field 1: 300 characters; the first 255 are kept",
                         "line 5, field 3: 256 characters; the first 255 are kept",
                         "line 5, Last Name: 255 characters, of which the field holds 30",
                     }));
    const auto rows = rowsOf(db.t());
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[3], (Row{{"LNAME", "g"}, {"CITY", "h"}}));
    EXPECT_EQ(rows[4], (Row{{"LNAME", std::string(30, 'x')}}));
    EXPECT_EQ(rows[5], (Row{{"LNAME", std::string(30, 'y')}, {"CITY", "z"}}));
    EXPECT_EQ(rows[6], (Row{{"LNAME", "l"}, {"CITY", "m"}}));
}

TEST_F(Import, CancelKeepsWhatWasImported)
{
    std::string lines;
    for (int i = 1; i <= 200; ++i)
        lines += "Name" + std::to_string(i) + "\r\n";
    int asked = 0;
    ImportRun::Hooks hooks;
    hooks.cancelRequested = [&] { return ++asked == 200 + 50; };   // the check asks 200 times first
    const ImportResult r = importCsv(db.t(), csv(lines), {{"LNAME", 1}}, hooks);
    EXPECT_EQ(importMessage(ImportRun::Kind::Text, r), "Import cancelled after importing 50 records.");
    EXPECT_EQ(db.t().recordCount(), 51u);
    EXPECT_TRUE(db.table.checkValidIndex());
    EXPECT_TRUE(db.t().check().empty());
}

// A database that opened read-only (its table in dBase's layout, which the
// engine does not write) is refused before anything is read; its index stays
// open for the session.
TEST(ImportReadOnly, RefusedAtTheStart)
{
    MessageLog messages;
    AddressDatabase db;
    test::addRow(db.t(), {{"LNAME", "Kept"}});
    db.table.close();
    std::string bytes = readFile(db.path.toStdString());
    bytes[0] = '\x83';
    writeFile(db.path.toStdString(), bytes);
    ASSERT_TRUE(db.table.open(db.path));
    ASSERT_TRUE(db.t().readOnly());
    ASSERT_TRUE(db.table.checkValidIndex());

    const std::string path = db.program.folder().toStdString() + "in.csv";
    writeFile(path, "a\r\nb\r\n");
    const CsvSample sample = sampleCsv(path);
    FieldMatch match(FieldMatch::Kind::Text, textImportFields(db.t()), csvColumns(1));
    match.select(rowNamed(match, "LNAME"), 0);
    CsvImportSource source(path, sample.kind, 1, match, db.t());
    try {
        ImportRun(db.t(), match.rows(), {}).run(source);
        ADD_FAILURE() << "imported into a read-only database";
    } catch (const TransferError& e) {
        EXPECT_EQ(e.what(), db.path.toStdString() + " is open read-only: nothing can be imported into it");
    }
    EXPECT_TRUE(db.table.checkValidIndex()) << "the index is still open";
    EXPECT_EQ(db.t().recordCount(), 1u);
}

// The disk fills half-way through: the records appended are taken off again
// and the message says how many there had been.
TEST(ImportFailure, FullDiskLeavesTheDatabaseAsItWas)
{
    MessageLog messages;
    xbase::test::ScratchDir outer;
    test::SmallDisk disk(outer.file("disk"), 384 * 1024);
    ASSERT_TRUE(disk.mounted());
    AddressDatabase db(QString::fromStdString(outer.file("disk")));
    for (int i = 0; i < 20; ++i)
        test::addRow(db.t(), {{"LNAME", "Old" + std::to_string(i)}, {"MEMO", "memo " + std::to_string(i)}});
    ASSERT_TRUE(buildAllTags(db.t()));
    const std::string before = filesOf(db);
    const auto rowsBefore = rowsOf(db.t());

    std::string lines;
    for (int i = 1; i <= 5000; ++i)
        lines += "New" + std::to_string(i) + "," + std::string(40, 'c') + "," + std::string(40, 's') + "\r\n";
    const std::string path = outer.file("in.csv");
    writeFile(path, lines);
    uint32_t mostSeen = 0;
    ImportRun::Hooks hooks;
    hooks.cancelRequested = [&] {
        mostSeen = std::max(mostSeen, db.t().recordCount());
        return false;
    };
    const ImportResult r = importCsv(db.t(), path, {{"LNAME", 1}, {"CITY", 2}, {"STREET", 3}}, hooks);
    ASSERT_EQ(r.outcome, ImportResult::Outcome::WriteError);
    EXPECT_GT(r.count, 0u);
    EXPECT_LT(r.count, 5000u);
    EXPECT_EQ(r.count, mostSeen - 20) << "the message counts the records that had been appended";
    const QString message = importMessage(ImportRun::Kind::Text, r);
    EXPECT_TRUE(message.startsWith("Unknown error writing to data file after importing " + QString::number(r.count) + " records.\r\n\r\n"))
        << message.toStdString();
    EXPECT_TRUE(message.contains("No space left on device")) << message.toStdString();
    EXPECT_TRUE(message.endsWith("The records imported were taken out again: the database is as it was before the import."));
    EXPECT_EQ(rowsOf(db.t()), rowsBefore);
    EXPECT_TRUE(db.t().check().empty());
    EXPECT_EQ(filesOf(db), before) << "table, memo file and index as they were";
    db.table.close();
}

} // namespace
} // namespace qb
