#include "mainwindow/address_filter.h"

#include "core/address_fixture.h"
#include "platform/xbase/table.h"

#include <QFile>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;
using test::Row;

int indexOf(const char* field)
{
    for (int i = 0; i < kFilterFieldCount; ++i)
        if (QLatin1String(filterFields()[size_t(i)].mainField) == QLatin1String(field))
            return i;
    return -1;
}

FilterConditions conditions(std::initializer_list<std::pair<const char*, QString>> texts, bool tagged = false,
                            bool reverse = false)
{
    FilterConditions c;
    for (const auto& [field, text] : texts)
        c.texts[size_t(indexOf(field))] = text;
    c.taggedOnly = tagged;
    c.reverse = reverse;
    return c;
}

TEST(BuildQueryString, FilterTextFromConditions)
{
    const struct {
        FilterConditions conditions;
        QString text;
    } cases[] = {
        {conditions({{"LNAME", "brown;jones"}}), R"(((UPPER(LNAME)="BROWN").or.(UPPER(LNAME)="JONES")))"},
        {conditions({{"CODES", "$C"}}), R"("C"$UPPER(CODES))"},
        {conditions({{"DATE", ">=19970101"}}), R"(UPPER(DATE)>="19970101")"},
        {conditions({{"ZIP", ">4"}, {"PHONE", "<=5"}, {"FAX", "<6"}}),
         R"(UPPER(ZIP)>"4" and UPPER(PHONE)<="5" and UPPER(FAX)<"6")"},
        {conditions({}, true), R"((UPPER(TAG)="K3ZA9Q"))"},
        {conditions({}, true, true), R"((!((UPPER(TAG)="K3ZA9Q"))))"},
        {conditions({}, false, true), ""},
        {conditions({{"LNAME", "   "}}), ""},
        {conditions({{"LNAME", "  smith"}}), R"(UPPER(LNAME)="  SMITH")"},
        // An empty part matches every record ("begins with" nothing).
        {conditions({{"LNAME", "smith;"}}), R"(((UPPER(LNAME)="SMITH").or.(UPPER(LNAME)="")))"},
        // ";" binds loosest, then "+", then "^".
        {conditions({{"ORG", "a+b^c"}}),
         R"(((UPPER(ORG)="A").and.(((UPPER(ORG)="B").and..not.(UPPER(ORG)="C")))))"},
        {conditions({{"CITY", "spring"}}), R"(UPPER(CITY+STATE)="SPRING")"},
        // Comments come before the date and the codes.
        {conditions({{"CODES", "z"}, {"DATE", "y"}, {"USER2", "x"}, {"USER1", "w"}, {"LNAME", "v"}}, true),
         R"(UPPER(LNAME)="V" and UPPER(USER1)="W" and UPPER(USER2)="X" and UPPER(DATE)="Y" and UPPER(CODES)="Z" and (UPPER(TAG)="K3ZA9Q"))"},
        // Typed quotes never end the constant.
        {conditions({{"LNAME", "o\"brien"}}), R"(UPPER(LNAME)='O"BRIEN')"},
        {conditions({{"LNAME", "a\"b'c"}}), R"(UPPER(LNAME)=[A"B'C])"},
        {conditions({{"LNAME", "a\"b'c]d"}}), R"(UPPER(LNAME)=[A"B'C]+"]D")"},
        // Only a-z change case.
        {conditions({{"CITY", "m\u00fcnchen"}}), QString::fromUtf8("UPPER(CITY+STATE)=\"M\u00fcNCHEN\"")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildQueryString(c.conditions, "K3ZA9Q"), c.text);
}

TEST(BuildQueryString, ValueAfterAnOperatorIsAtMost99Characters)
{
    const QString text = BuildQueryString(conditions({{"USER1", ">=" + QString(120, 'x')}}), "T");
    EXPECT_EQ(text, "UPPER(USER1)>=\"" + QString(99, 'X') + "\"");
}

class AddressFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        for (const Row& r : std::vector<Row>{{{"LNAME", "Smith"}, {"STATE", "OH"}, {"TAG", "K3ZA9Q"}},
                                             {{"LNAME", "Jones"}, {"STATE", "oh"}},
                                             {{"LNAME", "O\"Brien"}, {"STATE", "IL"}},
                                             {{"LNAME", "Gone"}, {"STATE", "OH"}, {"ISDEL", "T"}}})
            test::addRow(table.table(), r);
    }

    ProgramDir program;
    MessageLog log;
    AddressTable table;
};

TEST_F(AddressFilterTest, ApplyCountsMatchesAndDropsWhatMatchesNothing)
{
    const struct {
        FilterConditions conditions;
        uint32_t matches;
        bool kept;
    } cases[] = {
        {conditions({{"STATE", "oh"}}), 2, true},               // the deleted one never counts
        {conditions({{"LNAME", "o\"b"}}), 1, true},
        {conditions({}, true), 1, true},
        {conditions({}, true, true), 2, true},
        {conditions({{"STATE", "tx"}}), 0, false},
        {conditions({}), 0, false},
    };
    for (const auto& c : cases) {
        AddressFilter filter;
        filter.conditions = c.conditions;
        EXPECT_EQ(filter.apply(table.table(), "K3ZA9Q"), c.matches);
        EXPECT_EQ(filter.isSet(), c.kept);
        EXPECT_EQ(table.table().countFiltered(), c.kept ? c.matches : 3u);
        if (c.kept) {
            EXPECT_EQ(filter.conditions, c.conditions);
            EXPECT_EQ(table.table().filter(), (filter.filterText() + ".and. !ISDEL").toStdString());
        } else {
            EXPECT_EQ(filter.conditions, FilterConditions());
            EXPECT_EQ(table.table().filter(), "!ISDEL");
        }
    }
    EXPECT_TRUE(log.messages.empty());
}

TEST_F(AddressFilterTest, TooLongAFilterIsRefusedWithTheMessage)
{
    // UPPER(LNAME)="..." is 15 characters around the value: 228 make 243.
    for (int length : {228, 229}) {
        log.messages.clear();
        AddressFilter filter;
        filter.conditions = conditions({{"LNAME", QString(length, 's')}});
        EXPECT_EQ(filter.apply(table.table(), "T"), 0u);
        // Both end without a filter: the first matches nothing, the second is refused.
        EXPECT_EQ(log.texts(), length > 228 ? QStringList{kFilterTooComplex} : QStringList{});
        EXPECT_FALSE(filter.isSet());
        EXPECT_EQ(filter.conditions, FilterConditions());
        EXPECT_EQ(table.table().filter(), "!ISDEL");
    }
}

TEST(FilterFile, RoundTripAndShortFiles)
{
    ProgramDir program;
    const QString path = program.folder() + "OHIO.FLT";
    FilterConditions saved = conditions({{"STATE", "oh"}, {"USER2", "caf\u00e9"}, {"CODES", "$C"}}, true, false);
    ASSERT_TRUE(SaveFilterTo(path, saved));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 20);
    EXPECT_TRUE(bytes.contains("caf\xe9\r\n"));   // Windows-1252
    EXPECT_TRUE(bytes.endsWith("\r\nT\r\nF\r\n"));
    EXPECT_EQ(RestoreFilterFrom(path), saved);

    const struct {
        QByteArray bytes;
        bool tagged, reverse;
    } shortFiles[] = {
        {QByteArray("smith\r\n").repeated(18), false, false},  // 18 lines: both flags false
        {QByteArray("\r\n").repeated(18) + "T\r\nT\r\n", true, true},
        {QByteArray("\r\n").repeated(18) + "T \r\nt\r\n", false, false},  // only exactly "T"
        {QByteArray(), false, false},
    };
    for (const auto& c : shortFiles) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.bytes);
        out.close();
        const std::optional<FilterConditions> read = RestoreFilterFrom(path);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->taggedOnly, c.tagged);
        EXPECT_EQ(read->reverse, c.reverse);
    }
    EXPECT_FALSE(RestoreFilterFrom(program.folder() + "MISSING.FLT"));
}

TEST(FilterFile, SaveNameNeedsTheFltExtension)
{
    MessageLog log;
    EXPECT_EQ(filterFileForSaving("/x/ohio.flt"), "/x/ohio.flt");
    EXPECT_EQ(filterFileForSaving("/x.d/ohio"), "/x.d/ohio.FLT");
    EXPECT_TRUE(log.messages.empty());
    EXPECT_EQ(filterFileForSaving("/x/ohio.txt"), std::nullopt);
    EXPECT_EQ(log.texts(), QStringList{kMustHaveFltExtension});
}

} // namespace
} // namespace qb
