// CSV files LibreOffice Calc wrote from a spreadsheet of 1,000 addresses, in
// UTF-8 and in Windows-1252 (see tests/witness/libreoffice_csv.sh): every
// value lands in its field, record by record.

#include "transfer/import_run.h"
#include "transfer_fixture.h"

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

std::vector<std::vector<std::string>> expectedRows(std::vector<std::string>& columns)
{
    std::istringstream in(xbase::test::readFile(QB_LIBREOFFICE_CSV "/expected.tsv"));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, '\t');)
            cells.push_back(unescape(cell));
        if (line.back() == '\t')
            cells.emplace_back();
        if (columns.empty())
            columns = cells;
        else
            rows.push_back(cells);
    }
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
    bool notes = false;
    const auto r = ImportRun(db.t(), match.rows(), {}).run(source, [&](const ImportCheck&) { return notes = true; });
    ASSERT_TRUE(r);
    EXPECT_FALSE(notes) << "every value fits its field and Windows-1252";
    EXPECT_EQ(importMessage(ImportRun::Kind::Text, *r), "Import complete. Imported 1000 records.");

    ASSERT_EQ(db.t().recordCount(), 1000u);
    int differing = 0;
    for (uint32_t rec = 1; rec <= 1000; ++rec) {
        db.t().go(rec);
        for (size_t c = 0; c < columns.size(); ++c) {
            const std::string got = db.t().text(columns[c]);
            if (got != expected[rec - 1][c] && ++differing <= 10)
                ADD_FAILURE() << "record " << rec << " " << columns[c] << ": got '" << got << "', expected '" << expected[rec - 1][c] << "'";
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(db.t().check().empty());
}

} // namespace
} // namespace qb
