#include "mainwindow/date_selection.h"
#include "mainwindow/tdateselector.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qb::test {
namespace {

const QDate kToday(2024, 3, 15);

TEST(DateSelection, StartsFromTheStoredValueOrToday)
{
    struct Case {
        const char* field;
        QDate start;
    };
    const Case cases[] = {
        {"19991231", QDate(1999, 12, 31)},
        {"20000229       ", QDate(2000, 2, 29)},   // DATE is 15 wide; blanks follow
        {"", kToday},
        {"        ", kToday},
        {"19990229", kToday},   // no such day
        {"1999123", kToday},
        {"12/31/1999", kToday},  // displayed text is never read back
        {"1999-1-31", kToday},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dateSelectorStart(QString::fromLatin1(c.field), kToday), c.start) << c.field;
}

TEST(DateSelection, StoredTextRoundTrips)
{
    EXPECT_EQ(storedDateText(QDate(2001, 2, 3)), "20010203");
    EXPECT_EQ(storedDateText(QDate()), "");
    EXPECT_EQ(storedDateValue(storedDateText(QDate(1900, 1, 1))), QDate(1900, 1, 1));
}

QPushButton* button(TDateSelector& d, const char* name) { return d.findChild<QPushButton*>(name); }

TEST(TDateSelector, ButtonsStepTheCalendarAndTheDateLineFollows)
{
    struct Case {
        const char* button;
        QDate from;
        QDate to;
    };
    const Case cases[] = {
        {"YearMinusButton", QDate(2024, 2, 29), QDate(2023, 2, 28)},
        {"MonthMinusButton", QDate(2024, 3, 31), QDate(2024, 2, 29)},
        {"MonthMinusButton", QDate(2024, 1, 10), QDate(2023, 12, 10)},
        {"MonthPlusButton", QDate(2023, 12, 31), QDate(2024, 1, 31)},
        {"YearPlusButton", QDate(2024, 6, 1), QDate(2025, 6, 1)},
        {"TodayButton", QDate(1990, 5, 5), kToday},
    };
    for (const Case& c : cases) {
        TDateSelector d;
        d.setToday(kToday);
        d.setDate(c.from);
        QTest::mouseClick(button(d, c.button), Qt::LeftButton);
        EXPECT_EQ(d.date(), c.to) << c.button;
        EXPECT_EQ(d.findChild<QLabel*>("DateLabel")->text(), QLocale().toString(c.to, QLocale::LongFormat)) << c.button;
        auto* calendar = d.findChild<QCalendarWidget*>("Calendar");
        EXPECT_EQ(calendar->yearShown(), c.to.year()) << c.button;
        EXPECT_EQ(calendar->monthShown(), c.to.month()) << c.button;
    }
}

TEST(TDateSelector, CaptionHintsAndWeekStart)
{
    TDateSelector d;
    EXPECT_EQ(d.windowTitle(), "Select a Date");
    EXPECT_EQ(d.findChild<QCalendarWidget*>("Calendar")->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(button(d, "YearMinusButton")->toolTip(), "Show the previous year");
    EXPECT_EQ(button(d, "MonthMinusButton")->toolTip(), "Show the previous month");
    EXPECT_EQ(button(d, "TodayButton")->toolTip(), "Show today's date");
    EXPECT_EQ(button(d, "MonthPlusButton")->toolTip(), "Show the next month");
    EXPECT_EQ(button(d, "YearPlusButton")->toolTip(), "Show the next year");
}

TEST(TDateSelector, ChoosingADayOnTheCalendarUpdatesTheDateLine)
{
    TDateSelector d;
    d.setDate(QDate(2024, 3, 1));
    d.findChild<QCalendarWidget*>("Calendar")->setSelectedDate(QDate(2024, 3, 20));
    EXPECT_EQ(d.findChild<QLabel*>("DateLabel")->text(), QLocale().toString(QDate(2024, 3, 20), QLocale::LongFormat));
}

TEST(TDateSelector, ResultIsOkCancelOrNoDate)
{
    struct Case {
        const char* button;
        int result;
    };
    const Case cases[] = {{"OkButton", QDialog::Accepted}, {"CancelButton", QDialog::Rejected},
                          {"NoDateButton", TDateSelector::NoDate}};
    for (const Case& c : cases) {
        TDateSelector d;
        d.setDate(QDate(2020, 7, 4));
        QTimer::singleShot(0, &d, [&] { QTest::mouseClick(button(d, c.button), Qt::LeftButton); });
        EXPECT_EQ(d.exec(), c.result) << c.button;
        EXPECT_EQ(d.date(), QDate(2020, 7, 4)) << c.button;
    }
}

} // namespace
} // namespace qb::test
