#include "core/address_table.h"
#include "core/field_lengths.h"
#include "core/index_maintenance.h"
#include "core/settings.h"
#include "address_fixture.h"

#include <QFile>
#include <algorithm>

namespace qb::test {
namespace {

const QString kUnableTail = QStringLiteral("\r\n\r\n * May not be a Quillbase file.\r\n * May be in use by another program or user");

// A table with the address fields as defs (some possibly changed), and the tags named.
void makeTable(const QString& path, std::vector<xbase::FieldDef> defs, const std::vector<xbase::TagSpec>& tags)
{
    auto t = xbase::Table::create(path.toStdString(), defs);
    if (!tags.empty())
        t->createTags(tags);
}

std::vector<xbase::FieldDef> withWidth(const std::string& field, int width)
{
    auto defs = addressFieldDefs(FieldLengths::settingsDefaults());
    for (auto& d : defs)
        if (d.name == field)
            d.length = width;
    return defs;
}

// ---- field lengths ---------------------------------------------------------

TEST(FieldLengths, SettingsValuesOutsideFiveToEightyFallBackToTheFieldsDefault)
{
    ProgramDir program;
    Settings settings = Settings::program();
    EXPECT_EQ(FieldLengths::read(settings), FieldLengths::settingsDefaults());

    const struct {
        const char* stored;
        int width;
    } cases[] = {{"3", 10}, {"95", 10}, {"abc", 10}, {"4", 10}, {"5", 5}, {"80", 80}, {"81", 10}, {"45", 45}};
    for (const auto& c : cases) {
        settings.setString("NewFileFieldLengths", "FieldZIP", c.stored);
        EXPECT_EQ(FieldLengths::read(settings).width("ZIP"), c.width) << c.stored;
    }

    FieldLengths l = FieldLengths::settingsDefaults();
    l.setAt(FieldLengths::indexOf("LNAME"), 200);
    l.setAt(FieldLengths::indexOf("USER2"), 7);
    ASSERT_TRUE(l.write(settings));
    EXPECT_EQ(settings.string("NewFileFieldLengths", "FieldLNAME"), "30");
    EXPECT_EQ(settings.string("NewFileFieldLengths", "FieldUSER2"), "7");
    EXPECT_EQ(settings.string("NewFileFieldLengths", "FieldFAX"), "40");

    EXPECT_EQ(FieldLengths::settingsDefaults().width("FAX"), 40);
    EXPECT_EQ(FieldLengths::dialogDefaults().width("FAX"), 30);
    FieldLengths faxAside = FieldLengths::dialogDefaults();
    faxAside.setAt(FieldLengths::indexOf("FAX"), 40);
    EXPECT_EQ(faxAside, FieldLengths::settingsDefaults());
}

// ---- creating --------------------------------------------------------------

TEST(AddressTable, CreatesTheTwentyThreeFieldsAndTwentySixTagsAndLeavesTheFileClosed)
{
    ProgramDir program;
    MessageLog log;
    FieldLengths lengths = FieldLengths::settingsDefaults();
    lengths.setAt(FieldLengths::indexOf("LNAME"), 45);
    lengths.setAt(FieldLengths::indexOf("FAX"), 12);
    const QString path = program.data("ADD0001.DBF");
    ASSERT_TRUE(createAddressTable(path, lengths));
    EXPECT_TRUE(log.messages.empty());
    EXPECT_TRUE(QFile::exists(program.data("ADD0001.CDX")));
    EXPECT_TRUE(QFile::exists(program.data("ADD0001.FPT")));

    // Closed: an exclusive open succeeds.
    auto t = xbase::Table::open(path.toStdString());
    const std::vector<std::string> expectedFields{"LNAME", "FNAME", "MIDDLE", "PREFIX", "TITLE", "ORG", "STREET", "STREET2",
                                                  "CITY", "STATE", "ZIP", "COUNTRY", "DATE", "PHONE", "PHONE2", "FAX",
                                                  "EMAIL", "CODES", "USER1", "USER2", "ISDEL", "TAG", "MEMO"};
    const std::vector<int> expectedWidths{45, 30, 1, 12, 30, 30, 40, 40, 30, 20, 10, 30, 15, 30, 30, 12, 40, 30, 40, 40, 1, 8, 10};
    ASSERT_EQ(t->fieldCount(), 23);
    for (int i = 0; i < 23; ++i) {
        EXPECT_EQ(t->field(i).name, expectedFields[size_t(i)]);
        EXPECT_EQ(t->field(i).length, expectedWidths[size_t(i)]) << expectedFields[size_t(i)];
    }
    EXPECT_EQ(t->field(20).type, 'L');
    EXPECT_EQ(t->field(22).type, 'M');

    ASSERT_EQ(t->tagCount(), 26);
    EXPECT_EQ(t->tagInfo(1).name, "NAME");
    EXPECT_EQ(t->tagInfo(1).keyExpr, "UPPER(LNAME-FNAME)");
    EXPECT_EQ(t->tagInfo(8).keyExpr, "UPPER(CITY+STATE)");
    EXPECT_EQ(t->tagInfo(24).keyExpr, "UPPER(STATE-ZIP)");
    EXPECT_EQ(t->tagInfo(26).name, "NOTISDEL");
    EXPECT_EQ(t->tagInfo(26).keyExpr, "!ISDEL");
    for (int i = 1; i <= 26; ++i)
        EXPECT_EQ(t->tagInfo(i).name, addressTags()[size_t(i - 1)].name);
    EXPECT_TRUE(t->check().empty());
}

TEST(AddressTable, CreateInAMissingFolderSaysCreateFailed)
{
    ProgramDir program;
    MessageLog log;
    EXPECT_FALSE(createAddressTable(program.folder() + "NOWHERE/ADD0001.DBF", FieldLengths::settingsDefaults()));
    EXPECT_EQ(log.texts(), QStringList{"Create failed"});
}

// ---- opening ---------------------------------------------------------------

TEST(AddressTable, OpensATableMadeWithOtherWidthsAndShowsFullNames)
{
    ProgramDir program;
    MessageLog log;
    const QString path = program.data("WIDE.DBF");
    makeTable(path, withWidth("LNAME", 45), addressTags());
    {
        auto t = xbase::Table::open(path.toStdString());
        addRow(*t, {{"LNAME", "Featherstonehaugh-Cholmondeley-Marjoribanks"}, {"FNAME", "Al"}});
    }
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    EXPECT_TRUE(table.checkValidIndex());
    EXPECT_EQ(table.table().field(0).length, 45);
    table.table().first();
    EXPECT_EQ(table.table().text("LNAME"), "Featherstonehaugh-Cholmondeley-Marjoribanks");
    table.setExtraFieldsEnabled(true);
    EXPECT_EQ(table.fullName(), QString("Al Featherstonehaugh-Cholmondeley-Marjoribanks").left(35));
    EXPECT_TRUE(log.messages.empty());
}

TEST(AddressTable, RefusesWhatIsNotAnAddressTableWithTheFileItNames)
{
    ProgramDir program;
    const QString lacksTag = program.data("NOTAG.DBF");
    auto defs = addressFieldDefs(FieldLengths::settingsDefaults());
    std::erase_if(defs, [](const xbase::FieldDef& d) { return d.name == "TAG"; });
    makeTable(lacksTag, defs, {});
    const QString garbage = program.data("JUNK.DBF");
    xbase::test::writeFile(garbage.toStdString(), "not a table at all");
    const QString inUse = program.data("BUSY.DBF");
    makeTable(inUse, addressFieldDefs(FieldLengths::settingsDefaults()), {});
    auto holder = xbase::Table::open(inUse.toStdString());

    const struct {
        QString path;
        QString message;
    } cases[] = {
        {lacksTag, "Unable to open " + lacksTag + kUnableTail},
        {garbage, "Unable to open " + garbage + kUnableTail},
        {inUse, "Unable to open " + inUse + kUnableTail},
        {program.data("GONE.DBF"), "File " + program.data("GONE.DBF") + " not found"},
    };
    for (const auto& c : cases) {
        MessageLog log;
        AddressTable table;
        EXPECT_FALSE(table.open(c.path));
        EXPECT_FALSE(table.isOpen());
        EXPECT_TRUE(table.path().isEmpty());
        EXPECT_EQ(log.texts(), QStringList{c.message});
        EXPECT_EQ(log.messages.at(0).caption, "Information");
        EXPECT_FALSE(table.open(c.path, AddressTable::Messages::Quiet));
        EXPECT_EQ(log.messages.size(), 1u);
    }
}

TEST(AddressTable, PathsWrittenOnWindowsOpen)
{
    ProgramDir program;
    MessageLog log;
    ASSERT_TRUE(createAddressTable(program.data("ADD0001.DBF"), FieldLengths::settingsDefaults()));
    AddressTable table;
    const QString windowsPath = program.folder() + "data\\add0001.dbf";
    ASSERT_TRUE(table.open(windowsPath));
    EXPECT_EQ(table.path(), windowsPath);
    EXPECT_TRUE(table.checkValidIndex());
}

// A database missing one tag asks to rebuild. No leaves nothing open; Yes runs
// the rebuild and keeps it open once the tags are whole.
TEST(AddressTable, MissingTagsAskToRebuild)
{
    ProgramDir program;
    const QString path = program.data("ADD0001.DBF");
    auto tags = addressTags();
    tags.pop_back();
    makeTable(path, addressFieldDefs(FieldLengths::settingsDefaults()), tags);

    const struct {
        bool answer;
        bool rebuildWorks;
        bool usable;
    } cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
    for (const auto& c : cases) {
        MessageLog log;
        log.answer = c.answer;
        AddressTable table;
        int rebuilds = 0;
        const DatabaseOpening opening = openAddressDatabase(table, path, [&] {
            ++rebuilds;
            if (c.rebuildWorks)
                buildAllTags(table.table());
        });
        EXPECT_TRUE(opening.fileOpened);
        EXPECT_EQ(opening.usable, c.usable);
        EXPECT_EQ(table.isOpen(), c.usable);
        EXPECT_EQ(rebuilds, c.answer ? 1 : 0);
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_EQ(log.messages[0].kind, MessageKind::Question);
        EXPECT_EQ(log.messages[0].caption, "Warning");
        EXPECT_EQ(log.messages[0].text, "The index file for " + path + "\r\nis missing or invalid. Rebuild now?");
    }

    MessageLog log;
    AddressTable table;
    const DatabaseOpening again = openAddressDatabase(table, path, {});
    EXPECT_TRUE(again.usable);
    EXPECT_TRUE(log.messages.empty());

    const DatabaseOpening missing = openAddressDatabase(table, program.data("GONE.DBF"), {});
    EXPECT_FALSE(missing.fileOpened);
    EXPECT_FALSE(missing.usable);
}

// ---- calculated values -----------------------------------------------------

TEST(CalculatedFields, NamesAndAddressJoinAsTheyAlwaysHave)
{
    const struct {
        QString prefix, fname, middle, lname, fullName, withPrefix;
    } names[] = {
        {"", "", "", "Smith", " Smith", " Smith"},
        {"Mr.", "John", "Q", "Smith", "John Q Smith", "Mr. John Q Smith"},
        {"", "John", "", "Smith", "John Smith", "John Smith"},
        {"Dr.", "", "Q", "Smith", " Q Smith", "Dr.  Q Smith"},
        {"", "  John", "", "Smith", "  John Smith", "John Smith"},
        {"", "John\t", "", "Smith", "John\t Smith", "John\t Smith"},
        {"Ms.", "Alexandra-Katharina", "B", "Montgomery-Wellington", "Alexandra-Katharina B Montgomery-We",
         "Ms. Alexandra-Katharina B Montgomer"},
    };
    for (const auto& n : names) {
        EXPECT_EQ(fullNameOf(n.fname, n.middle, n.lname), n.fullName);
        EXPECT_EQ(fullNameWithPrefixOf(n.prefix, n.fname, n.middle, n.lname), n.withPrefix);
    }

    const struct {
        QString city, state, zip, joined;
    } places[] = {
        {"Boston", "MA", "02101", "Boston MA 02101"},
        {"", "", "02101", "02101"},
        {"", "MA", "", "MA "},
        {"  Boston", " MA", "02101", "Boston MA 02101"},
        {"Llanfairpwllgwyngyll", "Anglesey", "LL61 5UJ", "Llanfairpwllgwyngyll Anglesey LL61 "},
    };
    for (const auto& p : places)
        EXPECT_EQ(cityStateZipOf(p.city, p.state, p.zip), p.joined);
}

TEST(CalculatedFields, DatesShowWithFourDigitYearsOrNotAtAll)
{
    const struct {
        QString shortDate, pattern;
    } patterns[] = {
        {"mm/dd/yyyy", "mm/dd/yyyy"}, {"M/d/yy", "m/d/yyyy"},   {"dd.MM.yyy", "dd.mm.yyyy"},
        {"d-M-y", "d-m-yyyy"},        {"dd/MM", "dd/mm/yyyy"},  {"yy-MM-dd", "yyyy-mm-dd"},
    };
    for (const auto& p : patterns)
        EXPECT_EQ(displayDatePattern(p.shortDate), p.pattern) << p.shortDate.toStdString();

    const struct {
        QString date, pattern, shown;
    } dates[] = {
        {"19970428", "mm/dd/yyyy", "04/28/1997"}, {"19970428", "d.m.yyyy", "28.4.1997"},
        {"19970428", "yyyy-mm-dd", "1997-04-28"}, {"20010105", "m/d/yyyy", "1/5/2001"},
        {"1997", "mm/dd/yyyy", ""},               {"abc", "mm/dd/yyyy", ""},
        {"", "mm/dd/yyyy", ""},                   {"19970231", "mm/dd/yyyy", ""},
        {"1997 428", "mm/dd/yyyy", ""},           {"00000101", "mm/dd/yyyy", ""},
    };
    for (const auto& d : dates)
        EXPECT_EQ(formatDisplayDate(d.date, d.pattern), d.shown) << d.date.toStdString() << " " << d.pattern.toStdString();
    EXPECT_TRUE(runDisplayDatePattern().contains("yyyy"));
}

TEST(CalculatedFields, ReadTheCurrentRecord)
{
    ProgramDir program;
    MessageLog log;
    const QString path = program.data("ADD0001.DBF");
    ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
    {
        auto t = xbase::Table::open(path.toStdString());
        addRow(*t, {{"LNAME", "Smith"}, {"CITY", "Boston"}, {"STATE", "MA"}, {"ZIP", "02101"}, {"DATE", "19970428"}, {"TAG", "4ABC"}});
    }
    AddressTable table;
    ASSERT_TRUE(table.open(path));
    table.table().first();
    table.setDisplayDatePattern("mm/dd/yyyy");
    EXPECT_EQ(table.displayDate(), "04/28/1997");

    EXPECT_FALSE(table.tagged());
    table.setTagId("4abc");
    EXPECT_FALSE(table.tagged());
    table.setTagId("4ABC");
    EXPECT_TRUE(table.tagged());

    EXPECT_EQ(table.fullName(), "");
    EXPECT_EQ(table.cityStateZip(), "");
    table.setExtraFieldsEnabled(true);
    EXPECT_EQ(table.fullName(), " Smith");
    EXPECT_EQ(table.fullNameWithPrefix(), " Smith");
    EXPECT_EQ(table.cityStateZip(), "Boston MA 02101");
}

TEST(RecordView, TwentyEightFieldsInColumnOrder)
{
    ProgramDir program;
    const QString path = program.data("WIDE.DBF");
    makeTable(path, withWidth("LNAME", 45), {});
    auto t = xbase::Table::open(path.toStdString());
    const auto fields = recordViewFields(*t);

    QStringList names, hidden;
    for (const auto& f : fields) {
        names << f.name;
        if (!f.visible)
            hidden << f.name;
    }
    EXPECT_EQ(names.join(','), "Tagged,FullName,FullNameWithPrefix,CityStateZip,LNAME,FNAME,MIDDLE,PREFIX,TITLE,ORG,STREET,"
                               "STREET2,CITY,STATE,ZIP,COUNTRY,PHONE,PHONE2,FAX,EMAIL,CODES,USER1,USER2,MEMO,ISDEL,DATE,"
                               "DisplayDate,TAG");
    EXPECT_EQ(hidden.join(','), "FullName,FullNameWithPrefix,CityStateZip,MEMO,ISDEL,DATE,TAG");

    auto find = [&](const QString& name) { return *std::find_if(fields.begin(), fields.end(), [&](auto& f) { return f.name == name; }); };
    const struct {
        QString name, label;
        int width;
    } cases[] = {
        {"LNAME", "Last Name", 20},  {"STREET", "Address 1", 40},   {"STREET2", "Address 2", 20},
        {"MIDDLE", "Middle", 1},     {"FAX", "Fax", 40},            {"DATE", "Actual Date", 15},
        {"ZIP", "Zip/Postal Code", 10}, {"DisplayDate", "Date", 12}, {"FullNameWithPrefix", "Full Name & Prefix", 35},
        {"CityStateZip", "City, State & Zip", 35}, {"Tagged", "Tagged", 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(find(c.name).label, c.label);
        EXPECT_EQ(find(c.name).displayWidth, c.width) << c.name.toStdString();
    }
    EXPECT_TRUE(find("Tagged").calculated);
    EXPECT_FALSE(find("LNAME").calculated);
}

// ---- naming ----------------------------------------------------------------

TEST(NewDatabaseName, ProposesTheFirstFreeNumber)
{
    ProgramDir program;
    EXPECT_EQ(proposeDatabaseName(), "ADD0001");
    xbase::test::writeFile(program.data("ADD0001.DBF").toStdString(), "");
    xbase::test::writeFile(program.data("add0003.dbf").toStdString(), "");
    EXPECT_EQ(proposeDatabaseName(), "ADD0002");
    xbase::test::writeFile(program.data("ADD0002.DBF").toStdString(), "");
    EXPECT_EQ(proposeDatabaseName(), "ADD0004");
    EXPECT_EQ(databasePath("ADD0004"), program.data("ADD0004.DBF"));
    EXPECT_EQ(databasePath("ADD0003"), program.data("add0003.dbf"));
}

TEST(NewDatabaseName, MustBeAnIdentifier)
{
    const struct {
        QString name;
        bool valid;
    } cases[] = {{"ADD0001", true}, {"_x", true},  {"a_1", true},  {"", false},     {"1ABC", false},
                 {"AB-C", false},   {"A B", false}, {"ÄBC", false}, {"AB.DBF", false}, {"_", true}};
    for (const auto& c : cases)
        EXPECT_EQ(isValidDatabaseName(c.name), c.valid) << c.name.toStdString();
}

} // namespace
} // namespace qb::test
