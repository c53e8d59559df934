#include "labels/bulk_presort.h"
#include "labels/tsortbulkmail.h"

#include "core/address_fixture.h"
#include "platform/xbase/table.h"

#include <QFile>
#include <QSet>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::MessageLog;
using test::ProgramDir;

QStringList presort(std::initializer_list<std::pair<const char*, int>> zips)
{
    BulkPresort p;
    for (const auto& [zip, count] : zips)
        for (int i = 0; i < count; ++i)
            p.add(QLatin1String(zip));
    return p.lines();
}

TEST(BulkPresort, Groups)
{
    const struct {
        QStringList lines;
        QStringList expected;
    } cases[] = {
        // B sums to 3 under prefix 123, so it falls to the ADC that serves 123.
        {presort({{"12399", 3}, {"12345", 10}}), {"** 5-digit 12345", "12345", "** ADC ALBANY NY 120", "12399"}},
        {presort({{"12303", 4}, {"12301", 4}, {"12302", 4}}), {"** 3-digit 123", "12301", "12302", "12303"}},
        // Nine is not enough for a group of its own.
        {presort({{"45401", 9}}), {"** ADC CINCINNATI OH 450", "45401"}},
        // A letter first is not counted; zip+4 counts under its five digits.
        {presort({{"K1A0B", 20}, {"12345-6789", 6}, {"12345", 4}}), {"** 5-digit 12345", "12345"}},
        {presort({{"98701", 1}, {"00012", 1}, {"21301", 1}, {"09912", 2}}),
         {"** Unknown", "00012", "09912", "21301", "98701"}},
        {presort({{"05601", 1}, {"05001", 1}}),
         {"** ADC WHITE RIVER JCT VT 050", "05601", "** ADC WHITE RVR JCT VT 050", "05001"}},
        // Groups in order: five-digit, three-digit, ADC in table order, unknown.
        {presort({{"99501", 1}, {"01001", 1}, {"60601", 12}, {"10001", 5}, {"10002", 5}, {"00001", 1}}),
         {"** 5-digit 60601", "60601", "** 3-digit 100", "10001", "10002", "** ADC ANCHORAGE AK 995", "99501",
          "** ADC SPRINGFIELD MA 010", "01001", "** Unknown", "00001"}},
        {presort({{"", 3}, {" 1234", 2}}), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lines, c.expected);
}

TEST(BulkPresort, AdcTableListsEachPrefixOnce)
{
    ASSERT_EQ(adcTable().size(), 96u);
    QSet<QString> seen;
    for (const AdcRow& row : adcTable())
        for (const QString& prefix : QString(row.prefixes).split(' ')) {
            EXPECT_EQ(prefix.size(), 3) << row.name;
            EXPECT_FALSE(seen.contains(prefix)) << prefix.toStdString();
            seen.insert(prefix);
        }
    EXPECT_EQ(seen.size(), 930);   // 70 of the 1000 prefixes have no ADC
    for (const char* unlisted : {"000", "099", "213", "987"})
        EXPECT_FALSE(seen.contains(unlisted));
}

class PresortRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        // 250 records: zip 43201 x 120, 43215 x 5, 43230 x 5, 99501 x 1, 12345 x 119.
        const std::pair<const char*, int> zips[] = {{"43201", 120}, {"43215", 5}, {"43230", 5}, {"99501", 1},
                                                    {"12345-0001", 119}};
        for (const auto& [zip, count] : zips)
            for (int i = 0; i < count; ++i)
                test::addRow(table.table(), {{"LNAME", "X"}, {"ZIP", zip}});
        table.table().setFilter("!ISDEL");
        table.table().selectOrder("LNAME");
    }

    ProgramDir program;
    MessageLog log;
    AddressTable table;
};

TEST_F(PresortRun, WritesTheListAndReportsProgress)
{
    const QString list = program.folder() + "PRESORT.PSL";
    QStringList statuses;
    ASSERT_EQ(presortTable(table.table(), list,
                           [&](const QString& s) {
                               if (!s.isEmpty())
                                   statuses << s;
                               return true;
                           }),
              PresortOutcome::Done);
    EXPECT_EQ(readPresortList(list), QStringList({"** 5-digit 12345", "12345", "** 5-digit 43201", "43201",
                                                  "** 3-digit 432", "43215", "43230", "** ADC ANCHORAGE AK 995", "99501"}));
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("** 5-digit 12345\r\n12345\r\n"));
    EXPECT_EQ(statuses, QStringList({"Reading database records...", "Reading record 100", "Reading record 200",
                                     "Sorting Zip Codes..."}));
    EXPECT_EQ(table.table().currentOrderName(), "LNAME");
}

TEST_F(PresortRun, CancelledInTheWindowWritesNothing)
{
    const QString list = program.folder() + "PRESORT.PSL";
    ASSERT_TRUE(writePresortList(list, {"** Unknown", "00001"}));
    TSortBulkMail window(table.table(), list);
    QObject::connect(&window, &TSortBulkMail::statusChanged, &window, [&](const QString& s) {
        if (s == "Reading record 100")
            window.findChild<QPushButton*>("CancelButton")->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_EQ(window.windowTitle(), "Bulk Mail Presorting");
    EXPECT_EQ(window.outcome(), PresortOutcome::Cancelled);
    EXPECT_EQ(log.texts(), QStringList{"Cancel PRESORT?"});
    EXPECT_EQ(readPresortList(list), QStringList({"** Unknown", "00001"}));

    TSortBulkMail again(table.table(), list);
    EXPECT_EQ(again.exec(), QDialog::Accepted);
    EXPECT_EQ(readPresortList(list).size(), 9);
}

} // namespace
} // namespace qb
