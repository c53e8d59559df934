// "Standardize Addresses" driven through its widgets: old and new side by
// side in the result grid, and only the tagged records change.
#include "utilities/result_grid.h"
#include "utilities/tcheckduplicates.h"
#include "utilities/tstandardizeaddresses.h"
#include "utilities_fixture.h"
#include "window_support.h"

#include <QCheckBox>
#include <QDir>
#include <QRadioButton>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace qb;
using namespace qb::test;

TEST(StandardizeWindow, ShowsOldAndNewAndChangesOnlyTaggedRecords)
{
    MessageLog log;
    UtilityDatabase db({{{"LNAME", "Adams"}, {"STREET", "12 North Main Street"}, {"STATE", "NY"}},
                        {{"LNAME", "Baker"}, {"STREET", "5 ELM AVE"}, {"STATE", "NY"}},
                        {{"LNAME", "Clark"}, {"STREET", "9 Oak Road, Suite 4"}, {"STATE", "new york"}},
                        {{"LNAME", "Davis"}, {"STREET", "PO Box 7"}, {"STATE", "NY"}}});
    QDir().mkpath(db.program.folder() + "sysdata");
    for (const char* file : {"ADDRSTD.DBF", "CSZ.DBF", "CSZ.CDX"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(QB_PROGRAM_DIR "/sysdata/") + file, db.program.folder() + "sysdata/" + file));
    db.table.setTagId("T1");
    db.t().setFilter("!ISDEL");
    TStandardizeAddresses window(db.table);
    window.show();
    click(&window, "PerformCheckButton");
    EXPECT_EQ(child<QLabel>(&window, "CountLabel")->text(), "Found 3 fields to standardize");
    RecordGridModel& model = window.resultGrid()->model();
    ASSERT_EQ(model.rowCount(), 3);   // Adams, Clark, and Davis whose box is left as it is
    const int street = columnTitled(window.resultGrid()->view(), "Address 1");
    const int streetStandard = columnTitled(window.resultGrid()->view(), "Address 1 standard");
    auto cell = [&](int row, int column) { return model.data(model.index(row, column), Qt::DisplayRole).toString(); };
    EXPECT_EQ(cell(0, street), "12 North Main Street");
    EXPECT_EQ(cell(0, streetStandard), "12 N MAIN ST");
    EXPECT_EQ(cell(1, streetStandard), "9 OAK RD STE 4");
    EXPECT_EQ(cell(2, streetStandard), "(left as it is)");

    // Clark tagged, then the change: Adams keeps his street.
    window.resultGrid()->view()->setCurrentIndex(model.index(1, 1));
    click(&window, "TagButton");
    log.answer = true;
    click(&window, "ApplyButton");
    EXPECT_EQ(log.messages.back().text, "Standardized 1 record");
    EXPECT_EQ(db.column("STREET"), (std::vector<std::string>{"12 North Main Street", "5 ELM AVE", "9 OAK RD STE 4", "PO Box 7"}));
    EXPECT_EQ(db.column("STATE"), (std::vector<std::string>{"NY", "NY", "NY", "NY"}));
    window.accept();
    EXPECT_FALSE(QFile::exists(db.program.data("add0001_chksz.idx")));
}

TEST(StandardizeWindow, DuplicateCheckComparesStandardStreetsWhenTicked)
{
    MessageLog log;
    UtilityDatabase db({{{"LNAME", "Smith"}, {"STREET", "123 North Main Street, Apt 4"}},
                        {{"LNAME", "Jones"}, {"STREET", "123 N MAIN ST APT 4"}}});
    QDir().mkpath(db.program.folder() + "sysdata");
    for (const char* file : {"ADDRSTD.DBF", "CSZ.DBF", "CSZ.CDX"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(QB_PROGRAM_DIR "/sysdata/") + file, db.program.folder() + "sysdata/" + file));
    db.t().setFilter("!ISDEL");
    for (const bool standard : {false, true}) {
        TCheckDuplicates window(db.table);
        window.show();
        child<QRadioButton>(&window, "rbStreet")->setChecked(true);
        auto* box = child<QCheckBox>(&window, "StandardStreetsCheckBox");
        ASSERT_TRUE(box->isVisible());
        if (standard)
            QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(box->isChecked(), standard);
        click(&window, "PerformCheckButton");
        EXPECT_EQ(window.found(), standard ? 1u : 0u);
        window.accept();
    }
}
