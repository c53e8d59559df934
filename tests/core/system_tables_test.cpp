#include "sysdata_fixture.h"

#include "core/system_tables.h"

#include <QFile>

#include <filesystem>
#include <set>

namespace qb::test {
namespace {

using xbase::OpenMode;
using xbase::Table;

// "NAME TYPE WIDTH DECIMALS" for each column, in order.
std::vector<std::string> layout(const Table& table)
{
    std::vector<std::string> out;
    for (const auto& f : table.fieldDefs())
        out.push_back(f.name + " " + f.type + " " + std::to_string(f.length) + " " + std::to_string(f.decimals));
    return out;
}

struct CatalogueCase {
    SystemTable table;
    const char* file;
    std::vector<std::string> columns;
};

const std::vector<CatalogueCase> kCatalogues{
    {SystemTable::Label, "LABEL.DBF",
     {"DESCRIPT C 60 0", "PRINTER C 2 0", "LBLHEIGHT N 6 3", "LBLWIDTH N 6 3", "NBRACROSS N 2 0", "NBRDOWN N 2 0",
      "TOPMARG N 6 3", "LEFTMARG N 6 3", "HORIZPITCH N 6 3", "VERTPITCH N 6 3", "SHEETWIDTH N 6 3", "SHEETDEPTH N 6 3",
      "PAPERSIZE C 5 0", "LBLSHAPE C 2 0", "TPLDESCRIP C 60 0", "MANUFAC C 10 0", "PRODTYPE C 25 0", "MIDEXTRAX N 6 3",
      "MIDEXTRAY N 6 3", "ART C 12 0", "DELETED L 1 0", "BINARY C 12 0"}},
    {SystemTable::Envelope, "ENVELOPE.DBF", {"DESCRIPT C 60 0", "NUMBER N 5 0", "BINARY C 12 0"}},
    {SystemTable::Letter, "LETTER.DBF", {"DESCRIPT C 50 0", "RTF M 10 0"}},
    {SystemTable::Report, "REPORT.DBF", {"DESCRIPT C 60 0", "LAYOUT C 60 0", "BINARY C 12 0"}},
};

class SystemTables : public SysdataTest {};

TEST_F(SystemTables, MissingCatalogueIsCreatedEmptyWithItsColumnsAndTag)
{
    for (const auto& c : kCatalogues) {
        SCOPED_TRACE(c.file);
        auto table = openSystemTable(c.table);
        ASSERT_TRUE(table);
        EXPECT_EQ(layout(*table), c.columns);
        EXPECT_EQ(table->recordCount(), 0u);
        ASSERT_EQ(table->tagCount(), 1);
        EXPECT_EQ(table->tagInfo(1).name, "DESCRIPT");
        EXPECT_EQ(table->tagInfo(1).keyExpr, "UPPER(descript)");
        EXPECT_EQ(table->currentOrderName(), "DESCRIPT");
        EXPECT_TRUE(table->check().empty());
        EXPECT_TRUE(exists(c.file));
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SystemTables, DeletedLetterTableIsRecreatedEmptyWithItsTag)
{
    {
        auto letters = openSystemTable(SystemTable::Letter);
        ASSERT_TRUE(letters);
        letters->appendBlank();
        letters->setText("DESCRIPT", "Renewal");
        letters->setMemo("RTF", "{\\rtf1 Dear friend}");
        letters->post();
    }
    // The index and memo file of the old table stay behind.
    std::filesystem::remove(sysdata("LETTER.DBF"));

    auto letters = openSystemTable(SystemTable::Letter);
    ASSERT_TRUE(letters);
    EXPECT_EQ(letters->recordCount(), 0u);
    ASSERT_EQ(letters->tagCount(), 1);
    EXPECT_EQ(letters->tagInfo(1).name, "DESCRIPT");
    EXPECT_TRUE(letters->check().empty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SystemTables, MissingReportIndexIsRebuiltKeepingTheRows)
{
    {
        auto reports = openSystemTable(SystemTable::Report);
        ASSERT_TRUE(reports);
        for (const char* d : {"Phone list", "birthdays", "Donors"}) {
            reports->appendBlank();
            reports->setText("DESCRIPT", d);
            reports->post();
        }
    }
    std::filesystem::remove(sysdata("REPORT.CDX"));

    auto reports = openSystemTable(SystemTable::Report, OpenMode::Shared);
    ASSERT_TRUE(reports);
    EXPECT_EQ(reports->recordCount(), 3u);
    EXPECT_TRUE(exists("REPORT.CDX"));
    EXPECT_EQ(inTagOrder(*reports, "DESCRIPT", "DESCRIPT"), (std::vector<std::string>{"birthdays", "Donors", "Phone list"}));
    EXPECT_TRUE(reports->seek("PHONE"));
    EXPECT_TRUE(reports->check().empty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SystemTables, InstalledTablesAreNeverCreated)
{
    EXPECT_FALSE(openSystemTable(SystemTable::LabelStock));
    EXPECT_FALSE(openSystemTable(SystemTable::CityStateZip));
    EXPECT_EQ(messages, (QStringList{"Unable to Open LBLTPL.DBF", "Unable to Open or Create CSZ.DBF"}));
    EXPECT_FALSE(exists("LBLTPL.DBF"));
    EXPECT_FALSE(exists("CSZ.DBF"));
}

TEST_F(SystemTables, InstalledTableGetsItsMissingTag)
{
    makeTable(SystemTable::CityStateZip, {"NY", "AK", "on"});
    std::filesystem::remove(sysdata("CSZ.CDX"));

    auto csz = openSystemTable(SystemTable::CityStateZip, OpenMode::Exclusive);
    ASSERT_TRUE(csz);
    ASSERT_EQ(csz->tagCount(), 1);
    EXPECT_EQ(csz->tagInfo(1).name, "STATE");
    EXPECT_EQ(csz->tagInfo(1).keyExpr, "UPPER(state)");
    EXPECT_TRUE(csz->seek("ON"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SystemTables, ReadOnlyTableWithoutIndexOpensWithoutTag)
{
    makeTable(SystemTable::LabelStock, {"Avery 5160  Address"});
    std::filesystem::remove(sysdata("LBLTPL.CDX"));

    auto stock = openSystemTable(SystemTable::LabelStock, OpenMode::ReadOnly);
    ASSERT_TRUE(stock);
    EXPECT_EQ(stock->tagCount(), 0);
    EXPECT_FALSE(exists("LBLTPL.CDX"));
    EXPECT_TRUE(messages.isEmpty());
}

// A catalogue that is there but will not open holds designs the user made: it
// is reported, and neither it nor its companions are touched.
TEST_F(SystemTables, ExistingCatalogueThatWillNotOpenIsReportedNotReplaced)
{
    struct Case {
        const char* name;
        SystemTable table;
        const char* file;
        std::function<void()> spoil;
    };
    std::unique_ptr<Table> holder;
    const std::vector<Case> cases{
        {"damaged", SystemTable::Label, "LABEL.DBF",
         [&] { xbase::test::writeFile(sysdata("LABEL.DBF"), std::string("\x03 this is no table", 19)); }},
        {"locked", SystemTable::Envelope, "ENVELOPE.DBF",
         [&] {
             makeTable(SystemTable::Envelope, {"#10 business"});
             holder = Table::open(sysdata("ENVELOPE.DBF"), OpenMode::Exclusive);
         }},
        {"memo file gone", SystemTable::Letter, "LETTER.DBF",
         [&] {
             makeTable(SystemTable::Letter, {"Renewal"});
             std::filesystem::remove(sysdata("LETTER.FPT"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        c.spoil();
        const std::string before = xbase::test::readFile(sysdata(c.file));

        EXPECT_FALSE(openSystemTable(c.table));
        EXPECT_EQ(messages, QStringList{QStringLiteral("Unable to Open or Create ") + c.file});
        EXPECT_EQ(xbase::test::readFile(sysdata(c.file)), before);
    }
    EXPECT_FALSE(exists("LETTER.FPT"));
}

TEST_F(SystemTables, MissingSysdataFolderIsReportedNotCreated)
{
    std::filesystem::remove_all(dir.path() / "sysdata");
    EXPECT_FALSE(openSystemTable(SystemTable::Label));
    EXPECT_EQ(messages, QStringList{"Unable to Open or Create LABEL.DBF"});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "sysdata"));
}

TEST_F(SystemTables, TablesAreFoundInAnyLetterCase)
{
    makeTable(SystemTable::Report, {"Donors"});
    std::filesystem::rename(sysdata("REPORT.DBF"), sysdata("report.dbf"));
    std::filesystem::remove(sysdata("REPORT.CDX"));

    auto reports = openSystemTable(SystemTable::Report);
    ASSERT_TRUE(reports);
    EXPECT_EQ(reports->recordCount(), 1u);
    EXPECT_EQ(reports->tagCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(sysdata("REPORT.DBF")));
    EXPECT_TRUE(std::filesystem::exists(sysdata("report.cdx")));
    EXPECT_TRUE(messages.isEmpty());
}

// ---- what the build installs ------------------------------------------------

class ShippedSysdata : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = ProgramFolder::path();
        ProgramFolder::setPath(QStringLiteral(QB_PROGRAM_DIR));
        setMessageResponder([this](const Message& m) {
            messages << m.text;
            return true;
        });
    }
    void TearDown() override
    {
        setMessageResponder({});
        ProgramFolder::setPath(previous_);
    }
    QStringList messages;

private:
    QString previous_;
};

TEST_F(ShippedSysdata, LabelStockCatalogueIsSoundAndCoversEveryKindOfStock)
{
    auto stock = openSystemTable(SystemTable::LabelStock, OpenMode::ReadOnly);
    ASSERT_TRUE(stock) << messages.join("; ").toStdString();
    EXPECT_TRUE(stock->check().empty());
    ASSERT_EQ(stock->tagCount(), 1);
    EXPECT_EQ(stock->tagInfo(1).name, "DESCRIPT");
    EXPECT_EQ(stock->tagInfo(1).keyExpr, "UPPER(descript)");
    EXPECT_GE(stock->recordCount(), 80u);

    std::set<std::string> printers, products, papers, makers, shapes;
    ASSERT_GT(stock->selectOrder("DESCRIPT"), 0);
    for (bool ok = stock->first(); ok; ok = stock->next()) {
        SCOPED_TRACE(stock->text("DESCRIPT"));
        printers.insert(stock->text("PRINTER"));
        products.insert(stock->text("PRODTYPE"));
        papers.insert(stock->text("PAPERSIZE"));
        makers.insert(stock->text("MANUFAC"));
        shapes.insert(stock->text("LBLSHAPE"));
        const double across = stock->number("NBRACROSS"), down = stock->number("NBRDOWN");
        EXPECT_TRUE(across >= 1 && across <= 10 && down >= 1 && down <= 30);
        EXPECT_GE(stock->number("LBLHEIGHT"), 0.3);
        EXPECT_GE(stock->number("LBLWIDTH"), 0.5);
        EXPECT_LE(stock->number("LEFTMARG") + (across - 1) * stock->number("HORIZPITCH") + stock->number("LBLWIDTH"),
                  stock->number("SHEETWIDTH") + 0.002);
        EXPECT_LE(stock->number("TOPMARG") + (down - 1) * stock->number("VERTPITCH") + stock->number("LBLHEIGHT"),
                  stock->number("SHEETDEPTH") + 0.002);
    }
    EXPECT_EQ(printers, (std::set<std::string>{"DM", "IJ", "LJ", "LP"}));
    EXPECT_EQ(products, (std::set<std::string>{"ADDRESS/SHIPPING LABELS", "CARD PRODUCTS", "DISKETTE LABELS",
                                               "FILE FOLDER LABELS", "INDEX PRODUCTS", "MISCELLANEOUS"}));
    EXPECT_TRUE(papers.count("LTR") && papers.count("A4") && papers.count("USERP") && papers.count("USERL"));
    EXPECT_EQ(makers, (std::set<std::string>{"AVERY", "COSTAR"}));
    EXPECT_EQ(shapes, (std::set<std::string>{"EL", "RR", "SR"}));

    // The template dialog finds the new-layout stock by its exact description.
    ASSERT_TRUE(stock->seek("AVERY 5160  ADDRESS"));
    EXPECT_EQ(stock->text("DESCRIPT"), "Avery 5160  Address");
    EXPECT_EQ(stock->text("PRINTER"), "LJ");
    EXPECT_EQ(stock->text("PRODTYPE"), "ADDRESS/SHIPPING LABELS");
    EXPECT_EQ(stock->text("LBLSHAPE"), "RR");
    EXPECT_EQ(stock->text("PAPERSIZE"), "LTR");
    const std::vector<std::pair<const char*, double>> newLayout{
        {"LBLHEIGHT", 1.0},   {"LBLWIDTH", 2.625},  {"NBRACROSS", 3},    {"NBRDOWN", 10},
        {"TOPMARG", 0.5},     {"LEFTMARG", 0.188},  {"HORIZPITCH", 2.765}, {"VERTPITCH", 1.01},
        {"SHEETWIDTH", 8.5},  {"SHEETDEPTH", 11.0}, {"MIDEXTRAX", 0},    {"MIDEXTRAY", 0}};
    for (const auto& [column, value] : newLayout)
        EXPECT_DOUBLE_EQ(stock->number(column), value) << column;
    EXPECT_EQ(stock->text("ART"), "");
}

TEST_F(ShippedSysdata, StateReferenceAdmitsTheRightCodes)
{
    auto csz = openSystemTable(SystemTable::CityStateZip, OpenMode::ReadOnly);
    ASSERT_TRUE(csz) << messages.join("; ").toStdString();
    EXPECT_TRUE(csz->check().empty());
    ASSERT_EQ(csz->tagCount(), 1);
    EXPECT_EQ(csz->tagInfo(1).name, "STATE");
    EXPECT_EQ(csz->tagInfo(1).keyExpr, "UPPER(state)");
    ASSERT_GT(csz->selectOrder("STATE"), 0);

    const char* everyCode[] = {
        "AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "DC", "FL", "GA", "HI", "ID", "IL", "IN", "IA", "KS", "KY",
        "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO", "MT", "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH",
        "OK", "OR", "PA", "RI", "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY", "PR", "VI", "GU",
        "AS", "MP", "AA", "AE", "AP", "AB", "BC", "MB", "NB", "NL", "NS", "NT", "NU", "ON", "PE", "QC", "SK", "YT"};
    for (const char* code : everyCode)
        EXPECT_TRUE(csz->seek(code) && csz->text("STATE") == code) << code;

    // The check compares the texts character by character against the first row of the state.
    struct Case {
        const char* state;
        const char* zip;
        bool fits;
    };
    const Case cases[] = {
        {"NY", "12345-6789", true}, {"NY", "14999-1234", true}, {"NY", "15001", false},   {"CA", "90210", true},
        {"CA", "10001", false},     {"PR", "00901", true},      {"VI", "00802", true},    {"AE", "09012", true},
        {"AP", "96269", true},      {"ON", "K1A 0B1", true},    {"ON", "M5V3L9", true},   {"QC", "H2X 1Y4", true},
        {"QC", "K1A 0B1", false},   {"NU", "X0A 0H0", true},    {"NT", "X1A 2P7", true},  {"NT", "X0A 0H0", false},
        {"BC", "V6B 4Y8", true},    {"NL", "A1C 5M2", true},    {"YT", "Y1A 1B1", true}};
    for (const Case& c : cases) {
        ASSERT_TRUE(csz->seek(c.state)) << c.state;
        const std::string zip = c.zip;
        EXPECT_EQ(zip >= csz->text("LOW_ZIP") && zip <= csz->text("HIGH_ZIP"), c.fits) << c.state << " " << c.zip;
    }
}

TEST_F(ShippedSysdata, FieldsListHoldsTheRecordViewInOrder)
{
    const std::string expected =
        "Tagged\r\nFullName\r\nFullNameWithPrefix\r\nCityStateZip\r\nLNAME\r\nFNAME\r\nMIDDLE\r\nPREFIX\r\nTITLE\r\n"
        "ORG\r\nSTREET\r\nSTREET2\r\nCITY\r\nSTATE\r\nZIP\r\nCOUNTRY\r\nPHONE\r\nPHONE2\r\nFAX\r\nEMAIL\r\nCODES\r\n"
        "USER1\r\nUSER2\r\nMEMO\r\nISDEL\r\nDATE\r\nDisplayDate\r\nTAG\r\n";
    EXPECT_EQ(xbase::test::readFile(std::string(QB_PROGRAM_DIR) + "/sysdata/FIELDS.LST"), expected);
}

} // namespace
} // namespace qb::test
