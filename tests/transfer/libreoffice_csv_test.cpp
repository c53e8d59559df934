// CSV files LibreOffice Calc wrote from a spreadsheet of 1,000 addresses, in
// UTF-8 and in Windows-1252 (see tests/witness/libreoffice_csv.sh): every
// value lands in its field, record by record. And awkward files as Calc reads
// them: we find the same records and the same values.

#include "transfer/import_run.h"
#include "transfer_fixture.h"

#include <filesystem>
#include <sstream>

namespace qb {
namespace {

using test::AddressDatabase;
using test::MessageLog;

std::string unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char c = s[++i];
            out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

using Rows = std::vector<std::vector<std::string>>;

Rows readTsv(const std::string& path)
{
    std::istringstream in(xbase::test::readFile(path));
    Rows rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, '\t');)
            cells.push_back(unescape(cell));
        if (!line.empty() && line.back() == '\t')
            cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

Rows expectedRows(std::vector<std::string>& columns)
{
    Rows rows = readTsv(QB_LIBREOFFICE_CSV "/expected.tsv");
    columns = rows.front();
    rows.erase(rows.begin());
    return rows;
}

class LibreOfficeCsv : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(LibreOffice, LibreOfficeCsv, ::testing::Values("utf8", "cp1252"));

TEST_P(LibreOfficeCsv, EveryValueLandsInItsField)
{
    std::vector<std::string> columns;
    const auto expected = expectedRows(columns);
    ASSERT_EQ(expected.size(), 1000u);
    ASSERT_EQ(columns.size(), 11u);

    MessageLog messages;
    AddressDatabase db;
    const std::string path = std::string(QB_LIBREOFFICE_CSV) + "/" + GetParam() + "/addresses.csv";
    const CsvSample sample = sampleCsv(path);
    EXPECT_EQ(sample.kind.encoding, std::string(GetParam()) == "utf8" ? TextEncoding::Utf8 : TextEncoding::Windows1252);
    ASSERT_EQ(sample.columns(), 11);
    FieldMatch match(FieldMatch::Kind::Text, textImportFields(db.t()), csvColumns(11));
    for (int c = 0; c < 11; ++c)
        for (int row = 0; row < int(match.rows().size()); ++row)
            if (match.rows()[size_t(row)].name == columns[size_t(c)]) {
                ASSERT_TRUE(match.select(row, c));
            }
    CsvImportSource source(path, sample.kind, 11, match, db.t());
    ImportCheck notes;
    const auto r = ImportRun(db.t(), match.rows(), {}).run(source, [&](const ImportCheck& c) {
        notes = c;
        return true;
    });
    ASSERT_TRUE(r);
    // Every value fits its field and Windows-1252; the only notes are the
    // line breaks of the cells of two lines, which a comment field cannot hold.
    EXPECT_EQ(notes.notes.size() + notes.moreNotes, 250u);
    for (const std::string& n : notes.notes)
        EXPECT_TRUE(QString::fromStdString(n).endsWith(", Comment 1: its line breaks become blanks")) << n;
    EXPECT_EQ(importMessage(ImportRun::Kind::Text, *r), "Import complete. Imported 1000 records.");

    ASSERT_EQ(db.t().recordCount(), 1000u);
    int differing = 0;
    for (uint32_t rec = 1; rec <= 1000; ++rec) {
        db.t().go(rec);
        for (size_t c = 0; c < columns.size(); ++c) {
            const std::string got = db.t().text(columns[c]);
            const std::string want = QString::fromStdString(expected[rec - 1][c]).replace('\n', ' ').toStdString();
            if (got != want && ++differing <= 10)
                ADD_FAILURE() << "record " << rec << " " << columns[c] << ": got '" << got << "', expected '" << want << "'";
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(db.t().check().empty());
}

// Stray quotes at the start, in the middle and at the end of fields, quotes in
// the last field, a quote never closed, quoted line breaks; each file with LF,
// CR and CR LF line ends. Calc's cells show line breaks as LF and leave out
// empty cells at the end of a row.
TEST(LibreOfficeAwkward, RecordsAndValuesAsCalcReadsThem)
{
    MessageLog messages;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QB_LIBREOFFICE_CSV "/awkward")) {
        if (entry.path().extension() != ".csv")
            continue;
        ++files;
        const std::string path = entry.path().string();
        const std::string name = entry.path().filename().string();
        const Rows expected = readTsv(std::filesystem::path(path).replace_extension(".tsv").string());

        Rows got;
        CsvReader reader(path, detectTextEncoding(path));
        for (CsvRecord r; reader.next(r);) {
            for (std::string& f : r.fields) {
                f = QString::fromStdString(f).replace("\r\n", "\n").replace('\r', '\n').toStdString();
            }
            while (!r.fields.empty() && r.fields.back().empty())
                r.fields.pop_back();
            got.push_back(r.fields);
        }
        EXPECT_EQ(got, expected) << name;

        // Imported, as many records as Calc has rows.
        AddressDatabase db;
        const CsvSample sample = sampleCsv(path);
        FieldMatch match(FieldMatch::Kind::Text, textImportFields(db.t()), csvColumns(sample.columns()));
        const char* fields[] = {"LNAME", "FNAME", "CITY"};
        for (int c = 0; c < sample.columns() && c < 3; ++c)
            ASSERT_TRUE(match.select(test::rowNamed(match, fields[c]), c));
        CsvImportSource source(path, sample.kind, sample.columns(), match, db.t());
        const auto r = ImportRun(db.t(), match.rows(), {}).run(source, [](const ImportCheck&) { return true; });
        ASSERT_TRUE(r) << name;
        EXPECT_EQ(r->outcome, ImportResult::Outcome::Complete) << name;
        ASSERT_EQ(db.t().recordCount(), expected.size()) << name;
        // As the fields keep them: a line break a blank, no trailing blanks;
        // as many columns as the first line has.
        for (uint32_t rec = 1; rec <= db.t().recordCount(); ++rec) {
            db.t().go(rec);
            for (size_t c = 0; c < 3 && int(c) < sample.columns(); ++c) {
                std::string want = c < expected[rec - 1].size() ? expected[rec - 1][c] : "";
                std::replace(want.begin(), want.end(), '\n', ' ');
                want.erase(want.find_last_not_of(' ') + 1);
                EXPECT_EQ(db.t().text(fields[c]), want) << name << " record " << rec;
            }
        }
    }
    EXPECT_EQ(files, 33);
}

} // namespace
} // namespace qb
