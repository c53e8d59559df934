// Copying records out to text and to a new table, read back by our import
// and by python-dbf.

#include "transfer/export_run.h"
#include "transfer/import_run.h"
#include "transfer_fixture.h"

#include <QFile>
#include <sys/mount.h>

namespace qb {
namespace {

using test::AddressDatabase;
using test::MessageLog;
using test::Row;
using test::rowsOf;
using test::shell;
using xbase::test::readFile;
using xbase::test::writeFile;

// Records with what text files find hard: commas, quotes, line breaks, accents.
const std::vector<Row> kRows{
    {{"PREFIX", "Dr."}, {"FNAME", "Ann"}, {"MIDDLE", "Q"}, {"LNAME", "Anderson"}, {"TITLE", "Chair"}, {"ORG", "Smith, Jones & Co"},
     {"STREET", "12 Oak St, Apt 4"}, {"STREET2", "Building \"B\""}, {"CITY", "Dayton"}, {"STATE", "OH"}, {"ZIP", "45401-1234"},
     {"COUNTRY", "USA"}, {"PHONE", "555-1"}, {"PHONE2", "555-2"}, {"EMAIL", "ann@example.com"}, {"FAX", "555-3"},
     {"DATE", "19970428"}, {"USER1", "one"}, {"USER2", "two"}, {"CODES", "XMAS"}, {"MEMO", "12345678"}},
    {{"LNAME", "O\"Brien"}, {"FNAME", "Seán"}, {"CITY", "Zürich"}, {"STATE", "ZH"}, {"MEMO", "line one\r\nline two"}},
    {{"LNAME", "Müller"}, {"FNAME", "Dörte"}, {"STREET", "first line\r\nsecond line"}, {"ZIP", "10115"}},
    {{"LNAME", "Zed"}, {"STATE", "CA"}},
};

class Export : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const Row& r : kRows)
            test::addRow(db.t(), r);
        test::addRow(db.t(), {{"LNAME", "Deleted"}, {"ISDEL", "T"}});
        db.t().setFilter("!ISDEL");
        db.t().selectOrder("LNAME");
    }
    std::string out(const char* name) const { return db.program.folder().toStdString() + name; }

    AddressDatabase db;
    MessageLog messages;
};

TEST_F(Export, TextLinesQuoteEveryFieldAndDoubleQuotes)
{
    const auto r = RecordExport::run(db.t(), RecordExport::Format::Text, out("out.txt"), {});
    EXPECT_EQ(r.outcome, RecordExport::Result::Outcome::Done);
    EXPECT_EQ(r.count, 4u);
    const std::string text = readFile(out("out.txt"));
    // In last-name order; Windows-1252; the deleted record left out.
    EXPECT_EQ(text.substr(0, text.find("\r\n") + 2),
              "\"Dr.\",\"Ann\",\"Q\",\"Anderson\",\"Chair\",\"Smith, Jones & Co\",\"12 Oak St, Apt 4\",\"Building \"\"B\"\"\","
              "\"Dayton\",\"OH\",\"45401-1234\",\"USA\",\"555-1\",\"555-2\",\"ann@example.com\",\"555-3\",\"19970428\",\"one\","
              "\"two\",\"XMAS\"\r\n");
    EXPECT_NE(text.find("\"M\xFCller\",\"\",\"\""), std::string::npos);
    EXPECT_NE(text.find("\"\",\"Se\xE1n\",\"\",\"O\"\"Brien\""), std::string::npos) << "a quote in a name is doubled: four quotes in the field";
    EXPECT_EQ(text.find("Deleted"), std::string::npos);
}

// What goes out as text comes back in as the same records.
TEST_F(Export, TextReimportsToTheSameRecords)
{
    ASSERT_EQ(RecordExport::run(db.t(), RecordExport::Format::Text, out("out.csv"), {}).count, 4u);
    AddressDatabase into;
    const CsvSample sample = sampleCsv(out("out.csv"));
    ASSERT_EQ(sample.columns(), 20);
    FieldMatch match(FieldMatch::Kind::Text, textImportFields(into.t()), csvColumns(20));
    for (int c = 0; c < 20; ++c)
        for (int row = 0; row < int(match.rows().size()); ++row)
            if (match.rows()[size_t(row)].name == textExportFields()[size_t(c)])
                match.select(row, c);
    CsvImportSource src(out("out.csv"), sample.kind, 20, match, into.t());
    ASSERT_TRUE(ImportRun(into.t(), match.rows(), {}).run(src));

    std::vector<Row> expected;
    for (const char* lname : {"Anderson", "Müller", "O\"Brien", "Zed"})
        for (Row r : kRows)
            if (r["LNAME"] == lname) {
                r.erase("MEMO");   // text carries no memo; DATE is not a text import field
                r.erase("DATE");
                // A line break comes back as a blank: a street is one line.
                for (auto& [field, value] : r)
                    value = QString::fromStdString(value).replace("\r\n", " ").toStdString();
                expected.push_back(r);
            }
    EXPECT_EQ(rowsOf(into.t()), expected);
}

// python-dbf reads the new table value for value; the memo goes out as it is
// (the blank the program's own saves add to a memo of a length divisible by 4
// is not added), ISDEL and TAG are empty.
TEST_F(Export, TableReadsBackInPythonDbf)
{
    db.t().setFilter("UPPER(STATE) <> \"CA\" .and. !ISDEL");
    const auto r = RecordExport::run(db.t(), RecordExport::Format::Table, out("copy.dbf"), {});
    ASSERT_EQ(r.outcome, RecordExport::Result::Outcome::Done) << r.detail;
    EXPECT_EQ(r.count, 3u);
    const std::string read = shell("/usr/bin/python3 " + test::kWitnesses + "/dbf_read.py " + out("copy.dbf"));
    std::string expected;
    int n = 0;
    std::vector<std::string> names;
    for (const xbase::FieldDef& f : db.t().fieldDefs())
        names.push_back(f.name);
    for (const char* lname : {"Anderson", "Müller", "O\"Brien"})
        for (Row row : kRows)
            if (row["LNAME"] == lname) {
                expected += std::to_string(++n) + "\t-";
                for (const std::string& name : names) {
                    std::string v = row.count(name) ? row[name] : "";
                    std::string escaped;
                    for (char c : v)
                        escaped += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
                    expected += "\t" + escaped;
                }
                expected += "\n";
            }
    EXPECT_EQ(read, expected);
    // python-dbf trims trailing blanks of memos; the memo's own bytes have none.
    auto copy = xbase::Table::open(out("copy.dbf"), xbase::OpenMode::ReadOnly);
    copy->go(1);
    EXPECT_EQ(copy->memo("MEMO"), "12345678");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out("copy.fpt"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out("copy.cdx"))));
}

TEST_F(Export, TargetsRefusedBeforeCopying)
{
    const QString database = db.path;
    using F = RecordExport::Format;
    EXPECT_EQ(exportTargetProblem(F::Table, "/tmp/x.txt", database), "Must have a .DBF extension");
    EXPECT_EQ(exportTargetProblem(F::Table, "/tmp/x.dbf", database), "");
    EXPECT_EQ(exportTargetProblem(F::Text, "/tmp/x.dbf", database), "");
    QString otherCase = database;
    otherCase.replace("add0001.DBF", "ADD0001.dbf");
    EXPECT_EQ(exportTargetProblem(F::Table, otherCase, database), "Cannot copy a file to itself!");
    EXPECT_EQ(exportTargetProblem(F::Table, db.program.folder() + "DATA/../DATA/add0001.DBF", database), "Cannot copy a file to itself!");
}

// A copy that fails or is cancelled leaves the file of that name as it was.
TEST_F(Export, FailureAndCancelLeaveTheOldFile)
{
    writeFile(out("old.txt"), "old contents");
    RecordExport::Hooks hooks;
    hooks.cancelRequested = [] { return true; };
    EXPECT_EQ(RecordExport::run(db.t(), RecordExport::Format::Text, out("old.txt"), hooks).outcome,
              RecordExport::Result::Outcome::Cancelled);
    EXPECT_EQ(readFile(out("old.txt")), "old contents");

    {
        auto old = xbase::Table::create(out("old.dbf"), {{"X", 'C', 5, 0}, {"M", 'M', 10, 0}});
        test::addRow(*old, {{"X", "keep"}, {"M", "old memo"}});
    }
    const std::string oldTable = readFile(out("old.dbf")) + readFile(out("old.fpt"));
    EXPECT_EQ(RecordExport::run(db.t(), RecordExport::Format::Table, out("old.dbf"), hooks).outcome,
              RecordExport::Result::Outcome::Cancelled);
    EXPECT_EQ(readFile(out("old.dbf")) + readFile(out("old.fpt")), oldTable);

    // A disk that fills: nothing half-written takes the name.
    xbase::test::ScratchDir outer;
    test::SmallDisk disk(outer.file("disk"), 64 * 1024);
    ASSERT_TRUE(disk.mounted());
    for (int i = 0; i < 200; ++i)
        test::addRow(db.t(), {{"LNAME", "Filler" + std::to_string(i)}, {"MEMO", std::string(300, 'm')}});
    const std::string target = outer.file("disk") + "/full.dbf";
    writeFile(target, "previous");
    const auto r = RecordExport::run(db.t(), RecordExport::Format::Table, target, {});
    EXPECT_EQ(r.outcome, RecordExport::Result::Outcome::Failed);
    EXPECT_EQ(readFile(target), "previous");
    const QString message = exportFailureMessage(RecordExport::Format::Table, r, QString::fromStdString(target));
    EXPECT_TRUE(message.startsWith("There was an error copying\r\n\r\n")) << message.toStdString();
    EXPECT_TRUE(message.contains("No space left on device")) << message.toStdString();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outer.file("disk")), {}), 1) << "no temporary file is left";
}

// Over an existing table the new table and its memo file take the old ones'
// place together. Here the table's name is held by a mount, so a rename onto
// it fails: afterwards the table of that name, once opened, is either the old
// one with its own memos or the new one with its own, never one with the
// other's memo file.
TEST_F(Export, OverAnExistingTableBothFilesOrNeither)
{
    const std::string target = out("old.dbf");
    {
        auto old = xbase::Table::create(target, db.t().fieldDefs());
        for (int i = 0; i < 3; ++i)
            test::addRow(*old, {{"LNAME", "Old" + std::to_string(i)}, {"MEMO", "old memo " + std::to_string(i) + std::string(200, 'o')}});
    }
    const auto oldRows = rowsOf(QString::fromStdString(target));
    ASSERT_EQ(::mount(target.c_str(), target.c_str(), nullptr, MS_BIND, nullptr), 0) << std::strerror(errno);
    const auto r = RecordExport::run(db.t(), RecordExport::Format::Table, target, {});
    ::umount2(target.c_str(), MNT_DETACH);
    EXPECT_EQ(r.outcome, RecordExport::Result::Outcome::Failed);
    const QString message = exportFailureMessage(RecordExport::Format::Table, r, QString::fromStdString(target));

    std::vector<Row> newRows;
    for (const char* lname : {"Anderson", "Müller", "O\"Brien", "Zed"})
        for (const Row& row : kRows)
            if (row.at("LNAME") == lname)
                newRows.push_back(row);
    xbase::Table::open(target).reset();   // as the program opens it
    const auto found = rowsOf(QString::fromStdString(target));
    if (message.endsWith(" was left as it was."))
        EXPECT_EQ(found, oldRows);
    else
        EXPECT_EQ(found, newRows) << message.toStdString();
}

} // namespace
} // namespace qb
