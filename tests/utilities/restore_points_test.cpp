// Every bulk change run with its restore point: run, undo, and the table,
// memo and index are byte for byte what they were.
#include "utilities/address_standard.h"
#include "utilities/bulk_restore.h"
#include "utilities/case_conversion.h"
#include "utilities/search_replace.h"
#include "utilities_fixture.h"

#include "core/restore_points.h"

#include <QFile>

#include <functional>

using namespace qb;
using namespace qb::test;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

} // namespace

TEST(RestorePoints, EveryBulkChangeIsUndoneByteForByte)
{
    struct Change {
        const char* what;
        std::function<BulkOutcome(xbase::Table&)> run;
    };
    const Change changes[] = {
        {"Convert Case", [](xbase::Table& t) { return convertRecords(t, {"LNAME", "CITY"}, CaseMode::Upper, RecordChoice::All); }},
        {"Search and Replace", [](xbase::Table& t) -> BulkOutcome {
             ReplaceRequest r;
             r.field = "CITY";
             r.contains = true;
             r.search = "ton";
             r.wholeField = false;
             r.replacement = "TOWN";
             return replaceFieldValues(t, r, {});
         }},
        {"Delete Records", [](xbase::Table& t) { return deleteRecords(t, DeleteChoice::Matching, "LNAME = 'B'"); }},
        {"Delete Records", [](xbase::Table& t) { return deleteRecords(t, DeleteChoice::All, {}); }},
        {"Standardize Addresses", [](xbase::Table& t) {
             const auto standard = AddressStandard::load(QStringLiteral(QB_PROGRAM_DIR "/sysdata"), nullptr);
             return applyStandardChanges(t, planStandardChanges(t, *standard).changes);
         }},
    };
    for (const Change& c : changes) {
        UtilityDatabase db({{{"LNAME", "Adams"}, {"CITY", "Boston"}, {"STREET", "1 North Main Street"}, {"MEMO", "first note"}},
                            {{"LNAME", "Brown"}, {"CITY", "Dayton"}, {"STREET", "2 ELM AVE"}, {"MEMO", "second note"}},
                            {{"LNAME", "Clark"}, {"CITY", "Austin"}, {"STREET", "3 Oak Rd."}}});
        const QString base = db.program.data("add0001.");
        db.table.close();
        const QByteArray dbf = bytesOf(base + "DBF"), fpt = bytesOf(base + "FPT"), cdx = bytesOf(base + "CDX");
        ASSERT_TRUE(db.table.open(db.path));
        const BulkOutcome outcome = runWithRestorePoint<BulkOutcome>(
            db.t(), c.what, [&] { return c.run(db.t()); }, [](const QString&) { return false; });
        ASSERT_TRUE(outcome.ok()) << c.what << ' ' << outcome.error.toStdString();
        ASSERT_GT(outcome.changed, 0u) << c.what;
        db.table.close();
        ASSERT_NE(bytesOf(base + "DBF"), dbf) << c.what;
        RestorePoints points(db.path);
        const auto list = points.list();
        ASSERT_EQ(list.size(), 1u) << c.what;
        EXPECT_EQ(list[0].what.toStdString(), c.what);
        EXPECT_EQ(list[0].records, outcome.changed);
        QString error;
        ASSERT_TRUE(points.restore(list[0], &error)) << error.toStdString();
        EXPECT_EQ(bytesOf(base + "DBF"), dbf) << c.what;
        EXPECT_EQ(bytesOf(base + "FPT"), fpt) << c.what;
        EXPECT_EQ(bytesOf(base + "CDX"), cdx) << c.what;
        EXPECT_TRUE(points.list().empty());
        // The program shows the same records again.
        ASSERT_TRUE(db.table.open(db.path));
        EXPECT_EQ(db.column("CITY"), (std::vector<std::string>{"Boston", "Dayton", "Austin"})) << c.what;
        EXPECT_EQ(db.shown().size(), 3u);
    }
}

TEST(RestorePoints, NoPointForAChangeThatChangedNothingAndOnlyTheNewestFiveKept)
{
    UtilityDatabase db(std::vector<Row>{{{"LNAME", "ADAMS"}}});
    for (int i = 0; i < 7; ++i) {
        runWithRestorePoint<BulkOutcome>(db.t(), QStringLiteral("Convert Case"), [&] {
            return convertRecords(db.t(), {"LNAME"}, CaseMode::Upper, RecordChoice::All);
        }, {});
    }
    EXPECT_TRUE(RestorePoints(db.path).list().empty());   // already upper case: nothing written
    for (int i = 0; i < 7; ++i) {
        runWithRestorePoint<BulkOutcome>(db.t(), QString::number(i), [&] {
            return convertRecords(db.t(), {"LNAME"}, i % 2 ? CaseMode::Upper : CaseMode::Lower, RecordChoice::All);
        }, {});
    }
    const auto points = RestorePoints(db.path).list();
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points.front().what, "6");
    EXPECT_EQ(points.back().what, "2");
}
