#include "labels/label_print_loop.h"

#include "core/address_fixture.h"
#include "labels/bulk_presort.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::ProgramDir;

// Records what the loop asks for: one entry per label or header, "|" per page break.
struct RecordingSink : LabelSink {
    explicit RecordingSink(xbase::Table& t) : table(t) {}
    void breakPage() override { events << "|"; }
    void printLabel(const QPointF& at) override
    {
        events << QString::fromStdString(table.text("LNAME"));
        origins.push_back(at);
    }
    void printHeader(const QString& line, const QPointF& at, const QRectF& clip) override
    {
        events << line;
        origins.push_back(at);
        clips.push_back(clip);
    }
    bool stopped() override { return stopAfter >= 0 && events.size() >= stopAfter; }

    xbase::Table& table;
    QStringList events;
    std::vector<QPointF> origins;
    std::vector<QRectF> clips;
    int stopAfter = -1;
};

class LabelLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
    }
    void add(int n, const char* zip = "45401")
    {
        for (int i = 0; i < n; ++i) {
            const int number = int(t().recordCount()) + 1;
            test::addRow(t(), {{"LNAME", QStringLiteral("R%1").arg(number, 2, 10, QLatin1Char('0')).toStdString()},
                               {"ZIP", zip}});
        }
        t().setFilter("!ISDEL");
        t().selectOrder("LNAME");
        t().first();
    }
    xbase::Table& t() { return table.table(); }

    ProgramDir program;
    AddressTable table;
    LabelStock stock;   // 3 across, 10 down
};

TEST_F(LabelLoop, ThirtyRecordsFillOneSheetThirtyOneStartAnother)
{
    add(31);
    RecordingSink sink(t());
    t().setFilter("!ISDEL .and. RECNO()<=30");
    t().first();
    EXPECT_EQ(runLabelLoop(t(), stock, PositionMask(), 1, nullptr, sink).pages, 1);
    EXPECT_FALSE(sink.events.contains("|"));

    RecordingSink all(t());
    t().setFilter("!ISDEL");
    t().first();
    const LabelRunStats stats = runLabelLoop(t(), stock, PositionMask(), 1, nullptr, all);
    EXPECT_EQ(stats.pages, 2);
    EXPECT_EQ(all.events.indexOf("|"), 30);
    EXPECT_EQ(all.origins[30], QPointF(0.188, 0.5));   // the 31st at the first position again
    EXPECT_NEAR(all.origins[29].x(), 0.188 + 2 * 2.765, 1e-9);
    EXPECT_NEAR(all.origins[29].y(), 0.5 + 9 * 1.01, 1e-9);
}

TEST_F(LabelLoop, OnlyTheLastTwoRowsOfEachSheet)
{
    add(8);
    PositionMask mask;
    mask.setAll(false);
    for (int p = 24; p < 30; ++p)
        mask.set(p, true);
    RecordingSink sink(t());
    runLabelLoop(t(), stock, mask, 1, nullptr, sink);
    EXPECT_EQ(sink.events, QStringList({"R01", "R02", "R03", "R04", "R05", "R06", "|", "R07", "R08"}));
    EXPECT_NEAR(sink.origins[0].y(), 0.5 + 8 * 1.01, 1e-9);
    EXPECT_NEAR(sink.origins[6].y(), 0.5 + 8 * 1.01, 1e-9);   // position 24 of the next sheet
}

TEST_F(LabelLoop, CopiesAndOnlyTheCurrentRecord)
{
    add(3);
    RecordingSink twice(t());
    runLabelLoop(t(), stock, PositionMask(), 2, nullptr, twice);
    EXPECT_EQ(twice.events, QStringList({"R01", "R01", "R02", "R02", "R03", "R03"}));
    EXPECT_NEAR(twice.origins[2].x(), 0.188 + 2 * 2.765, 1e-9);   // B starts at position 2

    t().setFilter("RECNO()=2");
    t().first();
    RecordingSink current(t());
    runLabelLoop(t(), stock, PositionMask(), 3, nullptr, current);
    EXPECT_EQ(current.events, QStringList({"R02", "R02", "R02"}));
}

TEST_F(LabelLoop, MiddleGaps)
{
    add(8);
    stock.middleExtraX = 0.25;
    stock.leftMargin = 0;
    stock.horizontalPitch = 2;
    for (const auto& [across, moved] : {std::pair{4, QList<double>{0, 2, 4.25, 6.25}},
                                        std::pair{3, QList<double>{0, 2.25, 4.25}}}) {
        stock.across = across;
        t().first();
        RecordingSink sink(t());
        runLabelLoop(t(), stock, PositionMask(), 1, nullptr, sink);
        for (int c = 0; c < across; ++c)
            EXPECT_DOUBLE_EQ(sink.origins[size_t(c)].x(), moved[c]) << across << " across, column " << c;
    }
}

TEST_F(LabelLoop, NothingSelectedOnTheSheetPrintsNothing)
{
    add(2);
    PositionMask mask;
    mask.setAll(false);
    mask.set(250, true);   // beyond a 3 x 10 sheet
    RecordingSink sink(t());
    EXPECT_EQ(runLabelLoop(t(), stock, mask, 1, nullptr, sink).labels, 0u);
    EXPECT_TRUE(sink.events.isEmpty());

    // A 10 x 30 stock has 300 positions and reaches them all.
    stock.across = 10;
    stock.down = 30;
    EXPECT_EQ(runLabelLoop(t(), stock, mask, 1, nullptr, sink).labels, 2u);
    EXPECT_NEAR(sink.origins[0].y(), 0.5 + 25 * 1.01, 1e-9);
}

TEST_F(LabelLoop, StopEndsTheRun)
{
    add(10);
    RecordingSink sink(t());
    sink.stopAfter = 4;
    EXPECT_EQ(runLabelLoop(t(), stock, PositionMask(), 1, nullptr, sink).labels, 4u);
}

TEST_F(LabelLoop, PresortOrderWithHeaders)
{
    add(10, "12345");
    add(2, "K1A0B");
    add(3, "12399-1234");
    add(1, "99501");
    BulkPresort presort;
    for (bool more = t().first(); more; more = t().next())
        presort.add(QString::fromStdString(t().text("ZIP")));
    QStringList list = presort.lines();
    list.insert(list.size() - 1, "43001");   // no longer in the view: skipped
    list << "55555";                          // the last entry missing: the run ends

    xbase::engineSettings().exact = false;
    t().selectOrder("ZIP");
    t().first();
    RecordingSink sink(t());
    const LabelRunStats stats = runLabelLoop(t(), stock, PositionMask(), 2, &list, sink);
    QStringList expected = {"** 5-digit 12345"};
    for (int i = 1; i <= 10; ++i)
        expected << QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0')) << QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0'));
    expected << "** ADC ALBANY NY 120" << "R13" << "R13" << "R14" << "R14" << "R15" << "R15"
             << "** ADC ANCHORAGE AK 995" << "R16" << "R16";
    expected.insert(30, "|");
    EXPECT_EQ(sink.events, expected);
    EXPECT_EQ(stats.headers, 3u);
    EXPECT_EQ(sink.clips[0], QRectF(0.188, 0.5, 2.765, 1.01));
    EXPECT_NEAR(sink.origins[0].x(), 0.188 + 0.15, 1e-9);
    EXPECT_NEAR(sink.origins[0].y(), 0.5 + 1.01 / 3, 1e-9);
}

} // namespace
} // namespace qb
